#pragma once

#include "core/store/Importe.h"
#include "core/store/Resultado.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace torvane {

/*
 * Reading and writing the small tables kept by the inline editors: concepts, VAT types,
 * series, a tenant's family members and bank accounts. Rows come back as the texts the grids
 * show; null fields read as empty text.
 */
namespace Editores {

/** Des, Imp ("#,###,##0.00"), Obs, Id; in Id order. */
QList<QStringList> conceptos();
/** TIV, IVA, Req (as typed back: 21,5), "SÍ"/"NO"; in the table's own order. */
QList<QStringList> tiposIva();
/** Nom, DNI, Obs, Id of one tenant's family, by name. */
QList<QStringList> familiares(int idInq);
/**
 * IBAN (in groups of four), Banco, mandate reference, its signature date, first debit done
 * ("SÍ"/"NO"), Obs, Id of one tenant's accounts, by bank name.
 */
QList<QStringList> cuentas(int idInq);
/** Id, Cod, Des; in Id order. */
QList<QStringList> series();

/**
 * Inserts a row whose Id the engine gives as it stores it (one past the largest, while the
 * year's writers wait their turn, on both engines): two desks adding at once never get the same.
 * Returns that Id.
 */
Resultado<int> insertarConNuevoId(const QString& tabla, const QStringList& campos,
                                  const QVariantList& valores);
/** Writes campos of the row whose Id is id. */
Resultado<> actualizarPorId(const QString& tabla, int id, const QStringList& campos,
                            const QVariantList& valores);
/** Deletes the row whose campoClave is clave. */
Resultado<> borrarFila(const QString& tabla, const QString& campoClave, int clave);

/** Why a typed VAT code cannot be saved (anterior: the code being edited); empty when it can. */
QString problemaTipoIva(const QString& texto, std::optional<int> anterior);
/** Inserts a VAT type, or rewrites the type anterior (its code included). */
void guardarTipoIva(int tiv, Decimal iva, Decimal req, bool activo, std::optional<int> anterior);

/** Whether any document carries this series code. */
bool serieUsada(const QString& cod);
/** Why a series code cannot be saved for the series id; empty when it can. */
QString problemaSerie(const QString& cod, int id);

} // namespace Editores

} // namespace torvane
