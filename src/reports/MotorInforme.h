#pragma once

#include "core/reports/DatosInforme.h"

#include <QList>
#include <QPrinter>
#include <memory>

class QPainter;
class QPdfWriter;
class QTextDocument;
class QWidget;

namespace torvane {

class MedidaImpresora;
class MoldesDocumento;
class PintorLista;
class RejillasTabla;

/*
 * The widget side of the report engine: templates are read from sesion().ruta + "/Informes",
 * laid out by QTextDocument and painted page by page on any QPrinter (paper, PDF or preview).
 */

/** The working year's Informes/ folder, where its templates are. */
QString carpetaInformes();

/** Renders the list template nombre of the data folder's Informes/ for the working year. */
InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros);

/** Renders document id as stored with the template plantilla (Recibo or Factura). */
InformeGenerado abrirDocumento(const QString& plantilla, int id);

/** Renders the template nombre with rows the caller holds. */
InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const FilasInforme& filas);

/** Rows a list reads to show its first pages at once (see abrirLista). */
inline constexpr int kFilasAvance = 256;

/**
 * Renders the list template nombre (Inmuebles, Inquilinos, Recibos) with its rows read on the
 * shared connection: every row, or with primeras only the first ones where the list's order
 * allows it (filas->completa says which).
 */
InformeGenerado abrirLista(const QString& nombre, const ParametrosInforme& parametros,
                           int primeras = 0);

/** Renders the list template nombre with rows read by leerFilasLista(). */
InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             std::shared_ptr<const FilasLista> filas);

/** The margins every default template is drawn for, in millimetres. */
inline const QMarginsF kMargenesInforme(15, 15, 15, 15);

/** A4 with the given margins (in millimetres), on a printer or a PDF writer. */
void prepararImpresora(QPagedPaintDevice& impresora, const QMarginsF& margenes = kMargenesInforme);

/**
 * A report laid out in pages: a table's <thead> rows repeat at the top of each page and, when
 * there is more than one, every page gets "Página n de m" at its foot. The layout is kept while the
 * printers it is painted on share resolution and page size, as the preview and the final print do:
 * laying out a long list costs far more than painting it.
 */
class PaginasInforme {
public:
    /** A list (informe.filas) is handed to its own painter, a document to the text layout. */
    explicit PaginasInforme(const InformeGenerado& informe = {});
    ~PaginasInforme();
    PaginasInforme(const PaginasInforme&) = delete;
    PaginasInforme& operator=(const PaginasInforme&) = delete;

    bool vacio() const { return html_.isEmpty(); }
    /** A document made empty to be filled later, by the thread that reads its data. */
    void rellenar(const InformeGenerado& informe) {
        html_ = informe.html;
        molde_ = informe.molde;
        valores_ = informe.valores;
        qr_ = informe.qr;
    }
    /** false while a list holds only its first rows (see PintorLista::completa()). */
    bool completo() const;
    /** Why a list's template cannot be painted; empty when it can. */
    QString error() const;
    /**
     * Lays the report out in pages of impresora (again only when another printer's resolution or
     * page differs) and returns how many there are; 0 when a list's template cannot be painted.
     */
    int paginas(const QPrinter& impresora);
    /** The same on a PDF writer. */
    int paginas(const QPdfWriter& pdf);
    /**
     * Paints page n (from 0) of the last layout in its device's pixels, from the top left of the
     * printable area: the QR on the first, "Página n de m" at the foot when there are more.
     */
    void pintarPagina(QPainter& pintor, int n);
    /** Paints every page on impresora; false when it cannot be opened. */
    bool pintar(QPrinter* impresora);
    /** Several reports one after the other in one job, each numbering its own pages. */
    static bool pintarSeguidos(QPrinter* impresora, const QList<PaginasInforme*>& informes);
    /** The same on a PDF writer (documents only: a list is painted on a printer). */
    static bool pintarSeguidos(QPdfWriter* pdf, const QList<PaginasInforme*>& informes);
    /** Whether it is a list, painted row by row, rather than a document. */
    bool esLista() const { return lista_ != nullptr; }
    /**
     * A list laid out already, twinned with caches of its own so that other threads paint some of
     * its pages while this one paints others (see PintorLista::gemelo()); null for a document.
     */
    std::unique_ptr<PaginasInforme> gemelo() const;
    /** Lays its tables out as written, grids and all, where a plain grid is otherwise quicker. */
    void rejillasComoEstan() { rejillasRapidas_ = false; }
    /** Paints pages desde to hasta - 1 of the last layout on pdf, which has nothing on it yet. */
    bool pintarPaginas(QPdfWriter* pdf, int desde, int hasta);

private:
    /** As paginas(), a run's document of a shape laid out before taken from moldes if given. */
    int paginas(const QPagedPaintDevice& dispositivo, int resolucion,
                MoldesDocumento* moldes = nullptr);
    template <typename Dispositivo>
    static bool pintarEn(Dispositivo* dispositivo, const QList<PaginasInforme*>& informes);
    void maquetar(const QPagedPaintDevice& dispositivo, int resolucion, MoldesDocumento* moldes);
    /**
     * Reads the document whole and lays it out in pages of pagina, its plain grids the quick way
     * when asked; false when they cannot be.
     */
    bool maquetarTexto(const QSizeF& pagina, bool rejillasRapidas);
    /** Lets a document's layout and text go once its pages are on paper, in a job of many. */
    void soltar();

    QString html_;
    QString molde_; ///< html_ as its shape and values, for a run (see MoldesDocumento)
    QStringList valores_;
    QString qr_;
    double alturaQr_ = 0;
    std::unique_ptr<MedidaImpresora> medida_; ///< the layout's own device, a twin of its printer
    std::unique_ptr<QTextDocument> documento_;
    std::unique_ptr<RejillasTabla> rejillas_; ///< its gridded tables, painted here (see there)
    /** What is painted: documento_ and rejillas_, or a run's shape lent until soltar(). */
    QTextDocument* texto_ = nullptr;
    const RejillasTabla* trazos_ = nullptr;
    std::unique_ptr<PintorLista> lista_;
    double alturaPie_ = 0;
    bool rejillasRapidas_ = true;
};

} // namespace torvane
