#include "ui/DialogoArchivo.h"

#include <QFileDialog>
#include <optional>

namespace torvane {

namespace DialogoArchivo {

namespace {
std::optional<QString>& siguiente() {
    static std::optional<QString> ruta;
    return ruta;
}

std::optional<QString> tomarSiguiente() {
    const std::optional<QString> ruta = siguiente();
    siguiente().reset();
    return ruta;
}
} // namespace

QString guardar(QWidget* padre, const QString& titulo, const QString& propuesto,
                const QString& filtro) {
    if (const auto ruta = tomarSiguiente()) return *ruta;
    return QFileDialog::getSaveFileName(padre, titulo, propuesto, filtro);
}

QString abrir(QWidget* padre, const QString& titulo, const QString& propuesto,
              const QString& filtro) {
    if (const auto ruta = tomarSiguiente()) return *ruta;
    return QFileDialog::getOpenFileName(padre, titulo, propuesto, filtro);
}

QString carpeta(QWidget* padre, const QString& titulo, const QString& propuesta) {
    if (const auto ruta = tomarSiguiente()) return *ruta;
    return QFileDialog::getExistingDirectory(padre, titulo, propuesta);
}

void fijarSiguiente(const QString& ruta) {
    siguiente() = ruta;
}

} // namespace DialogoArchivo

} // namespace torvane
