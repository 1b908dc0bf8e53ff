#pragma once

#include "app/Ventanas.h"
#include "collections/frmCobrosDetalle.h"
#include "core/store/Sesion.h"

#include <QSet>
#include <memory>
#include <type_traits>

namespace torvane {

/** What the program hands its windows, over the one session. */
inline Ventanas& ventanas() {
    static Ventanas v(sesion());
    return v;
}

/**
 * A window of type T made as the program makes it, with no record chosen (a new one, or every
 * property) wherever its constructor asks for one.
 */
template <typename T> std::unique_ptr<T> nuevaVentana() {
    using S = Sesion&;
    using V = Ventanas&;
    using W = QWidget*;
    if constexpr (std::is_constructible_v<T, S, V, W> || std::is_constructible_v<T, S, W> ||
                  std::is_constructible_v<T, V, W> || std::is_constructible_v<T, W>)
        return ventanas().crear<T>(nullptr);
    else if constexpr (std::is_constructible_v<T, S, V, int, W>)
        return std::make_unique<T>(sesion(), ventanas(), 0, nullptr);
    else if constexpr (std::is_constructible_v<T, V, int, W>)
        return std::make_unique<T>(ventanas(), 0, nullptr);
    else if constexpr (std::is_constructible_v<T, S, int, W>)
        return std::make_unique<T>(sesion(), 0, nullptr);
    else if constexpr (std::is_constructible_v<T, int, int, W>)
        return std::make_unique<T>(0, 0, nullptr);
    else if constexpr (std::is_constructible_v<T, int, W>)
        return std::make_unique<T>(0, nullptr);
    else if constexpr (std::is_constructible_v<T, V, QString, W>)
        return std::make_unique<T>(ventanas(), QStringLiteral("Inquilinos"), nullptr);
    else if constexpr (std::is_constructible_v<T, QString, W>)
        return std::make_unique<T>(QString(), nullptr);
    else if constexpr (std::is_constructible_v<T, V, PeticionLinea, W>)
        return std::make_unique<T>(ventanas(), PeticionLinea{}, nullptr);
    else
        return std::make_unique<T>(sesion(), QSet<int>(), nullptr);
}

} // namespace torvane
