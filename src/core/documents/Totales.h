#pragma once

namespace torvane {

/** The five totals of a collection document. */
struct Totales {
    double subtotal = 0;
    double retencion = 0;
    double base = 0;
    double iva = 0;
    double total = 0;
};

/**
 * A document's arithmetic: withholding and VAT both on the subtotal (multiplied before dividing
 * by 100), each rounded to the cent like every amount (redondearCentimos); the total is
 * VAT + base - withholding, rounded again only to drop the binary noise of the sum.
 */
Totales calcularTotales(double subtotal, double porcentajeRetencion, double porcentajeIva);

} // namespace torvane
