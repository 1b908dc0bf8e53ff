#include "ui/AvisoIdentificador.h"

#include "ui/Mensajes.h"

#include <QLineEdit>

namespace torvane {

bool aceptarIdentificador(QLineEdit* caja, const QString& motivo) {
    if (motivo.isEmpty() || caja->text().trimmed().isEmpty()) return true;
    if (Mensaje::preguntar(caja->window(), motivo + QStringLiteral("\n\n¿Guardarlo así?"),
                           Mensaje::Icono::Exclamacion, Mensaje::kTitulo, true))
        return true;
    caja->setFocus(Qt::OtherFocusReason);
    caja->selectAll();
    return false;
}

} // namespace torvane
