#include "app/frmPrincipal.h"
#include "ui_frmPrincipal.h"

#include "app/frmAcercaDe.h"
#include "app/frmAnoTrabajo.h"
#include "banking/frmExtracto.h"
#include "collections/frmCobros.h"
#include "collections/frmEmitirMes.h"
#include "contracts/frmActualizarRentas.h"
#include "contracts/frmContratos.h"
#include "contracts/frmVencimientos.h"
#include "core/store/Ajustes.h"
#include "core/store/BaseDatos.h"
#include "core/store/Servidor.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "editors/frmCobrosConceptos.h"
#include "expenses/frmGastos.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInquilinos.h"
#include "reports/frmEstadisticas.h"
#include "reports/frmInforme.h"
#include "reports/frmRentaInmuebles.h"
#include "search/frmBusqueda.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "ui/Ventana.h"
#include "utilities/frmColor.h"
#include "utilities/frmConfiguracion.h"
#include "utilities/frmCopiaPen.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QStatusBar>
#include <QToolButton>

namespace torvane {

frmPrincipal::frmPrincipal(Sesion& sesion, QWidget* padre)
    : QMainWindow(padre)
    , ui(std::make_unique<Ui::frmPrincipal>())
    , ventanas_(sesion) {
    ui->setupUi(this);
    // Three alike thin bars: a heading keeps its height whatever the rows of buttons below it.
    for (auto* titulo : {ui->lblMaestros, ui->lblTrabajos, ui->lblUtilidades}) {
        titulo->setStyleSheet(QStringLiteral(
            "QLabel { color: white; background: #34495e; font-weight: bold; padding: 4px; }"));
        titulo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    for (auto* rejilla : {ui->lay_fraMaestros, ui->lay_fraTrabajos, ui->lay_fraUtilidades})
        rejilla->setRowStretch(rejilla->rowCount(), 1);
    for (QAction* accion : ui->mnuTraballos->actions())
        if (accion->isSeparator()) accion->setObjectName(QStringLiteral("mnuTragallosSep1"));

    enlazar<frmInmuebles>(ui->cmdInmuebles, ui->mnuArquivosInm);
    enlazar<frmInquilinos>(ui->cmdInquilinos, ui->mnuArquivosInq);
    enlazar<frmCobrosConceptos>(ui->cmdConceptosCobro, ui->mnuArquivosCon);
    enlazar<frmConfiguracion>(ui->cmdConfiguracion, ui->mnuArquivosConfig);
    enlazar<frmCobros>(ui->cmdCobros, ui->mnuTraballosCob);
    enlazar<frmInforme>(ui->cmdInformes, ui->mnuTraballosInf);
    enlazar<frmEmitirMes>(ui->cmdEmitirMes, ui->mnuTraballosEmi);
    // Every property's contracts and expenses: the property's own open from its record.
    const auto contratos = [this] {
        abrirHecha([this] { return std::make_unique<frmContratos>(ventanas_.sesion(), 0, this); });
    };
    connect(ui->cmdContratos, &QToolButton::clicked, this, protegido(this, contratos));
    connect(ui->mnuTraballosContratos, &QAction::triggered, this, protegido(this, contratos));
    connect(ui->mnuTraballosRentas, &QAction::triggered, this,
            protegido(this, &frmPrincipal::abrir<frmActualizarRentas>));
    connect(ui->mnuTraballosVencimientos, &QAction::triggered, this,
            protegido(this, &frmPrincipal::abrir<frmVencimientos>));
    connect(ui->mnuTraballosExtracto, &QAction::triggered, this,
            protegido(this, &frmPrincipal::abrir<frmExtracto>));
    connect(ui->mnuTraballosGastos, &QAction::triggered, this, protegido(this, [this] {
                abrirHecha(
                    [this] { return std::make_unique<frmGastos>(ventanas_.sesion(), 0, this); });
            }));
    connect(ui->mnuTraballosRenta, &QAction::triggered, this,
            protegido(this, &frmPrincipal::abrir<frmRentaInmuebles>));
    enlazar<frmEstadisticas>(ui->cmdGraficos, ui->mnuTraballosGraf);
    enlazar<frmCopiaPen>(ui->cmdCopiaSeg, ui->mnuUtiCopias);
    enlazar<frmColor>(ui->cmdCores, ui->mnuUtiColor);
    enlazar<frmAcercaDe>(ui->cmdVelmora, ui->mnuSairAcercaDe);
    enlazar<frmBusqueda>(ui->cmdBusqueda, ui->mnuTraballosBus);
    connect(ui->cmdAnos, &QToolButton::clicked, this, protegido(this, [this] {
                abrir<frmAnoTrabajo>();
                mostrarAno();
            }));
    ui->cmdAnos->setToolTip(QStringLiteral("Cambiar de año de trabajo o empezar uno nuevo"));
    mostrarAno();
    connect(ui->mnuSairSair, &QAction::triggered, this, &QWidget::close);
    EnterPulsaBotones(this);
    restaurarGeometria(this);
    avisarSinCifrar();
}

// Painted rather than set in a style sheet: a sheet on the window restyles every button in it,
// which took longer than the rest of the window's making.
void frmPrincipal::paintEvent(QPaintEvent* evento) {
    QPainter(this).fillRect(evento->rect(), Qt::white);
    QMainWindow::paintEvent(evento);
}

void frmPrincipal::mostrarAno() {
    setWindowTitle(QStringLiteral("Torvane — año %1").arg(ventanas_.sesion().ano));
    ui->cmdAnos->setText(QStringLiteral("&AÑO %1").arg(ventanas_.sesion().ano));
}

void frmPrincipal::avisarSinCifrar() {
    const std::optional<DatosServidor> servidor = leerServidor(ventanas_.sesion().ruta);
    const QString aviso = servidor ? avisoCifrado(*servidor) : QString();
    if (aviso.isEmpty()) return;
    auto* etiqueta = new QLabel(aviso);
    etiqueta->setObjectName(QStringLiteral("lblSinCifrar"));
    etiqueta->setWordWrap(true);
    etiqueta->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    statusBar()->addWidget(etiqueta, 1);
}

frmPrincipal::~frmPrincipal() = default;

void frmPrincipal::abrirHecha(const std::function<std::unique_ptr<QDialog>()>& crear) {
    CursorEspera espera(this);
    crear()->exec();
}

template <typename T> void frmPrincipal::abrir() {
    abrirHecha([this] { return ventanas_.crear<T>(this); });
}

template <typename T> void frmPrincipal::enlazar(QWidget* boton, QAction* menu) {
    connect(static_cast<QToolButton*>(boton), &QToolButton::clicked, this,
            protegido(this, &frmPrincipal::abrir<T>));
    connect(menu, &QAction::triggered, this, protegido(this, &frmPrincipal::abrir<T>));
}

void frmPrincipal::avisarVencimientos() {
    // Once a day: a notice that came back at every start would soon go unread.
    Ajustes ajustes;
    const QString hoy = fechaIso(Hoy());
    if (ajustes.valor(QStringLiteral("vencimientos/avisado")).toString() == hoy ||
        !frmVencimientos::hayVencimientos())
        return;
    ajustes.fijar(QStringLiteral("vencimientos/avisado"), hoy);
    // Not modal: the main window stays usable while it is open.
    auto* aviso = new frmVencimientos(ventanas_.sesion(), this);
    aviso->setAttribute(Qt::WA_DeleteOnClose);
    aviso->show();
}

void frmPrincipal::closeEvent(QCloseEvent* evento) {
    sinExcepciones(this, [&] {
        if (!Mensaje::preguntar(this, QStringLiteral("¿Confirma que desea Salir?"),
                                Mensaje::Icono::Informacion, QStringLiteral("Atención!!"))) {
            evento->ignore();
            return;
        }
        guardarGeometria(this);
        cerrarBaseDatos();
        evento->accept();
    });
}

} // namespace torvane
