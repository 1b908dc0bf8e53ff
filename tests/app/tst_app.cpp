// The program's start: settings, years, the welcome window, the main window and the real binary.
#include "app/Aplicacion.h"
#include "app/frmAnoTrabajo.h"
#include "app/frmBienvenida.h"
#include "app/frmPrincipal.h"
#include "core/demo/PrimerArranque.h"
#include "core/store/Ajustes.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Migraciones.h"
#include "core/store/Sesion.h"
#include "core/text/Identificadores.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Ventana.h"
#include "utilities/frmConfiguracion.h"

#include <QAction>
#include <QListWidget>
#include <QLockFile>
#include <QSettings>
#include <QToolButton>

using namespace torvane;

namespace {

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

/** The first column of every row a query on the shared connection gives. */
QStringList sobreConexion(const QString& sql) {
    QStringList filas;
    QSqlQuery q = ejecutar(sql);
    while (q.next())
        filas << q.value(0).toString();
    return filas;
}

/** An empty year of the test's data folder; returns its file. */
QString anoVacio(const Entorno& e, const QString& ano) {
    const QString ruta = rutaBaseDatos(e.carpetaDatos(), ano);
    QDir().mkpath(QFileInfo(ruta).path());
    const QString error = crearBaseDatos(ruta);
    if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    return ruta;
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
             " VALUES (1, ?, 1, 1, 'Renta', 1, 650)"_s,
             {inm});
    ejecutar(u"INSERT INTO tblContratos (Id, IdInm, IdInq, FecIni, Ren, Act)"
             " VALUES (1, ?, ?, '2023-06-01', 650, 1)"_s,
             {inm, inq});
    ejecutar(u"INSERT INTO tblContratosRentas (Id, IdCon, Fec, RenAnt, Ren)"
             " VALUES (1, 1, '2024-06-01', 640, 650)"_s);
    ejecutar(u"INSERT INTO tblIndices (Ind, Ano, Mes, Tas) VALUES ('IPC', 2024, 6, 3.4)"_s);
    ejecutar(u"INSERT INTO tblRepartos (Id, Des) VALUES (1, 'Partes iguales')"_s);
    ejecutar(u"INSERT INTO tblRepartosInmuebles (IdRep, IdInm, Par) VALUES (1, ?, 1)"_s, {inm});
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

/** A choice that is kept: the folder and year ruta.ini and ano.ini then name. */
void eleccion(const char* caso, const char* boton, const QString& elegida, const QString& ano,
              const QString& ruta, const QString& anoAbierto, int documentos = 0) {
    QTest::newRow(caso) << QByteArray(boton) << elegida << ano << QString() << QByteArray() << ruta
                        << anoAbierto << documentos;
}

/** A refused choice: its message, and the box the cursor is put back in. */
void rechazada(const char* caso, const char* boton, const QString& elegida, const QString& ano,
               const QString& mensaje, const char* foco = "") {
    QTest::newRow(caso) << QByteArray(boton) << elegida << ano << mensaje << QByteArray(foco)
                        << QString() << QString() << 0;
}

/** A copy of the program in carpeta, with settings there pointing at datos and ano. */
QString copiarPrograma(const QString& carpeta, const QString& datos = {}, const QString& ano = {}) {
    const QString destino = carpeta + u"/torvane"_s;
    QFile::copy(qEnvironmentVariable("TORVANE_BIN"), destino);
    if (!datos.isEmpty()) apuntarA(carpeta, datos, ano);
    return destino;
}

/** The process's error output until it holds texto, or 5 s have passed. */
QByteArray errorHasta(QProcess& proceso, const QByteArray& texto) {
    QByteArray error;
    (void)QTest::qWaitFor([&] { return (error += proceso.readAllStandardError()).contains(texto); },
                          5000);
    return error;
}

} // namespace

class TestApp : public QObject {
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
        // A choice is on disk as soon as it is made, for the next start.
        const QString certificado = u"verifactu/certificado"_s;
        QVERIFY(Ajustes().fijar(certificado, u"/home/ana/Certificados"_s));
        QVERIFY(contenidoDe(e.raiz() + u"/Torvane/Torvane.conf"_s).contains("/home/ana/Cert"));
        QCOMPARE(Ajustes().valor(certificado).toString(), u"/home/ana/Certificados"_s);
        // The installation number an earlier version kept in the nameless store stays the same.
        const QString instalacion = u"verifactu/instalacion"_s;
        QSettings(u"Unknown Organization"_s, u"Torvane"_s).setValue(instalacion, u"0f3c"_s);
        QCOMPARE(Ajustes().valor(instalacion).toString(), u"0f3c"_s);
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
        fila("copia portátil", ruta, QStringList(), true, p, p);
        fila("instalado", QStringList(), rutaYColor, false, u, u);
        fila("en ambas, manda el programa", rutaYColor, ruta, true, p, p);
        fila("color del usuario, ruta del programa", ruta, color, true, p, u);
        fila("nuevo, junto a ruta.ini", QStringList(), ruta, true, u, u);
        fila("ninguna", QStringList(), QStringList(), true, QString(), p);
        fila("ninguna, programa sin permiso", QStringList(), QStringList(), false, QString(), u);
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
        fila("no existe", QByteArray(), u"no existe"_s);
        fila("carpeta", QByteArray("DIR"), u"carpeta"_s);
        fila("texto", QByteArray("hola"), u"no es una base de datos"_s);
        fila("access", QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20), u"Access"_s);
        fila("sin tablas", QByteArray("SQLITE"), u"faltan tablas"_s);
        fila("de un programa más nuevo", QByteArray("NUEVA"),
             u"creado con una versión más nueva de Torvane"_s);
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
        apuntarA(e.carpetaPrograma(), e.raiz() + u"/otro"_s, u"2025"_s);
        const QString error = Modulo::AbrirBaseDatos();
        QVERIFY2(error.contains(ruta), qPrintable(error));
        QVERIFY2(error.contains(motivo, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(!Conexion().isOpen());
        QCOMPARE(QFileInfo::exists(ruta), !contenido.isEmpty());
        if (QFileInfo(ruta).isFile()) QCOMPARE(contenidoDe(ruta), antes);
    }

    void archivoDeLaVersionAnterior_data() {
        QTest::addColumn<QString>("estorbo"); // makes a step fail halfway, or nothing
        fila("se actualiza", QString());
        fila("un paso que falla no cambia nada",
             u"ALTER TABLE tblInquilinos ADD COLUMN Pob TEXT"_s);
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
        QCOMPARE(sesion().rutaBD, u"//Zudivoz.mdb"_s);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(u"/Zudivoz.mdb"_s));
    }

    void confirmacionDeSalida() {
        Entorno e;
        frmPrincipal principal(sesion());
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

    void nuevoAnoYCambioDesdeLaVentana() {
        Entorno e;
        llenarAno(e);
        anoVacio(e, u"2023"_s);
        frmPrincipal principal(sesion());
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
        QCOMPARE(sesion().ano, u"2025"_s);
        QCOMPARE(contenidoDe(e.carpetaPrograma() + u"/ano.ini"_s), "2025\r\n");
        compruebaAnoNuevo();
        QVERIFY(Mensaje::textos().last().contains(u"año 2025"_s));

        // Back to the source year, by keys: it kept its documents.
        frmAnoTrabajo w(sesion());
        w.show();
        auto* anos = w.findChild<QListWidget*>(u"lstAnos"_s);
        QCOMPARE(anos->currentItem()->text(), u"2025   (año de trabajo)"_s);
        enfocar(anos);
        QTest::keyClick(anos, Qt::Key_Up);
        pulsarEnter(anos);
        QCOMPARE(sesion().ano, u"2024"_s);
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 2);
        QCOMPARE(contenidoDe(e.carpetaPrograma() + u"/ano.ini"_s), "2024\r\n");
    }

    void anoQueNoAbreDejaElActual() {
        Entorno e;
        e.inquilino(u"Ana"_s);
        QDir().mkpath(e.carpetaDatos() + u"/2025"_s);
        guardarEn(rutaBaseDatos(e.carpetaDatos(), u"2025"_s), "esto no es una base de datos");
        QVERIFY(Modulo::EscribirAno(u"2024"_s));
        frmAnoTrabajo w(sesion());
        w.show();
        auto* anos = w.findChild<QListWidget*>(u"lstAnos"_s);
        anos->setCurrentRow(1);
        w.findChild<QPushButton*>(u"cmdCambiar"_s)->click();
        QVERIFY(Mensaje::textos().last().contains(u"no es una base de datos"_s));
        QCOMPARE(sesion().ano, u"2024"_s);
        QCOMPARE(Entorno::contar(u"tblInquilinos"_s), 1);
        QCOMPARE(contenidoDe(e.carpetaPrograma() + u"/ano.ini"_s), "2024\r\n");

        // "Nuevo año" from 2024 would be 2025, which is taken: nothing is touched.
        w.findChild<QPushButton*>(u"cmdNuevo"_s)->click();
        QVERIFY(Mensaje::textos().last().contains(u"ya existe"_s));
        QCOMPARE(contenidoDe(rutaBaseDatos(e.carpetaDatos(), u"2025"_s)),
                 "esto no es una base de datos");
    }

    void nuevoAnoRechazado_data() {
        QTest::addColumn<QString>("origen");
        QTest::addColumn<QString>("mensaje");
        fila("sin origen", u"2019"_s, u"No existe el año 2019"_s);
        fila("origen más nuevo", u"2040"_s, u"versión más nueva"_s);
        fila("origen dañado", u"2050"_s, u"No se pudo crear el año 2051"_s);
    }

    void nuevoAnoRechazado() {
        QFETCH(QString, origen);
        QFETCH(QString, mensaje);
        Entorno e;
        sobreArchivo(anoVacio(e, u"2040"_s), {u"PRAGMA user_version = 999"_s});
        QDir().mkpath(e.carpetaDatos() + u"/2050"_s);
        guardarEn(rutaBaseDatos(e.carpetaDatos(), u"2050"_s), QByteArray(4096, 'x'));
        const QString siguiente = anoSiguiente(origen);
        const QString error = crearAnoDesde(e.carpetaDatos(), origen, siguiente);
        QVERIFY2(error.contains(mensaje), qPrintable(error));
        QVERIFY(!QFileInfo::exists(e.carpetaDatos() + u"/"_s + siguiente));
    }

    // From the command line, on a year of an older format that lacks the tenant's address.
    void nuevoAnoDesdeLaLineaDeOrdenes() {
        Entorno e;
        sobreArchivo(anoVacio(e, u"2019"_s),
                     {u"INSERT INTO tblInquilinos (Id, Nom) VALUES (7, 'Iria')"_s,
                      u"ALTER TABLE tblInquilinos DROP COLUMN Dir"_s,
                      u"PRAGMA user_version = 1"_s});
        int salida = -1;
        QVERIFY(ejecutarAdmin({u"nuevo"_s, e.carpetaDatos(), u"2019"_s}, &salida)
                    .contains(u"Creado el año 2020"_s));
        QCOMPARE(salida, 0);
        QVERIFY(abrirBaseDatos(rutaBaseDatos(e.carpetaDatos(), u"2020"_s)).isEmpty());
        QCOMPARE(valorUnico(u"SELECT Nom FROM tblInquilinos WHERE Id = 7"_s).toString(), u"Iria"_s);
        QCOMPARE(valorUnico(u"PRAGMA user_version"_s).toInt(), versionEsquema());
        QCOMPARE(anosDeCarpeta(e.carpetaDatos()), QStringList({u"2019"_s, u"2020"_s, u"2024"_s}));
        const auto permisos = QFile::permissions(rutaBaseDatos(e.carpetaDatos(), u"2020"_s));
        QVERIFY(!(permisos & (QFile::ReadGroup | QFile::ReadOther)));
    }

    void botonesYMenusAbrenSuVentana_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("ventana");
        fila("inmuebles", "cmdInmuebles", "mnuArquivosInm", "frmInmuebles");
        fila("inquilinos", "cmdInquilinos", "mnuArquivosInq", "frmInquilinos");
        fila("conceptos", "cmdConceptosCobro", "mnuArquivosCon", "frmCobrosConceptos");
        fila("cobros", "cmdCobros", "mnuTraballosCob", "frmCobros");
        fila("búsqueda", "cmdBusqueda", "mnuTraballosBus", "frmBusqueda");
        fila("informes", "cmdInformes", "mnuTraballosInf", "frmInforme");
        fila("contratos", "cmdContratos", "mnuTraballosContratos", "frmContratos");
        fila("configuracion", "cmdConfiguracion", "mnuArquivosConfig", "frmConfiguracion");
        fila("estadisticas", "cmdGraficos", "mnuTraballosGraf", "frmEstadisticas");
        fila("copia", "cmdCopiaSeg", "mnuUtiCopias", "frmCopiaPen");
        fila("colores", "cmdCores", "mnuUtiColor", "frmColor");
        fila("acerca de", "cmdVelmora", "mnuSairAcercaDe", "frmAcercaDe");
    }

    void botonesYMenusAbrenSuVentana() {
        QFETCH(QString, boton);
        QFETCH(QString, menu);
        QFETCH(QString, ventana);
        Entorno e;
        frmPrincipal principal(sesion());
        principal.show();
        for (int via = 0; via < 2; ++via) {
            QString abierta;
            bool esperaVisible = false;
            cuandoAparezca<Ventana>([&](Ventana* w) {
                abierta = claseDe(w);
                esperaVisible = principal.cursor().shape() == Qt::WaitCursor;
                w->done(QDialog::Rejected);
            });
            if (via == 0)
                principal.findChild<QToolButton*>(boton)->click();
            else
                principal.findChild<QAction*>(menu)->trigger();
            QCOMPARE(abierta, ventana);
            QVERIFY(esperaVisible);
            QCOMPARE(principal.cursor().shape(), Qt::ArrowCursor);
        }
    }

    void arrancaYRechazaUnaSegundaInstanciaDelMismoAno() {
        QTemporaryDir dir;
        const QString datos = dir.path() + u"/datos"_s;
        int salida = -1;
        ejecutarAdmin({u"demo"_s, datos, u"2024"_s}, &salida);
        QCOMPARE(salida, 0);
        QProcess primero;
        primero.start(copiarPrograma(dir.path(), datos, u"2024"_s), {});
        QVERIFY(primero.waitForStarted());
        QVERIFY(!primero.waitForFinished(2500));
        QVERIFY(QFile::exists(datos + u"/2024/Zudivoz.mdb.lock"_s));

        // A second copy in another folder, on the same year.
        const QString otra = dir.path() + u"/otra"_s;
        QDir().mkpath(otra);
        QProcess segundo;
        segundo.start(copiarPrograma(otra, datos, u"2024"_s), {});
        QVERIFY(segundo.waitForStarted());
        QVERIFY(errorHasta(segundo, "Ya se está ejecutando").contains("Ya se está ejecutando"));
        segundo.kill();
        segundo.waitForFinished();
        QCOMPARE(primero.state(), QProcess::Running);
        primero.kill();
        primero.waitForFinished();
    }

    void sinBaseDeDatosAvisaYNoCreaNada() {
        QTemporaryDir dir;
        QProcess proceso;
        proceso.start(copiarPrograma(dir.path(), dir.path() + u"/datos"_s, u"2030"_s), {});
        QVERIFY(proceso.waitForStarted());
        const QByteArray error = errorHasta(proceso, "Zudivoz.mdb");
        QVERIFY2(error.contains("No se puede abrir la base de datos") &&
                     error.contains("Zudivoz.mdb"),
                 error.constData());
        proceso.kill();
        proceso.waitForFinished();
        QVERIFY(!QFileInfo::exists(dir.path() + u"/datos"_s));
    }

    // A demo started with its own settings folder opens its year and leaves the user's settings
    // untouched: the next plain start still welcomes. A wrong command line changes nothing.
    void demoAparteYSinAjustesDaLaBienvenida() {
        QTemporaryDir dir;
        const QString demo = dir.path() + u"/demo"_s;
        int salida = -1;
        ejecutarAdmin({u"demo"_s, demo, u"2024"_s}, &salida);
        QCOMPARE(salida, 0);
        QDir().mkpath(demo + u"/ajustes"_s);
        apuntarA(demo + u"/ajustes"_s, demo, u"2024"_s);
        const QString programa = copiarPrograma(dir.path());
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(u"HOME"_s, dir.path());
        entorno.insert(u"XDG_CONFIG_HOME"_s, dir.path() + u"/config"_s);
        const auto sigueAbierto = [&](const QStringList& argumentos) {
            QProcess proceso;
            proceso.setProcessEnvironment(entorno);
            proceso.start(programa, argumentos);
            const bool abierto = proceso.waitForStarted() && !proceso.waitForFinished(2500);
            proceso.kill();
            proceso.waitForFinished();
            return std::pair{abierto, proceso.readAllStandardError()};
        };
        const auto [conDemo, errorDemo] = sigueAbierto({u"--ajustes"_s, demo + u"/ajustes"_s});
        QVERIFY2(conDemo, errorDemo.constData());
        QVERIFY(QFile::exists(demo + u"/2024/Zudivoz.mdb.lock"_s));
        const auto [malaOrden, errorOrden] = sigueAbierto({u"--ajustez"_s, demo});
        QVERIFY(!malaOrden && errorOrden.contains("ajustez"));
        const auto [bienvenida, error] = sigueAbierto({});
        QVERIFY(bienvenida);
        QVERIFY(!error.contains("Zudivoz.mdb"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{u"demo"_s, u"torvane"_s}));
    }

    void misDatosDejanUnAnoListo_data() {
        QTest::addColumn<QString>("carpeta"); // under the test's home
        QTest::addColumn<QString>("nif");
        QTest::addColumn<QString>("direccion");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("mensaje"); // empty: the year is made
        fila("persona, carpeta nueva", u"Alquileres"_s, u"12345678z"_s, u"Rúa Nova, 3"_s, 0,
             QString());
        fila("sociedad, ruta con ~", u"~/datos/Torvane"_s, u"B-15000003"_s, u"Praza Maior 1"_s, 1,
             QString());
        fila("N.I.F. erróneo", u"Alquileres"_s, u"12345678A"_s, u"Rúa Nova, 3"_s, 0, u"N.I.F.:"_s);
        fila("sin dirección", u"Alquileres"_s, u"12345678Z"_s, QString(), 0,
             u"Escriba la dirección"_s);
        fila("la carpeta es un archivo", u"nota.txt"_s, u"12345678Z"_s, u"Rúa Nova, 3"_s, 0,
             u"es un archivo"_s);
    }

    // What «Crear mis datos» leaves: a private folder and a year with its series, concepts and
    // company, which «Configuración» keeps as they are when it is closed with «Salir».
    void misDatosDejanUnAnoListo() {
        QFETCH(QString, carpeta);
        QFETCH(QString, nif);
        QFETCH(QString, direccion);
        QFETCH(int, tipo);
        QFETCH(QString, mensaje);
        Entorno e;
        cerrarBaseDatos();
        const QString casa = e.raiz() + u"/casa"_s;
        QDir().mkpath(casa);
        guardarEn(casa + u"/nota.txt"_s, "notas");
        qputenv("HOME", QFile::encodeName(casa));
        const QString ruta = carpetaEscrita(carpeta);
        QVERIFY(ruta.startsWith(casa + u'/'));
        const DatosEmpresa empresa{u"Rosa Pérez"_s, nif, direccion, u"27001 Lugo"_s,
                                   static_cast<TipoEmisor>(tipo)};
        const DatosElegidos datos = crearMisDatos(ruta, u"2025"_s, empresa);
        QVERIFY2(datos.error.contains(mensaje), qPrintable(datos.error));
        if (!mensaje.isEmpty()) {
            QVERIFY(!QFileInfo::exists(rutaBaseDatos(ruta, u"2025"_s)));
            QVERIFY(!QFileInfo::exists(casa + u"/Alquileres"_s));
            return;
        }
        QCOMPARE(datos.error, QString());
        for (const QString& nueva : {ruta, ruta + u"/2025"_s})
            QCOMPARE(QFile::permissions(nueva) & (kDeOtros | QFile::ReadGroup | QFile::ExeGroup),
                     QFile::Permissions());
        QCOMPARE(abrirBaseDatos(rutaBaseDatos(ruta, u"2025"_s)), QString());
        const auto series = [] {
            return sobreConexion(u"SELECT Cod || ' ' || Des || ' ' || Factura FROM tblSeriesF"
                                 u" ORDER BY Id"_s);
        };
        QCOMPARE(series(), QStringList({u"A Recibos 0"_s, u"B Facturas 1"_s}));
        QCOMPARE(Entorno::contar(u"tblCobrosConceptos"_s), 5);
        QCOMPARE(sobreConexion(u"SELECT Empresa || '|' || CIF || '|' || Enderezo || '|' ||"
                               u" Poboacion || '|' || TipEmi FROM tblTitulos"_s),
                 QStringList{u"Rosa Pérez|%1|%2|27001 Lugo|%3"_s.arg(
                     compactarIdentificador(nif), direccion, QString::number(tipo))});
        frmConfiguracion configuracion(ventanas());
        configuracion.show();
        QCOMPARE(caja(&configuracion, "txtDatos_0")->text(), u"Rosa Pérez"_s);
        hijo<QPushButton>(&configuracion, "cmdPechar")->click();
        QVERIFY(!configuracion.isVisible());
        QCOMPARE(series(), QStringList({u"A Recibos 0"_s, u"B Facturas 1"_s}));
        QCOMPARE(Mensaje::textos(), QStringList());
    }

    // The demo keeps its last months partly unpaid, whatever the year and the day it is made.
    void laDemoTienePendientes() {
        Entorno e;
        cerrarBaseDatos();
        QCOMPARE(probarDemo(e.raiz() + u"/demo"_s, u"2020"_s).error, QString());
        QCOMPARE(abrirBaseDatos(rutaBaseDatos(e.raiz() + u"/demo"_s, u"2020"_s)), QString());
        QVERIFY(Entorno::contar(u"tblCobros"_s, u"Pag = 0 AND Fec >= '2020-11-01'"_s) >= 4);
        QVERIFY(Entorno::contar(u"tblCobros"_s, u"Pag = 0 AND Fec < '2020-10-01'"_s) == 0);
    }

    void cadaEleccion_data() {
        QTest::addColumn<QByteArray>("boton");
        QTest::addColumn<QString>("elegida");
        QTest::addColumn<QString>("ano");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QByteArray>("foco");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("anoAbierto");
        QTest::addColumn<int>("documentos");
        // A folder named with an eñe is written as UTF-8 and read back the same.
        eleccion("crear", "cmdCrear", u"Año nuevo"_s, u"2025"_s, u"Año nuevo"_s, u"2025"_s);
        eleccion("abrir la carpeta de datos", "cmdAbrir", u"Viejos"_s, {}, u"Viejos"_s, u"2024"_s);
        eleccion("abrir la carpeta de un año", "cmdAbrir", u"Viejos/2023"_s, {}, u"Viejos"_s,
                 u"2023"_s);
        eleccion("demostración", "cmdDemo", {}, {}, u"casa/TorvaneDemo"_s, u"2024"_s, 1);
        rechazada("sin carpeta", "cmdCrear", {}, u"2025"_s, u"Escriba la carpeta"_s, "txtCarpeta");
        rechazada("sin año", "cmdCrear", u"Nuevos"_s, {}, u"Escriba el año de trabajo"_s, "txtAno");
        rechazada("año con barra", "cmdCrear", u"Nuevos"_s, u"../x"_s, u"no puede ser"_s, "txtAno");
        rechazada("el año ya existe", "cmdCrear", u"Viejos"_s, u"2024"_s, u"no se sobrescribe"_s,
                  "txtAno");
        rechazada("carpeta sin años", "cmdAbrir", u"Viejos/notas"_s, {}, u"no hay ningún año"_s);
    }

    void cadaEleccion() {
        QFETCH(QByteArray, boton);
        QFETCH(QString, elegida);
        QFETCH(QString, ano);
        QFETCH(QString, mensaje);
        QFETCH(QByteArray, foco);
        QFETCH(QString, ruta);
        QFETCH(QString, anoAbierto);
        QFETCH(int, documentos);
        Entorno e;
        const QString raiz = e.raiz() + u'/';
        for (const QString& viejo : {u"2023"_s, u"2024"_s})
            QCOMPARE(crearAno(raiz + u"Viejos"_s, viejo), QString());
        QDir().mkpath(raiz + u"Viejos/notas"_s);
        const QByteArray antes = contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s);
        qputenv("HOME", QFile::encodeName(raiz + u"casa"_s));
        QVERIFY(!Modulo::HayRuta());

        frmBienvenida ventana;
        ventana.show();
        auto* txtAno = ventana.findChild<QLineEdit*>(u"txtAno"_s);
        txtAno->clear();
        teclear(txtAno, ano);
        // A new folder is typed; the chooser only serves to open existing data.
        if (boton == "cmdCrear") {
            ventana.findChild<QLineEdit*>(u"txtCarpeta"_s)
                ->setText(elegida.isEmpty() ? QString() : raiz + elegida);
            for (const auto& [nombre, texto] : {std::pair{"txtEmpresa", u"Rosa Perez"_s},
                                                {"txtNif", u"12345678Z"_s},
                                                {"txtDireccion", u"Rua Nova, 3"_s},
                                                {"txtPoblacion", u"27001 Lugo"_s}})
                escribir(caja(&ventana, nombre), texto);
        }
        DialogoArchivo::fijarSiguiente(elegida.isEmpty() ? QString() : raiz + elegida);
        QTest::mouseClick(ventana.findChild<QPushButton*>(QString::fromLatin1(boton)),
                          Qt::LeftButton);
        const QStringList textos = Mensaje::textos();
        if (ruta.isEmpty()) {
            QCOMPARE(textos.size(), mensaje.isEmpty() ? 0 : 1);
            if (!mensaje.isEmpty()) QVERIFY2(textos[0].contains(mensaje), qPrintable(textos[0]));
            QVERIFY(ventana.isVisible());
            if (!foco.isEmpty())
                QCOMPARE(ventana.focusWidget()->objectName(), QString::fromLatin1(foco));
            QVERIFY(!Modulo::HayRuta());
            QVERIFY(!QFileInfo::exists(raiz + u"Nuevos"_s));
            QCOMPARE(contenidoDe(raiz + u"Viejos/2024/Zudivoz.mdb"_s), antes);
            return;
        }
        QCOMPARE(textos, QStringList());
        QCOMPARE(ventana.result(), int(QDialog::Accepted));
        QCOMPARE(contenidoDe(e.carpetaUsuario() + u"/ruta.ini"_s),
                 (raiz + ruta + u"\r\n"_s).toUtf8());
        QCOMPARE(contenidoDe(e.carpetaUsuario() + u"/ano.ini"_s),
                 (anoAbierto + u"\r\n"_s).toUtf8());
        QVERIFY(!QFileInfo::exists(e.carpetaPrograma() + u"/ruta.ini"_s));

        // Start-up reads the colours and locks the year (a second start is refused: see above).
        guardarEn(e.carpetaUsuario() + u"/color.ini"_s, " 255 \r\n");
        std::unique_ptr<QLockFile> cerrojo;
        QCOMPARE(Arrancar(cerrojo), QString());
        QCOMPARE(sesion().rutaBD, raiz + ruta + u'/' + anoAbierto + u"/Zudivoz.mdb"_s);
        QCOMPARE(cerrojo->fileName(), sesion().rutaBD + u".lock"_s);
        QCOMPARE(Modulo::ColorComoNumero(sesion().colorPrincipal), 255);
        QVERIFY(QFile::exists(raiz + ruta + u"/Informes/Recibo.rpt"_s));
        QCOMPARE(Entorno::contar(u"tblIva"_s), 4);
        QCOMPARE(Entorno::contar(u"tblCobros"_s) > 0, documentos > 0);
        frmPrincipal principal(sesion());
        principal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&principal));
    }
};

TORVANE_TEST_MAIN(TestApp)
#include "tst_app.moc"
