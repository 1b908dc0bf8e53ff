#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmSeriesF;
}

namespace torvane {

/**
 * The invoice series: a list and, below it while a series is entered or edited, its three
 * fields. A series some document carries can be neither edited nor deleted.
 *
 * States: 1 empty list, 2 editing a series, 3 entering a new one, 4 browsing.
 */
class frmSeriesF : public Ventana {
    Q_OBJECT

public:
    explicit frmSeriesF(QWidget* padre = nullptr);
    ~frmSeriesF() override;

protected:
    void alActivar() override;
    /** Escape leaves the series being typed, or the window while browsing. */
    void keyPressEvent(QKeyEvent* evento) override;

public:
    /** The close box, Alt+F4 and «Salir»: a series being typed is saved or dropped as asked. */
    void reject() override;

private:
    bool dejarSerie();

private:
    void EstablecerEstado(int estado);
    void ColorEdicion();
    void ColorNavegar();
    void CargarDatos();
    bool ComprobaDatos();
    bool SerieUsada() const;
    void Nueva();
    void Editar();
    void Aceptar();
    void Cancelar();
    void Borrar();

    std::unique_ptr<Ui::frmSeriesF> ui;
    int estado_ = 0;
    int estadoAnterior_ = 0;
    QStringList alEmpezar_;
};

} // namespace torvane
