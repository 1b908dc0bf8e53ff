#include "ui/PulsarTecla.h"

#include "ui/Colores.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace torvane {

namespace {

QLineEdit* lineaDe(QWidget* control) {
    if (auto* linea = qobject_cast<QLineEdit*>(control)) return linea;
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->lineEdit();
    return nullptr;
}

/*
 * On X11 a press of Alt with a letter carries that letter as text, and a box takes any printable
 * text: an Alt+letter no button of the window answers (a shortcut is tried before the press is
 * delivered) would type the letter over the selected date or amount.
 */
class FiltroAlt : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() != QEvent::KeyPress) return QObject::eventFilter(objeto, evento);
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const Qt::KeyboardModifiers teclas = tecla->modifiers();
        // Ctrl+Alt is AltGr on some systems: it writes @, # or € and must go through.
        return teclas.testFlag(Qt::AltModifier) && !teclas.testFlag(Qt::ControlModifier) &&
               !tecla->text().isEmpty() && tecla->text().front().isLetterOrNumber();
    }
};

/** One filter per control carries the behaviours chosen for it. */
class FiltroCampo : public QObject {
public:
    FiltroCampo(QWidget* control, Campos comportamiento)
        : QObject(control)
        , control_(control)
        , comportamiento_(comportamiento) {}

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        switch (evento->type()) {
        case QEvent::KeyPress:
            return teclaPulsada(static_cast<QKeyEvent*>(evento));
        case QEvent::FocusIn:
            alEntrar();
            break;
        case QEvent::FocusOut:
            alSalir();
            break;
        default:
            break;
        }
        return QObject::eventFilter(objeto, evento);
    }

private:
    bool teclaPulsada(QKeyEvent* tecla) {
        const bool enter = tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter;
        if (enter && comportamiento_.testFlag(Campo::EnterComoTab)) {
            SimularTecla(control_);
            return true;
        }
        if (tecla->text() == QStringLiteral(".") && comportamiento_.testFlag(Campo::ComaDecimal)) {
            QKeyEvent coma(QEvent::KeyPress, Qt::Key_Comma, tecla->modifiers(),
                           QStringLiteral(","));
            QCoreApplication::sendEvent(control_, &coma);
            return true;
        }
        return false;
    }

    void alEntrar() {
        if (comportamiento_.testFlag(Campo::ColorFoco)) pintarFondo(control_, colorPrincipal());
        if (comportamiento_.testFlag(Campo::SeleccionarTodo)) {
            // After the click that gave the focus, or it would undo the selection.
            if (QLineEdit* linea = lineaDe(control_))
                QTimer::singleShot(0, linea, [linea] {
                    if (linea->hasFocus()) linea->selectAll();
                });
        }
    }

    void alSalir() {
        if (comportamiento_.testFlag(Campo::ColorFoco)) pintarFondo(control_, kBlanco);
    }

    QWidget* control_;
    Campos comportamiento_;
};

/** Enter on a button clicks it: dialogs here have no default button to take the key. */
class FiltroBoton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() != QEvent::KeyPress) return QObject::eventFilter(objeto, evento);
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        auto* boton = qobject_cast<QAbstractButton*>(objeto);
        if (!boton || (tecla != Qt::Key_Return && tecla != Qt::Key_Enter))
            return QObject::eventFilter(objeto, evento);
        if (boton->isEnabled()) boton->click();
        return true;
    }
};

/** Refuses closing a window until PermitirCerrar(); Escape does nothing either. */
class FiltroSinCerrar : public QObject {
public:
    using QObject::QObject;
    bool permitido = false;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Close && !permitido) {
            evento->ignore();
            return true;
        }
        if (evento->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(evento)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(objeto, evento);
    }
};

} // namespace

void configurarCampo(QWidget* control, Campos comportamiento) {
    control->installEventFilter(new FiltroCampo(control, comportamiento));
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(new FiltroCampo(combo, comportamiento));
}

void EnterPulsaBotones(QWidget* ventana) {
    // Called once per window, when it is first shown.
    auto* filtro = new FiltroBoton(ventana);
    // Check boxes keep Enter for moving on, as the entry boxes do.
    for (auto* boton : ventana->findChildren<QAbstractButton*>())
        if (qobject_cast<QPushButton*>(boton) || qobject_cast<QToolButton*>(boton))
            boton->installEventFilter(filtro);
}

void SimularTecla(QWidget* control) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &tab);
}

void QuitarCerrar(QWidget* ventana) {
    ventana->setWindowFlag(Qt::WindowCloseButtonHint, false);
    ventana->setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    ventana->installEventFilter(new FiltroSinCerrar(ventana));
}

void PermitirCerrar(QWidget* ventana) {
    if (auto* filtro = ventana->findChild<FiltroSinCerrar*>(QString(), Qt::FindDirectChildrenOnly))
        filtro->permitido = true;
}

void AltSinEscribir(QApplication& aplicacion) {
    aplicacion.installEventFilter(new FiltroAlt(&aplicacion));
}

} // namespace torvane
