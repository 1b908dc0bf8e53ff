#pragma once

#include "ui/Ventana.h"
#include "utilities/AperturasUtilidades.h"

#include <QList>
#include <memory>

namespace Ui {
class frmConfiguracion;
}

namespace torvane {

/**
 * The company data (the one tblTitulos row), the printer for reports kept in imp.ini, the
 * verifiable invoicing mode and its series, and the way to the VAT types and series editors. Only
 * "&Salir" writes; Escape or the close box with something changed asks whether to save it.
 */
class frmConfiguracion : public Ventana {
    Q_OBJECT

public:
    explicit frmConfiguracion(AperturasUtilidades& aperturas, QWidget* padre = nullptr);
    ~frmConfiguracion() override;

    void reject() override;

protected:
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void CargarDatos();
    void CargarImpresoras();
    void cmdPechar_Click();
    void abrirCorreo();
    bool RetencionValida();
    bool IdentificadoresAceptados();
    QString textoDe(int indice) const;
    void fijarTexto(int indice, const QString& texto);
    void CargarVerifactu();
    void llenarSeries(const QStringList& marcadas);
    QStringList seriesMarcadas() const;
    void abrirSeries();
    bool GuardarVerifactu();
    QStringList estado() const;

    std::unique_ptr<Ui::frmConfiguracion> ui;
    AperturasUtilidades& aperturas_;
    /** txtDatos_0 … txtDatos_13 in index order (Qt has no control arrays). */
    QList<QWidget*> txtDatos;
    QList<QWidget*> ordenEnter;
    QStringList cargado_;
};

} // namespace torvane
