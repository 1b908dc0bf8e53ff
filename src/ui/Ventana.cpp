#include "ui/Ventana.h"

#include "core/store/Ajustes.h"

#include "ui/PulsarTecla.h"
#include "ui/Rejilla.h"

#include <QPushButton>
#include <QScreen>

namespace torvane {

namespace {

QString claveGeometria(const QWidget* ventana) {
    return QStringLiteral("ventanas/%1/geometria").arg(ventana->objectName());
}

// Columns are shares of the grid's width: a list reads whole values from about 1200 pixels.
constexpr QSize kListaAmplia(1240, 680);

} // namespace

void restaurarGeometria(QWidget* ventana) {
    const QByteArray guardada = Ajustes().valor(claveGeometria(ventana)).toByteArray();
    if (!guardada.isEmpty() && ventana->restoreGeometry(guardada)) return;
    if (!ventana->findChild<Rejilla*>() || ventana->isMaximized()) return;
    const QRect pantalla = ventana->screen()->availableGeometry();
    const QSize tamano = ventana->size().expandedTo(kListaAmplia).boundedTo(pantalla.size());
    QRect marco(QPoint(), tamano);
    marco.moveCenter(pantalla.center());
    ventana->setGeometry(marco);
}

void guardarGeometria(const QWidget* ventana) {
    Ajustes().fijar(claveGeometria(ventana), ventana->saveGeometry());
}

Ventana::Ventana(QWidget* padre)
    : QDialog(padre) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
}

void Ventana::showEvent(QShowEvent* evento) {
    if (!activada_) restaurarGeometria(this);
    QDialog::showEvent(evento);
    if (activada_) return;
    activada_ = true;
    // Enter in an entry box moves on, so no button is the default; a focused one takes it.
    for (auto* boton : findChildren<QPushButton*>()) {
        boton->setAutoDefault(false);
        boton->setDefault(false);
    }
    EnterPulsaBotones(this);
    alActivar();
}

void Ventana::hideEvent(QHideEvent* evento) {
    if (activada_) guardarGeometria(this);
    QDialog::hideEvent(evento);
}

} // namespace torvane
