#pragma once

#include "editors/EditorEnRejilla.h"

namespace Ui {
class frmIvas;
}

namespace torvane {

/** The VAT types: a code typed by the user, its VAT and surcharge percentages, active or not. */
class frmIvas : public EditorConForma<Ui::frmIvas> {
    Q_OBJECT

public:
    explicit frmIvas(QWidget* padre = nullptr);
    ~frmIvas() override;

protected:
    bool guardar() override;
};

} // namespace torvane
