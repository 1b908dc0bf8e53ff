#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace torvane {

/*
 * Backup of the working year's database to a folder on a removable drive, and restore from it.
 * Every function returns an empty text on success, otherwise a Spanish explanation for the user;
 * on failure nothing the user had is lost.
 */

inline const QString kCarpetaCopias = QStringLiteral("CopiaTorvane");
inline const QString kArchivoDatos = QStringLiteral("Zudivoz.mdb");
inline const QString kSufijoAnterior = QStringLiteral(".antes-de-restaurar");

/** raiz + "/CopiaTorvane/" + ano (a root ending in "/" does not double it). */
QString rutaCopia(const QString& raiz, const QString& ano);

/**
 * Writes a consistent copy of the open shared connection into carpeta/Zudivoz.mdb (0600),
 * creating the folders that are missing (0700). The copy is made under a temporary name, left
 * over from an interrupted copy or not, and only replaces an earlier copy once it is complete
 * and checked.
 */
QString hacerCopia(const QString& carpeta);

/**
 * Checks that archivo is a sound database of this program: integrity, every table with the
 * columns of its format version, and a version this program can read.
 */
QString verificarCopia(const QString& archivo);

/**
 * Years (ascending, "2019") of the documents in archivo other than ano; empty when every
 * document is of ano, or ano is not a year.
 */
QStringList anosDistintos(const QString& archivo, const QString& ano);

/** The copies restores kept beside rutaBD, newest first. */
QStringList copiasAnteriores(const QString& rutaBD);

/**
 * Replaces the database at rutaBD with the file origen: checks it, closes the shared
 * connection, keeps the current data as rutaBD + ".antes-de-restaurar-yyyy-MM-dd-HHmm" (never
 * replacing an earlier one), puts the copy in place in one rename and calls reabrir (which opens
 * the shared connection again and returns an error text). When anything fails the previous data
 * is put back and reopened. rutaBD names complete data at every moment. On a server the year is
 * replaced as reemplazarDesdeArchivo() does. guardado receives where the data it replaced is.
 */
QString restaurarArchivo(const QString& origen, const QString& rutaBD,
                         const std::function<QString()>& reabrir, QString* guardado = nullptr);

/** restaurarArchivo() from the backup in carpeta. */
QString restaurarCopia(const QString& carpeta, const QString& rutaBD,
                       const std::function<QString()>& reabrir, QString* guardado = nullptr);

/**
 * Tells the user where a restore kept what it replaced (guardado, as restaurarArchivo gave it),
 * how many such copies there are and how to remove them.
 */
QString avisoGuardado(const QString& guardado, const QString& rutaBD);

/** Removes what an interrupted restore left beside rutaBD (only while rutaBD is there). */
void limpiarTemporales(const QString& rutaBD);

} // namespace torvane
