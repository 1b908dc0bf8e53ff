#pragma once

#include "data/Totales.h"
#include "ui/Ventana.h"

#include <QStringList>
#include <memory>

namespace Ui {
class frmCobrosHoja;
}

/**
 * One collection document: header, lines and totals. A new document's header row is written
 * as soon as the sheet is first shown, and removed again if it is closed without lines.
 */
class frmCobrosHoja : public Ventana {
    Q_OBJECT

public:
    explicit frmCobrosHoja(QWidget* padre = nullptr);
    ~frmCobrosHoja() override;

    int Estado = 0; ///< 0 new document, 1 existing document Id
    int Id = 0;
    int IdInq = 0;
    int IdInm = 0;

    /** Writes the header as the boxes hold it, with the totals last computed. No checks. */
    void GuardarCabecera();
    /** The five totals as shown: SUBTOTAL, BASE, IVA, RET, TOTAL. */
    QStringList textosTotales() const;

    /** Escape and the close box: validate and save, or drop a new empty document. */
    void reject() override;

protected:
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
    void FijarTrimestre();
    void SerieElegida();
    void AbrirDetalle(int estado, int lin, int idLinea, const QString& titulo);
    void NuevaLinea();
    void InsertarLinea();
    void EditarLinea();
    void BorrarLinea();
    void BuscarInquilino();
    void BuscarInmueble();
    void DespuesDeBuscar();
    void SalirPorIva();
    void ImprimirRecibo();
    void ImprimirFactura();

    std::unique_ptr<Ui::frmCobrosHoja> ui;
    int numRecordado_ = 0;
    QString serieRecordada_;
    int tri_ = 0;
    double subtotal_ = 0;
    Totales totales_;
    bool preparada_ = false;
    bool avisando_ = false;
};
