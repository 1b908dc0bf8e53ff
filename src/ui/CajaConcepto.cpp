#include "ui/CajaConcepto.h"

#include "core/documents/Documentos.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace torvane {

CajaConcepto::CajaConcepto(QLineEdit* codigo, QLineEdit* descripcion, QLineEdit* precio,
                           QWidget* siguiente, bool exigir)
    : QObject(codigo)
    , codigo_(codigo)
    , descripcion_(descripcion)
    , precio_(precio)
    , siguiente_(siguiente)
    , exigir_(exigir) {
    codigo_->installEventFilter(this);
}

bool CajaConcepto::eventFilter(QObject* objeto, QEvent* evento) {
    return sinExcepciones(
        codigo_,
        [&]() -> bool {
            if (objeto != codigo_) return QObject::eventFilter(objeto, evento);
            if (evento->type() == QEvent::FocusOut) {
                cargar();
                return false;
            }
            if (evento->type() != QEvent::KeyPress) return false;
            const int tecla = static_cast<QKeyEvent*>(evento)->key();
            const bool enter = tecla == Qt::Key_Return || tecla == Qt::Key_Enter;
            if (!enter && tecla != Qt::Key_Tab) return false;
            if (cargar()) {
                // A concept found goes straight to what is typed next, as picking one in the
                // search.
                if (!enter) return false;
                siguiente_->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (!exigir_ || codigo_->text().trimmed().isEmpty()) return false;
            Mensaje::informar(codigo_->window(),
                              QStringLiteral("Ese concepto no existe. Ponga otro"));
            codigo_->setFocus(Qt::OtherFocusReason);
            codigo_->selectAll();
            return true;
        },
        bool{});
}

bool CajaConcepto::cargar() {
    const auto concepto = conceptoDeTexto(codigo_->text(), idInm_);
    if (!concepto) return false;
    // Leaving the box again must not put the concept's price back over a typed one.
    if (concepto->id == cargado_) return true;
    cargado_ = concepto->id;
    codigo_->setText(QString::number(concepto->id));
    descripcion_->setText(concepto->des);
    if (!conservarPrecio_) precio_->setText(concepto->imp.texto());
    emit conceptoCargado();
    return true;
}

} // namespace torvane
