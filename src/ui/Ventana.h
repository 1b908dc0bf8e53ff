#pragma once

#include <QDialog>

#include <functional>

class QHBoxLayout;
class QLayout;
class QPushButton;

namespace torvane {

/**
 * Base of every window the main window or another window opens. Each opening is a fresh
 * object shown with exec(); alActivar() runs once, when it is first shown, so returning from a
 * modal child never sets the window up again. Its size and place are remembered per user.
 */
class Ventana : public QDialog {
    Q_OBJECT

public:
    explicit Ventana(QWidget* padre = nullptr);

protected:
    /** Set-up at the first activation (loading, numbering, first focus). */
    virtual void alActivar() {}
    void showEvent(QShowEvent* evento) override;
    void hideEvent(QHideEvent* evento) override;

private:
    bool activada_ = false;
};

/**
 * Puts a window where the user last left it. The first time, a window with a list opens wide
 * enough for its columns to show whole values (most of a 1366×768 screen).
 */
void restaurarGeometria(QWidget* ventana);
/** Remembers a window's size and place for the next opening (Ajustes, per user). */
void guardarGeometria(const QWidget* ventana);

/** Twips of the original layouts to pixels (1 pixel = 15 twips at 96 dpi). */
constexpr int twips(double valor) {
    return static_cast<int>(valor / 15.0 + 0.5);
}

/** A window's button named nombre (for keyboard and tests), with an icon of :/iconos/ if given. */
QPushButton* crearBoton(QWidget* padre, const char* nombre, const QString& texto,
                        const char* icono = nullptr);

/** A row of buttons on the right, with izquierda (a label of totals) filling the left if given. */
QHBoxLayout* filaBotones(const QList<QWidget*>& botones, QWidget* izquierda = nullptr);

/**
 * Lays out a record dialog built in code: its fields over «Aceptar» (runs aceptar, which
 * accepts when the record is right) and «Cancelar».
 */
void montarFicha(QDialog* ficha, QLayout* campos, const std::function<void()>& aceptar);

} // namespace torvane
