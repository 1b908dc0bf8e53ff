#include "ui/Colores.h"

#include "app/Modulo.h"

#include <QWidget>

QColor colorDesdeNumero(int bgr)
{
    const auto v = static_cast<quint32>(bgr);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int numeroDesdeColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor colorPrincipal() { return colorDesdeNumero(Modulo::ColorComoNumero(Modulo::ColorPrincipal)); }

QColor colorFondo() { return colorDesdeNumero(Modulo::ColorComoNumero(Modulo::ColorFondo)); }

void pintarFondo(QWidget* widget, const QColor& color)
{
    QPalette paleta = widget->palette();
    for (auto rol : {QPalette::Base, QPalette::Window, QPalette::Button})
        paleta.setColor(rol, color);
    widget->setPalette(paleta);
    widget->setAutoFillBackground(true);
}

QColor fondoDe(const QWidget* widget) { return widget->palette().color(QPalette::Base); }
