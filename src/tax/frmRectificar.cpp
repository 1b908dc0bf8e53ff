#include "tax/frmRectificar.h"

#include "ui_frmRectificar.h"

#include "core/documents/Documentos.h"
#include "core/documents/Registros.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

frmRectificar::frmRectificar(int idFactura, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmRectificar>())
    , IdOriginal(idFactura) {
    ui->setupUi(this);
    configurarCampo(ui->cmbTipo, Campo::EnterComoTab | Campo::ColorFoco);
    configurarCampo(ui->txtMotivo, Campo::ColorFoco | Campo::SeleccionarTodo);
    configurarCampo(ui->cmbModo, Campo::EnterComoTab | Campo::ColorFoco);
    for (const auto& [codigo, descripcion] : tiposRectificativa())
        ui->cmbTipo->addItem(codigo + QStringLiteral(" — ") + descripcion, codigo);
    connect(ui->txtMotivo, &QLineEdit::returnPressed, this,
            protegido(this, &frmRectificar::Aceptar));
    connect(ui->cmdAceptar, &QPushButton::clicked, this, protegido(this, &frmRectificar::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this, protegido(this, &frmRectificar::reject));
}

frmRectificar::~frmRectificar() = default;

void frmRectificar::alActivar() {
    if (const auto c = leerCabecera(IdOriginal))
        ui->lblFactura->setText(QStringLiteral("Factura %1%2 del %3, total %4 €")
                                    .arg(c->num.value_or(0))
                                    .arg(c->ser, formatoFecha(c->fec), c->totales.total.texto()));
    ui->cmbTipo->setFocus();
}

void frmRectificar::Aceptar() {
    const Resultado<int> nueva =
        rectificarFactura(IdOriginal, ui->cmbTipo->currentData().toString(), ui->txtMotivo->text(),
                          ui->cmbModo->currentIndex() == 1);
    if (!nueva) {
        Mensaje::informar(this, nueva.motivo(), Mensaje::Icono::Exclamacion);
        ui->txtMotivo->setFocus();
        return;
    }
    IdNuevo = *nueva;
    accept();
}

} // namespace torvane
