#pragma once

#include <QBrush>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextDocument;
class QTextTable;

namespace torvane {

/*
 * A table with a collapsed one-pixel grid (border="1" and border-collapse, as the documents draw
 * their lines) is a third of a document's time in Qt's layout: it weighs every edge of every cell
 * against its neighbours', again and again, as it lays the cells out and as it paints them.
 *
 * Such a table, when plain (no spans, no borders of its own cells, its cells' text at their top)
 * and at the top level of a one-page document, is laid out instead without a border: its margins
 * and its cells' paddings take the room the grid took, so every cell and word stays where the grid
 * put it. Its cells' backgrounds and its grid are then painted here, in the order and at the places
 * Qt paints them, before its text. Anything else is laid out as written.
 */
class RejillasTabla {
public:
    /** Before doc is laid out for dispositivo: makes its plain gridded tables borderless. */
    void preparar(QTextDocument& doc, const QPaintDevice& dispositivo);
    /**
     * Once doc is laid out: measures each table's cells and traces its grid. false when the grid
     * cannot be painted alike (the document runs over pages): lay it out again as written.
     */
    bool trazar(const QTextDocument& doc);
    /** Paints the backgrounds and grids of the tables inside recorte (document coordinates). */
    void pintar(QPainter& pintor, const QRectF& recorte) const;

private:
    /** What is painted, in order: a cell's background, then its four edges. */
    struct Trazo {
        QRectF rectangulo;
        QBrush tinta;
    };
    struct Tabla {
        QTextTable* tabla = nullptr;
        QBrush tinta;
        int estilo = 0;          ///< the table's border style, which the grid is painted in
        QList<QBrush> fondos;    ///< each cell's background, row after row, taken from its format
        QList<QPointF> rellenos; ///< each cell's left and top padding, in device units
        QList<Trazo> trazos;
        QRectF sitio;
    };

    bool trazar(const QTextDocument& doc, Tabla& tabla) const;

    std::vector<Tabla> tablas_;
    double escala_ = 1; ///< device units per pixel of the template
};

} // namespace torvane
