#pragma once

#include <QFont>
#include <QString>

namespace torvane {

/*
 * The letters reports and documents are printed in: DejaVu Sans, which carries every accent, ñ
 * and € on every machine we install, in the program's own copy made for printing (the same
 * outlines and widths, European characters only, no hinting: tools/letras/letra_informe.py).
 * A PDF then embeds it in a fraction of the time; any other character is drawn with the
 * system's fonts as before.
 */

/** The report font at puntos points. */
QFont letraInforme(double puntos);

/** html with the report font wherever its style names the family DejaVu Sans. */
QString conLetraInforme(QString html);

} // namespace torvane
