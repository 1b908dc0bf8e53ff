#pragma once

#include "registers/AperturasRegistros.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInquilinos;
}

namespace torvane {

/**
 * The tenant register: the tenants with their phones and e-mail, narrowed by a typed text;
 * new, edit, delete, and a tenant's bank accounts and family members.
 */
class frmInquilinos : public Ventana {
    Q_OBJECT

public:
    explicit frmInquilinos(AperturasRegistros& aperturas, QWidget* padre = nullptr);
    ~frmInquilinos() override;

protected:
    void alActivar() override;
    void resizeEvent(QResizeEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Cargar();
    void Nuevo();
    void Editar();
    void Borrar();
    void alCambiarCelda(int fila, int columna);
    /** Lays the family button beside the current row's "Mail" cell, visible or not. */
    void colocarFamiliares();
    /** The family button belongs beside the current mail cell (hidden while filtering). */
    bool familiaresEnCorreo_ = false;

    std::unique_ptr<Ui::frmInquilinos> ui;
    AperturasRegistros& aperturas_;
};

} // namespace torvane
