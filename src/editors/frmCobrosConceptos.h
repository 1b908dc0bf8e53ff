#pragma once

#include "editors/EditorEnRejilla.h"

#include <memory>

namespace Ui {
class frmCobrosConceptos;
}

/** The catalogue of collection concepts and their default amounts. */
class frmCobrosConceptos : public EditorEnRejilla {
    Q_OBJECT

public:
    explicit frmCobrosConceptos(QWidget* padre = nullptr);
    ~frmCobrosConceptos() override;

protected:
    QList<QStringList> leerFilas() const override;

private:
    std::unique_ptr<Ui::frmCobrosConceptos> ui;
};
