#include "reports/VisorPaginas.h"

#include "reports/MotorInforme.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace torvane {

namespace {

constexpr int kHueco = 12; // grey around and between pages
constexpr int kSombra = 3;
constexpr double kPaso = 1.25;
// A page between these screen widths: the largest image is about 50 MB, under the cache's room.
constexpr double kAnchoMinimo = 120;
constexpr double kAnchoMaximo = 3000;
constexpr int kCacheKb = 64 * 1024;

} // namespace

VisorPaginas::VisorPaginas(QWidget* padre)
    : QAbstractScrollArea(padre)
    , medida_(QPrinter::HighResolution)
    , imagenes_(kCacheKb) {
    prepararImpresora(medida_);
    const int resolucion = medida_.resolution();
    papel_ = medida_.pageLayout().fullRectPixels(resolucion).size();
    origen_ = medida_.pageLayout().paintRectPixels(resolucion).topLeft();
    // Fitting the width with a bar that comes and goes would change the width it fits.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
}

VisorPaginas::~VisorPaginas() = default;

void VisorPaginas::mostrar(PaginasInforme* paginas, int pagina) {
    paginas_ = paginas;
    total_ = paginas ? paginas->paginas(medida_) : 0;
    pintadas_ = 0;
    imagenes_.clear();
    if (ajustar_) escala_ = escalaAjustada();
    colocarBarras();
    actual_ = 0;
    viewport()->update();
    if (total_ > 0)
        irA(pagina);
    else
        emit paginaCambiada();
}

void VisorPaginas::irA(int pagina) {
    if (total_ == 0) return;
    actual_ = std::clamp(pagina, 1, total_);
    moviendo_ = true;
    verticalScrollBar()->setValue((actual_ - 1) * paso());
    moviendo_ = false;
    emit paginaCambiada();
}

void VisorPaginas::acercar() {
    ajustar_ = false;
    fijarEscala(escala_ * kPaso);
}

void VisorPaginas::alejar() {
    ajustar_ = false;
    fijarEscala(escala_ / kPaso);
}

void VisorPaginas::ajustarAlAncho() {
    ajustar_ = true;
    fijarEscala(escalaAjustada());
}

QSize VisorPaginas::tamanoPagina() const {
    return (papel_ * escala_).toSize();
}

int VisorPaginas::paso() const {
    return tamanoPagina().height() + kHueco;
}

double VisorPaginas::escalaAjustada() const {
    return (viewport()->width() - 2 * kHueco) / papel_.width();
}

void VisorPaginas::fijarEscala(double escala) {
    escala = std::clamp(escala, kAnchoMinimo / papel_.width(), kAnchoMaximo / papel_.width());
    if (qFuzzyCompare(escala, escala_)) return;
    // The same spot of the same page stays at the top of the view.
    const double donde = static_cast<double>(verticalScrollBar()->value()) / paso();
    escala_ = escala;
    imagenes_.clear();
    colocarBarras();
    moviendo_ = true;
    verticalScrollBar()->setValue(qRound(donde * paso()));
    moviendo_ = false;
    viewport()->update();
}

void VisorPaginas::colocarBarras() {
    const QSize pagina = tamanoPagina();
    const QSize vista = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, total_ * paso() + kHueco - vista.height()));
    vertical->setPageStep(vista.height());
    vertical->setSingleStep(std::max(20, pagina.height() / 20));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, pagina.width() + 2 * kHueco - vista.width()));
    horizontal->setPageStep(vista.width());
    horizontal->setSingleStep(20);
}

QImage VisorPaginas::imagen(int n) {
    if (const QImage* hecha = imagenes_.object(n)) return *hecha;
    const qreal ratio = devicePixelRatioF();
    auto nueva = std::make_unique<QImage>(tamanoPagina() * ratio, QImage::Format_RGB32);
    nueva->setDevicePixelRatio(ratio);
    // Point sizes resolve as on the printer, so the page is its exact copy scaled down.
    const int puntosPorMetro = qRound(medida_.resolution() / 0.0254);
    nueva->setDotsPerMeterX(puntosPorMetro);
    nueva->setDotsPerMeterY(puntosPorMetro);
    nueva->fill(Qt::white);
    QPainter pintor(nueva.get());
    pintor.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                          QPainter::SmoothPixmapTransform);
    pintor.scale(escala_, escala_);
    pintor.translate(origen_);
    paginas_->pintarPagina(pintor, n);
    pintor.end();
    ++pintadas_;
    const QImage copia = *nueva;
    imagenes_.insert(n, nueva.release(), static_cast<int>(copia.sizeInBytes() / 1024));
    return copia;
}

void VisorPaginas::paintEvent(QPaintEvent* evento) {
    QPainter pintor(viewport());
    pintor.fillRect(evento->rect(), QColor(0x80, 0x80, 0x80));
    if (!paginas_ || total_ == 0) return;
    const QSize pagina = tamanoPagina();
    const int ancho = pagina.width() + 2 * kHueco;
    const int x = ancho <= viewport()->width() ? (viewport()->width() - pagina.width()) / 2
                                               : kHueco - horizontalScrollBar()->value();
    const int arriba = verticalScrollBar()->value();
    for (int n = std::max(0, (arriba - kHueco) / paso()); n < total_; ++n) {
        const QRect caja(QPoint(x, kHueco + n * paso() - arriba), pagina);
        if (caja.top() > evento->rect().bottom()) break;
        if (!caja.adjusted(0, 0, kSombra, kSombra).intersects(evento->rect())) continue;
        pintor.fillRect(caja.translated(kSombra, kSombra), QColor(0x40, 0x40, 0x40));
        pintor.drawImage(caja.topLeft(), imagen(n));
        pintor.setPen(QColor(0x30, 0x30, 0x30));
        pintor.drawRect(caja.adjusted(0, 0, -1, -1));
    }
}

void VisorPaginas::resizeEvent(QResizeEvent* evento) {
    QAbstractScrollArea::resizeEvent(evento);
    if (ajustar_)
        fijarEscala(escalaAjustada());
    else
        colocarBarras();
}

void VisorPaginas::wheelEvent(QWheelEvent* evento) {
    if (!(evento->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(evento);
        return;
    }
    if (evento->angleDelta().y() > 0) acercar();
    if (evento->angleDelta().y() < 0) alejar();
    evento->accept();
}

void VisorPaginas::keyPressEvent(QKeyEvent* evento) {
    // Page keys turn whole pages, as the ◀ ▶ buttons do.
    switch (evento->key()) {
    case Qt::Key_PageUp:
        irA(actual_ - 1);
        break;
    case Qt::Key_PageDown:
        irA(actual_ + 1);
        break;
    case Qt::Key_Home:
        irA(1);
        break;
    case Qt::Key_End:
        irA(total_);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(evento);
        return;
    }
    evento->accept();
}

void VisorPaginas::scrollContentsBy(int, int) {
    viewport()->update();
    if (!moviendo_) seguirPosicion();
}

void VisorPaginas::seguirPosicion() {
    if (total_ == 0) return;
    const int medio = verticalScrollBar()->value() + viewport()->height() / 2;
    const int pagina = std::clamp(medio / paso() + 1, 1, total_);
    if (pagina == actual_) return;
    actual_ = pagina;
    emit paginaCambiada();
}

} // namespace torvane
