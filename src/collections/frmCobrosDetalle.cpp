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
    ui->txtUni->setText(linea->und.texto());
    ui->txtPre->setText(linea->pre.textoSimple());
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
    const auto und = Decimal::leer(ui->txtUni->text());
    const auto pre = Importe::leer(ui->txtPre->text());
    const auto imp = und && pre ? pre->por(*und) : std::nullopt;
    ui->lblTotal->setText(imp.value_or(Importe()).texto());
}

bool frmCobrosDetalle::ComprobaDatos() {
    const auto falla = [this](QLineEdit* caja, const QString& mensaje, const QString& valor) {
        Mensaje::informar(this, mensaje);
        caja->setText(valor);
        caja->setFocus();
        return false;
    };
    const auto und = decimalDeCaja(ui->txtUni->text(), QStringLiteral("Ponga un número correcto"));
    if (!und) return falla(ui->txtUni, und.motivo(), QStringLiteral("1"));
    const auto pre = importeDeCaja(ui->txtPre->text(), QStringLiteral("Ponga un precio correcto"));
    if (!pre) return falla(ui->txtPre, pre.motivo(), QStringLiteral("0"));
    if (const auto linea = lineaCon({0, 0, 0, {}, *und, *pre, {}}); !linea)
        return falla(ui->txtPre, linea.motivo(), QStringLiteral("0"));
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
    linea_.und = *Decimal::leer(ui->txtUni->text());
    linea_.pre = *Importe::leer(ui->txtPre->text());
    // The amount as the label shows it, even when a box was not left before accepting.
    linea_ = *lineaCon(linea_);
    done(Accepted);
}

} // namespace torvane
