#pragma once

#include "core/contracts/Contratos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmVencimientos;
}

namespace torvane {

/**
 * What falls due in the next 60 days (and what is overdue): contracts ending with their notice
 * dates, rent updates and deposits to return. Enter opens the contract.
 */
class frmVencimientos : public Ventana {
    Q_OBJECT

public:
    explicit frmVencimientos(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmVencimientos() override;

    /** Whether anything falls due: the start-up notice shows only then. */
    static bool hayVencimientos();

protected:
    void alActivar() override;

private:
    void Cargar();
    void Abrir();
    void Actualizar();

    std::unique_ptr<Ui::frmVencimientos> ui;
    const Sesion& sesion_;
    QList<Vencimiento> lista_;
};

} // namespace torvane
