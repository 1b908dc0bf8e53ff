#include "reports/Impresion.h"

#include "core/documents/EstadoDocumento.h"
#include "core/store/Consulta.h"
#include "core/store/Privado.h"
#include "core/store/Sesion.h"
#include "reports/ColaImpresion.h"
#include "reports/Impresoras.h"
#include "reports/MotorInforme.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/DialogoImpresora.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace torvane {

namespace {

const QString kNadaImpreso = QStringLiteral("No se ha impreso nada.");

QString sinServicio() {
    return QStringLiteral("No se puede imprimir: el servicio de impresión de este equipo (CUPS) no "
                          "responde. Con «PDF» puede guardarlo en un archivo e imprimirlo más "
                          "tarde.");
}

QString carpetaDocumentos() {
    // Without a Documents folder the dialog would open wherever the program was started.
    const QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(carpeta).isDir() ? carpeta : QDir::homePath();
}

/** Asks for another printer among those installed and remembers it; empty when none. */
QString elegirOtra(QWidget* padre, const QStringList& impresoras) {
    if (impresoras.isEmpty()) {
        Mensaje::informar(padre,
                          QStringLiteral("No hay ninguna impresora instalada en este equipo. Con "
                                         "«PDF» puede guardarlo en un archivo."),
                          Mensaje::Icono::Exclamacion);
        return {};
    }
    const QString nombre =
        DialogoImpresora::elegir(padre, QStringLiteral("Impresora para informes:"), impresoras);
    if (!nombre.isEmpty() && !guardarImpresoraElegida(nombre))
        Mensaje::informar(padre,
                          QStringLiteral("No se pudo guardar la elección de impresora en %1.")
                              .arg(Modulo::CarpetaAjuste(QStringLiteral("imp.ini"))),
                          Mensaje::Icono::Exclamacion);
    return nombre;
}

/** nombre when its queue takes jobs now; otherwise the user is told why. */
std::optional<QString> colaQueAdmite(QWidget* padre, const QString& nombre) {
    const EstadoCola cola = estadoCola(nombre);
    const QString motivo = cola.motivo.isEmpty() ? QString() : QStringLiteral(": ") + cola.motivo;
    QString texto;
    switch (cola.estado) {
    case EstadoCola::Lista:
        return nombre;
    case EstadoCola::NoAdmite:
        texto = QStringLiteral("La impresora «%1» no admite trabajos ahora%2. ");
        break;
    case EstadoCola::Detenida:
        texto = QStringLiteral("La impresora «%1» está detenida%2. ");
        break;
    case EstadoCola::NoExiste:
        texto = QStringLiteral("La impresora «%1» ya no está en este equipo. ");
        break;
    case EstadoCola::SinServicio:
        Mensaje::informar(padre, sinServicio(), Mensaje::Icono::Exclamacion);
        return std::nullopt;
    }
    Mensaje::informar(padre, texto.arg(nombre, motivo) + kNadaImpreso, Mensaje::Icono::Exclamacion);
    return std::nullopt;
}

/** Fills every one of cuantos informes still empty; false when one cannot be. */
bool rellenarTodos(qsizetype cuantos, const RellenarInforme& rellenar) {
    for (qsizetype i = 0; rellenar && i < cuantos; ++i)
        if (!rellenar(i)) return false;
    return true;
}

bool escribirPdfConMargenes(const QString& archivo, const QString& titulo,
                            const QList<PaginasInforme*>& informes, const QMarginsF& margenes,
                            const RellenarInforme& rellenar = {}) {
    // Tenants' names and amounts: the user's alone, like the data it comes from.
    if (!archivoPrivado(archivo)) return false;
    if (seEscribeEnTramos(informes))
        return escribirPdfEnTramos(archivo, titulo, informes, margenes, rellenar);
    if (!rellenarTodos(informes.size(), rellenar)) return false;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(archivo);
    pdf.setDocName(titulo);
    prepararImpresora(pdf, margenes);
    if (informes.size() == 1 && informes.first()->esLista()) {
        const int paginas = informes.first()->paginas(pdf);
        if (seEscribeListaEnTramos(paginas))
            return escribirListaEnTramos(archivo, titulo, *informes.first(), paginas, margenes);
    }
    return PaginasInforme::pintarSeguidos(&pdf, informes);
}

/**
 * Lays every pieza out for impresora's printable area and sends it as one job; empty text when
 * the queue accepted it, otherwise what to tell the user.
 */
QString enviarAImpresora(const QString& impresora, const QString& nombre,
                         const QList<PiezaImpresa>& piezas) {
    QList<PaginasInforme*> informes;
    for (const PiezaImpresa& pieza : piezas) {
        if (!rellenarTodos(pieza.informes.size(), pieza.rellenar))
            return QStringLiteral("No se pudo preparar el trabajo de impresión.");
        informes << pieza.informes;
    }
    // The job is the same PDF the printing system would have made of it, held only as long
    // as the queue takes to read it, and readable by the user alone.
    QTemporaryFile trabajo(QDir::tempPath() + QStringLiteral("/torvane-XXXXXX.pdf"));
    if (!trabajo.open()) return QStringLiteral("No se pudo preparar el trabajo de impresión.");
    trabajo.close();
    if (!escribirPdfConMargenes(trabajo.fileName(), nombre, informes,
                                margenesEn(impresora, kMargenesInforme)))
        return QStringLiteral("No se pudo preparar el trabajo de impresión.");
    const EnvioTrabajo envio = enviarPdf(impresora, trabajo.fileName(), nombre);
    if (envio.aceptado()) return {};
    return QStringLiteral("La impresora «%1» no ha aceptado el trabajo (%2). ")
               .arg(impresora, envio.error) +
           kNadaImpreso;
}

// The one place where documents become printed: their job was accepted or their PDF written.
void anotarImpresos(QWidget* padre, const QList<int>& documentos, const QString& impresora) {
    if (documentos.isEmpty()) return;
    const auto anotados = marcarImpresos(
        documentos, impresora.isEmpty() ? QStringLiteral("en PDF")
                                        : QStringLiteral("en la impresora «%1»").arg(impresora));
    if (!anotados)
        Mensaje::critico(padre, QStringLiteral("Se ha impreso, pero no se pudo anotar como "
                                               "impreso: ") +
                                    anotados.motivo());
}

/** Says where what went out went; nothing for one report on paper, whose sheets say it. */
void contarEntrega(QWidget* padre, const QString& impresora, const QList<PiezaImpresa>& piezas,
                   int hechas) {
    if (hechas == 0) return;
    if (!impresora.isEmpty()) {
        if (hechas > 1)
            Mensaje::informar(padre, QStringLiteral("Se han enviado %1 documentos a la impresora "
                                                    "«%2».")
                                         .arg(hechas)
                                         .arg(impresora));
        return;
    }
    const QFileInfo primero(piezas.first().archivo);
    if (piezas.size() == 1)
        Mensaje::informar(
            padre,
            QStringLiteral("PDF guardado en %1").arg(QDir::toNativeSeparators(primero.filePath())));
    else
        Mensaje::informar(padre, QStringLiteral("Se han guardado %1 PDF en la carpeta %2")
                                     .arg(hechas)
                                     .arg(QDir::toNativeSeparators(primero.path())));
}

} // namespace

bool escribirPdf(const QString& archivo, const QString& titulo,
                 const QList<PaginasInforme*>& informes, const RellenarInforme& rellenar) {
    return escribirPdfConMargenes(archivo, titulo, informes, kMargenesInforme, rellenar);
}

std::optional<QString> impresoraLista(QWidget* padre) {
    if (!servicioImpresionResponde()) {
        Mensaje::informar(padre, sinServicio(), Mensaje::Icono::Exclamacion);
        return std::nullopt;
    }
    const QStringList impresoras = listaImpresoras();
    QString nombre = impresoraElegida();
    if (!nombre.isEmpty() && !impresoras.contains(nombre)) {
        // Never another one unasked: paper would come out where nobody looks for it.
        if (!Mensaje::preguntar(padre,
                                QStringLiteral("La impresora «%1», elegida para informes en "
                                               "Configuración, ya no está en este equipo. ¿Quiere "
                                               "elegir otra?")
                                    .arg(nombre),
                                Mensaje::Icono::Exclamacion))
            return std::nullopt;
        nombre = elegirOtra(padre, impresoras);
    } else if (nombre.isEmpty()) {
        nombre = QPrinterInfo::defaultPrinterName();
        if (nombre.isEmpty()) nombre = elegirOtra(padre, impresoras);
    }
    if (nombre.isEmpty()) return std::nullopt;
    return colaQueAdmite(padre, nombre);
}

QString pedirArchivoPdf(QWidget* padre, const QString& nombre) {
    QString limpio = nombre;
    limpio.replace(QLatin1Char('/'), QLatin1Char('-'));
    return DialogoArchivo::guardar(padre, QStringLiteral("Guardar como PDF"),
                                   carpetaDocumentos() + QLatin1Char('/') + limpio +
                                       QStringLiteral(".pdf"),
                                   QStringLiteral("PDF (*.pdf)"));
}

QString pedirCarpetaPdf(QWidget* padre) {
    return DialogoArchivo::carpeta(padre, QStringLiteral("Carpeta para los PDF"),
                                   carpetaDocumentos());
}

QByteArray pdfEnMemoria(const QString& titulo, const QList<PaginasInforme*>& informes) {
    QTemporaryFile pdf(QDir::tempPath() + QStringLiteral("/torvane-XXXXXX.pdf"));
    if (!pdf.open()) return {};
    pdf.close();
    if (!escribirPdf(pdf.fileName(), titulo, informes) || !pdf.open()) return {};
    return pdf.readAll();
}

int entregar(QWidget* padre, const QString& impresora, const QString& nombre,
             const QList<PiezaImpresa>& piezas) {
    if (piezas.isEmpty()) return 0;
    QList<int> impresos;
    int hechas = 0;
    QString fallo;
    {
        CursorEspera espera(padre);
        if (!impresora.isEmpty()) {
            fallo = enviarAImpresora(impresora, nombre, piezas);
            if (fallo.isEmpty()) hechas = static_cast<int>(piezas.size());
        } else {
            for (const PiezaImpresa& pieza : piezas) {
                if (!escribirPdf(pieza.archivo, QFileInfo(pieza.archivo).completeBaseName(),
                                 pieza.informes, pieza.rellenar)) {
                    fallo = QStringLiteral("No se pudo escribir el PDF %1")
                                .arg(QDir::toNativeSeparators(pieza.archivo));
                    break;
                }
                ++hechas;
            }
        }
        for (int i = 0; i < hechas; ++i)
            impresos << piezas[i].documentos;
        anotarImpresos(padre, impresos, impresora);
    }
    if (!fallo.isEmpty()) {
        if (hechas > 0)
            fallo +=
                QStringLiteral(" (se guardaron %1 de %2 antes).").arg(hechas).arg(piezas.size());
        Mensaje::critico(padre, fallo);
    } else {
        contarEntrega(padre, impresora, piezas, hechas);
    }
    return hechas;
}

bool imprimirInforme(QWidget* padre, const QString& nombre, PaginasInforme& paginas, bool pdf,
                     const QList<int>& documentos) {
    PiezaImpresa pieza{{&paginas}, documentos, {}, {}};
    QString impresora;
    if (pdf) {
        pieza.archivo = pedirArchivoPdf(padre, nombre);
        if (pieza.archivo.isEmpty()) return false;
    } else {
        const auto lista = impresoraLista(padre);
        if (!lista) return false;
        impresora = *lista;
    }
    return entregar(padre, impresora, nombre, {pieza}) == 1;
}

bool imprimirFilas(QWidget* padre, const QString& nombre, const ParametrosInforme& parametros,
                   const FilasInforme& filas, const QString& archivo, bool pdf) {
    const InformeGenerado informe = abrirInforme(nombre, parametros, filas);
    if (!informe.valido()) {
        Mensaje::critico(padre, informe.error);
        return false;
    }
    PaginasInforme paginas(informe);
    if (const QString error = paginas.error(); !error.isEmpty()) {
        Mensaje::critico(padre, error);
        return false;
    }
    return imprimirInforme(padre, archivo, paginas, pdf);
}

} // namespace torvane
