#include "collections/Buscar.h"

#include "registers/frmAtopar.h"
#include "ui/CursorEspera.h"

namespace torvane {

std::optional<int> buscarId(QWidget* padre, const QString& lista) {
    CursorEspera espera(padre);
    frmAtopar buscar(lista, padre);
    buscar.exec();
    return buscar.elegido();
}

} // namespace torvane
