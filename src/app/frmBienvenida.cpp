#include "app/frmBienvenida.h"
#include "ui_frmBienvenida.h"

#include "core/demo/PrimerArranque.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QDir>

namespace torvane {

frmBienvenida::frmBienvenida(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmBienvenida>()) {
    ui->setupUi(this);
    ui->txtAno->setText(QString::number(Hoy().year()));
    ui->txtCarpeta->setText(
        QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Alquileres")));
    connect(ui->cmdExaminar, &QPushButton::clicked, this,
            protegido(this, &frmBienvenida::cmdExaminar_Click));
    connect(ui->cmdCrear, &QPushButton::clicked, this,
            protegido(this, &frmBienvenida::cmdCrear_Click));
    connect(ui->cmdAbrir, &QPushButton::clicked, this,
            protegido(this, &frmBienvenida::cmdAbrir_Click));
    connect(ui->cmdDemo, &QPushButton::clicked, this,
            protegido(this, &frmBienvenida::cmdDemo_Click));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmBienvenida::reject));
}

frmBienvenida::~frmBienvenida() = default;

// The chooser only picks folders that exist: a new one is typed after it in the box.
void frmBienvenida::cmdExaminar_Click() {
    const QString carpeta = DialogoArchivo::carpeta(this, QStringLiteral("Carpeta para sus datos"),
                                                    carpetaEscrita(ui->txtCarpeta->text()));
    if (carpeta.isEmpty()) return;
    ui->txtCarpeta->setText(QDir::toNativeSeparators(carpeta));
    ui->txtCarpeta->setFocus();
}

void frmBienvenida::cmdCrear_Click() {
    const DatosEmpresa empresa{ui->txtEmpresa->text(), ui->txtNif->text(), ui->txtDireccion->text(),
                               ui->txtPoblacion->text(),
                               static_cast<TipoEmisor>(ui->cmbTipEmi->currentIndex())};
    CursorEspera espera(this);
    quedarseCon(crearMisDatos(carpetaEscrita(QDir::fromNativeSeparators(ui->txtCarpeta->text())),
                              ui->txtAno->text().trimmed(), empresa));
}

void frmBienvenida::cmdAbrir_Click() {
    const QString carpeta = DialogoArchivo::carpeta(
        this, QStringLiteral("Carpeta de sus datos (la que tiene las carpetas de los años)"),
        QDir::homePath());
    if (carpeta.isEmpty()) return;
    quedarseCon(abrirDatosExistentes(carpeta));
}

void frmBienvenida::cmdDemo_Click() {
    CursorEspera espera(this);
    quedarseCon(probarDemo(carpetaDemo(), QString::number(Hoy().year())));
}

void frmBienvenida::quedarseCon(const DatosElegidos& datos) {
    if (!datos.error.isEmpty()) {
        Mensaje::critico(this, datos.error);
        ponerCursorEn(datos.campo);
        return;
    }
    if (!Modulo::EscribirRutaUsuario(datos.ruta, datos.ano)) {
        Mensaje::critico(this, QStringLiteral("No se pudo guardar ruta.ini y ano.ini en %1.")
                                   .arg(Modulo::CarpetaUsuario()));
        return;
    }
    accept();
}

// The box the refusal is about gets the cursor, its text selected to be typed over.
void frmBienvenida::ponerCursorEn(CampoRechazado campo) {
    QLineEdit* const cajas[] = {nullptr,    ui->txtCarpeta,   ui->txtAno,      ui->txtEmpresa,
                                ui->txtNif, ui->txtDireccion, ui->txtPoblacion};
    QLineEdit* caja = cajas[static_cast<int>(campo)];
    if (!caja) return;
    caja->setFocus();
    caja->selectAll();
}

} // namespace torvane
