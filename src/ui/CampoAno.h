#pragma once

#include <optional>

class QLineEdit;
class QWidget;

namespace torvane {

/**
 * The four-digit year typed in caja. Anything else is told to the user, the box keeps the
 * focus with its text selected, and none comes back.
 */
std::optional<int> leerAnoEscrito(QWidget* ventana, QLineEdit* caja);

} // namespace torvane
