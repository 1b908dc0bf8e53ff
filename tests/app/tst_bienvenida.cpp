// The first start: each choice of the welcome window leads to an open year and the main window.
#include "app/Modulo.h"
#include "app/frmBienvenida.h"
#include "app/frmPrincipal.h"
#include "data/Consulta.h"
#include "data/Demo.h"
#include "support/Entorno.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

void pulsar(frmBienvenida& ventana, const char* boton) {
    QTest::mouseClick(ventana.findChild<QPushButton*>(QLatin1StringView(boton)), Qt::LeftButton);
}

} // namespace

class TestBienvenida : public QObject {
    Q_OBJECT

private slots:
    void cadaCaminoAbreElAno_data() {
        QTest::addColumn<QByteArray>("boton");
        QTest::addColumn<QString>("elegida");
        QTest::addColumn<QString>("ano");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("anoAbierto");
        QTest::addColumn<int>("documentos");
        // A folder named with an eñe is written as UTF-8 and read back the same.
        QTest::newRow("crear") << QByteArray("cmdCrear") << u"Año nuevo"_s << u"2025"_s
                               << u"Año nuevo"_s << u"2025"_s << 0;
        QTest::newRow("abrir la carpeta de datos")
            << QByteArray("cmdAbrir") << u"Viejos"_s << QString() << u"Viejos"_s << u"2024"_s << 0;
        QTest::newRow("abrir la carpeta de un año") << QByteArray("cmdAbrir") << u"Viejos/2023"_s
                                                    << QString() << u"Viejos"_s << u"2023"_s << 0;
        QTest::newRow("demostración") << QByteArray("cmdDemo") << QString() << QString()
                                      << u"casa/TorvaneDemo"_s << u"2024"_s << 1;
    }

    void cadaCaminoAbreElAno() {
        QFETCH(QByteArray, boton);
        QFETCH(QString, elegida);
        QFETCH(QString, ano);
        QFETCH(QString, ruta);
        QFETCH(QString, anoAbierto);
        QFETCH(int, documentos);
        Entorno e;
        const QString raiz = e.raiz() + u'/';
        for (const char* viejo : {"2023", "2024"})
            QCOMPARE(crearAno(raiz + u"Viejos"_s, QLatin1StringView(viejo)), QString());
        QDir().mkpath(raiz + u"Viejos/notas"_s);
        qputenv("HOME", QFile::encodeName(raiz + u"casa"_s));
        QVERIFY(!Modulo::HayRuta());

        frmBienvenida ventana;
        ventana.show();
        if (!ano.isEmpty()) {
            auto* txtAno = ventana.findChild<QLineEdit*>(u"txtAno"_s);
            txtAno->clear();
            teclear(txtAno, ano);
        }
        DialogoArchivo::fijarSiguiente(raiz + elegida);
        pulsar(ventana, boton.constData());
        QCOMPARE(Mensaje::textos(), QStringList());
        QCOMPARE(ventana.result(), int(QDialog::Accepted));
        QCOMPARE(contenidoDe(e.carpetaUsuario() + u"/ruta.ini"_s),
                 (raiz + ruta + u"\r\n"_s).toUtf8());
        QCOMPARE(contenidoDe(e.carpetaUsuario() + u"/ano.ini"_s),
                 (anoAbierto + u"\r\n"_s).toUtf8());
        QVERIFY(!QFileInfo::exists(e.carpetaPrograma() + u"/ruta.ini"_s));

        std::unique_ptr<QLockFile> cerrojo;
        QCOMPARE(Arrancar(cerrojo), QString());
        QCOMPARE(Modulo::RutaBD, raiz + ruta + u'/' + anoAbierto + u"/Zudivoz.mdb"_s);
        QVERIFY(QFile::exists(raiz + ruta + u"/Informes/Recibo.rpt"_s));
        QCOMPARE(Entorno::contar(u"tblIva"_s), 4);
        QCOMPARE(Entorno::contar(u"tblCobros"_s) > 0, documentos > 0);
        frmPrincipal principal;
        principal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&principal));
    }

    void eleccionQueNoValeNoEscribeNada_data() {
        QTest::addColumn<QByteArray>("boton");
        QTest::addColumn<QString>("elegida");
        QTest::addColumn<QString>("ano");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("cancelada") << QByteArray("cmdCrear") << QString() << u"2025"_s << QString();
        QTest::newRow("sin año") << QByteArray("cmdCrear") << u"Nuevos"_s << QString()
                                 << u"Escriba el año de trabajo"_s;
        QTest::newRow("año con barra")
            << QByteArray("cmdCrear") << u"Nuevos"_s << u"../x"_s << u"no puede ser"_s;
        QTest::newRow("el año ya existe")
            << QByteArray("cmdCrear") << u"Viejos"_s << u"2024"_s << u"no se sobrescribe"_s;
        QTest::newRow("carpeta sin años")
            << QByteArray("cmdAbrir") << u"Viejos/notas"_s << QString() << u"no hay ningún año"_s;
    }

    void eleccionQueNoValeNoEscribeNada() {
        QFETCH(QByteArray, boton);
        QFETCH(QString, elegida);
        QFETCH(QString, ano);
        QFETCH(QString, mensaje);
        Entorno e;
        const QString raiz = e.raiz() + u'/';
        QCOMPARE(crearAno(raiz + u"Viejos"_s, u"2024"_s), QString());
        QDir().mkpath(raiz + u"Viejos/notas"_s);
        const QByteArray antes = contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s);
        frmBienvenida ventana;
        ventana.show();
        auto* txtAno = ventana.findChild<QLineEdit*>(u"txtAno"_s);
        txtAno->clear();
        teclear(txtAno, ano);
        DialogoArchivo::fijarSiguiente(elegida.isEmpty() ? QString() : raiz + elegida);
        pulsar(ventana, boton.constData());
        const QStringList textos = Mensaje::textos();
        QCOMPARE(textos.size(), mensaje.isEmpty() ? 0 : 1);
        if (!mensaje.isEmpty()) QVERIFY2(textos[0].contains(mensaje), qPrintable(textos[0]));
        QVERIFY(ventana.isVisible());
        QVERIFY(!Modulo::HayRuta());
        QVERIFY(!QFileInfo::exists(raiz + u"Nuevos"_s));
        QCOMPARE(contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s), antes);
    }
};

TORVANE_TEST_MAIN(TestBienvenida)
#include "tst_bienvenida.moc"
