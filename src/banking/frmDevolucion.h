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
    /** documento: "57A", or "57A, 58A" for a debit of several; shown in the window. */
    explicit frmDevolucion(const QString& documento, QWidget* padre = nullptr);
    ~frmDevolucion() override;

    /** Once accepted: the date it was returned on. */
    QDate fecha() const { return Fecha; }
    /** Once accepted: the bank's reason, "AM04 Saldo insuficiente". */
    QString motivo() const { return Motivo; }

protected:
    void alActivar() override;

private:
    void Aceptar();

    std::unique_ptr<Ui::frmDevolucion> ui;
    QString Documento;
    QDate Fecha;
    QString Motivo;
};

} // namespace torvane
