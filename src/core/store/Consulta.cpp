#include "core/store/Consulta.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QUrl>
#include <libpq-fe.h>
#include <memory>
#include <utility>

namespace torvane {

QSqlDatabase Conexion() {
    return QSqlDatabase::database(QLatin1StringView(kNombreConexion), false);
}

ErrorBD::ErrorBD(const QString& texto, bool sinConexion)
    : std::runtime_error(texto.toStdString())
    , texto_(texto)
    , sinConexion_(sinConexion) {}

namespace {

struct Traduccion {
    const char* estado; ///< SQLSTATE prefix, or null to match by words
    const char* palabras;
    const char* texto;
};

// The server's and its client library's failures in Spanish, each with what to do next.
const Traduccion kTraducciones[] = {
    {"42501", nullptr,
     "el usuario de este puesto no tiene permiso para eso: lo hace el administrador con "
     "torvane-admin, que entra como el usuario propietario de servidor.ini"},
    {"23505", nullptr,
     "ya hay otro con ese mismo número o código (quizá lo ha guardado otro puesto a la vez): "
     "vuelva a intentarlo"},
    {"40", nullptr, "otro puesto estaba cambiando lo mismo a la vez: vuelva a intentarlo"},
    {"53", nullptr,
     "el servidor se ha quedado sin disco o sin memoria: avise a quien lo administra"},
    {"3D000", nullptr, "esa base de datos no existe en el servidor: revise «base» en servidor.ini"},
    {nullptr, "no password supplied",
     "el servidor pide una contraseña: escríbala al abrir el año o póngala en ~/.pgpass"},
    {nullptr, "password authentication failed",
     "el servidor no acepta el usuario o la contraseña: revise «usuario» en servidor.ini y "
     "escriba la contraseña de nuevo"},
    {nullptr, "no pg_hba.conf entry",
     "el servidor no admite conexiones de este equipo con ese usuario: el administrador ha de "
     "permitirlas en pg_hba.conf"},
    {nullptr, "does not exist",
     "el usuario o la base de servidor.ini no existe en el servidor: revise «usuario» y «base»"},
    {nullptr, "server does not support SSL",
     "el servidor no admite conexiones cifradas: el administrador ha de activarlas (ssl = on)"},
    {nullptr, "certificate",
     "no se puede comprobar el certificado del servidor: revise «sslrootcert» en servidor.ini y "
     "que «host» es el nombre que figura en el certificado"},
    {nullptr, "could not translate host name",
     "no se encuentra el servidor con ese nombre: revise «host» en servidor.ini y la red"},
    {nullptr, "timeout expired",
     "el servidor no contesta: compruebe la red y que el servidor está en marcha"},
    {nullptr, "Connection refused",
     "el servidor no responde en esa dirección y puerto: compruebe que está en marcha y revise "
     "«host» y «puerto» en servidor.ini"},
    {nullptr, "No route to host",
     "no se llega al servidor: compruebe la red y «host» en servidor.ini"},
    {"25P02", nullptr, "una operación anterior falló y se ha deshecho: vuelva a intentarlo"},
};

} // namespace

QString textoMotor(const QSqlError& error) {
    QString detalle = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    // A server prefixes its own messages (a guard's among them) with their severity.
    detalle.remove(QRegularExpression(QStringLiteral("^(ERROR|FATAL):\\s+")));
    detalle = detalle.trimmed();
    // A server's SQLSTATE has five characters; the client library's own failures have none
    // (SQLite's codes are numbers of any length).
    const QString estado = error.nativeErrorCode();
    for (const Traduccion& t : kTraducciones) {
        if (t.estado ? estado.size() != 5 || !estado.startsWith(QLatin1String(t.estado))
                     : !estado.isEmpty())
            continue;
        if (t.palabras && !detalle.contains(QLatin1String(t.palabras), Qt::CaseInsensitive))
            continue;
        return QString::fromUtf8(t.texto);
    }
    return detalle;
}

bool archivoOcupado(const QSqlError& error) {
    // SQLite's extended codes keep the primary one in the low byte; a server's are five letters.
    bool numero = false;
    const int codigo = error.nativeErrorCode().toInt(&numero) & 0xff;
    return numero && (codigo == 5 || codigo == 6); // SQLITE_BUSY, SQLITE_LOCKED
}

QString textoArchivoOcupado(const QString& archivo) {
    const QString cual = archivo.isEmpty()
                             ? QString()
                             : QStringLiteral("Otro programa está usando el archivo del año:\n%1\n")
                                   .arg(QDir::toNativeSeparators(archivo));
    return cual + QStringLiteral("Se ha esperado unos segundos y el archivo sigue ocupado por otro "
                                 "programa. Ciérrelo (o la otra ventana de Torvane con este año) "
                                 "y vuelva a intentarlo; esta operación no se ha hecho.");
}

static QString describir(const QSqlError& error) {
    return QStringLiteral("Error de la base de datos: %1").arg(textoMotor(error));
}

QSqlQuery ejecutar(const QString& sql, const QVariantList& valores) {
    return ejecutar(Conexion(), sql, valores);
}

void soltarCacheConexion() {
    QSqlDatabase db = Conexion();
    // A server keeps its cache on its own machine.
    if (db.driverName() != QStringLiteral("QSQLITE")) return;
    QSqlQuery(db).exec(QStringLiteral("PRAGMA shrink_memory"));
}

std::function<void()> AlPerderConexion;

namespace {

/** The client library's connection under db; null for another engine. */
PGconn* conexionServidor(const QSqlDatabase& db) {
    const QVariant manejador = db.driver()->handle();
    // Qt 6 names the metatype after the struct; older drivers, after the typedef.
    const char* tipo = manejador.typeName();
    if (qstrcmp(tipo, "pg_conn*") != 0 && qstrcmp(tipo, "PGconn*") != 0) return nullptr;
    return *static_cast<PGconn* const*>(manejador.data());
}

} // namespace

bool conexionPerdida(const QSqlDatabase& db) {
    if (db.driverName() != QStringLiteral("QPSQL")) return false;
    // The driver closes a connection the server dropped once it notices.
    if (!db.isOpen() || !db.driver()) return true;
    PGconn* conexion = conexionServidor(db);
    return conexion && PQstatus(conexion) == CONNECTION_BAD;
}

namespace {

const QString kConexionPerdida = QStringLiteral(
    "Se ha perdido la conexión con el servidor de datos. Lo que ya estaba confirmado está "
    "guardado en el servidor; la última operación no se ha hecho.");

// A lost server is told apart from a refused statement, and the interface is told once.
ErrorBD errorDe(const QSqlDatabase& db, const QSqlError& error) {
    // The server's own word (class 08, or 57P0x: shut down or terminated) may come before
    // the client library has noticed the connection is gone.
    const QString estado = error.nativeErrorCode();
    const bool dicho =
        db.driverName() == QStringLiteral("QPSQL") &&
        (estado.startsWith(QLatin1String("08")) || estado.startsWith(QLatin1String("57P0")));
    if (!dicho && archivoOcupado(error) && db.driverName() == QStringLiteral("QSQLITE"))
        return ErrorBD(textoArchivoOcupado(QUrl(db.databaseName()).toLocalFile()));
    if (!dicho && !conexionPerdida(db)) return ErrorBD(describir(error));
    if (db.connectionName() == QLatin1StringView(kNombreConexion) && AlPerderConexion &&
        QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), AlPerderConexion,
                                  Qt::QueuedConnection);
    return ErrorBD(kConexionPerdida, true);
}

/**
 * The statement with each ? outside quotes replaced by what marca gives for its place (from 0);
 * empty when the statement has more than cuantas of them, or fewer.
 */
QString sustituirMarcas(const QString& sql, qsizetype cuantas,
                        const std::function<QString(qsizetype)>& marca) {
    QString texto;
    texto.reserve(sql.size() + 16 * cuantas);
    QChar comilla;
    qsizetype usado = 0;
    for (const QChar c : sql) {
        if (!comilla.isNull()) {
            if (c == comilla) comilla = QChar();
        } else if (c == u'\'' || c == u'"') {
            comilla = c;
        } else if (c == u'?') {
            if (usado == cuantas) return {};
            texto += marca(usado++);
            continue;
        }
        texto += c;
    }
    return usado == cuantas ? texto : QString();
}

/**
 * The statement with its values written in as the driver itself writes them into an EXECUTE
 * (strings escaped by the server's own client library); empty when they do not match.
 */
QString conValores(const QSqlDatabase& db, const QString& sql, const QVariantList& valores) {
    return sustituirMarcas(sql, valores.size(), [&](qsizetype i) {
        QSqlField campo(QString(), valores[i].metaType());
        campo.setValue(valores[i]);
        return db.driver()->formatValue(campo);
    });
}

/**
 * The name a statement has in the server session of db, prepared there the first time: the
 * server then neither parses nor plans it again. Sessions are told apart by the client
 * connection and the server process, so a reconnected desk prepares its statements anew.
 */
QString preparadaEnSesion(const QSqlDatabase& db, const QString& sql, qsizetype cuantas) {
    PGconn* conexion = conexionServidor(db);
    if (!conexion) return {};
    const QString dolares =
        sustituirMarcas(sql, cuantas, [](qsizetype i) { return u'$' + QString::number(i + 1); });
    if (dolares.isEmpty()) return {};
    static QMutex candado;
    static QHash<QString, QHash<QString, QString>> porSesion;
    const QString sesion =
        QString::number(quintptr(conexion), 16) + u'.' + QString::number(PQbackendPID(conexion));
    const QMutexLocker bloqueo(&candado);
    QHash<QString, QString>& sentencias = porSesion[sesion];
    if (const auto hecha = sentencias.constFind(sql); hecha != sentencias.cend()) return *hecha;
    const QString nombre = QStringLiteral("torvane_%1").arg(sentencias.size() + 1);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PREPARE %1 AS %2").arg(nombre, dolares)))
        throw errorDe(db, q.lastError());
    sentencias.insert(sql, nombre);
    return nombre;
}

} // namespace

namespace {

QMutex candadoEsquemas;
QHash<QString, qint64> esquemasAbiertos; ///< by connection name
bool enTransaccion = false;              ///< the shared connection's

qint64 esquemaAbierto(const QSqlDatabase& db) {
    const QMutexLocker bloqueo(&candadoEsquemas);
    return esquemasAbiertos.value(db.connectionName());
}

const QString kAnoRecuperado = QStringLiteral(
    "El año se ha recuperado de una copia de seguridad en otro puesto después de abrirlo aquí: "
    "esto no se ha guardado. Cierre el año y vuelva a abrirlo para seguir con los datos "
    "recuperados.");

// One round trip: the year's write turn and the schema the year's name now resolves to.
const QString kTurnoServidor =
    QStringLiteral("BEGIN; SELECT pg_advisory_xact_lock(hashtext(current_schema())),"
                   " (SELECT oid::bigint FROM pg_namespace WHERE nspname = current_schema())");

/**
 * For a write of the shared connection outside a transaction: a statement that fails (dividing
 * by zero) when the year's name no longer leads to the schema opened here, sent in front of the
 * write so both run, or neither, in one round trip. Empty when there is nothing to check.
 */
QString comprobacionDelAno(const QSqlDatabase& db, const QString& sql) {
    static const QRegularExpression escritura(QStringLiteral("^\\s*(INSERT|UPDATE|DELETE)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (enTransaccion || db.connectionName() != QLatin1StringView(kNombreConexion)) return {};
    const qint64 abierto = esquemaAbierto(db);
    if (abierto == 0 || !escritura.match(sql).hasMatch()) return {};
    return QStringLiteral("SELECT 1 / (SELECT COUNT(*) FROM pg_namespace WHERE oid = %1"
                          " AND nspname = current_schema())::int; ")
        .arg(abierto);
}

} // namespace

QSqlQuery ejecutar(const QSqlDatabase& db, const QString& sql, const QVariantList& valores) {
    QSqlQuery consulta(db);
    consulta.setForwardOnly(true);
    // A server statement prepared, run and released is three round trips; written with its
    // values by the driver, one. A document save runs a dozen.
    if (db.driverName() == QStringLiteral("QPSQL")) {
        const QString texto = conValores(db, sql, valores);
        if (!texto.isEmpty()) {
            const QString comprobacion = comprobacionDelAno(db, sql);
            if (!consulta.exec(comprobacion + texto)) {
                if (!comprobacion.isEmpty() && consulta.lastError().nativeErrorCode() == u"22012" &&
                    !QSqlQuery(db).exec(comprobacion))
                    throw ErrorBD(kAnoRecuperado);
                throw errorDe(db, consulta.lastError());
            }
            // The write's own result, or its failure, follows the check's.
            if (!comprobacion.isEmpty() && !consulta.nextResult())
                throw errorDe(db, consulta.lastError());
            return consulta;
        }
    }
    if (!consulta.prepare(sql)) throw errorDe(db, consulta.lastError());
    for (const QVariant& valor : valores)
        consulta.addBindValue(valor);
    if (!consulta.exec()) throw errorDe(db, consulta.lastError());
    return consulta;
}

QSqlQuery ejecutarFrecuente(const QString& sql, const QVariantList& valores) {
    const QSqlDatabase db = Conexion();
    if (db.driverName() != QStringLiteral("QPSQL")) return ejecutar(db, sql, valores);
    const QString nombre = preparadaEnSesion(db, sql, valores.size());
    if (nombre.isEmpty()) return ejecutar(db, sql, valores);
    QString marcas = QStringLiteral("?, ").repeated(valores.size());
    marcas.chop(2);
    return ejecutar(db,
                    valores.isEmpty() ? QStringLiteral("EXECUTE ") + nombre
                                      : QStringLiteral("EXECUTE %1(%2)").arg(nombre, marcas),
                    valores);
}

Sentencia::Sentencia(QString sql)
    : sql_(std::move(sql)) {}

QSqlQuery& Sentencia::ejecutar(const QVariantList& valores) {
    const QSqlDatabase db = Conexion();
    if (db.driverName() == QStringLiteral("QPSQL")) {
        consulta_ = ejecutarFrecuente(sql_, valores);
        return consulta_;
    }
    if (!preparada_) {
        consulta_ = QSqlQuery(db);
        consulta_.setForwardOnly(true);
        if (!consulta_.prepare(sql_)) throw errorDe(db, consulta_.lastError());
        preparada_ = true;
    }
    for (qsizetype i = 0; i < valores.size(); ++i)
        consulta_.bindValue(static_cast<int>(i), valores[i]);
    if (!consulta_.exec()) throw errorDe(db, consulta_.lastError());
    return consulta_;
}

Cursor recorrer(const QString& sql, const QVariantList& valores, const QStringList& clave,
                bool descendente, const QSqlDatabase& db) {
    QStringList orden;
    for (const QString& columna : clave)
        orden << columna + (descendente ? QStringLiteral(" DESC") : QString());
    const QString ordenado = QStringLiteral(" ORDER BY ") + orden.join(QStringLiteral(", "));
    if (db.driverName() != QStringLiteral("QPSQL")) {
        auto q = std::make_shared<QSqlQuery>(ejecutar(db, sql + ordenado, valores));
        return [q]() -> const QSqlQuery* { return q->next() ? q.get() : nullptr; };
    }
    // A server hands over a whole result at once: 100,000 rows before the first is shown. Pages
    // come instead as the grid asks, each one after the last key read (never by position, which
    // rows written meanwhile by other desks would shift): every row comes once.
    constexpr int kPagina = 500;
    const QString pagina = QStringLiteral(" LIMIT %1").arg(kPagina);
    const QString envuelta = QStringLiteral("SELECT * FROM (%1) AS lista").arg(sql);
    const QString primera = envuelta + ordenado + pagina;
    const QString siguientes =
        envuelta +
        QStringLiteral(" WHERE (%1) %2 (%3)")
            .arg(clave.join(QStringLiteral(", ")),
                 descendente ? QStringLiteral("<") : QStringLiteral(">"),
                 QStringList(clave.size(), QStringLiteral("?")).join(QStringLiteral(", "))) +
        ordenado + pagina;
    struct Estado {
        QSqlQuery q;
        QList<int> columnas; ///< of the key, in q
        QVariantList ultima; ///< key of the last row handed over
        int enPagina = 0;
        bool fin = false;
    };
    auto e = std::make_shared<Estado>();
    return [e, primera, siguientes, valores, clave, db]() -> const QSqlQuery* {
        if (e->fin) return nullptr;
        if (!e->q.isActive() || !e->q.next()) {
            if (e->q.isActive() && e->enPagina < kPagina) {
                e->fin = true;
                return nullptr;
            }
            e->q = e->ultima.isEmpty() ? ejecutar(db, primera, valores)
                                       : ejecutar(db, siguientes, valores + e->ultima);
            e->enPagina = 0;
            if (!e->q.next()) {
                e->fin = true;
                return nullptr;
            }
            e->columnas.clear();
            const QSqlRecord registro = e->q.record();
            for (const QString& columna : clave)
                e->columnas << registro.indexOf(columna);
        }
        ++e->enPagina;
        e->ultima.clear();
        for (const int columna : e->columnas)
            e->ultima << e->q.value(columna);
        return &e->q;
    };
}

QVariant valorUnico(const QString& sql, const QVariantList& valores) {
    QSqlQuery consulta = ejecutar(sql, valores);
    return consulta.next() ? consulta.value(0) : QVariant();
}

void recordarEsquemaAbierto(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT oid::bigint FROM pg_namespace"
                               " WHERE nspname = current_schema()")) ||
        !q.next())
        return;
    const QMutexLocker bloqueo(&candadoEsquemas);
    esquemasAbiertos.insert(db.connectionName(), q.value(0).toLongLong());
}

Transaccion::Transaccion() {
    // Inside another one it joins it: it commits or rolls back with the outer.
    if (enTransaccion) {
        interior_ = true;
        return;
    }
    QSqlDatabase db = Conexion();
    // SQLite: take the write lock at the start, so what is read inside (next Id, next number)
    // cannot be taken by another writer before this one commits.
    if (db.driverName() == QStringLiteral("QSQLITE")) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) throw ErrorBD(describir(q.lastError()));
    } else {
        // A server's writers take turns per year as SQLite's do: the next Id and number read
        // inside stay free until this one commits. One round trip for both.
        QSqlQuery q(db);
        if (!q.exec(kTurnoServidor)) {
            const ErrorBD error = errorDe(db, q.lastError());
            db.rollback();
            throw error;
        }
        // The first result is BEGIN's; the row comes with the second.
        q.nextResult();
        q.next();
        const qint64 abierto = esquemaAbierto(db);
        if (abierto != 0 && (q.value(1).isNull() || q.value(1).toLongLong() != abierto)) {
            q.finish();
            db.rollback();
            throw ErrorBD(kAnoRecuperado);
        }
    }
    abierta_ = true;
    enTransaccion = true;
}

Transaccion::~Transaccion() {
    if (!abierta_) return;
    enTransaccion = false;
    Conexion().rollback();
}

void Transaccion::confirmar() {
    if (interior_) return;
    if (!Conexion().commit()) throw errorDe(Conexion(), Conexion().lastError());
    abierta_ = false;
    enTransaccion = false;
}

QString textoCampo(const QVariant& valor) {
    return valor.isNull() ? QString() : valor.toString();
}

QString marcadores(qsizetype n) {
    return QStringList(n, QStringLiteral("?")).join(QStringLiteral(", "));
}

QVariantList comoValores(const QList<int>& ids) {
    return QVariantList(ids.begin(), ids.end());
}

} // namespace torvane
