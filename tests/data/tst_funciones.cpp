#include "data/Consulta.h"
#include "data/Funciones.h"
#include "support/Entorno.h"

class TestFunciones : public QObject {
    Q_OBJECT

private slots:
    void siguienteNumero()
    {
        Entorno e;
        QCOMPARE(SiguienteNumero(QStringLiteral("tblInquilinos"), QStringLiteral("Id")), 1);
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), QStringLiteral("A")), 1);
        e.documento(7, QStringLiteral("A"), QDate(2024, 1, 1));
        e.documento(3, QStringLiteral("B"), QDate(2024, 1, 1));
        e.documento(12, QStringLiteral("B"), QDate(2024, 1, 1));
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), QStringLiteral("A")), 8);
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), QStringLiteral("B")), 13);
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), QStringLiteral("C")), 1);
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Id")), 4);
        // The largest key deleted: its number is given again.
        ejecutar(QStringLiteral("DELETE FROM tblCobros WHERE Id = 3"));
        QCOMPARE(SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Id")), 3);
    }

    void siguienteLineaYExisteNumero()
    {
        Entorno e;
        const int doc = e.documento(1, QStringLiteral("A"), QDate(2024, 1, 1));
        QCOMPARE(SiguienteLinea(QStringLiteral("tblCobrosDetalles"), QStringLiteral("Lin"), QStringLiteral("IdDoc"), doc), 1);
        for (int lin : {1, 2, 5})
            e.linea(doc, lin, 1, 1);
        e.linea(doc + 1, 9, 1, 1);
        QCOMPARE(SiguienteLinea(QStringLiteral("tblCobrosDetalles"), QStringLiteral("Lin"), QStringLiteral("IdDoc"), doc), 6);
        QVERIFY(ExisteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), 1, QStringLiteral("A")));
        QVERIFY(!ExisteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), 1, QStringLiteral("B")));
        QVERIFY(ExisteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), 1));
        QVERIFY(!ExisteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), 2));
    }

    void valoresYDescripciones()
    {
        Entorno e;
        const int id = e.inquilino(QStringLiteral("José Peña O'Brien"));
        QVERIFY(ExisteValor(QStringLiteral("tblInquilinos"), QStringLiteral("Nom"), QStringLiteral("JOSE PENA O'BRIEN")));
        QVERIFY(!ExisteValor(QStringLiteral("tblInquilinos"), QStringLiteral("Nom"), QStringLiteral("José Peña")));
        QCOMPARE(DescripcionDeCodigo(QStringLiteral("tblInquilinos"), QStringLiteral("Id"), QStringLiteral("Nom"), id),
                 QStringLiteral("José Peña O'Brien"));
        QCOMPARE(DescripcionDeCodigo(QStringLiteral("tblInquilinos"), QStringLiteral("Id"), QStringLiteral("Nom"), 99),
                 QStringLiteral("NO ENCONTRADO"));
        ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom) VALUES (50, NULL)"));
        QCOMPARE(DescripcionDeCodigo(QStringLiteral("tblInquilinos"), QStringLiteral("Id"), QStringLiteral("Nom"), 50), QString());
        const int agua = e.concepto(QStringLiteral("Agua"), 18.5);
        QCOMPARE(CodigoDeDescripcion(QStringLiteral("tblCobrosConceptos"), QStringLiteral("Des"), QStringLiteral("Id"), QStringLiteral("Agua")), agua);
        QCOMPARE(CodigoDeDescripcion(QStringLiteral("tblCobrosConceptos"), QStringLiteral("Des"), QStringLiteral("Id"), QStringLiteral("Agu")), 0);
        QCOMPARE(CodigoDeDescripcion(QStringLiteral("tblCobrosConceptos"), QStringLiteral("Des"), QStringLiteral("Id"), QStringLiteral("'; DROP TABLE tblCobros; --")), 0);
        const int piso = e.inmueble(QStringLiteral("Piso"), id);
        QCOMPARE(InquilinoDeInmueble(piso), id);
        QCOMPARE(InquilinoDeInmueble(piso + 1), 0);
    }

    void iva()
    {
        Entorno e;
        QCOMPARE(TipoIvaDePorcentaje(21), -1);
        QCOMPARE(PorcentajeIvaDeTipo(1), 0.0);
        e.tipoIva(1, 21, 5.2);
        e.tipoIva(2, 10, 1.4);
        e.tipoIva(5, 5.5);
        QCOMPARE(TipoIvaDePorcentaje(21), 1);
        QCOMPARE(TipoIvaDePorcentaje(10.0), 2);
        QCOMPARE(TipoIvaDePorcentaje(5.5), 5);
        QCOMPARE(TipoIvaDePorcentaje(5.4), -1);
        QCOMPARE(TipoIvaDePorcentaje(std::nan("")), -1);
        QCOMPARE(PorcentajeIvaDeTipo(2), 10.0);
        QCOMPARE(PorcentajeIvaDeTipo(3), 0.0);
    }

    void trimestre_data()
    {
        QTest::addColumn<int>("mes");
        QTest::addColumn<QVariant>("esperado");
        QTest::newRow("enero") << 1 << QVariant(1);
        QTest::newRow("marzo") << 3 << QVariant(1);
        QTest::newRow("abril") << 4 << QVariant(2);
        QTest::newRow("septiembre") << 9 << QVariant(3);
        QTest::newRow("diciembre") << 12 << QVariant(4);
        QTest::newRow("cero") << 0 << QVariant();
        QTest::newRow("trece") << 13 << QVariant();
    }

    void trimestre()
    {
        QFETCH(int, mes);
        QFETCH(QVariant, esperado);
        QCOMPARE(Trimestre(mes), esperado);
    }
};

TORVANE_TEST_MAIN(TestFunciones)
#include "tst_funciones.moc"
