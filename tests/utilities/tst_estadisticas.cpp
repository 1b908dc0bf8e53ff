#include "data/Consulta.h"
#include "data/Estadisticas.h"
#include "reports/frmEstadisticas.h"
#include "support/Entorno.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPieSeries>
#include <QPushButton>
#include <QToolButton>

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
        const int piso = e.inmueble(QStringLiteral("Piso Centro"));
        const int bajo = e.inmueble(QStringLiteral("Bajo"));
        const int otroPiso = e.inmueble(QStringLiteral("Piso Centro"));
        e.documento(1, QStringLiteral("A"), QDate(2024, 3, 2), piso, 0, 100);
        e.documento(2, QStringLiteral("A"), QDate(2024, 3, 31), piso, 0, 250.5, true);
        e.documento(3, QStringLiteral("A"), QDate(2023, 12, 31), piso, 0, 999);
        e.documento(4, QStringLiteral("A"), QDate(2025, 1, 1), piso, 0, 999);
        const int sinTotal = e.documento(5, QStringLiteral("A"), QDate(2024, 4, 9), piso, 0, 1);
        ejecutar(QStringLiteral("UPDATE tblCobros SET Tot = NULL WHERE Id = ?"), {sinTotal});
        for (int m = 1; m <= 12; ++m)
            e.documento(10 + m, QStringLiteral("B"), QDate(2024, m, 28), bajo, 0, 0);
        e.documento(30, QStringLiteral("A"), QDate(2024, 7, 1), otroPiso, 0, 1234.567);
        // The property of this one was deleted: no row for it.
        e.documento(31, QStringLiteral("A"), QDate(2024, 7, 1), 99, 0, 50);

        const QList<QStringList> filas = rejillaMensual(cobrosPorMes(2024));
        QCOMPARE(filas.size(), 4);
        QCOMPARE(filas[0].mid(1, 2), (QStringList{QStringLiteral("1"), QStringLiteral("Bajo")}));
        QCOMPARE(filas[0].mid(3), QStringList(13, QStringLiteral("0,00")));
        QCOMPARE(filas[1][2], QStringLiteral("Piso Centro"));
        QCOMPARE(filas[1].mid(3), soloEn(2, QStringLiteral("350,50"), QStringLiteral("350,50")));
        QCOMPARE(filas[2].mid(3),
                 soloEn(6, QStringLiteral("1.234,57"), QStringLiteral("1.234,57")));
        QCOMPARE(filas[3][2], QStringLiteral("TOTAL"));
        QCOMPARE(filas[3][1], QString());
        QStringList totales(12);
        totales[2] = QStringLiteral("350,50");
        totales[6] = QStringLiteral("1.234,57");
        QCOMPARE(filas[3].mid(3), totales << QStringLiteral("1.585,07"));

        QVERIFY(rejillaMensual(cobrosPorMes(2022)).isEmpty());
    }

    void ventana() {
        Entorno e;
        const int piso = e.inmueble(QStringLiteral("Piso Centro"));
        const int bajo = e.inmueble(QStringLiteral("Bajo"));
        e.documento(1, QStringLiteral("A"), QDate(2024, 3, 2), piso, 0, 350.5);
        e.documento(2, QStringLiteral("A"), QDate(2024, 5, 2), bajo, 0, 80);
        frmEstadisticas w;
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(QStringLiteral("mshDatos"));
        auto* grafico = w.findChild<QChartView*>(QStringLiteral("mscGrafico"))->chart();
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblTitulo"))->text(),
                 QStringLiteral("COBROS MES"));
        QCOMPARE(rejilla->numFilas(), 4);
        QCOMPARE(rejilla->texto(0, 3), QStringLiteral("Enero"));
        QCOMPARE(mesesDeFila(rejilla, 2),
                 soloEn(2, QStringLiteral("350,50"), QStringLiteral("350,50")));
        QCOMPARE(rejilla->filaActual(), 1);

        auto* barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QVERIFY(barras);
        QCOMPARE(barras->barSets()[0]->label(), QStringLiteral("Bajo"));
        QCOMPARE(barras->barSets()[0]->at(4), 80.0);
        QCOMPARE(barras->barSets()[0]->brush().color(), colorFondo());

        // The pie redraws the selected row, and follows a new selection.
        rejilla->fijarFilaActual(2, 5);
        w.findChild<QToolButton*>(QStringLiteral("optTipoGrafico_3"))->click();
        auto* tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QVERIFY(tarta);
        QCOMPARE(grafico->series().size(), 1);
        QCOMPARE(tarta->count(), 12);
        QCOMPARE(tarta->slices()[2]->label(), QStringLiteral("Marzo"));
        QCOMPARE(tarta->slices()[2]->value(), 350.5);
        QCOMPARE(tarta->slices()[0]->brush().color(), colorFondo());
        rejilla->fijarFilaActual(1, 3);
        tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QCOMPARE(tarta->slices()[4]->value(), 80.0);
        QCOMPARE(tarta->slices()[2]->value(), 0.0);

        // A box that is not a year changes nothing.
        auto* ano = w.findChild<QLineEdit*>(QStringLiteral("txtAno"));
        for (const QString& malo : {QStringLiteral("20x4"), QString(), QStringLiteral("24")}) {
            ano->setText(malo);
            w.findChild<QPushButton*>(QStringLiteral("cmdFiltrar"))->click();
            QCOMPARE(rejilla->numFilas(), 4);
        }
        QCOMPARE(Mensaje::textos().size(), 3);
        QVERIFY(Mensaje::textos()[0].contains(QStringLiteral("año")));

        // A year without documents: no grid, a flat chart of twelve points.
        ano->setText(QStringLiteral("2023"));
        w.findChild<QToolButton*>(QStringLiteral("optTipoGrafico_0"))->click();
        w.findChild<QPushButton*>(QStringLiteral("cmdFiltrar"))->click();
        QCOMPARE(rejilla->numFilas(), 0);
        barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QCOMPARE(barras->barSets()[0]->count(), 12);
        QCOMPARE(barras->barSets()[0]->sum(), 0.0);

        w.findChild<QListWidget*>(QStringLiteral("lstTipo"))->setCurrentRow(1);
        Mensaje::limpiarHistorial();
        w.findChild<QPushButton*>(QStringLiteral("cmdFiltrar"))->click();
        QCOMPARE(Mensaje::textos(), QStringList{QStringLiteral("Opción no disponible")});
    }
};

TORVANE_TEST_MAIN(TestEstadisticas)
#include "tst_estadisticas.moc"
