#include "core/store/Anos.h"

#include "core/store/Servidor.h"

#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Copia.h"
#include "core/store/Migraciones.h"
#include "core/store/Privado.h"
#include "core/text/Formato.h"

#include "core/text/Plegado.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

namespace torvane {

namespace {

QString errorDe(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// Names come from the schema and from tablasQuePasanDeAno(), never from the user.
QString identificador(const QString& nombre) {
    return QLatin1Char('"') + QString(nombre).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QStringList columnas(QSqlQuery& q, const QString& esquema, const QString& tabla) {
    q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?, ?)"));
    q.addBindValue(tabla);
    q.addBindValue(esquema);
    QStringList nombres;
    if (q.exec())
        while (q.next())
            nombres << q.value(0).toString();
    return nombres;
}

qint64 filas(QSqlQuery& q, const QString& esquema, const QString& tabla) {
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1.%2").arg(esquema, identificador(tabla))) ||
        !q.next())
        return -1;
    return q.value(0).toLongLong();
}

// Replaces whatever the new file's format put in the table by the source's rows.
QString copiarTabla(QSqlQuery& q, const QString& tabla) {
    const QStringList origen = columnas(q, QStringLiteral("origen"), tabla);
    if (origen.isEmpty()) return {}; // a year older than the table: nothing to take
    QStringList comunes;
    for (const QString& columna : columnas(q, QStringLiteral("main"), tabla))
        if (origen.contains(columna, Qt::CaseInsensitive)) comunes << identificador(columna);
    if (comunes.isEmpty())
        return QStringLiteral("la tabla %1 no existe en el año nuevo").arg(tabla);
    const QString lista = comunes.join(QStringLiteral(", "));
    if (!q.exec(QStringLiteral("DELETE FROM main.%1").arg(identificador(tabla))) ||
        !q.exec(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM origen.%1")
                    .arg(identificador(tabla), lista)))
        return errorDe(q.lastError());
    if (filas(q, QStringLiteral("main"), tabla) != filas(q, QStringLiteral("origen"), tabla))
        return QStringLiteral("no se copiaron todas las filas de %1").arg(tabla);
    return {};
}

// While the new year is filled from the one attached as "origen" (its tblVerifactu already
// copied): the new year's chain of billing records starts from the last one of the old.
QString continuarCadena(QSqlQuery& q) {
    if (!q.exec(QStringLiteral("SELECT 1 FROM origen.sqlite_master WHERE name = 'tblRegistros'")))
        return q.lastError().text();
    if (!q.next()) return {};
    q.finish();
    // The new year's documents are all made with the mode on.
    if (!q.exec(QStringLiteral("UPDATE main.tblVerifactu SET IdDesde = 0")))
        return q.lastError().text();
    // The agency's message names the previous record too, not only its fingerprint.
    if (!q.exec(
            QStringLiteral("UPDATE main.tblVerifactu SET (HuellaAnt, NumSerieAnt, FechaAnt) ="
                           " (SELECT Huella, NumSerie, Fecha FROM origen.tblRegistros ORDER BY"
                           " Id DESC LIMIT 1) WHERE EXISTS (SELECT 1 FROM origen.tblRegistros)")))
        return q.lastError().text();
    return {};
}

QString copiarTablas(QSqlDatabase& db, QSqlQuery& q, const AlCrearAno& completar) {
    if (!q.exec(QStringLiteral("PRAGMA origen.user_version")) || !q.next())
        return QStringLiteral("el año de origen no se puede leer (%1)").arg(errorDe(q.lastError()));
    if (q.value(0).toInt() > versionEsquema())
        return QStringLiteral("el año de origen es de una versión más nueva de Torvane");
    if (!db.transaction()) return errorDe(db.lastError());
    QString motivo;
    for (const QString& tabla : tablasQuePasanDeAno())
        if (motivo = copiarTabla(q, tabla); !motivo.isEmpty()) break;
    // The agency's chain is the issuer's, not the year's: it goes on where the old year ends.
    if (motivo.isEmpty()) motivo = continuarCadena(q);
    if (motivo.isEmpty()) motivo = prepararAnoNuevo(q);
    if (motivo.isEmpty() && completar) motivo = completar(q);
    q.finish();
    if (motivo.isEmpty() && !db.commit()) motivo = errorDe(db.lastError());
    if (!motivo.isEmpty()) db.rollback();
    return motivo;
}

QString comprobarIntegridad(QSqlQuery& q) {
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next() ||
        q.value(0).toString() != QStringLiteral("ok"))
        return QStringLiteral("el año nuevo no ha quedado sano");
    return {};
}

// Fills the just-created file at nuevo from fuente, attached read-only.
QString llenar(const QString& nuevo, const QString& fuente, const AlCrearAno& completar) {
    const QString nombre = QStringLiteral("torvane-ano-") + QUuid::createUuid().toString();
    QString motivo;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        QUrl url = QUrl::fromLocalFile(nuevo);
        url.setQuery(QStringLiteral("mode=rw"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        if (!db.open()) {
            motivo = errorDe(db.lastError());
        } else if (!registrarFuncionesTexto(db)) {
            motivo = QStringLiteral("no se pudieron registrar las funciones de búsqueda");
        } else {
            QSqlQuery q(db);
            QUrl origen = QUrl::fromLocalFile(fuente);
            origen.setQuery(QStringLiteral("mode=ro"));
            q.prepare(QStringLiteral("ATTACH DATABASE ? AS origen"));
            q.addBindValue(origen.toString(QUrl::FullyEncoded));
            motivo = q.exec() ? copiarTablas(db, q, completar) : errorDe(q.lastError());
            q.exec(QStringLiteral("DETACH DATABASE origen"));
            if (motivo.isEmpty()) motivo = comprobarIntegridad(q);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return motivo;
}

void quitar(const QString& archivo, const QString& carpeta) {
    for (const char* sufijo : {"", "-wal", "-shm", "-journal"})
        QFile::remove(archivo + QLatin1StringView(sufijo));
    if (!carpeta.isEmpty()) QDir().rmdir(carpeta);
}

} // namespace

QString prepararAnoNuevo(QSqlQuery& q) {
    const char* const sentencias[] = {
        // A rectifying series made with the mode off and never used is no series of the year.
        "DELETE FROM tblSeriesF WHERE Des = 'Facturas rectificativas' AND"
        " upper(Cod) = upper(COALESCE((SELECT SerieRect FROM tblVerifactu), 'R'))"
        " AND NOT EXISTS (SELECT 1 FROM tblVerifactu WHERE Activo <> 0)"
        " AND NOT EXISTS (SELECT 1 FROM tblCobros c WHERE upper(c.Ser) = upper(tblSeriesF.Cod))"
        " AND NOT EXISTS (SELECT 1 FROM tblInmuebles m WHERE upper(m.CarSer) ="
        " upper(tblSeriesF.Cod))",
        "CREATE TEMP TABLE torvane_sin_series AS SELECT NOT EXISTS (SELECT 1 FROM tblSeriesF s"
        " WHERE NOT EXISTS (SELECT 1 FROM tblVerifactu v WHERE v.Activo <> 0 AND"
        " upper(v.SerieRect) = upper(s.Cod))) AS Vacia",
        "INSERT INTO tblSeriesF (Id, Cod, Des, Factura) SELECT (SELECT COALESCE(MAX(Id), 0) + 1"
        " FROM tblSeriesF), 'A', 'Recibos', 0 FROM torvane_sin_series WHERE Vacia",
        "INSERT INTO tblSeriesF (Id, Cod, Des, Factura) SELECT (SELECT COALESCE(MAX(Id), 0) + 1"
        " FROM tblSeriesF), 'B', 'Facturas', 1 FROM torvane_sin_series WHERE Vacia",
        "DROP TABLE torvane_sin_series",
        "INSERT INTO tblCobrosConceptos (Id, Des, Imp) SELECT * FROM (SELECT 1, 'Alquiler', 0"
        " UNION ALL SELECT 2, 'Gastos de comunidad', 0 UNION ALL SELECT 3, 'Agua', 0"
        " UNION ALL SELECT 4, 'Luz', 0 UNION ALL SELECT 5, 'IBI', 0)"
        " WHERE NOT EXISTS (SELECT 1 FROM tblCobrosConceptos)",
    };
    for (const char* sentencia : sentencias)
        if (!q.exec(QString::fromUtf8(sentencia))) return errorDe(q.lastError());
    return {};
}

QString rutaBaseDatos(const QString& ruta, const QString& ano) {
    return ruta + QLatin1Char('/') + ano + QLatin1Char('/') + kArchivoDatos;
}

QStringList anosDeCarpeta(const QString& ruta) {
    QStringList anos;
    if (leerServidor(ruta)) return anosServidor();
    const QDir carpeta(ruta);
    for (const QString& nombre : carpeta.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (QFileInfo(rutaBaseDatos(carpeta.path(), nombre)).isFile()) anos << nombre;
    return anos;
}

int numeroDeAno(const QString& ano) {
    static const QRegularExpression cuatroCifras(QStringLiteral("^\\d{4}$"));
    if (cuatroCifras.match(ano).hasMatch()) return ano.toInt();
    // A folder not named after its year: the year its documents are of, else this one.
    const QVariant ultima = valorUnico(QStringLiteral("SELECT MAX(Fec) FROM tblCobros"));
    const QDate fecha = ultima.isNull() ? QDate() : desdeIso(ultima.toString());
    return fecha.isValid() ? fecha.year() : Hoy().year();
}

QString anoSiguiente(const QString& ano) {
    static const QRegularExpression numero(QStringLiteral("^\\d{1,6}$"));
    if (!numero.match(ano).hasMatch()) return {};
    return QString::number(ano.toInt() + 1);
}

QStringList tablasQuePasanDeAno() {
    return {
        QStringLiteral("tblTitulos"),           QStringLiteral("tblIva"),
        QStringLiteral("tblSeriesF"),           QStringLiteral("tblCobrosConceptos"),
        QStringLiteral("tblInquilinos"),        QStringLiteral("tblInquilinosFamiliares"),
        QStringLiteral("tblInquilinosCuentas"), QStringLiteral("tblInmuebles"),
        QStringLiteral("tblInmueblesCargos"),   QStringLiteral("tblVerifactu"),
        QStringLiteral("tblContratos"),         QStringLiteral("tblContratosRentas"),
        QStringLiteral("tblIndices"),           QStringLiteral("tblRepartos"),
        QStringLiteral("tblRepartosInmuebles"),
    };
}

namespace {

// A server's new year is made as a year file is, from a file of the old one, and goes up
// whole: the same rules, and nothing half-made on the server if any step fails.
QString crearAnoDesdeServidor(const DatosServidor& datos, const QString& origen,
                              const QString& destino, const AlCrearAno& completar) {
    QTemporaryDir temporal;
    if (!temporal.isValid()) return QStringLiteral("No se puede crear una carpeta temporal.");
    QDir().mkpath(temporal.path() + QLatin1Char('/') + origen);
    QString motivo = bajarAno(datos, origen, rutaBaseDatos(temporal.path(), origen));
    if (motivo.isEmpty()) motivo = crearAnoDesde(temporal.path(), origen, destino, completar);
    if (motivo.isEmpty())
        motivo = subirAno(rutaBaseDatos(temporal.path(), destino), datos, destino);
    return motivo;
}

} // namespace

QString crearAnoDesde(const QString& ruta, const QString& origen, const QString& destino,
                      const AlCrearAno& completar) {
    QString error;
    if (const auto servidor = leerServidor(ruta, &error))
        return crearAnoDesdeServidor(*servidor, origen, destino, completar);
    if (!error.isEmpty()) return error;
    const QString fuente = rutaBaseDatos(ruta, origen);
    const QString nuevo = rutaBaseDatos(ruta, destino);
    if (destino.isEmpty() || destino.contains(QLatin1Char('/')) ||
        destino.startsWith(QLatin1Char('.')))
        return QStringLiteral("«%1» no sirve como nombre de la carpeta del año.").arg(destino);
    if (!QFileInfo(fuente).isFile())
        return QStringLiteral("No existe el año %1:\n%2")
            .arg(origen, QDir::toNativeSeparators(fuente));
    if (QFileInfo::exists(nuevo))
        return QStringLiteral("El año %1 ya existe:\n%2\nNo se ha cambiado nada.")
            .arg(destino, QDir::toNativeSeparators(nuevo));
    const QString carpeta = QFileInfo(nuevo).absolutePath();
    const bool carpetaNueva = !QFileInfo::exists(carpeta);
    // A year's folder is private to the user, as crearAno() makes it.
    if (!crearCarpetaPrivada(carpeta))
        return QStringLiteral("No se puede crear la carpeta %1.")
            .arg(QDir::toNativeSeparators(carpeta));
    QString motivo = crearBaseDatos(nuevo);
    if (motivo.isEmpty()) {
        QFile::setPermissions(nuevo, QFile::ReadOwner | QFile::WriteOwner);
        motivo = llenar(nuevo, fuente, completar);
    }
    if (motivo.isEmpty()) return {};
    quitar(nuevo, carpetaNueva ? carpeta : QString());
    return QStringLiteral("No se pudo crear el año %1 a partir de %2: %3.\nNo se ha cambiado nada.")
        .arg(destino, origen, motivo);
}

} // namespace torvane
