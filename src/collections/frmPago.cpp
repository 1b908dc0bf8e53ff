#include "collections/frmPago.h"

#include "ui_frmPago.h"

#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

frmPago::frmPago(QWidget* padre, int cuantos)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmPago>()) {
    ui->setupUi(this);
    configurarCampo(ui->mskFecha, Campo::Normal);
    configurarCampo(ui->cmbForma, Campo::Normal);
    EnterPulsaBotones(this);
    ui->cmbForma->addItems(formasDePago());
    ui->lblPregunta->setText(
        segunCuenta(cuantos, QStringLiteral("¿Marcar como pagado el recibo elegido?"),
                    QStringLiteral("¿Marcar como pagados los %1 recibos elegidos?")));
    connect(ui->cmdAceptar, &QPushButton::clicked, this, protegido(this, &frmPago::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this, protegido(this, &frmPago::reject));
}

frmPago::~frmPago() = default;

void frmPago::alActivar() {
    ui->mskFecha->setText(formatoFecha(Hoy()));
    ui->mskFecha->setFocus();
}

void frmPago::Aceptar() {
    const QDate fecha = leerFecha(ui->mskFecha->text());
    if (!fecha.isValid()) {
        Mensaje::informar(this, QStringLiteral("Ponga una fecha correcta"));
        ui->mskFecha->setFocus();
        return;
    }
    elegido_ = Pago{fecha, ui->cmbForma->currentText()};
    accept();
}

} // namespace torvane
