// Templates: whatever the checker lets through is parsed and rendered by the library with a
// data set shaped like a document's, without crashing and within the output bound; split into
// its shape and values, the same text.
#include "core/reports/Plantilla.h"

#include <cstdlib>
#include <kainjow/mustache.hpp>

using namespace torvane;

namespace {

using Dato = kainjow::mustache::data;

Dato documento() {
    Dato datos;
    Dato empresa;
    empresa.set("nombre", "Alquileres <Ana> & \"Hijos\"");
    datos.set("empresa", empresa);
    datos.set("pTotal", "1.234,50");
    Dato lineas(Dato::type::list);
    for (int i = 1; i <= 20; ++i) {
        Dato linea;
        linea.set("linea", std::to_string(i));
        linea.set("descripcion", std::string(static_cast<size_t>(i) * 10, 'x'));
        lineas.push_back(linea);
    }
    datos.set("lineas", lineas);
    return datos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    static const Dato conjunto = documento();
    const std::string texto(reinterpret_cast<const char*>(datos), largo);
    const Renderizado hecho = renderizarPlantilla(texto, conjunto, 1024 * 1024);
    if (hecho.texto.size() > 1024 * 1024) std::abort();
    PlantillaPreparada preparada(texto);
    const Renderizado moldeado = preparada.renderizar(conjunto, 1024 * 1024, true);
    if (moldeado.texto != hecho.texto || moldeado.motivo != hecho.motivo) std::abort();
    return 0;
}
