#include "core/verifactu/Identidad.h"

#include "core/store/Ajustes.h"

#include <QStringList>
#include <QUuid>

namespace torvane {

// Set by CMake for this file alone, so a distributor's values rebuild one file.
#ifndef TORVANE_VERSION
#define TORVANE_VERSION ""
#define TORVANE_PRODUCTOR_NOMBRE "VELMORA"
#define TORVANE_PRODUCTOR_NIF ""
#define TORVANE_PRODUCTOR_DIRECCION ""
#define TORVANE_SISTEMA_NOMBRE "Torvane"
#define TORVANE_SISTEMA_ID "TV"
#define TORVANE_DECLARACION_LUGAR ""
#define TORVANE_DECLARACION_FECHA ""
#endif

namespace {

const QString kClaveInstalacion = QStringLiteral("verifactu/instalacion");

QString sinConfigurar(const QString& valor) {
    return valor.isEmpty() ? QStringLiteral("(sin configurar)") : valor;
}

} // namespace

const IdentidadSistema& identidadSistema() {
    static const IdentidadSistema identidad{QString::fromUtf8(TORVANE_PRODUCTOR_NOMBRE),
                                            QString::fromUtf8(TORVANE_PRODUCTOR_NIF),
                                            QString::fromUtf8(TORVANE_PRODUCTOR_DIRECCION),
                                            QString::fromUtf8(TORVANE_SISTEMA_NOMBRE),
                                            QString::fromUtf8(TORVANE_SISTEMA_ID),
                                            QString::fromUtf8(TORVANE_VERSION),
                                            QString::fromUtf8(TORVANE_DECLARACION_LUGAR),
                                            QString::fromUtf8(TORVANE_DECLARACION_FECHA)};
    return identidad;
}

QString faltaIdentidad() {
    const IdentidadSistema& i = identidadSistema();
    QStringList faltan;
    if (i.productor.isEmpty()) faltan << QStringLiteral("TORVANE_PRODUCTOR_NOMBRE");
    if (i.nifProductor.isEmpty()) faltan << QStringLiteral("TORVANE_PRODUCTOR_NIF");
    if (i.version.isEmpty()) faltan << QStringLiteral("la versión");
    if (faltan.isEmpty()) return {};
    return QStringLiteral("Este programa se compiló sin %1: los registros no pueden nombrar a "
                          "su productor. Quien lo distribuye debe indicarlo al compilarlo.")
        .arg(faltan.join(QStringLiteral(", ")));
}

QString numeroInstalacion() {
    Ajustes ajustes;
    QString numero = ajustes.valor(kClaveInstalacion).toString();
    if (numero.isEmpty()) {
        numero = QUuid::createUuid().toString(QUuid::WithoutBraces);
        ajustes.fijar(kClaveInstalacion, numero);
    }
    return numero;
}

QString declaracionResponsable() {
    const IdentidadSistema& i = identidadSistema();
    return QStringLiteral(
               "DECLARACIÓN RESPONSABLE DEL SISTEMA INFORMÁTICO DE FACTURACIÓN\n\n"
               "Sistema: %1 (código %2), versión %3.\n"
               "Programa de escritorio para la gestión de alquileres: recibos y facturas, "
               "registros de facturación encadenados con huella, código QR y envío a la AEAT. "
               "Programa para ordenador personal; los datos se guardan en un archivo SQLite o en "
               "un servidor PostgreSQL.\n"
               "Uso posible solo como VERI*FACTU: sí. Varios obligados tributarios: no.\n"
               "Productor: %4, N.I.F. %5, %6.\n\n"
               "El productor declara que este sistema cumple lo dispuesto en el artículo "
               "29.2.j) de la Ley 58/2003, General Tributaria, en el Reglamento aprobado por el "
               "Real Decreto 1007/2023 y en la Orden HAC/1177/2024.\n\n"
               "En %7, a %8.")
        .arg(i.nombreSistema, i.idSistema, sinConfigurar(i.version), sinConfigurar(i.productor),
             sinConfigurar(i.nifProductor), sinConfigurar(i.direccionProductor),
             sinConfigurar(i.lugarDeclaracion), sinConfigurar(i.fechaDeclaracion));
}

} // namespace torvane
