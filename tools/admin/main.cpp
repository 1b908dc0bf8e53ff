// torvane-admin: what the desktop program leaves to be done outside it.
#include "data/Demo.h"

#include "data/Anos.h"
#include "data/BaseDatos.h"
#include "data/Comprobacion.h"
#include "data/Copia.h"
#include "data/Formato.h"
#include "data/Privado.h"
#include "data/Servidor.h"
#include "verifactu/Registros.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

int uso(QTextStream& err) {
    err << "Uso:\n"
           "  torvane-admin crear CARPETA AÑO   crea CARPETA/AÑO/Zudivoz.mdb y las plantillas\n"
           "  torvane-admin demo CARPETA [AÑO]   crea un año de demostración\n"
           "  torvane-admin comprobar CARPETA AÑO [--reparar]\n"
           "                                     busca documentos que no cuadran y los repara\n"
           "  torvane-admin copiar CARPETA AÑO DESTINO   copia el año a DESTINO/Zudivoz.mdb\n"
           "  torvane-admin recuperar CARPETA AÑO ORIGEN   pone ORIGEN/Zudivoz.mdb en su lugar\n"
           "  torvane-admin nuevo CARPETA AÑO   crea el año siguiente a AÑO con sus inmuebles,\n"
           "                                    inquilinos, conceptos, tipos de IVA, series y\n"
           "                                    datos de la empresa, sin recibos\n"
           "  torvane-admin verifactu verificar CARPETA AÑO\n"
           "                                     comprueba la cadena de registros de facturación\n"
           "  torvane-admin servidor crear AÑO [--ini ARCHIVO]\n"
           "                                     crea el año vacío en el servidor\n"
           "  torvane-admin servidor subir CARPETA AÑO [--ini ARCHIVO]\n"
           "                                     lleva CARPETA/AÑO/Zudivoz.mdb al servidor\n"
           "  torvane-admin servidor bajar AÑO CARPETA [--ini ARCHIVO]\n"
           "                                     escribe el año del servidor en\n"
           "                                     CARPETA/AÑO/Zudivoz.mdb\n"
           "  torvane-admin servidor actualizar AÑO [--ini ARCHIVO]\n"
           "                                     pone el año del servidor en el formato de\n"
           "                                     este programa (con los demás puestos\n"
           "                                     cerrados); guarda antes el año como estaba\n"
           "                                     en AÑO/Zudivoz.mdb.antes-de-actualizar-vN\n"
           "                                     junto a servidor.ini\n"
           "  torvane-admin servidor quitar AÑO_antes_FECHA [--ini ARCHIVO]\n"
           "                                     quita un año que una recuperación guardó\n"
           "                                     (se baja antes con «servidor bajar»)\n"
           "  El servidor se lee de servidor.ini (sección [servidor]: host, puerto, base,\n"
           "  usuario, sslmode) de la carpeta actual o de --ini; la contraseña, de ~/.pgpass\n"
           "  o de PGPASSWORD.\n";
    return 2;
}

/** Lists what does not add up; with reparar, repairs it under the year's lock. */
int comprobarAno(const QString& carpeta, const QString& ano, bool reparar) {
    QTextStream out(stdout);
    const QString ruta = carpeta + QLatin1Char('/') + ano + QStringLiteral("/Zudivoz.mdb");
    QLockFile cerrojo(ruta + QStringLiteral(".lock"));
    cerrojo.setStaleLockTime(0);
    // On a server the repair takes turns with the desks like any writer.
    if (reparar && !leerServidor(carpeta) && !cerrojo.tryLock(0)) {
        out << "El año está abierto en Torvane (o su carpeta es de solo lectura); ciérrelo antes "
               "de reparar.\n";
        return 1;
    }
    if (const QString error = abrirAnoDeCarpeta(carpeta, ano); !error.isEmpty()) {
        out << error << '\n';
        return 1;
    }
    Comprobacion comprobacion = comprobarDocumentos();
    if (reparar && comprobacion.reparable()) {
        out << comprobacion.texto() << "\n\n";
        if (const QString error = repararDocumentos(ruta); !error.isEmpty()) {
            out << error << '\n';
            return 1;
        }
        out << "Reparado: totales recalculados y documentos sin líneas quitados (copia previa en "
            << ruta << ".antes-de-reparar-...).\n\n";
        comprobacion = comprobarDocumentos();
    }
    out << (comprobacion.correcta() ? QStringLiteral("Todos los documentos cuadran.")
                                    : comprobacion.texto())
        << '\n';
    cerrarBaseDatos();
    return comprobacion.correcta() ? 0 : 1;
}

// Backup and restore of one year, for scheduled copies; the year stays closed afterwards.
QString copiarORecuperar(const QStringList& args) {
    const QString rutaBD = args[1] + QLatin1Char('/') + args[2] + QLatin1Char('/') + kArchivoDatos;
    QString error = abrirAnoDeCarpeta(args[1], args[2]);
    if (error.isEmpty())
        error = args[0] == QStringLiteral("copiar")
                    ? hacerCopia(args[3])
                    : restaurarCopia(args[3], rutaBD,
                                     [&args] { return abrirAnoDeCarpeta(args[1], args[2]); });
    cerrarBaseDatos();
    return error;
}

/** Checks a year's billing records and invoices, a line per fault; status 0 only when right. */
int verificarAno(const QString& carpeta, const QString& ano) {
    QTextStream out(stdout);
    if (const QString error = abrirAnoDeCarpeta(carpeta, ano); !error.isEmpty()) {
        out << error << '\n';
        return 1;
    }
    const VerificacionRegistros v = verificarRegistros();
    out << v.texto() << '\n';
    cerrarBaseDatos();
    return v.correcta() ? 0 : 1;
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

/** crear, subir, bajar and actualizar of a year on the office's server. */
int servidor(QStringList args, QTextStream& err) {
    QString ini = QDir::currentPath() + QLatin1Char('/') + kArchivoServidor;
    if (const qsizetype i = args.indexOf(QStringLiteral("--ini")); i >= 0 && i + 1 < args.size()) {
        ini = args[i + 1];
        args.remove(i, 2);
    }
    const bool crear = args.size() == 3 && args[1] == QStringLiteral("crear");
    const bool subir = args.size() == 4 && args[1] == QStringLiteral("subir");
    const bool bajar = args.size() == 4 && args[1] == QStringLiteral("bajar");
    const bool actualizar = args.size() == 3 && args[1] == QStringLiteral("actualizar");
    const bool quitar = args.size() == 3 && args[1] == QStringLiteral("quitar");
    if (!crear && !subir && !bajar && !actualizar && !quitar) return uso(err);
    QString error;
    const QFileInfo archivo(ini);
    const std::optional<DatosServidor> datos = leerServidor(archivo.absolutePath(), &error);
    if (!datos || archivo.fileName() != kArchivoServidor) {
        err << (error.isEmpty() ? QStringLiteral("No se encuentra %1.").arg(ini) : error) << '\n';
        return 1;
    }
    QTextStream out(stdout);
    if (crear) {
        // Made as a year file is (VAT types included) and taken up whole.
        QTemporaryDir temporal;
        error = crearAno(temporal.path(), args[2]);
        if (error.isEmpty())
            error = subirAno(rutaBaseDatos(temporal.path(), args[2]), *datos, args[2]);
        if (error.isEmpty()) out << "Creado el año " << args[2] << " en el servidor.\n";
    } else if (subir) {
        error = subirAno(rutaBaseDatos(args[2], args[3]), *datos, args[3]);
        if (error.isEmpty()) out << "Subido el año " << args[3] << "; comprobado fila a fila.\n";
    } else if (quitar) {
        error = quitarGuardado(*datos, args[2]);
        if (error.isEmpty()) out << "Quitado del servidor el año guardado " << args[2] << ".\n";
    } else if (actualizar) {
        int formato = -1;
        error = actualizarAnoServidor(*datos, args[2], archivo.absolutePath(), &formato);
        if (error.isEmpty())
            out << "El año " << args[2] << " del servidor está en el formato " << formato
                << "; comprobado fila a fila.\n";
    } else {
        const QString ruta = rutaBaseDatos(args[3], args[2]);
        if (!crearCarpetaPrivada(QFileInfo(ruta).absolutePath()))
            error = QStringLiteral("No se puede crear la carpeta de %1.").arg(ruta);
        if (error.isEmpty()) error = bajarAno(*datos, args[2], ruta);
        if (error.isEmpty()) out << "Bajado el año a " << ruta << "; comprobado fila a fila.\n";
    }
    // The desks print with the data folder's templates.
    if (error.isEmpty() && !bajar && !quitar) error = escribirPlantillas(archivo.absolutePath());
    if (error.isEmpty()) return 0;
    err << error << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication aplicacion(argc, argv);
    QTextStream err(stderr);
    const QStringList args = aplicacion.arguments().mid(1);
    if (args.size() < 2) return uso(err);
    if (args[0] == QStringLiteral("servidor")) return servidor(args, err);
    if (args[0] == QStringLiteral("comprobar") && (args.size() == 3 || args.size() == 4) &&
        (args.size() == 3 || args[3] == QStringLiteral("--reparar")))
        return comprobarAno(args[1], args[2], args.size() == 4);
    if (args[0] == QStringLiteral("verifactu") && args.size() == 4 &&
        args[1] == QStringLiteral("verificar"))
        return verificarAno(args[2], args[3]);
    QString error;
    if (args[0] == QStringLiteral("crear") && args.size() == 3)
        error = crearAno(args[1], args[2]);
    else if ((args[0] == QStringLiteral("copiar") || args[0] == QStringLiteral("recuperar")) &&
             args.size() == 4)
        error = copiarORecuperar(args);
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
