// Working years: switching between them and starting the next one from the current one.
#include "app/Modulo.h"
#include "app/frmAnoTrabajo.h"
#include "app/frmPrincipal.h"
#include "data/Anos.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "data/Migraciones.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/** An empty year of the test's data folder; returns its file. */
QString anoVacio(const Entorno& e, const QString& ano) {
    const QString ruta = rutaBaseDatos(e.carpetaDatos(), ano);
    QDir().mkpath(QFileInfo(ruta).path());
    const QString error = crearBaseDatos(ruta);
    if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    return ruta;
}

/** Runs statements on a year's file through a connection of its own. */
void ejecutarEn(const QString& ruta, const QStringList& sentencias) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"prueba"_s);
        db.setDatabaseName(ruta);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString& sql : sentencias)
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(u"prueba"_s);
}

/** Every register of the year, one row each, and two documents with lines. */
void llenarAno(Entorno& e) {
    const int inq = e.inquilino(u"José García"_s, u"981 100 200"_s);
    ejecutar(u"UPDATE tblInquilinos SET Dir = 'Rúa Nova, 3' WHERE Id = ?"_s, {inq});
    ejecutar(u"INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, 'Ana', ?)"_s, {inq});
    ejecutar(u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES76 2080', ?)"_s,
             {inq});
    ejecutar(u"INSERT INTO tblTitulos (Empresa, CIF) VALUES ('Alquileres Miño', 'B15000001')"_s);
    ejecutar(u"INSERT INTO tblVerifactu (Id, Activo) VALUES (1, 0)"_s);
    const int inm = e.inmueble(u"Piso Lugo"_s, inq);
    e.concepto(u"Renta"_s, 650);
    ejecutar(u"INSERT INTO tblInmueblesCargos (Id, IdInm, Lin, IdCon, DesCon, Und, Pre)"
             " VALUES (1, ?, 1, 1, 'Renta', 1, 650)"_s, {inm});
    ejecutar(u"INSERT INTO tblContratos (Id, IdInm, IdInq, FecIni, Ren, Act)"
             " VALUES (1, ?, ?, '2023-06-01', 650, 1)"_s,
             {inm, inq});
    ejecutar(u"INSERT INTO tblContratosRentas (Id, IdCon, Fec, RenAnt, Ren)"
             " VALUES (1, 1, '2024-06-01', 640, 650)"_s);
    ejecutar(u"INSERT INTO tblIndices (Ind, Ano, Mes, Tas) VALUES ('IPC', 2024, 6, 3.4)"_s);
    e.tipoIva(1, 21);
    e.serie(u"A"_s);
    e.linea(e.documento(1, u"A"_s, QDate(2024, 1, 5), inm, inq, 650), 1, 1, 650);
    e.linea(e.documento(2, u"A"_s, QDate(2024, 2, 5), inm, inq, 650), 1, 1, 650);
}

/** The shared connection is on a copy of llenarAno()'s year with no documents. */
void compruebaAnoNuevo() {
    for (const QString& tabla : tablasQuePasanDeAno())
        QVERIFY2(Entorno::contar(tabla) == 1 || tabla == u"tblInquilinosFamiliares"_s,
                 qPrintable(tabla));
    QCOMPARE(Entorno::contar(u"tblCobros"_s), 0);
    QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 0);
    QCOMPARE(valorUnico(u"SELECT Dir FROM tblInquilinos"_s).toString(), u"Rúa Nova, 3"_s);
    QCOMPARE(valorUnico(u"PRAGMA user_version"_s).toInt(), versionEsquema());
}

} // namespace

class TestAnos : public QObject {
    Q_OBJECT

private slots:
    void nuevoAnoYCambioDesdeLaVentana() {
        Entorno e;
        llenarAno(e);
        anoVacio(e, u"2023"_s);
        frmPrincipal principal;
        principal.show();
        QStringList lista;
        cuandoAparezca<frmAnoTrabajo>([&](frmAnoTrabajo* w) {
            auto* anos = w->findChild<QListWidget*>(u"lstAnos"_s);
            for (int i = 0; i < anos->count(); ++i)
                lista << anos->item(i)->text();
            w->findChild<QPushButton*>(u"cmdNuevo"_s)->click(); // "Sí" to working in it
        });
        principal.findChild<QToolButton*>(u"cmdAnos"_s)->click();
        QCOMPARE(lista, QStringList({u"2023"_s, u"2024   (año de trabajo)"_s}));
        QCOMPARE(Modulo::Ano, u"2025"_s);
        QCOMPARE(leer(e.carpetaPrograma() + u"/ano.ini"_s), "2025\r\n");
        compruebaAnoNuevo();
        QVERIFY(Mensaje::textos().last().contains(u"año 2025"_s));

        // Back to the source year, by keys: it kept its documents.
        frmAnoTrabajo w;
        w.show();
        auto* anos = w.findChild<QListWidget*>(u"lstAnos"_s);
        QCOMPARE(anos->currentItem()->text(), u"2025   (año de trabajo)"_s);
        enfocar(anos);
        QTest::keyClick(anos, Qt::Key_Up);
        pulsarEnter(anos);
        QCOMPARE(Modulo::Ano, u"2024"_s);
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 2);
        QCOMPARE(leer(e.carpetaPrograma() + u"/ano.ini"_s), "2024\r\n");
    }

    void anoQueNoAbreDejaElActual() {
        Entorno e;
        e.inquilino(u"Ana"_s);
        QDir().mkpath(e.carpetaDatos() + u"/2025"_s);
        QFile roto(rutaBaseDatos(e.carpetaDatos(), u"2025"_s));
        QVERIFY(roto.open(QIODevice::WriteOnly));
        roto.write("esto no es una base de datos");
        roto.close();
        QVERIFY(Modulo::EscribirAno(u"2024"_s));
        frmAnoTrabajo w;
        w.show();
        auto* anos = w.findChild<QListWidget*>(u"lstAnos"_s);
        anos->setCurrentRow(1);
        w.findChild<QPushButton*>(u"cmdCambiar"_s)->click();
        QVERIFY(Mensaje::textos().last().contains(u"no es una base de datos"_s));
        QCOMPARE(Modulo::Ano, u"2024"_s);
        QCOMPARE(Entorno::contar(u"tblInquilinos"_s), 1);
        QCOMPARE(leer(e.carpetaPrograma() + u"/ano.ini"_s), "2024\r\n");

        // "Nuevo año" from 2024 would be 2025, which is taken: nothing is touched.
        w.findChild<QPushButton*>(u"cmdNuevo"_s)->click();
        QVERIFY(Mensaje::textos().last().contains(u"ya existe"_s));
        QCOMPARE(leer(rutaBaseDatos(e.carpetaDatos(), u"2025"_s)), "esto no es una base de datos");
    }

    void nuevoAnoRechazado_data() {
        QTest::addColumn<QString>("origen");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("sin origen") << u"2019"_s << u"No existe el año 2019"_s;
        QTest::newRow("origen más nuevo") << u"2040"_s << u"versión más nueva"_s;
        QTest::newRow("origen dañado") << u"2050"_s << u"No se pudo crear el año 2051"_s;
    }

    void nuevoAnoRechazado() {
        QFETCH(QString, origen);
        QFETCH(QString, mensaje);
        Entorno e;
        ejecutarEn(anoVacio(e, u"2040"_s), {u"PRAGMA user_version = 999"_s});
        QDir().mkpath(e.carpetaDatos() + u"/2050"_s);
        QFile roto(rutaBaseDatos(e.carpetaDatos(), u"2050"_s));
        QVERIFY(roto.open(QIODevice::WriteOnly));
        roto.write(QByteArray(4096, 'x'));
        roto.close();
        const QString siguiente = anoSiguiente(origen);
        const QString error = crearAnoDesde(e.carpetaDatos(), origen, siguiente);
        QVERIFY2(error.contains(mensaje), qPrintable(error));
        QVERIFY(!QFileInfo::exists(e.carpetaDatos() + u"/"_s + siguiente));
    }

    // From the command line, on a year of an older format that lacks the tenant's address.
    void nuevoAnoDesdeLaLineaDeOrdenes() {
        Entorno e;
        ejecutarEn(anoVacio(e, u"2019"_s),
                   {u"INSERT INTO tblInquilinos (Id, Nom) VALUES (7, 'Iria')"_s,
                    u"ALTER TABLE tblInquilinos DROP COLUMN Dir"_s, u"PRAGMA user_version = 1"_s});
        QProcess admin;
        admin.start(qEnvironmentVariable("TORVANE_ADMIN"),
                    {u"nuevo"_s, e.carpetaDatos(), u"2019"_s});
        QVERIFY(admin.waitForFinished());
        QCOMPARE(admin.exitCode(), 0);
        QVERIFY(admin.readAllStandardOutput().contains("Creado el año 2020"));
        QVERIFY(abrirBaseDatos(rutaBaseDatos(e.carpetaDatos(), u"2020"_s)).isEmpty());
        QCOMPARE(valorUnico(u"SELECT Nom FROM tblInquilinos WHERE Id = 7"_s).toString(), u"Iria"_s);
        QCOMPARE(valorUnico(u"PRAGMA user_version"_s).toInt(), versionEsquema());
        QCOMPARE(anosDeCarpeta(e.carpetaDatos()), QStringList({u"2019"_s, u"2020"_s, u"2024"_s}));
        const auto permisos = QFile::permissions(rutaBaseDatos(e.carpetaDatos(), u"2020"_s));
        QVERIFY(!(permisos & (QFile::ReadGroup | QFile::ReadOther)));
    }
};

TORVANE_TEST_MAIN(TestAnos)
#include "tst_anos.moc"
