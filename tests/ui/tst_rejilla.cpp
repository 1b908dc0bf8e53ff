#include "app/Modulo.h"
#include "support/Entorno.h"
#include "ui/Colores.h"
#include "ui/PulsarTecla.h"
#include "ui/Rejilla.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

QList<Columna> columnasInquilinos()
{
    return {Columna::numero(), Columna::texto(QStringLiteral("Nombre"), 0.3),
            Columna::texto(QStringLiteral("Teléfonos"), 0.3), Columna::texto(QStringLiteral("Mail"), 0.3),
            Columna::oculta()};
}

QStringList fila(int i) { return {QString::number(i), QStringLiteral("Nombre %1").arg(i), {}, {}, QString::number(i * 10)}; }

} // namespace

class TestRejilla : public QObject {
    Q_OBJECT

private slots:
    void vaciaTitulosYBandas()
    {
        Entorno e;
        Rejilla rejilla;
        QAbstractItemModelTester tester(rejilla.modelo());
        QCOMPARE(rejilla.numFilas(), 0);
        QCOMPARE(rejilla.modelo()->columnCount(), 0);
        rejilla.definirColumnas(columnasInquilinos());
        QCOMPARE(rejilla.numFilas(), 1);
        QCOMPARE(rejilla.texto(0, 2), QStringLiteral("Teléfonos"));
        rejilla.modelo()->fijarFilas({fila(1), fila(2), fila(3)});
        QCOMPARE(rejilla.numFilas(), 4);
        QCOMPARE(rejilla.texto(2, 4), QStringLiteral("20"));
        const auto fondo = [&](int f, int c) {
            return rejilla.modelo()->data(rejilla.modelo()->index(f - 1, c), Qt::BackgroundRole).value<QColor>();
        };
        QCOMPARE(fondo(2, 1), colorPrincipal());
        QCOMPARE(fondo(2, 4), colorPrincipal());
        QCOMPARE(fondo(1, 3), kBlanco);
        QCOMPARE(fondo(3, 1), kBlanco);
        QVERIFY(fondo(2, 0) != colorPrincipal());
        // Text takes black or white, whichever reads on the band.
        const auto letra = [&](int f) {
            return rejilla.modelo()
                ->data(rejilla.modelo()->index(f - 1, 1), Qt::ForegroundRole)
                .value<QColor>();
        };
        QCOMPARE(letra(1), QColor(Qt::black));
        Modulo::ColorPrincipal = QString::number(0x402010);
        QCOMPARE(letra(2), QColor(Qt::white));
        rejilla.vaciar();
        QCOMPARE(rejilla.numFilas(), 0);
    }

    void anchosOcultasYFilaActual()
    {
        Entorno e;
        QWidget ventana;
        auto* rejilla = new Rejilla(&ventana);
        (new QVBoxLayout(&ventana))->addWidget(rejilla);
        rejilla->definirColumnas(columnasInquilinos());
        QList<QStringList> filas;
        for (int i = 1; i <= 200; ++i)
            filas << fila(i);
        rejilla->modelo()->fijarFilas(filas);
        ventana.resize(800, 400);
        ventana.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ventana));
        QVERIFY(rejilla->isColumnHidden(4));
        QCOMPARE(rejilla->columnWidth(0), 33);
        const int ancho = rejilla->columnWidth(1);
        QCOMPARE(rejilla->columnWidth(2), ancho);
        ventana.resize(400, 400);
        QApplication::processEvents();
        QVERIFY(rejilla->columnWidth(1) < ancho * 0.6);
        rejilla->subirArriba(50);
        QCOMPARE(rejilla->filaActual(), 50);
        QCOMPARE(rejilla->rowAt(0), 49);
        // One row per wheel step, whatever the desktop says.
        const int antes = rejilla->verticalScrollBar()->value();
        QWheelEvent abajo(QPointF(50, 50), rejilla->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, -360),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rejilla->viewport(), &abajo);
        QCOMPARE(rejilla->verticalScrollBar()->value(), antes + 3);
        // Shift+wheel moves sideways, not down.
        rejilla->setColumnWidth(1, 2000);
        QApplication::processEvents();
        QWheelEvent lado(QPointF(50, 50), rejilla->mapToGlobal(QPointF(50, 50)), {},
                         QPoint(0, -120), Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(rejilla->viewport(), &lado);
        QVERIFY(rejilla->horizontalScrollBar()->value() > 0);
        QCOMPARE(rejilla->verticalScrollBar()->value(), antes + 3);
        // A value too wide for its column shows whole in a tooltip; one that fits shows none.
        rejilla->horizontalScrollBar()->setValue(0);
        const QString largo = QStringLiteral("Piso Avenida de Castelao 125, 3º izquierda, Vigo");
        rejilla->modelo()->fijarTexto(50, 2, largo);
        const auto ayuda = [&](int columna) {
            const QRect celda = rejilla->visualRect(rejilla->modelo()->index(49, columna));
            QHelpEvent evento(QEvent::ToolTip, celda.center(),
                              rejilla->viewport()->mapToGlobal(celda.center()));
            QApplication::sendEvent(rejilla->viewport(), &evento);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(ayuda(0), QString());
        QCOMPARE(ayuda(2), largo);
    }

    void cargaPorPartes()
    {
        Entorno e;
        Rejilla rejilla;
        QAbstractItemModelTester tester(rejilla.modelo());
        rejilla.definirColumnas(columnasInquilinos());
        int siguiente = 0;
        rejilla.modelo()->fijarFuente([&](QStringList& f) {
            if (siguiente >= 100000)
                return false;
            f = fila(++siguiente);
            return true;
        });
        QVERIFY(rejilla.modelo()->filasDatos() < 1000);
        QVERIFY(rejilla.modelo()->canFetchMore({}));
        rejilla.fijarFilaActual(5000);
        QCOMPARE(rejilla.filaActual(), 5000);
        QCOMPARE(rejilla.texto(5000, 1), QStringLiteral("Nombre 5000"));
        rejilla.modelo()->cargarHasta();
        QCOMPARE(rejilla.numFilas(), 100001);
        QVERIFY(!rejilla.modelo()->canFetchMore({}));
    }

    void enterComoTabYComaDecimal()
    {
        Entorno e;
        QWidget ventana;
        auto* disposicion = new QVBoxLayout(&ventana);
        auto* primero = new QLineEdit(&ventana);
        auto* importe = new QLineEdit(&ventana);
        auto* ultimo = new QLineEdit(&ventana);
        for (auto* c : {primero, importe, ultimo})
            disposicion->addWidget(c);
        configurarCampo(primero, Campo::Normal);
        configurarCampo(importe, Campo::Numero);
        configurarCampo(ultimo, Campo::Normal);
        ventana.show();
        enfocar(primero);
        QCOMPARE(fondoDe(primero), colorPrincipal());
        pulsarEnter(primero);
        QVERIFY(importe->hasFocus());
        QCOMPARE(fondoDe(primero), kBlanco);
        teclear(importe, QStringLiteral("12.5"));
        QCOMPARE(importe->text(), QStringLiteral("12,5"));
        pulsarEnter(importe);
        pulsarEnter(ultimo);
        QVERIFY(primero->hasFocus());
    }
};

TORVANE_TEST_MAIN(TestRejilla)
#include "tst_rejilla.moc"
