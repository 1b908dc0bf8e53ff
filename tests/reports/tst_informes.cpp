#include "support/Entorno.h"

#include "Demo.h"
#include "app/Modulo.h"
#include "collections/frmCobrosHoja.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "data/Formato.h"
#include "data/Totales.h"
#include "reports/Impresoras.h"
#include "reports/frmInforme.h"
#include "reports/frmInformeHojaDoc.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// A demo year of its own, open as the working year.
struct Demo {
    Entorno entorno;
    QString carpeta = entorno.raiz() + u"/demo"_s;

    explicit Demo(const TamanoDemo& tamano = {}) {
        const QString error = crearDemo(carpeta, u"2024"_s, tamano);
        if (!error.isEmpty()) qFatal("%s", qPrintable(error));
        Modulo::Ruta = carpeta;
        Modulo::RutaBD = carpeta + u"/2024/Zudivoz.mdb"_s;
        abrirBaseDatos(Modulo::RutaBD);
        // Both choices on "Archivo PDF", wherever the machine's printers put it.
        const int pdf = static_cast<int>(listaImpresoras().size()) - 1;
        Modulo::EscribirImpresoras(pdf, pdf);
    }
    QString pdf() const { return entorno.raiz() + u"/salida.pdf"_s; }
};

// Pages of a PDF as pdftotext reads them back, blanks folded.
QStringList paginasPdf(const QString& ruta) {
    QProcess proceso;
    proceso.start(u"pdftotext"_s, {u"-layout"_s, ruta, u"-"_s});
    if (!proceso.waitForFinished(60000) || proceso.exitCode() != 0) return {};
    QStringList paginas = QString::fromUtf8(proceso.readAllStandardOutput()).split(u'\f');
    if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty()) paginas.removeLast();
    for (QString& p : paginas)
        p = p.simplified();
    return paginas;
}

void pulsar(QWidget* ventana, const char* boton) {
    auto* b = ventana->findChild<QAbstractButton*>(QLatin1StringView(boton));
    QVERIFY(b);
    b->click();
}

QListWidget* elegir(frmInforme& ventana, const QString& informe) {
    auto* lista = ventana.findChild<QListWidget*>(u"lstInforme"_s);
    lista->setCurrentItem(lista->findItems(informe, Qt::MatchExactly).first());
    emit lista->itemClicked(lista->currentItem());
    return lista;
}

// The first document of series B (with withholding) and three lines, positioned on it.
QSqlQuery documentoConRetencion() {
    QSqlQuery doc =
        ejecutar(u"SELECT c.Id, c.Num || c.Ser, c.Ser, c.Fec, c.SubTotal, c.PorIva, c.PorRet,"
                 u" q.Nom, q.DNI, m.Dir, m.CP, m.Pob, m.Des FROM tblCobros c"
                 u" JOIN tblInquilinos q ON q.Id = c.IdInq JOIN tblInmuebles m ON m.Id = c.IdInm"
                 u" WHERE c.PorRet > 0 AND (SELECT COUNT(*) FROM tblCobrosDetalles d"
                 u" WHERE d.IdDoc = c.Id) = 3 ORDER BY c.Id"_s);
    doc.next();
    return doc;
}

// Shows a document preview and prints it through "&PDF"; its one page, or nothing.
QString imprimirDocumento(frmInformeHojaDoc& vista, const QString& pdf, const QSqlQuery& doc) {
    vista.Filtro = u"{tblCobros.Id} ="_s + doc.value(0).toString();
    DialogoArchivo::fijarSiguiente(pdf);
    cuandoAparezca<frmInformeHojaDoc>([](frmInformeHojaDoc* v) {
        pulsar(v, "cmdPDF");
        v->accept();
    });
    vista.exec();
    const QStringList paginas = paginasPdf(pdf);
    return paginas.size() == 1 ? paginas.first() : QString();
}

void contiene(const QString& texto, const QStringList& esperado) {
    for (const QString& e : esperado)
        QVERIFY2(texto.contains(e), qPrintable(e + u" no está en: "_s + texto));
}

} // namespace

class PruebaInformes : public QObject {
    Q_OBJECT

private slots:
    void facturaConTodoLoQueExigeLaLey();
    void reciboConCadaConceptoYElTotal();
    void listasConTodasLasFilasYCabeceraEnCadaPagina_data();
    void listasConTodasLasFilasYCabeceraEnCadaPagina();
    void erroresDelMotor_data();
    void erroresDelMotor();
    void imprimirSinInformeOEnImpresoraInexistente();
    void hojaPasaLoQueMuestra();
    void formulaDeSeleccion();
};

void PruebaInformes::facturaConTodoLoQueExigeLaLey() {
    Demo demo;
    frmInformeHojaDoc vista;
    vista.Tipo = u"Factura"_s;
    vista.Obs = u"Pago <urgente> & sin demora"_s;
    const QSqlQuery doc = documentoConRetencion();
    QVERIFY(doc.isValid());
    const double porIva = doc.value(5).toDouble(), porRet = doc.value(6).toDouble();
    const Totales t = calcularTotales(doc.value(4).toDouble(), porRet, porIva);
    vista.SubTotal = formatoImporte(t.subtotal);
    vista.Base = formatoImporte(t.base);
    vista.PorIva = formatoSimple(porIva) + u'%';
    vista.IVA = formatoImporte(t.iva);
    vista.PorRet = formatoSimple(porRet) + u'%';
    vista.Ret = formatoImporte(t.retencion);
    vista.Total = formatoImporte(t.total);
    const QString texto = imprimirDocumento(vista, demo.pdf(), doc);
    QVERIFY(!texto.isEmpty());
    QCOMPARE(vista.informe().nombre, u"Factura "_s + doc.value(1).toString());
    QStringList esperado = {u"FACTURA"_s, doc.value(1).toString(),
                            u"Serie "_s + doc.value(2).toString()};
    esperado << formatoFecha(desdeIso(doc.value(3).toString())) << u"Alquileres Miño, S.L."_s
             << u"B15000001"_s << u"Rúa do Franco, 12, 1º"_s << u"Santiago de Compostela"_s;
    esperado << vista.Base << vista.PorIva << vista.IVA << vista.PorRet << vista.Ret
             << vista.Total + u" €"_s << vista.Obs;
    for (int i = 7; i <= 11; ++i)
        esperado << doc.value(i).toString();
    QSqlQuery lineas = ejecutar(u"SELECT DesCon, Und, Pre FROM tblCobrosDetalles WHERE IdDoc = ?"_s,
                                {doc.value(0)});
    while (lineas.next()) {
        const double und = lineas.value(1).toDouble(), pre = lineas.value(2).toDouble();
        esperado << u"%1 %2 %3 € %4"_s.arg(lineas.value(0).toString(), formatoUnidades(und),
                                           formatoImporte(pre), formatoImporte(und * pre));
    }
    contiene(texto, esperado);
}

void PruebaInformes::reciboConCadaConceptoYElTotal() {
    Demo demo;
    frmInformeHojaDoc vista;
    vista.Tipo = u"Recibo"_s;
    vista.Total = u"1.234,56"_s;
    const QSqlQuery doc = documentoConRetencion();
    const QString texto = imprimirDocumento(vista, demo.pdf(), doc);
    QVERIFY(!texto.isEmpty());
    const QDate fecha = desdeIso(doc.value(3).toString());
    QStringList esperado = {u"RECIBO"_s, doc.value(1).toString(), doc.value(7).toString()};
    esperado << doc.value(12).toString() << u"Alquileres Miño, S.L."_s << u"TOTAL 1.234,56 €"_s
             << QLocale(QLocale::Spanish).standaloneMonthName(fecha.month()) +
                    u" de %1"_s.arg(fecha.year());
    QSqlQuery lineas = ejecutar(
        u"SELECT DesCon, Und * Pre FROM tblCobrosDetalles WHERE IdDoc = ?"_s, {doc.value(0)});
    while (lineas.next())
        esperado << lineas.value(0).toString()
                 << formatoImporte(lineas.value(1).toDouble()) + u" €"_s;
    contiene(texto, esperado);
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina_data() {
    QTest::addColumn<QString>("cabecera");
    QTest::addColumn<QString>("sql");
    QTest::newRow("Inmuebles") << u"Descripción|Dirección|Precio"_s
                               << u"SELECT Des FROM tblInmuebles"_s;
    QTest::newRow("Inquilinos") << u"Nombre|D.N.I.|Móvil"_s << u"SELECT DNI FROM tblInquilinos"_s;
    QTest::newRow("Recibos") << u"Fecha|Inmueble|TOTAL"_s << u"SELECT Num || Ser FROM tblCobros"_s;
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina() {
    QFETCH(QString, cabecera);
    QFETCH(QString, sql);
    // Enough properties and tenants for every list to run over several pages.
    TamanoDemo tamano;
    tamano.inmuebles = 80;
    tamano.inquilinos = 80;
    Demo demo(tamano);
    frmInforme ventana;
    ventana.show();
    elegir(ventana, QString::fromUtf8(QTest::currentDataTag()));
    QCOMPARE(Mensaje::textos(), QStringList());
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdPDF");
    const QStringList paginas = paginasPdf(demo.pdf());
    QVERIFY2(paginas.size() > 1, qPrintable(QString::number(paginas.size())));

    for (int i = 0; i < paginas.size(); ++i) {
        // The last page may hold only the sums that follow the table.
        for (const QString& titulo : cabecera.split(u'|'))
            QVERIFY2(paginas[i].contains(titulo) || i == paginas.size() - 1,
                     qPrintable(u"página %1"_s.arg(i + 1)));
        QVERIFY(paginas[i].contains(u"Página %1 de %2"_s.arg(i + 1).arg(paginas.size())));
    }
    const QString todo = paginas.join(u'\n');
    QVERIFY(todo.contains(u"Torvane"_s) &&
            todo.contains(QString::fromUtf8(QTest::currentDataTag())));
    QSqlQuery q = ejecutar(sql);
    int filas = 0;
    for (; q.next(); ++filas) {
        const QRegularExpression palabra(
            u"(^|\\s)"_s + QRegularExpression::escape(q.value(0).toString()) + u"(\\s|$)"_s);
        QVERIFY2(todo.contains(palabra), qPrintable(q.value(0).toString()));
    }
    QVERIFY(filas >= 80);
}

void PruebaInformes::erroresDelMotor_data() {
    QTest::addColumn<QString>("plantilla");
    QTest::addColumn<QByteArray>("contenido"); // empty: the template is removed
    QTest::addColumn<QString>("filtro");       // empty: a list, from the reports window
    QTest::addColumn<QString>("mensaje");
    const QString falta =
        u"El archivo de reporte no se encuentra, restáurelo de los discos de instalación"_s;
    const QString uno = u"{tblCobros.Id} =1"_s;
    QTest::newRow("recibo sin plantilla") << u"Recibo"_s << QByteArray() << uno << falta;
    QTest::newRow("factura con etiqueta rota")
        << u"Factura"_s << QByteArray("<p>{{#lineas}}{{descripcion}}</p>") << uno
        << u"La plantilla Factura.rpt tiene un error: "_s;
    QTest::newRow("fórmula que no es de documento")
        << u"Factura"_s << QByteArray("<p>{{pTotal}}</p>") << u"{tblCobros.Fec} = 1"_s
        << u"La fórmula de selección"_s;
    QTest::newRow("documento inexistente")
        << u"Recibo"_s << QByteArray("<p>{{pTotal}}</p>") << u"{tblCobros.Id} =99999"_s
        << u"No existe el documento 99999"_s;
    QTest::newRow("lista sin plantilla") << u"Inquilinos"_s << QByteArray() << QString() << falta;
    QTest::newRow("lista con etiqueta rota")
        << u"Recibos"_s << QByteArray("{{#filas}}{{/fila}}") << QString()
        << u"La plantilla Recibos.rpt tiene un error: "_s;
}

void PruebaInformes::erroresDelMotor() {
    QFETCH(QString, plantilla);
    QFETCH(QByteArray, contenido);
    QFETCH(QString, filtro);
    QFETCH(QString, mensaje);
    Demo demo;
    QFile archivo(demo.carpeta + u"/Informes/"_s + plantilla + u".rpt"_s);
    if (contenido.isEmpty()) {
        QVERIFY(archivo.remove());
    } else {
        QVERIFY(archivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        archivo.write(contenido);
        archivo.close();
    }
    if (filtro.isEmpty()) {
        frmInforme ventana;
        ventana.show();
        elegir(ventana, plantilla);
        QVERIFY(ventana.informe().html.isEmpty());
    } else {
        frmInformeHojaDoc vista;
        vista.Tipo = plantilla;
        vista.Filtro = filtro;
        QCOMPARE(vista.exec(), int(QDialog::Rejected));
        QVERIFY(!vista.isVisible());
    }
    const QList<Mensaje::Registro> mensajes = Mensaje::historial();
    QCOMPARE(mensajes.size(), 1);
    QVERIFY2(mensajes.first().texto.startsWith(mensaje), qPrintable(mensajes.first().texto));
    QCOMPARE(mensajes.first().icono, Mensaje::Icono::Critico);
}

void PruebaInformes::imprimirSinInformeOEnImpresoraInexistente() {
    Demo demo;
    {
        frmInformeHojaDoc vista;
        vista.Tipo = u"Albarán"_s; // no template of its own: nothing is shown
        cuandoAparezca<frmInformeHojaDoc>([](frmInformeHojaDoc* v) {
            pulsar(v, "cmdImpresora");
            pulsar(v, "cmdPDF");
            v->accept();
        });
        vista.exec();
        frmInforme ventana;
        ventana.show();
        pulsar(&ventana, "cmdImpresora");
        pulsar(&ventana, "cmdPDF");
    }
    QCOMPARE(Mensaje::textos(),
             QStringList({u"Seleccione un informe"_s, u"Selecciones un informe"_s,
                          u"Seleccione un informe"_s, u"Selecciones un informe"_s}));

    // A position the configuration kept from another machine, or -1 for "none chosen".
    Mensaje::limpiarHistorial();
    Modulo::EscribirImpresoras(-1, static_cast<int>(listaImpresoras().size()));
    frmInforme ventana;
    ventana.show();
    elegir(ventana, u"Inmuebles"_s);
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdImpresora");
    pulsar(&ventana, "cmdPDF");
    QCOMPARE(Mensaje::textos().size(), 2);
    for (const QString& texto : Mensaje::textos())
        QVERIFY2(texto.contains(u"no existe"_s), qPrintable(texto));
    QVERIFY(!QFile::exists(demo.pdf()));
    DialogoArchivo::fijarSiguiente({});

    // No imp.ini: the first printer of the list.
    QFile::remove(Modulo::CarpetaPrograma() + u"/imp.ini"_s);
    QCOMPARE(posicionImpresora(false), 0);
    QCOMPARE(posicionImpresora(true), 0);
    QCOMPARE(listaImpresoras().last(), u"Archivo PDF"_s);
}

void PruebaInformes::hojaPasaLoQueMuestra() {
    Entorno e;
    QDir().mkpath(Modulo::Ruta + u"/Informes"_s);
    for (const QString& nombre : QDir(u":/informes"_s).entryList())
        QFile::copy(u":/informes/"_s + nombre, Modulo::Ruta + u"/Informes/"_s + nombre);
    e.tipoIva(1, 21);
    e.serie(u"A"_s);
    const int id = e.documento(7, u"A"_s, QDate(2024, 3, 1));
    e.linea(id, 1, 2, 100);
    e.linea(id, 2, 1, 50);
    frmCobrosHoja hoja;
    hoja.Estado = 1;
    hoja.Id = id;
    hoja.show();
    hoja.findChild<QLineEdit*>(u"txtPorIva"_s)->setText(u"21"_s);
    auto* ret = hoja.findChild<QLineEdit*>(u"txtRet"_s);
    ret->setText(u"15"_s);
    pulsarEnter(ret);
    hoja.findChild<QLineEdit*>(u"txtObs"_s)->setText(u"Nota"_s);
    // A changed date: the receipt saves it first, the invoice saves nothing.
    hoja.findChild<QLineEdit*>(u"mskFecha"_s)->setText(u"02/04/2024"_s);

    QStringList recibido;
    const auto anotar = [&recibido](frmInformeHojaDoc* v) {
        recibido = {v->Tipo, v->Filtro, v->SubTotal, v->Base,  v->PorIva,
                    v->IVA,  v->PorRet, v->Ret,      v->Total, v->Obs};
        v->accept();
    };
    cuandoAparezca<frmInformeHojaDoc>(anotar);
    pulsar(&hoja, "cmdImprimirFactura");
    const QString filtro = u"{tblCobros.Id} =%1"_s.arg(id);
    QCOMPARE(recibido.join(u'|'),
             u"Factura|"_s + filtro + u"|250,00|250,00|21%|52,50|15%|37,50|265,00|Nota"_s);
    QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Fec = '2024-03-01'"_s), 1);

    cuandoAparezca<frmInformeHojaDoc>(anotar);
    pulsar(&hoja, "cmdImprimirRecibo");
    QCOMPARE(recibido.join(u'|'), u"Recibo|"_s + filtro + u"|||||||265,00|"_s);
    QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Fec = '2024-04-02' AND Tot = 265"_s), 1);
}

void PruebaInformes::formulaDeSeleccion() {
    QCOMPARE(leerFormulaSeleccion(u"{tblCobros.Id} =57"_s).value_or(-1), 57);
    QCOMPARE(leerFormulaSeleccion(u" {tblCobros.Id}  =  8 "_s).value_or(-1), 8);
    // Anything else is refused, never passed on to the query.
    for (const QString& mala : {u"{tblCobros.Num} =57"_s, u"{tblCobros.Id} ="_s,
                                u"{tblCobros.Id} =5 OR 1=1"_s, u"{tblCobros.Id} =-5"_s})
        QVERIFY2(!leerFormulaSeleccion(mala), qPrintable(mala));
}

TORVANE_TEST_MAIN(PruebaInformes)
#include "tst_informes.moc"
