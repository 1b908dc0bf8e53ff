#include "reports/frmInformeHojaDoc.h"

#include "ui_frmInformeHojaDoc.h"

namespace torvane {

frmInformeHojaDoc::frmInformeHojaDoc(QWidget* padre, const QString& plantilla, int documento)
    : VentanaInforme(padre)
    , ui(std::make_unique<Ui::frmInformeHojaDoc>())
    , plantilla_(plantilla)
    , documento_(documento) {
    ui->setupUi(this);
    ui->layVentana->addWidget(panelVisor(), 1);
    conectarBotones(ui->cmdImpresora, ui->cmdPDF);
}

frmInformeHojaDoc::~frmInformeHojaDoc() = default;

int frmInformeHojaDoc::exec() {
    if (!mostrar([this] { return abrirDocumento(plantilla_, documento_); }))
        return QDialog::Rejected;
    return VentanaInforme::exec();
}

} // namespace torvane
