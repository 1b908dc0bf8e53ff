// torvane-admin: what the desktop program leaves to be done outside it.
#include "data/Demo.h"

#include "data/Formato.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int uso(QTextStream& err)
{
    err << "Uso:\n"
           "  torvane-admin crear CARPETA AÑO   crea CARPETA/AÑO/Zudivoz.mdb y las plantillas\n"
           "  torvane-admin demo CARPETA [AÑO]   crea un año de demostración\n";
    return 2;
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
