#include "core/registers/ListasRegistros.h"

#include "core/contracts/Contratos.h"
#include "core/documents/Documentos.h"
#include "core/registers/Editores.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"

#include <QSqlRecord>

namespace torvane {

using namespace Qt::StringLiterals;

namespace {

/** A record's row: a new one (id 0) with the engine's code, or the row id rewritten. */
int guardarFicha(const QString& tabla, const QStringList& campos, const QVariantList& valores,
                 int id) {
    if (id == 0) return Editores::insertarConNuevoId(tabla, campos, valores).valorOLanzar();
    Editores::actualizarPorId(tabla, id, campos, valores).valorOLanzar();
    return id;
}

/** Every row of a result, numbered from 1, all columns as text. */
QList<QStringList> filasNumeradas(QSqlQuery consulta) {
    QList<QStringList> filas;
    const int columnas = consulta.record().count();
    while (consulta.next()) {
        QStringList fila;
        fila.reserve(columnas + 1);
        fila << QString::number(filas.size() + 1);
        for (int c = 0; c < columnas; ++c)
            fila << consulta.value(c).toString();
        filas << std::move(fila);
    }
    return filas;
}

/** " WHERE a OR b ..." over the given expressions, each bound to the same text; empty without text.
 */
QString condicion(const QStringList& expresiones, const QString& filtro, QVariantList& valores) {
    if (filtro.isEmpty()) return {};
    QStringList partes;
    for (const QString& expresion : expresiones) {
        partes << sqlContiene(expresion);
        valores << filtro;
    }
    return QStringLiteral(" WHERE ") + partes.join(QStringLiteral(" OR "));
}

QList<QStringList> listar(const QString& seleccion, const QStringList& buscarEn,
                          const QString& orden, const QString& filtro) {
    QVariantList valores;
    const QString sql = seleccion + condicion(buscarEn, filtro, valores) + orden;
    return filasNumeradas(ejecutar(sql, valores));
}

// Texts sort as a landlord reads them: "álvaro" beside "Alberto", not after "Zoe".
QString ordenTexto(const QString& campo) {
    return QStringLiteral(" ORDER BY pliegue(%1), %1").arg(campo);
}

const QString kDireccion =
    sqlUnir({QStringLiteral("tblInmuebles.Dir"), QStringLiteral("tblInmuebles.CP"),
             QStringLiteral("tblInmuebles.Pob"), QStringLiteral("tblInmuebles.Pro")},
            QStringLiteral(" "));

const QString kInmueblesConInquilino = QStringLiteral(
    " FROM tblInmuebles LEFT JOIN tblInquilinos ON tblInmuebles.IdInq = tblInquilinos.Id");

} // namespace

QList<QStringList> ListaAtopar(const QString& estado, const QString& filtro) {
    if (estado == QStringLiteral("Inquilinos"))
        return listar(
            QStringLiteral("SELECT tblInquilinos.Id, tblInquilinos.Nom FROM tblInquilinos"),
            {QStringLiteral("tblInquilinos.Nom")}, ordenTexto(QStringLiteral("tblInquilinos.Nom")),
            filtro);
    if (estado == QStringLiteral("Inmuebles"))
        return listar(
            QStringLiteral("SELECT tblInmuebles.Id, tblInmuebles.Des, tblInquilinos.Nom") +
                kInmueblesConInquilino,
            {QStringLiteral("tblInmuebles.Des"), QStringLiteral("tblInquilinos.Nom")},
            ordenTexto(QStringLiteral("tblInmuebles.Des")), filtro);
    if (estado == QStringLiteral("Conceptos"))
        return listar(
            QStringLiteral(
                "SELECT tblCobrosConceptos.Id, tblCobrosConceptos.Des FROM tblCobrosConceptos"),
            {QStringLiteral("tblCobrosConceptos.Des")},
            ordenTexto(QStringLiteral("tblCobrosConceptos.Des")), filtro);
    return {};
}

QList<QStringList> ListaInquilinos(const QString& filtro) {
    const QString telefonos =
        sqlUnir({QStringLiteral("tblInquilinos.Tfn"), QStringLiteral("tblInquilinos.Mob")},
                QStringLiteral(" "));
    return listar(
        QStringLiteral("SELECT tblInquilinos.Nom, %1 AS Tfnos, tblInquilinos.Mail, tblInquilinos.Id"
                       " FROM tblInquilinos")
            .arg(telefonos),
        {QStringLiteral("tblInquilinos.Nom"), telefonos, QStringLiteral("tblInquilinos.Mail")},
        ordenTexto(QStringLiteral("tblInquilinos.Nom")), filtro);
}

QList<QStringList> ListaInmuebles(const QString& filtro) {
    // Code order with or without a filter: the stored order of the rows is the code order anyway.
    return listar(
        QStringLiteral("SELECT tblInmuebles.Des, %1 AS Direccion, tblInquilinos.Nom,"
                       " tblInmuebles.Id, tblInmuebles.IdInq")
                .arg(kDireccion) +
            kInmueblesConInquilino,
        {QStringLiteral("tblInmuebles.Des"), kDireccion, QStringLiteral("tblInquilinos.Nom")},
        QStringLiteral(" ORDER BY tblInmuebles.Id"), filtro);
}

Resultado<> BorrarInquilino(int id) {
    return intentar([&]() -> void {
        Transaccion t;
        ejecutar(QStringLiteral("DELETE FROM tblInquilinos WHERE Id = ?"), {id});
        ejecutar(QStringLiteral("DELETE FROM tblInquilinosFamiliares WHERE IdInq = ?"), {id});
        t.confirmar();
    });
}

Resultado<> BorrarInmueble(int id) {
    return intentar([&]() -> void {
        Transaccion t;
        if (const QString motivo = motivoNoBorrarInmueble(id); !motivo.isEmpty())
            throw ErrorBD(motivo);
        ejecutar(QStringLiteral("DELETE FROM tblInmuebles WHERE Id = ?"), {id});
        ejecutar(QStringLiteral("DELETE FROM tblInmueblesCargos WHERE IdInm = ?"), {id});
        t.confirmar();
    });
}

std::optional<FichaInquilino> LeerInquilino(int id) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Nom, DNI, Tfn, Mob, Mail, Obs, Dir, CP, Pob, Pro"
                                          " FROM tblInquilinos WHERE Id = ?"),
                           {id});
    if (!q.next()) return std::nullopt;
    FichaInquilino f;
    f.Id = id;
    QString* campos[] = {&f.Nom, &f.DNI, &f.Tfn, &f.Mob, &f.Mail,
                         &f.Obs, &f.Dir, &f.CP,  &f.Pob, &f.Pro};
    for (int i = 0; i < 10; ++i)
        *campos[i] = q.value(i).toString();
    return f;
}

Resultado<int> GuardarInquilino(const FichaInquilino& f, bool nuevo) {
    return intentar([&]() -> int {
        const QStringList campos{u"Nom"_s, u"DNI"_s, u"Tfn"_s, u"Mob"_s, u"Mail"_s,
                                 u"Obs"_s, u"Dir"_s, u"CP"_s,  u"Pob"_s, u"Pro"_s};
        const QVariantList valores{f.Nom, f.DNI, f.Tfn, f.Mob, f.Mail,
                                   f.Obs, f.Dir, f.CP,  f.Pob, f.Pro};
        return guardarFicha(u"tblInquilinos"_s, campos, valores, nuevo ? 0 : f.Id);
    });
}

std::optional<FichaInmueble> LeerInmueble(int id) {
    QSqlQuery q = ejecutar(
        QStringLiteral(
            "SELECT Des, Dir, CP, Pob, Pro, Pre, IdInq, Obs FROM tblInmuebles WHERE Id = ?"),
        {id});
    if (!q.next()) return std::nullopt;
    return FichaInmueble{id,
                         q.value(0).toString(),
                         q.value(1).toString(),
                         q.value(2).toString(),
                         q.value(3).toString(),
                         q.value(4).toString(),
                         importeGuardado(q.value(5)),
                         q.value(6).toInt(),
                         q.value(7).toString()};
}

Resultado<int> GuardarInmueble(const FichaInmueble& f, bool nuevo) {
    return intentar([&]() -> int {
        const QStringList campos{u"Des"_s, u"Dir"_s, u"CP"_s,    u"Pob"_s,
                                 u"Pro"_s, u"Pre"_s, u"IdInq"_s, u"Obs"_s};
        const QVariantList valores{f.Des, f.Dir,          f.CP,    f.Pob,
                                   f.Pro, guardar(f.Pre), f.IdInq, f.Obs};
        return guardarFicha(u"tblInmuebles"_s, campos, valores, nuevo ? 0 : f.Id);
    });
}

} // namespace torvane
