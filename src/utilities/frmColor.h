#pragma once

#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <QList>
#include <memory>

namespace Ui {
class frmColor;
}
class QLabel;

namespace torvane {

/**
 * Two palettes of ten colours: a click sets ColorPrincipal (first palette) or ColorFondo
 * (second), rewrites its file and marks the chosen label with ">>>".
 */
class frmColor : public Ventana {
    Q_OBJECT

public:
    explicit frmColor(Sesion& sesion, QWidget* padre = nullptr);
    ~frmColor() override;

protected:
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Marcar();

    std::unique_ptr<Ui::frmColor> ui;
    Sesion& sesion_;
    /** lblColor_0 … lblColor_9 and lblColor2_0 … lblColor2_9 (Qt has no control arrays). */
    QList<QLabel*> lblColor;
    QList<QLabel*> lblColor2;
};

} // namespace torvane
