#include "reports/PdfEnTramos.h"

#include "core/reports/UnirPdf.h"
#include "core/store/Consulta.h"
#include "reports/MotorInforme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QSemaphore>
#include <QTemporaryFile>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace torvane {

namespace {

// A run's fonts are embedded once in it and it is parsed again to be joined: fewer documents
// than this in a run cost more than painting them one after another.
constexpr qsizetype kMinimoPorTramo = 50;
// Each run takes this share of what is left per thread: long runs first, then shorter ones, so
// the threads end together however their speeds differ, and there are few runs to join.
constexpr qsizetype kPartesPorHilo = 2;
// A list's pages are quick to paint and each run reads its template and embeds its fonts again:
// one run per thread, and none shorter than this.
constexpr int kMinimoPaginasPorTramo = 25;
// The dots per inch a QPrinter in high resolution paints a PDF at.
constexpr int kResolucionPdf = 1200;

int hilosPdf() {
    return std::max(1, QThread::idealThreadCount());
}

/**
 * The threads that paint beside this one, kept from one run to the next: each keeps the memory
 * its last run freed, which a new thread would not find.
 */
QThreadPool& pintores() {
    static QThreadPool* const hilos = [] {
        auto* pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(std::max(1, hilosPdf() - 1));
        return pool;
    }();
    return *hilos;
}

/** How many of a run's documents this thread has filled, for the threads waiting to paint them. */
class Llenado {
public:
    /** Waits until the first hasta documents are filled; false when filling failed. */
    bool esperar(qsizetype hasta) {
        std::unique_lock cerrojo(mutex_);
        hecho_.wait(cerrojo, [&] { return listos_ >= hasta || fallo_; });
        return listos_ >= hasta;
    }
    void avanzar(qsizetype listos) {
        {
            const std::lock_guard cerrojo(mutex_);
            listos_ = listos;
        }
        hecho_.notify_all();
    }
    void fallar() {
        {
            const std::lock_guard cerrojo(mutex_);
            fallo_ = true;
        }
        hecho_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable hecho_;
    qsizetype listos_ = 0;
    bool fallo_ = false;
};

struct TramoPdf {
    QList<PaginasInforme*> informes; ///< documents, or
    PaginasInforme* lista = nullptr; ///< pages desde to hasta - 1 of a list laid out here, or
    const PaginasInforme* original = nullptr; ///< of the list twinned by the thread painting it
    std::unique_ptr<PaginasInforme> gemelo;
    int desde = 0;
    int hasta = 0;
    /** On disk, not in memory: the joiner reads each page from it as it needs it. */
    std::unique_ptr<QTemporaryFile> pdf;
    /** While documents are being filled: this run's are the run's documents before hasta. */
    Llenado* llenado = nullptr;
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
    if (tramo.llenado && !tramo.llenado->esperar(tramo.hasta)) return false;
    if (tramo.original) {
        tramo.gemelo = tramo.original->gemelo();
        tramo.lista = tramo.gemelo.get();
    }
    const bool pintado = tramo.lista ? tramo.lista->pintarPaginas(&pdf, tramo.desde, tramo.hasta)
                                     : PaginasInforme::pintarSeguidos(&pdf, tramo.informes);
    return pintado && tramo.pdf->flush();
}

/**
 * Paints every run, each by whichever of the threads (this one among them) is free first; with
 * primeroAqui the first by this thread, whose layout it holds. antes, when given, is done by this
 * thread first, while the others start.
 */
bool pintarTramos(std::vector<TramoPdf>& tramos, const QString& titulo, const QMarginsF& margenes,
                  bool primeroAqui = false, const std::function<bool()>& antes = {}) {
    std::atomic<std::size_t> siguiente{primeroAqui ? 1U : 0U};
    std::atomic<bool> fallo{false};
    const auto trabajar = [&] {
        for (std::size_t i = siguiente++; i < tramos.size() && !fallo; i = siguiente++)
            if (!pintarTramo(tramos[i], titulo, margenes)) fallo = true;
    };
    const int otros = hilosPdf() - 1;
    QSemaphore hechos;
    for (int h = 0; h < otros; ++h)
        pintores().start([&] {
            trabajar();
            hechos.release();
        });
    if (antes && !antes()) fallo = true;
    if (primeroAqui && !pintarTramo(tramos.front(), titulo, margenes)) fallo = true;
    trabajar();
    hechos.acquire(otros);
    return !fallo;
}

/** The runs' pages in order, in archivo; the first run's document keeps its title. */
bool unirTramos(const std::vector<TramoPdf>& tramos, const QString& archivo) {
    QStringList partes;
    for (const TramoPdf& tramo : tramos)
        partes << tramo.pdf->fileName();
    return unirPdf(partes, archivo).isEmpty();
}

} // namespace

bool seEscribeListaEnTramos(int paginas) {
    return hilosPdf() >= 2 && paginas >= 2 * kMinimoPaginasPorTramo;
}

bool escribirListaEnTramos(const QString& archivo, const QString& titulo, PaginasInforme& lista,
                           int paginas, const QMarginsF& margenes) {
    const int cuantos = std::clamp(paginas / kMinimoPaginasPorTramo, 1, hilosPdf());
    std::vector<TramoPdf> tramos(static_cast<std::size_t>(cuantos));
    for (int t = 0; t < cuantos; ++t) {
        TramoPdf& tramo = tramos[static_cast<std::size_t>(t)];
        // Text laid out on this thread is drawn by this thread alone: its fonts' engines are
        // this thread's. The other runs are painted by twins made on the threads painting them.
        if (t == 0)
            tramo.lista = &lista;
        else
            tramo.original = &lista;
        tramo.desde = static_cast<int>(qint64(paginas) * t / cuantos);
        tramo.hasta = static_cast<int>(qint64(paginas) * (t + 1) / cuantos);
    }
    // The rows are read: the painters need the room more than the engine's cache.
    soltarCacheConexion();
    return pintarTramos(tramos, titulo, margenes, true) && unirTramos(tramos, archivo);
}

bool seEscribeEnTramos(const QList<PaginasInforme*>& informes) {
    if (hilosPdf() < 2 || informes.size() < 2 * kMinimoPorTramo) return false;
    return std::none_of(informes.cbegin(), informes.cend(),
                        [](const PaginasInforme* i) { return i->esLista(); });
}

bool escribirPdfEnTramos(const QString& archivo, const QString& titulo,
                         const QList<PaginasInforme*>& informes, const QMarginsF& margenes,
                         const RellenarInforme& rellenar) {
    Llenado llenado;
    std::vector<TramoPdf> tramos;
    for (qsizetype desde = 0; desde < informes.size();) {
        const qsizetype quedan = informes.size() - desde;
        qsizetype largo = std::max(kMinimoPorTramo, quedan / (kPartesPorHilo * hilosPdf()));
        // Documents still to be filled: the first run short, so another thread starts at once.
        if (rellenar && tramos.empty()) largo = kMinimoPorTramo;
        // What would be left too short goes with this one.
        if (quedan - largo < kMinimoPorTramo) largo = quedan;
        TramoPdf& tramo = tramos.emplace_back();
        tramo.informes = informes.mid(desde, largo);
        desde += largo;
        tramo.hasta = static_cast<int>(desde);
        if (rellenar) tramo.llenado = &llenado;
    }
    const auto llenar = [&] {
        for (qsizetype i = 0; i < informes.size(); ++i) {
            if (!rellenar(i)) {
                llenado.fallar();
                return false;
            }
            llenado.avanzar(i + 1);
        }
        return true;
    };
    return pintarTramos(tramos, titulo, margenes, false,
                        rellenar ? std::function<bool()>(llenar) : std::function<bool()>()) &&
           unirTramos(tramos, archivo);
}

} // namespace torvane
