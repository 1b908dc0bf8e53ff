#include "collections/frmCobros.h"

#include "ui_frmCobros.h"

#include "collections/EnvioCorreo.h"
#include "collections/frmCobrosHoja.h"
#include "collections/frmEmitirMes.h"
#include "collections/frmPago.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/store/Anos.h"
#include "core/store/LecturaAparte.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/Exportar.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QFocusEvent>
#include <algorithm>

namespace torvane {

namespace {

const QString kTodas = QStringLiteral("TODAS");
constexpr int kColumnaPago = 11;

QList<Columna> columnasCobros() {
    return {Columna::numero(),
            Columna::fecha(QStringLiteral("Fecha"), 0.08),
            Columna::texto(QStringLiteral("Número"), 0.07),
            Columna::texto(QStringLiteral("Inmueble"), 0.16),
            Columna::texto(QStringLiteral("Inquilino"), 0.18),
            Columna::importe(QStringLiteral("Base"), 0.08),
            Columna::cifra(QStringLiteral("% IVA"), 0.04),
            Columna::importe(QStringLiteral("IVA"), 0.05),
            Columna::cifra(QStringLiteral("% Ret."), 0.04),
            Columna::importe(QStringLiteral("RET"), 0.05),
            Columna::importe(QStringLiteral("TOTAL"), 0.10),
            Columna::texto(QStringLiteral("Pag"), 0.05, Qt::AlignHCenter),
            Columna::oculta(),
            Columna::texto(QStringLiteral("Correo"), 0.06)};
}

} // namespace

frmCobros::frmCobros(const Sesion& sesion, AperturasCobros& aperturas, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCobros>())
    , sesion_(sesion)
    , aperturas_(aperturas) {
    ui->setupUi(this);
    configurarCampo(ui->mskDesde, Campo::Normal);
    configurarCampo(ui->mskHasta, Campo::Normal);
    configurarCampo(ui->txtFiltro, Campo::ColorFoco);
    ui->mskDesde->installEventFilter(this);
    ui->mskHasta->installEventFilter(this);
    connect(ui->txtFiltro, &QLineEdit::returnPressed, this,
            protegido(this, &frmCobros::CargarLista));
    connect(ui->cmdFiltrar, &QPushButton::clicked, this, protegido(this, &frmCobros::CargarLista));
    connect(ui->chkPen, &QCheckBox::clicked, this, protegido(this, &frmCobros::CargarLista));
    connect(ui->cmdNovo, &QPushButton::clicked, this, protegido(this, &frmCobros::Nuevo));
    connect(ui->cmdEditar, &QPushButton::clicked, this, protegido(this, &frmCobros::Editar));
    connect(ui->mshDatos, &Rejilla::elegida, this, protegido(this, &frmCobros::Editar));
    connect(ui->cmdBorrar, &QPushButton::clicked, this, protegido(this, &frmCobros::Borrar));
    // Cancelled documents are listed, and left out of the export's totals as of the label's.
    conectarExportar(ui->cmdExportar, ui->mshDatos, QStringLiteral("Cobros"), FilaTotales::No,
                     {kColumnaPago, kMarcaAnulado},
                     [this](const QSqlDatabase& db) { return celdasCobros(filtro_, db); });
    connect(ui->cmdEmitirMes, &QPushButton::clicked, this, protegido(this, &frmCobros::EmitirMes));
    connect(ui->cmdRemesa, &QPushButton::clicked, this, protegido(this, &frmCobros::Remesa));
    connect(ui->cmdExtracto, &QPushButton::clicked, this, protegido(this, &frmCobros::Extracto));
    connect(ui->cmdPagados, &QPushButton::clicked, this,
            protegido(this, [this] { MarcarPagados(true); }));
    connect(ui->cmdPendientes, &QPushButton::clicked, this,
            protegido(this, [this] { MarcarPagados(false); }));
    connect(ui->cmdCorreo, &QPushButton::clicked, this,
            protegido(this, &frmCobros::EnviarPorCorreo));
    // Several rows can be chosen at once to be marked paid or unpaid, or mailed, together.
    ui->mshDatos->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

frmCobros::~frmCobros() = default;

void frmCobros::alActivar() {
    CargarSeriesFiltro();
    ui->mskDesde->setText(formatoFecha(QDate(sesion_.numeroAno(), 1, 1)));
    // A year made ahead (after «Nuevo año» in December) shows its own documents too.
    ui->mskHasta->setText(QStringLiteral("31/12/") +
                          QString::number(std::max(Hoy().year(), sesion_.numeroAno())));
    CargarLista();
    ui->txtFiltro->setFocus();
}

void frmCobros::CargarSeriesFiltro() {
    ui->cmbSerie->clear();
    ui->cmbSerie->addItem(kTodas);
    ui->cmbSerie->addItems(codigosSeries());
    ui->cmbSerie->setCurrentIndex(0);
}

bool frmCobros::LeerFiltro(FiltroCobros& filtro) const {
    filtro.desde = leerFecha(ui->mskDesde->text());
    filtro.hasta = leerFecha(ui->mskHasta->text());
    filtro.texto = ui->txtFiltro->text();
    filtro.pendientes = ui->chkPen->isChecked();
    const QString serie = ui->cmbSerie->currentText();
    filtro.serie = serie == kTodas ? QString() : serie;
    return filtro.desde.isValid() && filtro.hasta.isValid();
}

void frmCobros::CargarLista() {
    FiltroCobros filtro;
    // A wrong date has already been reported when its box was left.
    if (!LeerFiltro(filtro)) return;
    CursorEspera espera(this);
    // The count and sum are read aside while the first rows are read here, on the other core.
    PedirResumen(filtro);
    ui->mshDatos->definirColumnas(columnasCobros());
    filtro_ = filtro;
    ui->mshDatos->modelo()->fijarFuente(
        [fuente = filasCobros(filtro), contador = 0](QStringList& fila) mutable {
            if (!fuente(fila)) return false;
            fila.prepend(QString::number(++contador));
            return true;
        });
    if (ui->mshDatos->numFilas() > 1)
        ui->mshDatos->fijarFilaActual(1, 1);
    else
        ui->mshDatos->vaciar();
}

// Counting and adding the whole year takes longer than the first screen of rows, so the label
// follows them instead of holding them back.
void frmCobros::PedirResumen(const FiltroCobros& filtro) {
    ui->lblInfo->clear();
    const int peticion = ++peticionResumen_;
    leerAparte(this, [this, filtro, peticion](const QSqlDatabase& db) -> Entrega {
        const ResumenCobros resumen = resumenCobros(filtro, db);
        return [this, resumen, peticion] {
            if (peticion != peticionResumen_) return;
            ui->lblInfo->setText(cuenta(resumen.cuenta, QStringLiteral("recibo de cobro"),
                                        QStringLiteral("recibos de cobro")) +
                                 QStringLiteral(" | TOTAL IMPORTES: ") + resumen.total.texto() +
                                 QStringLiteral(" €"));
        };
    });
}

void frmCobros::Nuevo() {
    const auto idInm = aperturas_.buscar(this, QStringLiteral("Inmuebles"));
    CursorEspera espera(this);
    frmCobrosHoja hoja(sesion_, aperturas_,
                       DocumentoNuevo{idInm.value_or(0), idInm ? InquilinoDeInmueble(*idInm) : 0},
                       this);
    hoja.setWindowTitle(QStringLiteral("Nuevo Recibo de Cobro"));
    hoja.exec();
    ui->mshDatos->recargarEnLaFila([this] { CargarLista(); });
    ui->txtFiltro->setFocus();
}

void frmCobros::Editar() {
    const int fila = ui->mshDatos->filaActual();
    if (fila < 1) return;
    {
        CursorEspera espera(this);
        frmCobrosHoja hoja(sesion_, aperturas_, ui->mshDatos->texto(fila, 12).toInt(), this);
        hoja.setWindowTitle(QStringLiteral("Modificando Recibo"));
        hoja.exec();
    }
    CargarLista();
    if (ui->mshDatos->filaActual() > 0) ui->mshDatos->subirArriba(fila);
    ui->txtFiltro->setFocus();
}

void frmCobros::Borrar() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    const int id = ui->mshDatos->texto(fila, 12).toInt();
    if (const QString motivo = motivoNo(id, Accion::Borrar); !motivo.isEmpty())
        return Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
    const QString inmueble = ui->mshDatos->texto(fila, 3);
    const QString pregunta =
        QStringLiteral("¿Borrar el recibo nº ") + ui->mshDatos->texto(fila, 2) +
        (inmueble.isEmpty() ? QString() : QStringLiteral(" (") + inmueble + u')') + u'?';
    if (!Mensaje::preguntar(this, pregunta, Mensaje::Icono::Informacion, Mensaje::kTitulo, true))
        return;
    // Another desk may have printed it or numbered past it since.
    if (const auto borrado = borrarDocumento(id); !borrado)
        return Mensaje::informar(this, borrado.motivo(), Mensaje::Icono::Exclamacion);
    ui->mshDatos->recargarEnLaFila([this] { CargarLista(); });
}

void frmCobros::EmitirMes() {
    {
        frmEmitirMes emitir(sesion_, this);
        emitir.exec();
    }
    CargarLista();
    ui->txtFiltro->setFocus();
}

QList<int> frmCobros::IdsElegidos() const {
    QList<int> ids;
    for (const QModelIndex& fila : ui->mshDatos->selectionModel()->selectedRows())
        ids << ui->mshDatos->texto(fila.row() + 1, 12).toInt();
    return ids;
}

void frmCobros::Remesa() {
    const QList<int> ids = IdsElegidos();
    // One row is merely the current one; picking means several.
    aperturas_.remesa(this, ids.size() > 1 ? QSet<int>(ids.begin(), ids.end()) : QSet<int>());
    CargarLista();
    ui->txtFiltro->setFocus();
}

void frmCobros::Extracto() {
    if (aperturas_.extracto(this)) CargarLista();
}

void frmCobros::MarcarPagados(bool pagados) {
    const QList<int> ids = IdsElegidos();
    if (ids.isEmpty()) return;
    Resultado<> marcado = Hecho{};
    if (pagados) {
        frmPago pago(this, static_cast<int>(ids.size()));
        if (pago.exec() != QDialog::Accepted || !pago.elegido()) return;
        marcado = marcarPagados(ids, *pago.elegido());
    } else {
        if (!Mensaje::preguntar(
                this,
                segunCuenta(ids.size(), QStringLiteral("¿Marcar como pendiente el recibo elegido?"),
                            QStringLiteral("¿Marcar como pendientes los %1 recibos elegidos?"))))
            return;
        marcado = marcarPendientes(ids);
    }
    if (!marcado) {
        Mensaje::informar(this, marcado.motivo() + QStringLiteral("\nNo se ha marcado ninguno."),
                          Mensaje::Icono::Exclamacion);
        return;
    }
    CargarLista();
}

void frmCobros::EnviarPorCorreo() {
    const QList<int> ids = IdsElegidos();
    if (ids.isEmpty()) return;
    const int fila = ui->mshDatos->filaActual();
    // Sent or failed, the column tells each one now.
    enviarPorCorreo(this, ids);
    CargarLista();
    if (ui->mshDatos->filaActual() > 0) ui->mshDatos->subirArriba(fila);
}

bool frmCobros::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::FocusOut && isVisible()) {
        const auto razon = static_cast<QFocusEvent*>(evento)->reason();
        auto* caja = qobject_cast<QLineEdit*>(objeto);
        if (caja && razon != Qt::ActiveWindowFocusReason && razon != Qt::PopupFocusReason &&
            !leerFecha(caja->text()).isValid()) {
            Mensaje::informar(this, QStringLiteral("Ponga una fecha correcta"));
            caja->setFocus();
        }
    }
    return Ventana::eventFilter(objeto, evento);
}

} // namespace torvane
