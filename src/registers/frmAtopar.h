#pragma once

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
    explicit frmAtopar(const QString& estado = QStringLiteral("Inquilinos"),
                       QWidget* padre = nullptr);
    ~frmAtopar() override;

    const QString Estado; ///< the list shown
    /** The code chosen; none until a row is chosen. */
    std::optional<int> elegido() const { return elegido_; }

protected:
    void alActivar() override;

private:
    void Cargar();
    void Elegir();
    void Nuevo();

    std::optional<int> elegido_;
    std::unique_ptr<Ui::frmAtopar> ui;
};

} // namespace torvane
