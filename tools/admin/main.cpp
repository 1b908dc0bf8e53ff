// torvane-admin: what the desktop program leaves to be done outside it.
#include "core/demo/Demo.h"

#include "core/documents/Comprobacion.h"
#include "core/documents/Registros.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Centimos.h"
#include "core/store/Copia.h"
#include "core/store/Migraciones.h"
#include "core/store/Privado.h"
#include "core/store/Servidor.h"
#include "core/tax/RentaInmuebles.h"
#include "core/text/Formato.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <csignal>
#include <unistd.h>

using namespace torvane;

namespace {

int uso(QTextStream& err, int salida = 2) {
    err << "Uso:\n"
           "  torvane-admin crear CARPETA AÑO   crea CARPETA/AÑO/Zudivoz.mdb y las plantillas\n"
           "  torvane-admin demo CARPETA [AÑO]   crea un año de demostración\n"
           "  torvane-admin comprobar CARPETA AÑO [--reparar]\n"
           "                                     busca documentos que no cuadran y los repara\n"
           "  torvane-admin copiar CARPETA AÑO DESTINO   copia el año a DESTINO/Zudivoz.mdb\n"
           "  torvane-admin recuperar CARPETA AÑO ORIGEN [--otro-año]\n"
           "                                     pone ORIGEN/Zudivoz.mdb en su lugar (con el\n"
           "                                     año cerrado; --otro-año: aunque la copia sea\n"
           "                                     de otro año) y guarda el año que había\n"
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
           "  torvane-admin servidor preparar PROPIETARIO PUESTO [--como USUARIO] [--ini ARCHIVO]\n"
           "                                     crea el usuario propietario de los años y el\n"
           "                                     de los puestos (solo filas, sin cambiar\n"
           "                                     tablas ni guardas); se hace con un usuario\n"
           "                                     que pueda crear usuarios (--como)\n"
           "  Las órdenes de este programa usan el usuario «propietario» de servidor.ini; los\n"
           "  puestos, «usuario». Crear, subir, actualizar, recuperar y quitar años en el\n"
           "  servidor necesitan al propietario.\n"
           "  El servidor se lee de servidor.ini (sección [servidor]: host, puerto, base,\n"
           "  usuario, sslmode) de la carpeta actual o de --ini; la contraseña, de ~/.pgpass\n"
           "  o de PGPASSWORD.\n";
    return salida;
}

void listar(QTextStream& out, const QString& titulo, const QStringList& lineas) {
    if (lineas.isEmpty()) return;
    out << titulo.arg(lineas.size()) << '\n';
    for (const QString& linea : lineas)
        out << "  " << linea << '\n';
    out << '\n';
}

/** A year file still in euros: its amounts that are not whole cents, before opening changes it. */
QStringList sinCentimosAntesDeAbrir(const QString& ruta) {
    if (!QFileInfo::exists(ruta)) return {};
    const QString nombre = QStringLiteral("torvane-admin-euros");
    QStringList lineas;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(ruta);
        if (db.open() && versionArchivo(db) < 16) lineas = importesSinCentimosEnteros(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return lineas;
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
    listar(out,
           QStringLiteral("Importes que no son céntimos enteros (%1); al abrir el año en este "
                          "formato se redondean al céntimo y quedan anotados:"),
           sinCentimosAntesDeAbrir(ruta));
    if (const QString error = abrirAnoDeCarpeta(carpeta, ano); !error.isEmpty()) {
        out << error << '\n';
        return 1;
    }
    listar(out, QStringLiteral("Importes redondeados al céntimo al pasar a céntimos enteros (%1):"),
           importesRedondeados(Conexion()));
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

// The temporary file of the copy in progress, removed when the tool is stopped by a signal.
char temporalEnCurso[4096];

void alRecibirSenal(int senal) {
    if (temporalEnCurso[0]) unlink(temporalEnCurso);
    std::signal(senal, SIG_DFL);
    std::raise(senal);
}

void borrarAlInterrumpir(const QString& temporal) {
    qstrncpy(temporalEnCurso, QFile::encodeName(temporal).constData(), sizeof temporalEnCurso);
    for (const int senal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(senal, alRecibirSenal);
}

/**
 * Restores a year from the backup in carpeta as the backup window does: refused while the
 * program has the year open, and for a backup of another year unless otroAno.
 */
QString recuperar(const QString& datos, const QString& ano, const QString& carpeta, bool otroAno) {
    const QString rutaBD = rutaBaseDatos(datos, ano);
    const QString origen = carpeta + QLatin1Char('/') + kArchivoDatos;
    QLockFile cerrojo(rutaBD + QStringLiteral(".lock"));
    cerrojo.setStaleLockTime(0);
    if (!leerServidor(datos) && !cerrojo.tryLock(0))
        return QStringLiteral("El año %1 está abierto en Torvane (o su carpeta es de solo "
                              "lectura); ciérrelo antes de recuperar.")
            .arg(ano);
    if (const QStringList anos = anosDistintos(origen, ano); !anos.isEmpty() && !otroAno)
        return QStringLiteral(
                   "La copia tiene documentos de %1 y el año es %2; no se ha recuperado. "
                   "Si es la copia que quiere, repita la orden con --otro-año.")
            .arg(anos.join(QStringLiteral(", ")), ano);
    QString error = abrirAnoDeCarpeta(datos, ano);
    QString guardado;
    borrarAlInterrumpir(rutaBD + QStringLiteral(".restaurando"));
    if (error.isEmpty())
        error = restaurarCopia(
            carpeta, rutaBD, [&] { return abrirAnoDeCarpeta(datos, ano); }, &guardado);
    if (error.isEmpty())
        QTextStream(stdout) << "Recuperado el año " << ano << ". "
                            << avisoGuardado(guardado, rutaBD) << '\n';
    cerrarBaseDatos();
    return error;
}

// A backup of one year, for scheduled copies; the year stays closed afterwards. A copy reads
// one consistent moment of the year, so it runs while the program has the year open.
QString copiar(const QString& datos, const QString& ano, const QString& carpeta) {
    QString error = abrirAnoDeCarpeta(datos, ano);
    borrarAlInterrumpir(carpeta + QLatin1Char('/') + kArchivoDatos + QStringLiteral(".copiando"));
    if (error.isEmpty()) error = hacerCopia(carpeta);
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
    // As «Nuevo año» in the program: what the year leaves to deduct goes on to the next.
    AlCrearAno arrastre;
    const bool existe = leerServidor(carpeta) || QFileInfo::exists(rutaBaseDatos(carpeta, ano));
    if (existe && abrirAnoDeCarpeta(carpeta, ano).isEmpty()) {
        if (const auto rentas = rentaDelAno(ano.toInt()))
            arrastre = arrastreAlAnoSiguiente(*rentas);
        cerrarBaseDatos();
    }
    const QString error = crearAnoDesde(carpeta, ano, siguiente, arrastre);
    if (error.isEmpty() && leerServidor(carpeta))
        QTextStream(stdout) << "Creado el año " << siguiente << " en el servidor.\n";
    else if (error.isEmpty())
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
    QString como;
    if (const qsizetype i = args.indexOf(QStringLiteral("--como")); i >= 0 && i + 1 < args.size()) {
        como = args[i + 1];
        args.remove(i, 2);
    }
    const bool preparar = args.size() == 4 && args[1] == QStringLiteral("preparar");
    if (!crear && !subir && !bajar && !actualizar && !quitar && !preparar) return uso(err);
    QString error;
    const QFileInfo archivo(ini);
    std::optional<DatosServidor> datos = leerServidor(archivo.absolutePath(), &error);
    if (!datos || archivo.fileName() != kArchivoServidor) {
        err << (error.isEmpty() ? QStringLiteral("No se encuentra %1.").arg(ini) : error) << '\n';
        return 1;
    }
    if (const QString aviso = avisoCifrado(*datos); !aviso.isEmpty()) err << aviso << '\n';
    if (!como.isEmpty()) datos->usuario = como;
    QTextStream out(stdout);
    if (preparar) {
        error = prepararServidor(*datos, args[2], args[3]);
        if (error.isEmpty())
            out << "Preparado: " << args[2] << " es el propietario de los años y " << args[3]
                << " el usuario de los puestos (sin permiso para cambiar tablas ni guardas).\n"
                   "Déles contraseña (en psql: \\password "
                << args[2] << " y \\password " << args[3]
                << ") y ponga en servidor.ini:\n  usuario=" << args[3]
                << "\n  propietario=" << args[2] << "\n";
        if (!error.isEmpty()) err << error << '\n';
        return error.isEmpty() ? 0 : 1;
    }
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
    comoPropietario() = true;
    QTextStream err(stderr);
    const QStringList args = aplicacion.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream out(stdout);
        return uso(out, 0);
    }
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
    else if (args[0] == QStringLiteral("copiar") && args.size() == 4)
        error = copiar(args[1], args[2], args[3]);
    else if (args[0] == QStringLiteral("recuperar") && (args.size() == 4 || args.size() == 5) &&
             (args.size() == 4 || args[4] == QStringLiteral("--otro-año")))
        error = recuperar(args[1], args[2], args[3], args.size() == 5);
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
