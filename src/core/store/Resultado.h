#pragma once

#include "core/store/Consulta.h"

#include <QString>

#include <optional>
#include <type_traits>
#include <utility>

namespace torvane {

/** Why an operation gave nothing: Spanish, for the user, as it is shown. */
struct Fallo {
    QString texto;
    /** The server connection was lost, rather than the request refused. */
    bool sinConexion = false;
};

/** The value of an operation that gives none but may fail. */
struct Hecho {};

/**
 * What a core operation hands a window: its value, or the Fallo that says why there is none.
 * The engine's statements throw ErrorBD inside the core (a transaction rolls back on the way
 * out); intentar() is where that stops, so no exception reaches a slot. std::expected would do
 * this from C++23 on; the program is built as C++20.
 */
template <class T = Hecho> class [[nodiscard]] Resultado {
public:
    Resultado(T valor)
        : valor_(std::move(valor)) {}
    Resultado(Fallo fallo)
        : fallo_(std::move(fallo)) {}

    bool ok() const { return valor_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& operator*() const& { return *valor_; }
    T& operator*() & { return *valor_; }
    T&& operator*() && { return std::move(*valor_); }
    const T* operator->() const { return &*valor_; }
    T* operator->() { return &*valor_; }
    /** The value, or otro when there is none. */
    T valorO(T otro) const { return ok() ? *valor_ : std::move(otro); }
    /** For the core's own callers inside intentar(): the value, or the Fallo thrown on. */
    T valorOLanzar() && {
        if (!ok()) throw ErrorBD(fallo_.texto, fallo_.sinConexion);
        return std::move(*valor_);
    }
    const Fallo& fallo() const { return fallo_; }
    const QString& motivo() const { return fallo_.texto; }

private:
    std::optional<T> valor_;
    Fallo fallo_;
};

namespace detalle {
template <class F> using ValorDe = std::invoke_result_t<F>;
template <class R> struct QuitarResultado { using Tipo = R; };
template <class T> struct QuitarResultado<Resultado<T>> { using Tipo = T; };
template <class F>
using ResultadoDe = Resultado<std::conditional_t<std::is_void_v<ValorDe<F>>, Hecho,
                                                 typename QuitarResultado<ValorDe<F>>::Tipo>>;
} // namespace detalle

/**
 * Runs hacer and gives its value, or the engine's refusal as a Fallo. hacer may itself give a
 * Resultado (it is passed through) or nothing (Hecho).
 */
template <class F> detalle::ResultadoDe<F> intentar(F&& hacer) {
    try {
        if constexpr (std::is_void_v<detalle::ValorDe<F>>) {
            std::forward<F>(hacer)();
            return Hecho{};
        } else {
            return std::forward<F>(hacer)();
        }
    } catch (const ErrorBD& error) {
        return Fallo{error.texto(), error.sinConexion()};
    }
}

} // namespace torvane
