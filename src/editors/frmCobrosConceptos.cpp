#include "editors/frmCobrosConceptos.h"

#include "core/documents/Documentos.h"
#include "core/registers/Editores.h"
#include "ui_frmCobrosConceptos.h"

namespace torvane {

using namespace Qt::StringLiterals;

frmCobrosConceptos::frmCobrosConceptos(QWidget* padre)
    : EditorConForma(padre) {
    // The code is what a line or a property's charges ask for, so it heads each row.
    Columna codigo = Columna::numero(900);
    codigo.titulo = u"Código"_s;
    const QList<Columna> columnas{codigo, Columna::texto(u"Descripción"_s, 0.35),
                                  Columna::texto(u"Importe"_s, 0.10, Qt::AlignRight),
                                  Columna::texto(u"Observaciones"_s, 0.47), Columna::oculta()};
    // The one place where the amount is headed "Precio".
    QList<Columna> trasBorrar = columnas;
    trasBorrar[2].titulo = u"Precio"_s;
    montar({.nombre = u"tblCobrosConceptos"_s,
            .columnas = columnas,
            .vacia = columnas,
            .vaciaTrasBorrar = trasBorrar,
            .queSeCuenta = u"concepto"_s,
            .claveEnPrimera = true,
            .preguntaBorrar = u"¿Eliminar "_s,
            .leer = &Editores::conceptos,
            .motivoNoBorrar = [](int id) { return motivoNoBorrar(UsadoPor::Concepto, id); }},
           {{ui->txtDes, 1, u"Des"_s},
            {ui->txtImp, 2, u"Imp"_s, Cifra::Importe},
            {ui->txtObs, 3, u"Obs"_s}});
}

frmCobrosConceptos::~frmCobrosConceptos() = default;

} // namespace torvane
