#include "collections/EnvioCorreo.h"

#include "core/mail/EnviosCorreo.h"
#include "core/mail/Llavero.h"
#include "reports/ImprimirDocumentos.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <atomic>
#include <future>

namespace torvane {

namespace {

/** At most this many documents are named in a message; the rest are counted. */
constexpr qsizetype kNombrados = 12;

QString lista(const QStringList& lineas) {
    QStringList vistas = lineas.mid(0, kNombrados);
    if (lineas.size() > kNombrados)
        vistas << QStringLiteral("… y %1 más").arg(lineas.size() - kNombrados);
    return vistas.join(QLatin1Char('\n'));
}

QString nombre(const DocumentoCorreo& d) {
    return QStringLiteral("%1 (%2)").arg(d.numero, d.inquilino);
}

/** The password of ajustes' account: this run's or the keyring's, else asked; none if refused. */
std::optional<QString> claveDe(QWidget* padre, const AjustesCorreo& ajustes) {
    if (ajustes.usuario.isEmpty()) return QString();
    if (auto clave = claveGuardada(ajustes.cuenta())) return clave;
    QDialog dialogo(padre);
    dialogo.setWindowTitle(QStringLiteral("Contraseña del correo"));
    auto* capa = new QFormLayout(&dialogo);
    capa->addRow(new QLabel(
        QStringLiteral("Contraseña de %1 en %2:").arg(ajustes.usuario, ajustes.servidor)));
    auto* caja = new QLineEdit;
    caja->setObjectName(QStringLiteral("txtClave"));
    caja->setEchoMode(QLineEdit::Password);
    capa->addRow(caja);
    auto* llavero = new QCheckBox(QStringLiteral("Guardarla en el llavero del sistema"));
    llavero->setVisible(hayLlavero());
    capa->addRow(llavero);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    capa->addRow(botones);
    QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
    if (dialogo.exec() != QDialog::Accepted) return std::nullopt;
    if (const QString fallo = recordarClave(ajustes.cuenta(), caja->text(), llavero->isChecked());
        !fallo.isEmpty())
        Mensaje::informar(padre, fallo, Mensaje::Icono::Exclamacion);
    return caja->text();
}

/** The network part on a thread of its own, the window answering meanwhile. */
EnvioSmtp enviarSinBloquear(const AjustesCorreo& ajustes, const QString& clave,
                            const MensajeCorreo& mensaje, const std::atomic<bool>& cancelado) {
    auto envio = std::async(std::launch::async, [&] {
        return enviarCorreo(ajustes, clave, mensaje, [&cancelado] { return cancelado.load(); });
    });
    while (envio.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready)
        QApplication::processEvents(QEventLoop::AllEvents, 30);
    return envio.get();
}

/** What one pass over the documents gave. */
struct Pasada {
    QSet<int> enviados;
    QList<DocumentoCorreo> fallidos;
    QStringList motivos;
    QString parada; ///< why the pass stopped before the end; empty when it ran through
};

Pasada enviarTodos(QWidget* padre, const AjustesCorreo& ajustes, const QString& clave,
                   const QList<DocumentoCorreo>& documentos) {
    Pasada pasada;
    QProgressDialog progreso(QString(), QStringLiteral("Cancelar"), 0,
                             static_cast<int>(documentos.size()), padre);
    progreso.setWindowTitle(QStringLiteral("Enviar por correo"));
    progreso.setWindowModality(Qt::WindowModal);
    progreso.setMinimumDuration(0);
    std::atomic<bool> cancelado = false;
    QObject::connect(&progreso, &QProgressDialog::canceled, &progreso,
                     protegido(&progreso, [&cancelado] { cancelado = true; }));
    for (qsizetype i = 0; i < documentos.size() && !cancelado; ++i) {
        const DocumentoCorreo& d = documentos[i];
        progreso.setValue(static_cast<int>(i));
        progreso.setLabelText(QStringLiteral("Enviando el %1 a %2 (%3 de %4)…")
                                  .arg(d.numero, d.direccion)
                                  .arg(i + 1)
                                  .arg(documentos.size()));
        QApplication::processEvents();
        Resultado<MensajeCorreo> mensaje = Fallo{};
        {
            CursorEspera espera(padre);
            const auto pdf = pdfDocumento(d.id);
            mensaje = pdf ? mensajeDocumento(d.id, ajustes) : Resultado<MensajeCorreo>(pdf.fallo());
            if (mensaje) {
                mensaje->pdf = pdf->datos;
                mensaje->nombrePdf = pdf->archivo;
            }
        }
        if (!mensaje) {
            pasada.fallidos << d;
            pasada.motivos << nombre(d) + QStringLiteral(": ") + mensaje.motivo();
            continue;
        }
        const EnvioSmtp envio = enviarDocumento(d.id, *mensaje, [&](const MensajeCorreo& m) {
            return enviarSinBloquear(ajustes, clave, m, cancelado);
        });
        if (envio.enviado()) {
            pasada.enviados.insert(d.id);
            continue;
        }
        pasada.fallidos << d;
        // The server is out of reach or refuses the login: the rest would fail the same way.
        if (envio.estado == EnvioSmtp::ClaveRechazada) olvidarClave(ajustes.cuenta());
        if (envio.estado != EnvioSmtp::Rechazado) {
            pasada.parada = QStringLiteral("en el %1: %2").arg(nombre(d), envio.texto);
            break;
        }
        pasada.motivos << nombre(d) + QStringLiteral(": ") + envio.texto;
    }
    progreso.setValue(progreso.maximum());
    return pasada;
}

/** Tells how the pass went; true when the user wants the failed ones tried again. */
bool contar(QWidget* padre, const Pasada& pasada, const QList<DocumentoCorreo>& sinDireccion,
            qsizetype pendientes) {
    QStringList partes;
    partes << (pasada.enviados.size() == 1
                   ? QStringLiteral("Se ha enviado 1 documento.")
                   : QStringLiteral("Se han enviado %1 documentos.").arg(pasada.enviados.size()));
    if (!pasada.parada.isEmpty())
        partes << QStringLiteral("Se detuvo el envío %1\nQuedan %2 sin enviar.")
                      .arg(pasada.parada)
                      .arg(pendientes);
    if (!pasada.motivos.isEmpty())
        partes << QStringLiteral("No se enviaron:\n") + lista(pasada.motivos);
    if (!sinDireccion.isEmpty()) {
        QStringList nombres;
        for (const DocumentoCorreo& d : sinDireccion)
            nombres << nombre(d) + QStringLiteral(": ") + d.motivo;
        partes << QStringLiteral("Sin dirección de correo válida (póngala en la ficha del "
                                 "inquilino):\n") +
                      lista(nombres);
    }
    const QString texto = partes.join(QStringLiteral("\n\n"));
    if (pasada.fallidos.isEmpty() && pasada.parada.isEmpty()) {
        Mensaje::informar(padre, texto);
        return false;
    }
    return Mensaje::preguntar(padre,
                              texto + QStringLiteral("\n\n¿Intentar otra vez los que no se "
                                                     "enviaron?"),
                              Mensaje::Icono::Exclamacion, Mensaje::kTitulo, true);
}

/** The documents of plan to send: asks first about those that went before; none to stop. */
std::optional<QList<DocumentoCorreo>> elegirReenvios(QWidget* padre, const PlanCorreo& plan) {
    if (plan.yaEnviados() == 0) return plan.enviar;
    QStringList ya;
    QList<DocumentoCorreo> nuevos;
    for (const DocumentoCorreo& d : plan.enviar)
        if (d.yaEnviado)
            ya << nombre(d);
        else
            nuevos << d;
    const QString texto =
        QStringLiteral("Ya se enviaron por correo:\n%1\n\n¿Enviarlos otra vez? («No» envía "
                       "solo los que no se han enviado)")
            .arg(lista(ya));
    switch (Mensaje::preguntarGuardar(padre, texto)) {
    case Mensaje::Respuesta::Si:
        return plan.enviar;
    case Mensaje::Respuesta::No:
        return nuevos;
    case Mensaje::Respuesta::Cancelar:
        break;
    }
    return std::nullopt;
}

} // namespace

int enviarPorCorreo(QWidget* padre, const QList<int>& ids) {
    const AjustesCorreo ajustes = leerAjustesCorreo();
    if (const QString motivo = motivoAjustesCorreo(ajustes); !motivo.isEmpty()) {
        Mensaje::informar(padre,
                          motivo + QStringLiteral("\nPrepárelo en «Configuración», «Correo»."),
                          Mensaje::Icono::Exclamacion);
        return 0;
    }
    const auto plan = planCorreo(ids);
    if (!plan) {
        Mensaje::critico(padre, plan.motivo());
        return 0;
    }
    if (plan->enviar.isEmpty()) {
        contar(padre, {}, plan->sinDireccion, 0);
        return 0;
    }
    const auto elegidos = elegirReenvios(padre, *plan);
    if (!elegidos) return 0;
    if (elegidos->isEmpty()) {
        contar(padre, {}, plan->sinDireccion, 0);
        return 0;
    }
    int enviados = 0;
    QList<DocumentoCorreo> pendientes = *elegidos;
    QList<DocumentoCorreo> sinDireccion = plan->sinDireccion;
    while (!pendientes.isEmpty()) {
        const auto clave = claveDe(padre, ajustes);
        if (!clave) break;
        const Pasada pasada = enviarTodos(padre, ajustes, *clave, pendientes);
        enviados += static_cast<int>(pasada.enviados.size());
        // What failed or was not reached stays pending, in the order chosen.
        QList<DocumentoCorreo> siguen;
        for (const DocumentoCorreo& d : pendientes)
            if (!pasada.enviados.contains(d.id)) siguen << d;
        const qsizetype sinIntentar = siguen.size() - pasada.motivos.size();
        if (!contar(padre, pasada, sinDireccion, sinIntentar)) break;
        pendientes = siguen;
        sinDireccion.clear();
    }
    return enviados;
}

} // namespace torvane
