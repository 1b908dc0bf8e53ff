#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmBienvenida;
}

namespace torvane {

struct DatosElegidos;
enum class CampoRechazado;

/**
 * The first start, when no ruta.ini exists anywhere: the user creates a data folder (typing a
 * new one, with the company data every document prints), opens an existing one or tries a demo; the
 * choice is kept in ruta.ini and ano.ini of the user's folder.
 */
class frmBienvenida : public Ventana {
    Q_OBJECT

public:
    explicit frmBienvenida(QWidget* padre = nullptr);
    ~frmBienvenida() override;

private:
    void cmdExaminar_Click();
    void cmdCrear_Click();
    void cmdAbrir_Click();
    void cmdDemo_Click();
    void quedarseCon(const DatosElegidos& datos);
    void ponerCursorEn(CampoRechazado campo);

    std::unique_ptr<Ui::frmBienvenida> ui;
};

} // namespace torvane
