#pragma once

#include "core/mail/AjustesCorreo.h"
#include "ui/Ventana.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace torvane {

/**
 * The mail settings: the server and how it is reached, the sender and the message's templates.
 * Opened from «Configuración» with the settings in force; «Aceptar» returns them checked (an
 * empty server turns mailing off). A password typed here is kept for this run, or in the
 * keyring when asked; never in the settings.
 */
class frmCorreo : public Ventana {
    Q_OBJECT

public:
    explicit frmCorreo(const AjustesCorreo& actuales, QWidget* padre = nullptr);

    AjustesCorreo ajustes() const;
    /** The password typed, if any, and whether to keep it in the keyring. */
    std::optional<QString> clave() const;
    bool enLlavero() const;

    void accept() override;

private:
    void seguridadElegida();
    void mostrarAviso();

    QLineEdit* txtServidor_;
    QSpinBox* txtPuerto_;
    QComboBox* cmbSeguridad_;
    QCheckBox* chkVerificar_;
    QLabel* lblAviso_;
    QLineEdit* txtUsuario_;
    QLineEdit* txtClave_;
    QCheckBox* chkLlavero_;
    QLineEdit* txtNombre_;
    QLineEdit* txtDireccion_;
    QLineEdit* txtResponder_;
    QLineEdit* txtCopia_;
    QLineEdit* txtAsunto_;
    QPlainTextEdit* txtCuerpo_;
};

} // namespace torvane
