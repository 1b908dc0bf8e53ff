#include "core/verifactu/CodigoQr.h"

#include <memory>
#include <qrencode.h>

namespace torvane {

ModulosQr codificarQr(const QString& texto) {
    const QByteArray datos = texto.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> qr(
        QRcode_encodeString8bit(datos.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!qr) return {};
    ModulosQr modulos(qr->width, std::vector<bool>(qr->width));
    for (int fila = 0; fila < qr->width; ++fila)
        for (int col = 0; col < qr->width; ++col)
            modulos[fila][col] = (qr->data[fila * qr->width + col] & 1) != 0;
    return modulos;
}

} // namespace torvane
