#include "support/Entorno.h"

#include "app/Modulo.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "data/Formato.h"
#include "reports/Impresoras.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QProcess>
#include <QRegularExpression>

Entorno::Entorno(const QString& ano)
{
    QDir().mkpath(carpetaPrograma());
    QDir().mkpath(carpetaDatos() + QLatin1Char('/') + ano);
    Modulo::fijarCarpetaPrograma(carpetaPrograma());
    // Window sizes remembered by one test never reach another, nor the user's own settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, raiz());
    Modulo::fijarCarpetaUsuario(carpetaUsuario());
    const QString ruta = carpetaDatos() + QLatin1Char('/') + ano + QStringLiteral("/Zudivoz.mdb");
    QString error = crearBaseDatos(ruta);
    if (error.isEmpty())
        error = abrirBaseDatos(ruta);
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));
    Modulo::Ruta = carpetaDatos();
    Modulo::Ano = ano;
    Modulo::RutaBD = ruta;
    Modulo::ColorPrincipal = QString::number(0xF9EDEF);
    Modulo::ColorFondo = QString::number(0xF2C0C8);
    Modulo::IdAtopado.clear();
    Modulo::FilaSeleccionada = 0;
    Mensaje::modoPrueba(true);
    Mensaje::limpiarHistorial();
    fijarHoy(QDate(2024, 5, 15));
}

Entorno::~Entorno()
{
    cerrarBaseDatos();
    Mensaje::limpiarHistorial();
    fijarHoy({});
}

QString Entorno::abrirDemo(const TamanoDemo& tamano) {
    const QString carpeta = raiz() + QStringLiteral("/demo");
    const QString error = crearDemo(carpeta, QStringLiteral("2024"), tamano);
    if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    Modulo::Ruta = carpeta;
    Modulo::RutaBD = carpeta + QStringLiteral("/2024/Zudivoz.mdb");
    abrirBaseDatos(Modulo::RutaBD);
    // Both choices on "Archivo PDF", wherever the machine's printers put it.
    const int pdf = static_cast<int>(listaImpresoras().size()) - 1;
    Modulo::EscribirImpresoras(pdf, pdf);
    return carpeta;
}

int Entorno::inquilino(const QString& nombre, const QString& tfn, const QString& mob,
                       const QString& mail, const QString& dni)
{
    const int id = valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblInquilinos")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom, DNI, Tfn, Mob, Mail) VALUES (?,?,?,?,?,?)"),
             {id, nombre, dni, tfn, mob, mail});
    return id;
}

int Entorno::inmueble(const QString& des, int idInq, const QString& dir, const QString& cp,
                      const QString& pob, const QString& pro, double pre)
{
    const int id = valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblInmuebles")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblInmuebles (Id, Des, Dir, CP, Pob, Pro, Pre, IdInq)"
                            " VALUES (?,?,?,?,?,?,?,?)"),
             {id, des, dir, cp, pob, pro, pre, idInq});
    return id;
}

int Entorno::concepto(const QString& des, double imp)
{
    const int id =
        valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblCobrosConceptos")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblCobrosConceptos (Id, Des, Imp) VALUES (?,?,?)"),
             {id, des, imp});
    return id;
}

void Entorno::tipoIva(int tiv, double iva, double req, bool activo)
{
    ejecutar(QStringLiteral("INSERT INTO tblIva (TIV, IVA, Req, Activo) VALUES (?,?,?,?)"),
             {tiv, iva, req, activo ? 1 : 0});
}

void Entorno::serie(const QString& cod, const QString& des)
{
    const int id = valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblSeriesF")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblSeriesF (Id, Cod, Des) VALUES (?,?,?)"), {id, cod, des});
}

int Entorno::documento(int num, const QString& ser, const QDate& fecha, int idInm, int idInq,
                       double tot, bool pagado)
{
    const int id = valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblCobros")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblCobros (Id, Num, Ser, IdInq, IdInm, Fec, Tri, Pag, Tot,"
                            " Base, SubTotal) VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
             {id, num, ser, idInq, idInm, fechaIso(fecha), (fecha.month() - 1) / 3 + 1,
              pagado ? 1 : 0, tot, tot, tot});
    return id;
}

int Entorno::linea(int idDoc, int lin, double und, double pre, int idCon, const QString& des)
{
    const int id =
        valorUnico(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM tblCobrosDetalles")).toInt();
    ejecutar(QStringLiteral("INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, DesCon, Und, Pre,"
                            " Imp) VALUES (?,?,?,?,?,?,?,?)"),
             {id, idDoc, lin, idCon, des, und, pre, und * pre});
    return id;
}

int Entorno::contar(const QString& tabla, const QString& condicion, const QVariantList& valores)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(tabla);
    if (!condicion.isEmpty())
        sql += QStringLiteral(" WHERE ") + condicion;
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

void teclear(QWidget* control, const QString& texto) { QTest::keyClicks(control, texto); }

void pulsarEnter(QWidget* control) { QTest::keyClick(control, Qt::Key_Return); }

void enfocar(QWidget* control)
{
    QWidget* ventana = control->window();
    if (!ventana->isVisible())
        ventana->show();
    QApplication::setActiveWindow(ventana);
    ventana->activateWindow();
    control->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

QStringList paginasPdf(const QString& ruta, bool juntarBlancos) {
    QProcess proceso;
    proceso.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), ruta, QStringLiteral("-")});
    if (!proceso.waitForFinished(60000) || proceso.exitCode() != 0) return {};
    // The font draws "fi" and "fl" as one glyph each, which pdftotext reads back as such.
    QStringList paginas = QString::fromUtf8(proceso.readAllStandardOutput())
                              .replace(QChar(0xFB01), QStringLiteral("fi"))
                              .replace(QChar(0xFB02), QStringLiteral("fl"))
                              .split(QLatin1Char('\f'));
    if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty()) paginas.removeLast();
    for (QString& p : paginas)
        p = juntarBlancos ? p.simplified()
                          : p.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
    return paginas;
}
