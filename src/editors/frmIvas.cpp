#include "editors/frmIvas.h"

#include "data/Editores.h"
#include "data/Formato.h"
#include "ui/Mensajes.h"
#include "ui_frmIvas.h"

frmIvas::frmIvas(QWidget* padre)
    : EditorEnRejilla(padre)
    , ui(std::make_unique<Ui::frmIvas>()) {
    ui->setupUi(this);
    Tabla tabla;
    tabla.nombre = QStringLiteral("tblIva");
    tabla.campoClave = QStringLiteral("TIV");
    tabla.columnaClave = 1;
    tabla.columnas = {Columna::numero(),
                      Columna::texto(QStringLiteral("Tipo"), 0.12, Qt::AlignHCenter),
                      Columna::texto(QStringLiteral("% IVA"), 0.12),
                      Columna::texto(QStringLiteral("% Recargo"), 0.12),
                      Columna::texto(QStringLiteral("Activo"), 0.20, Qt::AlignHCenter)};
    tabla.vacia = tabla.columnas;
    tabla.vaciaTrasBorrar = tabla.columnas;
    tabla.queSeCuenta = QStringLiteral("tipos");
    tabla.preguntaBorrar = QStringLiteral("¿Eliminar el tipo ");
    tabla.enfocarAlNuevo = false;
    montar(tabla, {{ui->txtTipo, 1, QStringLiteral("TIV")},
                   {ui->txtPorIva, 2, QStringLiteral("IVA"), true},
                   {ui->txtPorRec, 3, QStringLiteral("Req"), true},
                   {ui->chkActivo, 4, QStringLiteral("Activo")}});
}

frmIvas::~frmIvas() = default;

QList<QStringList> frmIvas::leerFilas() const {
    return Editores::tiposIva();
}

bool frmIvas::guardar() {
    // The code is the row's key, typed by the user: it must be a new whole number.
    const std::optional<int> anterior = Modo == 1 ? std::optional<int>(IdActual) : std::nullopt;
    const QString problema = Editores::problemaTipoIva(ui->txtTipo->text(), anterior);
    if (!problema.isEmpty()) {
        Mensaje::informar(this, problema);
        ui->txtTipo->setFocus(Qt::OtherFocusReason);
        return false;
    }
    Editores::guardarTipoIva(*leerEntero(ui->txtTipo->text().trimmed()), numeroDe(ui->txtPorIva),
                             numeroDe(ui->txtPorRec), ui->chkActivo->isChecked(), anterior);
    return true;
}
