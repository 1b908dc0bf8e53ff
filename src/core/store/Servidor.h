#pragma once

#include "core/store/BaseDatos.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

namespace torvane {

/*
 * An office's years on a PostgreSQL server. A data folder holding servidor.ini keeps its years
 * there, one schema each (ano_2026), instead of AÑO/Zudivoz.mdb. The tables are the year file's
 * own, read from a file built by the migrations, so both engines always hold the same schema.
 * Every function returning a text returns an empty one on success, otherwise a Spanish reason.
 */

/** What servidor.ini says. The password is never in it: ~/.pgpass or asked once per session. */
struct DatosServidor {
    QString host = QStringLiteral("localhost");
    int puerto = 5432;
    QString base;
    QString usuario;
    QString sslmode = QStringLiteral("require"); ///< verify-full when raiz is given
    QString raiz;        ///< the CA's certificate (sslrootcert); the system's when empty
    QString propietario; ///< the role owning the years, for the administrator's commands
    QString clave;       ///< typed by the user this session; never written anywhere
};

inline const QString kArchivoServidor = QStringLiteral("servidor.ini");
/** Between a year and the moment a restore replaced it, in the name of the year it kept. */
inline const QString kMarcaGuardado = QStringLiteral("_antes_");

/**
 * Whether this process runs the administrator's commands: it then connects as servidor.ini's
 * «propietario» (the role owning the years), where there is one, instead of the desks' «usuario».
 */
bool& comoPropietario();

/** Opens connection nombre to the server, in the schema esquema when given. */
QString conectarServidor(const DatosServidor& datos, const QString& esquema, const QString& nombre);
void desconectarServidor(const QString& nombre);

/** The guards' functions, written to replace those of a year made by an older version. */
QStringList funcionesDeGuardas();

/**
 * Sets the server up for two roles: propietario owns every year and runs the administrator's
 * commands; puesto, the desks' role, reads and writes rows and nothing else (no schema, table
 * or trigger changes), in the years there are and in those made later. Creates the roles that
 * are missing (without password: the administrator gives them one), hands every year to
 * propietario and brings its guards up to date. Runs as a role that may create roles.
 */
QString prepararServidor(const DatosServidor& datos, const QString& propietario,
                         const QString& puesto);

/** The server of the data folder carpeta, when it has a servidor.ini; error tells a bad one. */
std::optional<DatosServidor> leerServidor(const QString& carpeta, QString* error = nullptr);

/** A warning when servidor.ini lets the data cross the network unencrypted; empty otherwise. */
QString avisoCifrado(const DatosServidor& datos);

/** The password typed this session, which leerServidor hands on; kept only in memory. */
QString& claveSesion();

/** The years on the server of the shared connection, in order; none when it is a file. */
QStringList anosServidor();

/**
 * Opens year ano of the data folder carpeta as the shared connection: on its server when the
 * folder has a servidor.ini, otherwise its year file.
 */
QString abrirAnoDeCarpeta(const QString& carpeta, const QString& ano,
                          Integridad integridad = Integridad::AlAbrir);

/** Schema of a year ("ano_2026") or of a year a restore kept ("2026_antes_…"); empty otherwise. */
QString esquemaAno(const QString& ano);

/** Whether a connection is to the server (not to a year file). */
bool esServidor(const QSqlDatabase& db);

/** Whether the engine refused because the password is missing or wrong. */
bool faltaClave(const QString& motivo);

/**
 * Opens the year ano on the server as the connection nombre (the shared one by default),
 * replacing any previous one: the schema must exist and be of this program's format.
 */
QString abrirAnoServidor(const DatosServidor& datos, const QString& ano,
                         const QString& nombre = {});

/** Creates the year's schema with every table, index, function and guard; refuses an existing one.
 */
QString crearAnoServidor(const DatosServidor& datos, const QString& ano);
/** The same in an older format version, as an older program made it. */
QString crearAnoServidor(const DatosServidor& datos, const QString& ano, int version);

/**
 * Brings the server's year, of an older format, to this program's: the year as it was is kept
 * in carpeta (the data folder) as a year file, AÑO/Zudivoz.mdb.antes-de-actualizar-vN, and a
 * copy of it brought up to date by the year file's own migrations replaces the year in one
 * transaction, compared row by row. The other desks' writes wait meanwhile. formato, when
 * given, receives the year's format at the end (unchanged when it was already this one's).
 */
QString actualizarAnoServidor(const DatosServidor& datos, const QString& ano,
                              const QString& carpeta, int* formato = nullptr);

/**
 * Copies the year file at ruta into a new schema of the year on the server and compares both
 * row by row; nothing stays on the server unless all of it arrived.
 */
QString subirAno(const QString& ruta, const DatosServidor& datos, const QString& ano);

/**
 * Writes the server's year to a new year file at ruta (which must not exist), private to the
 * user, and compares both row by row; a failed copy leaves no file.
 */
QString bajarAno(const DatosServidor& datos, const QString& ano, const QString& ruta);

/** The same from the shared connection (the backup window in server mode). */
QString bajarAbierto(const QString& ruta);

/**
 * Replaces the shared connection's year with the year file at ruta, in one transaction holding
 * the year's write turn, and compares them; on any failure the year is as it was. The year as
 * it was stays on the server as a year of its own, named in guardado ("2026_antes_20261207_
 * 093000"), which «torvane-admin servidor bajar» writes to a file. The other desks' next save
 * is refused until they open the year again.
 */
QString reemplazarDesdeArchivo(const QString& ruta, QString* guardado = nullptr);

/** The years restores kept of ano on the shared connection's server, newest first. */
QStringList anosGuardados(const QString& ano);

/** Removes from the server a year a restore kept ("2026_antes_20261207_093000"), only such. */
QString quitarGuardado(const DatosServidor& datos, const QString& guardado);

} // namespace torvane
