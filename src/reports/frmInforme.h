#pragma once

#include "core/store/Sesion.h"
#include "reports/VentanaInforme.h"

#include <memory>

namespace Ui {
class frmInforme;
}

namespace torvane {

/**
 * The three lists (properties, tenants, documents): a click shows one in the viewer,
 * "&Impresora" prints it on the reports printer and "&PDF" on the PDF one.
 */
class frmInforme : public VentanaInforme {
    Q_OBJECT

public:
    explicit frmInforme(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmInforme() override;

private:
    void mostrarElegido();

    std::unique_ptr<Ui::frmInforme> ui;
    const Sesion& sesion_;
};

} // namespace torvane
