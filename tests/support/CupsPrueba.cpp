#include "support/CupsPrueba.h"

#include "reports/ColaImpresion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cups/cups.h>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

// A folder that does not exist: no socket can ever be there.
const QString kSinServidor = u"/nonexistent/torvane-sin-impresoras/cups.sock"_s;

bool escribir(const QString& ruta, const QByteArray& contenido,
              QFileDevice::Permissions permisos = QFileDevice::ReadOwner |
                                                  QFileDevice::WriteOwner) {
    QFile archivo(ruta);
    return archivo.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           archivo.write(contenido) == contenido.size() && archivo.setPermissions(permisos);
}

} // namespace

void apuntarImpresionA(const QString& servidor) {
    qputenv("CUPS_SERVER", servidor.toUtf8());
    // libcups keeps the server it read first; this also drops its open connection.
    cupsSetServer(servidor.toUtf8().constData());
}

void impresionSinServidor() {
    apuntarImpresionA(kSinServidor);
}

CupsPrueba::CupsPrueba() {
    if (!dir_.isValid() || !escribirConfiguracion()) {
        error_ = u"no se pudo preparar la carpeta del servidor de impresión"_s;
        return;
    }
    apuntarImpresionA(ruta(u"cups.sock"_s));
    arrancar();
}

CupsPrueba::~CupsPrueba() {
    parar();
    impresionSinServidor();
}

bool CupsPrueba::escribirConfiguracion() {
    for (const QString& carpeta : {u"conf"_s, u"spool/tmp"_s, u"estado"_s, u"cache"_s,
                                   u"bin/backend"_s, u"log"_s, u"trabajos"_s})
        if (!QDir().mkpath(ruta(carpeta))) return false;
    // The scheduler's own helpers from the system; the only backend is ours.
    for (const QString& ayuda : {u"daemon"_s, u"notifier"_s})
        QFile::link(u"/usr/lib/cups/"_s + ayuda, ruta(u"bin/"_s + ayuda));
    // Run as root by a root scheduler (owner-only permissions), as the user otherwise.
    const QByteArray backend =
        "#!/bin/sh\n"
        "[ $# -eq 0 ] && { echo 'direct guardar \"Prueba\" \"Guarda cada trabajo\"'; exit 0; }\n"
        "d='" +
        ruta(u"trabajos"_s).toUtf8() +
        "'\n"
        "printf '%s\\n' \"$5\" > \"$d/$1.tmp\"\n"
        "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$d/$1.pdf.tmp\" || exit 1\n"
        "mv \"$d/$1.tmp\" \"$d/$1.opciones\" && mv \"$d/$1.pdf.tmp\" \"$d/$1.pdf\"\n";
    const QByteArray conf = "Listen " + ruta(u"cups.sock"_s).toUtf8() +
                            "\nBrowsing No\nLogLevel warn\nDefaultAuthType None\n"
                            "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n"
                            "</Policy>\n";
    QByteArray archivos;
    const QList<std::pair<const char*, QString>> lugares = {
        {"ServerRoot", u"conf"_s},        {"RequestRoot", u"spool"_s},
        {"TempDir", u"spool/tmp"_s},      {"StateDir", u"estado"_s},
        {"CacheDir", u"cache"_s},         {"ServerBin", u"bin"_s},
        {"ErrorLog", u"log/error_log"_s}, {"AccessLog", u"log/access_log"_s},
        {"PageLog", u"log/page_log"_s},   {"Printcap", u"printcap"_s}};
    for (const auto& [clave, lugar] : lugares)
        archivos += QByteArray(clave) + ' ' + ruta(lugar).toUtf8() + '\n';
    archivos += "DataDir /usr/share/cups\nSystemGroup root\n";
    return escribir(ruta(u"bin/backend/guardar"_s), backend,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) &&
           escribir(ruta(u"conf/cupsd.conf"_s), conf) &&
           escribir(ruta(u"conf/cups-files.conf"_s), archivos);
}

bool CupsPrueba::arrancar() {
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(u"cupsd"_s, {u"-f"_s, u"-c"_s, ruta(u"conf/cupsd.conf"_s), u"-s"_s,
                              ruta(u"conf/cups-files.conf"_s)});
    if (!cupsd_.waitForStarted(10000)) {
        error_ = u"no se pudo arrancar cupsd: "_s + cupsd_.errorString();
        return false;
    }
    QElapsedTimer espera;
    espera.start();
    while (!servicioImpresionResponde()) {
        if (cupsd_.state() != QProcess::Running || espera.elapsed() > 20000) {
            error_ = u"cupsd no responde: "_s + QString::fromUtf8(cupsd_.readAll());
            return false;
        }
        QThread::msleep(50);
    }
    error_.clear();
    return true;
}

void CupsPrueba::parar() {
    if (cupsd_.state() == QProcess::NotRunning) return;
    cupsd_.terminate();
    if (!cupsd_.waitForFinished(10000)) {
        cupsd_.kill();
        cupsd_.waitForFinished();
    }
}

bool CupsPrueba::orden(const QString& programa, const QStringList& argumentos) {
    // It inherits CUPS_SERVER, pointed at this scheduler.
    QProcess proceso;
    proceso.start(programa, argumentos);
    return proceso.waitForFinished(20000) && proceso.exitStatus() == QProcess::NormalExit &&
           proceso.exitCode() == 0;
}

bool CupsPrueba::anadirCola(const QString& nombre, const QByteArray& ppd,
                            const QStringList& opciones) {
    QStringList argumentos{u"-p"_s, nombre, u"-E"_s, u"-v"_s, u"guardar:/"_s};
    if (!ppd.isEmpty()) {
        const QString archivo = ruta(nombre + u".ppd"_s);
        if (!escribir(archivo, ppd)) return false;
        argumentos << u"-P"_s << archivo;
    }
    for (const QString& opcion : opciones)
        argumentos << u"-o"_s << opcion;
    return orden(u"lpadmin"_s, argumentos);
}

QStringList CupsPrueba::trabajos() const {
    // Job numbers start at 1 on every scheduler; a test keeps far fewer than ten jobs.
    QStringList rutas;
    for (const QString& nombre : QDir(ruta(u"trabajos"_s)).entryList({u"*.pdf"_s}, QDir::Files))
        rutas << ruta(u"trabajos/"_s + nombre);
    return rutas;
}
