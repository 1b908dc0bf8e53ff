#include "core/registers/Editores.h"

#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"

#include <QSqlRecord>
#include <functional>

namespace torvane {

namespace {

using Formateo = std::function<QString(int columna, const QVariant& valor)>;

QString comoTexto(int, const QVariant& valor) {
    return valor.isNull() ? QString() : valor.toString();
}

QList<QStringList> leerFilas(const QString& sql, const QVariantList& valores = {},
                             const Formateo& formateo = comoTexto) {
    QSqlQuery consulta = ejecutar(sql, valores);
    const int columnas = consulta.record().count();
    QList<QStringList> filas;
    while (consulta.next()) {
        QStringList fila;
        for (int c = 0; c < columnas; ++c)
            fila << formateo(c, consulta.value(c));
        filas << fila;
    }
    return filas;
}

} // namespace

namespace Editores {

QList<QStringList> conceptos() {
    return leerFilas(QStringLiteral("SELECT Des, Imp, Obs, Id FROM tblCobrosConceptos ORDER BY Id"),
                     {}, [](int c, const QVariant& v) {
                         return c == 1 ? importeGuardado(v).texto() : comoTexto(c, v);
                     });
}

QList<QStringList> tiposIva() {
    return leerFilas(
        QStringLiteral("SELECT TIV, IVA, Req, CASE WHEN Activo <> 0 THEN 'SÍ' ELSE 'NO' END"
                       " FROM tblIva"),
        {}, [](int c, const QVariant& v) {
            const bool porcentaje = c == 1 || c == 2;
            return porcentaje && !v.isNull() ? decimalGuardado(v).texto() : comoTexto(c, v);
        });
}

QList<QStringList> familiares(int idInq) {
    return leerFilas(QStringLiteral("SELECT Nom, DNI, Obs, Id FROM tblInquilinosFamiliares"
                                    " WHERE IdInq = ? ORDER BY Nom"),
                     {idInq});
}

QList<QStringList> cuentas(int idInq) {
    return leerFilas(
        QStringLiteral("SELECT IBAN, Banco, MndRef, MndFec, CASE WHEN MndPri <> 0 THEN 'SÍ'"
                       " ELSE 'NO' END, Obs, Id FROM tblInquilinosCuentas"
                       " WHERE IdInq = ? ORDER BY Banco"),
        {idInq}, [](int c, const QVariant& v) {
            if (c == 0) return ibanAgrupado(comoTexto(c, v));
            if (c == 3) return formatoFecha(desdeIso(comoTexto(c, v)));
            return comoTexto(c, v);
        });
}

QList<QStringList> series() {
    return leerFilas(QStringLiteral("SELECT Id, Cod, Des FROM tblSeriesF ORDER BY Id"));
}

Resultado<int> insertarConNuevoId(const QString& tabla, const QStringList& campos,
                                  const QVariantList& valores) {
    return intentar([&]() -> int {
        const QString marcas = QStringList(campos.size(), QStringLiteral("?")).join(u", ");
        Transaccion t;
        QSqlQuery q = ejecutar(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING Id")
                                   .arg(tabla, campos.join(u", "), marcas),
                               valores);
        const int id = q.next() ? q.value(0).toInt() : 0;
        q.finish();
        t.confirmar();
        return id;
    });
}

Resultado<> actualizarPorId(const QString& tabla, int id, const QStringList& campos,
                            const QVariantList& valores) {
    return intentar([&]() -> void {
        ejecutar(QStringLiteral("UPDATE %1 SET %2 = ? WHERE Id = ?")
                     .arg(tabla, campos.join(QStringLiteral(" = ?, "))),
                 valores + QVariantList{id});
    });
}

Resultado<> borrarFila(const QString& tabla, const QString& campoClave, int clave) {
    return intentar([&]() -> void {
        ejecutar(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(tabla, campoClave), {clave});
    });
}

QString problemaTipoIva(const QString& texto, std::optional<int> anterior) {
    const std::optional<int> tiv = leerEntero(texto.trimmed());
    if (!tiv) return QStringLiteral("El tipo de IVA debe ser un número entero");
    if (*tiv != anterior && ExisteNumero(QStringLiteral("tblIva"), QStringLiteral("TIV"), *tiv))
        return QStringLiteral("Ya existe el tipo de IVA %1, ponga otro").arg(*tiv);
    return {};
}

void guardarTipoIva(int tiv, Decimal iva, Decimal req, bool activo, std::optional<int> anterior) {
    const QVariantList valores{tiv, guardar(iva), guardar(req), activo ? 1 : 0};
    if (anterior)
        ejecutar(QStringLiteral("UPDATE tblIva SET TIV = ?, IVA = ?, Req = ?, Activo = ?"
                                " WHERE TIV = ?"),
                 valores + QVariantList{*anterior});
    else
        ejecutar(QStringLiteral("INSERT INTO tblIva (TIV, IVA, Req, Activo) VALUES (?, ?, ?, ?)"),
                 valores);
}

bool serieUsada(const QString& cod) {
    return valorUnico(QStringLiteral("SELECT 1 FROM tblCobros WHERE Ser = ? LIMIT 1"), {cod})
        .isValid();
}

QString problemaSerie(const QString& cod, int id) {
    if (cod.trimmed().isEmpty()) return QStringLiteral("Ponga una serie");
    if (valorUnico(QStringLiteral("SELECT 1 FROM tblSeriesF WHERE Cod = ? AND Id <> ?"), {cod, id})
            .isValid())
        return QStringLiteral("Ya existe la serie %1, ponga otra").arg(cod);
    return {};
}

} // namespace Editores

} // namespace torvane
