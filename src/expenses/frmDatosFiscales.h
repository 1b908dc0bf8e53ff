#pragma once

#include "core/expenses/Gastos.h"
#include "ui/Ventana.h"

class QCheckBox;
class QLineEdit;

namespace torvane {

/** A property's data for the income-tax return; datos() is what was accepted. */
class frmDatosFiscales : public Ventana {
    Q_OBJECT

public:
    frmDatosFiscales(const DatosFiscales& datos, QWidget* padre = nullptr);
    DatosFiscales datos() const { return datos_; }

private:
    void Aceptar();

    DatosFiscales datos_;
    QLineEdit* txtCatastral_;
    QLineEdit* txtConstruccion_;
    QCheckBox* chkRevisado_;
    QLineEdit* txtCoste_;
    QLineEdit* txtFecha_;
    QLineEdit* txtMejoras_;
    QLineEdit* txtMobiliario_;
    QCheckBox* chkVivienda_;
};

} // namespace torvane
