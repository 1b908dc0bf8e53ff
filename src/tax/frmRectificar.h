#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmRectificar;
}

namespace torvane {

/** Asks the type and reason of a rectification and creates the rectifying invoice. */
class frmRectificar : public Ventana {
    Q_OBJECT

public:
    explicit frmRectificar(QWidget* padre = nullptr);
    ~frmRectificar() override;

    int IdOriginal = 0; ///< the issued invoice corrected
    int IdNuevo = 0;    ///< the rectifying invoice created, once accepted

protected:
    void alActivar() override;

private:
    void Aceptar();

    std::unique_ptr<Ui::frmRectificar> ui;
};

} // namespace torvane
