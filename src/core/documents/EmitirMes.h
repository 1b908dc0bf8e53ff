#pragma once

#include "core/store/Resultado.h"

#include "core/documents/Documentos.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

namespace torvane {

/*
 * The monthly run: what each let property bills every month (its recurring lines and terms),
 * the proposal of a month's documents, issuing them all at once and undoing the last run.
 */

/** How a property is billed each month. */
struct CondicionesCargo {
    Decimal porIva;
    Decimal porRet;
    bool factura = false; ///< printed as an invoice; a receipt otherwise
    QString serie;        ///< empty: the first series of the year (never the rectifying one)
};

CondicionesCargo leerCondiciones(int idInm);
/**
 * The terms the property's charges window starts from: its own once it has charges, else those
 * a new document of its tenant would take (see ajustesNuevoDocumento), so a flat's first monthly
 * run is exempt and premises are invoiced with VAT.
 */
CondicionesCargo condicionesPropuestas(int idInm);
/** The property's recurring lines in order (Linea::idDoc holds the property). */
QList<Linea> leerCargos(int idInm);
/** Replaces the property's terms and recurring lines in one transaction. */
Resultado<> guardarCargos(int idInm, const CondicionesCargo& condiciones,
                          const QList<Linea>& lineas);
/** The rent line proposed for a property: one unit of concept 1 at the property's price. */
Linea lineaAlquiler(int idInm);

/**
 * The first month of the working year ano not yet issued: the one after its newest document
 * (December stays December). A year without documents starts with this month when it is the
 * current year, with January otherwise (a next year made in December).
 */
QDate mesPropuesto(int ano);

/**
 * Why a run of mes dated fecha does not belong in the working year ano, or is dated outside the
 * month it bills; empty when it does.
 */
QString motivoFueraDeAno(const QDate& mes, const QDate& fecha, int ano);

/** The date a new document of the working year ano proposes: today, or the year's nearest day. */
QDate fechaEnAno(const QDate& hoy, int ano);
/** Why a document dated fecha does not belong in the working year ano; empty when it does. */
QString motivoFechaFueraDeAno(const QDate& fecha, int ano);

/** What a new document starts with, before its first line, and where that came from. */
struct AjustesDocumento {
    enum Origen { Cargos, UltimoDelInquilino, Vivienda, Local, Empresa };
    QString serie;
    Decimal porIva;
    Decimal porRet;
    bool factura = false;
    Origen origen = Empresa;
    /** "Serie, IVA y retención de …", as the sheet tells it. */
    QString texto() const;
};

/**
 * The settings of a new document for a property and tenant: the property's monthly charges
 * when it has them, else the tenant's last document, else the terms of the property's use (a
 * home: the first series, exempt from VAT, no withholding; other premises: an invoice in the
 * first invoice series, VAT type 1, the default withholding), else the company's defaults (the
 * first series, VAT type 1, the default withholding). Never the rectifying series.
 */
AjustesDocumento ajustesNuevoDocumento(int idInm, int idInq);

/** One property's document in the month's proposal. */
struct PropuestaMes {
    int idInm = 0;
    int idInq = 0;
    QString inmueble;
    QString inquilino;
    CondicionesCargo condiciones;
    QList<Linea> lineas;
    Totales totales;
    QString aviso; ///< why it is proposed unchecked ("ya emitido: 57A"); empty: checked
    QString resumen() const;
};

/**
 * Every property with a tenant and recurring lines, in description order, for the month of mes.
 * serieForzada, when not empty, replaces each property's series.
 */
QList<PropuestaMes> proponerMes(const QDate& mes, const QString& serieForzada = {});

/**
 * Creates the documents of elegidas dated fecha in one transaction, numbered consecutively in
 * each series, and records them as one run. A date outside the working year ano (or in the
 * rectifying series) fails with the reason. seguir(n) is asked after each document; false cancels
 * the run and nothing is stored (returns 0). Returns the run's Id.
 */
Resultado<int> emitirMes(const QList<PropuestaMes>& elegidas, const QDate& fecha, int ano,
                         const std::function<bool(int)>& seguir = {});

/** The documents of a run in series and number order. */
QList<int> documentosEmision(int idEmi);
/** The newest run that still has documents; 0 when none. */
int ultimaEmision();
/**
 * Why the run cannot be undone: a document of it printed, remitted, paid or cancelled (the state
 * table), or a later number in one of its series; empty when it can.
 */
QString motivoNoDeshacer(int idEmi);
/** Deletes the run's documents and lines in one transaction; a refusal comes back as its Fallo. */
Resultado<> deshacerEmision(int idEmi);

/** Whether a document was issued to be printed as an invoice (else a receipt). */
bool seImprimeComoFactura(int id);

} // namespace torvane
