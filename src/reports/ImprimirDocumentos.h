#pragma once

#include <QList>
#include <QString>

class QWidget;

/** Where the documents of a run go. */
enum class DestinoDocumentos {
    Impresora,      ///< the reports printer of Configuración, one job
    UnPdf,          ///< one PDF file, each document on its own pages
    PdfPorDocumento ///< one PDF per document in a chosen folder
};

/**
 * Prints the documents ids, each with its own template (Factura or Recibo, as it was issued) and
 * its stored totals. Asks for the file or folder; failures are told to the user. Returns how
 * many documents were printed (0 when cancelled or failed).
 */
int imprimirDocumentos(QWidget* padre, const QList<int>& ids, DestinoDocumentos destino);
