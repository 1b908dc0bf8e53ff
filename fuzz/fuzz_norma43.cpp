// Cuaderno 43 statements come from outside: any bytes give movements or a reason, and every
// movement read has a real date, a valid account and an amount within the file's 14 digits.
#include "core/banking/Extracto.h"
#include "core/text/Identificadores.h"

#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    const auto r = leerNorma43(bytes);
    if (!r.ok()) {
        if (r.motivo().isEmpty()) std::abort();
        return 0;
    }
    for (const Movimiento& m : *r)
        if (!m.fecha.isValid() || !ibanValido(m.cuenta) || m.centimos > 99999999999999LL ||
            m.centimos < -99999999999999LL || m.linea < 1)
            std::abort();
    return 0;
}
