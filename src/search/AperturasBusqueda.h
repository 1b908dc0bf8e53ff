#pragma once

#include <QString>

class QWidget;

namespace torvane {

/**
 * The windows a search result opens: a tenant's or a property's record, or a document. The
 * search knows only this; the program implements it where every window is known.
 */
class AperturasBusqueda {
public:
    virtual void fichaInquilino(QWidget* padre, int id, const QString& nombre) = 0;
    virtual void fichaInmueble(QWidget* padre, int id, const QString& nombre) = 0;
    virtual void documento(QWidget* padre, int id, const QString& titulo) = 0;

protected:
    ~AperturasBusqueda() = default;
};

} // namespace torvane
