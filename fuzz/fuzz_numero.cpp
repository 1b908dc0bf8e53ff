// Typed amounts and whole numbers: anything is either a finite number whose shown text reads
// back as a number, or none.
#include "core/text/Formato.h"

#include <cmath>
#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    if (const auto numero = leerNumero(texto)) {
        if (!std::isfinite(*numero)) std::abort();
        formatoImporte(*numero);
        if (!leerNumero(formatoSimple(*numero))) std::abort();
    }
    if (const auto entero = leerEntero(texto)) leerNumero(QString::number(*entero));
    return 0;
}
