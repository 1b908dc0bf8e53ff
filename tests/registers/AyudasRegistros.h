#pragma once

#include "ui/Rejilla.h"

#include <QStringList>

/** The texts a grid shows in one column, from the first data row down. */
inline QStringList columna(const Rejilla* rejilla, int c) {
    QStringList textos;
    for (int f = 1; f < rejilla->numFilas(); ++f)
        textos << rejilla->texto(f, c);
    return textos;
}

inline Rejilla* rejillaDe(QWidget* ventana) {
    return ventana->findChild<Rejilla*>(QStringLiteral("mshDatos"));
}
