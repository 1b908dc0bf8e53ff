#pragma once

#include <QString>

class QWidget;

/** File choosers of the program; tests give the next answer with fijarSiguiente(). */
namespace DialogoArchivo {

/** Asks where to save; empty text when the user cancels. */
QString guardar(QWidget* padre, const QString& titulo, const QString& propuesto,
                const QString& filtro);

/** The next guardar() returns this path without showing anything (empty: cancel). */
void fijarSiguiente(const QString& ruta);

} // namespace DialogoArchivo
