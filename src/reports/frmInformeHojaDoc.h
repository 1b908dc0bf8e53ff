#pragma once

#include "reports/VentanaInforme.h"

#include <memory>

namespace Ui {
class frmInformeHojaDoc;
}

namespace torvane {

/**
 * Preview of one collection document, as stored, with the template plantilla ("Recibo" or
 * "Factura"). exec() tells the user when the report cannot be built, and the window never
 * appears.
 */
class frmInformeHojaDoc : public VentanaInforme {
    Q_OBJECT

public:
    frmInformeHojaDoc(QWidget* padre, const QString& plantilla, int documento);
    ~frmInformeHojaDoc() override;

    int exec() override;

private:
    std::unique_ptr<Ui::frmInformeHojaDoc> ui;
    QString plantilla_;
    int documento_;
};

} // namespace torvane
