#include "collections/frmCobrosDetalle.h"

#include "ui_frmCobrosDetalle.h"

#include "collections/Buscar.h"
#include "data/Documentos.h"
#include "data/Formato.h"
#include "data/Funciones.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"

#include <QCloseEvent>
#include <QKeyEvent>

frmCobrosDetalle::frmCobrosDetalle(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCobrosDetalle>()) {
    ui->setupUi(this);
    configurarCampo(ui->txtCodigo, Campo::Normal);
    configurarCampo(ui->txtDes, Campo::ColorFoco);
    configurarCampo(ui->txtUni, Campo::Numero);
    configurarCampo(ui->txtPre, Campo::Numero);
    for (QWidget* caja : {ui->txtCodigo, ui->txtUni, ui->txtPre})
        caja->installEventFilter(this);
    connect(ui->cmdAceptar, &QPushButton::clicked, this, &frmCobrosDetalle::Aceptar);
    connect(ui->cmdCancelar, &QPushButton::clicked, this, [this] { done(Rejected); });
    connect(ui->cmdBuscar, &QPushButton::clicked, this, &frmCobrosDetalle::Buscar);
}

frmCobrosDetalle::~frmCobrosDetalle() = default;

void frmCobrosDetalle::alActivar() {
    ui->lblLin->setText(QStringLiteral("Línea ") + QString::number(Lin));
    if (Estado == 1) {
        CargarLinea();
        ui->txtDes->setFocus();
        return;
    }
    // A new line is most often one unit of a known concept: its code is the first thing typed.
    ui->txtUni->setText(QStringLiteral("1"));
    ui->txtCodigo->setFocus();
}

void frmCobrosDetalle::closeEvent(QCloseEvent* evento) {
    evento->accept();
    done(Rejected);
}

bool frmCobrosDetalle::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == ui->txtCodigo && evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        // A concept found goes straight to the units, as picking one in the search does.
        if ((tecla == Qt::Key_Return || tecla == Qt::Key_Enter) && BuscarPorDescripcion()) {
            ui->txtUni->setFocus();
            return true;
        }
    }
    if (evento->type() == QEvent::FocusOut) {
        if (objeto == ui->txtCodigo)
            BuscarPorDescripcion();
        else
            CalcularImporte();
    }
    return Ventana::eventFilter(objeto, evento);
}

void frmCobrosDetalle::CargarLinea() {
    const auto linea = leerLinea(Id);
    if (!linea) return;
    conceptoCargado_ = linea->idCon;
    ui->txtCodigo->setText(QString::number(linea->idCon));
    ui->txtDes->setText(linea->desCon);
    ui->txtUni->setText(formatoSimple(linea->und));
    ui->txtPre->setText(formatoSimple(linea->pre));
    ui->lblTotal->setText(formatoImporte(linea->und * linea->pre));
}

void frmCobrosDetalle::CargarConcepto(int codigo) {
    const auto concepto = leerConcepto(codigo);
    if (!concepto) return;
    conceptoCargado_ = concepto->id;
    ui->txtCodigo->setText(QString::number(concepto->id));
    ui->txtDes->setText(concepto->des);
    // An edited line keeps the price it was issued with.
    if (Estado != 1) ui->txtPre->setText(formatoImporte(concepto->imp));
}

void frmCobrosDetalle::Buscar() {
    if (const auto id = buscarId(this, QStringLiteral("Conceptos"))) {
        CargarConcepto(*id);
        ui->txtUni->setFocus();
    }
}

bool frmCobrosDetalle::BuscarPorDescripcion() {
    const QString texto = ui->txtCodigo->text().trimmed();
    if (texto.isEmpty()) return false;
    int codigo = 0;
    if (const auto numero = leerEntero(texto); numero && leerConcepto(*numero))
        codigo = *numero;
    else
        codigo = CodigoDeDescripcion(QStringLiteral("tblCobrosConceptos"), QStringLiteral("Des"),
                                     QStringLiteral("Id"), texto);
    if (codigo == 0) return false;
    // Leaving the box again must not put the concept's price back over a typed one.
    if (codigo != conceptoCargado_) CargarConcepto(codigo);
    return true;
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
    Linea linea;
    linea.idDoc = IdDoc;
    linea.lin = Lin;
    linea.idCon = *leerEntero(ui->txtCodigo->text());
    linea.desCon = ui->txtDes->text();
    linea.und = *leerNumero(ui->txtUni->text());
    linea.pre = *leerNumero(ui->txtPre->text());
    // The amount as the label shows it, even when a box was not left before accepting.
    linea.imp = redondearCentimos(linea.und * linea.pre);
    if (Estado == 0)
        crearLinea(linea);
    else if (Estado == 2)
        insertarLinea(linea);
    else
        guardarLinea(Id, linea);
    done(Accepted);
}
