#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace torvane {

/*
 * Years up to format 15 held money as REAL euros; format 16 holds whole cents in INTEGER
 * columns. The step converts every value exactly and keeps, in tblRedondeos, each one that was
 * not a whole number of cents (typed into the file by other means): what it was and what it
 * became, so nothing is rounded unseen.
 */

/** The money columns of a year, table by table. */
struct ColumnasDinero {
    QString tabla;
    QStringList columnas;
};
const QList<ColumnasDinero>& columnasDinero();

/** The format step: every money column to whole cents, on an open transaction of a year file. */
QString pasarACentimos(QSqlQuery& q);

/**
 * The money values of a year file still in euros (format 15 or older) that are not a whole
 * number of cents, one line each: «tblCobros.Tot, fila 7: 10,005 (quedará en 10,01)».
 */
QStringList importesSinCentimosEnteros(const QSqlDatabase& db);

/** What the step rounded, one line each: «tblCobros.Tot, fila 7: era 10,005, es 10,01». */
QStringList importesRedondeados(const QSqlDatabase& db);

} // namespace torvane
