#pragma once

#include "core/store/Importe.h"

#include <QString>
#include <QVariant>

namespace torvane {

/*
 * Lookups shared by the windows. Table and field names come from the program itself; every
 * value is bound. None shows a message: "not found" is a fixed value the caller tests.
 */

/**
 * Largest value of campo plus one (within serie when given, which only tblCobros has; series
 * compared without regard to case); 1 when none.
 */
int SiguienteNumero(const QString& tabla, const QString& campo, const QString& serie = {});

/** Largest campo among the rows whose campoClave is clave, plus one; 1 when none. */
int SiguienteLinea(const QString& tabla, const QString& campo, const QString& campoClave,
                   int clave);

/** Whether a row has campo = numero (and the series serie, case aside, when not empty). */
bool ExisteNumero(const QString& tabla, const QString& campo, int numero,
                  const QString& serie = {});

/** Whether a row has campo equal to valor, ignoring case and accents. */
bool ExisteValor(const QString& tabla, const QString& campo, const QString& valor);

/** Description of the row whose campoCodigo is codigo; "NO ENCONTRADO" when there is none. */
QString DescripcionDeCodigo(const QString& tabla, const QString& campoCodigo,
                            const QString& campoDescripcion, int codigo);

/** Code of the row whose campoDescripcion equals descripcion (ignoring case); 0 when none. */
int CodigoDeDescripcion(const QString& tabla, const QString& campoDescripcion,
                        const QString& campoCodigo, const QString& descripcion);

/** Current tenant of a property; 0 when none or no such property. */
int InquilinoDeInmueble(int idInmueble);

/** VAT type code whose percentage is porcentaje (decimals included); -1 when none. */
int TipoIvaDePorcentaje(Decimal porcentaje);

/** VAT percentage of a type code; 0 when there is no such type. */
Decimal tasaIvaDeTipo(int tipo);

/** Quarter 1-4 of a month; an invalid QVariant for a month outside 1-12. */
QVariant Trimestre(int mes);

inline const QString kNoEncontrado = QStringLiteral("NO ENCONTRADO");

} // namespace torvane
