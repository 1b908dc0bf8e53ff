#include "banking/frmRemesas.h"

#include "ui_frmRemesas.h"

#include "banking/frmDevolucion.h"
#include "core/banking/Remesas.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {

QList<Columna> columnasRemesas() {
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Nº"), 0.05, Qt::AlignRight),
            Columna::fecha(QStringLiteral("Hecha"), 0.09),
            Columna::fecha(QStringLiteral("Cobro"), 0.09),
            Columna::texto(QStringLiteral("Archivo"), 0.40),
            Columna::cifra(QStringLiteral("Recibos"), 0.07),
            Columna::importe(QStringLiteral("Total"), 0.11),
            Columna::cifra(QStringLiteral("Devueltos"), 0.08),
            Columna::texto(QStringLiteral("Cobrada"), 0.07, Qt::AlignHCenter)};
}

QList<Columna> columnasCobrosRemesas() {
    return {Columna::numero(),
            Columna::oculta(),
            Columna::texto(QStringLiteral("Recibo"), 0.07),
            Columna::texto(QStringLiteral("Inquilino"), 0.19),
            Columna::texto(QStringLiteral("Cuenta"), 0.21),
            Columna::texto(QStringLiteral("Mandato"), 0.13),
            Columna::texto(QStringLiteral("Sec."), 0.05, Qt::AlignHCenter),
            Columna::importe(QStringLiteral("Importe"), 0.09),
            Columna::fecha(QStringLiteral("Devuelto el"), 0.09),
            Columna::texto(QStringLiteral("Motivo"), 0.12)};
}

constexpr int kColumnaDevuelto = 8;

} // namespace

frmRemesas::frmRemesas(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmRemesas>()) {
    ui->setupUi(this);
    EnterPulsaBotones(this);
    connect(ui->mshRemesas, &Rejilla::celdaActualCambiada, this,
            protegido(this, &frmRemesas::CargarCobros));
    connect(ui->cmdCobrada, &QPushButton::clicked, this,
            protegido(this, &frmRemesas::MarcarCobrada));
    connect(ui->cmdDevolucion, &QPushButton::clicked, this,
            protegido(this, &frmRemesas::Devolucion));
    connect(ui->mshCobros, &Rejilla::elegida, this, protegido(this, &frmRemesas::Devolucion));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmRemesas::reject));
}

frmRemesas::~frmRemesas() = default;

void frmRemesas::alActivar() {
    CargarRemesas(1);
    ui->mshRemesas->setFocus();
}

void frmRemesas::CargarRemesas(int fila) {
    CursorEspera espera(this);
    const QList<QStringList> filas = filasRemesas();
    ui->mshRemesas->mostrarNumeradas(columnasRemesas(), filas, fila);
    if (filas.isEmpty()) ui->lblInfo->setText(QStringLiteral("No hay ninguna remesa este año."));
    CargarCobros();
}

int frmRemesas::RemesaActual() const {
    const int fila = ui->mshRemesas->filaActual();
    return fila < 1 ? 0 : ui->mshRemesas->texto(fila, 1).toInt();
}

void frmRemesas::CargarCobros() {
    const int id = RemesaActual();
    if (id == 0) {
        ui->mshCobros->vaciar();
        return;
    }
    const int fila = ui->mshCobros->filaActual();
    ui->mshCobros->mostrarNumeradas(columnasCobrosRemesas(), filasCobrosRemesa(id), fila);
    const int actual = ui->mshRemesas->filaActual();
    ui->lblInfo->setText(
        QStringLiteral("Remesa nº %1: %2, %3 €, %4")
            .arg(QString::number(id),
                 cuenta(ui->mshRemesas->texto(actual, 5).toInt(), QStringLiteral("recibo")),
                 ui->mshRemesas->texto(actual, 6),
                 cuenta(ui->mshRemesas->texto(actual, 7).toInt(), QStringLiteral("devuelto"))));
}

void frmRemesas::MarcarCobrada() {
    const int id = RemesaActual();
    if (id == 0) return;
    const int fila = ui->mshRemesas->filaActual();
    if (ui->mshRemesas->texto(fila, 8) == QStringLiteral("SÍ")) {
        Mensaje::informar(this, QStringLiteral("La remesa nº %1 ya está cobrada.").arg(id));
        return;
    }
    if (!Mensaje::preguntar(this, QStringLiteral("¿El banco ha cobrado la remesa nº %1? Sus "
                                                 "recibos no devueltos quedarán pagados.")
                                      .arg(id)))
        return;
    if (Mensaje::falla(this, marcarRemesaCobrada(id))) return;
    CargarRemesas(fila);
}

void frmRemesas::Devolucion() {
    const int fila = ui->mshCobros->filaActual();
    if (RemesaActual() == 0 || fila < 1) return;
    if (!ui->mshCobros->texto(fila, kColumnaDevuelto).isEmpty()) {
        Mensaje::informar(
            this,
            QStringLiteral("El recibo %1 ya está devuelto.").arg(ui->mshCobros->texto(fila, 2)));
        return;
    }
    const int idCobro = ui->mshCobros->texto(fila, 1).toInt();
    // The bank returns a debit whole, with every document it carried.
    frmDevolucion devolucion(documentosDelAdeudo(idCobro).join(QStringLiteral(", ")), this);
    if (devolucion.exec() != QDialog::Accepted) return;
    if (Mensaje::falla(this, devolverCobro(idCobro, devolucion.fecha(), devolucion.motivo())))
        return;
    CargarRemesas(ui->mshRemesas->filaActual());
    ui->mshCobros->fijarFilaActual(fila);
}

} // namespace torvane
