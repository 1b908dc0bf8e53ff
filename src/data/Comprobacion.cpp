#include "data/Comprobacion.h"

#include "data/Consulta.h"
#include "data/Documentos.h"
#include "data/Formato.h"
#include "data/Migraciones.h"
#include "data/Plegado.h"

#include <QDateTime>
#include <cmath>
#include <sqlite3.h>

namespace {

bool distinto(double a, double b) {
    return std::fabs(a - b) >= 0.005;
}

double valor(sqlite3_value* v) {
    return sqlite3_value_double(v);
}

// centimos(x): the program's own rounding, so SQLite compares each line as the program would.
void sqlCentimos(sqlite3_context* contexto, int, sqlite3_value** v) {
    sqlite3_result_double(contexto, redondearCentimos(valor(v[0])));
}

// totalesMal(suma, porRet, porIva, SubTotal, Base, IVA, Ret, Tot): whether the stored totals
// disagree with what calcularTotales gives for the sum of the lines.
void sqlTotalesMal(sqlite3_context* contexto, int, sqlite3_value** v) {
    const Totales t = calcularTotales(valor(v[0]), valor(v[1]), valor(v[2]));
    const double esperado[]{t.subtotal, t.base, t.iva, t.retencion, t.total};
    bool mal = false;
    for (int i = 0; i < 5 && !mal; ++i)
        mal = distinto(valor(v[3 + i]), esperado[i]);
    sqlite3_result_int(contexto, mal ? 1 : 0);
}

// The check runs at every start: reading a year of 100,000 documents into Qt to compare it
// took seconds, so SQLite compares with the program's own rules and returns only what is wrong.
void registrarFunciones(const QSqlDatabase& base) {
    sqlite3* db = manejadorSqlite(base);
    if (!db) throw ErrorBD(QStringLiteral("La comprobación necesita una base de datos SQLite"));
    const int banderas = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(db, "centimos", 1, banderas, nullptr, sqlCentimos, nullptr,
                                   nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "totalesMal", 8, banderas, nullptr, sqlTotalesMal, nullptr,
                                   nullptr, nullptr) != SQLITE_OK)
        throw ErrorBD(QString::fromUtf8(sqlite3_errmsg(db)));
}

void revisarCabeceras(const QSqlDatabase& db, Comprobacion& c) {
    registrarFunciones(db);
    QSqlQuery q = ejecutar(
        db,
        QStringLiteral(
            "SELECT COALESCE(tblCobros.Num, '') || COALESCE(tblCobros.Ser, ''), d.Cuenta IS NULL"
            " FROM tblCobros LEFT JOIN (SELECT IdDoc, SUM(Imp) AS Suma, COUNT(*) AS Cuenta,"
            " MAX(abs(COALESCE(Imp, 0) - centimos(COALESCE(Und, 0) * COALESCE(Pre, 0)))"
            " >= 0.005) AS LineaMal"
            " FROM tblCobrosDetalles GROUP BY IdDoc) AS d ON d.IdDoc = tblCobros.Id"
            " WHERE d.Cuenta IS NULL OR d.LineaMal"
            " OR totalesMal(d.Suma, PorRet, PorIva, SubTotal, Base, IVA, Ret, Tot)"
            " ORDER BY tblCobros.Ser, tblCobros.Num"));
    while (q.next())
        (q.value(1).toBool() ? c.sinLineas : c.totalesMal) << q.value(0).toString();
}

QString lista(const QStringList& numeros) {
    const qsizetype maximo = 20;
    QString texto = numeros.mid(0, maximo).join(QStringLiteral(", "));
    if (numeros.size() > maximo) texto += QStringLiteral(" y %1 más").arg(numeros.size() - maximo);
    return texto;
}

} // namespace

QString Comprobacion::texto() const {
    QStringList partes;
    if (!totalesMal.isEmpty())
        partes << QStringLiteral("Documentos cuyos totales no cuadran con sus líneas (%1): %2.")
                      .arg(totalesMal.size())
                      .arg(lista(totalesMal));
    if (!sinLineas.isEmpty())
        partes << QStringLiteral("Documentos sin ninguna línea (%1): %2.")
                      .arg(sinLineas.size())
                      .arg(lista(sinLineas));
    if (!repetidos.isEmpty())
        partes << QStringLiteral("Números repetidos en su serie (%1): %2. Cambie el número en la "
                                 "hoja de uno de ellos.")
                      .arg(repetidos.size())
                      .arg(lista(repetidos));
    return partes.join(QStringLiteral("\n\n"));
}

Comprobacion comprobarDocumentos(const QSqlDatabase& db) {
    Comprobacion c;
    revisarCabeceras(db, c);
    QSqlQuery q = ejecutar(
        db,
        QStringLiteral("SELECT MIN(COALESCE(Num, '') || COALESCE(Ser, '')), COUNT(*) FROM tblCobros"
                       " GROUP BY upper(Ser), Num HAVING COUNT(*) > 1 ORDER BY upper(Ser), Num"));
    while (q.next())
        c.repetidos << QStringLiteral("%1 (%2 documentos)")
                           .arg(q.value(0).toString())
                           .arg(q.value(1).toInt());
    return c;
}

QString repararDocumentos(const QString& rutaBD) {
    QSqlDatabase db = Conexion();
    const QString copia = rutaBD + QStringLiteral(".antes-de-reparar-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (const QString error = copiaVerificada(db, copia); !error.isEmpty())
        return QStringLiteral("No se pudo guardar una copia antes de reparar (%1); no se ha "
                              "cambiado nada.")
            .arg(error);
    try {
        Transaccion t;
        ejecutar(
            QStringLiteral("DELETE FROM tblCobros WHERE NOT EXISTS (SELECT 1 FROM"
                           " tblCobrosDetalles WHERE tblCobrosDetalles.IdDoc = tblCobros.Id)"));
        QSqlQuery lineas =
            ejecutar(QStringLiteral("SELECT Id, Und, Pre, Imp FROM tblCobrosDetalles"));
        QList<QVariantList> cambios;
        while (lineas.next()) {
            const double imp =
                redondearCentimos(lineas.value(1).toDouble() * lineas.value(2).toDouble());
            if (distinto(imp, lineas.value(3).toDouble())) cambios.append({imp, lineas.value(0)});
        }
        for (const QVariantList& cambio : cambios)
            ejecutar(QStringLiteral("UPDATE tblCobrosDetalles SET Imp = ? WHERE Id = ?"), cambio);
        QSqlQuery q = ejecutar(QStringLiteral("SELECT Id FROM tblCobros"));
        QList<int> ids;
        while (q.next())
            ids << q.value(0).toInt();
        for (int id : ids)
            reescribirTotales(id);
        t.confirmar();
    } catch (const ErrorBD& error) {
        return error.texto();
    }
    asegurarNumerosUnicos(db);
    return {};
}
