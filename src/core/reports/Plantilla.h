#pragma once

#include <QString>
#include <memory>
#include <string>

namespace kainjow::mustache {
template <typename StringType> class basic_data;
template <typename StringType> class basic_mustache;
} // namespace kainjow::mustache

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

/**
 * A template checked and parsed once, then rendered with one data set after another (a run of
 * documents) exactly as renderizarPlantilla() renders it.
 */
class PlantillaPreparada {
public:
    explicit PlantillaPreparada(std::string texto, bool enHtml = true);
    ~PlantillaPreparada();
    PlantillaPreparada(const PlantillaPreparada&) = delete;
    PlantillaPreparada& operator=(const PlantillaPreparada&) = delete;

    /** Why it cannot be rendered (its check or the library's syntax error); empty when it can. */
    const QString& motivo() const { return motivo_; }
    Renderizado renderizar(const kainjow::mustache::basic_data<std::string>& datos,
                           qsizetype maximo = kMaximoResultado);

private:
    void analizar();

    std::string texto_;
    bool enHtml_;
    QString motivo_;
    std::unique_ptr<kainjow::mustache::basic_mustache<std::string>> plantilla_;
};

} // namespace torvane
