#pragma once

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QPrinter>

namespace torvane {

class PaginasInforme;

/**
 * The report preview: pages stacked on grey like sheets of paper, each painted only when it comes
 * into view (a list of thousands of pages shows its first at once) and kept as an image at the
 * current zoom for the last few pages seen. The page fits the width until the user zooms.
 */
class VisorPaginas : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit VisorPaginas(QWidget* padre = nullptr);
    ~VisorPaginas() override;

    /**
     * Shows paginas laid out on an A4 page as printed, or nothing; the view goes to pagina (from
     * 1), or the last page when there are fewer.
     */
    void mostrar(PaginasInforme* paginas, int pagina = 1);
    int totalPaginas() const { return total_; }
    /** The page in the middle of the view, from 1; 0 when nothing is shown. */
    int paginaActual() const { return actual_; }
    /** Screen pixels per pixel of the page as printed. */
    double zoom() const { return escala_; }
    /** Pages painted since the report was shown; a page still kept as an image is not counted. */
    int pintadas() const { return pintadas_; }

    void irA(int pagina);
    void acercar();
    void alejar();
    void ajustarAlAncho();

signals:
    void paginaCambiada();

protected:
    void paintEvent(QPaintEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void wheelEvent(QWheelEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSize tamanoPagina() const;
    /** A page and the gap below it. */
    int paso() const;
    double escalaAjustada() const;
    void fijarEscala(double escala);
    void colocarBarras();
    QImage imagen(int n);
    void seguirPosicion();

    QPrinter medida_;
    PaginasInforme* paginas_ = nullptr;
    int total_ = 0;
    int actual_ = 0;
    double escala_ = 0.1;
    bool ajustar_ = true;
    bool moviendo_ = false; ///< irA() is scrolling: the page is already known
    int pintadas_ = 0;
    QSizeF papel_;   ///< the whole sheet, in the printer's pixels
    QPointF origen_; ///< where the printable area starts on it
    QCache<int, QImage> imagenes_;
};

} // namespace torvane
