#include "core/reports/Plantilla.h"

#include <algorithm>
#include <kainjow/mustache.hpp>
#include <vector>

namespace torvane {

namespace {

std::string recortar(const std::string& texto) {
    const auto inicio = texto.find_first_not_of(" \t\r\n");
    if (inicio == std::string::npos) return {};
    return texto.substr(inicio, texto.find_last_not_of(" \t\r\n") - inicio + 1);
}

// "=<% %>=" as the library reads it; false leaves the delimiters unchanged.
bool cambiarDelimitadores(const std::string& contenido, std::string& inicio, std::string& fin) {
    if (contenido.size() < 5 || contenido.back() != '=') return false;
    const std::string medio = recortar(contenido.substr(1, contenido.size() - 2));
    const auto espacio = medio.find(' ');
    if (espacio == std::string::npos) return false;
    const auto segundo = medio.find_first_not_of(' ', espacio + 1);
    if (segundo == std::string::npos) return false;
    const std::string nuevoInicio = medio.substr(0, espacio);
    const std::string nuevoFin = medio.substr(segundo);
    for (const std::string& d : {nuevoInicio, nuevoFin})
        for (const char c : d)
            if (c == '=' || c == ' ' || (c >= '\t' && c <= '\r')) return false;
    inicio = nuevoInicio;
    fin = nuevoFin;
    return true;
}

int lineaDe(const std::string& texto, std::size_t posicion) {
    return 1 + static_cast<int>(std::count(texto.begin(), texto.begin() + posicion, '\n'));
}

QString enLinea(const QString& motivo, const std::string& texto, std::size_t posicion) {
    return motivo + QStringLiteral(" (línea %1)").arg(lineaDe(texto, posicion));
}

struct Desbordado {};

} // namespace

QString comprobarPlantilla(const std::string& texto) {
    if (static_cast<qsizetype>(texto.size()) > kMaximoPlantilla)
        return QStringLiteral("ocupa más de %1 MB").arg(kMaximoPlantilla / (1024 * 1024));
    const std::string llaves = "{{";
    std::string inicio = llaves, fin = "}}";
    std::vector<std::string> abiertas;
    std::size_t posicion = 0;
    while ((posicion = texto.find(inicio, posicion)) != std::string::npos) {
        std::size_t contenido = posicion + inicio.size();
        const bool triple = inicio == llaves && fin == "}}" && posicion != texto.size() - 2 &&
                            texto[contenido] == '{';
        const std::string cierre = triple ? std::string("}}}") : fin;
        if (triple) ++contenido;
        const std::size_t final = texto.find(cierre, contenido);
        if (final == std::string::npos) return {};
        const std::string etiqueta = recortar(texto.substr(contenido, final - contenido));
        const std::size_t tag = posicion;
        posicion = final + cierre.size();
        if (triple || etiqueta.empty()) continue;
        if (etiqueta[0] == '=') {
            if (!cambiarDelimitadores(etiqueta, inicio, fin)) return {};
            continue;
        }
        const std::string nombre = recortar(etiqueta.substr(1));
        if (etiqueta[0] == '/') {
            if (abiertas.empty()) return {};
            abiertas.pop_back();
        } else if (etiqueta[0] == '#' || etiqueta[0] == '^') {
            if (std::find(abiertas.begin(), abiertas.end(), nombre) != abiertas.end())
                return enLinea(QStringLiteral("la sección «%1» está dentro de otra «%1»")
                                   .arg(QString::fromStdString(nombre)),
                               texto, tag);
            abiertas.push_back(nombre);
            if (static_cast<int>(abiertas.size()) > kMaximaProfundidad)
                return enLinea(QStringLiteral("tiene más de %1 secciones una dentro de otra")
                                   .arg(kMaximaProfundidad),
                               texto, tag);
        }
    }
    return {};
}

Renderizado renderizarPlantilla(const std::string& texto,
                                const kainjow::mustache::basic_data<std::string>& datos,
                                qsizetype maximo, bool enHtml) {
    return PlantillaPreparada(texto, enHtml).renderizar(datos, maximo);
}

PlantillaPreparada::PlantillaPreparada(std::string texto, bool enHtml)
    : texto_(std::move(texto))
    , enHtml_(enHtml) {
    analizar();
}

PlantillaPreparada::~PlantillaPreparada() = default;

void PlantillaPreparada::analizar() {
    motivo_ = comprobarPlantilla(texto_);
    plantilla_.reset();
    if (!motivo_.isEmpty()) return;
    plantilla_ = std::make_unique<kainjow::mustache::mustache>(texto_);
    if (!plantilla_->is_valid()) {
        motivo_ = QString::fromStdString(plantilla_->error_message());
        return;
    }
    if (!enHtml_) plantilla_->set_custom_escape([](const std::string& valor) { return valor; });
}

Renderizado PlantillaPreparada::renderizar(const kainjow::mustache::basic_data<std::string>& datos,
                                           qsizetype maximo) {
    Renderizado resultado;
    resultado.motivo = motivo_;
    if (!resultado.motivo.isEmpty()) return resultado;
    try {
        plantilla_->render(datos, [&resultado, maximo](const std::string& trozo) {
            if (static_cast<qsizetype>(resultado.texto.size() + trozo.size()) > maximo)
                throw Desbordado{};
            resultado.texto += trozo;
        });
    } catch (const Desbordado&) {
        resultado.texto.clear();
        resultado.motivo = QStringLiteral("el resultado pasa de %1 MB").arg(maximo / (1024 * 1024));
    }
    if (resultado.motivo.isEmpty() && !plantilla_->is_valid()) {
        resultado.texto.clear();
        resultado.motivo = QString::fromStdString(plantilla_->error_message());
    }
    // A render cut short or failed may leave the library's state behind: parse afresh for the
    // next data set.
    if (!resultado.motivo.isEmpty()) analizar();
    return resultado;
}

} // namespace torvane
