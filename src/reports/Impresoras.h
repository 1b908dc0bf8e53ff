#pragma once

#include <QString>
#include <QStringList>

/** The last entry of the printer list: writes a PDF file instead of printing. */
inline const QString kArchivoPdf = QStringLiteral("Archivo PDF");

/**
 * The printers the user can choose, in the order imp.ini positions count them: the system's
 * printers, then "Archivo PDF".
 */
QStringList listaImpresoras();

/**
 * The position kept in imp.ini for reports (line 1), or for PDF (line 2) when pdf is true.
 * A missing file, an empty or non-numeric line give 0.
 */
int posicionImpresora(bool pdf);
