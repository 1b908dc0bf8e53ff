#include "core/documents/Totales.h"

namespace torvane {

Resultado<Totales> calcularTotales(Importe subtotal, Decimal porcentajeRetencion,
                                   Decimal porcentajeIva) {
    const auto retencion = subtotal.porcentaje(porcentajeRetencion);
    const auto iva = subtotal.porcentaje(porcentajeIva);
    if (!subtotal.dentroDelLimite() || !retencion || !iva) return Fallo{textoDemasiadoGrande()};
    const Totales t{subtotal, *retencion, subtotal, *iva, *iva + subtotal - *retencion};
    if (!t.total.dentroDelLimite()) return Fallo{textoDemasiadoGrande()};
    return t;
}

} // namespace torvane
