#include "app/Modulo.h"
#include "data/Consulta.h"
#include "data/Copia.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "utilities/frmCopiaPen.h"

#include "data/BaseDatos.h"
#include "data/Migraciones.h"
#include "data/Unidades.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// The program folder's settings point at the test's year, as they do at start-up.
void ajustes(const Entorno& e) {
    guardarEn(e.carpetaPrograma() + u"/ruta.ini"_s, QFile::encodeName(e.carpetaDatos()) + "\r\n");
    guardarEn(e.carpetaPrograma() + u"/ano.ini"_s, "2024\r\n");
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

// Runs one statement on the backup in carpeta, attached as "otra".
void modificarCopia(const QString& carpeta, const QString& sentencia) {
    QSqlQuery q(Conexion());
    q.prepare(u"ATTACH DATABASE ? AS otra"_s);
    q.addBindValue(carpeta + u"/Zudivoz.mdb"_s);
    QVERIFY(q.exec());
    QVERIFY2(q.exec(sentencia), qPrintable(q.lastError().text()));
    QVERIFY(q.exec(u"DETACH DATABASE otra"_s));
}

bool privado(const QString& archivo) {
    const auto ajenos = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    return QFileInfo::exists(archivo) && !(QFileInfo(archivo).permissions() & ajenos);
}

QStringList temporales(const QString& carpeta) {
    return QDir(carpeta).entryList({u"*.copiando*"_s, u"*.restaurando*"_s}, QDir::Files);
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
        e.documento(4, u"A"_s, QDate(2024, 4, 5), 0, 0, 40);
        QCOMPARE(documentos(), 3);

        // A second restore keeps what it replaces too, beside the first kept file.
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 2);
        const QStringList guardadas = copiasAnteriores(Modulo::RutaBD);
        QCOMPARE(guardadas.size(), 2);
        for (const QString& archivo : guardadas)
            QVERIFY2(verificarCopia(archivo).isEmpty(), qPrintable(archivo));
        for (const QString& archivo : guardadas + QStringList{Modulo::RutaBD, copia})
            QVERIFY2(privado(archivo), qPrintable(archivo));
        QVERIFY(QFileInfo(guardadas.last())
                    .fileName()
                    .startsWith(u"Zudivoz.mdb.antes-de-restaurar-2"_s));

        // The oldest kept data (documents 1 to 3, the first at 99) comes back the same way.
        auto* anteriores = v.w.findChild<QComboBox*>(u"cboAnteriores"_s);
        QCOMPARE(anteriores->count(), 2);
        anteriores->setCurrentIndex(1);
        v.pulsar("cmdDevolver");
        QCOMPARE(documentos(), 3);
        QCOMPARE(valorUnico(u"SELECT Tot FROM tblCobros WHERE Id = 1"_s).toDouble(), 99.0);
        QCOMPARE(copiasAnteriores(Modulo::RutaBD).size(), 3);
        QCOMPARE(anteriores->count(), 3);
    }

    void copiaDeOtroAno() {
        Entorno e;
        ajustes(e);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        const QString carpeta = unidad + u"/CopiaTorvane/2024"_s;
        QVERIFY(hacerCopia(carpeta).isEmpty());
        modificarCopia(carpeta, u"UPDATE otra.tblCobros SET Fec = '2019-01-05'"_s);
        e.documento(2, u"A"_s, QDate(2024, 2, 5), 0, 0, 20);
        VentanaCopia v(unidad);
        Mensaje::responderSiguiente(true);
        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().last(),
                 u"La copia tiene documentos de 2019 y el año de trabajo es 2024.\n¿Desea "
                 "recuperarla de todos modos?"_s);
        QCOMPARE(documentos(), 2);
        QVERIFY(copiasAnteriores(Modulo::RutaBD).isEmpty());
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 1);
    }

    void copiaRechazada_data() {
        QTest::addColumn<bool>("sinUso");
        for (const char* caso : {"texto", "cortada", "ajena", "sin columnas", "más nueva",
                                 "sin archivo", "sin carpeta"})
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
        if (caso == u"texto"_s) guardarEn(copia, "esto no es una base de datos");
        if (caso == u"cortada"_s) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            const QByteArray entera = contenidoDe(copia);
            guardarEn(copia, entera.left(entera.size() / 2));
        }
        if (caso == u"ajena"_s) modificarCopia(carpeta, u"CREATE TABLE otra.fotos (Id INTEGER)"_s);
        if (caso == u"sin columnas"_s)
            for (const QString& tabla : tablasEsperadas())
                modificarCopia(carpeta, u"CREATE TABLE otra.%1 (x)"_s.arg(tabla));
        if (caso == u"más nueva"_s) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            modificarCopia(carpeta, u"PRAGMA otra.user_version = %1"_s.arg(versionEsquema() + 1));
        }
        const QByteArray antes = contenidoDe(Modulo::RutaBD);
        VentanaCopia v(unidad);
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().size(), 2);
        QVERIFY(!Mensaje::textos().last().isEmpty());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(copiasAnteriores(Modulo::RutaBD).isEmpty());
        QCOMPARE(contenidoDe(Modulo::RutaBD), antes);
        QCOMPARE(documentos(), 1);
    }

    // Killed while copying or restoring: the next copy or start leaves no temporary file and
    // the data opens whole.
    void interrumpidas_data() {
        QTest::addColumn<QString>("orden");
        QTest::newRow("copia") << u"copiar"_s;
        QTest::newRow("recuperación") << u"recuperar"_s;
    }

    void interrumpidas() {
        QFETCH(QString, orden);
        Entorno e;
        ajustes(e);
        // Big enough for the copy to take a while.
        ejecutar(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
                 " INSERT INTO tblCobros (Num, Ser, Fec, Obs) SELECT i, 'A', '2024-01-05',"
                 " hex(randomblob(100000)) FROM n"_s);
        const QString carpeta = e.raiz() + u"/pendrive/CopiaTorvane/2024"_s;
        QVERIFY(hacerCopia(carpeta).isEmpty());
        cerrarBaseDatos();
        const QString temporal = orden == u"copiar"_s ? carpeta + u"/Zudivoz.mdb.copiando"_s
                                                      : Modulo::RutaBD + u".restaurando"_s;
        QProcess admin;
        admin.start(qEnvironmentVariable("TORVANE_ADMIN"),
                    {orden, e.carpetaDatos(), u"2024"_s, carpeta});
        QVERIFY(admin.waitForStarted());
        QElapsedTimer reloj;
        reloj.start();
        while (!QFile::exists(temporal) && reloj.elapsed() < 20000 && !admin.waitForFinished(0))
            QThread::usleep(200);
        admin.kill();
        admin.waitForFinished();
        QVERIFY2(QFile::exists(temporal), admin.readAllStandardError().constData());

        QVERIFY(Modulo::AbrirBaseDatos().isEmpty());
        QCOMPARE(documentos(), 400);
        QCOMPARE(temporales(QFileInfo(Modulo::RutaBD).path()), QStringList());
        QVERIFY(hacerCopia(carpeta).isEmpty());
        QCOMPARE(temporales(carpeta), QStringList());
    }

    void unidades_data() {
        QTest::addColumn<QString>("raiz");
        QTest::addColumn<QByteArray>("tipo");
        QTest::addColumn<bool>("soloLectura");
        QTest::addColumn<bool>("apta");
        QTest::newRow("raíz") << u"/"_s << QByteArray("ext4") << false << false;
        QTest::newRow("memoria USB") << u"/media/ana/USB"_s << QByteArray("vfat") << false << true;
        QTest::newRow("CD") << u"/media/ana/CD"_s << QByteArray("iso9660") << true << false;
        QTest::newRow("arranque") << u"/boot/efi"_s << QByteArray("vfat") << false << false;
        QTest::newRow("en memoria") << u"/run/user/1000"_s << QByteArray("tmpfs") << false << false;
        QTest::newRow("sistema") << u"/sys/fs/cgroup"_s << QByteArray("cgroup2") << false << false;
        QTest::newRow("otro disco") << u"/home"_s << QByteArray("ext4") << false << true;
    }

    void unidades() {
        QFETCH(QString, raiz);
        QFETCH(QByteArray, tipo);
        QFETCH(bool, soloLectura);
        QFETCH(bool, apta);
        QCOMPARE(aptaParaCopia(raiz, tipo, soloLectura, true), apta);
        QVERIFY(!aptaParaCopia(raiz, tipo, soloLectura, false));
    }

    void unidadesEnLaVentana() {
        Entorno e;
        const QString unidad = e.raiz() + u"/pendrive"_s;
        QVERIFY(hacerCopia(rutaCopia(unidad, u"2024"_s)).isEmpty());
        VentanaCopia v(e.raiz() + u"/otra"_s);
        frmCopiaPen::fijarUnidades({u"/"_s, unidad, e.raiz()});
        frmCopiaPen w;
        w.show();
        auto* lista = w.findChild<QComboBox*>(u"Drive1"_s);
        QCOMPARE(lista->count(), 2);
        QCOMPARE(lista->currentData().toString(), unidad);
        const QString hoy = QDate::currentDate().toString(u"dd/MM/yyyy"_s);
        QVERIFY2(lista->itemText(0).contains(u" libres — última copia "_s + hoy),
                 qPrintable(lista->itemText(0)));
        QVERIFY(lista->itemText(1).endsWith(u" — sin copias"_s));
    }

    void unidadSinEscritura() {
        Entorno e;
        // A drive whose root is a file cannot take folders, like a write-protected medium.
        const QString unidad = e.raiz() + u"/protegido"_s;
        guardarEn(unidad, "x");
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
