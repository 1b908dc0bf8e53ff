#pragma once

#include "core/documents/EstadoDocumento.h"
#include "core/store/Importe.h"

#include <QList>
#include <QStringList>
#include <array>
#include <optional>

namespace torvane {

/** One property's amounts (invoiced or collected) in the months of a year. */
struct FilaMensual {
    int idInm = 0; ///< 0: the properties that no longer exist
    QString inmueble;
    /** Sum of Tot per month; empty when the month has no document or only null totals. */
    std::array<std::optional<Importe>, 12> meses{};
    Importe total;
};

/**
 * The totals of the documents counting in cuenta whose date for it falls in ano (the document's
 * date for what is invoiced, the payment's for what is collected), per existing property and
 * month, ordered by the property's description, and last, when there are any, those of deleted
 * properties together as "Inmuebles dados de baja" (idInm 0): every euro of the year counts.
 */
QList<FilaMensual> cobrosPorMes(int ano, Cuenta cuenta = Cuenta::Cobrado);

/**
 * The statistics grid as texts: one row of 16 columns per property (0 empty, 1 the row number
 * or nothing on the deleted properties' row,
 * 2 the description, 3-14 the months, 15 the total) and a last row with the column totals
 * under "TOTAL". No rows at all when there are no properties.
 */
QList<QStringList> rejillaMensual(const QList<FilaMensual>& filas);

/** "Enero" … "Diciembre". */
QStringList nombresMeses();

} // namespace torvane
