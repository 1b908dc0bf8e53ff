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

/** A row; an empty ruta means the choice must be refused with mensaje (or silently). */
void fila(const char* caso, const char* boton, const QString& elegida, const QString& ano,
          const QString& mensaje, const QString& ruta = {}, const QString& anoAbierto = {},
          int documentos = 0) {
    QTest::newRow(caso) << QByteArray(boton) << elegida << ano << mensaje << ruta << anoAbierto
                        << documentos;
}

} // namespace

class TestBienvenida : public QObject {
    Q_OBJECT

private slots:
    void cadaEleccion_data() {
        QTest::addColumn<QByteArray>("boton");
        QTest::addColumn<QString>("elegida");
        QTest::addColumn<QString>("ano");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("anoAbierto");
        QTest::addColumn<int>("documentos");
        // A folder named with an eñe is written as UTF-8 and read back the same.
        fila("crear", "cmdCrear", u"Año nuevo"_s, u"2025"_s, {}, u"Año nuevo"_s, u"2025"_s);
        fila("abrir la carpeta de datos", "cmdAbrir", u"Viejos"_s, {}, {}, u"Viejos"_s, u"2024"_s);
        fila("abrir la carpeta de un año", "cmdAbrir", u"Viejos/2023"_s, {}, {}, u"Viejos"_s,
             u"2023"_s);
        fila("demostración", "cmdDemo", {}, {}, {}, u"casa/TorvaneDemo"_s, u"2024"_s, 1);
        fila("cancelada", "cmdCrear", {}, u"2025"_s, {});
        fila("sin año", "cmdCrear", u"Nuevos"_s, {}, u"Escriba el año de trabajo"_s);
        fila("año con barra", "cmdCrear", u"Nuevos"_s, u"../x"_s, u"no puede ser"_s);
        fila("el año ya existe", "cmdCrear", u"Viejos"_s, u"2024"_s, u"no se sobrescribe"_s);
        fila("carpeta sin años", "cmdAbrir", u"Viejos/notas"_s, {}, u"no hay ningún año"_s);
    }

    void cadaEleccion() {
        QFETCH(QByteArray, boton);
        QFETCH(QString, elegida);
        QFETCH(QString, ano);
        QFETCH(QString, mensaje);
        QFETCH(QString, ruta);
        QFETCH(QString, anoAbierto);
        QFETCH(int, documentos);
        Entorno e;
        const QString raiz = e.raiz() + u'/';
        for (const QString& viejo : {u"2023"_s, u"2024"_s})
            QCOMPARE(crearAno(raiz + u"Viejos"_s, viejo), QString());
        QDir().mkpath(raiz + u"Viejos/notas"_s);
        const QByteArray antes = contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s);
        qputenv("HOME", QFile::encodeName(raiz + u"casa"_s));
        QVERIFY(!Modulo::HayRuta());

        frmBienvenida ventana;
        ventana.show();
        auto* txtAno = ventana.findChild<QLineEdit*>(u"txtAno"_s);
        txtAno->clear();
        teclear(txtAno, ano);
        DialogoArchivo::fijarSiguiente(elegida.isEmpty() ? QString() : raiz + elegida);
        QTest::mouseClick(ventana.findChild<QPushButton*>(QString::fromLatin1(boton)),
                          Qt::LeftButton);
        const QStringList textos = Mensaje::textos();
        if (ruta.isEmpty()) {
            QCOMPARE(textos.size(), mensaje.isEmpty() ? 0 : 1);
            if (!mensaje.isEmpty()) QVERIFY2(textos[0].contains(mensaje), qPrintable(textos[0]));
            QVERIFY(ventana.isVisible());
            QVERIFY(!Modulo::HayRuta());
            QVERIFY(!QFileInfo::exists(raiz + u"Nuevos"_s));
            QCOMPARE(contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s), antes);
            return;
        }
        QCOMPARE(textos, QStringList());
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
};

TORVANE_TEST_MAIN(TestBienvenida)
#include "tst_bienvenida.moc"
