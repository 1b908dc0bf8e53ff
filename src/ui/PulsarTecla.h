#pragma once

#include <QFlags>

class QApplication;
class QWidget;

namespace torvane {

/*
 * Key and focus behaviour of entry boxes, switched on per control:
 * Enter moves on as Tab would, "." types ",", the focus paints ColorPrincipal, and
 * the whole text is selected on entry.
 */

enum class Campo {
    EnterComoTab = 0x1,
    ComaDecimal = 0x2,
    ColorFoco = 0x4,
    SeleccionarTodo = 0x8,
    /** the usual single-line box: Enter moves on, focus colour, whole text selected */
    Normal = EnterComoTab | ColorFoco | SeleccionarTodo,
    /** an amount, unit or percentage box */
    Numero = Normal | ComaDecimal,
};
Q_DECLARE_FLAGS(Campos, Campo)
Q_DECLARE_OPERATORS_FOR_FLAGS(Campos)

/** Switches the behaviours on for one control (a line edit, combo, text edit or date box). */
void configurarCampo(QWidget* control, Campos comportamiento);

/** Enter (either key) on a focused button of the window presses it, as the space bar does. */
void EnterPulsaBotones(QWidget* ventana);

/** Moves the focus from control to the next one of its window, exactly as a Tab press. */
void SimularTecla(QWidget* control);

/** Takes the close button off a window and refuses closing it but through its own buttons. */
void QuitarCerrar(QWidget* ventana);

/** Lets a window that QuitarCerrar() guards close (its own "Salir" button calls this). */
void PermitirCerrar(QWidget* ventana);

/** For the whole program: Alt with a letter that nothing answers types nothing into a box. */
void AltSinEscribir(QApplication& aplicacion);

} // namespace torvane
