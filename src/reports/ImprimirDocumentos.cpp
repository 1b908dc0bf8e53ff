#include "reports/ImprimirDocumentos.h"

#include "core/documents/Documentos.h"
#include "core/documents/Registros.h"
#include "core/store/Ajustes.h"
#include "reports/Impresion.h"
#include "reports/MotorInforme.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QComboBox>
#include <memory>
#include <vector>

namespace torvane {

namespace {

/** Document id of lote with its template, named for its file; why not, when it cannot be. */
Resultado<DocumentoImpreso> prepararUno(LoteDocumentos& lote, int id) {
    const InformeGenerado informe = lote.generar(id);
    if (!informe.valido()) return Fallo{informe.error};
    QString archivo = informe.nombre + QStringLiteral(" - ") + informe.inquilino;
    archivo.replace(QLatin1Char('/'), QLatin1Char('-'));
    return DocumentoImpreso{std::make_unique<PaginasInforme>(informe), archivo, id};
}

/**
 * Fills every document, or with diferir only the first (a template's fault is told before anything
 * is painted) and the others made empty, for rellenar(). An engine error is told and gives an
 * empty list.
 */
std::vector<DocumentoImpreso> preparar(QWidget* padre, LoteDocumentos& lote, const QList<int>& ids,
                                       bool diferir) {
    lote.anticipar(ids);
    std::vector<DocumentoImpreso> documentos;
    for (int id : ids) {
        if (!lote.existe(id)) continue;
        if (diferir && !documentos.empty()) {
            documentos.push_back({std::make_unique<PaginasInforme>(), QString(), id});
            continue;
        }
        auto uno = prepararUno(lote, id);
        if (!uno) {
            Mensaje::critico(padre, uno.motivo());
            return {};
        }
        documentos.push_back(std::move(*uno));
    }
    return documentos;
}

/** Fills a document preparar() left empty. */
bool rellenar(QWidget* padre, LoteDocumentos& lote, DocumentoImpreso& documento) {
    if (!documento.paginas->vacio()) return true;
    const InformeGenerado informe = lote.generar(documento.documento);
    if (!informe.valido()) {
        Mensaje::critico(padre, informe.error);
        return false;
    }
    documento.paginas->rellenar(informe);
    return true;
}

} // namespace

int imprimirDocumentos(QWidget* padre, const QList<int>& ids, DestinoDocumentos destino,
                       const QString& nombre) {
    // Several documents on one device: each comes with its shape, read from HTML once.
    LoteDocumentos lote(carpetaInformes(), destino != DestinoDocumentos::PdfPorDocumento);
    // Into one PDF, a document's data are read here while other threads paint those read already.
    const bool diferir = destino == DestinoDocumentos::UnPdf;
    return imprimirPreparados(
        padre, destino, nombre,
        [&]() -> std::vector<DocumentoImpreso> {
            // An invoice is issued, its record made, before any copy of it
            // leaves the program.
            if (Mensaje::falla(padre, emitirFacturas(ids))) return {};
            return preparar(padre, lote, ids, diferir);
        },
        diferir ? RellenarDocumento([&](DocumentoImpreso& d) { return rellenar(padre, lote, d); })
                : RellenarDocumento());
}

int imprimirPreparados(QWidget* padre, DestinoDocumentos destino, const QString& nombre,
                       const std::function<std::vector<DocumentoImpreso>()>& preparar,
                       const RellenarDocumento& rellenar) {
    QString impresora;
    QString ruta;
    if (destino == DestinoDocumentos::Impresora) {
        const auto lista = impresoraLista(padre);
        if (!lista) return 0;
        impresora = *lista;
    } else {
        ruta = destino == DestinoDocumentos::UnPdf ? pedirArchivoPdf(padre, nombre)
                                                   : pedirCarpetaPdf(padre);
        if (ruta.isEmpty()) return 0;
    }
    std::vector<DocumentoImpreso> documentos;
    {
        CursorEspera espera(padre);
        documentos = preparar();
    }
    if (documentos.empty()) return 0;
    const RellenarInforme rellenarPieza = rellenar ? RellenarInforme([&](qsizetype i) {
        return rellenar(documentos[static_cast<std::size_t>(i)]);
    })
                                                   : RellenarInforme();
    QList<PiezaImpresa> piezas;
    for (const DocumentoImpreso& d : documentos) {
        const QList<int> ids = d.documento ? QList<int>{d.documento} : QList<int>{};
        if (destino == DestinoDocumentos::UnPdf && !piezas.isEmpty()) {
            piezas.first().informes << d.paginas.get();
            piezas.first().documentos << ids;
            continue;
        }
        const QString archivo = destino == DestinoDocumentos::PdfPorDocumento
                                    ? ruta + QLatin1Char('/') + d.archivo + QStringLiteral(".pdf")
                                    : ruta;
        // Only one PDF holds every document, in order, as rellenarPieza counts them.
        piezas.append({{d.paginas.get()},
                       ids,
                       archivo,
                       destino == DestinoDocumentos::UnPdf ? rellenarPieza : RellenarInforme()});
    }
    const int hechas = entregar(padre, impresora, nombre, piezas);
    return destino == DestinoDocumentos::UnPdf && hechas ? static_cast<int>(documentos.size())
                                                         : hechas;
}

void prepararDestino(QComboBox* combo, const QString& porDocumento, const QString& clave) {
    combo->addItems({QStringLiteral("Impresora"), QStringLiteral("Un PDF"), porDocumento});
    const int elegido = Ajustes().valor(clave, 1).toInt();
    combo->setCurrentIndex(elegido >= 0 && elegido < combo->count() ? elegido : 1);
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                     protegido(combo, [clave](int indice) { Ajustes().fijar(clave, indice); }));
}

Resultado<PdfDocumento> pdfDocumento(int id) {
    if (const Resultado<> emitida = emitirFacturas({id}); !emitida) return emitida.fallo();
    LoteDocumentos lote(carpetaInformes());
    auto uno = prepararUno(lote, id);
    if (!uno) return uno.fallo();
    PdfDocumento pdf{pdfEnMemoria(uno->archivo, {uno->paginas.get()}),
                     uno->archivo + QStringLiteral(".pdf")};
    if (pdf.datos.isEmpty())
        return Fallo{QStringLiteral("No se pudo preparar el PDF de %1.").arg(uno->archivo)};
    return pdf;
}

} // namespace torvane
