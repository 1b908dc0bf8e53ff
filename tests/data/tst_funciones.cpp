#include "data/Consulta.h"
#include "data/Funciones.h"
#include "support/Entorno.h"

using namespace Qt::StringLiterals;

class TestFunciones : public QObject {
    Q_OBJECT

private slots:
    void siguienteNumero()
    {
        Entorno e;
        QCOMPARE(SiguienteNumero(u"tblInquilinos"_s, u"Id"_s), 1);
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Num"_s, u"A"_s), 1);
        e.documento(7, u"A"_s, QDate(2024, 1, 1));
        e.documento(3, u"B"_s, QDate(2024, 1, 1));
        e.documento(12, u"B"_s, QDate(2024, 1, 1));
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Num"_s, u"A"_s), 8);
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Num"_s, u"B"_s), 13);
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Num"_s, u"C"_s), 1);
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Id"_s), 4);
        // The largest key deleted: its number is given again.
        ejecutar(u"DELETE FROM tblCobros WHERE Id = 3"_s);
        QCOMPARE(SiguienteNumero(u"tblCobros"_s, u"Id"_s), 3);
    }

    void siguienteLineaYExisteNumero()
    {
        Entorno e;
        const int doc = e.documento(1, u"A"_s, QDate(2024, 1, 1));
        QCOMPARE(SiguienteLinea(u"tblCobrosDetalles"_s, u"Lin"_s, u"IdDoc"_s, doc), 1);
        for (int lin : {1, 2, 5})
            e.linea(doc, lin, 1, 1);
        e.linea(doc + 1, 9, 1, 1);
        QCOMPARE(SiguienteLinea(u"tblCobrosDetalles"_s, u"Lin"_s, u"IdDoc"_s, doc), 6);
        QVERIFY(ExisteNumero(u"tblCobros"_s, u"Num"_s, 1, u"A"_s));
        QVERIFY(!ExisteNumero(u"tblCobros"_s, u"Num"_s, 1, u"B"_s));
        QVERIFY(ExisteNumero(u"tblCobros"_s, u"Num"_s, 1));
        QVERIFY(!ExisteNumero(u"tblCobros"_s, u"Num"_s, 2));
    }

    void valoresYDescripciones()
    {
        Entorno e;
        const int id = e.inquilino(u"José Peña O'Brien"_s);
        QVERIFY(ExisteValor(u"tblInquilinos"_s, u"Nom"_s, u"JOSE PENA O'BRIEN"_s));
        QVERIFY(!ExisteValor(u"tblInquilinos"_s, u"Nom"_s, u"José Peña"_s));
        QCOMPARE(DescripcionDeCodigo(u"tblInquilinos"_s, u"Id"_s, u"Nom"_s, id),
                 u"José Peña O'Brien"_s);
        QCOMPARE(DescripcionDeCodigo(u"tblInquilinos"_s, u"Id"_s, u"Nom"_s, 99),
                 u"NO ENCONTRADO"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (50, NULL)"_s);
        QCOMPARE(DescripcionDeCodigo(u"tblInquilinos"_s, u"Id"_s, u"Nom"_s, 50), QString());
        const int agua = e.concepto(u"Agua"_s, 18.5);
        QCOMPARE(CodigoDeDescripcion(u"tblCobrosConceptos"_s, u"Des"_s, u"Id"_s, u"Agua"_s), agua);
        QCOMPARE(CodigoDeDescripcion(u"tblCobrosConceptos"_s, u"Des"_s, u"Id"_s, u"Agu"_s), 0);
        QCOMPARE(CodigoDeDescripcion(u"tblCobrosConceptos"_s, u"Des"_s, u"Id"_s, u"'; DROP TABLE tblCobros; --"_s), 0);
        const int piso = e.inmueble(u"Piso"_s, id);
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
