#include "editors/frmIvas.h"

#include "core/registers/Editores.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui_frmIvas.h"

namespace torvane {

using namespace Qt::StringLiterals;

frmIvas::frmIvas(QWidget* padre)
    : EditorConForma(padre) {
    const QList<Columna> columnas{
        Columna::numero(), Columna::texto(u"Tipo"_s, 0.12, Qt::AlignHCenter),
        Columna::texto(u"% IVA"_s, 0.12), Columna::texto(u"% Recargo"_s, 0.12),
        Columna::texto(u"Activo"_s, 0.20, Qt::AlignHCenter)};
    // The code is the key and is shown: there is no hidden column.
    montar({.nombre = u"tblIva"_s,
            .campoClave = u"TIV"_s,
            .columnaClave = 1,
            .columnas = columnas,
            .vacia = columnas,
            .queSeCuenta = u"tipo"_s,
            .preguntaBorrar = u"¿Eliminar el tipo "_s,
            .leer = &Editores::tiposIva},
           {{ui->txtTipo, 1, u"TIV"_s},
            {ui->txtPorIva, 2, u"IVA"_s, Cifra::Tasa},
            {ui->txtPorRec, 3, u"Req"_s, Cifra::Tasa},
            {ui->chkActivo, 4, u"Activo"_s}});
}

frmIvas::~frmIvas() = default;

bool frmIvas::guardar() {
    // The code is typed by the user: it must be a whole number no other type has.
    const std::optional<int> anterior = Modo == 1 ? std::optional<int>(IdActual) : std::nullopt;
    const QString problema = Editores::problemaTipoIva(ui->txtTipo->text(), anterior);
    if (!problema.isEmpty()) {
        Mensaje::informar(this, problema);
        ui->txtTipo->setFocus(Qt::OtherFocusReason);
        return false;
    }
    Editores::guardarTipoIva(*leerEntero(ui->txtTipo->text().trimmed()), tasaDe(ui->txtPorIva),
                             tasaDe(ui->txtPorRec), ui->chkActivo->isChecked(), anterior);
    return true;
}

} // namespace torvane
