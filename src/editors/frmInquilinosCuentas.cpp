#include "editors/frmInquilinosCuentas.h"

#include "data/Editores.h"
#include "ui_frmInquilinosCuentas.h"

using namespace Qt::StringLiterals;

frmInquilinosCuentas::frmInquilinosCuentas(QWidget* padre)
    : EditorConForma(padre) {
    const QList<Columna> columnas{Columna::numero(), Columna::texto(u"IBAN"_s, 0.20),
                                  Columna::texto(u"Banco"_s, 0.40),
                                  Columna::texto(u"Observaciones"_s, 0.30), Columna::oculta()};
    // The account number is kept as typed, spaces included.
    montar({.nombre = u"tblInquilinosCuentas"_s,
            .columnas = columnas,
            .vacia = columnas,
            .queSeCuenta = u"cuentas"_s,
            .preguntaBorrar = u"¿Eliminar la cuenta "_s,
            .leer = [this] { return Editores::cuentas(IdInq); }},
           {{ui->txtIBAN, 1, u"IBAN"_s}, {ui->txtBanco, 2, u"Banco"_s}, {ui->txtObs, 3, u"Obs"_s}});
}

frmInquilinosCuentas::~frmInquilinosCuentas() = default;
