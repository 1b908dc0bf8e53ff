#include "tax/frmRegistrosVerifactu.h"

#include "ui_frmRegistrosVerifactu.h"

#include "data/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "verifactu/Envio.h"
#include "verifactu/Registros.h"

#include <QDir>
#include <QEventLoop>
#include <QInputDialog>
#include <QSettings>
#include <QTimer>

namespace {

const QString kClaveCertificado = QStringLiteral("verifactu/certificado");

QString textoEstado(const EstadoRegistro& e) {
    if (e.estado.isEmpty()) return QStringLiteral("Pendiente de envío");
    if (e.estado == QLatin1String("Correcto")) return QStringLiteral("Aceptado");
    if (e.estado == QLatin1String("AceptadoConErrores"))
        return QStringLiteral("Aceptado con errores");
    return QStringLiteral("Rechazado");
}

/** Waits the agency's seconds with the window still painting. */
void esperarSegundos(int segundos) {
    QEventLoop bucle;
    QTimer::singleShot(segundos * 1000, &bucle, &QEventLoop::quit);
    bucle.exec();
}

} // namespace

frmRegistrosVerifactu::frmRegistrosVerifactu(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmRegistrosVerifactu>()) {
    ui->setupUi(this);
    connect(ui->cmdEnviar, &QPushButton::clicked, this, &frmRegistrosVerifactu::Enviar);
    connect(ui->cmdSalir, &QPushButton::clicked, this, &frmRegistrosVerifactu::accept);
}

frmRegistrosVerifactu::~frmRegistrosVerifactu() = default;

void frmRegistrosVerifactu::alActivar() {
    ui->mshDatos->definirColumnas({Columna::numero(),
                                   Columna::texto(QStringLiteral("Factura"), 0.10),
                                   Columna::texto(QStringLiteral("Fecha"), 0.11),
                                   Columna::texto(QStringLiteral("Registro"), 0.12),
                                   Columna::texto(QStringLiteral("Importe"), 0.11, Qt::AlignRight),
                                   Columna::texto(QStringLiteral("Estado"), 0.17),
                                   Columna::texto(QStringLiteral("Error"), 0.33)});
    Cargar();
    ui->cmdEnviar->setFocus();
}

void frmRegistrosVerifactu::Cargar() {
    QList<QStringList> filas;
    int pendientes = 0;
    for (const EstadoRegistro& e : estadosRegistros()) {
        const RegistroFacturacion& r = e.registro;
        pendientes += e.estado.isEmpty() ? 1 : 0;
        filas << QStringList{QString::number(r.id),
                             r.numSerie,
                             QString(r.fecha).replace(QLatin1Char('-'), QLatin1Char('/')),
                             r.anulacion ? QStringLiteral("Anulación")
                                         : QStringLiteral("Alta ") + r.tipoFactura,
                             r.anulacion ? QString() : formatoImporte(r.importe.toDouble()),
                             textoEstado(e),
                             e.error};
    }
    if (filas.isEmpty())
        ui->mshDatos->vaciar();
    else
        ui->mshDatos->modelo()->fijarFilas(filas);
    ui->lblResumen->setText(
        QStringLiteral("%1 registros, %2 pendientes de envío.").arg(filas.size()).arg(pendientes));
}

void frmRegistrosVerifactu::Enviar() {
    if (registrosPendientes().isEmpty()) {
        Mensaje::informar(this, QStringLiteral("No hay registros pendientes de envío."));
        return;
    }
    QSettings ajustes;
    const QString ruta =
        DialogoArchivo::abrir(this, QStringLiteral("Certificado de la empresa"),
                              ajustes.value(kClaveCertificado, QDir::homePath()).toString(),
                              QStringLiteral("Certificados (*.p12 *.pfx)"));
    if (ruta.isEmpty()) return;
    bool aceptado = false;
    const QString clave = QInputDialog::getText(this, QStringLiteral("Certificado"),
                                                QStringLiteral("Contraseña del certificado:"),
                                                QLineEdit::Password, {}, &aceptado);
    if (!aceptado) return;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    if (const QString error = cargarCertificado(ruta, clave.toUtf8(), ssl); !error.isEmpty()) {
        Mensaje::informar(this, error, Mensaje::Icono::Exclamacion);
        return;
    }
    // Only where the file is; the password is never kept.
    ajustes.setValue(kClaveCertificado, ruta);
    CursorEspera espera(this);
    const ResultadoEnvio resultado =
        enviarPendientes(direccionEnvio(leerConfigVerifactu().pruebas), ssl, esperarSegundos);
    Cargar();
    Mensaje::informar(this, resultado.texto(),
                      resultado.error.isEmpty() ? Mensaje::Icono::Informacion
                                                : Mensaje::Icono::Exclamacion);
}
