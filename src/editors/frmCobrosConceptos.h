#pragma once

#include "editors/EditorEnRejilla.h"

namespace Ui {
class frmCobrosConceptos;
}

namespace torvane {

/** The catalogue of collection concepts and their default amounts. */
class frmCobrosConceptos : public EditorConForma<Ui::frmCobrosConceptos> {
    Q_OBJECT

public:
    explicit frmCobrosConceptos(QWidget* padre = nullptr);
    ~frmCobrosConceptos() override;
};

} // namespace torvane
