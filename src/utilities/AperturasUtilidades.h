#pragma once

class QWidget;

namespace torvane {

/**
 * The lists «Configuración» opens: VAT rates, series and the billing records. It knows only
 * this; the program implements it where every window is known.
 */
class AperturasUtilidades {
public:
    virtual void ivas(QWidget* padre) = 0;
    virtual void series(QWidget* padre) = 0;
    virtual void registrosVerifactu(QWidget* padre) = 0;

protected:
    ~AperturasUtilidades() = default;
};

} // namespace torvane
