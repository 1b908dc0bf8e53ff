// How fast Torvane is on a big year, against the same reads made straight through SQLite.
// Builds (once, kept in DIR) a year of 100,000 documents and runs every measurement `veces`
// times, each side in a child process of its own so its peak memory is its own. Prints the
// medians as a table.

#include "Motor.h"
#include "Programa.h"
#include "app/Aplicacion.h"
#include "app/Ventanas.h"
#include "app/frmPrincipal.h"
#include "collections/frmCobros.h"
#include "core/demo/Demo.h"
#include "core/store/BaseDatos.h"
#include "core/store/Servidor.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace torvane;

namespace {

const QString kAno = QStringLiteral("2024");
const char* const kVariableInicio = "TORVANE_BENCH_T0";

/** The years measured on, built once each: the big one, a tenth of it, and a month's run. */
struct AnoPrueba {
    const char* carpeta;
    TamanoDemo tamano;
};
const AnoPrueba kAnoGrande{"100000", {2000, 2000, 40, 100000, 3}};
const AnoPrueba kAnoPequeno{"10000", {200, 200, 40, 10000, 3}};
// 2,333 properties of which every seventh is empty: 2,000 let, each billing 3 lines a month,
// January to November issued.
const AnoPrueba kAnoMensual{"mes", {2333, 2333, 40, 0, 3}};
// No properties, tenants, concepts or documents: what a start costs beyond the year's size.
const AnoPrueba kAnoVacio{"vacio", {0, 0, 0, 0, 0}};

struct Medida {
    const char* clave;
    const char* nombre;
    const AnoPrueba* ano = &kAnoGrande;
    bool suelo = false; ///< the raw side is the least the result could cost: the program's floor
};

const char* const kUso =
    "Uso: bench_torvane [VECES] [--carpeta CARPETA] [--solo CLAVE]\n"
    "\n"
    "Mide Torvane en un año de 100.000 documentos frente a las mismas lecturas hechas con\n"
    "SQLite a pelo, y escribe las medianas en una tabla.\n"
    "\n"
    "  VECES              pasadas de cada medida (5 si no se dice)\n"
    "  --carpeta CARPETA  donde se crean una vez y se guardan los años de prueba\n"
    "                     (por omisión $TMPDIR/torvane-bench)\n"
    "  --solo CLAVE       solo esa medida (arranque, o una clave de la lista)\n"
    "  --servidor INI     compara, en el año de 100.000 documentos, la lista de cobros,\n"
    "                     las estadísticas y guardar un documento en el servidor de\n"
    "                     servidor.ini (el año se sube la primera vez) con lo mismo en SQLite\n"
    "  --help             esta ayuda\n";

const Medida kMedidas[] = {
    {"cobros_filas", "Cobros del año: filas pintadas"},
    {"cobros", "Cobros del año: filas, cuenta y total a la vista"},
    {"cobros_texto", "Cobros filtrados por texto", &kAnoGrande, true},
    {"cobros_pendientes", "Cobros «Pendientes de cobro»"},
    {"inmuebles", "Inmuebles con filtro"},
    {"inquilinos", "Inquilinos con filtro"},
    {"estadisticas", "Estadísticas del año"},
    {"remesa", "Remesa: los pendientes del año con su cuenta y mandato"},
    {"extracto", "Extracto de 5.000 movimientos: leído y propuesto"},
    {"exportar", "Exportar los cobros del año a .xlsx"},
    {"hoja", "Abrir un documento en la hoja"},
    {"busqueda_texto", "Búsqueda global: una pulsación («a»)"},
    {"busqueda_numero", "Búsqueda global: una pulsación («65» → «650»)"},
    {"recibo", "Un recibo hasta el PDF"},
    {"recibos", "Lista «Recibos» hasta el PDF (10.000 doc.)", &kAnoPequeno},
    {"recibos", "Lista «Recibos» hasta el PDF (100.000 doc.)"},
    {"vista_primera", "Lista «Recibos»: primera página a la vista (10.000 doc.)", &kAnoPequeno},
    {"vista_primera", "Lista «Recibos»: primera página a la vista (100.000 doc.)", &kAnoGrande,
     true},
    {"mes_propuesta", "Emitir el mes: propuesta de 2.000 inmuebles a la vista", &kAnoMensual},
    {"mes_emitir", "Emitir el mes: crear los 2.000 documentos", &kAnoMensual},
    {"mes_pdf", "Emitir el mes: los 2.000 documentos a un PDF", &kAnoMensual},
};

qint64 ahoraNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

long picoKb() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

double mediana(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/** What a child process printed, its wall time from start to end and its peak memory. */
struct Hijo {
    QList<QByteArray> lineas;
    double ms = 0;
    long picoKb = 0;

    std::vector<double> valores(const QByteArray& clave) const {
        std::vector<double> v;
        for (const QByteArray& l : lineas)
            if (l.startsWith(clave + ' ')) v.push_back(l.mid(clave.size() + 1).toDouble());
        return v;
    }
};

// fork/exec rather than QProcess: wait4() gives the child's own peak memory.
Hijo lanzar(const QStringList& argumentos) {
    QByteArrayList texto;
    for (const QString& a : argumentos)
        texto << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& a : texto)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int tubo[2];
    if (pipe(tubo) != 0) qFatal("pipe");
    const qint64 inicio = ahoraNs();
    qputenv(kVariableInicio, QByteArray::number(inicio));
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(tubo[1], STDOUT_FILENO);
        close(tubo[0]);
        close(tubo[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(tubo[1]);
    QByteArray salida;
    char trozo[4096];
    for (ssize_t n; (n = read(tubo[0], trozo, sizeof trozo)) > 0;)
        salida.append(trozo, n);
    close(tubo[0]);
    int estado = 0;
    rusage uso{};
    wait4(pid, &estado, 0, &uso);
    Hijo hijo{salida.split('\n'), static_cast<double>(ahoraNs() - inicio) / 1e6, uso.ru_maxrss};
    if (!WIFEXITED(estado) || WEXITSTATUS(estado) != 0)
        qFatal("Falló: %s", qPrintable(argumentos.join(QLatin1Char(' '))));
    return hijo;
}

QString rutaBD(const QString& carpeta) {
    return carpeta + QLatin1Char('/') + kAno + QStringLiteral("/Zudivoz.mdb");
}

/** A year of that size, built once and kept: later runs reuse it. */
QString prepararAno(const QString& raiz, const AnoPrueba& ano, QTextStream& salida) {
    const QString carpeta = raiz + QLatin1Char('/') + QString::fromUtf8(ano.carpeta);
    const TamanoDemo& tamano = ano.tamano;
    const QString hecho = carpeta + QStringLiteral("/completo");
    if (QFile::exists(hecho)) return carpeta;
    QDir(carpeta).removeRecursively();
    QDir().mkpath(carpeta);
    salida << "Creando el año de prueba en " << carpeta << "..." << Qt::endl;
    QElapsedTimer reloj;
    reloj.start();
    if (const QString error = crearDemo(carpeta, kAno, tamano); !error.isEmpty())
        qFatal("%s", qPrintable(error));
    cerrarBaseDatos();
    QFile(hecho).open(QIODevice::WriteOnly);
    salida << "  creado en " << reloj.elapsed() / 1000 << " s" << Qt::endl;
    return carpeta;
}

// ---- children ----

/**
 * The program's own start-up up to the main window and then the collections list, painted with
 * rows unless the year has none.
 */
int hijoArranque(int argc, char** argv, const QString& carpetaPrograma, bool conFilas) {
    const qint64 inicio = qEnvironmentVariable(kVariableInicio).toLongLong();
    Aplicacion aplicacion(argc, argv);
    Modulo::fijarCarpetaPrograma(carpetaPrograma);
    std::unique_ptr<QLockFile> cerrojo;
    if (const QString error = Arrancar(cerrojo); !error.isEmpty()) qFatal("%s", qPrintable(error));
    frmPrincipal principal(sesion());
    principal.show();
    revisarAlAbrir(&principal);
    esperar([&] { return principal.windowHandle() && principal.windowHandle()->isExposed(); });
    QTextStream salida(stdout);
    salida << "principal " << static_cast<double>(ahoraNs() - inicio) / 1e6 << Qt::endl;
    Ventanas ventanas(sesion());
    frmCobros cobros(sesion(), ventanas, &principal);
    VigiaRejilla vigia(cobros);
    auto* info = cobros.findChild<QLabel*>(QStringLiteral("lblInfo"));
    cobros.show();
    esperar([&] { return (vigia.lista() || !conFilas) && !info->text().isEmpty(); });
    salida << "cobros " << static_cast<double>(ahoraNs() - inicio) / 1e6 << Qt::endl;
    return 0;
}

/** The floor of any start: an empty window of the same libraries, until it is exposed. */
int hijoVentanaVacia(int argc, char** argv) {
    const qint64 inicio = qEnvironmentVariable(kVariableInicio).toLongLong();
    QApplication aplicacion(argc, argv);
    QWidget ventana;
    ventana.show();
    esperar([&] { return ventana.windowHandle() && ventana.windowHandle()->isExposed(); });
    QTextStream(stdout) << "vacia " << static_cast<double>(ahoraNs() - inicio) / 1e6 << Qt::endl;
    return 0;
}

/** Runs one measurement `veces` times on one side and prints each time and the memory. */
int hijoMedida(int argc, char** argv, const QStringList& args) {
    const QString clave = args.value(0), lado = args.value(1), carpeta = args.value(2);
    const int veces = args.value(3).toInt();
    QTextStream salida(stdout);
    std::vector<double> tiempos;
    long base = 0;
    if (lado == QLatin1String("motor")) {
        const auto paso = pasoMotor(clave);
        Motor motor(rutaBD(carpeta));
        base = picoKb();
        for (int i = 0; i < veces; ++i) {
            QElapsedTimer reloj;
            reloj.start();
            paso(motor);
            tiempos.push_back(static_cast<double>(reloj.nsecsElapsed()) / 1e6);
        }
    } else {
        Aplicacion aplicacion(argc, argv);
        Mensaje::modoPrueba(true);
        fijarHoy(QDate(2024, 12, 31));
        sesion().ruta = carpeta;
        sesion().ano = kAno;
        sesion().rutaBD = rutaBD(carpeta);
        // The server side's folder holds servidor.ini and the templates.
        if (const QString error = abrirAnoDeCarpeta(carpeta, kAno); !error.isEmpty())
            qFatal("%s", qPrintable(error));
        const auto paso = pasoPrograma(clave);
        base = picoKb();
        for (int i = 0; i < veces; ++i)
            tiempos.push_back(paso());
        // A message box means the window did not do what was measured.
        if (!Mensaje::textos().isEmpty())
            qFatal("%s", qPrintable(Mensaje::textos().join(QLatin1Char('\n'))));
        cerrarBaseDatos();
    }
    for (double t : tiempos)
        salida << "t " << t << '\n';
    salida << "base " << base << "\npico " << picoKb() << Qt::endl;
    return 0;
}

// ---- the table ----

struct Fila {
    QString nombre;
    double ms = 0, msMotor = 0;
    long picoKb = 0, crecimientoKb = -1, picoMotorKb = 0, crecimientoMotorKb = -1;
    double suelo = -1; ///< the least it could take, where one is known
};

QString memoria(long pico, long crecimiento) {
    QString texto = QString::number(pico / 1024.0, 'f', 0);
    if (crecimiento >= 0) texto += QStringLiteral(" (+%1)").arg(crecimiento / 1024.0, 0, 'f', 0);
    return texto;
}

void imprimir(const QList<Fila>& filas, int veces, QTextStream& salida) {
    salida << "\nMedianas de " << veces
           << " pasadas. Memoria: pico del proceso en MB (+ lo que creció durante la medida).\n\n";
    salida << "| Medida | Torvane ms | SQLite ms | razón | suelo ms | Torvane MB | SQLite MB |\n"
           << "|---|---:|---:|---:|---:|---:|---:|\n";
    for (const Fila& f : filas)
        salida << "| " << f.nombre << " | " << QString::number(f.ms, 'f', 1) << " | "
               << QString::number(f.msMotor, 'f', 1) << " | "
               << QString::number(f.ms / f.msMotor, 'f', 1) << " | "
               << (f.suelo < 0 ? QStringLiteral("—") : QString::number(f.suelo, 'f', 1)) << " | "
               << memoria(f.picoKb, f.crecimientoKb) << " | "
               << memoria(f.picoMotorKb, f.crecimientoMotorKb) << " |\n";
    salida.flush();
}

/** The two start-up rows on the year in carpeta, named with their year's size. */
QList<Fila> medirArranque(const QString& yo, const QString& carpeta, const QString& tamano,
                          bool conFilas, int veces) {
    QTemporaryDir programa;
    QFile ruta(programa.filePath(QStringLiteral("ruta.ini")));
    QFile ano(programa.filePath(QStringLiteral("ano.ini")));
    if (!ruta.open(QIODevice::WriteOnly) || !ano.open(QIODevice::WriteOnly)) qFatal("ini");
    ruta.write(carpeta.toUtf8() + "\n");
    ano.write(kAno.toUtf8() + "\n");
    ruta.close();
    ano.close();
    std::vector<double> principal, cobros, abrir, lista, mem, memAbrir, memLista, vacia;
    const QString bd = rutaBD(carpeta);
    for (int i = 0; i < veces; ++i) {
        vacia.push_back(lanzar({yo, QStringLiteral("--ventana-vacia")}).valores("vacia").at(0));
        const Hijo h = lanzar({yo, QStringLiteral("--arranque"), programa.path(),
                               conFilas ? QStringLiteral("filas") : QStringLiteral("vacio")});
        principal.push_back(h.valores("principal").at(0));
        cobros.push_back(h.valores("cobros").at(0));
        mem.push_back(h.picoKb);
        for (bool conLista : {false, true}) {
            const Hijo s = lanzar({QStringLiteral("sqlite3"), QStringLiteral("-readonly"), bd,
                                   QString::fromUtf8(sqlArranque(conLista))});
            (conLista ? lista : abrir).push_back(s.ms);
            (conLista ? memLista : memAbrir).push_back(s.picoKb);
        }
    }
    return {{QStringLiteral("Arranque hasta la ventana principal (%1)").arg(tamano),
             mediana(principal), mediana(abrir), long(mediana(mem)), -1, long(mediana(memAbrir)),
             -1, mediana(vacia)},
            {QStringLiteral("Arranque hasta la lista de cobros (%1)").arg(tamano), mediana(cobros),
             mediana(lista), long(mediana(mem)), -1, long(mediana(memLista)), -1}};
}

Fila medir(const QString& yo, const QString& carpeta, const Medida& m, int veces) {
    Fila fila{QString::fromUtf8(m.nombre)};
    for (const char* lado : {"torvane", "motor"}) {
        const Hijo h = lanzar({yo, QStringLiteral("--medida"), QString::fromUtf8(m.clave),
                               QString::fromUtf8(lado), carpeta, QString::number(veces)});
        const double t = mediana(h.valores("t"));
        const long crecimiento = long(h.valores("pico").at(0) - h.valores("base").at(0));
        if (lado[0] == 't')
            fila.ms = t, fila.picoKb = h.picoKb, fila.crecimientoKb = crecimiento;
        else
            fila.msMotor = t, fila.picoMotorKb = h.picoKb, fila.crecimientoMotorKb = crecimiento;
    }
    // Where the engine's own reading of every row is what the program had to beat.
    if (m.suelo) fila.suelo = fila.msMotor;
    return fila;
}

/** The program on the year file and on the server, same measurements; ratios of the two. */
void compararServidor(const QString& yo, const QString& ini, const QString& carpeta, int veces,
                      QTextStream& salida) {
    const QString servidor = QFileInfo(ini).absolutePath();
    QString error;
    const auto datos = leerServidor(servidor, &error);
    if (!datos) qFatal("%s", qPrintable(error.isEmpty() ? ini + QStringLiteral("?") : error));
    if (abrirAnoServidor(*datos, kAno, QStringLiteral("bench")).isEmpty()) {
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    } else {
        salida << "Subiendo el año de prueba al servidor..." << Qt::endl;
        if (const QString e = subirAno(rutaBD(carpeta), *datos, kAno); !e.isEmpty())
            qFatal("%s", qPrintable(e));
    }
    escribirPlantillas(servidor);
    salida << "\n| Medida | SQLite ms | servidor ms | razón |\n|---|---:|---:|---:|\n";
    const char* const claves[][2] = {{"cobros", "Cobros del año: filas, cuenta y total"},
                                     {"estadisticas", "Estadísticas del año"},
                                     {"guardar", "Guardar un documento (una línea más)"}};
    for (const auto& [clave, nombre] : claves) {
        double ms[2];
        for (int lado = 0; lado < 2; ++lado)
            ms[lado] = mediana(lanzar({yo, QStringLiteral("--medida"), QString::fromUtf8(clave),
                                       QStringLiteral("torvane"), lado ? servidor : carpeta,
                                       QString::number(veces)})
                                   .valores("t"));
        salida << "| " << nombre << " | " << QString::number(ms[0], 'f', 1) << " | "
               << QString::number(ms[1], 'f', 1) << " | " << QString::number(ms[1] / ms[0], 'f', 2)
               << " |" << Qt::endl;
    }
}

// The offscreen platform's warnings would bury the table.
void soloErrores(QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
    if (tipo == QtCriticalMsg || tipo == QtFatalMsg) QTextStream(stderr) << texto << Qt::endl;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(soloErrores);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0) == QLatin1String("--arranque"))
        return hijoArranque(argc, argv, args.value(1), args.value(2) == QLatin1String("filas"));
    if (args.value(0) == QLatin1String("--medida")) return hijoMedida(argc, argv, args.mid(1));
    if (args.value(0) == QLatin1String("--ventana-vacia")) return hijoVentanaVacia(argc, argv);

    QCoreApplication aplicacion(argc, argv);
    QTextStream salida(stdout);
    int veces = 5;
    QString carpeta = QDir::tempPath() + QStringLiteral("/torvane-bench");
    QString solo, servidor;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--carpeta") && i + 1 < args.size()) {
            carpeta = args[++i];
        } else if (args[i] == QLatin1String("--solo") && i + 1 < args.size()) {
            solo = args[++i];
        } else if (args[i] == QLatin1String("--servidor") && i + 1 < args.size()) {
            servidor = args[++i];
        } else if (args[i].toInt() > 0) {
            veces = args[i].toInt();
        } else {
            salida << kUso;
            salida.flush();
            return args[i] == QLatin1String("--help") ? 0 : 2;
        }
    }
    const QString yo = QCoreApplication::applicationFilePath();
    if (!servidor.isEmpty()) {
        compararServidor(yo, servidor, prepararAno(carpeta, kAnoGrande, salida), veces, salida);
        return 0;
    }
    QList<Fila> filas;
    if (solo.isEmpty() || solo == QLatin1String("arranque")) {
        filas = medirArranque(yo, prepararAno(carpeta, kAnoGrande, salida),
                              QStringLiteral("100.000 doc."), true, veces);
        filas << medirArranque(yo, prepararAno(carpeta, kAnoVacio, salida),
                               QStringLiteral("año vacío"), false, veces);
    }
    for (const Medida& m : kMedidas) {
        if (!solo.isEmpty() && solo != QLatin1String(m.clave)) continue;
        salida << "  " << m.nombre << "..." << Qt::endl;
        filas << medir(yo, prepararAno(carpeta, *m.ano, salida), m, veces);
    }
    imprimir(filas, veces, salida);
    return 0;
}
