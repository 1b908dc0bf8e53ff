#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

namespace torvane {

/** Name of the one shared connection of the process. */
inline constexpr auto kNombreConexion = "Conexion";

/** The shared connection every window and lookup runs on. */
QSqlDatabase Conexion();

/**
 * Lets the shared connection's cache of the year's pages go back to the system, which still
 * holds them: before a long job that needs the memory more. They are read again as needed.
 */
void soltarCacheConexion();

/** The engine's own words for a failure, without a server's severity prefix. */
QString textoMotor(const QSqlError& error);

/** Whether the year file refused the statement because another program holds it. */
bool archivoOcupado(const QSqlError& error);

/**
 * What the user reads when another program still holds the year file after the engine's wait
 * (the connection's busy timeout): which file (unless the caller names it) and what to do.
 */
QString textoArchivoOcupado(const QString& archivo = {});

/** A failed database operation, with a Spanish description for the user. */
class ErrorBD : public std::runtime_error {
public:
    explicit ErrorBD(const QString& texto, bool sinConexion = false);
    QString texto() const { return texto_; }
    /** The server connection was lost, rather than the statement refused. */
    bool sinConexion() const { return sinConexion_; }

private:
    QString texto_;
    bool sinConexion_ = false;
};

/** A column's text, empty for NULL. */
QString textoCampo(const QVariant& valor);

/** "?, ?, ?": n placeholders for a statement's bound values. */
QString marcadores(qsizetype n);

/** Ids as bound values. */
QVariantList comoValores(const QList<int>& ids);

/** Whether db is a server connection the server has dropped (not a refused statement). */
bool conexionPerdida(const QSqlDatabase& db);

/**
 * Run on the interface thread, once per failure, when the shared connection to a server is
 * found lost; the program offers to reconnect there. Errors thrown meanwhile say so.
 */
extern std::function<void()> AlPerderConexion;

/**
 * Prepares and runs a statement with bound values on the shared connection.
 * Throws ErrorBD when the engine refuses it. The result is positioned before the first row.
 */
QSqlQuery ejecutar(const QString& sql, const QVariantList& valores = {});
/** The same on another connection (a reader of its own thread). */
QSqlQuery ejecutar(const QSqlDatabase& db, const QString& sql, const QVariantList& valores = {});
/**
 * ejecutar for the few statements run over and over, a document save's: on a server each is
 * prepared once per session, sparing the server its parsing and planning at every save.
 */
QSqlQuery ejecutarFrecuente(const QString& sql, const QVariantList& valores = {});

/**
 * One statement of the shared connection run over and over with new values (a batch of rows):
 * prepared once and rebound at each run on SQLite; on a server, as ejecutarFrecuente.
 */
class Sentencia {
public:
    explicit Sentencia(QString sql);
    /** Runs it with valores; throws ErrorBD as ejecutar() does. Valid until the next run. */
    QSqlQuery& ejecutar(const QVariantList& valores);

private:
    QString sql_;
    QSqlQuery consulta_;
    bool preparada_ = false;
};

/**
 * The rows of a long list as a grid reads them: each call positions on the next row, null after
 * the last. sql is a SELECT without ORDER BY; clave names output columns of it, never null, that
 * give one order (ascending, or descending with descendente). Each row comes once, in that order,
 * whatever other desks write meanwhile (rows they add ahead of the reader may come or not).
 * db is the connection it runs on (a reader of its own thread, or the shared one).
 */
using Cursor = std::function<const QSqlQuery*()>;
Cursor recorrer(const QString& sql, const QVariantList& valores, const QStringList& clave,
                bool descendente = false, const QSqlDatabase& db = Conexion());

/** First column of the first row, or an invalid QVariant when there is no row. */
QVariant valorUnico(const QString& sql, const QVariantList& valores = {});

/**
 * Remembers which schema the server connection db opened its year in, so a save refuses to
 * write into a year another desk has since replaced with a restore.
 */
void recordarEsquemaAbierto(const QSqlDatabase& db);

/**
 * Groups statements that must not half-happen. Commits only through confirmar();
 * leaving the scope otherwise rolls back. One opened inside another joins it, so functions
 * that guard their own changes can be run together as one.
 */
class Transaccion {
public:
    Transaccion();
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;
    void confirmar();

private:
    bool abierta_ = false;
    bool interior_ = false;
};

} // namespace torvane
