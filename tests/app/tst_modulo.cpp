#include "app/Aplicacion.h"
#include "app/Modulo.h"
#include "app/frmPrincipal.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "ui/Mensajes.h"
#include "support/Entorno.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

namespace {

void escribirArchivo(const QString& ruta, const QByteArray& contenido)
{
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contenido);
}

QByteArray leerArchivo(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestModulo : public QObject {
    Q_OBJECT

private slots:
    void lecturaDeAjustes()
    {
        Entorno e;
        const QString p = e.carpetaPrograma();
        QCOMPARE(Modulo::LeerRuta(), QString());
        QVERIFY(!Modulo::LeerColor().isValid());
        QVERIFY(!Modulo::LeerImpresora(false).isValid());
        escribirArchivo(p + QStringLiteral("/ruta.ini"), "C:\\Datos\\\r\nsegunda\r\n");
        escribirArchivo(p + QStringLiteral("/ano.ini"), "");
        escribirArchivo(p + QStringLiteral("/color.ini"), " 15658734 \r\n");
        escribirArchivo(p + QStringLiteral("/color2.ini"), "rojo\r\n");
        escribirArchivo(p + QStringLiteral("/imp.ini"), "2\r\n");
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("C:\\Datos\\"));
        QCOMPARE(Modulo::LeerAno(), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor()), 15658734);
        QCOMPARE(Modulo::LeerColor2(), QVariant(QString()));
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor2()), 0);
        QCOMPARE(Modulo::LeerImpresora(false).toString(), QStringLiteral("2"));
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QString());
        // Old 8-bit files and UTF-8 ones both read as the user wrote them.
        escribirArchivo(p + QStringLiteral("/ruta.ini"), "/datos/A\xf1o\r\n");
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("/datos/Año"));
        escribirArchivo(p + QStringLiteral("/ruta.ini"), QStringLiteral("/datos/Año\r\n").toUtf8());
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("/datos/Año"));
    }

    void escrituraByteAByte()
    {
        Entorno e;
        const QString p = e.carpetaPrograma();
        QVERIFY(Modulo::EscribirColor(15658734));
        QVERIFY(Modulo::EscribirColor2(0));
        QVERIFY(Modulo::EscribirImpresoras(1, -1));
        QCOMPARE(leerArchivo(p + QStringLiteral("/color.ini")), QByteArray(" 15658734 \r\n"));
        QCOMPARE(leerArchivo(p + QStringLiteral("/color2.ini")), QByteArray(" 0 \r\n"));
        QCOMPARE(leerArchivo(p + QStringLiteral("/imp.ini")), QByteArray("1\r\n-1\r\n"));
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QStringLiteral("-1"));
    }

    void baseQueNoSeAbre_data()
    {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("no existe") << QByteArray() << QStringLiteral("no existe");
        QTest::newRow("carpeta") << QByteArray("DIR") << QStringLiteral("carpeta");
        QTest::newRow("texto") << QByteArray("hola") << QStringLiteral("no es una base de datos");
        QTest::newRow("access") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)
                                << QStringLiteral("Access");
        QTest::newRow("sin tablas") << QByteArray("SQLITE") << QStringLiteral("faltan tablas");
    }

    void baseQueNoSeAbre()
    {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, motivo);
        Entorno e;
        cerrarBaseDatos();
        const QString carpeta = e.raiz() + QStringLiteral("/otro/2025");
        QDir().mkpath(carpeta);
        const QString ruta = carpeta + QStringLiteral("/Zudivoz.mdb");
        if (contenido == "DIR") {
            QDir().mkpath(ruta);
        } else if (contenido == "SQLITE") {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("vacia"));
            db.setDatabaseName(ruta);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE tblInmuebles (Id INTEGER)"));
            db.close();
        } else if (!contenido.isEmpty()) {
            escribirArchivo(ruta, contenido);
        }
        const QByteArray antes = QFileInfo(ruta).isFile() ? leerArchivo(ruta) : QByteArray();
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ruta.ini"), (e.raiz() + QStringLiteral("/otro\r\n")).toUtf8());
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ano.ini"), "2025\r\n");
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.contains(ruta), qPrintable(error));
        QVERIFY2(error.contains(motivo, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(!Conexion().isOpen());
        QCOMPARE(QFileInfo::exists(ruta), !contenido.isEmpty());
        if (QFileInfo(ruta).isFile())
            QCOMPARE(leerArchivo(ruta), antes);
    }

    void sinAjustesLaRutaEsDobleBarra()
    {
        Entorno e;
        const QString error = Modulo::AbrirBaseDatos();
        QCOMPARE(Modulo::RutaBD, QStringLiteral("//Zudivoz.mdb"));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/Zudivoz.mdb")));
    }

    void unaSolaInstancia()
    {
        Entorno e;
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ruta.ini"), (e.carpetaDatos() + QStringLiteral("\r\n")).toUtf8());
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ano.ini"), "2024\r\n");
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/color.ini"), " 255 \r\n");
        const QString cerrojo = e.carpetaPrograma() + QStringLiteral("/torvane.lock");
        QLockFile primero(cerrojo);
        QCOMPARE(Arrancar(primero), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::ColorPrincipal), 255);
        QLockFile segundo(cerrojo);
        QCOMPARE(Arrancar(segundo), kYaEnMarcha);
    }

    void confirmacionDeSalida()
    {
        Entorno e;
        frmPrincipal principal;
        principal.show();
        Mensaje::responderSiguiente(false);
        QVERIFY(!principal.close());
        QVERIFY(principal.isVisible());
        QVERIFY(Conexion().isOpen());
        QCOMPARE(Mensaje::historial().last().titulo, QStringLiteral("Atención!!"));
        QCOMPARE(Mensaje::historial().last().texto, QStringLiteral("¿Confirma que desea Salir?"));
        Mensaje::responderSiguiente(true);
        principal.findChild<QAction*>(QStringLiteral("mnuSairSair"))->trigger();
        QVERIFY(!principal.isVisible());
        QVERIFY(!Conexion().isOpen());
    }
};

TORVANE_TEST_MAIN(TestModulo)
#include "tst_modulo.moc"
