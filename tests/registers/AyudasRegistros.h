#pragma once

#include "support/Entorno.h"
#include "ui/Rejilla.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

template <typename T> T* hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QString::fromLatin1(nombre));
}

inline QLineEdit* caja(QWidget* ventana, const char* nombre) {
    return hijo<QLineEdit>(ventana, nombre);
}

inline void pulsar(QWidget* ventana, const char* boton) {
    hijo<QPushButton>(ventana, boton)->click();
}

/** The text shown by a label or a box. */
inline QString textoDe(QWidget* ventana, const char* nombre) {
    return hijo<QWidget>(ventana, nombre)->property("text").toString();
}

/** "a|b||c" as a list; an empty string is an empty list. */
inline QStringList lista(const char* textos) {
    const QString t = QString::fromUtf8(textos);
    return t.isEmpty() ? QStringList{} : t.split(QLatin1Char('|'));
}

/** Shows a record window on the stored record id, for editing. */
template <typename T> void abrir(T& ventana, int id) {
    ventana.Estado = 1;
    ventana.Id = id;
    ventana.show();
}

/** Rows of a table meeting a condition. */
inline int contar(const char* tabla, const char* condicion = "", const QVariantList& valores = {}) {
    return Entorno::contar(QString::fromUtf8(tabla), QString::fromUtf8(condicion), valores);
}

/** Adds a test data row whose columns are all texts. */
inline void filaDeTextos(const char* caso, std::initializer_list<const char*> textos) {
    QTestData& fila = QTest::newRow(caso);
    for (const char* t : textos)
        fila << QString::fromUtf8(t);
}

/** Replaces a box's text through the keyboard, as the user would. */
inline void escribir(QLineEdit* control, const QString& texto) {
    enfocar(control);
    control->selectAll();
    QTest::keyClick(control, Qt::Key_Backspace);
    teclear(control, texto);
}

/** The texts a grid shows in one column, from the first data row down. */
inline QStringList columna(const Rejilla* rejilla, int c) {
    QStringList textos;
    for (int f = 1; f < rejilla->numFilas(); ++f)
        textos << rejilla->texto(f, c);
    return textos;
}

inline Rejilla* rejillaDe(QWidget* ventana) {
    return hijo<Rejilla>(ventana, "mshDatos");
}
