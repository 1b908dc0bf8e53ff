#include "collections/frmCobrosDetalle.h"

#include "ui_frmCobrosDetalle.h"

#include "core/documents/Funciones.h"
#include "core/text/Formato.h"
#include "ui/CajaConcepto.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QCloseEvent>

namespace torvane {

frmCobrosDetalle::frmCobrosDetalle(AperturasCobros& aperturas, const PeticionLinea& peticion,
                                   QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCobrosDetalle>())
    , aperturas_(aperturas)
    , Estado(peticion.estado)
    , Id(peticion.idLinea)
    , Lin(peticion.lin)
    , IdInm(peticion.idInmueble) {
    ui->setupUi(this);
    configurarCampo(ui->txtCodigo, Campo::Normal);
    configurarCampo(ui->txtDes, Campo::ColorFoco);
    configurarCampo(ui->txtUni, Campo::Numero);
    configurarCampo(ui->txtPre, Campo::Numero);
    // A line may go without a concept of the list (code 0), so an unknown code is not refused.
    concepto_ = new CajaConcepto(ui->txtCodigo, ui->txtDes, ui->txtPre, ui->txtUni, false);
    // The total follows what is typed, as the line will be stored.
    connect(ui->txtUni, &QLineEdit::textChanged, this,
            protegido(this, &frmCobrosDetalle::CalcularImporte));
    connect(ui->txtPre, &QLineEdit::textChanged, this,
            protegido(this, &frmCobrosDetalle::CalcularImporte));
    connect(ui->cmdAceptar, &QPushButton::clicked, this,
            protegido(this, &frmCobrosDetalle::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this,
            protegido(this, [this] { done(Rejected); }));
    connect(ui->cmdBuscar, &QPushButton::clicked, this, protegido(this, &frmCobrosDetalle::Buscar));
}

frmCobrosDetalle::~frmCobrosDetalle() = default;

void frmCobrosDetalle::alActivar() {
    ui->lblLin->setText(QStringLiteral("Línea ") + QString::number(Lin));
    concepto_->fijarInmueble(IdInm);
    if (Estado == 1) {
        concepto_->conservarPrecio(true);
        CargarLinea();
        ui->txtDes->setFocus();
        return;
    }
    // A new line is most often one unit of a known concept: its code is the first thing typed.
    ui->txtUni->setText(QStringLiteral("1"));
    ui->txtCodigo->setFocus();
}

void frmCobrosDetalle::closeEvent(QCloseEvent* evento) {
    sinExcepciones(this, [&] {
        evento->accept();
        done(Rejected);
    });
}

void frmCobrosDetalle::CargarLinea() {
    const auto linea = leerLinea(Id);
    if (!linea) return;
    concepto_->fijarCargado(linea->idCon);
    ui->txtCodigo->setText(QString::number(linea->idCon));
    ui->txtDes->setText(linea->desCon);
    ui->txtUni->setText(formatoSimple(linea->und));
    ui->txtPre->setText(formatoSimple(linea->pre));
    CalcularImporte();
}

void frmCobrosDetalle::Buscar() {
    if (const auto id = aperturas_.buscar(this, QStringLiteral("Conceptos"))) {
        ui->txtCodigo->setText(QString::number(*id));
        concepto_->cargar();
        ui->txtUni->setFocus();
    }
}

void frmCobrosDetalle::CalcularImporte() {
    const auto und = leerNumero(ui->txtUni->text());
    const auto pre = leerNumero(ui->txtPre->text());
    ui->lblTotal->setText(und && pre ? formatoImporte(*und * *pre) : formatoImporte(0));
}

bool frmCobrosDetalle::ComprobaDatos() {
    const auto falla = [this](QLineEdit* caja, const QString& mensaje, const QString& valor) {
        Mensaje::informar(this, mensaje);
        caja->setText(valor);
        caja->setFocus();
        return false;
    };
    if (!leerNumero(ui->txtUni->text()))
        return falla(ui->txtUni, QStringLiteral("Ponga un número correcto"), QStringLiteral("1"));
    if (!leerNumero(ui->txtPre->text()))
        return falla(ui->txtPre, QStringLiteral("Ponga un precio correcto"), QStringLiteral("0"));
    if (!leerEntero(ui->txtCodigo->text()))
        return falla(ui->txtCodigo, QStringLiteral("Ponga un número correcto"),
                     QStringLiteral("0"));
    return true;
}

void frmCobrosDetalle::Aceptar() {
    if (!ComprobaDatos()) return;
    linea_.lin = Lin;
    linea_.idCon = *leerEntero(ui->txtCodigo->text());
    linea_.desCon = ui->txtDes->text();
    linea_.und = *leerNumero(ui->txtUni->text());
    linea_.pre = *leerNumero(ui->txtPre->text());
    // The amount as the label shows it, even when a box was not left before accepting.
    linea_.imp = redondearCentimos(linea_.und * linea_.pre);
    done(Accepted);
}

} // namespace torvane
