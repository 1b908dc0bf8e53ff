// Settings lines: any bytes give a bounded line, and every line of the file can be asked for.
#include "core/store/Ajustes.h"

#include <QBuffer>
#include <cstdlib>

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    for (int n = 0; n < 3; ++n) {
        QBuffer archivo;
        archivo.setData(bytes);
        archivo.open(QIODevice::ReadOnly);
        if (lineaAjuste(archivo, n).size() > kMaximoLineaAjuste) std::abort();
    }
    if (acortarRuta(QString::fromUtf8(bytes), 40).size() > 40) std::abort();
    return 0;
}
