#include "support/ServidorPrueba.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTextStream>
#include <memory>
#include <unistd.h>

using namespace torvane;

namespace {

const QString kUsuario = QStringLiteral("torvane");

QString carpetaBinarios() {
    QStringList versiones = QDir(QStringLiteral("/usr/lib/postgresql"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versiones.begin(), versiones.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versiones) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
        if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
    }
    return {};
}

int puertoLibre() {
    QTcpServer sondeo;
    sondeo.listen(QHostAddress::LocalHost, 0);
    return sondeo.serverPort();
}

} // namespace

ServidorPrueba::ServidorPrueba() {
    bin_ = carpetaBinarios();
    if (bin_.isEmpty()) {
        error_ = QStringLiteral("PostgreSQL no está instalado (scripts/setup lo instala)");
        return;
    }
    // The server refuses to run as root: it runs as postgres, which must own its folder.
    if (geteuid() == 0) {
        usuarioSistema_ = QStringLiteral("postgres");
        error_ =
            ejecutar(QStringLiteral("chown"), {QStringLiteral("-R"), usuarioSistema_, dir_.path()});
        if (!error_.isEmpty()) return;
    }
    const QString datos = dir_.path() + QStringLiteral("/datos");
    error_ = ejecutar(bin_ + QStringLiteral("/initdb"),
                      {QStringLiteral("-D"), datos, QStringLiteral("-U"), kUsuario,
                       QStringLiteral("--auth=trust"), QStringLiteral("--encoding=UTF8"),
                       QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-N")});
    puerto_ = puertoLibre();
    if (error_.isEmpty())
        error_ = ejecutar(bin_ + QStringLiteral("/pg_ctl"),
                          {QStringLiteral("-D"), datos, QStringLiteral("-l"),
                           dir_.path() + QStringLiteral("/registro.txt"), QStringLiteral("-w"),
                           QStringLiteral("-o"),
                           QStringLiteral("-p %1 -c listen_addresses=127.0.0.1 -k %2 -c fsync=off")
                               .arg(puerto_)
                               .arg(dir_.path()),
                           QStringLiteral("start")});
    if (error_.isEmpty())
        error_ = ejecutar(bin_ + QStringLiteral("/createdb"),
                          {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                           QString::number(puerto_), QStringLiteral("-U"), kUsuario, kUsuario});
}

ServidorPrueba::~ServidorPrueba() {
    if (puerto_ == 0 || bin_.isEmpty()) return;
    ejecutar(bin_ + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), dir_.path() + QStringLiteral("/datos"), QStringLiteral("-m"),
              QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString ServidorPrueba::ejecutar(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(dir_.path());
    if (usuarioSistema_.isEmpty() || programa == QLatin1String("chown"))
        p.start(programa, argumentos);
    else
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), usuarioSistema_, QStringLiteral("--"), programa} +
                    argumentos);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 falló: %2").arg(programa, QString::fromUtf8(p.readAll()));
    return {};
}

DatosServidor ServidorPrueba::datos() const {
    DatosServidor d;
    d.host = QStringLiteral("127.0.0.1");
    d.puerto = puerto_;
    d.base = kUsuario;
    d.usuario = kUsuario;
    d.sslmode = QStringLiteral("disable");
    return d;
}

void ServidorPrueba::escribirIni(const QString& carpeta) const {
    QFile ini(carpeta + QLatin1Char('/') + kArchivoServidor);
    ini.open(QIODevice::WriteOnly);
    QTextStream(&ini) << "[servidor]\nhost=127.0.0.1\npuerto=" << puerto_ << "\nbase=" << kUsuario
                      << "\nusuario=" << kUsuario << "\nsslmode=disable\n";
}

bool ServidorPrueba::sql(const QString& sentencia) const {
    const QString nombre = QStringLiteral("torvane-prueba-admin");
    bool hecho = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nombre);
        const DatosServidor d = datos();
        db.setHostName(d.host);
        db.setPort(d.puerto);
        db.setDatabaseName(d.base);
        db.setUserName(d.usuario);
        db.setConnectOptions(QStringLiteral("options='-cclient_min_messages=warning'"));
        hecho = db.open() && QSqlQuery(db).exec(sentencia);
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return hecho;
}

ServidorPrueba& ServidorPrueba::compartido() {
    static std::unique_ptr<ServidorPrueba> servidor;
    if (!servidor) {
        servidor = std::make_unique<ServidorPrueba>();
        // Stopped while the application still runs, never left behind the test.
        qAddPostRoutine([] { servidor.reset(); });
    }
    return *servidor;
}
