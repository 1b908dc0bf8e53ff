#include "support/Entorno.h"

#include "app/Modulo.h"
#include "collections/frmCobrosHoja.h"
#include "data/Anos.h"
#include "data/Consulta.h"
#include "data/Documentos.h"
#include "data/Formato.h"
#include "data/Titulos.h"
#include "reports/MotorInforme.h"
#include "verifactu/Registros.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

/** A company with a N.I.F., series B of invoices in verifiable mode, and one issued invoice. */
int prepararFacturaEmitida(Entorno& e, double iva = 21) {
    QStringList titulos = leerTitulos();
    titulos[0] = u"Inmuebles Costa, S.L."_s;
    titulos[1] = u"B15000001"_s;
    guardarTitulos(titulos);
    e.serie(u"B"_s, u"Facturas"_s);
    ConfigVerifactu config;
    config.activo = true;
    config.series = {u"B"_s};
    guardarConfigVerifactu(config);
    const int inq = e.inquilino(u"Ferretería Núñez, S.L."_s, {}, {}, {}, u"B15999999"_s);
    const int id = e.documento(7, u"B"_s, Hoy(), e.inmueble(u"Local 2"_s), inq);
    ejecutar(u"UPDATE tblCobros SET PorIva = ?, PorRet = 19 WHERE Id = ?"_s, {iva, id});
    e.linea(id, 1, 1, 1000, 0, u"Renta de mayo"_s);
    reescribirTotales(id);
    emitirFacturas({id});
    return id;
}

QString ejecutarAdmin(const QStringList& argumentos, int& salida) {
    QProcess admin;
    admin.start(qEnvironmentVariable("TORVANE_ADMIN"), argumentos);
    admin.waitForFinished(30000);
    salida = admin.exitCode();
    return QString::fromUtf8(admin.readAllStandardOutput());
}

} // namespace

class PruebaVerifactu : public QObject {
    Q_OBJECT

private slots:
    void huellasDeLosEjemplosDeLaAgencia_data();
    void huellasDeLosEjemplosDeLaAgencia();
    void cadenaConRectificativasYAnulaciones();
    void laFacturaEmitidaNoCambia();
    void elQrImpresoLlevaLaDireccionDeCotejo();
    void elAnoNuevoSigueLaCadena();
};

void PruebaVerifactu::huellasDeLosEjemplosDeLaAgencia_data() {
    QTest::addColumn<bool>("anulacion");
    QTest::addColumn<QString>("numSerie");
    QTest::addColumn<QString>("anterior");
    QTest::addColumn<QString>("fechaHora");
    QTest::addColumn<QString>("huella");
    QTest::newRow("primer registro")
        << false << u"12345678/G33"_s << QString() << u"2024-01-01T19:20:30+01:00"_s
        << u"3C464DAF61ACB827C65FDA19F352A4E3BDC2C640E9E9FC4CC058073F38F12F60"_s;
    QTest::newRow("alta encadenada")
        << false << u"12345679/G34"_s
        << u"3C464DAF61ACB827C65FDA19F352A4E3BDC2C640E9E9FC4CC058073F38F12F60"_s
        << u"2024-01-01T19:20:35+01:00"_s
        << u"F7B94CFD8924EDFF273501B01EE5153E4CE8F259766F88CF6ACB8935802A2B97"_s;
    QTest::newRow("anulación")
        << true << u"12345679/G34"_s
        << u"F7B94CFD8924EDFF273501B01EE5153E4CE8F259766F88CF6ACB8935802A2B97"_s
        << u"2024-01-01T19:20:40+01:00"_s
        << u"177547C0D57AC74748561D054A9CEC14B4C4EA23D1BEFD6F2E69E3A388F90C68"_s;
}

void PruebaVerifactu::huellasDeLosEjemplosDeLaAgencia() {
    QFETCH(bool, anulacion);
    QFETCH(QString, numSerie);
    QFETCH(QString, anterior);
    QFETCH(QString, fechaHora);
    QFETCH(QString, huella);
    RegistroFacturacion r;
    r.anulacion = anulacion;
    r.nif = u"89890001K"_s;
    r.numSerie = numSerie;
    r.fecha = fechaAeat(QDate(2024, 1, 1));
    r.tipoFactura = u"F1"_s;
    r.cuota = importeAeat(12.35);
    r.importe = importeAeat(123.45);
    r.huellaAnt = anterior;
    r.fechaHora = fechaHora;
    QCOMPARE(calcularHuella(r), huella);
    QCOMPARE(fechaHoraAeat(QDateTime(QDate(2024, 1, 1), QTime(19, 20, 30), QTimeZone(3600))),
             u"2024-01-01T19:20:30+01:00"_s);
}

void PruebaVerifactu::cadenaConRectificativasYAnulaciones() {
    Entorno e;
    const int original = prepararFacturaEmitida(e);
    const auto alta = registroAlta(original);
    QVERIFY(alta);
    QCOMPARE(alta->numSerie, u"7B"_s);
    QCOMPARE(alta->tipoFactura, u"F1"_s);
    QCOMPARE(alta->base, u"1000.00"_s);
    QCOMPARE(alta->cuota, u"210.00"_s);
    QCOMPARE(alta->importe, u"1210.00"_s);
    QCOMPARE(alta->destNif, u"B15999999"_s);
    QVERIFY(alta->huellaAnt.isEmpty());
    QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Id = ? AND Imp = 1"_s, {original}), 1);

    QVERIFY_THROWS_EXCEPTION(ErrorBD, rectificarFactura(original, u"R1"_s, u"  "_s));
    const int rect = rectificarFactura(original, u"R1"_s, u"Renta de mayo mal calculada"_s);
    QCOMPARE(leerCabecera(rect)->ser, u"R"_s);
    QCOMPARE(leerCabecera(rect)->totales.base, -1000.0);
    guardarDocumento(*leerCabecera(rect),
                     {CambioLineas::Anadir, {0, 0, 0, u"Renta"_s, 1, 900, 0}, 0});
    emitirFacturas({rect});
    const auto altaRect = registroAlta(rect);
    QCOMPARE(altaRect->tipoFactura, u"R1"_s);
    QCOMPARE(altaRect->rectNumSerie, u"7B"_s);
    QCOMPARE(altaRect->importe, u"-121.00"_s);
    QCOMPARE(altaRect->huellaAnt, alta->huella);

    anularFactura(original);
    QCOMPARE(estadoFactura(original), EstadoFactura::Anulada);
    QVERIFY_THROWS_EXCEPTION(ErrorBD, anularFactura(original));
    QCOMPARE(verificarCadena().registros, 3);
    QVERIFY2(verificarCadena().correcta(), qPrintable(verificarCadena().texto()));
    int salida = -1;
    ejecutarAdmin({u"verifactu"_s, u"verificar"_s, e.carpetaDatos(), u"2024"_s}, salida);
    QCOMPARE(salida, 0);

    // The engine itself keeps the records, and the mode once on stays on.
    QSqlQuery q(Conexion());
    QVERIFY(!q.exec(u"UPDATE tblRegistros SET Importe = '1.00' WHERE Id = 1"_s));
    QVERIFY(!q.exec(u"DELETE FROM tblRegistros WHERE Id = 3"_s));
    QVERIFY_THROWS_EXCEPTION(ErrorBD, guardarConfigVerifactu(ConfigVerifactu{}));

    // Whoever goes round the program with a database shell is found out.
    QVERIFY(q.exec(u"DROP TRIGGER trgRegistrosSinCambios"_s));
    QVERIFY(q.exec(u"UPDATE tblRegistros SET Importe = '1210.01' WHERE Id = 1"_s));
    QVERIFY(verificarCadena().texto().contains(u"El registro 1 (factura 7B) ha sido alterado"_s));
    QVERIFY(q.exec(u"UPDATE tblRegistros SET Importe = '1210.00' WHERE Id = 1"_s));
    QVERIFY(q.exec(u"UPDATE tblRegistros SET HuellaAnt = 'X' WHERE Id = 2"_s));
    QVERIFY(verificarCadena().texto().contains(u"El registro 2 (factura 1R) no enlaza"_s));
    const QString texto =
        ejecutarAdmin({u"verifactu"_s, u"verificar"_s, e.carpetaDatos(), u"2024"_s}, salida);
    QCOMPARE(salida, 1);
    QVERIFY(texto.contains(u"no enlaza"_s));
}

void PruebaVerifactu::laFacturaEmitidaNoCambia() {
    Entorno e;
    const int id = prepararFacturaEmitida(e, 0);
    QCOMPARE(registroAlta(id)->exencion, u"E1"_s);
    QCOMPARE(registroAlta(id)->cuota, u"0.00"_s);
    Cabecera c = *leerCabecera(id);
    c.obs = u"cambiada"_s;
    QVERIFY_THROWS_EXCEPTION(ErrorBD, guardarDocumento(c));
    QVERIFY_THROWS_EXCEPTION(ErrorBD, borrarDocumento(id));
    QSqlQuery q(Conexion());
    QVERIFY(!q.exec(u"UPDATE tblCobrosDetalles SET Pre = 1 WHERE IdDoc = %1"_s.arg(id)));
    QVERIFY(!q.exec(u"UPDATE tblCobros SET Tot = 1 WHERE Id = %1"_s.arg(id)));
    QVERIFY(q.exec(u"UPDATE tblCobros SET Pag = 1 WHERE Id = %1"_s.arg(id)));

    frmCobrosHoja hoja;
    hoja.Estado = 1;
    hoja.Id = id;
    hoja.show();
    QVERIFY(QTest::qWaitForWindowExposed(&hoja));
    QVERIFY(hoja.findChild<QFrame*>(u"fraVerifactu"_s)->isVisible());
    QVERIFY(!hoja.findChild<QPushButton*>(u"cmdNovo"_s)->isEnabled());
    QVERIFY(hoja.findChild<QPushButton*>(u"cmdRectificar"_s)->isEnabled());
    hoja.reject();
    QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s, u"IdDoc = ?"_s, {id}), 1);
}

void PruebaVerifactu::elQrImpresoLlevaLaDireccionDeCotejo() {
    Entorno e;
    const int id = prepararFacturaEmitida(e);
    QDir().mkpath(Modulo::Ruta + u"/Informes"_s);
    QFile::copy(u":/informes/Factura.rpt"_s, Modulo::Ruta + u"/Informes/Factura.rpt"_s);
    PaginasInforme paginas(abrirInforme(u"Factura"_s, {}, u"{tblCobros.Id} =%1"_s.arg(id)));
    const QString pdf = e.raiz() + u"/factura.pdf"_s;
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(pdf);
    prepararImpresora(impresora);
    QVERIFY(paginas.pintar(&impresora));
    const QStringList texto = paginasPdf(pdf);
    QCOMPARE(texto.size(), 1);
    QVERIFY(
        texto[0].startsWith(u"VERI*FACTU Factura verificable en la sede electrónica de la AEAT"_s));

    QProcess::execute(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"200"_s, u"-singlefile"_s, pdf,
                                      e.raiz() + u"/factura"_s});
    QProcess zbar;
    zbar.start(u"zbarimg"_s, {u"--raw"_s, u"-q"_s, e.raiz() + u"/factura.png"_s});
    QVERIFY(zbar.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(),
             u"https://prewww2.aeat.es/wlpl/TIKE-CONT/ValidarQR?nif=B15000001&numserie=7B"
             "&fecha=15-05-2024&importe=1210.00"_s);
}

void PruebaVerifactu::elAnoNuevoSigueLaCadena() {
    Entorno e;
    prepararFacturaEmitida(e);
    const QString ultima = registrosDelAno().last().huella;
    QCOMPARE(crearAnoDesde(e.carpetaDatos(), u"2024"_s, u"2025"_s), QString());
    {
        QSqlDatabase nuevo = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"nuevo"_s);
        nuevo.setDatabaseName(rutaBaseDatos(e.carpetaDatos(), u"2025"_s));
        QVERIFY(nuevo.open());
        QSqlQuery q(nuevo);
        QVERIFY(q.exec(u"SELECT Activo, HuellaAnt, (SELECT COUNT(*) FROM tblRegistros)"
                       " FROM tblVerifactu"_s));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), ultima);
        QCOMPARE(q.value(2).toInt(), 0);
    }
    QSqlDatabase::removeDatabase(u"nuevo"_s);
}

TORVANE_TEST_MAIN(PruebaVerifactu)
#include "tst_verifactu.moc"
