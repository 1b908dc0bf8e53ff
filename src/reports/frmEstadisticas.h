#pragma once

#include "core/documents/EstadoDocumento.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmEstadisticas;
}
class QChart;

namespace torvane {

/**
 * The year's amounts per property and month, collected (by payment date) or invoiced (by
 * document date), as a grid and as a chart (bars, lines, areas or pie) of the selected row.
 * Reads only.
 */
class frmEstadisticas : public Ventana {
    Q_OBJECT

public:
    explicit frmEstadisticas(const Sesion& sesion, QWidget* padre = nullptr);
    ~frmEstadisticas() override;

protected:
    void alActivar() override;

private:
    void cmdFiltrar_Click();
    void CargarDatos(int ano, Cuenta cuenta);
    void ConfigurarRejilla();
    /** Chart of grid row fila (0: the flat chart of an empty year). */
    void DibujarGrafico(int fila);
    int TipoGrafico() const;
    void redibujar();

    std::unique_ptr<Ui::frmEstadisticas> ui;
    const Sesion& sesion_;
};

} // namespace torvane
