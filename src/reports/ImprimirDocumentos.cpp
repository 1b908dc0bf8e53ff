#include "reports/ImprimirDocumentos.h"

#include "data/Documentos.h"
#include "data/EmitirMes.h"
#include "data/EstadoDocumento.h"
#include "data/Formato.h"
#include "reports/Impresoras.h"
#include "reports/MotorInforme.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "verifactu/Registros.h"

#include <QStandardPaths>
#include <memory>
#include <vector>

namespace {

ParametrosInforme parametros(const Cabecera& c) {
    const Totales& t = c.totales;
    return {{QStringLiteral("pSubTotal"), formatoImporte(t.subtotal)},
            {QStringLiteral("pPorRet"), formatoSimple(c.porRet) + QLatin1Char('%')},
            {QStringLiteral("pRet"), formatoImporte(t.retencion)},
            {QStringLiteral("pBase"), formatoImporte(t.base)},
            {QStringLiteral("pPorIva"), formatoSimple(c.porIva) + QLatin1Char('%')},
            {QStringLiteral("pIVA"), formatoImporte(t.iva)},
            {QStringLiteral("pTotal"), formatoImporte(t.total)},
            {QStringLiteral("pObs"), c.obs}};
}

/** Lays out every document; an engine error is told and gives an empty list. */
std::vector<DocumentoImpreso> preparar(QWidget* padre, const QList<int>& ids) {
    std::vector<DocumentoImpreso> documentos;
    for (int id : ids) {
        const auto c = leerCabecera(id);
        if (!c) continue;
        const QString plantilla =
            seImprimeComoFactura(id) ? QStringLiteral("Factura") : QStringLiteral("Recibo");
        const InformeGenerado informe = abrirInforme(
            plantilla, parametros(*c), QStringLiteral("{tblCobros.Id} =") + QString::number(id));
        if (!informe.valido()) {
            Mensaje::critico(padre, informe.error);
            return {};
        }
        QString archivo = informe.nombre + QStringLiteral(" - ") +
                          datosInquilino(c->idInq).value_or(DatosInquilino{}).nom;
        archivo.replace(QLatin1Char('/'), QLatin1Char('-'));
        documentos.push_back({std::make_unique<PaginasInforme>(informe), archivo});
    }
    return documentos;
}

bool pintar(std::vector<DocumentoImpreso>& documentos, QPrinter& impresora) {
    QList<PaginasInforme*> paginas;
    for (DocumentoImpreso& d : documentos)
        paginas << d.paginas.get();
    prepararImpresora(impresora);
    return PaginasInforme::pintarSeguidos(&impresora, paginas);
}

bool aPdf(std::vector<DocumentoImpreso>& documentos, const QString& archivo) {
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(archivo);
    return pintar(documentos, impresora);
}

QString carpetaDocumentos() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

int imprimirDocumentos(QWidget* padre, const QList<int>& ids, DestinoDocumentos destino) {
    const int impresos = imprimirPreparados(padre, destino, QStringLiteral("Emisión"),
                                            [&]() -> std::vector<DocumentoImpreso> {
                                                // An invoice is issued, its record made, before any
                                                // copy of it leaves the program.
                                                try {
                                                    emitirFacturas(ids);
                                                } catch (const ErrorBD& error) {
                                                    Mensaje::critico(padre, error.texto());
                                                    return {};
                                                }
                                                return preparar(padre, ids);
                                            });
    if (impresos == 0) return 0;
    // Handed out from here on: the run can no longer be undone, nor its documents deleted.
    static const char* const como[] = {"Emisión, impresora", "Emisión, un PDF",
                                       "Emisión, un PDF por documento"};
    try {
        marcarImpresos(ids, QString::fromUtf8(como[static_cast<int>(destino)]));
    } catch (const ErrorBD& error) {
        Mensaje::critico(padre, error.texto());
    }
    return impresos;
}

int imprimirPreparados(QWidget* padre, DestinoDocumentos destino, const QString& nombre,
                       const std::function<std::vector<DocumentoImpreso>()>& preparar) {
    const QStringList impresoras = listaImpresoras();
    const int posicion = posicionImpresora(false);
    if (destino == DestinoDocumentos::Impresora && impresoras.value(posicion) == kArchivoPdf)
        destino = DestinoDocumentos::UnPdf;
    QString ruta;
    if (destino == DestinoDocumentos::UnPdf)
        ruta = DialogoArchivo::guardar(padre, QStringLiteral("Guardar como PDF"),
                                       carpetaDocumentos() + QLatin1Char('/') + nombre +
                                           QStringLiteral(".pdf"),
                                       QStringLiteral("PDF (*.pdf)"));
    else if (destino == DestinoDocumentos::PdfPorDocumento)
        ruta = DialogoArchivo::carpeta(padre, QStringLiteral("Carpeta para los PDF"),
                                       carpetaDocumentos());
    if (destino != DestinoDocumentos::Impresora && ruta.isEmpty()) return 0;

    CursorEspera espera(padre);
    std::vector<DocumentoImpreso> documentos = preparar();
    if (documentos.empty()) return 0;
    bool bien = true;
    if (destino == DestinoDocumentos::UnPdf) {
        bien = aPdf(documentos, ruta);
    } else if (destino == DestinoDocumentos::PdfPorDocumento) {
        for (auto& d : documentos) {
            std::vector<DocumentoImpreso> uno;
            uno.push_back(std::move(d));
            bien = bien && aPdf(uno, ruta + QLatin1Char('/') + uno.front().archivo +
                                         QStringLiteral(".pdf"));
        }
    } else {
        QPrinter impresora(QPrinter::HighResolution);
        impresora.setPrinterName(impresoras.value(posicion));
        impresora.setDocName(nombre);
        bien = pintar(documentos, impresora);
    }
    if (bien) return static_cast<int>(documentos.size());
    Mensaje::critico(padre, QStringLiteral("No se pudieron imprimir los documentos."));
    return 0;
}
