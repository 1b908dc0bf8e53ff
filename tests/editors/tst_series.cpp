#include "data/Consulta.h"
#include "editors/frmSeriesF.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct Serie {
    frmSeriesF w;
    Rejilla* rejilla;
    QFrame* marco;
    QLineEdit *id, *cod, *des;

    Serie()
        : rejilla(w.findChild<Rejilla*>(u"dtgDetalles"_s))
        , marco(w.findChild<QFrame*>(u"fraDetalles"_s))
        , id(w.findChild<QLineEdit*>(u"txtDetalle_0"_s))
        , cod(w.findChild<QLineEdit*>(u"txtDetalle_1"_s))
        , des(w.findChild<QLineEdit*>(u"txtDetalle_2"_s)) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    QToolButton* boton(const QString& nombre) { return w.findChild<QToolButton*>(nombre); }
    void pulsar(const QString& nombre) { QTest::mouseClick(boton(nombre), Qt::LeftButton); }
    bool enabled(const QString& nombre) { return boton(nombre)->isEnabled(); }
};

} // namespace

class TestSeries : public QObject {
    Q_OBJECT

private slots:
    void nuevaCodigoYCancelar() {
        Entorno e;
        Serie s;
        QVERIFY(s.enabled(u"cmdNovaP"_s) && !s.enabled(u"cmdEditarP"_s) &&
                !s.enabled(u"cmdBorrarP"_s) && !s.enabled(u"cmdAceptarP"_s));
        QVERIFY(!s.marco->isVisible());
        s.pulsar(u"cmdNovaP"_s);
        QVERIFY(s.marco->isVisible() && !s.rejilla->isEnabled());
        QCOMPARE(s.id->text(), u"1"_s);
        QVERIFY(s.cod->hasFocus());
        s.pulsar(u"cmdCancelarP"_s);
        QVERIFY(!s.marco->isVisible() && !s.enabled(u"cmdEditarP"_s));

        s.pulsar(u"cmdNovaP"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(Mensaje::textos(), QStringList{u"Ponga una serie"_s});
        QVERIFY(s.marco->isVisible() && s.cod->hasFocus());
        teclear(s.cod, u"abc"_s);
        QCOMPARE(s.cod->text(), u"AB"_s);
        pulsarEnter(s.cod);
        teclear(s.des, u"Alquileres"_s);
        pulsarEnter(s.des);
        QVERIFY(s.boton(u"cmdAceptarP"_s)->hasFocus());
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(
            Entorno::contar(u"tblSeriesF"_s, u"Id = 1 AND Cod = 'AB' AND Des = 'Alquileres'"_s), 1);
        QVERIFY(!s.marco->isVisible() && s.enabled(u"cmdEditarP"_s));
        QCOMPARE(s.rejilla->texto(1, 1), u"AB"_s);

        // Two series may not share a code; Escape ends nothing; Cancelar goes back to browsing.
        Mensaje::limpiarHistorial();
        s.pulsar(u"cmdNovaP"_s);
        teclear(s.cod, u"ab"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(Mensaje::textos().size(), 1);
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s), 1);
        QTest::keyClick(s.cod, Qt::Key_Escape);
        QVERIFY(s.w.isVisible() && s.marco->isVisible());
        s.pulsar(u"cmdCancelarP"_s);
        QVERIFY(s.enabled(u"cmdEditarP"_s) && s.rejilla->isEnabled());
    }

    void serieUsadaNiSeEditaNiSeBorra() {
        Entorno e;
        e.serie(u"A"_s, u"Usada"_s);
        e.serie(u"B"_s, u"Libre"_s);
        e.documento(1, u"A"_s, QDate(2024, 5, 1));
        Serie s;
        const QString usada = u"Hay una factura emitida con esta serie"_s;
        s.rejilla->fijarFilaActual(1);
        s.pulsar(u"cmdEditarP"_s);
        QTest::keyClick(s.rejilla, Qt::Key_Return);
        const QRect celda = s.rejilla->visualRect(s.rejilla->modelo()->index(0, 1));
        QTest::mouseClick(s.rejilla->viewport(), Qt::LeftButton, {}, celda.center());
        QTest::mouseDClick(s.rejilla->viewport(), Qt::LeftButton, {}, celda.center());
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(Mensaje::textos(), QStringList(4, usada));
        QVERIFY(!s.marco->isVisible());
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s), 2);

        Mensaje::limpiarHistorial();
        s.rejilla->fijarFilaActual(2);
        s.pulsar(u"cmdEditarP"_s);
        QCOMPARE(s.cod->text(), u"B"_s);
        s.des->selectAll();
        teclear(s.des, u"Facturas"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s, u"Id = 2 AND Cod = 'B' AND Des = 'Facturas'"_s),
                 1);

        s.rejilla->fijarFilaActual(2);
        Mensaje::responderSiguiente(false);
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s), 2);
        s.pulsar(u"cmdBorrarP"_s);
        const Mensaje::Registro pregunta = Mensaje::historial().last();
        QCOMPARE(pregunta.texto, u"¿Está seguro de eliminar la serie B?"_s);
        QCOMPARE(pregunta.titulo, u"Atención!!"_s);
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s, u"Cod = 'B'"_s), 0);
        QCOMPARE(s.rejilla->numFilas(), 2);

        // The last series gone, the list is empty again.
        ejecutar(u"DELETE FROM tblCobros"_s);
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(Entorno::contar(u"tblSeriesF"_s), 0);
        QVERIFY(!s.enabled(u"cmdBorrarP"_s) && s.enabled(u"cmdNovaP"_s));
    }
};

TORVANE_TEST_MAIN(TestSeries)
#include "tst_series.moc"
