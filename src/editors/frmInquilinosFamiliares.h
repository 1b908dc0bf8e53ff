#pragma once

#include "editors/EditorEnRejilla.h"

#include <memory>

namespace Ui {
class frmInquilinosFamiliares;
}

/** The family members of the tenant IdInq. */
class frmInquilinosFamiliares : public EditorDeInquilino {
    Q_OBJECT

public:
    explicit frmInquilinosFamiliares(QWidget* padre = nullptr);
    ~frmInquilinosFamiliares() override;

protected:
    QList<QStringList> leerFilas() const override;

private:
    std::unique_ptr<Ui::frmInquilinosFamiliares> ui;
};
