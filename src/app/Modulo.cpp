#include "app/Modulo.h"

#include "data/Anos.h"
#include "data/BaseDatos.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace Modulo {

QString Ruta;
QString Ano;
QString RutaBD;
QVariant ColorPrincipal;
QVariant ColorFondo;
QString IdAtopado;
int FilaSeleccionada = 0;

namespace {

QString& carpetaFijada()
{
    static QString carpeta;
    return carpeta;
}

QString rutaAjuste(const char* nombre)
{
    return CarpetaPrograma() + QLatin1Char('/') + QLatin1StringView(nombre);
}

// Files written on other systems may be UTF-8 or the old 8-bit Windows code page.
QString decodificar(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : texto;
}

// Line n (from 0) of a settings file; an invalid QVariant when the file does not exist,
// empty text when it has fewer lines.
QVariant leerLinea(const char* nombre, int n)
{
    QFile archivo(rutaAjuste(nombre));
    if (!archivo.exists() || !archivo.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lineas = archivo.readAll().split('\n');
    if (n >= lineas.size())
        return QString();
    QByteArray linea = lineas[n];
    if (linea.endsWith('\r'))
        linea.chop(1);
    return decodificar(linea);
}

// A colour line must hold a number (blanks around it allowed); anything else is empty.
QVariant soloNumero(const QVariant& valor)
{
    if (!valor.isValid())
        return {};
    bool ok = false;
    valor.toString().trimmed().toLongLong(&ok);
    return ok ? valor : QVariant(QString());
}

bool escribir(const char* nombre, const QByteArray& contenido)
{
    QSaveFile archivo(rutaAjuste(nombre));
    if (!archivo.open(QIODevice::WriteOnly))
        return false;
    archivo.write(contenido);
    return archivo.commit();
}

} // namespace

QString CarpetaPrograma()
{
    return carpetaFijada().isEmpty() ? QCoreApplication::applicationDirPath() : carpetaFijada();
}

void fijarCarpetaPrograma(const QString& carpeta) { carpetaFijada() = carpeta; }

QString LeerRuta() { return leerLinea("ruta.ini", 0).toString(); }
QString LeerAno() { return leerLinea("ano.ini", 0).toString(); }
QVariant LeerColor() { return soloNumero(leerLinea("color.ini", 0)); }
QVariant LeerColor2() { return soloNumero(leerLinea("color2.ini", 0)); }
QVariant LeerImpresora(bool segunda) { return leerLinea("imp.ini", segunda ? 1 : 0); }

bool EscribirColor(int color)
{
    return escribir("color.ini", " " + QByteArray::number(color) + " \r\n");
}

bool EscribirColor2(int color)
{
    return escribir("color2.ini", " " + QByteArray::number(color) + " \r\n");
}

bool EscribirImpresoras(int informes, int pdf)
{
    return escribir("imp.ini", QByteArray::number(informes) + "\r\n" + QByteArray::number(pdf) +
                                   "\r\n");
}

bool EscribirAno(const QString& ano) {
    return escribir("ano.ini", ano.toUtf8() + "\r\n");
}

int ColorComoNumero(const QVariant& color)
{
    bool ok = false;
    const long long valor = color.toString().trimmed().toLongLong(&ok);
    return ok ? static_cast<int>(static_cast<quint32>(valor)) : 0;
}

QString AbrirBaseDatos()
{
    Ruta = LeerRuta();
    Ano = LeerAno();
    RutaBD = rutaBaseDatos(Ruta, Ano);
    return abrirBaseDatos(RutaBD);
}

QString CambiarAno(const QString& ano) {
    const QString ruta = rutaBaseDatos(Ruta, ano);
    QString error = abrirBaseDatos(ruta);
    if (error.isEmpty() && !EscribirAno(ano))
        error = QStringLiteral("No se pudo escribir ano.ini en %1; se sigue en el año %2.")
                    .arg(CarpetaPrograma(), Ano);
    if (error.isEmpty()) {
        Ano = ano;
        RutaBD = ruta;
        return {};
    }
    if (const QString otra = abrirBaseDatos(RutaBD); !otra.isEmpty())
        error += QStringLiteral("\n\n") + otra;
    return error;
}

} // namespace Modulo
