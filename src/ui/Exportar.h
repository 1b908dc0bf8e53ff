#pragma once

#include "core/reports/Exportacion.h"
#include "core/store/LecturaAparte.h"

#include <functional>

class QAbstractButton;

namespace torvane {

class ModeloRejilla;
class Rejilla;

/** Whether the grid's last row already holds its totals (written as formulas instead). */
enum class FilaTotales { No, Ultima };

/**
 * The grid's rows read again from the start as cells, one for each of the grid's columns after
 * the numbered first one: an export then streams them from the query instead of loading them
 * into the grid, and writes their amounts and dates without reading them back from text. They
 * are read on a thread of their own (through the connection given) while the file is written.
 */
using FilasDeNuevo = FuenteFilas;

/**
 * The rows of a grid as a sheet: its visible columns (not the numbered one nor hidden ids),
 * every row the list holds (loading what is still pending), cells typed by Columna::dato.
 */
Hoja hojaDeRejilla(ModeloRejilla& modelo, const QString& nombre,
                   FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {},
                   const FilasDeNuevo& deNuevo = {});

/**
 * Asks where to save the grid (proposing nombre in the documents folder, .xlsx or .csv) and
 * writes it, telling the user how it went. An empty grid is refused with a message.
 */
void exportarRejilla(QWidget* ventana, Rejilla* rejilla, const QString& nombre,
                     FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {},
                     const FilasDeNuevo& deNuevo = {});

/**
 * Asks where to save the sheet hoja() gives (proposing nombre) and writes it, telling the user
 * how it went; hoja runs only once a file is chosen.
 */
void exportarHojaElegida(QWidget* ventana, const std::function<Hoja()>& hoja,
                         const QString& nombre);

/**
 * Shows a sheet in a grid: numbered rows, columns by type with the given shares of the width
 * (even shares when none), and under them its totals row when the sheet has totals.
 */
void mostrarHoja(Rejilla* rejilla, const Hoja& hoja, const QList<double>& fracciones = {});

/**
 * Makes boton ("Exportar" of a list window) export rejilla under the name nombre; fuera names
 * the grid's column whose mark leaves a row out of the totals.
 */
void conectarExportar(QAbstractButton* boton, Rejilla* rejilla, const QString& nombre,
                      FilaTotales totales = FilaTotales::No, const FueraDeTotales& fuera = {},
                      const FilasDeNuevo& deNuevo = {});

} // namespace torvane
