#include "core/contracts/PlazosVivienda.h"

#include "core/text/Formato.h"

#include <algorithm>

namespace torvane {

PlazosVivienda plazosVivienda(const QDate& firma, bool sociedad) {
    const int largo = sociedad ? 7 : 5;
    // RDL 7/2019, in force from 6 March 2019: 5 years (7 for a company), 3 tacit; the
    // landlord gives 4 months' notice, the tenant 2, and a month at the end of a tacit year.
    if (firma >= QDate(2019, 3, 6))
        return {QStringLiteral("RDL 7/2019"), largo, 3, false, 4, 0, 2, 0, 1, 0};
    // Ley 4/2013 again once RDL 21/2018 lapsed (published 24 January 2019).
    if (firma >= QDate(2019, 1, 24))
        return {QStringLiteral("Ley 4/2013"), 3, 1, true, 0, 30, 0, 30, 0, 30};
    // RDL 21/2018, from 19 December 2018 until it lapsed: 5 (7) years, 3 tacit, 30 days.
    if (firma >= QDate(2018, 12, 19))
        return {QStringLiteral("RDL 21/2018"), largo, 3, false, 0, 30, 0, 30, 0, 30};
    // Ley 4/2013, from 6 June 2013: 3 years, then a year at a time while nobody says no.
    if (firma >= QDate(2013, 6, 6))
        return {QStringLiteral("Ley 4/2013"), 3, 1, true, 0, 30, 0, 30, 0, 30};
    // The 1994 text: 5 years, 3 tacit, a month's notice.
    return {QStringLiteral("LAU de 1994"), 5, 3, false, 1, 0, 1, 0, 1, 0};
}

namespace {

QDate finDeAnos(const QDate& inicio, int anos) {
    const QDate mismoDia = inicio.addYears(anos);
    // Started on 29 February: the term ends on 28 February of a common year.
    return mismoDia.day() != inicio.day() ? mismoDia : mismoDia.addDays(-1);
}

} // namespace

TerminoVivienda terminoVivienda(const QDate& inicio, const QDate& finPactado, bool sociedad) {
    TerminoVivienda t;
    t.plazos = plazosVivienda(inicio, sociedad);
    const PlazosVivienda& p = t.plazos;
    t.finObligatorio = std::max(finPactado, finDeAnos(inicio, p.anosObligatorios));
    t.avisoArrendador = antesDe(t.finObligatorio, p.mesesAviso, p.diasAviso);
    t.avisoInquilino = antesDe(t.finObligatorio, p.mesesAvisoInquilino, p.diasAvisoInquilino);
    if (!p.tacitaSinFin) t.finTacito = t.finObligatorio.addYears(p.anosTacitos);
    return t;
}

QDate antesDe(const QDate& fecha, int meses, int dias) {
    return meses > 0 ? fecha.addMonths(-meses) : fecha.addDays(-dias);
}

QString textoPlazo(int meses, int dias) {
    return meses > 0 ? cuenta(meses, QStringLiteral("mes")) : cuenta(dias, QStringLiteral("día"));
}

} // namespace torvane
