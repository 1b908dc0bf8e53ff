#pragma once

#include "core/contracts/Contratos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmContratos;
}

namespace torvane {

/**
 * The contracts of every property (or of one, IdInm), newest first: open, add and delete them,
 * and from here the rent update, what falls due and the printed lists.
 */
class frmContratos : public Ventana {
    Q_OBJECT

public:
    /** The contracts of the property idInmueble, or of every property (0). */
    frmContratos(const Sesion& sesion, int idInmueble, QWidget* padre = nullptr);
    ~frmContratos() override;

protected:
    void alActivar() override;

private:
    void Cargar();
    void Nuevo();
    void Editar();
    void Borrar();
    void Actualizar();
    void Vencimientos();
    void Listado(const QString& plantilla);
    /** Opens the record of contract id (0: a new one) and reloads the list when accepted. */
    void abrirFicha(int id);

    std::unique_ptr<Ui::frmContratos> ui;
    const Sesion& sesion_;
    int IdInm = 0; ///< 0: every property
    QList<Contrato> contratos_;
};

} // namespace torvane
