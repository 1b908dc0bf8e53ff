#pragma once

#include "ui/Ventana.h"

#include <QDate>
#include <memory>

namespace Ui {
class frmDevolucion;
}

namespace torvane {

/** Asks the date and the bank's reason of a returned debit; accepted only with a real date. */
class frmDevolucion : public Ventana {
    Q_OBJECT

public:
    explicit frmDevolucion(QWidget* padre = nullptr);
    ~frmDevolucion() override;

    QString Documento; ///< "57A", or "57A, 58A" for a debit of several; shown in the window
    QDate Fecha;       ///< on acceptance
    QString Motivo;    ///< on acceptance: "AM04 Saldo insuficiente"

protected:
    void alActivar() override;

private:
    void Aceptar();

    std::unique_ptr<Ui::frmDevolucion> ui;
};

} // namespace torvane
