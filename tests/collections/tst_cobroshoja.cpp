#include "app/Modulo.h"
#include "collections/frmCobrosDetalle.h"
#include "collections/frmCobrosHoja.h"
#include "data/Consulta.h"
#include "data/Formato.h"
#include "registers/frmAtopar.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

template <typename T> T* hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QString::fromLatin1(nombre));
}

QLineEdit* caja(QWidget* ventana, const char* nombre) {
    return hijo<QLineEdit>(ventana, nombre);
}

/** Replaces a box's text through the keyboard, as the user would. */
void escribir(QLineEdit* control, const QString& texto) {
    enfocar(control);
    control->selectAll();
    QTest::keyClick(control, Qt::Key_Backspace);
    teclear(control, texto);
}

/** Fills the line editor the sheet is about to open and accepts it. */
void escribirLinea(const QString& und, const QString& pre, const QString& des = {}) {
    cuandoAparezca<frmCobrosDetalle>([=](frmCobrosDetalle* d) {
        escribir(caja(d, "txtCodigo"), QStringLiteral("0"));
        escribir(caja(d, "txtDes"), des);
        escribir(caja(d, "txtUni"), und);
        pulsarEnter(caja(d, "txtUni"));
        escribir(caja(d, "txtPre"), pre);
        pulsarEnter(caja(d, "txtPre"));
        hijo<QPushButton>(d, "cmdAceptar")->click();
        if (d->isVisible()) {
            hijo<QPushButton>(d, "cmdCancelar")->click();
            QFAIL("La línea no se aceptó");
        }
    });
}

void pulsar(QWidget* ventana, const char* boton) {
    hijo<QPushButton>(ventana, boton)->click();
}

QStringList lineasGuardadas(int idDoc) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Lin, DesCon FROM tblCobrosDetalles"
                                          " WHERE IdDoc = ? ORDER BY Lin"),
                           {idDoc});
    QStringList lineas;
    while (q.next())
        lineas << q.value(0).toString() + QLatin1Char(':') + q.value(1).toString();
    return lineas;
}

/** Picks the first listed row in the search window about to open, or closes it without a choice. */
void elegirEnBuscador(bool elegir) {
    cuandoAparezca<frmAtopar>([elegir](frmAtopar* buscar) {
        if (!elegir) {
            QTest::keyClick(buscar, Qt::Key_Escape);
            return;
        }
        auto* rejilla = hijo<Rejilla>(buscar, "mshDatos");
        rejilla->fijarFilaActual(1);
        QTest::keyClick(rejilla, Qt::Key_Return);
    });
}

void escape(QWidget* ventana) {
    QTest::keyClick(ventana->focusWidget() ? ventana->focusWidget() : ventana, Qt::Key_Escape);
}

} // namespace

class TestCobrosHoja : public QObject {
    Q_OBJECT

private slots:
    void documentoNuevo() {
        Entorno e;
        e.tipoIva(1, 21);
        ejecutar(QStringLiteral("INSERT INTO tblTitulos (Empresa, PorRet) VALUES ('X', 19)"));
        const int inq = e.inquilino(QStringLiteral("JOSÉ PÉREZ"), QStringLiteral("981"),
                                    QStringLiteral("600"), {}, QStringLiteral("123Z"));
        const int inm = e.inmueble(QStringLiteral("Piso Centro"), inq);
        frmCobrosHoja hoja;
        hoja.IdInm = inm;
        hoja.IdInq = inq;
        hoja.show();
        QCOMPARE(hoja.Id, 1);
        QCOMPARE(valorUnico(QStringLiteral("SELECT Cod || '/' || Des FROM tblSeriesF")).toString(),
                 QStringLiteral("A/Serie por defecto"));
        QCOMPARE(hijo<QComboBox>(&hoja, "cmbSerie")->currentText(), QStringLiteral("A"));
        QCOMPARE(caja(&hoja, "txtNumero")->text(), QStringLiteral("1"));
        QCOMPARE(caja(&hoja, "mskFecha")->text(), QStringLiteral("15/05/2024"));
        QCOMPARE(hijo<QLabel>(&hoja, "lblTrimestre")->text(), QStringLiteral("TRIMESTRE: 2"));
        QCOMPARE(caja(&hoja, "txtRet")->text(), QStringLiteral("19"));
        QCOMPARE(caja(&hoja, "txtPorIva")->text(), QStringLiteral("21"));
        QCOMPARE(hijo<QLabel>(&hoja, "lblNom")->text(), QStringLiteral("JOSÉ PÉREZ"));
        QCOMPARE(hijo<QLabel>(&hoja, "lblInqInfo")->text(), QStringLiteral("DNI: 123Z\n981 | 600"));
        QCOMPARE(hijo<QLabel>(&hoja, "lblInm")->text(), QStringLiteral("Piso Centro"));
        QCOMPARE(
            Entorno::contar(QStringLiteral("tblCobros"),
                            QStringLiteral("Id = 1 AND Num = 1"
                                           " AND Ser = 'A' AND Fec = '2024-05-15' AND Tri = 2")),
            1);

        // Closed without lines: the header goes away again.
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros")), 0);
    }

    void totales_data() {
        QTest::addColumn<QStringList>("lineas"); // units, price, units, price...
        QTest::addColumn<QString>("ret");
        QTest::addColumn<QStringList>("esperado");
        QTest::newRow("iva y retención")
            << QStringList{QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("1"),
                           QStringLiteral("50")}
            << QStringLiteral("15")
            << QStringList{QStringLiteral("250,00"), QStringLiteral("250,00"),
                           QStringLiteral("52,50"), QStringLiteral("37,50"),
                           QStringLiteral("265,00")};
        // 0,125 is a tie and goes to the even cent; so is the VAT's 0,105.
        QTest::newRow("medio céntimo")
            << QStringList{QStringLiteral("1"), QStringLiteral("0.5")} << QStringLiteral("25")
            << QStringList{QStringLiteral("0,50"), QStringLiteral("0,50"), QStringLiteral("0,10"),
                           QStringLiteral("0,12"), QStringLiteral("0,48")};
        QTest::newRow("miles") << QStringList{QStringLiteral("2"), QStringLiteral("1234,5")}
                               << QStringLiteral("0")
                               << QStringList{QStringLiteral("2.469,00"),
                                              QStringLiteral("2.469,00"), QStringLiteral("518,49"),
                                              QStringLiteral("0,00"), QStringLiteral("2.987,49")};
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
        QSqlQuery q = ejecutar(QStringLiteral("SELECT SubTotal, Base, IVA, Ret, Tot, PorRet, PorIva"
                                              " FROM tblCobros WHERE Id = ?"),
                               {hoja.Id});
        QVERIFY(q.next());
        for (int c = 0; c < 5; ++c)
            QCOMPARE(formatoImporte(q.value(c).toDouble()), esperado[c]);
        QCOMPARE(q.value(6).toDouble(), 21.0);
    }

    void numeroYSerie() {
        Entorno e;
        e.tipoIva(1, 21);
        e.serie(QStringLiteral("A"));
        e.serie(QStringLiteral("B"));
        e.documento(1, QStringLiteral("A"), QDate(2024, 1, 1));
        e.documento(2, QStringLiteral("A"), QDate(2024, 1, 2));
        e.documento(7, QStringLiteral("B"), QDate(2024, 1, 3));
        frmCobrosHoja hoja;
        hoja.show();
        auto* numero = caja(&hoja, "txtNumero");
        auto* serie = hijo<QComboBox>(&hoja, "cmbSerie");
        QCOMPARE(hoja.Id, 4);
        QCOMPARE(numero->text(), QStringLiteral("3"));

        // Picking another series proposes its next number; back again, the remembered one.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        QCOMPARE(serie->currentText(), QStringLiteral("B"));
        QCOMPARE(numero->text(), QStringLiteral("8"));
        QTest::keyClick(serie, Qt::Key_Up);
        QCOMPARE(numero->text(), QStringLiteral("3"));

        e.linea(hoja.Id, 1, 1, 10);
        escribir(numero, QStringLiteral("2"));
        escape(&hoja);
        QVERIFY(hoja.isVisible());
        QCOMPARE(Mensaje::textos().last(),
                 QStringLiteral("Este número de recibo ya existe. Ponga otro"));
        QCOMPARE(numero->text(), QStringLiteral("3"));

        // Series B with number 2 is free; the number stays unique per series.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        escribir(numero, QStringLiteral("2"));
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"),
                                 QStringLiteral("Id = 4 AND Num = 2 AND Ser = 'B'")),
                 1);
    }

    void comprobaciones_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("queda");
        QTest::newRow("número") << QStringLiteral("txtNumero") << QStringLiteral("x")
                                << QStringLiteral("Ponga un número correcto")
                                << QStringLiteral("5");
        QTest::newRow("fecha") << QStringLiteral("mskFecha") << QStringLiteral("31022024")
                               << QStringLiteral("Fecha incorrecta. Ponga otra")
                               << QStringLiteral("31/02/2024");
        QTest::newRow("iva sin tipo")
            << QStringLiteral("txtPorIva") << QStringLiteral("7")
            << QStringLiteral("Este IVA no es correcto. Cámbielo") << QStringLiteral("7");
        QTest::newRow("iva sin número")
            << QStringLiteral("txtPorIva") << QStringLiteral("abc")
            << QStringLiteral("Este IVA no es correcto. Cámbielo") << QStringLiteral("abc");
    }

    void comprobaciones() {
        QFETCH(QString, control);
        QFETCH(QString, texto);
        QFETCH(QString, mensaje);
        QFETCH(QString, queda);
        Entorno e;
        e.tipoIva(1, 21);
        e.serie(QStringLiteral("A"));
        const int id = e.documento(5, QStringLiteral("A"), QDate(2024, 3, 1));
        e.linea(id, 1, 2, 100);
        frmCobrosHoja hoja;
        hoja.Estado = 1;
        hoja.Id = id;
        hoja.show();
        auto* caja = hoja.findChild<QLineEdit*>(control);
        // The box is changed and the window closed at once (the close box), so the checks
        // on leaving the box do not get their say first.
        caja->setText(texto);
        pulsarEnter(caja);
        hoja.close();
        QVERIFY(hoja.isVisible());
        QCOMPARE(Mensaje::textos().last(), mensaje);
        QCOMPARE(caja->text(), queda);
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"), QStringLiteral("PorIva = 21")), 0);
    }

    void comandosDeLineas_data() {
        QTest::addColumn<QList<int>>("lineas");
        QTest::addColumn<QString>("boton");
        QTest::addColumn<int>("fila");
        QTest::addColumn<QStringList>("quedan");
        QTest::newRow("insertar en 2 de 1,2,3")
            << QList<int>{1, 2, 3} << QStringLiteral("cmdInsertar") << 2
            << QStringList{QStringLiteral("1:L1"), QStringLiteral("2:nueva"),
                           QStringLiteral("3:L2"), QStringLiteral("4:L3")};
        QTest::newRow("insertar en 3 de 1,3")
            << QList<int>{1, 3} << QStringLiteral("cmdInsertar") << 2
            << QStringList{QStringLiteral("1:L1"), QStringLiteral("3:nueva"),
                           QStringLiteral("4:L3")};
        QTest::newRow("nueva tras 1,2,5")
            << QList<int>{1, 2, 5} << QStringLiteral("cmdNovo") << 1
            << QStringList{QStringLiteral("1:L1"), QStringLiteral("2:L2"), QStringLiteral("5:L5"),
                           QStringLiteral("6:nueva")};
        QTest::newRow("editar la 2")
            << QList<int>{1, 2, 3} << QStringLiteral("cmdEditar") << 2
            << QStringList{QStringLiteral("1:L1"), QStringLiteral("2:nueva"),
                           QStringLiteral("3:L3")};
        QTest::newRow("borrar la 2") << QList<int>{1, 2, 3} << QStringLiteral("cmdBorrar") << 2
                                     << QStringList{QStringLiteral("1:L1"), QStringLiteral("3:L3")};
    }

    void comandosDeLineas() {
        QFETCH(QList<int>, lineas);
        QFETCH(QString, boton);
        QFETCH(int, fila);
        QFETCH(QStringList, quedan);
        Entorno e;
        e.tipoIva(1, 21);
        e.serie(QStringLiteral("A"));
        const int otro = e.documento(1, QStringLiteral("A"), QDate(2024, 2, 1));
        e.linea(otro, 2, 1, 1, 0, QStringLiteral("ajena"));
        const int id = e.documento(2, QStringLiteral("A"), QDate(2024, 3, 1));
        for (int lin : lineas)
            e.linea(id, lin, 1, 10, 0, QStringLiteral("L%1").arg(lin));
        frmCobrosHoja hoja;
        hoja.Estado = 1;
        hoja.Id = id;
        hoja.show();
        auto* rejilla = hijo<Rejilla>(&hoja, "mshDatos");
        rejilla->fijarFilaActual(fila);
        if (boton != QStringLiteral("cmdBorrar"))
            escribirLinea(QStringLiteral("3"), QStringLiteral("10"), QStringLiteral("nueva"));
        hoja.findChild<QPushButton*>(boton)->click();
        QCOMPARE(lineasGuardadas(id), quedan);
        QCOMPARE(lineasGuardadas(otro), QStringList{QStringLiteral("2:ajena")});
        QCOMPARE(rejilla->numFilas(), quedan.size() + 1);
        if (boton == QStringLiteral("cmdEditar")) QCOMPARE(rejilla->filaActual(), fila);
        // Every stored line is 1 x 10 and the typed one 3 x 10: the subtotal follows the lines.
        const int nuevas = quedan.filter(QStringLiteral(":nueva")).size();
        const double subtotal = 10.0 * (quedan.size() - nuevas) + 30.0 * nuevas;
        QCOMPARE(hoja.textosTotales().first(), formatoImporte(subtotal));
    }

    void editorDeLinea() {
        Entorno e;
        e.concepto(QStringLiteral("Alquiler"), 450);
        const int agua = e.concepto(QStringLiteral("Agua"), 12.5);
        e.serie(QStringLiteral("A"));
        const int id = e.documento(1, QStringLiteral("A"), QDate(2024, 3, 1));
        frmCobrosDetalle nueva;
        nueva.IdDoc = id;
        nueva.Lin = 1;
        nueva.show();
        // A concept found by its description fills code, description and price.
        escribir(caja(&nueva, "txtCodigo"), QStringLiteral("agua"));
        pulsarEnter(caja(&nueva, "txtCodigo"));
        QCOMPARE(caja(&nueva, "txtCodigo")->text(), QString::number(agua));
        QCOMPARE(caja(&nueva, "txtDes")->text(), QStringLiteral("Agua"));
        QCOMPARE(caja(&nueva, "txtPre")->text(), QStringLiteral("12,50"));
        escribir(caja(&nueva, "txtUni"), QStringLiteral("2.5"));
        QCOMPARE(caja(&nueva, "txtUni")->text(), QStringLiteral("2,5"));
        pulsarEnter(caja(&nueva, "txtUni"));
        pulsarEnter(caja(&nueva, "txtPre"));
        QCOMPARE(hijo<QLabel>(&nueva, "lblTotal")->text(), QStringLiteral("31,25"));
        // Escape does nothing; invalid units are refused and reset.
        QTest::keyClick(caja(&nueva, "txtDes"), Qt::Key_Escape);
        QVERIFY(nueva.isVisible());
        escribir(caja(&nueva, "txtUni"), QString());
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last(), QStringLiteral("Ponga un número correcto"));
        QCOMPARE(caja(&nueva, "txtUni")->text(), QStringLiteral("1"));
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobrosDetalles")), 0);
        escribir(caja(&nueva, "txtPre"), QStringLiteral("doce"));
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last(), QStringLiteral("Ponga un precio correcto"));
        QCOMPARE(caja(&nueva, "txtPre")->text(), QStringLiteral("0"));
        escribir(caja(&nueva, "txtPre"), QStringLiteral("1234,5"));
        escribir(caja(&nueva, "txtUni"), QStringLiteral("2"));
        pulsar(&nueva, "cmdAceptar");
        QVERIFY(!nueva.isVisible());
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobrosDetalles"),
                                 QStringLiteral("IdDoc = ? AND Lin = 1 AND IdCon = ? AND"
                                                " DesCon = 'Agua' AND Imp = 2469"),
                                 {id, agua}),
                 1);

        // An edited line keeps its price when its concept changes; Cancel writes nothing.
        frmCobrosDetalle editada;
        editada.Estado = 1;
        editada.Id = 1;
        editada.Lin = 1;
        editada.IdDoc = id;
        editada.show();
        QCOMPARE(caja(&editada, "txtPre")->text(), QStringLiteral("1234,5"));
        QCOMPARE(hijo<QLabel>(&editada, "lblTotal")->text(), QStringLiteral("2.469,00"));
        escribir(caja(&editada, "txtCodigo"), QStringLiteral("Alquiler"));
        pulsarEnter(caja(&editada, "txtCodigo"));
        QCOMPARE(caja(&editada, "txtDes")->text(), QStringLiteral("Alquiler"));
        QCOMPARE(caja(&editada, "txtPre")->text(), QStringLiteral("1234,5"));
        pulsar(&editada, "cmdCancelar");
        QVERIFY(!editada.isVisible());
        QCOMPARE(
            Entorno::contar(QStringLiteral("tblCobrosDetalles"), QStringLiteral("DesCon = 'Agua'")),
            1);
    }

    void conceptoDelBuscador_data() {
        QTest::addColumn<int>("estado");
        QTest::addColumn<bool>("elegir");
        QTest::addColumn<QStringList>("cajas"); // code, description, price
        QTest::newRow("nueva") << 0 << true
                               << QStringList{QStringLiteral("1"), QStringLiteral("Alquiler"),
                                              QStringLiteral("450,00")};
        QTest::newRow("editada") << 1 << true
                                 << QStringList{QStringLiteral("1"), QStringLiteral("Alquiler"),
                                                QStringLiteral("9")};
        QTest::newRow("sin elegir")
            << 1 << false
            << QStringList{QStringLiteral("0"), QStringLiteral("vieja"), QStringLiteral("9")};
    }

    void conceptoDelBuscador() {
        QFETCH(int, estado);
        QFETCH(bool, elegir);
        QFETCH(QStringList, cajas);
        Entorno e;
        e.concepto(QStringLiteral("Alquiler"), 450);
        e.serie(QStringLiteral("A"));
        const int id = e.documento(1, QStringLiteral("A"), QDate(2024, 3, 1));
        const int linea = e.linea(id, 1, 1, 9, 0, QStringLiteral("vieja"));
        frmCobrosDetalle d;
        d.Estado = estado;
        d.Id = linea;
        d.IdDoc = id;
        d.Lin = 1;
        d.show();
        if (estado == 0) {
            escribir(caja(&d, "txtDes"), QStringLiteral("vieja"));
            escribir(caja(&d, "txtPre"), QStringLiteral("9"));
        }
        elegirEnBuscador(elegir);
        pulsar(&d, "cmdBuscar");
        QCOMPARE(caja(&d, "txtCodigo")->text(), cajas[0]);
        QCOMPARE(caja(&d, "txtDes")->text(), cajas[1]);
        QCOMPARE(caja(&d, "txtPre")->text(), cajas[2]);
        QVERIFY(Modulo::IdAtopado.isEmpty());
    }

    void inquilinoDelBuscador() {
        Entorno e;
        e.tipoIva(1, 21);
        e.serie(QStringLiteral("A"));
        const int nuevo = e.inquilino(QStringLiteral("Berta"));
        e.documento(1, QStringLiteral("A"), QDate(2024, 3, 1));
        const int id = e.documento(2, QStringLiteral("A"), QDate(2024, 3, 2));
        ejecutar(QStringLiteral("UPDATE tblCobros SET PorIva = 21"));
        frmCobrosHoja hoja;
        hoja.Estado = 1;
        hoja.Id = id;
        hoja.show();
        // With a number already used, the tenant shows but is not stored yet.
        escribir(caja(&hoja, "txtNumero"), QStringLiteral("1"));
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(hijo<QLabel>(&hoja, "lblNom")->text(), QStringLiteral("Berta"));
        QCOMPARE(Mensaje::textos().last(),
                 QStringLiteral("Este número de recibo ya existe. Ponga otro"));
        QCOMPARE(caja(&hoja, "txtNumero")->text(), QStringLiteral("2"));
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"), QStringLiteral("IdInq = ?"), {nuevo}),
                 0);
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"),
                                 QStringLiteral("Id = ? AND IdInq = ?"), {id, nuevo}),
                 1);
    }
};

TORVANE_TEST_MAIN(TestCobrosHoja)
#include "tst_cobroshoja.moc"
