#include "core/store/Ajustes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

namespace torvane {

namespace {

// Files written on other systems may be UTF-8 or the old 8-bit Windows code page.
QString decodificar(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : texto;
}

// The rest of a line (up to and including its LF), read in bounded pieces and dropped.
void saltarResto(QIODevice& archivo, QByteArray trozo) {
    while (!trozo.endsWith('\n') && !trozo.isEmpty())
        trozo = archivo.readLine(kMaximoLineaAjuste + 1);
}

} // namespace

QString lineaAjuste(QIODevice& archivo, int n) {
    for (int i = 0;; ++i) {
        QByteArray linea = archivo.readLine(kMaximoLineaAjuste + 1);
        if (linea.isEmpty()) return {};
        const bool entera = linea.endsWith('\n');
        if (!entera) saltarResto(archivo, archivo.readLine(kMaximoLineaAjuste + 1));
        if (i < n) continue;
        if (entera) linea.chop(1);
        if (linea.endsWith('\r')) linea.chop(1);
        return decodificar(linea.left(kMaximoLineaAjuste));
    }
}

QString acortarRuta(const QString& ruta, qsizetype maximo) {
    if (ruta.size() <= maximo) return ruta;
    const qsizetype cabeza = (maximo - 1) / 2;
    return ruta.left(cabeza) + QChar(0x2026) + ruta.right(maximo - 1 - cabeza);
}

namespace {

QString& carpetaProgramaFijada() {
    static QString carpeta;
    return carpeta;
}

QString& carpetaUsuarioFijada() {
    static QString carpeta;
    return carpeta;
}

bool existeEn(const QString& carpeta, const QString& archivo) {
    return QFileInfo::exists(carpeta + QLatin1Char('/') + archivo);
}

// Where settings went while they were asked for without an organisation name.
const QString kOrganizacionAnterior = QStringLiteral("Unknown Organization");

} // namespace

Ajustes::Ajustes()
    : almacen_(std::make_unique<QSettings>(QStringLiteral("Torvane"), QStringLiteral("Torvane"))) {}

Ajustes::~Ajustes() = default;

QVariant Ajustes::valor(const QString& clave, const QVariant& porDefecto) const {
    if (almacen_->contains(clave)) return almacen_->value(clave, porDefecto);
    // A value an earlier version left in the nameless store is taken over, so an installation
    // keeps its number.
    const QSettings anterior(kOrganizacionAnterior, QStringLiteral("Torvane"));
    if (!anterior.contains(clave)) return porDefecto;
    almacen_->setValue(clave, anterior.value(clave));
    return almacen_->value(clave);
}

bool Ajustes::fijar(const QString& clave, const QVariant& valor) {
    almacen_->setValue(clave, valor);
    almacen_->sync();
    return almacen_->status() == QSettings::NoError;
}

QString Ajustes::carpetaPrograma() {
    return carpetaProgramaFijada().isEmpty() ? QCoreApplication::applicationDirPath()
                                             : carpetaProgramaFijada();
}

void Ajustes::fijarCarpetaPrograma(const QString& carpeta) {
    carpetaProgramaFijada() = carpeta;
}

QString Ajustes::carpetaUsuario() {
    if (!carpetaUsuarioFijada().isEmpty()) return carpetaUsuarioFijada();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/torvane");
}

void Ajustes::fijarCarpetaUsuario(const QString& carpeta) {
    carpetaUsuarioFijada() = carpeta;
}

QString Ajustes::carpetaDe(const QString& archivo) {
    const QString programa = carpetaPrograma();
    if (existeEn(programa, archivo)) return programa;
    const QString usuario = carpetaUsuario();
    if (existeEn(usuario, archivo)) return usuario;
    const QString ruta = QStringLiteral("ruta.ini");
    if (archivo != ruta && existe(ruta)) return carpetaDe(ruta);
    // An installed program's folder is not the user's to write in.
    return QFileInfo(programa).isWritable() ? programa : usuario;
}

bool Ajustes::existe(const QString& archivo) {
    return existeEn(carpetaPrograma(), archivo) || existeEn(carpetaUsuario(), archivo);
}

QVariant Ajustes::linea(const QString& archivo, int n) {
    QFile fichero(carpetaDe(archivo) + QLatin1Char('/') + archivo);
    if (!fichero.exists() || !fichero.open(QIODevice::ReadOnly)) return {};
    return lineaAjuste(fichero, n);
}

bool Ajustes::escribir(const QString& archivo, const QByteArray& contenido,
                       const QString& carpeta) {
    const QString destino = carpeta.isEmpty() ? carpetaDe(archivo) : carpeta;
    if (!QDir().mkpath(destino)) return false;
    QSaveFile fichero(destino + QLatin1Char('/') + archivo);
    if (!fichero.open(QIODevice::WriteOnly)) return false;
    fichero.write(contenido);
    return fichero.commit();
}

} // namespace torvane
