// Writes documents through the program's own functions until it is killed; the kill test
// starts it on a year, kills it at a random moment and checks what it left.
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Servidor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

using namespace torvane;

namespace {

Linea lineaAlAzar(QRandomGenerator& azar) {
    Linea l;
    l.idCon = azar.bounded(1, 5);
    l.desCon = QStringLiteral("Concepto %1").arg(l.idCon);
    // Half units of odd cents: halves of a cent among the amounts.
    l.und = Decimal::deDiezmilesimas(azar.bounded(2, 8) * Decimal::kEscala / 2);
    l.pre = Importe::deCentimos(azar.bounded(-500, 10000));
    return l;
}

Cabecera cabeceraAlAzar(QRandomGenerator& azar) {
    Cabecera c;
    c.ser = azar.bounded(2) ? QStringLiteral("A") : QStringLiteral("b");
    c.fec = QDate(2024, azar.bounded(1, 13), 1);
    c.tri = (c.fec.month() - 1) / 3 + 1;
    c.porIva = Decimal::deEntero(azar.bounded(2) ? 21 : 0);
    c.porRet = Decimal::deEntero(azar.bounded(2) ? 19 : 0);
    return c;
}

/** One change to an existing document: a line added, inserted, edited or removed, or a new number.
 */
void cambiarDocumento(QRandomGenerator& azar, int id) {
    auto c = leerCabecera(id);
    const QList<QStringList> lineas = filasLineas(id);
    if (!c || lineas.isEmpty()) return;
    const QStringList& una = lineas[azar.bounded(lineas.size())];
    CambioLineas cambio;
    cambio.linea = lineaAlAzar(azar);
    switch (azar.bounded(5)) {
    case 0:
        cambio.tipo = CambioLineas::Anadir;
        break;
    case 1:
        cambio.tipo = CambioLineas::Insertar, cambio.linea.lin = una[0].toInt();
        break;
    case 2:
        cambio.tipo = CambioLineas::Editar, cambio.idLinea = una[6].toInt();
        break;
    case 3:
        // The last line stays: a document without lines is removed whole, not emptied.
        if (lineas.size() > 1) cambio.tipo = CambioLineas::Borrar, cambio.idLinea = una[6].toInt();
        break;
    default:
        c->num = azar.bounded(1, 40);
        break;
    }
    guardarDocumento(*c, cambio).valorOLanzar();
}

/** Five let properties billing every month, so the writer can issue runs of five documents. */
void prepararInmuebles() {
    if (valorUnico(QStringLiteral("SELECT 1 FROM tblInmueblesCargos")).isValid()) return;
    for (int id = 1; id <= 5; ++id) {
        ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom) VALUES (?, ?)"),
                 {1000 + id, QStringLiteral("Inquilino %1").arg(id)});
        ejecutar(
            QStringLiteral("INSERT INTO tblInmuebles (Id, Des, Pre, IdInq) VALUES (?, ?, ?, ?)"),
            {1000 + id, QStringLiteral("Piso %1").arg(id), 500 + id, 1000 + id});
        guardarCargos(1000 + id,
                      {Decimal::deEntero(21), Decimal::deEntero(19), false, QStringLiteral("A")},
                      {lineaAlquiler(1000 + id)})
            .valorOLanzar();
    }
}

/** The year at ruta, or on the server when its data folder names one (as the program does). */
QString abrir(const QString& ruta) {
    QDir carpetaDatos = QFileInfo(ruta).dir();
    const QString ano = carpetaDatos.dirName();
    carpetaDatos.cdUp();
    return abrirAnoDeCarpeta(carpetaDatos.path(), ano);
}

/**
 * Several desks at once: new documents and lines added to its own, each confirmed one told
 * on stdout as "Id lines" once it is committed, so the test can find every one afterwards.
 */
[[noreturn]] void cargar(QRandomGenerator& azar) {
    QTextStream salida(stdout);
    QList<int> propios;
    for (;;) {
        try {
            if (propios.isEmpty() || azar.bounded(10) < 6) {
                QList<Linea> lineas;
                for (int n = azar.bounded(1, 5); n > 0; --n)
                    lineas << lineaAlAzar(azar);
                const Cabecera c = crearDocumento(cabeceraAlAzar(azar), lineas);
                propios << c.id;
                salida << c.id << ' ' << lineas.size() << Qt::endl;
            } else {
                const int id = propios[azar.bounded(propios.size())];
                const auto c = leerCabecera(id);
                // Gone when another desk restored a backup meanwhile.
                if (!c) continue;
                guardarDocumento(*c, {CambioLineas::Anadir, lineaAlAzar(azar), 0}).valorOLanzar();
                salida << id << ' ' << numeroLineas(id) << Qt::endl;
            }
        } catch (const ErrorBD& error) {
            QTextStream(stderr) << error.texto() << Qt::endl;
        }
    }
}

} // namespace

/** Deletes a document when its state allows; one another writer numbered past meanwhile stays. */
void borrar(int id) {
    try {
        borrarDocumento(id).valorOLanzar();
    } catch (const ErrorBD& error) {
        if (!error.texto().startsWith(QStringLiteral("No se puede borrar"))) throw;
    }
}

int main(int argc, char** argv) {
    QCoreApplication aplicacion(argc, argv);
    QStringList args = aplicacion.arguments();
    const bool carga = args.removeAll(QStringLiteral("--carga")) > 0;
    if (args.size() != 3) return 2;
    if (const QString error = abrir(args[1]); !error.isEmpty()) {
        QTextStream(stderr) << error << Qt::endl;
        return 1;
    }
    QRandomGenerator azar(args[2].toUInt());
    if (!carga) prepararInmuebles();
    QTextStream(stdout) << "listo" << Qt::endl;
    if (carga) cargar(azar);
    for (;;) {
        try {
            // A run's documents are left whole, so the test can count them.
            const int id = valorUnico(QStringLiteral("SELECT Id FROM tblCobros WHERE IdEmi IS NULL"
                                                     " ORDER BY random() LIMIT 1"))
                               .toInt();
            const int que = azar.bounded(10);
            if (que == 9) {
                const QDate mes(2024, azar.bounded(1, 13), 1);
                emitirMes(proponerMes(mes), mes, 2024).valorOLanzar();
            } else if (id == 0 || que < 4) {
                QList<Linea> lineas;
                for (int n = azar.bounded(1, 5); n > 0; --n)
                    lineas << lineaAlAzar(azar);
                crearDocumento(cabeceraAlAzar(azar), lineas);
            } else if (que == 4) {
                borrar(id);
            } else {
                cambiarDocumento(azar, id);
            }
        } catch (const ErrorBD& error) {
            // A repeated number is refused as it should be; nothing was written.
            if (error.texto() != kNumeroRepetido) throw;
        }
    }
}
