#include "data/Consulta.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <libpq-fe.h>
#include <memory>

QSqlDatabase Conexion() {
    return QSqlDatabase::database(QLatin1StringView(kNombreConexion), false);
}

ErrorBD::ErrorBD(const QString& texto)
    : std::runtime_error(texto.toStdString())
    , texto_(texto) {}

QString textoMotor(const QSqlError& error) {
    QString detalle = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    // A server prefixes its own messages (a guard's among them) with their severity.
    detalle.remove(QRegularExpression(QStringLiteral("^(ERROR|FATAL):\\s+")));
    return detalle.trimmed();
}

static QString describir(const QSqlError& error) {
    return QStringLiteral("Error de la base de datos: %1").arg(textoMotor(error));
}

QSqlQuery ejecutar(const QString& sql, const QVariantList& valores) {
    return ejecutar(Conexion(), sql, valores);
}

std::function<void()> AlPerderConexion;

bool conexionPerdida(const QSqlDatabase& db) {
    if (db.driverName() != QStringLiteral("QPSQL")) return false;
    // The driver closes a connection the server dropped once it notices.
    if (!db.isOpen() || !db.driver()) return true;
    const QVariant manejador = db.driver()->handle();
    if (qstrcmp(manejador.typeName(), "PGconn*") != 0) return false;
    PGconn* conexion = *static_cast<PGconn* const*>(manejador.data());
    return !conexion || PQstatus(conexion) == CONNECTION_BAD;
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
    if (!dicho && !conexionPerdida(db)) return ErrorBD(describir(error));
    if (db.connectionName() == QLatin1StringView(kNombreConexion) && AlPerderConexion &&
        QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), AlPerderConexion,
                                  Qt::QueuedConnection);
    return ErrorBD(kConexionPerdida);
}

} // namespace

/**
 * The statement with each ? outside quotes replaced by its value as the driver itself writes
 * it into an EXECUTE (strings escaped by the server's own client library); empty when the
 * values do not match the placeholders.
 */
QString conValores(const QSqlDatabase& db, const QString& sql, const QVariantList& valores) {
    QString texto;
    texto.reserve(sql.size() + 16 * valores.size());
    QChar comilla;
    qsizetype usado = 0;
    for (const QChar c : sql) {
        if (!comilla.isNull()) {
            if (c == comilla) comilla = QChar();
        } else if (c == u'\'' || c == u'"') {
            comilla = c;
        } else if (c == u'?') {
            if (usado == valores.size()) return {};
            const QVariant& v = valores[usado++];
            QSqlField campo(QString(), v.metaType());
            campo.setValue(v);
            texto += db.driver()->formatValue(campo);
            continue;
        }
        texto += c;
    }
    return usado == valores.size() ? texto : QString();
}

QSqlQuery ejecutar(const QSqlDatabase& db, const QString& sql, const QVariantList& valores) {
    QSqlQuery consulta(db);
    consulta.setForwardOnly(true);
    // A server statement prepared, run and released is three round trips; written with its
    // values by the driver, one. A document save runs a dozen.
    if (db.driverName() == QStringLiteral("QPSQL")) {
        const QString texto = conValores(db, sql, valores);
        if (!texto.isEmpty()) {
            if (!consulta.exec(texto)) throw errorDe(db, consulta.lastError());
            return consulta;
        }
    }
    if (!consulta.prepare(sql)) throw errorDe(db, consulta.lastError());
    for (const QVariant& valor : valores)
        consulta.addBindValue(valor);
    if (!consulta.exec()) throw errorDe(db, consulta.lastError());
    return consulta;
}

Cursor recorrer(const QString& sql, const QVariantList& valores) {
    if (Conexion().driverName() != QStringLiteral("QPSQL")) {
        auto q = std::make_shared<QSqlQuery>(ejecutar(sql, valores));
        return [q]() -> const QSqlQuery* { return q->next() ? q.get() : nullptr; };
    }
    // A server hands over a whole result at once: 100,000 rows before the first is shown.
    // Pages of the same ordered statement come instead, as the grid asks for them.
    constexpr int kPagina = 500;
    struct Estado {
        QSqlQuery q;
        int leidas = 0, enPagina = 0;
        bool fin = false;
    };
    auto e = std::make_shared<Estado>();
    return [e, sql, valores]() -> const QSqlQuery* {
        if (e->fin) return nullptr;
        if (!e->q.isActive() || !e->q.next()) {
            if (e->q.isActive() && e->enPagina < kPagina) {
                e->fin = true;
                return nullptr;
            }
            e->q = ejecutar(sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(kPagina).arg(e->leidas),
                            valores);
            e->enPagina = 0;
            if (!e->q.next()) {
                e->fin = true;
                return nullptr;
            }
        }
        ++e->leidas;
        ++e->enPagina;
        return &e->q;
    };
}

QVariant valorUnico(const QString& sql, const QVariantList& valores) {
    QSqlQuery consulta = ejecutar(sql, valores);
    return consulta.next() ? consulta.value(0) : QVariant();
}

Transaccion::Transaccion() {
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
        if (!q.exec(QStringLiteral(
                "BEGIN; SELECT pg_advisory_xact_lock(hashtext(current_schema()))"))) {
            const ErrorBD error = errorDe(db, q.lastError());
            db.rollback();
            throw error;
        }
    }
    abierta_ = true;
}

Transaccion::~Transaccion() {
    if (abierta_) Conexion().rollback();
}

void Transaccion::confirmar() {
    if (!Conexion().commit()) throw errorDe(Conexion(), Conexion().lastError());
    abierta_ = false;
}
