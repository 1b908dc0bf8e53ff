#pragma once

#include <QMarginsF>
#include <QString>
#include <QStringList>

namespace torvane {

/*
 * The printer chosen for reports, kept by name in imp.ini (line 1; line 2 always says that
 * «PDF» writes a file). Names survive queues being added or removed; positions did not.
 */

/** Line 2 of imp.ini and the only choice for «PDF»: a file, asking where. */
inline const QString kArchivoPdf = QStringLiteral("Archivo PDF");

/** The system's printers by name, as the print service lists them now. */
QStringList listaImpresoras();

/**
 * The printer chosen for reports; empty when none is, which means the system's default. A
 * position kept by an earlier version is turned into the name it means in today's list and
 * written back as that name (unless the print service is down: then it waits).
 */
QString impresoraElegida();

/** Keeps nombre as the printer for reports (empty: the system's default). */
bool guardarImpresoraElegida(const QString& nombre);

/**
 * The margins wanted on an A4 sheet, widened where impresora's driver says it cannot print that
 * close to the edge.
 */
QMarginsF margenesEn(const QString& impresora, const QMarginsF& deseados);

} // namespace torvane
