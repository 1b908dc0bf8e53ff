#include "ui/CursorEspera.h"

#include <QWidget>

namespace torvane {

CursorEspera::CursorEspera(QWidget* ventana)
    : ventana_(ventana ? ventana->window() : nullptr) {
    if (ventana_) ventana_->setCursor(Qt::WaitCursor);
}

CursorEspera::~CursorEspera() {
    if (ventana_) ventana_->unsetCursor();
}

} // namespace torvane
