#pragma once

#include "data/Consulta.h"
#include "data/Totales.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

/*
 * The collection documents in the database: header, lines, numbering and the list of the year.
 * The windows of the collection cycle call these; none shows anything.
 */

/** A document header as the sheet edits it. */
struct Cabecera {
    int id = 0;
    std::optional<int> num; ///< none: keep the stored number
    QString ser;
    int idInq = 0;
    int idInm = 0;
    QDate fec; ///< invalid: keep the stored date
    int tri = 0;
    double porRet = 0;
    double porIva = 0;
    bool pag = false;
    Totales totales;
    QString obs;
};

/** One document line. */
struct Linea {
    int idDoc = 0;
    int lin = 0;
    int idCon = 0;
    QString desCon;
    double und = 0;
    double pre = 0;
    double imp = 0;
};

/** Series codes in Id order. */
QStringList codigosSeries();
/** Adds series "A" ("Serie por defecto") when there is none, so a document always has one. */
void asegurarSerie();

/** The withholding % proposed for new documents (company data), if any. */
std::optional<double> retencionPorDefecto();

/** Inserts the header of a new document: number, series, parties, date and quarter. */
void crearCabecera(const Cabecera& c);
std::optional<Cabecera> leerCabecera(int id);
/** Rewrites the whole header (totals included). */
void guardarCabecera(const Cabecera& c);
/** Removes a header that has no lines (a new document left empty). */
void borrarCabecera(int id);
/** Removes a document and its lines together. */
void borrarDocumento(int id);

/** Sum of units × price of the stored lines, rounded to cents; 0 without lines. */
double subtotalDocumento(int idDoc);
int numeroLineas(int idDoc);
/** Grid rows of the lines in Lin order: Lin, IdCon, DesCon, units, price, amount, Id, IdDoc. */
QList<QStringList> filasLineas(int idDoc);

std::optional<Linea> leerLinea(int id);
/** Adds a line with the next free line Id. */
void crearLinea(const Linea& l);
/** Moves lines l.lin and after down by one and adds l at l.lin, all or nothing. */
void insertarLinea(const Linea& l);
/** Rewrites concept, description, units, price and amount; position and document stay. */
void guardarLinea(int id, const Linea& l);
void borrarLinea(int id);

/** A concept's code, description and default amount. */
struct Concepto {
    int id = 0;
    QString des;
    double imp = 0;
};
std::optional<Concepto> leerConcepto(int id);

/** Name and "DNI: ..." / telephones of a tenant, as the sheet shows them. */
struct DatosInquilino {
    QString nom;
    QString info;
};
std::optional<DatosInquilino> datosInquilino(int id);
QString descripcionInmueble(int id);

/** What the list of documents shows. */
struct FiltroCobros {
    QDate desde;
    QDate hasta;
    QString texto; ///< searched in the property description and the tenant name
    bool pendientes = false;
    QString serie; ///< empty: every series
};

/**
 * The list rows, newest date first and, within a date, number-and-series as text descending.
 * Rows are read as they are asked for: Fecha, Nº, Inmueble, Inquilino, Base, %, IVA, %, RET,
 * TOTAL, Pag, Id (the caller adds the counter).
 */
std::function<bool(QStringList&)> filasCobros(const FiltroCobros& filtro);

struct ResumenCobros {
    int cuenta = 0;
    double total = 0;
};
/** Count and sum of totals of the same documents the list shows, read through db. */
ResumenCobros resumenCobros(const FiltroCobros& filtro, const QSqlDatabase& db = Conexion());
