#pragma once

#include "editors/EditorEnRejilla.h"

namespace Ui {
class frmInquilinosCuentas;
}

/** The bank accounts of the tenant IdInq. */
class frmInquilinosCuentas : public EditorConForma<Ui::frmInquilinosCuentas, EditorDeInquilino> {
    Q_OBJECT

public:
    explicit frmInquilinosCuentas(QWidget* padre = nullptr);
    ~frmInquilinosCuentas() override;
};
