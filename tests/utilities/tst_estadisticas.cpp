#include "data/Consulta.h"
#include "data/Estadisticas.h"
#include "data/Formato.h"
#include "reports/frmEstadisticas.h"
#include "support/Entorno.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLineEdit>
#include <QListWidget>
#include <QPieSeries>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QStringList mesesDeFila(const Rejilla* rejilla, int fila) {
    QStringList textos;
    for (int c = 3; c <= 15; ++c)
        textos << rejilla->texto(fila, c);
    return textos;
}

QStringList soloEn(int columna, const QString& texto, const QString& total) {
    QStringList textos(12);
    textos[columna] = texto;
    return textos << total;
}

} // namespace

class TestEstadisticas : public QObject {
    Q_OBJECT

private slots:
    void pivoteMensual() {
        Entorno e;
        const int piso = e.inmueble(u"Piso Centro"_s);
        const int bajo = e.inmueble(u"Bajo"_s);
        const int otroPiso = e.inmueble(u"Piso Centro"_s);
        e.documento(1, u"A"_s, QDate(2024, 3, 2), piso, 0, 100);
        e.documento(2, u"A"_s, QDate(2024, 3, 31), piso, 0, 250.5, true);
        e.documento(3, u"A"_s, QDate(2023, 12, 31), piso, 0, 999);
        e.documento(4, u"A"_s, QDate(2025, 1, 1), piso, 0, 999);
        const int sinTotal = e.documento(5, u"A"_s, QDate(2024, 4, 9), piso, 0, 1);
        ejecutar(u"UPDATE tblCobros SET Tot = NULL WHERE Id = ?"_s, {sinTotal});
        for (int m = 1; m <= 12; ++m)
            e.documento(10 + m, u"B"_s, QDate(2024, m, 28), bajo, 0, 0);
        e.documento(30, u"A"_s, QDate(2024, 7, 1), otroPiso, 0, 1234.567);
        // Deleted properties share one row, so the TOTAL row is the year's collections.
        e.documento(31, u"A"_s, QDate(2024, 7, 1), 99, 0, 50);
        e.documento(32, u"A"_s, QDate(2024, 7, 9), 0, 0, 0.5);

        const QList<QStringList> filas = rejillaMensual(cobrosPorMes(2024));
        QCOMPARE(filas.size(), 5);
        QCOMPARE(filas[0].mid(1, 2), (QStringList{u"1"_s, u"Bajo"_s}));
        QCOMPARE(filas[0].mid(3), QStringList(13, u"0,00"_s));
        QCOMPARE(filas[1][2], u"Piso Centro"_s);
        QCOMPARE(filas[1].mid(3), soloEn(2, u"350,50"_s, u"350,50"_s));
        QCOMPARE(filas[2].mid(3), soloEn(6, u"1.234,57"_s, u"1.234,57"_s));
        QCOMPARE(filas[3].mid(1).join(u'|'), u"|Inmuebles dados de baja|||||||50,50||||||50,50"_s);
        QCOMPARE(filas[4].mid(1).join(u'|'), u"|TOTAL|||350,50||||1.285,07||||||1.635,57"_s);

        QVERIFY(rejillaMensual(cobrosPorMes(2022)).isEmpty());
    }

    // The engine's own grouping, joined to the properties, was the reference for years.
    void pivoteIgualAlDelMotor() {
        Entorno e;
        QList<int> inmuebles{0, 77};
        for (int i = 0; i < 40; ++i)
            inmuebles << e.inmueble(u"Piso %1"_s.arg(i % 25));
        auto* azar = QRandomGenerator::global();
        Transaccion t;
        for (int n = 1; n <= 2000; ++n)
            e.documento(n, u"A"_s, QDate(2024, 1, 1).addDays(azar->bounded(366)),
                        inmuebles[azar->bounded(inmuebles.size())], 0,
                        azar->bounded(-5000, 500000) / 100.0);
        t.confirmar();
        QSqlQuery q = ejecutar(u"SELECT i.Des, CAST(substr(c.Fec, 6, 2) AS INTEGER), SUM(c.Tot)"
                               " FROM tblCobros c LEFT JOIN tblInmuebles i ON c.IdInm = i.Id"
                               " GROUP BY i.Id IS NULL, i.Des, i.Id, 2"
                               " ORDER BY i.Id IS NULL, i.Des, i.Id, 2"_s);
        QStringList esperado;
        while (q.next())
            esperado << u"%1 %2 %3"_s.arg(q.value(0).toString(), q.value(1).toString(),
                                          formatoImporte(q.value(2).toDouble()));
        QStringList obtenido;
        for (const FilaMensual& fila : cobrosPorMes(2024))
            for (int m = 0; m < 12; ++m)
                if (fila.meses[m])
                    obtenido << u"%1 %2 %3"_s.arg(fila.idInm ? fila.inmueble : QString())
                                    .arg(m + 1)
                                    .arg(formatoImporte(*fila.meses[m]));
        QCOMPARE(obtenido, esperado);
    }

    void ventana() {
        Entorno e;
        const int piso = e.inmueble(u"Piso Centro"_s);
        const int bajo = e.inmueble(u"Bajo"_s);
        e.documento(1, u"A"_s, QDate(2024, 3, 2), piso, 0, 350.5);
        e.documento(2, u"A"_s, QDate(2024, 5, 2), bajo, 0, 80);
        frmEstadisticas w;
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(u"mshDatos"_s);
        auto* grafico = w.findChild<QChartView*>(u"mscGrafico"_s)->chart();
        QCOMPARE(rejilla->numFilas(), 4);
        QCOMPARE(mesesDeFila(rejilla, 2), soloEn(2, u"350,50"_s, u"350,50"_s));
        QCOMPARE(rejilla->filaActual(), 1);

        auto* barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QVERIFY(barras);
        QCOMPARE(barras->barSets()[0]->label(), u"Bajo"_s);
        QCOMPARE(barras->barSets()[0]->at(4), 80.0);
        QCOMPARE(barras->barSets()[0]->brush().color(), colorFondo());

        // The pie redraws the selected row, and follows a new selection.
        rejilla->fijarFilaActual(2, 5);
        w.findChild<QToolButton*>(u"optTipoGrafico_3"_s)->click();
        auto* tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QVERIFY(tarta);
        QCOMPARE(grafico->series().size(), 1);
        QCOMPARE(tarta->count(), 12);
        // Each slice says its month, amount and share.
        const QString marzo = tarta->slices()[2]->label();
        QVERIFY2(marzo.startsWith(u"Marzo: 350,50 ("_s) && marzo.endsWith(u" %)"_s),
                 qPrintable(marzo));
        QCOMPARE(tarta->slices()[2]->value(), 350.5);
        QCOMPARE(tarta->slices()[0]->brush().color(), colorFondo());
        rejilla->fijarFilaActual(1, 3);
        tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QCOMPARE(tarta->slices()[4]->value(), 80.0);
        QCOMPARE(tarta->slices()[2]->value(), 0.0);

        // A box that is not a year changes nothing.
        auto* ano = w.findChild<QLineEdit*>(u"txtAno"_s);
        for (const QString& malo : {u"20x4"_s, QString(), u"24"_s}) {
            ano->setText(malo);
            w.findChild<QPushButton*>(u"cmdFiltrar"_s)->click();
            QCOMPARE(rejilla->numFilas(), 4);
        }
        QCOMPARE(Mensaje::textos().size(), 3);
        QVERIFY(Mensaje::textos()[0].contains(u"año"_s));

        // A year without documents: no grid, a flat chart of twelve points.
        ano->setText(u"2023"_s);
        w.findChild<QToolButton*>(u"optTipoGrafico_0"_s)->click();
        w.findChild<QPushButton*>(u"cmdFiltrar"_s)->click();
        QCOMPARE(rejilla->numFilas(), 0);
        barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QCOMPARE(barras->barSets()[0]->count(), 12);
        QCOMPARE(barras->barSets()[0]->sum(), 0.0);

        w.findChild<QListWidget*>(u"lstTipo"_s)->setCurrentRow(1);
        Mensaje::limpiarHistorial();
        w.findChild<QPushButton*>(u"cmdFiltrar"_s)->click();
        QCOMPARE(Mensaje::textos(), QStringList{u"Opción no disponible"_s});
    }
};

TORVANE_TEST_MAIN(TestEstadisticas)
#include "tst_estadisticas.moc"
