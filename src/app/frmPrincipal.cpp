#include "app/frmPrincipal.h"
#include "ui_frmPrincipal.h"

#include "app/frmAcercaDe.h"
#include "collections/frmCobros.h"
#include "data/BaseDatos.h"
#include "editors/frmCobrosConceptos.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInquilinos.h"
#include "reports/frmEstadisticas.h"
#include "reports/frmInforme.h"
#include "utilities/frmColor.h"
#include "utilities/frmConfiguracion.h"
#include "utilities/frmCopiaPen.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"
#include "ui/Ventana.h"

#include <QCloseEvent>
#include <QToolButton>

frmPrincipal::frmPrincipal(QWidget* padre)
    : QMainWindow(padre)
    , ui(std::make_unique<Ui::frmPrincipal>())
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Torvane"));
    for (auto* titulo : {ui->lblMaestros, ui->lblTrabajos, ui->lblUtilidades})
        titulo->setStyleSheet(QStringLiteral(
            "QLabel { color: white; background: #34495e; font-weight: bold; padding: 4px; }"));
    setStyleSheet(QStringLiteral("QMainWindow, #centralwidget { background: white; }"));
    for (QAction* accion : ui->mnuTraballos->actions())
        if (accion->isSeparator())
            accion->setObjectName(QStringLiteral("mnuTragallosSep1"));

    enlazar<frmInmuebles>(ui->cmdInmuebles, ui->mnuArquivosInm);
    enlazar<frmInquilinos>(ui->cmdInquilinos, ui->mnuArquivosInq);
    enlazar<frmCobrosConceptos>(ui->cmdConceptosCobro, ui->mnuArquivosCon);
    enlazar<frmConfiguracion>(ui->cmdConfiguracion, ui->mnuArquivosConfig);
    enlazar<frmCobros>(ui->cmdCobros, ui->mnuTraballosCob);
    enlazar<frmInforme>(ui->cmdInformes, ui->mnuTraballosInf);
    enlazar<frmEstadisticas>(ui->cmdGraficos, ui->mnuTraballosGraf);
    enlazar<frmCopiaPen>(ui->cmdCopiaSeg, ui->mnuUtiCopias);
    enlazar<frmColor>(ui->cmdCores, ui->mnuUtiColor);
    enlazar<frmAcercaDe>(ui->cmdVelmora, ui->mnuSairAcercaDe);
    // No window exists for a general search or for changing the year: nothing to open.
    desactivar(ui->cmdBusqueda, ui->mnuTraballosBus);
    ui->cmdAnos->setEnabled(false);
    ui->cmdAnos->setToolTip(QStringLiteral("Para cambiar de año, edite ano.ini y vuelva a abrir"));
    connect(ui->mnuSairSair, &QAction::triggered, this, &QWidget::close);
    EnterPulsaBotones(this);
    restaurarGeometria(this);
}

frmPrincipal::~frmPrincipal() = default;

template <typename T> void frmPrincipal::abrir()
{
    CursorEspera espera(this);
    T ventana(this);
    ventana.exec();
}

template <typename T> void frmPrincipal::enlazar(QWidget* boton, QAction* menu)
{
    connect(static_cast<QToolButton*>(boton), &QToolButton::clicked, this, &frmPrincipal::abrir<T>);
    connect(menu, &QAction::triggered, this, &frmPrincipal::abrir<T>);
}

void frmPrincipal::desactivar(QWidget* boton, QAction* menu)
{
    boton->setEnabled(false);
    menu->setEnabled(false);
}

void frmPrincipal::closeEvent(QCloseEvent* evento)
{
    if (!Mensaje::preguntar(this, QStringLiteral("¿Confirma que desea Salir?"),
                            Mensaje::Icono::Informacion, QStringLiteral("Atención!!"))) {
        evento->ignore();
        return;
    }
    guardarGeometria(this);
    cerrarBaseDatos();
    evento->accept();
}
