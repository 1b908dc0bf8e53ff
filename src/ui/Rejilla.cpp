#include "ui/Rejilla.h"

#include "core/text/Formato.h"
#include "ui/Colores.h"
#include "ui/Protegido.h"

#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

namespace torvane {

namespace {
constexpr int kLote = 256;
constexpr int kPixelesPorTwip = 15;
} // namespace

ModeloRejilla::ModeloRejilla(QObject* padre)
    : QAbstractTableModel(padre) {}

void ModeloRejilla::definirColumnas(const QList<Columna>& columnas) {
    beginResetModel();
    columnas_ = columnas;
    filas_.clear();
    fuente_ = nullptr;
    fondos_.clear();
    letras_.clear();
    endResetModel();
}

void ModeloRejilla::vaciar() {
    definirColumnas({});
}

void ModeloRejilla::fijarFilas(QList<QStringList> filas) {
    beginResetModel();
    filas_ = std::move(filas);
    fuente_ = nullptr;
    fondos_.clear();
    endResetModel();
}

void ModeloRejilla::fijarFuente(Fuente fuente) {
    // Views react to the reset by asking for more rows: not before the first batch is in.
    const QScopedValueRollback guarda(cargando_, true);
    beginResetModel();
    filas_.clear();
    fondos_.clear();
    fuente_ = std::move(fuente);
    QStringList fila;
    while (filas_.size() < kLote && fuente_ && fuente_(fila))
        filas_.append(fila);
    if (filas_.size() < kLote) fuente_ = nullptr;
    endResetModel();
}

void ModeloRejilla::cargarHasta(int hasta) {
    // Views ask for more rows while an insertion is being announced; one load at a time.
    if (!fuente_ || cargando_ || (hasta >= 0 && filas_.size() >= hasta)) return;
    const QScopedValueRollback guarda(cargando_, true);
    QList<QStringList> nuevas;
    QStringList fila;
    bool quedan = true;
    while ((hasta < 0 || filas_.size() + nuevas.size() < hasta) && (quedan = fuente_(fila)))
        nuevas.append(fila);
    if (!quedan) fuente_ = nullptr;
    if (nuevas.isEmpty()) return;
    beginInsertRows({}, filas_.size(), filas_.size() + nuevas.size() - 1);
    filas_.append(nuevas);
    endInsertRows();
}

void ModeloRejilla::anadirFila(const QStringList& fila) {
    beginInsertRows({}, filas_.size(), filas_.size());
    filas_.append(fila);
    endInsertRows();
}

void ModeloRejilla::quitarUltimaFila() {
    if (filas_.isEmpty()) return;
    beginRemoveRows({}, filas_.size() - 1, filas_.size() - 1);
    filas_.removeLast();
    endRemoveRows();
}

int ModeloRejilla::numFilas() const {
    return columnas_.isEmpty() ? 0 : filas_.size() + 1;
}

QString ModeloRejilla::texto(int fila, int columna) const {
    if (columna < 0 || columna >= columnas_.size()) return {};
    if (fila == 0) return columnas_[columna].titulo;
    if (fila < 1 || fila > filas_.size()) return {};
    return filas_[fila - 1].value(columna);
}

void ModeloRejilla::fijarTexto(int fila, int columna, const QString& texto) {
    if (fila < 1 || fila > filas_.size() || columna < 0 || columna >= columnas_.size()) return;
    QStringList& celdas = filas_[fila - 1];
    while (celdas.size() <= columna)
        celdas.append(QString());
    celdas[columna] = texto;
    emit dataChanged(index(fila - 1, columna), index(fila - 1, columna));
}

void ModeloRejilla::fijarFondoFila(int fila, const QColor& color) {
    fondos_.insert(fila, color);
    if (fila >= 1 && fila <= filas_.size())
        emit dataChanged(index(fila - 1, 0), index(fila - 1, columnas_.size() - 1));
}

void ModeloRejilla::fijarTamanoLetra(int fila, int columna, int puntos) {
    letras_.insert({fila, columna}, puntos);
}

int ModeloRejilla::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : filas_.size();
}

int ModeloRejilla::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : columnas_.size();
}

QVariant ModeloRejilla::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid()) return {};
    const int fila = indice.row() + 1;
    const int columna = indice.column();
    switch (rol) {
    case Qt::DisplayRole:
        return texto(fila, columna);
    // A long text a narrow column cuts is read whole by resting the pointer on it.
    case Qt::ToolTipRole:
        return texto(fila, columna);
    case Qt::TextAlignmentRole:
        return QVariant(columnas_[columna].alineacion);
    case Qt::BackgroundRole:
        if (columna < columnasFijas_) return QGuiApplication::palette().color(QPalette::Button);
        if (fondos_.contains(fila)) return fondos_.value(fila);
        if (bandas_) return fila % 2 == 0 ? colorPrincipal() : kBlanco;
        return {};
    case Qt::ForegroundRole: {
        const QVariant fondo = data(indice, Qt::BackgroundRole);
        return fondo.isValid() ? QVariant(colorTexto(fondo.value<QColor>())) : QVariant();
    }
    case Qt::FontRole:
        if (const auto it = letras_.constFind({fila, columna}); it != letras_.constEnd()) {
            QFont letra;
            letra.setPointSize(*it);
            return letra;
        }
        return {};
    default:
        return {};
    }
}

QVariant ModeloRejilla::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion != Qt::Horizontal || seccion < 0 || seccion >= columnas_.size())
        return QAbstractTableModel::headerData(seccion, orientacion, rol);
    if (rol == Qt::DisplayRole) return columnas_[seccion].titulo;
    if (rol == Qt::TextAlignmentRole) return QVariant(columnas_[seccion].alineacion);
    return {};
}

Qt::ItemFlags ModeloRejilla::flags(const QModelIndex& indice) const {
    if (!indice.isValid()) return Qt::NoItemFlags;
    if (indice.column() < columnasFijas_) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool ModeloRejilla::canFetchMore(const QModelIndex& padre) const {
    return !padre.isValid() && fuente_ != nullptr && !cargando_;
}

void ModeloRejilla::fetchMore(const QModelIndex& padre) {
    // Asked by the view while it paints: a source that fails stops there, told once.
    if (padre.isValid()) return;
    sinExcepciones(qobject_cast<QWidget*>(QObject::parent()), [this] {
        try {
            cargarHasta(filas_.size() + kLote);
        } catch (...) {
            fuente_ = nullptr;
            throw;
        }
    });
}

Rejilla::Rejilla(QWidget* padre)
    : QTableView(padre)
    , modelo_(new ModeloRejilla(this)) {
    setModel(modelo_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    // Tab leaves the grid for the next control; arrows move between rows.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(this, &QAbstractItemView::doubleClicked, this,
            protegido(this, [this](const QModelIndex& indice) {
                if (indice.isValid()) emit elegida();
            }));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            protegido(this, [this](const QModelIndex& actual) {
                emit celdaActualCambiada(actual.isValid() ? actual.row() + 1 : 0,
                                         actual.isValid() ? actual.column() : 0);
            }));
    connect(modelo_, &QAbstractItemModel::modelReset, this,
            protegido(this, &Rejilla::aplicarAnchos));
}

void Rejilla::definirColumnas(const QList<Columna>& columnas) {
    modelo_->definirColumnas(columnas);
}

void Rejilla::mostrarNumeradas(const QList<Columna>& columnas, const QList<QStringList>& filas,
                               int fila) {
    QList<QStringList> numeradas;
    numeradas.reserve(filas.size());
    for (const QStringList& datos : filas)
        numeradas << QStringList{QString::number(numeradas.size() + 1)} + datos;
    definirColumnas(columnas);
    modelo_->fijarFilas(numeradas);
    if (!numeradas.isEmpty()) fijarFilaActual(qBound(1, fila, int(numeradas.size())));
}

int Rejilla::filaActual() const {
    const QModelIndex actual = currentIndex();
    return actual.isValid() ? actual.row() + 1 : 0;
}

int Rejilla::columnaActual() const {
    const QModelIndex actual = currentIndex();
    return actual.isValid() ? actual.column() : 0;
}

void Rejilla::fijarFilaActual(int fila, int columna) {
    modelo_->cargarHasta(fila);
    if (fila < 1 || fila > modelo_->filasDatos()) return;
    const QModelIndex indice = modelo_->index(fila - 1, columna);
    selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
}

void Rejilla::subirArriba(int fila) {
    fijarFilaActual(fila);
    if (fila >= 1 && fila <= modelo_->filasDatos())
        scrollTo(modelo_->index(fila - 1, 1), QAbstractItemView::PositionAtTop);
}

void Rejilla::recargarEnLaFila(const std::function<void()>& recargar) {
    const int fila = filaActual();
    recargar();
    modelo_->cargarHasta(fila);
    if (fila > 0 && modelo_->filasDatos() > 0) fijarFilaActual(qMin(fila, modelo_->filasDatos()));
}

bool Rejilla::celdaVisible(int fila, int columna) const {
    const QRect celda = visualRect(modelo_->index(fila - 1, columna));
    return celda.isValid() && viewport()->rect().contains(celda);
}

QRect Rejilla::rectCelda(int fila, int columna) const {
    const QRect celda = visualRect(modelo_->index(fila - 1, columna));
    const QWidget* base = parentWidget() ? parentWidget() : this;
    return QRect(viewport()->mapTo(base, celda.topLeft()), celda.size());
}

QList<int> repartirAnchos(const QList<int>& cuotas, const QList<int>& necesarios, int libre) {
    qint64 sobra = 0;
    qint64 falta = 0;
    for (qsizetype c = 0; c < cuotas.size(); ++c) {
        sobra += qMax(0, cuotas[c] - necesarios[c]);
        falta += qMax(0, necesarios[c] - cuotas[c]);
    }
    libre = qMax(0, libre);
    const qint64 pasa = qMin(sobra + libre, falta);
    if (pasa == 0) return cuotas;
    // The grid's unused width goes first; only the rest is taken from columns with room.
    const qint64 prestado = qMax<qint64>(0, pasa - libre);
    QList<int> anchos = cuotas;
    for (qsizetype c = 0; c < cuotas.size(); ++c) {
        const int diferencia = cuotas[c] - necesarios[c];
        anchos[c] += diferencia > 0 ? -static_cast<int>(diferencia * prestado / sobra)
                                    : static_cast<int>(-diferencia * pasa / falta);
    }
    return anchos;
}

int Rejilla::anchoNecesario(int columna) const {
    const int margen = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    int ancho =
        horizontalHeader()->fontMetrics().horizontalAdvance(modelo_->columnas()[columna].titulo) +
        2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + margen;
    for (int fila = 1; fila <= modelo_->filasDatos(); ++fila)
        ancho = qMax(ancho, anchoTexto(modelo_->texto(fila, columna)) + margen);
    return ancho;
}

int Rejilla::anchoTexto(const QString& texto) const {
    // Bounded: a long list scrolled to its end must not keep every text it ever showed.
    constexpr qsizetype kMaximoAnchos = 50000;
    if (const auto medido = anchosTexto_.constFind(texto); medido != anchosTexto_.cend())
        return *medido;
    if (anchosTexto_.size() >= kMaximoAnchos) anchosTexto_.clear();
    const int ancho = fontMetrics().horizontalAdvance(texto);
    anchosTexto_.insert(texto, ancho);
    return ancho;
}

void Rejilla::changeEvent(QEvent* evento) {
    if (evento->type() == QEvent::FontChange || evento->type() == QEvent::StyleChange)
        anchosTexto_.clear();
    QTableView::changeEvent(evento);
}

void Rejilla::aplicarAnchos() {
    const auto& columnas = modelo_->columnas();
    const int ancho = contentsRect().width() - verticalScrollBar()->sizeHint().width();
    QList<int> cuotas;
    QList<int> necesarios;
    QList<int> repartibles;
    int ocupado = 0;
    for (int c = 0; c < columnas.size(); ++c) {
        const Columna& columna = columnas[c];
        const int pixeles = columna.twipsFijos > 0 ? columna.twipsFijos / kPixelesPorTwip
                                                   : static_cast<int>(columna.fraccion * ancho);
        setColumnHidden(c, pixeles <= 0);
        if (pixeles <= 0) continue;
        setColumnWidth(c, pixeles);
        ocupado += pixeles;
        if (columna.twipsFijos > 0) continue;
        cuotas << pixeles;
        necesarios << anchoNecesario(c);
        repartibles << c;
    }
    // Only the rows loaded so far are measured: a long list keeps its widths while it scrolls.
    const QList<int> anchos = repartirAnchos(cuotas, necesarios, ancho - ocupado);
    for (qsizetype i = 0; i < repartibles.size(); ++i)
        setColumnWidth(repartibles[i], anchos[i]);
}

bool Rejilla::viewportEvent(QEvent* evento) {
    if (evento->type() != QEvent::ToolTip) return QTableView::viewportEvent(evento);
    // The whole value, only where the column is too narrow to show it.
    const auto* ayuda = static_cast<QHelpEvent*>(evento);
    const QModelIndex indice = indexAt(ayuda->pos());
    const QString texto = indice.data().toString();
    const int margen = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    if (texto.isEmpty() ||
        fontMetrics().horizontalAdvance(texto) + margen <= visualRect(indice).width()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(ayuda->globalPos(), texto, viewport(), visualRect(indice));
    return true;
}

void Rejilla::resizeEvent(QResizeEvent* evento) {
    QTableView::resizeEvent(evento);
    aplicarAnchos();
}

void Rejilla::wheelEvent(QWheelEvent* evento) {
    // Sideways wheels and Shift+wheel scroll the columns as anywhere else.
    const QPoint giro = evento->angleDelta();
    const bool lateral = giro.x() != 0 || evento->modifiers().testFlag(Qt::ShiftModifier);
    if (lateral) {
        const int delta = giro.x() != 0 ? giro.x() : giro.y();
        QScrollBar* barra = horizontalScrollBar();
        barra->setValue(barra->value() - delta * barra->singleStep() * 3 / 120);
        evento->accept();
        return;
    }
    // One row per wheel step, whatever the desktop's setting.
    restoRueda_ += giro.y();
    const int pasos = restoRueda_ / 120;
    restoRueda_ -= pasos * 120;
    if (pasos != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() - pasos);
    evento->accept();
}

void Rejilla::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter) {
        if (filaActual() > 0) emit elegida();
        evento->accept();
        return;
    }
    QTableView::keyPressEvent(evento);
}

void mostrarLista(Rejilla* rejilla, const QList<Columna>& columnas, QList<QStringList> filas,
                  QLabel* info, const QString& nombre) {
    const auto cuantas = filas.size();
    if (filas.isEmpty()) {
        rejilla->vaciar();
    } else {
        rejilla->definirColumnas(columnas);
        rejilla->modelo()->fijarFilas(std::move(filas));
        rejilla->fijarFilaActual(1, 1);
    }
    info->setText(cuenta(cuantas, nombre));
}

} // namespace torvane
