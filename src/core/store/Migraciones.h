#pragma once

#include <QSqlDatabase>
#include <QString>

namespace torvane {

/*
 * The year file's format is versioned with PRAGMA user_version. Version 1 is the original set
 * of ten tables; every later change of tables or columns is one numbered step in
 * Migraciones.cpp, applied in order inside one transaction. Never change the schema elsewhere.
 */

/** The version this program writes and reads. */
int versionEsquema();

/** user_version of an open connection, or -1 when it cannot be read. */
int versionArchivo(QSqlDatabase& db);

/**
 * Applies every step above the file's version (up to hasta) to an open connection, in one
 * transaction.
 * Used on a file just created (no copy) and by actualizarArchivo. Returns an empty text on
 * success, otherwise the engine's reason; on failure nothing is changed.
 */
QString aplicarMigraciones(QSqlDatabase& db, int hasta = versionEsquema());

/**
 * Why an open file cannot be read by this program (its version is newer, or unreadable), or an
 * empty text. Asked before anything is written to the file.
 */
QString motivoVersion(QSqlDatabase& db);

/**
 * Brings the open file at ruta up to versionEsquema(): refuses a newer file, and before
 * changing an older one writes a verified copy beside it (ruta + ".antes-de-actualizar-vN").
 * Returns an empty text when the file is current (or was brought up to date), otherwise a
 * Spanish explanation.
 */
QString actualizarArchivo(QSqlDatabase& db, const QString& ruta);

/**
 * Builds the unique index on (series, number) when the file repeats no pair; a file that does
 * is left as it is (the opening check lists the repeats). Returns the engine's error, if any.
 */
QString asegurarNumerosUnicos(QSqlDatabase& db);

/**
 * Writes a copy of the open file to base (or base-2, base-3... if taken), readable only by its
 * owner, and checks the copy opens sound. Returns an empty text on success, otherwise why not.
 */
QString copiaVerificada(QSqlDatabase& db, const QString& base);

} // namespace torvane
