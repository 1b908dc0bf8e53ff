#include "core/store/Privado.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace torvane {

bool crearCarpetaPrivada(const QString& carpeta) {
    const QFileInfo info(carpeta);
    if (info.isDir()) return true;
    if (info.exists()) return false;
    const QString padre = info.absoluteDir().absolutePath();
    if (padre != info.absoluteFilePath() && !crearCarpetaPrivada(padre)) return false;
    return QDir().mkdir(info.absoluteFilePath(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool archivoPrivado(const QString& ruta) {
    QFile archivo(ruta);
    if (!archivo.exists()) {
        if (!archivo.open(QIODevice::NewOnly)) return false;
        archivo.close();
    }
    return archivo.setPermissions(kSoloUsuario);
}

} // namespace torvane
