#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class PaginasInforme;
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

/** One document laid out with its template, and the file name it proposes. */
struct DocumentoImpreso {
    std::unique_ptr<PaginasInforme> paginas;
    QString archivo; ///< "Recibo 57A - García Pérez"
};

/**
 * Asks for the file or folder destino needs (proposing nombre + ".pdf"), then prints what
 * preparar lays out, each document on its own pages. Returns how many were printed.
 */
int imprimirPreparados(QWidget* padre, DestinoDocumentos destino, const QString& nombre,
                       const std::function<std::vector<DocumentoImpreso>()>& preparar);
