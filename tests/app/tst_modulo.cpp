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

using namespace Qt::StringLiterals;

namespace {

/** The settings of the program folder carpeta: the data folder and the year. */
void apuntarA(const QString& carpeta, const QString& datos, const QByteArray& ano) {
    guardarEn(carpeta + u"/ruta.ini"_s, datos.toUtf8() + "\r\n");
    guardarEn(carpeta + u"/ano.ini"_s, ano + "\r\n");
}

// Runs sentencias on the file through a connection of its own; the first column of the last.
QStringList sobreArchivo(const QString& ruta, const QStringList& sentencias) {
    const QString nombre = u"prueba-archivo"_s;
    QStringList valores;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, nombre);
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
    u"CREATE TABLE tblInmuebles (Id INTEGER PRIMARY KEY, Des TEXT, Dir TEXT, CP TEXT,"
    " Pob TEXT, Pro TEXT, Pre REAL DEFAULT 0, IdInq INTEGER NOT NULL DEFAULT 0,"
    " Obs TEXT)"_s,
    u"CREATE TABLE tblInquilinos (Id INTEGER PRIMARY KEY, Nom TEXT, DNI TEXT,"
    " Tfn TEXT, Mob TEXT, Mail TEXT, Obs TEXT)"_s,
    u"CREATE TABLE tblInquilinosFamiliares (Id INTEGER PRIMARY KEY, Nom TEXT,"
    " DNI TEXT, Obs TEXT, IdInq INTEGER NOT NULL DEFAULT 0)"_s,
    u"CREATE TABLE tblInquilinosCuentas (Id INTEGER PRIMARY KEY, IBAN TEXT,"
    " Banco TEXT, Obs TEXT, IdInq INTEGER NOT NULL DEFAULT 0)"_s,
    u"CREATE TABLE tblCobrosConceptos (Id INTEGER PRIMARY KEY, Des TEXT,"
    " Imp REAL DEFAULT 0, Obs TEXT)"_s,
    u"CREATE TABLE tblCobros (Id INTEGER PRIMARY KEY, Num INTEGER, Ser TEXT,"
    " IdInq INTEGER DEFAULT 0, IdInm INTEGER DEFAULT 0, Fec TEXT, Tri INTEGER,"
    " PorRet REAL DEFAULT 0, PorIva REAL DEFAULT 0, Pag INTEGER NOT NULL DEFAULT 0,"
    " SubTotal REAL DEFAULT 0, Ret REAL DEFAULT 0, Base REAL DEFAULT 0,"
    " IVA REAL DEFAULT 0, Tot REAL DEFAULT 0, Obs TEXT)"_s,
    u"CREATE TABLE tblCobrosDetalles (Id INTEGER PRIMARY KEY, IdDoc INTEGER,"
    " Lin INTEGER, IdCon INTEGER, DesCon TEXT, Und REAL DEFAULT 0,"
    " Pre REAL DEFAULT 0, Imp REAL DEFAULT 0)"_s,
    u"CREATE TABLE tblIva (TIV INTEGER PRIMARY KEY, IVA REAL, Req REAL,"
    " Activo INTEGER NOT NULL DEFAULT 1)"_s,
    u"CREATE TABLE tblSeriesF (Id INTEGER PRIMARY KEY, Cod TEXT, Des TEXT)"_s,
    u"CREATE TABLE tblTitulos (Empresa TEXT, CIF TEXT, NomCom TEXT, Enderezo TEXT,"
    " Poboacion TEXT, Telefonos TEXT, Internet TEXT, RexMer TEXT, CtaBan TEXT,"
    " ProDat TEXT, PorRet REAL)"_s,
    u"INSERT INTO tblInmuebles (Id, Des, IdInq) VALUES (1, 'Piso Rúa Nova', 1)"_s,
    u"INSERT INTO tblInquilinos (Id, Nom, DNI) VALUES (1, 'Iria Souto', '1A')"_s,
    u"INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, 'Xan', 1)"_s,
    u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES76', 1)"_s,
    u"INSERT INTO tblCobrosConceptos (Id, Des, Imp) VALUES (1, 'Renta', 500)"_s,
    u"INSERT INTO tblCobros (Id, Num, Ser, Fec, Tot) VALUES (1, 1, 'A',"
    " '2024-01-01', 500)"_s,
    u"INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, Und, Pre, Imp)"
    " VALUES (1, 1, 1, 1, 1, 500, 500)"_s,
    u"INSERT INTO tblIva (TIV, IVA, Req) VALUES (1, 21, 5.2)"_s,
    u"INSERT INTO tblSeriesF (Id, Cod) VALUES (1, 'A')"_s,
    u"INSERT INTO tblTitulos (Empresa) VALUES ('Alquileres Miño')"_s,
    u"PRAGMA user_version = 1"_s};

// The version, the row count of every table and whether the tenant has an address column.
QString resumen(const QString& ruta) {
    QStringList cuentas;
    for (const QString& tabla : tablasEsperadas())
        cuentas << sobreArchivo(ruta, {u"SELECT COUNT(*) FROM "_s + tabla});
    const QStringList version = sobreArchivo(ruta, {u"PRAGMA user_version"_s});
    const QStringList columnas =
        sobreArchivo(ruta, {u"SELECT name FROM pragma_table_info('tblInquilinos')"_s});
    return u"v%1 %2 %3"_s.arg(version.value(0), cuentas.join(u','),
                              columnas.contains(u"Dir"_s) ? u"con dirección"_s
                                                          : u"sin dirección"_s);
}

} // namespace

class TestModulo : public QObject {
    Q_OBJECT

private slots:
    void lecturaDeAjustes() {
        Entorno e;
        const QString p = e.carpetaPrograma();
        QCOMPARE(Modulo::LeerRuta(), QString());
        QVERIFY(!Modulo::LeerColor().isValid());
        QVERIFY(!Modulo::LeerImpresora(false).isValid());
        guardarEn(p + u"/ruta.ini"_s, "C:\\Datos\\\r\nsegunda\r\n");
        guardarEn(p + u"/ano.ini"_s, "");
        guardarEn(p + u"/color.ini"_s, " 15658734 \r\n");
        guardarEn(p + u"/color2.ini"_s, "rojo\r\n");
        guardarEn(p + u"/imp.ini"_s, "2\r\n");
        QCOMPARE(Modulo::LeerRuta(), u"C:\\Datos\\"_s);
        QCOMPARE(Modulo::LeerAno(), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor()), 15658734);
        QCOMPARE(Modulo::LeerColor2(), QVariant(QString()));
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor2()), 0);
        QCOMPARE(Modulo::LeerImpresora(false).toString(), u"2"_s);
        QCOMPARE(Modulo::LeerImpresora(true).toString(), QString());
        // Old 8-bit files and UTF-8 ones both read as the user wrote them.
        guardarEn(p + u"/ruta.ini"_s, "/datos/A\xf1o\r\n");
        QCOMPARE(Modulo::LeerRuta(), u"/datos/Año"_s);
        guardarEn(p + u"/ruta.ini"_s, u"/datos/Año\r\n"_s.toUtf8());
        QCOMPARE(Modulo::LeerRuta(), u"/datos/Año"_s);
        // A huge line is cut, skipped to reach the next, and shown shortened in messages.
        guardarEn(p + u"/ruta.ini"_s, "/" + QByteArray(10'000'000, 'a') + "\n2\n");
        guardarEn(p + u"/imp.ini"_s, QByteArray(10'000'000, '7') + "\r\n3\r\n");
        QCOMPARE(Modulo::LeerRuta().size(), 4096);
        QCOMPARE(Modulo::LeerImpresora(true).toString(), u"3"_s);
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.size() < 600 && error.contains(QChar(0x2026)), qPrintable(error));
    }

    void carpetaDeCadaAjuste_data() {
        QTest::addColumn<QStringList>("enPrograma");
        QTest::addColumn<QStringList>("enUsuario");
        QTest::addColumn<bool>("programaEscribible");
        QTest::addColumn<QString>("rutaLeida");
        QTest::addColumn<QString>("colorEn");
        const QStringList ruta{u"ruta.ini"_s};
        const QStringList rutaYColor{u"ruta.ini"_s, u"color.ini"_s};
        const QStringList color{u"color.ini"_s};
        const QString p = u"programa"_s, u = u"usuario"_s;
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
        const QString programa = programaEscribible ? e.carpetaPrograma() : e.raiz() + u"/no"_s;
        Modulo::fijarCarpetaPrograma(programa);
        QDir().mkpath(e.carpetaUsuario());
        for (const QString& a : enPrograma)
            guardarEn(programa + u'/' + a, u"programa\r\n"_s.toUtf8());
        for (const QString& a : enUsuario)
            guardarEn(e.carpetaUsuario() + u'/' + a, u"usuario\r\n"_s.toUtf8());
        QCOMPARE(Modulo::HayRuta(), !rutaLeida.isEmpty());
        QCOMPARE(Modulo::LeerRuta(), rutaLeida);
        QVERIFY(Modulo::EscribirColor(255));
        const QString carpeta = colorEn == u"programa"_s ? programa : e.carpetaUsuario();
        QCOMPARE(contenidoDe(carpeta + u"/color.ini"_s), QByteArray(" 255 \r\n"));
        QCOMPARE(Modulo::ColorComoNumero(Modulo::LeerColor()), 255);
    }

    void baseQueNoSeAbre_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("no existe") << QByteArray() << u"no existe"_s;
        QTest::newRow("carpeta") << QByteArray("DIR") << u"carpeta"_s;
        QTest::newRow("texto") << QByteArray("hola") << u"no es una base de datos"_s;
        QTest::newRow("access") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)
                                << u"Access"_s;
        QTest::newRow("sin tablas") << QByteArray("SQLITE") << u"faltan tablas"_s;
        QTest::newRow("de un programa más nuevo")
            << QByteArray("NUEVA") << u"creado con una versión más nueva de Torvane"_s;
    }

    void baseQueNoSeAbre() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, motivo);
        Entorno e;
        cerrarBaseDatos();
        const QString carpeta = e.raiz() + u"/otro/2025"_s;
        QDir().mkpath(carpeta);
        const QString ruta = carpeta + u"/Zudivoz.mdb"_s;
        if (contenido == "DIR") {
            QDir().mkpath(ruta);
        } else if (contenido == "SQLITE") {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"vacia"_s);
            db.setDatabaseName(ruta);
            QVERIFY(db.open());
            QSqlQuery(db).exec(u"CREATE TABLE tblInmuebles (Id INTEGER)"_s);
            db.close();
        } else if (contenido == "NUEVA") {
            QCOMPARE(crearBaseDatos(ruta), QString());
            sobreArchivo(ruta, {u"PRAGMA user_version = %1"_s.arg(versionEsquema() + 1)});
        } else if (!contenido.isEmpty()) {
            guardarEn(ruta, contenido);
        }
        const QByteArray antes = QFileInfo(ruta).isFile() ? contenidoDe(ruta) : QByteArray();
        apuntarA(e.carpetaPrograma(), e.raiz() + u"/otro"_s, "2025");
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.contains(ruta), qPrintable(error));
        QVERIFY2(error.contains(motivo, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(!Conexion().isOpen());
        QCOMPARE(QFileInfo::exists(ruta), !contenido.isEmpty());
        if (QFileInfo(ruta).isFile()) QCOMPARE(contenidoDe(ruta), antes);
    }

    void archivoDeLaVersionAnterior_data() {
        QTest::addColumn<QString>("estorbo"); // makes a step fail halfway, or nothing
        QTest::newRow("se actualiza") << QString();
        QTest::newRow("un paso que falla no cambia nada")
            << u"ALTER TABLE tblInquilinos ADD COLUMN Pob TEXT"_s;
    }

    void archivoDeLaVersionAnterior() {
        QFETCH(QString, estorbo);
        Entorno e;
        cerrarBaseDatos();
        const QString ruta = e.raiz() + u"/Zudivoz.mdb"_s;
        sobreArchivo(ruta, QStringList(kVersion1) << estorbo);
        const QString antes = resumen(ruta);
        QCOMPARE(antes, u"v1 1,1,1,1,1,1,1,1,1,1 sin dirección"_s);

        const QString error = abrirBaseDatos(ruta);
        const QString copia = ruta + u".antes-de-actualizar-v1"_s;
        QCOMPARE(resumen(copia), antes);
        QCOMPARE(QFile::permissions(copia) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
        if (!estorbo.isEmpty()) {
            QVERIFY2(error.contains(u"no se ha cambiado nada"_s), qPrintable(error));
            QVERIFY(!Conexion().isOpen());
            QCOMPARE(resumen(ruta), antes);
            return;
        }
        QCOMPARE(error, QString());
        QCOMPARE(resumen(ruta), u"v%1 1,1,1,1,1,1,1,1,1,1 con dirección"_s.arg(versionEsquema()));
        QCOMPARE(valorUnico(u"SELECT Nom FROM tblInquilinos"_s).toString(), u"Iria Souto"_s);
        // Opened again, it is current: no second copy.
        QCOMPARE(abrirBaseDatos(ruta), QString());
        QVERIFY(!QFile::exists(copia + u"-2"_s));
    }

    void sinAjustesLaRutaEsDobleBarra() {
        Entorno e;
        const QString error = Modulo::AbrirBaseDatos();
        QCOMPARE(Modulo::RutaBD, u"//Zudivoz.mdb"_s);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(u"/Zudivoz.mdb"_s));
    }

    // A second start on the same year is refused by the real program (tst_programa).
    void arranqueLeeAjustesYBloqueaElAno() {
        Entorno e;
        apuntarA(e.carpetaPrograma(), e.carpetaDatos(), "2024");
        guardarEn(e.carpetaPrograma() + u"/color.ini"_s, " 255 \r\n");
        std::unique_ptr<QLockFile> cerrojo;
        QCOMPARE(Arrancar(cerrojo), QString());
        QCOMPARE(Modulo::ColorComoNumero(Modulo::ColorPrincipal), 255);
        QCOMPARE(cerrojo->fileName(), Modulo::RutaBD + u".lock"_s);
    }

    void confirmacionDeSalida() {
        Entorno e;
        frmPrincipal principal;
        principal.show();
        Mensaje::responderSiguiente(false);
        QVERIFY(!principal.close());
        QVERIFY(principal.isVisible());
        QVERIFY(Conexion().isOpen());
        QCOMPARE(Mensaje::historial().last().titulo, u"Atención!!"_s);
        QCOMPARE(Mensaje::historial().last().texto, u"¿Confirma que desea Salir?"_s);
        Mensaje::responderSiguiente(true);
        principal.findChild<QAction*>(u"mnuSairSair"_s)->trigger();
        QVERIFY(!principal.isVisible());
        QVERIFY(!Conexion().isOpen());
    }
};

TORVANE_TEST_MAIN(TestModulo)
#include "tst_modulo.moc"
