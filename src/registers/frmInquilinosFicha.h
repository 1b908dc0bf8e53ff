#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmInquilinosFicha;
}

namespace torvane {

/** One tenant, new (Estado 0) or edited (Estado 1, Id). Escape cancels without asking. */
class frmInquilinosFicha : public Ventana {
    Q_OBJECT

public:
    explicit frmInquilinosFicha(int id, QWidget* padre = nullptr);
    ~frmInquilinosFicha() override;

protected:
    void alActivar() override;

private:
    void Cargar();
    bool ComprobaDatos();
    bool ComprobaNom();
    bool ComprobaMail();
    void Aceptar();

    std::unique_ptr<Ui::frmInquilinosFicha> ui;
    int Estado = 0;
    int Id = 0;
    QString nomCargado_;
};

} // namespace torvane
