#include "editors/frmSeriesF.h"

#include "core/documents/Funciones.h"
#include "core/registers/Editores.h"
#include "core/store/Consulta.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "ui_frmSeriesF.h"

#include <QKeyEvent>

namespace torvane {

namespace {
const QString kTabla = QStringLiteral("tblSeriesF");
const QString kAtencion = QStringLiteral("Atención!!");
constexpr int kColumnaCodigo = 1;
} // namespace

frmSeriesF::frmSeriesF(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmSeriesF>()) {
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowMinMaxButtonsHint);
    // Its controls sit where the form puts them: a larger window is only empty space.
    setFixedSize(size());
    ui->dtgDetalles->modelo()->fijarColumnasFijas(0);
    ui->dtgDetalles->modelo()->fijarBandas(false);
    for (QLineEdit* caja : {ui->txtDetalle_0, ui->txtDetalle_1, ui->txtDetalle_2})
        configurarCampo(caja, Campo::EnterComoTab | Campo::SeleccionarTodo);
    // Series codes are upper case whatever is typed.
    connect(ui->txtDetalle_1, &QLineEdit::textEdited, this,
            protegido(this, [this](const QString& texto) {
                const int cursor = ui->txtDetalle_1->cursorPosition();
                ui->txtDetalle_1->setText(texto.toUpper());
                ui->txtDetalle_1->setCursorPosition(cursor);
            }));
    connect(ui->cmdNovaP, &QToolButton::clicked, this, protegido(this, &frmSeriesF::Nueva));
    connect(ui->cmdEditarP, &QToolButton::clicked, this, protegido(this, &frmSeriesF::Editar));
    connect(ui->cmdBorrarP, &QToolButton::clicked, this, protegido(this, &frmSeriesF::Borrar));
    connect(ui->cmdAceptarP, &QToolButton::clicked, this, protegido(this, &frmSeriesF::Aceptar));
    connect(ui->cmdCancelarP, &QToolButton::clicked, this, protegido(this, &frmSeriesF::Cancelar));
    connect(ui->dtgDetalles, &Rejilla::elegida, this, protegido(this, &frmSeriesF::Editar));
    connect(ui->cmdSalir, &QToolButton::clicked, this, protegido(this, &frmSeriesF::reject));
}

frmSeriesF::~frmSeriesF() = default;

void frmSeriesF::alActivar() {
    CargarDatos();
    EstablecerEstado(ui->dtgDetalles->modelo()->filasDatos() == 0 ? 1 : 4);
}

void frmSeriesF::keyPressEvent(QKeyEvent* evento) {
    sinExcepciones(this, [&] {
        if (evento->key() == Qt::Key_Escape && (estado_ == 2 || estado_ == 3)) {
            dejarSerie();
            evento->accept();
            return;
        }
        Ventana::keyPressEvent(evento);
    });
}

void frmSeriesF::reject() {
    sinExcepciones(this, [&] {
        if (dejarSerie()) Ventana::reject();
    });
}

bool frmSeriesF::dejarSerie() {
    if (estado_ != 2 && estado_ != 3) return true;
    const QStringList ahora{ui->txtDetalle_1->text(), ui->txtDetalle_2->text()};
    if (ahora != alEmpezar_ && !Mensaje::resolverCambios(this, [this] {
            Aceptar();
            return estado_ != 2 && estado_ != 3;
        }))
        return false;
    Cancelar();
    return true;
}

void frmSeriesF::EstablecerEstado(int estado) {
    estado_ = estado;
    if (estado < 1 || estado > 4) return;
    const bool editando = estado == 2 || estado == 3;
    ui->fraDetalles->setVisible(editando);
    pintarFondo(ui->dtgDetalles, editando ? kBlanco : colorPrincipal());
    const int alto = editando ? ui->fraDetalles->y() - ui->dtgDetalles->y() : twips(3000);
    ui->dtgDetalles->resize(ui->dtgDetalles->width(), alto);
    ui->dtgDetalles->setEnabled(!editando);
    ui->cmdNovaP->setEnabled(!editando);
    ui->cmdEditarP->setEnabled(estado == 4);
    ui->cmdBorrarP->setEnabled(estado == 4);
    ui->cmdAceptarP->setEnabled(editando);
    ui->cmdCancelarP->setEnabled(editando);
}

void frmSeriesF::ColorEdicion() {
    for (QLineEdit* caja : {ui->txtDetalle_0, ui->txtDetalle_1, ui->txtDetalle_2})
        pintarFondo(caja, colorPrincipal());
}

void frmSeriesF::ColorNavegar() {
    for (QLineEdit* caja : {ui->txtDetalle_0, ui->txtDetalle_1, ui->txtDetalle_2})
        pintarFondo(caja, kBlanco);
}

void frmSeriesF::CargarDatos() {
    ui->dtgDetalles->definirColumnas(
        {Columna::texto(QStringLiteral("Nº"), 0.12),
         Columna::texto(QStringLiteral("Código"), 0.15, Qt::AlignHCenter),
         Columna::texto(QStringLiteral("Descripción"), 0.70)});
    ui->dtgDetalles->modelo()->fijarFilas(Editores::series());
    ui->dtgDetalles->fijarFilaActual(1, 0);
}

bool frmSeriesF::ComprobaDatos() {
    const QString problema =
        Editores::problemaSerie(ui->txtDetalle_1->text(), ui->txtDetalle_0->text().toInt());
    if (problema.isEmpty()) return true;
    Mensaje::informar(this, problema);
    ui->txtDetalle_1->setFocus(Qt::OtherFocusReason);
    return false;
}

bool frmSeriesF::SerieUsada() const {
    const int fila = ui->dtgDetalles->filaActual();
    return fila > 0 && Editores::serieUsada(ui->dtgDetalles->texto(fila, kColumnaCodigo));
}

void frmSeriesF::Nueva() {
    if (estado_ != 1 && estado_ != 4) return;
    estadoAnterior_ = estado_;
    EstablecerEstado(3);
    ColorEdicion();
    // The code is the engine's, given when the row is stored.
    ui->txtDetalle_0->clear();
    ui->txtDetalle_1->clear();
    ui->txtDetalle_2->clear();
    alEmpezar_ = {QString(), QString()};
    ui->txtDetalle_1->setFocus(Qt::OtherFocusReason);
}

void frmSeriesF::Editar() {
    const int fila = ui->dtgDetalles->filaActual();
    if (estado_ != 4 || fila < 1) return;
    if (SerieUsada()) {
        Mensaje::informar(this, QStringLiteral("Hay una factura emitida con esta serie"));
        return;
    }
    estadoAnterior_ = estado_;
    EstablecerEstado(2);
    ui->txtDetalle_0->setText(ui->dtgDetalles->texto(fila, 0));
    ui->txtDetalle_1->setText(ui->dtgDetalles->texto(fila, kColumnaCodigo));
    ui->txtDetalle_2->setText(ui->dtgDetalles->texto(fila, 2));
    alEmpezar_ = {ui->txtDetalle_1->text(), ui->txtDetalle_2->text()};
    ColorEdicion();
    ui->txtDetalle_1->setFocus(Qt::OtherFocusReason);
}

void frmSeriesF::Aceptar() {
    if (estado_ != 2 && estado_ != 3) return;
    if (!ComprobaDatos()) return;
    const QStringList campos{QStringLiteral("Cod"), QStringLiteral("Des")};
    const QVariantList valores{ui->txtDetalle_1->text(), ui->txtDetalle_2->text()};
    if (estado_ == 3)
        Mensaje::falla(this, Editores::insertarConNuevoId(kTabla, campos, valores));
    else
        Mensaje::falla(this, Editores::actualizarPorId(kTabla, ui->txtDetalle_0->text().toInt(),
                                                       campos, valores));
    CargarDatos();
    EstablecerEstado(ui->dtgDetalles->modelo()->filasDatos() == 0 ? 1 : 4);
    ColorNavegar();
    ui->cmdNovaP->setFocus(Qt::OtherFocusReason);
}

void frmSeriesF::Cancelar() {
    if (estado_ != 2 && estado_ != 3) return;
    EstablecerEstado(estadoAnterior_);
    ColorNavegar();
}

void frmSeriesF::Borrar() {
    const int fila = ui->dtgDetalles->filaActual();
    if (ui->dtgDetalles->modelo()->filasDatos() == 0 || fila < 1) {
        Mensaje::informar(this, QStringLiteral("No hay nada seleccionado"),
                          Mensaje::Icono::Informacion, kAtencion);
        return;
    }
    if (SerieUsada()) {
        Mensaje::informar(this, QStringLiteral("Hay una factura emitida con esta serie"));
        return;
    }
    const QString pregunta = QStringLiteral("¿Está seguro de eliminar la serie %1?")
                                 .arg(ui->dtgDetalles->texto(fila, kColumnaCodigo));
    if (!Mensaje::preguntar(this, pregunta, Mensaje::Icono::Pregunta, kAtencion, true)) return;
    Mensaje::falla(this, Editores::borrarFila(kTabla, QStringLiteral("Id"),
                                              ui->dtgDetalles->texto(fila, 0).toInt()));
    CargarDatos();
    EstablecerEstado(ui->dtgDetalles->modelo()->filasDatos() == 0 ? 1 : 4);
}

} // namespace torvane
