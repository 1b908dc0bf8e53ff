#pragma once

#include "ui/Ventana.h"

#include <memory>
#include <optional>

namespace Ui {
class frmRectificar;
}

namespace torvane {

/** Asks the type and reason of a rectification and creates the rectifying invoice. */
class frmRectificar : public Ventana {
    Q_OBJECT

public:
    /** Rectifies the issued invoice idFactura. */
    explicit frmRectificar(int idFactura, QWidget* padre = nullptr);
    ~frmRectificar() override;

    /** The rectifying invoice created, once accepted. */
    std::optional<int> rectificativa() const { return IdNuevo; }

protected:
    void alActivar() override;

private:
    void Aceptar();

    std::unique_ptr<Ui::frmRectificar> ui;
    int IdOriginal = 0; ///< the issued invoice corrected
    std::optional<int> IdNuevo;
};

} // namespace torvane
