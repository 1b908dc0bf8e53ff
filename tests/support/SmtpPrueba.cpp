#include "support/SmtpPrueba.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>
#include <QThread>

using namespace Qt::StringLiterals;

SmtpPrueba::SmtpPrueba(const Opciones& opciones) {
    QStringList argumentos{QStringLiteral(TORVANE_SERVIDOR_SMTP), dir_.path()};
    if (!opciones.usuario.isEmpty())
        argumentos << u"--usuario"_s << opciones.usuario << u"--clave"_s << opciones.clave;
    if (opciones.tls) {
        const QString cert = dir_.filePath(u"cert.pem"_s), clave = dir_.filePath(u"clave.pem"_s);
        QProcess openssl;
        openssl.start(u"openssl"_s,
                      {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-keyout"_s,
                       clave, u"-out"_s, cert, u"-days"_s, u"1"_s, u"-subj"_s, u"/CN=127.0.0.1"_s,
                       u"-addext"_s, u"subjectAltName=IP:127.0.0.1"_s});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            error_ = u"openssl no hizo el certificado"_s;
            return;
        }
        argumentos << u"--tls"_s << cert << clave;
    }
    proceso_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter: the server's library is installed for it.
    proceso_.start(u"/usr/bin/python3"_s, argumentos);
    if (!proceso_.waitForReadyRead(15000)) {
        error_ = u"el servidor de correo no arrancó: "_s + proceso_.errorString();
        return;
    }
    puerto_ = proceso_.readLine().trimmed().toInt();
    if (puerto_ <= 0) error_ = u"el servidor de correo no dijo su puerto"_s;
}

SmtpPrueba::~SmtpPrueba() {
    // Its input closed, the server stops by itself.
    proceso_.closeWriteChannel();
    if (!proceso_.waitForFinished(5000)) proceso_.kill();
    proceso_.waitForFinished(1000);
}

QList<QJsonObject> SmtpPrueba::recibidos(int esperados) const {
    QElapsedTimer reloj;
    reloj.start();
    QStringList archivos;
    do {
        archivos = QDir(dir_.path()).entryList({u"*.json"_s}, QDir::Files, QDir::Name);
        if (archivos.size() >= esperados) break;
        QThread::msleep(50);
    } while (reloj.elapsed() < 10000);
    QList<QJsonObject> mensajes;
    for (const QString& archivo : archivos) {
        QFile f(dir_.filePath(archivo));
        if (f.open(QIODevice::ReadOnly)) mensajes << QJsonDocument::fromJson(f.readAll()).object();
    }
    return mensajes;
}

int SmtpPrueba::puertoCerrado() {
    QTcpServer libre;
    libre.listen(QHostAddress::LocalHost, 0);
    return libre.serverPort();
}
