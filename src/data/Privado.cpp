#include "data/Privado.h"

#include <QDir>
#include <QFileInfo>

bool crearCarpetaPrivada(const QString& carpeta) {
    const QFileInfo info(carpeta);
    if (info.isDir()) return true;
    if (info.exists()) return false;
    const QString padre = info.absoluteDir().absolutePath();
    if (padre != info.absoluteFilePath() && !crearCarpetaPrivada(padre)) return false;
    return QDir().mkdir(info.absoluteFilePath(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
