#pragma once

#include "core/expenses/Gastos.h"
#include "ui/Ventana.h"

class QComboBox;
class QLineEdit;

namespace torvane {

/** One expense, new or changed; gasto() is what was accepted. Stores nothing itself. */
class frmGastoFicha : public Ventana {
    Q_OBJECT

public:
    frmGastoFicha(const Gasto& gasto, QWidget* padre = nullptr);
    Gasto gasto() const { return gasto_; }

private:
    void Aceptar();

    Gasto gasto_;
    QLineEdit* txtFecha_;
    QComboBox* cmbInmueble_;
    QComboBox* cmbTipo_;
    QLineEdit* txtProveedor_;
    QLineEdit* txtNif_;
    QLineEdit* txtDescripcion_;
    QLineEdit* txtImporte_;
    QLineEdit* txtIva_;
};

/** Properties, then the share keys ("Reparto: …"), as a combo lists them for an expense. */
void llenarInmueblesYRepartos(QComboBox* combo, bool conTodos);
/** The property (idInm) or key (idRep) chosen in such a combo. */
void elegidoEn(const QComboBox* combo, int& idInm, int& idRep);

} // namespace torvane
