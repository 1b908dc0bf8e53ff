#include "core/documents/Funciones.h"

#include "core/store/Consulta.h"

namespace torvane {

int SiguienteNumero(const QString& tabla, const QString& campo, const QString& serie) {
    const QString sql = QStringLiteral("SELECT MAX(%1) FROM %2").arg(campo, tabla);
    const QVariant maximo =
        serie.isEmpty() ? valorUnico(sql)
                        : valorUnico(sql + QStringLiteral(" WHERE upper(Ser) = upper(?)"), {serie});
    return maximo.isNull() ? 1 : maximo.toInt() + 1;
}

int SiguienteLinea(const QString& tabla, const QString& campo, const QString& campoClave,
                   int clave) {
    const QVariant maximo = valorUnico(
        QStringLiteral("SELECT MAX(%1) FROM %2 WHERE %3 = ?").arg(campo, tabla, campoClave),
        {clave});
    return maximo.isNull() ? 1 : maximo.toInt() + 1;
}

bool ExisteNumero(const QString& tabla, const QString& campo, int numero, const QString& serie) {
    const QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(tabla, campo);
    if (serie.isEmpty()) return valorUnico(sql, {numero}).isValid();
    return valorUnico(sql + QStringLiteral(" AND upper(Ser) = upper(?)"), {numero, serie})
        .isValid();
}

bool ExisteValor(const QString& tabla, const QString& campo, const QString& valor) {
    return valorUnico(
               QStringLiteral("SELECT 1 FROM %1 WHERE pliegue(%2) = pliegue(?)").arg(tabla, campo),
               {valor})
        .isValid();
}

QString DescripcionDeCodigo(const QString& tabla, const QString& campoCodigo,
                            const QString& campoDescripcion, int codigo) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(campoDescripcion, tabla, campoCodigo),
        {codigo});
    return q.next() ? q.value(0).toString() : kNoEncontrado;
}

int CodigoDeDescripcion(const QString& tabla, const QString& campoDescripcion,
                        const QString& campoCodigo, const QString& descripcion) {
    const QVariant codigo =
        valorUnico(QStringLiteral("SELECT %1 FROM %2 WHERE pliegue(%3) = pliegue(?) ORDER BY %1")
                       .arg(campoCodigo, tabla, campoDescripcion),
                   {descripcion});
    return codigo.isValid() ? codigo.toInt() : 0;
}

int InquilinoDeInmueble(int idInmueble) {
    const QVariant id =
        valorUnico(QStringLiteral("SELECT IdInq FROM tblInmuebles WHERE Id = ?"), {idInmueble});
    return id.isValid() ? id.toInt() : 0;
}

int TipoIvaDePorcentaje(Decimal porcentaje) {
    // Compared as read back, whatever the column's precision (5,2 in single precision is
    // 5,19999980...); the table holds a handful of rows.
    QSqlQuery q = ejecutar(QStringLiteral("SELECT TIV, IVA FROM tblIva ORDER BY TIV"));
    while (q.next())
        if (decimalGuardado(q.value(1)) == porcentaje) return q.value(0).toInt();
    return -1;
}

Decimal tasaIvaDeTipo(int tipo) {
    return decimalGuardado(
        valorUnico(QStringLiteral("SELECT IVA FROM tblIva WHERE TIV = ?"), {tipo}));
}

QVariant Trimestre(int mes) {
    if (mes < 1 || mes > 12) return {};
    return (mes - 1) / 3 + 1;
}

} // namespace torvane
