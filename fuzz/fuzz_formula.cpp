// The report selection formula: only "{tblCobros.Id} = n" picks a document, and n is positive.
#include "data/DatosInforme.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    if (const auto id = leerFormulaSeleccion(texto); id && *id < 0) std::abort();
    return 0;
}
