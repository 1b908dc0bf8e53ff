#pragma once

#include "core/reports/Exportacion.h"

class QAbstractButton;

namespace torvane {

class ModeloRejilla;
class Rejilla;

/** Whether the grid's last row already holds its totals (written as formulas instead). */
enum class FilaTotales { No, Ultima };

/**
 * The rows of a grid as a sheet: its visible columns (not the numbered one nor hidden ids),
 * every row the list holds (loading what is still pending), cells typed by Columna::dato.
 */
Hoja hojaDeRejilla(ModeloRejilla& modelo, const QString& nombre,
                   FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {});

/**
 * Asks where to save the grid (proposing nombre in the documents folder, .xlsx or .csv) and
 * writes it, telling the user how it went. An empty grid is refused with a message.
 */
void exportarRejilla(QWidget* ventana, Rejilla* rejilla, const QString& nombre,
                     FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {});

/**
 * Makes boton ("Exportar" of a list window) export rejilla under the name nombre; fuera names
 * the grid's column whose mark leaves a row out of the totals.
 */
void conectarExportar(QAbstractButton* boton, Rejilla* rejilla, const QString& nombre,
                      FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {});

} // namespace torvane
