#include "reports/frmInforme.h"

#include "ui_frmInforme.h"

#include "reports/frmRentaInmuebles.h"
#include "reports/frmResumenFiscal.h"
#include "ui/Protegido.h"

#include <QCoreApplication>

namespace torvane {

frmInforme::frmInforme(const Sesion& sesion, QWidget* padre)
    : VentanaInforme(padre)
    , ui(std::make_unique<Ui::frmInforme>())
    , sesion_(sesion) {
    ui->setupUi(this);
    ui->layVentana->addWidget(panelVisor(), 1);
    connect(ui->lstInforme, &QListWidget::itemClicked, this,
            protegido(this, &frmInforme::mostrarElegido));
    connect(ui->lstInforme, &QListWidget::itemActivated, this,
            protegido(this, &frmInforme::mostrarElegido));
    // A landlord pressing "PDF" expects a PDF here too, as in the document preview.
    conectarBotones(ui->cmdImpresora, ui->cmdPDF);
}

frmInforme::~frmInforme() = default;

void frmInforme::mostrarElegido() {
    const QListWidgetItem* elegido = ui->lstInforme->currentItem();
    if (!elegido) return;
    const QString nombre = elegido->text();
    if (nombre == QLatin1String("Resumen fiscal")) {
        // A window of its own: it chooses a period and holds several sections.
        frmResumenFiscal resumen(sesion_, this);
        resumen.exec();
        return;
    }
    if (nombre == QLatin1String("Renta del año por inmueble")) {
        frmRentaInmuebles renta(sesion_, this);
        renta.exec();
        return;
    }
    const ParametrosInforme parametros = {
        {QStringLiteral("pEmpresa"), QCoreApplication::applicationName()},
        {QStringLiteral("pTitulo"), nombre}};
    // After an engine error the window is of no more use: it closes once the message is read.
    if (!mostrarLista(nombre, parametros)) reject();
}

} // namespace torvane
