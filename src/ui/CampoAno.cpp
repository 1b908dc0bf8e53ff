#include "ui/CampoAno.h"

#include "core/text/Formato.h"
#include "ui/Mensajes.h"

#include <QLineEdit>

namespace torvane {

std::optional<int> leerAnoEscrito(QWidget* ventana, QLineEdit* caja) {
    const std::optional<int> ano = leerEntero(caja->text().trimmed());
    if (ano && *ano >= 1000 && *ano <= 9999) return ano;
    Mensaje::informar(
        ventana,
        QStringLiteral("Escriba el año con sus cuatro cifras, por ejemplo %1.").arg(Hoy().year()));
    caja->setFocus();
    caja->selectAll();
    return std::nullopt;
}

} // namespace torvane
