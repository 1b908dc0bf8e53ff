#include "core/documents/Documentos.h"

#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/documents/Registros.h"
#include "core/store/Celda.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/store/Servidor.h"
#include "core/text/Formato.h"

#include <QHash>
#include <QScopeGuard>
#include <memory>

namespace torvane {

namespace {

QString textoOVacio(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

QString importeOVacio(const QVariant& v) {
    return v.isNull() ? QString() : importeGuardado(v).texto();
}

QVariant celdaImporte(const QVariant& v) {
    return v.isNull() ? QVariant() : celda(importeGuardado(v));
}

QVariant celdaNumero(const QVariant& v) {
    return v.isNull() ? QVariant() : celda(decimalGuardado(v));
}

/** FROM and WHERE shared by the list and its count and sum, with the values to bind. */
// The joins bring the names; a left join never adds nor drops a document, so a count or a sum
// may leave them out (the text filter finds the names' Ids by itself).
// db is the connection the statement runs on: a reading thread has its own.
QString desdeYCondicion(const FiltroCobros& f, QVariantList& valores, bool conNombres = true,
                        const QSqlDatabase& db = Conexion()) {
    QString sql =
        conNombres
            ? QStringLiteral(
                  " FROM (tblCobros LEFT JOIN tblInmuebles ON tblCobros.IdInm = tblInmuebles.Id)"
                  " LEFT JOIN tblInquilinos ON tblCobros.IdInq = tblInquilinos.Id")
            : QStringLiteral(" FROM tblCobros");
    sql += QStringLiteral(" WHERE tblCobros.Fec >= ? AND tblCobros.Fec <= ?");
    valores << fechaIso(f.desde) << fechaIso(f.hasta);
    if (!f.texto.isEmpty()) {
        const QString inmuebles = sqlIdsConTexto(db, QStringLiteral("tblInmuebles"),
                                                 QStringLiteral("Des"), f.texto, valores);
        const QString inquilinos = sqlIdsConTexto(db, QStringLiteral("tblInquilinos"),
                                                  QStringLiteral("Nom"), f.texto, valores);
        sql += QStringLiteral(" AND (tblCobros.IdInm IN (%1) OR tblCobros.IdInq IN (%2))")
                   .arg(inmuebles, inquilinos);
    }
    if (f.pendientes)
        sql += QStringLiteral(" AND ") + sqlCuenta(Cuenta::Pendiente, QStringLiteral("tblCobros"));
    if (!f.serie.isEmpty()) {
        sql += QStringLiteral(" AND tblCobros.Ser = ?");
        valores << f.serie;
    }
    return sql;
}

QString numeroYSerie() {
    return sqlUnir({QStringLiteral("tblCobros.Num"), QStringLiteral("tblCobros.Ser")});
}

QVariant fechaOVacia(const QDate& fecha) {
    return fecha.isValid() ? QVariant(fechaIso(fecha)) : QVariant();
}

const QString kColumnasCabecera = QStringLiteral(
    "Num, Ser, IdInq, IdInm, Fec, Tri, PorRet, PorIva, Pag, SubTotal, Ret, Base, IVA, Tot, Obs");

/** A header from a row of kColumnasCabecera. */
Cabecera cabeceraDeFila(const QSqlQuery& q, int id) {
    Cabecera c;
    c.id = id;
    c.num = q.value(0).toInt();
    c.ser = textoOVacio(q.value(1));
    c.idInq = q.value(2).toInt();
    c.idInm = q.value(3).toInt();
    c.fec = desdeIso(q.value(4).toString());
    c.tri = q.value(5).toInt();
    c.porRet = decimalGuardado(q.value(6));
    c.porIva = decimalGuardado(q.value(7));
    c.pag = q.value(8).toInt() != 0;
    c.totales = {importeGuardado(q.value(9)), importeGuardado(q.value(10)),
                 importeGuardado(q.value(11)), importeGuardado(q.value(12)),
                 importeGuardado(q.value(13))};
    c.obs = textoOVacio(q.value(14));
    return c;
}

/** The header's own fields, in the order both the insert and the rewrite name them. */
QVariantList valoresCabecera(const Cabecera& c, const QVariant& num) {
    return {num,
            c.ser,
            c.idInq,
            c.idInm,
            fechaOVacia(c.fec),
            c.tri,
            guardar(c.porRet),
            guardar(c.porIva),
            c.pag ? 1 : 0,
            c.obs};
}

/** Documents of the rectifying series are only ever made by rectifying an invoice. */
void exigirSerieNoRectificativa(const QString& serie, const QVariant& serieRect) {
    if (!serieRect.isNull() && serie.compare(serieRect.toString(), Qt::CaseInsensitive) == 0)
        throw ErrorBD(kSerieSoloRectificativas.arg(serieRect.toString()));
}

/** Inserts a new header: its Id, and its number when c.num is empty, taken inside the write. */
int insertarCabecera(const Cabecera& c) {
    const int id = SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Id"));
    const int num =
        c.num ? *c.num : SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), c.ser);
    if (!numeroLibre(id, num, c.ser)) throw NumeroRepetido();
    // Paid as it is made: on the day it is made, the only day known.
    ejecutar(QStringLiteral("INSERT INTO tblCobros (Num, Ser, IdInq, IdInm, Fec, Tri, PorRet,"
                            " PorIva, Pag, Obs, Id, FecPag, Fac) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?,"
                            " ?, ?, ?, ?)"),
             valoresCabecera(c, num)
                 << id << (c.pag ? QVariant(fechaIso(Hoy())) : QVariant()) << (c.factura ? 1 : 0));
    return id;
}

/** The line's own amount, recomputed: what is stored never comes from the caller. */
QVariant importeLinea(const Linea& l) {
    return guardar(lineaCon(l).valorOLanzar().imp);
}

/**
 * Adds a line at lin (none: after the last). The next Id and line are read by the insert itself,
 * inside the caller's write: one statement, one trip to a server.
 */
void escribirLinea(int idDoc, std::optional<int> lin, const Linea& l) {
    ejecutarFrecuente(
        QStringLiteral("INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, DesCon, Und,"
                       " Pre, Imp) VALUES ((SELECT COALESCE(MAX(Id), 0) + 1 FROM"
                       " tblCobrosDetalles), ?, %1, ?, ?, ?, ?, ?)")
            .arg(lin ? QStringLiteral("?")
                     : QStringLiteral("(SELECT COALESCE(MAX(Lin), 0) + 1 FROM"
                                      " tblCobrosDetalles WHERE IdDoc = ?)")),
        {idDoc, lin ? *lin : idDoc, l.idCon, l.desCon, guardar(l.und), guardar(l.pre),
         importeLinea(l)});
}

void aplicarCambio(int idDoc, const CambioLineas& cambio) {
    const Linea& l = cambio.linea;
    switch (cambio.tipo) {
    case CambioLineas::Ninguno:
        return;
    case CambioLineas::Anadir:
        return escribirLinea(idDoc, std::nullopt, l);
    case CambioLineas::Insertar:
        ejecutarFrecuente(QStringLiteral("UPDATE tblCobrosDetalles SET Lin = Lin + 1"
                                         " WHERE Lin >= ? AND IdDoc = ?"),
                          {l.lin, idDoc});
        return escribirLinea(idDoc, l.lin, l);
    case CambioLineas::Editar:
        ejecutarFrecuente(
            QStringLiteral("UPDATE tblCobrosDetalles SET IdCon = ?, DesCon = ?, Und = ?,"
                           " Pre = ?, Imp = ? WHERE Id = ? AND IdDoc = ?"),
            {l.idCon, l.desCon, guardar(l.und), guardar(l.pre), importeLinea(l), cambio.idLinea,
             idDoc});
        return;
    case CambioLineas::Borrar:
        ejecutarFrecuente(
            QStringLiteral("DELETE FROM tblCobrosDetalles WHERE Id = ? AND IdDoc = ?"),
            {cambio.idLinea, idDoc});
        return;
    }
}

/**
 * Before an existing header is rewritten, in one reading (each is a trip to a server): it still
 * exists, its state lets it change, its series is not the rectifying one unless it rectifies,
 * no other document holds the number it will have, and the line to edit or remove is there.
 */
void comprobarReescritura(const Cabecera& c, const CambioLineas& cambio) {
    // A number this document already holds stays: an older file may repeat numbers.
    const QVariant num = c.num ? QVariant(*c.num) : QVariant();
    QSqlQuery q = ejecutarFrecuente(
        QStringLiteral("SELECT %1, (t.Num <> COALESCE(?, t.Num) OR upper(t.Ser) <> upper(?))"
                       " AND EXISTS (SELECT 1 FROM tblCobros o WHERE o.Id <> t.Id"
                       " AND o.Num = COALESCE(?, t.Num) AND upper(o.Ser) = upper(?)),"
                       " EXISTS (SELECT 1 FROM tblCobrosDetalles WHERE Id = ? AND IdDoc = t.Id),"
                       " (SELECT SerieRect FROM tblVerifactu WHERE Activo <> 0)"
                       " FROM tblCobros t WHERE t.Id = ?")
            .arg(columnasEstado()),
        {num, c.ser, num, c.ser, cambio.idLinea, c.id});
    if (!q.next()) throw ErrorBD(QStringLiteral("El documento ya no existe."));
    const EstadoDocumento estado = estadoDeFila(q, 0);
    if (const QString motivo = motivoNo(estado, Accion::Editar); !motivo.isEmpty())
        throw ErrorBD(motivo);
    if (estado.rectifica == 0) exigirSerieNoRectificativa(c.ser, q.value(kColumnasDeEstado + 2));
    if (q.value(kColumnasDeEstado).toBool()) throw NumeroRepetido();
    const bool quita = cambio.tipo == CambioLineas::Editar || cambio.tipo == CambioLineas::Borrar;
    if (quita && !q.value(kColumnasDeEstado + 1).toBool())
        throw ErrorBD(QStringLiteral("La línea ya no existe."));
}

/**
 * Rewrites an existing header, its totals from its stored lines and its own percentages, and
 * gives it back as stored: one statement where a read after the commit would be another trip.
 */
Cabecera reescribirCabecera(const Cabecera& c) {
    const Totales t = calcularTotales(subtotalDocumento(c.id), c.porRet, c.porIva).valorOLanzar();
    QSqlQuery q = ejecutarFrecuente(
        QStringLiteral("UPDATE tblCobros SET Num = COALESCE(?, Num), Ser = ?, IdInq = ?,"
                       " IdInm = ?, Fec = COALESCE(?, Fec), Tri = ?, PorRet = ?, PorIva = ?,"
                       " Pag = ?, Obs = ?, SubTotal = ?, Base = ?, IVA = ?, Ret = ?, Tot = ?,"
                       " FecPag = CASE WHEN ? = 0 THEN NULL WHEN Pag <> 0 THEN FecPag ELSE ? END,"
                       " ForPag = CASE WHEN ? = 0 THEN NULL ELSE ForPag END"
                       " WHERE Id = ? RETURNING %1")
            .arg(kColumnasCabecera),
        // A payment keeps its day; one ticked now is paid today.
        valoresCabecera(c, c.num ? QVariant(*c.num) : QVariant())
            << guardar(t.subtotal) << guardar(t.base) << guardar(t.iva) << guardar(t.retencion)
            << guardar(t.total) << (c.pag ? 1 : 0) << fechaIso(Hoy()) << (c.pag ? 1 : 0) << c.id);
    if (!q.next()) throw ErrorBD(QStringLiteral("El documento ya no existe."));
    return cabeceraDeFila(q, c.id);
}

} // namespace

void reescribirTotales(int idDoc) {
    // One reading for percentages and lines: on a server each is a trip over the network.
    QSqlQuery q = ejecutar(QStringLiteral("SELECT PorRet, PorIva, (SELECT SUM(Imp) FROM"
                                          " tblCobrosDetalles WHERE IdDoc = tblCobros.Id)"
                                          " FROM tblCobros WHERE Id = ?"),
                           {idDoc});
    if (!q.next()) return;
    const Totales t = calcularTotales(importeGuardado(q.value(2)), decimalGuardado(q.value(0)),
                                      decimalGuardado(q.value(1)))
                          .valorOLanzar();
    ejecutar(QStringLiteral("UPDATE tblCobros SET SubTotal = ?, Base = ?, IVA = ?, Ret = ?, Tot = ?"
                            " WHERE Id = ?"),
             {guardar(t.subtotal), guardar(t.base), guardar(t.iva), guardar(t.retencion),
              guardar(t.total), idDoc});
}

QStringList codigosSeries() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Cod FROM tblSeriesF ORDER BY Id"));
    QStringList codigos;
    while (q.next())
        codigos << q.value(0).toString();
    return codigos;
}

QStringList seriesParaDocumentos() {
    QStringList series = codigosSeries();
    if (const QVariant rect = serieRectificativaActiva(); !rect.isNull())
        series.removeIf([&rect](const QString& s) {
            return s.compare(rect.toString(), Qt::CaseInsensitive) == 0;
        });
    return series;
}

QString primeraSerie() {
    return seriesParaDocumentos().value(0);
}

QString primeraSerieFacturas() {
    const QStringList series = seriesParaDocumentos();
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT Cod FROM tblSeriesF WHERE Factura <> 0 ORDER BY Id"));
    while (q.next())
        if (series.contains(q.value(0).toString(), Qt::CaseInsensitive))
            return q.value(0).toString();
    return series.value(0);
}

void asegurarSerie() {
    if (valorUnico(QStringLiteral("SELECT 1 FROM tblSeriesF")).isValid()) return;
    ejecutar(QStringLiteral("INSERT INTO tblSeriesF (Id, Cod, Des) VALUES (?, ?, ?)"),
             {SiguienteNumero(QStringLiteral("tblSeriesF"), QStringLiteral("Id")),
              QStringLiteral("A"), QStringLiteral("Serie por defecto")});
}

std::optional<Decimal> retencionPorDefecto() {
    const QVariant porRet = valorUnico(QStringLiteral("SELECT PorRet FROM tblTitulos"));
    if (!porRet.isValid() || porRet.isNull()) return std::nullopt;
    return decimalGuardado(porRet);
}

std::optional<Cabecera> leerCabecera(int id) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT %1 FROM tblCobros WHERE Id = ?").arg(kColumnasCabecera), {id});
    if (!q.next()) return std::nullopt;
    return cabeceraDeFila(q, id);
}

bool numeroLibre(int id, int num, const QString& ser) {
    const QString mismo = QStringLiteral("Num = ? AND upper(Ser) = upper(?)");
    if (valorUnico(QStringLiteral("SELECT 1 FROM tblCobros WHERE Id = ? AND ") + mismo,
                   {id, num, ser})
            .isValid())
        return true;
    return !valorUnico(QStringLiteral("SELECT 1 FROM tblCobros WHERE Id <> ? AND ") + mismo,
                       {id, num, ser})
                .isValid();
}

namespace {

/** The documents this desk holds on the server, with how many times each was taken. */
QHash<int, int>& reservas() {
    static QHash<int, int> tomadas;
    return tomadas;
}

bool tomarDocumento(int id) {
    // Session locks: the server drops them itself when a desk's connection goes.
    return valorUnico(QStringLiteral("SELECT pg_try_advisory_lock(hashtext(current_schema()), ?)"),
                      {id})
        .toBool();
}

} // namespace

bool reservarDocumento(int id) {
    if (!esServidor(Conexion())) return true;
    if (!tomarDocumento(id)) return false;
    ++reservas()[id];
    return true;
}

Resultado<> liberarDocumento(int id) {
    return intentar([&]() -> void {
        if (!esServidor(Conexion())) return;
        if (const auto it = reservas().find(id); it != reservas().end() && --*it == 0)
            reservas().erase(it);
        valorUnico(QStringLiteral("SELECT pg_advisory_unlock(hashtext(current_schema()), ?)"),
                   {id});
    });
}

QList<int> retomarDocumentos() {
    QList<int> perdidos;
    if (!esServidor(Conexion())) return perdidos;
    for (auto it = reservas().begin(); it != reservas().end();) {
        // Taken as many times as before, so each later release still has its own.
        bool tomado = true;
        for (int vez = 0; vez < it.value() && tomado; ++vez)
            tomado = tomarDocumento(it.key());
        if (tomado) {
            ++it;
        } else {
            perdidos << it.key();
            it = reservas().erase(it);
        }
    }
    return perdidos;
}

Resultado<> borrarDocumento(int id) {
    return intentar([&]() -> void {
        // Not from under another desk's open sheet; a lock already ours is only counted once more.
        if (!reservarDocumento(id)) throw ErrorBD(kEditandoOtroPuesto);
        // Letting go cannot fail the deletion: a lost connection has let the lock go already.
        const auto liberar = qScopeGuard([id] { (void)liberarDocumento(id); });
        Transaccion t;
        if (const QString motivo = motivoNo(id, Accion::Borrar); !motivo.isEmpty())
            throw ErrorBD(motivo);
        ejecutar(QStringLiteral("DELETE FROM tblCobrosDetalles WHERE IdDoc = ?"), {id});
        // Failed mailings only (a sent one made it printed): a later document may take its Id.
        ejecutar(QStringLiteral("DELETE FROM tblCorreos WHERE IdDoc = ?"), {id});
        ejecutar(QStringLiteral("DELETE FROM tblCobros WHERE Id = ?"), {id});
        t.confirmar();
    });
}

QVariant serieRectificativaActiva() {
    return valorUnico(QStringLiteral("SELECT SerieRect FROM tblVerifactu WHERE Activo <> 0"));
}

Resultado<Cabecera> guardarDocumento(const Cabecera& c, const CambioLineas& cambio) {
    return intentar([&]() -> Cabecera {
        Transaccion t;
        if (c.id == 0) {
            exigirSerieNoRectificativa(c.ser, serieRectificativaActiva());
            const int id = insertarCabecera(c);
            aplicarCambio(id, cambio);
            reescribirTotales(id);
            t.confirmar();
            return *leerCabecera(id);
        }
        comprobarReescritura(c, cambio);
        aplicarCambio(c.id, cambio);
        const Cabecera guardada = reescribirCabecera(c);
        t.confirmar();
        return guardada;
    });
}

int escribirDocumentoNuevo(const Cabecera& c, const QList<Linea>& lineas) {
    return EscritorDocumentos().escribir(c, lineas);
}

struct EscritorDocumentos::Sentencias {
    Sentencia numeroOcupado{QStringLiteral("SELECT 1 FROM tblCobros WHERE Id <> ? AND Num = ?"
                                           " AND upper(Ser) = upper(?)")};
    Sentencia cabecera{QStringLiteral(
        "INSERT INTO tblCobros (Num, Ser, IdInq, IdInm, Fec, Tri, PorRet, PorIva, Pag, Obs, Id,"
        " FecPag, Fac, SubTotal, Ret, Base, IVA, Tot, IdEmi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
        " ?, ?, ?, ?, ?, ?, ?, ?, ?)")};
    Sentencia linea{QStringLiteral("INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, DesCon,"
                                   " Und, Pre, Imp) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")};
    QHash<QString, QString> claves; ///< each series as typed, as the engine's upper() leaves it
};

EscritorDocumentos::EscritorDocumentos()
    : sentencias_(std::make_unique<Sentencias>()) {}

EscritorDocumentos::~EscritorDocumentos() = default;

QString EscritorDocumentos::claveSerie(const QString& serie) {
    if (serie.isEmpty()) return {};
    auto conocida = sentencias_->claves.constFind(serie);
    if (conocida == sentencias_->claves.cend())
        conocida = sentencias_->claves.insert(
            serie, valorUnico(QStringLiteral("SELECT upper(?)"), {serie}).toString());
    return *conocida;
}

int EscritorDocumentos::numeroPara(const Cabecera& c) {
    if (c.num) return *c.num;
    // Without a series the next number is the year's highest: never counted on.
    const QString clave = claveSerie(c.ser);
    if (clave.isEmpty())
        return SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), c.ser);
    if (!siguienteNumero_.contains(clave))
        siguienteNumero_.insert(
            clave, SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), c.ser));
    return siguienteNumero_.value(clave);
}

int EscritorDocumentos::escribir(const Cabecera& c, const QList<Linea>& lineas,
                                 const QVariant& idEmi) {
    if (!siguienteId_)
        siguienteId_ = SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Id"));
    const int id = (*siguienteId_)++;
    const int num = numeroPara(c);
    if (sentencias_->numeroOcupado.ejecutar({id, num, c.ser}).next()) throw NumeroRepetido();
    if (const auto siguiente = siguienteNumero_.find(claveSerie(c.ser));
        siguiente != siguienteNumero_.end())
        *siguiente = std::max(*siguiente, num + 1);
    // Amounts as they are stored, percentages as they are read back: the totals a rewrite from
    // the stored lines would give.
    QList<QVariant> importes;
    Importe subtotal;
    for (const Linea& l : lineas) {
        importes << importeLinea(l);
        subtotal += importeGuardado(importes.last());
    }
    const Totales t = calcularTotales(subtotal, decimalGuardado(guardar(c.porRet)),
                                      decimalGuardado(guardar(c.porIva)))
                          .valorOLanzar();
    sentencias_->cabecera.ejecutar(valoresCabecera(c, num)
                                   << id << (c.pag ? QVariant(fechaIso(Hoy())) : QVariant())
                                   << (c.factura ? 1 : 0) << guardar(t.subtotal)
                                   << guardar(t.retencion) << guardar(t.base) << guardar(t.iva)
                                   << guardar(t.total) << idEmi);
    if (!lineas.isEmpty() && !siguienteLinea_)
        siguienteLinea_ = valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM"
                                                    " tblCobrosDetalles"))
                              .toInt();
    for (qsizetype i = 0; i < lineas.size(); ++i) {
        const Linea& l = lineas[i];
        sentencias_->linea.ejecutar({(*siguienteLinea_)++, id, static_cast<int>(i + 1), l.idCon,
                                     l.desCon, guardar(l.und), guardar(l.pre), importes[i]});
    }
    return id;
}

Resultado<Linea> lineaCon(Linea l) {
    const auto imp = l.pre.por(l.und);
    if (!imp || !l.pre.dentroDelLimite()) return Fallo{textoDemasiadoGrande()};
    l.imp = *imp;
    return l;
}

Cabecera crearDocumento(const Cabecera& c, const QList<Linea>& lineas) {
    Transaccion t;
    const int id = escribirDocumentoNuevo(c, lineas);
    t.confirmar();
    return *leerCabecera(id);
}

Importe subtotalDocumento(int idDoc) {
    QSqlQuery suma = ejecutarFrecuente(
        QStringLiteral("SELECT SUM(Imp) FROM tblCobrosDetalles WHERE IdDoc = ?"), {idDoc});
    return suma.next() ? importeGuardado(suma.value(0)) : Importe();
}

int numeroLineas(int idDoc) {
    return valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblCobrosDetalles WHERE IdDoc = ?"),
                      {idDoc})
        .toInt();
}

QList<QStringList> filasLineas(int idDoc) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Lin, IdCon, DesCon, Und, Pre, Imp, Id, IdDoc"
                                          " FROM tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin"),
                           {idDoc});
    QList<QStringList> filas;
    while (q.next()) {
        const QVariant und = q.value(3);
        filas << QStringList{textoOVacio(q.value(0)),
                             textoOVacio(q.value(1)),
                             textoOVacio(q.value(2)),
                             und.isNull() ? QString() : decimalGuardado(und).textoDosDecimales(),
                             importeOVacio(q.value(4)),
                             importeOVacio(q.value(5)),
                             q.value(6).toString(),
                             q.value(7).toString()};
    }
    return filas;
}

std::optional<Linea> leerLinea(int id) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdDoc, Lin, IdCon, DesCon, Und, Pre, Imp"
                                          " FROM tblCobrosDetalles WHERE Id = ?"),
                           {id});
    if (!q.next()) return std::nullopt;
    return Linea{q.value(0).toInt(),          q.value(1).toInt(),
                 q.value(2).toInt(),          textoOVacio(q.value(3)),
                 decimalGuardado(q.value(4)), importeGuardado(q.value(5)),
                 importeGuardado(q.value(6))};
}

QString motivoNoBorrar(UsadoPor que, int id) {
    const QString sql =
        que == UsadoPor::Concepto
            ? QStringLiteral("SELECT COUNT(DISTINCT IdDoc) FROM tblCobrosDetalles WHERE IdCon = ?")
        : que == UsadoPor::Inquilino
            ? QStringLiteral("SELECT COUNT(*) FROM tblCobros WHERE IdInq = ?")
            : QStringLiteral("SELECT COUNT(*) FROM tblCobros WHERE IdInm = ?");
    const int cuantos = valorUnico(sql, {id}).toInt();
    if (cuantos == 0) return {};
    const QString documentos = cuenta(cuantos, QStringLiteral("documento"));
    switch (que) {
    case UsadoPor::Inquilino:
        return QStringLiteral("No se puede borrar: este inquilino tiene %1 en el año.")
            .arg(documentos);
    case UsadoPor::Inmueble:
        return QStringLiteral("No se puede borrar: este inmueble tiene %1 en el año.")
            .arg(documentos);
    case UsadoPor::Concepto:
        break;
    }
    return QStringLiteral("No se puede borrar: este concepto está en las líneas de %1.")
        .arg(documentos);
}

std::optional<Concepto> leerConcepto(int id) {
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT Id, Des, Imp FROM tblCobrosConceptos WHERE Id = ?"), {id});
    if (!q.next()) return std::nullopt;
    return Concepto{q.value(0).toInt(), textoOVacio(q.value(1)), importeGuardado(q.value(2))};
}

std::optional<Concepto> conceptoDeTexto(const QString& texto, int idInm) {
    const QString limpio = texto.trimmed();
    if (limpio.isEmpty()) return std::nullopt;
    std::optional<Concepto> concepto;
    if (const auto codigo = leerEntero(limpio)) concepto = leerConcepto(*codigo);
    if (!concepto) {
        const int codigo = CodigoDeDescripcion(QStringLiteral("tblCobrosConceptos"),
                                               QStringLiteral("Des"), QStringLiteral("Id"), limpio);
        if (codigo != 0) concepto = leerConcepto(codigo);
    }
    if (!concepto || idInm <= 0) return concepto;
    // A property's rent is its own, not the concept's usual amount.
    QSqlQuery q = ejecutar(QStringLiteral("SELECT DesCon, Pre FROM tblInmueblesCargos WHERE IdInm"
                                          " = ? AND IdCon = ? ORDER BY Lin"),
                           {idInm, concepto->id});
    if (q.next()) {
        if (const QString des = textoOVacio(q.value(0)); !des.isEmpty()) concepto->des = des;
        concepto->imp = importeGuardado(q.value(1));
    }
    return concepto;
}

std::optional<DatosInquilino> datosInquilino(int id) {
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT Nom, DNI, Tfn, Mob FROM tblInquilinos WHERE Id = ?"), {id});
    if (!q.next()) return std::nullopt;
    QStringList telefonos{textoOVacio(q.value(2)).trimmed(), textoOVacio(q.value(3)).trimmed()};
    telefonos.removeAll(QString());
    return DatosInquilino{textoOVacio(q.value(0)), QStringLiteral("N.I.F.: ") +
                                                       textoOVacio(q.value(1)) + QLatin1Char('\n') +
                                                       telefonos.join(QStringLiteral(" | "))};
}

QString descripcionInmueble(int id) {
    return textoOVacio(
        valorUnico(QStringLiteral("SELECT Des FROM tblInmuebles WHERE Id = ?"), {id}));
}

namespace {

/** "SÍ" paid, "REM" sent in a remittance not yet paid, "ANU" cancelled, "NO" unpaid. */
QString estadoPago(int estado) {
    switch (estado) {
    case 1:
        return QStringLiteral("SÍ");
    case 2:
        return QStringLiteral("REM");
    case 3:
        return kMarcaAnulado;
    default:
        return QStringLiteral("NO");
    }
}

} // namespace

namespace {

// The last attempt to mail a document, as the list's column shows it.
QString estadoCorreo(const QString& estado) {
    if (estado == QLatin1String("E")) return QStringLiteral("Enviado");
    if (estado == QLatin1String("F")) return QStringLiteral("Falló");
    if (estado == QLatin1String("P")) return QStringLiteral("Sin confirmar");
    return {};
}

} // namespace

std::function<bool(QVariantList&)> celdasCobros(const FiltroCobros& filtro,
                                                const QSqlDatabase& db) {
    QVariantList valores;
    const QString sql =
        QStringLiteral(
            "SELECT tblCobros.Fec AS Fec, %1 AS Numero, tblInmuebles.Des, tblInquilinos.Nom,"
            " tblCobros.Base, tblCobros.PorIva, tblCobros.IVA, tblCobros.PorRet,"
            " tblCobros.Ret, tblCobros.Tot, CASE WHEN tblCobros.Anu <> 0 THEN 3"
            " WHEN tblCobros.Pag <> 0 THEN 1"
            " WHEN EXISTS (SELECT 1 FROM tblRemesasCobros r WHERE r.IdDoc ="
            " tblCobros.Id AND r.Dev = 0) THEN 2 ELSE 0 END, tblCobros.Id AS Id,"
            " (SELECT m.Est FROM tblCorreos m WHERE m.IdDoc = tblCobros.Id"
            " ORDER BY m.Id DESC LIMIT 1)")
            .arg(numeroYSerie()) +
        desdeYCondicion(filtro, valores, true, db);
    // The grid keeps reading in batches as it scrolls, newest first.
    return [siguiente =
                recorrer(sql, valores,
                         {QStringLiteral("Fec"), QStringLiteral("Numero"), QStringLiteral("Id")},
                         true, db)](QVariantList& fila) {
        const QSqlQuery* q = siguiente();
        if (!q) return false;
        fila = {desdeIso(q->value(0).toString()),
                textoOVacio(q->value(1)),
                textoOVacio(q->value(2)),
                textoOVacio(q->value(3)),
                celdaImporte(q->value(4)),
                celdaNumero(q->value(5)),
                celdaImporte(q->value(6)),
                celdaNumero(q->value(7)),
                celdaImporte(q->value(8)),
                celdaImporte(q->value(9)),
                estadoPago(q->value(10).toInt()),
                q->value(11).toString(),
                estadoCorreo(q->value(12).toString())};
        return true;
    };
}

std::function<bool(QStringList&)> filasCobros(const FiltroCobros& filtro) {
    return [celdas = celdasCobros(filtro), fila = QVariantList()](QStringList& textos) mutable {
        if (!celdas(fila)) return false;
        textos.clear();
        for (const QVariant& c : std::as_const(fila))
            textos << textoCelda(c);
        return true;
    };
}

ResumenCobros resumenCobros(const FiltroCobros& filtro, const QSqlDatabase& db) {
    QVariantList valores;
    QSqlQuery q =
        ejecutar(db,
                 QStringLiteral("SELECT COUNT(*), SUM(%1)")
                         .arg(sqlImporte(Cuenta::Facturado, QStringLiteral("tblCobros"))) +
                     desdeYCondicion(filtro, valores, false, db),
                 valores);
    if (!q.next()) return {};
    return {q.value(0).toInt(), importeGuardado(q.value(1))};
}

} // namespace torvane
