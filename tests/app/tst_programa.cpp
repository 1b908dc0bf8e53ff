// Starts the real program, as a user would, on a demo year.
#include "support/Entorno.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

/** A copy of the program in carpeta, with settings there pointing at datos and ano. */
QString copiarPrograma(const QString& carpeta, const QString& datos = {}, const QString& ano = {}) {
    const QString destino = carpeta + u"/torvane"_s;
    QFile::copy(qEnvironmentVariable("TORVANE_BIN"), destino);
    if (!datos.isEmpty()) {
        guardarEn(carpeta + u"/ruta.ini"_s, datos.toUtf8() + "\r\n");
        guardarEn(carpeta + u"/ano.ini"_s, ano.toUtf8() + "\r\n");
    }
    return destino;
}

/** The process's error output until it holds texto, or 5 s have passed. */
QByteArray errorHasta(QProcess& proceso, const QByteArray& texto) {
    QByteArray error;
    (void)QTest::qWaitFor([&] { return (error += proceso.readAllStandardError()).contains(texto); },
                          5000);
    return error;
}

} // namespace

class TestPrograma : public QObject {
    Q_OBJECT

private slots:
    void arrancaYRechazaUnaSegundaInstanciaDelMismoAno() {
        QTemporaryDir dir;
        const QString datos = dir.path() + u"/datos"_s;
        QCOMPARE(
            QProcess::execute(qEnvironmentVariable("TORVANE_ADMIN"), {u"demo"_s, datos, u"2024"_s}),
            0);
        QProcess primero;
        primero.start(copiarPrograma(dir.path(), datos, u"2024"_s), {});
        QVERIFY(primero.waitForStarted());
        QVERIFY(!primero.waitForFinished(2500));
        QVERIFY(QFile::exists(datos + u"/2024/Zudivoz.mdb.lock"_s));

        // A second copy in another folder, on the same year.
        const QString otra = dir.path() + u"/otra"_s;
        QDir().mkpath(otra);
        QProcess segundo;
        segundo.start(copiarPrograma(otra, datos, u"2024"_s), {});
        QVERIFY(segundo.waitForStarted());
        QVERIFY(errorHasta(segundo, "Ya se está ejecutando").contains("Ya se está ejecutando"));
        segundo.kill();
        segundo.waitForFinished();
        QCOMPARE(primero.state(), QProcess::Running);
        primero.kill();
        primero.waitForFinished();
    }

    void sinBaseDeDatosAvisaYNoCreaNada() {
        QTemporaryDir dir;
        QProcess proceso;
        proceso.start(copiarPrograma(dir.path(), dir.path() + u"/datos"_s, u"2030"_s), {});
        QVERIFY(proceso.waitForStarted());
        const QByteArray error = errorHasta(proceso, "Zudivoz.mdb");
        QVERIFY2(error.contains("No se puede abrir la base de datos") &&
                     error.contains("Zudivoz.mdb"),
                 error.constData());
        proceso.kill();
        proceso.waitForFinished();
        QVERIFY(!QFileInfo::exists(dir.path() + u"/datos"_s));
    }

    void sinAjustesDaLaBienvenida() {
        QTemporaryDir dir;
        QProcess proceso;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(u"HOME"_s, dir.path());
        entorno.insert(u"XDG_CONFIG_HOME"_s, dir.path() + u"/config"_s);
        proceso.setProcessEnvironment(entorno);
        proceso.start(copiarPrograma(dir.path()), {});
        QVERIFY(proceso.waitForStarted());
        const bool esperando = !proceso.waitForFinished(2500);
        proceso.kill();
        proceso.waitForFinished();
        QVERIFY(esperando);
        QVERIFY(!proceso.readAllStandardError().contains("Zudivoz.mdb"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{u"torvane"_s});
    }
};

TORVANE_TEST_MAIN(TestPrograma)
#include "tst_programa.moc"
