#pragma once

#include "core/store/Importe.h"
#include "core/store/Resultado.h"

#include "core/reports/DatosInforme.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace torvane {

/*
 * Contracts: each property's leases over time (one current), their deposits, the yearly rent
 * update by an index or a fixed percentage, and what falls due soon. Texts returned for the user
 * are Spanish; what a window calls gives a Resultado.
 */

enum class TipoContrato { Vivienda = 0, Local, Oficina, Garaje, Otro };
enum class Regla { Ninguna = 0, Ipc, Irav, Fijo };

/** "Vivienda habitual", "Local", ... in the order of TipoContrato. */
QStringList nombresTipos();
/** "Ninguna", "IPC", "IRAV", "Fijo" in the order of Regla. */
QStringList nombresReglas();

/** Housing contracts signed from this day on (Ley 12/2023 in force) never go above the IRAV. */
inline const QDate kInicioTopeIrav(2023, 5, 26);

/**
 * What sets the income-tax reduction of a home let under a contract signed from kInicioTopeIrav
 * on: the general one, a stressed area with the rent lowered more than 5 % from the previous
 * contract, a stressed area let for the first time or to tenants of 18 to 35, or refurbishment
 * finished in the two years before.
 */
enum class ReduccionVivienda { General = 0, RentaRebajada, JovenesOPrimeraVez, Rehabilitada };
/** "General (50 %)", ... in the order of ReduccionVivienda. */
QStringList nombresReducciones();

struct Contrato {
    int id = 0;
    int idInm = 0;
    int idInq = 0;
    TipoContrato tipo = TipoContrato::Vivienda;
    QDate inicio;
    int duracion = 12; ///< months
    int prorroga = 0;  ///< months of agreed extensions
    Importe renta;
    Regla regla = Regla::Ninguna;
    Decimal porFijo;           ///< the yearly % of Regla::Fijo
    int mesActualizacion = 0;  ///< 1..12; 0: the month it started
    QDate ultimaActualizacion; ///< the due date of the last update applied
    Importe fianza;
    Decimal fianzaMeses;
    QDate fianzaFecha;      ///< lodged
    QString fianzaDeposito; ///< where it was lodged
    QString fianzaReferencia;
    QDate fianzaDevolucion; ///< returned; invalid while held
    Importe fianzaDevuelta;
    QString garantias;
    QString obs;
    bool actual = true;
    ReduccionVivienda reduccion = ReduccionVivienda::General;

    /** The last day: start plus duration and extensions, minus a day. */
    QDate fin() const;
    bool esVivienda() const { return tipo == TipoContrato::Vivienda; }
    int mesDeActualizacion() const;
    /** Whether an update by IPC or a fixed % is capped at the IRAV. */
    bool llevaTopeIrav() const;
    /**
     * First day of the first update month not yet applied; invalid without a rule or after the
     * end (a home's, with the extensions the law allows).
     */
    QDate proximaActualizacion() const;
};

/** Why the contract cannot be stored, or an empty text. */
QString validarContrato(const Contrato& c);

QList<Contrato> leerContratos(int idInm = 0);
std::optional<Contrato> leerContrato(int id);
/**
 * Stores the contract (a new one when id is 0) and returns its Id. A current contract makes the
 * property's others past, and sets the property's tenant, price and rent line to its own (the
 * rent line is added to the monthly charges when missing).
 */
Resultado<int> guardarContrato(Contrato c);
/** Deletes a contract and its rent history. */
void borrarContrato(int id);

/** Index rates typed for a month, as annual variation percentages. */
struct Indices {
    std::optional<Decimal> ipc;
    std::optional<Decimal> irav;
};

struct Actualizacion {
    Importe rentaAnterior;
    Importe rentaNueva;
    Decimal tasa;        ///< the % applied
    QString indice;      ///< "IPC", "IRAV", "Fijo"
    QString explicacion; ///< the calculation in words, for the grid and the letter
    QString error;       ///< why it cannot be computed (a rate is missing)
};

/**
 * The new rent: rent × (100 + rate) / 100 to the cent, rounded once, capped at the IRAV where the
 * law says.
 */
Actualizacion calcularActualizacion(const Contrato& c, const Indices& indices);

/** Current contracts with a rule whose next update falls in mes or earlier, by property. */
QList<Contrato> contratosPorActualizar(const QDate& mes);

std::optional<Decimal> leerIndice(const QString& indice, int ano, int mes);
void guardarIndice(const QString& indice, int ano, int mes, Decimal tasa);

/** A contract and its computed update. */
struct RentaNueva {
    Contrato contrato;
    Actualizacion actualizacion;
};

/**
 * Applies updates from desde in one transaction, with the rates typed for mes: each is kept in
 * its contract's history and moves the contract's rent and next update, and (for a current
 * contract) the property's price and rent line.
 */
Resultado<> aplicarActualizaciones(const QList<RentaNueva>& rentas, const QDate& desde,
                                   const QDate& mes, const Indices& indices);

struct RentaPasada {
    QDate desde;
    Importe anterior;
    Importe renta;
    QString explicacion;
};
QList<RentaPasada> historialRentas(int idCon);

/** Something that falls due: a contract ending, an update or a deposit to return. */
struct Vencimiento {
    QDate fecha;
    QString clase; ///< "Fin de contrato", "Actualización", "Fianza"
    int idCon = 0;
    QString detalle;
};

/**
 * What a contract has due up to hoy + dias (overdue things included), by date. A home's end
 * follows the law of its signing date (PlazosVivienda); sociedad: the landlord is a company.
 */
QList<Vencimiento> vencimientosDe(const Contrato& c, const QDate& hoy, int dias = 60,
                                  bool sociedad = false);
/** The same for every contract, the landlord's kind read from the company data. */
QList<Vencimiento> vencimientos(const QDate& hoy, int dias = 60);

/**
 * Why a property cannot be deleted for its contracts: a current one, or a deposit not returned;
 * empty when none holds it.
 */
QString motivoContratosInmueble(int idInm);
/** Why a property cannot be deleted: its documents first, then its contracts; empty when none. */
QString motivoNoBorrarInmueble(int idInm);

/** Property description and tenant name of a contract, for lists and letters. */
QString nombreInmueble(int idInm);
QString nombreInquilino(int idInq);
/** The property's monthly price (0 when none). */
Importe precioInmueble(int idInm);

/** The letter's parameters (Actualizacion.rpt) for one tenant. */
ParametrosInforme datosCarta(const Contrato& c, const Actualizacion& a, const QDate& desde);
/** Rows of Contratos.rpt (every contract) and Fianzas.rpt (every deposit). */
FilasInforme filasContratos();
FilasInforme filasFianzas();

} // namespace torvane
