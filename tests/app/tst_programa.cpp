// Starts the real program, as a user would, on a demo year.
#include "support/Entorno.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

QString copiarPrograma(const QString& carpeta)
{
    const QString destino = carpeta + QStringLiteral("/torvane");
    QFile::copy(qEnvironmentVariable("TORVANE_BIN"), destino);
    return destino;
}

void escribir(const QString& ruta, const QString& linea)
{
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(linea.toUtf8() + "\r\n");
}

} // namespace

class TestPrograma : public QObject {
    Q_OBJECT

private slots:
    void arrancaYRechazaUnaSegundaInstanciaDelMismoAno()
    {
        QTemporaryDir dir;
        const QString datos = dir.path() + QStringLiteral("/datos");
        QCOMPARE(QProcess::execute(qEnvironmentVariable("TORVANE_ADMIN"),
                                   {QStringLiteral("demo"), datos, QStringLiteral("2024")}),
                 0);
        const QString programa = copiarPrograma(dir.path());
        escribir(dir.path() + QStringLiteral("/ruta.ini"), datos);
        escribir(dir.path() + QStringLiteral("/ano.ini"), QStringLiteral("2024"));
        QProcess primero;
        primero.start(programa, {});
        QVERIFY(primero.waitForStarted());
        QVERIFY(!primero.waitForFinished(2500));
        QVERIFY(QFile::exists(datos + QStringLiteral("/2024/Zudivoz.mdb.lock")));

        // A second copy in another folder, on the same year.
        const QString otra = dir.path() + QStringLiteral("/otra");
        QDir().mkpath(otra);
        escribir(otra + QStringLiteral("/ruta.ini"), datos);
        escribir(otra + QStringLiteral("/ano.ini"), QStringLiteral("2024"));
        QProcess segundo;
        segundo.start(copiarPrograma(otra), {});
        QVERIFY(segundo.waitForStarted());
        QByteArray error;
        QTRY_VERIFY_WITH_TIMEOUT((error += segundo.readAllStandardError()).contains("Ya se está ejecutando el programa"),
                                 5000);
        segundo.kill();
        segundo.waitForFinished();
        QCOMPARE(primero.state(), QProcess::Running);
        primero.kill();
        primero.waitForFinished();
    }

    void sinBaseDeDatosAvisaYNoCreaNada()
    {
        QTemporaryDir dir;
        const QString programa = copiarPrograma(dir.path());
        escribir(dir.path() + QStringLiteral("/ruta.ini"), dir.path() + QStringLiteral("/datos"));
        escribir(dir.path() + QStringLiteral("/ano.ini"), QStringLiteral("2030"));
        QProcess proceso;
        proceso.start(programa, {});
        QVERIFY(proceso.waitForStarted());
        QByteArray error;
        QTRY_VERIFY_WITH_TIMEOUT((error += proceso.readAllStandardError()).contains("Zudivoz.mdb"), 5000);
        QVERIFY(error.contains("No se puede abrir la base de datos"));
        proceso.kill();
        proceso.waitForFinished();
        QVERIFY(!QFileInfo::exists(dir.path() + QStringLiteral("/datos")));
    }

    void sinAjustesDaLaBienvenida() {
        QTemporaryDir dir;
        QProcess proceso;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("HOME"), dir.path());
        entorno.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
        proceso.setProcessEnvironment(entorno);
        proceso.start(copiarPrograma(dir.path()), {});
        QVERIFY(proceso.waitForStarted());
        const bool esperando = !proceso.waitForFinished(2500);
        proceso.kill();
        proceso.waitForFinished();
        QVERIFY(esperando);
        QVERIFY(!proceso.readAllStandardError().contains("Zudivoz.mdb"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("torvane")});
    }
};

TORVANE_TEST_MAIN(TestPrograma)
#include "tst_programa.moc"
