#include "core/reports/Estadisticas.h"

#include "core/store/Servidor.h"

#include "core/documents/EstadoDocumento.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/text/Formato.h"

#include <QDate>
#include <QHash>

namespace torvane {

namespace {

constexpr int kColMes1 = 3;
constexpr int kColTotal = 15;
constexpr int kColumnasEstadistica = 16;

QString celda(const std::optional<Importe>& valor) {
    return valor ? valor->texto() : QString();
}

} // namespace

QStringList nombresMeses() {
    return {QStringLiteral("Enero"),   QStringLiteral("Febrero"),   QStringLiteral("Marzo"),
            QStringLiteral("Abril"),   QStringLiteral("Mayo"),      QStringLiteral("Junio"),
            QStringLiteral("Julio"),   QStringLiteral("Agosto"),    QStringLiteral("Septiembre"),
            QStringLiteral("Octubre"), QStringLiteral("Noviembre"), QStringLiteral("Diciembre")};
}

QList<FilaMensual> cobrosPorMes(int ano, Cuenta cuenta) {
    // One pass over the year, answered by a covering index, and the pivot made here: grouping in
    // the engine sorted every document first. A date range lets the index be used at all.
    // A server would send every document over the network: there it adds them up first, and
    // the same loop below takes its sums.
    const bool enServidor = esServidor(Conexion());
    const QString fecha = sqlFechaCuenta(cuenta, QStringLiteral("tblCobros"));
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT IdInm, %1 AS Mes, %2 FROM tblCobros WHERE %3 >= ? AND %3 < ?"
                       " AND %4%5")
            .arg(sqlMes(fecha), enServidor ? QStringLiteral("SUM(Tot)") : QStringLiteral("Tot"),
                 fecha, sqlCuenta(cuenta, QStringLiteral("tblCobros")),
                 enServidor ? QStringLiteral(" GROUP BY IdInm, Mes") : QString()),
        {fechaIso(QDate(ano, 1, 1)), fechaIso(QDate(ano + 1, 1, 1))});
    QHash<int, FilaMensual> porInmueble;
    while (q.next()) {
        FilaMensual& fila = porInmueble[q.value(0).toInt()];
        const int m = q.value(1).toInt();
        if (m < 1 || m > 12 || q.value(2).isNull()) continue;
        fila.meses[m - 1] = fila.meses[m - 1].value_or(Importe()) + importeGuardado(q.value(2));
    }
    QList<FilaMensual> filas;
    QSqlQuery inmuebles =
        ejecutar(QStringLiteral("SELECT Id, Des FROM tblInmuebles ORDER BY Des, Id"));
    while (inmuebles.next() && !porInmueble.isEmpty()) {
        const auto fila = porInmueble.constFind(inmuebles.value(0).toInt());
        if (fila == porInmueble.cend()) continue;
        filas.append(*fila);
        filas.last().idInm = fila.key();
        filas.last().inmueble = inmuebles.value(1).toString();
        porInmueble.erase(fila);
    }
    // Whatever is left was collected on properties deleted since: it still counts.
    if (!porInmueble.isEmpty()) {
        FilaMensual bajas;
        bajas.inmueble = QStringLiteral("Inmuebles dados de baja");
        for (const FilaMensual& fila : std::as_const(porInmueble))
            for (int m = 0; m < 12; ++m)
                if (fila.meses[m])
                    bajas.meses[m] = bajas.meses[m].value_or(Importe()) + *fila.meses[m];
        filas.append(bajas);
    }
    for (FilaMensual& fila : filas)
        for (const auto& mes : fila.meses)
            fila.total += mes.value_or(Importe());
    return filas;
}

QList<QStringList> rejillaMensual(const QList<FilaMensual>& filas) {
    QList<QStringList> rejilla;
    if (filas.isEmpty()) return rejilla;
    // Column totals add up what the cells show, so they match the grid to the cent.
    std::array<Importe, kColTotal - kColMes1 + 1> sumas{};
    for (int f = 0; f < filas.size(); ++f) {
        const FilaMensual& fila = filas[f];
        QStringList textos(kColumnasEstadistica);
        textos[1] = fila.idInm != 0 ? QString::number(f + 1) : QString();
        textos[2] = fila.inmueble;
        for (int m = 0; m < 12; ++m) {
            textos[kColMes1 + m] = celda(fila.meses[m]);
            if (fila.meses[m]) sumas[m] += *fila.meses[m];
        }
        textos[kColTotal] = fila.total.texto();
        sumas[12] += fila.total;
        rejilla.append(textos);
    }
    QStringList total(kColumnasEstadistica);
    total[2] = QStringLiteral("TOTAL");
    for (int c = kColMes1; c <= kColTotal; ++c) {
        const Importe suma = sumas[c - kColMes1];
        total[c] = suma.esCero() ? QString() : suma.texto();
    }
    rejilla.append(total);
    return rejilla;
}

} // namespace torvane
