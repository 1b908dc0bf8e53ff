// torvane-admin: what the desktop program leaves to be done outside it.
#include "Demo.h"

#include "data/Anos.h"
#include "data/Formato.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int uso(QTextStream& err)
{
    err << "Uso:\n"
           "  torvane-admin crear CARPETA AÑO   crea CARPETA/AÑO/Zudivoz.mdb y las plantillas\n"
           "  torvane-admin demo CARPETA [AÑO]   crea un año de demostración\n"
           "  torvane-admin nuevo CARPETA AÑO   crea el año siguiente a AÑO con sus inmuebles,\n"
           "                                    inquilinos, conceptos, tipos de IVA, series y\n"
           "                                    datos de la empresa, sin recibos\n";
    return 2;
}

QString nuevoAno(const QString& carpeta, const QString& ano) {
    const QString siguiente = anoSiguiente(ano);
    if (siguiente.isEmpty()) return QStringLiteral("«%1» no es un número de año.").arg(ano);
    const QString error = crearAnoDesde(carpeta, ano, siguiente);
    if (error.isEmpty())
        QTextStream(stdout) << "Creado el año " << siguiente << ": "
                            << rutaBaseDatos(carpeta, siguiente) << '\n';
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
    else if (args[0] == QStringLiteral("nuevo") && args.size() == 3)
        error = nuevoAno(args[1], args[2]);
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
