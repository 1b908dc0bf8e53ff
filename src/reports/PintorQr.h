#pragma once

#include <QString>

class QPainter;
class QPaintDevice;

namespace torvane {

/*
 * The head of an issued verifiable invoice: its QR code, 35 mm square (the agency asks for 30 to
 * 40 mm), centred at the top of the first page with the legends under it.
 */

/** Height the head takes on dispositivo, in its pixels. */
double alturaCabeceraQr(const QPaintDevice& dispositivo);

/** Paints the head across ancho pixels from the painter's origin. */
void pintarCabeceraQr(QPainter& pintor, const QPaintDevice& dispositivo, double ancho,
                      const QString& texto);

} // namespace torvane
