#pragma once

#include "collections/AperturasCobros.h"
#include "registers/AperturasRegistros.h"
#include "search/AperturasBusqueda.h"
#include "utilities/AperturasUtilidades.h"

#include <memory>
#include <type_traits>

namespace torvane {

struct Sesion;

/**
 * The one place that knows every window: it makes them with what they need (the session, and
 * this object for the windows of other subjects they open). A window sees only the small
 * interface its own subject declares.
 */
class Ventanas final : public AperturasCobros,
                       public AperturasRegistros,
                       public AperturasBusqueda,
                       public AperturasUtilidades {
public:
    explicit Ventanas(Sesion& sesion);

    Sesion& sesion() const { return sesion_; }

    /** A window of type T under padre, made from what its constructor asks for. */
    template <typename T> std::unique_ptr<T> crear(QWidget* padre) {
        if constexpr (std::is_constructible_v<T, Sesion&, Ventanas&, QWidget*>)
            return std::make_unique<T>(sesion_, *this, padre);
        else if constexpr (std::is_constructible_v<T, Sesion&, QWidget*>)
            return std::make_unique<T>(sesion_, padre);
        else if constexpr (std::is_constructible_v<T, Ventanas&, QWidget*>)
            return std::make_unique<T>(*this, padre);
        else
            return std::make_unique<T>(padre);
    }

    std::optional<int> buscar(QWidget* padre, const QString& lista) override;
    void remesa(QWidget* padre, const QSet<int>& elegidos) override;
    bool extracto(QWidget* padre) override;
    std::optional<int> rectificar(QWidget* padre, int idFactura) override;
    void vistaPrevia(QWidget* padre, const QString& plantilla, int idDocumento) override;

    void contratos(QWidget* padre, int idInmueble) override;
    void gastos(QWidget* padre, int idInmueble) override;
    void datosFiscales(QWidget* padre, int idInmueble) override;
    void conceptos(QWidget* padre) override;
    void cuentas(QWidget* padre, int idInquilino, const QString& titulo) override;
    void familiares(QWidget* padre, int idInquilino, const QString& titulo) override;

    void fichaInquilino(QWidget* padre, int id, const QString& nombre) override;
    void fichaInmueble(QWidget* padre, int id, const QString& nombre) override;
    void documento(QWidget* padre, int id, const QString& titulo) override;

    void ivas(QWidget* padre) override;
    void series(QWidget* padre) override;
    void registrosVerifactu(QWidget* padre) override;

private:
    Sesion& sesion_;
};

} // namespace torvane
