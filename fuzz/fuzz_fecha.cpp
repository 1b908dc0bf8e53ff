// Typed and stored dates: a date read is real and reads back the same from its own text.
#include "core/text/Formato.h"

#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    const QDate fecha = leerFecha(texto);
    if (fecha.isValid() && leerFecha(formatoFecha(fecha)) != fecha) std::abort();
    const QDate iso = desdeIso(texto);
    if (iso.isValid() && desdeIso(fechaIso(iso)) != iso) std::abort();
    return 0;
}
