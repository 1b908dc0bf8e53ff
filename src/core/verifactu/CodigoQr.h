#pragma once

#include <QList>
#include <QString>
#include <vector>

namespace torvane {

/** The modules of a QR code, row by row (true: dark); empty when the text cannot be encoded. */
using ModulosQr = std::vector<std::vector<bool>>;

/** Encodes texto as the agency asks for invoices: ISO/IEC 18004, error correction M. */
ModulosQr codificarQr(const QString& texto);

} // namespace torvane
