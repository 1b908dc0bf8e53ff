#include "core/search/Busqueda.h"

#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/store/Importe.h"
#include "core/text/Formato.h"

#include <QRegularExpression>
#include <optional>

namespace torvane {

namespace {

const QString kLimite = QStringLiteral(" LIMIT %1").arg(kMaximoPorClase + 1);

QString sinBlancos(const QString& columna) {
    return QStringLiteral("replace(%1, ' ', '')").arg(columna);
}

QString unirNoVacios(const QStringList& partes) {
    QStringList llenas;
    for (const QString& parte : partes)
        if (!parte.trimmed().isEmpty()) llenas << parte.trimmed();
    return llenas.join(QStringLiteral(" · "));
}

ConsultaBusqueda inquilinos(const QString& texto, const QString& compacto) {
    const QString cuenta =
        QStringLiteral(" FROM tblInquilinosCuentas c WHERE c.IdInq = t.Id AND ") +
        sqlContiene(sinBlancos(QStringLiteral("c.IBAN")));
    const QString sql = QStringLiteral("SELECT t.Id, t.Nom, t.DNI, t.Tfn, t.Mob, (SELECT c.IBAN") +
                        cuenta + QStringLiteral(" LIMIT 1) FROM tblInquilinos t WHERE ") +
                        sqlContiene(QStringLiteral("t.Nom")) + QStringLiteral(" OR ") +
                        sqlContiene(sinBlancos(QStringLiteral("t.DNI"))) + QStringLiteral(" OR ") +
                        sqlContiene(sinBlancos(QStringLiteral("t.Tfn"))) + QStringLiteral(" OR ") +
                        sqlContiene(sinBlancos(QStringLiteral("t.Mob"))) +
                        QStringLiteral(" OR EXISTS (SELECT 1") + cuenta +
                        QStringLiteral(") ORDER BY pliegue(t.Nom), t.Id") + kLimite;
    return {
        ClaseResultado::Inquilino, sql, {compacto, texto, compacto, compacto, compacto, compacto}};
}

ConsultaBusqueda inmuebles(const QString& texto) {
    const QString direccion = sqlUnir({QStringLiteral("m.Dir"), QStringLiteral("m.CP"),
                                       QStringLiteral("m.Pob"), QStringLiteral("m.Pro")},
                                      QStringLiteral(" "));
    const QString sql = QStringLiteral("SELECT m.Id, m.Des, ") + direccion +
                        QStringLiteral(", q.Nom FROM tblInmuebles m LEFT JOIN tblInquilinos q"
                                       " ON m.IdInq = q.Id WHERE ") +
                        sqlContiene(QStringLiteral("m.Des")) + QStringLiteral(" OR ") +
                        sqlContiene(direccion) + QStringLiteral(" ORDER BY pliegue(m.Des), m.Id") +
                        kLimite;
    return {ClaseResultado::Inmueble, sql, {texto, texto}};
}

// "57", "57A" or "57 a": a number and the start of a series; anything else is no number.
std::optional<std::pair<int, QString>> numeroConSerie(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^(\\d{1,9})\\s*([^\\s\\d]\\S*)?$"));
    const auto m = forma.match(texto);
    if (!m.hasMatch()) return std::nullopt;
    // An empty series (not a null one, which binds as NULL) matches every series.
    const QString serie = m.captured(2);
    return std::pair{m.captured(1).toInt(), serie.isEmpty() ? QStringLiteral("") : serie};
}

std::optional<ConsultaBusqueda> documentos(const QString& texto) {
    const auto numero = numeroConSerie(texto);
    const auto importe = Importe::leer(texto);
    if (!numero && !importe) return std::nullopt;
    // The half that does not apply is bound to NULL, which matches nothing.
    const QVariant num = numero ? QVariant(numero->first) : QVariant();
    const QVariant serie = numero ? QVariant(numero->second) : QVariant();
    const QVariant total = importe ? guardar(*importe) : QVariant();
    const QString sql =
        QStringLiteral("SELECT c.Id, ") +
        sqlUnir({QStringLiteral("c.Num"), QStringLiteral("c.Ser")}) +
        QStringLiteral(
            ", c.Fec, m.Des, q.Nom, c.Tot, c.Anu FROM (tblCobros c LEFT JOIN tblInmuebles m"
            " ON c.IdInm = m.Id) LEFT JOIN tblInquilinos q ON c.IdInq = q.Id"
            " WHERE (c.Num = ? AND ") +
        sqlContiene(QStringLiteral("c.Ser")) +
        QStringLiteral(") OR c.Tot = ? ORDER BY c.Fec DESC, c.Ser, c.Num") + kLimite;
    return ConsultaBusqueda{ClaseResultado::Documento, sql, {num, serie, total}};
}

Hallazgo leerResultado(ClaseResultado clase, const QSqlQuery& q) {
    Hallazgo r{clase, q.value(0).toInt(), q.value(1).toString(), {}, {}};
    if (clase == ClaseResultado::Inquilino) {
        r.detalle = unirNoVacios({q.value(2).toString(), q.value(3).toString(),
                                  q.value(4).toString(), q.value(5).toString()});
    } else if (clase == ClaseResultado::Inmueble) {
        r.detalle = unirNoVacios({q.value(2).toString(), q.value(3).toString()});
    } else {
        // A cancelled one is still found by its number, and says what it is.
        r.detalle = unirNoVacios({formatoFecha(desdeIso(q.value(2).toString())),
                                  q.value(3).toString(), q.value(4).toString(),
                                  q.value(6).toInt() != 0 ? QStringLiteral("ANULADO") : QString()});
        r.importe = importeGuardado(q.value(5)).texto();
    }
    return r;
}

} // namespace

QList<ConsultaBusqueda> consultasBusqueda(const QString& texto) {
    const QString limpio = texto.trimmed();
    QString compacto = limpio;
    compacto.remove(QLatin1Char(' '));
    if (compacto.isEmpty()) return {};
    QList<ConsultaBusqueda> consultas{inquilinos(limpio, compacto), inmuebles(limpio)};
    if (auto consulta = documentos(limpio)) consultas << *consulta;
    return consultas;
}

Resultados buscarEnTodo(const QString& texto) {
    Resultados r;
    for (const ConsultaBusqueda& consulta : consultasBusqueda(texto)) {
        QSqlQuery q = ejecutar(consulta.sql, consulta.valores);
        for (int n = 0; q.next(); ++n) {
            if (n == kMaximoPorClase) {
                r.recortada = true;
                break;
            }
            r.filas << leerResultado(consulta.clase, q);
        }
    }
    return r;
}

QString nombreClase(ClaseResultado clase) {
    switch (clase) {
    case ClaseResultado::Inquilino:
        return QStringLiteral("Inquilino");
    case ClaseResultado::Inmueble:
        return QStringLiteral("Inmueble");
    case ClaseResultado::Documento:
        break;
    }
    return QStringLiteral("Recibo");
}

} // namespace torvane
