#include "core/store/Unidades.h"

#include "core/store/Copia.h"
#include "core/text/Formato.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>
#include <algorithm>

namespace torvane {

namespace {

// Pseudo and system file systems: never where a landlord's copy belongs.
bool deSistema(const QByteArray& tipo) {
    static const QList<QByteArray> tipos = {
        "proc",     "sysfs",    "devtmpfs",    "devpts",    "tmpfs",   "cgroup",
        "cgroup2",  "pstore",   "bpf",         "debugfs",   "tracefs", "securityfs",
        "configfs", "fusectl",  "mqueue",      "hugetlbfs", "autofs",  "squashfs",
        "overlay",  "efivarfs", "binfmt_misc", "ramfs",     "nsfs",    "rpc_pipefs"};
    return tipos.contains(tipo);
}

bool bajoSistema(const QString& raiz) {
    for (const char* carpeta :
         {"/boot", "/proc", "/sys", "/dev", "/run", "/snap", "/var", "/usr", "/etc", "/opt"}) {
        const QString c = QLatin1StringView(carpeta);
        if (raiz == c || raiz.startsWith(c + QLatin1Char('/'))) return true;
    }
    return false;
}

bool enCarpetaExtraibles(const QString& raiz) {
    return raiz.startsWith(QStringLiteral("/media/")) ||
           raiz.startsWith(QStringLiteral("/run/media/"));
}

// The kernel marks USB sticks and card readers removable on the whole disk, not the partition.
bool discoExtraible(const QByteArray& dispositivo) {
    const QString nombre = QFileInfo(QString::fromLocal8Bit(dispositivo)).fileName();
    if (nombre.isEmpty()) return false;
    const QString bloque = QStringLiteral("/sys/class/block/") + nombre;
    for (const QString& ruta :
         {bloque + QStringLiteral("/removable"), bloque + QStringLiteral("/../removable")}) {
        QFile marca(ruta);
        if (marca.open(QIODevice::ReadOnly)) return marca.read(1) == "1";
    }
    return false;
}

} // namespace

bool aptaParaCopia(const QString& raiz, const QByteArray& tipo, bool soloLectura, bool escribible) {
    if (raiz == QStringLiteral("/") || soloLectura || !escribible || deSistema(tipo)) return false;
    return enCarpetaExtraibles(raiz) || !bajoSistema(raiz);
}

QDateTime fechaUltimaCopia(const QString& raiz, const QString& ano) {
    const QFileInfo copia(rutaCopia(raiz, ano) + QLatin1Char('/') + kArchivoDatos);
    return copia.isFile() ? copia.lastModified() : QDateTime();
}

QList<Unidad> unidadesParaCopia(const QString& ano) {
    QList<Unidad> unidades;
    for (const QStorageInfo& volumen : QStorageInfo::mountedVolumes()) {
        if (!volumen.isValid() || !volumen.isReady()) continue;
        const QString raiz = volumen.rootPath();
        if (!aptaParaCopia(raiz, volumen.fileSystemType(), volumen.isReadOnly(),
                           QFileInfo(raiz).isWritable()))
            continue;
        unidades.append({raiz, enCarpetaExtraibles(raiz) || discoExtraible(volumen.device()),
                         volumen.bytesAvailable(), fechaUltimaCopia(raiz, ano)});
    }
    std::stable_sort(unidades.begin(), unidades.end(),
                     [](const Unidad& a, const Unidad& b) { return a.extraible && !b.extraible; });
    return unidades;
}

QString describirUnidad(const Unidad& unidad) {
    const QLocale espanol(QLocale::Spanish, QLocale::Spain);
    QString texto = unidad.raiz;
    if (unidad.libres >= 0)
        texto += QStringLiteral(" — %1 libres")
                     .arg(espanol.formattedDataSize(unidad.libres, 1,
                                                    QLocale::DataSizeTraditionalFormat));
    texto += unidad.ultimaCopia.isValid()
                 ? QStringLiteral(" — última copia %1 %2")
                       .arg(formatoFecha(unidad.ultimaCopia.date()),
                            unidad.ultimaCopia.toString(QStringLiteral("HH:mm")))
                 : QStringLiteral(" — sin copias");
    return texto;
}

} // namespace torvane
