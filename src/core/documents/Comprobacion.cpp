#include "core/documents/Comprobacion.h"

#include "core/documents/Documentos.h"
#include "core/store/Consulta.h"
#include "core/store/Migraciones.h"
#include "core/text/Formato.h"
#include "core/text/Plegado.h"

#include <QDateTime>
#include <sqlite3.h>

namespace torvane {

namespace {

Importe importe(sqlite3_value* v) {
    return Importe::deCentimos(sqlite3_value_int64(v));
}

Decimal decimal(sqlite3_value* v) {
    return Decimal::desdeReal(sqlite3_value_double(v));
}

// importeLinea(und, pre): the program's own line amount, so SQLite compares each line as the
// program would.
void sqlImporteLinea(sqlite3_context* contexto, int, sqlite3_value** v) {
    const auto imp = importe(v[1]).por(decimal(v[0]));
    if (imp)
        sqlite3_result_int64(contexto, imp->centimos());
    else
        sqlite3_result_null(contexto);
}

/** Totals given as the sum of the lines, the two rates and the five stored totals. */
struct TotalesGuardados {
    Importe suma;
    Decimal porRet, porIva;
    Importe guardados[5]; // SubTotal, Base, IVA, Ret, Tot
};

bool totalesMal(const TotalesGuardados& g) {
    const auto t = calcularTotales(g.suma, g.porRet, g.porIva);
    if (!t) return true;
    const Importe esperado[]{t->subtotal, t->base, t->iva, t->retencion, t->total};
    for (int i = 0; i < 5; ++i)
        if (g.guardados[i] != esperado[i]) return true;
    return false;
}

// totalesMal(suma, porRet, porIva, SubTotal, Base, IVA, Ret, Tot): whether the stored totals
// disagree with what calcularTotales gives for the sum of the lines.
void sqlTotalesMal(sqlite3_context* contexto, int, sqlite3_value** v) {
    TotalesGuardados g{importe(v[0]), decimal(v[1]), decimal(v[2]), {}};
    for (int i = 0; i < 5; ++i)
        g.guardados[i] = importe(v[3 + i]);
    sqlite3_result_int(contexto, totalesMal(g) ? 1 : 0);
}

// The check runs at every start: reading a year of 100,000 documents into Qt to compare it
// took seconds, so SQLite compares with the program's own rules and returns only what is wrong.
// A server has importeLinea() of its own; the totals are compared here.
bool registrarFunciones(const QSqlDatabase& base) {
    sqlite3* db = manejadorSqlite(base);
    if (!db) return false;
    const int banderas = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(db, "importeLinea", 2, banderas, nullptr, sqlImporteLinea,
                                   nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "totalesMal", 8, banderas, nullptr, sqlTotalesMal, nullptr,
                                   nullptr, nullptr) != SQLITE_OK)
        throw ErrorBD(QString::fromUtf8(sqlite3_errmsg(db)));
    return true;
}

const QString kNumeroSerie =
    QStringLiteral("COALESCE(CAST(tblCobros.Num AS TEXT), '') || COALESCE(tblCobros.Ser, '')");

void revisarCabeceras(const QSqlDatabase& db, Comprobacion& c) {
    const bool enSqlite = registrarFunciones(db);
    QSqlQuery q = ejecutar(
        db,
        QStringLiteral(
            "SELECT %1, d.Cuenta IS NULL, d.LineaMal, d.Suma, PorRet, PorIva, SubTotal, Base, IVA, "
            "Ret, Tot"
            " FROM tblCobros LEFT JOIN (SELECT IdDoc, SUM(Imp) AS Suma, COUNT(*) AS Cuenta,"
            " MAX(CASE WHEN COALESCE(Imp, 0) <> COALESCE(importeLinea(COALESCE(Und, 0),"
            " COALESCE(Pre, 0)), Imp + 1) THEN 1 ELSE 0 END) AS LineaMal"
            " FROM tblCobrosDetalles GROUP BY IdDoc) AS d ON d.IdDoc = tblCobros.Id"
            " WHERE d.Cuenta IS NULL OR d.LineaMal = 1 %2"
            " ORDER BY tblCobros.Ser, tblCobros.Num")
            .arg(kNumeroSerie,
                 enSqlite
                     ? QStringLiteral(
                           "OR totalesMal(d.Suma, PorRet, PorIva, SubTotal, Base, IVA, Ret, Tot)")
                     : QStringLiteral("OR TRUE")));
    while (q.next()) {
        if (q.value(1).toBool()) {
            c.sinLineas << q.value(0).toString();
            continue;
        }
        TotalesGuardados g{importeGuardado(q.value(3)),
                           decimalGuardado(q.value(4)),
                           decimalGuardado(q.value(5)),
                           {}};
        for (int i = 0; i < 5; ++i)
            g.guardados[i] = importeGuardado(q.value(6 + i));
        // SQLite sent only the wrong ones; a server sends every document.
        if (enSqlite || q.value(2).toInt() == 1 || totalesMal(g))
            c.totalesMal << q.value(0).toString();
    }
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
        db, QStringLiteral("SELECT MIN(%1), COUNT(*) FROM tblCobros"
                           " GROUP BY upper(Ser), Num HAVING COUNT(*) > 1 ORDER BY upper(Ser), Num")
                .arg(kNumeroSerie));
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
            Linea l;
            l.und = decimalGuardado(lineas.value(1));
            l.pre = importeGuardado(lineas.value(2));
            const Importe imp = lineaCon(l).valorOLanzar().imp;
            // Compared as stored: a REAL that is not a whole number of cents is rewritten too.
            if (guardar(imp) != lineas.value(3)) cambios.append({guardar(imp), lineas.value(0)});
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

} // namespace torvane
