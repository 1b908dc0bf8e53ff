#pragma once

#include "core/expenses/Gastos.h"
#include "ui/Ventana.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace torvane {

/**
 * The share keys an expense of several properties is split by: each a name and a weight per
 * property (square metres, shares of the community, or equal parts).
 */
class frmRepartos : public Ventana {
    Q_OBJECT

public:
    explicit frmRepartos(QWidget* padre = nullptr);

protected:
    void alActivar() override;

private:
    void Mostrar();
    void Guardar();

    QComboBox* cmbReparto_;
    QLineEdit* txtNombre_;
    QTableWidget* tblPartes_;
    QList<Reparto> repartos_;
    QList<std::pair<int, QString>> inmuebles_;
};

} // namespace torvane
