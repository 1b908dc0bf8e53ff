#pragma once

#include "core/documents/Documentos.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmCobrosDetalle;
}

namespace torvane {

class CajaConcepto;

/**
 * Edits one line of a collection document: new at the end, inserted at Lin, or existing. It
 * stores nothing: an accepted line is left in linea() for the sheet's one save path.
 */
class frmCobrosDetalle : public Ventana {
    Q_OBJECT

public:
    explicit frmCobrosDetalle(QWidget* padre = nullptr);
    ~frmCobrosDetalle() override;

    int Estado = 0; ///< 0 new at the end, 1 edit line Id, 2 insert at Lin
    int Id = 0;     ///< the edited line
    int Lin = 0;
    int IdInm = 0; ///< the document's property: its monthly charges price the concepts
    /** The accepted line. */
    const Linea& linea() const { return linea_; }

    /** Escape does nothing here; only Cancel and the close box leave without writing. */
    void reject() override {}

protected:
    void alActivar() override;
    void closeEvent(QCloseEvent* evento) override;

private:
    bool ComprobaDatos();
    void CargarLinea();
    void Aceptar();
    void Buscar();
    void CalcularImporte();

    Linea linea_;

    std::unique_ptr<Ui::frmCobrosDetalle> ui;
    CajaConcepto* concepto_;
};

} // namespace torvane
