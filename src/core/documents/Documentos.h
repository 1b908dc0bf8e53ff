#pragma once

#include "core/store/Resultado.h"

#include "core/documents/Totales.h"
#include "core/store/Consulta.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace torvane {

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
    Decimal porRet;
    Decimal porIva;
    bool pag = false;
    Totales totales;
    QString obs;
    bool factura = false; ///< printed as an invoice; set when the document is made
};

/** One document line. */
struct Linea {
    int idDoc = 0;
    int lin = 0;
    int idCon = 0;
    QString desCon;
    Decimal und;
    Importe pre;
    Importe imp; ///< und × pre, to the cent
};

/** A line with its amount worked out; refused beyond the amount limit. */
Resultado<Linea> lineaCon(Linea l);

/** Series codes in Id order. */
QStringList codigosSeries();
/** The series a document may be made in, in Id order: all but the rectifying one. */
QStringList seriesParaDocumentos();
/** "(la primera)": the first series a document may be made in; empty when there is none. */
QString primeraSerie();
/** The first series kept for invoices, or the first series when none is. */
QString primeraSerieFacturas();
/** Adds series "A" ("Serie por defecto") when there is none, so a document always has one. */
void asegurarSerie();

/** The withholding % proposed for new documents (company data), if any. */
std::optional<Decimal> retencionPorDefecto();

std::optional<Cabecera> leerCabecera(int id);
inline const QString kEditandoOtroPuesto =
    QStringLiteral("Este documento lo está editando otro puesto");

/**
 * Takes document id for this desk's sheet until liberarDocumento (or the connection ends);
 * false when another desk holds it. A year file has one program at a time: always true.
 */
bool reservarDocumento(int id);
Resultado<> liberarDocumento(int id);
/**
 * After a reconnection, takes again the documents this desk held (the server let them go with
 * the old connection); returns those another desk took meanwhile, no longer held here.
 */
QList<int> retomarDocumentos();

/** Removes a document and its lines together; refused while another desk holds it. */
Resultado<> borrarDocumento(int id);

inline const QString kSerieSoloRectificativas =
    QStringLiteral("La serie %1 es solo para las facturas rectificativas (se hacen con "
                   "«Rectificar» desde la factura). Elija otra serie.");

/** The rectifying series while the verifiable mode is on; null otherwise. */
QVariant serieRectificativaActiva();

inline const QString kNumeroRepetido =
    QStringLiteral("Este número de recibo ya existe. Ponga otro");

/** A save refused because another document holds the number in its series. */
class NumeroRepetido : public ErrorBD {
public:
    NumeroRepetido()
        : ErrorBD(kNumeroRepetido) {}
};

/**
 * Whether document id (0: a new one) may hold num in series ser: no other document holds it,
 * case aside, or this one already did (an older file may repeat numbers; it keeps them).
 */
bool numeroLibre(int id, int num, const QString& ser);

/** The change to a document's lines that goes with one save of its header. */
struct CambioLineas {
    enum Tipo { Ninguno, Anadir, Insertar, Editar, Borrar };
    Tipo tipo = Ninguno;
    Linea linea;     ///< Anadir: after the last line; Insertar: at linea.lin; Editar: new values
    int idLinea = 0; ///< the line edited or removed
};

/**
 * The one save path of a document. In one transaction: creates the header when c.id is 0 (Id,
 * and the number when c.num is empty, taken inside the transaction) or rewrites it, applies the
 * line change (each line's Imp is units × price rounded to the cent), and rewrites SubTotal,
 * Base, IVA, Ret and Tot from the stored lines and the header's percentages. A number another
 * document holds in the series (case aside) fails with kNumeroRepetido and nothing is stored.
 * Returns the header as stored.
 */
Resultado<Cabecera> guardarDocumento(const Cabecera& c, const CambioLineas& cambio = {});

/** A whole new document, header and lines, in one transaction (see guardarDocumento). */
Cabecera crearDocumento(const Cabecera& c, const QList<Linea>& lineas);
/** crearDocumento inside the caller's transaction; returns the new Id. */
int escribirDocumentoNuevo(const Cabecera& c, const QList<Linea>& lineas);

/**
 * Writes new documents one after another inside the caller's transaction, each as
 * escribirDocumentoNuevo would: its statements are prepared once, and the next Ids and each
 * series' next number are read once and then counted on, the transaction keeping other writers
 * out meanwhile.
 */
class EscritorDocumentos {
public:
    EscritorDocumentos();
    ~EscritorDocumentos();
    EscritorDocumentos(const EscritorDocumentos&) = delete;
    EscritorDocumentos& operator=(const EscritorDocumentos&) = delete;
    /**
     * Header and lines, with the totals of those lines; idEmi, when not null, is the run it
     * belongs to. A number another document holds in the series fails with kNumeroRepetido.
     * Returns the new Id.
     */
    int escribir(const Cabecera& c, const QList<Linea>& lineas, const QVariant& idEmi = {});

private:
    /** The series as the engine's upper() leaves it; empty without a series. */
    QString claveSerie(const QString& serie);
    /** The document's own number, or the next one of its series. */
    int numeroPara(const Cabecera& c);

    struct Sentencias;
    std::unique_ptr<Sentencias> sentencias_;
    std::optional<int> siguienteId_;
    std::optional<int> siguienteLinea_;
    QHash<QString, int> siguienteNumero_; ///< by series as the engine's upper() leaves it
};

/** Rewrites a header's totals from its stored lines and percentages; inside the caller's
 * transaction. */
void reescribirTotales(int idDoc);

/** Sum of the stored line amounts; 0 without lines. */
Importe subtotalDocumento(int idDoc);
int numeroLineas(int idDoc);
/** Grid rows of the lines in Lin order: Lin, IdCon, DesCon, units, price, amount, Id, IdDoc. */
QList<QStringList> filasLineas(int idDoc);

std::optional<Linea> leerLinea(int id);

/** What a document names, and so cannot go while documents use it. */
enum class UsadoPor { Inquilino, Inmueble, Concepto };

/**
 * Why a tenant, property or concept cannot be deleted: how many documents of the year use it.
 * Empty when none does. (A property's contracts hold it too: see motivoNoBorrarInmueble.)
 */
QString motivoNoBorrar(UsadoPor que, int id);

/** A concept's code, description and default amount. */
struct Concepto {
    int id = 0;
    QString des;
    Importe imp;
};
std::optional<Concepto> leerConcepto(int id);
/**
 * The concept a typed text names: its code, else its description (ignoring case and accents).
 * Given a property that bills the concept monthly, with that charge's description and price.
 */
std::optional<Concepto> conceptoDeTexto(const QString& texto, int idInm = 0);

/** Name and "N.I.F.: ..." / telephones of a tenant, as the sheet shows them. */
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
 * TOTAL, Pag ("SÍ", "NO", "REM" while a remittance holds it, kMarcaAnulado when cancelled), Id,
 * Correo (the last mailing: "Enviado", "Falló", "Sin confirmar" or empty); the caller adds the
 * counter.
 */
std::function<bool(QStringList&)> filasCobros(const FiltroCobros& filtro);
/**
 * The same rows as values (a date, amounts, rates, texts), as an export writes them, read through
 * db.
 */
std::function<bool(QVariantList&)> celdasCobros(const FiltroCobros& filtro,
                                                const QSqlDatabase& db = Conexion());

inline const QString kMarcaAnulado = QStringLiteral("ANU");

struct ResumenCobros {
    int cuenta = 0;
    Importe total;
};
/**
 * Count of the documents the list shows and the sum of their totals as invoiced (cancelled ones
 * are listed but not added), read through db.
 */
ResumenCobros resumenCobros(const FiltroCobros& filtro, const QSqlDatabase& db = Conexion());

} // namespace torvane
