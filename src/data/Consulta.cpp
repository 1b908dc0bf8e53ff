#include "data/Consulta.h"

#include <QSqlError>

QSqlDatabase Conexion() { return QSqlDatabase::database(QLatin1StringView(kNombreConexion), false); }

ErrorBD::ErrorBD(const QString& texto)
    : std::runtime_error(texto.toStdString())
    , texto_(texto) {}

static QString describir(const QSqlError& error)
{
    QString detalle = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return QStringLiteral("Error de la base de datos: %1").arg(detalle);
}

QSqlQuery ejecutar(const QString& sql, const QVariantList& valores)
{
    return ejecutar(Conexion(), sql, valores);
}

QSqlQuery ejecutar(const QSqlDatabase& db, const QString& sql, const QVariantList& valores) {
    QSqlQuery consulta(db);
    consulta.setForwardOnly(true);
    if (!consulta.prepare(sql))
        throw ErrorBD(describir(consulta.lastError()));
    for (const QVariant& valor : valores)
        consulta.addBindValue(valor);
    if (!consulta.exec())
        throw ErrorBD(describir(consulta.lastError()));
    return consulta;
}

QVariant valorUnico(const QString& sql, const QVariantList& valores)
{
    QSqlQuery consulta = ejecutar(sql, valores);
    return consulta.next() ? consulta.value(0) : QVariant();
}

Transaccion::Transaccion()
{
    if (!Conexion().transaction())
        throw ErrorBD(describir(Conexion().lastError()));
    abierta_ = true;
}

Transaccion::~Transaccion()
{
    if (abierta_)
        Conexion().rollback();
}

void Transaccion::confirmar()
{
    if (!Conexion().commit())
        throw ErrorBD(describir(Conexion().lastError()));
    abierta_ = false;
}
