#include "app/Ventanas.h"

#include "banking/frmExtracto.h"
#include "banking/frmRemesa.h"
#include "collections/frmCobrosHoja.h"
#include "contracts/frmContratos.h"
#include "core/expenses/Gastos.h"
#include "core/store/Resultado.h"
#include "core/store/Sesion.h"
#include "editors/frmCobrosConceptos.h"
#include "editors/frmInquilinosCuentas.h"
#include "editors/frmInquilinosFamiliares.h"
#include "editors/frmIvas.h"
#include "editors/frmSeriesF.h"
#include "expenses/frmDatosFiscales.h"
#include "expenses/frmGastos.h"
#include "registers/ComunRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinosFicha.h"
#include "reports/frmInformeHojaDoc.h"
#include "tax/frmRectificar.h"
#include "tax/frmRegistrosVerifactu.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"

namespace torvane {

Ventanas::Ventanas(Sesion& sesion)
    : sesion_(sesion) {}

std::optional<int> Ventanas::buscar(QWidget* padre, const QString& lista) {
    CursorEspera espera(padre);
    frmAtopar buscar(*this, lista, padre);
    buscar.exec();
    return buscar.elegido();
}

void Ventanas::remesa(QWidget* padre, const QSet<int>& elegidos) {
    frmRemesa(sesion_, elegidos, padre).exec();
}

bool Ventanas::extracto(QWidget* padre) {
    frmExtracto extracto(padre);
    extracto.exec();
    return extracto.cambiado();
}

std::optional<int> Ventanas::rectificar(QWidget* padre, int idFactura) {
    frmRectificar rectificar(idFactura, padre);
    if (rectificar.exec() != QDialog::Accepted) return std::nullopt;
    return rectificar.rectificativa();
}

void Ventanas::vistaPrevia(QWidget* padre, const QString& plantilla, int idDocumento) {
    frmInformeHojaDoc(padre, plantilla, idDocumento).exec();
}

void Ventanas::contratos(QWidget* padre, int idInmueble) {
    frmContratos(sesion_, idInmueble, padre).exec();
}

void Ventanas::gastos(QWidget* padre, int idInmueble) {
    frmGastos(sesion_, idInmueble, padre).exec();
}

void Ventanas::datosFiscales(QWidget* padre, int idInmueble) {
    const auto leidos = intentar([idInmueble] { return leerDatosFiscales(idInmueble); });
    if (Mensaje::falla(padre, leidos)) return;
    frmDatosFiscales datos(*leidos, padre);
    if (datos.exec() != QDialog::Accepted) return;
    Mensaje::falla(padre, guardarDatosFiscales(idInmueble, datos.datos()));
}

void Ventanas::conceptos(QWidget* padre) {
    frmCobrosConceptos(padre).exec();
}

void Ventanas::cuentas(QWidget* padre, int idInquilino, const QString& titulo) {
    frmInquilinosCuentas editor(idInquilino, padre);
    editor.setWindowTitle(titulo);
    editor.exec();
}

void Ventanas::familiares(QWidget* padre, int idInquilino, const QString& titulo) {
    frmInquilinosFamiliares editor(idInquilino, padre);
    editor.setWindowTitle(titulo);
    editor.exec();
}

void Ventanas::fichaInquilino(QWidget* padre, int id, const QString& nombre) {
    abrirFicha<frmInquilinosFicha>(padre, id, tituloModificando(nombre));
}

void Ventanas::fichaInmueble(QWidget* padre, int id, const QString& nombre) {
    AperturasRegistros& aperturas = *this;
    abrirFicha<frmInmueblesFicha>(padre, id, tituloModificando(nombre), aperturas);
}

void Ventanas::documento(QWidget* padre, int id, const QString& titulo) {
    frmCobrosHoja hoja(sesion_, *this, id, padre);
    hoja.setWindowTitle(tituloModificando(titulo));
    hoja.exec();
}

void Ventanas::ivas(QWidget* padre) {
    frmIvas(padre).exec();
}

void Ventanas::series(QWidget* padre) {
    frmSeriesF(padre).exec();
}

void Ventanas::registrosVerifactu(QWidget* padre) {
    frmRegistrosVerifactu(padre).exec();
}

} // namespace torvane
