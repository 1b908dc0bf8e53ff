#include "core/tax/ResumenFiscal.h"

#include "core/documents/EstadoDocumento.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <QMap>
#include <array>
#include <cmath>

namespace torvane {

namespace {

/** What the summary needs of one document. */
struct Documento {
    int trimestre = 0;
    Decimal porIva;
    qint64 base = 0, iva = 0, ret = 0; ///< cents
    bool pagado = false;
    QString nif, inquilino, inmueble;
    int idInq = 0;
};

qint64 centimos(const QVariant& v) {
    return importeGuardado(v).centimos();
}

// The same N.I.F. typed with blanks, dots or hyphens, or in lower case, is one third party.
QString nifNormal(const QString& nif) {
    QString limpio;
    for (const QChar c : nif)
        if (c.isLetterOrNumber()) limpio += c.toUpper();
    return limpio;
}

/** The documents invoiced between two dates: cancelled ones never count, rectifying ones with
 * their own sign. */
QList<Documento> documentos(const QDate& desde, const QDate& hasta) {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT c.Fec, c.PorIva, c.Base, c.IVA, c.Ret, c.Pag, c.IdInq, q.DNI,"
                       " q.Nom, m.Des FROM (tblCobros c LEFT JOIN tblInquilinos q"
                       " ON c.IdInq = q.Id) LEFT JOIN tblInmuebles m ON c.IdInm = m.Id"
                       " WHERE c.Fec >= ? AND c.Fec <= ? AND %1 ORDER BY c.Fec, c.Id")
            .arg(sqlCuenta(Cuenta::Facturado, QStringLiteral("c"))),
        {fechaIso(desde), fechaIso(hasta)});
    QList<Documento> lista;
    while (q.next()) {
        Documento d;
        d.trimestre = (desdeIso(q.value(0).toString()).month() + 2) / 3;
        d.porIva = decimalGuardado(q.value(1));
        d.base = centimos(q.value(2));
        d.iva = centimos(q.value(3));
        d.ret = centimos(q.value(4));
        d.pagado = q.value(5).toInt() != 0;
        d.idInq = q.value(6).toInt();
        d.nif = nifNormal(q.value(7).toString());
        d.inquilino = q.value(8).toString();
        d.inmueble = q.value(9).toString();
        lista << d;
    }
    return lista;
}

QList<Documento> documentos(const Periodo& p) {
    return documentos(p.desde(), p.hasta());
}

/** Tenants without N.I.F. are kept apart from each other, by their Id. */
QString claveTercero(const Documento& d) {
    return d.nif.isEmpty() ? QStringLiteral("~%1").arg(d.idInq, 9, 10, QLatin1Char('0')) : d.nif;
}

QString textoTrimestre(int t) {
    return QStringLiteral("%1T").arg(t);
}

Seccion seccion(const QString& titulo, const QString& plantilla,
                std::initializer_list<std::pair<const char*, ColumnaHoja>> columnas) {
    Seccion s{titulo, plantilla, {}, {titulo, {}, {}, true, {}, {}}};
    for (const auto& [clave, columna] : columnas) {
        s.claves << QLatin1String(clave);
        s.hoja.columnas << columna;
    }
    return s;
}

} // namespace

QDate Periodo::desde() const {
    return QDate(ano, trimestre == 0 ? 1 : trimestre * 3 - 2, 1);
}

QDate Periodo::hasta() const {
    const QDate ultimoMes(ano, trimestre == 0 ? 12 : trimestre * 3, 1);
    return ultimoMes.addMonths(1).addDays(-1);
}

QString Periodo::texto() const {
    static const char* const ordinales[] = {"", "1.er", "2.º", "3.er", "4.º"};
    if (trimestre < 1 || trimestre > 4) return QStringLiteral("Año %1").arg(ano);
    return QStringLiteral("%1 trimestre de %2")
        .arg(QString::fromUtf8(ordinales[trimestre]))
        .arg(ano);
}

Seccion ivaRepercutido(const Periodo& periodo) {
    Seccion s = seccion(QStringLiteral("IVA repercutido"), QStringLiteral("ResumenIva"),
                        {{"tipo", {QStringLiteral("Tipo"), TipoDato::Texto}},
                         {"documentos", {QStringLiteral("Documentos"), TipoDato::Numero}},
                         {"base", {QStringLiteral("Base imponible"), TipoDato::Importe}},
                         {"cuota", {QStringLiteral("Cuota IVA"), TipoDato::Importe}}});
    struct Suma {
        int documentos = 0;
        qint64 base = 0, iva = 0;
    };
    QMap<Decimal, Suma> porTipo;
    Suma exento;
    for (const Documento& d : documentos(periodo)) {
        Suma& suma = d.porIva.esCero() ? exento : porTipo[d.porIva];
        ++suma.documentos;
        suma.base += d.base;
        suma.iva += d.iva;
    }
    for (auto it = porTipo.cbegin(); it != porTipo.cend(); ++it)
        s.hoja.filas << QVariantList{textoPorcentaje(it.key()), it->documentos,
                                     celdaCentimos(it->base), celdaCentimos(it->iva)};
    if (exento.documentos > 0)
        s.hoja.filas << QVariantList{QStringLiteral("Exento"), exento.documentos,
                                     celdaCentimos(exento.base), QVariant()};
    return s;
}

Seccion retencionesSoportadas(const Periodo& periodo) {
    Seccion s =
        seccion(QStringLiteral("Retenciones soportadas"), QStringLiteral("ResumenRetenciones"),
                {{"nif", {QStringLiteral("N.I.F."), TipoDato::Texto}},
                 {"inquilino", {QStringLiteral("Inquilino"), TipoDato::Texto}},
                 {"trimestre", {QStringLiteral("Trimestre"), TipoDato::Texto}},
                 {"base", {QStringLiteral("Base"), TipoDato::Importe}},
                 {"retencion", {QStringLiteral("Retención"), TipoDato::Importe}}});
    struct Suma {
        QString nif, nombre;
        qint64 base = 0, ret = 0;
    };
    QMap<std::pair<QString, int>, Suma> grupos;
    for (const Documento& d : documentos(periodo)) {
        if (d.ret == 0) continue;
        Suma& suma = grupos[{claveTercero(d), d.trimestre}];
        suma.nif = d.nif;
        if (suma.nombre.isEmpty()) suma.nombre = d.inquilino;
        suma.base += d.base;
        suma.ret += d.ret;
    }
    for (auto it = grupos.cbegin(); it != grupos.cend(); ++it)
        s.hoja.filas << QVariantList{it->nif, it->nombre, textoTrimestre(it.key().second),
                                     celdaCentimos(it->base), celdaCentimos(it->ret)};
    return s;
}

Seccion operacionesConTerceros(int ano) {
    Seccion s = seccion(QStringLiteral("Operaciones con terceros"), QStringLiteral("Resumen347"),
                        {{"nif", {QStringLiteral("N.I.F."), TipoDato::Texto}},
                         {"inquilino", {QStringLiteral("Inquilino"), TipoDato::Texto}},
                         {"t1", {QStringLiteral("1T"), TipoDato::Importe}},
                         {"t2", {QStringLiteral("2T"), TipoDato::Importe}},
                         {"t3", {QStringLiteral("3T"), TipoDato::Importe}},
                         {"t4", {QStringLiteral("4T"), TipoDato::Importe}},
                         {"total", {QStringLiteral("Total anual"), TipoDato::Importe}}});
    struct Suma {
        QString nif, nombre;
        std::array<qint64, 4> trimestres{};
        qint64 total = 0;
    };
    QMap<QString, Suma> terceros;
    for (const Documento& d : documentos(Periodo{ano, 0})) {
        Suma& suma = terceros[claveTercero(d)];
        suma.nif = d.nif;
        if (suma.nombre.isEmpty()) suma.nombre = d.inquilino;
        // The consideration with its VAT: withholding is a payment on account, not a discount.
        suma.trimestres[d.trimestre - 1] += d.base + d.iva;
        suma.total += d.base + d.iva;
    }
    for (const Suma& t : terceros) {
        if (std::llabs(t.total) <= kUmbral347) continue;
        QVariantList fila{t.nif, t.nombre};
        for (qint64 importe : t.trimestres)
            fila << celdaCentimos(importe);
        s.hoja.filas << (fila << celdaCentimos(t.total));
    }
    return s;
}

Seccion rendimientosInmuebles(const Periodo& periodo) {
    Seccion s =
        seccion(QStringLiteral("Rendimientos por inmueble"), QStringLiteral("ResumenInmuebles"),
                {{"inmueble", {QStringLiteral("Inmueble"), TipoDato::Texto}},
                 {"documentos", {QStringLiteral("Documentos"), TipoDato::Numero}},
                 {"rentas", {QStringLiteral("Rentas"), TipoDato::Importe}},
                 {"cobradas", {QStringLiteral("Cobradas"), TipoDato::Importe}},
                 {"retenciones", {QStringLiteral("Retenciones"), TipoDato::Importe}}});
    struct Suma {
        int documentos = 0;
        qint64 rentas = 0, cobradas = 0, ret = 0;
    };
    QMap<QString, Suma> inmuebles;
    for (const Documento& d : documentos(periodo)) {
        // Documents of a deleted property still count, so the totals match the list's.
        Suma& suma =
            inmuebles[d.inmueble.isEmpty() ? QStringLiteral("(sin inmueble)") : d.inmueble];
        ++suma.documentos;
        suma.rentas += d.base;
        if (d.pagado) suma.cobradas += d.base;
        suma.ret += d.ret;
    }
    for (auto it = inmuebles.cbegin(); it != inmuebles.cend(); ++it)
        s.hoja.filas << QVariantList{it.key(), it->documentos, celdaCentimos(it->rentas),
                                     celdaCentimos(it->cobradas), celdaCentimos(it->ret)};
    return s;
}

FilasInforme filasDeSeccion(const Seccion& seccion) {
    const auto porClave = [&seccion](const QVariantList& fila) {
        QStringList textos;
        for (int c = 0; c < seccion.hoja.columnas.size(); ++c)
            textos << textoCelda(fila.value(c));
        ParametrosInforme resultado;
        for (int c = 0; c < seccion.claves.size(); ++c)
            resultado.insert(seccion.claves[c], textos.value(c));
        return resultado;
    };
    FilasInforme filas;
    for (const QVariantList& fila : seccion.hoja.filas)
        filas.filas << porClave(fila);
    if (!seccion.hoja.filas.isEmpty()) filas.totales = porClave(filaTotales(seccion.hoja));
    return filas;
}

} // namespace torvane
