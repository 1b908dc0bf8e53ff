#include "editors/frmInquilinosFamiliares.h"

#include "data/Editores.h"
#include "ui_frmInquilinosFamiliares.h"

frmInquilinosFamiliares::frmInquilinosFamiliares(QWidget* padre)
    : EditorDeInquilino(padre)
    , ui(std::make_unique<Ui::frmInquilinosFamiliares>()) {
    ui->setupUi(this);
    Tabla tabla;
    tabla.nombre = QStringLiteral("tblInquilinosFamiliares");
    tabla.columnas = {Columna::numero(), Columna::texto(QStringLiteral("Nombre"), 0.30),
                      Columna::texto(QStringLiteral("DNI"), 0.20),
                      Columna::texto(QStringLiteral("Observaciones"), 0.30), Columna::oculta()};
    // A tenant without family shows a bare grid, without headings either.
    tabla.queSeCuenta = QStringLiteral("familiares");
    tabla.preguntaBorrar = QStringLiteral("¿Eliminar a ");
    montar(tabla, {{ui->txtNom, 1, QStringLiteral("Nom")},
                   {ui->txtDNI, 2, QStringLiteral("DNI")},
                   {ui->txtObs, 3, QStringLiteral("Obs")}});
}

frmInquilinosFamiliares::~frmInquilinosFamiliares() = default;

QList<QStringList> frmInquilinosFamiliares::leerFilas() const {
    return Editores::familiares(IdInq);
}
