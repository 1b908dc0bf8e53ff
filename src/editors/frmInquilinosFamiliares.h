#pragma once

#include "editors/EditorEnRejilla.h"

namespace Ui {
class frmInquilinosFamiliares;
}

namespace torvane {

/** The family members of the tenant IdInq. */
class frmInquilinosFamiliares
    : public EditorConForma<Ui::frmInquilinosFamiliares, EditorDeInquilino> {
    Q_OBJECT

public:
    explicit frmInquilinosFamiliares(int idInquilino, QWidget* padre = nullptr);
    ~frmInquilinosFamiliares() override;

protected:
    bool guardar() override;
};

} // namespace torvane
