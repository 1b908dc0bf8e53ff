#pragma once

#include "registers/AperturasRegistros.h"
#include "ui/Ventana.h"

#include <memory>
#include <optional>

namespace Ui {
class frmAtopar;
}

namespace torvane {

/**
 * The one picker: lists tenants, properties or concepts (Estado "Inquilinos", "Inmuebles",
 * "Conceptos"), narrows them by a typed text and gives back the chosen code; Escape gives none.
 */
class frmAtopar : public Ventana {
    Q_OBJECT

public:
    frmAtopar(AperturasRegistros& aperturas, const QString& estado, QWidget* padre = nullptr);
    ~frmAtopar() override;

    /** The list shown: "Inquilinos", "Inmuebles" or "Conceptos". */
    const QString& lista() const { return Estado; }
    /** The code chosen; none until a row is chosen. */
    std::optional<int> elegido() const { return elegido_; }

protected:
    void alActivar() override;

private:
    void Cargar();
    void Elegir();
    void Nuevo();

    AperturasRegistros& aperturas_;
    const QString Estado; ///< the list shown
    std::optional<int> elegido_;
    std::unique_ptr<Ui::frmAtopar> ui;
};

} // namespace torvane
