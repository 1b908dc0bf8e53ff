#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace torvane {

/*
 * The data side of the report engine: a template is an HTML file with Mustache tags in the
 * data folder's Informes/ (Recibo.rpt, Factura.rpt, Inmuebles.rpt, Inquilinos.rpt, Recibos.rpt).
 * Each template name gets its own data set from the shared connection (see the README,
 * "Plantillas"). A document's paper is filled from the document as stored, amounts included;
 * a list's p… parameters are texts the caller chooses (its title).
 */

/** Texts for a template's parameters (pEmpresa, pTitulo, pTotal, ...), by name. */
using ParametrosInforme = QHash<QString, QString>;

inline const QString kPlantillaNoEncontrada = QStringLiteral(
    "El archivo de reporte no se encuentra, restáurelo de los discos de instalación");

/**
 * A list's rows, each one text, held one after another in UTF-8: a year's 100,000 rows take
 * half the memory of as many strings, while they are printed. They fill blocks of a fixed size,
 * never moved to grow, so printing a long list again finds the room the last time left.
 */
class FilasTexto {
public:
    qsizetype size() const { return sitios_.size(); }
    bool isEmpty() const { return sitios_.isEmpty(); }
    /** Row i, decoded. */
    QString operator[](qsizetype i) const {
        const Sitio& s = sitios_[i];
        return QString::fromUtf8(bloques_[s.bloque].constData() + s.inicio, s.largo);
    }
    void append(QStringView fila);
    FilasTexto& operator<<(QStringView fila) {
        append(fila);
        return *this;
    }
    void clear() {
        bloques_.clear();
        sitios_.clear();
    }
    /** Lets go the room left to grow, once every row is in. */
    void squeeze();

private:
    struct Sitio {
        quint32 bloque;
        quint32 inicio;
        quint32 largo;
    };
    QList<QByteArray> bloques_;
    QList<Sitio> sitios_;
};

/**
 * The rows of a list, kept compact: each row is one text whose fields, in the order of claves,
 * are separated by kSeparadorCampos. A list of 100,000 documents stays a few megabytes.
 */
struct FilasLista {
    static constexpr QChar kSeparadorCampos = QChar(0x1F);
    QStringList claves;
    FilasTexto filas;
    /** The sums a template prints after the rows ("totales"), always of the whole list. */
    ParametrosInforme totales;
    /** false when filas are only the list's first rows, the rest still to be read. */
    bool completa = true;
};

/**
 * The mark that stands for the field at indice of FilasLista::claves in the one row a list's
 * html holds: a single private-use character, so it widens no column of the template's layout.
 */
QChar marcaCampo(qsizetype indice);
/** The field index a character marks, or -1. */
int campoMarcado(QChar c);

/** A rendered report, or the reason it could not be rendered. */
struct InformeGenerado {
    /**
     * The filled template. For a list, its {{#filas}} section holds one row whose tags are
     * marks (marcaCampo): the rows themselves are in filas, to be painted one by one.
     */
    QString html;
    /**
     * For a run, the same html as its shape and values (see Renderizado::molde): documents of
     * one shape are read from HTML once. Empty when not asked for or when it has none.
     */
    QString molde;
    QStringList valores;
    QString nombre; ///< proposed file name without extension: "Factura 57A", "Recibos"
    QString error;  ///< empty on success; kPlantillaNoEncontrada for a missing template
    std::shared_ptr<const FilasLista> filas; ///< lists only
    QString qr; ///< an issued verifiable invoice's QR text, printed at the top of its first page
    int documento = 0; ///< the tblCobros Id a receipt or invoice shows; 0 for a list
    QString inquilino; ///< a receipt's or invoice's tenant, as its file is named
    bool valido() const { return error.isEmpty(); }
};

/**
 * Fills carpeta/<nombre>.rpt, a list (Inmuebles, Inquilinos, Recibos, ...), with its data set and
 * the parameters. Never throws: database failures come back as the error text.
 */
InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros);

/**
 * Reads the rows of list nombre (Inmuebles, Inquilinos, Recibos) on db, which may be a reader's
 * own connection on another thread. With primeras > 0, a list whose order an index serves
 * (Recibos) reads only that many rows, without sorting the year, and the sums of all of them
 * apart; the others are read whole. parar, when given, is asked now and then while reading and
 * ends the reading early (the rows read so far come back as not complete). Throws ErrorBD.
 */
FilasLista leerFilasLista(const QSqlDatabase& db, const QString& nombre, int primeras = 0,
                          const std::function<bool()>& parar = {});

/**
 * Fills carpeta/<nombre>.rpt, the list nombre, with rows already read by leerFilasLista() (all
 * of them, or its first ones to show the first page at once).
 */
InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros,
                               std::shared_ptr<const FilasLista> filas);

/** The template a document prints with: Factura when it was issued as an invoice, else Recibo. */
QString plantillaDocumento(int id);

/**
 * Fills carpeta/<plantilla>.rpt (Recibo or Factura) with document id as stored: its parties,
 * lines, totals (also as pSubTotal, pBase, pPorIva, pIVA, pPorRet, pRet, pTotal, pObs) and, for
 * an issued verifiable invoice, its QR. Never throws: failures come back as the error text.
 */
InformeGenerado generarDocumento(const QString& carpeta, const QString& plantilla, int id);

/**
 * Fills documents one after another, as a run prints them: each statement prepared once, each
 * template read and parsed once, and what every document shares (the company, the exemption's
 * wording, the issuer's kind) read once. On the shared connection's thread; never throws.
 */
class LoteDocumentos {
public:
    /** With moldes, each document comes with its shape too (InformeGenerado::molde). */
    explicit LoteDocumentos(const QString& carpeta, bool moldes = false);
    ~LoteDocumentos();
    LoteDocumentos(const LoteDocumentos&) = delete;
    LoteDocumentos& operator=(const LoteDocumentos&) = delete;

    /** Reads the states of the run's documents ids in one go, for what follows to take. */
    void anticipar(const QList<int>& ids);
    /** Whether document id is in the year (a listed one may have been removed since). */
    bool existe(int id);
    /** Document id with its own template: Factura when issued as an invoice, else Recibo. */
    InformeGenerado generar(int id);
    /** As generarDocumento(carpeta, plantilla, id). */
    InformeGenerado generar(const QString& plantilla, int id);

private:
    struct Datos;
    std::unique_ptr<Datos> d_;
};

/**
 * A plain-text template (a mail's subject or body) filled with the same fields as document id's
 * paper, values as they are (no HTML escaping). Never throws: failures come back as the error.
 */
InformeGenerado rellenarTextoDocumento(const QString& texto, int id);

/**
 * carpeta/<nombre>.rpt when nombre is a plain file name whose file (if it exists) lies inside
 * carpeta; an empty text for "../x", "a/b", hidden names or links leading out of the folder.
 */
QString rutaPlantilla(const QString& carpeta, const QString& nombre);

/** Rows a caller already holds ("filas" of the template) and their sums ("totales"). */
struct FilasInforme {
    QList<ParametrosInforme> filas;
    ParametrosInforme totales;
};

/** Fills carpeta/<nombre>.rpt with the caller's rows instead of a query of its own. */
InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros, const FilasInforme& filas);

} // namespace torvane
