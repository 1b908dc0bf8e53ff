#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmCobrosDetalle;
}

/** Edits one line of a collection document: new at the end, inserted at Lin, or existing. */
class frmCobrosDetalle : public Ventana {
    Q_OBJECT

public:
    explicit frmCobrosDetalle(QWidget* padre = nullptr);
    ~frmCobrosDetalle() override;

    int Estado = 0; ///< 0 new at the end, 1 edit line Id, 2 insert at Lin
    int Id = 0;     ///< the edited line
    int Lin = 0;
    int IdDoc = 0; ///< the document the line belongs to

    /** Escape does nothing here; only Cancel and the close box leave without writing. */
    void reject() override {}

protected:
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    bool ComprobaDatos();
    void CargarLinea();
    void CargarConcepto(int codigo);
    void Aceptar();
    void Buscar();
    /** Loads the concept whose code or description the code box holds; false when none. */
    bool BuscarPorDescripcion();
    void CalcularImporte();

    std::unique_ptr<Ui::frmCobrosDetalle> ui;
    int conceptoCargado_ = 0;
};
