#include "support/Entorno.h"

#include "data/Demo.h"
#include "app/Modulo.h"
#include "collections/frmEmitirMes.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "data/EmitirMes.h"
#include "data/Formato.h"
#include "reports/Impresoras.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QDate kMarzo(2024, 3, 1);

Linea cargo(const QString& des, double und, double pre) {
    Linea l;
    l.idCon = 1;
    l.desCon = des;
    l.und = und;
    l.pre = pre;
    return l;
}

/** A let property billing the rent (and water when agua) on the given terms. */
int alquilado(Entorno& e, const QString& des, const CondicionesCargo& c, bool agua = false) {
    const int inm = e.inmueble(des, e.inquilino(u"Inquilino de "_s + des), {}, {}, {}, {}, 500);
    QList<Linea> lineas{lineaAlquiler(inm)};
    if (agua) lineas << cargo(u"Agua"_s, 2, 12.345);
    guardarCargos(inm, c, lineas);
    return inm;
}

QString numeros(const QList<int>& ids) {
    QStringList textos;
    for (int id : ids) {
        const auto c = leerCabecera(id);
        textos << QString::number(c->num.value_or(0)) + c->ser;
    }
    return textos.join(u' ');
}

} // namespace

class TestEmitirMes : public QObject {
    Q_OBJECT

private slots:
    void propuesta_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<int>("filas");
        QTest::addColumn<QString>("totales");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("vivienda exenta")
            << u"exenta"_s << 1 << u"524,69|0,00|0,00|524,69"_s << QString();
        QTest::newRow("local con IVA y retención")
            << u"local"_s << 1 << u"500,00|105,00|95,00|510,00"_s << QString();
        QTest::newRow("ya emitido")
            << u"emitido"_s << 1 << u"500,00|0,00|0,00|500,00"_s << u"ya emitido: 7B"_s;
        QTest::newRow("sin inquilino") << u"libre"_s << 0 << QString() << QString();
        QTest::newRow("sin líneas") << u"sinlineas"_s << 0 << QString() << QString();
        QTest::newRow("serie que no existe")
            << u"serie"_s << 1 << u"500,00|0,00|0,00|500,00"_s << u"no existe la serie Z"_s;
    }

    void propuesta() {
        QFETCH(QString, caso);
        QFETCH(int, filas);
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        if (caso == u"exenta"_s) alquilado(e, u"Piso"_s, {}, true);
        if (caso == u"local"_s) alquilado(e, u"Local"_s, {21, 19, true, u"B"_s});
        if (caso == u"emitido"_s) {
            const int inm = alquilado(e, u"Piso"_s, {});
            e.documento(7, u"B"_s, kMarzo.addDays(30), inm);
            e.documento(8, u"B"_s, kMarzo.addDays(31), inm); // April: not this month
        }
        if (caso == u"libre"_s)
            guardarCargos(e.inmueble(u"Libre"_s), {}, {cargo(u"Alquiler"_s, 1, 1)});
        if (caso == u"sinlineas"_s) e.inmueble(u"Piso"_s, e.inquilino(u"Ana"_s));
        if (caso == u"serie"_s) alquilado(e, u"Piso"_s, {0, 0, false, u"Z"_s});

        const QList<PropuestaMes> propuesta = proponerMes(kMarzo);
        QCOMPARE(propuesta.size(), filas);
        if (filas == 0) return;
        const PropuestaMes& p = propuesta.first();
        const Totales& t = p.totales;
        QTEST(QStringList({formatoImporte(t.base), formatoImporte(t.iva),
                           formatoImporte(t.retencion), formatoImporte(t.total)})
                  .join(u'|'),
              "totales");
        QTEST(p.aviso, "aviso");
        QVERIFY(!p.inquilino.isEmpty());
    }

    // Numbers run on per series, totals are the sheet's, and a cancelled run leaves nothing.
    void emitirYDeshacer() {
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        e.documento(4, u"A"_s, QDate(2024, 2, 1));
        alquilado(e, u"Local 1"_s, {21, 19, true, u"B"_s});
        alquilado(e, u"Piso 1"_s, {}, true);
        alquilado(e, u"Piso 2"_s, {});
        const QList<PropuestaMes> propuesta = proponerMes(kMarzo);
        QCOMPARE(propuesta.size(), 3);

        int vistos = 0;
        QCOMPARE(emitirMes(propuesta, QDate(2024, 3, 5), [&](int n) { return (vistos = n) < 2; }),
                 0);
        QCOMPARE(vistos, 2);
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 0);

        const int run = emitirMes(propuesta, QDate(2024, 3, 5));
        QCOMPARE(ultimaEmision(), run);
        const QList<int> docs = documentosEmision(run);
        QCOMPARE(numeros(docs), u"5A 6A 1B"_s);
        const auto local = leerCabecera(docs.last());
        QCOMPARE(local->totales.total, 510.0);
        QCOMPARE(local->tri, 1);
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Fac = 1"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 4);
        // Issued once, the month is proposed unchecked.
        QCOMPARE(proponerMes(kMarzo).first().aviso, u"ya emitido: 1B"_s);

        // Paid or printed documents keep the run; so does a later number in its series.
        marcarPagados({docs.first()}, true);
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: el documento 5A ya está cobrado."_s);
        marcarPagados({docs.first()}, false);
        marcarImpresos({docs.last()});
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: el documento 1B ya está impreso."_s);
        ejecutar(u"UPDATE tblCobros SET Imp = 0"_s);
        const int despues = e.documento(7, u"a"_s, QDate(2024, 3, 9));
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: después se emitió el 7a en la misma serie."_s);
        QVERIFY_THROWS_EXCEPTION(ErrorBD, deshacerEmision(run));
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 5);

        ejecutar(u"DELETE FROM tblCobros WHERE Id = ?"_s, {despues});
        QCOMPARE(motivoNoDeshacer(run), QString());
        deshacerEmision(run);
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 0);
        QCOMPARE(ultimaEmision(), 0);
        QCOMPARE(motivoNoDeshacer(run), u"No hay ninguna emisión que deshacer."_s);
    }

    // On the demo year without December: the window proposes December, issues it, prints the
    // run to one PDF (one page per document, each with its total) and undoes it.
    void ventanaEmitirImprimirDeshacer() {
        Entorno e;
        e.abrirDemo();
        ejecutar(u"DELETE FROM tblCobrosDetalles WHERE IdDoc IN"
                 u" (SELECT Id FROM tblCobros WHERE Fec >= '2024-12-01')"_s);
        ejecutar(u"DELETE FROM tblCobros WHERE Fec >= '2024-12-01'"_s);
        const int antes = Entorno::contar(u"tblCobros"_s);
        const QString salida = e.raiz() + u"/emision.pdf"_s;

        frmEmitirMes ventana;
        ventana.show();
        QCOMPARE(ventana.findChild<QLineEdit*>(u"mskMes"_s)->text(), u"12/2024"_s);
        auto* rejilla = ventana.findChild<Rejilla*>(u"mshPropuesta"_s);
        const int filas = rejilla->modelo()->filasDatos();
        QVERIFY(filas > 5);
        Mensaje::limpiarHistorial();
        DialogoArchivo::fijarSiguiente(salida);
        ventana.findChild<QPushButton*>(u"cmdEmitir"_s)->click();
        QCOMPARE(Entorno::contar(u"tblCobros"_s), antes + filas);
        QCOMPARE(rejilla->texto(1, 10).left(12), u"ya emitido: "_s);

        const QStringList paginas = paginasPdf(salida);
        QCOMPARE(paginas.size(), filas);
        QSqlQuery q = ejecutar(u"SELECT Tot FROM tblCobros WHERE IdEmi IS NOT NULL"
                               u" ORDER BY upper(Ser), Num"_s);
        for (const QString& pagina : paginas) {
            QVERIFY(q.next());
            QVERIFY2(pagina.contains(formatoImporte(q.value(0).toDouble())), qPrintable(pagina));
        }

        ventana.findChild<QPushButton*>(u"cmdDeshacer"_s)->click();
        QCOMPARE(Entorno::contar(u"tblCobros"_s), antes);
        QCOMPARE(rejilla->texto(1, 1), u"SÍ"_s);
    }
};

TORVANE_TEST_MAIN(TestEmitirMes)
#include "tst_emitirmes.moc"
