#pragma once

#include "core/store/Resultado.h"

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace torvane {

class Decimal;

/**
 * Money: a whole number of cents. Never a binary fraction, so sums do not depend on their order
 * and a value read back is the value written. What a user types is held to ±kLimite (any real
 * rent office fits); sums of such values stay far inside 64 bits.
 */
class Importe {
public:
    /** 10.000.000.000,00 € in cents. */
    static constexpr qint64 kLimite = 1'000'000'000'000LL;

    constexpr Importe() = default;
    static constexpr Importe deCentimos(qint64 centimos) { return Importe(centimos); }
    constexpr qint64 centimos() const { return centimos_; }
    constexpr bool esCero() const { return centimos_ == 0; }
    constexpr bool dentroDelLimite() const { return centimos_ >= -kLimite && centimos_ <= kLimite; }

    /**
     * Spanish text as typed: «1.234,56», «1234,5», «-3», «,5». More than two decimals or beyond
     * the limit is refused with the reason, never rounded.
     */
    static Resultado<Importe> leer(const QString& texto);
    /** A stored value: whole cents (an empty one is zero). */
    static Importe desdeVariante(const QVariant& valor);
    /** Euros held as a binary fraction (years before whole cents), to the nearest cent: only the
     * step to whole cents reads them. */
    static Importe desdeEuros(double euros);

    /** «-1.234,50». */
    QString texto() const;
    /** As a user would retype it, as a box shows it: «1234,5», «9». */
    QString textoSimple() const;
    /** «-1234.50»: files for banks, the tax agency and spreadsheets. */
    QString textoPunto() const;

    constexpr Importe operator-() const { return Importe(-centimos_); }
    constexpr Importe operator+(Importe otro) const { return Importe(centimos_ + otro.centimos_); }
    constexpr Importe operator-(Importe otro) const { return Importe(centimos_ - otro.centimos_); }
    constexpr Importe& operator+=(Importe otro) {
        centimos_ += otro.centimos_;
        return *this;
    }
    constexpr Importe& operator-=(Importe otro) {
        centimos_ -= otro.centimos_;
        return *this;
    }
    constexpr auto operator<=>(const Importe&) const = default;

    /**
     * This amount times an exact decimal, to the cent, ties away from zero: a line's units times
     * its price, a VAT or withholding quota (por(porcentaje) / 100). The product is exact (128
     * bits); a result beyond the limit is refused.
     */
    std::optional<Importe> por(Decimal factor) const;
    /** This amount's percentage: base × rate / 100, rounded as por(). */
    std::optional<Importe> porcentaje(Decimal tasa) const;

private:
    constexpr explicit Importe(qint64 centimos)
        : centimos_(centimos) {}
    qint64 centimos_ = 0;
};

/**
 * Units and rates: an exact decimal with four places (2,5 units, 21 %, 2,2 %), held as a whole
 * number of ten-thousandths to ±kLimite.
 */
class Decimal {
public:
    static constexpr qint64 kEscala = 10'000;
    static constexpr qint64 kLimite = 1'000'000'000LL * kEscala;

    constexpr Decimal() = default;
    static constexpr Decimal deEntero(qint64 n) { return Decimal(n * kEscala); }
    static constexpr Decimal deDiezmilesimas(qint64 n) { return Decimal(n); }
    constexpr qint64 diezmilesimas() const { return valor_; }
    constexpr bool esCero() const { return valor_ == 0; }

    /** «2,5», «1.000», «-0,25»: up to four decimals, otherwise refused with the reason. */
    static Resultado<Decimal> leer(const QString& texto);
    /** A stored value: whole ten-thousandths (an empty one is zero). */
    static Decimal desdeVariante(const QVariant& valor);
    /** A binary fraction of an older year, to the nearest ten-thousandth. */
    static Decimal desdeReal(double valor);

    /** For the REAL columns of units and rates. */
    double aReal() const { return static_cast<double>(valor_) / kEscala; }

    /** As a user would retype it: «2,5», «21», «1234,125». */
    QString texto() const;
    /** Two decimals with grouping, as units are shown in lists: «1.234,50». */
    QString textoDosDecimales() const;
    /** «2.50»: two decimals and a point, as files for the tax agency write a rate. */
    QString textoPunto() const;

    constexpr Decimal operator-() const { return Decimal(-valor_); }
    constexpr Decimal operator+(Decimal otro) const { return Decimal(valor_ + otro.valor_); }
    constexpr Decimal operator-(Decimal otro) const { return Decimal(valor_ - otro.valor_); }
    constexpr auto operator<=>(const Decimal&) const = default;

private:
    constexpr explicit Decimal(qint64 valor)
        : valor_(valor) {}
    qint64 valor_ = 0;
};

/**
 * Money as a column holds it and a query binds it. Every read and write of a money column goes
 * through these two, so the stored form is decided in one place.
 */
Importe importeGuardado(const QVariant& valor);
QVariant guardar(Importe importe);
/** Units and rates as their columns hold them: REAL, read back to the ten-thousandth. */
Decimal decimalGuardado(const QVariant& valor);
QVariant guardar(Decimal valor);

/** The refusal of an amount the type cannot hold. */
QString textoDemasiadoGrande();

/**
 * What a window's box holds: the value, or why not — the window's own words (sinNumero) when the
 * text is no number at all, the type's reason when it is one the type refuses.
 */
Resultado<Importe> importeDeCaja(const QString& texto, const QString& sinNumero);
Resultado<Decimal> decimalDeCaja(const QString& texto, const QString& sinNumero);

/**
 * importe × numerador / denominador (a share of days, of a key, a rate of a rate), exact and
 * rounded once as Importe::por; refused beyond the limit or with no denominator.
 */
std::optional<Importe> proporcion(Importe importe, qint64 numerador, qint64 denominador);

/** «1.234,50 €». */
QString textoEuros(Importe importe);
/** A rate as shown beside a figure: «7,5 %». */
QString textoPorcentaje(Decimal tasa);

} // namespace torvane
