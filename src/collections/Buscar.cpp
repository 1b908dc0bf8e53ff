#include "collections/Buscar.h"

#include "app/Modulo.h"
#include "registers/frmAtopar.h"
#include "ui/CursorEspera.h"

std::optional<int> buscarId(QWidget* padre, const QString& lista) {
    CursorEspera espera(padre);
    frmAtopar buscar(padre);
    buscar.Estado = lista;
    buscar.exec();
    std::optional<int> id;
    if (!Modulo::IdAtopado.isEmpty()) id = Modulo::IdAtopado.toInt();
    Modulo::IdAtopado.clear();
    return id;
}
