#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmAtopar;
}

/**
 * The one picker: lists tenants, properties or concepts (Estado "Inquilinos", "Inmuebles",
 * "Conceptos"), narrows them by a typed text and leaves the chosen code in Modulo::IdAtopado.
 * Escape leaves IdAtopado untouched, so the caller sees no choice.
 */
class frmAtopar : public Ventana {
    Q_OBJECT

public:
    explicit frmAtopar(QWidget* padre = nullptr);
    ~frmAtopar() override;

    QString Estado;

protected:
    void alActivar() override;

private:
    void Cargar();
    void Elegir();
    void Nuevo();

    std::unique_ptr<Ui::frmAtopar> ui;
};
