#include "app/Modulo.h"
#include "data/Consulta.h"
#include "data/Copia.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "utilities/frmCopiaPen.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    escribir(e.carpetaPrograma() + QStringLiteral("/ruta.ini"),
             QFile::encodeName(e.carpetaDatos()) + "\r\n");
    escribir(e.carpetaPrograma() + QStringLiteral("/ano.ini"), "2024\r\n");
}

/** A copy window on one folder standing in for a removable drive. */
struct VentanaCopia {
    explicit VentanaCopia(const QString& unidad) {
        frmCopiaPen::fijarUnidades({QStringLiteral("/"), unidad});
        w.show();
    }
    ~VentanaCopia() { frmCopiaPen::fijarUnidades({}); }
    void pulsar(const char* boton) { w.findChild<QPushButton*>(QLatin1StringView(boton))->click(); }
    QLabel* aviso() { return w.findChild<QLabel*>(QStringLiteral("lblInforma")); }
    frmCopiaPen w;
};

int documentos() {
    return Entorno::contar(QStringLiteral("tblCobros"));
}

} // namespace

class TestCopia : public QObject {
    Q_OBJECT

private slots:
    void copiarYRecuperar() {
        Entorno e;
        ajustes(e);
        const QString unidad = e.raiz() + QStringLiteral("/pendrive");
        QDir().mkpath(unidad);
        e.documento(1, QStringLiteral("A"), QDate(2024, 1, 5), 0, 0, 10);
        VentanaCopia v(unidad);
        QCOMPARE(v.w.findChild<QComboBox*>(QStringLiteral("Drive1"))->currentIndex(), 1);
        QCOMPARE(v.w.findChild<QLineEdit*>(QStringLiteral("txtRuta"))->text(),
                 QDir::toNativeSeparators(unidad + QStringLiteral("/CopiaTorvane/2024")));

        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRealizar");
        QVERIFY(!QFile::exists(unidad + QStringLiteral("/CopiaTorvane")));
        QVERIFY(v.aviso()->isHidden());

        v.pulsar("cmdRealizar");
        const QString copia = unidad + QStringLiteral("/CopiaTorvane/2024/Zudivoz.mdb");
        QVERIFY(verificarCopia(copia).isEmpty());
        QCOMPARE(v.aviso()->text(), QStringLiteral("La copia se ha completado"));
        QCOMPARE(Mensaje::historial().last().texto,
                 QStringLiteral("Se copiarán los datos a la unidad indicada\nAsegúrese de que hay "
                                "un disco en la unidad correspondente"));

        // A second copy replaces the first; later changes are undone by the restore.
        e.documento(2, QStringLiteral("A"), QDate(2024, 2, 5), 0, 0, 20);
        v.pulsar("cmdRealizar");
        e.documento(3, QStringLiteral("A"), QDate(2024, 3, 5), 0, 0, 30);
        ejecutar(QStringLiteral("UPDATE tblCobros SET Tot = 99 WHERE Id = 1"));
        QCOMPARE(documentos(), 3);

        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 3);
        QVERIFY(Mensaje::textos().value(0).startsWith(QStringLiteral("¡ A T E N C I Ó N !\n")));

        v.pulsar("cmdRecuperar");
        QCOMPARE(v.aviso()->text(), QStringLiteral("La recuperación se ha completado"));
        QVERIFY(Conexion().isOpen());
        QCOMPARE(documentos(), 2);
        QCOMPARE(valorUnico(QStringLiteral("SELECT Tot FROM tblCobros WHERE Id = 1")).toDouble(),
                 10.0);
        QVERIFY(v.w.isVisible());
        // What was replaced is kept beside the data, whole.
        QVERIFY(verificarCopia(Modulo::RutaBD + QStringLiteral(".antes-de-restaurar")).isEmpty());
        e.documento(4, QStringLiteral("A"), QDate(2024, 4, 5), 0, 0, 40);
        QCOMPARE(documentos(), 3);
    }

    void copiaRechazada_data() {
        QTest::addColumn<QString>("caso");
        QTest::newRow("texto") << QStringLiteral("texto");
        QTest::newRow("cortada") << QStringLiteral("cortada");
        QTest::newRow("ajena") << QStringLiteral("ajena");
        QTest::newRow("sin archivo") << QStringLiteral("sin archivo");
        QTest::newRow("sin carpeta") << QStringLiteral("sin carpeta");
    }

    void copiaRechazada() {
        QFETCH(QString, caso);
        Entorno e;
        ajustes(e);
        e.documento(1, QStringLiteral("A"), QDate(2024, 1, 5), 0, 0, 10);
        const QString unidad = e.raiz() + QStringLiteral("/pendrive");
        const QString carpeta = unidad + QStringLiteral("/CopiaTorvane/2024");
        QDir().mkpath(caso == QStringLiteral("sin carpeta") ? unidad : carpeta);
        const QString copia = carpeta + QStringLiteral("/Zudivoz.mdb");
        if (caso == QStringLiteral("texto")) escribir(copia, "esto no es una base de datos");
        if (caso == QStringLiteral("cortada")) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            const QByteArray entera = leer(copia);
            escribir(copia, entera.left(entera.size() / 2));
        }
        if (caso == QStringLiteral("ajena")) {
            QSqlQuery(Conexion())
                .exec(QStringLiteral("ATTACH DATABASE '") + copia + QStringLiteral("' AS otra"));
            ejecutar(QStringLiteral("CREATE TABLE otra.fotos (Id INTEGER)"));
            QSqlQuery(Conexion()).exec(QStringLiteral("DETACH DATABASE otra"));
        }
        const QByteArray antes = leer(Modulo::RutaBD);
        VentanaCopia v(unidad);
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().size(), 2);
        QVERIFY(!Mensaje::textos().last().isEmpty());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(!QFile::exists(Modulo::RutaBD + QStringLiteral(".antes-de-restaurar")));
        QCOMPARE(leer(Modulo::RutaBD), antes);
        QCOMPARE(documentos(), 1);
    }

    void unidadSinEscritura() {
        Entorno e;
        // A drive whose root is a file cannot take folders, like a write-protected medium.
        const QString unidad = e.raiz() + QStringLiteral("/protegido");
        escribir(unidad, "x");
        VentanaCopia v(unidad);
        v.pulsar("cmdRealizar");
        QVERIFY(Mensaje::textos().last().contains(QStringLiteral("No se puede crear la carpeta")));
        QVERIFY(v.w.isVisible());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(Conexion().isOpen());
    }
};

TORVANE_TEST_MAIN(TestCopia)
#include "tst_copia.moc"
