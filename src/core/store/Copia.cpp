#include "core/store/Copia.h"

#include "core/store/Servidor.h"
#include "core/text/Formato.h"

#include "core/store/Ajustes.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Migraciones.h"
#include "core/store/Privado.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QTextStream>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace torvane {

namespace {

const QString kTemporalCopia = QStringLiteral(".copiando");
const QString kTemporalRestaurar = QStringLiteral(".restaurando");

QString nativa(const QString& ruta) {
    return acortarRuta(QDir::toNativeSeparators(ruta));
}

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

// The one point where killing the process is an interruption a test can rely on: the temporary
// file is whole and nothing is replaced yet. With TORVANE_PAUSA_TEMPORAL set (tests only) the
// process says so on its output and waits that many seconds to be killed.
void pausaDePrueba(const QString& temporal) {
    static const int segundos = qEnvironmentVariableIntValue("TORVANE_PAUSA_TEMPORAL");
    if (segundos <= 0) return;
    QTextStream(stdout) << "temporal escrito: " << temporal << Qt::endl;
    QThread::sleep(static_cast<unsigned long>(segundos));
}

// Atomic replacement where the system allows it (QFile::rename refuses an existing target).
bool reemplazar(const QString& origen, const QString& destino) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(origen).constData(),
                            QFile::encodeName(destino).constData(), error);
    return !error;
}

// A second name for the same data (a copy where the file system has no links).
bool enlazar(const QString& origen, const QString& destino) {
    std::error_code error;
    std::filesystem::create_hard_link(QFile::encodeName(origen).constData(),
                                      QFile::encodeName(destino).constData(), error);
    if (!error) return true;
    return QFile::copy(origen, destino) && sincronizar(destino);
}

// Sidecar files of a WAL database travel with it.
void apartarAuxiliares(const QString& desde, const QString& hacia) {
    for (const char* sufijo : {"-wal", "-shm"})
        if (QFile::exists(desde + QLatin1StringView(sufijo)))
            reemplazar(desde + QLatin1StringView(sufijo), hacia + QLatin1StringView(sufijo));
}

// A temporary file and the journals the engine may have left with it.
void borrarTemporal(const QString& ruta) {
    for (const char* sufijo : {"", "-journal", "-wal", "-shm"})
        QFile::remove(ruta + QLatin1StringView(sufijo));
}

QString comprobarColumnas(QSqlQuery& q, int version) {
    const QHash<QString, QStringList> esperadas = columnasEsperadas(qMax(version, 1));
    for (auto it = esperadas.cbegin(); it != esperadas.cend(); ++it) {
        QStringList presentes;
        if (q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(it.key())))
            while (q.next())
                presentes << q.value(1).toString().toLower();
        if (presentes.isEmpty()) return QStringLiteral("no contiene los datos de este programa");
        for (const QString& columna : it.value())
            if (!presentes.contains(columna))
                return QStringLiteral("no tiene la columna %1 de la tabla %2")
                    .arg(columna, it.key());
    }
    return {};
}

QString comprobar(QSqlDatabase& bd) {
    if (!bd.open()) return QStringLiteral("no se puede abrir");
    QSqlQuery q(bd);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next())
        return QStringLiteral("no es una base de datos válida");
    if (q.value(0).toString() != QStringLiteral("ok")) return QStringLiteral("está dañado");
    const int version = versionArchivo(bd);
    if (version > versionEsquema())
        return QStringLiteral("es de una versión más nueva de Torvane (formato %1; este programa "
                              "lee hasta el %2)")
            .arg(version)
            .arg(versionEsquema());
    return comprobarColumnas(q, version);
}

// Runs leer on a read-only, immutable connection: reading never writes to the file or its medium.
QString leerCopia(const QString& archivo, const std::function<QString(QSqlDatabase&)>& leer) {
    const QString nombre = QStringLiteral("verificar-") + QUuid::createUuid().toString();
    QString resultado;
    {
        QSqlDatabase bd = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        bd.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        bd.setDatabaseName(QUrl::fromLocalFile(QFileInfo(archivo).absoluteFilePath())
                               .toString(QUrl::FullyEncoded) +
                           QStringLiteral("?immutable=1"));
        resultado = leer(bd);
        bd.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return resultado;
}

// rutaBD + ".antes-de-restaurar-2026-12-06-1032", numbered when that name is taken.
QString nombreAnterior(const QString& rutaBD) {
    const QString base = rutaBD + kSufijoAnterior + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    QString nombre = base;
    for (int n = 2; QFileInfo::exists(nombre); ++n)
        nombre = base + QLatin1Char('-') + QString::number(n);
    return nombre;
}

QString deshacer(const QString& rutaBD, const QString& anterior,
                 const std::function<QString()>& reabrir, const QString& motivo) {
    const QString vuelta = rutaBD + kTemporalRestaurar;
    borrarTemporal(vuelta);
    // The kept name shares the data it gives back, so it must not outlive the undo.
    if (enlazar(anterior, vuelta) && reemplazar(vuelta, rutaBD)) {
        apartarAuxiliares(anterior, rutaBD);
        QFile::remove(anterior);
    }
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
    if (!QFileInfo(archivo).isFile())
        return QStringLiteral("No hay ninguna copia en %1").arg(nativa(archivo));
    const QString motivo = leerCopia(archivo, comprobar);
    if (motivo.isEmpty()) return {};
    return QStringLiteral("La copia %1 %2; no se ha usado.").arg(nativa(archivo), motivo);
}

QStringList anosDistintos(const QString& archivo, const QString& ano) {
    static const QRegularExpression unAno(QStringLiteral("^\\d{4}$"));
    if (!unAno.match(ano).hasMatch()) return {};
    const QString anos = leerCopia(archivo, [&ano](QSqlDatabase& bd) {
        if (!bd.open()) return QString();
        QSqlQuery q(bd);
        q.prepare(QStringLiteral("SELECT DISTINCT substr(Fec, 1, 4) FROM tblCobros"
                                 " WHERE Fec IS NOT NULL AND Fec <> '' AND substr(Fec, 1, 4) <> ?"
                                 " ORDER BY 1"));
        q.addBindValue(ano);
        QStringList lista;
        if (q.exec())
            while (q.next())
                lista << q.value(0).toString();
        return lista.join(QLatin1Char(' '));
    });
    return anos.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList copiasAnteriores(const QString& rutaBD) {
    const QFileInfo info(rutaBD);
    QStringList copias;
    const QStringList nombres =
        info.dir().entryList({info.fileName() + kSufijoAnterior + QLatin1Char('*')}, QDir::Files,
                             QDir::Name | QDir::Reversed);
    for (const QString& nombre : nombres)
        copias << info.dir().filePath(nombre);
    return copias;
}

QString hacerCopia(const QString& carpeta) {
    if (!crearCarpetaPrivada(carpeta))
        return QStringLiteral("No se puede crear la carpeta %1.\nCompruebe que la unidad está "
                              "conectada y que se puede escribir en ella.")
            .arg(nativa(carpeta));
    const QString destino = carpeta + QLatin1Char('/') + kArchivoDatos;
    const QString temporal = destino + kTemporalCopia;
    borrarTemporal(temporal);
    QString errorCopia;
    // A server's year goes to the drive as a year file too, so the copy opens on any machine.
    if (esServidor(Conexion())) {
        errorCopia = bajarAbierto(temporal);
    } else {
        // Private from its first byte: the engine fills an empty file it is given.
        QFile vacio(temporal);
        if (vacio.open(QIODevice::NewOnly)) vacio.setPermissions(kSoloUsuario);
        vacio.close();
        QSqlQuery q(Conexion());
        q.prepare(QStringLiteral("VACUUM INTO ?"));
        q.addBindValue(temporal);
        if (!q.exec()) errorCopia = q.lastError().text();
    }
    const bool copiada = errorCopia.isEmpty();
    QString motivo;
    if (!copiada)
        motivo = QStringLiteral("No se pudo escribir la copia en %1 (%2).\nCompruebe que la unidad "
                                "no está protegida contra escritura y que tiene espacio libre.")
                     .arg(nativa(carpeta), errorCopia);
    else if (!sincronizar(temporal))
        motivo =
            QStringLiteral("No se pudo terminar de escribir la copia en %1.").arg(nativa(carpeta));
    else if (const QString error = verificarCopia(temporal); !error.isEmpty())
        motivo = error;
    if (motivo.isEmpty()) {
        pausaDePrueba(temporal);
        if (!reemplazar(temporal, destino))
            motivo = QStringLiteral("No se pudo sustituir la copia anterior en %1.")
                         .arg(nativa(carpeta));
    }
    if (!motivo.isEmpty()) borrarTemporal(temporal);
    return motivo;
}

QString restaurarArchivo(const QString& origen, const QString& rutaBD,
                         const std::function<QString()>& reabrir, QString* guardado) {
    if (const QString error = verificarCopia(origen); !error.isEmpty()) return error;
    // On a server the rows are replaced in one transaction; other desks see all or nothing.
    if (esServidor(Conexion())) return reemplazarDesdeArchivo(origen, guardado);
    // Brought onto the data folder's own disk first, so the swap below is one rename.
    const QString entrante = rutaBD + kTemporalRestaurar;
    borrarTemporal(entrante);
    if (!QFile::copy(origen, entrante) || !QFile::setPermissions(entrante, kSoloUsuario) ||
        !sincronizar(entrante)) {
        borrarTemporal(entrante);
        return QStringLiteral("No se pudo copiar %1 a la carpeta de datos.\nCompruebe que hay "
                              "espacio libre en el disco.")
            .arg(nativa(origen));
    }
    pausaDePrueba(entrante);
    // Everything written so far goes into the main file, so the kept file is complete alone.
    QSqlQuery(Conexion()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    cerrarBaseDatos();
    const QString anterior = nombreAnterior(rutaBD);
    if (!enlazar(rutaBD, anterior)) {
        borrarTemporal(entrante);
        reabrir();
        return QStringLiteral("No se pudo guardar una copia de los datos actuales en %1.")
            .arg(nativa(anterior));
    }
    QFile::setPermissions(anterior, kSoloUsuario);
    // Journals of the replaced data stay with it, never applied to the restored file.
    apartarAuxiliares(rutaBD, anterior);
    if (!reemplazar(entrante, rutaBD))
        return deshacer(rutaBD, anterior, reabrir,
                        QStringLiteral("No se pudo poner la copia en su sitio."));
    if (const QString error = reabrir(); !error.isEmpty())
        return deshacer(rutaBD, anterior, reabrir, error);
    if (guardado) *guardado = anterior;
    return {};
}

QString restaurarCopia(const QString& carpeta, const QString& rutaBD,
                       const std::function<QString()>& reabrir, QString* guardado) {
    return restaurarArchivo(carpeta + QLatin1Char('/') + kArchivoDatos, rutaBD, reabrir, guardado);
}

QString avisoGuardado(const QString& guardado, const QString& rutaBD) {
    if (guardado.isEmpty()) return {};
    if (esServidor(Conexion()))
        return QStringLiteral("El año como estaba queda guardado en el servidor como «%1» "
                              "(hay %2 así). El administrador lo baja a un archivo con "
                              "«torvane-admin servidor bajar %1 CARPETA» y lo quita con "
                              "«torvane-admin servidor quitar %1».")
            .arg(guardado)
            .arg(anosGuardados(guardado.left(4)).size());
    return QStringLiteral("Los datos que había quedan guardados en %1 (hay %2 así junto al año; "
                          "las que ya no necesite se pueden borrar).")
        .arg(nativa(guardado), cuenta(copiasAnteriores(rutaBD).size(), QStringLiteral("copia")));
}

void limpiarTemporales(const QString& rutaBD) {
    if (QFileInfo(rutaBD).isFile()) borrarTemporal(rutaBD + kTemporalRestaurar);
}

} // namespace torvane
