#pragma once

#include <QDate>
#include <QString>

namespace torvane {

/*
 * How long a home let as the tenant's habitual dwelling lasts by law (LAU arts. 9 and 10), by
 * the date it was signed: the years the tenant may stay whatever was agreed, the notice that
 * stops the tacit extensions, and those extensions.
 */

/** The rules of one period of the law. */
struct PlazosVivienda {
    QString ley;               ///< "RDL 7/2019", "Ley 4/2013", ...
    int anosObligatorios = 0;  ///< the tenant may stay this long, year by year
    int anosTacitos = 0;       ///< then, without notice, this much more, year by year
    bool tacitaSinFin = false; ///< the yearly tacit extension repeats while nobody gives notice
    int mesesAviso = 0;        ///< the landlord's notice (months, or days when 0)
    int diasAviso = 0;
    int mesesAvisoInquilino = 0; ///< the tenant's notice at the end of the mandatory term
    int diasAvisoInquilino = 0;
    int mesesAvisoTacita = 0; ///< the tenant's notice at the end of a tacit year
    int diasAvisoTacita = 0;
};

/** The rules for a home signed on firma; sociedad: the landlord is a company. */
PlazosVivienda plazosVivienda(const QDate& firma, bool sociedad);

/** The law's dates of one contract. */
struct TerminoVivienda {
    PlazosVivienda plazos;
    QDate finObligatorio;  ///< the agreed end, or the mandatory term's if later
    QDate avisoArrendador; ///< last day for the landlord's notice before finObligatorio
    QDate avisoInquilino;
    QDate finTacito; ///< the end of the tacit extensions; invalid when they never end
};

/**
 * The dates of a home let from inicio until finPactado (its agreed last day, extensions
 * included). A term ends the day before the same day of the month n years on.
 */
TerminoVivienda terminoVivienda(const QDate& inicio, const QDate& finPactado, bool sociedad);

/** «4 meses», «30 días», «1 mes». */
QString textoPlazo(int meses, int dias);

/** fecha minus a notice of meses (or dias when meses is 0). */
QDate antesDe(const QDate& fecha, int meses, int dias);

} // namespace torvane
