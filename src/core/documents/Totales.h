#pragma once

#include "core/store/Importe.h"

namespace torvane {

/** The five totals of a collection document. */
struct Totales {
    Importe subtotal;
    Importe retencion;
    Importe base;
    Importe iva;
    Importe total;
};

/**
 * A document's arithmetic: withholding and VAT both quotas of the subtotal, each rounded once to
 * the cent (Importe::porcentaje); the total is VAT + base - withholding, exact. Refused when a
 * quota or the total would pass the amount limit.
 */
Resultado<Totales> calcularTotales(Importe subtotal, Decimal porcentajeRetencion,
                                   Decimal porcentajeIva);

} // namespace torvane
