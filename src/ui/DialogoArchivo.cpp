#include "ui/DialogoArchivo.h"

#include <QFileDialog>
#include <optional>

namespace DialogoArchivo {

namespace {
std::optional<QString>& siguiente()
{
    static std::optional<QString> ruta;
    return ruta;
}
} // namespace

QString guardar(QWidget* padre, const QString& titulo, const QString& propuesto,
                const QString& filtro)
{
    if (siguiente()) {
        const QString ruta = *siguiente();
        siguiente().reset();
        return ruta;
    }
    return QFileDialog::getSaveFileName(padre, titulo, propuesto, filtro);
}

void fijarSiguiente(const QString& ruta) { siguiente() = ruta; }

} // namespace DialogoArchivo
