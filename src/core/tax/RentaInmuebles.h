#pragma once

#include "core/expenses/Gastos.h"
#include "core/reports/DatosInforme.h"
#include "core/reports/Exportacion.h"
#include "core/store/Anos.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <array>

namespace torvane {

/*
 * What each property earned in a year as the income-tax return asks for it (Ley 35/2006,
 * arts. 22 to 24 and 85, as Ley 12/2023 left them): income, deductible expenses, interest and
 * repairs capped at the income with the excess carried four years, depreciation, net income,
 * the reduction for letting a home and the income imputed for the days it stood empty. For a
 * company landlord the same without the personal rules, as an accounting view. Amounts are in
 * cents; every figure comes with the line that says where it comes from. It prepares figures:
 * it files nothing.
 */

/** A stretch let under one contract, within the year. */
struct TramoAlquiler {
    QDate desde;
    QDate hasta;
    bool vivienda = false; ///< a home let as the tenant's dwelling
    QDate firma;           ///< when the contract started: before 26/05/2023 the old reduction
    int reduccion = 0;     ///< ReduccionVivienda of the contract
};

/** One expense as it falls on the property: its share, in cents. */
struct GastoDelInmueble {
    QDate fecha;
    TipoGasto tipo = TipoGasto::Otros;
    qint64 importe = 0;
    qint64 iva = 0; ///< deductible VAT within importe
};

/** Everything the year's figures of one property are worked from. */
struct EntradaRenta {
    int ano = 0;
    bool sociedad = false;
    int idInm = 0;
    QString inmueble;
    DatosFiscales fiscal;
    QList<TramoAlquiler> tramos;
    qint64 ingresos = 0; ///< invoiced bases, cancelled documents out
    QList<GastoDelInmueble> gastos;
    QMap<int, qint64> pendientes; ///< interest and repairs not yet deducted, by year of origin
};

/** One figure and where it comes from. */
struct LineaRenta {
    QString concepto;
    qint64 importe = 0;
    QString origen;
};

struct RentaInmueble {
    int idInm = 0;
    QString inmueble;
    int diasAlquilado = 0;
    int diasVacio = 0;
    qint64 ingresos = 0;
    std::array<qint64, kTiposGasto>
        gastos{};                     ///< deductible by kind (interest and repairs before the cap)
    qint64 gastosGenerales = 0;       ///< deductible, interest and repairs apart
    qint64 interesesReparaciones = 0; ///< deducted this year, earlier years' included
    qint64 amortizacion = 0;
    qint64 neto = 0;
    qint64 reduccion = 0;
    qint64 netoReducido = 0;
    qint64 imputacion = 0;
    qint64 mejoras = 0;                  ///< improvements of the year, added to the cost
    QMap<int, qint64> pendientesDespues; ///< left for later years, by year of origin
    QList<LineaRenta> lineas;
};

/** The figures of one property from its data; no database. */
RentaInmueble calcularRenta(const EntradaRenta& e);

/** The data of every property for ano, from the open year. */
QList<EntradaRenta> entradasDelAno(int ano);

/** calcularRenta of every property with anything in ano. */
Resultado<QList<RentaInmueble>> rentaDelAno(int ano);

/** One row per property, with totals. */
Hoja hojaRenta(const QList<RentaInmueble>& rentas);
/** Every figure with its origin, property after property: the printed and exported detail. */
Hoja hojaDetalleRenta(const QList<RentaInmueble>& rentas);
/** The detail for the list template RentaInmuebles. */
FilasInforme filasRenta(const QList<RentaInmueble>& rentas);

/**
 * What a year passes to the next one: the interest and repairs still to deduct and the year's
 * improvements, added to each property's earlier ones. For crearAnoDesde.
 */
AlCrearAno arrastreAlAnoSiguiente(const QList<RentaInmueble>& rentas);

} // namespace torvane
