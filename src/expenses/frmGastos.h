#pragma once

#include "core/expenses/Gastos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace torvane {

class Rejilla;

/**
 * «Gastos»: the expenses of a period, of every property or of one (its shared ones included),
 * filtered by kind and text, with their totals; added, changed, removed and exported here.
 */
class frmGastos : public Ventana {
    Q_OBJECT

public:
    /** idInm: the property the list opens on (0: all of them). */
    /** The expenses of the property idInm, or of every property (0). */
    frmGastos(const Sesion& sesion, int idInm, QWidget* padre = nullptr);

protected:
    void alActivar() override;

private:
    void Buscar();
    void Editar(bool nuevo);
    void Borrar();
    void Repartos();
    const Gasto* Actual() const;

    const Sesion& sesion_;
    int idInm_;
    QLineEdit* txtDesde_;
    QLineEdit* txtHasta_;
    QComboBox* cmbInmueble_;
    QComboBox* cmbTipo_;
    QLineEdit* txtTexto_;
    Rejilla* mshGastos_;
    QLabel* lblTotales_;
    QList<Gasto> gastos_;
};

} // namespace torvane
