#pragma once

#include "data/DatosInforme.h"

class QPrinter;
class QWidget;

/*
 * The widget side of the report engine: templates are read from Modulo::Ruta + "/Informes",
 * laid out by QTextDocument and painted page by page on any QPrinter (paper, PDF or preview).
 */

/** Renders the template nombre of the data folder's Informes/ for the working year. */
InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const QString& formula = {});

/** A4 with 15 mm margins: what every default template is drawn for. */
void prepararImpresora(QPrinter& impresora);

/**
 * Lays html out on the printer's pages and paints them, with "Página n de m" at the foot of
 * every page (a table's <thead> rows repeat at the top of each page). False when the printer
 * cannot be opened.
 */
bool pintarInforme(const QString& html, QPrinter* impresora);

/**
 * Prints on the printer at posicion of listaImpresoras(); "Archivo PDF" asks for a file in the
 * documents folder named after the report. A position outside the list, a cancelled file
 * choice or a printer that fails are told to the user (cancelling silently); returns whether
 * something was printed.
 */
bool imprimirInforme(QWidget* padre, const InformeGenerado& informe, int posicion);
