#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class QStorageInfo;

namespace torvane {

/*
 * The drives a backup may go to: removable or user-writable volumes, never the system's own.
 */

struct Unidad {
    QString raiz;
    bool extraible = false;
    qint64 libres = -1;    ///< bytes free, -1 when unknown
    QDateTime ultimaCopia; ///< of the year's backup found on it; invalid when none
};

/** Whether a mounted volume may take a backup: writable, not "/" nor a system file system. */
bool aptaParaCopia(const QString& raiz, const QByteArray& tipo, bool soloLectura, bool escribible);

/** The apt mounted volumes, removable ones first, each with its free space and last copy of ano. */
QList<Unidad> unidadesParaCopia(const QString& ano);

/** A drive as the list shows it: "/media/ana/USB — 12,3 GB libres — última copia 05/12/2026 10:32".
 */
QString describirUnidad(const Unidad& unidad);

/** The date of the backup of ano under raiz, or an invalid one. */
QDateTime fechaUltimaCopia(const QString& raiz, const QString& ano);

} // namespace torvane
