#pragma once

#include <QColor>
#include <array>

class QWidget;

namespace torvane {

/*
 * The two colours of the scheme. Settings hold them as 0x00BBGGRR numbers (red in the low
 * byte); windows read them each time they paint, so a change applies to what is painted next.
 */

QColor colorDesdeNumero(int bgr);
int numeroDesdeColor(const QColor& color);

/** The two palettes of the colour window as 0x00BBGGRR numbers, index 0-9. */
inline constexpr std::array<int, 10> kPaletaPrincipal = {0xEFEDF9, 0xF9F4E8, 0xDFF5FA, 0xFFFFFF,
                                                         0xC0FFC0, 0xD4D0E6, 0xFFC0FF, 0xFFFFC0,
                                                         0x7BDBB6, 0xE9E3D5};
inline constexpr std::array<int, 10> kPaletaFondo = {0xC8C0F2, 0xFAE7BA, 0x56D7F5, 0xCAC9C5,
                                                     0xC0FFC0, 0x9F8EF0, 0xFFC0FF, 0xFFFFC0,
                                                     0x7BDBB6, 0xEAC97D};

/** Current ColorPrincipal / ColorFondo of the process; the first of its palette when unset. */
QColor colorPrincipal();
QColor colorFondo();

/** Black or white, whichever reads better on the background. */
QColor colorTexto(const QColor& fondo);

/** The colour itself, or a darker shade of it when it would hardly show on white. */
QColor colorSobreBlanco(const QColor& color);

inline const QColor kBlanco = QColor(0xFF, 0xFF, 0xFF);

/** Paints a widget's background (entry boxes, labels, frames) and a text colour that contrasts. */
void pintarFondo(QWidget* widget, const QColor& color);

/** The background a widget was last painted with by pintarFondo(). */
QColor fondoDe(const QWidget* widget);

} // namespace torvane
