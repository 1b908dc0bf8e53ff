#pragma once

#include "registers/AperturasRegistros.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInmueblesFicha;
}

namespace torvane {

/**
 * One property, new (Estado 0) or edited (Estado 1, Id), with the tenant it is let to.
 * The tenant chosen or released is written only on Accept; Escape asks to release it.
 */
class frmInmueblesFicha : public Ventana {
    Q_OBJECT

public:
    frmInmueblesFicha(AperturasRegistros& aperturas, int id, QWidget* padre = nullptr);
    ~frmInmueblesFicha() override;

protected:
    void alActivar() override;
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void ConfiguraForm();
    void Cargar();
    bool ComprobaDatos();
    bool ComprobaDes();
    void Asignar();
    void Liberar();
    void Aceptar();
    void Cargos();
    void Contratos();
    void Gastos();
    void DatosFiscales();
    /** Whether the property is stored; a new one is told to be accepted first to get que. */
    bool Guardado(const QString& que);
    void mostrarInquilino();

    std::unique_ptr<Ui::frmInmueblesFicha> ui;
    AperturasRegistros& aperturas_;
    int Estado = 0;
    int Id = 0;
    QString desCargada_;
    int idInq_ = 0;
};

} // namespace torvane
