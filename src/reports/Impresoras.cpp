#include "reports/Impresoras.h"

#include "app/Modulo.h"

#include <QPrinterInfo>

QStringList listaImpresoras() {
    QStringList nombres = QPrinterInfo::availablePrinterNames();
    nombres << kArchivoPdf;
    return nombres;
}

int posicionImpresora(bool pdf) {
    bool ok = false;
    const int posicion = Modulo::LeerImpresora(pdf).toString().trimmed().toInt(&ok);
    return ok ? posicion : 0;
}
