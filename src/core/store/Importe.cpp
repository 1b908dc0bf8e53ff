#include "core/store/Importe.h"

#include "core/text/Formato.h"

#include <algorithm>
#include <cmath>

namespace torvane {

namespace {

// Products of cents and ten-thousandths need more than 64 bits before they are divided back.
__extension__ typedef __int128 Ancho;

/** A typed number split in its parts; digits only, trailing zeros of the decimals dropped. */
struct Partes {
    bool negativo = false;
    QString entero;
    QString decimales;
};

bool esDigito(QChar c) {
    return c >= u'0' && c <= u'9';
}

/** Digits from i on; i ends past them. */
qsizetype digitos(QStringView t, qsizetype& i) {
    const qsizetype inicio = i;
    while (i < t.size() && esDigito(t[i]))
        ++i;
    return i - inicio;
}

// «-1.234,50», «1234,5», «,5»: by hand, as a list of a year parses every amount it shows.
std::optional<Partes> partir(const QString& texto) {
    const QStringView t = QStringView(texto).trimmed();
    Partes p;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) p.negativo = t[i++] == u'-';
    const qsizetype inicio = i;
    const qsizetype primerGrupo = digitos(t, i);
    if (i < t.size() && t[i] == u'.') {
        // Thousands grouped: one to three digits, then groups of exactly three.
        if (primerGrupo < 1 || primerGrupo > 3) return std::nullopt;
        while (i < t.size() && t[i] == u'.') {
            ++i;
            if (digitos(t, i) != 3) return std::nullopt;
        }
    }
    for (QChar c : t.sliced(inicio, i - inicio))
        if (c != u'.') p.entero += c;
    if (i < t.size() && t[i] == u',') {
        const qsizetype desde = ++i;
        digitos(t, i);
        p.decimales = t.sliced(desde, i - desde).toString();
    }
    if (i != t.size() || (p.entero.isEmpty() && p.decimales.isEmpty())) return std::nullopt;
    while (p.decimales.endsWith(QLatin1Char('0')))
        p.decimales.chop(1);
    while (p.entero.startsWith(QLatin1Char('0')))
        p.entero.remove(0, 1);
    return p;
}

/**
 * The typed value in units of 10^-decimales, or a reason: too many places, or beyond limite
 * (checked on the digits, before anything is multiplied).
 */
Resultado<qint64> escalar(const QString& texto, int decimales, qint64 limite, const QString& noEs,
                          const QString& sobranDecimales) {
    const auto p = partir(texto);
    if (!p) return Fallo{noEs.arg(texto.trimmed())};
    if (p->decimales.size() > decimales) return Fallo{sobranDecimales};
    if (p->entero.size() > 18 - decimales) return Fallo{textoDemasiadoGrande()};
    const QString digitos = p->entero + p->decimales.leftJustified(decimales, QLatin1Char('0'));
    const qint64 valor = digitos.isEmpty() ? 0 : digitos.toLongLong();
    if (valor > limite) return Fallo{textoDemasiadoGrande()};
    return p->negativo ? -valor : valor;
}

/** numerador / denominador to the nearest whole, ties away from zero. */
Ancho dividirRedondeando(Ancho numerador, Ancho denominador) {
    Ancho cociente = numerador / denominador;
    const Ancho resto = numerador % denominador;
    const Ancho dobleResto = resto < 0 ? -2 * resto : 2 * resto;
    if (dobleResto >= denominador) cociente += numerador < 0 ? -1 : 1;
    return cociente;
}

std::optional<Importe> multiplicar(qint64 centimos, qint64 factor, qint64 denominador) {
    const Ancho valor = dividirRedondeando(static_cast<Ancho>(centimos) * factor, denominador);
    if (valor > Importe::kLimite || valor < -Importe::kLimite) return std::nullopt;
    return Importe::deCentimos(static_cast<qint64>(valor));
}

/** valor / 10^decimales with exactly that many places: «-1234.50» (coma, agrupado as asked). */
QString conDecimales(qint64 valor, int decimales, QChar coma, bool agrupado) {
    const quint64 absoluto = valor < 0 ? 0 - static_cast<quint64>(valor) : valor;
    const QString texto = QString::number(absoluto).rightJustified(decimales + 1, QLatin1Char('0'));
    const QString entero = texto.left(texto.size() - decimales);
    return (valor < 0 ? QStringLiteral("-") : QString()) +
           (agrupado ? agruparMiles(entero) : entero) + coma + texto.right(decimales);
}

// A whole number as stored; an engine's computed double (units times a price) to the nearest.
qint64 entero(const QVariant& valor) {
    if (valor.isNull()) return 0;
    if (valor.typeId() == QMetaType::Double) return std::llround(valor.toDouble());
    return valor.toLongLong();
}

} // namespace

Importe importeGuardado(const QVariant& valor) {
    return Importe::desdeVariante(valor);
}

QVariant guardar(Importe importe) {
    return importe.centimos();
}

Decimal decimalGuardado(const QVariant& valor) {
    return Decimal::desdeReal(valor.toDouble());
}

QVariant guardar(Decimal valor) {
    return valor.aReal();
}

QString textoDemasiadoGrande() {
    return QStringLiteral("El importe es demasiado grande");
}

Resultado<Importe> importeDeCaja(const QString& texto, const QString& sinNumero) {
    if (!partir(texto)) return Fallo{sinNumero};
    return Importe::leer(texto);
}

Resultado<Decimal> decimalDeCaja(const QString& texto, const QString& sinNumero) {
    if (!partir(texto)) return Fallo{sinNumero};
    return Decimal::leer(texto);
}

Resultado<Importe> Importe::leer(const QString& texto) {
    auto r = escalar(texto, 2, kLimite, QStringLiteral("«%1» no es un importe"),
                     QStringLiteral("Un importe lleva como mucho dos decimales"));
    if (!r) return r.fallo();
    return Importe(*r);
}

Importe Importe::desdeVariante(const QVariant& valor) {
    return Importe(entero(valor));
}

Importe Importe::desdeEuros(double euros) {
    if (!std::isfinite(euros) || std::fabs(euros) > 1e16) return {};
    // Cents read back to 15 digits first, so 2,675 (stored as 2,67499999...) is the tie it was.
    const double centimos = QString::number(euros * 100.0, 'g', 15).toDouble();
    return Importe(static_cast<qint64>(std::round(centimos)));
}

QString Importe::texto() const {
    return conDecimales(centimos_, 2, QLatin1Char(','), true);
}

QString Importe::textoSimple() const {
    return Decimal::deDiezmilesimas(centimos_ * (Decimal::kEscala / 100)).texto();
}

QString Importe::textoPunto() const {
    return conDecimales(centimos_, 2, QLatin1Char('.'), false);
}

std::optional<Importe> Importe::por(Decimal factor) const {
    return multiplicar(centimos_, factor.diezmilesimas(), Decimal::kEscala);
}

std::optional<Importe> Importe::porcentaje(Decimal tasa) const {
    return multiplicar(centimos_, tasa.diezmilesimas(), Decimal::kEscala * 100);
}

Resultado<Decimal> Decimal::leer(const QString& texto) {
    auto r = escalar(texto, 4, kLimite, QStringLiteral("«%1» no es un número"),
                     QStringLiteral("Escriba como mucho cuatro decimales"));
    if (!r) return r.fallo();
    return Decimal(*r);
}

Decimal Decimal::desdeVariante(const QVariant& valor) {
    return Decimal(entero(valor));
}

Decimal Decimal::desdeReal(double valor) {
    if (!std::isfinite(valor)) return {};
    const double escalado = valor * kEscala;
    // Written at 15 digits first, so that 1.00005 stored as 1.0000499999… rounds as typed. That
    // text costs a microsecond a value, and every list and document reads rates this way: it is
    // only needed where the value lies within those digits' reach of a half.
    constexpr double kDigitos = 1e-13;
    const double mitad = std::floor(escalado) + 0.5;
    if (std::abs(escalado) < 1e15 &&
        std::abs(escalado - mitad) > kDigitos * std::max(1.0, std::abs(escalado)))
        return Decimal(static_cast<qint64>(std::round(escalado)));
    return Decimal(static_cast<qint64>(std::round(QString::number(escalado, 'g', 15).toDouble())));
}

QString Decimal::texto() const {
    QString t = conDecimales(valor_, 4, QLatin1Char(','), false);
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char(','))) t.chop(1);
    return t;
}

QString Decimal::textoDosDecimales() const {
    return Importe::deCentimos(static_cast<qint64>(dividirRedondeando(valor_, kEscala / 100)))
        .texto();
}

QString Decimal::textoPunto() const {
    return Importe::deCentimos(static_cast<qint64>(dividirRedondeando(valor_, kEscala / 100)))
        .textoPunto();
}

std::optional<Importe> proporcion(Importe importe, qint64 numerador, qint64 denominador) {
    if (denominador == 0) return std::nullopt;
    if (denominador < 0) return proporcion(importe, -numerador, -denominador);
    return multiplicar(importe.centimos(), numerador, denominador);
}

QString textoEuros(Importe importe) {
    return importe.texto() + QStringLiteral(" €");
}

QString textoPorcentaje(Decimal tasa) {
    return tasa.texto() + QStringLiteral(" %");
}

} // namespace torvane
