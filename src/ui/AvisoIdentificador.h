#pragma once

#include <QString>

class QLineEdit;

namespace torvane {

/**
 * Warns that the identifier in caja is wrong (motivo says why) and asks whether to keep it as
 * typed: a foreign document number has forms of its own. True to keep it; on No the box gets
 * the focus with its text selected. An empty box or motivo asks nothing and keeps.
 */
bool aceptarIdentificador(QLineEdit* caja, const QString& motivo);

} // namespace torvane
