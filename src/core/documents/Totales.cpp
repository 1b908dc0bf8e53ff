#include "core/documents/Totales.h"

#include "core/text/Formato.h"

namespace torvane {

Totales calcularTotales(double subtotal, double porcentajeRetencion, double porcentajeIva) {
    Totales t;
    t.subtotal = redondearCentimos(subtotal);
    t.retencion = redondearCentimos(porcentajeRetencion * t.subtotal / 100.0);
    t.base = t.subtotal;
    t.iva = redondearCentimos(porcentajeIva * t.subtotal / 100.0);
    t.total = redondearCentimos(t.iva + t.base - t.retencion);
    return t;
}

} // namespace torvane
