#include "reports/MotorInforme.h"

#include "app/Modulo.h"
#include "reports/Impresoras.h"
#include "reports/PintorListas.h"
#include "reports/PintorQr.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextDocument>

namespace {

QString rutaPropuesta(const QString& nombre) {
    QString limpio = nombre;
    limpio.replace(QLatin1Char('/'), QLatin1Char('-'));
    // Without a Documents folder the dialog would open wherever the program was started.
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(carpeta).isDir()) carpeta = QDir::homePath();
    return carpeta + QLatin1Char('/') + limpio + QStringLiteral(".pdf");
}

} // namespace

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const QString& formula) {
    return generarInforme(Modulo::Ruta + QStringLiteral("/Informes"), nombre, parametros, formula);
}

InformeGenerado abrirInforme(const QString& nombre, const ParametrosInforme& parametros,
                             const FilasInforme& filas) {
    return generarInforme(Modulo::Ruta + QStringLiteral("/Informes"), nombre, parametros, filas);
}

void prepararImpresora(QPrinter& impresora) {
    impresora.setPageSize(QPageSize(QPageSize::A4));
    impresora.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

PaginasInforme::PaginasInforme(const InformeGenerado& informe)
    : html_(informe.html)
    , qr_(informe.qr)
    , medida_(QPrinter::HighResolution) {
    if (informe.filas) lista_ = std::make_unique<PintorLista>(informe);
}

PaginasInforme::~PaginasInforme() = default;

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

bool imprimirInforme(QWidget* padre, const QString& nombre, PaginasInforme& paginas, int posicion) {
    const QStringList impresoras = listaImpresoras();
    if (posicion < 0 || posicion >= impresoras.size()) {
        Mensaje::informar(padre,
                          QStringLiteral("La impresora elegida en Configuración (número %1) no "
                                         "existe en este equipo. Elija otra en Configuración.")
                              .arg(posicion + 1),
                          Mensaje::Icono::Exclamacion);
        return false;
    }
    QPrinter impresora(QPrinter::HighResolution);
    if (impresoras[posicion] == kArchivoPdf) {
        const QString archivo =
            DialogoArchivo::guardar(padre, QStringLiteral("Guardar como PDF"),
                                    rutaPropuesta(nombre), QStringLiteral("PDF (*.pdf)"));
        if (archivo.isEmpty()) return false;
        impresora.setOutputFormat(QPrinter::PdfFormat);
        impresora.setOutputFileName(archivo);
    } else {
        impresora.setPrinterName(impresoras[posicion]);
    }
    prepararImpresora(impresora);
    impresora.setDocName(nombre);
    if (paginas.pintar(&impresora)) {
        if (impresora.outputFormat() == QPrinter::PdfFormat)
            Mensaje::informar(padre,
                              QStringLiteral("PDF guardado en %1")
                                  .arg(QDir::toNativeSeparators(impresora.outputFileName())));
        return true;
    }
    Mensaje::critico(padre, QStringLiteral("No se pudo imprimir en %1").arg(impresoras[posicion]));
    return false;
}

bool imprimirFilas(QWidget* padre, const QString& nombre, const ParametrosInforme& parametros,
                   const FilasInforme& filas, const QString& archivo, int posicion) {
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
    return imprimirInforme(padre, archivo, paginas, posicion);
}
