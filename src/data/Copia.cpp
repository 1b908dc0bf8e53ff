#include "data/Copia.h"

#include "data/BaseDatos.h"
#include "data/Consulta.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QUuid>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kSufijoAnterior = QStringLiteral(".antes-de-restaurar");
// A database kept on a server is backed up there, by its own tools.
const QString kSoloArchivo = QStringLiteral(
    "Los datos están en un servidor: la copia de seguridad se hace en el propio servidor.");

// Forces a finished file onto the medium before it replaces anything.
bool sincronizar(const QString& ruta) {
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadWrite)) return false;
#ifdef Q_OS_UNIX
    return ::fsync(archivo.handle()) == 0;
#else
    return archivo.flush();
#endif
}

// Atomic replacement where the system allows it (QFile::rename refuses an existing target).
bool reemplazar(const QString& origen, const QString& destino) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(origen).constData(),
                            QFile::encodeName(destino).constData(), error);
    return !error;
}

QString comprobar(QSqlDatabase& bd) {
    if (!bd.open()) return QStringLiteral("no se puede abrir");
    QSqlQuery q(bd);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next())
        return QStringLiteral("no es una base de datos válida");
    if (q.value(0).toString() != QStringLiteral("ok")) return QStringLiteral("está dañado");
    QStringList tablas;
    if (q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        while (q.next())
            tablas << q.value(0).toString();
    for (const QString& tabla : tablasEsperadas())
        if (!tablas.contains(tabla, Qt::CaseInsensitive))
            return QStringLiteral("no contiene los datos de este programa");
    return {};
}

// Sidecar files of a WAL database must travel with it (or not at all).
void apartarAuxiliares(const QString& desde, const QString& hacia) {
    for (const char* sufijo : {"-wal", "-shm"}) {
        const QString origen = desde + QLatin1StringView(sufijo);
        if (!QFile::exists(origen)) continue;
        if (hacia.isEmpty())
            QFile::remove(origen);
        else
            reemplazar(origen, hacia + QLatin1StringView(sufijo));
    }
}

QString deshacer(const QString& rutaBD, const QString& anterior,
                 const std::function<QString()>& reabrir, const QString& motivo) {
    apartarAuxiliares(rutaBD, {});
    reemplazar(anterior, rutaBD);
    apartarAuxiliares(anterior, rutaBD);
    reabrir();
    return motivo + QStringLiteral("\nSe siguen usando los datos que había antes.");
}

} // namespace

QString rutaCopia(const QString& raiz, const QString& ano) {
    QString base = raiz;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1Char('/') + kCarpetaCopias + QLatin1Char('/') + ano;
}

QString verificarCopia(const QString& archivo) {
    const QFileInfo info(archivo);
    if (!info.isFile())
        return QStringLiteral("No hay ninguna copia en %1").arg(QDir::toNativeSeparators(archivo));
    const QString nombre = QStringLiteral("verificar-") + QUuid::createUuid().toString();
    QString motivo;
    {
        // Read-only and immutable: checking never writes to the backup or its medium.
        QSqlDatabase bd = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        bd.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        bd.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?immutable=1"));
        motivo = comprobar(bd);
        bd.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    if (motivo.isEmpty()) return {};
    return QStringLiteral("La copia %1 %2; no se ha usado.")
        .arg(QDir::toNativeSeparators(archivo), motivo);
}

QString hacerCopia(const QString& carpeta) {
    if (Conexion().driverName() != QStringLiteral("QSQLITE")) return kSoloArchivo;
    if (!QDir().mkpath(carpeta))
        return QStringLiteral("No se puede crear la carpeta %1.\nCompruebe que la unidad está "
                              "conectada y que se puede escribir en ella.")
            .arg(QDir::toNativeSeparators(carpeta));
    const QString destino = carpeta + QLatin1Char('/') + kArchivoDatos;
    const QString temporal = destino + QStringLiteral(".copiando");
    QFile::remove(temporal);
    QSqlQuery q(Conexion());
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(temporal);
    const bool copiada = q.exec();
    const QString errorCopia = q.lastError().text();
    q.finish();
    QString motivo;
    if (!copiada)
        motivo = QStringLiteral("No se pudo escribir la copia en %1 (%2).\nCompruebe que la unidad "
                                "no está protegida contra escritura y que tiene espacio libre.")
                     .arg(QDir::toNativeSeparators(carpeta), errorCopia);
    else if (!sincronizar(temporal))
        motivo = QStringLiteral("No se pudo terminar de escribir la copia en %1.")
                     .arg(QDir::toNativeSeparators(carpeta));
    else if (const QString error = verificarCopia(temporal); !error.isEmpty())
        motivo = error;
    else if (!reemplazar(temporal, destino))
        motivo = QStringLiteral("No se pudo sustituir la copia anterior en %1.")
                     .arg(QDir::toNativeSeparators(carpeta));
    if (!motivo.isEmpty()) QFile::remove(temporal);
    return motivo;
}

QString restaurarCopia(const QString& carpeta, const QString& rutaBD,
                       const std::function<QString()>& reabrir) {
    if (Conexion().driverName() != QStringLiteral("QSQLITE")) return kSoloArchivo;
    const QString origen = carpeta + QLatin1Char('/') + kArchivoDatos;
    if (const QString error = verificarCopia(origen); !error.isEmpty()) return error;
    // Brought onto the data folder's own disk first, so the swap below is only renames.
    const QString entrante = rutaBD + QStringLiteral(".restaurando");
    QFile::remove(entrante);
    if (!QFile::copy(origen, entrante) || !sincronizar(entrante)) {
        QFile::remove(entrante);
        return QStringLiteral("No se pudo copiar %1 a la carpeta de datos.\nCompruebe que hay "
                              "espacio libre en el disco.")
            .arg(QDir::toNativeSeparators(origen));
    }
    // Everything written so far goes into the main file, so the kept file is complete alone.
    QSqlQuery(Conexion()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    cerrarBaseDatos();
    const QString anterior = rutaBD + kSufijoAnterior;
    QFile::remove(anterior);
    apartarAuxiliares(anterior, {});
    if (QFile::exists(rutaBD) && !reemplazar(rutaBD, anterior)) {
        QFile::remove(entrante);
        reabrir();
        return QStringLiteral("No se pudo apartar la base de datos actual.");
    }
    apartarAuxiliares(rutaBD, anterior);
    if (!reemplazar(entrante, rutaBD))
        return deshacer(rutaBD, anterior, reabrir,
                        QStringLiteral("No se pudo poner la copia en su sitio."));
    if (const QString error = reabrir(); !error.isEmpty())
        return deshacer(rutaBD, anterior, reabrir, error);
    return {};
}
