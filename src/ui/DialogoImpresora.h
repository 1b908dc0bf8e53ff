#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace torvane {

/** Choosing a printer from a list; tests give the next answer with fijarSiguiente(). */
namespace DialogoImpresora {

/** Asks which of impresoras to use, texto above the list; empty text when the user cancels. */
QString elegir(QWidget* padre, const QString& texto, const QStringList& impresoras);

/** The next elegir() returns this name without showing anything (empty: cancel). */
void fijarSiguiente(const QString& nombre);

} // namespace DialogoImpresora

} // namespace torvane
