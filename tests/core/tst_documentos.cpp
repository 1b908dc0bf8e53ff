#include "core/documents/Comprobacion.h"
#include "core/documents/Documentos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Centimos.h"
#include "core/store/Consulta.h"
#include "core/store/Copia.h"
#include "core/store/Importe.h"
#include "core/store/LecturaAparte.h"
#include "core/store/Migraciones.h"
#include "core/store/Servidor.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "support/Entorno.h"
#include "support/ServidorPrueba.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QThread>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

Linea linea(const QString& und, const QString& pre, int idCon = 1) {
    Linea l;
    l.idCon = idCon;
    l.und = dec(und);
    l.pre = eur(pre);
    return l;
}

Linea linea(int und, int euros, int idCon = 1) {
    return linea(QString::number(und), QString::number(euros), idCon);
}

Cabecera cabecera(const QString& ser, int porIva = 21, int porRet = 0) {
    Cabecera c;
    c.ser = ser;
    c.fec = QDate(2024, 3, 1);
    c.porIva = Decimal::deEntero(porIva);
    c.porRet = Decimal::deEntero(porRet);
    return c;
}

QString importesGuardados(int id) {
    QSqlQuery q =
        ejecutar(u"SELECT SubTotal, Base, IVA, Ret, Tot FROM tblCobros WHERE Id = ?"_s, {id});
    q.next();
    QStringList textos;
    for (int c = 0; c < 5; ++c)
        textos << importeGuardado(q.value(c)).texto();
    return textos.join(u'|');
}

int sql(const QString& consulta) {
    return valorUnico(consulta).toInt();
}

/** Turns the open year into one updated while it held a repeat: no unique index. */
void archivoAntiguoConRepetido(Entorno& e) {
    ejecutar(u"DROP INDEX ixCobrosNumeroUnico"_s);
    e.linea(e.documento(5, u"A"_s, QDate(2024, 1, 1)), 1, 1, 10);
    e.linea(e.documento(5, u"a"_s, QDate(2024, 1, 2)), 1, 1, 10);
    ejecutar(u"UPDATE tblCobros SET Tot = 1000, SubTotal = 1000, Base = 1000"_s);
}

/** The last format that held money in euros. */
constexpr int kFormatoEnEuros = 15;

/**
 * Money as a year of the format before whole cents held it, in euros: exact cents, float
 * noise, a half cent typed by other means, a negative amount, a large one and an empty one.
 */
const char* const kEnEuros[] = {
    "INSERT INTO %1tblCobros (Id, Num, Ser, Fec, Tot, Base, SubTotal, IVA, Ret) VALUES (1, 7,"
    " 'A', '2023-05-01', 12.5, 0.1 + 0.2, 10.005, NULL, -1234.56)",
    "INSERT INTO %1tblGastos (Id, Fec, Imp, IvaDed) VALUES (1, '2023-05-01', 99999999.99,"
    " 2.675)",
};

void escribirEnEuros(const std::function<bool(const QString&)>& ejecutarSql,
                     const QString& esquema) {
    for (const char* sentencia : kEnEuros)
        QVERIFY(ejecutarSql(QString::fromUtf8(sentencia).arg(esquema)));
}

/** The values of kEnEuros as the year now holds them, and what the step had to round. */
void comprobarEnCentimos() {
    QSqlQuery q = ejecutar(u"SELECT Tot, Base, SubTotal, IVA, Ret FROM tblCobros WHERE Id = 1"_s);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toLongLong(), 1250);
    QCOMPARE(q.value(1).toLongLong(), 30);
    QCOMPARE(q.value(2).toLongLong(), 1001);
    QVERIFY(q.value(3).isNull());
    QCOMPARE(q.value(4).toLongLong(), -123456);
    QCOMPARE(valorUnico(u"SELECT Imp FROM tblGastos WHERE Id = 1"_s).toLongLong(), 9999999999);
    QCOMPARE(valorUnico(u"SELECT IvaDed FROM tblGastos WHERE Id = 1"_s).toLongLong(), 268);
    QCOMPARE(importesRedondeados(Conexion()),
             (QStringList{u"tblCobros.SubTotal, fila 1: era 10,005, es 10,01"_s,
                          u"tblGastos.IvaDed, fila 1: era 2,675, es 2,68"_s}));
}

int admin(const QStringList& args, QString* salida = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("TORVANE_ADMIN"), args);
    p.waitForFinished(60000);
    if (salida) *salida = QString::fromUtf8(p.readAll());
    return p.exitCode();
}

/** What a writer told as confirmed: lines of each document by its Id. */
QHash<int, int> confirmadosEn(const QByteArray& salida) {
    QHash<int, int> confirmados;
    for (const QByteArray& fila : salida.split('\n')) {
        const QList<QByteArray> partes = fila.split(' ');
        if (partes.size() == 2) confirmados[partes[0].toInt()] = partes[1].toInt();
    }
    return confirmados;
}

/** Ids of the year's documents whose property or tenant holds texto, every row read. */
QList<int> documentosConTextoLeidos(const QString& texto) {
    QSqlQuery q = ejecutar(u"SELECT c.Id FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm ="
                           u" m.Id) LEFT JOIN tblInquilinos q ON c.IdInq = q.Id"
                           u" WHERE contiene(m.Des, ?) OR contiene(q.Nom, ?) ORDER BY c.Id"_s,
                           {texto, texto});
    QList<int> ids;
    while (q.next())
        ids << q.value(0).toInt();
    return ids;
}

/** The same through the collections list's filter. */
QList<int> documentosConTextoFiltrados(const QString& texto) {
    const auto siguiente = filasCobros({QDate(2024, 1, 1), QDate(2024, 12, 31), texto, false, {}});
    QList<int> ids;
    for (QStringList fila; siguiente(fila);)
        ids << fila.at(11).toInt();
    std::sort(ids.begin(), ids.end());
    return ids;
}

/** A piece of nombre, its case and accents changed at random. */
QString trozoCambiado(const QString& nombre, QRandomGenerator& azar) {
    const int largo = azar.bounded(1, 7);
    QString trozo = nombre.mid(azar.bounded(qMax(1, int(nombre.size()) - largo + 1)), largo);
    const QString llanas = u"aeiounAEIOUN"_s, acentuadas = u"áéíóúñÁÉÍÓÚÑ"_s;
    for (QChar& c : trozo) {
        if (azar.bounded(2)) c = c.isUpper() ? c.toLower() : c.toUpper();
        if (const qsizetype i = llanas.indexOf(c); i >= 0 && azar.bounded(2))
            c = acentuadas[i];
        else if (const qsizetype j = acentuadas.indexOf(c); j >= 0 && azar.bounded(2))
            c = llanas[j];
    }
    return trozo;
}

} // namespace

class TestDocumentos : public QObject {
    Q_OBJECT

private slots:
    // Every case runs on a year file and on a year of the test's own server.
    void initTestCase_data() {
        QTest::addColumn<bool>("servidor");
        QTest::newRow("archivo") << false;
        QTest::newRow("servidor") << true;
    }

    void init() {
        QFETCH_GLOBAL(bool, servidor);
        Entorno::enServidor = servidor;
    }

    void importesYNumeros() {
        Entorno e;
        // Ties at the cent, positive and negative: each line's stored amount is what shows.
        const Cabecera primera = crearDocumento(
            cabecera(u"A"_s, 21, 19),
            {linea(u"0,5"_s, u"0,25"_s), linea(u"0,5"_s, u"0,01"_s), linea(u"0,5"_s, u"5,35"_s),
             linea(u"-0,5"_s, u"0,25"_s), linea(u"1,5"_s, u"0,67"_s)});
        QCOMPARE(
            sql(u"SELECT COUNT(*) FROM tblCobrosDetalles WHERE Imp IN (13, 1, 268, -13, 101)"_s),
            5);
        QCOMPARE(importesGuardados(primera.id), u"3,70|3,70|0,78|0,70|3,78"_s);
        QCOMPARE(primera.num.value_or(0), 1);

        // Numbers are taken inside the write and a series ignores case.
        const Cabecera segunda = crearDocumento(cabecera(u"a"_s), {linea(1, 10)});
        QCOMPARE(segunda.num.value_or(0), 2);
        Cabecera repetida = segunda;
        repetida.num = 1;
        QCOMPARE(guardarDocumento(repetida, {CambioLineas::Anadir, linea(1, 5), 0}).motivo(),
                 kNumeroRepetido);
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblCobrosDetalles WHERE IdDoc = %1"_s.arg(segunda.id)),
                 1);
        // No path around the functions stores a repeat either.
        QVERIFY_THROWS_EXCEPTION(
            ErrorBD, ejecutar(u"UPDATE tblCobros SET Num = 1 WHERE Id = ?"_s, {segunda.id}));

        // A line change and new percentages rewrite the totals in the same save.
        const QString idLinea = filasLineas(segunda.id).first()[6];
        Cabecera cambiada = segunda;
        cambiada.porRet = Decimal::deEntero(15);
        cambiada = hecho(
            guardarDocumento(cambiada, {CambioLineas::Editar, linea(2, 50), idLinea.toInt()}));
        QCOMPARE(importesGuardados(cambiada.id), u"100,00|100,00|21,00|15,00|106,00"_s);
        cambiada = hecho(guardarDocumento(cambiada, {CambioLineas::Insertar,
                                                     [] {
                                                         auto l = linea(1, 1);
                                                         l.lin = 1;
                                                         return l;
                                                     }(),
                                                     0}));
        QCOMPARE(filasLineas(cambiada.id).size(), 2);
        QCOMPARE(cambiada.totales.total, eur(u"107,06"_s));
        const int primeraLinea = filasLineas(cambiada.id).first()[6].toInt();
        cambiada = hecho(guardarDocumento(cambiada, {CambioLineas::Borrar, {}, primeraLinea}));
        QCOMPARE(importesGuardados(cambiada.id), u"100,00|100,00|21,00|15,00|106,00"_s);
        QVERIFY(!guardarDocumento(cambiada, {CambioLineas::Borrar, {}, primeraLinea}));
        QVERIFY(comprobarDocumentos().correcta());
    }

    void borradosQueDejarianHuerfanos() {
        Entorno e;
        const int inq = e.inquilino(u"Ana"_s);
        const int inm = e.inmueble(u"Piso"_s, inq);
        const int agua = e.concepto(u"Agua"_s, 10);
        const int libre = e.concepto(u"Luz"_s, 10);
        Cabecera c = cabecera(u"A"_s);
        c.idInq = inq;
        c.idInm = inm;
        crearDocumento(c, {linea(1, 10, agua), linea(1, 5, agua)});
        crearDocumento(c, {linea(1, 10, agua)});
        QCOMPARE(motivoNoBorrar(UsadoPor::Inquilino, inq),
                 u"No se puede borrar: este inquilino tiene 2 documentos en el año."_s);
        QCOMPARE(motivoNoBorrar(UsadoPor::Inmueble, inm),
                 u"No se puede borrar: este inmueble tiene 2 documentos en el año."_s);
        QCOMPARE(motivoNoBorrar(UsadoPor::Concepto, agua),
                 u"No se puede borrar: este concepto está en las líneas de 2 documentos."_s);
        QCOMPARE(motivoNoBorrar(UsadoPor::Concepto, libre), QString());
    }

    // A year in euros opens in whole cents: every amount the same to the cent, what was not
    // whole cents told by the check before and after, every index and guard in place.
    void anoEnEurosPasaACentimos() {
        if (Entorno::enServidor) QSKIP("En el servidor, anosDelServidor");
        Entorno e;
        cerrarBaseDatos();
        const QString ruta = e.raiz() + u"/2023/Zudivoz.mdb"_s;
        QVERIFY(QDir().mkpath(e.raiz() + u"/2023"_s));
        QCOMPARE(crearBaseDatos(ruta, kFormatoEnEuros), QString());
        {
            QSqlDatabase f = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"euros"_s);
            f.setDatabaseName(ruta);
            QVERIFY(f.open());
            escribirEnEuros([&f](const QString& sentencia) { return QSqlQuery(f).exec(sentencia); },
                            {});
            f.close();
        }
        QSqlDatabase::removeDatabase(u"euros"_s);
        QString salida;
        admin({u"comprobar"_s, e.raiz(), u"2023"_s}, &salida);
        QVERIFY2(salida.contains(u"tblCobros.SubTotal, fila 1: 10,005 (quedará en 10,01)"_s),
                 qPrintable(salida));
        QVERIFY2(salida.contains(u"tblGastos.IvaDed, fila 1: era 2,675, es 2,68"_s),
                 qPrintable(salida));
        QCOMPARE(abrirBaseDatos(ruta), QString());
        comprobarEnCentimos();
        const QString objetos =
            u"SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type IN"
            " ('index', 'trigger') ORDER BY name)"_s;
        const QString migrados = valorUnico(objetos).toString();
        QCOMPARE(crearBaseDatos(e.raiz() + u"/nuevo.mdb"_s), QString());
        QCOMPARE(abrirBaseDatos(e.raiz() + u"/nuevo.mdb"_s), QString());
        QCOMPARE(migrados, valorUnico(objetos).toString());
    }

    // An older file may already repeat a number: it opens, the check lists it and the repair
    // leaves it to the user; once renumbered, the next opening builds the unique index.
    void archivoAntiguoComprobadoYReparado() {
        if (Entorno::enServidor) QSKIP("Solo un archivo del año");
        Entorno e;
        archivoAntiguoConRepetido(e);
        crearDocumento(cabecera(u"B"_s), {linea(1, 10)});
        const int vacio = e.documento(1, u"C"_s, QDate(2024, 2, 1));
        e.linea(e.documento(2, u"C"_s, QDate(2024, 2, 1), 0, 0, 99), 1, 1, 0.125);
        cerrarBaseDatos();
        const QStringList ano{sesion().ruta, sesion().ano};
        QString salida;
        QCOMPARE(admin(QStringList{u"comprobar"_s} + ano, &salida), 1);
        QVERIFY2(salida.contains(u"no cuadran con sus líneas (1): 2C."_s), qPrintable(salida));
        QVERIFY2(salida.contains(u"sin ninguna línea (1): 1C."_s), qPrintable(salida));
        QVERIFY2(salida.contains(u"repetidos en su serie (1): 5A (2 documentos)"_s),
                 qPrintable(salida));

        QCOMPARE(admin(QStringList{u"comprobar"_s} + ano + QStringList{u"--reparar"_s}, &salida),
                 1);
        QCOMPARE(QDir(sesion().ruta + u"/2024"_s)
                     .entryList({u"Zudivoz.mdb.antes-de-reparar-*"_s})
                     .size(),
                 1);
        QCOMPARE(abrirBaseDatos(sesion().rutaBD), QString());
        const Comprobacion queda = comprobarDocumentos();
        QVERIFY2(!queda.reparable(), qPrintable(queda.texto()));
        QVERIFY(!leerCabecera(vacio));
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblCobros"_s), 4);
        QCOMPARE(importesGuardados(5), u"0,13|0,13|0,00|0,00|0,13"_s);
        QCOMPARE(sql(u"PRAGMA user_version"_s), versionEsquema());
        QCOMPARE(queda.repetidos, QStringList{u"5A (2 documentos)"_s});
        const QString indice =
            u"SELECT COUNT(*) FROM sqlite_master WHERE name = 'ixCobrosNumeroUnico'"_s;
        QCOMPARE(sql(indice), 0);
        auto segunda = leerCabecera(2);
        QCOMPARE(hecho(guardarDocumento(*segunda)).num,
                 segunda->num); // keeps the number it repeats
        segunda->num = 6;
        hecho(guardarDocumento(*segunda));
        cerrarBaseDatos();
        QCOMPARE(abrirBaseDatos(sesion().rutaBD), QString());
        QCOMPARE(sql(indice), 1);
    }

    // The list's text filter, served by the names' indexes, finds what reading every row finds:
    // pieces of names of every length with case and accents changed, after renames and a removal.
    void filtroDeTextoComoLaLectura() {
        Entorno e;
        QRandomGenerator azar(38);
        const QStringList partes = {u"José"_s,    u"María"_s,   u"Núñez"_s, u"Peña"_s,
                                    u"GARCÍA"_s,  u"Ángel"_s,   u"Iñaki"_s, u"Lugo"_s,
                                    u"Vigo 4º"_s, u"Rúa Nova"_s};
        const auto nombre = [&] {
            return partes[azar.bounded(int(partes.size()))] + u' ' +
                   partes[azar.bounded(int(partes.size()))];
        };
        QList<int> inmuebles, inquilinos;
        for (int i = 0; i < 30; ++i) {
            inquilinos << e.inquilino(nombre());
            inmuebles << e.inmueble(nombre());
        }
        for (int n = 1; n <= 300; ++n)
            e.documento(n, u"A"_s, QDate(2024, 1, 1).addDays(n), inmuebles[azar.bounded(30)],
                        inquilinos[azar.bounded(30)], n);
        ejecutar(u"UPDATE tblInquilinos SET Nom = ? WHERE Id = ?"_s,
                 {u"Zoë \"la_100%\" Ñandú"_s, inquilinos[0]});
        ejecutar(u"UPDATE tblInmuebles SET Des = NULL WHERE Id = ?"_s, {inmuebles[1]});
        ejecutar(u"DELETE FROM tblInquilinos WHERE Id = ?"_s, {inquilinos[2]});
        QStringList textos = {u"zoë \"la_"_s, u"_100%"_s, u"%"_s, u"ñandu"_s, u"xyz"_s};
        QSqlQuery q = ejecutar(u"SELECT Des FROM tblInmuebles UNION ALL"
                               u" SELECT Nom FROM tblInquilinos"_s);
        QStringList nombres;
        while (q.next())
            nombres << q.value(0).toString();
        for (int i = 0; i < 60; ++i)
            textos << trozoCambiado(nombres[azar.bounded(int(nombres.size()))], azar);
        for (const QString& texto : std::as_const(textos)) {
            const QList<int> leidos = documentosConTextoLeidos(texto);
            QCOMPARE(documentosConTextoFiltrados(texto), leidos);
            QCOMPARE(
                resumenCobros({QDate(2024, 1, 1), QDate(2024, 12, 31), texto, false, {}}).cuenta,
                leidos.size());
        }
    }

    void abrirDiceElMotivo_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("dañado") << u"dañado"_s << u"El archivo está dañado"_s;
        QTest::newRow("bloqueado") << u"bloqueado"_s << u"sigue ocupado por otro programa"_s;
        QTest::newRow("ocupado al escribir") << u"al escribir"_s << u"sigue ocupado"_s;
    }

    void abrirDiceElMotivo() {
        QFETCH(QString, caso);
        QFETCH(QString, motivo);
        if (Entorno::enServidor) QSKIP("Solo un archivo del año");
        Entorno e;
        for (int i = 0; i < 300; ++i)
            e.inquilino(u"Inquilino con un nombre largo %1"_s.arg(i));
        cerrarBaseDatos();
        const QString otra = u"otra"_s;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, otra);
            db.setDatabaseName(sesion().rutaBD);
            QVERIFY(db.open());
            QSqlQuery q(db);
            if (caso == u"al escribir"_s) {
                // After the engine's wait, the statement says which file is held.
                QCOMPARE(abrirBaseDatos(sesion().rutaBD), QString());
                QVERIFY(q.exec(u"BEGIN EXCLUSIVE"_s));
                QString texto;
                try {
                    ejecutar(u"UPDATE tblInquilinos SET Nom = 'x'"_s);
                } catch (const ErrorBD& error) {
                    texto = error.texto();
                }
                QVERIFY(q.exec(u"ROLLBACK"_s));
                QVERIFY2(texto.contains(motivo) &&
                             texto.contains(QDir::toNativeSeparators(sesion().rutaBD)),
                         qPrintable(texto));
            } else if (caso == u"bloqueado"_s) {
                QVERIFY(q.exec(u"PRAGMA journal_mode = DELETE"_s));
                QVERIFY(q.exec(u"BEGIN EXCLUSIVE"_s));
            } else {
                db.close();
                QFile f(sesion().rutaBD);
                QVERIFY(f.open(QIODevice::ReadWrite));
                f.seek(4096 * 2 + 100);
                f.write(QByteArray(6000, '\x7f'));
            }
            if (caso != u"al escribir"_s)
                QVERIFY2(abrirBaseDatos(sesion().rutaBD).contains(motivo), qPrintable(motivo));
        }
        QSqlDatabase::removeDatabase(otra);
    }

    // A writer killed at any moment leaves only whole documents.
    void matarAlEscritor() {
        if (Entorno::enServidor) QSKIP("Solo un archivo del año");
        Entorno e;
        cerrarBaseDatos();
        QRandomGenerator azar(20240515);
        for (int vez = 0; vez < 50; ++vez) {
            QProcess hijo;
            hijo.start(qEnvironmentVariable("TORVANE_ESCRITOR"),
                       {sesion().rutaBD, QString::number(azar.generate())});
            QVERIFY(hijo.waitForReadyRead(10000));
            QThread::msleep(azar.bounded(1, 60));
            hijo.kill();
            QVERIFY(hijo.waitForFinished(10000));
        }
        QCOMPARE(abrirBaseDatos(sesion().rutaBD), QString());
        QCOMPARE(valorUnico(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
        QVERIFY(sql(u"SELECT COUNT(*) FROM tblCobros"_s) > 20);
        const Comprobacion c = comprobarDocumentos();
        QVERIFY2(c.correcta(), qPrintable(c.texto()));
        QCOMPARE(
            sql(u"SELECT COUNT(*) FROM tblCobros WHERE Id NOT IN (SELECT IdDoc FROM tblCobrosDetalles)"_s),
            0);
        // Each monthly run is there with all its five documents or not at all.
        QVERIFY(sql(u"SELECT COUNT(*) FROM tblEmisiones"_s) > 0);
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblEmisiones WHERE (SELECT COUNT(*) FROM tblCobros"
                     u" WHERE IdEmi = tblEmisiones.Id) <> 5"_s),
                 0);
    }

    // A desk whose connection the server drops is told so, once, and can reconnect; the
    // documents it held are free for the others meanwhile, and held again once it is back
    // unless another desk took them.
    void servidorPerdido() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        const int id = crearDocumento(cabecera(u"A"_s), {linea(1, 10)}).id;
        const int tomado = crearDocumento(cabecera(u"A"_s), {linea(1, 10)}).id;
        QVERIFY(reservarDocumento(id));
        QVERIFY(reservarDocumento(tomado));
        hecho(guardarDocumento(*leerCabecera(id), {CambioLineas::Anadir, linea(1, 5), 0}));
        int avisos = 0;
        AlPerderConexion = [&avisos] { ++avisos; };
        const auto limpiar = qScopeGuard([] { AlPerderConexion = nullptr; });
        // A background reading, whose thread keeps a connection of its own.
        QObject receptor;
        int contados = -1;
        const auto contar = [&receptor, &contados] {
            contados = -1;
            leerAparte(&receptor, [&contados](const QSqlDatabase& db) -> Entrega {
                QSqlQuery q = ejecutar(db, u"SELECT COUNT(*) FROM tblCobros"_s);
                const int n = q.next() ? q.value(0).toInt() : -2;
                return [&contados, n] { contados = n; };
            });
        };
        contar();
        QTRY_COMPARE(contados, 2);
        QVERIFY(ServidorPrueba::compartido().sql(
            u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
            u" WHERE application_name = 'torvane'"_s));
        for (int vez = 0; vez < 2; ++vez) {
            const auto borrado = borrarDocumento(id);
            QVERIFY2(!borrado && borrado.fallo().sinConexion &&
                         borrado.motivo().startsWith(u"Se ha perdido la conexión"_s),
                     qPrintable(borrado.motivo()));
        }
        QTRY_VERIFY(avisos > 0);
        const QString puesto = u"otro-puesto"_s;
        QCOMPARE(abrirAnoServidor(ServidorPrueba::compartido().datos(), sesion().ano, puesto),
                 QString());
        const auto cerrar = qScopeGuard([&puesto] { QSqlDatabase::removeDatabase(puesto); });
        const auto tomar = [&puesto](int documento) {
            QSqlQuery q(QSqlDatabase::database(puesto));
            q.exec(u"SELECT pg_try_advisory_lock(hashtext(current_schema()), %1)"_s.arg(documento));
            return q.next() && q.value(0).toBool();
        };
        QTRY_VERIFY(tomar(tomado)); // once the server has ended the old session
        QCOMPARE(e.reabrir(), QString());
        QCOMPARE(retomarDocumentos(), QList<int>{tomado});
        contar(); // its dropped connection too is opened again
        QTRY_COMPARE(contados, 2);
        QVERIFY(!tomar(id));
        // The new session prepares the save's statements again.
        const Cabecera c =
            hecho(guardarDocumento(*leerCabecera(id), {CambioLineas::Anadir, linea(1, 5), 0}));
        QCOMPARE(c.totales.subtotal, eur(u"20"_s));
        QSqlDatabase::database(puesto).close();
    }

    // A backup restored on a server while another desk writes before, during and after it:
    // every save that desk was told of is in the restored year or in the one the restore kept,
    // and once the year is replaced its saves are refused, saying why.
    void recuperarMientrasOtroEscribe() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        crearDocumento(cabecera(u"A"_s), {linea(2, 10)});
        const QString copia = e.raiz() + u"/copia.mdb"_s;
        QCOMPARE(bajarAbierto(copia), QString());
        QProcess puesto;
        puesto.start(qEnvironmentVariable("TORVANE_ESCRITOR"),
                     {u"--carga"_s, sesion().rutaBD, u"7"_s});
        QVERIFY(puesto.waitForReadyRead(20000));
        QTest::qWait(1500);
        const auto borrarGuardados = qScopeGuard([] {
            for (const QString& ano : anosGuardados(sesion().ano))
                ServidorPrueba::compartido().sql(u"DROP SCHEMA ano_%1 CASCADE"_s.arg(ano));
        });
        QString guardado;
        QCOMPARE(reemplazarDesdeArchivo(copia, &guardado), QString());
        QCOMPARE(anosGuardados(sesion().ano), QStringList{guardado});
        QTest::qWait(1500);
        puesto.kill();
        puesto.waitForFinished(10000);
        const QHash<int, int> confirmados = confirmadosEn(puesto.readAllStandardOutput());
        QVERIFY(confirmados.size() > 5);
        QVERIFY(QString::fromUtf8(puesto.readAllStandardError()).contains(u"se ha recuperado"_s));
        for (auto it = confirmados.cbegin(); it != confirmados.cend(); ++it) {
            int lineas = 0;
            for (const QString& ano : {sesion().ano, guardado})
                lineas = std::max(lineas, sql(u"SELECT COUNT(*) FROM ano_%1.tblCobrosDetalles"
                                              u" WHERE IdDoc = %2"_s.arg(ano)
                                                  .arg(it.key())));
            QVERIFY2(lineas >= std::max(it.value(), 1), qPrintable(QString::number(it.key())));
        }

        // Restored by the admin tool under this desk: its next write, in a transaction or
        // not, is refused rather than lost in a year it never read.
        const QString carpeta = e.raiz() + u"/copia"_s;
        QCOMPARE(hacerCopia(carpeta), QString());
        QString salida;
        QCOMPARE(admin({u"recuperar"_s, e.carpetaDatos(), sesion().ano, carpeta}, &salida), 0);
        QVERIFY2(salida.contains(u"hay 2 así"_s), qPrintable(salida));
        const std::function<void()> escrituras[] = {
            [] { ejecutar(u"UPDATE tblCobros SET Obs = 'tarde'"_s); },
            [] { crearDocumento(cabecera(u"A"_s), {linea(1, 1)}); }};
        for (const auto& escribir : escrituras)
            try {
                escribir();
                QFAIL("Se escribió en un año recuperado sin saberlo");
            } catch (const ErrorBD& error) {
                QVERIFY2(error.texto().contains(u"se ha recuperado"_s), qPrintable(error.texto()));
            }
        QCOMPARE(e.reabrir(), QString());
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblCobros WHERE Obs = 'tarde'"_s), 0);
        ejecutar(u"UPDATE tblCobros SET Obs = 'tarde'"_s); // once opened again
    }

    // A long list read in pages while another desk adds rows in front of the reader: every
    // row of the moment the list was opened comes once, none twice.
    void filasLeidasAparte() {
        Entorno e;
        // More rows than the blocks read ahead, in order, read on another thread and connection.
        const FuenteFilas numeros = [](const QSqlDatabase& db) {
            const Cursor cursor =
                recorrer(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL"
                         u" SELECT i + 1 FROM n WHERE i < 5000) SELECT i FROM n"_s,
                         {}, {u"i"_s}, false, db);
            return [cursor](QVariantList& fila) {
                const QSqlQuery* q = cursor();
                if (q) fila = {q->value(0)};
                return q != nullptr;
            };
        };
        int n = 0;
        {
            FilasAparte filas(numeros);
            for (QVariantList fila; filas.siguiente(fila);)
                QCOMPARE(fila.value(0).toInt(), ++n);
        }
        QCOMPARE(n, 5000);
        // Left after one row: the reading stops rather than wait for the rest to be taken.
        {
            FilasAparte filas(numeros);
            QVariantList fila;
            QVERIFY(filas.siguiente(fila));
        }
        // A statement the engine refuses reaches the writer as the error it is.
        FilasAparte mala([](const QSqlDatabase& db) {
            ejecutar(db, u"SELECT Nada FROM tblCobros"_s);
            return std::function<bool(QVariantList&)>();
        });
        QVariantList fila;
        QVERIFY_THROWS_EXCEPTION(ErrorBD, mala.siguiente(fila));
    }

    void listaMientrasOtroEscribe() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) SELECT n, 'M' || n"
                 u" FROM generate_series(1, 1200) AS n"_s);
        const QString puesto = u"otro-puesto"_s;
        QCOMPARE(abrirAnoServidor(ServidorPrueba::compartido().datos(), sesion().ano, puesto),
                 QString());
        const auto cerrar = qScopeGuard([&puesto] { QSqlDatabase::removeDatabase(puesto); });
        Cursor cursor = recorrer(u"SELECT Id, Nom FROM tblInquilinos"_s, {}, {u"Nom"_s, u"Id"_s});
        QSet<int> vistos;
        int filas = 0;
        while (const QSqlQuery* q = cursor()) {
            vistos.insert(q->value(0).toInt());
            if (++filas == 600)
                QVERIFY(QSqlQuery(QSqlDatabase::database(puesto))
                            .exec(u"INSERT INTO tblInquilinos (Id, Nom) SELECT n, 'A' || n"
                                  u" FROM generate_series(2001, 2060) AS n"_s));
        }
        QCOMPARE(filas, 1200);
        QCOMPARE(vistos.size(), 1200);
        cursor = nullptr;
        QSqlDatabase::database(puesto).close();
    }

    // The desks' role, set up by the admin tool, writes rows and nothing else: no year is
    // removed or made, no guard of the billing records switched off.
    void puestoSinPermisosDeDueno() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        const QString ini = e.carpetaDatos() + u"/servidor.ini"_s;
        QCOMPARE(admin({u"servidor"_s, u"preparar"_s, u"torvane_dueno"_s, u"torvane_puesto"_s,
                        u"--ini"_s, ini}),
                 0);
        DatosServidor datos = ServidorPrueba::compartido().datos();
        datos.usuario = u"torvane_puesto"_s;
        const QString puesto = u"puesto-limitado"_s;
        QCOMPARE(abrirAnoServidor(datos, sesion().ano, puesto), QString());
        const auto cerrar = qScopeGuard([&puesto] { QSqlDatabase::removeDatabase(puesto); });
        QSqlDatabase db = QSqlDatabase::database(puesto);
        QVERIFY(QSqlQuery(db).exec(u"INSERT INTO tblInquilinos (Nom) VALUES ('Puesto')"_s));
        for (const QString& orden :
             {u"DROP SCHEMA ano_2024 CASCADE"_s, u"CREATE SCHEMA ano_2099"_s,
              u"DROP TRIGGER trgFacturaSinBorrar ON tblCobros"_s,
              u"ALTER TABLE tblCobros DISABLE TRIGGER ALL"_s, u"TRUNCATE tblRegistros"_s,
              u"CREATE OR REPLACE FUNCTION torvane_rechazar() RETURNS trigger"
              u" LANGUAGE plpgsql AS $$ BEGIN RETURN NULL; END $$"_s}) {
            QSqlQuery q(db);
            QVERIFY2(!q.exec(orden), qPrintable(orden));
            QVERIFY2(textoMotor(q.lastError()).contains(u"propietario"_s),
                     qPrintable(textoMotor(q.lastError())));
        }
        db.close();
    }

    // A year's moves on a server: a backup and its restore as the backup window makes them,
    // down to a file and up again with the admin tool, and an older format's year brought up
    // to date with the year it was kept beside the data.
    void anosDelServidor() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        const ServidorPrueba& servidor = ServidorPrueba::compartido();
        const auto borrarAnos = [&servidor] {
            for (const QString& ano : {u"ano_2021"_s, u"ano_2022"_s, u"ano_2023"_s})
                servidor.sql(u"DROP SCHEMA IF EXISTS %1 CASCADE"_s.arg(ano));
        };
        borrarAnos();
        const auto limpiar = qScopeGuard(borrarAnos);
        const int id = crearDocumento(cabecera(u"A"_s), {linea(2, 10)}).id;
        const QString copia = e.raiz() + u"/copia.mdb"_s;
        QCOMPARE(bajarAbierto(copia), QString());
        ejecutar(u"UPDATE tblCobros SET Obs = 'cambiado'"_s);
        QCOMPARE(reemplazarDesdeArchivo(copia), QString());
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblCobros WHERE Obs = 'cambiado'"_s), 0);
        // The save's prepared statements find the restored tables.
        QCOMPARE(hecho(guardarDocumento(*leerCabecera(id), {CambioLineas::Anadir, linea(1, 5), 0}))
                     .totales.subtotal,
                 eur(u"25"_s));

        const QString ini = e.carpetaDatos() + u"/servidor.ini"_s;
        const QString abajo = e.raiz() + u"/abajo"_s;
        QCOMPARE(admin({u"servidor"_s, u"bajar"_s, u"2024"_s, abajo, u"--ini"_s, ini}), 0);
        QVERIFY(QDir(abajo).rename(u"2024"_s, u"2022"_s));
        const QStringList subir{u"servidor"_s, u"subir"_s, abajo, u"2022"_s, u"--ini"_s, ini};
        QCOMPARE(admin(subir), 0);
        QCOMPARE(admin(subir), 1); // never over a year already there
        {
            // A year file with two documents of one number, which the server would refuse.
            QSqlDatabase f = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"repetido"_s);
            f.setDatabaseName(abajo + u"/2022/Zudivoz.mdb"_s);
            QVERIFY(f.open());
            QVERIFY(QSqlQuery(f).exec(u"DROP INDEX ixCobrosNumeroUnico"_s));
            QVERIFY(QSqlQuery(f).exec(u"INSERT INTO tblCobros (Id, Num, Ser, Fec)"
                                      u" SELECT Id + 1000, Num, Ser, Fec FROM tblCobros"_s));
            f.close();
        }
        QSqlDatabase::removeDatabase(u"repetido"_s);
        QVERIFY(QDir(abajo).rename(u"2022"_s, u"2021"_s));
        QString salida;
        QCOMPARE(admin({u"servidor"_s, u"subir"_s, abajo, u"2021"_s, u"--ini"_s, ini}, &salida), 1);
        QVERIFY2(salida.contains(u"cambie el número"_s), qPrintable(salida));

        const int actual = versionEsquema();
        QCOMPARE(crearAnoServidor(servidor.datos(), u"2023"_s, kFormatoEnEuros), QString());
        escribirEnEuros([&servidor](const QString& sentencia) { return servidor.sql(sentencia); },
                        u"ano_2023."_s);
        QVERIFY(abrirAnoServidor(servidor.datos(), u"2023"_s, u"viejo"_s)
                    .contains(u"servidor actualizar 2023"_s));
        const QStringList actualizar{u"servidor"_s, u"actualizar"_s, u"2023"_s, u"--ini"_s, ini};
        QCOMPARE(admin(actualizar, &salida), 0);
        QVERIFY2(salida.contains(u"formato %1;"_s.arg(actual)), qPrintable(salida));
        QVERIFY(QFileInfo(e.carpetaDatos() +
                          u"/2023/Zudivoz.mdb.antes-de-actualizar-v%1"_s.arg(kFormatoEnEuros))
                    .size() > 0);
        QCOMPARE(abrirAnoServidor(servidor.datos(), u"2023"_s), QString());
        comprobarEnCentimos();
        QCOMPARE(admin(actualizar), 0);
        QCOMPARE(abrirAnoServidor(servidor.datos(), u"2022"_s), QString());
        QCOMPARE(sql(u"SELECT COUNT(*) FROM tblCobrosDetalles"_s), 2);
    }

    // Four desks issue documents and lines on one year at once, one of them killed midway:
    // every write a desk saw confirmed is there, numbers are unique and consecutive per
    // series, and every document adds up.
    void variosPuestos() {
        Entorno e;
        cerrarBaseDatos();
        const int fijados = qEnvironmentVariableIntValue("TORVANE_CARGA_SEGUNDOS");
        const int segundos = fijados > 0 ? fijados : Entorno::enServidor ? 60 : 8;
        QList<std::shared_ptr<QProcess>> puestos;
        QList<QByteArray> salidas(4);
        for (int i = 0; i < 4; ++i) {
            auto puesto = std::make_shared<QProcess>();
            puesto->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            connect(puesto.get(), &QProcess::readyReadStandardOutput, this,
                    [&salidas, i, p = puesto.get()] { salidas[i] += p->readAllStandardOutput(); });
            puesto->start(qEnvironmentVariable("TORVANE_ESCRITOR"),
                          {u"--carga"_s, sesion().rutaBD, QString::number(20240515 + i)});
            QVERIFY(puesto->waitForStarted());
            puestos << puesto;
        }
        QTest::qWait(segundos * 500);
        puestos[3]->kill();
        QTest::qWait(segundos * 500);
        for (const auto& puesto : puestos) {
            puesto->kill();
            QVERIFY(puesto->state() == QProcess::NotRunning || puesto->waitForFinished(10000));
            salidas[puestos.indexOf(puesto)] += puesto->readAllStandardOutput();
        }
        QHash<int, int> confirmados;
        for (const QByteArray& salida : salidas)
            confirmados.insert(confirmadosEn(salida));
        QVERIFY2(confirmados.size() > 4 * segundos,
                 qPrintable(QString::number(confirmados.size())));
        QCOMPARE(e.reabrir(), QString());
        for (auto it = confirmados.cbegin(); it != confirmados.cend(); ++it)
            QVERIFY2(numeroLineas(it.key()) >= it.value(), qPrintable(QString::number(it.key())));
        QCOMPARE(sql(u"SELECT COUNT(*) FROM (SELECT upper(Ser) FROM tblCobros GROUP BY upper(Ser)"
                     u" HAVING COUNT(*) <> MAX(Num) OR COUNT(DISTINCT Num) <> COUNT(*)) AS r"_s),
                 0);
        const Comprobacion c = comprobarDocumentos();
        QVERIFY2(c.correcta(), qPrintable(c.texto()));
    }
};

TORVANE_TEST_MAIN(TestDocumentos)
#include "tst_documentos.moc"
