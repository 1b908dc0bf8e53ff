#pragma once

#include <QString>
#include <QStringList>

namespace torvane {

/*
 * Joins PDFs this program's printer wrote, page after page, into one file. Their objects are
 * copied as they are, streams untouched, numbered anew, under one tree of pages; the first one's
 * information (its title) and catalogue stay. Only one object is in memory at a time, so a list
 * of thousands of pages joins in constant memory: a general PDF library holds every page's
 * objects, about 13 KB a page, which is what a long list painted in runs could not afford.
 *
 * It reads what that printer writes: one classic cross-reference table, every page straight under
 * the catalogue's tree of pages. Anything else is refused, never guessed at.
 */

/** Joins partes into archivo; the reason when it could not, empty on success. */
QString unirPdf(const QStringList& partes, const QString& archivo);

} // namespace torvane
