#include "core/documents/Totales.h"
#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/text/Formato.h"
#include "core/text/Plegado.h"
#include "support/Entorno.h"

#include <QRandomGenerator>
#include <cmath>

using namespace torvane;

using namespace Qt::StringLiterals;

class TestFormato : public QObject {
    Q_OBJECT

private slots:
    void plurales_data() {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("singular");
        QTest::addColumn<QString>("texto");
        QTest::newRow("uno") << qint64(1) << u"inquilino"_s << u"1 inquilino"_s;
        QTest::newRow("vocal") << qint64(3) << u"cuenta"_s << u"3 cuentas"_s;
        QTest::newRow("ninguno") << qint64(0) << u"resultado"_s << u"0 resultados"_s;
        QTest::newRow("tilde") << qint64(2) << u"día"_s << u"2 días"_s;
        QTest::newRow("consonante") << qint64(4) << u"mes"_s << u"4 meses"_s;
        QTest::newRow("familiar") << qint64(2) << u"familiar"_s << u"2 familiares"_s;
        QTest::newRow("-ión") << qint64(5) << u"emisión"_s << u"5 emisiones"_s;
        QTest::newRow("-z") << qint64(2) << u"vez"_s << u"2 veces"_s;
        // A whole sentence agrees by count, the number where the text puts it.
        QTest::newRow("frase uno") << qint64(1) << u"¿Marcar el recibo?|¿Marcar los %1 recibos?"_s
                                   << u"¿Marcar el recibo?"_s;
        QTest::newRow("frase varios")
            << qint64(7) << u"¿Marcar el recibo?|¿Marcar los %1 recibos?"_s
            << u"¿Marcar los 7 recibos?"_s;
    }

    void plurales() {
        QFETCH(qint64, n);
        QFETCH(QString, singular);
        QFETCH(QString, texto);
        const QStringList frase = singular.split(u'|');
        QCOMPARE(frase.size() == 2 ? segunCuenta(n, frase[0], frase[1]) : cuenta(n, singular),
                 texto);
    }

    // What a typed amount becomes, or why it is refused: never rounded, never past the limit.
    void importesLeidos_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<qint64>("centimos");
        QTest::addColumn<QString>("fallo");
        QTest::addColumn<QString>("mostrado");
        const QString grande = u"El importe es demasiado grande"_s;
        QTest::newRow("agrupado") << u"1.234,56"_s << 123456LL << QString() << u"1.234,56"_s;
        QTest::newRow("un decimal") << u"-3,5"_s << -350LL << QString() << u"-3,50"_s;
        QTest::newRow("entero") << u" 12 "_s << 1200LL << QString() << u"12,00"_s;
        QTest::newRow("ceros detras") << u"10,500"_s << 1050LL << QString() << u"10,50"_s;
        QTest::newRow("menos cero") << u"-0,00"_s << 0LL << QString() << u"0,00"_s;
        QTest::newRow("limite") << u"10.000.000.000,00"_s << Importe::kLimite << QString()
                                << u"10.000.000.000,00"_s;
        QTest::newRow("limite negativo")
            << u"-10000000000"_s << -Importe::kLimite << QString() << u"-10.000.000.000,00"_s;
        QTest::newRow("un centimo de mas") << u"10000000000,01"_s << 0LL << grande << QString();
        QTest::newRow("treinta cifras")
            << u"999999999999999999999999999999,99"_s << 0LL << grande << QString();
        QTest::newRow("medio centimo")
            << u"10,005"_s << 0LL << u"Un importe lleva como mucho dos decimales"_s << QString();
        QTest::newRow("punto decimal")
            << u"1.5"_s << 0LL << u"«1.5» no es un importe"_s << QString();
        QTest::newRow("vacio") << QString() << 0LL << u"«» no es un importe"_s << QString();
        QTest::newRow("solo decimales") << u",5"_s << 50LL << QString() << u"0,50"_s;
        QTest::newRow("mal agrupado")
            << u"12.34,5"_s << 0LL << u"«12.34,5» no es un importe"_s << QString();
        QTest::newRow("solo coma") << u","_s << 0LL << u"«,» no es un importe"_s << QString();
    }

    void importesLeidos() {
        QFETCH(QString, texto);
        QFETCH(qint64, centimos);
        QFETCH(QString, fallo);
        QFETCH(QString, mostrado);
        const auto leido = Importe::leer(texto);
        QCOMPARE(leido.motivo(), fallo);
        if (!fallo.isEmpty()) return;
        QCOMPARE(leido->centimos(), centimos);
        QCOMPARE(leido->texto(), mostrado);
        QCOMPARE(Importe::leer(leido->texto())->centimos(), centimos);
    }

    // Units × price and base × rate, exact, rounded once to the cent with ties away from zero.
    void importesMultiplicados_data() {
        QTest::addColumn<QString>("importe");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<bool>("esPorcentaje");
        QTest::addColumn<bool>("cabe");
        QTest::addColumn<qint64>("centimos");
        QTest::newRow("2,5 x 0,01") << u"0,01"_s << u"2,5"_s << false << true << 3LL;
        QTest::newRow("-2,5 x 0,01") << u"0,01"_s << u"-2,5"_s << false << true << -3LL;
        QTest::newRow("0,335 x 3") << u"3"_s << u"0,335"_s << false << true << 101LL;
        QTest::newRow("1,5 x 1.234,57") << u"1.234,57"_s << u"1,5"_s << false << true << 185186LL;
        QTest::newRow("0,3333 x 100") << u"100"_s << u"0,3333"_s << false << true << 3333LL;
        QTest::newRow("21 % de 0,50") << u"0,50"_s << u"21"_s << true << true << 11LL;
        QTest::newRow("25 % de 0,50") << u"0,50"_s << u"25"_s << true << true << 13LL;
        QTest::newRow("2,2 % de 1.000") << u"1.000"_s << u"2,2"_s << true << true << 2200LL;
        QTest::newRow("19 % de -0,50") << u"-0,50"_s << u"19"_s << true << true << -10LL;
        QTest::newRow("21 % del limite")
            << u"10.000.000.000"_s << u"21"_s << true << true << 210000000000LL;
        QTest::newRow("pasa el limite")
            << u"10.000.000.000"_s << u"1,0001"_s << false << false << 0LL;
        QTest::newRow("sin desbordar")
            << u"-10.000.000.000"_s << u"100.000.000"_s << false << false << 0LL;
    }

    void importesMultiplicados() {
        QFETCH(QString, importe);
        QFETCH(QString, factor);
        QFETCH(bool, esPorcentaje);
        QFETCH(bool, cabe);
        QFETCH(qint64, centimos);
        const Importe base = *Importe::leer(importe);
        const Decimal f = *Decimal::leer(factor);
        const auto r = esPorcentaje ? base.porcentaje(f) : base.por(f);
        QCOMPARE(r.has_value(), cabe);
        if (r) QCOMPARE(r->centimos(), centimos);
    }

    void decimales() {
        QCOMPARE(Decimal::leer(u"1.234,125"_s)->texto(), u"1234,125"_s);
        QCOMPARE(Decimal::leer(u"2,5"_s)->textoDosDecimales(), u"2,50"_s);
        QCOMPARE(Decimal::leer(u"-0,005"_s)->textoDosDecimales(), u"-0,01"_s);
        QCOMPARE(Decimal::leer(u"2,00001"_s).motivo(), u"Escriba como mucho cuatro decimales"_s);
        QCOMPARE(Decimal::desdeReal(2.2).diezmilesimas(), 22000);
        // Rates and units read back as typed, half ten-thousandths included, as the 15-digit
        // text of the stored REAL says.
        QRandomGenerator azar(38);
        for (int i = 0; i < 200000; ++i) {
            const qint64 escala = i % 2 ? 10000 : 100000;
            const double valor =
                double(azar.bounded(-2000000000, 2000000000)) / double(escala) * (i % 3 ? 1 : 7.3);
            const double texto = QString::number(valor * Decimal::kEscala, 'g', 15).toDouble();
            QCOMPARE(Decimal::desdeReal(valor).diezmilesimas(), qint64(std::round(texto)));
        }
        QCOMPARE(Importe::desdeEuros(2.675).centimos(), 268);
        QCOMPARE(Importe::desdeEuros(-1234.5).textoPunto(), u"-1234.50"_s);
        // A share of days or of a key, rounded once: a third, a half cent either way.
        QCOMPARE(proporcion(eur(u"100"_s), 1, 3), eur(u"33,33"_s));
        QCOMPARE(proporcion(eur(u"-0,05"_s), 1, 2), eur(u"-0,03"_s));
        QCOMPARE(proporcion(eur(u"0,05"_s), -1, -2), eur(u"0,03"_s));
        QVERIFY(!proporcion(eur(u"1"_s), 1, 0));
    }

    // Whole-document totals with withholding are checked through a saved document elsewhere;
    // here the cent rounding of each part.
    void totales() {
        QCOMPARE(calcularTotales(eur(u"0,5"_s), dec(u"25"_s), {})->retencion, eur(u"0,13"_s));
        QCOMPARE(calcularTotales(eur(u"100"_s), dec(u"19"_s), dec(u"21"_s))->total, eur(u"102"_s));
        // A quota beyond the limit refuses the whole document rather than store it wrong.
        QCOMPARE(calcularTotales(eur(u"10.000.000.000"_s), {}, dec(u"21"_s)).motivo(),
                 u"El importe es demasiado grande"_s);
    }

    void fechas() {
        QCOMPARE(leerFecha(u"15/05/2024"_s), QDate(2024, 5, 15));
        QVERIFY(!leerFecha(u"31/02/2024"_s).isValid());
        QVERIFY(!leerFecha(u"  /  /    "_s).isValid());
        QCOMPARE(formatoFecha(QDate(2024, 1, 2)), u"02/01/2024"_s);
        QCOMPARE(desdeIso(fechaIso(QDate(2024, 12, 31))), QDate(2024, 12, 31));
    }

    void plegado() {
        QCOMPARE(plegar(u"GARCÍA Peña Ñandú Çé"_s), u"garcia pena nandu ce"_s);
        QVERIFY(contiene(u"Rúa do Vilar"_s, u"RUA"_s));
        QVERIFY(!contiene(u"Rúa"_s, u"rue"_s));
        Entorno e;
        e.inquilino(u"JOSÉ GARCÍA"_s);
        e.inquilino(u"Ana Peña"_s);
        e.inquilino(u"O'Brien 100% _x_"_s);
        const auto cuantos = [](const QString& texto) {
            return Entorno::contar(u"tblInquilinos"_s, u"contiene(Nom, ?)"_s, {texto});
        };
        QCOMPARE(cuantos(u"garcia"_s), 1);
        QCOMPARE(cuantos(u"jose"_s), 1);
        QCOMPARE(cuantos(u"pena"_s), 1);
        QCOMPARE(cuantos(u"O'Brien"_s), 1);
        QCOMPARE(cuantos(u"100%"_s), 1);
        QCOMPARE(cuantos(u"%"_s), 1);
        QCOMPARE(cuantos(u"_x_"_s), 1);
        QCOMPARE(cuantos(u"a_a"_s), 0);
        QCOMPARE(cuantos(u""_s), 3);
    }
};

TORVANE_TEST_MAIN(TestFormato)
#include "tst_formato.moc"
