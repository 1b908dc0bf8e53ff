#pragma once

#include <QString>
#include <QStringList>

/** The ten tables of version 1 of the year file, which every later version keeps. */
QStringList tablasEsperadas();

/**
 * Opens the database file at ruta as the shared connection, replacing any previous one.
 * Never creates a file: a missing path, a folder, a file that is not SQLite (an old Access
 * file among them) or one without the expected tables are refused.
 * Returns an empty text on success, otherwise a Spanish explanation for the user.
 */
QString abrirBaseDatos(const QString& ruta);

/** Closes and removes the shared connection. */
void cerrarBaseDatos();

/**
 * Creates a new year's database at ruta (which must not exist) with every table and index,
 * and leaves it closed. Returns an empty text on success, otherwise the reason.
 */
QString crearBaseDatos(const QString& ruta);
