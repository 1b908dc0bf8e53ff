#include "core/text/Formato.h"

#include <QRegularExpression>
#include <cmath>

namespace torvane {

namespace {

QDate& hoyFijado() {
    static QDate fecha;
    return fecha;
}

QString pluralDe(const QString& singular) {
    static const QString vocales = QStringLiteral("aeiouáéó");
    if (singular.isEmpty()) return singular;
    const QChar ultima = singular.back();
    if (vocales.contains(ultima.toLower())) return singular + QLatin1Char('s');
    if (ultima == u'z') return singular.chopped(1) + QStringLiteral("ces");
    if (singular.endsWith(QStringLiteral("ión")))
        return singular.chopped(2) + QStringLiteral("ones");
    return singular + QStringLiteral("es");
}

} // namespace

QString cuenta(qint64 n, const QString& singular, const QString& plural) {
    const QString nombre = n == 1 ? singular : plural.isEmpty() ? pluralDe(singular) : plural;
    return QString::number(n) + QLatin1Char(' ') + nombre;
}

QString segunCuenta(qint64 n, const QString& uno, const QString& varios) {
    return QString(n == 1 ? uno : varios).replace(QStringLiteral("%1"), QString::number(n));
}

QString agruparMiles(const QString& digitos) {
    QString salida;
    const qsizetype n = digitos.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) salida += QLatin1Char('.');
        salida += digitos[i];
    }
    return salida;
}

QString formatoImporte(double valor) {
    if (!std::isfinite(valor)) return QStringLiteral("0,00");
    const double centimos = std::fabs(std::round(redondearCentimos(valor) * 100.0));
    const QString texto = QString::number(centimos, 'f', 0).rightJustified(3, QLatin1Char('0'));
    const QString entero = texto.left(texto.size() - 2);
    const bool negativo = valor < 0 && centimos != 0;
    return (negativo ? QStringLiteral("-") : QString()) + agruparMiles(entero) + QLatin1Char(',') +
           texto.right(2);
}

QString formatoUnidades(double valor) {
    return formatoImporte(valor);
}

QString formatoSimple(double valor) {
    QString texto = QString::number(valor, 'f', 6);
    while (texto.endsWith(QLatin1Char('0')))
        texto.chop(1);
    if (texto.endsWith(QLatin1Char('.'))) texto.chop(1);
    if (texto == QStringLiteral("-0")) texto = QStringLiteral("0");
    return texto.replace(QLatin1Char('.'), QLatin1Char(','));
}

std::optional<double> leerNumero(const QString& texto) {
    static const QRegularExpression forma(
        QStringLiteral("^\\s*([-+]?)(\\d{1,3}(?:\\.\\d{3})+|\\d*)(?:,(\\d*))?\\s*$"));
    const auto m = forma.match(texto);
    if (!m.hasMatch()) return std::nullopt;
    QString entero = m.captured(2).remove(QLatin1Char('.'));
    const QString decimales = m.captured(3);
    if (entero.isEmpty() && decimales.isEmpty()) return std::nullopt;
    bool ok = false;
    const double valor =
        QString(entero + QLatin1Char('.') + decimales + QLatin1Char('0')).toDouble(&ok);
    if (!ok) return std::nullopt;
    return m.captured(1) == QStringLiteral("-") ? -valor : valor;
}

std::optional<int> leerEntero(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^\\s*[-+]?\\d{1,9}\\s*$"));
    if (!forma.match(texto).hasMatch()) return std::nullopt;
    return texto.trimmed().toInt();
}

double redondearCentimos(double valor) {
    if (!std::isfinite(valor)) return 0.0;
    // Reading back to 15 digits can only move a value lying within a few units of its 15th
    // digit of a tie; anything else rounds the same without it (and this runs for every line
    // of the year at each start).
    const double cien = valor * 100.0;
    if (std::fabs(std::fabs(cien - std::trunc(cien)) - 0.5) > 1e-12 * (1.0 + std::fabs(cien)))
        return std::round(cien) / 100.0;
    // Cents read back to 15 digits first, so 2,675 (stored as 2,67499999...) is the tie it was
    // typed as; then the tie goes away from zero.
    const double centimos = QString::number(cien, 'g', 15).toDouble();
    return std::round(centimos) / 100.0;
}

QString formatoFecha(const QDate& fecha) {
    return fecha.toString(QStringLiteral("dd/MM/yyyy"));
}

QDate leerFecha(const QString& texto) {
    return QDate::fromString(texto.trimmed(), QStringLiteral("dd/MM/yyyy"));
}

QString fechaIso(const QDate& fecha) {
    return fecha.toString(Qt::ISODate);
}

QDate desdeIso(const QString& texto) {
    return QDate::fromString(texto.left(10), Qt::ISODate);
}

QDate Hoy() {
    return hoyFijado().isValid() ? hoyFijado() : QDate::currentDate();
}

void fijarHoy(const QDate& fecha) {
    hoyFijado() = fecha;
}

QString formatoEuros(qint64 centimos) {
    return formatoImporte(static_cast<double>(centimos) / 100.0) + QStringLiteral(" €");
}

QString formatoPorcentaje(double tasa) {
    return formatoSimple(tasa) + QStringLiteral(" %");
}

} // namespace torvane
