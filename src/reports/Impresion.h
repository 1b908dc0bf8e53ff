#pragma once

#include "core/reports/DatosInforme.h"
#include "reports/PdfEnTramos.h"

#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace torvane {

class PaginasInforme;

/*
 * Where reports and documents go when «Impresora» or «PDF» is pressed, and what the user is told.
 * A document counts as printed only once its job was accepted by the queue or its PDF written.
 */

/** One PDF file, or one part of a printer job: its reports and the documents they show. */
struct PiezaImpresa {
    QList<PaginasInforme*> informes;
    QList<int> documentos; ///< tblCobros ids
    QString archivo;       ///< the PDF to write; unused on a printer
    /** Fills informes made empty, in order, as they are painted; empty when all are filled. */
    RellenarInforme rellenar;
};

/**
 * The printer «Impresora» prints on now: the one chosen in Configuración, or the system's
 * default. When the print service is down, no printer is installed, the chosen one is gone (the
 * user may pick another, then remembered) or its queue takes no jobs, the user is told why and
 * nothing comes back.
 */
std::optional<QString> impresoraLista(QWidget* padre);

/** Asks where to save nombre's PDF, proposing "nombre.pdf" in the documents folder. */
QString pedirArchivoPdf(QWidget* padre, const QString& nombre);

/** Asks for the folder of one PDF per document; empty when cancelled. */
QString pedirCarpetaPdf(QWidget* padre);

/**
 * Hands piezas over: to impresora as one A4 job called nombre or, when impresora is empty, each
 * to its PDF file. Marks the documents that went out as printed and tells the user where things
 * went, or why not. Returns how many piezas went out.
 */
int entregar(QWidget* padre, const QString& impresora, const QString& nombre,
             const QList<PiezaImpresa>& piezas);

/**
 * Writes informes to archivo as the PDF «PDF» saves, titled titulo and readable by the user
 * alone; false when it cannot be written.
 */
bool escribirPdf(const QString& archivo, const QString& titulo,
                 const QList<PaginasInforme*>& informes, const RellenarInforme& rellenar = {});
/**
 * informes as the bytes of the PDF «PDF» would save (titulo is its document name); empty when it
 * cannot be made. The file it passes through is the user's alone and gone on return.
 */
QByteArray pdfEnMemoria(const QString& titulo, const QList<PaginasInforme*>& informes);

/**
 * One report through «Impresora» (pdf false) or «PDF»; documentos are the tblCobros ids it
 * shows. Returns whether it went out.
 */
bool imprimirInforme(QWidget* padre, const QString& nombre, PaginasInforme& paginas, bool pdf,
                     const QList<int>& documentos = {});

/**
 * Renders the list template nombre with the caller's rows and prints it as imprimirInforme()
 * does, proposing archivo for the PDF; an engine or template error is told to the user.
 */
bool imprimirFilas(QWidget* padre, const QString& nombre, const ParametrosInforme& parametros,
                   const FilasInforme& filas, const QString& archivo, bool pdf);

} // namespace torvane
