#include "banking/frmDevolucion.h"

#include "ui_frmDevolucion.h"

#include "core/banking/Remesas.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

frmDevolucion::frmDevolucion(const QString& documento, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmDevolucion>())
    , Documento(documento) {
    ui->setupUi(this);
    configurarCampo(ui->mskFecha, Campo::Normal);
    configurarCampo(ui->cmbMotivo, Campo::Normal);
    EnterPulsaBotones(this);
    ui->cmbMotivo->addItems(motivosDevolucion());
    connect(ui->cmdAceptar, &QPushButton::clicked, this, protegido(this, &frmDevolucion::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this, protegido(this, &frmDevolucion::reject));
}

frmDevolucion::~frmDevolucion() = default;

void frmDevolucion::alActivar() {
    ui->lblDocumento->setText(
        Documento.contains(u',')
            ? QStringLiteral("Recibos %1 (un solo adeudo): vuelven a quedar pendientes y la "
                             "próxima remesa los enviará de nuevo.")
                  .arg(Documento)
            : QStringLiteral("Recibo %1: vuelve a quedar pendiente y la próxima remesa lo enviará "
                             "de nuevo.")
                  .arg(Documento));
    ui->mskFecha->setText(formatoFecha(Hoy()));
    ui->mskFecha->setFocus();
}

void frmDevolucion::Aceptar() {
    const QDate fecha = leerFecha(ui->mskFecha->text());
    if (!fecha.isValid()) {
        Mensaje::informar(this, QStringLiteral("Ponga una fecha correcta"));
        ui->mskFecha->setFocus();
        return;
    }
    Fecha = fecha;
    Motivo = ui->cmbMotivo->currentText();
    accept();
}

} // namespace torvane
