#include "registers/frmInmueblesCargos.h"

#include "ui_frmInmueblesCargos.h"

#include "core/documents/EmitirMes.h"
#include "core/text/Formato.h"
#include "ui/CajaConcepto.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {

const QString kPrimeraSerie = QStringLiteral("(la primera)");

QList<Columna> columnasCargos() {
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Concepto"), 0.12),
            Columna::texto(QStringLiteral("Descripción"), 0.45),
            Columna::texto(QStringLiteral("Und."), 0.10, derecha),
            Columna::texto(QStringLiteral("Precio"), 0.13, derecha),
            Columna::texto(QStringLiteral("Importe"), 0.13, derecha)};
}

/** The box's value (Importe or Decimal), or a message and the focus on it. */
template <class T> std::optional<T> valorDe(QWidget* ventana, QLineEdit* caja, Resultado<T> r) {
    if (!r) {
        Mensaje::informar(ventana, r.motivo());
        caja->setFocus();
        return std::nullopt;
    }
    return *r;
}

std::optional<Decimal> numeroDe(QWidget* ventana, QLineEdit* caja, const QString& mensaje) {
    return valorDe(ventana, caja, decimalDeCaja(caja->text(), mensaje));
}

} // namespace

frmInmueblesCargos::frmInmueblesCargos(int idInmueble, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmInmueblesCargos>())
    , IdInm(idInmueble) {
    ui->setupUi(this);
    for (QWidget* caja : {ui->txtPorIva, ui->txtPorRet, ui->txtUnd})
        configurarCampo(caja, Campo::Numero);
    // Enter on the price adds the line, ready for the next one.
    configurarCampo(ui->txtPre, Campo::ComaDecimal | Campo::ColorFoco | Campo::SeleccionarTodo);
    connect(ui->txtPre, &QLineEdit::returnPressed, this,
            protegido(this, &frmInmueblesCargos::Anadir));
    for (QWidget* caja : {static_cast<QWidget*>(ui->txtCon), static_cast<QWidget*>(ui->txtDesCon),
                          static_cast<QWidget*>(ui->cmbTipo), static_cast<QWidget*>(ui->cmbSerie)})
        configurarCampo(caja, Campo::Normal);
    // After the box's own Enter-as-Tab, so a concept's Enter is answered first.
    concepto_ = new CajaConcepto(ui->txtCon, ui->txtDesCon, ui->txtPre, ui->txtUnd, true);
    ui->cmbTipo->addItems({QStringLiteral("Recibo"), QStringLiteral("Factura")});
    connect(ui->cmdAnadir, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesCargos::Anadir));
    connect(ui->cmdQuitar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesCargos::Quitar));
    connect(ui->cmdRenta, &QPushButton::clicked, this, protegido(this, &frmInmueblesCargos::Renta));
    connect(ui->cmdAceptar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesCargos::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesCargos::reject));
}

frmInmueblesCargos::~frmInmueblesCargos() = default;

void frmInmueblesCargos::alActivar() {
    const CondicionesCargo c = condicionesPropuestas(IdInm);
    ui->cmbSerie->addItem(kPrimeraSerie);
    ui->cmbSerie->addItems(seriesParaDocumentos());
    if (!c.serie.isEmpty() && ui->cmbSerie->findText(c.serie) < 0) ui->cmbSerie->addItem(c.serie);
    ui->cmbSerie->setCurrentIndex(c.serie.isEmpty() ? 0 : ui->cmbSerie->findText(c.serie));
    ui->cmbTipo->setCurrentIndex(c.factura ? 1 : 0);
    ui->txtPorIva->setText(c.porIva.texto());
    ui->txtPorRet->setText(c.porRet.texto());
    lineas_ = leerCargos(IdInm);
    if (const auto renta = LineaRenta(); lineas_.isEmpty() && renta) lineas_ << *renta;
    ui->txtUnd->setText(QStringLiteral("1"));
    MostrarLineas();
    ui->cmbTipo->setFocus();
}

void frmInmueblesCargos::MostrarLineas() {
    QList<QStringList> filas;
    for (const Linea& l : lineas_)
        filas << QStringList{QString::number(filas.size() + 1),
                             QString::number(l.idCon),
                             l.desCon,
                             l.und.textoDosDecimales(),
                             l.pre.texto(),
                             l.imp.texto()};
    ui->mshLineas->definirColumnas(columnasCargos());
    ui->mshLineas->modelo()->fijarFilas(filas);
}

std::optional<Linea> frmInmueblesCargos::LineaRenta() const {
    // Only a concept the year has is proposed: the rent is concept 1 wherever it is billed.
    if (!leerConcepto(1)) return std::nullopt;
    return lineaAlquiler(IdInm);
}

void frmInmueblesCargos::Anadir() {
    const auto concepto = conceptoDeTexto(ui->txtCon->text());
    if (!concepto) {
        Mensaje::informar(this, QStringLiteral("Ese concepto no existe. Ponga otro"));
        ui->txtCon->setFocus();
        return;
    }
    const auto und = numeroDe(this, ui->txtUnd, QStringLiteral("Ponga unas unidades correctas"));
    if (!und) return;
    const auto pre =
        valorDe(this, ui->txtPre,
                importeDeCaja(ui->txtPre->text(), QStringLiteral("Ponga un precio correcto")));
    if (!pre) return;
    const QString des = ui->txtDesCon->text().isEmpty() ? concepto->des : ui->txtDesCon->text();
    const auto linea =
        valorDe(this, ui->txtPre, lineaCon({IdInm, 0, concepto->id, des, *und, *pre, {}}));
    if (!linea) return;
    lineas_ << *linea;
    MostrarLineas();
    ui->txtCon->clear();
    ui->txtDesCon->clear();
    ui->txtPre->clear();
    concepto_->fijarCargado(0);
    ui->txtCon->setFocus();
}

void frmInmueblesCargos::Quitar() {
    const int fila = ui->mshLineas->filaActual();
    if (fila < 1 || fila > lineas_.size()) return;
    if (!Mensaje::preguntar(this, QStringLiteral("¿Quitar la línea %1?").arg(fila))) return;
    lineas_.removeAt(fila - 1);
    MostrarLineas();
}

void frmInmueblesCargos::Renta() {
    const auto renta = LineaRenta();
    if (!renta) {
        Mensaje::informar(this,
                          QStringLiteral("El año no tiene el concepto 1 del alquiler. Créelo "
                                         "en «Conceptos» o añada la línea con otro concepto"));
        return;
    }
    lineas_.prepend(*renta);
    MostrarLineas();
}

void frmInmueblesCargos::Aceptar() {
    const auto porIva = numeroDe(this, ui->txtPorIva, QStringLiteral("Ponga un IVA correcto"));
    if (!porIva) return;
    const auto porRet =
        numeroDe(this, ui->txtPorRet, QStringLiteral("Retención incorrecta. Ponga un número"));
    if (!porRet) return;
    const QString serie =
        ui->cmbSerie->currentIndex() > 0 ? ui->cmbSerie->currentText() : QString();
    if (Mensaje::falla(
            this, guardarCargos(IdInm, {*porIva, *porRet, ui->cmbTipo->currentIndex() == 1, serie},
                                lineas_)))
        return;
    accept();
}

} // namespace torvane
