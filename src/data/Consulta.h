#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <stdexcept>

/** Name of the one shared connection of the process. */
inline constexpr auto kNombreConexion = "Conexion";

/** The shared connection every window and lookup runs on. */
QSqlDatabase Conexion();

/** A failed database operation, with a Spanish description for the user. */
class ErrorBD : public std::runtime_error {
public:
    explicit ErrorBD(const QString& texto);
    QString texto() const { return texto_; }

private:
    QString texto_;
};

/**
 * Prepares and runs a statement with bound values on the shared connection.
 * Throws ErrorBD when the engine refuses it. The result is positioned before the first row.
 */
QSqlQuery ejecutar(const QString& sql, const QVariantList& valores = {});
/** The same on another connection (a reader of its own thread). */
QSqlQuery ejecutar(const QSqlDatabase& db, const QString& sql, const QVariantList& valores = {});

/** First column of the first row, or an invalid QVariant when there is no row. */
QVariant valorUnico(const QString& sql, const QVariantList& valores = {});

/**
 * Groups statements that must not half-happen. Commits only through confirmar();
 * leaving the scope otherwise rolls back.
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
};
