#include "registers/frmInquilinosFicha.h"
#include "ui_frmInquilinosFicha.h"

#include "core/documents/Funciones.h"
#include "core/mail/AjustesCorreo.h"
#include "core/registers/ListasRegistros.h"
#include "core/text/Identificadores.h"
#include "registers/ComunRegistros.h"
#include "ui/AvisoIdentificador.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

frmInquilinosFicha::frmInquilinosFicha(int id, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmInquilinosFicha>())
    , Estado(id == 0 ? 0 : 1)
    , Id(id) {
    ui->setupUi(this);
    for (QWidget* caja : {ui->txtNom, ui->txtDNI, ui->txtTfn, ui->txtMob, ui->txtMail, ui->txtDir,
                          ui->txtCp, ui->txtPob, ui->txtPro})
        configurarCampo(caja, Campo::Normal);
    configurarCampo(ui->txtObs, Campo::ColorFoco);
    limitarLongitud(ui->txtObs, 200);
    connect(ui->cmdAceptar, &QPushButton::clicked, this,
            protegido(this, &frmInquilinosFicha::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this,
            protegido(this, &frmInquilinosFicha::reject));
}

frmInquilinosFicha::~frmInquilinosFicha() = default;

void frmInquilinosFicha::alActivar() {
    if (Estado == 0) {
        // The engine gives the code when the record is stored, so two desks never share one.
        ui->txtId->clear();
        ui->txtId->setPlaceholderText(QStringLiteral("al guardar"));
    } else {
        Cargar();
        nomCargado_ = ui->txtNom->text();
    }
    ui->txtNom->setFocus();
}

void frmInquilinosFicha::Cargar() {
    FichaInquilino vacia;
    vacia.Id = Id;
    const FichaInquilino f = LeerInquilino(Id).value_or(vacia);
    ui->txtId->setText(QString::number(Id));
    ui->txtNom->setText(f.Nom);
    ui->txtDNI->setText(f.DNI);
    ui->txtTfn->setText(f.Tfn);
    ui->txtMob->setText(f.Mob);
    ui->txtMail->setText(f.Mail);
    ui->txtObs->setPlainText(f.Obs);
    ui->txtDir->setText(f.Dir);
    ui->txtCp->setText(f.CP);
    ui->txtPob->setText(f.Pob);
    ui->txtPro->setText(f.Pro);
}

bool frmInquilinosFicha::ComprobaDatos() {
    if (!ui->txtNom->text().isEmpty()) return true;
    Mensaje::informar(this, QStringLiteral("Ponga un nombre al inquilino"));
    ui->txtNom->setFocus();
    return false;
}

bool frmInquilinosFicha::ComprobaNom() {
    return comprobarUnico(this, ui->txtNom, QStringLiteral("tblInquilinos"), QStringLiteral("Nom"),
                          Estado == 1, nomCargado_,
                          QStringLiteral("Este Inquilino ya está registrado, ponga otro"));
}

bool frmInquilinosFicha::ComprobaMail() {
    // Documents are mailed here: a mistyped address would only show when a month's run fails.
    ui->txtMail->setText(ui->txtMail->text().trimmed());
    const QString mail = ui->txtMail->text();
    if (mail.isEmpty() || direccionValida(mail)) return true;
    Mensaje::informar(this,
                      QStringLiteral("«%1» no es una dirección de correo (como nombre@dominio.es). "
                                     "Corríjala o déjela en blanco.")
                          .arg(mail));
    ui->txtMail->setFocus();
    ui->txtMail->selectAll();
    return false;
}

void frmInquilinosFicha::Aceptar() {
    // Both checks run, each with its own message.
    const bool datos = ComprobaDatos();
    const bool nom = ComprobaNom();
    if (!datos || !nom) return;
    if (!aceptarIdentificador(ui->txtDNI, motivoNif(ui->txtDNI->text()))) return;
    if (!ComprobaMail()) return;
    const FichaInquilino f{ui->txtId->text().toInt(), ui->txtNom->text(), ui->txtDNI->text(),
                           ui->txtTfn->text(),        ui->txtMob->text(), ui->txtMail->text(),
                           ui->txtObs->toPlainText(), ui->txtDir->text(), ui->txtCp->text(),
                           ui->txtPob->text(),        ui->txtPro->text()};
    const Resultado<int> guardado = GuardarInquilino(f, Estado == 0);
    if (Mensaje::falla(this, guardado)) return;
    Id = *guardado;
    ui->txtId->setText(QString::number(Id));
    accept();
}

} // namespace torvane
