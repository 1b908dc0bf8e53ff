#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmRemesas;
}

namespace torvane {

/**
 * The year's remittances with their debits: one is marked paid when the bank confirms it,
 * and a debit the bank returns is recorded with its reason.
 */
class frmRemesas : public Ventana {
    Q_OBJECT

public:
    explicit frmRemesas(QWidget* padre = nullptr);
    ~frmRemesas() override;

protected:
    void alActivar() override;

private:
    void CargarRemesas(int fila);
    void CargarCobros();
    int RemesaActual() const;
    void MarcarCobrada();
    void Devolucion();

    std::unique_ptr<Ui::frmRemesas> ui;
};

} // namespace torvane
