#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

namespace torvane {

/*
 * The global search: one typed text looked for, ignoring case and accents, in tenants (name,
 * N.I.F., telephones, IBAN), properties (description, address) and the year's documents
 * (number with or without its series, total amount).
 */

enum class ClaseResultado { Inquilino, Inmueble, Documento };

/** One found record as the search lists it. */
struct Hallazgo {
    ClaseResultado clase;
    int id = 0;
    QString titulo;  ///< name, description or number with series
    QString detalle; ///< what tells it apart: N.I.F. and telephones, address, date and parties
    QString importe; ///< a document's total, formatted; empty otherwise
};

/** At most this many results of each class are listed, the first by name or latest date. */
inline constexpr int kMaximoPorClase = 50;

struct Resultados {
    QList<Hallazgo> filas;
    bool recortada = false; ///< some class had more than kMaximoPorClase matches
};

/**
 * Tenants by name, properties by description, documents latest first. Blanks typed inside a
 * N.I.F., telephone or IBAN do not count. Nothing is found for an empty text.
 */
Resultados buscarEnTodo(const QString& texto);

/** One statement of the search, with its values to bind. */
struct ConsultaBusqueda {
    ClaseResultado clase;
    QString sql;
    QVariantList valores;
};

/**
 * The statements buscarEnTodo() runs for texto, one per class that can match it (none for an
 * empty text); each asks for one row more than kMaximoPorClase.
 */
QList<ConsultaBusqueda> consultasBusqueda(const QString& texto);

/** "Inquilino", "Inmueble" or "Recibo". */
QString nombreClase(ClaseResultado clase);

} // namespace torvane
