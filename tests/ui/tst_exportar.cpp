#include "collections/frmCobros.h"
#include "data/Consulta.h"
#include "data/Exportacion.h"
#include "registers/AyudasRegistros.h"
#include "reports/frmEstadisticas.h"
#include "support/Entorno.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QCheckBox>
#include <QFile>
#include <QProcess>

namespace {

/** One part of an .xlsx (a zip) as its XML text. */
QString parteXlsx(const QString& ruta, const QString& parte) {
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, ruta, parte});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

/** Presses "Exportar" on a list window, saving to ruta; returns the message shown. */
QString exportar(QWidget* ventana, const QString& ruta) {
    Mensaje::limpiarHistorial();
    DialogoArchivo::fijarSiguiente(ruta);
    pulsar(ventana, "cmdExportar");
    return Mensaje::textos().value(0);
}

} // namespace

class TestExportar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Mensaje::modoPrueba(true); }

    void hojaEnXlsxYCsv() {
        Entorno e;
        const Hoja hoja{u"Cobros"_s,
                        {{u"Fecha"_s, TipoDato::Fecha},
                         {u"Inquilino"_s, TipoDato::Texto},
                         {u"Base"_s, TipoDato::Importe},
                         {u"%"_s, TipoDato::Numero}},
                        {{QDate(2024, 3, 1), u"Pérez; \"Ana\""_s, 1234.5, 21.0},
                         {QDate(2024, 12, 31), u"=HIPERVINCULO()"_s, -0.1, QVariant()},
                         {QVariant(), QVariant(), QVariant(), 10.5}},
                        true};
        const QString csv = e.raiz() + u"/c.csv"_s;
        QCOMPARE(exportarHoja(hoja, csv), QString());
        QCOMPARE(contenidoDe(csv), QByteArray("\xEF\xBB\xBF"
                                              "Fecha;Inquilino;Base;%\r\n"
                                              "01/03/2024;\"Pérez; \"\"Ana\"\"\";1234,50;21\r\n"
                                              "31/12/2024;'=HIPERVINCULO();-0,10;\r\n"
                                              ";;;10,5\r\n"));

        const QString xlsx = e.raiz() + u"/c.xlsx"_s;
        QCOMPARE(exportarHoja(hoja, xlsx), QString());
        const QString hojaXml = parteXlsx(xlsx, u"xl/worksheets/sheet1.xml"_s);
        // A real date serial, a real number, text kept as text, the header frozen.
        QVERIFY(hojaXml.contains(u"<c r=\"A2\" s=\"2\"><v>45352</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"C2\" s=\"3\"><v>1234.5</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"D2\"><v>21</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"B3\" t=\"inlineStr\"><is><t>=HIPERVINCULO()</t>"_s));
        QVERIFY(hojaXml.contains(u"ySplit=\"1\""_s));
        QVERIFY(hojaXml.contains(u"<c r=\"C5\" s=\"4\"><f>SUM(C2:C4)</f><v>1234.4</v></c>"_s));
        QVERIFY(!hojaXml.contains(u"r=\"D5\""_s));
        QVERIFY(hojaXml.contains(u"<col min=\"2\" max=\"2\" width=\"17."_s));
        const QString estilos = parteXlsx(xlsx, u"xl/styles.xml"_s);
        QVERIFY(estilos.contains(u"formatCode=\"dd/mm/yyyy\""_s));
        QVERIFY(estilos.contains(u"<b/>"_s));

        // A folder that does not exist: a reason, and no file at all.
        const QString mala = e.raiz() + u"/no/existe.xlsx"_s;
        QVERIFY(exportarHoja(hoja, mala).startsWith(u"No se pudo escribir el archivo"_s));
        QVERIFY(!QFile::exists(mala) && !QFile::exists(mala + u".parcial"_s));
    }

    void listasDesdeSusVentanas() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        const int bajo = e.inmueble(u"Bajo"_s, ana);
        e.documento(1, u"A"_s, QDate(2024, 2, 1), bajo, ana, 1210, true);
        e.documento(2, u"A"_s, QDate(2024, 3, 1), bajo, ana, 605.5);
        ejecutar(u"UPDATE tblCobros SET PorIva = 21"_s);
        frmCobros cobros;
        cobros.show();
        // Only what the filter leaves is exported, in the order the list shows.
        hijo<QCheckBox>(&cobros, "chkPen")->click();
        const QString csv = e.raiz() + u"/pendientes.csv"_s;
        QCOMPARE(exportar(&cobros, csv), u"1 fila exportada a "_s + csv);
        QCOMPARE(contenidoDe(csv),
                 QByteArray("\xEF\xBB\xBF"
                            "Fecha;Nº Recibo;Inmueble;Inquilino;Base;%;IVA;%;RET;"
                            "TOTAL;Pag\r\n"
                            "01/03/2024;2A;Bajo;Ana;605,50;21;0,00;0;0,00;605,50;NO\r\n"));

        // The statistics grid's own TOTAL row becomes the formulas' row, not a data row.
        frmEstadisticas estadisticas;
        estadisticas.show();
        const QString xlsx = e.raiz() + u"/estadisticas"_s;
        QCOMPARE(exportar(&estadisticas, xlsx), u"1 fila exportada a "_s + xlsx + u".xlsx"_s);
        const QString hojaXml = parteXlsx(xlsx + u".xlsx"_s, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY(hojaXml.contains(u"<f>SUM(N2:N2)</f><v>1815.5</v>"_s));
        QVERIFY(!hojaXml.contains(u"r=\"A4\""_s));

        ejecutar(u"DELETE FROM tblCobros"_s);
        cobros.findChild<QCheckBox*>(u"chkPen"_s)->click();
        QCOMPARE(exportar(&cobros, csv), u"No hay filas que exportar."_s);
    }
};

TORVANE_TEST_MAIN(TestExportar)
#include "tst_exportar.moc"
