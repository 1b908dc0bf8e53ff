#include "ui/DialogoImpresora.h"

#include <QApplication>
#include <QInputDialog>
#include <optional>
#include <utility>

namespace torvane {

namespace DialogoImpresora {

namespace {
std::optional<QString>& impresoraSiguiente() {
    static std::optional<QString> nombre;
    return nombre;
}
} // namespace

QString elegir(QWidget* padre, const QString& texto, const QStringList& impresoras) {
    if (auto nombre = std::exchange(impresoraSiguiente(), std::nullopt)) return *nombre;
    // Asked under a wait cursor, the list must still show the normal pointer.
    const bool espera = QApplication::overrideCursor() != nullptr;
    if (espera) QApplication::setOverrideCursor(Qt::ArrowCursor);
    QInputDialog dialogo(padre);
    dialogo.setWindowTitle(QStringLiteral("Elegir impresora"));
    dialogo.setLabelText(texto);
    dialogo.setComboBoxItems(impresoras);
    dialogo.setComboBoxEditable(false);
    // Wide enough for the title and a long queue name.
    dialogo.setMinimumWidth(360);
    const bool aceptado = dialogo.exec() == QDialog::Accepted;
    if (espera) QApplication::restoreOverrideCursor();
    return aceptado ? dialogo.textValue() : QString();
}

void fijarSiguiente(const QString& nombre) {
    impresoraSiguiente() = nombre;
}

} // namespace DialogoImpresora

} // namespace torvane
