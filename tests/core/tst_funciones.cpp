#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "support/Entorno.h"

using namespace torvane;

using namespace Qt::StringLiterals;

class TestFunciones : public QObject {
    Q_OBJECT

private slots:
    // Next number per series, next key, next line of a document, and whether a number is taken.
    void numeracion() {
        Entorno e;
        const QString cobros = u"tblCobros"_s, num = u"Num"_s;
        const auto siguiente = [&](const QString& campo, const QString& serie = {}) {
            return SiguienteNumero(cobros, campo, serie);
        };
        QCOMPARE(SiguienteNumero(u"tblInquilinos"_s, u"Id"_s), 1);
        QCOMPARE(siguiente(num, u"A"_s), 1);
        const int doc = e.documento(7, u"A"_s, QDate(2024, 1, 1));
        e.documento(3, u"B"_s, QDate(2024, 1, 1));
        e.documento(12, u"B"_s, QDate(2024, 1, 1));
        QCOMPARE(siguiente(num, u"A"_s), 8);
        QCOMPARE(siguiente(num, u"B"_s), 13);
        QCOMPARE(siguiente(num, u"C"_s), 1);
        QCOMPARE(siguiente(u"Id"_s), 4);
        QVERIFY(ExisteNumero(cobros, num, 7, u"A"_s));
        QVERIFY(!ExisteNumero(cobros, num, 7, u"B"_s));
        QVERIFY(ExisteNumero(cobros, num, 7));
        QVERIFY(!ExisteNumero(cobros, num, 2));
        // The largest key deleted: its number is given again.
        ejecutar(u"DELETE FROM tblCobros WHERE Id = 3"_s);
        QCOMPARE(siguiente(u"Id"_s), 3);

        const auto linea = [doc] {
            return SiguienteLinea(u"tblCobrosDetalles"_s, u"Lin"_s, u"IdDoc"_s, doc);
        };
        QCOMPARE(linea(), 1);
        for (int lin : {1, 2, 5})
            e.linea(doc, lin, 1, 1);
        e.linea(doc + 1, 9, 1, 1);
        QCOMPARE(linea(), 6);
    }

    void valoresYDescripciones() {
        Entorno e;
        const QString inquilinos = u"tblInquilinos"_s, conceptos = u"tblCobrosConceptos"_s;
        const int id = e.inquilino(u"José Peña O'Brien"_s);
        QVERIFY(ExisteValor(inquilinos, u"Nom"_s, u"JOSE PENA O'BRIEN"_s));
        QVERIFY(!ExisteValor(inquilinos, u"Nom"_s, u"José Peña"_s));
        const auto nombre = [&](int codigo) {
            return DescripcionDeCodigo(inquilinos, u"Id"_s, u"Nom"_s, codigo);
        };
        QCOMPARE(nombre(id), u"José Peña O'Brien"_s);
        QCOMPARE(nombre(99), u"NO ENCONTRADO"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (50, NULL)"_s);
        QCOMPARE(nombre(50), QString());
        const int agua = e.concepto(u"Agua"_s, 18.5);
        const auto codigo = [&](const QString& des) {
            return CodigoDeDescripcion(conceptos, u"Des"_s, u"Id"_s, des);
        };
        QCOMPARE(codigo(u"Agua"_s), agua);
        QCOMPARE(codigo(u"Agu"_s), 0);
        QCOMPARE(codigo(u"'; DROP TABLE tblCobros; --"_s), 0);
        const int piso = e.inmueble(u"Piso"_s, id);
        QCOMPARE(InquilinoDeInmueble(piso), id);
        QCOMPARE(InquilinoDeInmueble(piso + 1), 0);
    }

    void iva() {
        Entorno e;
        const auto tasa = [](const char* t) { return *Decimal::leer(QString::fromLatin1(t)); };
        QCOMPARE(TipoIvaDePorcentaje(tasa("21")), -1);
        QCOMPARE(tasaIvaDeTipo(1), Decimal());
        e.tipoIva(1, 21, 5.2);
        e.tipoIva(2, 10, 1.4);
        e.tipoIva(5, 5.5);
        QCOMPARE(TipoIvaDePorcentaje(tasa("21")), 1);
        QCOMPARE(TipoIvaDePorcentaje(tasa("10,0")), 2);
        QCOMPARE(TipoIvaDePorcentaje(tasa("5,5")), 5);
        QCOMPARE(TipoIvaDePorcentaje(tasa("5,4")), -1);
        QCOMPARE(tasaIvaDeTipo(2), tasa("10"));
        QCOMPARE(tasaIvaDeTipo(3), Decimal());
    }

    void trimestre_data() {
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

    void trimestre() {
        QFETCH(int, mes);
        QFETCH(QVariant, esperado);
        QCOMPARE(Trimestre(mes), esperado);
    }
};

TORVANE_TEST_MAIN(TestFunciones)
#include "tst_funciones.moc"
