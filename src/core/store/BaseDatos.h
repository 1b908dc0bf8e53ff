#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QSqlDatabase;

namespace torvane {

/** The ten tables of version 1 of the year file, which every later version keeps. */
QStringList tablasEsperadas();

/**
 * Runs uso on a private in-memory database holding the year file's schema at version (every
 * table, index and guard the migrations build): the one description of the schema.
 */
void conEsquemaReferencia(int version, const std::function<void(QSqlDatabase&)>& uso);

/** Columns of each table (lower case) in a year file of the given format version. */
QHash<QString, QStringList> columnasEsperadas(int version);

/** When the whole file is read for damage: before it is used, or by the caller afterwards. */
enum class Integridad { AlAbrir, Despues };

/**
 * Opens the database file at ruta as the shared connection, replacing any previous one.
 * Never creates a file: a missing path, a folder, a file that is not SQLite (an old Access
 * file among them) or one without the expected tables are refused. With Integridad::Despues
 * the file is read for damage only when it is about to be migrated; the caller then runs
 * motivoIntegridadAno() itself.
 * Returns an empty text on success, otherwise a Spanish explanation for the user.
 */
QString abrirBaseDatos(const QString& ruta, Integridad integridad = Integridad::AlAbrir);

/**
 * Reads the whole year file on db for damage (on a server there is nothing to read): an empty
 * text, or the Spanish explanation abrirBaseDatos would have given.
 */
QString motivoIntegridadAno(const QSqlDatabase& db);

/** Closes and removes the shared connection. */
void cerrarBaseDatos();
/**
 * How many times the shared connection has been closed: what was learnt of the open file
 * holds while this stays the same.
 */
quint64 cierresBaseDatos();

/**
 * Creates a new year's database at ruta (which must not exist) with every table and index,
 * and leaves it closed. The file is the user's alone (0600), and so are its WAL and SHM files,
 * which the engine creates with the database's own mode. Returns an empty text on success,
 * otherwise the reason.
 */
QString crearBaseDatos(const QString& ruta);
/** The same in an older format version: a server year's, on its way to this program's. */
QString crearBaseDatos(const QString& ruta, int version);

} // namespace torvane
