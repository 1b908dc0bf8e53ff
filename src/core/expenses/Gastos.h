#pragma once

#include "core/reports/Exportacion.h"
#include "core/store/Resultado.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace torvane {

/*
 * What the landlord pays for each property: expenses by date, of one property or shared among
 * several by a key of weights, and each property's cadastral and acquisition data. Amounts are
 * what was paid, VAT included; the VAT a company landlord deducts is kept apart.
 */

/** The groups the return asks for, in the order they are listed. */
enum class TipoGasto {
    Tributos = 0,
    Comunidad,
    Seguro,
    Reparaciones,
    Intereses,
    Suministros,
    Administracion,
    Otros,
    Mejoras, ///< not an expense of the year: added to the property's cost
};
inline constexpr int kTiposGasto = 9;

/** "IBI y tributos locales", "Comunidad", ... in the order of TipoGasto. */
QStringList nombresTiposGasto();

struct Gasto {
    int id = 0;
    QDate fecha;
    int idInm = 0; ///< the property it is of; 0 when shared by a key
    int idRep = 0; ///< the share key; 0 when of one property
    TipoGasto tipo = TipoGasto::Otros;
    QString proveedor;
    QString nif;
    QString descripcion;
    Importe importe;      ///< paid, VAT included
    Importe ivaDeducible; ///< the part a company landlord deducts as input VAT
};

/** Why the expense cannot be stored, or an empty text. */
QString validarGasto(const Gasto& g);

/** Which expenses a list shows: dates, property (its own and shared ones), kind (-1: any). */
struct FiltroGastos {
    QDate desde;
    QDate hasta;
    int idInm = 0;
    int tipo = -1;
    QString texto; ///< in supplier, N.I.F. or description
};

QList<Gasto> leerGastos(const FiltroGastos& filtro);
/** Stores the expense (new when id is 0); its Id. */
Resultado<int> guardarGasto(Gasto g);
Resultado<> borrarGasto(int id);

/** A share key: the properties an expense is split among, each with its weight. */
struct Reparto {
    int id = 0;
    QString nombre;
    QMap<int, Decimal> partes; ///< property Id → weight
};

QList<Reparto> leerRepartos();
/** Why the key cannot be stored, or an empty text. */
QString validarReparto(const Reparto& r);
Resultado<int> guardarReparto(Reparto r);

/**
 * cents split by the weights, to the cent, the cents left over going to the largest remainders
 * (the lowest Id first on a tie): the parts always add up to the whole.
 */
QMap<int, qint64> repartir(qint64 centimos, const QMap<int, Decimal>& partes);

/**
 * The expenses as a sheet (date, property or key, kind, supplier, N.I.F., ..., amount); for
 * idInm, a shared expense counts with that property's share.
 */
Hoja hojaGastos(const QList<Gasto>& gastos, int idInm = 0);

/** A property's data for the income-tax return. */
struct DatosFiscales {
    Importe valorCatastral;
    Importe valorConstruccion; ///< the part of the cadastral value that is not land
    bool revisado = false;     ///< cadastral value revised in the last ten years
    Importe costeAdquisicion;  ///< price with the costs and taxes of buying
    QDate fechaAdquisicion;
    Importe mejorasAnteriores; ///< improvements of earlier years, added to the cost
    Importe mobiliario;        ///< value of the furniture let with it
    bool vivienda = true;
};

QString validarDatosFiscales(const DatosFiscales& d);
DatosFiscales leerDatosFiscales(int idInm);
Resultado<> guardarDatosFiscales(int idInm, const DatosFiscales& d);

} // namespace torvane
