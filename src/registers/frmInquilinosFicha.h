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
    explicit frmInquilinosFicha(QWidget* padre = nullptr);
    ~frmInquilinosFicha() override;

    int Estado = 0;
    int Id = 0;

protected:
    void alActivar() override;

private:
    void Cargar();
    bool ComprobaDatos();
    bool ComprobaNom();
    bool ComprobaMail();
    void Aceptar();

    std::unique_ptr<Ui::frmInquilinosFicha> ui;
    QString nomCargado_;
};

} // namespace torvane
