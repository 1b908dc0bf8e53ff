// torvane-admin: what the desktop program leaves to be done outside it.
#include "Demo.h"

#include "data/BaseDatos.h"
#include "data/Copia.h"
#include "data/Formato.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int uso(QTextStream& err)
{
    err << "Uso:\n"
           "  torvane-admin crear CARPETA AÑO   crea CARPETA/AÑO/Zudivoz.mdb y las plantillas\n"
           "  torvane-admin demo CARPETA [AÑO]   crea un año de demostración\n"
           "  torvane-admin copiar CARPETA AÑO DESTINO   copia el año a DESTINO/Zudivoz.mdb\n"
           "  torvane-admin recuperar CARPETA AÑO ORIGEN   pone ORIGEN/Zudivoz.mdb en su lugar\n";
    return 2;
}

// Backup and restore of one year, for scheduled copies; the year stays closed afterwards.
QString copiarORecuperar(const QStringList& args)
{
    const QString rutaBD = args[1] + QLatin1Char('/') + args[2] + QLatin1Char('/') + kArchivoDatos;
    limpiarTemporales(rutaBD);
    QString error = abrirBaseDatos(rutaBD);
    if (error.isEmpty())
        error = args[0] == QStringLiteral("copiar")
                    ? hacerCopia(args[3])
                    : restaurarCopia(args[3], rutaBD, [&rutaBD] { return abrirBaseDatos(rutaBD); });
    cerrarBaseDatos();
    return error;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacion(argc, argv);
    QTextStream err(stderr);
    const QStringList args = aplicacion.arguments().mid(1);
    if (args.size() < 2)
        return uso(err);
    QString error;
    if (args[0] == QStringLiteral("crear") && args.size() == 3)
        error = crearAno(args[1], args[2]);
    else if ((args[0] == QStringLiteral("copiar") || args[0] == QStringLiteral("recuperar")) &&
             args.size() == 4)
        error = copiarORecuperar(args);
    else if (args[0] == QStringLiteral("demo") && args.size() <= 3)
        error = crearDemo(args[1], args.value(2, QString::number(Hoy().year())));
    else
        return uso(err);
    if (!error.isEmpty()) {
        err << error << '\n';
        return 1;
    }
    return 0;
}
