#pragma once

#include "core/store/Sesion.h"
#include "core/tax/ResumenFiscal.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmResumenFiscal;
}

namespace torvane {

class Rejilla;

/**
 * The tax summary of a quarter or a year: one tab per section (VAT, withholding, operations
 * with third parties, rents per property), each exported or printed through its template.
 */
class frmResumenFiscal : public Ventana {
    Q_OBJECT

public:
    explicit frmResumenFiscal(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmResumenFiscal() override;

protected:
    void alActivar() override;

private:
    void Calcular();
    void Exportar();
    void Imprimir(bool pdf);
    /** The section of the tab shown and its period's text. */
    QString NombreActual() const;

    std::unique_ptr<Ui::frmResumenFiscal> ui;
    const Sesion& sesion_;
    QList<Seccion> secciones_;
    QList<QString> periodos_;
};

} // namespace torvane
