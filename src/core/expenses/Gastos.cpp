#include "core/expenses/Gastos.h"

#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"

#include <algorithm>

namespace torvane {

namespace {

const QString kCamposGasto =
    QStringLiteral("g.Id, g.Fec, g.IdInm, g.IdRep, g.Tip, g.Pro, g.NIF, g.Des,"
                   " g.Imp, g.IvaDed");

QVariant nulo(int id) {
    return id == 0 ? QVariant() : QVariant(id);
}

Gasto gastoDeFila(const QSqlQuery& q) {
    Gasto g;
    g.id = q.value(0).toInt();
    g.fecha = desdeIso(q.value(1).toString());
    g.idInm = q.value(2).toInt();
    g.idRep = q.value(3).toInt();
    g.tipo = static_cast<TipoGasto>(std::clamp(q.value(4).toInt(), 0, kTiposGasto - 1));
    g.proveedor = q.value(5).toString();
    g.nif = q.value(6).toString();
    g.descripcion = q.value(7).toString();
    g.importe = importeGuardado(q.value(8));
    g.ivaDeducible = importeGuardado(q.value(9));
    return g;
}

// Products of cents and ten-thousandths need more than 64 bits.
__extension__ typedef __int128 Ancho;

} // namespace

QStringList nombresTiposGasto() {
    return {QStringLiteral("IBI y tributos locales"),
            QStringLiteral("Comunidad"),
            QStringLiteral("Seguro"),
            QStringLiteral("Reparación y conservación"),
            QStringLiteral("Intereses y financiación"),
            QStringLiteral("Suministros"),
            QStringLiteral("Administración y servicios"),
            QStringLiteral("Otros deducibles"),
            QStringLiteral("Mejoras (al coste, no deducible)")};
}

QString validarGasto(const Gasto& g) {
    if (!g.fecha.isValid()) return QStringLiteral("Ponga la fecha del gasto.");
    if ((g.idInm == 0) == (g.idRep == 0))
        return QStringLiteral("Elija el inmueble del gasto o un reparto entre varios.");
    if (g.importe.esCero()) return QStringLiteral("Ponga el importe del gasto.");
    if (!g.importe.dentroDelLimite() || !g.ivaDeducible.dentroDelLimite())
        return textoDemasiadoGrande();
    // A refund is a negative amount; its VAT has the same sign and is never larger.
    const bool mismoSigno =
        g.ivaDeducible.esCero() || (g.ivaDeducible < Importe()) == (g.importe < Importe());
    const auto absoluto = [](Importe i) { return i < Importe() ? -i : i; };
    if (!mismoSigno || absoluto(g.ivaDeducible) >= absoluto(g.importe))
        return QStringLiteral("El IVA deducible tiene que ser menor que el importe y del mismo "
                              "signo.");
    if (!g.nif.trimmed().isEmpty())
        if (const QString motivo = motivoNif(g.nif); !motivo.isEmpty())
            return QStringLiteral("El N.I.F. del proveedor no es válido: %1").arg(motivo);
    return {};
}

QList<Gasto> leerGastos(const FiltroGastos& f) {
    QStringList condiciones{QStringLiteral("1 = 1")};
    QVariantList valores;
    if (f.desde.isValid()) {
        condiciones << QStringLiteral("g.Fec >= ?");
        valores << fechaIso(f.desde);
    }
    if (f.hasta.isValid()) {
        condiciones << QStringLiteral("g.Fec <= ?");
        valores << fechaIso(f.hasta);
    }
    if (f.idInm != 0) {
        // A shared expense is also the property's when its key names it.
        condiciones << QStringLiteral("(g.IdInm = ? OR EXISTS (SELECT 1 FROM tblRepartosInmuebles"
                                      " r WHERE r.IdRep = g.IdRep AND r.IdInm = ?))");
        valores << f.idInm << f.idInm;
    }
    if (f.tipo >= 0) {
        condiciones << QStringLiteral("g.Tip = ?");
        valores << f.tipo;
    }
    if (!f.texto.trimmed().isEmpty()) {
        condiciones << QStringLiteral("(%1 OR %2 OR %3)")
                           .arg(sqlContiene(QStringLiteral("g.Pro")),
                                sqlContiene(QStringLiteral("g.NIF")),
                                sqlContiene(QStringLiteral("g.Des")));
        valores << f.texto << f.texto << f.texto;
    }
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT %1 FROM tblGastos g WHERE %2 ORDER BY g.Fec, g.Id")
                     .arg(kCamposGasto, condiciones.join(QStringLiteral(" AND "))),
                 valores);
    QList<Gasto> gastos;
    while (q.next())
        gastos << gastoDeFila(q);
    return gastos;
}

Resultado<int> guardarGasto(Gasto g) {
    if (const QString motivo = validarGasto(g); !motivo.isEmpty()) return Fallo{motivo};
    return intentar([&g] {
        Transaccion t;
        const bool nuevo = g.id == 0;
        if (nuevo) g.id = SiguienteNumero(QStringLiteral("tblGastos"), QStringLiteral("Id"));
        const QVariantList valores{fechaIso(g.fecha),       nulo(g.idInm),
                                   nulo(g.idRep),           static_cast<int>(g.tipo),
                                   g.proveedor.trimmed(),   compactarIdentificador(g.nif),
                                   g.descripcion.trimmed(), guardar(g.importe),
                                   guardar(g.ivaDeducible), g.id};
        ejecutar(nuevo ? QStringLiteral("INSERT INTO tblGastos (Fec, IdInm, IdRep, Tip, Pro, NIF,"
                                        " Des, Imp, IvaDed, Id) VALUES (?,?,?,?,?,?,?,?,?,?)")
                       : QStringLiteral("UPDATE tblGastos SET Fec = ?, IdInm = ?, IdRep = ?,"
                                        " Tip = ?, Pro = ?, NIF = ?, Des = ?, Imp = ?, IvaDed = ?"
                                        " WHERE Id = ?"),
                 valores);
        t.confirmar();
        return g.id;
    });
}

Resultado<> borrarGasto(int id) {
    return intentar([id] { ejecutar(QStringLiteral("DELETE FROM tblGastos WHERE Id = ?"), {id}); });
}

QList<Reparto> leerRepartos() {
    QList<Reparto> repartos;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Id, Des FROM tblRepartos ORDER BY Des, Id"));
    while (q.next())
        repartos << Reparto{q.value(0).toInt(), q.value(1).toString(), {}};
    QSqlQuery p = ejecutar(QStringLiteral("SELECT IdRep, IdInm, Par FROM tblRepartosInmuebles"));
    while (p.next())
        for (Reparto& r : repartos)
            if (r.id == p.value(0).toInt())
                r.partes.insert(p.value(1).toInt(), decimalGuardado(p.value(2)));
    return repartos;
}

QString validarReparto(const Reparto& r) {
    if (r.nombre.trimmed().isEmpty()) return QStringLiteral("Ponga un nombre al reparto.");
    Decimal suma;
    for (const Decimal parte : r.partes) {
        if (parte < Decimal())
            return QStringLiteral("Las partes del reparto no pueden ser negativas.");
        suma = suma + parte;
    }
    if (r.partes.size() < 2 || suma <= Decimal())
        return QStringLiteral("Un reparto necesita al menos dos inmuebles con parte.");
    return {};
}

Resultado<int> guardarReparto(Reparto r) {
    if (const QString motivo = validarReparto(r); !motivo.isEmpty()) return Fallo{motivo};
    return intentar([&r] {
        Transaccion t;
        if (r.id == 0) {
            r.id = SiguienteNumero(QStringLiteral("tblRepartos"), QStringLiteral("Id"));
            ejecutar(QStringLiteral("INSERT INTO tblRepartos (Des, Id) VALUES (?, ?)"),
                     {r.nombre.trimmed(), r.id});
        } else {
            ejecutar(QStringLiteral("UPDATE tblRepartos SET Des = ? WHERE Id = ?"),
                     {r.nombre.trimmed(), r.id});
        }
        ejecutar(QStringLiteral("DELETE FROM tblRepartosInmuebles WHERE IdRep = ?"), {r.id});
        for (auto it = r.partes.cbegin(); it != r.partes.cend(); ++it)
            if (it.value() > Decimal())
                ejecutar(QStringLiteral("INSERT INTO tblRepartosInmuebles (IdRep, IdInm, Par)"
                                        " VALUES (?, ?, ?)"),
                         {r.id, it.key(), guardar(it.value())});
        t.confirmar();
        return r.id;
    });
}

QMap<int, qint64> repartir(qint64 centimos, const QMap<int, Decimal>& partes) {
    const auto peso = [](Decimal parte) { return std::max<qint64>(0, parte.diezmilesimas()); };
    Ancho suma = 0;
    for (const Decimal parte : partes)
        suma += peso(parte);
    QMap<int, qint64> resultado;
    if (suma <= 0) return resultado;
    // Every share has the same denominator (suma), so remainders compare as whole numbers.
    struct Resto {
        int id;
        Ancho resto;
    };
    QList<Resto> restos;
    qint64 repartido = 0;
    for (auto it = partes.cbegin(); it != partes.cend(); ++it) {
        const Ancho exacto = static_cast<Ancho>(centimos) * peso(it.value());
        const auto entero = static_cast<qint64>(exacto / suma);
        resultado.insert(it.key(), entero);
        repartido += entero;
        const Ancho resto = exacto % suma;
        restos << Resto{it.key(), resto < 0 ? -resto : resto};
    }
    std::stable_sort(restos.begin(), restos.end(),
                     [](const Resto& a, const Resto& b) { return a.resto > b.resto; });
    const qint64 paso = centimos < 0 ? -1 : 1;
    for (qsizetype i = 0; repartido != centimos && i < restos.size(); ++i) {
        resultado[restos[i].id] += paso;
        repartido += paso;
    }
    return resultado;
}

Hoja hojaGastos(const QList<Gasto>& gastos, int idInm) {
    Hoja hoja{QStringLiteral("Gastos"),
              {{QStringLiteral("Fecha"), TipoDato::Fecha},
               {QStringLiteral("Inmueble o reparto"), TipoDato::Texto},
               {QStringLiteral("Tipo"), TipoDato::Texto},
               {QStringLiteral("Proveedor"), TipoDato::Texto},
               {QStringLiteral("N.I.F."), TipoDato::Texto},
               {QStringLiteral("Descripción"), TipoDato::Texto},
               {QStringLiteral("Importe"), TipoDato::Importe},
               {QStringLiteral("IVA deducible"), TipoDato::Importe}},
              {},
              true,
              {},
              {}};
    QMap<int, QString> inmuebles;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Id, Des FROM tblInmuebles"));
    while (q.next())
        inmuebles.insert(q.value(0).toInt(), q.value(1).toString());
    QMap<int, Reparto> repartos;
    for (const Reparto& r : leerRepartos())
        repartos.insert(r.id, r);
    const QStringList tipos = nombresTiposGasto();
    for (const Gasto& g : gastos) {
        QString donde = inmuebles.value(g.idInm);
        Importe importe = g.importe, iva = g.ivaDeducible;
        if (g.idRep != 0) {
            const Reparto& r = repartos[g.idRep];
            donde = QStringLiteral("Reparto: ") + r.nombre;
            // A property's list shows its own share, so its total is what it bears.
            if (idInm != 0) {
                importe =
                    Importe::deCentimos(repartir(g.importe.centimos(), r.partes).value(idInm));
                iva =
                    Importe::deCentimos(repartir(g.ivaDeducible.centimos(), r.partes).value(idInm));
                donde += QStringLiteral(" (su parte de %1)").arg(g.importe.texto());
            }
        }
        hoja.filas << QVariantList{g.fecha,
                                   donde,
                                   tipos.value(static_cast<int>(g.tipo)),
                                   g.proveedor,
                                   g.nif,
                                   g.descripcion,
                                   celda(importe),
                                   iva.esCero() ? QVariant() : celda(iva)};
    }
    return hoja;
}

QString validarDatosFiscales(const DatosFiscales& d) {
    for (const Importe valor : {d.valorCatastral, d.valorConstruccion, d.costeAdquisicion,
                                d.mejorasAnteriores, d.mobiliario}) {
        if (valor < Importe()) return QStringLiteral("Los valores no pueden ser negativos.");
        if (!valor.dentroDelLimite()) return textoDemasiadoGrande();
    }
    if (d.valorConstruccion > d.valorCatastral)
        return QStringLiteral("El valor de la construcción no puede superar el valor catastral.");
    if (d.fechaAdquisicion.isValid() && d.fechaAdquisicion > Hoy())
        return QStringLiteral("La fecha de adquisición no puede ser posterior a hoy.");
    return {};
}

DatosFiscales leerDatosFiscales(int idInm) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT VCat, VCatCon, VCatRev, CosAdq, FecAdq, MejAnt,"
                                          " VMob, Viv FROM tblInmuebles WHERE Id = ?"),
                           {idInm});
    DatosFiscales d;
    if (!q.next()) return d;
    d.valorCatastral = importeGuardado(q.value(0));
    d.valorConstruccion = importeGuardado(q.value(1));
    d.revisado = q.value(2).toInt() != 0;
    d.costeAdquisicion = importeGuardado(q.value(3));
    d.fechaAdquisicion = desdeIso(q.value(4).toString());
    d.mejorasAnteriores = importeGuardado(q.value(5));
    d.mobiliario = importeGuardado(q.value(6));
    d.vivienda = q.value(7).toInt() != 0;
    return d;
}

Resultado<> guardarDatosFiscales(int idInm, const DatosFiscales& d) {
    if (const QString motivo = validarDatosFiscales(d); !motivo.isEmpty()) return Fallo{motivo};
    return intentar([&] {
        ejecutar(
            QStringLiteral("UPDATE tblInmuebles SET VCat = ?, VCatCon = ?, VCatRev = ?,"
                           " CosAdq = ?, FecAdq = ?, MejAnt = ?, VMob = ?, Viv = ?"
                           " WHERE Id = ?"),
            {guardar(d.valorCatastral), guardar(d.valorConstruccion), d.revisado ? 1 : 0,
             guardar(d.costeAdquisicion),
             d.fechaAdquisicion.isValid() ? QVariant(fechaIso(d.fechaAdquisicion)) : QVariant(),
             guardar(d.mejorasAnteriores), guardar(d.mobiliario), d.vivienda ? 1 : 0, idInm});
    });
}

} // namespace torvane
