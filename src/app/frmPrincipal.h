#pragma once

#include "app/Ventanas.h"

#include <QMainWindow>
#include <functional>
#include <memory>

namespace Ui {
class frmPrincipal;
}

namespace torvane {

/** The launcher: twelve picture buttons and a menu bar opening the other windows modally. */
class frmPrincipal : public QMainWindow {
    Q_OBJECT

public:
    explicit frmPrincipal(Sesion& sesion, QWidget* padre = nullptr);
    ~frmPrincipal() override;

    /** Shows what falls due soon, without blocking, the first time the program opens a day. */
    void avisarVencimientos();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void paintEvent(QPaintEvent* evento) override;

private:
    /** Says, for as long as the window is open, that the server connection is not encrypted. */
    void avisarSinCifrar();
    /** The working year in the title and on its button, which also changes it. */
    void mostrarAno();
    /** Opens a window of type T modally with the hourglass over this one meanwhile. */
    template <typename T> void abrir();
    /** Opens the window made by crear, as abrir does. */
    void abrirHecha(const std::function<std::unique_ptr<QDialog>()>& crear);
    /** Binds a command to its button and to the menu entry that repeats it. */
    template <typename T> void enlazar(QWidget* boton, QAction* menu);

    std::unique_ptr<Ui::frmPrincipal> ui;
    Ventanas ventanas_;
};

} // namespace torvane
