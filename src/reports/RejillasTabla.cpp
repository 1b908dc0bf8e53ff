#include "reports/RejillasTabla.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <cmath>

// Qt's own measure of a template pixel on a device (its scaleToDevice()), exported by QtGui but
// not declared in a public header; the layout this class matches to the unit is made with it.
Q_GUI_EXPORT int qt_defaultDpi();

namespace torvane {

namespace {

// The sides of a cell, numbered as Qt numbers them: its tie-breaks between equal edges go by them.
enum Lado { Arriba = 0, Derecha = 1, Abajo = 2, Izquierda = 3, Ninguno = 4 };

Lado opuesto(Lado l) {
    return static_cast<Lado>((l + 2) % 4);
}

bool vertical(Lado l) {
    return l % 2 > 0;
}

bool mismoEje(Lado a, Lado b) {
    return a == b || a == opuesto(b);
}

/** A length as Qt keeps it in layout: in 64ths of a device unit, cut towards zero. */
double fijo(double unidades) {
    return std::trunc(unidades * 64) / 64;
}

/** Qt's rounding of a length to whole device units. */
double redondo(double unidades) {
    return std::floor(fijo(unidades) + 0.5);
}

struct Celda {
    int fila = -1;
    int columna = -1;
    bool valida() const { return fila >= 0; }
};

/** One side of a grid: every line of a plain grid is one pixel wide, or absent at its rim. */
struct Arista {
    double ancho = 0;
    Lado lado = Ninguno;
};

/** Qt's order between two edges that meet: the wider, then the one it prefers of equal ones. */
bool menor(const Arista& a, const Arista& b) {
    if (a.ancho != b.ancho) return a.ancho < b.ancho;
    if (a.lado == Arriba && b.lado == Abajo) return true;
    if (a.lado == Abajo && b.lado == Arriba) return false;
    return a.lado == Izquierda && b.lado == Derecha;
}

/** The edges of a plain grid of filas by columnas cells, weighed as Qt weighs them. */
class Pesos {
public:
    Pesos(int filas, int columnas, double escala)
        : filas_(filas)
        , columnas_(columnas)
        , escala_(escala) {}

    Celda vecina(Celda c, Lado l) const {
        const int f = c.fila + (l == Arriba ? -1 : l == Abajo ? 1 : 0);
        const int k = c.columna + (l == Izquierda ? -1 : l == Derecha ? 1 : 0);
        if (f < 0 || k < 0 || f >= filas_ || k >= columnas_) return {};
        return {f, k};
    }

    /** The line on side l of c: the wider of c's and its neighbour's. */
    Arista eje(Celda c, Lado l) const {
        Arista propia{c.valida() ? 1.0 : 0.0, l};
        const Celda otra = vecina(c, l);
        const Arista ajena{otra.valida() ? 1.0 : 0.0, opuesto(l)};
        return menor(propia, ajena) ? ajena : propia;
    }

    /** How far an end of c's edge arista moves where it meets side orto: Qt's anchor offset. */
    double ancla(Celda c, const Arista& arista, Lado orto, bool continua) const {
        Arista rival;
        Arista ortogonal;
        unir(c, orto, arista, false, rival, &ortogonal);
        if (const Celda otra = vecina(c, orto); otra.valida())
            unir(otra, arista.lado, arista, continua, rival, nullptr);
        if (const Celda otra = vecina(c, arista.lado); otra.valida() && comparten(c, orto, otra))
            unir(otra, orto, arista, false, rival, &ortogonal);
        const double medio = escala_ * ortogonal.ancho / 2;
        return menor(rival, arista) ? -medio : medio;
    }

    /**
     * The rectangle Qt fills for side l of c, whose cell covers borde (whole units): half out of
     * the cell, its ends moved where it meets the lines across; null where there is no line.
     */
    QRectF arista(Celda c, Lado l, const QRectF& borde) const {
        const Arista a = eje(c, l);
        if (a.ancho == 0) return {};
        const double ancho = escala_ * a.ancho;
        const double fuera = std::ceil(ancho / 2);
        const double dentro = std::floor(ancho / 2);
        const auto desde = [&](Lado orto) { return std::floor(ancla(c, a, orto, false)); };
        const auto hasta = [&](Lado orto) { return -std::ceil(ancla(c, a, orto, true)); };
        switch (l) {
        case Arriba:
            return QRectF(QPointF(borde.left() + desde(Izquierda), borde.top() - fuera),
                          QPointF(borde.right() + hasta(Derecha), borde.top() - fuera + ancho));
        case Abajo:
            return QRectF(QPointF(borde.left() + desde(Izquierda), borde.bottom() - ancho + dentro),
                          QPointF(borde.right() + hasta(Derecha), borde.bottom() + dentro));
        case Izquierda:
            return QRectF(QPointF(borde.left() - fuera, borde.top() + desde(Arriba)),
                          QPointF(borde.left() - fuera + ancho, borde.bottom() + hasta(Abajo)));
        default:
            return QRectF(QPointF(borde.right() - ancho + dentro, borde.top() + desde(Arriba)),
                          QPointF(borde.right() + dentro, borde.bottom() + hasta(Abajo)));
        }
    }

private:
    void unir(Celda c, Lado lado, const Arista& arista, bool continua, Arista& rival,
              Arista* ortogonal) const {
        const Arista otra = eje(c, lado);
        if (menor(arista, otra))
            rival = otra;
        else if (otra.ancho == arista.ancho && ((mismoEje(arista.lado, lado) && continua) ||
                                                (!vertical(arista.lado) && vertical(lado))))
            rival = otra;
        if (ortogonal && otra.ancho > ortogonal->ancho) *ortogonal = otra;
    }

    /** Whether side l of a and the same side of b lie on one line. */
    static bool comparten(Celda a, Lado l, Celda b) {
        switch (l) {
        case Arriba:
        case Abajo:
            return a.fila == b.fila;
        default:
            return a.columna == b.columna;
        }
    }

    int filas_;
    int columnas_;
    double escala_;
};

bool estiloPintable(int estilo) {
    return estilo == QTextFrameFormat::BorderStyle_Solid ||
           estilo == QTextFrameFormat::BorderStyle_Inset ||
           estilo == QTextFrameFormat::BorderStyle_Outset;
}

bool celdaLlana(const QTextTableCell& celda) {
    if (celda.rowSpan() != 1 || celda.columnSpan() != 1) return false;
    const QTextCharFormat f = celda.format();
    for (const auto lado :
         {QTextFormat::TableCellTopBorderStyle, QTextFormat::TableCellBottomBorderStyle,
          QTextFormat::TableCellLeftBorderStyle, QTextFormat::TableCellRightBorderStyle})
        if (f.hasProperty(lado)) return false;
    const auto alto = f.verticalAlignment();
    if (alto == QTextCharFormat::AlignMiddle || alto == QTextCharFormat::AlignBottom) return false;
    if (f.background().style() > Qt::SolidPattern) return false;
    const QTextBlockFormat b = celda.firstCursorPosition().block().blockFormat();
    return b.topMargin() == 0 && b.leftMargin() == 0 && b.indent() == 0 && b.textIndent() == 0;
}

bool tablaLlana(const QTextTable& tabla) {
    const QTextTableFormat f = tabla.format();
    if (!f.borderCollapse() || f.border() != 1 || f.padding() != 0) return false;
    if (!estiloPintable(f.borderStyle())) return false;
    for (int r = 0; r < tabla.rows(); ++r)
        for (int c = 0; c < tabla.columns(); ++c)
            if (!celdaLlana(tabla.cellAt(r, c))) return false;
    return true;
}

double relleno(const QTextTableCellFormat& f, QTextFormat::Property p, double general) {
    const QVariant v = f.property(p);
    return v.isNull() ? general : v.toReal();
}

} // namespace

void RejillasTabla::preparar(QTextDocument& doc, const QPaintDevice& dispositivo) {
    tablas_.clear();
    escala_ = double(dispositivo.logicalDpiY()) / qt_defaultDpi();
    // The grid's room around the cells: half its outer line, then the table's own border.
    const double margen = (redondo(escala_ / 2) + redondo(escala_)) / escala_;
    for (QTextFrame* hijo : doc.rootFrame()->childFrames()) {
        auto* tabla = qobject_cast<QTextTable*>(hijo);
        if (!tabla || !tablaLlana(*tabla)) continue;
        QTextTableFormat f = tabla->format();
        Tabla t;
        t.tabla = tabla;
        t.tinta = f.borderBrush().style() == Qt::NoBrush ? QBrush(Qt::black) : f.borderBrush();
        t.estilo = f.borderStyle();
        const double general = f.cellPadding();
        for (int r = 0; r < tabla->rows(); ++r)
            for (int c = 0; c < tabla->columns(); ++c) {
                QTextTableCell celda = tabla->cellAt(r, c);
                QTextTableCellFormat cf = celda.format().toTableCellFormat();
                // Each cell kept half of every line around it inside its padding.
                const double arriba = relleno(cf, QTextFormat::TableCellTopPadding, general) + 0.5;
                const double izquierda =
                    relleno(cf, QTextFormat::TableCellLeftPadding, general) + 0.5;
                cf.setTopPadding(arriba);
                cf.setLeftPadding(izquierda);
                cf.setBottomPadding(relleno(cf, QTextFormat::TableCellBottomPadding, general) +
                                    0.5);
                cf.setRightPadding(relleno(cf, QTextFormat::TableCellRightPadding, general) + 0.5);
                t.rellenos << QPointF(fijo(izquierda * escala_), fijo(arriba * escala_));
                // Painted here under the grid, as Qt paints it cell by cell.
                t.fondos << cf.background();
                cf.clearBackground();
                celda.setFormat(cf);
            }
        f.setBorderCollapse(false);
        f.setBorder(0);
        // A collapsed grid paints no background of its table.
        f.clearBackground();
        f.setTopMargin(f.topMargin() + margen);
        f.setBottomMargin(f.bottomMargin() + margen);
        f.setLeftMargin(f.leftMargin() + margen);
        f.setRightMargin(f.rightMargin() + margen);
        tabla->setFormat(f);
        tablas_.push_back(std::move(t));
    }
}

bool RejillasTabla::trazar(const QTextDocument& doc) {
    // Over pages, rows and their lines are placed by rules of their own.
    if (tablas_.empty()) return true;
    if (doc.pageCount() != 1) return false;
    for (Tabla& t : tablas_)
        if (!trazar(doc, t)) return false;
    return true;
}

bool RejillasTabla::trazar(const QTextDocument& doc, Tabla& t) const {
    const QTextTable& tabla = *t.tabla;
    const int filas = tabla.rows();
    const int columnas = tabla.columns();
    const QTextTableFormat f = tabla.format();
    auto* maquina = doc.documentLayout();
    // A table's bounding rectangle starts at its first cell's text; its own corner is behind it.
    const QRectF marco = maquina->frameBoundingRect(t.tabla);
    const QPointF primero = t.rellenos.first() + QPointF(redondo(f.leftMargin() * escala_),
                                                         redondo(f.topMargin() * escala_));
    const QPointF origen = marco.topLeft() - primero;
    QList<double> xs;
    QList<double> ys;
    for (int c = 0; c < columnas; ++c) {
        const QTextTableCell celda = tabla.cellAt(0, c);
        const QRectF b = maquina->blockBoundingRect(celda.firstCursorPosition().block());
        xs << b.left() - origen.x() - t.rellenos[c].x();
    }
    for (int r = 0; r < filas; ++r) {
        const QTextTableCell celda = tabla.cellAt(r, 0);
        const QRectF b = maquina->blockBoundingRect(celda.firstCursorPosition().block());
        ys << b.top() - origen.y() - t.rellenos[r * columnas].y();
    }
    xs << marco.width() - redondo(f.rightMargin() * escala_);
    ys << marco.height() - redondo(f.bottomMargin() * escala_);
    if (!std::is_sorted(xs.cbegin(), xs.cend()) || !std::is_sorted(ys.cbegin(), ys.cend()))
        return false;
    // Qt paints the table from its corner rounded to whole units.
    const QPointF esquina = QPointF(origen.toPoint());
    const Pesos pesos(filas, columnas, escala_);
    // One brush for all the light edges: painting with the brush already set changes nothing.
    const QBrush tintaClara(t.tinta.color().lighter());
    t.trazos.clear();
    for (int r = 0; r < filas; ++r)
        for (int c = 0; c < columnas; ++c) {
            const QRectF celda =
                QRectF(xs[c], ys[r], xs[c + 1] - xs[c], ys[r + 1] - ys[r]).translated(esquina);
            if (const QBrush& fondo = t.fondos[r * columnas + c]; fondo.style() != Qt::NoBrush)
                t.trazos << Trazo{celda, fondo};
            const QRectF borde = QRectF(celda.toRect());
            for (const Lado lado : {Arriba, Izquierda, Derecha, Abajo}) {
                const QRectF arista = pesos.arista({r, c}, lado, borde);
                if (arista.isNull()) continue;
                const bool claro = (t.estilo == QTextFrameFormat::BorderStyle_Outset &&
                                    (lado == Arriba || lado == Izquierda)) ||
                                   (t.estilo == QTextFrameFormat::BorderStyle_Inset &&
                                    (lado == Abajo || lado == Derecha));
                t.trazos << Trazo{arista, claro ? tintaClara : t.tinta};
            }
        }
    t.sitio = QRectF(QPointF(xs.first(), ys.first()), QPointF(xs.last(), ys.last()))
                  .translated(esquina)
                  .adjusted(-escala_, -escala_, escala_, escala_);
    return true;
}

void RejillasTabla::pintar(QPainter& pintor, const QRectF& recorte) const {
    for (const Tabla& t : tablas_) {
        if (!t.sitio.intersects(recorte)) continue;
        pintor.save();
        pintor.setClipRect(recorte, Qt::IntersectClip);
        pintor.setPen(Qt::NoPen);
        for (const Trazo& trazo : t.trazos) {
            pintor.setBrush(trazo.tinta);
            pintor.drawRect(trazo.rectangulo);
        }
        pintor.restore();
    }
}

} // namespace torvane
