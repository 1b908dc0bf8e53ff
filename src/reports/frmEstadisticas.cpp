#include "reports/frmEstadisticas.h"
#include "ui_frmEstadisticas.h"

#include "core/reports/Estadisticas.h"
#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "ui/CampoAno.h"
#include "ui/Colores.h"
#include "ui/CursorEspera.h"
#include "ui/Exportar.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QAbstractButton>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QLineSeries>
#include <QLocale>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>

namespace torvane {

namespace {

constexpr int kColMes1 = 3;
constexpr int kIndiceMes = 0;
constexpr int kIndiceAno = 1;
constexpr int kIndiceFacturado = 2;

struct Punto {
    QString etiqueta;
    Importe valor;
};

// A chart's series take qreal heights; the figures shown are Importe texts.
qreal altura(Importe valor) {
    return static_cast<qreal>(valor.centimos()) / 100;
}

void vaciarGrafico(QChart* grafico) {
    grafico->removeAllSeries();
    for (QAbstractAxis* eje : grafico->axes()) {
        grafico->removeAxis(eje);
        delete eje;
    }
}

// Category axes drop repeated labels, so the blank labels of an empty year differ in length.
QStringList etiquetasUnicas(const QList<Punto>& puntos) {
    QStringList etiquetas;
    for (int i = 0; i < puntos.size(); ++i)
        etiquetas << (puntos[i].etiqueta.isEmpty() ? QString(i + 1, QLatin1Char(' '))
                                                   : puntos[i].etiqueta);
    return etiquetas;
}

void ponerEjes(QChart* grafico, QAbstractSeries* serie, const QList<Punto>& puntos) {
    auto* ejeX = new QBarCategoryAxis;
    ejeX->append(etiquetasUnicas(puntos));
    auto* ejeY = new QValueAxis;
    Importe maximo;
    for (const Punto& p : puntos)
        maximo = std::max(maximo, p.valor);
    ejeY->setRange(0, maximo > Importe() ? altura(maximo) * 1.1 : 1);
    if (maximo > Importe())
        ejeY->applyNiceNumbers();
    else
        ejeY->setTickCount(2);
    ejeY->setLabelFormat(QStringLiteral("%.0f"));
    grafico->addAxis(ejeX, Qt::AlignBottom);
    grafico->addAxis(ejeY, Qt::AlignLeft);
    serie->attachAxis(ejeX);
    serie->attachAxis(ejeY);
}

QLineSeries* serieDe(const QList<Punto>& puntos) {
    auto* linea = new QLineSeries;
    for (int i = 0; i < puntos.size(); ++i)
        linea->append(i, altura(puntos[i].valor));
    return linea;
}

} // namespace

frmEstadisticas::frmEstadisticas(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmEstadisticas>())
    , sesion_(sesion) {
    ui->setupUi(this);
    // Twelve months of amounts need the whole screen's width to be read without cuts.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowState(Qt::WindowMaximized);
    ui->mscGrafico->setRenderHint(QPainter::Antialiasing);
    ui->mscGrafico->chart()->legend()->setVisible(true);
    connect(ui->cmdFiltrar, &QPushButton::clicked, this,
            protegido(this, &frmEstadisticas::cmdFiltrar_Click));
    conectarExportar(ui->cmdExportar, ui->mshDatos, QStringLiteral("Estadísticas"),
                     FilaTotales::Ultima);
    connect(ui->mshDatos, &Rejilla::celdaActualCambiada, this,
            protegido(this, &frmEstadisticas::redibujar));
    for (QAbstractButton* opcion :
         {ui->optTipoGrafico_0, ui->optTipoGrafico_1, ui->optTipoGrafico_2, ui->optTipoGrafico_3})
        connect(opcion, &QAbstractButton::toggled, this, protegido(this, [this](bool marcada) {
                    if (marcada) redibujar();
                }));
}

frmEstadisticas::~frmEstadisticas() = default;

void frmEstadisticas::alActivar() {
    pintarFondo(ui->lstTipo, colorFondo());
    pintarFondo(ui->lblTitulo, colorFondo());
    ui->lstTipo->setCurrentRow(kIndiceMes);
    // The working year's own documents, whichever year today is.
    ui->txtAno->setText(QString::number(sesion_.numeroAno()));
    cmdFiltrar_Click();
}

void frmEstadisticas::cmdFiltrar_Click() {
    const int tipo = ui->lstTipo->currentRow();
    if (tipo == kIndiceAno) {
        ui->lblTitulo->setText(ui->lstTipo->currentItem()->text().toUpper());
        Mensaje::informar(this, QStringLiteral("Opción no disponible"));
        return;
    }
    const std::optional<int> ano = leerAnoEscrito(this, ui->txtAno);
    if (!ano) return;
    ui->lblTitulo->setText(ui->lstTipo->currentItem()->text().toUpper());
    CursorEspera espera(this);
    // Collected by the day it was paid; invoiced by the document's date.
    CargarDatos(*ano, tipo == kIndiceFacturado ? Cuenta::Facturado : Cuenta::Cobrado);
}

void frmEstadisticas::ConfigurarRejilla() {
    QList<Columna> columnas{Columna::oculta(), Columna::numero(300),
                            Columna::texto(QStringLiteral("Inmueble"), 0.14, Qt::AlignRight)};
    for (const QString& mes : nombresMeses())
        columnas << Columna::importe(mes, 0.06);
    // Wider than the months so a year's total of five figures is never cut.
    columnas << Columna::importe(QStringLiteral("TOTAL"), 0.08);
    ui->mshDatos->modelo()->fijarColumnasFijas(2);
    ui->mshDatos->definirColumnas(columnas);
}

void frmEstadisticas::CargarDatos(int ano, Cuenta cuenta) {
    const QList<QStringList> filas = rejillaMensual(cobrosPorMes(ano, cuenta));
    if (filas.isEmpty()) {
        ui->mshDatos->vaciar();
        DibujarGrafico(0);
        return;
    }
    ConfigurarRejilla();
    ui->mshDatos->modelo()->fijarFilas(filas);
    ui->mshDatos->fijarFilaActual(1, 2);
    DibujarGrafico(1);
}

int frmEstadisticas::TipoGrafico() const {
    if (ui->optTipoGrafico_1->isChecked()) return 1;
    if (ui->optTipoGrafico_2->isChecked()) return 2;
    return ui->optTipoGrafico_3->isChecked() ? 3 : 0;
}

void frmEstadisticas::redibujar() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() > 1 && fila > 0) DibujarGrafico(fila);
}

void frmEstadisticas::DibujarGrafico(int fila) {
    QList<Punto> puntos;
    const QStringList meses = nombresMeses();
    for (int m = 0; m < 12; ++m) {
        if (fila == 0) {
            puntos.append(Punto{});
            continue;
        }
        // An empty month is charted as nothing collected.
        puntos.append(
            {meses[m], Importe::leer(ui->mshDatos->texto(fila, kColMes1 + m)).valorO(Importe())});
    }
    const QString nombre = fila == 0 ? QString() : ui->mshDatos->texto(fila, 2);
    QChart* grafico = ui->mscGrafico->chart();
    vaciarGrafico(grafico);
    const QColor color = colorFondo();
    switch (TipoGrafico()) {
    case 1: {
        QLineSeries* linea = serieDe(puntos);
        linea->setName(nombre);
        linea->setPen(QPen(colorSobreBlanco(color), 3));
        grafico->addSeries(linea);
        ponerEjes(grafico, linea, puntos);
        break;
    }
    case 2: {
        auto* area = new QAreaSeries(serieDe(puntos));
        area->setName(nombre);
        area->setBrush(color);
        area->setPen(QPen(colorSobreBlanco(color), 2));
        grafico->addSeries(area);
        ponerEjes(grafico, area, puntos);
        break;
    }
    case 3: {
        auto* tarta = new QPieSeries;
        Importe total;
        for (const Punto& p : puntos)
            total += p.valor;
        for (const Punto& p : puntos) {
            QPieSlice* porcion = tarta->append(p.etiqueta, altura(p.valor));
            if (p.valor <= Importe() || total <= Importe()) continue;
            porcion->setLabel(
                QStringLiteral("%1: %2 (%3 %)")
                    .arg(p.etiqueta, p.valor.texto(),
                         QLocale().toString(altura(p.valor) * 100 / altura(total), 'f', 1)));
            porcion->setLabelVisible(true);
        }
        tarta->slices().constFirst()->setBrush(color);
        grafico->addSeries(tarta);
        break;
    }
    default: {
        auto* barras = new QBarSet(nombre);
        for (const Punto& p : puntos)
            barras->append(altura(p.valor));
        barras->setBrush(color);
        barras->setPen(QPen(color.darker(130)));
        auto* serie = new QBarSeries;
        serie->append(barras);
        grafico->addSeries(serie);
        ponerEjes(grafico, serie, puntos);
        break;
    }
    }
}

} // namespace torvane
