#pragma once

#include "collections/AperturasCobros.h"
#include "core/documents/Documentos.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmCobrosDetalle;
}

namespace torvane {

class CajaConcepto;

/** The line edited: a new one at the end (estado 0), idLinea (1) or one inserted at lin (2). */
struct PeticionLinea {
    int estado = 0;
    int idLinea = 0;
    int lin = 0;
    int idInmueble = 0; ///< the document's property: its monthly charges price the concepts
};

/**
 * Edits one line of a collection document: new at the end, inserted at Lin, or existing. It
 * stores nothing: an accepted line is left in linea() for the sheet's one save path.
 */
class frmCobrosDetalle : public Ventana {
    Q_OBJECT

public:
    frmCobrosDetalle(AperturasCobros& aperturas, const PeticionLinea& peticion,
                     QWidget* padre = nullptr);
    ~frmCobrosDetalle() override;

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
    AperturasCobros& aperturas_;
    int Estado = 0; ///< 0 new at the end, 1 edit line Id, 2 insert at Lin
    int Id = 0;     ///< the edited line
    int Lin = 0;
    int IdInm = 0; ///< the document's property: its monthly charges price the concepts
    CajaConcepto* concepto_;
};

} // namespace torvane
