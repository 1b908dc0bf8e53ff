#include "core/store/Sesion.h"

#include "core/store/Ajustes.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Copia.h"
#include "core/store/Servidor.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace torvane {

int Sesion::numeroAno() const {
    return numeroDeAno(ano);
}

Sesion& sesion() {
    static Sesion s;
    return s;
}

namespace Modulo {

namespace {

// A colour line must hold a number (blanks around it allowed); anything else is empty.
QVariant soloNumero(const QVariant& valor) {
    if (!valor.isValid()) return {};
    bool ok = false;
    valor.toString().trimmed().toLongLong(&ok);
    return ok ? valor : QVariant(QString());
}

} // namespace

QString CarpetaPrograma() {
    return Ajustes::carpetaPrograma();
}

void fijarCarpetaPrograma(const QString& carpeta) {
    Ajustes::fijarCarpetaPrograma(carpeta);
}

QString CarpetaUsuario() {
    return Ajustes::carpetaUsuario();
}

void fijarCarpetaUsuario(const QString& carpeta) {
    Ajustes::fijarCarpetaUsuario(carpeta);
}

QString LeerOpciones(const QStringList& argumentos) {
    QCommandLineParser opciones;
    const QCommandLineOption ajustes(QStringLiteral("ajustes"),
                                     QStringLiteral("Guarda todos los ajustes en <carpeta>."),
                                     QStringLiteral("carpeta"));
    opciones.addOption(ajustes);
    if (!opciones.parse(argumentos)) return opciones.errorText();
    if (!opciones.positionalArguments().isEmpty())
        return QStringLiteral("Argumento no admitido: %1. Uso: torvane [--ajustes CARPETA]")
            .arg(opciones.positionalArguments().constFirst());
    if (!opciones.isSet(ajustes)) return {};
    const QString carpeta = QFileInfo(opciones.value(ajustes)).absoluteFilePath();
    if (!QDir().mkpath(carpeta))
        return QStringLiteral("No se pudo crear la carpeta de ajustes %1.")
            .arg(QDir::toNativeSeparators(carpeta));
    fijarCarpetaPrograma(carpeta);
    fijarCarpetaUsuario(carpeta);
    for (const auto formato : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(formato, QSettings::UserScope, carpeta);
    return {};
}

QString CarpetaAjuste(const QString& nombre) {
    return Ajustes::carpetaDe(nombre);
}

bool HayRuta() {
    return Ajustes::existe(QStringLiteral("ruta.ini"));
}

QString LeerRuta() {
    return Ajustes::linea(QStringLiteral("ruta.ini"), 0).toString();
}
QString LeerAno() {
    return Ajustes::linea(QStringLiteral("ano.ini"), 0).toString();
}
QVariant LeerColor() {
    return soloNumero(Ajustes::linea(QStringLiteral("color.ini"), 0));
}
QVariant LeerColor2() {
    return soloNumero(Ajustes::linea(QStringLiteral("color2.ini"), 0));
}
QVariant LeerImpresora(bool segunda) {
    return Ajustes::linea(QStringLiteral("imp.ini"), segunda ? 1 : 0);
}

bool EscribirColor(int color) {
    return Ajustes::escribir(QStringLiteral("color.ini"),
                             " " + QByteArray::number(color) + " \r\n");
}

bool EscribirColor2(int color) {
    return Ajustes::escribir(QStringLiteral("color2.ini"),
                             " " + QByteArray::number(color) + " \r\n");
}

bool EscribirImpresoras(const QString& informes, const QString& pdf) {
    return Ajustes::escribir(QStringLiteral("imp.ini"),
                             informes.toUtf8() + "\r\n" + pdf.toUtf8() + "\r\n");
}

bool EscribirRutaUsuario(const QString& ruta, const QString& ano) {
    const QString carpeta = CarpetaUsuario();
    return Ajustes::escribir(QStringLiteral("ruta.ini"), ruta.toUtf8() + "\r\n", carpeta) &&
           Ajustes::escribir(QStringLiteral("ano.ini"), ano.toUtf8() + "\r\n", carpeta);
}

bool EscribirAno(const QString& ano) {
    return Ajustes::escribir(QStringLiteral("ano.ini"), ano.toUtf8() + "\r\n");
}

int ColorComoNumero(const QVariant& color) {
    bool ok = false;
    const long long valor = color.toString().trimmed().toLongLong(&ok);
    return ok ? static_cast<int>(static_cast<quint32>(valor)) : 0;
}

QString LeerRutaBD() {
    Sesion& s = sesion();
    s.ruta = LeerRuta();
    s.ano = LeerAno();
    s.rutaBD = rutaBaseDatos(s.ruta, s.ano);
    return s.rutaBD;
}

namespace {

/** Opens the year ano of the data folder; a server's password is asked when it is missing. */
QString abrirAno(const QString& ano, Integridad integridad = Integridad::AlAbrir) {
    QString error = abrirAnoDeCarpeta(sesion().ruta, ano, integridad);
    while (faltaClave(error) && sesion().pedirClave) {
        const std::optional<QString> clave = sesion().pedirClave(error);
        if (!clave) break;
        claveSesion() = *clave;
        error = abrirAnoDeCarpeta(sesion().ruta, ano, integridad);
    }
    return error;
}

} // namespace

bool EnServidor() {
    return QFileInfo::exists(sesion().ruta + QLatin1Char('/') + kArchivoServidor);
}

QString RutaCerrojo(const QString& ano) {
    if (!EnServidor()) return rutaBaseDatos(sesion().ruta, ano);
    // On a server only this user's own second program on this desk is kept out.
    QDir().mkpath(CarpetaUsuario());
    const std::optional<DatosServidor> servidor = leerServidor(sesion().ruta);
    return CarpetaUsuario() + QStringLiteral("/servidor-%1-%2")
                                  .arg(servidor ? servidor->base : QStringLiteral("x"), ano);
}

QString AbrirBaseDatos(Integridad integridad) {
    LeerRutaBD();
    return abrirAno(sesion().ano, integridad);
}

QString BloquearAno(std::unique_ptr<QLockFile>& cerrojo, const QString& rutaBD) {
    auto nuevo = std::make_unique<QLockFile>(rutaBD + QStringLiteral(".lock"));
    nuevo->setStaleLockTime(0);
    if (nuevo->tryLock(0)) {
        cerrojo = std::move(nuevo);
        return {};
    }
    if (nuevo->error() == QLockFile::LockFailedError) return kYaEnMarcha;
    // Never write unguarded: without the lock a second desk could write the same year.
    return QStringLiteral("No se puede reservar el año para este programa: no se puede escribir "
                          "en la carpeta\n%1\n\nEl programa se cierra sin tocar nada.")
        .arg(QFileInfo(rutaBD).absolutePath());
}

QString CambiarAno(const QString& ano) {
    Sesion& s = sesion();
    const QString ruta = rutaBaseDatos(s.ruta, ano);
    // The new year is reserved before it is opened; the old one stays ours until then.
    std::unique_ptr<QLockFile> cerrojoNuevo;
    if (s.cerrojo) {
        if (const QString error = BloquearAno(cerrojoNuevo, RutaCerrojo(ano)); !error.isEmpty())
            return error == kYaEnMarcha
                       ? QStringLiteral("El año %1 está abierto en otro programa.").arg(ano)
                       : error;
    }
    QString error = abrirAno(ano);
    if (error.isEmpty() && !EscribirAno(ano))
        error = QStringLiteral("No se pudo escribir ano.ini en %1; se sigue en el año %2.")
                    .arg(CarpetaAjuste(QStringLiteral("ano.ini")), s.ano);
    if (error.isEmpty()) {
        s.ano = ano;
        s.rutaBD = ruta;
        if (cerrojoNuevo) s.cerrojo = std::move(cerrojoNuevo);
        return {};
    }
    if (const QString otra = abrirAno(s.ano); !otra.isEmpty())
        error += QStringLiteral("\n\n") + otra;
    return error;
}

} // namespace Modulo

} // namespace torvane
