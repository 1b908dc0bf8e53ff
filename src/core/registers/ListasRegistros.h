#pragma once

#include "core/store/Importe.h"
#include "core/store/Resultado.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace torvane {

/*
 * The lists and records of the property and tenant registers. Every row starts with its
 * number (1, 2, 3 ...) so the grid can show it as given; NULL fields come back as empty text.
 * Filters are substring matches ignoring case and accents, with the typed text bound.
 */

/** Rows of the search window for "Inquilinos", "Inmuebles" or "Conceptos": number, code, name[,
 * tenant]. */
QList<QStringList> ListaAtopar(const QString& estado, const QString& filtro);

/** Tenants by name: number, Nom, Tfn and Mob joined by a blank, Mail, Id. */
QList<QStringList> ListaInquilinos(const QString& filtro);

/** Properties by code: number, Des, joined address, tenant's Nom, Id, IdInq. */
QList<QStringList> ListaInmuebles(const QString& filtro);

/** Deletes a tenant and its family members together; accounts and properties stay. */
Resultado<> BorrarInquilino(int id);

/** Deletes one property and its monthly charges; refused (ErrorBD) as motivoNoBorrar says. */
Resultado<> BorrarInmueble(int id);

struct FichaInquilino {
    int Id = 0;
    QString Nom, DNI, Tfn, Mob, Mail, Obs;
    QString Dir, CP, Pob, Pro; ///< the tenant's own address; empty when it is the property's
};

std::optional<FichaInquilino> LeerInquilino(int id);
/**
 * Inserts the row (nuevo; its Id given by the engine, ficha's ignored) or rewrites every field
 * but Id. Returns the row's Id.
 */
Resultado<int> GuardarInquilino(const FichaInquilino& ficha, bool nuevo);

struct FichaInmueble {
    int Id = 0;
    QString Des, Dir, CP, Pob, Pro;
    Importe Pre;
    int IdInq = 0; ///< 0 when the property is not let
    QString Obs;
};

std::optional<FichaInmueble> LeerInmueble(int id);
/**
 * Inserts the row (nuevo; its Id given by the engine, ficha's ignored) or rewrites every field
 * but Id. Returns the row's Id.
 */
Resultado<int> GuardarInmueble(const FichaInmueble& ficha, bool nuevo);

} // namespace torvane
