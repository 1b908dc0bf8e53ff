#pragma once

#include <QString>

class QWidget;

namespace torvane {

/**
 * What the record windows open in other subjects: a property's contracts, expenses and tax
 * data, the concepts, a tenant's accounts and family. They know only this; the program
 * implements it where every window is known. Each call shows a modal window and returns when
 * it closes.
 */
class AperturasRegistros {
public:
    virtual void contratos(QWidget* padre, int idInmueble) = 0;
    virtual void gastos(QWidget* padre, int idInmueble) = 0;
    /** The property's tax data, saved when accepted. */
    virtual void datosFiscales(QWidget* padre, int idInmueble) = 0;
    virtual void conceptos(QWidget* padre) = 0;
    virtual void cuentas(QWidget* padre, int idInquilino, const QString& titulo) = 0;
    virtual void familiares(QWidget* padre, int idInquilino, const QString& titulo) = 0;

protected:
    ~AperturasRegistros() = default;
};

} // namespace torvane
