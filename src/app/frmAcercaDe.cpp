#include "app/frmAcercaDe.h"
#include "ui_frmAcercaDe.h"

#include "core/verifactu/Identidad.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace torvane {

frmAcercaDe::frmAcercaDe(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmAcercaDe>()) {
    ui->setupUi(this);
    ui->Image1->installEventFilter(this);
    const IdentidadSistema& identidad = identidadSistema();
    ui->lblFabricante->setText(identidad.productor);
    ui->lblVersion->setText(
        QStringLiteral("%1 versión %2 · instalación %3")
            .arg(identidad.nombreSistema, identidad.version, numeroInstalacion()));
    ui->txtDeclaracion->setPlainText(declaracionResponsable());
}

frmAcercaDe::~frmAcercaDe() = default;

bool frmAcercaDe::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == ui->Image1 && evento->type() == QEvent::MouseButtonRelease) {
        QDesktopServices::openUrl(QUrl(kWeb));
        return true;
    }
    return Ventana::eventFilter(objeto, evento);
}

} // namespace torvane
