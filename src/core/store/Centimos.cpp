#include "core/store/Centimos.h"

#include "core/store/Importe.h"
#include "core/text/Plegado.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <sqlite3.h>

namespace torvane {

namespace {

// Euros beyond this are no amount of a rent office; their cents would not fit a whole number.
constexpr double kEurosMaximos = 1e13;

// A REAL that reads back, to the 15 digits a double holds, as a whole number of cents.
bool centimosEnteros(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
    case SQLITE_INTEGER:
        return true;
    case SQLITE_FLOAT: {
        const double euros = sqlite3_value_double(v);
        if (!std::isfinite(euros) || std::fabs(euros) > kEurosMaximos) return false;
        const double centimos = QString::number(euros * 100.0, 'g', 15).toDouble();
        return centimos == std::trunc(centimos);
    }
    default:
        return false;
    }
}

qint64 aCentimos(sqlite3_value* v) {
    const double euros = sqlite3_value_double(v);
    if (!std::isfinite(euros) || std::fabs(euros) > kEurosMaximos) return 0;
    return Importe::desdeEuros(euros).centimos();
}

void sqlCentimos(sqlite3_context* contexto, int, sqlite3_value** v) {
    if (sqlite3_value_type(v[0]) == SQLITE_NULL)
        sqlite3_result_null(contexto);
    else
        sqlite3_result_int64(contexto, aCentimos(v[0]));
}

void sqlSinCentimosEnteros(sqlite3_context* contexto, int, sqlite3_value** v) {
    sqlite3_result_int(contexto, centimosEnteros(v[0]) ? 0 : 1);
}

QString registrarFunciones(sqlite3* db) {
    if (!db) return QStringLiteral("no es un archivo de año");
    const int banderas = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(db, "torvane_centimos", 1, banderas, nullptr, sqlCentimos,
                                   nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "torvane_sin_centimos", 1, banderas, nullptr,
                                   sqlSinCentimosEnteros, nullptr, nullptr, nullptr) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return {};
}

QString texto(const QVariant& v) {
    return v.toString().replace(u'.', u',');
}

// The value as it was, with the digits a double holds; a text stays the text it was.
const QString kAntes = QStringLiteral(
    "CASE WHEN typeof(%1) = 'real' THEN printf('%.15g', %1) ELSE CAST(%1 AS TEXT) END");

/** Every value of the money columns that is not whole cents: table, row, column, before, after. */
QString consultaSinCentimos(const ColumnasDinero& d) {
    QStringList partes;
    for (const QString& c : d.columnas)
        partes << QStringLiteral("SELECT '%1', rowid, '%2', %3, torvane_centimos(%2) FROM %1"
                                 " WHERE torvane_sin_centimos(%2)")
                      .arg(d.tabla, c, kAntes.arg(c));
    return partes.join(QStringLiteral(" UNION ALL "));
}

QString lineaDe(const QSqlQuery& q, const QString& plantilla) {
    return plantilla.arg(q.value(0).toString(), q.value(2).toString(), q.value(1).toString(),
                         texto(q.value(3)),
                         Importe::deCentimos(q.value(4).toLongLong()).textoSimple());
}

QString errorAl(QSqlQuery& q, const QString& sql) {
    return q.exec(sql) ? QString() : q.lastError().text();
}

/** The table's CREATE with its money columns as INTEGER, under the name nuevo. */
QString definicionEnCentimos(QSqlQuery& q, const ColumnasDinero& d, const QString& nuevo,
                             QString& definicion) {
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(d.tabla);
    if (!q.exec()) return q.lastError().text();
    if (!q.next()) return QStringLiteral("falta la tabla %1").arg(d.tabla);
    definicion = q.value(0).toString();
    q.finish();
    for (const QString& c : d.columnas) {
        const QRegularExpression real(QStringLiteral("\\b%1\\s+REAL\\b").arg(c),
                                      QRegularExpression::CaseInsensitiveOption);
        if (definicion.count(real) != 1)
            return QStringLiteral("la columna %1 de %2 no es de euros").arg(c, d.tabla);
        definicion.replace(real, c + QStringLiteral(" INTEGER"));
    }
    const QRegularExpression nombre(QStringLiteral("^CREATE TABLE\\s+\"?%1\"?").arg(d.tabla));
    if (!definicion.contains(nombre)) return QStringLiteral("no se entiende %1").arg(d.tabla);
    definicion.replace(nombre, QStringLiteral("CREATE TABLE ") + nuevo);
    return {};
}

// SQLite cannot change a column's type: the table is made again, as its own documentation
// describes, and its indexes and guards after it.
QString reconstruir(QSqlQuery& q, const ColumnasDinero& d) {
    const QString nuevo = d.tabla + QStringLiteral("_centimos");
    QString definicion;
    if (QString error = definicionEnCentimos(q, d, nuevo, definicion); !error.isEmpty())
        return error;
    q.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = ? AND type IN"
                             " ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid"));
    q.addBindValue(d.tabla);
    if (!q.exec()) return q.lastError().text();
    QStringList despues;
    while (q.next())
        despues << q.value(0).toString();
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(d.tabla))) return q.lastError().text();
    QStringList columnas, valores;
    while (q.next()) {
        const QString c = q.value(1).toString();
        columnas << c;
        valores << (d.columnas.contains(c) ? QStringLiteral("torvane_centimos(%1)").arg(c) : c);
    }
    q.finish();
    QString error = errorAl(q, QStringLiteral("INSERT INTO tblRedondeos (Tabla, Fila, Columna,"
                                              " Antes, Despues) ") +
                                   consultaSinCentimos(d));
    if (error.isEmpty()) error = errorAl(q, definicion);
    if (error.isEmpty())
        error = errorAl(q, QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                               .arg(nuevo, columnas.join(QStringLiteral(", ")),
                                    valores.join(QStringLiteral(", ")), d.tabla));
    if (error.isEmpty()) error = errorAl(q, QStringLiteral("DROP TABLE ") + d.tabla);
    if (error.isEmpty())
        error = errorAl(q, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(nuevo, d.tabla));
    for (const QString& sql : despues)
        if (error.isEmpty()) error = errorAl(q, sql);
    return error;
}

} // namespace

const QList<ColumnasDinero>& columnasDinero() {
    static const QList<ColumnasDinero> columnas{
        {QStringLiteral("tblInmuebles"),
         {QStringLiteral("Pre"), QStringLiteral("VCat"), QStringLiteral("VCatCon"),
          QStringLiteral("CosAdq"), QStringLiteral("MejAnt"), QStringLiteral("VMob")}},
        {QStringLiteral("tblCobrosConceptos"), {QStringLiteral("Imp")}},
        {QStringLiteral("tblCobros"),
         {QStringLiteral("SubTotal"), QStringLiteral("Ret"), QStringLiteral("Base"),
          QStringLiteral("IVA"), QStringLiteral("Tot")}},
        {QStringLiteral("tblCobrosDetalles"), {QStringLiteral("Pre"), QStringLiteral("Imp")}},
        {QStringLiteral("tblInmueblesCargos"), {QStringLiteral("Pre")}},
        {QStringLiteral("tblContratos"),
         {QStringLiteral("Ren"), QStringLiteral("FiaImp"), QStringLiteral("FiaImpDev")}},
        {QStringLiteral("tblContratosRentas"), {QStringLiteral("RenAnt"), QStringLiteral("Ren")}},
        {QStringLiteral("tblRemesas"), {QStringLiteral("Tot")}},
        {QStringLiteral("tblRemesasCobros"), {QStringLiteral("Imp")}},
        {QStringLiteral("tblGastos"), {QStringLiteral("Imp"), QStringLiteral("IvaDed")}},
        {QStringLiteral("tblExcesos"), {QStringLiteral("Imp")}},
    };
    return columnas;
}

QString pasarACentimos(QSqlQuery& q) {
    if (QString error = registrarFunciones(manejadorSqlite(q.driver())); !error.isEmpty())
        return error;
    QString error = errorAl(q, QStringLiteral("CREATE TABLE tblRedondeos (Id INTEGER PRIMARY KEY,"
                                              " Tabla TEXT NOT NULL, Fila INTEGER NOT NULL,"
                                              " Columna TEXT NOT NULL, Antes TEXT,"
                                              " Despues INTEGER)"));
    for (const ColumnasDinero& d : columnasDinero())
        if (error.isEmpty()) error = reconstruir(q, d);
    return error;
}

QStringList importesSinCentimosEnteros(const QSqlDatabase& db) {
    QStringList lineas;
    QSqlQuery q(db);
    if (!registrarFunciones(manejadorSqlite(db)).isEmpty()) return lineas;
    for (const ColumnasDinero& d : columnasDinero()) {
        if (!q.exec(consultaSinCentimos(d))) continue; // a table this old year does not have yet
        while (q.next())
            lineas << lineaDe(q, QStringLiteral("%1.%2, fila %3: %4 (quedará en %5)"));
    }
    return lineas;
}

QStringList importesRedondeados(const QSqlDatabase& db) {
    QStringList lineas;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT Tabla, Fila, Columna, Antes, Despues FROM tblRedondeos"
                               " ORDER BY Id")))
        return lineas;
    while (q.next())
        lineas << lineaDe(q, QStringLiteral("%1.%2, fila %3: era %4, es %5"));
    return lineas;
}

} // namespace torvane
