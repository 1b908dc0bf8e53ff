#pragma once

#include <QList>
#include <QMarginsF>
#include <QString>
#include <functional>

namespace torvane {

class PaginasInforme;

/*
 * A long run of documents to one PDF, painted on every core: laying out and painting is nearly
 * all of a month's run, and each document's layout stands alone. The documents are split in runs
 * in their order; each run is painted into a PDF of its own by whichever thread is free, and the
 * runs are joined, page after page, into the file. Documents still to be filled are filled by the
 * thread of the year's data while the others paint the runs filled already. A long list, laid out
 * once, goes the same way in runs of its pages.
 */

/** Whether informes are worth painting that way: documents only, many, and more than one core. */
bool seEscribeEnTramos(const QList<PaginasInforme*>& informes);

/**
 * Fills informes[i] on the thread that writes, in order; false when it cannot (it has told why).
 * Empty when every document is filled already.
 */
using RellenarInforme = std::function<bool(qsizetype)>;

/**
 * Writes informes (documents, no list) to archivo as one PDF titled titulo, A4 with margenes:
 * the same pages, text and look as one printer painting them one after another. With rellenar,
 * this thread fills them while the others paint those filled already. false when it could not be
 * written.
 */
bool escribirPdfEnTramos(const QString& archivo, const QString& titulo,
                         const QList<PaginasInforme*>& informes, const QMarginsF& margenes,
                         const RellenarInforme& rellenar = {});

/** Whether a list of that many pages is worth painting that way: its pages need no layout. */
bool seEscribeListaEnTramos(int paginas);

/**
 * Writes lista, laid out in paginas pages of an A4 PDF printer with margenes, to archivo as one
 * PDF titled titulo: runs of its pages painted on every core by twins of it, then joined.
 */
bool escribirListaEnTramos(const QString& archivo, const QString& titulo, PaginasInforme& lista,
                           int paginas, const QMarginsF& margenes);

} // namespace torvane
