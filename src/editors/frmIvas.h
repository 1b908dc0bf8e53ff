#pragma once

#include "editors/EditorEnRejilla.h"

#include <memory>

namespace Ui {
class frmIvas;
}

/** The VAT types: a code typed by the user, its VAT and surcharge percentages, active or not. */
class frmIvas : public EditorEnRejilla {
    Q_OBJECT

public:
    explicit frmIvas(QWidget* padre = nullptr);
    ~frmIvas() override;

protected:
    QList<QStringList> leerFilas() const override;
    bool guardar() override;

private:
    std::unique_ptr<Ui::frmIvas> ui;
};
