#pragma once

#include "core/documents/EstadoDocumento.h"
#include "ui/Ventana.h"

#include <memory>
#include <optional>

namespace Ui {
class frmPago;
}

namespace torvane {

/** Asks when and how the chosen documents were paid; accepted only with a real date. */
class frmPago : public Ventana {
    Q_OBJECT

public:
    /** cuantos: how many documents are marked, told in the question. */
    frmPago(QWidget* padre, int cuantos);
    ~frmPago() override;

    /** The date and form of payment, once accepted. */
    const std::optional<Pago>& elegido() const { return elegido_; }

protected:
    void alActivar() override;

private:
    void Aceptar();

    std::optional<Pago> elegido_;

    std::unique_ptr<Ui::frmPago> ui;
};

} // namespace torvane
