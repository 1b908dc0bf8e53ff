#include "search/frmBusqueda.h"
#include "ui_frmBusqueda.h"

#include "core/search/Busqueda.h"
#include "ui/CursorEspera.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QKeyEvent>

namespace torvane {

namespace {

enum ColumnaBusqueda { kClase = 1, kTitulo, kDetalle, kImporte, kCodigoClase, kId };

} // namespace

frmBusqueda::frmBusqueda(AperturasBusqueda& aperturas, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmBusqueda>())
    , aperturas_(aperturas) {
    ui->setupUi(this);
    configurarCampo(ui->txtBuscar, Campo::ColorFoco);
    ui->txtBuscar->installEventFilter(this);
    connect(ui->txtBuscar, &QLineEdit::textChanged, this, protegido(this, &frmBusqueda::Buscar));
    connect(ui->txtBuscar, &QLineEdit::returnPressed, this, protegido(this, &frmBusqueda::Abrir));
    connect(ui->mshDatos, &Rejilla::elegida, this, protegido(this, &frmBusqueda::Abrir));
    connect(ui->cmdAbrir, &QPushButton::clicked, this, protegido(this, &frmBusqueda::Abrir));
    connect(ui->cmdSalir, &QPushButton::clicked, this, &QDialog::reject);
}

frmBusqueda::~frmBusqueda() = default;

void frmBusqueda::alActivar() {
    Buscar();
    ui->txtBuscar->setFocus();
}

void frmBusqueda::Buscar() {
    const Resultados resultados = buscarEnTodo(ui->txtBuscar->text());
    QList<QStringList> filas;
    for (const Hallazgo& r : resultados.filas)
        filas << QStringList{QString::number(filas.size() + 1),
                             nombreClase(r.clase),
                             r.titulo,
                             r.detalle,
                             r.importe,
                             QString::number(static_cast<int>(r.clase)),
                             QString::number(r.id)};
    mostrarLista(ui->mshDatos,
                 {Columna::numero(), Columna::texto(QStringLiteral("Clase"), 0.1),
                  Columna::texto(QStringLiteral("Nombre o número"), 0.3),
                  Columna::texto(QStringLiteral("Datos"), 0.45),
                  Columna::texto(QStringLiteral("Importe"), 0.1, Qt::AlignRight), Columna::oculta(),
                  Columna::oculta()},
                 filas, ui->lblInfo, QStringLiteral("resultado"));
    if (ui->txtBuscar->text().trimmed().isEmpty())
        ui->lblInfo->clear();
    else if (resultados.recortada)
        ui->lblInfo->setText(ui->lblInfo->text() +
                             QStringLiteral(" (de cada clase, solo los %1 primeros: escriba más "
                                            "para afinar)")
                                 .arg(kMaximoPorClase));
}

void frmBusqueda::Abrir() {
    const int fila = ui->mshDatos->filaActual();
    if (fila < 1) return;
    const auto clase = static_cast<ClaseResultado>(ui->mshDatos->texto(fila, kCodigoClase).toInt());
    const int id = ui->mshDatos->texto(fila, kId).toInt();
    const QString titulo = ui->mshDatos->texto(fila, kTitulo);
    {
        CursorEspera espera(this);
        if (clase == ClaseResultado::Inquilino)
            aperturas_.fichaInquilino(this, id, titulo);
        else if (clase == ClaseResultado::Inmueble)
            aperturas_.fichaInmueble(this, id, titulo);
        else
            aperturas_.documento(this, id, QStringLiteral("Recibo ") + titulo);
    }
    // The record may have changed or gone: look again and keep the place.
    Buscar();
    if (fila < ui->mshDatos->numFilas()) ui->mshDatos->fijarFilaActual(fila);
    ui->txtBuscar->setFocus();
}

bool frmBusqueda::eventFilter(QObject* objeto, QEvent* evento) {
    // The arrows move through the results without leaving the box.
    if (objeto == ui->txtBuscar && evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Down || tecla == Qt::Key_Up || tecla == Qt::Key_PageDown ||
            tecla == Qt::Key_PageUp) {
            QCoreApplication::sendEvent(ui->mshDatos, evento);
            return true;
        }
    }
    return Ventana::eventFilter(objeto, evento);
}

} // namespace torvane
