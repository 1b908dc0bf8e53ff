#include "core/tax/RentaInmuebles.h"

#include "core/contracts/Contratos.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Titulos.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <QSqlError>
#include <algorithm>
#include <cmath>

namespace torvane {

namespace {

struct Intervalo {
    QDate desde, hasta;
};

int dias(const QDate& desde, const QDate& hasta) {
    return desde.isValid() && hasta.isValid() && desde <= hasta ? int(desde.daysTo(hasta)) + 1 : 0;
}

/** cents × numerador / denominador, rounded once (the figures here stay far inside the limit). */
qint64 parte(qint64 centimos, qint64 numerador, qint64 denominador) {
    return proporcion(Importe::deCentimos(centimos), numerador, denominador)
        .value_or(Importe())
        .centimos();
}

QString porcentaje(qint64 tasa) {
    return textoPorcentaje(Decimal::deEntero(tasa));
}

QString euros(qint64 centimos) {
    return textoEuros(Importe::deCentimos(centimos));
}

/** The stretches of a year the property was let, joined where they touch or overlap. */
struct Alquilado {
    QList<Intervalo> tramos;

    int total() const {
        int n = 0;
        for (const Intervalo& i : tramos)
            n += dias(i.desde, i.hasta);
        return n;
    }
    bool contiene(const QDate& d) const {
        return std::any_of(tramos.cbegin(), tramos.cend(),
                           [&d](const Intervalo& i) { return i.desde <= d && d <= i.hasta; });
    }
    int desde(const QDate& d) const {
        int n = 0;
        for (const Intervalo& i : tramos)
            n += dias(std::max(i.desde, d), i.hasta);
        return n;
    }
    QString texto() const {
        QStringList partes;
        for (const Intervalo& i : tramos)
            partes << formatoFecha(i.desde) + QStringLiteral("–") + formatoFecha(i.hasta);
        return partes.join(QStringLiteral(", "));
    }
};

Intervalo recortar(const TramoAlquiler& t, const QDate& desde, const QDate& hasta) {
    return {std::max(t.desde, desde), t.hasta.isValid() ? std::min(t.hasta, hasta) : hasta};
}

Alquilado unir(const QList<TramoAlquiler>& tramos, const QDate& desde, const QDate& hasta) {
    QList<Intervalo> lista;
    for (const TramoAlquiler& t : tramos)
        if (const Intervalo i = recortar(t, desde, hasta); dias(i.desde, i.hasta) > 0) lista << i;
    std::sort(lista.begin(), lista.end(),
              [](const Intervalo& a, const Intervalo& b) { return a.desde < b.desde; });
    Alquilado a;
    for (const Intervalo& i : lista) {
        if (!a.tramos.isEmpty() && i.desde <= a.tramos.last().hasta.addDays(1))
            a.tramos.last().hasta = std::max(a.tramos.last().hasta, i.hasta);
        else
            a.tramos << i;
    }
    return a;
}

// Yearly charges belong to the whole year; a repair, a supply or another expense to its day.
bool periodico(TipoGasto t) {
    return t == TipoGasto::Tributos || t == TipoGasto::Comunidad || t == TipoGasto::Seguro ||
           t == TipoGasto::Intereses || t == TipoGasto::Administracion;
}

/** The year's numbers while they are worked out. */
struct Calculo {
    const EntradaRenta& e;
    RentaInmueble& r;
    int diasAno = 365;
    int diasPropiedad = 0;
    Alquilado alquilado;
    std::array<qint64, kTiposGasto> pagado{}, fuera{};

    void linea(const QString& concepto, qint64 importe, const QString& origen) {
        r.lineas << LineaRenta{concepto, importe, origen};
    }

    void periodo();
    void gastos();
    void interesesYReparaciones();
    void amortizaciones();
    void reduccion();
    void imputacion();
};

void Calculo::periodo() {
    const QDate inicio(e.ano, 1, 1), fin(e.ano, 12, 31);
    diasAno = inicio.daysInYear();
    const QDate desde =
        e.fiscal.fechaAdquisicion.isValid() ? std::max(inicio, e.fiscal.fechaAdquisicion) : inicio;
    diasPropiedad = dias(desde, fin);
    alquilado = unir(e.tramos, desde, fin);
    QString como =
        alquilado.tramos.isEmpty() ? QStringLiteral("sin contrato en el año") : alquilado.texto();
    // Rents with no contract on record: the documents say it was let.
    if (alquilado.tramos.isEmpty() && e.ingresos != 0 && diasPropiedad > 0) {
        alquilado.tramos = {{desde, fin}};
        como = QStringLiteral("sin contrato: se toma alquilado todo el año por sus rentas");
    }
    r.diasAlquilado = alquilado.total();
    r.diasVacio = diasPropiedad - r.diasAlquilado;
    r.ingresos = e.ingresos;
    linea(QStringLiteral("Ingresos íntegros"), e.ingresos,
          QStringLiteral("Bases de los recibos y facturas de %1 del inmueble, sin los anulados; "
                         "alquilado %2 días (%3), vacío %4 de %5 en propiedad")
              .arg(e.ano)
              .arg(r.diasAlquilado)
              .arg(como)
              .arg(r.diasVacio)
              .arg(diasPropiedad));
}

void Calculo::gastos() {
    for (const GastoDelInmueble& g : e.gastos) {
        const qint64 neto = g.importe - (e.sociedad ? g.iva : 0);
        const int t = static_cast<int>(g.tipo);
        if (g.tipo == TipoGasto::Mejoras || e.sociedad || periodico(g.tipo) ||
            alquilado.contiene(g.fecha))
            pagado[t] += neto;
        else
            fuera[t] += neto;
    }
    const QStringList nombres = nombresTiposGasto();
    for (int t = 0; t < kTiposGasto; ++t) {
        const auto tipo = static_cast<TipoGasto>(t);
        if (tipo == TipoGasto::Mejoras || (pagado[t] == 0 && fuera[t] == 0)) continue;
        QString origen;
        if (e.sociedad) {
            r.gastos[t] = pagado[t];
            origen = QStringLiteral("Pagado en el año, sin el IVA deducible");
        } else if (periodico(tipo)) {
            r.gastos[t] = parte(pagado[t], r.diasAlquilado, diasPropiedad);
            origen = r.diasAlquilado == diasPropiedad
                         ? QStringLiteral("%1 pagados, alquilado todo el año").arg(euros(pagado[t]))
                         : QStringLiteral("%1 pagados × %2/%3 días alquilado")
                               .arg(euros(pagado[t]))
                               .arg(r.diasAlquilado)
                               .arg(diasPropiedad);
        } else {
            r.gastos[t] = pagado[t];
            origen = QStringLiteral("Gastos de días alquilado");
            if (fuera[t] != 0)
                origen += QStringLiteral("; %1 de días vacío no se deducen").arg(euros(fuera[t]));
        }
        if (tipo != TipoGasto::Intereses && tipo != TipoGasto::Reparaciones)
            r.gastosGenerales += r.gastos[t];
        linea(nombres[t], r.gastos[t], origen);
    }
    r.mejoras = pagado[static_cast<int>(TipoGasto::Mejoras)];
    if (r.mejoras != 0)
        linea(nombres.last(), r.mejoras,
              QStringLiteral("No se deducen: se suman al coste y se amortizan"));
}

void Calculo::interesesYReparaciones() {
    const qint64 delAno = r.gastos[static_cast<int>(TipoGasto::Intereses)] +
                          r.gastos[static_cast<int>(TipoGasto::Reparaciones)];
    if (e.sociedad) {
        r.interesesReparaciones = delAno;
        if (delAno != 0)
            linea(QStringLiteral("Intereses y reparaciones deducidos"), delAno,
                  QStringLiteral("Todos: el límite de los ingresos es del IRPF"));
        return;
    }
    // Earlier years' excess first, oldest first, each within four years of its own.
    qint64 hueco = std::max<qint64>(0, e.ingresos);
    qint64 anteriores = 0, caducado = 0;
    for (auto it = e.pendientes.cbegin(); it != e.pendientes.cend(); ++it) {
        if (it.key() >= e.ano || it.key() < e.ano - 4) continue;
        const qint64 usado = std::min(it.value(), hueco);
        hueco -= usado;
        anteriores += usado;
        if (const qint64 resto = it.value() - usado; resto > 0) {
            if (it.key() > e.ano - 4)
                r.pendientesDespues.insert(it.key(), resto);
            else
                caducado += resto;
        }
    }
    const qint64 actual = std::min(delAno, hueco);
    if (delAno > actual) r.pendientesDespues.insert(e.ano, delAno - actual);
    r.interesesReparaciones = anteriores + actual;
    if (delAno == 0 && e.pendientes.isEmpty()) return;
    qint64 pasan = 0;
    for (const qint64 p : r.pendientesDespues)
        pasan += p;
    QString origen =
        QStringLiteral("%1 del año y %2 de años anteriores, hasta los ingresos (%3)")
            .arg(euros(actual), euros(anteriores), euros(std::max<qint64>(0, e.ingresos)));
    if (pasan > 0)
        origen += QStringLiteral("; quedan %1 para los cuatro años siguientes").arg(euros(pasan));
    if (caducado > 0)
        origen += QStringLiteral("; %1 de hace más de cuatro años se pierden").arg(euros(caducado));
    linea(QStringLiteral("Intereses y reparaciones deducidos"), r.interesesReparaciones, origen);
}

void Calculo::amortizaciones() {
    const DatosFiscales& f = e.fiscal;
    // A person depreciates 3 % of the larger of cost and cadastral value, a company 2 % of the
    // cost; land never, so both leave out its share of the cadastral value.
    const qint64 tasa = e.sociedad ? 2 : 3;
    const qint64 diasCuentan = e.sociedad ? diasPropiedad : r.diasAlquilado;
    const QString dias_ =
        QStringLiteral("× %1/%2 días %3")
            .arg(e.sociedad ? diasPropiedad : r.diasAlquilado)
            .arg(diasAno)
            .arg(e.sociedad ? QStringLiteral("en propiedad") : QStringLiteral("alquilado"));
    if (f.valorCatastral > Importe() && f.valorConstruccion > Importe()) {
        const qint64 coste = parte(f.costeAdquisicion.centimos(), f.valorConstruccion.centimos(),
                                   f.valorCatastral.centimos());
        const qint64 catastro = f.valorConstruccion.centimos();
        const qint64 base = e.sociedad ? coste : std::max(coste, catastro);
        const qint64 mejoras = f.mejorasAnteriores.centimos();
        const qint64 importe = parte(base + mejoras, tasa * diasCuentan, 100LL * diasAno);
        QString origen =
            e.sociedad
                ? QStringLiteral("%1 del coste sin suelo (%2)").arg(porcentaje(tasa), euros(coste))
                : QStringLiteral("%1 del mayor entre coste sin suelo (%2) y valor catastral "
                                 "de la construcción (%3)")
                      .arg(porcentaje(tasa), euros(coste), euros(catastro));
        if (mejoras > 0)
            origen += QStringLiteral(", más mejoras anteriores (%1)").arg(euros(mejoras));
        linea(QStringLiteral("Amortización del inmueble"), importe, origen + u' ' + dias_);
        r.amortizacion += importe;
    } else if (r.diasAlquilado > 0 || e.sociedad) {
        linea(QStringLiteral("Amortización del inmueble"), 0,
              QStringLiteral("Faltan el valor catastral y su parte de construcción en los datos "
                             "fiscales del inmueble"));
    }
    qint64 mejorasAno = 0;
    for (const GastoDelInmueble& g : e.gastos)
        if (g.tipo == TipoGasto::Mejoras) {
            const int n = e.sociedad
                              ? dias(std::max(g.fecha, QDate(e.ano, 1, 1)), QDate(e.ano, 12, 31))
                              : alquilado.desde(g.fecha);
            mejorasAno += parte(g.importe - (e.sociedad ? g.iva : 0), tasa * n, 100LL * diasAno);
        }
    if (mejorasAno != 0) {
        linea(QStringLiteral("Amortización de las mejoras del año"), mejorasAno,
              QStringLiteral("%1 de cada mejora desde su fecha").arg(porcentaje(tasa)));
        r.amortizacion += mejorasAno;
    }
    if (f.mobiliario > Importe()) {
        const qint64 muebles = parte(f.mobiliario.centimos(), 10 * diasCuentan, 100LL * diasAno);
        linea(QStringLiteral("Amortización del mobiliario"), muebles,
              QStringLiteral("10 % de %1 %2").arg(euros(f.mobiliario.centimos()), dias_));
        r.amortizacion += muebles;
    }
}

void Calculo::reduccion() {
    r.netoReducido = r.neto;
    if (e.sociedad || !e.fiscal.vivienda) return;
    static const int porcentajes[] = {50, 90, 70, 60};
    QStringList partes;
    // Each contract's days at its percentage, over the days let: one sum, rounded once.
    qint64 diasPorCiento = 0;
    for (const TramoAlquiler& t : e.tramos) {
        const Intervalo i = recortar(t, QDate(e.ano, 1, 1), QDate(e.ano, 12, 31));
        const int n = dias(i.desde, i.hasta);
        if (!t.vivienda || n == 0 || r.diasAlquilado == 0) continue;
        // The new percentages are for contracts signed under Ley 12/2023, from 2024 on.
        const bool antigua = e.ano < 2024 || t.firma < kInicioTopeIrav;
        const int p = antigua ? 60 : porcentajes[std::clamp(t.reduccion, 0, 3)];
        diasPorCiento += qint64(n) * p;
        partes << QStringLiteral("%1 % sobre %2 días (contrato del %3%4)")
                      .arg(p)
                      .arg(n)
                      .arg(formatoFecha(t.firma),
                           antigua
                               ? QStringLiteral(", anterior al 26/05/2023")
                               : QStringLiteral(", ") + nombresReducciones().value(t.reduccion));
    }
    if (partes.isEmpty()) return;
    if (r.neto <= 0) {
        linea(QStringLiteral("Reducción por alquiler de vivienda"), 0,
              QStringLiteral("Solo se reduce un rendimiento neto positivo"));
        return;
    }
    r.reduccion = parte(r.neto, diasPorCiento, 100LL * r.diasAlquilado);
    r.netoReducido = r.neto - r.reduccion;
    linea(QStringLiteral("Reducción por alquiler de vivienda"), r.reduccion,
          partes.join(QStringLiteral("; ")));
    linea(QStringLiteral("Rendimiento neto reducido"), r.netoReducido,
          QStringLiteral("Rendimiento neto − reducción"));
}

void Calculo::imputacion() {
    if (e.sociedad || r.diasVacio <= 0) return;
    const DatosFiscales& f = e.fiscal;
    const QString vacio = QStringLiteral("× %1/%2 días vacío").arg(r.diasVacio).arg(diasAno);
    if (f.valorCatastral > Importe()) {
        // 1,1 % or 2 %, in tenths of a percent.
        const qint64 decimas = f.revisado ? 11 : 20;
        r.imputacion = parte(f.valorCatastral.centimos(), decimas * r.diasVacio, 1000LL * diasAno);
        linea(QStringLiteral("Imputación de rentas inmobiliarias"), r.imputacion,
              QStringLiteral("%1 del valor catastral (%2, %3) %4")
                  .arg(textoPorcentaje(Decimal::deDiezmilesimas(decimas * 1000)),
                       euros(f.valorCatastral.centimos()),
                       f.revisado ? QStringLiteral("revisado") : QStringLiteral("no revisado"),
                       vacio));
    } else if (f.costeAdquisicion > Importe()) {
        // 1,1 % of half the cost: 11 / 2000.
        r.imputacion = parte(f.costeAdquisicion.centimos(), 11LL * r.diasVacio, 2000LL * diasAno);
        linea(QStringLiteral("Imputación de rentas inmobiliarias"), r.imputacion,
              QStringLiteral("Sin valor catastral: 1,1 % de la mitad del coste (%1) %2")
                  .arg(euros(f.costeAdquisicion.centimos()), vacio));
    } else {
        linea(QStringLiteral("Imputación de rentas inmobiliarias"), 0,
              QStringLiteral("Falta el valor catastral en los datos fiscales del inmueble"));
    }
}

} // namespace

RentaInmueble calcularRenta(const EntradaRenta& e) {
    RentaInmueble r;
    r.idInm = e.idInm;
    r.inmueble = e.inmueble;
    Calculo c{e, r, 365, 0, {}, {}, {}};
    c.periodo();
    c.gastos();
    c.interesesYReparaciones();
    c.amortizaciones();
    r.neto = r.ingresos - r.gastosGenerales - r.interesesReparaciones - r.amortizacion;
    c.linea(QStringLiteral("Rendimiento neto"), r.neto,
            QStringLiteral("Ingresos − gastos − intereses y reparaciones − amortizaciones"));
    c.reduccion();
    c.imputacion();
    return r;
}

namespace {

/** Each property's contracts as stretches: one ends where the next of the property begins. */
QMap<int, QList<TramoAlquiler>> tramosPorInmueble() {
    QMap<int, QList<Contrato>> porInmueble;
    for (const Contrato& c : leerContratos())
        if (c.inicio.isValid()) porInmueble[c.idInm] << c;
    QMap<int, QList<TramoAlquiler>> tramos;
    for (auto it = porInmueble.begin(); it != porInmueble.end(); ++it) {
        QList<Contrato>& lista = it.value();
        std::sort(lista.begin(), lista.end(),
                  [](const Contrato& a, const Contrato& b) { return a.inicio < b.inicio; });
        for (qsizetype i = 0; i < lista.size(); ++i) {
            const Contrato& c = lista[i];
            QDate hasta = c.fin();
            if (i + 1 < lista.size()) hasta = std::min(hasta, lista[i + 1].inicio.addDays(-1));
            tramos[it.key()] << TramoAlquiler{c.inicio, hasta, c.esVivienda(), c.inicio,
                                              static_cast<int>(c.reduccion)};
        }
    }
    return tramos;
}

QMap<int, qint64> ingresosPorInmueble(int ano) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT c.IdInm, c.Base FROM tblCobros c WHERE c.Fec >= ?"
                                          " AND c.Fec <= ? AND %1")
                               .arg(sqlCuenta(Cuenta::Facturado, QStringLiteral("c"))),
                           {fechaIso(QDate(ano, 1, 1)), fechaIso(QDate(ano, 12, 31))});
    QMap<int, qint64> ingresos;
    while (q.next())
        ingresos[q.value(0).toInt()] += importeGuardado(q.value(1)).centimos();
    return ingresos;
}

/** The year's expenses as they fall on each property, shared ones split by their key. */
QMap<int, QList<GastoDelInmueble>> gastosPorInmueble(int ano) {
    QMap<int, QMap<int, Decimal>> claves;
    for (const Reparto& r : leerRepartos())
        claves.insert(r.id, r.partes);
    QMap<int, QList<GastoDelInmueble>> gastos;
    for (const Gasto& g : leerGastos({QDate(ano, 1, 1), QDate(ano, 12, 31), 0, -1, {}})) {
        const qint64 importe = g.importe.centimos(), iva = g.ivaDeducible.centimos();
        if (g.idInm != 0) {
            gastos[g.idInm] << GastoDelInmueble{g.fecha, g.tipo, importe, iva};
            continue;
        }
        const QMap<int, Decimal>& partes = claves.value(g.idRep);
        const QMap<int, qint64> importes = repartir(importe, partes), ivas = repartir(iva, partes);
        for (auto it = importes.cbegin(); it != importes.cend(); ++it)
            gastos[it.key()] << GastoDelInmueble{g.fecha, g.tipo, it.value(), ivas.value(it.key())};
    }
    return gastos;
}

QMap<int, QMap<int, qint64>> pendientesPorInmueble() {
    QMap<int, QMap<int, qint64>> pendientes;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IdInm, AnoOri, Imp FROM tblExcesos"));
    while (q.next())
        pendientes[q.value(0).toInt()].insert(q.value(1).toInt(),
                                              importeGuardado(q.value(2)).centimos());
    return pendientes;
}

bool tocaElAno(const QList<TramoAlquiler>& tramos, int ano) {
    return std::any_of(tramos.cbegin(), tramos.cend(), [ano](const TramoAlquiler& t) {
        return t.desde <= QDate(ano, 12, 31) && (!t.hasta.isValid() || t.hasta >= QDate(ano, 1, 1));
    });
}

} // namespace

QList<EntradaRenta> entradasDelAno(int ano) {
    const bool sociedad = leerTipoEmisor() == TipoEmisor::Sociedad;
    const auto tramos = tramosPorInmueble();
    const auto ingresos = ingresosPorInmueble(ano);
    const auto gastos = gastosPorInmueble(ano);
    const auto pendientes = pendientesPorInmueble();
    QList<EntradaRenta> entradas;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Id, Des FROM tblInmuebles ORDER BY Des, Id"));
    while (q.next()) {
        EntradaRenta e;
        e.ano = ano;
        e.sociedad = sociedad;
        e.idInm = q.value(0).toInt();
        e.inmueble = q.value(1).toString();
        e.fiscal = leerDatosFiscales(e.idInm);
        e.tramos = tramos.value(e.idInm);
        e.ingresos = ingresos.value(e.idInm);
        e.gastos = gastos.value(e.idInm);
        e.pendientes = pendientes.value(e.idInm);
        // A property with nothing in the year and no cadastral value has no figure to give.
        if (tocaElAno(e.tramos, ano) || e.ingresos != 0 || !e.gastos.isEmpty() ||
            !e.pendientes.isEmpty() || e.fiscal.valorCatastral > Importe())
            entradas << e;
    }
    return entradas;
}

Resultado<QList<RentaInmueble>> rentaDelAno(int ano) {
    return intentar([ano] {
        QList<RentaInmueble> rentas;
        for (const EntradaRenta& e : entradasDelAno(ano))
            rentas << calcularRenta(e);
        return rentas;
    });
}

namespace {} // namespace

Hoja hojaRenta(const QList<RentaInmueble>& rentas) {
    Hoja hoja{QStringLiteral("Renta por inmueble"),
              {{QStringLiteral("Inmueble"), TipoDato::Texto},
               {QStringLiteral("Días alquilado"), TipoDato::Numero},
               {QStringLiteral("Días vacío"), TipoDato::Numero},
               {QStringLiteral("Ingresos"), TipoDato::Importe},
               {QStringLiteral("Gastos"), TipoDato::Importe},
               {QStringLiteral("Int. y reparaciones"), TipoDato::Importe},
               {QStringLiteral("Amortización"), TipoDato::Importe},
               {QStringLiteral("Rendimiento neto"), TipoDato::Importe},
               {QStringLiteral("Reducción"), TipoDato::Importe},
               {QStringLiteral("Neto reducido"), TipoDato::Importe},
               {QStringLiteral("Imputación"), TipoDato::Importe},
               {QStringLiteral("Pendiente"), TipoDato::Importe}},
              {},
              true,
              {},
              {}};
    for (const RentaInmueble& r : rentas) {
        qint64 pendiente = 0;
        for (const qint64 p : r.pendientesDespues)
            pendiente += p;
        hoja.filas << QVariantList{r.inmueble,
                                   r.diasAlquilado,
                                   r.diasVacio,
                                   celdaCentimos(r.ingresos),
                                   celdaCentimos(r.gastosGenerales),
                                   celdaCentimos(r.interesesReparaciones),
                                   celdaCentimos(r.amortizacion),
                                   celdaCentimos(r.neto),
                                   celdaCentimos(r.reduccion),
                                   celdaCentimos(r.netoReducido),
                                   celdaCentimos(r.imputacion),
                                   celdaCentimos(pendiente)};
    }
    return hoja;
}

Hoja hojaDetalleRenta(const QList<RentaInmueble>& rentas) {
    Hoja hoja{QStringLiteral("De dónde sale"),
              {{QStringLiteral("Inmueble"), TipoDato::Texto},
               {QStringLiteral("Concepto"), TipoDato::Texto},
               {QStringLiteral("Importe"), TipoDato::Importe},
               {QStringLiteral("De dónde sale"), TipoDato::Texto}},
              {},
              false,
              {},
              {}};
    for (const RentaInmueble& r : rentas)
        for (const LineaRenta& l : r.lineas)
            hoja.filas << QVariantList{r.inmueble, l.concepto, celdaCentimos(l.importe), l.origen};
    return hoja;
}

FilasInforme filasRenta(const QList<RentaInmueble>& rentas) {
    FilasInforme filas;
    for (const RentaInmueble& r : rentas)
        for (qsizetype i = 0; i < r.lineas.size(); ++i) {
            const LineaRenta& l = r.lineas[i];
            // The property is named on its first line only, so each reads as one block.
            filas.filas << ParametrosInforme{
                {QStringLiteral("inmueble"), i == 0 ? r.inmueble : QString()},
                {QStringLiteral("concepto"), l.concepto},
                {QStringLiteral("importe"), Importe::deCentimos(l.importe).texto()},
                {QStringLiteral("origen"), l.origen}};
        }
    return filas;
}

AlCrearAno arrastreAlAnoSiguiente(const QList<RentaInmueble>& rentas) {
    return [rentas](QSqlQuery& q) -> QString {
        for (const RentaInmueble& r : rentas) {
            for (auto it = r.pendientesDespues.cbegin(); it != r.pendientesDespues.cend(); ++it) {
                q.prepare(
                    QStringLiteral("INSERT INTO tblExcesos (IdInm, AnoOri, Imp) VALUES (?, ?, ?)"));
                q.addBindValue(r.idInm);
                q.addBindValue(it.key());
                q.addBindValue(guardar(Importe::deCentimos(it.value())));
                if (!q.exec()) return textoMotor(q.lastError());
            }
            if (r.mejoras == 0) continue;
            q.prepare(QStringLiteral(
                "UPDATE tblInmuebles SET MejAnt = COALESCE(MejAnt, 0) + ? WHERE Id = ?"));
            q.addBindValue(guardar(Importe::deCentimos(r.mejoras)));
            q.addBindValue(r.idInm);
            if (!q.exec()) return textoMotor(q.lastError());
        }
        return {};
    };
}

} // namespace torvane
