#pragma once

#include "editors/EditorEnRejilla.h"

#include <QDate>
#include <optional>

namespace Ui {
class frmInquilinosCuentas;
}

namespace torvane {

/** The bank accounts of the tenant IdInq, each with the direct-debit mandate it may hold. */
class frmInquilinosCuentas : public EditorConForma<Ui::frmInquilinosCuentas, EditorDeInquilino> {
    Q_OBJECT

public:
    explicit frmInquilinosCuentas(int idInquilino, QWidget* padre = nullptr);
    ~frmInquilinosCuentas() override;

protected:
    bool guardar() override;

private:
    /** The typed signature date; nullopt (after telling) when it is no date. */
    std::optional<QDate> leerFirma();
};

} // namespace torvane
