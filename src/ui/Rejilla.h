#pragma once

#include "core/reports/Exportacion.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QTableView>
#include <functional>

class QLabel;

namespace torvane {

/** One column of a list grid: its heading, width and alignment. */
struct Columna {
    QString titulo;
    double fraccion = 0; ///< share of the grid's width; ignored when twipsFijos > 0
    int twipsFijos = 0;  ///< fixed width in twips (the numbered first column: 500)
    Qt::Alignment alineacion = Qt::AlignLeft | Qt::AlignVCenter;
    TipoDato dato = TipoDato::Texto; ///< how an export writes the column's texts

    static Columna numero(int twips = 500) {
        return {QString(), 0, twips, Qt::AlignLeft | Qt::AlignVCenter};
    }
    static Columna oculta() { return {}; }
    static Columna texto(const QString& titulo, double fraccion,
                         Qt::Alignment alineacion = Qt::AlignLeft | Qt::AlignVCenter) {
        return {titulo, fraccion, 0, alineacion | Qt::AlignVCenter};
    }
    /** Money shown as "1.234,50", right-aligned; exported as numbers with a total. */
    static Columna importe(const QString& titulo, double fraccion) {
        return {titulo, fraccion, 0, Qt::AlignRight | Qt::AlignVCenter, TipoDato::Importe};
    }
    /** A number that is not summed (a percentage), right-aligned. */
    static Columna cifra(const QString& titulo, double fraccion) {
        return {titulo, fraccion, 0, Qt::AlignRight | Qt::AlignVCenter, TipoDato::Numero};
    }
    static Columna fecha(const QString& titulo, double fraccion) {
        return {titulo, fraccion, 0, Qt::AlignLeft | Qt::AlignVCenter, TipoDato::Fecha};
    }
};

/**
 * Rows of a list as plain texts. Rows are numbered as the user sees them: row 0 is the heading,
 * data rows start at 1; column 0 is the fixed numbered column. With no columns the grid shows
 * nothing at all (an empty result); with columns and no rows it shows only the headings.
 */
class ModeloRejilla : public QAbstractTableModel {
    Q_OBJECT

public:
    /** Gives the next row; false when there is none. Used to load long lists piece by piece. */
    using Fuente = std::function<bool(QStringList& fila)>;

    explicit ModeloRejilla(QObject* padre = nullptr);

    void definirColumnas(const QList<Columna>& columnas);
    const QList<Columna>& columnas() const { return columnas_; }
    /** No rows and no columns. */
    void vaciar();
    void fijarFilas(QList<QStringList> filas);
    /** Loads the first rows from fuente now and the rest as the view scrolls to them. */
    void fijarFuente(Fuente fuente);
    /** Reads every row still pending in the source, or until the grid holds hasta data rows. */
    void cargarHasta(int hasta = -1);
    void anadirFila(const QStringList& fila);
    void quitarUltimaFila();

    /** Rows as the grid counts them: data rows plus the heading, or 0 without columns. */
    int numFilas() const;
    int numColumnas() const { return columnas_.size(); }
    int filasDatos() const { return filas_.size(); }
    QString texto(int fila, int columna) const;
    void fijarTexto(int fila, int columna, const QString& texto);

    /** Fixed columns painted as headings (1, or 2 for the statistics grid). */
    void fijarColumnasFijas(int n) { columnasFijas_ = n; }
    int columnasFijas() const { return columnasFijas_; }
    /** Rows painted ColorPrincipal (even) and white (odd) from this column on. */
    void fijarBandas(bool activas) { bandas_ = activas; }
    /** A background that replaces the bands for one data row. */
    void fijarFondoFila(int fila, const QColor& color);
    /** A point size for one cell (the totals grid writes TOTAL larger). */
    void fijarTamanoLetra(int fila, int columna, int puntos);

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;
    bool canFetchMore(const QModelIndex& padre) const override;
    void fetchMore(const QModelIndex& padre) override;

private:
    QList<Columna> columnas_;
    QList<QStringList> filas_;
    Fuente fuente_;
    bool cargando_ = false;
    int columnasFijas_ = 1;
    bool bandas_ = true;
    QHash<int, QColor> fondos_;
    QHash<QPair<int, int>, int> letras_;
};

/**
 * Widths for columns given shares (cuotas) of the grid and what their texts need: the grid's
 * unused width (libre), then the room columns have to spare, go to those whose texts would be
 * cut, up to what these need; no column takes more than it needs or gives more than it spares.
 */
QList<int> repartirAnchos(const QList<int>& cuotas, const QList<int>& necesarios, int libre = 0);

/**
 * The grid of every list: a heading row, a fixed numbered first column, hidden id columns,
 * widths as shares of its width recomputed on resize (a column short of room for its texts
 * borrows from those with room to spare), row bands, one row per wheel step;
 * texts too wide for their column are elided in the middle and shown whole in a tooltip.
 */
class Rejilla : public QTableView {
    Q_OBJECT

public:
    explicit Rejilla(QWidget* padre = nullptr);

    ModeloRejilla* modelo() const { return modelo_; }

    void definirColumnas(const QList<Columna>& columnas);
    /** Shows filas under columnas, numbered in column 0, with the row fila (bounded) current. */
    void mostrarNumeradas(const QList<Columna>& columnas, const QList<QStringList>& filas,
                          int fila = 1);
    void vaciar() { modelo_->vaciar(); }
    int numFilas() const { return modelo_->numFilas(); }
    QString texto(int fila, int columna) const { return modelo_->texto(fila, columna); }

    /** Current data row (1-based), 0 when there is none. */
    int filaActual() const;
    int columnaActual() const;
    /** Makes a data row current (loading it first if the list is still arriving). */
    void fijarFilaActual(int fila, int columna = 1);
    /** Makes a row current and scrolls it to the top of the grid. */
    void subirArriba(int fila);
    /** True when the whole cell lies inside the visible part of the grid. */
    bool celdaVisible(int fila, int columna) const;
    /** The cell's rectangle in the coordinates of the grid's parent widget. */
    QRect rectCelda(int fila, int columna) const;
    /** Runs recargar (which refills the grid) and makes the same row number current again. */
    void recargarEnLaFila(const std::function<void()>& recargar);
    /** Recomputes the column widths from the current width. */
    void aplicarAnchos();

signals:
    /** Double click or Enter on a data row. */
    void elegida();
    void celdaActualCambiada(int fila, int columna);

protected:
    void resizeEvent(QResizeEvent* evento) override;
    bool viewportEvent(QEvent* evento) override;
    void wheelEvent(QWheelEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void changeEvent(QEvent* evento) override;

private:
    /** The width a column's heading and loaded texts take whole. */
    int anchoNecesario(int columna) const;
    /** The width of texto in the grid's font, measured once while the font stays. */
    int anchoTexto(const QString& texto) const;

    ModeloRejilla* modelo_;
    // Shaping a text is what widths cost: amounts, dates and names repeat down a list, and the
    // widths are applied again when the scroll bar comes or goes.
    mutable QHash<QString, int> anchosTexto_;
    int restoRueda_ = 0;
};

/**
 * Shows a list's rows in its grid with row 1 current, or an empty grid without headings when
 * there are none, and writes the count and nombre agreeing with it ("1 inquilino", "3 inquilinos")
 * into info.
 */
void mostrarLista(Rejilla* rejilla, const QList<Columna>& columnas, QList<QStringList> filas,
                  QLabel* info, const QString& nombre);

} // namespace torvane
