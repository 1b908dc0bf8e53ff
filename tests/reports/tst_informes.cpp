#include "support/Abrir.h"
#include "support/Entorno.h"

#include "collections/frmCobrosHoja.h"
#include "core/demo/Demo.h"
#include "core/documents/Totales.h"
#include "core/reports/DatosInforme.h"
#include "core/reports/Plantilla.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "reports/Impresoras.h"
#include "reports/MotorInforme.h"
#include "reports/PdfEnTramos.h"
#include "reports/VisorPaginas.h"
#include "reports/frmInforme.h"
#include "reports/frmInformeHojaDoc.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <kainjow/mustache.hpp>
#include <numeric>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

// A demo year of its own, open as the working year.
struct Demo {
    Entorno entorno;
    QString carpeta = entorno.raiz() + u"/demo"_s;

    explicit Demo(const TamanoDemo& tamano = {}) { entorno.abrirDemo(tamano); }
    QString pdf() const { return entorno.raiz() + u"/salida.pdf"_s; }
};

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

// The first document matching condicion (over c, q and m), its parties and their addresses.
QSqlQuery documentoDonde(const QString& condicion) {
    QSqlQuery doc = ejecutar(
        u"SELECT c.Id, c.Num || c.Ser, c.Ser, c.Fec, c.PorIva, c.PorRet, q.Nom, q.DNI, m.Des,"
        u" COALESCE(q.Dir, m.Dir), COALESCE(q.CP, m.CP), COALESCE(q.Pob, m.Pob),"
        u" COALESCE(q.Pro, m.Pro) FROM tblCobros c JOIN tblInquilinos q ON q.Id = c.IdInq"
        u" JOIN tblInmuebles m ON m.Id = c.IdInm WHERE "_s +
        condicion + u" ORDER BY c.Id"_s);
    doc.next();
    return doc;
}

VisorPaginas* visor(QWidget& ventana) {
    return ventana.findChild<VisorPaginas*>(u"CRViewer"_s);
}

// Opens document id in its sheet, writes obs and prints it as tipo through the preview's "&PDF";
// the report's name, and its pages as pdftotext reads them once the preview showed as many.
QStringList imprimirDesdeHoja(const QString& tipo, int id, const QString& obs, const QString& pdf,
                              QString& nombre) {
    frmCobrosHoja hoja(sesion(), ventanas(), id);
    hoja.show();
    hoja.findChild<QLineEdit*>(u"txtObs"_s)->setText(obs);
    DialogoArchivo::fijarSiguiente(pdf);
    int enVista = 0;
    cuandoAparezca<frmInformeHojaDoc>([&](frmInformeHojaDoc* v) {
        enVista = visor(*v)->totalPaginas();
        nombre = v->informe().nombre;
        pulsar(v, "cmdPDF");
        v->accept();
    });
    pulsar(&hoja, tipo == u"Factura"_s ? "cmdImprimirFactura" : "cmdImprimirRecibo");
    const QStringList paginas = paginasPdf(pdf);
    return enVista == paginas.size() ? paginas : QStringList{};
}

void copiarPlantillas() {
    QDir().mkpath(sesion().ruta + u"/Informes"_s);
    for (const QString& nombre : QDir(u":/informes"_s).entryList())
        QFile::copy(u":/informes/"_s + nombre, sesion().ruta + u"/Informes/"_s + nombre);
}

// The Recibos list with n made-up rows (numbered 1Z, 2Z, ...).
InformeGenerado informeRecibos(int n, const QString& inmueble = u"Bajo"_s,
                               const QString& serie = u"Z"_s) {
    InformeGenerado informe =
        abrirInforme(u"Recibos"_s, {{u"pEmpresa"_s, u"Torvane"_s}, {u"pTitulo"_s, u"Recibos"_s}});
    if (!informe.filas) return informe;
    auto filas = std::make_shared<FilasLista>(*informe.filas);
    filas->filas.clear();
    for (int i = 1; i <= n; ++i) {
        const QHash<QString, QString> valores{{u"numero"_s, u"%1%2"_s.arg(i).arg(serie)},
                                              {u"inmueble"_s, inmueble},
                                              {u"fecha"_s, u"01/02/2024"_s},
                                              {u"total"_s, u"1,00"_s}};
        QStringList campos;
        for (const QString& clave : filas->claves)
            campos << valores.value(clave);
        filas->filas << campos.join(FilasLista::kSeparadorCampos);
    }
    informe.filas = filas;
    return informe;
}

// A PDF printer of A4 pages with the reports' margins, writing pdf.
std::unique_ptr<QPrinter> impresoraPdf(const QString& pdf) {
    auto impresora = std::make_unique<QPrinter>(QPrinter::HighResolution);
    impresora->setOutputFormat(QPrinter::PdfFormat);
    impresora->setOutputFileName(pdf);
    prepararImpresora(*impresora);
    return impresora;
}

// informeRecibos() painted to pdf; its pages as read back.
QStringList listaRecibos(const QString& pdf, int n, const QString& inmueble = u"Bajo"_s,
                         const QString& serie = u"Z"_s) {
    const InformeGenerado informe = informeRecibos(n, inmueble, serie);
    if (!informe.filas) return {};
    PaginasInforme paginas(informe);
    if (!paginas.error().isEmpty() || !paginas.pintar(impresoraPdf(pdf).get())) return {};
    return paginasPdf(pdf);
}

// The numbers of series serie read back, in order of appearance.
QList<int> numerosDe(const QStringList& paginas, const QString& serie) {
    static QHash<QString, QRegularExpression> patrones;
    if (!patrones.contains(serie))
        patrones.insert(serie, QRegularExpression(u"(?:^|\\s)(\\d+)"_s + serie + u"(?=\\s|$)"_s));
    QList<int> numeros;
    for (const QString& pagina : paginas)
        for (const QRegularExpressionMatch& m : patrones[serie].globalMatch(pagina))
            numeros << m.captured(1).toInt();
    return numeros;
}

// Every heading and "Página i de m" on every page; the last may hold only the totals.
void comprobarPaginas(const QStringList& paginas, const QStringList& cabecera) {
    QVERIFY(!paginas.isEmpty());
    for (int i = 0; i < paginas.size(); ++i) {
        for (const QString& titulo : cabecera)
            QVERIFY2(paginas[i].contains(titulo) || (i > 0 && i == paginas.size() - 1),
                     qPrintable(u"página %1: "_s.arg(i + 1) + paginas[i]));
        QVERIFY(paginas[i].contains(u"Página %1 de %2"_s.arg(i + 1).arg(paginas.size())));
    }
}

// The Recibos list's pages, with the rows 1 to filas of serie each once, in order.
void comprobarRecibos(const QStringList& paginas, int filas, const QString& serie) {
    comprobarPaginas(paginas, {u"Fecha Nº Inmueble Inquilino Base"_s});
    QList<int> esperados(filas);
    std::iota(esperados.begin(), esperados.end(), 1);
    QCOMPARE(numerosDe(paginas, serie), esperados);
}

void contiene(const QString& texto, const QStringList& esperado) {
    for (const QString& e : esperado)
        QVERIFY2(texto.contains(e), qPrintable(e + u" no está en: "_s + texto));
}

} // namespace

class PruebaInformes : public QObject {
    Q_OBJECT

private slots:
    void documentosQueAceptaHacienda_data();
    void documentosQueAceptaHacienda();
    void listasConTodasLasFilasYCabeceraEnCadaPagina_data();
    void listasConTodasLasFilasYCabeceraEnCadaPagina();
    void listaPintadaFilaAFila();
    void listaConSuTextoDeSiempre();
    void erroresDelMotor_data();
    void erroresDelMotor();
    void limitesDelMotor();
    void imprimirSinInformeOSinServicioDeImpresion();
    void documentosLineaALinea_data();
    void documentosLineaALinea();
    void muchosDocumentosEnTramos();
};

// Every word of a PDF with its page and box, as pdftotext places it.
QStringList palabrasEnSuSitio(const QString& pdf) {
    QProcess texto;
    texto.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    texto.waitForFinished(60000);
    QStringList palabras;
    for (const QString& linea : QString::fromUtf8(texto.readAllStandardOutput()).split(u'\n'))
        if (linea.contains(u"<page"_s) || linea.contains(u"<word"_s)) palabras << linea.trimmed();
    return palabras;
}

// The pages of a PDF as pdftoppm draws them in grey at 150 dots per inch.
QByteArray puntosPdf(const QString& pdf) {
    QProcess dibujo;
    dibujo.start(u"pdftoppm"_s, {u"-gray"_s, u"-r"_s, u"150"_s, pdf});
    dibujo.waitForFinished(60000);
    return dibujo.readAllStandardOutput();
}

void PruebaInformes::documentosQueAceptaHacienda_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("condicion"); // which document of the demo year
    QTest::addColumn<QString>("preparar");  // SQL run first, ? bound to the document's Id
    QTest::addColumn<int>("paginas");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QStringList>("ausente"); // patterns
    const QString exento = u"Operación exenta de IVA (art. 20.Uno.23.º de la Ley 37/1992)"_s;
    const QString piso = u"c.PorIva = 0 AND c.PorRet = 0 AND c.Pag = 1"_s;
    const QString local = u"c.PorIva = 21 AND c.PorRet = 19 AND c.Pag = 0 AND q.Dir IS NOT NULL"_s;
    const QString comun = u"C\\.I\\.F|IVA 0|Retenci|Página|PENDIENTE|pagar"_s;
    QTest::newRow("factura de piso exento, inquilino sin dirección")
        << u"Factura"_s << piso + u" AND q.Dir IS NULL"_s << QString() << 1
        << QStringList{u"Serie A"_s, u"N.I.F.: B15000003"_s, exento} << QStringList{comun};
    QTest::newRow("factura de local con retención, inquilino con dirección")
        << u"Factura"_s << local << QString() << 1
        << QStringList{u"Serie B"_s, u"IVA 21%"_s, u"Retención 19%"_s,
                       u"ES91 2100 0418 4502 0005 1332"_s}
        << QStringList{u"exenta|C\\.I\\.F|IRPF|Página"_s};
    QTest::newRow("factura de 40 líneas a un inquilino sin N.I.F.")
        << u"Factura"_s << piso
        << u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)"
           u" INSERT INTO tblCobrosDetalles (IdDoc, Lin, IdCon, DesCon, Und, Pre, Imp)"
           u" SELECT ?, 10 + i, 2, 'Lectura de agua ' || i, 2, 625, 1250 FROM n;"
           u" UPDATE tblInquilinos SET DNI = NULL"_s
        << 2 << QStringList{u"Lectura de agua 40 2,00 6,25 € 12,50 €"_s, exento}
        << QStringList{u"N\\.I\\.F.*N\\.I\\.F"_s, u"IVA 0|Retenci"_s};
    // Its concepts also in letters the report font lacks: the system's fonts draw them.
    QTest::newRow("recibo de piso exento pagado")
        << u"Recibo"_s << piso
        << u"UPDATE tblCobrosDetalles SET DesCon = 'Renta de Ölçer Ωμέγα ნინო' WHERE IdDoc = ?"_s
        << 1
        << QStringList{u"ha recibido de"_s,
                       u"con N.I.F."_s,
                       exento,
                       u"TOTAL"_s,
                       u"En Santiago de Compostela, a"_s,
                       u"Firma"_s,
                       u"Renta de Ölçer Ωμέγα ნინო"_s}
        << QStringList{comun, u"15705 Santiago de Compostela, a"_s};
    QTest::newRow("recibo de local pendiente")
        << u"Recibo"_s << local << QString() << 1
        << QStringList{u"PENDIENTE DE PAGO"_s, u"Importe a pagar"_s, u"IVA 21 %"_s,
                       u"Retención 19 %"_s, u"Cuenta para el pago: ES91 2100 0418 4502 0005 1332"_s}
        << QStringList{u"ha recibido|exenta|Página"_s};
}

void PruebaInformes::documentosQueAceptaHacienda() {
    QFETCH(QString, tipo);
    QFETCH(QString, condicion);
    QFETCH(QString, preparar);
    QFETCH(int, paginas);
    QFETCH(QStringList, esperado);
    QFETCH(QStringList, ausente);
    Demo demo;
    QSqlQuery doc = documentoDonde(condicion);
    QVERIFY2(doc.isValid(), qPrintable(condicion));
    const int id = doc.value(0).toInt();
    for (const QString& sentencia : preparar.split(u';', Qt::SkipEmptyParts))
        ejecutar(sentencia, sentencia.contains(u'?') ? QVariantList{id} : QVariantList{});
    doc = documentoDonde(u"c.Id = %1"_s.arg(id));

    const Totales t =
        *calcularTotales(importeGuardado(valorUnico(
                             u"SELECT SUM(Imp) FROM tblCobrosDetalles WHERE IdDoc = ?"_s, {id})),
                         decimalGuardado(doc.value(5)), decimalGuardado(doc.value(4)));
    const QString obs = u"Pago <urgente> & sin demora"_s;
    QString nombre;
    const QStringList hojas = imprimirDesdeHoja(tipo, id, obs, demo.pdf(), nombre);
    QCOMPARE(hojas.size(), paginas);
    QCOMPARE(nombre, tipo + u' ' + doc.value(1).toString());
    QCOMPARE(QFile::permissions(demo.pdf()) & kDeOtros, QFile::Permissions());
    for (int i = 0; paginas > 1 && i < paginas; ++i)
        QVERIFY(hojas[i].contains(u"Página %1 de %2"_s.arg(i + 1).arg(paginas)));
    const QString texto = hojas.join(u' ');

    const QDate fecha = desdeIso(doc.value(3).toString());
    esperado << tipo.toUpper() << doc.value(1).toString() << formatoFecha(fecha) << u"Periodo"_s
             << QLocale(QLocale::Spanish).standaloneMonthName(fecha.month()) +
                    u" de %1"_s.arg(fecha.year())
             << u"Alquileres Miño, S.L."_s << u"Rúa do Franco, 12, 1º"_s << doc.value(6).toString()
             << doc.value(7).toString() << doc.value(8).toString() << t.total.texto() + u" €"_s;
    QSqlQuery lineas = ejecutar(
        u"SELECT DesCon, Und, Pre FROM tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin"_s, {id});
    while (lineas.next()) {
        const Decimal und = decimalGuardado(lineas.value(1));
        esperado << lineas.value(0).toString() + u' ' + und.textoDosDecimales()
                 << importeGuardado(lineas.value(2)).por(und)->texto() + u" €"_s;
    }
    if (tipo == u"Factura"_s) {
        // The recipient's address: the tenant's own, or the property's.
        esperado << doc.value(9).toString()
                 << u"%1 %2 (%3)"_s.arg(doc.value(10).toString(), doc.value(11).toString(),
                                        doc.value(12).toString())
                 << u"Base imponible "_s + t.base.texto() << u"TOTAL FACTURA"_s << obs;
        // An exempt invoice shows no VAT nor withholding lines.
        if (t.iva > Importe()) esperado << t.iva.texto() << u"-"_s + t.retencion.texto();
    }
    contiene(texto, esperado);
    // The account number on one line, never with its last group wrapped.
    if (texto.contains(u"ES91"_s))
        contiene(paginasPdf(demo.pdf(), false).join(u' '), {u"ES91 2100 0418 4502 0005 1332"_s});
    for (const QString& patron : ausente)
        QVERIFY2(!texto.contains(QRegularExpression(patron)), qPrintable(patron + u": "_s + texto));

    // Its ruled tables, laid out the quick way, put every word and dot where Qt alone puts them.
    PaginasInforme comoEstan(abrirDocumento(tipo, id));
    comoEstan.rejillasComoEstan();
    const QString referencia = demo.pdf() + u".qt.pdf"_s;
    QVERIFY(comoEstan.pintar(impresoraPdf(referencia).get()));
    QCOMPARE(palabrasEnSuSitio(demo.pdf()), palabrasEnSuSitio(referencia));
    QCOMPARE(puntosPdf(demo.pdf()), puntosPdf(referencia));
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina_data() {
    QTest::addColumn<QString>("cabecera");
    QTest::addColumn<QString>("sql");
    QTest::newRow("Inmuebles") << u"Descripción|Dirección|Precio"_s
                               << u"SELECT Des FROM tblInmuebles"_s;
    QTest::newRow("Inquilinos") << u"Nombre|N.I.F.|Móvil"_s << u"SELECT DNI FROM tblInquilinos"_s;
}

void PruebaInformes::listasConTodasLasFilasYCabeceraEnCadaPagina() {
    QFETCH(QString, cabecera);
    QFETCH(QString, sql);
    // Enough properties and tenants for every list to run over several pages.
    TamanoDemo tamano;
    tamano.inmuebles = 80;
    tamano.inquilinos = 80;
    Demo demo(tamano);
    frmInforme ventana(sesion());
    ventana.show();
    elegir(ventana, QString::fromUtf8(QTest::currentDataTag()));
    QCOMPARE(Mensaje::textos(), QStringList());
    // The preview turns pages with its buttons and keys, and zooms.
    VisorPaginas* vista = visor(ventana);
    const auto pagina = [&] { return ventana.findChild<QLabel*>(u"lblPagina"_s)->text(); };
    QVERIFY2(pagina().startsWith(u"Página 1 de "_s), qPrintable(pagina()));
    pulsar(&ventana, "cmdSiguiente");
    QVERIFY2(pagina().startsWith(u"Página 2 de "_s), qPrintable(pagina()));
    const double zoom = vista->zoom();
    pulsar(&ventana, "cmdAcercar");
    QVERIFY(vista->zoom() > zoom);
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdPDF");
    QCOMPARE(Mensaje::textos(),
             QStringList{u"PDF guardado en "_s + QDir::toNativeSeparators(demo.pdf())});
    const QStringList paginas = paginasPdf(demo.pdf());
    QVERIFY2(paginas.size() > 1, qPrintable(QString::number(paginas.size())));
    QTest::keyClick(vista, Qt::Key_End);
    QCOMPARE(pagina(), u"Página %1 de %1"_s.arg(paginas.size()));
    QTest::keyClick(vista, Qt::Key_PageUp);
    QCOMPARE(pagina(), u"Página %1 de %2"_s.arg(paginas.size() - 1).arg(paginas.size()));

    comprobarPaginas(paginas, cabecera.split(u'|'));
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

void PruebaInformes::listaPintadaFilaAFila() {
    Entorno e;
    copiarPlantillas();
    const QString pdf = e.raiz() + u"/lista.pdf"_s;
    for (int filas : {0, 1}) {
        const QStringList paginas = listaRecibos(pdf, filas);
        QCOMPARE(paginas.size(), 1);
        comprobarRecibos(paginas, filas, u"Z"_s);
    }
    // The longest list that still fits one page with its totals, and one row more.
    int justa = static_cast<int>(numerosDe({listaRecibos(pdf, 200).value(0)}, u"Z"_s).size());
    while (justa > 1 && listaRecibos(pdf, justa).size() > 1)
        --justa;
    QStringList paginas = listaRecibos(pdf, justa);
    QCOMPARE(paginas.size(), 1);
    comprobarRecibos(paginas, justa, u"Z"_s);
    paginas = listaRecibos(pdf, justa + 1);
    QCOMPARE(paginas.size(), 2);
    comprobarRecibos(paginas, justa + 1, u"Z"_s);

    // A property's description wraps inside its column; a number (nowrap) is cut.
    const QString largo = u"Piso tercero izquierda del bloque de la plaza mayor número doce"_s;
    paginas = listaRecibos(pdf, 1, largo, u"SERIEMUYLARGAQUENOCABE"_s);
    QCOMPARE(paginas.size(), 1);
    for (const QString& palabra : largo.split(u' '))
        QVERIFY2(paginas[0].contains(palabra), qPrintable(palabra));
    QVERIFY(paginas[0].contains(QRegularExpression(u"(^|\\s)1S[A-Z]*…"_s)));
    QVERIFY(!paginas[0].contains(u"1SERIEMUYLARGAQUENOCABE"_s));

    // A real year of 3,000 documents: every one once, and the sums of the year.
    auto* azar = QRandomGenerator::global();
    {
        Transaccion t;
        for (int n = 1; n <= 3000; ++n)
            e.documento(n, u"A"_s, QDate(2024, 1, 1).addDays(n / 9), 0, 0,
                        azar->bounded(100000) / 100.0, n % 3 == 0);
        t.confirmar();
    }
    // Printed as soon as it shows, before the rows past its first pages are read: the paper
    // waits for every row.
    frmInforme ventana(sesion());
    ventana.resize(900, 700);
    ventana.show();
    elegir(ventana, u"Recibos"_s);
    DialogoArchivo::fijarSiguiente(pdf);
    pulsar(&ventana, "cmdPDF");
    paginas = paginasPdf(pdf);
    QVERIFY(paginas.size() > 50);
    QCOMPARE(visor(ventana)->totalPaginas(), paginas.size());
    comprobarRecibos(paginas, 3000, u"A"_s);
    const Importe total = importeGuardado(valorUnico(u"SELECT SUM(Tot) FROM tblCobros"_s));
    const Importe pendiente =
        importeGuardado(valorUnico(u"SELECT SUM(Tot) FROM tblCobros WHERE Pag = 0"_s));
    contiene(paginas.last(), {u"Documentos 3000"_s, u"Suma de totales %1 €"_s.arg(total.texto()),
                              u"Pendiente de cobro %1 €"_s.arg(pendiente.texto())});
    // The preview paints only the pages in view, and counts them all once its reader is done.
    elegir(ventana, u"Recibos"_s);
    QTRY_VERIFY(visor(ventana)->pintadas() > 0);
    QVERIFY2(visor(ventana)->pintadas() <= 2,
             qPrintable(QString::number(visor(ventana)->pintadas())));
    QTRY_COMPARE(ventana.findChild<QLabel*>(u"lblPagina"_s)->text(),
                 u"Página 1 de %1"_s.arg(paginas.size()));
    QCOMPARE(visor(ventana)->totalPaginas(), paginas.size());
}

void PruebaInformes::listaConSuTextoDeSiempre() {
    Entorno e;
    copiarPlantillas();
    fijarHoy(QDate(2024, 12, 31));
    auto filas = std::make_shared<FilasLista>();
    filas->claves =
        QStringList{u"numero"_s, u"inmueble"_s, u"inquilino"_s, u"fecha"_s, u"base"_s,  u"porIva"_s,
                    u"iva"_s,    u"porRet"_s,   u"ret"_s,       u"total"_s, u"pagado"_s};
    // Short rows, names wrapped over two and three lines, a number cut, a cancelled one.
    const QStringList campos[] = {
        {u"1A"_s, u"Piso 1º"_s, u"Ana Pérez"_s, u"02/01/2024"_s, u"1.234,56"_s, u"21"_s,
         u"259,26"_s, u"19"_s, u"234,57"_s, u"1.259,25"_s, u"SÍ"_s},
        {u"2A"_s, u"Local comercial de la calle Mayor número 12"_s,
         u"Construcciones y Reformas del Noroeste Hermanos Núñez Ibáñez, S.L."_s, u"03/01/2024"_s,
         u"800,00"_s, u"21"_s, u"168,00"_s, u"0"_s, u"0,00"_s, u"968,00"_s, u"NO"_s},
        {u"123456SERIELARGA"_s, u"Garaje"_s, u"Begoña"_s, u"04/01/2024"_s, u"-50,00"_s, u"0"_s,
         u"0,00"_s, u"0"_s, u"0,00"_s, u"-50,00"_s, u"ANU"_s}};
    for (const QStringList& fila : campos)
        filas->filas << fila.join(FilasLista::kSeparadorCampos);
    filas->totales = {{u"cuenta"_s, u"3"_s},       {u"base"_s, u"2.034,56"_s},
                      {u"iva"_s, u"427,26"_s},     {u"ret"_s, u"234,57"_s},
                      {u"total"_s, u"2.227,25"_s}, {u"pendiente"_s, u"968,00"_s}};
    const InformeGenerado informe = abrirInforme(
        u"Recibos"_s, {{u"pEmpresa"_s, u"Torvane"_s}, {u"pTitulo"_s, u"Recibos"_s}}, filas);
    PaginasInforme paginas(informe);
    const QString pdf = e.raiz() + u"/lista.pdf"_s;
    const auto impresora = impresoraPdf(pdf);
    QVERIFY(paginas.pintar(impresora.get()));
    QProcess texto;
    texto.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    QVERIFY(texto.waitForFinished(60000));
    QString leido = QString::fromUtf8(texto.readAllStandardOutput());
    leido.replace(QRegularExpression(u"[ \\t]+$"_s, QRegularExpression::MultilineOption),
                  QString());
    // Where every word falls, as the list has always been printed.
    QCOMPARE(
        leido.trimmed(),
        QString::fromUtf8(
            R"(Torvane                                                                                                              31/12/2024


Recibos
Fecha           Nº    Inmueble                Inquilino                      Base    %      IVA    %      RET     TOTAL Pag
02/01/2024      1A    Piso 1º                 Ana Pérez                   1.234,56   21   259,26   19   234,57   1.259,25 SÍ
03/01/2024      2A    Local comercial de la   Construcciones y             800,00    21   168,00    0     0,00    968,00 NO
                      calle Mayor número 12   Reformas del Noroeste
                                              Hermanos Núñez Ibáñez,
                                              S.L.
04/01/2024      1234… Garaje                  Begoña                        -50,00    0     0,00    0     0,00     -50,00 ANU
Documentos                      3

Suma de bases         2.034,56 €

Suma de IVA             427,26 €

Suma de retenciones     234,57 €

Suma de totales       2.227,25 €

Pendiente de cobro      968,00 €




                                                          Página 1 de 1)"));
}

void PruebaInformes::erroresDelMotor_data() {
    QTest::addColumn<QString>("plantilla");
    QTest::addColumn<QByteArray>("contenido"); // empty: the template is removed
    QTest::addColumn<int>("documento");        // 0: a list, from the reports window
    QTest::addColumn<QString>("mensaje");
    const QString falta =
        u"El archivo de reporte no se encuentra, restáurelo de los discos de instalación"_s;
    const int uno = 1;
    QTest::newRow("recibo sin plantilla") << u"Recibo"_s << QByteArray() << uno << falta;
    QTest::newRow("factura con etiqueta rota")
        << u"Factura"_s << QByteArray("<p>{{#lineas}}{{descripcion}}</p>") << uno
        << u"La plantilla Factura.rpt tiene un error: "_s;
    QTest::newRow("documento inexistente") << u"Recibo"_s << QByteArray("<p>{{pTotal}}</p>")
                                           << 99999 << u"No existe el documento 99999"_s;
    QTest::newRow("lista como documento") << u"Recibos"_s << QByteArray("<p>{{pTotal}}</p>") << uno
                                          << u"La plantilla Recibos no es de un documento"_s;
    QTest::newRow("lista sin plantilla") << u"Inquilinos"_s << QByteArray() << 0 << falta;
    QTest::newRow("lista con etiqueta rota") << u"Recibos"_s << QByteArray("{{#filas}}{{/fila}}")
                                             << 0 << u"La plantilla Recibos.rpt tiene un error: "_s;
    // Each of these took the program down or froze it for a minute.
    QByteArray anidadas;
    for (int i = 0; i < 20000; ++i)
        anidadas += "{{#a" + QByteArray::number(i) + "}}";
    QTest::newRow("miles de secciones anidadas")
        << u"Recibos"_s << anidadas << 0
        << u"La plantilla Recibos.rpt tiene un error: tiene más de 16 secciones una dentro de otra (línea 1)"_s;
    QTest::newRow("lista dentro de sí misma")
        << u"Recibo"_s
        << QByteArray("{{#lineas}}\n{{#documento}}{{=<% %>=}}<%#lineas%>x<%/lineas%>") << uno
        << u"La plantilla Recibo.rpt tiene un error: la sección «lineas» está dentro de otra «lineas» (línea 2)"_s;
    QTest::newRow("plantilla enorme")
        << u"Inmuebles"_s << QByteArray(3 * 1024 * 1024, 'x') << 0
        << u"La plantilla Inmuebles.rpt tiene un error: ocupa más de 2 MB"_s;
}

void PruebaInformes::limitesDelMotor() {
    // Output past the bound stops the rendering, on one line or many.
    kainjow::mustache::data filas(kainjow::mustache::data::type::list);
    for (int i = 0; i < 2000; ++i)
        filas.push_back(kainjow::mustache::data("dato", std::string(1000, 'x')));
    kainjow::mustache::data datos("filas", filas);
    for (const char* plantilla :
         {"{{#filas}}{{dato}}\n{{/filas}}", "{{#filas}}{{dato}}{{/filas}}\n"}) {
        QVERIFY(renderizarPlantilla(plantilla, datos, 4 * 1024 * 1024).texto.size() > 2'000'000);
        const Renderizado cortado = renderizarPlantilla(plantilla, datos, 1024 * 1024);
        QCOMPARE(cortado.motivo, u"el resultado pasa de 1 MB"_s);
        QVERIFY(cortado.texto.empty());
    }
    // A template's shape: its plain values marked, the rest as written; the same text either way.
    struct Forma {
        const char* plantilla;
        QString valor;
        qsizetype marcados; // -1: no shape at all
    };
    const QString marca = marcaValor(0);
    for (const Forma& f :
         {Forma{"<p>{{v}}</p>", u"O'Neill & <Hijos> S.L."_s, 1},
          Forma{"<p>{{v}} {{v}}</p>", u"Rúa Nova"_s, 2},
          Forma{"<p>{{v}}</p>", u"dos  espacios"_s, 0}, Forma{"<p>{{v}}</p>", u" delante"_s, 0},
          Forma{"<p>{{v}}</p>", u"línea\nnueva"_s, 0},
          Forma{"<p>{{v}}</p>", u"tiene "_s + marca, -1}, Forma{"<p>&{{v}};</p>", u"amp"_s, -1}}) {
        const kainjow::mustache::data datos("v", f.valor.toStdString());
        PlantillaPreparada preparada(f.plantilla);
        const Renderizado hecho = preparada.renderizar(datos, kMaximoResultado, true);
        QCOMPARE(hecho.texto, renderizarPlantilla(f.plantilla, datos).texto);
        QCOMPARE(hecho.molde.empty(), f.marcados < 0);
        QCOMPARE(qsizetype(hecho.valores.size()), std::max<qsizetype>(f.marcados, 0));
    }
    const std::string conMarca = "<p>" + marca.toStdString() + "{{v}}</p>";
    QVERIFY(PlantillaPreparada(conMarca)
                .renderizar(kainjow::mustache::data("v", "x"), kMaximoResultado, true)
                .molde.empty());

    // Names are resolved inside Informes/ only.
    Demo demo;
    const QString informes = demo.carpeta + u"/Informes"_s;
    QFile::copy(informes + u"/Inmuebles.rpt"_s, demo.carpeta + u"/Fuera.rpt"_s);
    QVERIFY(QFile::link(demo.carpeta + u"/Fuera.rpt"_s, informes + u"/Enlace.rpt"_s));
    for (const QString& nombre : {u"../Fuera"_s, u"Enlace"_s, u"/tmp/x"_s, u".oculta"_s})
        QCOMPARE(generarInforme(informes, nombre, {}).error, kPlantillaNoEncontrada);
    QVERIFY(generarInforme(informes, u"Inmuebles"_s, {}).valido());
}

void PruebaInformes::erroresDelMotor() {
    QFETCH(QString, plantilla);
    QFETCH(QByteArray, contenido);
    QFETCH(int, documento);
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
    if (documento == 0) {
        frmInforme ventana(sesion());
        ventana.show();
        elegir(ventana, plantilla);
        QVERIFY(ventana.informe().html.isEmpty());
    } else {
        frmInformeHojaDoc vista(nullptr, plantilla, documento);
        QCOMPARE(vista.exec(), int(QDialog::Rejected));
        QVERIFY(!vista.isVisible());
    }
    const QList<Mensaje::Registro> mensajes = Mensaje::historial();
    QCOMPARE(mensajes.size(), 1);
    QVERIFY2(mensajes.first().texto.startsWith(mensaje), qPrintable(mensajes.first().texto));
    QCOMPARE(mensajes.first().icono, Mensaje::Icono::Critico);
}

void PruebaInformes::imprimirSinInformeOSinServicioDeImpresion() {
    Demo demo;
    {
        // Both report windows share these buttons.
        frmInforme ventana(sesion());
        ventana.show();
        pulsar(&ventana, "cmdImpresora");
        pulsar(&ventana, "cmdPDF");
    }
    QCOMPARE(Mensaje::textos(),
             QStringList({u"Seleccione un informe"_s, u"Selecciones un informe"_s}));

    // No imp.ini and no print service: «Impresora» says so and writes no file; «PDF» still does.
    Mensaje::limpiarHistorial();
    frmInforme ventana(sesion());
    ventana.show();
    elegir(ventana, u"Inmuebles"_s);
    DialogoArchivo::fijarSiguiente(demo.pdf());
    pulsar(&ventana, "cmdImpresora");
    QCOMPARE(Mensaje::textos().size(), 1);
    QVERIFY2(Mensaje::textos().first().contains(u"no responde"_s),
             qPrintable(Mensaje::textos()[0]));
    QVERIFY(!QFile::exists(demo.pdf()));
    pulsar(&ventana, "cmdPDF");
    QCOMPARE(Mensaje::textos().last(), u"PDF guardado en "_s + demo.pdf());
    QVERIFY(!paginasPdf(demo.pdf()).isEmpty());

    // An earlier version's position waits for the service that can name it.
    const QString imp = Modulo::CarpetaPrograma() + u"/imp.ini"_s;
    guardarEn(imp, "0\r\n1\r\n");
    QCOMPARE(impresoraElegida(), QString());
    QCOMPARE(contenidoDe(imp), QByteArray("0\r\n1\r\n"));
}

void PruebaInformes::documentosLineaALinea_data() {
    QTest::addColumn<QString>("plantilla");
    QTest::addColumn<QString>("texto");
    QTest::newRow("recibo") << u"Recibo"_s << uR"(Alquileres Miño, S.L. RECIBO
N.I.F.: B15000003
Rúa do Franco, 12, 1º Nº 1A
15705 Santiago de Compostela (A Coruña) Fecha: 01/03/2024
Tel.: 981 000 000 Periodo: marzo de 2024

 PENDIENTE DE PAGO
Recibo de Alquileres Miño, S.L. a María José Castro Núñez, con N.I.F. 12345678Z, por los
conceptos que se detallan del inmueble Local 2 de la calle del Villar (Rúa do Vilar, 8, 15705
Santiago de Compostela (A Coruña)), correspondientes al periodo de marzo de 2024.
 Concepto Unidades Importe
 Alquiler de marzo 1,00 500,00 €
 Agua 1,50 24,69 €
 IVA 21 % 110,18 €
 Retención 19 % -99,69 €

 Importe a pagar 535,18 €
Cuenta para el pago: ES91 2100 0418 4502 0005 1332
En Santiago de Compostela, a 01/03/2024 Firma:




 Alquileres Miño, S.L.

Sus datos se tratan para gestionar el alquiler y no se ceden a terceros salvo obligación legal.
)"_s;
    QTest::newRow("factura") << u"Factura"_s << uR"(Alquileres Miño, S.L. FACTURA
N.I.F.: B15000003 Nº de factura 1A
Rúa do Franco, 12, 1º
15705 Santiago de Compostela (A Coruña) Serie A
Tel.: 981 000 000 Fecha de expedición 01/03/2024
 Periodo marzo de 2024

 Cliente
 María José Castro Núñez
 N.I.F.: 12345678Z
 Praza de Galicia, 3
 15706 Santiago de Compostela (A Coruña)

Inmueble: Local 2 de la calle del Villar, Rúa do Vilar, 8, 15705 Santiago de Compostela (A Coruña)
 Ref. Descripción Unidades Precio unitario Importe
 1 Alquiler de marzo 1,00 500,00 € 500,00 €
 2 Agua 1,50 16,46 € 24,69 €
Observaciones
 Suma de importes 524,69 €
Pago <urgente> & sin demora
 Base imponible 524,69 €
Cuenta para el pago:
ES91 2100 0418 4502 0005 1332 IVA 21% 110,18 €
 Retención IRPF 19% -99,69 €

 TOTAL FACTURA 535,18 €

Sus datos se tratan para gestionar el alquiler y no se ceden a terceros salvo obligación legal.
)"_s;
}

// A receipt and an invoice with every part filled, read back line by line: what the paper says
// and how its lines break stay as they were.
void PruebaInformes::documentosLineaALinea() {
    QFETCH(QString, plantilla);
    QFETCH(QString, texto);
    Entorno e;
    copiarPlantillas();
    ejecutar(u"INSERT INTO tblTitulos (Empresa, CIF, Enderezo, Poboacion, Telefonos, CtaBan,"
             u" ProDat) VALUES ('Alquileres Miño, S.L.', 'B15000003', 'Rúa do Franco, 12, 1º',"
             u" '15705 Santiago de Compostela (A Coruña)', '981 000 000',"
             u" 'ES91 2100 0418 4502 0005 1332', 'Sus datos se tratan para gestionar el"
             u" alquiler y no se ceden a terceros salvo obligación legal.')"_s);
    e.serie(u"A"_s);
    const int inq = e.inquilino(u"María José Castro Núñez"_s, {}, {}, {}, u"12345678Z"_s);
    ejecutar(u"UPDATE tblInquilinos SET Dir = 'Praza de Galicia, 3', CP = '15706',"
             u" Pob = 'Santiago de Compostela', Pro = 'A Coruña' WHERE Id = ?"_s,
             {inq});
    const int inm = e.inmueble(u"Local 2 de la calle del Villar"_s, inq, u"Rúa do Vilar, 8"_s,
                               u"15705"_s, u"Santiago de Compostela"_s, u"A Coruña"_s, 500);
    Cabecera c;
    c.ser = u"A"_s;
    c.idInq = inq;
    c.idInm = inm;
    c.fec = QDate(2024, 3, 1);
    c.tri = 1;
    c.porIva = Decimal::deEntero(21);
    c.porRet = Decimal::deEntero(19);
    c.obs = u"Pago <urgente> & sin demora"_s;
    const Linea alquiler{0, 0, 1, u"Alquiler de marzo"_s, Decimal::deEntero(1), eur(u"500"_s), {}};
    const Linea agua{0, 0, 2, u"Agua"_s, *Decimal::leer(u"1,5"_s), eur(u"16,46"_s), {}};
    const int id = crearDocumento(c, {alquiler, agua}).id;

    const InformeGenerado informe = abrirDocumento(plantilla, id);
    QVERIFY2(informe.valido(), qPrintable(informe.error));
    const QString pdf = e.raiz() + u"/documento.pdf"_s;
    const auto impresora = impresoraPdf(pdf);
    PaginasInforme paginas(informe);
    QVERIFY(paginas.pintar(impresora.get()));
    QCOMPARE(paginasPdf(pdf, false).join(u"\f"_s), texto);

    // A run fills each of its documents as one filled alone, whatever came before it: shapes
    // read once and written over with values short and long, some HTML reads its own way.
    c.porRet = Decimal();
    const int otro = crearDocumento(c, {agua}).id;
    c.idInq = e.inquilino(u"O'Neill & <Hijos> \"Sociedad\" Limitada de Santiago"_s, {}, {}, {},
                          u"B15000011"_s);
    const Linea raras{0,
                      0,
                      2,
                      u"Agua  fría\tdel  mes con una línea que no cabe en su celda"_s,
                      Decimal::deEntero(1),
                      eur(u"3"_s),
                      {}};
    const int raro = crearDocumento(c, {alquiler, raras, agua}).id;
    ejecutar(
        u"UPDATE tblTitulos SET CtaBan = 'ES12 3456 7890 1234 5678 9012 en la oficina principal de la entidad en Santiago'"_s);
    // One over two pages: its grids laid out as written.
    const int largo = crearDocumento(c, QList<Linea>(45, agua)).id;
    const QList<int> ids{otro, id, raro, largo, otro, id, raro, largo, otro};
    LoteDocumentos lote(carpetaInformes(), true);
    lote.anticipar(ids);
    std::vector<std::unique_ptr<PaginasInforme>> enMoldes, enteros;
    QList<PaginasInforme*> unos, otros;
    for (int documento : ids) {
        const InformeGenerado solo = abrirDocumento(plantilla, documento);
        const InformeGenerado enLote = lote.generar(plantilla, documento);
        QCOMPARE(enLote.html, solo.html);
        QCOMPARE(enLote.nombre, solo.nombre);
        QVERIFY(!enLote.molde.isEmpty() && solo.molde.isEmpty());
        enMoldes.push_back(std::make_unique<PaginasInforme>(enLote));
        unos << enMoldes.back().get();
        enteros.push_back(std::make_unique<PaginasInforme>(solo));
        otros << enteros.back().get();
    }
    QCOMPARE(lote.generar(id).html, abrirDocumento(plantillaDocumento(id), id).html);
    // Painted from their shapes, as read whole: every word and every dot.
    const QString deMoldes = e.raiz() + u"/moldes.pdf"_s;
    const QString deHtml = e.raiz() + u"/html.pdf"_s;
    QVERIFY(PaginasInforme::pintarSeguidos(impresoraPdf(deMoldes).get(), unos));
    QVERIFY(PaginasInforme::pintarSeguidos(impresoraPdf(deHtml).get(), otros));
    QCOMPARE(paginasPdf(deMoldes).size(), ids.size() + 2);
    QVERIFY(paginasPdf(deMoldes).join(u' ').contains(u"O'Neill & <Hijos>"_s));
    QCOMPARE(palabrasEnSuSitio(deMoldes), palabrasEnSuSitio(deHtml));
    QCOMPARE(puntosPdf(deMoldes), puntosPdf(deHtml));
}

// A long run painted in runs at once and joined reads as one printer painting it: every word of
// every document on the same page and in the same place, a long one over its pages with their
// count, the verifiable invoices with their legend.
void PruebaInformes::muchosDocumentosEnTramos() {
    Entorno e;
    QList<InformeGenerado> generados;
    for (int n = 1; n <= 130; ++n) {
        InformeGenerado informe;
        QString filas;
        for (int f = 1; f <= (n % 9 == 0 ? 70 : 3); ++f)
            filas +=
                u"<tr><td>Línea %1 del recibo %2</td><td class=\"n\">%3,00 €</td></tr>"_s.arg(f)
                    .arg(n)
                    .arg(n * 10 + f);
        informe.html = u"<style>.n { text-align: right; }</style><p><b>Recibo %1A</b></p>"
                       u"<table border=\"1\" cellpadding=\"4\" width=\"100%\" style=\""
                       u"border-collapse: collapse;\">%2</table>"_s.arg(n)
                           .arg(filas);
        if (n % 10 == 0)
            informe.qr = u"https://www2.agenciatributaria.gob.es/?numserie=%1A"_s.arg(n);
        generados << informe;
    }
    // A run's documents are let go as they are painted: each way paints its own.
    const auto paginar = [&generados](std::vector<std::unique_ptr<PaginasInforme>>& propias) {
        QList<PaginasInforme*> informes;
        for (const InformeGenerado& informe : std::as_const(generados)) {
            propias.push_back(std::make_unique<PaginasInforme>(informe));
            informes << propias.back().get();
        }
        return informes;
    };
    std::vector<std::unique_ptr<PaginasInforme>> unas, otras;
    const QString seguido = e.raiz() + u"/seguido.pdf"_s;
    const auto impresora = impresoraPdf(seguido);
    QVERIFY(PaginasInforme::pintarSeguidos(impresora.get(), paginar(unas)));
    const QString enTramos = e.raiz() + u"/tramos.pdf"_s;
    QVERIFY(escribirPdfEnTramos(enTramos, u"Emisión"_s, paginar(otras), kMargenesInforme));

    const QStringList paginas = paginasPdf(enTramos);
    // A long one takes two pages; the long verifiable one (90), under its QR, three.
    QCOMPARE(paginas.size(), 130 + 14 + 1);
    QVERIFY(paginas.first().startsWith(u"Recibo 1A Línea 1 del recibo 1"_s));
    QVERIFY(paginas.last().contains(u"Recibo 130A Línea 1 del recibo 130"_s));
    QVERIFY(paginas.join(u' ').contains(u"Línea 70 del recibo 126 1330,00 € Página 2 de 2"_s));
    QCOMPARE(paginas.join(u' ').count(u"VERI*FACTU"_s), 13);
    const QStringList palabras = palabrasEnSuSitio(enTramos);
    QVERIFY(palabras.size() > 2000);
    QCOMPARE(palabras, palabrasEnSuSitio(seguido));

    // Filled here one by one while the other threads paint: the same file. A document that
    // cannot be filled stops it, the threads waiting for it included.
    std::vector<std::unique_ptr<PaginasInforme>> vacias;
    QList<PaginasInforme*> porLlenar;
    for (qsizetype i = 0; i < generados.size(); ++i) {
        vacias.push_back(std::make_unique<PaginasInforme>());
        porLlenar << vacias.back().get();
    }
    const auto llenarHasta = [&](qsizetype ultimo) {
        return [&, ultimo](qsizetype i) {
            porLlenar[i]->rellenar(generados[i]);
            return i < ultimo;
        };
    };
    const QString rellenando = e.raiz() + u"/rellenando.pdf"_s;
    QVERIFY(escribirPdfEnTramos(rellenando, u"Emisión"_s, porLlenar, kMargenesInforme,
                                llenarHasta(generados.size())));
    QCOMPARE(palabrasEnSuSitio(rellenando), palabras);
    QVERIFY(!escribirPdfEnTramos(e.raiz() + u"/roto.pdf"_s, u"Emisión"_s, porLlenar,
                                 kMargenesInforme, llenarHasta(70)));

    // A long list likewise, in runs of its pages joined after its first.
    copiarPlantillas();
    const InformeGenerado recibos = informeRecibos(3000);
    PaginasInforme unaLista(recibos), otraLista(recibos);
    const QString listaSeguida = e.raiz() + u"/lista-seguida.pdf"_s;
    QVERIFY(unaLista.pintar(impresoraPdf(listaSeguida).get()));
    const int hojas = otraLista.paginas(*impresoraPdf(QString()));
    QVERIFY(seEscribeListaEnTramos(hojas));
    const QString listaEnTramos = e.raiz() + u"/lista-tramos.pdf"_s;
    QVERIFY(escribirListaEnTramos(listaEnTramos, u"Recibos"_s, otraLista, hojas, kMargenesInforme));
    QCOMPARE(paginasPdf(listaEnTramos).size(), hojas);
    QCOMPARE(palabrasEnSuSitio(listaEnTramos), palabrasEnSuSitio(listaSeguida));
}

TORVANE_TEST_MAIN(PruebaInformes)
#include "tst_informes.moc"
