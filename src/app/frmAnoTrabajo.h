#pragma once

#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmAnoTrabajo;
}

namespace torvane {

/**
 * The years of the data folder, the working one marked: switches the program to another year
 * (reopening the database and rewriting ano.ini) or creates the next year from the current one.
 */
class frmAnoTrabajo : public Ventana {
    Q_OBJECT

public:
    explicit frmAnoTrabajo(Sesion& sesion, QWidget* padre = nullptr);
    ~frmAnoTrabajo() override;

protected:
    void alActivar() override;

private:
    void Cargar(const QString& elegido);
    void Cambiar();
    void CambiarA(const QString& ano);
    void NuevoAno();

    std::unique_ptr<Ui::frmAnoTrabajo> ui;
    Sesion& sesion_;
};

} // namespace torvane
