#include "app/Modulo.h"
#include "collections/frmCobros.h"
#include "collections/frmCobrosHoja.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

/** The number-and-series column, top to bottom. */
QStringList numeros(QWidget* lista) {
    rejillaDe(lista)->modelo()->cargarHasta();
    return columna(rejillaDe(lista), 2);
}

QString resumen(int cuenta, const QString& total) {
    return u"%1 recibos de cobro | TOTAL IMPORTES: %2 €"_s.arg(cuenta).arg(total);
}

} // namespace

class TestCobros : public QObject {
    Q_OBJECT

private slots:
    void listaYOrden() {
        Entorno e;
        const int inq = e.inquilino(u"Ana"_s);
        const int inm = e.inmueble(u"Bajo"_s, inq);
        e.documento(10, u"A"_s, QDate(2024, 3, 1), inm, inq, 1000);
        e.documento(9, u"A"_s, QDate(2024, 3, 1), 0, 0, 234.56, true);
        e.documento(1, u"B"_s, QDate(2024, 4, 1), inm, 0, 100);
        e.documento(3, u"A"_s, QDate(1999, 12, 31), inm, inq, 5);
        frmCobros lista;
        lista.show();
        QCOMPARE(textoDe(&lista, "mskHasta"), u"31/12/2024"_s);
        QCOMPARE(numeros(&lista), ::lista("1B|9A|10A"));
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(3, u"1.334,56"_s));
        Rejilla* rejilla = rejillaDe(&lista);
        QCOMPARE(QStringList({rejilla->texto(1, 0), rejilla->texto(1, 1), rejilla->texto(1, 3),
                              rejilla->texto(1, 4), rejilla->texto(3, 4), rejilla->texto(3, 10)}),
                 ::lista("1|01/04/2024|Bajo||Ana|1.000,00"));
        QCOMPARE(columna(rejilla, 11), ::lista("NO|SÍ|NO"));
        QCOMPARE(rejilla->filaActual(), 1);
    }

    void filtros_data() {
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("pendientes");
        QTest::addColumn<int>("serie"); // entry of the series box: 0 TODAS, 1 A, 2 B
        QTest::addColumn<QStringList>("esperados");
        QTest::addColumn<QString>("total");
        const auto fila = [](const char* caso, const char* desde, const char* texto, bool pen,
                             int serie, const char* esperados, const char* total) {
            QTest::newRow(caso) << QString::fromUtf8(desde) << QString::fromUtf8(texto) << pen
                                << serie << lista(esperados) << QString::fromUtf8(total);
        };
        fila("todo", "", "", false, 0, "2B|1B|2A|1A", "1.111,00");
        fila("acentos", "", "jose", false, 0, "2B|1A", "1.001,00");
        fila("comilla", "", "o'brien", false, 0, "1B", "100,00");
        fila("porcentaje", "", "100%", false, 0, "2A", "10,00");
        fila("fuera de fechas", "02022024", "jose", false, 0, "2B", "1,00");
        fila("pendientes", "", "", true, 0, "2B|2A", "11,00");
        fila("serie B", "", "", false, 2, "2B|1B", "101,00");
        fila("serie A pendientes", "", "", true, 1, "2A", "10,00");
    }

    void filtros() {
        QFETCH(QString, desde);
        QFETCH(QString, texto);
        QFETCH(bool, pendientes);
        QFETCH(int, serie);
        QFETCH(QStringList, esperados);
        QFETCH(QString, total);
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        const int jose = e.inquilino(u"JOSÉ Núñez"_s);
        const int obrien = e.inquilino(u"Mary O'Brien"_s);
        const int local = e.inmueble(u"Local 100% reformado"_s);
        const int piso = e.inmueble(u"Piso 1000"_s);
        e.documento(1, u"A"_s, QDate(2024, 2, 1), piso, jose, 1000, true);
        e.documento(2, u"A"_s, QDate(2024, 2, 2), local, 0, 10);
        e.documento(1, u"B"_s, QDate(2024, 2, 3), piso, obrien, 100, true);
        e.documento(2, u"B"_s, QDate(2024, 2, 4), 0, jose, 1);
        frmCobros lista;
        lista.show();
        if (!desde.isEmpty()) escribir(caja(&lista, "mskDesde"), desde);
        auto* combo = hijo<QComboBox>(&lista, "cmbSerie");
        enfocar(combo);
        for (int i = 0; i < serie; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        escribir(caja(&lista, "txtFiltro"), texto);
        pulsarEnter(caja(&lista, "txtFiltro"));
        if (pendientes)
            QTest::mouseClick(hijo<QCheckBox>(&lista, "chkPen"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(numeros(&lista), esperados);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(esperados.size(), total));
    }

    void borrarYEditar() {
        Entorno e;
        e.tipoIva(1, 0);
        QList<int> ids;
        // More documents than the grid reads at once: the list query is still open while
        // the deletion runs in its transaction.
        for (int n = 1; n <= 300; ++n) {
            ids << e.documento(n, u"A"_s, QDate(2024, 1, 1).addDays(300 - n), 0, 0, 10);
            e.linea(ids.last(), 1, 1, 10);
        }
        frmCobros lista;
        lista.show();
        Rejilla* rejilla = rejillaDe(&lista);
        rejilla->fijarFilaActual(2);
        Mensaje::responderSiguiente(false);
        pulsar(&lista, "cmdBorrar");
        QCOMPARE(Mensaje::textos().last(), u"¿Borrar el recibo nº 2A?"_s);
        QVERIFY(Mensaje::historial().last().noPorDefecto);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(300, u"3.000,00"_s));
        pulsar(&lista, "cmdBorrar");
        QCOMPARE(contar("tblCobros", "Num = 2"), 0);
        QCOMPARE(contar("tblCobrosDetalles"), 299);
        QCOMPARE(contar("tblCobrosDetalles", "IdDoc = ?", {ids[1]}), 0);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(299, u"2.990,00"_s));
        QCOMPARE(rejilla->filaActual(), 2);

        // After editing the third row, it is current again and shown at the top.
        rejilla->fijarFilaActual(3);
        int abierto = 0;
        cuandoAparezca<frmCobrosHoja>([&](frmCobrosHoja* hoja) {
            abierto = hoja->Id;
            QCOMPARE(hoja->windowTitle(), u"Modificando Recibo"_s);
            hoja->findChild<QCheckBox*>(u"chkPag"_s)->setChecked(true);
            QTest::keyClick(hoja, Qt::Key_Escape);
        });
        QTest::keyClick(rejilla, Qt::Key_Return);
        QCOMPARE(abierto, ids[3]);
        QCOMPARE(rejilla->filaActual(), 3);
        QCOMPARE(rejilla->rowAt(0), 2);
        QCOMPARE(rejilla->texto(3, 11), u"SÍ"_s);
    }

    void nuevoDocumento_data() {
        QTest::addColumn<bool>("elegir");
        QTest::newRow("sin inmueble") << false;
        QTest::newRow("con inmueble") << true;
    }

    void nuevoDocumento() {
        QFETCH(bool, elegir);
        Entorno e;
        e.tipoIva(1, 21);
        const int inq = e.inquilino(u"Ana"_s);
        const int inm = e.inmueble(u"Bajo"_s, inq);
        frmCobros lista;
        lista.show();
        int idInm = -1, idInq = -1;
        cuandoAparezca<frmAtopar>([&](frmAtopar* buscar) {
            QCOMPARE(buscar->Estado, u"Inmuebles"_s);
            cuandoAparezca<frmCobrosHoja>([&](frmCobrosHoja* hoja) {
                idInm = hoja->IdInm;
                idInq = hoja->IdInq;
                QCOMPARE(hoja->windowTitle(), u"Nuevo Recibo de Cobro"_s);
                e.linea(hoja->Id, 1, 1, 50);
                QTest::keyClick(hoja, Qt::Key_Escape);
            });
            if (!elegir) return QTest::keyClick(buscar, Qt::Key_Escape);
            rejillaDe(buscar)->fijarFilaActual(1);
            QTest::keyClick(rejillaDe(buscar), Qt::Key_Return);
        });
        pulsar(&lista, "cmdNovo");
        QCOMPARE(idInm, elegir ? inm : 0);
        QCOMPARE(idInq, elegir ? inq : 0);
        QVERIFY(Modulo::IdAtopado.isEmpty());
        QCOMPARE(contar("tblCobros", "IdInm = ? AND IdInq = ?", {idInm, idInq}), 1);
        // The new document shows at once, without filtering again.
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(1, u"0,00"_s));
    }
};

TORVANE_TEST_MAIN(TestCobros)
#include "tst_cobros.moc"
