#pragma once

#include "core/store/Sesion.h"
#include "core/tax/RentaInmuebles.h"
#include "ui/Ventana.h"

class QLabel;
class QLineEdit;

namespace torvane {

class Rejilla;

/**
 * «Renta del año por inmueble»: each property's figures for the income-tax return of a year,
 * and below them where each one comes from; exported as a sheet and printed through the list
 * template RentaInmuebles.
 */
class frmRentaInmuebles : public Ventana {
    Q_OBJECT

public:
    explicit frmRentaInmuebles(const Sesion& sesion, QWidget* padre = nullptr);

protected:
    void alActivar() override;

private:
    void Calcular();
    void IrAlDetalle();
    void Imprimir(bool pdf);
    QString Titulo() const;

    const Sesion& sesion_;
    QLineEdit* txtAno_;
    QLabel* lblVista_;
    Rejilla* mshResumen_;
    Rejilla* mshDetalle_;
    QList<RentaInmueble> rentas_;
    int ano_ = 0;
};

} // namespace torvane
