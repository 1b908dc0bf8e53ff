// camt.053 statements come from outside: any bytes give movements or a reason, and every
// movement read has a real date, an account and a sign that agrees with it being a return.
#include "core/banking/Extracto.h"

#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    const auto r = leerCamt053(bytes);
    if (!r.ok()) {
        if (r.motivo().isEmpty()) std::abort();
        return 0;
    }
    for (const Movimiento& m : *r)
        if (!m.fecha.isValid() || m.cuenta.isEmpty() || (m.devolucion && m.centimos > 0))
            std::abort();
    return 0;
}
