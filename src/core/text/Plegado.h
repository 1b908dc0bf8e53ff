#pragma once

#include <QSqlDatabase>
#include <QString>
#include <string>
#include <string_view>

struct sqlite3;

namespace torvane {

/**
 * Text folding for searches and duplicate tests: lower case without accents,
 * so "GARCÍA" matches "garcia" and "Peña" matches "pena".
 */
std::string plegarUtf8(std::string_view texto);
QString plegar(const QString& texto);

/** True when aguja occurs in pajar once both are folded; an empty aguja is always found. */
bool contiene(const QString& pajar, const QString& aguja);

/**
 * Registers contiene(campo, texto) and pliegue(texto) on an open SQLite connection.
 * Returns false when the connection is not SQLite.
 */
bool registrarFuncionesTexto(const QSqlDatabase& db);
/** The SQLite handle under a Qt connection; null for any other engine. */
sqlite3* manejadorSqlite(const QSqlDatabase& db);
sqlite3* manejadorSqlite(const QSqlDriver* driver);
/** The same on a connection opened with the SQLite C API. */
bool registrarFuncionesTexto(sqlite3* conexion);

} // namespace torvane
