#pragma once

#include <QWidget>

#include <functional>
#include <type_traits>
#include <utility>

namespace torvane {

/**
 * Runs accion; a database error it meets (a lost server, a damaged file) is told over ventana
 * instead of leaving through Qt, which cannot carry an exception out of a slot or an event.
 */
void sinExcepciones(QWidget* ventana, const std::function<void()>& accion);

/** The same, for an event handler that answers: what accion gives, or siFalla. */
template <typename F, typename R = std::invoke_result_t<F&>>
R sinExcepciones(QWidget* ventana, F&& accion, R siFalla) {
    R resultado = siFalla;
    sinExcepciones(ventana, [&] { resultado = accion(); });
    return resultado;
}

namespace detalle {

template <typename F> struct Envoltorio : Envoltorio<decltype(&F::operator())> {};

template <typename C, typename R, typename... A> struct Envoltorio<R (C::*)(A...) const> {
    template <typename F> static auto envolver(QWidget* ventana, F accion) {
        return [ventana, accion = std::move(accion)](A... datos) {
            sinExcepciones(ventana, [&] { accion(std::forward<A>(datos)...); });
        };
    }
};

template <typename C, typename R, typename... A> struct Envoltorio<R (C::*)(A...)> {
    template <typename F> static auto envolver(QWidget* ventana, F accion) {
        return [ventana, accion = std::move(accion)](A... datos) mutable {
            sinExcepciones(ventana, [&] { accion(std::forward<A>(datos)...); });
        };
    }
};

} // namespace detalle

/** The slot of ventana, run through sinExcepciones: connect(…, ventana, protegido(ventana, …)). */
template <typename V, typename C, typename R, typename... A>
auto protegido(V* ventana, R (C::*slot)(A...)) {
    return [ventana, slot](A... datos) {
        sinExcepciones(ventana, [&] { (ventana->*slot)(std::forward<A>(datos)...); });
    };
}

template <typename V, typename C, typename R, typename... A>
auto protegido(V* ventana, R (C::*slot)(A...) const) {
    return [ventana, slot](A... datos) {
        sinExcepciones(ventana, [&] { (ventana->*slot)(std::forward<A>(datos)...); });
    };
}

/** A lambda run through sinExcepciones, taking the same arguments. */
template <typename F> auto protegido(QWidget* ventana, F accion) {
    return detalle::Envoltorio<F>::envolver(ventana, std::move(accion));
}

} // namespace torvane
