#include "reports/Impresoras.h"

#include "core/store/Sesion.h"
#include "reports/ColaImpresion.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <algorithm>

namespace torvane {

QStringList listaImpresoras() {
    return QPrinterInfo::availablePrinterNames();
}

QString impresoraElegida() {
    const QString linea = Modulo::LeerImpresora(false).toString().trimmed();
    if (linea == kArchivoPdf) return {};
    static const QRegularExpression posicion(QStringLiteral("^-?\\d{1,9}$"));
    if (!posicion.match(linea).hasMatch()) return linea;
    // Without the service the list is empty and every position would read as none.
    if (!servicioImpresionResponde()) return {};
    QStringList antigua = listaImpresoras();
    if (antigua.contains(linea)) return linea; // a queue really called so
    // The list the earlier version counted in: the printers, then its own PDF writer.
    antigua << kArchivoPdf;
    QString nombre = antigua.value(linea.toInt());
    if (nombre == kArchivoPdf) nombre.clear();
    guardarImpresoraElegida(nombre);
    return nombre;
}

bool guardarImpresoraElegida(const QString& nombre) {
    return Modulo::EscribirImpresoras(nombre, kArchivoPdf);
}

QMarginsF margenesEn(const QString& impresora, const QMarginsF& deseados) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(impresora);
    if (info.isNull()) return deseados;
    QPrinter medida(info, QPrinter::HighResolution);
    medida.setPageSize(QPageSize(QPageSize::A4));
    QPageLayout pagina = medida.pageLayout();
    pagina.setUnits(QPageLayout::Millimeter);
    const QMarginsF minimos = pagina.minimumMargins();
    return {std::max(deseados.left(), minimos.left()), std::max(deseados.top(), minimos.top()),
            std::max(deseados.right(), minimos.right()),
            std::max(deseados.bottom(), minimos.bottom())};
}

} // namespace torvane
