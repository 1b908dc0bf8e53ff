#pragma once

#include <QString>
#include <functional>

/*
 * Backup of the working year's database to a folder on a removable drive, and restore from it.
 * Every function returns an empty text on success, otherwise a Spanish explanation for the user;
 * on failure nothing the user had is lost.
 */

inline const QString kCarpetaCopias = QStringLiteral("CopiaTorvane");
inline const QString kArchivoDatos = QStringLiteral("Zudivoz.mdb");

/** raiz + "/CopiaTorvane/" + ano (a root ending in "/" does not double it). */
QString rutaCopia(const QString& raiz, const QString& ano);

/**
 * Writes a consistent copy of the open shared connection into carpeta/Zudivoz.mdb, creating
 * the folders that are missing. The copy is made under a temporary name and only replaces an
 * earlier copy once it is complete and checked.
 */
QString hacerCopia(const QString& carpeta);

/** Checks that archivo is a sound database of this program (integrity and every table). */
QString verificarCopia(const QString& archivo);

/**
 * Replaces the database at rutaBD with the backup in carpeta: checks the backup, closes the
 * shared connection, keeps the current file beside it as rutaBD + ".antes-de-restaurar", puts
 * the backup in place and calls reabrir (which opens the shared connection again and returns an
 * error text). When anything fails the previous file is put back and reopened.
 */
QString restaurarCopia(const QString& carpeta, const QString& rutaBD,
                       const std::function<QString()>& reabrir);
