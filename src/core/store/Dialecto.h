#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

namespace torvane {

/*
 * The few SQL pieces that differ between SQLite and PostgreSQL. Windows build their statements
 * from these so that moving an office to a server stays a change of this file only.
 */

/** Month (1-12) of a stored ISO date column, as an integer expression. */
QString sqlMes(const QString& columna);

/** Year of a stored ISO date column, as an integer expression. */
QString sqlAno(const QString& columna);

/** Case- and accent-insensitive substring test of columna against one bound value. */
QString sqlContiene(const QString& columna);

/**
 * A SELECT, for the engine of db, of the Ids of tabla whose columna holds texto (case and accents
 * aside, as sqlContiene), served by the table's text index; appends what it binds to valores. Texts
 * under three characters, which the year file's index cannot serve, are compared row by row.
 */
QString sqlIdsConTexto(const QSqlDatabase& db, const QString& tabla, const QString& columna,
                       const QString& texto, QVariantList& valores);

/** Texts joined like the original "&": a null part counts as empty text. */
QString sqlUnir(std::initializer_list<QString> partes, const QString& separador = {});

} // namespace torvane
