#include "core/contracts/Contratos.h"

#include "core/contracts/PlazosVivienda.h"
#include "core/documents/Documentos.h"
#include "core/documents/Funciones.h"
#include "core/documents/Titulos.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <algorithm>

namespace torvane {

namespace {

const QString kCampos = QStringLiteral(
    "Id, IdInm, IdInq, Tip, FecIni, Dur, Pro, Ren, Reg, PorFij, MesAct, FecAct, FiaImp, FiaMes,"
    " FiaFec, FiaDep, FiaRef, FiaFecDev, FiaImpDev, Gar, Obs, Act, RedViv");

QDate fecha(const QVariant& v) {
    return v.isNull() ? QDate() : desdeIso(v.toString());
}

QVariant iso(const QDate& d) {
    return d.isValid() ? QVariant(fechaIso(d)) : QVariant();
}

Contrato deFila(const QSqlQuery& q) {
    Contrato c;
    c.id = q.value(0).toInt();
    c.idInm = q.value(1).toInt();
    c.idInq = q.value(2).toInt();
    c.tipo = static_cast<TipoContrato>(std::clamp(q.value(3).toInt(), 0, 4));
    c.inicio = fecha(q.value(4));
    c.duracion = q.value(5).toInt();
    c.prorroga = q.value(6).toInt();
    c.renta = importeGuardado(q.value(7));
    c.regla = static_cast<Regla>(std::clamp(q.value(8).toInt(), 0, 3));
    c.porFijo = decimalGuardado(q.value(9));
    c.mesActualizacion = q.value(10).toInt();
    c.ultimaActualizacion = fecha(q.value(11));
    c.fianza = importeGuardado(q.value(12));
    c.fianzaMeses = decimalGuardado(q.value(13));
    c.fianzaFecha = fecha(q.value(14));
    c.fianzaDeposito = textoCampo(q.value(15));
    c.fianzaReferencia = textoCampo(q.value(16));
    c.fianzaDevolucion = fecha(q.value(17));
    c.fianzaDevuelta = importeGuardado(q.value(18));
    c.garantias = textoCampo(q.value(19));
    c.obs = textoCampo(q.value(20));
    c.actual = q.value(21).toInt() != 0;
    c.reduccion = static_cast<ReduccionVivienda>(std::clamp(q.value(22).toInt(), 0, 3));
    return c;
}

QList<Contrato> contratosDe(QSqlQuery q) {
    QList<Contrato> lista;
    while (q.next())
        lista << deFila(q);
    return lista;
}

/**
 * How a property first billed by a contract is charged: a home without VAT on a receipt; other
 * uses with the VAT of type 1 and the company's withholding, on an invoice of the first invoice
 * series when there is one.
 */
void condicionesDeContrato(int idInm, TipoContrato tipo) {
    if (tipo == TipoContrato::Vivienda) {
        ejecutar(QStringLiteral("UPDATE tblInmuebles SET CarPorIva = 0, CarPorRet = 0, CarFac = 0"
                                " WHERE Id = ?"),
                 {idInm});
        return;
    }
    const QString serie = primeraSerieFacturas();
    const QVariant ret = valorUnico(QStringLiteral("SELECT PorRet FROM tblTitulos"));
    ejecutar(QStringLiteral("UPDATE tblInmuebles SET CarPorIva = ?, CarPorRet = ?, CarFac = 1,"
                            " CarSer = ? WHERE Id = ?"),
             {guardar(tasaIvaDeTipo(1)), guardar(decimalGuardado(ret)),
              serie.isEmpty() ? QVariant() : serie, idInm});
}

/**
 * The property's price and its rent line (concept 1, the one at the old rent first). A current
 * contract's rent is always among the monthly charges, so the run bills it: a missing rent line
 * is added first, and a property that had no charges gets the terms of the contract's use.
 */
void rentaAlInmueble(int idInm, Importe anterior, Importe renta, TipoContrato tipo) {
    ejecutar(QStringLiteral("UPDATE tblInmuebles SET Pre = ? WHERE Id = ?"),
             {guardar(renta), idInm});
    const int lineas =
        valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblInmueblesCargos WHERE IdInm = ?"),
                   {idInm})
            .toInt();
    if (lineas == 0) condicionesDeContrato(idInm, tipo);
    if (!valorUnico(QStringLiteral("SELECT 1 FROM tblInmueblesCargos WHERE IdInm = ? AND"
                                   " IdCon = 1"),
                    {idInm})
             .isValid()) {
        const QString des = DescripcionDeCodigo(QStringLiteral("tblCobrosConceptos"),
                                                QStringLiteral("Id"), QStringLiteral("Des"), 1);
        ejecutar(QStringLiteral("UPDATE tblInmueblesCargos SET Lin = Lin + 1 WHERE IdInm = ?"),
                 {idInm});
        ejecutar(QStringLiteral("INSERT INTO tblInmueblesCargos (IdInm, Lin, IdCon, DesCon, Und,"
                                " Pre) VALUES (?, 1, 1, ?, 1, ?)"),
                 {idInm, des == kNoEncontrado ? QStringLiteral("Alquiler") : des, guardar(renta)});
        return;
    }
    ejecutar(QStringLiteral("UPDATE tblInmueblesCargos SET Pre = ? WHERE Id = (SELECT Id FROM"
                            " tblInmueblesCargos WHERE IdInm = ? AND IdCon = 1"
                            " ORDER BY CASE WHEN Pre = ? THEN 0 ELSE 1 END, Lin LIMIT 1)"),
             {guardar(renta), idInm, guardar(anterior)});
}

void anadir(QList<Vencimiento>& lista, const QDate& d, const QString& clase, int idCon,
            const QString& detalle) {
    lista << Vencimiento{d, clase, idCon, detalle};
}

/** The first of the days still to come; the last of them once all are past. */
QDate proximoDe(const QDate& hoy, std::initializer_list<QDate> dias) {
    QDate proximo, ultimo;
    for (const QDate& d : dias) {
        if (!d.isValid()) continue;
        if (d >= hoy && (!proximo.isValid() || d < proximo)) proximo = d;
        if (!ultimo.isValid() || d > ultimo) ultimo = d;
    }
    return proximo.isValid() ? proximo : ultimo;
}

/** Premises and the rest: the agreed end, with 30 days' notice either way. */
void anadirFinOtro(QList<Vencimiento>& lista, const Contrato& c, const QDate& hoy,
                   const QDate& limite) {
    const QDate fin = c.fin();
    const QDate aviso = fin.addDays(-30);
    if (aviso > limite) return;
    anadir(lista, proximoDe(hoy, {fin, aviso}), QStringLiteral("Fin de contrato"), c.id,
           QStringLiteral("termina el %1; avisos: %2 (30 días)")
               .arg(formatoFecha(fin), formatoFecha(aviso)));
}

/**
 * A home ends by the law of the day it was signed: the mandatory term, then the tacit
 * extensions that only a notice in time stops. Returns the end that is due, or an invalid date
 * while a tacit year may still run on.
 */
QDate anadirFinVivienda(QList<Vencimiento>& lista, const Contrato& c, const QDate& hoy,
                        const QDate& limite, bool sociedad) {
    const TerminoVivienda t = terminoVivienda(c.inicio, c.fin(), sociedad);
    const PlazosVivienda& p = t.plazos;
    if (hoy <= t.finObligatorio) {
        if (std::min(t.avisoArrendador, t.avisoInquilino) > limite) return t.finObligatorio;
        const QString tacita =
            p.tacitaSinFin ? QStringLiteral("de año en año")
                           : QStringLiteral("por años hasta el %1").arg(formatoFecha(t.finTacito));
        anadir(lista, proximoDe(hoy, {t.finObligatorio, t.avisoInquilino, t.avisoArrendador}),
               QStringLiteral("Fin de contrato"), c.id,
               QStringLiteral("%1: el inquilino puede quedarse hasta el %2 (%3 años). Para no "
                              "renovar, el arrendador avisa antes del %4 (%5) y el inquilino antes "
                              "del %6 (%7); sin aviso se prorroga %8")
                   .arg(p.ley, formatoFecha(t.finObligatorio))
                   .arg(p.anosObligatorios)
                   .arg(formatoFecha(t.avisoArrendador), textoPlazo(p.mesesAviso, p.diasAviso),
                        formatoFecha(t.avisoInquilino),
                        textoPlazo(p.mesesAvisoInquilino, p.diasAvisoInquilino), tacita));
        return t.finObligatorio;
    }
    if (p.tacitaSinFin || hoy <= t.finTacito) {
        int anos = 1;
        while (t.finObligatorio.addYears(anos) < hoy)
            ++anos;
        const QDate fin = t.finObligatorio.addYears(anos);
        const QDate avisoInquilino = antesDe(fin, p.mesesAvisoTacita, p.diasAvisoTacita);
        // Only where the tacit year repeats may the landlord end it before the last.
        const QDate avisoArrendador =
            p.tacitaSinFin ? antesDe(fin, p.mesesAviso, p.diasAviso) : QDate();
        if (avisoInquilino > limite) return {};
        const QString detalle =
            p.tacitaSinFin
                ? QStringLiteral(
                      "%1: prórroga tácita hasta el %2; para no renovar, el arrendador o "
                      "el inquilino avisan antes del %3 (%4)")
                      .arg(p.ley, formatoFecha(fin), formatoFecha(avisoArrendador),
                           textoPlazo(p.mesesAviso, p.diasAviso))
                : QStringLiteral("%1: prórroga tácita hasta el %2; el inquilino puede dejarlo el "
                                 "%3 avisando antes del %4 (%5); el arrendador, no")
                      .arg(p.ley, formatoFecha(t.finTacito), formatoFecha(fin),
                           formatoFecha(avisoInquilino),
                           textoPlazo(p.mesesAvisoTacita, p.diasAvisoTacita));
        anadir(lista, proximoDe(hoy, {fin, avisoInquilino, avisoArrendador}),
               QStringLiteral("Prórroga"), c.id, detalle);
        return {};
    }
    anadir(lista, t.finTacito, QStringLiteral("Fin de contrato"), c.id,
           QStringLiteral("%1: las prórrogas terminaron el %2; si sigue, es por tácita "
                          "reconducción (art. 1566 del Código Civil)")
               .arg(p.ley, formatoFecha(t.finTacito)));
    return t.finTacito;
}

} // namespace

QStringList nombresTipos() {
    return {QStringLiteral("Vivienda habitual"), QStringLiteral("Local"), QStringLiteral("Oficina"),
            QStringLiteral("Garaje"), QStringLiteral("Otro uso")};
}

QStringList nombresReglas() {
    return {QStringLiteral("Ninguna"), QStringLiteral("IPC"), QStringLiteral("IRAV"),
            QStringLiteral("Fijo")};
}

QStringList nombresReducciones() {
    return {QStringLiteral("General (50 %)"),
            QStringLiteral("Zona tensionada, renta rebajada más de un 5 % (90 %)"),
            QStringLiteral("Zona tensionada, primer alquiler o inquilinos de 18 a 35 años (70 %)"),
            QStringLiteral("Rehabilitada en los dos años anteriores (60 %)")};
}

QDate Contrato::fin() const {
    if (!inicio.isValid()) return {};
    const QDate mismoDia = inicio.addMonths(duracion + prorroga);
    // Started on a day the last month lacks (29 February, 31st): it ends on that month's last.
    return mismoDia.day() != inicio.day() ? mismoDia : mismoDia.addDays(-1);
}

int Contrato::mesDeActualizacion() const {
    return mesActualizacion >= 1 && mesActualizacion <= 12 ? mesActualizacion : inicio.month();
}

bool Contrato::llevaTopeIrav() const {
    return esVivienda() && inicio >= kInicioTopeIrav &&
           (regla == Regla::Ipc || regla == Regla::Fijo);
}

QDate Contrato::proximaActualizacion() const {
    if (regla == Regla::Ninguna || !inicio.isValid()) return {};
    // Never before a whole year has passed since it started.
    const QDate aniversario = inicio.addYears(1);
    const QDate primero(aniversario.year(), aniversario.month(), 1);
    QDate d(aniversario.year(), mesDeActualizacion(), 1);
    if (d < primero) d = d.addYears(1);
    while (ultimaActualizacion.isValid() && d <= ultimaActualizacion)
        d = d.addYears(1);
    // A home runs on by law past what was agreed, and its rent is updated while it may (the
    // longest the law allows: a company's).
    const QDate hasta = esVivienda() ? terminoVivienda(inicio, fin(), true).finTacito : fin();
    return !hasta.isValid() || d <= hasta ? d : QDate();
}

QString validarContrato(const Contrato& c) {
    if (c.idInm <= 0 || nombreInmueble(c.idInm) == kNoEncontrado)
        return QStringLiteral("Ese inmueble no existe. Elija otro");
    if (c.idInq <= 0 || nombreInquilino(c.idInq) == kNoEncontrado)
        return QStringLiteral("Ese inquilino no existe. Elija otro");
    if (!c.inicio.isValid()) return QStringLiteral("Ponga una fecha de inicio correcta");
    if (c.duracion < 1 || c.duracion > 1200)
        return QStringLiteral("Ponga una duración en meses entre 1 y 1200");
    if (c.prorroga < 0 || c.prorroga > 1200)
        return QStringLiteral("Ponga unas prórrogas en meses entre 0 y 1200");
    if (c.renta < Importe()) return QStringLiteral("Ponga una renta correcta");
    if (c.mesActualizacion < 0 || c.mesActualizacion > 12)
        return QStringLiteral("Ponga el mes de actualización entre 1 y 12");
    if (c.fianza < Importe() || c.fianzaDevuelta < Importe() || c.fianzaMeses < Decimal())
        return QStringLiteral("Ponga una fianza correcta");
    if (c.fianzaDevuelta > c.fianza)
        return QStringLiteral("Lo devuelto de la fianza no puede pasar de la fianza");
    return {};
}

QList<Contrato> leerContratos(int idInm) {
    const QString sql = QStringLiteral("SELECT ") + kCampos + QStringLiteral(" FROM tblContratos");
    if (idInm > 0)
        return contratosDe(
            ejecutar(sql + QStringLiteral(" WHERE IdInm = ? ORDER BY FecIni DESC, Id"), {idInm}));
    return contratosDe(ejecutar(
        sql +
        QStringLiteral(" ORDER BY (SELECT Des FROM tblInmuebles WHERE Id = IdInm), FecIni DESC")));
}

std::optional<Contrato> leerContrato(int id) {
    const QList<Contrato> uno = contratosDe(ejecutar(
        QStringLiteral("SELECT ") + kCampos + QStringLiteral(" FROM tblContratos WHERE Id = ?"),
        {id}));
    if (uno.isEmpty()) return std::nullopt;
    return uno.first();
}

Resultado<int> guardarContrato(Contrato c) {
    return intentar([&]() -> int {
        if (const QString motivo = validarContrato(c); !motivo.isEmpty()) throw ErrorBD(motivo);
        Transaccion t;
        if (c.actual)
            ejecutar(QStringLiteral("UPDATE tblContratos SET Act = 0 WHERE IdInm = ? AND Id <> ?"),
                     {c.idInm, c.id});
        const bool nuevo = c.id == 0;
        if (nuevo) c.id = SiguienteNumero(QStringLiteral("tblContratos"), QStringLiteral("Id"));
        const QVariantList valores{c.idInm,
                                   c.idInq,
                                   static_cast<int>(c.tipo),
                                   iso(c.inicio),
                                   c.duracion,
                                   c.prorroga,
                                   iso(c.fin()),
                                   guardar(c.renta),
                                   static_cast<int>(c.regla),
                                   guardar(c.porFijo),
                                   c.mesActualizacion,
                                   iso(c.ultimaActualizacion),
                                   guardar(c.fianza),
                                   guardar(c.fianzaMeses),
                                   iso(c.fianzaFecha),
                                   c.fianzaDeposito,
                                   c.fianzaReferencia,
                                   iso(c.fianzaDevolucion),
                                   guardar(c.fianzaDevuelta),
                                   c.garantias,
                                   c.obs,
                                   c.actual ? 1 : 0,
                                   static_cast<int>(c.reduccion),
                                   c.id};
        ejecutar(
            nuevo ? QStringLiteral("INSERT INTO tblContratos (IdInm, IdInq, Tip, FecIni, Dur, Pro,"
                                   " FecFin, Ren, Reg, PorFij, MesAct, FecAct, FiaImp, FiaMes,"
                                   " FiaFec, FiaDep, FiaRef, FiaFecDev, FiaImpDev, Gar, Obs, Act,"
                                   " RedViv, Id) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                                   "?,?,?)")
                  : QStringLiteral("UPDATE tblContratos SET IdInm = ?, IdInq = ?, Tip = ?,"
                                   " FecIni = ?, Dur = ?, Pro = ?, FecFin = ?, Ren = ?, Reg = ?,"
                                   " PorFij = ?, MesAct = ?, FecAct = ?, FiaImp = ?, FiaMes = ?,"
                                   " FiaFec = ?, FiaDep = ?, FiaRef = ?, FiaFecDev = ?,"
                                   " FiaImpDev = ?, Gar = ?, Obs = ?, Act = ?, RedViv = ?"
                                   " WHERE Id = ?"),
            valores);
        if (c.actual) {
            const Importe antes = precioInmueble(c.idInm);
            ejecutar(QStringLiteral("UPDATE tblInmuebles SET IdInq = ? WHERE Id = ?"),
                     {c.idInq, c.idInm});
            rentaAlInmueble(c.idInm, antes, c.renta, c.tipo);
        }
        t.confirmar();
        return c.id;
    });
}

void borrarContrato(int id) {
    Transaccion t;
    ejecutar(QStringLiteral("DELETE FROM tblContratosRentas WHERE IdCon = ?"), {id});
    ejecutar(QStringLiteral("DELETE FROM tblContratos WHERE Id = ?"), {id});
    t.confirmar();
}

Actualizacion calcularActualizacion(const Contrato& c, const Indices& indices) {
    Actualizacion a;
    a.rentaAnterior = c.renta;
    a.rentaNueva = c.renta;
    a.indice = nombresReglas().value(static_cast<int>(c.regla));
    switch (c.regla) {
    case Regla::Ninguna:
        a.error = QStringLiteral("El contrato no se actualiza");
        return a;
    case Regla::Ipc:
        if (!indices.ipc)
            a.error = QStringLiteral("Falta el IPC del mes");
        else
            a.tasa = *indices.ipc;
        break;
    case Regla::Irav:
        if (!indices.irav)
            a.error = QStringLiteral("Falta el IRAV del mes");
        else
            a.tasa = *indices.irav;
        break;
    case Regla::Fijo:
        a.tasa = c.porFijo;
        break;
    }
    if (!a.error.isEmpty()) return a;
    a.explicacion = a.indice + QLatin1Char(' ') + textoPorcentaje(a.tasa);
    if (c.llevaTopeIrav()) {
        if (!indices.irav) {
            a.error = QStringLiteral("Falta el IRAV del mes, que limita esta vivienda");
            return a;
        }
        if (a.tasa > *indices.irav) {
            a.explicacion +=
                QStringLiteral(" limitado al IRAV %1 (vivienda firmada desde el %2)")
                    .arg(textoPorcentaje(*indices.irav), formatoFecha(kInicioTopeIrav));
            a.tasa = *indices.irav;
            a.indice = QStringLiteral("IRAV");
        }
    }
    const auto nueva = c.renta.porcentaje(Decimal::deEntero(100) + a.tasa);
    if (!nueva) {
        a.error = textoDemasiadoGrande();
        return a;
    }
    a.rentaNueva = *nueva;
    a.explicacion += QStringLiteral(": %1 × (1 + %2 / 100) = %3")
                         .arg(c.renta.texto(), a.tasa.texto(), a.rentaNueva.texto());
    return a;
}

QList<Contrato> contratosPorActualizar(const QDate& mes) {
    const QDate finMes = QDate(mes.year(), mes.month(), 1).addMonths(1).addDays(-1);
    QList<Contrato> lista;
    for (const Contrato& c : leerContratos()) {
        const QDate d = c.proximaActualizacion();
        if (c.actual && d.isValid() && d <= finMes) lista << c;
    }
    return lista;
}

std::optional<Decimal> leerIndice(const QString& indice, int ano, int mes) {
    const QVariant v = valorUnico(
        QStringLiteral("SELECT Tas FROM tblIndices WHERE Ind = ? AND Ano = ? AND Mes = ?"),
        {indice, ano, mes});
    if (!v.isValid() || v.isNull()) return std::nullopt;
    return decimalGuardado(v);
}

void guardarIndice(const QString& indice, int ano, int mes, Decimal tasa) {
    ejecutar(QStringLiteral("INSERT INTO tblIndices (Ind, Ano, Mes, Tas) VALUES (?, ?, ?, ?)"
                            " ON CONFLICT (Ind, Ano, Mes) DO UPDATE SET Tas = excluded.Tas"),
             {indice, ano, mes, guardar(tasa)});
}

Resultado<> aplicarActualizaciones(const QList<RentaNueva>& rentas, const QDate& desde,
                                   const QDate& mes, const Indices& indices) {
    return intentar([&]() -> void {
        Transaccion t;
        if (indices.ipc)
            guardarIndice(QStringLiteral("IPC"), mes.year(), mes.month(), *indices.ipc);
        if (indices.irav)
            guardarIndice(QStringLiteral("IRAV"), mes.year(), mes.month(), *indices.irav);
        for (const auto& [c, a] : rentas) {
            const QDate debida = c.proximaActualizacion();
            if (!a.error.isEmpty()) throw ErrorBD(a.error);
            if (!debida.isValid())
                throw ErrorBD(
                    QStringLiteral("El contrato de %1 no tiene ninguna actualización pendiente")
                        .arg(nombreInmueble(c.idInm)));
            ejecutar(
                QStringLiteral("INSERT INTO tblContratosRentas (IdCon, Fec, FecDeb, RenAnt, Ren,"
                               " Ind, Tas, Exp) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                {c.id, fechaIso(desde), fechaIso(debida), guardar(a.rentaAnterior),
                 guardar(a.rentaNueva), a.indice, guardar(a.tasa), a.explicacion});
            ejecutar(QStringLiteral("UPDATE tblContratos SET Ren = ?, FecAct = ? WHERE Id = ?"),
                     {guardar(a.rentaNueva), fechaIso(debida), c.id});
            if (c.actual) rentaAlInmueble(c.idInm, a.rentaAnterior, a.rentaNueva, c.tipo);
        }
        t.confirmar();
    });
}

QList<RentaPasada> historialRentas(int idCon) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Fec, RenAnt, Ren, Exp FROM tblContratosRentas"
                                          " WHERE IdCon = ? ORDER BY Fec, Id"),
                           {idCon});
    QList<RentaPasada> lista;
    while (q.next())
        lista << RentaPasada{fecha(q.value(0)), importeGuardado(q.value(1)),
                             importeGuardado(q.value(2)), textoCampo(q.value(3))};
    return lista;
}

QList<Vencimiento> vencimientosDe(const Contrato& c, const QDate& hoy, int dias, bool sociedad) {
    QList<Vencimiento> lista;
    const QDate limite = hoy.addDays(dias);
    QDate fin = c.fin();
    if (c.actual && fin.isValid()) {
        if (c.esVivienda())
            fin = anadirFinVivienda(lista, c, hoy, limite, sociedad);
        else
            anadirFinOtro(lista, c, hoy, limite);
    }
    if (const QDate d = c.proximaActualizacion(); c.actual && d.isValid() && d <= limite)
        anadir(lista, d, QStringLiteral("Actualización"), c.id,
               QStringLiteral("renta de %1 por %2")
                   .arg(c.renta.texto(), nombresReglas().value(static_cast<int>(c.regla))));
    if (c.fianza > Importe() && !c.fianzaDevolucion.isValid() && fin.isValid() && fin <= limite) {
        // The landlord has a month from the keys' return to give the deposit back.
        anadir(lista, fin.addMonths(1), QStringLiteral("Fianza"), c.id,
               QStringLiteral("devolver %1 € (el contrato termina el %2)")
                   .arg(c.fianza.texto(), formatoFecha(fin)));
    }
    return lista;
}

QList<Vencimiento> vencimientos(const QDate& hoy, int dias) {
    const bool sociedad = leerTipoEmisor() == TipoEmisor::Sociedad;
    QList<Vencimiento> lista;
    for (const Contrato& c : leerContratos())
        lista << vencimientosDe(c, hoy, dias, sociedad);
    std::stable_sort(lista.begin(), lista.end(),
                     [](const Vencimiento& a, const Vencimiento& b) { return a.fecha < b.fecha; });
    return lista;
}

QString motivoContratosInmueble(int idInm) {
    for (const Contrato& c : leerContratos(idInm)) {
        const QString de = QStringLiteral("el contrato de %1 desde el %2")
                               .arg(nombreInquilino(c.idInq), formatoFecha(c.inicio));
        if (c.actual)
            return QStringLiteral("No se puede borrar: el inmueble tiene un contrato actual (%1). "
                                  "Quítele «Es el contrato actual» en «Contratos» cuando termine.")
                .arg(de);
        if (c.fianza > Importe() && !c.fianzaDevolucion.isValid())
            return QStringLiteral("No se puede borrar: la fianza de %1 € (%2) no está devuelta. "
                                  "Apunte su devolución en el contrato.")
                .arg(c.fianza.texto(), de);
    }
    return {};
}

QString motivoNoBorrarInmueble(int idInm) {
    const QString motivo = motivoNoBorrar(UsadoPor::Inmueble, idInm);
    return motivo.isEmpty() ? motivoContratosInmueble(idInm) : motivo;
}

QString nombreInmueble(int idInm) {
    return DescripcionDeCodigo(QStringLiteral("tblInmuebles"), QStringLiteral("Id"),
                               QStringLiteral("Des"), idInm);
}

Importe precioInmueble(int idInm) {
    return importeGuardado(
        valorUnico(QStringLiteral("SELECT Pre FROM tblInmuebles WHERE Id = ?"), {idInm}));
}

QString nombreInquilino(int idInq) {
    return DescripcionDeCodigo(QStringLiteral("tblInquilinos"), QStringLiteral("Id"),
                               QStringLiteral("Nom"), idInq);
}

ParametrosInforme datosCarta(const Contrato& c, const Actualizacion& a, const QDate& desde) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT i.Des, i.Dir, i.CP, i.Pob, q.Nom, q.DNI, q.Dir, q.CP, q.Pob"
                       " FROM tblInmuebles i LEFT JOIN tblInquilinos q ON q.Id = ? WHERE i.Id = ?"),
        {c.idInq, c.idInm});
    ParametrosInforme p;
    if (q.next()) {
        const bool propia = !textoCampo(q.value(6)).isEmpty();
        p = {{QStringLiteral("pInmueble"), textoCampo(q.value(0))},
             {QStringLiteral("pDireccionInmueble"), textoCampo(q.value(1))},
             {QStringLiteral("pInquilino"), textoCampo(q.value(4))},
             {QStringLiteral("pDni"), textoCampo(q.value(5))},
             {QStringLiteral("pDireccion"), textoCampo(q.value(propia ? 6 : 1))},
             {QStringLiteral("pLocalidad"), (textoCampo(q.value(propia ? 7 : 2)) +
                                             QLatin1Char(' ') + textoCampo(q.value(propia ? 8 : 3)))
                                                .trimmed()}};
    }
    p.insert({{QStringLiteral("pInicio"), formatoFecha(c.inicio)},
              {QStringLiteral("pIndice"), a.indice},
              {QStringLiteral("pTasa"), textoPorcentaje(a.tasa)},
              {QStringLiteral("pRentaAnterior"), a.rentaAnterior.texto()},
              {QStringLiteral("pRentaNueva"), a.rentaNueva.texto()},
              {QStringLiteral("pDiferencia"), (a.rentaNueva - a.rentaAnterior).texto()},
              {QStringLiteral("pCalculo"), a.explicacion},
              {QStringLiteral("pDesde"), formatoFecha(desde)}});
    return p;
}

namespace {

ParametrosInforme filaComun(const Contrato& c) {
    return {{QStringLiteral("inmueble"), nombreInmueble(c.idInm)},
            {QStringLiteral("inquilino"), nombreInquilino(c.idInq)},
            {QStringLiteral("inicio"), formatoFecha(c.inicio)},
            {QStringLiteral("fin"), formatoFecha(c.fin())},
            {QStringLiteral("fianza"), c.fianza.texto()}};
}

} // namespace

FilasInforme filasContratos() {
    FilasInforme filas;
    Importe rentas, fianzas;
    for (const Contrato& c : leerContratos()) {
        ParametrosInforme f = filaComun(c);
        f.insert(
            {{QStringLiteral("tipo"), nombresTipos().value(static_cast<int>(c.tipo))},
             {QStringLiteral("renta"), c.renta.texto()},
             {QStringLiteral("actual"), c.actual ? QStringLiteral("SÍ") : QStringLiteral("NO")}});
        filas.filas << f;
        if (c.actual) rentas += c.renta;
        if (c.actual) fianzas += c.fianza;
    }
    filas.totales = {{QStringLiteral("cuenta"), QString::number(filas.filas.size())},
                     {QStringLiteral("renta"), rentas.texto()},
                     {QStringLiteral("fianza"), fianzas.texto()}};
    return filas;
}

FilasInforme filasFianzas() {
    FilasInforme filas;
    Importe retenidas;
    for (const Contrato& c : leerContratos()) {
        if (c.fianza <= Importe()) continue;
        ParametrosInforme f = filaComun(c);
        f.insert({{QStringLiteral("depositada"), formatoFecha(c.fianzaFecha)},
                  {QStringLiteral("deposito"), c.fianzaDeposito},
                  {QStringLiteral("referencia"), c.fianzaReferencia},
                  {QStringLiteral("devuelta"), formatoFecha(c.fianzaDevolucion)},
                  {QStringLiteral("importeDevuelto"),
                   c.fianzaDevolucion.isValid() ? c.fianzaDevuelta.texto() : QString()}});
        filas.filas << f;
        if (!c.fianzaDevolucion.isValid()) retenidas += c.fianza;
    }
    filas.totales = {{QStringLiteral("cuenta"), QString::number(filas.filas.size())},
                     {QStringLiteral("fianza"), retenidas.texto()}};
    return filas;
}

} // namespace torvane
