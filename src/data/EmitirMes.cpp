#include "data/EmitirMes.h"

#include "data/Consulta.h"
#include "data/Formato.h"
#include "data/Funciones.h"
#include "verifactu/Registros.h"

#include <QHash>

namespace {

QString texto(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

QString listaMarcadores(qsizetype cuantos) {
    QStringList marcas;
    for (qsizetype i = 0; i < cuantos; ++i)
        marcas << QStringLiteral("?");
    return marcas.join(QLatin1Char(','));
}

QVariantList comoValores(const QList<int>& ids) {
    QVariantList valores;
    for (int id : ids)
        valores << id;
    return valores;
}

/** Every property's recurring lines, by property: one query for the whole proposal. */
QHash<int, QList<Linea>> todosLosCargos() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdInm, Lin, IdCon, DesCon, Und, Pre"
                                          " FROM tblInmueblesCargos ORDER BY IdInm, Lin"));
    QHash<int, QList<Linea>> cargos;
    while (q.next()) {
        const double und = q.value(4).toDouble(), pre = q.value(5).toDouble();
        cargos[q.value(0).toInt()] << Linea{q.value(0).toInt(),
                                            q.value(1).toInt(),
                                            q.value(2).toInt(),
                                            texto(q.value(3)),
                                            und,
                                            pre,
                                            redondearCentimos(und * pre)};
    }
    return cargos;
}

/** "57A" of the first document of each property dated in the month. */
QHash<int, QString> emitidosEnMes(const QDate& mes) {
    const QDate desde(mes.year(), mes.month(), 1);
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdInm, Num, Ser FROM tblCobros"
                                          " WHERE Fec >= ? AND Fec <= ? ORDER BY Fec, Id"),
                           {fechaIso(desde), fechaIso(desde.addMonths(1).addDays(-1))});
    QHash<int, QString> emitidos;
    while (q.next())
        if (!emitidos.contains(q.value(0).toInt()))
            emitidos.insert(q.value(0).toInt(), q.value(1).toString() + texto(q.value(2)));
    return emitidos;
}

double subtotalLineas(const QList<Linea>& lineas) {
    double suma = 0;
    for (const Linea& l : lineas)
        suma += l.imp;
    return redondearCentimos(suma);
}

QString numeroYSerie(const QVariant& num, const QVariant& ser) {
    return num.toString() + texto(ser);
}

} // namespace

CondicionesCargo leerCondiciones(int idInm) {
    QSqlQuery q =
        ejecutar(QStringLiteral(
                     "SELECT CarPorIva, CarPorRet, CarFac, CarSer FROM tblInmuebles WHERE Id = ?"),
                 {idInm});
    if (!q.next()) return {};
    return {q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toInt() != 0,
            texto(q.value(3))};
}

QList<Linea> leerCargos(int idInm) {
    return todosLosCargos().value(idInm);
}

void guardarCargos(int idInm, const CondicionesCargo& c, const QList<Linea>& lineas) {
    Transaccion t;
    ejecutar(QStringLiteral("UPDATE tblInmuebles SET CarPorIva = ?, CarPorRet = ?, CarFac = ?,"
                            " CarSer = ? WHERE Id = ?"),
             {c.porIva, c.porRet, c.factura ? 1 : 0, c.serie, idInm});
    ejecutar(QStringLiteral("DELETE FROM tblInmueblesCargos WHERE IdInm = ?"), {idInm});
    int lin = 0;
    for (const Linea& l : lineas)
        ejecutar(QStringLiteral("INSERT INTO tblInmueblesCargos (IdInm, Lin, IdCon, DesCon, Und,"
                                " Pre) VALUES (?, ?, ?, ?, ?, ?)"),
                 {idInm, ++lin, l.idCon, l.desCon, l.und, l.pre});
    t.confirmar();
}

Linea lineaAlquiler(int idInm) {
    const QVariant pre =
        valorUnico(QStringLiteral("SELECT Pre FROM tblInmuebles WHERE Id = ?"), {idInm});
    const double precio = pre.isNull() ? 0.0 : pre.toDouble();
    // The first concept is the rent in a year made by the program; the text is only a fallback.
    const QString des = DescripcionDeCodigo(QStringLiteral("tblCobrosConceptos"),
                                            QStringLiteral("Id"), QStringLiteral("Des"), 1);
    return Linea{idInm,
                 1,
                 1,
                 des == kNoEncontrado ? QStringLiteral("Alquiler") : des,
                 1,
                 precio,
                 redondearCentimos(precio)};
}

QString PropuestaMes::resumen() const {
    QStringList partes;
    for (const Linea& l : lineas)
        partes << (l.desCon.isEmpty() ? QString::number(l.idCon) : l.desCon);
    return partes.join(QStringLiteral(", "));
}

QDate mesPropuesto() {
    const QVariant ultima = valorUnico(QStringLiteral("SELECT MAX(Fec) FROM tblCobros"));
    const QDate fecha = ultima.isNull() ? QDate() : desdeIso(ultima.toString());
    if (!fecha.isValid()) return QDate(Hoy().year(), Hoy().month(), 1);
    return QDate(fecha.year(), fecha.month(), 1).addMonths(1);
}

QList<PropuestaMes> proponerMes(const QDate& mes, const QString& serieForzada) {
    const QHash<int, QList<Linea>> cargos = todosLosCargos();
    const QHash<int, QString> emitidos = emitidosEnMes(mes);
    const QStringList series = codigosSeries();
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
        p.inmueble = texto(q.value(2));
        p.inquilino = texto(q.value(3));
        p.condiciones = {q.value(4).toDouble(), q.value(5).toDouble(), q.value(6).toInt() != 0,
                         texto(q.value(7))};
        if (!serieForzada.isEmpty()) p.condiciones.serie = serieForzada;
        if (p.condiciones.serie.isEmpty() && !series.isEmpty())
            p.condiciones.serie = series.first();
        p.lineas = cargos.value(id);
        p.totales =
            calcularTotales(subtotalLineas(p.lineas), p.condiciones.porRet, p.condiciones.porIva);
        if (emitidos.contains(id))
            p.aviso = QStringLiteral("ya emitido: ") + emitidos.value(id);
        else if (!series.contains(p.condiciones.serie))
            p.aviso = QStringLiteral("no existe la serie ") + p.condiciones.serie;
        propuesta << p;
    }
    return propuesta;
}

int emitirMes(const QList<PropuestaMes>& elegidas, const QDate& fecha,
              const std::function<bool(int)>& seguir) {
    if (elegidas.isEmpty()) return 0;
    Transaccion t;
    const int idEmi = SiguienteNumero(QStringLiteral("tblEmisiones"), QStringLiteral("Id"));
    ejecutar(QStringLiteral("INSERT INTO tblEmisiones (Id, Fec) VALUES (?, ?)"),
             {idEmi, fechaIso(fecha)});
    const int trimestre = Trimestre(fecha.month()).toInt();
    int hechos = 0;
    for (const PropuestaMes& p : elegidas) {
        Cabecera c;
        c.ser = p.condiciones.serie;
        c.idInq = p.idInq;
        c.idInm = p.idInm;
        c.fec = fecha;
        c.tri = trimestre;
        c.porRet = p.condiciones.porRet;
        c.porIva = p.condiciones.porIva;
        const int id = escribirDocumentoNuevo(c, p.lineas);
        ejecutar(QStringLiteral("UPDATE tblCobros SET IdEmi = ?, Fac = ? WHERE Id = ?"),
                 {idEmi, p.condiciones.factura ? 1 : 0, id});
        if (seguir && !seguir(++hechos)) return 0;
    }
    t.confirmar();
    return idEmi;
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
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Num, Ser, Pag, Imp FROM tblCobros"
                                          " WHERE IdEmi = ? AND (Pag <> 0 OR Imp <> 0) LIMIT 1"),
                           {idEmi});
    if (q.next())
        return QStringLiteral("No se puede deshacer: el documento %1 ya está %2.")
            .arg(numeroYSerie(q.value(0), q.value(1)),
                 q.value(2).toInt() != 0 ? QStringLiteral("cobrado") : QStringLiteral("impreso"));
    q = ejecutar(QStringLiteral("SELECT c.Num, c.Ser FROM tblCobros c JOIN tblRemesasCobros r"
                                " ON r.IdDoc = c.Id WHERE c.IdEmi = ? LIMIT 1"),
                 {idEmi});
    if (q.next())
        return QStringLiteral("No se puede deshacer: el documento %1 va en una remesa.")
            .arg(numeroYSerie(q.value(0), q.value(1)));
    // A later document in one of the run's series would leave a gap if the run went.
    q = ejecutar(
        QStringLiteral("SELECT o.Num, o.Ser FROM tblCobros o JOIN (SELECT upper(Ser) AS S,"
                       " MIN(Num) AS Desde FROM tblCobros WHERE IdEmi = ? GROUP BY upper(Ser)) e"
                       " ON upper(o.Ser) = e.S AND o.Num > e.Desde"
                       " WHERE o.IdEmi IS NULL OR o.IdEmi <> ? ORDER BY o.Num DESC LIMIT 1"),
        {idEmi, idEmi});
    if (q.next())
        return QStringLiteral("No se puede deshacer: después se emitió el %1 en la misma serie.")
            .arg(numeroYSerie(q.value(0), q.value(1)));
    if (documentosEmision(idEmi).isEmpty())
        return QStringLiteral("No hay ninguna emisión que deshacer.");
    return {};
}

void deshacerEmision(int idEmi) {
    Transaccion t;
    if (const QString motivo = motivoNoDeshacer(idEmi); !motivo.isEmpty()) throw ErrorBD(motivo);
    ejecutar(QStringLiteral("DELETE FROM tblCobrosDetalles WHERE IdDoc IN"
                            " (SELECT Id FROM tblCobros WHERE IdEmi = ?)"),
             {idEmi});
    ejecutar(QStringLiteral("DELETE FROM tblCobros WHERE IdEmi = ?"), {idEmi});
    ejecutar(QStringLiteral("DELETE FROM tblEmisiones WHERE Id = ?"), {idEmi});
    t.confirmar();
}

namespace {

/** Runs sql ("... IN (%1)") over ids in slices the engine's limit on bound values allows. */
void porTramos(const QString& sql, const QVariantList& antes, const QList<int>& ids) {
    constexpr qsizetype kTramo = 500;
    for (qsizetype i = 0; i < ids.size(); i += kTramo) {
        const QList<int> tramo = ids.mid(i, kTramo);
        ejecutar(sql.arg(listaMarcadores(tramo.size())), antes + comoValores(tramo));
    }
}

} // namespace

bool seImprimeComoFactura(int id) {
    return valorUnico(QStringLiteral("SELECT Fac FROM tblCobros WHERE Id = ?"), {id}).toInt() != 0;
}

void marcarImpresos(const QList<int>& ids) {
    Transaccion t;
    porTramos(QStringLiteral("UPDATE tblCobros SET Imp = 1 WHERE Id IN (%1)"), {}, ids);
    registrarAltas(ids);
    t.confirmar();
}

void marcarPagados(const QList<int>& ids, bool pagado) {
    Transaccion t;
    porTramos(QStringLiteral("UPDATE tblCobros SET Pag = ? WHERE Id IN (%1)"), {pagado ? 1 : 0},
              ids);
    t.confirmar();
}
