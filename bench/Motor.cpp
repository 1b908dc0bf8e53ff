#include "Motor.h"

#include "core/search/Busqueda.h"
#include "core/text/Plegado.h"

#include <QDate>
#include <QHash>
#include <sqlite3.h>

using namespace torvane;

namespace {

// The page cache the program gives its connection: large sorts stay in memory.
const char* const kAjustes = "PRAGMA cache_size = -32000";

// The list of documents as the collections window asks for it, and its count and total.
const char* const kListaCobros =
    "SELECT tblCobros.Fec, COALESCE(tblCobros.Num, '') || COALESCE(tblCobros.Ser, '') AS Numero,"
    " tblInmuebles.Des, tblInquilinos.Nom, tblCobros.Base, tblCobros.PorIva, tblCobros.IVA,"
    " tblCobros.PorRet, tblCobros.Ret, tblCobros.Tot, tblCobros.Pag, tblCobros.Anu, tblCobros.Id";
// Cancelled documents are counted, not added.
const char* const kResumenCobros =
    "SELECT COUNT(*), SUM(CASE WHEN tblCobros.Anu = 0 THEN tblCobros.Tot ELSE 0 END)";
const char* const kDesdeCobros =
    " FROM (tblCobros LEFT JOIN tblInmuebles ON tblCobros.IdInm = tblInmuebles.Id)"
    " LEFT JOIN tblInquilinos ON tblCobros.IdInq = tblInquilinos.Id"
    " WHERE tblCobros.Fec >= ? AND tblCobros.Fec <= ?";
const char* const kSoloCobros = " FROM tblCobros WHERE tblCobros.Fec >= ? AND tblCobros.Fec <= ?";
const char* const kOrdenCobros = " ORDER BY tblCobros.Fec DESC, Numero DESC";
const char* const kTextoEnCobros =
    " AND (contiene(tblInmuebles.Des, ?) OR contiene(tblInquilinos.Nom, ?))";

const QByteArrayList kAno = {"2000-01-01", "2024-12-31"};

void cobros(Motor& m, const QByteArray& condicion, const QByteArrayList& valores,
            bool resumen = true) {
    const QByteArray desde = kDesdeCobros + condicion;
    m.leer(kListaCobros + desde + kOrdenCobros, valores, kPrimeraPagina);
    if (!resumen) return;
    // Without a text filter the count needs no names, and the program leaves the joins out.
    m.leer(kResumenCobros + (condicion.contains("contiene") ? desde : kSoloCobros + condicion),
           valores);
}

void hoja(Motor& m) {
    const QByteArrayList id = {QByteArray::number(kDocumento)};
    m.leer("SELECT TIV, IVA FROM tblIva WHERE TIV = 1");
    m.leer("SELECT 1 FROM tblSeriesF");
    m.leer("SELECT Cod FROM tblSeriesF ORDER BY Id");
    m.leer("SELECT Num, Ser, IdInq, IdInm, Fec, Tri, PorRet, PorIva, Pag, SubTotal, Ret, Base,"
           " IVA, Tot, Obs FROM tblCobros WHERE Id = ?",
           id);
    m.leer("SELECT Nom, DNI, Tfn, Mob FROM tblInquilinos"
           " WHERE Id = (SELECT IdInq FROM tblCobros WHERE Id = ?)",
           id);
    m.leer("SELECT Des FROM tblInmuebles WHERE Id = (SELECT IdInm FROM tblCobros WHERE Id = ?)",
           id);
    m.leer("SELECT SUM(Und * Pre) FROM tblCobrosDetalles WHERE IdDoc = ?", id);
    m.leer("SELECT Lin, IdCon, DesCon, Und, Pre, Und * Pre, Id, IdDoc FROM tblCobrosDetalles"
           " WHERE IdDoc = ? ORDER BY Lin",
           id);
}

void recibo(Motor& m) {
    const QByteArrayList id = {QByteArray::number(kDocumento)};
    m.leer("SELECT Empresa, CIF, NomCom, Enderezo, Poboacion, Telefonos, Internet, RexMer, CtaBan,"
           " ProDat FROM tblTitulos");
    m.leer("SELECT c.Num, c.Ser, c.Fec, c.PorIva, c.PorRet, c.Pag, c.SubTotal, c.Ret, c.Base,"
           " c.IVA, c.Tot, c.Obs, c.Tri, m.Des, m.Dir, m.CP, m.Pob, m.Pro, q.Nom, q.DNI, q.Tfn,"
           " q.Mob, q.Mail,"
           " (SELECT s.Des FROM tblSeriesF s WHERE s.Cod = c.Ser ORDER BY s.Id LIMIT 1)"
           " FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm = m.Id)"
           " LEFT JOIN tblInquilinos q ON c.IdInq = q.Id WHERE c.Id = ?",
           id);
    m.leer("SELECT Lin, IdCon, DesCon, Und, Pre FROM tblCobrosDetalles WHERE IdDoc = ?"
           " ORDER BY Lin",
           id);
}

// The monthly run's month and the one before it, already issued, whose documents stand in
// for the run's when printing is compared.
const QByteArrayList kDiciembre = {"2024-12-01", "2024-12-31"};
const QByteArrayList kNoviembre = {"2024-11-01", "2024-11-30"};

void propuestaMes(Motor& m) {
    m.leer("SELECT m.Id, m.Des, q.Nom, m.CarPorIva, m.CarPorRet, m.CarFac, m.CarSer"
           " FROM tblInmuebles m JOIN tblInquilinos q ON q.Id = m.IdInq ORDER BY m.Des");
    m.leer("SELECT IdInm, Lin, IdCon, DesCon, Und, Pre FROM tblInmueblesCargos"
           " ORDER BY IdInm, Lin");
    m.leer("SELECT IdInm, Num, Ser FROM tblCobros WHERE Fec >= ? AND Fec <= ?", kDiciembre);
}

// Every let property's document and its three lines written in one transaction, then undone.
void emitirMes(Motor& m) {
    m.ejecutar("BEGIN IMMEDIATE");
    m.ejecutar("INSERT INTO tblCobros (Id, Num, Ser, IdInq, IdInm, Fec, Tri, PorRet, PorIva, Pag,"
               " SubTotal, Ret, Base, IVA, Tot)"
               " SELECT 1000000 + m.Id, 100000 + m.Id, 'A', m.IdInq, m.Id, '2024-12-01', 4, 0,"
               " 0, 0, 1, 0, 1, 0, 1 FROM tblInmuebles m WHERE m.IdInq <> 0");
    m.ejecutar("INSERT INTO tblCobrosDetalles (IdDoc, Lin, IdCon, DesCon, Und, Pre, Imp)"
               " SELECT 1000000 + c.IdInm, c.Lin, c.IdCon, c.DesCon, c.Und, c.Pre, c.Und * c.Pre"
               " FROM tblInmueblesCargos c");
    m.ejecutar("ROLLBACK");
}

void imprimirMes(Motor& m) {
    m.leer("SELECT c.Id, c.Num, c.Ser, c.Fec, c.PorIva, c.PorRet, c.SubTotal, c.Ret, c.Base,"
           " c.IVA, c.Tot, m.Des, m.Dir, q.Nom, q.DNI"
           " FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm = m.Id)"
           " LEFT JOIN tblInquilinos q ON c.IdInq = q.Id WHERE c.Fec >= ? AND c.Fec <= ?",
           kNoviembre);
    m.leer("SELECT d.IdDoc, d.Lin, d.IdCon, d.DesCon, d.Und, d.Pre FROM tblCobrosDetalles d"
           " JOIN tblCobros c ON c.Id = d.IdDoc WHERE c.Fec >= ? AND c.Fec <= ?"
           " ORDER BY d.IdDoc, d.Lin",
           kNoviembre);
}

const char* const kListaRecibos =
    "SELECT c.Fec, COALESCE(c.Num, '') || COALESCE(c.Ser, ''), m.Des, q.Nom,"
    " c.Base, c.PorIva, c.IVA, c.PorRet, c.Ret, c.Tot, c.Pag"
    " FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm = m.Id)"
    " LEFT JOIN tblInquilinos q ON c.IdInq = q.Id ORDER BY c.Fec, c.Ser, c.Num";

void listaRecibos(Motor& m) {
    m.leer(kListaRecibos);
}

// The preview's first pages: their rows and the year's sums printed after the last.
void primeraPaginaRecibos(Motor& m) {
    m.leer(kListaRecibos, {}, kPrimeraPagina + 1);
    m.leer(
        "SELECT COUNT(*), SUM(CASE WHEN Anu = 0 THEN Base ELSE 0 END),"
        " SUM(CASE WHEN Anu = 0 THEN IVA ELSE 0 END), SUM(CASE WHEN Anu = 0 THEN Ret ELSE 0 END),"
        " SUM(CASE WHEN Anu = 0 THEN Tot ELSE 0 END),"
        " SUM(CASE WHEN Anu = 0 AND Pag = 0 THEN Tot ELSE 0 END) FROM tblCobros");
}

} // namespace

void Motor::ejecutar(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sqlite3_errmsg(db_), sql);
}

Motor::Motor(const QString& rutaBD) {
    if (sqlite3_open_v2(rutaBD.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK ||
        sqlite3_exec(db_, kAjustes, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !registrarFuncionesTexto(db_))
        qFatal("No se pudo abrir %s", qPrintable(rutaBD));
}

Motor::~Motor() {
    sqlite3_close(db_);
}

sqlite3_stmt* Motor::preparar(const QByteArray& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sqlite3_errmsg(db_), sql.constData());
    return st;
}

int Motor::leerFilas(sqlite3_stmt* st, const QByteArray& sql, int maxFilas) {
    const int columnas = sqlite3_column_count(st);
    int filas = 0;
    qsizetype bytes = 0;
    while ((maxFilas == 0 || filas < maxFilas) && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columnas; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
        ++filas;
    }
    sqlite3_finalize(st);
    if (bytes == 0 && filas > 0) qFatal("Filas vacías: %s", sql.constData());
    return filas;
}

int Motor::leer(const QByteArray& sql, const QByteArrayList& valores, int maxFilas) {
    sqlite3_stmt* st = preparar(sql);
    for (int i = 0; i < valores.size(); ++i)
        sqlite3_bind_text(st, i + 1, valores[i].constData(), static_cast<int>(valores[i].size()),
                          SQLITE_STATIC);
    return leerFilas(st, sql, maxFilas);
}

int Motor::leerValores(const QString& sql, const QVariantList& valores) {
    const QByteArray texto = sql.toUtf8();
    sqlite3_stmt* st = preparar(texto);
    for (int i = 0; i < valores.size(); ++i) {
        const QVariant& v = valores[i];
        if (v.isNull()) {
            sqlite3_bind_null(st, i + 1);
        } else if (v.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(st, i + 1, v.toInt());
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(st, i + 1, v.toDouble());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
    }
    return leerFilas(st, texto, 0);
}

// The statements of one keystroke of the global search.
static void buscar(Motor& m, const char* const (&texto)[2]) {
    const QString completo = QString::fromUtf8(texto[0]) + QString::fromUtf8(texto[1]);
    for (const ConsultaBusqueda& consulta : consultasBusqueda(completo))
        m.leerValores(consulta.sql, consulta.valores);
}

std::function<void(Motor&)> pasoMotor(const QString& clave) {
    static const QHash<QString, std::function<void(Motor&)>> pasos = {
        {QStringLiteral("cobros_filas"), [](Motor& m) { cobros(m, {}, kAno, false); }},
        {QStringLiteral("cobros"), [](Motor& m) { cobros(m, {}, kAno); }},
        {QStringLiteral("cobros_texto"),
         [](Motor& m) {
             cobros(m, kTextoEnCobros, kAno + QByteArrayList{kTextoCobros, kTextoCobros});
         }},
        {QStringLiteral("cobros_pendientes"),
         [](Motor& m) { cobros(m, " AND tblCobros.Anu = 0 AND tblCobros.Pag = 0", kAno); }},
        {QStringLiteral("inmuebles"),
         [](Motor& m) {
             m.leer("SELECT tblInmuebles.Des, COALESCE(tblInmuebles.Dir, '') || ' ' ||"
                    " COALESCE(tblInmuebles.CP, '') || ' ' || COALESCE(tblInmuebles.Pob, '') ||"
                    " ' ' || COALESCE(tblInmuebles.Pro, '') AS Direccion, tblInquilinos.Nom,"
                    " tblInmuebles.Id, tblInmuebles.IdInq FROM tblInmuebles LEFT JOIN"
                    " tblInquilinos ON tblInmuebles.IdInq = tblInquilinos.Id"
                    " WHERE contiene(tblInmuebles.Des, ?) OR contiene(COALESCE(tblInmuebles.Dir,"
                    " '') || ' ' || COALESCE(tblInmuebles.CP, '') || ' ' ||"
                    " COALESCE(tblInmuebles.Pob, '') || ' ' || COALESCE(tblInmuebles.Pro, ''), ?)"
                    " OR contiene(tblInquilinos.Nom, ?) ORDER BY tblInmuebles.Id",
                    {kTextoInmuebles, kTextoInmuebles, kTextoInmuebles});
         }},
        {QStringLiteral("inquilinos"),
         [](Motor& m) {
             m.leer("SELECT Nom, COALESCE(Tfn, '') || ' ' || COALESCE(Mob, '') AS Tfnos, Mail, Id"
                    " FROM tblInquilinos WHERE contiene(Nom, ?) OR contiene(COALESCE(Tfn, '') ||"
                    " ' ' || COALESCE(Mob, ''), ?) OR contiene(Mail, ?) ORDER BY pliegue(Nom), Nom",
                    {kTextoInquilinos, kTextoInquilinos, kTextoInquilinos});
         }},
        {QStringLiteral("estadisticas"),
         [](Motor& m) {
             // What was collected, by the day it was paid: the window's first statistic.
             m.leer("SELECT IdInm, CAST(substr(FecPag, 6, 2) AS INTEGER), Tot FROM tblCobros"
                    " WHERE FecPag >= ? AND FecPag < ? AND Anu = 0 AND Pag <> 0",
                    {"2024-01-01", "2025-01-01"});
             m.leer("SELECT Id, Des FROM tblInmuebles ORDER BY Des, Id");
         }},
        {QStringLiteral("remesa"),
         [](Motor& m) {
             m.leer("SELECT IdInq, Id, IBAN, MndRef, MndFec, MndPri FROM tblInquilinosCuentas"
                    " ORDER BY IdInq, CASE WHEN COALESCE(MndRef, '') = '' THEN 1 ELSE 0 END, Id");
             m.leer(
                 "SELECT c.Id, c.Num, c.Ser, c.Fec, c.Fac, c.Tot, c.IdInq, i.Nom FROM tblCobros c"
                 " LEFT JOIN tblInquilinos i ON c.IdInq = i.Id WHERE c.Fec >= ? AND c.Fec <= ?"
                 " AND c.Anu = 0 AND c.Pag = 0 AND NOT EXISTS (SELECT 1 FROM tblRemesasCobros r "
                 "WHERE"
                 " r.IdDoc = c.Id AND r.Dev = 0) ORDER BY i.Nom, c.IdInq, c.Fec, c.Ser, c.Num",
                 {"2024-01-01", "2024-12-31"});
         }},
        {QStringLiteral("extracto"),
         [](Motor& m) {
             m.leer("SELECT c.Id, c.Num, c.Ser, c.Fec, c.Tot, c.IdInq FROM tblCobros c WHERE"
                    " c.Anu = 0 AND c.Pag = 0 AND c.Tot > 0 AND NOT EXISTS (SELECT 1 FROM"
                    " tblRemesasCobros r WHERE r.IdDoc = c.Id AND r.Dev = 0)"
                    " ORDER BY c.IdInq, c.Fec, c.Id");
             m.leer("SELECT IBAN, IdInq FROM tblInquilinosCuentas");
             m.leer("SELECT Id, Nom FROM tblInquilinos");
         }},
        {QStringLiteral("exportar"),
         [](Motor& m) { m.leer(kListaCobros + QByteArray(kDesdeCobros) + kOrdenCobros, kAno); }},
        {QStringLiteral("hoja"), hoja},
        {QStringLiteral("recibo"), recibo},
        {QStringLiteral("mes_propuesta"), propuestaMes},
        {QStringLiteral("mes_emitir"), emitirMes},
        {QStringLiteral("mes_pdf"), imprimirMes},
        {QStringLiteral("busqueda_texto"), [](Motor& m) { buscar(m, kBusquedaTexto); }},
        {QStringLiteral("busqueda_numero"), [](Motor& m) { buscar(m, kBusquedaNumero); }},
        {QStringLiteral("recibos"), listaRecibos},
        {QStringLiteral("vista_primera"), primeraPaginaRecibos},
    };
    return pasos.value(clave);
}

QByteArray sqlArranque(bool conLista) {
    const QByteArray ajustes = QByteArray(kAjustes) + ";";
    if (!conLista) return ajustes + "SELECT COUNT(*) FROM sqlite_master;";
    // The program lists up to the end of the current year.
    const QByteArray hasta = "'" + QByteArray::number(QDate::currentDate().year()) + "-12-31'";
    const auto fechas = [&hasta](QByteArray desde) {
        return desde.replace("Fec >= ?", "Fec >= '2000-01-01'")
            .replace("Fec <= ?", "Fec <= " + hasta);
    };
    return ajustes + kListaCobros + fechas(kDesdeCobros) + kOrdenCobros + " LIMIT " +
           QByteArray::number(kPrimeraPagina) + ";" + kResumenCobros + fechas(kSoloCobros) + ";";
}
