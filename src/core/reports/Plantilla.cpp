#include "core/reports/Plantilla.h"

#include <QScopeGuard>
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

// Private-use characters, apart from those that mark a list's fields: no data or template text
// holds them (esValorLlano and marcable_ see to it).
constexpr char16_t kPrimeraMarcaValor = 0xE100;
constexpr char16_t kUltimaMarcaValor = 0xF8FF;
constexpr std::size_t kMaximoValores = kUltimaMarcaValor - kPrimeraMarcaValor + 1;

bool tieneMarcas(const QString& texto) {
    return std::any_of(texto.cbegin(), texto.cend(), [](QChar c) { return valorMarcado(c) >= 0; });
}

/** The value index of the mark at molde[i] (its three bytes of UTF-8), or -1. */
int marcaEn(const std::string& molde, std::size_t i) {
    if (i + 2 >= molde.size()) return -1;
    const auto byte = [&](std::size_t j) { return static_cast<unsigned char>(molde[i + j]); };
    if ((byte(0) & 0xF0) != 0xE0) return -1;
    const auto punto = static_cast<char16_t>(((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) |
                                             (byte(2) & 0x3F));
    return valorMarcado(QChar(punto));
}

/** Whether html ends inside an entity the template began ("&" or "&#" and letters or digits). */
bool enEntidad(const std::string& html) {
    const auto antes =
        html.find_last_not_of("#0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return antes != std::string::npos && html[antes] == '&';
}

/**
 * The html of a shape: each mark, space and mark in molde replaced by its value, escaped as the
 * library escapes it. false when a value would continue an entity the template began ("&{{x}};"):
 * its letters would not be read as text there.
 */
bool desmarcar(const std::string& molde, const std::vector<std::string>& valores,
               std::string& html) {
    html.clear();
    html.reserve(molde.size());
    std::size_t hecho = 0;
    for (std::size_t i = molde.find_first_of("\xEE\xEF"); i != std::string::npos;
         i = molde.find_first_of("\xEE\xEF", i)) {
        const int valor = marcaEn(molde, i);
        if (valor < 0 || static_cast<std::size_t>(valor) >= valores.size()) {
            i += 1;
            continue;
        }
        html.append(molde, hecho, i - hecho);
        if (enEntidad(html)) return false;
        html += kainjow::mustache::html_escape(valores[static_cast<std::size_t>(valor)]);
        // The mark, its space and the mark again.
        i += 7;
        hecho = i;
    }
    html.append(molde, hecho);
    return true;
}

} // namespace

bool esValorLlano(const QString& valor) {
    if (valor.isEmpty() || valor.front() == u' ' || valor.back() == u' ') return false;
    QChar antes;
    for (const QChar c : valor) {
        // Other spaces are read by HTML as one space, or as lines; a private-use character
        // (a mark) is not printable.
        if (c == u' ' ? antes == u' ' : !c.isPrint() || c.isSpace()) return false;
        antes = c;
    }
    return true;
}

QChar marcaValor(qsizetype indice) {
    return QChar(static_cast<char16_t>(kPrimeraMarcaValor + indice));
}

int valorMarcado(QChar c) {
    return c.unicode() >= kPrimeraMarcaValor && c.unicode() <= kUltimaMarcaValor
               ? c.unicode() - kPrimeraMarcaValor
               : -1;
}

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
    marcable_ = enHtml_ && !tieneMarcas(QString::fromStdString(texto_));
}

Renderizado PlantillaPreparada::renderizar(const kainjow::mustache::basic_data<std::string>& datos,
                                           qsizetype maximo, bool moldeado) {
    return moldeado && marcable_ ? renderizarMoldeado(datos, maximo) : renderizarTal(datos, maximo);
}

Renderizado
PlantillaPreparada::renderizarMoldeado(const kainjow::mustache::basic_data<std::string>& datos,
                                       qsizetype maximo) {
    std::vector<std::string> valores;
    bool ajenas = false; // a value with a mark of its own
    Renderizado hecho;
    plantilla_->set_custom_escape([&](const std::string& valor) -> std::string {
        const QString texto = QString::fromStdString(valor);
        if (valores.size() < kMaximoValores && esValorLlano(texto)) {
            const std::string marca = QString(marcaValor(qsizetype(valores.size()))).toStdString();
            valores.push_back(valor);
            return marca + ' ' + marca;
        }
        ajenas = ajenas || tieneMarcas(texto);
        return kainjow::mustache::html_escape(valor);
    });
    {
        // The escape above holds this call's locals: never left behind, whatever happens.
        const auto devolver = qScopeGuard([this] {
            if (plantilla_)
                plantilla_->set_custom_escape(kainjow::mustache::html_escape<std::string>);
        });
        hecho = renderizarTal(datos, maximo);
    }
    hecho.molde = std::move(hecho.texto);
    // Anything but a plain success is told as the template alone tells it.
    if (!hecho.motivo.isEmpty() || ajenas || !desmarcar(hecho.molde, valores, hecho.texto) ||
        static_cast<qsizetype>(hecho.texto.size()) > maximo)
        return renderizarTal(datos, maximo);
    hecho.valores = std::move(valores);
    return hecho;
}

Renderizado
PlantillaPreparada::renderizarTal(const kainjow::mustache::basic_data<std::string>& datos,
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
