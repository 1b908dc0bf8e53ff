#include "core/banking/Remesas.h"

#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/store/Privado.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <algorithm>

namespace torvane {

namespace {

/** A tenant's account a debit goes to: the first with a mandate, else the first. */
struct CuentaDebito {
    int id = 0;
    QString iban;
    QString mandato;
    QDate firma;
    bool primeroHecho = false;
};

QHash<int, CuentaDebito> cuentasDeCobro() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT IdInq, Id, IBAN, MndRef, MndFec, MndPri FROM tblInquilinosCuentas"
        " ORDER BY IdInq, CASE WHEN COALESCE(MndRef, '') = '' THEN 1 ELSE 0 END, Id"));
    QHash<int, CuentaDebito> cuentas;
    while (q.next()) {
        const int idInq = q.value(0).toInt();
        if (cuentas.contains(idInq)) continue;
        cuentas.insert(idInq, {q.value(1).toInt(), compactarIdentificador(textoCampo(q.value(2))),
                               textoCampo(q.value(3)), desdeIso(textoCampo(q.value(4))),
                               q.value(5).toInt() != 0});
    }
    return cuentas;
}

QString motivoCobro(const CobroRemesa& c, int idInq) {
    if (c.importe <= Importe()) return QStringLiteral("importe cero o negativo");
    if (idInq == 0) return QStringLiteral("sin inquilino");
    // The bank needs the debtor's name: a deleted tenant's accounts stay behind.
    if (textoSepa(c.inquilino, 70).isEmpty())
        return QStringLiteral("el inquilino no existe o no tiene nombre");
    if (c.idCta == 0) return QStringLiteral("sin cuenta bancaria");
    if (const QString m = motivoIban(c.iban); !m.isEmpty())
        return QStringLiteral("IBAN no válido: ") + m;
    if (c.mandato.isEmpty()) return QStringLiteral("sin mandato firmado");
    if (!c.firma.isValid()) return QStringLiteral("mandato sin fecha de firma");
    return {};
}

// Free for a remittance: pending (unpaid, not cancelled), and in none but as a returned debit.
QString libre() {
    return sqlCuenta(Cuenta::Pendiente, QStringLiteral("c")) +
           QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM tblRemesasCobros r WHERE r.IdDoc = c.Id"
                          " AND r.Dev = 0)");
}

/** "1A-2A", or "1A+3" when the numbers do not fit a bank's reference. */
QString referenciaAdeudo(const QStringList& numeros) {
    const QString todos = numeros.join(QLatin1Char('-'));
    if (todos.size() <= 35) return todos;
    return numeros.first() + QStringLiteral("+%1").arg(numeros.size() - 1);
}

QString mesYAno(const QDate& fecha) {
    return QLocale(QLocale::Spanish, QLocale::Spain).standaloneMonthName(fecha.month()).toLower() +
           u' ' + QString::number(fecha.year());
}

/** "Recibos 1A, 2A mayo 2024": every document of one debit, as the tenant's bank shows it. */
QString conceptoVarios(const QList<CobroRemesa>& cobros) {
    bool facturas = false, recibos = false, mismoMes = true;
    for (const CobroRemesa& c : cobros) {
        (c.factura ? facturas : recibos) = true;
        mismoMes = mismoMes && mesYAno(c.fecha) == mesYAno(cobros.first().fecha);
    }
    QStringList partes;
    for (const CobroRemesa& c : cobros)
        partes << (mismoMes ? c.numero : c.numero + u' ' + mesYAno(c.fecha));
    const QString clase = facturas && recibos ? QStringLiteral("Recibos y facturas")
                          : facturas          ? QStringLiteral("Facturas")
                                              : QStringLiteral("Recibos");
    return clase + u' ' + partes.join(QStringLiteral(", ")) +
           (mismoMes ? u' ' + mesYAno(cobros.first().fecha) : QString());
}

Adeudo adeudoDe(const QList<CobroRemesa>& cobros) {
    const CobroRemesa& c = cobros.first();
    QStringList numeros;
    Importe suma;
    for (const CobroRemesa& d : cobros) {
        numeros << d.numero;
        suma += d.importe;
    }
    return {referenciaAdeudo(numeros),
            suma,
            c.mandato,
            c.firma,
            c.secuencia,
            c.inquilino,
            c.iban,
            cobros.size() == 1 ? conceptoAdeudo(c) : conceptoVarios(cobros)};
}

void anotarRemesa(int idRem, const QList<CobroRemesa>& cobros, const QDate& fechaCobro,
                  const QString& ruta, const QString& msgId) {
    Importe total;
    for (const CobroRemesa& c : cobros) {
        const QVariant sigueLibre = valorUnico(
            QStringLiteral("SELECT 1 FROM tblCobros c WHERE c.Id = ? AND ") + libre(), {c.idDoc});
        if (sigueLibre.isNull())
            throw ErrorBD(QStringLiteral("El documento %1 ya no está pendiente o ya va en otra "
                                         "remesa. Vuelva a proponer la remesa.")
                              .arg(c.numero));
        ejecutar(QStringLiteral("INSERT INTO tblRemesasCobros (IdRem, IdDoc, IdCta, MndRef, IBAN,"
                                " Sec, Imp) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {idRem, c.idDoc, c.idCta, c.mandato, c.iban, c.secuencia, guardar(c.importe)});
        if (c.secuencia == QStringLiteral("FRST"))
            ejecutar(QStringLiteral("UPDATE tblInquilinosCuentas SET MndPri = 1 WHERE Id = ?"),
                     {c.idCta});
        total += c.importe;
    }
    ejecutar(
        QStringLiteral("INSERT INTO tblRemesas (Id, Fec, FecCob, Arc, MsgId, Num, Tot)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {idRem, fechaIso(Hoy()), fechaIso(fechaCobro), ruta, msgId, cobros.size(), guardar(total)});
}

void escribirArchivo(const QString& ruta, const QByteArray& contenido) {
    // It carries the tenants' names and accounts: private before the first byte.
    QSaveFile archivo(ruta);
    if (!archivoPrivado(ruta) || !archivo.open(QIODevice::WriteOnly) ||
        archivo.write(contenido) != contenido.size() || !archivo.commit())
        throw ErrorBD(QStringLiteral("No se pudo escribir el archivo %1 (%2).")
                          .arg(ruta, archivo.errorString()));
}

} // namespace

FiltroRemesa mesRemesaPropuesto(const QDate& hoy, int ano) {
    QDate dia = hoy;
    if (hoy.year() != ano) {
        // Another year's file holds none of today's month: its own last month is what is due.
        const QDate ultimo = desdeIso(
            valorUnico(QStringLiteral("SELECT MAX(Fec) FROM tblCobros WHERE Anu = 0 AND Fec >= ?"
                                      " AND Fec <= ?"),
                       {fechaIso(QDate(ano, 1, 1)), fechaIso(QDate(ano, 12, 31))})
                .toString());
        dia = ultimo.isValid() ? ultimo : QDate(ano, 1, 1);
    }
    return {QDate(dia.year(), dia.month(), 1),
            QDate(dia.year(), dia.month(), dia.daysInMonth()),
            {},
            {}};
}

QList<CobroRemesa> proponerRemesa(const FiltroRemesa& filtro) {
    const QHash<int, CuentaDebito> cuentas = cuentasDeCobro();
    QString sql =
        QStringLiteral(
            "SELECT c.Id, c.Num, c.Ser, c.Fec, c.Fac, c.Tot, c.IdInq, i.Nom FROM tblCobros c"
            " LEFT JOIN tblInquilinos i ON c.IdInq = i.Id WHERE c.Fec >= ? AND c.Fec <= ? AND ") +
        libre();
    QVariantList valores{fechaIso(filtro.desde), fechaIso(filtro.hasta)};
    if (!filtro.serie.isEmpty()) {
        sql += QStringLiteral(" AND upper(c.Ser) = upper(?)");
        valores << filtro.serie;
    }
    QSqlQuery q =
        ejecutar(sql + QStringLiteral(" ORDER BY i.Nom, c.IdInq, c.Fec, c.Ser, c.Num"), valores);
    QList<CobroRemesa> cobros;
    while (q.next()) {
        CobroRemesa c;
        c.idDoc = q.value(0).toInt();
        if (!filtro.solo.isEmpty() && !filtro.solo.contains(c.idDoc)) continue;
        c.numero = q.value(1).toString() + textoCampo(q.value(2));
        c.fecha = desdeIso(textoCampo(q.value(3)));
        c.factura = q.value(4).toInt() != 0;
        c.importe = importeGuardado(q.value(5));
        const int idInq = q.value(6).toInt();
        c.inquilino = textoCampo(q.value(7));
        const CuentaDebito cuenta = cuentas.value(idInq);
        c.idCta = cuenta.id;
        c.iban = cuenta.iban;
        c.mandato = cuenta.mandato;
        c.firma = cuenta.firma;
        c.secuencia = cuenta.primeroHecho ? QStringLiteral("RCUR") : QStringLiteral("FRST");
        c.motivo = motivoCobro(c, idInq);
        cobros << c;
    }
    return cobros;
}

QList<Adeudo> adeudosDeRemesa(const QList<CobroRemesa>& cobros) {
    QList<QList<CobroRemesa>> grupos;
    for (const CobroRemesa& c : cobros) {
        if (!c.motivo.isEmpty()) continue;
        auto grupo = std::find_if(grupos.begin(), grupos.end(), [&c](const auto& g) {
            return g.first().idCta == c.idCta && g.first().mandato == c.mandato;
        });
        if (grupo == grupos.end())
            grupos.append({c});
        else
            grupo->append(c);
    }
    QList<Adeudo> adeudos;
    for (const QList<CobroRemesa>& g : std::as_const(grupos))
        adeudos << adeudoDe(g);
    return adeudos;
}

QString conceptoAdeudo(const CobroRemesa& cobro) {
    const QString mes =
        QLocale(QLocale::Spanish, QLocale::Spain).standaloneMonthName(cobro.fecha.month());
    return QStringLiteral("%1 %2 %3 %4")
        .arg(cobro.factura ? QStringLiteral("Factura") : QStringLiteral("Recibo"), cobro.numero,
             mes.toLower(), QString::number(cobro.fecha.year()));
}

Acreedor leerAcreedor() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Empresa, IdAcr, CtaRem FROM tblTitulos"));
    if (!q.next()) return {};
    return {textoCampo(q.value(0)).trimmed(), compactarIdentificador(textoCampo(q.value(1))),
            compactarIdentificador(textoCampo(q.value(2)))};
}

QString motivoAcreedor(const Acreedor& a) {
    const QString donde = QStringLiteral(" Póngalo en «Configuración».");
    if (a.nombre.isEmpty()) return QStringLiteral("Falta la razón social de la empresa.") + donde;
    if (const QString m = motivoIdentificadorAcreedor(a.identificador); !m.isEmpty())
        return m + donde;
    if (a.iban.isEmpty())
        return QStringLiteral("Falta la cuenta (IBAN) en la que se cobran las remesas.") + donde;
    if (const QString m = motivoIban(a.iban); !m.isEmpty())
        return QStringLiteral("La cuenta de cobro de las remesas no vale. ") + m + donde;
    return {};
}

Resultado<int> generarRemesa(const QList<CobroRemesa>& todos, const QDate& fechaCobro,
                             const QString& ruta) {
    return intentar([&]() -> int {
        const Acreedor acreedor = leerAcreedor();
        if (const QString m = motivoAcreedor(acreedor); !m.isEmpty()) throw ErrorBD(m);
        if (const QString m = motivoFechaCobro(fechaCobro, Hoy()); !m.isEmpty()) throw ErrorBD(m);
        QList<CobroRemesa> cobros;
        for (const CobroRemesa& c : todos)
            if (c.motivo.isEmpty()) cobros << c;
        if (cobros.isEmpty()) throw ErrorBD(QStringLiteral("No hay ningún recibo que pueda ir."));
        Transaccion t;
        const int idRem = SiguienteNumero(QStringLiteral("tblRemesas"), QStringLiteral("Id"));
        const QDateTime ahora = QDateTime::currentDateTime();
        const QString msgId = QStringLiteral("TRV-%1-%2-%3")
                                  .arg(fechaCobro.year())
                                  .arg(idRem, 4, 10, QLatin1Char('0'))
                                  .arg(ahora.toString(QStringLiteral("yyyyMMddHHmmss")));
        anotarRemesa(idRem, cobros, fechaCobro, ruta, msgId);
        DatosFichero datos{msgId, ahora, fechaCobro, acreedor, adeudosDeRemesa(cobros)};
        escribirArchivo(ruta, xmlRemesa(datos));
        try {
            t.confirmar();
        } catch (const ErrorBD&) {
            // A file the year does not record would be sent twice.
            QFile::remove(ruta);
            throw;
        }
        return idRem;
    });
}

QList<QStringList> filasRemesas() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT r.Id, r.Fec, r.FecCob, r.Arc, r.Num, r.Tot, r.Pag,"
        " (SELECT COUNT(*) FROM tblRemesasCobros d WHERE d.IdRem = r.Id AND d.Dev <> 0)"
        " FROM tblRemesas r ORDER BY r.Id DESC"));
    QList<QStringList> filas;
    while (q.next())
        filas << QStringList{q.value(0).toString(),
                             formatoFecha(desdeIso(textoCampo(q.value(1)))),
                             formatoFecha(desdeIso(textoCampo(q.value(2)))),
                             textoCampo(q.value(3)),
                             q.value(4).toString(),
                             importeGuardado(q.value(5)).texto(),
                             q.value(7).toString(),
                             q.value(6).toInt() != 0 ? QStringLiteral("SÍ") : QStringLiteral("NO")};
    return filas;
}

QList<QStringList> filasCobrosRemesa(int idRem) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT d.Id, c.Num, c.Ser, i.Nom, d.IBAN, d.MndRef, d.Sec, d.Imp, d.Dev,"
                       " d.DevFec, d.DevMot FROM tblRemesasCobros d"
                       " LEFT JOIN tblCobros c ON d.IdDoc = c.Id"
                       " LEFT JOIN tblInquilinos i ON c.IdInq = i.Id"
                       " WHERE d.IdRem = ? ORDER BY i.Nom, c.Fec, c.Num"),
        {idRem});
    QList<QStringList> filas;
    while (q.next()) {
        const bool devuelto = q.value(8).toInt() != 0;
        filas << QStringList{q.value(0).toString(),
                             textoCampo(q.value(1)) + textoCampo(q.value(2)),
                             textoCampo(q.value(3)),
                             ibanAgrupado(textoCampo(q.value(4))),
                             textoCampo(q.value(5)),
                             textoCampo(q.value(6)),
                             importeGuardado(q.value(7)).texto(),
                             devuelto ? formatoFecha(desdeIso(textoCampo(q.value(9)))) : QString(),
                             devuelto ? textoCampo(q.value(10)) : QString()};
    }
    return filas;
}

Resultado<int> marcarRemesaCobrada(int idRem) {
    return intentar([&]() -> int {
        Transaccion t;
        const int cuantos =
            valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblRemesasCobros WHERE IdRem = ? AND"
                                      " Dev = 0"),
                       {idRem})
                .toInt();
        ejecutar(
            QStringLiteral("UPDATE tblCobros SET Pag = 1, FecPag = (SELECT FecCob FROM tblRemesas"
                           " WHERE Id = ?), ForPag = ?, IdMov = NULL WHERE Pag = 0 AND Id IN "
                           "(SELECT IdDoc FROM"
                           " tblRemesasCobros WHERE IdRem = ? AND Dev = 0)"),
            {idRem, kDomiciliacion, idRem});
        ejecutar(QStringLiteral("UPDATE tblRemesas SET Pag = 1 WHERE Id = ?"), {idRem});
        t.confirmar();
        return cuantos;
    });
}

QStringList motivosDevolucion() {
    return {QStringLiteral("AC01 Número de cuenta incorrecto"),
            QStringLiteral("AC04 Cuenta cancelada"),
            QStringLiteral("AC06 Cuenta bloqueada"),
            QStringLiteral("AG01 Operación no permitida en la cuenta"),
            QStringLiteral("AM04 Saldo insuficiente"),
            QStringLiteral("AM05 Operación duplicada"),
            QStringLiteral("MD01 Sin mandato"),
            QStringLiteral("MD02 Faltan datos del mandato"),
            QStringLiteral("MD06 Devuelto a petición del titular"),
            QStringLiteral("MD07 Titular fallecido"),
            QStringLiteral("MS02 Motivo no indicado por el titular"),
            QStringLiteral("MS03 Motivo no indicado por el banco"),
            QStringLiteral("SL01 Servicio específico del banco")};
}

Resultado<> devolverCobro(int idCobro, const QDate& fecha, const QString& motivo) {
    return intentar([&]() -> void {
        if (!fecha.isValid())
            throw ErrorBD(QStringLiteral("Ponga una fecha de devolución correcta."));
        Transaccion t;
        QSqlQuery q = ejecutar(QStringLiteral("SELECT IdRem, IdCta, Dev FROM tblRemesasCobros"
                                              " WHERE Id = ?"),
                               {idCobro});
        if (!q.next()) throw ErrorBD(QStringLiteral("Ese adeudo ya no existe."));
        if (q.value(2).toInt() != 0) throw ErrorBD(QStringLiteral("Ese adeudo ya está devuelto."));
        const int idRem = q.value(0).toInt(), idCta = q.value(1).toInt();
        q.finish();
        // The bank returns the debit whole: every document it carried is unpaid again.
        ejecutar(QStringLiteral("UPDATE tblCobros SET Pag = 0, FecPag = NULL, ForPag = NULL, IdMov "
                                "= NULL WHERE Id IN"
                                " (SELECT IdDoc FROM tblRemesasCobros WHERE IdRem = ? AND IdCta = ?"
                                " AND Dev = 0)"),
                 {idRem, idCta});
        ejecutar(QStringLiteral("UPDATE tblRemesasCobros SET Dev = 1, DevFec = ?, DevMot = ?"
                                " WHERE IdRem = ? AND IdCta = ? AND Dev = 0"),
                 {fechaIso(fecha), motivo, idRem, idCta});
        // A mandate whose first debit and all that followed came back has not been used: its
        // next debit is a first one again.
        const bool usado =
            !valorUnico(
                 QStringLiteral("SELECT 1 FROM tblRemesasCobros WHERE IdCta = ? AND Dev = 0"),
                 {idCta})
                 .isNull();
        const bool primeroDevuelto =
            !valorUnico(QStringLiteral("SELECT 1 FROM tblRemesasCobros WHERE IdCta = ? AND"
                                       " Sec = 'FRST'"),
                        {idCta})
                 .isNull();
        if (!usado && primeroDevuelto)
            ejecutar(QStringLiteral("UPDATE tblInquilinosCuentas SET MndPri = 0 WHERE Id = ?"),
                     {idCta});
        t.confirmar();
    });
}

QStringList documentosDelAdeudo(int idCobro) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT %1 FROM tblRemesasCobros d JOIN tblRemesasCobros o ON o.IdRem ="
                       " d.IdRem AND o.IdCta = d.IdCta AND o.Dev = d.Dev JOIN tblCobros c ON"
                       " c.Id = o.IdDoc WHERE d.Id = ? ORDER BY c.Fec, upper(c.Ser), c.Num")
            .arg(sqlUnir({QStringLiteral("c.Num"), QStringLiteral("c.Ser")})),
        {idCobro});
    QStringList numeros;
    while (q.next())
        numeros << q.value(0).toString();
    return numeros;
}

QString motivoMandato(const QString& referencia, int idCta) {
    if (referencia.isEmpty()) return {};
    if (!referenciaSepaValida(referencia))
        return QStringLiteral("La referencia del mandato tiene hasta 35 letras sin acentos, "
                              "cifras o los signos - / . : ( ) ? , ' +, sin espacios.");
    const QVariant otra = valorUnico(
        QStringLiteral("SELECT i.Nom FROM tblInquilinosCuentas c LEFT JOIN tblInquilinos i"
                       " ON c.IdInq = i.Id WHERE c.MndRef = ? AND c.Id <> ?"),
        {referencia, idCta});
    if (!otra.isValid()) return {};
    return QStringLiteral("La referencia de mandato %1 ya la tiene otra cuenta (%2). Ponga otra.")
        .arg(referencia, textoCampo(otra));
}

QString mandatoPropuesto(int idInq, int idCta) {
    const QString base = QStringLiteral("ALQ-%1-%2")
                             .arg(idInq, 5, 10, QLatin1Char('0'))
                             .arg(idCta, 5, 10, QLatin1Char('0'));
    QString propuesta = base;
    for (int n = 2; !motivoMandato(propuesta, idCta).isEmpty(); ++n)
        propuesta = base + QStringLiteral("-%1").arg(n);
    return propuesta;
}

} // namespace torvane
