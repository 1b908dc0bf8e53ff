#include "core/text/Formato.h"

#include <QRegularExpression>

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

std::optional<int> leerEntero(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^\\s*[-+]?\\d{1,9}\\s*$"));
    if (!forma.match(texto).hasMatch()) return std::nullopt;
    return texto.trimmed().toInt();
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

} // namespace torvane
