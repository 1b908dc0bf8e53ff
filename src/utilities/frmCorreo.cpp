#include "utilities/frmCorreo.h"

#include "core/mail/Llavero.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace torvane {

namespace {

QLineEdit* caja(const QString& nombre, const QString& texto) {
    auto* c = new QLineEdit(texto);
    c->setObjectName(nombre);
    configurarCampo(c, Campo::Normal);
    return c;
}

} // namespace

frmCorreo::frmCorreo(const AjustesCorreo& a, QWidget* padre)
    : Ventana(padre)
    , txtServidor_(caja(QStringLiteral("txtServidor"), a.servidor))
    , txtPuerto_(new QSpinBox)
    , cmbSeguridad_(new QComboBox)
    , chkVerificar_(new QCheckBox(QStringLiteral("Comprobar el certificado del servidor")))
    , lblAviso_(new QLabel)
    , txtUsuario_(caja(QStringLiteral("txtUsuario"), a.usuario))
    , txtClave_(caja(QStringLiteral("txtClave"), {}))
    , chkLlavero_(new QCheckBox(QStringLiteral("Guardarla en el llavero del sistema")))
    , txtNombre_(caja(QStringLiteral("txtNombre"), a.nombreRemitente))
    , txtDireccion_(caja(QStringLiteral("txtDireccion"), a.direccionRemitente))
    , txtResponder_(caja(QStringLiteral("txtResponder"), a.responderA))
    , txtCopia_(caja(QStringLiteral("txtCopia"), a.copiaOculta))
    , txtAsunto_(caja(QStringLiteral("txtAsunto"), a.asunto))
    , txtCuerpo_(new QPlainTextEdit(a.cuerpo)) {
    setWindowTitle(QStringLiteral("Correo"));
    txtPuerto_->setObjectName(QStringLiteral("txtPuerto"));
    txtPuerto_->setRange(1, 65535);
    txtPuerto_->setValue(a.puerto);
    cmbSeguridad_->setObjectName(QStringLiteral("cmbSeguridad"));
    cmbSeguridad_->addItems({QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS"),
                             QStringLiteral("Ninguna (sin cifrar)")});
    cmbSeguridad_->setCurrentIndex(static_cast<int>(a.seguridad));
    chkVerificar_->setObjectName(QStringLiteral("chkVerificar"));
    chkVerificar_->setChecked(a.verificarCertificado);
    lblAviso_->setObjectName(QStringLiteral("lblAviso"));
    lblAviso_->setWordWrap(true);
    lblAviso_->setStyleSheet(QStringLiteral("color: #b00000"));
    txtClave_->setEchoMode(QLineEdit::Password);
    txtClave_->setPlaceholderText(QStringLiteral("se pide al enviar si se deja en blanco"));
    chkLlavero_->setObjectName(QStringLiteral("chkLlavero"));
    chkLlavero_->setVisible(hayLlavero());
    txtCuerpo_->setObjectName(QStringLiteral("txtCuerpo"));
    txtCuerpo_->setTabChangesFocus(true);
    txtCuerpo_->setMinimumHeight(120);

    auto* formulario = new QFormLayout;
    formulario->addRow(QStringLiteral("Servidor (SMTP):"), txtServidor_);
    formulario->addRow(QStringLiteral("Puerto:"), txtPuerto_);
    formulario->addRow(QStringLiteral("Seguridad:"), cmbSeguridad_);
    formulario->addRow(QString(), chkVerificar_);
    formulario->addRow(QString(), lblAviso_);
    formulario->addRow(QStringLiteral("Usuario:"), txtUsuario_);
    formulario->addRow(QStringLiteral("Contraseña:"), txtClave_);
    formulario->addRow(QString(), chkLlavero_);
    formulario->addRow(QStringLiteral("Nombre del remitente:"), txtNombre_);
    formulario->addRow(QStringLiteral("Dirección del remitente:"), txtDireccion_);
    formulario->addRow(QStringLiteral("Responder a:"), txtResponder_);
    formulario->addRow(QStringLiteral("Copia oculta a:"), txtCopia_);
    formulario->addRow(QStringLiteral("Asunto:"), txtAsunto_);
    formulario->addRow(QStringLiteral("Mensaje:"), txtCuerpo_);
    auto* campos = new QLabel(
        QStringLiteral("Campos: {{inquilino.nombre}}, {{documento.numero}}, {{documento.periodo}}, "
                       "{{documento.fecha}}, {{documento.total}}, {{inmueble.descripcion}}, "
                       "{{empresa.nombre}}… (los mismos que las plantillas de los documentos)"));
    campos->setWordWrap(true);
    formulario->addRow(QString(), campos);

    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Aceptar"));
    botones->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdAceptar"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
    connect(botones, &QDialogButtonBox::accepted, this, protegido(this, &frmCorreo::accept));
    connect(botones, &QDialogButtonBox::rejected, this, protegido(this, &frmCorreo::reject));
    auto* capa = new QVBoxLayout(this);
    capa->addLayout(formulario);
    capa->addWidget(botones);

    connect(cmbSeguridad_, &QComboBox::activated, this,
            protegido(this, &frmCorreo::seguridadElegida));
    connect(chkVerificar_, &QCheckBox::toggled, this, protegido(this, &frmCorreo::mostrarAviso));
    mostrarAviso();
    resize(620, sizeHint().height());
}

AjustesCorreo frmCorreo::ajustes() const {
    AjustesCorreo a;
    a.servidor = txtServidor_->text().trimmed();
    a.puerto = txtPuerto_->value();
    a.seguridad = static_cast<Seguridad>(cmbSeguridad_->currentIndex());
    a.verificarCertificado = chkVerificar_->isChecked();
    a.usuario = txtUsuario_->text().trimmed();
    a.nombreRemitente = txtNombre_->text().trimmed();
    a.direccionRemitente = txtDireccion_->text().trimmed();
    a.responderA = txtResponder_->text().trimmed();
    a.copiaOculta = txtCopia_->text().trimmed();
    a.asunto = txtAsunto_->text();
    a.cuerpo = txtCuerpo_->toPlainText();
    return a;
}

std::optional<QString> frmCorreo::clave() const {
    if (txtClave_->text().isEmpty()) return std::nullopt;
    return txtClave_->text();
}

bool frmCorreo::enLlavero() const {
    return chkLlavero_->isChecked();
}

void frmCorreo::accept() {
    sinExcepciones(this, [&] {
        // No server is mailing switched off; anything else must be complete before it is kept.
        const AjustesCorreo a = ajustes();
        if (!a.servidor.isEmpty())
            if (const QString motivo = motivoAjustesCorreo(a); !motivo.isEmpty()) {
                Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
                return;
            }
        Ventana::accept();
    });
}

void frmCorreo::seguridadElegida() {
    // The usual port goes with the protection unless the user has typed another.
    const int habitual = puertoHabitual(static_cast<Seguridad>(cmbSeguridad_->currentIndex()));
    for (Seguridad s : {Seguridad::StartTls, Seguridad::Ssl, Seguridad::Ninguna})
        if (txtPuerto_->value() == puertoHabitual(s)) txtPuerto_->setValue(habitual);
    mostrarAviso();
}

void frmCorreo::mostrarAviso() {
    const bool cifrado = cmbSeguridad_->currentIndex() != static_cast<int>(Seguridad::Ninguna);
    chkVerificar_->setEnabled(cifrado);
    lblAviso_->setText(avisoSeguridad(ajustes()));
    lblAviso_->setVisible(!lblAviso_->text().isEmpty());
}

} // namespace torvane
