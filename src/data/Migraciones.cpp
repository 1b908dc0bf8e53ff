#include "data/Migraciones.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <functional>
#include <vector>

namespace {

/** One step of the format: the version it produces and what it runs. */
struct Paso {
    int version;
    std::function<QString(QSqlQuery&)> aplicar;
};

QString ejecutarTodas(QSqlQuery& q, std::initializer_list<const char*> sentencias) {
    for (const char* sentencia : sentencias)
        if (!q.exec(QLatin1StringView(sentencia))) return q.lastError().text();
    return {};
}

// Steps in order; each appends, none is ever edited once released.
const std::vector<Paso>& pasos() {
    static const std::vector<Paso> lista = {
        // 2: the tenant's own address, and the exemption wording printed on exempt invoices.
        {2,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"ALTER TABLE tblInquilinos ADD COLUMN Dir TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN CP TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN Pob TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN Pro TEXT",
                                      "ALTER TABLE tblTitulos ADD COLUMN TxtExento TEXT"});
         }},
        // 3: the year's count, total and monthly statistics read from one index alone.
        {3,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"CREATE INDEX ixCobrosResumen ON tblCobros"
                                      " (Fec, Pag, Ser, Tot, IdInm)"});
         }},
    };
    return lista;
}

QString copiaPrevia(QSqlDatabase& db, const QString& ruta, int version) {
    QString destino = ruta + QStringLiteral(".antes-de-actualizar-v%1").arg(version);
    // An earlier copy is never overwritten: it may be the only one of that version.
    for (int n = 2; QFile::exists(destino); ++n)
        destino = ruta + QStringLiteral(".antes-de-actualizar-v%1-%2").arg(version).arg(n);
    // Created empty and private first: VACUUM INTO fills an empty file, and personal data
    // must never sit readable by others, not even for a moment.
    QFile vacio(destino);
    if (!vacio.open(QIODevice::NewOnly) ||
        !vacio.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return vacio.errorString();
    vacio.close();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(destino);
    if (!q.exec()) return q.lastError().text();
    q.finish();
    const QString nombre = QStringLiteral("torvane-verificar-actualizacion");
    QString motivo;
    {
        QSqlDatabase copia = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        copia.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        copia.setDatabaseName(QUrl::fromLocalFile(destino).toString(QUrl::FullyEncoded));
        if (!copia.open()) {
            motivo = copia.lastError().text();
        } else {
            QSqlQuery c(copia);
            if (!c.exec(QStringLiteral("PRAGMA quick_check")) || !c.next() ||
                c.value(0).toString() != QStringLiteral("ok"))
                motivo = QStringLiteral("la copia no está sana");
        }
        copia.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return motivo;
}

} // namespace

int versionEsquema() {
    return pasos().back().version;
}

int versionArchivo(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return -1;
    return q.value(0).toInt();
}

QString aplicarMigraciones(QSqlDatabase& db) {
    const int desde = versionArchivo(db);
    if (desde < 0) return db.lastError().text();
    if (!db.transaction()) return db.lastError().text();
    QSqlQuery q(db);
    QString motivo;
    for (const Paso& paso : pasos()) {
        if (paso.version <= desde) continue;
        motivo = paso.aplicar(q);
        if (!motivo.isEmpty()) break;
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(paso.version))) {
            motivo = q.lastError().text();
            break;
        }
    }
    q.finish();
    if (motivo.isEmpty() && db.commit()) return {};
    if (motivo.isEmpty()) motivo = db.lastError().text();
    db.rollback();
    return motivo;
}

QString motivoVersion(QSqlDatabase& db) {
    const int version = versionArchivo(db);
    if (version < 0)
        return QStringLiteral("No se puede leer la versión del archivo (%1).")
            .arg(db.lastError().databaseText());
    if (version > versionEsquema())
        return QStringLiteral("El archivo fue creado con una versión más nueva de Torvane "
                              "(formato %1; este programa lee hasta el %2). Actualice el "
                              "programa para abrirlo.")
            .arg(version)
            .arg(versionEsquema());
    return {};
}

QString actualizarArchivo(QSqlDatabase& db, const QString& ruta) {
    if (const QString motivo = motivoVersion(db); !motivo.isEmpty()) return motivo;
    const int version = versionArchivo(db);
    if (version == versionEsquema()) return {};
    if (const QString error = copiaPrevia(db, ruta, version); !error.isEmpty())
        return QStringLiteral("No se pudo guardar una copia antes de actualizar el archivo "
                              "(%1); no se ha cambiado nada.")
            .arg(error);
    if (const QString error = aplicarMigraciones(db); !error.isEmpty())
        return QStringLiteral("No se pudo actualizar el archivo al formato %1 (%2); no se ha "
                              "cambiado nada.")
            .arg(versionEsquema())
            .arg(error);
    return {};
}
