#pragma once

#include "core/documents/Documentos.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInmueblesCargos;
}

namespace torvane {

class CajaConcepto;

/**
 * What a property bills every month: its recurring lines, VAT and withholding percentages, and
 * whether it gets a receipt or an invoice in which series. Written on Accept, all together.
 */
class frmInmueblesCargos : public Ventana {
    Q_OBJECT

public:
    explicit frmInmueblesCargos(int idInmueble, QWidget* padre = nullptr);
    ~frmInmueblesCargos() override;

protected:
    void alActivar() override;

private:
    void MostrarLineas();
    void Anadir();
    void Quitar();
    void Renta();
    void Aceptar();
    /** The rent line of the property's price; none when the year has no concept 1. */
    std::optional<Linea> LineaRenta() const;

    std::unique_ptr<Ui::frmInmueblesCargos> ui;
    int IdInm = 0;
    QList<Linea> lineas_;
    CajaConcepto* concepto_;
};

} // namespace torvane
