#include "reports/frmInformeHojaDoc.h"

#include "ui_frmInformeHojaDoc.h"

frmInformeHojaDoc::frmInformeHojaDoc(QWidget* padre)
    : VentanaInforme(padre)
    , ui(std::make_unique<Ui::frmInformeHojaDoc>()) {
    ui->setupUi(this);
    ui->layVentana->addWidget(panelVisor(), 1);
    conectarBotones(ui->cmdImpresora, ui->cmdPDF);
}

frmInformeHojaDoc::~frmInformeHojaDoc() = default;

int frmInformeHojaDoc::exec() {
    if (!construir()) return QDialog::Rejected;
    return VentanaInforme::exec();
}

bool frmInformeHojaDoc::construir() {
    if (Tipo == QLatin1String("Recibo"))
        return mostrar(Tipo, {{QStringLiteral("pTotal"), Total}}, Filtro);
    if (Tipo == QLatin1String("Factura"))
        return mostrar(Tipo,
                       {{QStringLiteral("pSubTotal"), SubTotal},
                        {QStringLiteral("pPorRet"), PorRet},
                        {QStringLiteral("pRet"), Ret},
                        {QStringLiteral("pBase"), Base},
                        {QStringLiteral("pPorIva"), PorIva},
                        {QStringLiteral("pIVA"), IVA},
                        {QStringLiteral("pTotal"), Total},
                        {QStringLiteral("pObs"), Obs}},
                       Filtro);
    return true;
}
