#include "data/PrimerArranque.h"

#include "data/Demo.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kBase = QStringLiteral("Zudivoz.mdb");

bool tieneAno(const QString& carpeta) {
    return QFileInfo::exists(carpeta + u'/' + kBase);
}

// A year becomes a folder name, so it cannot be empty or leave the data folder.
QString anoNoValido(const QString& ano) {
    if (ano.trimmed().isEmpty())
        return QStringLiteral("Escriba el año de trabajo (por ejemplo %1).").arg(2025);
    if (ano.contains(u'/') || ano == u'.' || ano == QStringLiteral(".."))
        return QStringLiteral("«%1» no puede ser el nombre de la carpeta del año.").arg(ano);
    return {};
}

QString sinCarpeta() {
    return QStringLiteral("Elija una carpeta.");
}

} // namespace

DatosElegidos crearMisDatos(const QString& carpeta, const QString& ano) {
    if (carpeta.isEmpty()) return {{}, {}, sinCarpeta()};
    if (const QString error = anoNoValido(ano); !error.isEmpty()) return {{}, {}, error};
    return {carpeta, ano, crearAno(carpeta, ano)};
}

DatosElegidos abrirDatosExistentes(const QString& carpeta) {
    if (carpeta.isEmpty()) return {{}, {}, sinCarpeta()};
    const QDir dir(carpeta);
    if (tieneAno(carpeta)) {
        QDir padre = dir;
        padre.cdUp();
        return {padre.path(), dir.dirName(), {}};
    }
    QStringList anos = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    anos.removeIf([&](const QString& ano) { return !tieneAno(dir.filePath(ano)); });
    if (anos.isEmpty())
        return {{},
                {},
                QStringLiteral("En %1 no hay ningún año: ninguna de sus carpetas tiene %2.")
                    .arg(QDir::toNativeSeparators(carpeta), kBase)};
    QCollator orden;
    orden.setNumericMode(true);
    std::sort(anos.begin(), anos.end(), orden);
    return {carpeta, anos.last(), {}};
}

DatosElegidos probarDemo(const QString& carpeta, const QString& ano) {
    if (tieneAno(carpeta + u'/' + ano)) return {carpeta, ano, {}};
    return {carpeta, ano, crearDemo(carpeta, ano)};
}

QString carpetaDemo() {
    return QDir::homePath() + QStringLiteral("/TorvaneDemo");
}
