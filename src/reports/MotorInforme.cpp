#include "reports/MotorInforme.h"

#include "core/store/Consulta.h"
#include "core/store/Sesion.h"
#include "reports/PintorListas.h"
#include "reports/PintorQr.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace torvane {

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros) {
    return generarInforme(sesion().ruta + QStringLiteral("/Informes"), nombre, parametros);
}

InformeGenerado abrirDocumento(const QString& plantilla, int id) {
    return generarDocumento(sesion().ruta + QStringLiteral("/Informes"), plantilla, id);
}

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const FilasInforme& filas) {
    return generarInforme(sesion().ruta + QStringLiteral("/Informes"), nombre, parametros, filas);
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
    return generarInforme(sesion().ruta + QStringLiteral("/Informes"), nombre, parametros,
                          std::move(filas));
}

void prepararImpresora(QPrinter& impresora, const QMarginsF& margenes) {
    impresora.setPageSize(QPageSize(QPageSize::A4));
    impresora.setPageMargins(margenes, QPageLayout::Millimeter);
}

PaginasInforme::PaginasInforme(const InformeGenerado& informe)
    : html_(informe.html)
    , qr_(informe.qr)
    , medida_(QPrinter::HighResolution) {
    if (informe.filas) lista_ = std::make_unique<PintorLista>(informe);
}

PaginasInforme::~PaginasInforme() = default;

bool PaginasInforme::completo() const {
    return !lista_ || lista_->completa();
}

QString PaginasInforme::error() const {
    return lista_ ? lista_->error() : QString();
}

void PaginasInforme::maquetar(const QPrinter& impresora) {
    medida_.setResolution(impresora.resolution());
    medida_.setPageLayout(impresora.pageLayout());
    documento_ = std::make_unique<QTextDocument>();
    documento_->documentLayout()->setPaintDevice(&medida_);
    documento_->setDefaultFont(letraInforme(10));
    documento_->setHtml(html_);
    alturaPie_ = QFontMetricsF(letraInforme(8), &medida_).height() * 2;
    // Every page keeps the QR's room, so the pages break alike whatever comes first.
    alturaQr_ = qr_.isEmpty() ? 0 : alturaCabeceraQr(medida_);
    const QSizeF area = medida_.pageLayout().paintRectPixels(medida_.resolution()).size();
    documento_->setPageSize(QSizeF(area.width(), area.height() - alturaPie_ - alturaQr_));
}

int PaginasInforme::paginas(const QPrinter& impresora) {
    if (lista_) return lista_->paginas(impresora);
    if (!documento_ || medida_.resolution() != impresora.resolution() ||
        !medida_.pageLayout().isEquivalentTo(impresora.pageLayout()))
        maquetar(impresora);
    return documento_->pageCount();
}

void PaginasInforme::pintarPagina(QPainter& pintor, int n) {
    if (lista_) {
        lista_->pintarPagina(pintor, n);
        return;
    }
    const QSizeF pagina = documento_->pageSize();
    const QRectF recorte(0, n * pagina.height(), pagina.width(), pagina.height());
    if (n == 0 && !qr_.isEmpty()) pintarCabeceraQr(pintor, medida_, pagina.width(), qr_);
    pintor.save();
    pintor.translate(0, alturaQr_ - recorte.top());
    documento_->drawContents(&pintor, recorte);
    pintor.restore();
    // A one-page document needs no page count.
    const int total = documento_->pageCount();
    if (total < 2) return;
    pintor.setFont(letraInforme(8));
    pintor.drawText(QRectF(0, alturaQr_ + pagina.height(), pagina.width(), alturaPie_),
                    Qt::AlignHCenter | Qt::AlignBottom,
                    QStringLiteral("Página %1 de %2").arg(n + 1).arg(total));
}

bool PaginasInforme::pintar(QPrinter* impresora) {
    return pintarSeguidos(impresora, {this});
}

bool PaginasInforme::pintarSeguidos(QPrinter* impresora, const QList<PaginasInforme*>& informes) {
    QList<int> paginas;
    for (PaginasInforme* informe : informes) {
        paginas.append(informe->paginas(*impresora));
        if (paginas.last() == 0) return false;
    }
    QPainter pintor;
    if (!pintor.begin(impresora)) return false;
    for (qsizetype i = 0; i < informes.size(); ++i)
        for (int n = 0; n < paginas[i]; ++n) {
            if (i > 0 || n > 0) impresora->newPage();
            informes[i]->pintarPagina(pintor, n);
        }
    return pintor.end();
}

} // namespace torvane
