// Typed amounts, rates and whole numbers: anything is either a value within the type's limit
// whose shown text reads back as the same value, or a refusal.
#include "core/store/Importe.h"
#include "core/text/Formato.h"

#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    if (const auto importe = Importe::leer(texto)) {
        if (!importe->dentroDelLimite()) std::abort();
        const auto leido = Importe::leer(importe->texto());
        if (!leido || *leido != *importe ||
            Importe::leer(importe->textoSimple()).valorO({}) != *importe)
            std::abort();
    }
    if (const auto numero = Decimal::leer(texto)) {
        const auto leido = Decimal::leer(numero->texto());
        if (!leido || *leido != *numero) std::abort();
    }
    if (const auto entero = leerEntero(texto))
        if (!Decimal::leer(QString::number(*entero))) std::abort();
    return 0;
}
