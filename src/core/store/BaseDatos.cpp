#include "core/store/BaseDatos.h"

#include "core/store/Ajustes.h"
#include "core/store/Consulta.h"
#include "core/store/Migraciones.h"
#include "core/store/Privado.h"
#include "core/store/Servidor.h"
#include "core/text/Plegado.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace torvane {

namespace {

const char* const kEsquema[] = {
    "CREATE TABLE tblInmuebles (Id INTEGER PRIMARY KEY, Des TEXT, Dir TEXT, CP TEXT, Pob TEXT,"
    " Pro TEXT, Pre REAL DEFAULT 0, IdInq INTEGER NOT NULL DEFAULT 0, Obs TEXT)",
    "CREATE TABLE tblInquilinos (Id INTEGER PRIMARY KEY, Nom TEXT, DNI TEXT, Tfn TEXT, Mob TEXT,"
    " Mail TEXT, Obs TEXT)",
    "CREATE TABLE tblInquilinosFamiliares (Id INTEGER PRIMARY KEY, Nom TEXT, DNI TEXT, Obs TEXT,"
    " IdInq INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE tblInquilinosCuentas (Id INTEGER PRIMARY KEY, IBAN TEXT, Banco TEXT, Obs TEXT,"
    " IdInq INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE tblCobrosConceptos (Id INTEGER PRIMARY KEY, Des TEXT, Imp REAL DEFAULT 0,"
    " Obs TEXT)",
    "CREATE TABLE tblCobros (Id INTEGER PRIMARY KEY, Num INTEGER, Ser TEXT,"
    " IdInq INTEGER DEFAULT 0, IdInm INTEGER DEFAULT 0, Fec TEXT, Tri INTEGER,"
    " PorRet REAL DEFAULT 0, PorIva REAL DEFAULT 0, Pag INTEGER NOT NULL DEFAULT 0,"
    " SubTotal REAL DEFAULT 0, Ret REAL DEFAULT 0, Base REAL DEFAULT 0, IVA REAL DEFAULT 0,"
    " Tot REAL DEFAULT 0, Obs TEXT)",
    "CREATE TABLE tblCobrosDetalles (Id INTEGER PRIMARY KEY, IdDoc INTEGER, Lin INTEGER,"
    " IdCon INTEGER, DesCon TEXT, Und REAL DEFAULT 0, Pre REAL DEFAULT 0, Imp REAL DEFAULT 0)",
    "CREATE TABLE tblIva (TIV INTEGER PRIMARY KEY, IVA REAL, Req REAL, Activo INTEGER NOT NULL"
    " DEFAULT 1)",
    "CREATE TABLE tblSeriesF (Id INTEGER PRIMARY KEY, Cod TEXT, Des TEXT)",
    "CREATE TABLE tblTitulos (Empresa TEXT, CIF TEXT, NomCom TEXT, Enderezo TEXT, Poboacion TEXT,"
    " Telefonos TEXT, Internet TEXT, RexMer TEXT, CtaBan TEXT, ProDat TEXT, PorRet REAL)",
    "CREATE INDEX ixCobrosFecha ON tblCobros (Fec)",
    "CREATE INDEX ixCobrosSerie ON tblCobros (Ser, Num)",
    "CREATE INDEX ixCobrosInmueble ON tblCobros (IdInm)",
    "CREATE INDEX ixDetallesDocumento ON tblCobrosDetalles (IdDoc, Lin)",
    "CREATE INDEX ixFamiliaresInquilino ON tblInquilinosFamiliares (IdInq)",
    "CREATE INDEX ixCuentasInquilino ON tblInquilinosCuentas (IdInq)",
    "CREATE INDEX ixInquilinosNombre ON tblInquilinos (Nom)",
    "PRAGMA user_version = 1",
};

QString explicar(const QString& ruta, const QString& motivo) {
    return QStringLiteral("No se puede abrir la base de datos del año:\n%1\n\n%2\n\n"
                          "Compruebe las líneas de ruta.ini y ano.ini (en la carpeta del "
                          "programa o en ~/.config/torvane), o cree el año con «torvane-admin "
                          "crear CARPETA AÑO».")
        .arg(acortarRuta(ruta), motivo);
}

// Classifies a file by its first bytes, before any driver touches it.
QString motivoCabecera(const QString& ruta) {
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        return QStringLiteral("El archivo no se puede leer (¿permisos?).");
    const QByteArray cabecera = archivo.read(32);
    if (cabecera.startsWith(QByteArrayLiteral("SQLite format 3\0"))) return {};
    if (cabecera.mid(4).startsWith("Standard Jet DB") ||
        cabecera.mid(4).startsWith("Standard ACE DB"))
        return QStringLiteral("Es una base de datos de Access antigua; conviértala primero a "
                              "este programa.");
    return QStringLiteral("El archivo no es una base de datos de este programa.");
}

// The engine's result code tells a locked file from a damaged or read-only one.
QString motivoMotor(const QSqlError& error) {
    const int codigo = error.nativeErrorCode().toInt() & 0xff;
    const QString detalle = error.databaseText();
    // The file's own name comes from explicar(), which heads every reason.
    if (archivoOcupado(error)) return textoArchivoOcupado();
    if (codigo == 8) // SQLITE_READONLY
        return QStringLiteral("El archivo o su carpeta son de solo lectura (%1).").arg(detalle);
    if (codigo == 11 || codigo == 26) // SQLITE_CORRUPT, SQLITE_NOTADB
        return QStringLiteral("El archivo está dañado (%1). Recupere una copia de seguridad.")
            .arg(detalle);
    return QStringLiteral("El motor no lo abre (%1).").arg(detalle);
}

// WAL needs to create its files beside the database, so the folder must be writable too.
QString motivoSoloLectura(const QFileInfo& info) {
    if (info.isWritable() && QFileInfo(info.absolutePath()).isWritable()) return {};
    return QStringLiteral("El archivo o su carpeta son de solo lectura; el programa necesita "
                          "poder escribir en los dos.");
}

QString motivoPrimeraLectura(QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))
               ? QString()
               : motivoMotor(q.lastError());
}

QString motivoIntegridad(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) return motivoMotor(q.lastError());
    if (q.next() && q.value(0).toString() == QStringLiteral("ok")) return {};
    return QStringLiteral("El archivo está dañado (%1). Recupere una copia de seguridad.")
        .arg(q.value(0).toString());
}

QString ajustarConexion(QSqlDatabase& db) {
    QSqlQuery q(db);
    for (const char* pragma :
         {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL", "PRAGMA cache_size = -32000"})
        if (!q.exec(QLatin1StringView(pragma))) return motivoMotor(q.lastError());
    if (!registrarFuncionesTexto(db))
        return QStringLiteral("No se pudieron registrar las funciones de búsqueda.");
    return {};
}

QString motivoTablas(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'")))
        return motivoMotor(q.lastError());
    QStringList presentes;
    while (q.next())
        presentes << q.value(0).toString();
    QStringList faltan;
    for (const QString& tabla : tablasEsperadas())
        if (!presentes.contains(tabla.toLower())) faltan << tabla;
    if (faltan.isEmpty()) return {};
    return QStringLiteral("Le faltan tablas: %1.").arg(faltan.join(QStringLiteral(", ")));
}

// The version-1 tables and indexes, in one transaction.
QString crearTablas(QSqlDatabase& db) {
    if (!db.transaction()) return db.lastError().text();
    QSqlQuery q(db);
    for (const char* sentencia : kEsquema)
        if (!q.exec(QLatin1StringView(sentencia))) {
            const QString motivo = q.lastError().text();
            q.finish();
            db.rollback();
            return motivo;
        }
    q.finish();
    return db.commit() ? QString() : db.lastError().text();
}

} // namespace

QStringList tablasEsperadas() {
    return {QStringLiteral("tblInmuebles"),
            QStringLiteral("tblInquilinos"),
            QStringLiteral("tblInquilinosFamiliares"),
            QStringLiteral("tblInquilinosCuentas"),
            QStringLiteral("tblCobrosConceptos"),
            QStringLiteral("tblCobros"),
            QStringLiteral("tblCobrosDetalles"),
            QStringLiteral("tblIva"),
            QStringLiteral("tblSeriesF"),
            QStringLiteral("tblTitulos")};
}

namespace {
quint64& cierres() {
    static quint64 n = 0;
    return n;
}
} // namespace

quint64 cierresBaseDatos() {
    return cierres();
}

void cerrarBaseDatos() {
    ++cierres();
    const QString nombre = QLatin1StringView(kNombreConexion);
    if (!QSqlDatabase::contains(nombre)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(nombre, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
}

QString motivoIntegridadAno(const QSqlDatabase& db) {
    if (esServidor(db)) return {};
    const QString motivo = motivoIntegridad(db);
    if (motivo.isEmpty()) return {};
    const QUrl url(db.databaseName());
    return explicar(url.isLocalFile() ? url.toLocalFile() : db.databaseName(), motivo);
}

QString abrirBaseDatos(const QString& ruta, Integridad integridad) {
    cerrarBaseDatos();
    const QFileInfo info(ruta);
    if (!info.exists()) return explicar(ruta, QStringLiteral("El archivo no existe."));
    if (!info.isFile())
        return explicar(ruta, QStringLiteral("La ruta es una carpeta, no un archivo."));
    if (const QString motivo = motivoCabecera(ruta); !motivo.isEmpty())
        return explicar(ruta, motivo);
    if (const QString motivo = motivoSoloLectura(info); !motivo.isEmpty())
        return explicar(ruta, motivo);

    QSqlDatabase db =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1StringView(kNombreConexion));
    // mode=rw: the driver must never create a missing file.
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    // The busy wait is set before the first query, so another program's short write only waits.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    QString motivo;
    if (!db.open()) motivo = motivoMotor(db.lastError());
    // A foreign or newer file is refused before anything (such as the journal mode) is
    // written to it.
    // The first read tells a file locked by another program from one that is not ours.
    if (motivo.isEmpty()) motivo = motivoPrimeraLectura(db);
    if (motivo.isEmpty()) motivo = motivoVersion(db);
    if (motivo.isEmpty()) motivo = motivoTablas(db);
    // Reading the whole file takes a quarter of a second on a big year: a start leaves it to
    // the caller, unless the file is about to be migrated.
    const bool migrar = motivo.isEmpty() && versionArchivo(db) != versionEsquema();
    if (motivo.isEmpty() && (integridad == Integridad::AlAbrir || migrar))
        motivo = motivoIntegridad(db);
    if (motivo.isEmpty()) motivo = ajustarConexion(db);
    if (motivo.isEmpty()) motivo = actualizarArchivo(db, info.absoluteFilePath());
    if (motivo.isEmpty()) motivo = asegurarNumerosUnicos(db);
    if (motivo.isEmpty()) return {};
    db = QSqlDatabase();
    cerrarBaseDatos();
    return explicar(ruta, motivo);
}

QString crearBaseDatos(const QString& ruta) {
    return crearBaseDatos(ruta, versionEsquema());
}

QString crearBaseDatos(const QString& ruta, int version) {
    if (QFileInfo::exists(ruta))
        return QStringLiteral("Ya existe %1; no se sobrescribe.").arg(ruta);
    // Created empty and private first: the engine takes an empty file as a new database.
    QFile vacio(ruta);
    if (!vacio.open(QIODevice::NewOnly) || !vacio.setPermissions(kSoloUsuario))
        return vacio.errorString();
    vacio.close();
    const QString nombre = QStringLiteral("torvane-crear");
    QString motivo;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(ruta);
        if (!db.open()) motivo = db.lastError().text();
        if (motivo.isEmpty()) motivo = crearTablas(db);
        if (motivo.isEmpty()) motivo = aplicarMigraciones(db, version);
        QSqlQuery q(db);
        if (motivo.isEmpty() && !q.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
            motivo = q.lastError().text();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return motivo;
}

void conEsquemaReferencia(int version, const std::function<void(QSqlDatabase&)>& uso) {
    const QString nombre = QStringLiteral("torvane-referencia");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open() && crearTablas(db).isEmpty() && aplicarMigraciones(db, version).isEmpty())
            uso(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
}

QHash<QString, QStringList> columnasEsperadas(int version) {
    QHash<QString, QStringList> columnas;
    conEsquemaReferencia(version, [&columnas](QSqlDatabase& db) {
        for (const QString& tabla : tablasEsperadas()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(tabla));
            while (q.next())
                columnas[tabla.toLower()] << q.value(1).toString().toLower();
        }
    });
    return columnas;
}

} // namespace torvane
