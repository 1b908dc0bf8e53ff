#include "data/Comprobacion.h"

#include "data/Consulta.h"
#include "data/Documentos.h"
#include "data/Formato.h"
#include "data/Migraciones.h"

#include <QDateTime>
#include <QSet>
#include <cmath>

namespace {

bool distinto(double a, double b) {
    return std::fabs(a - b) >= 0.005;
}

/** Ids of the documents with a line whose stored amount is not units × price to the cent. */
QSet<int> lineasMal() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdDoc, Und, Pre, Imp FROM tblCobrosDetalles"));
    QSet<int> ids;
    while (q.next())
        if (distinto(q.value(3).toDouble(),
                     redondearCentimos(q.value(1).toDouble() * q.value(2).toDouble())))
            ids.insert(q.value(0).toInt());
    return ids;
}

void revisarCabeceras(Comprobacion& c) {
    const QSet<int> mal = lineasMal();
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT tblCobros.Id, COALESCE(tblCobros.Num, '') || COALESCE(tblCobros.Ser, ''),"
        " PorRet, PorIva, SubTotal, Base, IVA, Ret, Tot, d.Suma, d.Cuenta"
        " FROM tblCobros LEFT JOIN (SELECT IdDoc, SUM(Imp) AS Suma, COUNT(*) AS Cuenta"
        " FROM tblCobrosDetalles GROUP BY IdDoc) AS d ON d.IdDoc = tblCobros.Id"
        " ORDER BY tblCobros.Ser, tblCobros.Num"));
    while (q.next()) {
        const QString numero = q.value(1).toString();
        if (q.value(10).isNull()) {
            c.sinLineas << numero;
            continue;
        }
        const Totales t =
            calcularTotales(q.value(9).toDouble(), q.value(2).toDouble(), q.value(3).toDouble());
        const double esperado[]{t.subtotal, t.base, t.iva, t.retencion, t.total};
        bool igual = !mal.contains(q.value(0).toInt());
        for (int i = 0; i < 5 && igual; ++i)
            igual = !distinto(q.value(4 + i).toDouble(), esperado[i]);
        if (!igual) c.totalesMal << numero;
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

Comprobacion comprobarDocumentos() {
    Comprobacion c;
    revisarCabeceras(c);
    QSqlQuery q = ejecutar(
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
