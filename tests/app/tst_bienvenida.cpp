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

namespace {

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
        QTest::newRow("crear") << QByteArray("cmdCrear") << QStringLiteral("Nuevos")
                               << QStringLiteral("2025") << QStringLiteral("Nuevos")
                               << QStringLiteral("2025") << 0;
        QTest::newRow("abrir la carpeta de datos")
            << QByteArray("cmdAbrir") << QStringLiteral("Viejos") << QString()
            << QStringLiteral("Viejos") << QStringLiteral("2024") << 0;
        QTest::newRow("abrir la carpeta de un año")
            << QByteArray("cmdAbrir") << QStringLiteral("Viejos/2023") << QString()
            << QStringLiteral("Viejos") << QStringLiteral("2023") << 0;
        QTest::newRow("demostración")
            << QByteArray("cmdDemo") << QString() << QString() << QStringLiteral("casa/TorvaneDemo")
            << QStringLiteral("2024") << 1;
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
            QCOMPARE(crearAno(raiz + QStringLiteral("Viejos"), QLatin1StringView(viejo)),
                     QString());
        QDir().mkpath(raiz + QStringLiteral("Viejos/notas"));
        qputenv("HOME", QFile::encodeName(raiz + QStringLiteral("casa")));
        QVERIFY(!Modulo::HayRuta());

        frmBienvenida ventana;
        ventana.show();
        if (!ano.isEmpty()) {
            auto* txtAno = ventana.findChild<QLineEdit*>(QStringLiteral("txtAno"));
            txtAno->clear();
            teclear(txtAno, ano);
        }
        DialogoArchivo::fijarSiguiente(raiz + elegida);
        pulsar(ventana, boton.constData());
        QCOMPARE(Mensaje::textos(), QStringList());
        QCOMPARE(ventana.result(), int(QDialog::Accepted));
        QCOMPARE(leer(e.carpetaUsuario() + QStringLiteral("/ruta.ini")),
                 (raiz + ruta + QStringLiteral("\r\n")).toUtf8());
        QCOMPARE(leer(e.carpetaUsuario() + QStringLiteral("/ano.ini")),
                 (anoAbierto + QStringLiteral("\r\n")).toUtf8());

        std::unique_ptr<QLockFile> cerrojo;
        QCOMPARE(Arrancar(cerrojo), QString());
        QCOMPARE(Modulo::RutaBD, raiz + ruta + u'/' + anoAbierto + QStringLiteral("/Zudivoz.mdb"));
        QVERIFY(QFile::exists(raiz + ruta + QStringLiteral("/Informes/Recibo.rpt")));
        QCOMPARE(Entorno::contar(QStringLiteral("tblIva")), 4);
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros")) > 0, documentos > 0);
        frmPrincipal principal;
        principal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&principal));
    }

    void eleccionQueNoValeNoEscribeNada_data() {
        QTest::addColumn<QByteArray>("boton");
        QTest::addColumn<QString>("elegida");
        QTest::addColumn<QString>("ano");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("cancelada")
            << QByteArray("cmdCrear") << QString() << QStringLiteral("2025") << QString();
        QTest::newRow("sin año") << QByteArray("cmdCrear") << QStringLiteral("Nuevos") << QString()
                                 << QStringLiteral("Escriba el año de trabajo");
        QTest::newRow("año con barra") << QByteArray("cmdCrear") << QStringLiteral("Nuevos")
                                       << QStringLiteral("../x") << QStringLiteral("no puede ser");
        QTest::newRow("el año ya existe")
            << QByteArray("cmdCrear") << QStringLiteral("Viejos") << QStringLiteral("2024")
            << QStringLiteral("no se sobrescribe");
        QTest::newRow("carpeta sin años")
            << QByteArray("cmdAbrir") << QStringLiteral("Viejos/notas") << QString()
            << QStringLiteral("no hay ningún año");
    }

    void eleccionQueNoValeNoEscribeNada() {
        QFETCH(QByteArray, boton);
        QFETCH(QString, elegida);
        QFETCH(QString, ano);
        QFETCH(QString, mensaje);
        Entorno e;
        const QString raiz = e.raiz() + u'/';
        QCOMPARE(crearAno(raiz + QStringLiteral("Viejos"), QStringLiteral("2024")), QString());
        QDir().mkpath(raiz + QStringLiteral("Viejos/notas"));
        const QByteArray antes = leer(raiz + QStringLiteral("Viejos/2024/Zudivoz.mdb"));
        frmBienvenida ventana;
        ventana.show();
        auto* txtAno = ventana.findChild<QLineEdit*>(QStringLiteral("txtAno"));
        txtAno->clear();
        teclear(txtAno, ano);
        DialogoArchivo::fijarSiguiente(elegida.isEmpty() ? QString() : raiz + elegida);
        pulsar(ventana, boton.constData());
        const QStringList textos = Mensaje::textos();
        QCOMPARE(textos.size(), mensaje.isEmpty() ? 0 : 1);
        if (!mensaje.isEmpty()) QVERIFY2(textos[0].contains(mensaje), qPrintable(textos[0]));
        QVERIFY(ventana.isVisible());
        QVERIFY(!Modulo::HayRuta());
        QVERIFY(!QFileInfo::exists(raiz + QStringLiteral("Nuevos")));
        QCOMPARE(leer(raiz + QStringLiteral("Viejos/2024/Zudivoz.mdb")), antes);
    }
};

TORVANE_TEST_MAIN(TestBienvenida)
#include "tst_bienvenida.moc"
