#pragma once

#include "core/documents/EmitirMes.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmEmitirMes;
}

namespace torvane {

/**
 * The monthly run: every let property's document of a month proposed in one grid, issued
 * together in one transaction, printed together, and the last run undone.
 */
class frmEmitirMes : public Ventana {
    Q_OBJECT

public:
    explicit frmEmitirMes(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmEmitirMes() override;

protected:
    void alActivar() override;

private:
    void Proponer();
    void MostrarPropuesta();
    void CambiarMarca();
    void Emitir();
    void Imprimir();
    void EnviarPorCorreo();
    void Deshacer();
    QList<PropuestaMes> marcadas() const;

    std::unique_ptr<Ui::frmEmitirMes> ui;
    const Sesion& sesion_;
    QList<PropuestaMes> propuesta_;
    QList<bool> marcas_;
};

} // namespace torvane
