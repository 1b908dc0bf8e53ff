#pragma once

#include "core/store/Importe.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace torvane {

/*
 * A list's cell as a value: what a grid shows as text and an export writes as a number or a
 * date. Rows read from the store as cells go to a sheet without being printed and read back.
 */

/** What a column holds, so it is written as a number or a date rather than as text. */
enum class TipoDato { Texto, Fecha, Importe, Numero };

/** Exact values as a list's cells hold them. */
inline QVariant celda(Importe importe) {
    return QVariant::fromValue(importe);
}
inline QVariant celda(Decimal numero) {
    return QVariant::fromValue(numero);
}
inline QVariant celdaCentimos(qint64 centimos) {
    return celda(Importe::deCentimos(centimos));
}
/** The money a cell holds, if any. */
std::optional<Importe> importeDeCelda(const QVariant& valor);
/** The exact number a cell holds, if any. */
std::optional<Decimal> decimalDeCelda(const QVariant& valor);

/** The text a grid shows for a cell: "1.234,50", "21", "31/12/2024". */
QString textoCelda(const QVariant& valor);

/**
 * A cell from the text a grid shows: "1.234,50" as an Importe (or a Decimal in a Numero column),
 * "31/12/2024" as a date; anything else stays text.
 */
QVariant celdaDeTexto(const QString& texto, TipoDato tipo);

} // namespace torvane
