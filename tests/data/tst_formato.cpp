#include "data/Formato.h"
#include "data/Plegado.h"
#include "data/Totales.h"
#include "data/Consulta.h"
#include "support/Entorno.h"

class TestFormato : public QObject {
    Q_OBJECT

private slots:
    void importes_data()
    {
        QTest::addColumn<double>("valor");
        QTest::addColumn<QString>("texto");
        QTest::newRow("cero") << 0.0 << QStringLiteral("0,00");
        QTest::newRow("agrupado") << 2469.0 << QStringLiteral("2.469,00");
        QTest::newRow("negativo") << -1234.5 << QStringLiteral("-1.234,50");
        QTest::newRow("millones") << 1234567.891 << QStringLiteral("1.234.567,89");
        QTest::newRow("centimos") << 0.05 << QStringLiteral("0,05");
        QTest::newRow("menos cero") << -0.001 << QStringLiteral("0,00");
    }

    void importes()
    {
        QFETCH(double, valor);
        QFETCH(QString, texto);
        QCOMPARE(formatoImporte(valor), texto);
    }

    void numeros_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<double>("valor");
        QTest::newRow("agrupado") << QStringLiteral("1.234,5") << true << 1234.5;
        QTest::newRow("sin agrupar") << QStringLiteral("1234,5") << true << 1234.5;
        QTest::newRow("entero") << QStringLiteral("21") << true << 21.0;
        QTest::newRow("negativo") << QStringLiteral("-3,25") << true << -3.25;
        QTest::newRow("solo decimales") << QStringLiteral(",5") << true << 0.5;
        QTest::newRow("vacio") << QString() << false << 0.0;
        QTest::newRow("letras") << QStringLiteral("abc") << false << 0.0;
        QTest::newRow("punto decimal") << QStringLiteral("1.5") << false << 0.0;
        QTest::newRow("mal agrupado") << QStringLiteral("12.34,5") << false << 0.0;
        QTest::newRow("dos comas") << QStringLiteral("1,2,3") << false << 0.0;
        QTest::newRow("solo coma") << QStringLiteral(",") << false << 0.0;
    }

    void numeros()
    {
        QFETCH(QString, texto);
        QFETCH(bool, valido);
        QFETCH(double, valor);
        const auto leido = leerNumero(texto);
        QCOMPARE(leido.has_value(), valido);
        if (valido)
            QCOMPARE(*leido, valor);
    }

    void redondeo_data()
    {
        QTest::addColumn<double>("valor");
        QTest::addColumn<double>("centimos");
        QTest::addColumn<QString>("texto");
        QTest::newRow("0,125") << 0.125 << 0.13 << QStringLiteral("0,13");
        QTest::newRow("0,005") << 0.005 << 0.01 << QStringLiteral("0,01");
        QTest::newRow("2,675") << 2.675 << 2.68 << QStringLiteral("2,68");
        QTest::newRow("1,005") << 1.005 << 1.01 << QStringLiteral("1,01");
        QTest::newRow("-0,125") << -0.125 << -0.13 << QStringLiteral("-0,13");
        QTest::newRow("-2,675") << -2.675 << -2.68 << QStringLiteral("-2,68");
        QTest::newRow("3 x 0,335") << 3 * 0.335 << 1.01 << QStringLiteral("1,01");
    }

    // What a label shows is what is stored: one rule for both.
    void redondeo()
    {
        QFETCH(double, valor);
        QFETCH(double, centimos);
        QFETCH(QString, texto);
        QCOMPARE(redondearCentimos(valor), centimos);
        QCOMPARE(formatoImporte(valor), texto);
    }

    void totales()
    {
        Totales t = calcularTotales(250, 15, 21);
        QCOMPARE(t.subtotal, 250.0);
        QCOMPARE(t.base, 250.0);
        QCOMPARE(t.iva, 52.5);
        QCOMPARE(t.retencion, 37.5);
        QCOMPARE(t.total, 265.0);
        QCOMPARE(calcularTotales(0.5, 25, 0).retencion, 0.13);
        QCOMPARE(calcularTotales(0.1 + 0.2, 0, 0).total, 0.3);
    }

    void fechas()
    {
        QCOMPARE(leerFecha(QStringLiteral("15/05/2024")), QDate(2024, 5, 15));
        QVERIFY(!leerFecha(QStringLiteral("31/02/2024")).isValid());
        QVERIFY(!leerFecha(QStringLiteral("  /  /    ")).isValid());
        QCOMPARE(formatoFecha(QDate(2024, 1, 2)), QStringLiteral("02/01/2024"));
        QCOMPARE(desdeIso(fechaIso(QDate(2024, 12, 31))), QDate(2024, 12, 31));
    }

    void plegado()
    {
        QCOMPARE(plegar(QStringLiteral("GARCÍA Peña Ñandú Çé")), QStringLiteral("garcia pena nandu ce"));
        QVERIFY(contiene(QStringLiteral("Rúa do Vilar"), QStringLiteral("RUA")));
        QVERIFY(!contiene(QStringLiteral("Rúa"), QStringLiteral("rue")));
        Entorno e;
        e.inquilino(QStringLiteral("JOSÉ GARCÍA"));
        e.inquilino(QStringLiteral("Ana Peña"));
        e.inquilino(QStringLiteral("O'Brien 100% _x_"));
        const auto cuantos = [](const QString& texto) {
            return Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("contiene(Nom, ?)"), {texto});
        };
        QCOMPARE(cuantos(QStringLiteral("garcia")), 1);
        QCOMPARE(cuantos(QStringLiteral("jose")), 1);
        QCOMPARE(cuantos(QStringLiteral("pena")), 1);
        QCOMPARE(cuantos(QStringLiteral("O'Brien")), 1);
        QCOMPARE(cuantos(QStringLiteral("100%")), 1);
        QCOMPARE(cuantos(QStringLiteral("%")), 1);
        QCOMPARE(cuantos(QStringLiteral("_x_")), 1);
        QCOMPARE(cuantos(QStringLiteral("a_a")), 0);
        QCOMPARE(cuantos(QStringLiteral("")), 3);
    }
};

TORVANE_TEST_MAIN(TestFormato)
#include "tst_formato.moc"
