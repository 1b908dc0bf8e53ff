#pragma once

#include "collections/AperturasCobros.h"
#include "core/documents/Documentos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <QStringList>
#include <memory>

namespace Ui {
class frmCobrosHoja;
}

namespace torvane {

/** What a new document starts with. */
struct DocumentoNuevo {
    int idInmueble = 0;
    int idInquilino = 0;
};

/**
 * One collection document: header, lines and totals. Every save (a line command, a party
 * chosen, printing, closing) goes through Guardar: the checks, then header, line change and
 * totals in one transaction. A new document is stored with its first line.
 */
class frmCobrosHoja : public Ventana {
    Q_OBJECT

public:
    /** The stored document id. */
    frmCobrosHoja(const Sesion& sesion, AperturasCobros& aperturas, int id,
                  QWidget* padre = nullptr);
    /** A new document, for the property and tenant given (0: to be chosen). */
    frmCobrosHoja(const Sesion& sesion, AperturasCobros& aperturas, const DocumentoNuevo& nuevo,
                  QWidget* padre = nullptr);
    ~frmCobrosHoja() override;

    /** The document shown: 0 while a new one has no stored line. */
    int id() const { return Id; }
    /** The property and the tenant the document is for, 0 while none is chosen. */
    int idInmueble() const { return IdInm; }
    int idInquilino() const { return IdInq; }

    /** Another desk took the document while this one was disconnected: says so and closes. */
    void DocumentoPerdido();

    /** The five totals as shown: SUBTOTAL, BASE, IVA, RET, TOTAL. */
    QStringList textosTotales() const;

    /** Escape and the close box: validate and save, or drop a new empty document. */
    void reject() override;

protected:
    void closeEvent(QCloseEvent* evento) override;
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void ConfiguraForm();
    void CargarSeries();
    void PrepararTotales();
    void NuevoDocumento();
    void CargarCabecera();
    void MostrarInquilino(int id);
    void MostrarInmueble(int id);
    void CargarLineas();
    void CalcularSubtotal();
    void CalcularTotales();
    bool ComprobaDatos();
    bool NumeroOcupado();
    bool Reservar(int id);
    Cabecera CabeceraDeCajas() const;
    bool Guardar(const CambioLineas& cambio = {});
    void MostrarTotales(const Totales& totales);
    void FijarTrimestre();
    void SerieElegida();
    std::optional<Linea> AbrirDetalle(int estado, int lin, int idLinea, const QString& titulo);
    void NuevaLinea();
    void InsertarLinea();
    void EditarLinea();
    void BorrarLinea();
    void BuscarInquilino();
    void BuscarInmueble();
    void DespuesDeBuscar();
    void SalirPorIva();
    /** Saves, issues and previews the document with the template plantilla. */
    void Imprimir(const QString& plantilla);
    bool ListoParaSalir();
    void EnviarPorCorreo();
    bool Emitir();
    void AplicarAjustes();
    void MostrarAviso(const QString& texto, bool grave);
    void MostrarEstadoFactura();
    void Rectificar();
    void Anular();

    std::unique_ptr<Ui::frmCobrosHoja> ui;
    const Sesion& sesion_;
    AperturasCobros& aperturas_;
    int Estado = 0; ///< 0 new document, 1 existing document Id
    int Id = 0;     ///< 0 while a new document has no stored line
    int IdInq = 0;
    int IdInm = 0;
    int numRecordado_ = 0;
    QString serieRecordada_;
    int tri_ = 0;
    Importe subtotal_;
    Cabecera guardada_; ///< the header as last stored
    bool preparada_ = false;
    int reservado_ = 0; ///< the document this desk holds while the sheet is open
    bool avisando_ = false;
    bool fija_ = false;    ///< its state forbids changes: shown, printed, never changed
    bool factura_ = false; ///< a new document is made to be printed as an invoice
};

} // namespace torvane
