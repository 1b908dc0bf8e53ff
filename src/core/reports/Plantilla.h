#pragma once

#include <QString>
#include <string>

namespace kainjow::mustache {
template <typename StringType> class basic_data;
}

namespace torvane {

/*
 * Bounds on a report template, checked before the template library sees it: the library parses
 * and renders recursively, so a deep or self-multiplying template would take the program down.
 */

inline constexpr qsizetype kMaximoPlantilla = 2 * 1024 * 1024;
inline constexpr int kMaximaProfundidad = 16;
inline constexpr qsizetype kMaximoResultado = 128 * 1024 * 1024;

/**
 * Why texto cannot be rendered safely, or an empty text: larger than kMaximoPlantilla,
 * sections nested deeper than kMaximaProfundidad, or a section inside another of the same name
 * (a list inside itself repeats its rows once per row). Tags are found exactly as the template
 * library finds them, delimiter changes included; syntax errors are left to the library.
 */
QString comprobarPlantilla(const std::string& texto);

/** A rendered template, or why it was not rendered. */
struct Renderizado {
    std::string texto;
    QString motivo; ///< empty on success
};

/**
 * Checks and renders texto with datos; stops as soon as the output passes kMaximoResultado.
 * Syntax errors come back in motivo with the library's explanation. Values are escaped for HTML
 * unless texto is plain text (enHtml false).
 */
Renderizado renderizarPlantilla(const std::string& texto,
                                const kainjow::mustache::basic_data<std::string>& datos,
                                qsizetype maximo = kMaximoResultado, bool enHtml = true);

} // namespace torvane
