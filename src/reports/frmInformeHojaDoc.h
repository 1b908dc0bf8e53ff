#pragma once

#include "reports/VentanaInforme.h"

#include <memory>

namespace Ui {
class frmInformeHojaDoc;
}

/**
 * Preview of one collection document as a receipt or an invoice. The caller sets the texts
 * below (the amounts as the sheet shows them) and calls exec(); a report that cannot be built
 * is told to the user and the window never appears.
 */
class frmInformeHojaDoc : public VentanaInforme {
    Q_OBJECT

public:
    explicit frmInformeHojaDoc(QWidget* padre = nullptr);
    ~frmInformeHojaDoc() override;

    QString Tipo;   ///< "Recibo" or "Factura"; anything else shows no report
    QString Filtro; ///< "{tblCobros.Id} =" followed by the document's Id
    QString SubTotal;
    QString Base;
    QString PorIva;
    QString IVA;
    QString PorRet;
    QString Ret;
    QString Total;
    QString Obs;

    int exec() override;

private:
    /** False when the engine failed (the user has been told). */
    bool construir();

    std::unique_ptr<Ui::frmInformeHojaDoc> ui;
};
