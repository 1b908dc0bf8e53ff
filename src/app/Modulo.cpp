#include "app/Modulo.h"

#include "app/Aplicacion.h"

#include "data/Ajustes.h"
#include "data/Anos.h"
#include "data/BaseDatos.h"
#include "data/Copia.h"
#include "data/Servidor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Modulo {

QString Ruta;
QString Ano;
QString RutaBD;
QVariant ColorPrincipal;
QVariant ColorFondo;
QString IdAtopado;
int FilaSeleccionada = 0;

namespace {

QString& carpetaFijada() {
    static QString carpeta;
    return carpeta;
}

QString& carpetaUsuarioFijada() {
    static QString carpeta;
    return carpeta;
}

QString rutaAjuste(const char* nombre) {
    const QString archivo = QLatin1StringView(nombre);
    return CarpetaAjuste(archivo) + QLatin1Char('/') + archivo;
}

bool existeEn(const QString& carpeta, const QString& nombre) {
    return QFileInfo::exists(carpeta + QLatin1Char('/') + nombre);
}

// Line n (from 0) of a settings file; an invalid QVariant when the file does not exist,
// empty text when it has fewer lines.
QVariant leerLinea(const char* nombre, int n) {
    QFile archivo(rutaAjuste(nombre));
    if (!archivo.exists() || !archivo.open(QIODevice::ReadOnly)) return {};
    return lineaAjuste(archivo, n);
}

// A colour line must hold a number (blanks around it allowed); anything else is empty.
QVariant soloNumero(const QVariant& valor) {
    if (!valor.isValid()) return {};
    bool ok = false;
    valor.toString().trimmed().toLongLong(&ok);
    return ok ? valor : QVariant(QString());
}

bool escribirArchivo(const QString& ruta, const QByteArray& contenido) {
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly)) return false;
    archivo.write(contenido);
    return archivo.commit();
}

bool escribir(const char* nombre, const QByteArray& contenido) {
    return escribirArchivo(rutaAjuste(nombre), contenido);
}

} // namespace

QString CarpetaPrograma() {
    return carpetaFijada().isEmpty() ? QCoreApplication::applicationDirPath() : carpetaFijada();
}

void fijarCarpetaPrograma(const QString& carpeta) {
    carpetaFijada() = carpeta;
}

QString CarpetaUsuario() {
    if (!carpetaUsuarioFijada().isEmpty()) return carpetaUsuarioFijada();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/torvane");
}

void fijarCarpetaUsuario(const QString& carpeta) {
    carpetaUsuarioFijada() = carpeta;
}

QString CarpetaAjuste(const QString& nombre) {
    const QString programa = CarpetaPrograma();
    if (existeEn(programa, nombre)) return programa;
    const QString usuario = CarpetaUsuario();
    if (existeEn(usuario, nombre)) return usuario;
    const QString ruta = QStringLiteral("ruta.ini");
    if (nombre != ruta && (existeEn(programa, ruta) || existeEn(usuario, ruta)))
        return CarpetaAjuste(ruta);
    // An installed program's folder is not the user's to write in.
    return QFileInfo(programa).isWritable() ? programa : usuario;
}

bool HayRuta() {
    const QString ruta = QStringLiteral("ruta.ini");
    return existeEn(CarpetaPrograma(), ruta) || existeEn(CarpetaUsuario(), ruta);
}

QString LeerRuta() {
    return leerLinea("ruta.ini", 0).toString();
}
QString LeerAno() {
    return leerLinea("ano.ini", 0).toString();
}
QVariant LeerColor() {
    return soloNumero(leerLinea("color.ini", 0));
}
QVariant LeerColor2() {
    return soloNumero(leerLinea("color2.ini", 0));
}
QVariant LeerImpresora(bool segunda) {
    return leerLinea("imp.ini", segunda ? 1 : 0);
}

bool EscribirColor(int color) {
    return escribir("color.ini", " " + QByteArray::number(color) + " \r\n");
}

bool EscribirColor2(int color) {
    return escribir("color2.ini", " " + QByteArray::number(color) + " \r\n");
}

bool EscribirImpresoras(const QString& informes, const QString& pdf) {
    return escribir("imp.ini", informes.toUtf8() + "\r\n" + pdf.toUtf8() + "\r\n");
}

bool EscribirRutaUsuario(const QString& ruta, const QString& ano) {
    const QString carpeta = CarpetaUsuario();
    return QDir().mkpath(carpeta) &&
           escribirArchivo(carpeta + QStringLiteral("/ruta.ini"), ruta.toUtf8() + "\r\n") &&
           escribirArchivo(carpeta + QStringLiteral("/ano.ini"), ano.toUtf8() + "\r\n");
}

bool EscribirAno(const QString& ano) {
    return escribir("ano.ini", ano.toUtf8() + "\r\n");
}

int ColorComoNumero(const QVariant& color) {
    bool ok = false;
    const long long valor = color.toString().trimmed().toLongLong(&ok);
    return ok ? static_cast<int>(static_cast<quint32>(valor)) : 0;
}

QString LeerRutaBD() {
    Ruta = LeerRuta();
    Ano = LeerAno();
    RutaBD = rutaBaseDatos(Ruta, Ano);
    return RutaBD;
}

std::function<std::optional<QString>(const QString&)> PedirClave;

namespace {

/** Opens the year ano of the data folder; a server's password is asked when it is missing. */
QString abrirAno(const QString& ano) {
    QString error = abrirAnoDeCarpeta(Ruta, ano);
    while (faltaClave(error) && PedirClave) {
        const std::optional<QString> clave = PedirClave(error);
        if (!clave) break;
        claveSesion() = *clave;
        error = abrirAnoDeCarpeta(Ruta, ano);
    }
    return error;
}

} // namespace

bool EnServidor() {
    return QFileInfo::exists(Ruta + QLatin1Char('/') + kArchivoServidor);
}

QString RutaCerrojo(const QString& ano) {
    if (!EnServidor()) return rutaBaseDatos(Ruta, ano);
    // On a server only this user's own second program on this desk is kept out.
    QDir().mkpath(CarpetaUsuario());
    const std::optional<DatosServidor> servidor = leerServidor(Ruta);
    return CarpetaUsuario() + QStringLiteral("/servidor-%1-%2")
                                  .arg(servidor ? servidor->base : QStringLiteral("x"), ano);
}

QString AbrirBaseDatos() {
    LeerRutaBD();
    return abrirAno(Ano);
}

std::unique_ptr<QLockFile>& CerrojoAno() {
    static std::unique_ptr<QLockFile> cerrojo;
    return cerrojo;
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
    const QString ruta = rutaBaseDatos(Ruta, ano);
    // The new year is reserved before it is opened; the old one stays ours until then.
    std::unique_ptr<QLockFile> cerrojoNuevo;
    if (CerrojoAno()) {
        if (const QString error = BloquearAno(cerrojoNuevo, RutaCerrojo(ano)); !error.isEmpty())
            return error == kYaEnMarcha
                       ? QStringLiteral("El año %1 está abierto en otro programa.").arg(ano)
                       : error;
    }
    QString error = abrirAno(ano);
    if (error.isEmpty() && !EscribirAno(ano))
        error = QStringLiteral("No se pudo escribir ano.ini en %1; se sigue en el año %2.")
                    .arg(CarpetaAjuste(QStringLiteral("ano.ini")), Ano);
    if (error.isEmpty()) {
        Ano = ano;
        RutaBD = ruta;
        if (cerrojoNuevo) CerrojoAno() = std::move(cerrojoNuevo);
        return {};
    }
    if (const QString otra = abrirAno(Ano); !otra.isEmpty()) error += QStringLiteral("\n\n") + otra;
    return error;
}

} // namespace Modulo
