#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmRegistrosVerifactu;
}
class QSslConfiguration;

namespace torvane {

struct ResultadoEnvio;

/**
 * The year's billing records with the agency's answer to each (rejected ones with the reason,
 * for correction), and the sending of the pending ones with the company's certificate.
 */
class frmRegistrosVerifactu : public Ventana {
    Q_OBJECT

public:
    explicit frmRegistrosVerifactu(QWidget* padre = nullptr);
    ~frmRegistrosVerifactu() override;

protected:
    void alActivar() override;

private:
    void Cargar();
    void Enviar();
    /** The send itself, one at a time, with its progress and «Cancelar». */
    ResultadoEnvio EnviarConProgreso(const QSslConfiguration& ssl, int pendientes);

    std::unique_ptr<Ui::frmRegistrosVerifactu> ui;
};

} // namespace torvane
