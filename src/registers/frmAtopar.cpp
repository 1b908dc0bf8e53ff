#include "registers/frmAtopar.h"
#include "ui_frmAtopar.h"

#include "core/registers/ListasRegistros.h"
#include "registers/ComunRegistros.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinosFicha.h"
#include "ui/CursorEspera.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

frmAtopar::frmAtopar(AperturasRegistros& aperturas, const QString& estado, QWidget* padre)
    : Ventana(padre)
    , aperturas_(aperturas)
    , Estado(estado)
    , ui(std::make_unique<Ui::frmAtopar>()) {
    ui->setupUi(this);
    configurarCampo(ui->txtFiltro, Campo::ColorFoco);
    connect(ui->cmdFiltrar, &QPushButton::clicked, this, protegido(this, &frmAtopar::Cargar));
    connect(ui->txtFiltro, &QLineEdit::returnPressed, this, protegido(this, &frmAtopar::Cargar));
    connect(ui->cmdNuevo, &QPushButton::clicked, this, protegido(this, &frmAtopar::Nuevo));
    connect(ui->mshDatos, &Rejilla::elegida, this, protegido(this, &frmAtopar::Elegir));
}

frmAtopar::~frmAtopar() = default;

void frmAtopar::alActivar() {
    Cargar();
    ui->txtFiltro->setFocus();
}

void frmAtopar::Cargar() {
    CursorEspera espera(this);
    const QString codigo = QStringLiteral("Código");
    QList<Columna> columnas{Columna::numero(), Columna::texto(codigo, 0.1)};
    QString nombre;
    if (Estado == QStringLiteral("Inquilinos")) {
        columnas << Columna::texto(QStringLiteral("Nombre"), 0.4);
        nombre = QStringLiteral("inquilino");
    } else if (Estado == QStringLiteral("Inmuebles")) {
        columnas << Columna::texto(QStringLiteral("Inmueble"), 0.4)
                 << Columna::texto(QStringLiteral("Inquilino"), 0.4);
        nombre = QStringLiteral("inmueble");
    } else {
        columnas << Columna::texto(QStringLiteral("Descripción"), 0.4);
        nombre = QStringLiteral("concepto");
    }
    mostrarLista(ui->mshDatos, columnas, ListaAtopar(Estado, ui->txtFiltro->text()), ui->lblInfo,
                 nombre);
}

void frmAtopar::Elegir() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    bool numero = false;
    const int id = ui->mshDatos->texto(fila, 1).toInt(&numero);
    if (!numero) return;
    elegido_ = id;
    accept();
}

void frmAtopar::Nuevo() {
    const auto recargar = [this] { Cargar(); };
    if (Estado == QStringLiteral("Inquilinos")) {
        abrirFichaNueva<frmInquilinosFicha>(this, QStringLiteral("Inquilino nuevo"), ui->mshDatos,
                                            recargar);
    } else if (Estado == QStringLiteral("Inmuebles")) {
        abrirFichaNueva<frmInmueblesFicha>(this, QStringLiteral("Inmueble nuevo"), ui->mshDatos,
                                           recargar, aperturas_);
    } else if (Estado == QStringLiteral("Conceptos")) {
        {
            CursorEspera espera(this);
            aperturas_.conceptos(this);
        }
        ui->mshDatos->recargarEnLaFila(recargar);
    }
}

} // namespace torvane
