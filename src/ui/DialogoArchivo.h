#pragma once

#include <QString>

class QWidget;

namespace torvane {

/** File choosers of the program; tests give the next answer with fijarSiguiente(). */
namespace DialogoArchivo {

/** Asks where to save; empty text when the user cancels. */
QString guardar(QWidget* padre, const QString& titulo, const QString& propuesto,
                const QString& filtro);

/** Asks for an existing file to open; empty text when the user cancels. */
QString abrir(QWidget* padre, const QString& titulo, const QString& propuesto,
              const QString& filtro);

/** Asks for a folder; empty text when the user cancels. */
QString carpeta(QWidget* padre, const QString& titulo, const QString& propuesta);
/** The next guardar() or carpeta() returns this path without showing anything (empty: cancel). */
void fijarSiguiente(const QString& ruta);

} // namespace DialogoArchivo

} // namespace torvane
