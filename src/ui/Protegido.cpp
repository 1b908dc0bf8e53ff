#include "ui/Protegido.h"

#include "core/store/Consulta.h"
#include "core/store/Resultado.h"
#include "ui/Mensajes.h"

namespace torvane {

void sinExcepciones(QWidget* ventana, const std::function<void()>& accion) {
    try {
        accion();
    } catch (const ErrorBD& error) {
        Mensaje::fallo(ventana, Fallo{error.texto(), error.sinConexion()});
    }
}

} // namespace torvane
