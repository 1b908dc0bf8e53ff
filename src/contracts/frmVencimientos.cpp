#include "contracts/frmVencimientos.h"

#include "ui_frmVencimientos.h"

#include "contracts/frmActualizarRentas.h"
#include "contracts/frmContratosFicha.h"
#include "core/text/Formato.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {

constexpr int kDias = 60;

QList<Columna> columnasVencimientos() {
    return {Columna::numero(),
            Columna::fecha(QStringLiteral("Fecha"), 0.08),
            Columna::texto(QStringLiteral("Qué"), 0.10),
            Columna::texto(QStringLiteral("Inmueble"), 0.14),
            Columna::texto(QStringLiteral("Inquilino"), 0.14),
            Columna::texto(QStringLiteral("Detalle"), 0.50)};
}

} // namespace

frmVencimientos::frmVencimientos(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmVencimientos>())
    , sesion_(sesion) {
    ui->setupUi(this);
    connect(ui->mshVencimientos, &Rejilla::elegida, this, protegido(this, &frmVencimientos::Abrir));
    connect(ui->cmdAbrir, &QPushButton::clicked, this, protegido(this, &frmVencimientos::Abrir));
    connect(ui->cmdActualizar, &QPushButton::clicked, this,
            protegido(this, &frmVencimientos::Actualizar));
    connect(ui->cmdCerrar, &QPushButton::clicked, this, protegido(this, &frmVencimientos::reject));
    EnterPulsaBotones(this);
}

frmVencimientos::~frmVencimientos() = default;

bool frmVencimientos::hayVencimientos() {
    return !vencimientos(Hoy(), kDias).isEmpty();
}

void frmVencimientos::alActivar() {
    Cargar();
    ui->mshVencimientos->setFocus();
}

void frmVencimientos::Cargar() {
    lista_ = vencimientos(Hoy(), kDias);
    QList<QStringList> filas;
    for (const Vencimiento& v : std::as_const(lista_)) {
        const auto c = leerContrato(v.idCon);
        filas << QStringList{QString::number(filas.size() + 1),
                             formatoFecha(v.fecha),
                             v.clase,
                             c ? nombreInmueble(c->idInm) : QString(),
                             c ? nombreInquilino(c->idInq) : QString(),
                             v.detalle};
    }
    ui->mshVencimientos->recargarEnLaFila([&] {
        ui->mshVencimientos->definirColumnas(columnasVencimientos());
        ui->mshVencimientos->modelo()->fijarFilas(filas);
    });
    ui->lblInfo->setText(filas.isEmpty()
                             ? QStringLiteral("Nada vence en los próximos %1 días").arg(kDias)
                             : QStringLiteral("Vence hasta el %1 (o ya venció): %2")
                                   .arg(formatoFecha(Hoy().addDays(kDias)))
                                   .arg(filas.size()));
}

void frmVencimientos::Abrir() {
    const int fila = ui->mshVencimientos->filaActual();
    if (fila < 1 || fila > lista_.size()) return;
    frmContratosFicha ficha(lista_[fila - 1].idCon, 0, this);
    if (ficha.exec() == QDialog::Accepted) Cargar();
}

void frmVencimientos::Actualizar() {
    frmActualizarRentas ventana(sesion_, this);
    ventana.exec();
    Cargar();
}

} // namespace torvane
