#pragma once

#include "core/contracts/Contratos.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmContratosFicha;
}

namespace torvane {

/**
 * One contract: parties, kind, dates, rent and its update rule, the deposit and its return.
 * Written on Accept; a current contract also sets the property's tenant and price.
 */
class frmContratosFicha : public Ventana {
    Q_OBJECT

public:
    /** The contract id, or a new one (0) proposed for the property idInmueble. */
    frmContratosFicha(int id, int idInmueble, QWidget* padre = nullptr);
    ~frmContratosFicha() override;

protected:
    void alActivar() override;

private:
    void Cargar(const Contrato& c);
    void MostrarFin();
    /** The contract as typed, or nullopt after telling what is wrong. */
    std::optional<Contrato> Leer();
    void Aceptar();

    std::unique_ptr<Ui::frmContratosFicha> ui;
    int Id = 0;    ///< 0: a new contract
    int IdInm = 0; ///< the property proposed for a new one
    Contrato contrato_;
};

} // namespace torvane
