#include "ui/Ventana.h"

#include "core/store/Ajustes.h"

#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "ui/Rejilla.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

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
    sinExcepciones(this, [this] { alActivar(); });
}

void Ventana::hideEvent(QHideEvent* evento) {
    if (activada_) guardarGeometria(this);
    QDialog::hideEvent(evento);
}

QPushButton* crearBoton(QWidget* padre, const char* nombre, const QString& texto,
                        const char* icono) {
    auto* boton = new QPushButton(texto, padre);
    boton->setObjectName(QLatin1String(nombre));
    if (icono) boton->setIcon(QIcon(QStringLiteral(":/iconos/") + QLatin1String(icono)));
    return boton;
}

QHBoxLayout* filaBotones(const QList<QWidget*>& botones, QWidget* izquierda) {
    auto* fila = new QHBoxLayout;
    if (izquierda)
        fila->addWidget(izquierda, 1);
    else
        fila->addStretch(1);
    for (QWidget* boton : botones)
        fila->addWidget(boton);
    return fila;
}

void montarFicha(QDialog* ficha, QLayout* campos, const std::function<void()>& aceptar) {
    auto* si = crearBoton(ficha, "cmdAceptar", QStringLiteral("&Aceptar"), "aceptar.svg");
    auto* no = crearBoton(ficha, "cmdCancelar", QStringLiteral("&Cancelar"), "cancelar.svg");
    auto* todo = new QVBoxLayout(ficha);
    todo->addLayout(campos);
    todo->addLayout(filaBotones({si, no}));
    QObject::connect(si, &QPushButton::clicked, ficha, protegido(ficha, aceptar));
    QObject::connect(no, &QPushButton::clicked, ficha, &QDialog::reject);
}

} // namespace torvane
