#include "Programa.h"

#include "Motor.h"
#include "app/Ventanas.h"
#include "collections/frmCobros.h"
#include "collections/frmCobrosHoja.h"
#include "collections/frmEmitirMes.h"
#include "core/banking/Conciliacion.h"
#include "core/banking/Remesas.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/store/Consulta.h"
#include "core/store/Sesion.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInquilinos.h"
#include "reports/Impresion.h"
#include "reports/ImprimirDocumentos.h"
#include "reports/MotorInforme.h"
#include "reports/VisorPaginas.h"
#include "reports/frmEstadisticas.h"
#include "reports/frmInforme.h"
#include "search/frmBusqueda.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <functional>

using namespace torvane;

namespace {

/** What the program hands its windows, over the one session. */
Ventanas& ventanas() {
    static Ventanas v(sesion());
    return v;
}

double ms(const QElapsedTimer& reloj) {
    return static_cast<double>(reloj.nsecsElapsed()) / 1e6;
}

QLabel* info(QWidget& ventana) {
    return ventana.findChild<QLabel*>(QStringLiteral("lblInfo"));
}

/** Shows the window and times it until its grid is painted with rows and listo() holds. */
double abrir(
    QWidget& ventana, const std::function<bool()>& listo = [] { return true; }) {
    VigiaRejilla vigia(ventana);
    QElapsedTimer reloj;
    reloj.start();
    ventana.show();
    esperar([&] { return vigia.lista() && listo(); });
    return ms(reloj);
}

/** On an open list window: types texto in the filter, presses boton and times the new list. */
template <typename V>
double filtrar(const char* texto, const char* boton, const char* caja = "txtFiltro") {
    const auto propia = ventanas().crear<V>(nullptr);
    V& ventana = *propia;
    abrir(ventana);
    VigiaRejilla vigia(ventana);
    QLabel* etiqueta = info(ventana);
    if (caja)
        ventana.template findChild<QLineEdit*>(QLatin1StringView(caja))
            ->setText(QString::fromUtf8(texto));
    etiqueta->clear();
    QElapsedTimer reloj;
    reloj.start();
    ventana.template findChild<QAbstractButton*>(QLatin1StringView(boton))->click();
    esperar([&] { return vigia.lista() && !etiqueta->text().isEmpty(); });
    return ms(reloj);
}

/** On an open search window holding texto[0], times the key texto[1] until its results show. */
double pulsacionBusqueda(const char* const (&texto)[2]) {
    frmBusqueda ventana(ventanas());
    ventana.show();
    auto* caja = ventana.findChild<QLineEdit*>(QStringLiteral("txtBuscar"));
    auto* rejilla = ventana.findChild<Rejilla*>(QStringLiteral("mshDatos"));
    caja->setText(QString::fromUtf8(texto[0]));
    QApplication::processEvents();
    VigiaRejilla vigia(ventana);
    QKeyEvent tecla(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(texto[1]));
    QElapsedTimer reloj;
    reloj.start();
    QApplication::sendEvent(caja, &tecla);
    esperar([&] { return rejilla->numFilas() <= 1 || vigia.lista(); });
    return ms(reloj);
}

double listaCobros() {
    frmCobros ventana(sesion(), ventanas());
    QLabel* etiqueta = info(ventana);
    return abrir(ventana, [etiqueta] { return !etiqueta->text().isEmpty(); });
}

/** The year's unpaid documents proposed for a remittance, each with its account and mandate. */
double remesa() {
    QElapsedTimer reloj;
    reloj.start();
    proponerRemesa({QDate(2024, 1, 1), QDate(2024, 12, 31), {}, {}});
    return ms(reloj);
}

/**
 * A Cuaderno 43 statement of 5,000 credits for the year: four in five cite a pending document
 * with its amount, the rest fit nothing. Made before the clock starts.
 */
QByteArray extractoDelAno() {
    const auto cifras = [](qint64 n, int ancho) {
        return QByteArray::number(n).rightJustified(ancho, '0');
    };
    QList<QByteArray> r{"112100041802000513322401012412312" + cifras(0, 14) + "9783" +
                        QByteArray(26, ' ')};
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Num, Ser, Tot FROM tblCobros WHERE Pag = 0 AND"
                                          " Anu = 0 AND Tot > 0 ORDER BY Id LIMIT 4000"));
    qint64 total = 0;
    for (int n = 0; n < 5000; ++n) {
        const bool cita = q.next();
        const qint64 centimos = cita ? qRound64(q.value(2).toDouble() * 100) : 100 + n;
        total += centimos;
        r << "22    0418240615240615020002" + cifras(centimos, 14) + cifras(n, 10) +
                 QByteArray(28, ' ');
        r << ("2301RECIBO " +
              (cita ? q.value(0).toByteArray() + q.value(1).toByteArray() : QByteArray("SIN NADA")))
                 .leftJustified(80, ' ');
    }
    r << "3321000418020005133200000" + cifras(0, 14) + "05000" + cifras(total, 14) + "2" +
             cifras(total, 14) + "978";
    r << "88" + QByteArray(18, '9') + cifras(r.size(), 6);
    return r.join("\r\n");
}

/** The statement read and matched against the year's pending documents. */
double extracto() {
    const QByteArray contenido = extractoDelAno();
    QElapsedTimer reloj;
    reloj.start();
    const auto movimientos = leerExtracto(contenido);
    if (!movimientos) qFatal("%s", qPrintable(movimientos.motivo()));
    const Conciliacion c = proponerConciliacion(*movimientos, leerDatosConciliacion());
    if (c.propuestas.size() + c.dudosos.size() + c.sinPareja.size() != 5000) qFatal("extracto");
    return ms(reloj);
}

double estadisticas() {
    frmEstadisticas ventana(sesion());
    return abrir(ventana);
}

/** The year's list already on screen: from "Exportar" to the .xlsx written. */
double exportarCobros() {
    frmCobros ventana(sesion(), ventanas());
    QLabel* etiqueta = info(ventana);
    abrir(ventana, [etiqueta] { return !etiqueta->text().isEmpty(); });
    QTemporaryDir carpeta;
    DialogoArchivo::fijarSiguiente(carpeta.filePath(QStringLiteral("cobros.xlsx")));
    Mensaje::limpiarHistorial();
    QElapsedTimer reloj;
    reloj.start();
    ventana.findChild<QAbstractButton*>(QStringLiteral("cmdExportar"))->click();
    const double tiempo = ms(reloj);
    const QString aviso = Mensaje::textos().value(0);
    if (!aviso.contains(QStringLiteral(" filas exportadas a "))) qFatal("%s", qPrintable(aviso));
    Mensaje::limpiarHistorial();
    return tiempo;
}

double hoja() {
    frmCobrosHoja ventana(sesion(), ventanas(), kDocumento);
    auto* totales = ventana.findChild<Rejilla*>(QStringLiteral("mshTotales"));
    return abrir(ventana, [totales] { return !totales->texto(1, 4).isEmpty(); });
}

// A save as the sheet makes it: header, a line added, totals rewritten, in one transaction;
// the line goes again in a second save so the year stays as it was.
double guardarUnaLinea() {
    Cabecera c = *leerCabecera(kDocumento);
    Linea l;
    l.idCon = 1;
    l.desCon = QStringLiteral("Medida");
    l.und = Decimal::deEntero(1);
    l.pre = Importe::deCentimos(100);
    QElapsedTimer reloj;
    reloj.start();
    c = guardarDocumento(c, {CambioLineas::Anadir, l, 0}).valorOLanzar();
    const double ms = static_cast<double>(reloj.nsecsElapsed()) / 1e6;
    const int ultima = valorUnico(QStringLiteral("SELECT MAX(Id) FROM tblCobrosDetalles"
                                                 " WHERE IdDoc = ?"),
                                  {kDocumento})
                           .toInt();
    guardarDocumento(c, {CambioLineas::Borrar, {}, ultima}).valorOLanzar();
    return ms;
}

double aPdf(const std::function<InformeGenerado()>& generar) {
    QTemporaryDir carpeta;
    QElapsedTimer reloj;
    reloj.start();
    const InformeGenerado informe = generar();
    if (!informe.valido()) qFatal("%s", qPrintable(informe.error));
    PaginasInforme paginas(informe);
    // The way «PDF» saves it.
    if (!escribirPdf(carpeta.filePath(QStringLiteral("informe.pdf")), informe.nombre, {&paginas}))
        qFatal("No se pudo escribir el PDF");
    return ms(reloj);
}

/** From choosing «Recibos» in the open reports window to its first page painted in the preview. */
double primeraPagina() {
    frmInforme ventana(sesion());
    ventana.show();
    QApplication::processEvents();
    auto* lista = ventana.findChild<QListWidget*>(QStringLiteral("lstInforme"));
    auto* visor = ventana.findChild<VisorPaginas*>(QStringLiteral("CRViewer"));
    QListWidgetItem* recibos =
        lista->findItems(QStringLiteral("Recibos"), Qt::MatchExactly).value(0);
    if (!recibos || !visor) qFatal("Sin «Recibos» o sin visor");
    QElapsedTimer reloj;
    reloj.start();
    lista->setCurrentItem(recibos);
    emit lista->itemActivated(recibos);
    esperar([visor] { return visor->pintadas() > 0; });
    return ms(reloj);
}

// The month the benchmark's monthly year leaves to issue.
const QDate kMesPorEmitir(2024, 12, 1);

double propuestaMes() {
    frmEmitirMes ventana(sesion());
    VigiaRejilla vigia(ventana, "mshPropuesta");
    QElapsedTimer reloj;
    reloj.start();
    ventana.show();
    esperar([&] { return vigia.lista(); });
    return ms(reloj);
}

/** Undoes a run the measurement made, printed or not, so every pass finds the month to issue. */
void deshacerMedida(int emision) {
    ejecutar(QStringLiteral("UPDATE tblCobros SET Imp = 0, ImpCom = NULL WHERE IdEmi = ?"),
             {emision});
    deshacerEmision(emision).valorOLanzar();
}

double emitirTodos() {
    const QList<PropuestaMes> propuesta = proponerMes(kMesPorEmitir);
    QElapsedTimer reloj;
    reloj.start();
    const int emision = emitirMes(propuesta, kMesPorEmitir, kMesPorEmitir.year()).valorOLanzar();
    const double t = ms(reloj);
    if (documentosEmision(emision).size() != propuesta.size()) qFatal("Emisión incompleta");
    deshacerMedida(emision);
    return t;
}

double imprimirMes() {
    const int emision =
        emitirMes(proponerMes(kMesPorEmitir), kMesPorEmitir, kMesPorEmitir.year()).valorOLanzar();
    QTemporaryDir carpeta;
    const QString pdf = carpeta.filePath(QStringLiteral("mes.pdf"));
    DialogoArchivo::fijarSiguiente(pdf);
    QElapsedTimer reloj;
    reloj.start();
    const QList<int> ids = documentosEmision(emision);
    if (imprimirDocumentos(nullptr, ids, DestinoDocumentos::UnPdf) != ids.size())
        qFatal("No se pudo imprimir la emisión");
    const double t = ms(reloj);
    // Where the file went is said once it is written; only that may have been said.
    if (Mensaje::textos() != QStringList{QStringLiteral("PDF guardado en ") + pdf})
        qFatal("%s", qPrintable(Mensaje::textos().join(QLatin1Char('\n'))));
    Mensaje::limpiarHistorial();
    deshacerMedida(emision);
    return t;
}

} // namespace

void esperar(const std::function<bool()>& listo) {
    QElapsedTimer reloj;
    reloj.start();
    while (!listo()) {
        if (reloj.elapsed() > 120000) qFatal("La ventana no terminó de mostrarse");
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

VigiaRejilla::VigiaRejilla(QWidget& ventana, const char* rejilla)
    : rejilla_(ventana.findChild<Rejilla*>(QLatin1StringView(rejilla))) {
    if (!rejilla_) qFatal("Sin rejilla en %s", qPrintable(ventana.objectName()));
    rejilla_->viewport()->installEventFilter(this);
}

bool VigiaRejilla::lista() const {
    return pintada_ && rejilla_->numFilas() > 1;
}

bool VigiaRejilla::eventFilter(QObject*, QEvent* evento) {
    if (evento->type() == QEvent::Paint && rejilla_->numFilas() > 1) pintada_ = true;
    return false;
}

std::function<double()> pasoPrograma(const QString& clave) {
    static const QHash<QString, std::function<double()>> pasos = {
        {QStringLiteral("cobros_filas"),
         [] {
             frmCobros ventana(sesion(), ventanas());
             return abrir(ventana);
         }},
        {QStringLiteral("cobros"), listaCobros},
        {QStringLiteral("cobros_texto"),
         [] { return filtrar<frmCobros>(kTextoCobros, "cmdFiltrar"); }},
        {QStringLiteral("cobros_pendientes"),
         [] { return filtrar<frmCobros>(nullptr, "chkPen", nullptr); }},
        {QStringLiteral("inmuebles"),
         [] { return filtrar<frmInmuebles>(kTextoInmuebles, "cmdFiltrar"); }},
        {QStringLiteral("inquilinos"),
         [] { return filtrar<frmInquilinos>(kTextoInquilinos, "cmdFiltrar"); }},
        {QStringLiteral("estadisticas"), estadisticas},
        {QStringLiteral("remesa"), remesa},
        {QStringLiteral("extracto"), extracto},
        {QStringLiteral("exportar"), exportarCobros},
        {QStringLiteral("hoja"), hoja},
        {QStringLiteral("guardar"), guardarUnaLinea},
        {QStringLiteral("busqueda_texto"), [] { return pulsacionBusqueda(kBusquedaTexto); }},
        {QStringLiteral("busqueda_numero"), [] { return pulsacionBusqueda(kBusquedaNumero); }},
        {QStringLiteral("recibo"),
         [] { return aPdf([] { return abrirDocumento(QStringLiteral("Recibo"), kDocumento); }); }},
        {QStringLiteral("recibos"),
         [] {
             return aPdf([] {
                 return abrirInforme(QStringLiteral("Recibos"),
                                     {{QStringLiteral("pEmpresa"), QStringLiteral("Torvane")},
                                      {QStringLiteral("pTitulo"), QStringLiteral("Recibos")}});
             });
         }},
        {QStringLiteral("vista_primera"), primeraPagina},
        {QStringLiteral("mes_propuesta"), propuestaMes},
        {QStringLiteral("mes_emitir"), emitirTodos},
        {QStringLiteral("mes_pdf"), imprimirMes},
    };
    return pasos.value(clave);
}
