#include "core/documents/EstadoDocumento.h"

#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"

namespace torvane {

namespace {

/** Runs sql ("... IN (%1)") over ids in slices the engine's limit on bound values allows. */
void porTramos(const QString& sql, const QVariantList& antes, const QList<int>& ids,
               const std::function<void(QSqlQuery&)>& leer = {}) {
    constexpr qsizetype kTramo = 500;
    for (qsizetype i = 0; i < ids.size(); i += kTramo) {
        const QList<int> tramo = ids.mid(i, kTramo);
        QSqlQuery q = ejecutar(sql.arg(marcadores(tramo.size())), antes + comoValores(tramo));
        if (leer) leer(q);
    }
}

// One reading gives the whole state: on a server every statement is a trip.
const QString kColumnasEstado = QStringLiteral(
    "t.Id, %1, t.Fac, t.Tot, t.Imp, t.ImpCom, t.Pag, t.FecPag, t.ForPag, t.Anu, t.FecAnu,"
    " t.IdRect, t.IdEmi, %2,"
    " (SELECT r.IdRem FROM tblRemesasCobros r WHERE r.IdDoc = t.Id AND r.Dev = 0"
    " ORDER BY r.Id DESC LIMIT 1),"
    " (SELECT m.FecCob FROM tblRemesasCobros r JOIN tblRemesas m ON m.Id = r.IdRem"
    " WHERE r.IdDoc = t.Id AND r.Dev = 0 ORDER BY r.Id DESC LIMIT 1),"
    " (SELECT r.IBAN FROM tblRemesasCobros r WHERE r.IdDoc = t.Id AND r.Dev = 0"
    " ORDER BY r.Id DESC LIMIT 1),"
    " (SELECT r.Dev FROM tblRemesasCobros r WHERE r.IdDoc = t.Id ORDER BY r.Id DESC LIMIT 1),"
    " (SELECT %3 FROM tblCobros o WHERE o.IdRect = t.Id AND o.Anu = 0 ORDER BY o.Id LIMIT 1),"
    " (SELECT %3 FROM tblCobros o WHERE upper(o.Ser) = upper(t.Ser) AND o.Num > t.Num"
    " ORDER BY o.Num DESC LIMIT 1)");

} // namespace

QString columnasEstado() {
    return kColumnasEstado.arg(sqlUnir({QStringLiteral("t.Num"), QStringLiteral("t.Ser")}),
                               sqlUltimoRegistro(QStringLiteral("t.Id")),
                               sqlUnir({QStringLiteral("o.Num"), QStringLiteral("o.Ser")}));
}

EstadoDocumento estadoDeFila(const QSqlQuery& q, int primera) {
    const auto valor = [&q, primera](int i) { return q.value(primera + i); };
    EstadoDocumento e;
    e.id = valor(0).toInt();
    e.numero = textoCampo(valor(1));
    e.factura = valor(2).toInt() != 0;
    e.total = importeGuardado(valor(3));
    e.impreso = valor(4).toInt() != 0;
    e.comoImpreso = textoCampo(valor(5));
    e.pagado = valor(6).toInt() != 0;
    e.fechaPago = desdeIso(textoCampo(valor(7)));
    e.formaPago = textoCampo(valor(8));
    e.anulado = valor(9).toInt() != 0;
    e.fechaAnulacion = desdeIso(textoCampo(valor(10)));
    e.rectifica = valor(11).toInt();
    e.emision = valor(12).toInt();
    e.verifactu = estadoDeRegistro(valor(13));
    e.remesa = valor(14).toInt();
    e.fechaCargo = desdeIso(textoCampo(valor(15)));
    e.ibanCargo = textoCampo(valor(16));
    e.remesado = !valor(17).isNull();
    e.devuelto = valor(17).toInt() != 0;
    e.rectificadaPor = textoCampo(valor(18));
    e.posterior = textoCampo(valor(19));
    // An invoice of the verifiable mode is an invoice whatever it was issued as.
    if (e.verifactu != EstadoFactura::Libre) e.factura = true;
    return e;
}

QList<EstadoDocumento> leerEstados(const QList<int>& ids) {
    QList<EstadoDocumento> estados;
    porTramos(QStringLiteral("SELECT ") + columnasEstado() +
                  QStringLiteral(" FROM tblCobros t WHERE t.Id IN (%1)"),
              {}, ids, [&estados](QSqlQuery& q) {
                  while (q.next())
                      estados << estadoDeFila(q, 0);
              });
    return estados;
}

namespace {

/** The ending of an adjective or pronoun for the document's class: "a" for an invoice. */
QString o(const EstadoDocumento& e) {
    return e.factura ? QStringLiteral("a") : QStringLiteral("o");
}

QString anulado(const EstadoDocumento& e) {
    return QStringLiteral("anulad") + o(e);
}

/** "El recibo 57A" / "La factura 57B", or "el …" / "la …" in mid-sentence. */
QString elDocumento(const EstadoDocumento& e, bool mayuscula = true) {
    const QString articulo = e.factura ? QStringLiteral("la ") : QStringLiteral("el ");
    return (mayuscula ? articulo.at(0).toUpper() + articulo.mid(1) : articulo) + e.clase() + u' ' +
           e.numero;
}

/** The way forward when a document cannot go: it is cancelled and keeps its number. */
QString usarAnular(const EstadoDocumento& e) {
    return e.factura ? QStringLiteral(" Ábrala y use «Anular»: conserva su número y queda marcada "
                                      "ANULADA.")
                     : QStringLiteral(" Ábralo y use «Anular»: conserva su número y queda marcado "
                                      "ANULADO.");
}

QString motivoEditar(const EstadoDocumento& e) {
    if (e.verifactu != EstadoFactura::Libre) return motivoFacturaFija(e.verifactu);
    if (e.anulado)
        return QStringLiteral("%1 está %2: no se puede cambiar.").arg(elDocumento(e), anulado(e));
    if (e.remesa != 0 && e.pagado)
        return QStringLiteral("%1 se cobró por la remesa nº %2: no se puede cambiar.")
            .arg(elDocumento(e))
            .arg(e.remesa);
    if (e.remesa != 0)
        return QStringLiteral("%1 va en la remesa nº %2: no se puede cambiar mientras el banco no "
                              "l%3 devuelva (anote la devolución en «Remesas hechas»).")
            .arg(elDocumento(e), QString::number(e.remesa), o(e));
    return {};
}

QString motivoBorrar(const EstadoDocumento& e) {
    const QString no = QStringLiteral("No se puede borrar: ");
    if (e.verifactu != EstadoFactura::Libre)
        return no + QStringLiteral("la factura %1 está registrada (VERI*FACTU). Para dejarla sin "
                                   "efecto ábrala y use «Anular» (se añade su registro de "
                                   "anulación) o corríjala con «Rectificar».")
                        .arg(e.numero);
    if (e.anulado)
        return no + QStringLiteral("%1 está %2 y conserva su número.")
                        .arg(elDocumento(e, false), anulado(e));
    if (e.pagado)
        return no + QStringLiteral("%1 ya está pagad%2. Si no debía cobrarse, márquel%2 como "
                                   "pendiente (devolviendo el importe) y anúlel%2.")
                        .arg(elDocumento(e, false), o(e));
    if (e.remesado)
        return no + QStringLiteral("%1 fue en una remesa al banco.").arg(elDocumento(e, false)) +
               usarAnular(e);
    if (e.impreso)
        return no + QStringLiteral("%1 ya está impres%2.").arg(elDocumento(e, false), o(e)) +
               usarAnular(e);
    if (!e.posterior.isEmpty())
        return no +
               QStringLiteral("%1 no es el último de su serie (va después el %2) y su número "
                              "quedaría libre.")
                   .arg(elDocumento(e, false), e.posterior) +
               usarAnular(e);
    return {};
}

QString motivoDeshacer(const EstadoDocumento& e) {
    const QString no = QStringLiteral("No se puede deshacer: el documento %1 ").arg(e.numero);
    if (e.pagado) return no + QStringLiteral("ya está cobrado.");
    if (e.anulado) return no + QStringLiteral("está anulado.");
    if (e.remesado) return no + QStringLiteral("va en una remesa.");
    if (e.impreso || e.verifactu != EstadoFactura::Libre)
        return no + QStringLiteral("ya está impreso.");
    return {};
}

QString motivoRemesar(const EstadoDocumento& e) {
    if (e.anulado) return QStringLiteral("%1 está %2.").arg(elDocumento(e), anulado(e));
    if (e.pagado) return QStringLiteral("%1 ya está pagad%2.").arg(elDocumento(e), o(e));
    if (e.remesa != 0)
        return QStringLiteral("%1 ya va en la remesa nº %2.").arg(elDocumento(e)).arg(e.remesa);
    if (e.total <= Importe()) return QStringLiteral("importe cero o negativo");
    return {};
}

QString motivoPagado(const EstadoDocumento& e) {
    if (e.anulado)
        return QStringLiteral("%1 está %2: no se cobra.").arg(elDocumento(e), anulado(e));
    if (e.pagado) return QStringLiteral("%1 ya está pagad%2.").arg(elDocumento(e), o(e));
    if (e.remesa != 0)
        return QStringLiteral("%1 va en la remesa nº %2: queda pagad%3 cuando se marque la remesa "
                              "como cobrada en «Remesas hechas».")
            .arg(elDocumento(e), QString::number(e.remesa), o(e));
    return {};
}

QString motivoPendiente(const EstadoDocumento& e) {
    if (!e.pagado) return QStringLiteral("%1 no está pagad%2.").arg(elDocumento(e), o(e));
    if (e.remesa != 0)
        return QStringLiteral("%1 se cobró por la remesa nº %2: si el banco l%3 devolvió, anote la "
                              "devolución en «Remesas hechas».")
            .arg(elDocumento(e), QString::number(e.remesa), o(e));
    return {};
}

QString motivoPedirPago(const EstadoDocumento& e) {
    if (e.anulado) return QStringLiteral("anulado");
    if (e.pagado) return QStringLiteral("pagado");
    if (e.remesa != 0) return QStringLiteral("se carga en la cuenta del inquilino");
    if (e.total < Importe()) return QStringLiteral("se devuelve al inquilino");
    if (e.total.esCero()) return QStringLiteral("no hay nada que pagar");
    return {};
}

QString motivoAnular(const EstadoDocumento& e) {
    const QString no = QStringLiteral("No se puede anular: ");
    if (e.anulado || e.verifactu == EstadoFactura::Anulada)
        return no + QStringLiteral("%1 ya está %2.").arg(elDocumento(e, false), anulado(e));
    if (e.remesa != 0 && e.pagado)
        return no + QStringLiteral("%1 se cobró por la remesa nº %2. Si el banco l%3 devolvió, "
                                   "anote antes la devolución en «Remesas hechas».")
                        .arg(elDocumento(e, false), QString::number(e.remesa), o(e));
    if (e.remesa != 0)
        return no + QStringLiteral("%1 va en la remesa nº %2. Pida al banco que no l%3 cargue y "
                                   "anote la devolución en «Remesas hechas».")
                        .arg(elDocumento(e, false), QString::number(e.remesa), o(e));
    if (e.pagado)
        return no + QStringLiteral("%1 está pagad%2. Devuelva antes el importe y márquel%2 como "
                                   "pendiente.")
                        .arg(elDocumento(e, false), o(e));
    if (!e.rectificadaPor.isEmpty())
        return no + QStringLiteral("la factura %1 está rectificada por la %2; anule antes la "
                                   "rectificativa.")
                        .arg(e.numero, e.rectificadaPor);
    return {};
}

QString motivoRectificar(const EstadoDocumento& e) {
    if (e.verifactu == EstadoFactura::Emitida && !e.anulado) return {};
    return QStringLiteral("Solo se puede rectificar una factura emitida con registro VERI*FACTU y "
                          "no anulada.");
}

} // namespace

QString EstadoDocumento::clase() const {
    return factura ? QStringLiteral("factura") : QStringLiteral("recibo");
}

std::optional<EstadoDocumento> leerEstado(int id) {
    const QList<EstadoDocumento> estados = leerEstados({id});
    if (estados.isEmpty()) return std::nullopt;
    return estados.first();
}

QString motivoNo(const EstadoDocumento& e, Accion accion) {
    switch (accion) {
    case Accion::Editar:
        return motivoEditar(e);
    case Accion::Borrar:
        return motivoBorrar(e);
    case Accion::DeshacerEmision:
        return motivoDeshacer(e);
    case Accion::Remesar:
        return motivoRemesar(e);
    case Accion::MarcarPagado:
        return motivoPagado(e);
    case Accion::MarcarPendiente:
        return motivoPendiente(e);
    case Accion::PedirPago:
        return motivoPedirPago(e);
    case Accion::Anular:
        return motivoAnular(e);
    case Accion::Rectificar:
        break;
    }
    return motivoRectificar(e);
}

QString motivoNo(int id, Accion accion) {
    const auto e = leerEstado(id);
    if (!e) return QStringLiteral("El documento ya no existe.");
    return motivoNo(*e, accion);
}

QStringList formasDePago() {
    return {QStringLiteral("Transferencia"), QStringLiteral("Efectivo"), kDomiciliacion,
            QStringLiteral("Tarjeta"), QStringLiteral("Otra")};
}

Resultado<> marcarImpresos(const QList<int>& ids, const QString& como) {
    return intentar([&]() -> void {
        Transaccion t;
        // Records first: the check of the year before them must not see these as issued already.
        registrarAltas(ids);
        porTramos(QStringLiteral("UPDATE tblCobros SET Imp = 1, ImpCom = COALESCE(ImpCom, ?)"
                                 " WHERE Id IN (%1)"),
                  {como}, ids);
        t.confirmar();
    });
}

namespace {

/** Throws the first refusal of accion among ids; returns those still to change. */
QList<int> exigirTodos(const QList<int>& ids, Accion accion, bool yaHecho(const EstadoDocumento&)) {
    QList<int> cambian;
    for (const EstadoDocumento& e : leerEstados(ids)) {
        if (yaHecho(e)) continue;
        if (const QString motivo = motivoNo(e, accion); !motivo.isEmpty()) throw ErrorBD(motivo);
        cambian << e.id;
    }
    return cambian;
}

} // namespace

Resultado<> marcarPagados(const QList<int>& ids, const Pago& pago) {
    return intentar([&]() -> void {
        if (!pago.fecha.isValid())
            throw ErrorBD(QStringLiteral("Ponga una fecha de pago correcta."));
        Transaccion t;
        // One already paid keeps the day it was paid.
        const QList<int> cambian = exigirTodos(ids, Accion::MarcarPagado,
                                               [](const EstadoDocumento& e) { return e.pagado; });
        porTramos(
            QStringLiteral("UPDATE tblCobros SET Pag = 1, FecPag = ?, ForPag = ?, IdMov = NULL"
                           " WHERE Id IN (%1)"),
            {fechaIso(pago.fecha), pago.forma.isEmpty() ? QVariant() : QVariant(pago.forma)},
            cambian);
        t.confirmar();
    });
}

Resultado<> marcarPendientes(const QList<int>& ids) {
    return intentar([&]() -> void {
        Transaccion t;
        const QList<int> cambian = exigirTodos(ids, Accion::MarcarPendiente,
                                               [](const EstadoDocumento& e) { return !e.pagado; });
        porTramos(QStringLiteral(
                      "UPDATE tblCobros SET Pag = 0, FecPag = NULL, ForPag = NULL, IdMov = NULL"
                      " WHERE Id IN (%1)"),
                  {}, cambian);
        t.confirmar();
    });
}

Resultado<> anularDocumento(int id) {
    return intentar([&]() -> void {
        Transaccion t;
        const auto e = leerEstado(id);
        if (!e) throw ErrorBD(QStringLiteral("El documento ya no existe."));
        if (const QString motivo = motivoNo(*e, Accion::Anular); !motivo.isEmpty())
            throw ErrorBD(motivo);
        if (e->verifactu == EstadoFactura::Emitida) registrarAnulacion(id);
        ejecutar(QStringLiteral("UPDATE tblCobros SET Anu = 1, FecAnu = ? WHERE Id = ?"),
                 {fechaIso(Hoy()), id});
        t.confirmar();
    });
}

AvisoPago avisoPago(const EstadoDocumento& e) {
    AvisoPago a;
    // The table decides whether the paper asks for a transfer; the rest says why not.
    if (motivoNo(e, Accion::PedirPago).isEmpty()) {
        a.texto = QStringLiteral("PENDIENTE DE PAGO");
    } else if (e.anulado) {
        a.tipo = AvisoPago::Anulado;
        a.fecha = e.fechaAnulacion;
        a.texto =
            (e.factura ? QStringLiteral("Factura anulada") : QStringLiteral("Recibo anulado")) +
            (a.fecha.isValid() ? QStringLiteral(" el ") + formatoFecha(a.fecha) : QString()) + u'.';
    } else if (e.total < Importe()) {
        a.tipo = AvisoPago::Devolucion;
        a.fecha = e.fechaPago;
        const QString importe = (-e.total).texto();
        a.texto = e.pagado ? QStringLiteral("Se le devolvieron %1 € el %2.")
                                 .arg(importe, formatoFecha(a.fecha))
                           : QStringLiteral("Se le devolverán %1 €.").arg(importe);
    } else if (e.pagado) {
        a.tipo = AvisoPago::Pagado;
        a.fecha = e.fechaPago;
        a.texto = QStringLiteral("Pagado el %1").arg(formatoFecha(a.fecha)) +
                  (e.formaPago.isEmpty() ? QString()
                                         : QStringLiteral(" (%1)").arg(e.formaPago.toLower())) +
                  u'.';
    } else if (e.remesa != 0) {
        a.tipo = AvisoPago::Cargo;
        a.fecha = e.fechaCargo;
        a.cuenta = ibanCorto(e.ibanCargo);
        a.texto =
            QStringLiteral("Se cargará en su cuenta %1 el %2").arg(a.cuenta, formatoFecha(a.fecha));
    } else {
        a.tipo = AvisoPago::SinImporte;
    }
    return a;
}

QString textoEstado(const EstadoDocumento& e) {
    QStringList partes;
    const QString a = o(e);
    if (e.anulado)
        partes << QStringLiteral("ANULAD%1 el %2").arg(a.toUpper(), formatoFecha(e.fechaAnulacion));
    if (e.impreso)
        partes << QStringLiteral("Impres%1").arg(a) +
                      (e.comoImpreso.isEmpty() ? QString()
                                               : QStringLiteral(" (%1)").arg(e.comoImpreso));
    if (e.pagado)
        partes << QStringLiteral("Pagad%1 el %2").arg(a, formatoFecha(e.fechaPago)) +
                      (e.formaPago.isEmpty() ? QString()
                                             : QStringLiteral(" (%1)").arg(e.formaPago.toLower())) +
                      (e.remesa != 0 ? QStringLiteral(" por la remesa nº %1").arg(e.remesa)
                                     : QString());
    else if (e.remesa != 0)
        partes << QStringLiteral("En la remesa nº %1: se cargará en %2 el %3")
                      .arg(QString::number(e.remesa), ibanCorto(e.ibanCargo),
                           formatoFecha(e.fechaCargo));
    else if (e.devuelto)
        partes << QStringLiteral("Devuelt%1 por el banco: pendiente").arg(a);
    else if (!e.anulado)
        partes << QStringLiteral("Pendiente de pago");
    if (!e.rectificadaPor.isEmpty())
        partes << QStringLiteral("Rectificada por la %1").arg(e.rectificadaPor);
    return partes.join(QStringLiteral(" · "));
}

QString ibanCorto(const QString& iban) {
    const QString compacto = compactarIdentificador(iban);
    if (compacto.size() < 6) return compacto;
    return compacto.left(2) + QStringLiteral("… ") + compacto.right(4);
}

QString sqlCuenta(Cuenta cuenta, const QString& a) {
    switch (cuenta) {
    case Cuenta::Facturado:
        return QStringLiteral("%1.Anu = 0").arg(a);
    case Cuenta::Cobrado:
        return QStringLiteral("%1.Anu = 0 AND %1.Pag <> 0").arg(a);
    case Cuenta::Pendiente:
        break;
    }
    return QStringLiteral("%1.Anu = 0 AND %1.Pag = 0").arg(a);
}

QString sqlFechaCuenta(Cuenta cuenta, const QString& a) {
    return cuenta == Cuenta::Cobrado ? a + QStringLiteral(".FecPag") : a + QStringLiteral(".Fec");
}

QString sqlImporte(Cuenta cuenta, const QString& a, const QString& columna) {
    return QStringLiteral("CASE WHEN %1 THEN %2.%3 ELSE 0 END")
        .arg(sqlCuenta(cuenta, a), a, columna);
}

} // namespace torvane
