#pragma once

#include "collections/AperturasCobros.h"
#include "core/documents/Documentos.h"
#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmCobros;
}

namespace torvane {

struct FiltroCobros;

/** The year's collection documents between two dates, with their count and total. */
class frmCobros : public Ventana {
    Q_OBJECT

public:
    frmCobros(const Sesion& sesion, AperturasCobros& aperturas, QWidget* padre = nullptr);
    ~frmCobros() override;

protected:
    void alActivar() override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void CargarSeriesFiltro();
    void CargarLista();
    bool LeerFiltro(FiltroCobros& filtro) const;
    void Nuevo();
    void Editar();
    void Borrar();
    void PedirResumen(const FiltroCobros& filtro);
    void EmitirMes();
    void MarcarPagados(bool pagados);
    void Remesa();
    void Extracto();
    void EnviarPorCorreo();
    QList<int> IdsElegidos() const;

    std::unique_ptr<Ui::frmCobros> ui;
    const Sesion& sesion_;
    AperturasCobros& aperturas_;
    int peticionResumen_ = 0; ///< only the latest count and total asked for is shown
    /** The filter of the rows on show, read again for an export streamed from the query. */
    FiltroCobros filtro_;
};

} // namespace torvane
