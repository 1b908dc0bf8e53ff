#include "registers/frmInmuebles.h"
#include "ui_frmInmuebles.h"

#include "core/contracts/Contratos.h"
#include "core/documents/Documentos.h"
#include "core/registers/ListasRegistros.h"
#include "registers/ComunRegistros.h"
#include "registers/frmInmueblesFicha.h"
#include "ui/Exportar.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {
constexpr int kColumnaId = 4;
} // namespace

frmInmuebles::frmInmuebles(AperturasRegistros& aperturas, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmInmuebles>())
    , aperturas_(aperturas) {
    ui->setupUi(this);
    // Property reports come from the reports window; this button never had a task.
    ui->cmdInformes->hide();
    configurarCampo(ui->txtFiltro, Campo::ColorFoco);
    connect(ui->cmdFiltrar, &QPushButton::clicked, this, protegido(this, &frmInmuebles::Cargar));
    connect(ui->txtFiltro, &QLineEdit::returnPressed, this, protegido(this, &frmInmuebles::Cargar));
    connect(ui->cmdNovo, &QPushButton::clicked, this, protegido(this, &frmInmuebles::Nuevo));
    connect(ui->cmdEditar, &QPushButton::clicked, this, protegido(this, &frmInmuebles::Editar));
    connect(ui->mshDatos, &Rejilla::elegida, this, protegido(this, &frmInmuebles::Editar));
    connect(ui->cmdBorrar, &QPushButton::clicked, this, protegido(this, &frmInmuebles::Borrar));
    conectarExportar(ui->cmdExportar, ui->mshDatos, QStringLiteral("Inmuebles"));
}

frmInmuebles::~frmInmuebles() = default;

void frmInmuebles::alActivar() {
    Cargar();
    ui->txtFiltro->setFocus();
}

void frmInmuebles::Cargar() {
    CursorEspera espera(this);
    mostrarLista(ui->mshDatos,
                 {Columna::numero(), Columna::texto(QStringLiteral("Descripción"), 0.3),
                  Columna::texto(QStringLiteral("Dirección"), 0.3),
                  Columna::texto(QStringLiteral("Inquilino"), 0.3), Columna::oculta(),
                  Columna::oculta()},
                 ListaInmuebles(ui->txtFiltro->text()), ui->lblInfo, QStringLiteral("inmueble"));
}

void frmInmuebles::Nuevo() {
    abrirFichaNueva<frmInmueblesFicha>(
        this, QStringLiteral("Inmueble Nuevo"), ui->mshDatos, [this] { Cargar(); }, aperturas_);
    ui->txtFiltro->setFocus();
}

void frmInmuebles::Editar() {
    editarFilaActual<frmInmueblesFicha>(
        this, ui->mshDatos, kColumnaId, [this] { Cargar(); }, ui->txtFiltro, aperturas_);
}

void frmInmuebles::Borrar() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    const int id = ui->mshDatos->texto(fila, kColumnaId).toInt();
    borrarTrasPreguntar(
        this, ui->mshDatos, motivoNoBorrarInmueble(id),
        QStringLiteral("¿Borrar el inmueble ") + ui->mshDatos->texto(fila, 1) + QStringLiteral("?"),
        [id] { return BorrarInmueble(id); }, [this] { Cargar(); });
}

} // namespace torvane
