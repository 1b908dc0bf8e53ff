#pragma once

#include <QList>
#include <QStringList>
#include <array>
#include <optional>

/** One property's collected amounts in the months of a year. */
struct FilaMensual {
    int idInm = 0;
    QString inmueble;
    /** Sum of Tot per month; empty when the month has no document or only null totals. */
    std::array<std::optional<double>, 12> meses{};
    double total = 0;
};

/**
 * The amounts of every document dated in ano, per existing property and month, ordered by
 * the property's description. Documents whose property was deleted are left out.
 */
QList<FilaMensual> cobrosPorMes(int ano);

/**
 * The statistics grid as texts: one row of 16 columns per property (0 empty, 1 the row number,
 * 2 the description, 3-14 the months, 15 the total) and a last row with the column totals
 * under "TOTAL". No rows at all when there are no properties.
 */
QList<QStringList> rejillaMensual(const QList<FilaMensual>& filas);

/** "Enero" … "Diciembre". */
QStringList nombresMeses();
