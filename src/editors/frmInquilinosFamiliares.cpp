#include "editors/frmInquilinosFamiliares.h"

#include "core/registers/Editores.h"
#include "core/text/Identificadores.h"
#include "ui/AvisoIdentificador.h"
#include "ui_frmInquilinosFamiliares.h"

namespace torvane {

using namespace Qt::StringLiterals;

frmInquilinosFamiliares::frmInquilinosFamiliares(int idInquilino, QWidget* padre)
    : EditorConForma(idInquilino, padre) {
    // A tenant without family shows a bare grid, without headings either.
    montar({.nombre = u"tblInquilinosFamiliares"_s,
            .columnas = {Columna::numero(), Columna::texto(u"Nombre"_s, 0.30),
                         Columna::texto(u"N.I.F."_s, 0.20),
                         Columna::texto(u"Observaciones"_s, 0.30), Columna::oculta()},
            .queSeCuenta = u"familiar"_s,
            .preguntaBorrar = u"¿Eliminar a "_s,
            .leer = [this] { return Editores::familiares(IdInq); }},
           {{ui->txtNom, 1, u"Nom"_s}, {ui->txtDNI, 2, u"DNI"_s}, {ui->txtObs, 3, u"Obs"_s}});
}

frmInquilinosFamiliares::~frmInquilinosFamiliares() = default;

bool frmInquilinosFamiliares::guardar() {
    if (!aceptarIdentificador(ui->txtDNI, motivoNif(ui->txtDNI->text()))) return false;
    return EditorDeInquilino::guardar();
}

} // namespace torvane
