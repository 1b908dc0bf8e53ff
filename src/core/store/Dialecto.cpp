#include "core/store/Dialecto.h"

#include <QStringList>

namespace torvane {

// Dates are stored as ISO text on both engines: cutting the text is cheaper than a server's
// conversion to a date for every row of a year.
QString sqlMes(const QString& columna) {
    return QStringLiteral("CAST(substr(%1, 6, 2) AS INTEGER)").arg(columna);
}

QString sqlAno(const QString& columna) {
    return QStringLiteral("CAST(substr(%1, 1, 4) AS INTEGER)").arg(columna);
}

QString sqlContiene(const QString& columna) {
    return QStringLiteral("contiene(%1, ?)").arg(columna);
}

QString sqlUnir(std::initializer_list<QString> partes, const QString& separador) {
    QStringList trozos;
    for (const QString& parte : partes)
        // As text first: a server will not put '' in place of a missing number.
        trozos << QStringLiteral("COALESCE(CAST(%1 AS TEXT), '')").arg(parte);
    const QString union_ = separador.isEmpty() ? QStringLiteral(" || ")
                                               : QStringLiteral(" || '%1' || ").arg(separador);
    return trozos.join(union_);
}

} // namespace torvane
