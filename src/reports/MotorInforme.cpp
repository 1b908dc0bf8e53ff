#include "reports/MotorInforme.h"

#include "core/store/Consulta.h"
#include "core/store/Sesion.h"
#include "reports/LetraInforme.h"
#include "reports/MedidaImpresora.h"
#include "reports/MoldesDocumento.h"
#include "reports/PintorListas.h"
#include "reports/PintorQr.h"
#include "reports/RejillasTabla.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>

namespace torvane {

QString carpetaInformes() {
    return sesion().ruta + QStringLiteral("/Informes");
}

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros) {
    return generarInforme(carpetaInformes(), nombre, parametros);
}

InformeGenerado abrirDocumento(const QString& plantilla, int id) {
    return generarDocumento(carpetaInformes(), plantilla, id);
}

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const FilasInforme& filas) {
    return generarInforme(carpetaInformes(), nombre, parametros, filas);
}

InformeGenerado abrirLista(const QString& nombre, const ParametrosInforme& parametros,
                           int primeras) {
    try {
        return abrirInforme(
            nombre, parametros,
            std::make_shared<const FilasLista>(leerFilasLista(Conexion(), nombre, primeras)));
    } catch (const ErrorBD& e) {
        InformeGenerado informe;
        informe.error = e.texto();
        return informe;
    }
}

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             std::shared_ptr<const FilasLista> filas) {
    return generarInforme(carpetaInformes(), nombre, parametros, std::move(filas));
}

void prepararImpresora(QPagedPaintDevice& impresora, const QMarginsF& margenes) {
    impresora.setPageSize(QPageSize(QPageSize::A4));
    impresora.setPageMargins(margenes, QPageLayout::Millimeter);
}

PaginasInforme::PaginasInforme(const InformeGenerado& informe)
    : html_(informe.html)
    , molde_(informe.molde)
    , valores_(informe.valores)
    , qr_(informe.qr) {
    if (informe.filas) lista_ = std::make_unique<PintorLista>(informe);
}

PaginasInforme::~PaginasInforme() = default;

bool PaginasInforme::completo() const {
    return !lista_ || lista_->completa();
}

QString PaginasInforme::error() const {
    return lista_ ? lista_->error() : QString();
}

void PaginasInforme::maquetar(const QPagedPaintDevice& dispositivo, int resolucion,
                              MoldesDocumento* moldes) {
    medida_ = std::make_unique<MedidaImpresora>(dispositivo, resolucion);
    alturaPie_ = QFontMetricsF(letraInforme(8), medida_.get()).height() * 2;
    // Every page keeps the QR's room, so the pages break alike whatever comes first.
    alturaQr_ = qr_.isEmpty() ? 0 : alturaCabeceraQr(*medida_);
    const QSizeF area = medida_->pageLayout().paintRectPixels(medida_->resolution()).size();
    const QSizeF pagina(area.width(), area.height() - alturaPie_ - alturaQr_);
    const auto hecho = moldes && rejillasRapidas_ && !molde_.isEmpty()
                           ? moldes->maquetar(molde_, valores_, pagina)
                           : std::nullopt;
    if (hecho && hecho->rejillas) {
        documento_.reset();
        rejillas_.reset();
        texto_ = hecho->texto;
        trazos_ = hecho->rejillas;
        return;
    }
    // Over pages its grids are laid out as written, which the shape has just shown.
    if (hecho || !maquetarTexto(pagina, rejillasRapidas_)) maquetarTexto(pagina, false);
}

bool PaginasInforme::maquetarTexto(const QSizeF& pagina, bool rejillasRapidas) {
    documento_ = documentoSinMaquetar(*medida_, pagina);
    documento_->setHtml(conLetraInforme(html_));
    rejillas_ = std::make_unique<RejillasTabla>();
    if (rejillasRapidas) rejillas_->preparar(*documento_, *medida_);
    encenderMaquetacion(*documento_);
    texto_ = documento_.get();
    trazos_ = rejillas_.get();
    return rejillas_->trazar(*documento_);
}

void PaginasInforme::soltar() {
    if (lista_) return;
    documento_.reset();
    rejillas_.reset();
    texto_ = nullptr;
    trazos_ = nullptr;
    // A run's document is painted once: its text need not wait for the rest of the run.
    html_.clear();
    molde_.clear();
    valores_.clear();
}

int PaginasInforme::paginas(const QPrinter& impresora) {
    if (lista_) return lista_->paginas(impresora);
    return paginas(impresora, impresora.resolution());
}

int PaginasInforme::paginas(const QPdfWriter& pdf) {
    return lista_ ? 0 : paginas(pdf, pdf.resolution());
}

int PaginasInforme::paginas(const QPagedPaintDevice& dispositivo, int resolucion,
                            MoldesDocumento* moldes) {
    if (!texto_ || !medida_->igualA(dispositivo, resolucion))
        maquetar(dispositivo, resolucion, moldes);
    return texto_->pageCount();
}

void PaginasInforme::pintarPagina(QPainter& pintor, int n) {
    if (lista_) {
        lista_->pintarPagina(pintor, n);
        return;
    }
    const QSizeF pagina = texto_->pageSize();
    const QRectF recorte(0, n * pagina.height(), pagina.width(), pagina.height());
    if (n == 0 && !qr_.isEmpty()) pintarCabeceraQr(pintor, *medida_, pagina.width(), qr_);
    pintor.save();
    pintor.translate(0, alturaQr_ - recorte.top());
    trazos_->pintar(pintor, recorte);
    texto_->drawContents(&pintor, recorte);
    pintor.restore();
    // A one-page document needs no page count.
    const int total = texto_->pageCount();
    if (total < 2) return;
    pintor.setFont(letraInforme(8));
    pintor.drawText(QRectF(0, alturaQr_ + pagina.height(), pagina.width(), alturaPie_),
                    Qt::AlignHCenter | Qt::AlignBottom,
                    QStringLiteral("Página %1 de %2").arg(n + 1).arg(total));
}

std::unique_ptr<PaginasInforme> PaginasInforme::gemelo() const {
    if (!lista_) return nullptr;
    auto gemelo = std::make_unique<PaginasInforme>();
    gemelo->html_ = html_;
    gemelo->lista_ = lista_->gemelo();
    return gemelo;
}

bool PaginasInforme::pintarPaginas(QPdfWriter* pdf, int desde, int hasta) {
    QPainter pintor;
    if (!pintor.begin(pdf)) return false;
    for (int n = desde; n < hasta; ++n) {
        if (n > desde) pdf->newPage();
        pintarPagina(pintor, n);
    }
    return pintor.end();
}

bool PaginasInforme::pintar(QPrinter* impresora) {
    return pintarSeguidos(impresora, {this});
}

template <typename Dispositivo>
bool PaginasInforme::pintarEn(Dispositivo* impresora, const QList<PaginasInforme*>& informes) {
    // Only a list can fail to lay out; a document is laid out as its turn comes and let go once
    // painted, so a month's run never holds every layout at once.
    for (PaginasInforme* informe : informes)
        if (informe->lista_ && informe->paginas(*impresora) == 0) return false;
    // A run's documents of one shape are read from HTML once.
    std::unique_ptr<MoldesDocumento> moldes;
    if (informes.size() > 1)
        moldes = std::make_unique<MoldesDocumento>(*impresora, impresora->resolution());
    QPainter pintor;
    if (!pintor.begin(impresora)) return false;
    for (qsizetype i = 0; i < informes.size(); ++i) {
        PaginasInforme& informe = *informes[i];
        const int paginas =
            informe.lista_ ? informe.paginas(*impresora)
                           : informe.paginas(*impresora, impresora->resolution(), moldes.get());
        for (int n = 0; n < paginas; ++n) {
            if (i > 0 || n > 0) impresora->newPage();
            informe.pintarPagina(pintor, n);
        }
        if (informes.size() > 1) informe.soltar();
    }
    return pintor.end();
}

bool PaginasInforme::pintarSeguidos(QPrinter* impresora, const QList<PaginasInforme*>& informes) {
    return pintarEn(impresora, informes);
}

bool PaginasInforme::pintarSeguidos(QPdfWriter* pdf, const QList<PaginasInforme*>& informes) {
    return pintarEn(pdf, informes);
}

} // namespace torvane
