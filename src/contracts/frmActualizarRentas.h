#pragma once

#include "core/contracts/Contratos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmActualizarRentas;
}

namespace torvane {

/**
 * The yearly rent update of a month: the contracts due, the rates the user types (kept and
 * proposed again), the new rents with their calculation, applied together, and the letters.
 */
class frmActualizarRentas : public Ventana {
    Q_OBJECT

public:
    explicit frmActualizarRentas(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmActualizarRentas() override;

protected:
    void alActivar() override;

private:
    void Buscar();
    void Calcular();
    void Mostrar();
    void CambiarMarca();
    void Aplicar();
    void Imprimir();
    /** The rates typed, or nullopt after telling which is wrong. */
    std::optional<Indices> leerIndices();
    QList<RentaNueva> marcadas() const;

    std::unique_ptr<Ui::frmActualizarRentas> ui;
    const Sesion& sesion_;
    QDate mes_;
    QList<RentaNueva> rentas_;
    QList<bool> marcas_;
    QList<bool> aplicadas_;
};

} // namespace torvane
