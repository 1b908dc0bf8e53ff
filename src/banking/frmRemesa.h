#pragma once

#include "core/banking/Remesas.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmRemesa;
}

namespace torvane {

/**
 * A remittance of unpaid documents by direct debit: the documents chosen (dates, series, or
 * those picked in the collections list), with their accounts and mandates, those that cannot
 * go listed apart with why, and the bank's file written on "Generar".
 */
class frmRemesa : public Ventana {
    Q_OBJECT

public:
    frmRemesa(const Sesion& sesion, const QSet<int>& elegidos, QWidget* padre = nullptr);
    ~frmRemesa() override;

    /** The documents picked in the collections list; empty when none. */

protected:
    void alActivar() override;

private:
    void Proponer();
    void MostrarPropuesta();
    void Generar();
    void VerRemesas();
    bool LeerFiltro(FiltroRemesa& filtro);

    std::unique_ptr<Ui::frmRemesa> ui;
    const Sesion& sesion_;
    QSet<int> Elegidos;
    QList<CobroRemesa> propuesta_;
};

} // namespace torvane
