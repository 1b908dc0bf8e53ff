#pragma once

#include "core/banking/Conciliacion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmExtracto;
}

namespace torvane {

/**
 * A bank statement read and matched: the proposals with why each matched, the movements set
 * apart (ambiguous, unmatched, already applied), and the user's confirmation, which marks the
 * chosen ones. The last import can be undone from here too.
 */
class frmExtracto : public Ventana {
    Q_OBJECT

public:
    explicit frmExtracto(QWidget* padre = nullptr);
    ~frmExtracto() override;

    /** Whether anything was applied or undone: the caller's list needs reading again. */
    bool cambiado() const { return cambiado_; }

protected:
    void alActivar() override;

private:
    void ElegirArchivo();
    void Leer(const QString& ruta);
    void Mostrar();
    void Aplicar();
    void Deshacer();

    std::unique_ptr<Ui::frmExtracto> ui;
    QString ruta_;
    Conciliacion conciliacion_;
    bool cambiado_ = false;
};

} // namespace torvane
