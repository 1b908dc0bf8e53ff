#include "reports/PintorQr.h"

#include "core/reports/DatosInforme.h"
#include "core/verifactu/CodigoQr.h"
#include "reports/LetraInforme.h"

#include <QFontMetricsF>
#include <QPainter>

namespace torvane {

namespace {

constexpr double kLadoMm = 35;
// Blank around the code: its quiet zone of four modules (under 1 mm each) and more.
constexpr double kMargenMm = 4;

double pixeles(const QPaintDevice& dispositivo, double mm) {
    return mm * dispositivo.logicalDpiY() / 25.4;
}

} // namespace

double alturaCabeceraQr(const QPaintDevice& dispositivo) {
    const double linea = QFontMetricsF(letraInforme(8), &dispositivo).height();
    return pixeles(dispositivo, kLadoMm + 2 * kMargenMm) + 2 * linea + pixeles(dispositivo, 2);
}

void pintarCabeceraQr(QPainter& pintor, const QPaintDevice& dispositivo, double ancho,
                      const QString& texto) {
    const ModulosQr modulos = codificarQr(texto);
    if (modulos.empty()) return;
    const double lado = pixeles(dispositivo, kLadoMm);
    const double margen = pixeles(dispositivo, kMargenMm);
    const double modulo = lado / static_cast<double>(modulos.size());
    const double izquierda = (ancho - lado) / 2;
    pintor.save();
    pintor.fillRect(QRectF(izquierda - margen, 0, lado + 2 * margen, lado + 2 * margen), Qt::white);
    for (size_t fila = 0; fila < modulos.size(); ++fila)
        for (size_t col = 0; col < modulos.size(); ++col)
            if (modulos[fila][col])
                // A hair wider, so neighbouring modules leave no white seam between them.
                pintor.fillRect(QRectF(izquierda + col * modulo, margen + fila * modulo,
                                       modulo * 1.02, modulo * 1.02),
                                Qt::black);
    const double pie = lado + 2 * margen;
    QFont letra = letraInforme(8);
    const double linea = QFontMetricsF(letra, &dispositivo).height();
    letra.setBold(true);
    pintor.setFont(letra);
    pintor.setPen(Qt::black);
    pintor.drawText(QRectF(0, pie, ancho, linea), Qt::AlignHCenter | Qt::AlignTop,
                    QStringLiteral("VERI*FACTU"));
    letra.setBold(false);
    pintor.setFont(letra);
    pintor.drawText(QRectF(0, pie + linea, ancho, linea), Qt::AlignHCenter | Qt::AlignTop,
                    QStringLiteral("Factura verificable en la sede electrónica de la AEAT"));
    pintor.restore();
}

} // namespace torvane
