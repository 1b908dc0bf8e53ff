#pragma once

#include "core/reports/DatosInforme.h"
#include "core/reports/Exportacion.h"

#include <QDate>
#include <QStringList>

namespace torvane {

/*
 * The numbers a landlord's tax returns ask for, from the documents of a quarter or a year:
 * VAT charged per rate, withholding suffered per tenant and quarter, operations with third
 * parties above the yearly threshold, and rents per property. Amounts are added in cents, so
 * they agree to the cent with the collections list of the same dates.
 */

/** A quarter (1-4) of a year, or the whole year (trimestre 0). */
struct Periodo {
    int ano = 0;
    int trimestre = 0;

    QDate desde() const;
    QDate hasta() const;
    /** "1.er trimestre de 2024", "Año 2024". */
    QString texto() const;
};

/** Form 347 lists a third party only when its yearly total exceeds this, in cents. */
inline constexpr qint64 kUmbral347 = 300506;

/**
 * One section of the summary: its typed rows (without the totals, which hojaConTotales() adds),
 * the template that prints it and the key under which the template names each column.
 */
struct Seccion {
    QString titulo;
    QString plantilla;
    QStringList claves;
    Hoja hoja;
};

/** Base and VAT per rate, ascending; exempt documents (0 %) apart on the last row. */
Seccion ivaRepercutido(const Periodo& periodo);
/** Base and withholding of documents with withholding, per tenant N.I.F. and quarter. */
Seccion retencionesSoportadas(const Periodo& periodo);
/**
 * Per tenant N.I.F., base plus VAT of the year's documents split by quarter, only for those
 * whose yearly total is more than 3.005,06 €. Always the whole year of ano.
 */
Seccion operacionesConTerceros(int ano);
/** Per property: documents, rents (base), the part collected, and withholding. */
Seccion rendimientosInmuebles(const Periodo& periodo);

/**
 * The rows and totals of a section for its template, each cell under its key as the grid writes
 * it; no totals when there are no rows.
 */
FilasInforme filasDeSeccion(const Seccion& seccion);

} // namespace torvane
