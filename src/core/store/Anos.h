#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

namespace torvane {

/*
 * The working years of a data folder: one sub-folder per year, each with its own database.
 * Every function returning a text returns an empty one on success, otherwise a Spanish
 * explanation for the user.
 */

/** ruta + "/" + ano + "/Zudivoz.mdb", joined as given (empty parts included). */
QString rutaBaseDatos(const QString& ruta, const QString& ano);

/** The sub-folders of ruta that hold a year's database, in order. */
QStringList anosDeCarpeta(const QString& ruta);

/**
 * The working year as a number: its folder's name when that is a year ("2025"), else the year
 * of the open year's newest document, else the current one.
 */
int numeroDeAno(const QString& ano);

/** The folder name of the year after ano ("2025" after "2024"); empty unless ano is a number. */
QString anoSiguiente(const QString& ano);

/**
 * The tables a new year takes from the previous one, whole: registers, concepts, VAT types,
 * series and company data. Documents and anything not named here start empty.
 */
QStringList tablasQuePasanDeAno();

/**
 * Leaves a new year ready to use, on the connection of q: series for receipts and invoices (A
 * «Recibos» and B «Facturas» when it has none of its own; the rectifying series only while the
 * verifiable mode is on) and a few common concepts when it has none. The engine's reason, or empty.
 */
QString prepararAnoNuevo(QSqlQuery& q);

/**
 * What a caller adds to a new year inside the transaction that fills it (what the old year
 * leaves to the new one beyond whole tables), on the new file's connection; the engine's reason
 * or empty.
 */
using AlCrearAno = std::function<QString(QSqlQuery&)>;

/**
 * Creates the year destino in the data folder ruta from the year origen: a new database with
 * the current format holding, from every table of tablasQuePasanDeAno(), every row and every
 * column both files have, made ready by prepararAnoNuevo and then completar. The source is only
 * read. The copy is checked (integrity and row counts); when anything fails the new file is
 * removed and the source is as it was.
 */
QString crearAnoDesde(const QString& ruta, const QString& origen, const QString& destino,
                      const AlCrearAno& completar = {});

} // namespace torvane
