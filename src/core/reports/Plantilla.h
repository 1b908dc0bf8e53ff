#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

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
    /**
     * When asked for, texto as a shape and its values: each plain value (see esValorLlano) is
     * there as its mark, a space and its mark again (marcaValor), and valores holds them in the
     * order of their marks. Documents of one shape differ in those values alone. Empty when the
     * template's text could not be told from its values so.
     */
    std::string molde;
    std::vector<std::string> valores;
};

/**
 * Whether valor reads the same wherever HTML puts it: text, with single spaces between words
 * and none at its ends, and no character the template's marks use.
 */
bool esValorLlano(const QString& valor);

/** The mark of value indice of a shape (Renderizado::molde): a private-use character. */
QChar marcaValor(qsizetype indice);
/** The value index a character marks, or -1. */
int valorMarcado(QChar c);

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
    /** Renders datos; with moldeado, its shape as well where it has one. */
    Renderizado renderizar(const kainjow::mustache::basic_data<std::string>& datos,
                           qsizetype maximo = kMaximoResultado, bool moldeado = false);

private:
    void analizar();
    Renderizado renderizarTal(const kainjow::mustache::basic_data<std::string>& datos,
                              qsizetype maximo);
    Renderizado renderizarMoldeado(const kainjow::mustache::basic_data<std::string>& datos,
                                   qsizetype maximo);

    std::string texto_;
    bool enHtml_;
    bool marcable_ = false; ///< an HTML template with no mark of its own
    QString motivo_;
    std::unique_ptr<kainjow::mustache::basic_mustache<std::string>> plantilla_;
};

} // namespace torvane
