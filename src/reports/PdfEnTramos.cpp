#include "reports/PdfEnTramos.h"

#include "reports/MotorInforme.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <QThread>
#include <atomic>
#include <memory>
// The joiner's headers as of its current API, without its old smart pointer's warnings.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <vector>

namespace torvane {

namespace {

// A run's fonts are embedded once in it and it is parsed again to be joined: fewer documents
// than this in a run cost more than painting them one after another.
constexpr qsizetype kMinimoPorTramo = 50;
// Runs per thread, so a thread slowed by other work on its core leaves the rest to the others.
constexpr qsizetype kTramosPorHilo = 8;
// The dots per inch a QPrinter in high resolution paints a PDF at.
constexpr int kResolucionPdf = 1200;

int hilosPdf() {
    return std::max(1, QThread::idealThreadCount());
}

struct TramoPdf {
    QList<PaginasInforme*> informes;
    /** On disk, not in memory: the joiner reads each page from it as it needs it. */
    std::unique_ptr<QTemporaryFile> pdf;
};

bool pintarTramo(TramoPdf& tramo, const QString& titulo, const QMarginsF& margenes) {
    // Readable by the user alone, like the file it goes into.
    tramo.pdf =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/torvane-XXXXXX.pdf"));
    if (!tramo.pdf->open()) return false;
    QPdfWriter pdf(tramo.pdf.get());
    pdf.setResolution(kResolucionPdf);
    pdf.setTitle(titulo);
    prepararImpresora(pdf, margenes);
    return PaginasInforme::pintarSeguidos(&pdf, tramo.informes) && tramo.pdf->flush();
}

/** Paints every run, each by whichever of the threads (this one among them) is free first. */
bool pintarTramos(std::vector<TramoPdf>& tramos, const QString& titulo, const QMarginsF& margenes) {
    std::atomic<std::size_t> siguiente{0};
    std::atomic<bool> fallo{false};
    const auto trabajar = [&] {
        for (std::size_t i = siguiente++; i < tramos.size() && !fallo; i = siguiente++)
            if (!pintarTramo(tramos[i], titulo, margenes)) fallo = true;
    };
    std::vector<std::unique_ptr<QThread>> otros;
    for (int h = 1; h < hilosPdf(); ++h) {
        otros.emplace_back(QThread::create(trabajar));
        otros.back()->start();
    }
    trabajar();
    for (const auto& hilo : otros)
        hilo->wait();
    return !fallo;
}

/** The runs' pages in order, in archivo; the first run's document keeps its title. */
bool unirTramos(const std::vector<TramoPdf>& tramos, const QString& archivo) {
    try {
        std::vector<std::unique_ptr<QPDF>> partes;
        for (const TramoPdf& tramo : tramos) {
            auto parte = std::make_unique<QPDF>();
            parte->setSuppressWarnings(true);
            parte->processFile(QFile::encodeName(tramo.pdf->fileName()).constData());
            partes.push_back(std::move(parte));
        }
        QPDFPageDocumentHelper paginas(*partes.front());
        for (std::size_t i = 1; i < partes.size(); ++i)
            for (QPDFPageObjectHelper& pagina : QPDFPageDocumentHelper(*partes[i]).getAllPages())
                paginas.addPage(pagina, false);
        QPDFWriter escritor(*partes.front(), QFile::encodeName(archivo).constData());
        // The pages' streams go as they were painted, compressed once.
        escritor.setStreamDataMode(qpdf_s_preserve);
        escritor.write();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool seEscribeEnTramos(const QList<PaginasInforme*>& informes) {
    if (hilosPdf() < 2 || informes.size() < 2 * kMinimoPorTramo) return false;
    return std::none_of(informes.cbegin(), informes.cend(),
                        [](const PaginasInforme* i) { return i->esLista(); });
}

bool escribirPdfEnTramos(const QString& archivo, const QString& titulo,
                         const QList<PaginasInforme*>& informes, const QMarginsF& margenes) {
    const qsizetype cuantos =
        std::clamp<qsizetype>(informes.size() / kMinimoPorTramo, 1, hilosPdf() * kTramosPorHilo);
    std::vector<TramoPdf> tramos(static_cast<std::size_t>(cuantos));
    for (qsizetype t = 0; t < cuantos; ++t) {
        const qsizetype desde = informes.size() * t / cuantos;
        const qsizetype hasta = informes.size() * (t + 1) / cuantos;
        tramos[static_cast<std::size_t>(t)].informes = informes.mid(desde, hasta - desde);
    }
    return pintarTramos(tramos, titulo, margenes) && unirTramos(tramos, archivo);
}

} // namespace torvane
