#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace torvane {

/**
 * Opens the search window on one kind of list ("Inmuebles", "Inquilinos", "Conceptos") with
 * the hourglass over padre; the Id picked, or none when it was closed without a choice.
 */
std::optional<int> buscarId(QWidget* padre, const QString& lista);

} // namespace torvane
