#include "editors/frmInquilinosCuentas.h"

#include "data/Editores.h"
#include "ui_frmInquilinosCuentas.h"

frmInquilinosCuentas::frmInquilinosCuentas(QWidget* padre)
    : EditorDeInquilino(padre)
    , ui(std::make_unique<Ui::frmInquilinosCuentas>()) {
    ui->setupUi(this);
    Tabla tabla;
    tabla.nombre = QStringLiteral("tblInquilinosCuentas");
    tabla.columnas = {Columna::numero(), Columna::texto(QStringLiteral("IBAN"), 0.20),
                      Columna::texto(QStringLiteral("Banco"), 0.40),
                      Columna::texto(QStringLiteral("Observaciones"), 0.30), Columna::oculta()};
    tabla.vacia = tabla.columnas;
    tabla.vaciaTrasBorrar = tabla.columnas;
    tabla.queSeCuenta = QStringLiteral("cuentas");
    tabla.preguntaBorrar = QStringLiteral("¿Eliminar la cuenta ");
    // The account number is kept as typed, spaces included.
    montar(tabla, {{ui->txtIBAN, 1, QStringLiteral("IBAN")},
                   {ui->txtBanco, 2, QStringLiteral("Banco")},
                   {ui->txtObs, 3, QStringLiteral("Obs")}});
}

frmInquilinosCuentas::~frmInquilinosCuentas() = default;

QList<QStringList> frmInquilinosCuentas::leerFilas() const {
    return Editores::cuentas(IdInq);
}
