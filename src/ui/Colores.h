#pragma once

#include <QColor>

class QWidget;

/*
 * The two colours of the scheme. Settings hold them as 0x00BBGGRR numbers (red in the low
 * byte); windows read them each time they paint, so a change applies to what is painted next.
 */

QColor colorDesdeNumero(int bgr);
int numeroDesdeColor(const QColor& color);

/** Current ColorPrincipal / ColorFondo of the process (black when unset). */
QColor colorPrincipal();
QColor colorFondo();

inline const QColor kBlanco = QColor(0xFF, 0xFF, 0xFF);

/** Paints a widget's background (entry boxes, labels, frames) with a colour. */
void pintarFondo(QWidget* widget, const QColor& color);

/** The background a widget was last painted with by pintarFondo(). */
QColor fondoDe(const QWidget* widget);
