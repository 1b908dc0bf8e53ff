#include "core/documents/EmitirMes.h"

#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/documents/Registros.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <QHash>
#include <QLocale>
#include <algorithm>

namespace torvane {

namespace {

/** Every property's recurring lines, by property: one query for the whole proposal. */
QHash<int, QList<Linea>> todosLosCargos() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdInm, Lin, IdCon, DesCon, Und, Pre"
                                          " FROM tblInmueblesCargos ORDER BY IdInm, Lin"));
    QHash<int, QList<Linea>> cargos;
    while (q.next()) {
        // A stored charge was within the limit when it was saved.
        cargos[q.value(0).toInt()] << *lineaCon(
            {q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(), textoCampo(q.value(3)),
             decimalGuardado(q.value(4)), importeGuardado(q.value(5)), Importe()});
    }
    return cargos;
}

/** "57A" of the first document of each property dated in the month; a cancelled one is not. */
QHash<int, QString> emitidosEnMes(const QDate& mes) {
    const QDate desde(mes.year(), mes.month(), 1);
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdInm, Num, Ser FROM tblCobros WHERE Fec >= ?"
                                          " AND Fec <= ? AND Anu = 0 ORDER BY Fec, Id"),
                           {fechaIso(desde), fechaIso(desde.addMonths(1).addDays(-1))});
    QHash<int, QString> emitidos;
    while (q.next())
        if (!emitidos.contains(q.value(0).toInt()))
            emitidos.insert(q.value(0).toInt(), q.value(1).toString() + textoCampo(q.value(2)));
    return emitidos;
}

Importe subtotalLineas(const QList<Linea>& lineas) {
    Importe suma;
    for (const Linea& l : lineas)
        suma += l.imp;
    return suma;
}

QString numeroYSerie(const QVariant& num, const QVariant& ser) {
    return num.toString() + textoCampo(ser);
}

/**
 * A property's first document by its use, when it has no monthly charges and its tenant no
 * history: letting a home is exempt from VAT and has no withholding; other premises are invoiced
 * at the general rate with the company's withholding. Nothing is decided without a property, nor
 * for a home when the exempt rate is not among the year's VAT types.
 */
std::optional<AjustesDocumento> ajustesPorUso(int idInm) {
    if (idInm == 0) return std::nullopt;
    const bool vivienda =
        valorUnico(QStringLiteral("SELECT Viv FROM tblInmuebles WHERE Id = ?"), {idInm}).toInt() !=
        0;
    if (!vivienda)
        return AjustesDocumento{primeraSerieFacturas(), tasaIvaDeTipo(1),
                                retencionPorDefecto().value_or(Decimal()), true,
                                AjustesDocumento::Local};
    if (TipoIvaDePorcentaje(Decimal()) == -1) return std::nullopt;
    return AjustesDocumento{primeraSerie(), Decimal(), Decimal(), false,
                            AjustesDocumento::Vivienda};
}

} // namespace

CondicionesCargo leerCondiciones(int idInm) {
    QSqlQuery q =
        ejecutar(QStringLiteral(
                     "SELECT CarPorIva, CarPorRet, CarFac, CarSer FROM tblInmuebles WHERE Id = ?"),
                 {idInm});
    if (!q.next()) return {};
    return {decimalGuardado(q.value(0)), decimalGuardado(q.value(1)), q.value(2).toInt() != 0,
            textoCampo(q.value(3))};
}

CondicionesCargo condicionesPropuestas(int idInm) {
    if (!leerCargos(idInm).isEmpty()) return leerCondiciones(idInm);
    const int idInq =
        valorUnico(QStringLiteral("SELECT IdInq FROM tblInmuebles WHERE Id = ?"), {idInm}).toInt();
    const AjustesDocumento a = ajustesNuevoDocumento(idInm, idInq);
    // The first series stays "(la primera)", so a series added before it later is followed.
    const bool primera = a.serie.compare(primeraSerie(), Qt::CaseInsensitive) == 0;
    return {a.porIva, a.porRet, a.factura, primera ? QString() : a.serie};
}

QList<Linea> leerCargos(int idInm) {
    return todosLosCargos().value(idInm);
}

Resultado<> guardarCargos(int idInm, const CondicionesCargo& c, const QList<Linea>& lineas) {
    return intentar([&]() -> void {
        Transaccion t;
        if (const QVariant rect = serieRectificativaActiva();
            !rect.isNull() && c.serie.compare(rect.toString(), Qt::CaseInsensitive) == 0)
            throw ErrorBD(kSerieSoloRectificativas.arg(rect.toString()));
        ejecutar(QStringLiteral("UPDATE tblInmuebles SET CarPorIva = ?, CarPorRet = ?, CarFac = ?,"
                                " CarSer = ? WHERE Id = ?"),
                 {guardar(c.porIva), guardar(c.porRet), c.factura ? 1 : 0, c.serie, idInm});
        ejecutar(QStringLiteral("DELETE FROM tblInmueblesCargos WHERE IdInm = ?"), {idInm});
        int lin = 0;
        for (const Linea& l : lineas) {
            lineaCon(l).valorOLanzar();
            ejecutar(
                QStringLiteral("INSERT INTO tblInmueblesCargos (IdInm, Lin, IdCon, DesCon, Und,"
                               " Pre) VALUES (?, ?, ?, ?, ?, ?)"),
                {idInm, ++lin, l.idCon, l.desCon, guardar(l.und), guardar(l.pre)});
        }
        t.confirmar();
    });
}

Linea lineaAlquiler(int idInm) {
    const QVariant pre =
        valorUnico(QStringLiteral("SELECT Pre FROM tblInmuebles WHERE Id = ?"), {idInm});
    const Importe precio = importeGuardado(pre);
    // The first concept is the rent in a year made by the program; the text is only a fallback.
    const QString des = DescripcionDeCodigo(QStringLiteral("tblCobrosConceptos"),
                                            QStringLiteral("Id"), QStringLiteral("Des"), 1);
    return Linea{idInm,
                 1,
                 1,
                 des == kNoEncontrado ? QStringLiteral("Alquiler") : des,
                 Decimal::deEntero(1),
                 precio,
                 precio};
}

QString PropuestaMes::resumen() const {
    QStringList partes;
    for (const Linea& l : lineas)
        partes << (l.desCon.isEmpty() ? QString::number(l.idCon) : l.desCon);
    return partes.join(QStringLiteral(", "));
}

QDate mesPropuesto(int ano) {
    const QVariant ultima =
        valorUnico(QStringLiteral("SELECT MAX(Fec) FROM tblCobros WHERE Fec >= ? AND Fec < ?"),
                   {fechaIso(QDate(ano, 1, 1)), fechaIso(QDate(ano + 1, 1, 1))});
    const QDate fecha = ultima.isNull() ? QDate() : desdeIso(ultima.toString());
    // An empty year: someone starting today bills this month; a year made ahead (or after
    // «Nuevo año» in January) starts with January.
    if (!fecha.isValid())
        return ano == Hoy().year() ? QDate(ano, Hoy().month(), 1) : QDate(ano, 1, 1);
    // December issued: the year is done, and next January belongs to the next year.
    if (fecha.month() == 12) return QDate(ano, 12, 1);
    return QDate(ano, fecha.month(), 1).addMonths(1);
}

QString motivoFueraDeAno(const QDate& mes, const QDate& fecha, int ano) {
    if (mes.year() != ano)
        return QStringLiteral("El año de trabajo es %1: sus documentos son de ese año. Para emitir "
                              "%2 de %3, cambie al año %3%4.")
            .arg(ano)
            .arg(QLocale(QLocale::Spanish, QLocale::Spain)
                     .standaloneMonthName(mes.month())
                     .toLower())
            .arg(mes.year())
            .arg(mes.year() > ano ? QStringLiteral(" (o créelo con «Nuevo año»)") : QString());
    if (fecha.year() != mes.year() || fecha.month() != mes.month())
        return QStringLiteral("La fecha de emisión debe ser del mes que se emite (%1): el "
                              "documento dice el periodo por su fecha.")
            .arg(mes.toString(QStringLiteral("MM/yyyy")));
    return {};
}

QDate fechaEnAno(const QDate& hoy, int ano) {
    return std::clamp(hoy, QDate(ano, 1, 1), QDate(ano, 12, 31));
}

QString motivoFechaFueraDeAno(const QDate& fecha, int ano) {
    if (fecha.year() == ano) return {};
    return QStringLiteral(
               "La fecha debe ser del año de trabajo, %1: cada documento va en el año "
               "de su fecha, que es donde lo suman el resumen fiscal y las estadísticas.")
        .arg(ano);
}

AjustesDocumento ajustesNuevoDocumento(int idInm, int idInq) {
    AjustesDocumento a;
    if (idInm != 0 && !todosLosCargos().value(idInm).isEmpty()) {
        const CondicionesCargo c = leerCondiciones(idInm);
        a = {c.serie.isEmpty() ? primeraSerie() : c.serie, c.porIva, c.porRet, c.factura,
             AjustesDocumento::Cargos};
    } else if (QSqlQuery q = ejecutar(
                   QStringLiteral("SELECT Ser, PorIva, PorRet, Fac FROM tblCobros WHERE IdInq = ?"
                                  " AND IdInq <> 0 AND Anu = 0 AND IdRect IS NULL"
                                  " ORDER BY Fec DESC, Id DESC LIMIT 1"),
                   {idInq});
               q.next()) {
        a = {textoCampo(q.value(0)), decimalGuardado(q.value(1)), decimalGuardado(q.value(2)),
             q.value(3).toInt() != 0, AjustesDocumento::UltimoDelInquilino};
    } else if (const auto porUso = ajustesPorUso(idInm)) {
        a = *porUso;
    } else {
        a = {primeraSerie(), tasaIvaDeTipo(1), retencionPorDefecto().value_or(Decimal()), false,
             AjustesDocumento::Empresa};
    }
    // A series since deleted, or the rectifying one, gives way to the first.
    if (!seriesParaDocumentos().contains(a.serie, Qt::CaseInsensitive)) a.serie = primeraSerie();
    return a;
}

QString AjustesDocumento::texto() const {
    switch (origen) {
    case Cargos:
        return QStringLiteral("Serie, IVA y retención de los cargos mensuales del inmueble");
    case UltimoDelInquilino:
        return QStringLiteral("Serie, IVA y retención del último documento del inquilino");
    case Vivienda:
        return QStringLiteral("Vivienda: exenta de IVA y sin retención");
    case Local:
        return QStringLiteral("No es vivienda: factura con el IVA general y la retención de la "
                              "empresa");
    case Empresa:
        break;
    }
    return QStringLiteral("Serie, IVA y retención de los datos de la empresa");
}

QList<PropuestaMes> proponerMes(const QDate& mes, const QString& serieForzada) {
    const QHash<int, QList<Linea>> cargos = todosLosCargos();
    const QHash<int, QString> emitidos = emitidosEnMes(mes);
    const QStringList series = seriesParaDocumentos();
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT tblInmuebles.Id, tblInmuebles.IdInq, tblInmuebles.Des, tblInquilinos.Nom,"
        " CarPorIva, CarPorRet, CarFac, CarSer FROM tblInmuebles"
        " JOIN tblInquilinos ON tblInmuebles.IdInq = tblInquilinos.Id"
        " WHERE tblInmuebles.IdInq <> 0 ORDER BY tblInmuebles.Des, tblInmuebles.Id"));
    QList<PropuestaMes> propuesta;
    while (q.next()) {
        const int id = q.value(0).toInt();
        if (!cargos.contains(id)) continue;
        PropuestaMes p;
        p.idInm = id;
        p.idInq = q.value(1).toInt();
        p.inmueble = textoCampo(q.value(2));
        p.inquilino = textoCampo(q.value(3));
        p.condiciones = {decimalGuardado(q.value(4)), decimalGuardado(q.value(5)),
                         q.value(6).toInt() != 0, textoCampo(q.value(7))};
        if (!serieForzada.isEmpty()) p.condiciones.serie = serieForzada;
        if (p.condiciones.serie.isEmpty()) p.condiciones.serie = series.value(0);
        p.lineas = cargos.value(id);
        const auto totales =
            calcularTotales(subtotalLineas(p.lineas), p.condiciones.porRet, p.condiciones.porIva);
        if (totales) p.totales = *totales;
        if (!totales)
            p.aviso = totales.motivo();
        else if (emitidos.contains(id))
            p.aviso = QStringLiteral("ya emitido: ") + emitidos.value(id);
        else if (!series.contains(p.condiciones.serie))
            p.aviso = QStringLiteral("no existe la serie ") + p.condiciones.serie;
        if (p.condiciones.serie.isEmpty()) p.aviso = QStringLiteral("no existe ninguna serie");
        propuesta << p;
    }
    return propuesta;
}

Resultado<int> emitirMes(const QList<PropuestaMes>& elegidas, const QDate& fecha, int ano,
                         const std::function<bool(int)>& seguir) {
    return intentar([&]() -> int {
        if (const QString motivo =
                motivoFueraDeAno(QDate(fecha.year(), fecha.month(), 1), fecha, ano);
            !motivo.isEmpty())
            throw ErrorBD(motivo);
        if (elegidas.isEmpty()) return 0;
        Transaccion t;
        const QVariant rect = serieRectificativaActiva();
        const int idEmi = SiguienteNumero(QStringLiteral("tblEmisiones"), QStringLiteral("Id"));
        ejecutar(QStringLiteral("INSERT INTO tblEmisiones (Id, Fec) VALUES (?, ?)"),
                 {idEmi, fechaIso(fecha)});
        const int trimestre = Trimestre(fecha.month()).toInt();
        EscritorDocumentos escritor;
        int hechos = 0;
        for (const PropuestaMes& p : elegidas) {
            Cabecera c;
            c.ser = p.condiciones.serie;
            if (!rect.isNull() && c.ser.compare(rect.toString(), Qt::CaseInsensitive) == 0)
                throw ErrorBD(kSerieSoloRectificativas.arg(rect.toString()));
            c.idInq = p.idInq;
            c.idInm = p.idInm;
            c.fec = fecha;
            c.tri = trimestre;
            c.porRet = p.condiciones.porRet;
            c.porIva = p.condiciones.porIva;
            c.factura = p.condiciones.factura;
            escritor.escribir(c, p.lineas, idEmi);
            if (seguir && !seguir(++hechos)) return 0;
        }
        t.confirmar();
        return idEmi;
    });
}

QList<int> documentosEmision(int idEmi) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT Id FROM tblCobros WHERE IdEmi = ? ORDER BY upper(Ser), Num"),
        {idEmi});
    QList<int> ids;
    while (q.next())
        ids << q.value(0).toInt();
    return ids;
}

int ultimaEmision() {
    return valorUnico(QStringLiteral("SELECT COALESCE(MAX(IdEmi), 0) FROM tblCobros"
                                     " WHERE IdEmi IS NOT NULL"))
        .toInt();
}

QString motivoNoDeshacer(int idEmi) {
    const QList<int> ids = documentosEmision(idEmi);
    if (ids.isEmpty()) return QStringLiteral("No hay ninguna emisión que deshacer.");
    QHash<int, qsizetype> orden;
    for (qsizetype i = 0; i < ids.size(); ++i)
        orden.insert(ids[i], i);
    QList<EstadoDocumento> estados = leerEstados(ids);
    std::sort(estados.begin(), estados.end(), [&orden](const auto& a, const auto& b) {
        return orden.value(a.id) < orden.value(b.id);
    });
    for (const EstadoDocumento& e : std::as_const(estados))
        if (const QString motivo = motivoNo(e, Accion::DeshacerEmision); !motivo.isEmpty())
            return motivo;
    // A later document in one of the run's series would leave a gap if the run went.
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT o.Num, o.Ser FROM tblCobros o JOIN (SELECT upper(Ser) AS S,"
                       " MIN(Num) AS Desde FROM tblCobros WHERE IdEmi = ? GROUP BY upper(Ser)) e"
                       " ON upper(o.Ser) = e.S AND o.Num > e.Desde"
                       " WHERE o.IdEmi IS NULL OR o.IdEmi <> ? ORDER BY o.Num DESC LIMIT 1"),
        {idEmi, idEmi});
    if (q.next())
        return QStringLiteral("No se puede deshacer: después se emitió el %1 en la misma serie.")
            .arg(numeroYSerie(q.value(0), q.value(1)));
    return {};
}

Resultado<> deshacerEmision(int idEmi) {
    return intentar([&]() -> void {
        Transaccion t;
        if (const QString motivo = motivoNoDeshacer(idEmi); !motivo.isEmpty())
            throw ErrorBD(motivo);
        ejecutar(QStringLiteral("DELETE FROM tblCobrosDetalles WHERE IdDoc IN"
                                " (SELECT Id FROM tblCobros WHERE IdEmi = ?)"),
                 {idEmi});
        ejecutar(QStringLiteral("DELETE FROM tblCorreos WHERE IdDoc IN"
                                " (SELECT Id FROM tblCobros WHERE IdEmi = ?)"),
                 {idEmi});
        ejecutar(QStringLiteral("DELETE FROM tblCobros WHERE IdEmi = ?"), {idEmi});
        ejecutar(QStringLiteral("DELETE FROM tblEmisiones WHERE Id = ?"), {idEmi});
        t.confirmar();
    });
}

bool seImprimeComoFactura(int id) {
    return valorUnico(QStringLiteral("SELECT Fac FROM tblCobros WHERE Id = ?"), {id}).toInt() != 0;
}

} // namespace torvane
