#pragma once

#include "data/Documentos.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInmueblesCargos;
}

/**
 * What a property bills every month: its recurring lines, VAT and withholding percentages, and
 * whether it gets a receipt or an invoice in which series. Written on Accept, all together.
 */
class frmInmueblesCargos : public Ventana {
    Q_OBJECT

public:
    explicit frmInmueblesCargos(QWidget* padre = nullptr);
    ~frmInmueblesCargos() override;

    int IdInm = 0;

protected:
    void alActivar() override;

private:
    void MostrarLineas();
    void Anadir();
    void Quitar();
    void Renta();
    void Aceptar();

    std::unique_ptr<Ui::frmInmueblesCargos> ui;
    QList<Linea> lineas_;
};
