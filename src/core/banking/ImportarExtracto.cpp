// Applying a statement's chosen proposals, and undoing one import whole.
#include "core/banking/Conciliacion.h"

#include "core/banking/Remesas.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <QFileInfo>

namespace torvane {

namespace {

QVariantList valores(const QList<int>& ids) {
    QVariantList lista;
    for (int id : ids)
        lista << id;
    return lista;
}

QList<int> enteros(QSqlQuery q) {
    QList<int> lista;
    while (q.next())
        lista << q.value(0).toInt();
    return lista;
}

QString tipoDe(Operacion o) {
    switch (o) {
    case Operacion::Pagar:
        return QStringLiteral("P");
    case Operacion::CobrarRemesa:
        return QStringLiteral("R");
    case Operacion::Devolver:
        break;
    }
    return QStringLiteral("D");
}

/** The documents a proposal pays, after checking nobody paid or remitted them meanwhile. */
QList<int> pagar(const Propuesta& p, const Movimiento& m) {
    for (const EstadoDocumento& e : leerEstados(p.documentos))
        if (e.pagado || e.anulado || e.remesa != 0)
            throw ErrorBD(QStringLiteral("El documento %1 ya no está pendiente. Vuelva a leer el "
                                         "extracto.")
                              .arg(e.numero));
    marcarPagados(p.documentos, Pago{m.fecha, QStringLiteral("Transferencia")}).valorOLanzar();
    return p.documentos;
}

/** The remittance's documents the bank paid now, on the day the money came. */
QList<int> cobrarRemesa(const Propuesta& p, const Movimiento& m) {
    if (valorUnico(QStringLiteral("SELECT 1 FROM tblRemesas WHERE Id = ? AND Pag = 0"), {p.remesa})
            .isNull())
        throw ErrorBD(QStringLiteral("La remesa nº %1 ya está cobrada. Vuelva a leer el extracto.")
                          .arg(p.remesa));
    const QList<int> docs = enteros(ejecutar(
        QStringLiteral("SELECT d.IdDoc FROM tblRemesasCobros d JOIN tblCobros c ON c.Id = d.IdDoc"
                       " WHERE d.IdRem = ? AND d.Dev = 0 AND c.Pag = 0"),
        {p.remesa}));
    marcarRemesaCobrada(p.remesa).valorOLanzar();
    if (!docs.isEmpty())
        ejecutar(QStringLiteral("UPDATE tblCobros SET FecPag = ? WHERE Id IN (%1)")
                     .arg(marcadores(docs.size())),
                 QVariantList{fechaIso(m.fecha)} + valores(docs));
    return docs;
}

/** The documents the returned debit reopens. */
QList<int> devolver(const Propuesta& p, const Movimiento& m) {
    const QList<int> docs = enteros(ejecutar(
        QStringLiteral("SELECT o.IdDoc FROM tblRemesasCobros d JOIN tblRemesasCobros o ON"
                       " o.IdRem = d.IdRem AND o.IdCta = d.IdCta AND o.Dev = 0 WHERE d.Id = ?"),
        {p.idCobro}));
    devolverCobro(p.idCobro, m.fecha, p.motivo).valorOLanzar();
    return docs;
}

void aplicarUna(int idImp, const Movimiento& m, const QString& clave, const Propuesta& p) {
    if (!valorUnico(QStringLiteral("SELECT 1 FROM tblMovimientos WHERE Cla = ?"), {clave}).isNull())
        throw ErrorBD(
            QStringLiteral("El movimiento del %1 de %2 € ya se aplicó en otra importación.")
                .arg(formatoFecha(m.fecha), Importe::deCentimos(m.centimos).texto()));
    const QList<int> docs = p.operacion == Operacion::Pagar          ? pagar(p, m)
                            : p.operacion == Operacion::CobrarRemesa ? cobrarRemesa(p, m)
                                                                     : devolver(p, m);
    const int idMov = SiguienteNumero(QStringLiteral("tblMovimientos"), QStringLiteral("Id"));
    ejecutar(QStringLiteral("INSERT INTO tblMovimientos (Id, IdImp, Cla, Cta, Fec, Imp, Txt, Tip,"
                            " IdRem, IdCobRem) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {idMov, idImp, clave, m.cuenta, fechaIso(m.fecha), m.centimos,
              (m.concepto + u' ' + m.referencia).simplified().left(500), tipoDe(p.operacion),
              p.remesa, p.idCobro});
    for (int doc : docs)
        ejecutar(QStringLiteral("INSERT INTO tblMovimientosCobros (IdMov, IdDoc) VALUES (?, ?)"),
                 {idMov, doc});
    if (!docs.isEmpty())
        ejecutar(QStringLiteral("UPDATE tblCobros SET IdMov = ? WHERE Id IN (%1)")
                     .arg(marcadores(docs.size())),
                 QVariantList{idMov} + valores(docs));
}

/** Why the movement's documents can no longer be undone: the first one changed since. */
void exigirIntactos(int idMov, const QString& tipo, const QList<int>& docs) {
    const QString cambiado =
        tipo == QLatin1String("D")
            ? QStringLiteral("c.Pag <> 0 OR EXISTS (SELECT 1 FROM tblRemesasCobros r WHERE"
                             " r.IdDoc = c.Id AND r.Dev = 0)")
            : QStringLiteral("c.Pag = 0");
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT c.Num, c.Ser FROM tblCobros c WHERE c.Id IN (%1) AND"
                                " (COALESCE(c.IdMov, 0) <> ? OR %2)")
                     .arg(marcadores(docs.size()), cambiado),
                 valores(docs) + QVariantList{idMov});
    if (q.next())
        throw ErrorBD(QStringLiteral("No se puede deshacer: el documento %1 cambió después de "
                                     "importar el extracto (otro pago, una devolución o una "
                                     "remesa).")
                          .arg(q.value(0).toString() + q.value(1).toString()));
}

void deshacerMovimiento(int idMov, const QString& tipo, int idRem) {
    const QList<int> docs = enteros(ejecutar(
        QStringLiteral("SELECT IdDoc FROM tblMovimientosCobros WHERE IdMov = ?"), {idMov}));
    if (docs.isEmpty()) return;
    exigirIntactos(idMov, tipo, docs);
    const QString lista = marcadores(docs.size());
    if (tipo == QLatin1String("P")) {
        marcarPendientes(docs).valorOLanzar();
    } else if (tipo == QLatin1String("R")) {
        ejecutar(QStringLiteral("UPDATE tblCobros SET Pag = 0, FecPag = NULL, ForPag = NULL WHERE"
                                " Id IN (%1)")
                     .arg(lista),
                 valores(docs));
        ejecutar(QStringLiteral("UPDATE tblRemesas SET Pag = 0 WHERE Id = ?"), {idRem});
    } else {
        // The debit stands again, as it was: paid if its remittance was.
        ejecutar(QStringLiteral("UPDATE tblInquilinosCuentas SET MndPri = 1 WHERE Id IN (SELECT"
                                " IdCta FROM tblRemesasCobros WHERE IdRem = ? AND IdDoc IN (%1))")
                     .arg(lista),
                 QVariantList{idRem} + valores(docs));
        ejecutar(QStringLiteral("UPDATE tblRemesasCobros SET Dev = 0, DevFec = NULL, DevMot = NULL"
                                " WHERE IdRem = ? AND Dev <> 0 AND IdDoc IN (%1)")
                     .arg(lista),
                 QVariantList{idRem} + valores(docs));
        ejecutar(QStringLiteral("UPDATE tblCobros SET Pag = 1, FecPag = (SELECT FecCob FROM"
                                " tblRemesas WHERE Id = ?), ForPag = ? WHERE Id IN (%1) AND"
                                " EXISTS (SELECT 1 FROM tblRemesas WHERE Id = ? AND Pag <> 0)")
                     .arg(lista),
                 QVariantList{idRem, kDomiciliacion} + valores(docs) + QVariantList{idRem});
    }
    ejecutar(QStringLiteral("UPDATE tblCobros SET IdMov = NULL WHERE Id IN (%1)").arg(lista),
             valores(docs));
}

} // namespace

Resultado<int> aplicarConciliacion(const Conciliacion& c, const QList<Propuesta>& elegidas,
                                   const QString& archivo) {
    if (elegidas.isEmpty()) return Fallo{QStringLiteral("No hay ningún movimiento elegido.")};
    return intentar([&] {
        Transaccion t;
        const int idImp = SiguienteNumero(QStringLiteral("tblImportaciones"), QStringLiteral("Id"));
        ejecutar(
            QStringLiteral("INSERT INTO tblImportaciones (Id, Fec, Arc, Num) VALUES (?, ?, ?, ?)"),
            {idImp, fechaIso(Hoy()), QFileInfo(archivo).fileName(), elegidas.size()});
        const QStringList claves = clavesMovimientos(c.movimientos);
        for (const Propuesta& p : elegidas)
            aplicarUna(idImp, c.movimientos.at(p.movimiento), claves.at(p.movimiento), p);
        t.confirmar();
        return idImp;
    });
}

QList<Importacion> importaciones() {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT Id, Fec, Arc, Num, Des FROM tblImportaciones ORDER BY Id DESC"));
    QList<Importacion> lista;
    while (q.next())
        lista.append({q.value(0).toInt(), desdeIso(q.value(1).toString()), q.value(2).toString(),
                      q.value(3).toInt(), q.value(4).toInt() != 0});
    return lista;
}

Resultado<> deshacerImportacion(int id) {
    return intentar([id] {
        Transaccion t;
        const QVariant deshecha =
            valorUnico(QStringLiteral("SELECT Des FROM tblImportaciones WHERE Id = ?"), {id});
        if (!deshecha.isValid()) throw ErrorBD(QStringLiteral("Esa importación ya no existe."));
        if (deshecha.toInt() != 0)
            throw ErrorBD(QStringLiteral("Esa importación ya está deshecha."));
        QSqlQuery q =
            ejecutar(QStringLiteral("SELECT Id, Tip, IdRem FROM tblMovimientos WHERE IdImp"
                                    " = ? ORDER BY Id DESC"),
                     {id});
        QList<std::tuple<int, QString, int>> movimientos;
        while (q.next())
            movimientos.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt()});
        for (const auto& [idMov, tipo, idRem] : std::as_const(movimientos))
            deshacerMovimiento(idMov, tipo, idRem);
        ejecutar(QStringLiteral("DELETE FROM tblMovimientosCobros WHERE IdMov IN (SELECT Id FROM"
                                " tblMovimientos WHERE IdImp = ?)"),
                 {id});
        ejecutar(QStringLiteral("DELETE FROM tblMovimientos WHERE IdImp = ?"), {id});
        ejecutar(QStringLiteral("UPDATE tblImportaciones SET Des = 1 WHERE Id = ?"), {id});
        t.confirmar();
    });
}

} // namespace torvane
