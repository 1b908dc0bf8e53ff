#pragma once

#include "core/reports/DatosInforme.h"

#include <QFont>
#include <QPrinter>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace torvane {

class MedidaImpresora;

/**
 * Paints a list straight on the pages, row by row, with the layout read once from its
 * template (laying out thousands of rows as one rich-text document is what made long lists
 * slow). The template's table holding the {{#filas}} row gives the columns: widths,
 * alignment, font, colour and background of each cell, and whether a long text is cut
 * (white-space: nowrap) or wrapped. What comes before that table is printed on the first page,
 * the table's rows above the repeated one head every page, and its rows below it plus what
 * follows the table (the totals) come once after the last row.
 */
class PintorLista {
public:
    explicit PintorLista(const InformeGenerado& informe);
    ~PintorLista();
    PintorLista(const PintorLista&) = delete;
    PintorLista& operator=(const PintorLista&) = delete;

    /** Why the template cannot be painted as a list; empty when it can. */
    QString error() const { return error_; }
    /**
     * Lays the rows out in pages of impresora (again only when its resolution or page differs)
     * and returns how many there are; 0 when the template cannot be painted.
     */
    int paginas(const QPrinter& impresora);
    /**
     * Paints page n (from 0) of the last layout, in its device's pixels from the top left of the
     * printable area: only that page's rows are read and drawn.
     */
    void pintarPagina(QPainter& pintor, int n) const;
    /**
     * false while the rows are only the list's first: paginas() counts the pages they fill,
     * which say "Página n de …", and no page has the totals yet.
     */
    bool completa() const;
    /**
     * A painter of the same rows and layout with a template and caches of its own, so pages can
     * be painted on another thread while this one paints others. Made on the thread that will
     * paint with it: text laid out on one thread must not be drawn on another at the same time.
     */
    std::unique_ptr<PintorLista> gemelo() const;

    struct Plantilla;

private:
    struct Gemelo {};
    PintorLista(const PintorLista& original, Gemelo);
    bool leerPlantilla();
    void partirEnPaginas();

    QString html_;
    QString nombre_;
    std::shared_ptr<const FilasLista> filas_;
    std::unique_ptr<MedidaImpresora> medida_; ///< the layout's device, measured off its printer
    std::unique_ptr<Plantilla> plantilla_;
    QString error_;
    std::vector<float> alturas_;     ///< of each row
    std::vector<qsizetype> inicios_; ///< first row of each page with rows
    int paginas_ = 0;                ///< inicios_ and, when the totals do not fit, one page more
};

} // namespace torvane
