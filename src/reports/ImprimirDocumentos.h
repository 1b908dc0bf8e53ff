#pragma once

#include "core/store/Resultado.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QWidget;

namespace torvane {

class PaginasInforme;

/** Where the documents of a run go. */
enum class DestinoDocumentos {
    Impresora,      ///< the reports printer of Configuración, one job
    UnPdf,          ///< one PDF file, each document on its own pages
    PdfPorDocumento ///< one PDF per document in a chosen folder
};

/**
 * Fills combo with the three destinations (porDocumento names the third) and keeps the user's
 * choice under clave for the next opening; one PDF the first time.
 */
void prepararDestino(QComboBox* combo, const QString& porDocumento, const QString& clave);

/**
 * Prints the documents ids, each with its own template (Factura or Recibo, as it was issued) and
 * its stored totals. Asks for the file or folder (nombre is the file proposed and the job's
 * title); failures are told to the user. Returns how many documents were printed (0 when
 * cancelled or failed).
 */
int imprimirDocumentos(QWidget* padre, const QList<int>& ids, DestinoDocumentos destino,
                       const QString& nombre = QStringLiteral("Emisión"));

/** One document laid out with its template, and the file name it proposes. */
struct DocumentoImpreso {
    std::unique_ptr<PaginasInforme> paginas;
    QString archivo;   ///< "Recibo 57A - García Pérez"
    int documento = 0; ///< its tblCobros Id; 0 for what is not a collection document
};

/** Fills a document preparar made empty (see imprimirPreparados); false when it cannot. */
using RellenarDocumento = std::function<bool(DocumentoImpreso&)>;

/**
 * Asks for the printer, file or folder destino needs (proposing nombre + ".pdf"), then prints
 * what preparar lays out, each document on its own pages. Returns how many were printed. With
 * rellenar, the documents preparar left empty are filled as the others are painted.
 */
int imprimirPreparados(QWidget* padre, DestinoDocumentos destino, const QString& nombre,
                       const std::function<std::vector<DocumentoImpreso>()>& preparar,
                       const RellenarDocumento& rellenar = {});

/** A document's PDF, as «PDF» saves it, and the file name it proposes ("Recibo 57A - ….pdf"). */
struct PdfDocumento {
    QByteArray datos;
    QString archivo;
};

/**
 * Document id as a PDF in memory, for mailing. An invoice is issued (its record made) first,
 * as before any copy of it leaves the program.
 */
Resultado<PdfDocumento> pdfDocumento(int id);

} // namespace torvane
