#include "data/Estadisticas.h"

#include "data/Consulta.h"
#include "data/Dialecto.h"
#include "data/Formato.h"

#include <QDate>

namespace {

constexpr int kColMes1 = 3;
constexpr int kColTotal = 15;
constexpr int kColumnas = 16;

QString celda(const std::optional<double>& valor) {
    return valor ? formatoImporte(*valor) : QString();
}

} // namespace

QStringList nombresMeses() {
    return {QStringLiteral("Enero"),   QStringLiteral("Febrero"),   QStringLiteral("Marzo"),
            QStringLiteral("Abril"),   QStringLiteral("Mayo"),      QStringLiteral("Junio"),
            QStringLiteral("Julio"),   QStringLiteral("Agosto"),    QStringLiteral("Septiembre"),
            QStringLiteral("Octubre"), QStringLiteral("Noviembre"), QStringLiteral("Diciembre")};
}

QList<FilaMensual> cobrosPorMes(int ano) {
    // A date range rather than a year expression lets the engine use the index on Fec.
    const QString mes = sqlMes(QStringLiteral("c.Fec"));
    const QString sql =
        QStringLiteral("SELECT i.Des, c.IdInm, %1 AS Mes, SUM(c.Tot) AS Total"
                       " FROM tblCobros c INNER JOIN tblInmuebles i ON c.IdInm = i.Id"
                       " WHERE c.Fec >= ? AND c.Fec < ?"
                       " GROUP BY i.Des, c.IdInm, %1"
                       " ORDER BY i.Des, c.IdInm, %1")
            .arg(mes);
    QSqlQuery q = ejecutar(sql, {fechaIso(QDate(ano, 1, 1)), fechaIso(QDate(ano + 1, 1, 1))});
    QList<FilaMensual> filas;
    while (q.next()) {
        const int idInm = q.value(1).toInt();
        if (filas.isEmpty() || filas.last().idInm != idInm) {
            filas.append(FilaMensual{});
            filas.last().idInm = idInm;
            filas.last().inmueble = q.value(0).toString();
        }
        const int m = q.value(2).toInt();
        if (m < 1 || m > 12 || q.value(3).isNull()) continue;
        FilaMensual& fila = filas.last();
        fila.meses[m - 1] = q.value(3).toDouble();
        fila.total += q.value(3).toDouble();
    }
    return filas;
}

QList<QStringList> rejillaMensual(const QList<FilaMensual>& filas) {
    QList<QStringList> rejilla;
    if (filas.isEmpty()) return rejilla;
    // Column totals add up what the cells show, so they match the grid to the cent.
    std::array<double, kColTotal - kColMes1 + 1> sumas{};
    for (int f = 0; f < filas.size(); ++f) {
        const FilaMensual& fila = filas[f];
        QStringList textos(kColumnas);
        textos[1] = QString::number(f + 1);
        textos[2] = fila.inmueble;
        for (int m = 0; m < 12; ++m) {
            textos[kColMes1 + m] = celda(fila.meses[m]);
            if (fila.meses[m]) sumas[m] += redondearCentimos(*fila.meses[m]);
        }
        textos[kColTotal] = formatoImporte(fila.total);
        sumas[12] += redondearCentimos(fila.total);
        rejilla.append(textos);
    }
    QStringList total(kColumnas);
    total[2] = QStringLiteral("TOTAL");
    for (int c = kColMes1; c <= kColTotal; ++c) {
        const double suma = redondearCentimos(sumas[c - kColMes1]);
        total[c] = suma == 0 ? QString() : formatoImporte(suma);
    }
    rejilla.append(total);
    return rejilla;
}
