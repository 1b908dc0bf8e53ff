#pragma once

#include "editors/EditorEnRejilla.h"

#include <memory>

namespace Ui {
class frmInquilinosCuentas;
}

/** The bank accounts of the tenant IdInq. */
class frmInquilinosCuentas : public EditorDeInquilino {
    Q_OBJECT

public:
    explicit frmInquilinosCuentas(QWidget* padre = nullptr);
    ~frmInquilinosCuentas() override;

protected:
    QList<QStringList> leerFilas() const override;

private:
    std::unique_ptr<Ui::frmInquilinosCuentas> ui;
};
