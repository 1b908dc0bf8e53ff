#include "core/demo/PrimerArranque.h"

#include "core/demo/Demo.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/text/Identificadores.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace torvane {

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

DatosElegidos rechazo(CampoRechazado campo, const QString& motivo) {
    return {{}, {}, motivo, campo};
}

// What is missing or wrong in the company data; no error when it can be kept.
DatosElegidos rechazoEmpresa(const DatosEmpresa& empresa) {
    using enum CampoRechazado;
    if (empresa.nombre.trimmed().isEmpty())
        return rechazo(Nombre, QStringLiteral("Escriba su nombre y apellidos o la razón social de "
                                              "la empresa: se imprime en cada recibo y factura."));
    if (empresa.nif.trimmed().isEmpty())
        return rechazo(
            Nif, QStringLiteral("Escriba el N.I.F. con el que emite los recibos y facturas."));
    if (const QString motivo = motivoNif(empresa.nif); !motivo.isEmpty())
        return rechazo(Nif, QStringLiteral("N.I.F.: %1").arg(motivo));
    const auto sinDomicilio = QStringLiteral("Escriba la dirección y la población: las facturas "
                                             "deben llevar el domicilio de quien las emite.");
    if (empresa.direccion.trimmed().isEmpty()) return rechazo(Direccion, sinDomicilio);
    if (empresa.poblacion.trimmed().isEmpty()) return rechazo(Poblacion, sinDomicilio);
    return {};
}

// The first row of tblTitulos, in the order camposTitulos() gives.
QString guardarEmpresa(const QString& carpeta, const QString& ano, const DatosEmpresa& empresa) {
    if (const QString error = abrirBaseDatos(rutaBaseDatos(carpeta, ano)); !error.isEmpty())
        return error;
    QStringList valores(camposTitulos().size());
    valores[0] = empresa.nombre.trimmed();
    valores[1] = compactarIdentificador(empresa.nif);
    valores[3] = empresa.direccion.trimmed();
    valores[4] = empresa.poblacion.trimmed();
    QString error;
    try {
        guardarTitulos(valores);
        guardarTipoEmisor(empresa.tipo);
    } catch (const ErrorBD& e) {
        error = e.texto();
    }
    cerrarBaseDatos();
    return error;
}

} // namespace

QString carpetaEscrita(const QString& texto) {
    QString carpeta = texto.trimmed();
    if (carpeta.isEmpty()) return {};
    if (carpeta == u'~' || carpeta.startsWith(QStringLiteral("~/")))
        carpeta = QDir::homePath() + carpeta.mid(1);
    return QDir::cleanPath(QDir(QDir::homePath()).absoluteFilePath(carpeta));
}

DatosElegidos crearMisDatos(const QString& carpeta, const QString& ano,
                            const DatosEmpresa& empresa) {
    using enum CampoRechazado;
    if (carpeta.isEmpty())
        return rechazo(Carpeta, QStringLiteral("Escriba la carpeta donde guardar sus datos."));
    if (const QString error = anoNoValido(ano); !error.isEmpty()) return rechazo(Ano, error);
    if (DatosElegidos r = rechazoEmpresa(empresa); !r.error.isEmpty()) return r;
    if (QFileInfo(carpeta).exists() && !QFileInfo(carpeta).isDir())
        return rechazo(Carpeta, QStringLiteral("%1 es un archivo, no una carpeta.")
                                    .arg(QDir::toNativeSeparators(carpeta)));
    const bool anoNuevo = !QFileInfo::exists(carpeta + u'/' + ano);
    DatosElegidos hecho{carpeta, ano, crearAno(carpeta, ano)};
    // A year already there is the year's box to change; a folder that cannot be made, the folder.
    if (!hecho.error.isEmpty())
        hecho.campo = anoNuevo ? Carpeta : Ano;
    else
        hecho.error = guardarEmpresa(carpeta, ano, empresa);
    // A year left half made would be refused as existing at the next try.
    if (!hecho.error.isEmpty() && anoNuevo && tieneAno(carpeta + u'/' + ano))
        QDir(carpeta + u'/' + ano).removeRecursively();
    return hecho;
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

} // namespace torvane
