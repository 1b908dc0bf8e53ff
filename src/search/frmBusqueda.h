#pragma once

#include "search/AperturasBusqueda.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmBusqueda;
}

namespace torvane {

/**
 * The global search: results over tenants, properties and the year's documents as the user
 * types; Enter (or a double click) opens the tenant's or property's record or the document's
 * sheet, and the results are looked up again when it closes.
 */
class frmBusqueda : public Ventana {
    Q_OBJECT

public:
    explicit frmBusqueda(AperturasBusqueda& aperturas, QWidget* padre = nullptr);
    ~frmBusqueda() override;

protected:
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Buscar();
    void Abrir();

    std::unique_ptr<Ui::frmBusqueda> ui;
    AperturasBusqueda& aperturas_;
};

} // namespace torvane
