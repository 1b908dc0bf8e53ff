#include "core/store/Dialecto.h"

#include "core/store/Servidor.h"
#include "core/text/Plegado.h"

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

QString sqlIdsConTexto(const QSqlDatabase& db, const QString& tabla, const QString& columna,
                       const QString& texto, QVariantList& valores) {
    // The server's trigram index serves LIKE on its own folding; LIKE's wildcards are escaped.
    if (esServidor(db)) {
        valores << texto;
        return QStringLiteral("SELECT Id FROM %1 WHERE pliegue(%2) LIKE '%' || replace(replace("
                              "replace(pliegue(?), '\\', '\\\\'), '%', '\\%'), '_', "
                              "'\\_') || '%'")
            .arg(tabla, columna);
    }
    QString plegado = plegar(texto);
    if (plegado.toUcs4().size() < 3) {
        valores << texto;
        return QStringLiteral("SELECT Id FROM %1 WHERE contiene(%2, ?)").arg(tabla, columna);
    }
    // One phrase: the index then finds the folded text as a substring, as contiene() does.
    valores << QLatin1Char('"') + plegado.replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
    return QStringLiteral("SELECT rowid FROM fts%1 WHERE fts%1 MATCH ?").arg(tabla.mid(3));
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
