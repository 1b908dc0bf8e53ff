#include "contracts/frmContratos.h"

#include "ui_frmContratos.h"

#include "contracts/frmActualizarRentas.h"
#include "contracts/frmContratosFicha.h"
#include "contracts/frmVencimientos.h"
#include "core/text/Formato.h"
#include "reports/ColaImpresion.h"
#include "reports/Impresion.h"
#include "reports/Impresoras.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {

QList<Columna> columnasContratos() {
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Inmueble"), 0.21),
            Columna::texto(QStringLiteral("Inquilino"), 0.21),
            Columna::texto(QStringLiteral("Tipo"), 0.11),
            Columna::fecha(QStringLiteral("Inicio"), 0.09),
            Columna::fecha(QStringLiteral("Fin"), 0.09),
            Columna::importe(QStringLiteral("Renta"), 0.09),
            Columna::importe(QStringLiteral("Fianza"), 0.09),
            Columna::texto(QStringLiteral("Actual"), 0.06, Qt::AlignHCenter)};
}

} // namespace

frmContratos::frmContratos(const Sesion& sesion, int idInmueble, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmContratos>())
    , sesion_(sesion)
    , IdInm(idInmueble) {
    ui->setupUi(this);
    connect(ui->mshContratos, &Rejilla::elegida, this, protegido(this, &frmContratos::Editar));
    connect(ui->cmdNuevo, &QPushButton::clicked, this, protegido(this, &frmContratos::Nuevo));
    connect(ui->cmdEditar, &QPushButton::clicked, this, protegido(this, &frmContratos::Editar));
    connect(ui->cmdBorrar, &QPushButton::clicked, this, protegido(this, &frmContratos::Borrar));
    connect(ui->cmdActualizar, &QPushButton::clicked, this,
            protegido(this, &frmContratos::Actualizar));
    connect(ui->cmdVencimientos, &QPushButton::clicked, this,
            protegido(this, &frmContratos::Vencimientos));
    connect(ui->cmdListado, &QPushButton::clicked, this,
            protegido(this, [this] { Listado(QStringLiteral("Contratos")); }));
    connect(ui->cmdFianzas, &QPushButton::clicked, this,
            protegido(this, [this] { Listado(QStringLiteral("Fianzas")); }));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmContratos::reject));
    EnterPulsaBotones(this);
}

frmContratos::~frmContratos() = default;

void frmContratos::alActivar() {
    if (IdInm > 0) setWindowTitle(QStringLiteral("Contratos de ") + nombreInmueble(IdInm));
    Cargar();
    ui->mshContratos->setFocus();
}

void frmContratos::Cargar() {
    contratos_ = leerContratos(IdInm);
    QList<QStringList> filas;
    for (const Contrato& c : std::as_const(contratos_))
        filas << QStringList{QString::number(filas.size() + 1),
                             nombreInmueble(c.idInm),
                             nombreInquilino(c.idInq),
                             nombresTipos().value(static_cast<int>(c.tipo)),
                             formatoFecha(c.inicio),
                             formatoFecha(c.fin()),
                             c.renta.texto(),
                             c.fianza.texto(),
                             c.actual ? QStringLiteral("SÍ") : QStringLiteral("NO")};
    ui->mshContratos->recargarEnLaFila([&] {
        ui->mshContratos->definirColumnas(columnasContratos());
        ui->mshContratos->modelo()->fijarFilas(filas);
    });
    ui->lblInfo->setText(cuenta(filas.size(), QStringLiteral("contrato")));
}

void frmContratos::abrirFicha(int id) {
    frmContratosFicha ficha(id, IdInm, this);
    if (ficha.exec() == QDialog::Accepted) Cargar();
}

void frmContratos::Nuevo() {
    abrirFicha(0);
}

void frmContratos::Editar() {
    const int fila = ui->mshContratos->filaActual();
    if (fila < 1 || fila > contratos_.size()) return;
    abrirFicha(contratos_[fila - 1].id);
}

void frmContratos::Borrar() {
    const int fila = ui->mshContratos->filaActual();
    if (fila < 1 || fila > contratos_.size()) return;
    const Contrato& c = contratos_[fila - 1];
    if (!Mensaje::preguntar(this,
                            QStringLiteral("¿Borrar el contrato de %1 con %2, con sus "
                                           "actualizaciones de renta?")
                                .arg(nombreInmueble(c.idInm), nombreInquilino(c.idInq)),
                            Mensaje::Icono::Pregunta, Mensaje::kTitulo, true))
        return;
    borrarContrato(c.id);
    Cargar();
}

void frmContratos::Actualizar() {
    frmActualizarRentas ventana(sesion_, this);
    ventana.exec();
    Cargar();
}

void frmContratos::Vencimientos() {
    frmVencimientos ventana(sesion_, this);
    ventana.exec();
    Cargar();
}

void frmContratos::Listado(const QString& plantilla) {
    FilasInforme filas;
    {
        CursorEspera espera(this);
        filas = plantilla == QStringLiteral("Fianzas") ? filasFianzas() : filasContratos();
    }
    // This window has no «PDF» button: with no printer to take it, the list can still be kept.
    bool pdf = false;
    if (!servicioImpresionResponde() || listaImpresoras().isEmpty()) {
        if (!Mensaje::preguntar(this, QStringLiteral("No hay ninguna impresora disponible en este "
                                                     "equipo. ¿Guardar el listado como PDF?")))
            return;
        pdf = true;
    }
    imprimirFilas(this, plantilla, {}, filas, plantilla, pdf);
}

} // namespace torvane
