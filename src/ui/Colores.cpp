#include "ui/Colores.h"

#include "core/store/Sesion.h"

#include <QAbstractScrollArea>
#include <QWidget>

namespace torvane {

QColor colorDesdeNumero(int bgr) {
    const auto v = static_cast<quint32>(bgr);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int numeroDesdeColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

namespace {

// A fresh install has no colour files: an unreadable colour would paint black on black.
QColor colorDe(const QVariant& ajuste, int porOmision) {
    if (ajuste.toString().trimmed().isEmpty()) return colorDesdeNumero(porOmision);
    return colorDesdeNumero(Modulo::ColorComoNumero(ajuste));
}

// Relative luminance (ITU-R BT.709 weights); 0.5 splits light from dark colours.
double luz(const QColor& color) {
    return 0.2126 * color.redF() + 0.7152 * color.greenF() + 0.0722 * color.blueF();
}

} // namespace

QColor colorPrincipal() {
    return colorDe(sesion().colorPrincipal, kPaletaPrincipal[0]);
}

QColor colorFondo() {
    return colorDe(sesion().colorFondo, kPaletaFondo[0]);
}

QColor colorTexto(const QColor& fondo) {
    return luz(fondo) < 0.5 ? Qt::white : Qt::black;
}

QColor colorSobreBlanco(const QColor& color) {
    QColor oscuro = color;
    for (int i = 0; i < 8 && luz(oscuro) > 0.4; ++i)
        oscuro = oscuro.darker(140);
    return oscuro;
}

void pintarFondo(QWidget* widget, const QColor& color) {
    QPalette paleta = widget->palette();
    for (auto rol : {QPalette::Base, QPalette::Window, QPalette::Button})
        paleta.setColor(rol, color);
    const QColor texto = colorTexto(color);
    for (auto rol : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        paleta.setColor(rol, texto);
    widget->setPalette(paleta);
    widget->setAutoFillBackground(true);
    // A several-line box paints its text area with its viewport's own palette.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        area->viewport()->setPalette(paleta);
}

QColor fondoDe(const QWidget* widget) {
    return widget->palette().color(QPalette::Base);
}

} // namespace torvane
