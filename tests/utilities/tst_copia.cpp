#include "app/Modulo.h"
#include "data/Consulta.h"
#include "data/Copia.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "utilities/frmCopiaPen.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

void escribir(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contenido);
}

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The program folder's settings point at the test's year, as they do at start-up.
void ajustes(const Entorno& e) {
    escribir(e.carpetaPrograma() + u"/ruta.ini"_s, QFile::encodeName(e.carpetaDatos()) + "\r\n");
    escribir(e.carpetaPrograma() + u"/ano.ini"_s, "2024\r\n");
}

/** A copy window on one folder standing in for a removable drive. */
struct VentanaCopia {
    explicit VentanaCopia(const QString& unidad) {
        frmCopiaPen::fijarUnidades({u"/"_s, unidad});
        w.show();
    }
    ~VentanaCopia() { frmCopiaPen::fijarUnidades({}); }
    void pulsar(const char* boton) { w.findChild<QPushButton*>(QLatin1StringView(boton))->click(); }
    QLabel* aviso() { return w.findChild<QLabel*>(u"lblInforma"_s); }
    frmCopiaPen w;
};

int documentos() {
    return Entorno::contar(u"tblCobros"_s);
}

} // namespace

class TestCopia : public QObject {
    Q_OBJECT

private slots:
    void copiarYRecuperar() {
        Entorno e;
        ajustes(e);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        QDir().mkpath(unidad);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        VentanaCopia v(unidad);

        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRealizar");
        QVERIFY(!QFile::exists(unidad + u"/CopiaTorvane"_s));
        QVERIFY(v.aviso()->isHidden());

        v.pulsar("cmdRealizar");
        const QString copia = unidad + u"/CopiaTorvane/2024/Zudivoz.mdb"_s;
        QVERIFY(verificarCopia(copia).isEmpty());
        QCOMPARE(v.aviso()->text(), u"La copia se ha completado"_s);

        // A second copy replaces the first; later changes are undone by the restore.
        e.documento(2, u"A"_s, QDate(2024, 2, 5), 0, 0, 20);
        v.pulsar("cmdRealizar");
        e.documento(3, u"A"_s, QDate(2024, 3, 5), 0, 0, 30);
        ejecutar(u"UPDATE tblCobros SET Tot = 99 WHERE Id = 1"_s);
        QCOMPARE(documentos(), 3);

        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 3);
        QVERIFY(Mensaje::textos().value(0).startsWith(u"¡ A T E N C I Ó N !\n"_s));

        v.pulsar("cmdRecuperar");
        QCOMPARE(v.aviso()->text(), u"La recuperación se ha completado"_s);
        QVERIFY(Conexion().isOpen());
        QCOMPARE(documentos(), 2);
        QCOMPARE(valorUnico(u"SELECT Tot FROM tblCobros WHERE Id = 1"_s).toDouble(), 10.0);
        QVERIFY(v.w.isVisible());
        // What was replaced is kept beside the data, whole.
        QVERIFY(verificarCopia(Modulo::RutaBD + u".antes-de-restaurar"_s).isEmpty());
        e.documento(4, u"A"_s, QDate(2024, 4, 5), 0, 0, 40);
        QCOMPARE(documentos(), 3);
    }

    void copiaRechazada_data() {
        QTest::addColumn<bool>("sinUso");
        for (const char* caso : {"texto", "cortada", "ajena", "sin archivo", "sin carpeta"})
            QTest::newRow(caso) << true;
    }

    void copiaRechazada() {
        const QString caso = QString::fromUtf8(QTest::currentDataTag());
        Entorno e;
        ajustes(e);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        const QString carpeta = unidad + u"/CopiaTorvane/2024"_s;
        QDir().mkpath(caso == u"sin carpeta"_s ? unidad : carpeta);
        const QString copia = carpeta + u"/Zudivoz.mdb"_s;
        if (caso == u"texto"_s) escribir(copia, "esto no es una base de datos");
        if (caso == u"cortada"_s) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            const QByteArray entera = leer(copia);
            escribir(copia, entera.left(entera.size() / 2));
        }
        if (caso == u"ajena"_s) {
            QSqlQuery(Conexion()).exec(u"ATTACH DATABASE '"_s + copia + u"' AS otra"_s);
            ejecutar(u"CREATE TABLE otra.fotos (Id INTEGER)"_s);
            QSqlQuery(Conexion()).exec(u"DETACH DATABASE otra"_s);
        }
        const QByteArray antes = leer(Modulo::RutaBD);
        VentanaCopia v(unidad);
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().size(), 2);
        QVERIFY(!Mensaje::textos().last().isEmpty());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(!QFile::exists(Modulo::RutaBD + u".antes-de-restaurar"_s));
        QCOMPARE(leer(Modulo::RutaBD), antes);
        QCOMPARE(documentos(), 1);
    }

    void unidadSinEscritura() {
        Entorno e;
        // A drive whose root is a file cannot take folders, like a write-protected medium.
        const QString unidad = e.raiz() + u"/protegido"_s;
        escribir(unidad, "x");
        VentanaCopia v(unidad);
        v.pulsar("cmdRealizar");
        QVERIFY(Mensaje::textos().last().contains(u"No se puede crear la carpeta"_s));
        QVERIFY(v.w.isVisible());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(Conexion().isOpen());
    }
};

TORVANE_TEST_MAIN(TestCopia)
#include "tst_copia.moc"
