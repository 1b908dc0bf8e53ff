#include "app/Modulo.h"
#include "collections/frmCobrosDetalle.h"
#include "collections/frmCobrosHoja.h"
#include "data/Consulta.h"
#include "data/Formato.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

#include <QComboBox>

namespace {

/** Fills the line editor the sheet is about to open and accepts it. */
void escribirLinea(const QString& und, const QString& pre, const QString& des = {}) {
    cuandoAparezca<frmCobrosDetalle>([=](frmCobrosDetalle* d) {
        escribir(caja(d, "txtCodigo"), u"0"_s);
        escribir(caja(d, "txtDes"), des);
        escribir(caja(d, "txtUni"), und);
        pulsarEnter(caja(d, "txtUni"));
        escribir(caja(d, "txtPre"), pre);
        pulsarEnter(caja(d, "txtPre"));
        pulsar(d, "cmdAceptar");
        if (d->isVisible()) {
            pulsar(d, "cmdCancelar");
            QFAIL("La línea no se aceptó");
        }
    });
}

QStringList lineasGuardadas(int idDoc) {
    QSqlQuery q = ejecutar(
        u"SELECT Lin || ':' || DesCon FROM tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin"_s,
        {idDoc});
    QStringList lineas;
    while (q.next())
        lineas << q.value(0).toString();
    return lineas;
}

/** Picks the first listed row in the search window about to open, or closes it without a choice. */
void elegirEnBuscador(bool elegir) {
    cuandoAparezca<frmAtopar>([elegir](frmAtopar* buscar) {
        if (!elegir) return QTest::keyClick(buscar, Qt::Key_Escape);
        rejillaDe(buscar)->fijarFilaActual(1);
        QTest::keyClick(rejillaDe(buscar), Qt::Key_Return);
    });
}

void escape(QWidget* ventana) {
    QTest::keyClick(ventana->focusWidget() ? ventana->focusWidget() : ventana, Qt::Key_Escape);
}

/** VAT 21 % and series "A" exist; returns a stored document of that series. */
int documentoA(Entorno& e, int num = 1, const QDate& fecha = QDate(2024, 3, 1)) {
    e.tipoIva(1, 21);
    if (contar("tblSeriesF") == 0) e.serie(u"A"_s);
    return e.documento(num, u"A"_s, fecha);
}

} // namespace

class TestCobrosHoja : public QObject {
    Q_OBJECT

private slots:
    void documentoNuevo() {
        Entorno e;
        e.tipoIva(1, 21);
        ejecutar(u"INSERT INTO tblTitulos (Empresa, PorRet) VALUES ('X', 19)"_s);
        const int inq = e.inquilino(u"JOSÉ PÉREZ"_s, u"981"_s, u"600"_s, {}, u"123Z"_s);
        frmCobrosHoja hoja;
        hoja.IdInm = e.inmueble(u"Piso Centro"_s, inq);
        hoja.IdInq = inq;
        hoja.show();
        QCOMPARE(hoja.Id, 1);
        QCOMPARE(valorUnico(u"SELECT Cod || '/' || Des FROM tblSeriesF"_s).toString(),
                 u"A/Serie por defecto"_s);
        const char* const vistos[]{"txtNumero", "lblTrimestre", "txtRet", "txtPorIva",
                                   "lblNom",    "lblInqInfo",   "lblInm"};
        QStringList textos;
        for (const char* nombre : vistos)
            textos << textoDe(&hoja, nombre);
        QCOMPARE(textos.join(QLatin1Char(';')),
                 u"1;TRIMESTRE: 2;19;21;JOSÉ PÉREZ;DNI: 123Z\n981 | 600;Piso Centro"_s);
        QCOMPARE(contar("tblCobros", "Id = 1 AND Num = 1 AND Ser = 'A'"
                                     " AND Fec = '2024-05-15' AND Tri = 2"),
                 1);
        // Closed without lines: the header goes away again.
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(contar("tblCobros"), 0);
    }

    void totales_data() {
        QTest::addColumn<QStringList>("lineas"); // units, price, units, price...
        QTest::addColumn<QString>("ret");
        QTest::addColumn<QStringList>("esperado");
        QTest::newRow("iva y retención")
            << lista("2|100|1|50") << "15" << lista("250,00|250,00|52,50|37,50|265,00");
        // 0,125 is a tie and goes to the even cent; so is the VAT's 0,105.
        QTest::newRow("medio céntimo")
            << lista("1|0.5") << "25" << lista("0,50|0,50|0,10|0,12|0,48");
    }

    void totales() {
        QFETCH(QStringList, lineas);
        QFETCH(QString, ret);
        QFETCH(QStringList, esperado);
        Entorno e;
        e.tipoIva(1, 21);
        frmCobrosHoja hoja;
        hoja.show();
        for (int i = 0; i < lineas.size(); i += 2) {
            escribirLinea(lineas[i], lineas[i + 1]);
            pulsar(&hoja, "cmdNovo");
        }
        escribir(caja(&hoja, "txtRet"), ret);
        pulsarEnter(caja(&hoja, "txtRet"));
        QCOMPARE(hoja.textosTotales(), esperado);

        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QSqlQuery q = ejecutar(u"SELECT SubTotal, Base, IVA, Ret, Tot, PorIva"
                               " FROM tblCobros WHERE Id = ?"_s,
                               {hoja.Id});
        QVERIFY(q.next());
        for (int c = 0; c < 5; ++c)
            QCOMPARE(formatoImporte(q.value(c).toDouble()), esperado[c]);
        QCOMPARE(q.value(5).toDouble(), 21.0);
    }

    void numeroYSerie() {
        Entorno e;
        documentoA(e, 1, QDate(2024, 1, 1));
        e.serie(u"B"_s);
        e.documento(2, u"A"_s, QDate(2024, 1, 2));
        e.documento(7, u"B"_s, QDate(2024, 1, 3));
        frmCobrosHoja hoja;
        hoja.show();
        auto* numero = caja(&hoja, "txtNumero");
        auto* serie = hijo<QComboBox>(&hoja, "cmbSerie");
        QCOMPARE(hoja.Id, 4);
        QCOMPARE(numero->text(), u"3"_s);

        // Picking another series proposes its next number; back again, the remembered one.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        QCOMPARE(serie->currentText() + numero->text(), u"B8"_s);
        QTest::keyClick(serie, Qt::Key_Up);
        QCOMPARE(numero->text(), u"3"_s);

        e.linea(hoja.Id, 1, 1, 10);
        escribir(numero, u"2"_s);
        escape(&hoja);
        QVERIFY(hoja.isVisible());
        QCOMPARE(Mensaje::textos().last(), u"Este número de recibo ya existe. Ponga otro"_s);
        QCOMPARE(serie->currentText() + numero->text(), u"A3"_s);

        // Series B with number 2 is free; the number stays unique per series.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        escribir(numero, u"2"_s);
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(contar("tblCobros", "Id = 4 AND Num = 2 AND Ser = 'B'"), 1);
    }

    void comprobaciones_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("queda");
        filaDeTextos("txtNumero", {"txtNumero", "x", "Ponga un número correcto", "5"});
        filaDeTextos("mskFecha",
                     {"mskFecha", "31022024", "Fecha incorrecta. Ponga otra", "31/02/2024"});
        filaDeTextos("txtPorIva", {"txtPorIva", "7", "Este IVA no es correcto. Cámbielo", "7"});
    }

    void comprobaciones() {
        QFETCH(QString, control);
        QFETCH(QString, texto);
        QFETCH(QString, mensaje);
        QFETCH(QString, queda);
        Entorno e;
        frmCobrosHoja hoja;
        const int id = documentoA(e, 5);
        e.linea(id, 1, 2, 100);
        abrir(hoja, id);
        auto* caja = hoja.findChild<QLineEdit*>(control);
        // The box is changed and the window closed at once (the close box), so the checks
        // on leaving the box do not get their say first.
        caja->setText(texto);
        pulsarEnter(caja);
        hoja.close();
        QVERIFY(hoja.isVisible());
        QCOMPARE(Mensaje::textos().last(), mensaje);
        QCOMPARE(caja->text(), queda);
        QCOMPARE(contar("tblCobros", "PorIva = 21"), 0);
    }

    void comandosDeLineas_data() {
        QTest::addColumn<QList<int>>("lineas");
        QTest::addColumn<QString>("boton");
        QTest::addColumn<int>("fila");
        QTest::addColumn<QStringList>("quedan");
        QTest::newRow("insertar en 2 de 1,2,3")
            << QList<int>{1, 2, 3} << "cmdInsertar" << 2 << lista("1:L1|2:nueva|3:L2|4:L3");
        QTest::newRow("insertar en 3 de 1,3")
            << QList<int>{1, 3} << "cmdInsertar" << 2 << lista("1:L1|3:nueva|4:L3");
        QTest::newRow("nueva tras 1,2,5")
            << QList<int>{1, 2, 5} << "cmdNovo" << 1 << lista("1:L1|2:L2|5:L5|6:nueva");
        QTest::newRow("editar la 2")
            << QList<int>{1, 2, 3} << "cmdEditar" << 2 << lista("1:L1|2:nueva|3:L3");
        QTest::newRow("borrar la 2")
            << QList<int>{1, 2, 3} << "cmdBorrar" << 2 << lista("1:L1|3:L3");
    }

    void comandosDeLineas() {
        QFETCH(QList<int>, lineas);
        QFETCH(QString, boton);
        QFETCH(int, fila);
        QFETCH(QStringList, quedan);
        Entorno e;
        const int otro = documentoA(e, 1, QDate(2024, 2, 1));
        e.linea(otro, 2, 1, 1, 0, u"ajena"_s);
        const int id = e.documento(2, u"A"_s, QDate(2024, 3, 1));
        for (int lin : lineas)
            e.linea(id, lin, 1, 10, 0, u"L%1"_s.arg(lin));
        frmCobrosHoja hoja;
        abrir(hoja, id);
        auto* rejilla = rejillaDe(&hoja);
        rejilla->fijarFilaActual(fila);
        if (boton != u"cmdBorrar"_s) escribirLinea(u"3"_s, u"10"_s, u"nueva"_s);
        hoja.findChild<QPushButton*>(boton)->click();
        QCOMPARE(lineasGuardadas(id), quedan);
        QCOMPARE(lineasGuardadas(otro), lista("2:ajena"));
        QCOMPARE(rejilla->numFilas(), quedan.size() + 1);
        if (boton == u"cmdEditar"_s) QCOMPARE(rejilla->filaActual(), fila);
        // Every stored line is 1 x 10 and the typed one 3 x 10: the subtotal follows the lines.
        const int nuevas = quedan.filter(u":nueva"_s).size();
        QCOMPARE(hoja.textosTotales().first(),
                 formatoImporte(10.0 * quedan.size() + 20.0 * nuevas));
    }

    void editorDeLinea() {
        Entorno e;
        e.concepto(u"Alquiler"_s, 450);
        const int agua = e.concepto(u"Agua"_s, 12.5);
        const int id = documentoA(e);
        frmCobrosDetalle nueva;
        nueva.IdDoc = id;
        nueva.Lin = 1;
        nueva.show();
        // Units start at one; Enter on a concept's code loads it and moves on to the units.
        QVERIFY(nueva.focusWidget() == caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtUni"), u"1"_s);
        teclear(caja(&nueva, "txtCodigo"), u"1"_s);
        pulsarEnter(caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtDes") + textoDe(&nueva, "txtPre"), u"Alquiler450,00"_s);
        QVERIFY(nueva.focusWidget() == caja(&nueva, "txtUni"));
        // A concept found by its description fills code, description and price.
        escribir(caja(&nueva, "txtCodigo"), u"agua"_s);
        pulsarEnter(caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtCodigo") + QLatin1Char('|') + textoDe(&nueva, "txtDes") +
                     QLatin1Char('|') + textoDe(&nueva, "txtPre"),
                 QString::number(agua) + u"|Agua|12,50"_s);
        escribir(caja(&nueva, "txtUni"), u"2.5"_s);
        QCOMPARE(textoDe(&nueva, "txtUni"), u"2,5"_s);
        pulsarEnter(caja(&nueva, "txtUni"));
        pulsarEnter(caja(&nueva, "txtPre"));
        QCOMPARE(textoDe(&nueva, "lblTotal"), u"31,25"_s);
        // Escape does nothing; invalid units and prices are refused and reset.
        QTest::keyClick(caja(&nueva, "txtDes"), Qt::Key_Escape);
        QVERIFY(nueva.isVisible());
        escribir(caja(&nueva, "txtUni"), QString());
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last() + textoDe(&nueva, "txtUni"),
                 u"Ponga un número correcto1"_s);
        escribir(caja(&nueva, "txtPre"), u"doce"_s);
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last() + textoDe(&nueva, "txtPre"),
                 u"Ponga un precio correcto0"_s);
        QCOMPARE(contar("tblCobrosDetalles"), 0);
        escribir(caja(&nueva, "txtPre"), u"1234,5"_s);
        escribir(caja(&nueva, "txtUni"), u"2"_s);
        pulsar(&nueva, "cmdAceptar");
        QVERIFY(!nueva.isVisible());
        QCOMPARE(contar("tblCobrosDetalles",
                        "IdDoc = ? AND Lin = 1 AND IdCon = ? AND"
                        " DesCon = 'Agua' AND Imp = 2469",
                        {id, agua}),
                 1);
    }

    void conceptoDelBuscador_data() {
        QTest::addColumn<bool>("elegir");
        QTest::addColumn<QStringList>("cajas"); // code, description, price
        QTest::newRow("elegido") << true << lista("1|Alquiler|9");
        QTest::newRow("sin elegir") << false << lista("0|vieja|9");
    }

    void conceptoDelBuscador() {
        QFETCH(bool, elegir);
        QFETCH(QStringList, cajas);
        Entorno e;
        e.concepto(u"Alquiler"_s, 450);
        frmCobrosDetalle d;
        d.IdDoc = documentoA(e);
        d.Lin = 1;
        // A stored line keeps its price when its concept changes.
        abrir(d, e.linea(d.IdDoc, 1, 1, 9, 0, u"vieja"_s));
        elegirEnBuscador(elegir);
        pulsar(&d, "cmdBuscar");
        QCOMPARE(
            (QStringList{textoDe(&d, "txtCodigo"), textoDe(&d, "txtDes"), textoDe(&d, "txtPre")}),
            cajas);
        QVERIFY(Modulo::IdAtopado.isEmpty());
    }

    void inquilinoDelBuscador() {
        Entorno e;
        const int nuevo = e.inquilino(u"Berta"_s);
        documentoA(e);
        const int id = e.documento(2, u"A"_s, QDate(2024, 3, 2));
        ejecutar(u"UPDATE tblCobros SET PorIva = 21"_s);
        frmCobrosHoja hoja;
        abrir(hoja, id);
        // With a number already used, the tenant shows but is not stored yet.
        escribir(caja(&hoja, "txtNumero"), u"1"_s);
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(textoDe(&hoja, "lblNom"), u"Berta"_s);
        QCOMPARE(Mensaje::textos().last(), u"Este número de recibo ya existe. Ponga otro"_s);
        QCOMPARE(textoDe(&hoja, "txtNumero"), u"2"_s);
        const char* guardado = "Id = ? AND IdInq = ?";
        QCOMPARE(contar("tblCobros", guardado, {id, nuevo}), 0);
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(contar("tblCobros", guardado, {id, nuevo}), 1);
    }
};

TORVANE_TEST_MAIN(TestCobrosHoja)
#include "tst_cobroshoja.moc"
