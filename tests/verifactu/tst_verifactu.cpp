#include "support/Abrir.h"
#include "support/Ayudas.h"

#include "collections/frmCobrosHoja.h"
#include "core/documents/Documentos.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Registros.h"
#include "core/documents/Titulos.h"
#include "core/store/Anos.h"
#include "core/store/Consulta.h"
#include "core/store/Servidor.h"
#include "core/tax/Envio.h"
#include "core/text/Formato.h"
#include "reports/MotorInforme.h"
#include "reports/frmInformeHojaDoc.h"

#include <QFile>
#include <QFrame>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTimeZone>
#include <QXmlStreamReader>

using namespace torvane;

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
    hecho(guardarConfigVerifactu(config));
    const int inq = e.inquilino(u"Ferretería Núñez, S.L."_s, {}, {}, {}, u"B15999999"_s);
    const int id = e.documento(7, u"B"_s, Hoy(), e.inmueble(u"Local 2"_s), inq);
    ejecutar(u"UPDATE tblCobros SET PorIva = ?, PorRet = 19 WHERE Id = ?"_s, {iva, id});
    e.linea(id, 1, 1, 1000, 0, u"Renta de mayo"_s);
    reescribirTotales(id);
    hecho(emitirFacturas({id}));
    return id;
}

/** Invoice id printed to pdf with the factory template; its pages as read back. */
QStringList facturaEnPdf(int id, const QString& pdf) {
    prepararImpresion();
    PaginasInforme paginas(abrirDocumento(u"Factura"_s, id));
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(pdf);
    prepararImpresora(impresora);
    return paginas.pintar(&impresora) ? paginasPdf(pdf) : QStringList();
}

const QByteArray kRespuesta = R"(<?xml version="1.0" encoding="UTF-8"?>
<env:Envelope xmlns:env="http://schemas.xmlsoap.org/soap/envelope/"><env:Body>
<tikR:RespuestaRegFactuSistemaFacturacion xmlns:tikR="https://www2.agenciatributaria.gob.es/static_files/common/internet/dep/aplicaciones/es/aeat/tike/cont/ws/RespuestaSuministro.xsd" xmlns:tik="https://www2.agenciatributaria.gob.es/static_files/common/internet/dep/aplicaciones/es/aeat/tike/cont/ws/SuministroInformacion.xsd">
<tikR:CSV>A-PRUEBA</tikR:CSV><tikR:TiempoEsperaEnvio>60</tikR:TiempoEsperaEnvio>
<tikR:EstadoEnvio>ParcialmenteCorrecto</tikR:EstadoEnvio>
<tikR:RespuestaLinea><tikR:IDFactura><tik:IDEmisorFactura>B15000001</tik:IDEmisorFactura>
<tik:NumSerieFactura>7B</tik:NumSerieFactura><tik:FechaExpedicionFactura>15-05-2024</tik:FechaExpedicionFactura>
</tikR:IDFactura><tikR:Operacion><tik:TipoOperacion>Alta</tik:TipoOperacion></tikR:Operacion>
<tikR:EstadoRegistro>Correcto</tikR:EstadoRegistro></tikR:RespuestaLinea>
<tikR:RespuestaLinea><tikR:IDFactura><tik:IDEmisorFactura>B15000001</tik:IDEmisorFactura>
<tik:NumSerieFactura>7B</tik:NumSerieFactura><tik:FechaExpedicionFactura>15-05-2024</tik:FechaExpedicionFactura>
</tikR:IDFactura><tikR:Operacion><tik:TipoOperacion>Anulacion</tik:TipoOperacion></tikR:Operacion>
<tikR:EstadoRegistro>Incorrecto</tikR:EstadoRegistro><tikR:CodigoErrorRegistro>3002</tikR:CodigoErrorRegistro>
<tikR:DescripcionErrorRegistro>No existe el registro de facturación.</tikR:DescripcionErrorRegistro>
</tikR:RespuestaLinea></tikR:RespuestaRegFactuSistemaFacturacion></env:Body></env:Envelope>)";

/** The agency's web service as the tests play it: HTTPS on 127.0.0.1, one canned answer. */
class ServidorAeat : public QObject {
public:
    ServidorAeat(const QString& carpeta) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setLocalCertificate(QSslCertificate::fromPath(carpeta + u"/servidor.crt"_s).value(0));
        QFile clave(carpeta + u"/servidor.key"_s);
        clave.open(QIODevice::ReadOnly);
        ssl.setPrivateKey(QSslKey(&clave, QSsl::Rsa));
        ssl.setPeerVerifyMode(QSslSocket::QueryPeer);
        servidor_.setSslConfiguration(ssl);
        connect(&servidor_, &QTcpServer::pendingConnectionAvailable, this, [this] {
            auto* s = qobject_cast<QSslSocket*>(servidor_.nextPendingConnection());
            connect(s, &QSslSocket::readyRead, this, [this, s] { leer(s); });
        });
        servidor_.listen(QHostAddress::LocalHost);
    }
    QUrl url() const {
        return QUrl(u"https://127.0.0.1:%1/verifactu"_s.arg(servidor_.serverPort()));
    }
    QByteArray cuerpo;
    bool conCertificado = false;

private:
    void leer(QSslSocket* s) {
        recibido_ += s->readAll();
        const qsizetype fin = recibido_.indexOf("\r\n\r\n");
        const qsizetype largo = recibido_.toLower().indexOf("content-length:");
        if (fin < 0 || largo < 0) return;
        const int bytes = recibido_.mid(largo + 15, recibido_.indexOf('\r', largo) - largo - 15)
                              .trimmed()
                              .toInt();
        if (recibido_.size() < fin + 4 + bytes) return;
        cuerpo = recibido_.mid(fin + 4);
        recibido_.clear();
        conCertificado = !s->peerCertificate().isNull();
        s->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: " +
            QByteArray::number(kRespuesta.size()) + "\r\n\r\n" + kRespuesta);
        s->disconnectFromHost();
    }
    QSslServer servidor_;
    QByteArray recibido_;
};

void openssl(const QStringList& argumentos) {
    QProcess proceso;
    proceso.start(u"openssl"_s, argumentos);
    QVERIFY(proceso.waitForFinished(60000) && proceso.exitCode() == 0);
}

/** A self-signed certificate for the server and a PKCS#12 one for the company. */
void crearCertificados(const QString& carpeta) {
    for (const QString& nombre : {u"servidor"_s, u"empresa"_s})
        openssl({u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-days"_s, u"2"_s,
                 u"-subj"_s, u"/CN=127.0.0.1"_s, u"-addext"_s, u"subjectAltName=IP:127.0.0.1"_s,
                 u"-keyout"_s, carpeta + u'/' + nombre + u".key"_s, u"-out"_s,
                 carpeta + u'/' + nombre + u".crt"_s});
    openssl({u"pkcs12"_s, u"-export"_s, u"-inkey"_s, carpeta + u"/empresa.key"_s, u"-in"_s,
             carpeta + u"/empresa.crt"_s, u"-out"_s, carpeta + u"/empresa.p12"_s, u"-passout"_s,
             u"pass:secreta"_s});
}

} // namespace

class PruebaVerifactu : public QObject {
    Q_OBJECT

private slots:
    void huellasDeLosEjemplosDeLaAgencia_data();
    void huellasDeLosEjemplosDeLaAgencia();
    void cadenaConRectificativasYAnulaciones();
    void verificarHallaCadaFalta_data();
    void verificarHallaCadaFalta();
    void laFacturaEmitidaNoCambia();
    void elQrImpresoLlevaLaDireccionDeCotejo();
    void laRectificativaImpresaLoDice_data();
    void laRectificativaImpresaLoDice();
    void elAnoNuevoSigueLaCadena();
    void losRegistrosSeEnvianCuandoHayConexion();
};

void PruebaVerifactu::huellasDeLosEjemplosDeLaAgencia_data() {
    QTest::addColumn<bool>("anulacion");
    QTest::addColumn<QString>("numSerie");
    QTest::addColumn<QString>("anterior");
    QTest::addColumn<int>("segundo"); // of 2024-01-01T19:20 in UTC+1
    QTest::addColumn<QString>("huella");
    const QString h1 = u"3C464DAF61ACB827C65FDA19F352A4E3BDC2C640E9E9FC4CC058073F38F12F60"_s;
    const QString h2 = u"F7B94CFD8924EDFF273501B01EE5153E4CE8F259766F88CF6ACB8935802A2B97"_s;
    fila("primer registro", false, u"12345678/G33"_s, QString(), 30, h1);
    fila("alta encadenada", false, u"12345679/G34"_s, h1, 35, h2);
    fila("anulación", true, u"12345679/G34"_s, h2, 40,
         u"177547C0D57AC74748561D054A9CEC14B4C4EA23D1BEFD6F2E69E3A388F90C68"_s);
}

void PruebaVerifactu::huellasDeLosEjemplosDeLaAgencia() {
    QFETCH(bool, anulacion);
    QFETCH(QString, numSerie);
    QFETCH(QString, anterior);
    QFETCH(int, segundo);
    QFETCH(QString, huella);
    RegistroFacturacion r;
    r.anulacion = anulacion;
    r.nif = u"89890001K"_s;
    r.numSerie = numSerie;
    r.fecha = fechaAeat(QDate(2024, 1, 1));
    r.tipoFactura = u"F1"_s;
    r.cuota = importeAeat(Importe::deCentimos(1235));
    r.importe = importeAeat(Importe::deCentimos(12345));
    r.huellaAnt = anterior;
    r.fechaHora = u"2024-01-01T19:20:%1+01:00"_s.arg(segundo);
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

    QVERIFY(!rectificarFactura(original, u"R1"_s, u"  "_s));
    const int rect = hecho(rectificarFactura(original, u"R1"_s, u"Renta de mayo mal calculada"_s));
    QCOMPARE(leerCabecera(rect)->ser, u"R"_s);
    QCOMPARE(leerCabecera(rect)->totales.base, eur(u"-1000"_s));
    hecho(guardarDocumento(
        *leerCabecera(rect),
        {CambioLineas::Anadir, {0, 0, 0, u"Renta"_s, dec(u"1"_s), eur(u"900"_s), {}}, 0}));
    hecho(emitirFacturas({rect}));
    const auto altaRect = registroAlta(rect);
    QCOMPARE(altaRect->tipoFactura, u"R1"_s);
    QCOMPARE(altaRect->rectNumSerie, u"7B"_s);
    QCOMPARE(altaRect->importe, u"-121.00"_s);
    QCOMPARE(altaRect->huellaAnt, alta->huella);
    QCOMPARE(leerCabecera(rect)->fec, Hoy());
    // Made in December in next year's file, a rectification is dated within that year, and
    // never before the invoice it corrects.
    fijarHoy(QDate(2023, 12, 20));
    const int adelantada = hecho(rectificarFactura(original, u"R4"_s, u"Otra corrección"_s));
    fijarHoy(QDate(2024, 5, 15));
    QCOMPARE(leerCabecera(adelantada)->fec, leerCabecera(original)->fec);

    // A rectified invoice is cancelled only once its rectifying one is: both count otherwise.
    QVERIFY(!anularDocumento(original));
    hecho(anularDocumento(rect));
    QCOMPARE(estadoFactura(rect), EstadoFactura::Anulada);
    QVERIFY(!anularDocumento(rect));
    QCOMPARE(verificarRegistros().registros, 3);
    QVERIFY2(verificarRegistros().correcta(), qPrintable(verificarRegistros().texto()));

    // The engine itself keeps the records, and the mode once on stays on.
    QSqlQuery q(Conexion());
    QVERIFY(!q.exec(u"UPDATE tblRegistros SET Importe = '1.00' WHERE Id = 1"_s));
    QVERIFY(!q.exec(u"DELETE FROM tblRegistros WHERE Id = 3"_s));
    QVERIFY(!guardarConfigVerifactu(ConfigVerifactu{}));
}

void PruebaVerifactu::verificarHallaCadaFalta_data() {
    QTest::addColumn<QStringList>("cambios");
    QTest::addColumn<QString>("falta");
    const auto fila = [](const char* nombre, QStringList cambios, const QString& falta) {
        QTest::newRow(nombre) << cambios << falta;
    };
    fila("nada", {}, u"Los registros de facturación son correctos (2 registros)."_s);
    fila("el último registro, borrado", {u"DELETE FROM tblRegistros WHERE Id = 2"_s},
         u"Factura 8B: emitida y sin su registro de facturación."_s);
    fila("la base de la factura", {u"UPDATE tblCobros SET Base = 999 WHERE Num = 7"_s},
         u"Factura 7B (registro 1): la factura y su registro no coinciden en base, importe."_s);
    fila("el IVA y el total de la factura",
         {u"UPDATE tblCobros SET IVA = 200, Tot = 1010 WHERE Num = 7"_s},
         u"Factura 7B (registro 1): la factura y su registro no coinciden en cuota, importe."_s);
    fila("el precio de una línea",
         {u"UPDATE tblCobrosDetalles SET Pre = 900, Imp = 900 WHERE Lin = 1 AND IdDoc ="
          " (SELECT Id FROM tblCobros WHERE Num = 7)"_s},
         u"Factura 7B (registro 1): sus totales no corresponden a sus líneas."_s);
    fila("el concepto de una línea", {u"UPDATE tblCobrosDetalles SET DesCon = 'Otra cosa'"_s},
         u"Factura 7B (registro 1): la factura y su registro no coinciden en descripción."_s);
    fila("el número de la factura", {u"UPDATE tblCobros SET Num = 9 WHERE Num = 7"_s},
         u"Factura 7B (registro 1): la factura y su registro no coinciden en número."_s);
    fila("la factura, borrada",
         {u"DELETE FROM tblCobrosDetalles WHERE IdDoc = (SELECT Id FROM tblCobros WHERE Num = 8)"_s,
          u"DELETE FROM tblCobros WHERE Num = 8"_s},
         u"Factura 8B (registro 2): la factura ya no existe."_s);
    fila("la base del registro, sin huella",
         {u"UPDATE tblRegistros SET Base = '1.00' WHERE Id = 1"_s},
         u"Factura 7B (registro 1): la factura y su registro no coinciden en base."_s);
    fila("el importe del registro, con huella",
         {u"UPDATE tblRegistros SET Importe = '1210.01' WHERE Id = 1"_s},
         u"Registro 1 (factura 7B): alterado; su huella no corresponde a sus datos."_s);
    fila(
        "el enlace del registro", {u"UPDATE tblRegistros SET HuellaAnt = 'X' WHERE Id = 2"_s},
        u"Registro 2 (factura 8B): no enlaza con el anterior; falta un registro o se ha cambiado."_s);
}

void PruebaVerifactu::verificarHallaCadaFalta() {
    QFETCH(const QStringList, cambios);
    QFETCH(const QString, falta);
    Entorno e;
    prepararFacturaEmitida(e);
    const int otra = e.documento(8, u"B"_s, Hoy(), 0, 0);
    e.linea(otra, 1, 1, 500, 0, u"Renta de junio"_s);
    reescribirTotales(otra);
    hecho(emitirFacturas({otra}));
    const int nueva = e.documento(10, u"B"_s, Hoy(), 0, 0);
    e.linea(nueva, 1, 1, 100);
    // As someone going round the program with a database shell would.
    QSqlQuery q(Conexion());
    const std::pair<const char*, const char*> guardas[] = {
        {"trgRegistrosSinCambios", "tblRegistros"}, {"trgRegistrosSinBorrar", "tblRegistros"},
        {"trgFacturaSinCambios", "tblCobros"},      {"trgFacturaSinBorrar", "tblCobros"},
        {"trgLineasNuevas", "tblCobrosDetalles"},   {"trgLineasCambiadas", "tblCobrosDetalles"},
        {"trgLineasBorradas", "tblCobrosDetalles"}};
    for (const auto& [guarda, tabla] : guardas)
        QVERIFY(q.exec(u"DROP TRIGGER IF EXISTS %1%2"_s.arg(
            QLatin1StringView(guarda),
            Entorno::enServidor ? u" ON "_s + QLatin1StringView(tabla) : QString())));
    for (const QString& cambio : cambios)
        QVERIFY2(q.exec(cambio), qPrintable(q.lastError().text()));

    const VerificacionRegistros v = verificarRegistros();
    QVERIFY2(v.texto().split(u'\n').contains(falta), qPrintable(v.texto()));
    QCOMPARE(v.series(), cambios.isEmpty() ? QStringList() : QStringList{u"B"_s});
    int salida = -1;
    const QString texto =
        ejecutarAdmin({u"verifactu"_s, u"verificar"_s, e.carpetaDatos(), u"2024"_s}, &salida);
    QCOMPARE(salida, cambios.isEmpty() ? 0 : 1);
    QCOMPARE(texto.trimmed(), v.texto());
    // Only the affected series stops issuing.
    if (!cambios.isEmpty()) {
        QVERIFY(!emitirFacturas({nueva}));
        QCOMPARE(estadoFactura(nueva), EstadoFactura::Libre);
    }
}

void PruebaVerifactu::laFacturaEmitidaNoCambia() {
    Entorno e;
    const int antiguo = e.documento(1, u"B"_s, Hoy().addDays(-1));
    e.linea(antiguo, 1, 1, 100);
    // Printed before the mode is turned on but dated from its first day: issued in it, so its
    // alta is made then; one cancelled by then stays outside. The series goes on issuing.
    const int yaImpresa = e.documento(3, u"B"_s, Hoy());
    e.linea(yaImpresa, 1, 1, 100);
    const int anulada = e.documento(4, u"B"_s, Hoy());
    e.linea(anulada, 1, 1, 100);
    for (const int doc : {yaImpresa, anulada})
        reescribirTotales(doc);
    ejecutar(u"UPDATE tblCobros SET Imp = 1 WHERE Id IN (?, ?)"_s, {yaImpresa, anulada});
    ejecutar(u"UPDATE tblCobros SET Anu = 1 WHERE Id = ?"_s, {anulada});
    const int id = prepararFacturaEmitida(e, 0);
    QCOMPARE(estadoFactura(yaImpresa), EstadoFactura::Emitida);
    QCOMPARE(estadoFactura(anulada), EstadoFactura::Libre);
    QVERIFY2(verificarRegistros().correcta(), qPrintable(verificarRegistros().texto()));
    QCOMPARE(registroAlta(id)->exencion, u"E1"_s);
    QCOMPARE(registroAlta(id)->cuota, u"0.00"_s);
    // Existing before the mode and dated earlier: issued outside it. Made since: in.
    const int atrasado = e.documento(2, u"B"_s, Hoy().addDays(-1));
    e.linea(atrasado, 1, 1, 100);
    hecho(emitirFacturas({antiguo, atrasado}));
    QCOMPARE(estadoFactura(antiguo), EstadoFactura::Libre);
    QCOMPARE(estadoFactura(atrasado), EstadoFactura::Emitida);
    Cabecera c = *leerCabecera(id);
    c.obs = u"cambiada"_s;
    QVERIFY(!guardarDocumento(c));
    QVERIFY(!borrarDocumento(id));
    QSqlQuery q(Conexion());
    QVERIFY(!q.exec(u"UPDATE tblCobrosDetalles SET Pre = 1 WHERE IdDoc = %1"_s.arg(id)));
    QVERIFY(!q.exec(u"UPDATE tblCobros SET Tot = 1 WHERE Id = %1"_s.arg(id)));
    QVERIFY(q.exec(u"UPDATE tblCobros SET Pag = 1 WHERE Id = %1"_s.arg(id)));

    frmCobrosHoja hoja(sesion(), ventanas(), id);
    hoja.show();
    QVERIFY(QTest::qWaitForWindowExposed(&hoja));
    QVERIFY(hoja.findChild<QFrame*>(u"fraVerifactu"_s)->isVisible());
    QVERIFY(!hoja.findChild<QPushButton*>(u"cmdNovo"_s)->isEnabled());
    QVERIFY(hoja.findChild<QPushButton*>(u"cmdRectificar"_s)->isEnabled());
    // Printed again, it shows what was issued.
    prepararImpresion();
    QString html;
    cuandoAparezca<frmInformeHojaDoc>([&html](frmInformeHojaDoc* vista) {
        html = vista->informe().html;
        vista->reject();
    });
    QTest::mouseClick(hoja.findChild<QPushButton*>(u"cmdImprimirFactura"_s), Qt::LeftButton);
    QVERIFY2(html.contains(u">810,00 €<"_s), qPrintable(html));
    hoja.reject();
    QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s, u"IdDoc = ?"_s, {id}), 1);
}

void PruebaVerifactu::elQrImpresoLlevaLaDireccionDeCotejo() {
    Entorno e;
    const int id = prepararFacturaEmitida(e);
    const QString pdf = e.raiz() + u"/factura.pdf"_s;
    const QStringList texto = facturaEnPdf(id, pdf);
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

    // A run prints the same QR as the invoice alone, and none on a document without a record.
    const int libre = e.documento(8, u"B"_s, Hoy(), 0, 0);
    LoteDocumentos lote(carpetaInformes());
    lote.anticipar({libre, id});
    QCOMPARE(lote.generar(id).qr, abrirDocumento(u"Factura"_s, id).qr);
    QVERIFY(!lote.generar(id).qr.isEmpty());
    QVERIFY(lote.generar(libre).qr.isEmpty());
}

void PruebaVerifactu::laRectificativaImpresaLoDice_data() {
    QTest::addColumn<bool>("sustitucion");
    QTest::addColumn<QStringList>("dice");
    QTest::addColumn<QString>("importeRegistro");
    const QString comun = u"Tipo R1: Error fundado en derecho (art. 80 Uno, Dos y Seis LIVA)."_s;
    QTest::newRow("por diferencias")
        << false
        << QStringList{u"Rectifica la factura 7B del %1, por diferencias."_s, comun,
                       u"Retención IRPF"_s}
        << u"-121.00"_s;
    QTest::newRow("por sustitución")
        << true
        << QStringList{u"Rectifica la factura 7B del %1, por sustitución."_s, comun,
                       u"Factura rectificada: base 1.000,00 €, IVA 210,00 €, total 1.020,00 €."_s,
                       u"Factura corregida: base 900,00 €, IVA 189,00 €, total 918,00 €."_s}
        << u"1089.00"_s;
}

void PruebaVerifactu::laRectificativaImpresaLoDice() {
    QFETCH(const bool, sustitucion);
    QFETCH(const QStringList, dice);
    QFETCH(const QString, importeRegistro);
    Entorno e;
    const int original = prepararFacturaEmitida(e);
    QStringList titulos = leerTitulos();
    titulos[8] = u"ES91 2100 0418 4502 0005 1332"_s;
    guardarTitulos(titulos);
    if (sustitucion) guardarTipoEmisor(TipoEmisor::Sociedad);
    const int rect =
        hecho(rectificarFactura(original, u"R1"_s, u"Renta de mayo mal calculada"_s, sustitucion));
    hecho(guardarDocumento(
        *leerCabecera(rect),
        {CambioLineas::Anadir, {0, 0, 0, u"Renta"_s, dec(u"1"_s), eur(u"900"_s), {}}, 0}));
    hecho(emitirFacturas({rect}));
    QCOMPARE(registroAlta(rect)->importe, importeRegistro);
    QVERIFY2(verificarRegistros().correcta(), qPrintable(verificarRegistros().texto()));

    const QStringList paginas = facturaEnPdf(rect, e.raiz() + u"/rectificativa.pdf"_s);
    QCOMPARE(paginas.size(), 1);
    const QString texto = paginas[0];
    QVERIFY2(texto.contains(u"FACTURA RECTIFICATIVA"_s), qPrintable(texto));
    for (const QString& frase : dice)
        QVERIFY2(texto.contains(frase.arg(formatoFecha(Hoy()))), qPrintable(frase));
    QVERIFY(texto.contains(u"Motivo: Renta de mayo mal calculada"_s));
    // The difference is refunded: nothing asks the tenant to pay.
    QVERIFY(texto.contains(u"Se le devolverán 102,00 €."_s));
    QVERIFY(!texto.contains(u"Cuenta para el pago"_s));
    QCOMPARE(texto.contains(u"IRPF"_s), !sustitucion);
}

void PruebaVerifactu::elAnoNuevoSigueLaCadena() {
    Entorno e;
    prepararFacturaEmitida(e);
    const QString ultima = registrosDelAno().last().huella;
    QCOMPARE(crearAnoDesde(e.carpetaDatos(), u"2024"_s, u"2025"_s), QString());
    QCOMPARE(abrirAnoDeCarpeta(e.carpetaDatos(), u"2025"_s), QString());
    QSqlQuery q = ejecutar(u"SELECT Activo, HuellaAnt, (SELECT COUNT(*) FROM tblRegistros)"
                           " FROM tblVerifactu"_s);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    QCOMPARE(q.value(1).toString(), ultima);
    QCOMPARE(q.value(2).toInt(), 0);
}

void PruebaVerifactu::losRegistrosSeEnvianCuandoHayConexion() {
    Entorno e;
    hecho(anularDocumento(prepararFacturaEmitida(e)));
    crearCertificados(e.raiz());
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    QVERIFY(!cargarCertificado(e.raiz() + u"/empresa.p12"_s, "mala", ssl).isEmpty());
    QCOMPARE(cargarCertificado(e.raiz() + u"/empresa.p12"_s, "secreta", ssl), QString());
    ssl.addCaCertificates(e.raiz() + u"/servidor.crt"_s);
    int esperas = 0;
    const auto esperar = [&esperas](int) { ++esperas; };

    ServidorAeat servidor(e.raiz());
    QUrl apagado = servidor.url();
    apagado.setPort(1);
    QVERIFY(enviarPendientes(apagado, ssl, esperar).error.contains(u"No se pudo conectar"_s));
    QCOMPARE(hecho(registrosPendientes()).size(), 2);

    const ResultadoEnvio resultado = enviarPendientes(servidor.url(), ssl, esperar);
    QVERIFY2(resultado.error.isEmpty(), qPrintable(resultado.error));
    QVERIFY(servidor.conCertificado);
    QCOMPARE(resultado.enviados, 2);
    QCOMPARE(resultado.aceptados, 1);
    QCOMPARE(resultado.rechazados, 1);
    QVERIFY(hecho(registrosPendientes()).isEmpty());
    const QList<EstadoRegistro> estados = hecho(estadosRegistros());
    QCOMPARE(estados[0].estado, u"Correcto"_s);
    QCOMPARE(estados[1].error, u"3002: No existe el registro de facturación."_s);
    QVERIFY(segundosDeEspera() > 50);
    QCOMPARE(esperas, 0);

    // The message as the agency's schema wants it: well formed, every mandatory element there.
    QFile mensaje(e.raiz() + u"/mensaje.xml"_s);
    QVERIFY(mensaje.open(QIODevice::WriteOnly));
    mensaje.write(servidor.cuerpo);
    mensaje.close();
    QCOMPARE(QProcess::execute(u"xmllint"_s, {u"--noout"_s, mensaje.fileName()}), 0);
    QStringList elementos;
    QXmlStreamReader x(servidor.cuerpo);
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement) elementos << x.name().toString();
    const QString obligatorios =
        u"Cabecera ObligadoEmision RegistroAlta IDVersion IDEmisorFactura NumSerieFactura"
        " FechaExpedicionFactura NombreRazonEmisor TipoFactura DescripcionOperacion Destinatarios"
        " DetalleDesglose ClaveRegimen CalificacionOperacion TipoImpositivo"
        " BaseImponibleOimporteNoSujeto CuotaRepercutida CuotaTotal ImporteTotal PrimerRegistro"
        " RegistroAnulacion IDEmisorFacturaAnulada RegistroAnterior SistemaInformatico"
        " IdSistemaInformatico FechaHoraHusoGenRegistro TipoHuella Huella"_s;
    for (const QString& obligatorio : obligatorios.split(u' '))
        QVERIFY2(elementos.contains(obligatorio), qPrintable(obligatorio));

    const int otra = e.documento(8, u"B"_s, Hoy());
    e.linea(otra, 1, 1, 10);
    hecho(emitirFacturas({otra}));
    // Cancelled, nothing goes and the record stays pending.
    SeguimientoEnvio cancelar;
    cancelar.cancelado = [] { return true; };
    QCOMPARE(enviarPendientes(servidor.url(), ssl, esperar, cancelar).error, u"Envío cancelado."_s);
    QCOMPARE(hecho(registrosPendientes()).size(), 1);
    enviarPendientes(servidor.url(), ssl, esperar);
    QCOMPARE(esperas, 2); // the agency's wait comes before each next message
}

TORVANE_TEST_MAIN(PruebaVerifactu)
#include "tst_verifactu.moc"
