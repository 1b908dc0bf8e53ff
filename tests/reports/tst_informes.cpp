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

namespace {

// A demo year of its own, open as the working year.
struct Demo {
    Entorno entorno;
    QString carpeta = entorno.raiz() + QStringLiteral("/demo");

    explicit Demo(const TamanoDemo& tamano = {}) {
        const QString error = crearDemo(carpeta, QStringLiteral("2024"), tamano);
        if (!error.isEmpty()) qFatal("%s", qPrintable(error));
        Modulo::Ruta = carpeta;
        Modulo::RutaBD = carpeta + QStringLiteral("/2024/Zudivoz.mdb");
        abrirBaseDatos(Modulo::RutaBD);
        // Both choices on "Archivo PDF", wherever the machine's printers put it.
        const int pdf = static_cast<int>(listaImpresoras().size()) - 1;
        Modulo::EscribirImpresoras(pdf, pdf);
    }

    QString plantilla(const QString& nombre) const {
        return carpeta + QStringLiteral("/Informes/") + nombre + QStringLiteral(".rpt");
    }
    QString pdf() const { return entorno.raiz() + QStringLiteral("/salida.pdf"); }
};

// Pages of a PDF as pdftotext reads them back.
QStringList paginasPdf(const QString& ruta) {
    QProcess proceso;
    proceso.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), ruta, QStringLiteral("-")});
    if (!proceso.waitForFinished(60000) || proceso.exitCode() != 0) return {};
    QStringList paginas =
        QString::fromUtf8(proceso.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty()) paginas.removeLast();
    return paginas;
}

void pulsar(QWidget* ventana, const char* boton) {
    auto* b = ventana->findChild<QAbstractButton*>(QLatin1StringView(boton));
    QVERIFY(b);
    b->click();
}

// Shows a document preview and prints it to a PDF through "&PDF"; the preview's pages.
QStringList imprimirDocumento(frmInformeHojaDoc& vista, const QString& pdf) {
    DialogoArchivo::fijarSiguiente(pdf);
    cuandoAparezca<frmInformeHojaDoc>([](frmInformeHojaDoc* v) {
        pulsar(v, "cmdPDF");
        v->accept();
    });
    vista.exec();
    return paginasPdf(pdf);
}

QString sinBlancos(QString texto) {
    return texto.simplified();
}

struct DocumentoPrueba {
    int id = 0;
    QString numero, serie, fecha;
    double subtotal = 0, porIva = 0, porRet = 0;
};

// A document of series B (with withholding) and three lines.
DocumentoPrueba documentoConRetencion() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT c.Id, c.Num, c.Ser, c.Fec, c.SubTotal, c.PorIva, c.PorRet FROM tblCobros c"
        " WHERE c.PorRet > 0 AND (SELECT COUNT(*) FROM tblCobrosDetalles d WHERE d.IdDoc = c.Id) = "
        "3"
        " ORDER BY c.Id"));
    if (!q.next()) return {};
    return {q.value(0).toInt(),    q.value(1).toString() + q.value(2).toString(),
            q.value(2).toString(), formatoFecha(desdeIso(q.value(3).toString())),
            q.value(4).toDouble(), q.value(5).toDouble(),
            q.value(6).toDouble()};
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
    void formulaDeSeleccion_data();
    void formulaDeSeleccion();
};

void PruebaInformes::facturaConTodoLoQueExigeLaLey() {
    Demo demo;
    const DocumentoPrueba doc = documentoConRetencion();
    QVERIFY(doc.id > 0);
    const Totales t = calcularTotales(doc.subtotal, doc.porRet, doc.porIva);

    frmInformeHojaDoc vista;
    vista.Tipo = QStringLiteral("Factura");
    vista.Filtro = QStringLiteral("{tblCobros.Id} =") + QString::number(doc.id);
    vista.SubTotal = formatoImporte(t.subtotal);
    vista.Base = formatoImporte(t.base);
    vista.PorIva = formatoSimple(doc.porIva) + QLatin1Char('%');
    vista.IVA = formatoImporte(t.iva);
    vista.PorRet = formatoSimple(doc.porRet) + QLatin1Char('%');
    vista.Ret = formatoImporte(t.retencion);
    vista.Total = formatoImporte(t.total);
    vista.Obs = QStringLiteral("Pago <urgente> & sin demora");
    const QStringList paginas = imprimirDocumento(vista, demo.pdf());
    QCOMPARE(paginas.size(), 1);
    QCOMPARE(vista.informe().nombre, QStringLiteral("Factura ") + doc.numero);
    const QString texto = sinBlancos(paginas.first());

    QStringList esperado = {QStringLiteral("FACTURA"),
                            doc.numero,
                            doc.fecha,
                            QStringLiteral("Alquileres Miño, S.L."),
                            QStringLiteral("B15000001"),
                            QStringLiteral("Rúa do Franco, 12, 1º"),
                            QStringLiteral("Santiago de Compostela"),
                            vista.Base,
                            vista.PorIva,
                            vista.IVA,
                            vista.PorRet,
                            vista.Ret,
                            vista.Total + QStringLiteral(" €"),
                            vista.Obs};
    QSqlQuery parte =
        ejecutar(QStringLiteral(
                     "SELECT q.Nom, q.DNI, m.Dir, m.CP, m.Pob FROM tblCobros c"
                     " JOIN tblInquilinos q ON q.Id = c.IdInq JOIN tblInmuebles m ON m.Id = c.IdInm"
                     " WHERE c.Id = ?"),
                 {doc.id});
    QVERIFY(parte.next());
    for (int i = 0; i < 5; ++i)
        esperado << parte.value(i).toString();
    QSqlQuery lineas = ejecutar(
        QStringLiteral("SELECT DesCon, Und, Pre FROM tblCobrosDetalles WHERE IdDoc = ?"), {doc.id});
    while (lineas.next()) {
        const double und = lineas.value(1).toDouble(), pre = lineas.value(2).toDouble();
        esperado << lineas.value(0).toString() + QLatin1Char(' ') + formatoUnidades(und) +
                        QLatin1Char(' ') + formatoImporte(pre) + QStringLiteral(" € ") +
                        formatoImporte(und * pre);
    }
    esperado << QStringLiteral("Serie ") + doc.serie;
    for (const QString& e : esperado)
        QVERIFY2(texto.contains(e), qPrintable(e + QStringLiteral(" no está en: ") + texto));
}

void PruebaInformes::reciboConCadaConceptoYElTotal() {
    Demo demo;
    const DocumentoPrueba doc = documentoConRetencion();
    frmInformeHojaDoc vista;
    vista.Tipo = QStringLiteral("Recibo");
    vista.Filtro = QStringLiteral("{tblCobros.Id} =") + QString::number(doc.id);
    vista.Total = QStringLiteral("1.234,56");
    const QStringList paginas = imprimirDocumento(vista, demo.pdf());
    QCOMPARE(paginas.size(), 1);
    const QString texto = sinBlancos(paginas.first());

    QSqlQuery q = ejecutar(QStringLiteral("SELECT q.Nom, m.Des, c.Fec FROM tblCobros c"
                                          " JOIN tblInquilinos q ON q.Id = c.IdInq"
                                          " JOIN tblInmuebles m ON m.Id = c.IdInm WHERE c.Id = ?"),
                           {doc.id});
    QVERIFY(q.next());
    const QDate fecha = desdeIso(q.value(2).toString());
    QStringList esperado = {QStringLiteral("RECIBO"),
                            doc.numero,
                            q.value(0).toString(),
                            q.value(1).toString(),
                            QStringLiteral("Alquileres Miño, S.L."),
                            QLocale(QLocale::Spanish).standaloneMonthName(fecha.month()) +
                                QStringLiteral(" de %1").arg(fecha.year()),
                            QStringLiteral("TOTAL 1.234,56 €")};
    QSqlQuery lineas =
        ejecutar(QStringLiteral("SELECT DesCon, Und * Pre FROM tblCobrosDetalles WHERE IdDoc = ?"),
                 {doc.id});
    while (lineas.next())
        esperado << lineas.value(0).toString()
                 << formatoImporte(lineas.value(1).toDouble()) + QStringLiteral(" €");
    for (const QString& e : esperado)
        QVERIFY2(texto.contains(e), qPrintable(e + QStringLiteral(" no está en: ") + texto));
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina_data() {
    QTest::addColumn<int>("fila");
    QTest::addColumn<QString>("cabecera");
    QTest::addColumn<QString>("sql");
    QTest::newRow("Inmuebles") << 0 << QStringLiteral("Descripción|Dirección|Precio")
                               << QStringLiteral("SELECT Des FROM tblInmuebles");
    QTest::newRow("Inquilinos") << 1 << QStringLiteral("Nombre|D.N.I.|Móvil")
                                << QStringLiteral("SELECT DNI FROM tblInquilinos");
    QTest::newRow("Recibos") << 2 << QStringLiteral("Fecha|Inmueble|TOTAL")
                             << QStringLiteral("SELECT Num || Ser FROM tblCobros");
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina() {
    QFETCH(int, fila);
    QFETCH(QString, cabecera);
    QFETCH(QString, sql);
    // Enough properties and tenants for every list to run over several pages.
    TamanoDemo tamano;
    tamano.inmuebles = 80;
    tamano.inquilinos = 80;
    Demo demo(tamano);
    frmInforme ventana;
    ventana.show();
    auto* lista = ventana.findChild<QListWidget*>(QStringLiteral("lstInforme"));
    lista->setCurrentRow(fila);
    emit lista->itemClicked(lista->currentItem());
    QCOMPARE(Mensaje::textos(), QStringList());
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdPDF");
    const QStringList paginas = paginasPdf(demo.pdf());
    QVERIFY2(paginas.size() > 1, qPrintable(QString::number(paginas.size())));

    const QString titulo = lista->currentItem()->text();
    for (int i = 0; i < paginas.size(); ++i) {
        const QString pagina = sinBlancos(paginas[i]);
        // The last page may hold only the sums that follow the table.
        for (const QString& titulo : cabecera.split(QLatin1Char('|')))
            QVERIFY2(pagina.contains(titulo) || i == paginas.size() - 1,
                     qPrintable(QStringLiteral("página %1").arg(i + 1)));
        QVERIFY(pagina.contains(QStringLiteral("Página %1 de %2").arg(i + 1).arg(paginas.size())));
    }
    const QString todo = paginas.join(QLatin1Char('\n'));
    QVERIFY(todo.contains(QStringLiteral("Torvane")));
    QVERIFY(todo.contains(titulo));
    QSqlQuery q = ejecutar(sql);
    int filas = 0;
    while (q.next()) {
        ++filas;
        const QRegularExpression palabra(QStringLiteral("(^|\\s)") +
                                         QRegularExpression::escape(q.value(0).toString()) +
                                         QStringLiteral("(\\s|$)"));
        QVERIFY2(todo.contains(palabra), qPrintable(q.value(0).toString()));
    }
    QVERIFY(filas >= 80);
}

void PruebaInformes::erroresDelMotor_data() {
    QTest::addColumn<QString>("plantilla");
    QTest::addColumn<QByteArray>("contenido"); // empty: the template is removed
    QTest::addColumn<QString>("filtro");
    QTest::addColumn<QString>("mensaje");
    QTest::newRow("recibo sin plantilla")
        << QStringLiteral("Recibo") << QByteArray() << QStringLiteral("{tblCobros.Id} =1")
        << kPlantillaNoEncontrada;
    QTest::newRow("factura con etiqueta rota")
        << QStringLiteral("Factura") << QByteArray("<p>{{#lineas}}{{descripcion}}</p>")
        << QStringLiteral("{tblCobros.Id} =1")
        << QStringLiteral("La plantilla Factura.rpt tiene un error: ");
    QTest::newRow("fórmula que no es de documento")
        << QStringLiteral("Factura") << QByteArray("<p>{{pTotal}}</p>")
        << QStringLiteral("{tblCobros.Fec} = 1") << QStringLiteral("La fórmula de selección");
    QTest::newRow("documento inexistente")
        << QStringLiteral("Recibo") << QByteArray("<p>{{pTotal}}</p>")
        << QStringLiteral("{tblCobros.Id} =99999")
        << QStringLiteral("No existe el documento 99999");
    QTest::newRow("lista sin plantilla")
        << QStringLiteral("Inquilinos") << QByteArray() << QString() << kPlantillaNoEncontrada;
    QTest::newRow("lista con etiqueta rota")
        << QStringLiteral("Recibos") << QByteArray("{{#filas}}{{/fila}}") << QString()
        << QStringLiteral("La plantilla Recibos.rpt tiene un error: ");
}

void PruebaInformes::erroresDelMotor() {
    QFETCH(QString, plantilla);
    QFETCH(QByteArray, contenido);
    QFETCH(QString, filtro);
    QFETCH(QString, mensaje);
    Demo demo;
    QFile archivo(demo.plantilla(plantilla));
    if (contenido.isEmpty()) {
        QVERIFY(archivo.remove());
    } else {
        QVERIFY(archivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        archivo.write(contenido);
        archivo.close();
    }

    bool visible = false;
    if (filtro.isEmpty()) {
        frmInforme ventana;
        ventana.show();
        auto* lista = ventana.findChild<QListWidget*>(QStringLiteral("lstInforme"));
        lista->setCurrentItem(lista->findItems(plantilla, Qt::MatchExactly).first());
        emit lista->itemClicked(lista->currentItem());
        visible = ventana.isVisible();
        QVERIFY(ventana.informe().html.isEmpty());
    } else {
        frmInformeHojaDoc vista;
        vista.Tipo = plantilla;
        vista.Filtro = filtro;
        QCOMPARE(vista.exec(), int(QDialog::Rejected));
        visible = vista.isVisible();
    }
    QVERIFY(!visible);
    const QList<Mensaje::Registro> mensajes = Mensaje::historial();
    QCOMPARE(mensajes.size(), 1);
    QVERIFY2(mensajes.first().texto.startsWith(mensaje), qPrintable(mensajes.first().texto));
    QCOMPARE(mensajes.first().icono, Mensaje::Icono::Critico);
}

void PruebaInformes::imprimirSinInformeOEnImpresoraInexistente() {
    Demo demo;
    {
        frmInformeHojaDoc vista;
        vista.Tipo = QStringLiteral("Albarán"); // no template of its own: nothing is shown
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
    QCOMPARE(Mensaje::textos(), QStringList({QStringLiteral("Seleccione un informe"),
                                             QStringLiteral("Selecciones un informe"),
                                             QStringLiteral("Seleccione un informe"),
                                             QStringLiteral("Selecciones un informe")}));

    // A position the configuration kept from another machine, or -1 for "none chosen".
    Mensaje::limpiarHistorial();
    Modulo::EscribirImpresoras(-1, static_cast<int>(listaImpresoras().size()));
    frmInforme ventana;
    ventana.show();
    auto* lista = ventana.findChild<QListWidget*>(QStringLiteral("lstInforme"));
    lista->setCurrentRow(0);
    emit lista->itemClicked(lista->currentItem());
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdImpresora");
    pulsar(&ventana, "cmdPDF");
    QCOMPARE(Mensaje::textos().size(), 2);
    for (const QString& texto : Mensaje::textos())
        QVERIFY2(texto.contains(QStringLiteral("no existe")), qPrintable(texto));
    QVERIFY(!QFile::exists(demo.pdf()));
    DialogoArchivo::fijarSiguiente({});

    // No imp.ini: the first printer of the list.
    QFile::remove(Modulo::CarpetaPrograma() + QStringLiteral("/imp.ini"));
    QCOMPARE(posicionImpresora(false), 0);
    QCOMPARE(posicionImpresora(true), 0);
    QCOMPARE(listaImpresoras().last(), kArchivoPdf);
}

void PruebaInformes::hojaPasaLoQueMuestra() {
    Entorno e;
    QDir().mkpath(Modulo::Ruta + QStringLiteral("/Informes"));
    for (const QString& nombre : QDir(QStringLiteral(":/informes")).entryList())
        QFile::copy(QStringLiteral(":/informes/") + nombre,
                    Modulo::Ruta + QStringLiteral("/Informes/") + nombre);
    e.tipoIva(1, 21);
    e.serie(QStringLiteral("A"));
    const int id = e.documento(7, QStringLiteral("A"), QDate(2024, 3, 1));
    e.linea(id, 1, 2, 100);
    e.linea(id, 2, 1, 50);
    frmCobrosHoja hoja;
    hoja.Estado = 1;
    hoja.Id = id;
    hoja.show();
    hoja.findChild<QLineEdit*>(QStringLiteral("txtPorIva"))->setText(QStringLiteral("21"));
    auto* ret = hoja.findChild<QLineEdit*>(QStringLiteral("txtRet"));
    ret->setText(QStringLiteral("15"));
    pulsarEnter(ret);
    hoja.findChild<QLineEdit*>(QStringLiteral("txtObs"))->setText(QStringLiteral("Nota"));
    // A changed date: the receipt saves it first, the invoice saves nothing.
    hoja.findChild<QLineEdit*>(QStringLiteral("mskFecha"))->setText(QStringLiteral("02/04/2024"));

    QStringList recibido;
    const auto anotar = [&recibido](frmInformeHojaDoc* v) {
        recibido = {v->Tipo, v->Filtro, v->SubTotal, v->Base,  v->PorIva,
                    v->IVA,  v->PorRet, v->Ret,      v->Total, v->Obs};
        v->accept();
    };
    cuandoAparezca<frmInformeHojaDoc>(anotar);
    pulsar(&hoja, "cmdImprimirFactura");
    const QString filtro = QStringLiteral("{tblCobros.Id} =%1").arg(id);
    QCOMPARE(recibido,
             QStringList({QStringLiteral("Factura"), filtro, QStringLiteral("250,00"),
                          QStringLiteral("250,00"), QStringLiteral("21%"), QStringLiteral("52,50"),
                          QStringLiteral("15%"), QStringLiteral("37,50"), QStringLiteral("265,00"),
                          QStringLiteral("Nota")}));
    QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"), QStringLiteral("Fec = '2024-03-01'")), 1);

    cuandoAparezca<frmInformeHojaDoc>(anotar);
    pulsar(&hoja, "cmdImprimirRecibo");
    QCOMPARE(recibido, QStringList({QStringLiteral("Recibo"),
                                    filtro,
                                    {},
                                    {},
                                    {},
                                    {},
                                    {},
                                    {},
                                    QStringLiteral("265,00"),
                                    {}}));
    QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"),
                             QStringLiteral("Fec = '2024-04-02' AND Tot = 265")),
             1);
}

void PruebaInformes::formulaDeSeleccion_data() {
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("id"); // -1: not a selection formula
    QTest::newRow("como la escribe la hoja") << QStringLiteral("{tblCobros.Id} =57") << 57;
    QTest::newRow("con blancos") << QStringLiteral(" {tblCobros.Id}  =  8 ") << 8;
    QTest::newRow("otro campo") << QStringLiteral("{tblCobros.Num} =57") << -1;
    QTest::newRow("sin número") << QStringLiteral("{tblCobros.Id} =") << -1;
    QTest::newRow("más condiciones") << QStringLiteral("{tblCobros.Id} =5 OR 1=1") << -1;
    QTest::newRow("negativo") << QStringLiteral("{tblCobros.Id} =-5") << -1;
}

void PruebaInformes::formulaDeSeleccion() {
    QFETCH(QString, formula);
    QFETCH(int, id);
    const std::optional<int> leido = leerFormulaSeleccion(formula);
    QCOMPARE(leido.value_or(-1), id);
}

TORVANE_TEST_MAIN(PruebaInformes)
#include "tst_informes.moc"
