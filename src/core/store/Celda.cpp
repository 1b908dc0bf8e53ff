#include "core/store/Celda.h"

#include "core/text/Formato.h"

#include <QDate>

namespace torvane {

std::optional<Importe> importeDeCelda(const QVariant& valor) {
    if (valor.metaType() != QMetaType::fromType<Importe>()) return std::nullopt;
    return valor.value<Importe>();
}

std::optional<Decimal> decimalDeCelda(const QVariant& valor) {
    if (valor.metaType() != QMetaType::fromType<Decimal>()) return std::nullopt;
    return valor.value<Decimal>();
}

QString textoCelda(const QVariant& valor) {
    if (const auto importe = importeDeCelda(valor)) return importe->texto();
    if (const auto numero = decimalDeCelda(valor)) return numero->texto();
    if (valor.typeId() == QMetaType::QDate) return formatoFecha(valor.toDate());
    return valor.toString();
}

QVariant celdaDeTexto(const QString& texto, TipoDato tipo) {
    if (texto.isEmpty()) return {};
    if (tipo == TipoDato::Fecha) {
        const QDate dia = leerFecha(texto);
        if (dia.isValid()) return dia;
    } else if (tipo == TipoDato::Importe) {
        if (const auto importe = Importe::leer(texto)) return celda(*importe);
    } else if (tipo == TipoDato::Numero) {
        if (const auto numero = Decimal::leer(texto)) return celda(*numero);
    }
    return texto;
}

} // namespace torvane
