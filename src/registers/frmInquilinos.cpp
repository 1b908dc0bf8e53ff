#include "registers/frmInquilinos.h"
#include "ui_frmInquilinos.h"

#include "core/documents/Documentos.h"
#include "core/registers/ListasRegistros.h"
#include "registers/ComunRegistros.h"
#include "registers/frmInquilinosFicha.h"
#include "ui/Exportar.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QScrollBar>

namespace torvane {

namespace {
constexpr int kColumnaMail = 3;
constexpr int kColumnaIdInquilino = 4;

/**
 * Opens one of the current tenant's own editors (given its Id and the tenant's name), then
 * brings that row back, at the top.
 */
void abrirDelInquilino(QWidget* ventana, Rejilla* rejilla, int columna,
                       const std::function<void(int, const QString&)>& abrir) {
    const int fila = rejilla->filaActual();
    if (fila < 1) return;
    {
        CursorEspera espera(ventana);
        abrir(rejilla->texto(fila, kColumnaIdInquilino).toInt(), rejilla->texto(fila, 1).toUpper());
    }
    rejilla->subirArriba(fila);
    rejilla->fijarFilaActual(fila, columna);
    rejilla->setFocus();
}
} // namespace

frmInquilinos::frmInquilinos(AperturasRegistros& aperturas, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmInquilinos>())
    , aperturas_(aperturas) {
    ui->setupUi(this);
    ui->cmdFamiliares->hide();
    configurarCampo(ui->txtFiltro, Campo::ColorFoco);
    ui->txtFiltro->installEventFilter(this);
    connect(ui->cmdFiltrar, &QPushButton::clicked, this, protegido(this, &frmInquilinos::Cargar));
    connect(ui->txtFiltro, &QLineEdit::returnPressed, this,
            protegido(this, &frmInquilinos::Cargar));
    connect(ui->cmdNovo, &QPushButton::clicked, this, protegido(this, &frmInquilinos::Nuevo));
    connect(ui->cmdEditar, &QPushButton::clicked, this, protegido(this, &frmInquilinos::Editar));
    connect(ui->mshDatos, &Rejilla::elegida, this, protegido(this, &frmInquilinos::Editar));
    connect(ui->cmdBorrar, &QPushButton::clicked, this, protegido(this, &frmInquilinos::Borrar));
    conectarExportar(ui->cmdExportar, ui->mshDatos, QStringLiteral("Inquilinos"));
    connect(ui->cmdCuentas, &QPushButton::clicked, this, protegido(this, [this] {
                abrirDelInquilino(this, ui->mshDatos, 1, [this](int id, const QString& nombre) {
                    aperturas_.cuentas(this, id, QStringLiteral("Cuentas bancarias de ") + nombre);
                });
            }));
    // Back on the mail column, so the family button shows again.
    connect(ui->cmdFamiliares, &QPushButton::clicked, this, protegido(this, [this] {
                abrirDelInquilino(
                    this, ui->mshDatos, kColumnaMail, [this](int id, const QString& nombre) {
                        aperturas_.familiares(this, id, QStringLiteral("Familiares de ") + nombre);
                    });
            }));
    connect(ui->mshDatos, &Rejilla::celdaActualCambiada, this,
            protegido(this, &frmInquilinos::alCambiarCelda));
    // The button follows its cell when the grid scrolls.
    connect(ui->mshDatos->verticalScrollBar(), &QScrollBar::valueChanged, this,
            protegido(this, &frmInquilinos::colocarFamiliares));
}

frmInquilinos::~frmInquilinos() = default;

void frmInquilinos::alActivar() {
    Cargar();
    ui->txtFiltro->setFocus();
}

void frmInquilinos::resizeEvent(QResizeEvent* evento) {
    Ventana::resizeEvent(evento);
    colocarFamiliares();
}

bool frmInquilinos::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == ui->txtFiltro && evento->type() == QEvent::FocusIn) {
        familiaresEnCorreo_ = false;
        ui->cmdFamiliares->hide();
    }
    return Ventana::eventFilter(objeto, evento);
}

void frmInquilinos::Cargar() {
    CursorEspera espera(this);
    mostrarLista(ui->mshDatos,
                 {Columna::numero(), Columna::texto(QStringLiteral("Nombre"), 0.3),
                  Columna::texto(QStringLiteral("Teléfonos"), 0.3),
                  Columna::texto(QStringLiteral("Mail"), 0.3), Columna::oculta()},
                 ListaInquilinos(ui->txtFiltro->text()), ui->lblInfo, QStringLiteral("inquilino"));
}

void frmInquilinos::Nuevo() {
    abrirFichaNueva<frmInquilinosFicha>(this, QStringLiteral("Inquilino Nuevo"), ui->mshDatos,
                                        [this] { Cargar(); });
    ui->txtFiltro->setFocus();
}

void frmInquilinos::Editar() {
    editarFilaActual<frmInquilinosFicha>(
        this, ui->mshDatos, kColumnaIdInquilino, [this] { Cargar(); }, ui->txtFiltro);
}

void frmInquilinos::Borrar() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    const int id = ui->mshDatos->texto(fila, kColumnaIdInquilino).toInt();
    borrarTrasPreguntar(
        this, ui->mshDatos, motivoNoBorrar(UsadoPor::Inquilino, id),
        QStringLiteral("¿Borrar a ") + ui->mshDatos->texto(fila, 1) + QStringLiteral("?"),
        [id] { return BorrarInquilino(id); }, [this] { Cargar(); });
}

void frmInquilinos::alCambiarCelda(int fila, int columna) {
    familiaresEnCorreo_ = fila >= 1 && columna == kColumnaMail;
    colocarFamiliares();
}

void frmInquilinos::colocarFamiliares() {
    const int fila = ui->mshDatos->filaActual();
    if (fila < 1) {
        ui->cmdFamiliares->hide();
        return;
    }
    const QRect celda = ui->mshDatos->rectCelda(fila, kColumnaMail);
    ui->cmdFamiliares->setGeometry(celda.x() + celda.width(), celda.y(), celda.height() + 4,
                                   celda.height());
    // A row scrolled out of view would leave the button floating outside the grid.
    const bool enSuCelda = familiaresEnCorreo_ && ui->mshDatos->celdaVisible(fila, kColumnaMail);
    ui->cmdFamiliares->setVisible(enSuCelda);
    if (enSuCelda) ui->cmdFamiliares->raise();
}

} // namespace torvane
