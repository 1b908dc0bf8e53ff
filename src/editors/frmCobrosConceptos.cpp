#include "editors/frmCobrosConceptos.h"

#include "data/Editores.h"
#include "ui_frmCobrosConceptos.h"

frmCobrosConceptos::frmCobrosConceptos(QWidget* padre)
    : EditorEnRejilla(padre)
    , ui(std::make_unique<Ui::frmCobrosConceptos>()) {
    ui->setupUi(this);
    Tabla tabla;
    tabla.nombre = QStringLiteral("tblCobrosConceptos");
    tabla.columnas = {Columna::numero(), Columna::texto(QStringLiteral("Descripción"), 0.35),
                      Columna::texto(QStringLiteral("Importe"), 0.10, Qt::AlignRight),
                      Columna::texto(QStringLiteral("Observaciones"), 0.50), Columna::oculta()};
    tabla.vacia = tabla.columnas;
    tabla.vaciaTrasBorrar = tabla.columnas;
    tabla.vaciaTrasBorrar[2].titulo = QStringLiteral("Precio");
    tabla.queSeCuenta = QStringLiteral("conceptos");
    tabla.preguntaBorrar = QStringLiteral("¿Eliminar ");
    montar(tabla, {{ui->txtDes, 1, QStringLiteral("Des")},
                   {ui->txtImp, 2, QStringLiteral("Imp"), true},
                   {ui->txtObs, 3, QStringLiteral("Obs")}});
}

frmCobrosConceptos::~frmCobrosConceptos() = default;

QList<QStringList> frmCobrosConceptos::leerFilas() const {
    return Editores::conceptos();
}
