#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

/*
 * The data side of the report engine: a template is an HTML file with Mustache tags in the
 * data folder's Informes/ (Recibo.rpt, Factura.rpt, Inmuebles.rpt, Inquilinos.rpt, Recibos.rpt).
 * Each template name gets its own data set from the shared connection (see the README,
 * "Plantillas"); the p… parameters are passed as the texts the caller shows.
 */

/** Texts for a template's parameters (pEmpresa, pTitulo, pTotal, ...), by name. */
using ParametrosInforme = QHash<QString, QString>;

inline const QString kPlantillaNoEncontrada = QStringLiteral(
    "El archivo de reporte no se encuentra, restáurelo de los discos de instalación");

/**
 * The rows of a list, kept compact: each row is one text whose fields, in the order of claves,
 * are separated by kSeparadorCampos. A list of 100,000 documents stays a few megabytes.
 */
struct FilasLista {
    static constexpr QChar kSeparadorCampos = QChar(0x1F);
    QStringList claves;
    QStringList filas;
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
    QString nombre; ///< proposed file name without extension: "Factura 57A", "Recibos"
    QString error;  ///< empty on success; kPlantillaNoEncontrada for a missing template
    std::shared_ptr<const FilasLista> filas; ///< lists only
    QString qr; ///< an issued verifiable invoice's QR text, printed at the top of its first page
    bool valido() const { return error.isEmpty(); }
};

/**
 * The document Id a selection formula picks: "{tblCobros.Id} =57" (blanks around "=" and the
 * number allowed). Any other text gives nullopt.
 */
std::optional<int> leerFormulaSeleccion(const QString& formula);

/**
 * Fills carpeta/<nombre>.rpt with its data set and the parameters. Recibo and Factura need a
 * selection formula naming an existing document; the lists take none (an empty formula).
 * Never throws: database failures come back as the error text.
 */
InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros, const QString& formula = {});

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
