#include "tax/frmRegistrosVerifactu.h"

#include "ui_frmRegistrosVerifactu.h"

#include "core/documents/Registros.h"
#include "core/store/Ajustes.h"
#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/tax/Envio.h"
#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QDir>
#include <QEventLoop>
#include <QInputDialog>
#include <QProgressDialog>
#include <QTimer>

namespace torvane {

namespace {

// A record keeps its amounts as the agency reads them, «1210.00».
QString importeDeRegistro(const QString& importe) {
    const auto leido = Importe::leer(QString(importe).replace(u'.', u','));
    return leido ? leido->texto() : importe;
}

const QString kClaveCertificado = QStringLiteral("verifactu/certificado");

QString textoEstado(const EstadoRegistro& e) {
    if (e.estado.isEmpty()) return QStringLiteral("Pendiente de envío");
    if (e.estado == QLatin1String("Correcto")) return QStringLiteral("Aceptado");
    if (e.estado == QLatin1String("AceptadoConErrores"))
        return QStringLiteral("Aceptado con errores");
    return QStringLiteral("Rechazado");
}

/** Waits the agency's seconds with the window still painting; «Cancelar» ends the wait. */
void esperarSegundos(QProgressDialog& progreso, int segundos) {
    progreso.setLabelText(
        QStringLiteral("La AEAT pide esperar %1 segundos entre envíos…").arg(segundos));
    QEventLoop bucle;
    QTimer::singleShot(segundos * 1000, &bucle, &QEventLoop::quit);
    QObject::connect(&progreso, &QProgressDialog::canceled, &bucle, &QEventLoop::quit);
    bucle.exec();
}

} // namespace

frmRegistrosVerifactu::frmRegistrosVerifactu(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmRegistrosVerifactu>()) {
    ui->setupUi(this);
    connect(ui->cmdEnviar, &QPushButton::clicked, this,
            protegido(this, &frmRegistrosVerifactu::Enviar));
    connect(ui->cmdSalir, &QPushButton::clicked, this,
            protegido(this, &frmRegistrosVerifactu::accept));
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
    const Resultado<QList<EstadoRegistro>> estados = estadosRegistros();
    if (!estados) Mensaje::informar(this, estados.motivo(), Mensaje::Icono::Exclamacion);
    for (const EstadoRegistro& e : estados.valorO({})) {
        const RegistroFacturacion& r = e.registro;
        pendientes += e.estado.isEmpty() ? 1 : 0;
        filas << QStringList{QString::number(r.id),
                             r.numSerie,
                             QString(r.fecha).replace(QLatin1Char('-'), QLatin1Char('/')),
                             r.anulacion ? QStringLiteral("Anulación")
                                         : QStringLiteral("Alta ") + r.tipoFactura,
                             r.anulacion ? QString() : importeDeRegistro(r.importe),
                             textoEstado(e),
                             e.error};
    }
    if (filas.isEmpty())
        ui->mshDatos->vaciar();
    else
        ui->mshDatos->modelo()->fijarFilas(filas);
    ui->lblResumen->setText(cuenta(filas.size(), QStringLiteral("registro")) +
                            QStringLiteral(", ") +
                            segunCuenta(pendientes, QStringLiteral("1 pendiente de envío."),
                                        QStringLiteral("%1 pendientes de envío.")));
}

void frmRegistrosVerifactu::Enviar() {
    // One send at a time: a second click would send the same records again.
    if (!ui->cmdEnviar->isEnabled()) return;
    const auto pendientes = registrosPendientes();
    if (!pendientes) {
        Mensaje::informar(this, pendientes.motivo(), Mensaje::Icono::Exclamacion);
        return;
    }
    if (pendientes->isEmpty()) {
        Mensaje::informar(this, QStringLiteral("No hay registros pendientes de envío."));
        return;
    }
    Ajustes ajustes;
    const QString ruta =
        DialogoArchivo::abrir(this, QStringLiteral("Certificado de la empresa"),
                              ajustes.valor(kClaveCertificado, QDir::homePath()).toString(),
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
    ajustes.fijar(kClaveCertificado, ruta);
    ui->cmdEnviar->setEnabled(false);
    const ResultadoEnvio resultado = EnviarConProgreso(ssl, static_cast<int>(pendientes->size()));
    ui->cmdEnviar->setEnabled(true);
    Cargar();
    Mensaje::informar(this, resultado.texto(),
                      resultado.error.isEmpty() ? Mensaje::Icono::Informacion
                                                : Mensaje::Icono::Exclamacion);
}

ResultadoEnvio frmRegistrosVerifactu::EnviarConProgreso(const QSslConfiguration& ssl,
                                                        int pendientes) {
    QProgressDialog progreso(QStringLiteral("Enviando los registros a la AEAT…"),
                             QStringLiteral("&Cancelar"), 0, pendientes, this);
    progreso.setWindowTitle(QStringLiteral("Envío a la AEAT"));
    progreso.setWindowModality(Qt::WindowModal);
    progreso.setMinimumDuration(0);
    progreso.setValue(0);
    SeguimientoEnvio seguimiento;
    seguimiento.avance = [&progreso](int enviados, int total) {
        progreso.setLabelText(QStringLiteral("Enviando los registros a la AEAT… (%1 de %2)")
                                  .arg(enviados)
                                  .arg(total));
        progreso.setValue(enviados);
    };
    seguimiento.cancelado = [&progreso] { return progreso.wasCanceled(); };
    const Resultado<QUrl> direccion =
        intentar([] { return direccionEnvio(leerConfigVerifactu().pruebas); });
    if (!direccion) {
        ResultadoEnvio fallo;
        fallo.error = direccion.motivo();
        return fallo;
    }
    return enviarPendientes(
        *direccion, ssl, [&progreso](int segundos) { esperarSegundos(progreso, segundos); },
        seguimiento);
}

} // namespace torvane
