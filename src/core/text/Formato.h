#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace torvane {

/*
 * Numbers, money and dates as the program shows and reads them: Spanish (Spain) whatever the
 * system locale, decimal comma, "." grouping thousands, dates dd/MM/yyyy.
 */

/** Whole digits with a dot every three from the right: "1234567" → "1.234.567". */
QString agruparMiles(const QString& digitos);

/** Whole number without grouping ("12", "-3"); anything else is none. */
std::optional<int> leerEntero(const QString& texto);

/**
 * A count and its noun agreeing with it: "1 recibo", "3 recibos", "0 meses". The plural follows
 * the common Spanish rule (vowel +s, consonant +es, -z +ces, -ión +iones) unless one is given.
 */
QString cuenta(qint64 n, const QString& singular, const QString& plural = {});

/** A whole sentence by count: uno when n is 1, otherwise varios; %1 in either becomes n. */
QString segunCuenta(qint64 n, const QString& uno, const QString& varios);

/** dd/MM/yyyy. */
QString formatoFecha(const QDate& fecha);

/** A typed dd/MM/yyyy that is a real calendar date; an invalid QDate otherwise. */
QDate leerFecha(const QString& texto);

/** ISO text stored in the database (yyyy-MM-dd) and back. */
QString fechaIso(const QDate& fecha);
QDate desdeIso(const QString& texto);

/** Today's date; tests fix it with fijarHoy(). */
QDate Hoy();
void fijarHoy(const QDate& fecha);

} // namespace torvane
