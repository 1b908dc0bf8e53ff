#pragma once

#include "registers/AperturasRegistros.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInmuebles;
}

namespace torvane {

/** The property register: properties with their address and tenant, narrowed by a typed text. */
class frmInmuebles : public Ventana {
    Q_OBJECT

public:
    explicit frmInmuebles(AperturasRegistros& aperturas, QWidget* padre = nullptr);
    ~frmInmuebles() override;

protected:
    void alActivar() override;

private:
    void Cargar();
    void Nuevo();
    void Editar();
    void Borrar();

    std::unique_ptr<Ui::frmInmuebles> ui;
    AperturasRegistros& aperturas_;
};

} // namespace torvane
