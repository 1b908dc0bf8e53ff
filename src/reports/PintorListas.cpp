#include "reports/PintorListas.h"

#include "reports/LetraInforme.h"
#include "reports/MedidaImpresora.h"
#include "reports/MotorInforme.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QVarLengthArray>
#include <vector>

namespace torvane {

/** A piece of a cell's text: fixed text, or the field at campo (a part of CeldaLista). */
struct Trozo {
    QString texto;
    int campo = -1;
};

namespace {

using CamposFila = QVarLengthArray<QStringView, 16>;

CamposFila partir(const QString& fila) {
    CamposFila campos;
    for (const QStringView campo : QStringView(fila).tokenize(FilasLista::kSeparadorCampos))
        campos.append(campo);
    return campos;
}

QString textoCeldaLista(const QTextTableCell& celda) {
    QTextCursor cursor = celda.firstCursorPosition();
    cursor.setPosition(celda.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// "Total: {{total}} €" as read back with marks: fixed text and fields in order.
QList<Trozo> trozos(const QString& texto) {
    QList<Trozo> lista;
    for (const QChar c : texto) {
        const int campo = campoMarcado(c);
        if (campo >= 0)
            lista.append({QString(), campo});
        else if (lista.isEmpty() || lista.last().campo >= 0)
            lista.append({QString(c), -1});
        else
            lista.last().texto += c;
    }
    return lista;
}

bool tieneMarcas(const QString& texto) {
    return std::any_of(texto.cbegin(), texto.cend(), [](QChar c) { return campoMarcado(c) >= 0; });
}

QTextTable* tablaDeFilas(QTextFrame* marco) {
    for (QTextFrame* hijo : marco->childFrames()) {
        if (auto* tabla = qobject_cast<QTextTable*>(hijo))
            for (int f = 0; f < tabla->rows(); ++f)
                for (int c = 0; c < tabla->columns(); ++c)
                    if (tieneMarcas(textoCeldaLista(tabla->cellAt(f, c)))) return tabla;
        if (QTextTable* dentro = tablaDeFilas(hijo)) return dentro;
    }
    return nullptr;
}

} // namespace

/** A text shaped once in a cell's font: its size and its glyphs, drawn without shaping again. */
struct Trazado {
    double ancho = 0;
    double alto = 0; ///< of its wrapped lines; unused for one line
    QList<QGlyphRun> glifos;
};

/**
 * What the rows of a page draw, gathered: the PDF then gets one path of borders and one run of
 * glyphs per font and colour, instead of a change of pen and a text object for every cell. Fills
 * are painted at once, so they lie under both; borders and text never overlap.
 */
struct Lote {
    struct Texto {
        QRawFont letra;
        QColor color;
        QList<quint32> glifos;
        QList<QPointF> posiciones;
    };
    QList<QRectF> bordes;
    std::vector<Texto> textos;

    void anadir(const QList<QGlyphRun>& glifos, QPointF origen, const QColor& color) {
        for (const QGlyphRun& run : glifos) {
            Texto& t = texto(run.rawFont(), color);
            t.glifos += run.glyphIndexes();
            for (const QPointF& punto : run.positions())
                t.posiciones.append(origen + punto);
        }
    }

    void pintar(QPainter& p, const QPen& borde) {
        if (!bordes.isEmpty()) {
            p.setPen(borde);
            p.setBrush(Qt::NoBrush);
            p.drawRects(bordes.constData(), static_cast<int>(bordes.size()));
        }
        for (const Texto& t : textos) {
            QGlyphRun run;
            run.setRawFont(t.letra);
            run.setGlyphIndexes(t.glifos);
            run.setPositions(t.posiciones);
            p.setPen(t.color);
            p.drawGlyphRun(QPointF(0, 0), run);
        }
        bordes.clear();
        textos.clear();
    }

private:
    Texto& texto(const QRawFont& letra, const QColor& color) {
        for (Texto& t : textos)
            if (t.color == color && t.letra == letra) return t;
        textos.push_back({letra, color, {}, {}});
        return textos.back();
    }
};

// Texts of one column kept shaped at most; a quarter of their uses must find them kept.
constexpr qsizetype kTrazadosPorCelda = 4096;

/** One cell of a template row, in the printer's pixels. */
struct CeldaLista {
    double x = 0;     ///< left of the text area
    double ancho = 0; ///< width of the text area
    QList<Trozo> trozos;
    QFont letra;
    QFontMetricsF metricas{QFont()};
    QColor color;
    QBrush fondo;
    Qt::Alignment alineacion;
    bool cortar = false;
    const QPaintDevice* dispositivo = nullptr;
    // Dates, names and series repeat down a long list; shaping each again was most of the
    // painting time. Bounded: unique amounts would otherwise pile up. A column whose texts
    // hardly repeat (numbers, amounts) stops keeping them: they only cost memory.
    mutable QHash<QString, Trazado> trazados;
    mutable QHash<QString, Trazado> partidos; ///< wrapped texts, by text
    mutable Trazado ultimo;                   ///< the last text shaped, when none is kept
    mutable qsizetype aciertos = 0;
    mutable bool guardar = true;

    const Trazado& trazar(const QString& texto) const {
        if (const auto hecho = trazados.constFind(texto); hecho != trazados.cend()) {
            ++aciertos;
            return *hecho;
        }
        QTextLayout capa(texto, letra, dispositivo);
        capa.beginLayout();
        QTextLine linea = capa.createLine();
        linea.setPosition(QPointF(0, 0));
        capa.endLayout();
        Trazado trazado{linea.naturalTextWidth(), 0, capa.glyphRuns()};
        if (guardar && trazados.size() >= kTrazadosPorCelda) {
            guardar = aciertos >= kTrazadosPorCelda / 4;
            trazados.clear();
            aciertos = 0;
        }
        if (!guardar) {
            ultimo = std::move(trazado);
            return ultimo;
        }
        return *trazados.insert(texto, std::move(trazado));
    }

    /**
     * texto wrapped in the cell's width line by line as QPainter::drawText() lays it out
     * (lines on whole pixels, the font's leading between them, each aligned on its own), so
     * its height measures the row and its glyphs paint the same words in the same places.
     */
    const Trazado& partir(const QString& texto) const {
        if (const auto hecho = partidos.constFind(texto); hecho != partidos.cend()) return *hecho;
        if (partidos.size() >= kTrazadosPorCelda) partidos.clear();
        QString limpio = texto;
        limpio.replace(u'\r', u' ').replace(u'\t', u' ').replace(u'\n', QChar::LineSeparator);
        QTextLayout capa(limpio, letra, dispositivo);
        QTextOption opcion;
        opcion.setTextDirection(Qt::LeftToRight);
        capa.setTextOption(opcion);
        Trazado t;
        const double interlinea = metricas.leading();
        t.alto = -interlinea;
        capa.beginLayout();
        for (QTextLine linea = capa.createLine(); linea.isValid(); linea = capa.createLine()) {
            linea.setLineWidth(std::max(0.0, ancho));
            t.alto = std::ceil(t.alto + interlinea);
            linea.setPosition(QPointF(0, t.alto));
            t.alto += linea.ascent() + linea.descent();
            t.ancho = std::max(t.ancho, linea.naturalTextWidth());
        }
        capa.endLayout();
        for (int i = 0; i < capa.lineCount(); ++i) {
            const QTextLine linea = capa.lineAt(i);
            double x = 0;
            if (alineacion & Qt::AlignRight) x = ancho - linea.horizontalAdvance();
            if (alineacion & Qt::AlignHCenter) x = (ancho - linea.horizontalAdvance()) / 2;
            for (QGlyphRun run : linea.glyphRuns()) {
                QList<QPointF> puntos = run.positions();
                for (QPointF& punto : puntos)
                    punto.rx() += x;
                run.setPositions(puntos);
                t.glifos.append(run);
            }
        }
        return *partidos.insert(texto, t);
    }

    QString texto(const CamposFila& campos) const {
        if (trozos.size() == 1 && trozos.first().campo < 0) return trozos.first().texto;
        QString t;
        for (const Trozo& trozo : trozos)
            t += trozo.campo < 0 ? QStringView(trozo.texto) : campos.value(trozo.campo);
        return t;
    }
};

using FilaLista = QList<CeldaLista>;

struct PintorLista::Plantilla {
    std::unique_ptr<QTextDocument> documento;
    QList<FilaLista> cabecera;
    FilaLista fila;
    QList<FilaLista> pie;
    double margen = 0; ///< cell padding
    double borde = 0;
    QColor colorBorde;
    double arribaTabla = 0;
    double abajoTabla = 0;
    double alturaPie = 0; ///< "Página n de m"
    double altoDocumento = 0;
    QSizeF pagina;

    double altura(const FilaLista& f, const CamposFila& campos) const;
    double altura(const QList<FilaLista>& filas) const;
    void pintar(QPainter& p, Lote& lote, const FilaLista& f, const CamposFila& campos, double y,
                double alto) const;
    double pintar(QPainter& p, Lote& lote, const QList<FilaLista>& filas, double y) const;
    void pintarTrozo(QPainter& p, double desde, double hasta, double y) const;
    QPen lapizBorde() const { return QPen(colorBorde, borde); }
};

double PintorLista::Plantilla::altura(const FilaLista& f, const CamposFila& campos) const {
    double alto = 0;
    for (const CeldaLista& c : f) {
        double linea = c.metricas.height();
        if (!c.cortar) {
            const QString texto = c.texto(campos);
            if (c.trazar(texto).ancho > c.ancho) linea = c.partir(texto).alto;
        }
        alto = std::max(alto, linea);
    }
    return alto + 2 * margen + borde;
}

double PintorLista::Plantilla::altura(const QList<FilaLista>& filas) const {
    double alto = 0;
    for (const FilaLista& f : filas)
        alto += altura(f, {});
    return alto;
}

void PintorLista::Plantilla::pintar(QPainter& p, Lote& lote, const FilaLista& f,
                                    const CamposFila& campos, double y, double alto) const {
    for (const CeldaLista& c : f) {
        const QRectF caja(c.x - margen, y, c.ancho + 2 * margen, alto);
        if (c.fondo.style() != Qt::NoBrush) p.fillRect(caja, c.fondo);
        if (borde > 0) lote.bordes.append(caja);
        const QString texto = c.texto(campos);
        if (texto.isEmpty()) continue;
        const Trazado* trazado = &c.trazar(texto);
        if (trazado->ancho > c.ancho && !c.cortar) {
            const QRectF area(c.x, y + margen, c.ancho, alto - 2 * margen);
            const Trazado& lineas = c.partir(texto);
            if (lineas.ancho <= area.width() && lineas.alto <= area.height()) {
                lote.anadir(lineas.glifos, area.topLeft(), c.color);
                continue;
            }
            // A word wider than the column: the painter cuts it at the cell's edge.
            p.setFont(c.letra);
            p.setPen(c.color);
            p.drawText(area, c.alineacion | Qt::AlignTop | Qt::TextWordWrap, texto);
            continue;
        }
        if (trazado->ancho > c.ancho)
            trazado = &c.trazar(c.metricas.elidedText(texto, Qt::ElideRight, c.ancho));
        double x = c.x;
        if (c.alineacion & Qt::AlignRight) x += c.ancho - trazado->ancho;
        if (c.alineacion & Qt::AlignHCenter) x += (c.ancho - trazado->ancho) / 2;
        lote.anadir(trazado->glifos, QPointF(x, y + margen), c.color);
    }
}

double PintorLista::Plantilla::pintar(QPainter& p, Lote& lote, const QList<FilaLista>& filas,
                                      double y) const {
    for (const FilaLista& f : filas) {
        const double alto = altura(f, {});
        pintar(p, lote, f, {}, y, alto);
        y += alto;
    }
    return y;
}

// The template's own layout between desde and hasta, drawn at y of the page.
void PintorLista::Plantilla::pintarTrozo(QPainter& p, double desde, double hasta, double y) const {
    if (hasta <= desde) return;
    p.save();
    p.translate(0, y - desde);
    documento->drawContents(&p, QRectF(0, desde, pagina.width(), hasta - desde));
    p.restore();
}

namespace {

CeldaLista leerCeldaLista(const QTextTableCell& celda, QAbstractTextDocumentLayout* maqueta,
                          QPaintDevice* dispositivo) {
    CeldaLista c;
    const QTextBlock bloque = celda.firstCursorPosition().block();
    const QRectF caja = maqueta->blockBoundingRect(bloque);
    c.x = caja.left();
    c.trozos = trozos(textoCeldaLista(celda));
    const QTextCharFormat formato =
        bloque.begin().atEnd() ? bloque.charFormat() : bloque.begin().fragment().charFormat();
    c.letra = formato.font();
    // Spanish text needs no shaping; without it "fi" also stays two letters, not a ligature
    // that a PDF reader would copy or search as one strange character.
    c.letra.setStyleStrategy(QFont::PreferNoShaping);
    c.metricas = QFontMetricsF(c.letra, dispositivo);
    c.dispositivo = dispositivo;
    c.color = formato.foreground().style() == Qt::NoBrush ? QColor(Qt::black)
                                                          : formato.foreground().color();
    c.fondo = celda.format().background();
    c.alineacion = bloque.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    c.cortar = bloque.blockFormat().nonBreakableLines();
    return c;
}

FilaLista leerFila(QTextTable* tabla, int f, QAbstractTextDocumentLayout* maqueta,
                   QPaintDevice* dispositivo) {
    FilaLista fila;
    for (int c = 0; c < tabla->columns(); ++c) {
        const QTextTableCell celda = tabla->cellAt(f, c);
        // A cell spanning several columns or rows is read once, where it starts.
        if (celda.column() == c && celda.row() == f)
            fila.append(leerCeldaLista(celda, maqueta, dispositivo));
    }
    return fila;
}

int filaDeMarcas(QTextTable* tabla) {
    for (int f = 0; f < tabla->rows(); ++f)
        for (int c = 0; c < tabla->columns(); ++c)
            if (tieneMarcas(textoCeldaLista(tabla->cellAt(f, c)))) return f;
    return -1;
}

} // namespace

PintorLista::PintorLista(const InformeGenerado& informe)
    : html_(informe.html)
    , nombre_(informe.nombre)
    , filas_(informe.filas) {
    QPrinter a4(QPrinter::HighResolution);
    prepararImpresora(a4);
    medida_ = std::make_unique<MedidaImpresora>(a4, a4.resolution());
    leerPlantilla();
}

PintorLista::PintorLista(const PintorLista& original, Gemelo)
    : html_(original.html_)
    , nombre_(original.nombre_)
    , filas_(original.filas_)
    , medida_(std::make_unique<MedidaImpresora>(*original.medida_))
    , alturas_(original.alturas_)
    , inicios_(original.inicios_)
    , paginas_(original.paginas_) {
    leerPlantilla();
}

PintorLista::~PintorLista() = default;

std::unique_ptr<PintorLista> PintorLista::gemelo() const {
    return std::unique_ptr<PintorLista>(new PintorLista(*this, Gemelo{}));
}

bool PintorLista::leerPlantilla() {
    auto p = std::make_unique<Plantilla>();
    p->documento = std::make_unique<QTextDocument>();
    QAbstractTextDocumentLayout* maqueta = p->documento->documentLayout();
    maqueta->setPaintDevice(medida_.get());
    p->documento->setDefaultFont(letraInforme(10));
    p->documento->setHtml(conLetraInforme(html_));
    p->alturaPie = QFontMetricsF(letraInforme(8), medida_.get()).height() * 2;
    p->pagina = medida_->pageLayout().paintRectPixels(medida_->resolution()).size();
    p->documento->setTextWidth(p->pagina.width());
    p->altoDocumento = p->documento->size().height(); // lays it out before it is read
    QTextTable* tabla = tablaDeFilas(p->documento->rootFrame());
    if (!tabla) {
        error_ = QStringLiteral("La plantilla %1.rpt tiene un error: la fila de {{#filas}} debe "
                                "ser una fila de una tabla (<tr>)")
                     .arg(nombre_);
        return false;
    }
    const int marcas = filaDeMarcas(tabla);
    const QTextTableFormat formato = tabla->format();
    // The template's pixels are screen pixels; the layout scales them to the printer's.
    const double escala = medida_->logicalDpiY() / 96.0;
    p->margen = formato.cellPadding() * escala;
    p->borde = formato.border() * escala;
    const QRectF caja = maqueta->frameBoundingRect(tabla);
    for (int f = 0; f < tabla->rows(); ++f) {
        FilaLista fila = leerFila(tabla, f, maqueta, medida_.get());
        // A block is as wide as its text: a cell's width runs to where the next one starts.
        for (qsizetype c = 0; c < fila.size(); ++c) {
            const double fin = c + 1 < fila.size() ? fila[c + 1].x - p->margen - p->borde
                                                   : caja.right() - 2 * p->borde;
            fila[c].ancho = fin - p->margen - fila[c].x;
        }
        if (f < marcas)
            p->cabecera.append(fila);
        else if (f == marcas)
            p->fila = fila;
        else
            p->pie.append(fila);
    }
    p->colorBorde = formato.borderBrush().style() == Qt::NoBrush ? QColor(Qt::black)
                                                                 : formato.borderBrush().color();
    // A screen pixel clear of the table, so the template's own copy of it is never drawn.
    p->arribaTabla = caja.top() - escala;
    p->abajoTabla = caja.bottom() + escala;
    plantilla_ = std::move(p);
    return true;
}

int PintorLista::paginas(const QPrinter& impresora) {
    if (!plantilla_ || !medida_->igualA(impresora, impresora.resolution())) {
        paginas_ = 0;
        medida_ = std::make_unique<MedidaImpresora>(impresora, impresora.resolution());
        if (!leerPlantilla()) return 0;
    }
    if (paginas_ == 0) partirEnPaginas();
    return paginas_;
}

// The heights and where each page starts, so every page knows how many there are.
void PintorLista::partirEnPaginas() {
    const Plantilla& p = *plantilla_;
    const FilasTexto& filas = filas_->filas;
    const double util = p.pagina.height() - p.alturaPie;
    const double cabecera = p.altura(p.cabecera);
    alturas_.assign(filas.size(), 0);
    inicios_ = {0};
    double y = p.arribaTabla + cabecera;
    for (qsizetype i = 0; i < filas.size(); ++i) {
        const QString fila = filas[i];
        alturas_[i] = static_cast<float>(p.altura(p.fila, partir(fila)));
        if (y + alturas_[i] > util && i > inicios_.back()) {
            inicios_.push_back(i);
            y = cabecera;
        }
        y += alturas_[i];
    }
    if (!filas_->completa) {
        // Only pages whose last row is known are whole; the first is shown anyway.
        paginas_ = std::max(1, static_cast<int>(inicios_.size()) - 1);
        return;
    }
    const double final = p.altura(p.pie) + p.altoDocumento - p.abajoTabla;
    paginas_ = static_cast<int>(inicios_.size()) + (y + final > util ? 1 : 0);
}

bool PintorLista::completa() const {
    return filas_->completa;
}

void PintorLista::pintarPagina(QPainter& pintor, int n) const {
    const Plantilla& p = *plantilla_;
    const double util = p.pagina.height() - p.alturaPie;
    const auto pie = [&] {
        pintor.setFont(letraInforme(8));
        pintor.setPen(Qt::black);
        pintor.drawText(QRectF(0, util, p.pagina.width(), p.alturaPie),
                        Qt::AlignHCenter | Qt::AlignBottom,
                        QStringLiteral("Página %1 de %2")
                            .arg(n + 1)
                            .arg(completa() ? QString::number(paginas_) : QStringLiteral("…")));
    };
    Lote lote;
    const int conFilas = static_cast<int>(inicios_.size());
    double y = 0;
    if (n < conFilas) {
        if (n == 0) {
            p.pintarTrozo(pintor, 0, p.arribaTabla, 0);
            y = p.arribaTabla;
        }
        y = p.pintar(pintor, lote, p.cabecera, y);
        const FilasTexto& filas = filas_->filas;
        const qsizetype hasta = n + 1 < conFilas ? inicios_[n + 1] : filas.size();
        for (qsizetype i = inicios_[n]; i < hasta; ++i) {
            const QString fila = filas[i];
            p.pintar(pintor, lote, p.fila, partir(fila), y, alturas_[i]);
            y += alturas_[i];
        }
        // The totals follow the last row, on its page when they fit.
        if (n + 1 < paginas_ || !completa()) {
            lote.pintar(pintor, p.lapizBorde());
            pie();
            return;
        }
    }
    y = p.pintar(pintor, lote, p.pie, y);
    lote.pintar(pintor, p.lapizBorde());
    p.pintarTrozo(pintor, p.abajoTabla, p.altoDocumento, y);
    pie();
}

} // namespace torvane
