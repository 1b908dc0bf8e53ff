#include "app/Aplicacion.h"
#include "app/Modulo.h"
#include "app/frmPrincipal.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "data/Migraciones.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>

namespace {

void escribirArchivo(const QString& ruta, const QByteArray& contenido)
{
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contenido);
}

QByteArray leerArchivo(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs sentencias on the file through a connection of its own; the first column of the last.
QStringList sobreArchivo(const QString& ruta, const QStringList& sentencias) {
    const QString nombre = QStringLiteral("prueba-archivo");
    QStringList valores;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(ruta);
        db.open();
        QSqlQuery q(db);
        for (const QString& sentencia : sentencias)
            if (!q.exec(sentencia))
                qWarning("%s: %s", qPrintable(sentencia), qPrintable(q.lastError().text()));
        while (q.next())
            valores << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(nombre);
    return valores;
}

// A year file as the first version of the program wrote it, one row in each table.
const QStringList kVersion1 = {
    QStringLiteral("CREATE TABLE tblInmuebles (Id INTEGER PRIMARY KEY, Des TEXT, Dir TEXT, CP TEXT,"
                   " Pob TEXT, Pro TEXT, Pre REAL DEFAULT 0, IdInq INTEGER NOT NULL DEFAULT 0,"
                   " Obs TEXT)"),
    QStringLiteral("CREATE TABLE tblInquilinos (Id INTEGER PRIMARY KEY, Nom TEXT, DNI TEXT,"
                   " Tfn TEXT, Mob TEXT, Mail TEXT, Obs TEXT)"),
    QStringLiteral("CREATE TABLE tblInquilinosFamiliares (Id INTEGER PRIMARY KEY, Nom TEXT,"
                   " DNI TEXT, Obs TEXT, IdInq INTEGER NOT NULL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE tblInquilinosCuentas (Id INTEGER PRIMARY KEY, IBAN TEXT,"
                   " Banco TEXT, Obs TEXT, IdInq INTEGER NOT NULL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE tblCobrosConceptos (Id INTEGER PRIMARY KEY, Des TEXT,"
                   " Imp REAL DEFAULT 0, Obs TEXT)"),
    QStringLiteral("CREATE TABLE tblCobros (Id INTEGER PRIMARY KEY, Num INTEGER, Ser TEXT,"
                   " IdInq INTEGER DEFAULT 0, IdInm INTEGER DEFAULT 0, Fec TEXT, Tri INTEGER,"
                   " PorRet REAL DEFAULT 0, PorIva REAL DEFAULT 0, Pag INTEGER NOT NULL DEFAULT 0,"
                   " SubTotal REAL DEFAULT 0, Ret REAL DEFAULT 0, Base REAL DEFAULT 0,"
                   " IVA REAL DEFAULT 0, Tot REAL DEFAULT 0, Obs TEXT)"),
    QStringLiteral("CREATE TABLE tblCobrosDetalles (Id INTEGER PRIMARY KEY, IdDoc INTEGER,"
                   " Lin INTEGER, IdCon INTEGER, DesCon TEXT, Und REAL DEFAULT 0,"
                   " Pre REAL DEFAULT 0, Imp REAL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE tblIva (TIV INTEGER PRIMARY KEY, IVA REAL, Req REAL,"
                   " Activo INTEGER NOT NULL DEFAULT 1)"),
    QStringLiteral("CREATE TABLE tblSeriesF (Id INTEGER PRIMARY KEY, Cod TEXT, Des TEXT)"),
    QStringLiteral("CREATE TABLE tblTitulos (Empresa TEXT, CIF TEXT, NomCom TEXT, Enderezo TEXT,"
                   " Poboacion TEXT, Telefonos TEXT, Internet TEXT, RexMer TEXT, CtaBan TEXT,"
                   " ProDat TEXT, PorRet REAL)"),
    QStringLiteral("INSERT INTO tblInmuebles (Id, Des, IdInq) VALUES (1, 'Piso Rúa Nova', 1)"),
    QStringLiteral("INSERT INTO tblInquilinos (Id, Nom, DNI) VALUES (1, 'Iria Souto', '1A')"),
    QStringLiteral("INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, 'Xan', 1)"),
    QStringLiteral("INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES76', 1)"),
    QStringLiteral("INSERT INTO tblCobrosConceptos (Id, Des, Imp) VALUES (1, 'Renta', 500)"),
    QStringLiteral("INSERT INTO tblCobros (Id, Num, Ser, Fec, Tot) VALUES (1, 1, 'A',"
                   " '2024-01-01', 500)"),
    QStringLiteral("INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, Und, Pre, Imp)"
                   " VALUES (1, 1, 1, 1, 1, 500, 500)"),
    QStringLiteral("INSERT INTO tblIva (TIV, IVA, Req) VALUES (1, 21, 5.2)"),
    QStringLiteral("INSERT INTO tblSeriesF (Id, Cod) VALUES (1, 'A')"),
    QStringLiteral("INSERT INTO tblTitulos (Empresa) VALUES ('Alquileres Miño')"),
    QStringLiteral("PRAGMA user_version = 1")};

// The version, the row count of every table and whether the tenant has an address column.
QString resumen(const QString& ruta) {
    QStringList cuentas;
    for (const QString& tabla : tablasEsperadas())
        cuentas << sobreArchivo(ruta, {QStringLiteral("SELECT COUNT(*) FROM ") + tabla});
    const QStringList version = sobreArchivo(ruta, {QStringLiteral("PRAGMA user_version")});
    const QStringList columnas =
        sobreArchivo(ruta, {QStringLiteral("SELECT name FROM pragma_table_info('tblInquilinos')")});
    return QStringLiteral("v%1 %2 %3")
        .arg(version.value(0), cuentas.join(u','),
             columnas.contains(QStringLiteral("Dir")) ? QStringLiteral("con dirección")
                                                      : QStringLiteral("sin dirección"));
}

} // namespace

class TestModulo : public QObject {
    Q_OBJECT

private slots:
    void lecturaDeAjustes()
    {
        Entorno e;
        const QString p = e.carpetaPrograma();
        QCOMPARE(Modulo::LeerRuta(), QString());
        QVERIFY(!Modulo::LeerColor().isValid());
        QVERIFY(!Modulo::LeerImpresora(false).isValid());
        escribirArchivo(p + QStringLiteral("/ruta.ini"), "C:\\Datos\\\r\nsegunda\r\n");
        escribirArchivo(p + QStringLiteral("/ano.ini"), "");
        escribirArchivo(p + QStringLiteral("/color.ini"), " 15658734 \r\n");
        escribirArchivo(p + QStringLiteral("/color2.ini"), "rojo\r\n");
        escribirArchivo(p + QStringLiteral("/imp.ini"), "2\r\n");
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("C:\\Datos\\"));
        QCOMPARE(Modulo::LeerAno(), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor()), 15658734);
        QCOMPARE(Modulo::LeerColor2(), QVariant(QString()));
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor2()), 0);
        QCOMPARE(Modulo::LeerImpresora(false).toString(), QStringLiteral("2"));
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QString());
        // Old 8-bit files and UTF-8 ones both read as the user wrote them.
        escribirArchivo(p + QStringLiteral("/ruta.ini"), "/datos/A\xf1o\r\n");
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("/datos/Año"));
        escribirArchivo(p + QStringLiteral("/ruta.ini"), QStringLiteral("/datos/Año\r\n").toUtf8());
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("/datos/Año"));
        // A huge line is cut, skipped to reach the next, and shown shortened in messages.
        escribirArchivo(p + QStringLiteral("/ruta.ini"), "/" + QByteArray(10'000'000, 'a') + "\n2\n");
        escribirArchivo(p + QStringLiteral("/imp.ini"), QByteArray(10'000'000, '7') + "\r\n3\r\n");
        QCOMPARE(Modulo::LeerRuta().size(), 4096);
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QStringLiteral("3"));
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.size() < 600 && error.contains(QChar(0x2026)), qPrintable(error));
    }

    void escrituraByteAByte()
    {
        Entorno e;
        const QString p = e.carpetaPrograma();
        QVERIFY(Modulo::EscribirColor(15658734));
        QVERIFY(Modulo::EscribirColor2(0));
        QVERIFY(Modulo::EscribirImpresoras(1, -1));
        QCOMPARE(leerArchivo(p + QStringLiteral("/color.ini")), QByteArray(" 15658734 \r\n"));
        QCOMPARE(leerArchivo(p + QStringLiteral("/color2.ini")), QByteArray(" 0 \r\n"));
        QCOMPARE(leerArchivo(p + QStringLiteral("/imp.ini")), QByteArray("1\r\n-1\r\n"));
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QStringLiteral("-1"));
    }

    void carpetaDeCadaAjuste_data() {
        QTest::addColumn<QStringList>("enPrograma");
        QTest::addColumn<QStringList>("enUsuario");
        QTest::addColumn<bool>("programaEscribible");
        QTest::addColumn<QString>("rutaLeida");
        QTest::addColumn<QString>("colorEn");
        const QStringList ruta{QStringLiteral("ruta.ini")};
        const QStringList rutaYColor{QStringLiteral("ruta.ini"), QStringLiteral("color.ini")};
        const QStringList color{QStringLiteral("color.ini")};
        const QString p = QStringLiteral("programa"), u = QStringLiteral("usuario");
        QTest::newRow("copia portátil") << ruta << QStringList() << true << p << p;
        QTest::newRow("instalado") << QStringList() << rutaYColor << false << u << u;
        QTest::newRow("en ambas, manda el programa") << rutaYColor << ruta << true << p << p;
        QTest::newRow("color del usuario, ruta del programa") << ruta << color << true << p << u;
        QTest::newRow("nuevo, junto a ruta.ini") << QStringList() << ruta << true << u << u;
        QTest::newRow("ninguna") << QStringList() << QStringList() << true << QString() << p;
        QTest::newRow("ninguna, programa sin permiso")
            << QStringList() << QStringList() << false << QString() << u;
    }

    void carpetaDeCadaAjuste() {
        QFETCH(QStringList, enPrograma);
        QFETCH(QStringList, enUsuario);
        QFETCH(bool, programaEscribible);
        QFETCH(QString, rutaLeida);
        QFETCH(QString, colorEn);
        Entorno e;
        // A folder that does not exist stands for one we may not write to (the tests run as root).
        const QString programa =
            programaEscribible ? e.carpetaPrograma() : e.raiz() + QStringLiteral("/no");
        Modulo::fijarCarpetaPrograma(programa);
        QDir().mkpath(e.carpetaUsuario());
        for (const QString& a : enPrograma)
            escribirArchivo(programa + u'/' + a, QStringLiteral("programa\r\n").toUtf8());
        for (const QString& a : enUsuario)
            escribirArchivo(e.carpetaUsuario() + u'/' + a, QStringLiteral("usuario\r\n").toUtf8());
        QCOMPARE(Modulo::HayRuta(), !rutaLeida.isEmpty());
        QCOMPARE(Modulo::LeerRuta(), rutaLeida);
        QVERIFY(Modulo::EscribirColor(255));
        const QString carpeta =
            colorEn == QStringLiteral("programa") ? programa : e.carpetaUsuario();
        QCOMPARE(leerArchivo(carpeta + QStringLiteral("/color.ini")), QByteArray(" 255 \r\n"));
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor()), 255);
    }

    void rutaDelPrimerArranque() {
        Entorno e;
        QVERIFY(Modulo::EscribirRutaUsuario(QStringLiteral("/datos/Año"), QStringLiteral("2025")));
        QCOMPARE(leerArchivo(e.carpetaUsuario() + QStringLiteral("/ruta.ini")),
                 QStringLiteral("/datos/Año\r\n").toUtf8());
        QCOMPARE(leerArchivo(e.carpetaUsuario() + QStringLiteral("/ano.ini")),
                 QByteArray("2025\r\n"));
        QVERIFY(!QFileInfo::exists(e.carpetaPrograma() + QStringLiteral("/ruta.ini")));
        QCOMPARE(Modulo::LeerRuta(), QStringLiteral("/datos/Año"));
    }

    void baseQueNoSeAbre_data()
    {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("no existe") << QByteArray() << QStringLiteral("no existe");
        QTest::newRow("carpeta") << QByteArray("DIR") << QStringLiteral("carpeta");
        QTest::newRow("texto") << QByteArray("hola") << QStringLiteral("no es una base de datos");
        QTest::newRow("access") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)
                                << QStringLiteral("Access");
        QTest::newRow("sin tablas") << QByteArray("SQLITE") << QStringLiteral("faltan tablas");
        QTest::newRow("de un programa más nuevo")
            << QByteArray("NUEVA") << QStringLiteral("creado con una versión más nueva de Torvane");
    }

    void baseQueNoSeAbre()
    {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, motivo);
        Entorno e;
        cerrarBaseDatos();
        const QString carpeta = e.raiz() + QStringLiteral("/otro/2025");
        QDir().mkpath(carpeta);
        const QString ruta = carpeta + QStringLiteral("/Zudivoz.mdb");
        if (contenido == "DIR") {
            QDir().mkpath(ruta);
        } else if (contenido == "SQLITE") {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("vacia"));
            db.setDatabaseName(ruta);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE tblInmuebles (Id INTEGER)"));
            db.close();
        } else if (contenido == "NUEVA") {
            QCOMPARE(crearBaseDatos(ruta), QString());
            sobreArchivo(ruta,
                         {QStringLiteral("PRAGMA user_version = %1").arg(versionEsquema() + 1)});
        } else if (!contenido.isEmpty()) {
            escribirArchivo(ruta, contenido);
        }
        const QByteArray antes = QFileInfo(ruta).isFile() ? leerArchivo(ruta) : QByteArray();
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ruta.ini"), (e.raiz() + QStringLiteral("/otro\r\n")).toUtf8());
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ano.ini"), "2025\r\n");
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.contains(ruta), qPrintable(error));
        QVERIFY2(error.contains(motivo, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(!Conexion().isOpen());
        QCOMPARE(QFileInfo::exists(ruta), !contenido.isEmpty());
        if (QFileInfo(ruta).isFile())
            QCOMPARE(leerArchivo(ruta), antes);
    }

    void archivoDeLaVersionAnterior_data() {
        QTest::addColumn<QString>("estorbo"); // makes a step fail halfway, or nothing
        QTest::newRow("se actualiza") << QString();
        QTest::newRow("un paso que falla no cambia nada")
            << QStringLiteral("ALTER TABLE tblInquilinos ADD COLUMN Pob TEXT");
    }

    void archivoDeLaVersionAnterior() {
        QFETCH(QString, estorbo);
        Entorno e;
        cerrarBaseDatos();
        const QString ruta = e.raiz() + QStringLiteral("/Zudivoz.mdb");
        sobreArchivo(ruta, QStringList(kVersion1) << estorbo);
        const QString antes = resumen(ruta);
        QCOMPARE(antes, QStringLiteral("v1 1,1,1,1,1,1,1,1,1,1 sin dirección"));

        const QString error = abrirBaseDatos(ruta);
        const QString copia = ruta + QStringLiteral(".antes-de-actualizar-v1");
        QCOMPARE(resumen(copia), antes);
        QCOMPARE(QFile::permissions(copia) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
        if (!estorbo.isEmpty()) {
            QVERIFY2(error.contains(QStringLiteral("no se ha cambiado nada")), qPrintable(error));
            QVERIFY(!Conexion().isOpen());
            QCOMPARE(resumen(ruta), antes);
            return;
        }
        QCOMPARE(error, QString());
        QCOMPARE(resumen(ruta),
                 QStringLiteral("v%1 1,1,1,1,1,1,1,1,1,1 con dirección").arg(versionEsquema()));
        QCOMPARE(valorUnico(QStringLiteral("SELECT Nom FROM tblInquilinos")).toString(),
                 QStringLiteral("Iria Souto"));
        // Opened again, it is current: no second copy.
        QCOMPARE(abrirBaseDatos(ruta), QString());
        QVERIFY(!QFile::exists(copia + QStringLiteral("-2")));
    }

    void sinAjustesLaRutaEsDobleBarra()
    {
        Entorno e;
        const QString error = Modulo::AbrirBaseDatos();
        QCOMPARE(Modulo::RutaBD, QStringLiteral("//Zudivoz.mdb"));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/Zudivoz.mdb")));
    }

    void unaSolaInstancia()
    {
        Entorno e;
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ruta.ini"), (e.carpetaDatos() + QStringLiteral("\r\n")).toUtf8());
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/ano.ini"), "2024\r\n");
        escribirArchivo(e.carpetaPrograma() + QStringLiteral("/color.ini"), " 255 \r\n");
        std::unique_ptr<QLockFile> primero;
        QCOMPARE(Arrancar(primero), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::ColorPrincipal), 255);
        // The lock is the year's, beside its database, whatever folder the program runs from.
        QCOMPARE(primero->fileName(), Modulo::RutaBD + QStringLiteral(".lock"));
        Modulo::fijarCarpetaPrograma(e.raiz());
        escribirArchivo(e.raiz() + QStringLiteral("/ruta.ini"), (e.carpetaDatos() + QStringLiteral("\r\n")).toUtf8());
        escribirArchivo(e.raiz() + QStringLiteral("/ano.ini"), "2024\r\n");
        std::unique_ptr<QLockFile> segundo;
        QCOMPARE(Arrancar(segundo), kYaEnMarcha);
    }

    void confirmacionDeSalida()
    {
        Entorno e;
        frmPrincipal principal;
        principal.show();
        Mensaje::responderSiguiente(false);
        QVERIFY(!principal.close());
        QVERIFY(principal.isVisible());
        QVERIFY(Conexion().isOpen());
        QCOMPARE(Mensaje::historial().last().titulo, QStringLiteral("Atención!!"));
        QCOMPARE(Mensaje::historial().last().texto, QStringLiteral("¿Confirma que desea Salir?"));
        Mensaje::responderSiguiente(true);
        principal.findChild<QAction*>(QStringLiteral("mnuSairSair"))->trigger();
        QVERIFY(!principal.isVisible());
        QVERIFY(!Conexion().isOpen());
    }
};

TORVANE_TEST_MAIN(TestModulo)
#include "tst_modulo.moc"
