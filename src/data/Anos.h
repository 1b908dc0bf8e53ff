#pragma once

#include <QString>
#include <QStringList>

/*
 * The working years of a data folder: one sub-folder per year, each with its own database.
 * Every function returning a text returns an empty one on success, otherwise a Spanish
 * explanation for the user.
 */

/** ruta + "/" + ano + "/Zudivoz.mdb", joined as given (empty parts included). */
QString rutaBaseDatos(const QString& ruta, const QString& ano);

/** The sub-folders of ruta that hold a year's database, in order. */
QStringList anosDeCarpeta(const QString& ruta);

/** The folder name of the year after ano ("2025" after "2024"); empty unless ano is a number. */
QString anoSiguiente(const QString& ano);

/**
 * The tables a new year takes from the previous one, whole: registers, concepts, VAT types,
 * series and company data. Documents and anything not named here start empty.
 */
QStringList tablasQuePasanDeAno();

/**
 * Creates the year destino in the data folder ruta from the year origen: a new database with
 * the current format holding, from every table of tablasQuePasanDeAno(), every row and every
 * column both files have. The source is only read. The copy is checked (integrity and row
 * counts); when anything fails the new file is removed and the source is as it was.
 */
QString crearAnoDesde(const QString& ruta, const QString& origen, const QString& destino);
