#include "support/Entorno.h"

#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "support/ServidorPrueba.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

using namespace torvane;

using namespace Qt::StringLiterals;

// TORVANE_PRUEBAS_SERVIDOR runs every window test on a server year.
bool Entorno::enServidor = qEnvironmentVariableIsSet("TORVANE_PRUEBAS_SERVIDOR");

Entorno::Entorno(const QString& ano) {
    QDir().mkpath(carpetaPrograma());
    QDir().mkpath(carpetaDatos() + QLatin1Char('/') + ano);
    Modulo::fijarCarpetaPrograma(carpetaPrograma());
    // Window sizes remembered by one test never reach another, nor the user's own settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, raiz());
    Modulo::fijarCarpetaUsuario(carpetaUsuario());
    const QString ruta = carpetaDatos() + QLatin1Char('/') + ano + u"/Zudivoz.mdb"_s;
    QString error;
    if (enServidor) {
        const ServidorPrueba& servidor = ServidorPrueba::compartido();
        error = servidor.error();
        if (error.isEmpty() &&
            !servidor.sql(u"DROP SCHEMA IF EXISTS %1 CASCADE"_s.arg(esquemaAno(ano))))
            error = u"no se pudo vaciar el año del servidor"_s;
        if (error.isEmpty()) error = crearAnoServidor(servidor.datos(), ano);
        if (error.isEmpty()) error = abrirAnoServidor(servidor.datos(), ano);
        servidor.escribirIni(carpetaDatos());
    } else {
        error = crearBaseDatos(ruta);
        if (error.isEmpty()) error = abrirBaseDatos(ruta);
    }
    if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    sesion().ruta = carpetaDatos();
    sesion().ano = ano;
    sesion().rutaBD = ruta;
    sesion().colorPrincipal = QString::number(0xF9EDEF);
    sesion().colorFondo = QString::number(0xF2C0C8);
    Mensaje::modoPrueba(true);
    Mensaje::limpiarHistorial();
    fijarHoy(QDate(2024, 5, 15));
}

QString Entorno::reabrir() const {
    return enServidor ? abrirAnoServidor(ServidorPrueba::compartido().datos(), sesion().ano)
                      : abrirBaseDatos(sesion().rutaBD);
}

Entorno::~Entorno() {
    cerrarBaseDatos();
    Mensaje::limpiarHistorial();
    fijarHoy({});
}

QString Entorno::abrirDemo(const TamanoDemo& tamano) {
    const QString carpeta = raiz() + u"/demo"_s;
    const QString error = crearDemo(carpeta, u"2024"_s, tamano);
    if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    sesion().ruta = carpeta;
    sesion().rutaBD = carpeta + u"/2024/Zudivoz.mdb"_s;
    abrirBaseDatos(sesion().rutaBD);
    return carpeta;
}

namespace {

/** Runs an INSERT; the new row's Id, which both engines give as one past the largest. */
int insertar(const QString& sql, const QVariantList& valores) {
    QSqlQuery q = ejecutar(sql + u" RETURNING Id"_s, valores);
    return q.next() ? q.value(0).toInt() : 0;
}

/** An amount written by hand into the year, as the program would store it. */
QVariant euros(double euros) {
    return guardar(Importe::desdeEuros(euros));
}

} // namespace

int Entorno::inquilino(const QString& nombre, const QString& tfn, const QString& mob,
                       const QString& mail, const QString& dni) {
    return insertar(u"INSERT INTO tblInquilinos (Nom, DNI, Tfn, Mob, Mail) VALUES (?,?,?,?,?)"_s,
                    {nombre, dni, tfn, mob, mail});
}

int Entorno::inmueble(const QString& des, int idInq, const QString& dir, const QString& cp,
                      const QString& pob, const QString& pro, double pre) {
    return insertar(u"INSERT INTO tblInmuebles (Des, Dir, CP, Pob, Pro, Pre, IdInq)"
                    " VALUES (?,?,?,?,?,?,?)"_s,
                    {des, dir, cp, pob, pro, euros(pre), idInq});
}

int Entorno::concepto(const QString& des, double imp) {
    return insertar(u"INSERT INTO tblCobrosConceptos (Des, Imp) VALUES (?,?)"_s, {des, euros(imp)});
}

void Entorno::tipoIva(int tiv, double iva, double req, bool activo) {
    ejecutar(u"INSERT INTO tblIva (TIV, IVA, Req, Activo) VALUES (?,?,?,?)"_s,
             {tiv, iva, req, activo ? 1 : 0});
}

void Entorno::serie(const QString& cod, const QString& des) {
    ejecutar(u"INSERT INTO tblSeriesF (Cod, Des) VALUES (?,?)"_s, {cod, des});
}

int Entorno::documento(int num, const QString& ser, const QDate& fecha, int idInm, int idInq,
                       double tot, bool pagado) {
    // A paid one was paid on its own date.
    return insertar(u"INSERT INTO tblCobros (Num, Ser, IdInq, IdInm, Fec, Tri, Pag, Tot, Base,"
                    " SubTotal, FecPag) VALUES (?,?,?,?,?,?,?,?,?,?,?)"_s,
                    {num, ser, idInq, idInm, fechaIso(fecha), (fecha.month() - 1) / 3 + 1,
                     pagado ? 1 : 0, euros(tot), euros(tot), euros(tot),
                     pagado ? QVariant(fechaIso(fecha)) : QVariant()});
}

int Entorno::linea(int idDoc, int lin, double und, double pre, int idCon, const QString& des) {
    return insertar(u"INSERT INTO tblCobrosDetalles (IdDoc, Lin, IdCon, DesCon, Und, Pre, Imp)"
                    " VALUES (?,?,?,?,?,?,?)"_s,
                    {idDoc, lin, idCon, des, und, euros(pre), euros(und * pre)});
}

int Entorno::contar(const QString& tabla, const QString& condicion, const QVariantList& valores) {
    QString sql = u"SELECT COUNT(*) FROM %1"_s.arg(tabla);
    if (!condicion.isEmpty()) sql += u" WHERE "_s + condicion;
    return valorUnico(sql, valores).toInt();
}

QByteArray contenidoDe(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void guardarEn(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(ruta));
    QVERIFY(f.write(contenido) == contenido.size());
}

void teclear(QWidget* control, const QString& texto) {
    QTest::keyClicks(control, texto);
}

void pulsarEnter(QWidget* control) {
    QTest::keyClick(control, Qt::Key_Return);
}

void enfocar(QWidget* control) {
    QWidget* ventana = control->window();
    if (!ventana->isVisible()) ventana->show();
    QApplication::setActiveWindow(ventana);
    ventana->activateWindow();
    control->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

QStringList paginasPdf(const QString& ruta, bool juntarBlancos) {
    QProcess proceso;
    proceso.start(u"pdftotext"_s, {u"-layout"_s, ruta, u"-"_s});
    if (!proceso.waitForFinished(60000) || proceso.exitCode() != 0) return {};
    // The font draws "fi" and "fl" as one glyph each, which pdftotext reads back as such.
    QStringList paginas = QString::fromUtf8(proceso.readAllStandardOutput())
                              .replace(QChar(0xFB01), u"fi"_s)
                              .replace(QChar(0xFB02), u"fl"_s)
                              .split(QLatin1Char('\f'));
    if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty()) paginas.removeLast();
    for (QString& p : paginas)
        p = juntarBlancos ? p.simplified() : p.replace(QRegularExpression(u" +"_s), u" "_s);
    return paginas;
}

namespace {

// What a dialog says: its title and the texts it shows.
QString textoDialogo(QWidget* dialogo) {
    QStringList textos{dialogo->windowTitle()};
    if (auto* caja = qobject_cast<QMessageBox*>(dialogo))
        textos << caja->text() << caja->informativeText();
    else if (auto* pregunta = qobject_cast<QInputDialog*>(dialogo))
        textos << pregunta->labelText();
    else
        for (const QLabel* etiqueta : dialogo->findChildren<QLabel*>())
            if (etiqueta->isVisible()) textos << etiqueta->text();
    textos.removeAll(QString());
    return textos.join(u" | "_s);
}

bool nadieLoContesta(QWidget* dialogo) {
    return qobject_cast<QMessageBox*>(dialogo) || qobject_cast<QInputDialog*>(dialogo) ||
           qobject_cast<QFileDialog*>(dialogo);
}

} // namespace

void vigilarDialogos() {
    auto* reloj = new QTimer(qApp);
    QObject::connect(reloj, &QTimer::timeout, reloj, [] {
        static QPointer<QWidget> visto;
        static QElapsedTimer desde;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != visto) {
            visto = modal;
            desde.start();
        }
        if (!modal || (!nadieLoContesta(modal) && desde.elapsed() < kEsperaDialogo)) return;
        const QByteArray motivo = "Un diálogo quedó sin respuesta: " + textoDialogo(modal).toUtf8();
        visto = nullptr;
        if (auto* dialogo = qobject_cast<QDialog*>(modal))
            dialogo->reject();
        else
            modal->close();
        QTest::qFail(motivo.constData(), __FILE__, __LINE__);
    });
    reloj->start(50);
}
