#include "core/banking/FicheroSepa.h"
#include "core/mail/AjustesCorreo.h"
#include "core/text/Identificadores.h"

#include <QTest>

using namespace torvane;

using namespace Qt::StringLiterals;

class PruebaIdentificadores : public QObject {
    Q_OBJECT

private slots:
    // motivo: empty for a right value, else a piece of the message that must say what is wrong.
    void iban_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("motivo");
        for (const QString& bueno :
             {u"ES91 2100 0418 4502 0005 1332"_s, u"es9121000418450200051332"_s,
              u"DE89370400440532013000"_s, u"GB29NWBK60161331926819"_s,
              u"FR1420041010050500013M02606"_s, u"NL91ABNA0417164300"_s, u"BE68539007547034"_s,
              u"IT60X0542811101000000123456"_s, u"PT50000201231234567890154"_s,
              u"NO9386011117947"_s, u"CH9300762011623852957"_s, u"AT61-1904-3002-3457-3201"_s})
            QTest::newRow(qPrintable(bueno)) << bueno << QString();
        QTest::newRow("una cifra de la cuenta cambiada")
            << u"ES9121000418450200051333"_s
            << u"segundo dígito de control de la cuenta (DC, 45) no corresponde al número de "
               "cuenta (0200051333)"_s;
        // Right for mod 97, wrong for a Spanish account.
        QTest::newRow("letra en la cuenta")
            << u"ES542100041845020005133A"_s << u"solo tiene cifras"_s;
        QTest::newRow("DC de otra oficina")
            << u"ES5321000418550200051332"_s
            << u"primer dígito de control de la cuenta (DC, 55) no corresponde a la entidad y la "
               "oficina (2100 0418)"_s;
        // Check digits one too low: the remainder is 0, not 1.
        QTest::newRow("resto 0") << u"ES9021000418450200051332"_s << u"no cuadran"_s;
        QTest::newRow("dos cifras cambiadas de sitio")
            << u"DE89370400440532031000"_s << u"no cuadran"_s;
        QTest::newRow("corto") << u"ES912100041845020005133"_s
                               << u"24 caracteres, y este tiene 23"_s;
        QTest::newRow("país sin IBAN") << u"US12345678901234"_s << u"«US»"_s;
        QTest::newRow("signos") << u"ES91 2100 0418 4502 0005 133*"_s << u"letras y cifras"_s;
        QTest::newRow("sin país") << u"2100041845020005"_s << u"país"_s;
        QTest::newRow("vacío") << QString() << u"Falta"_s;
    }
    void iban() {
        QFETCH(QString, valor);
        QFETCH(QString, motivo);
        const QString dicho = motivoIban(valor);
        QVERIFY2(motivo.isEmpty() ? dicho.isEmpty() : dicho.contains(motivo), qPrintable(dicho));
    }

    void ibanCalculadoYAgrupado() {
        QCOMPARE(calcularIban(u"ES"_s, u"2100 0418 4502 0005 1332"_s),
                 u"ES9121000418450200051332"_s);
        QCOMPARE(ibanAgrupado(u"es91-2100.04184502 00051332"_s),
                 u"ES91 2100 0418 4502 0005 1332"_s);
    }

    void nif_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("motivo");
        for (const QString& bueno :
             {u"12345678Z"_s, u"12.345.678-z"_s, u"1234567L"_s, u"X1234567L"_s, u"Y1234567X"_s,
              u"Z1234567R"_s, u"B15000003"_s, u"A58818501"_s, u"Q2826000H"_s, u"G1234567D"_s,
              u"G12345674"_s})
            QTest::newRow(qPrintable(bueno)) << bueno << QString();
        QTest::newRow("DNI con otra letra") << u"12345678A"_s << u"le corresponde la Z"_s;
        QTest::newRow("NIE con otra letra")
            << u"X1234567T"_s << u"a X1234567 le corresponde la L"_s;
        QTest::newRow("empresa con otro control") << u"B15000001"_s << u"debería ser 3"_s;
        QTest::newRow("organismo con cifra") << u"Q28260008"_s << u"debería ser H"_s;
        QTest::newRow("sociedad anónima con letra") << u"A5881850A"_s << u"debería ser 1"_s;
        QTest::newRow("pasaporte extranjero") << u"AB1234567"_s << u"forma"_s;
    }
    void nif() {
        QFETCH(QString, valor);
        QFETCH(QString, motivo);
        const QString dicho = motivoNif(valor);
        QVERIFY2(motivo.isEmpty() ? dicho.isEmpty() : dicho.contains(motivo), qPrintable(dicho));
    }

    void identificadorDeAcreedor() {
        QCOMPARE(identificadorAcreedor(u"B15000003"_s), u"ES26000B15000003"_s);
        QCOMPARE(motivoIdentificadorAcreedor(u"ES26 000 B15000003"_s), QString());
        // The suffix does not enter the check digits; the EPC's German test identifier passes.
        QCOMPARE(motivoIdentificadorAcreedor(u"ES26ABCB15000003"_s), QString());
        QCOMPARE(motivoIdentificadorAcreedor(u"DE98ZZZ09999999999"_s), QString());
        QVERIFY(motivoIdentificadorAcreedor(u"ES27000B15000003"_s).contains(u"deberían ser 26"_s));
        QVERIFY(motivoIdentificadorAcreedor(identificadorAcreedor(u"B15000001"_s))
                    .contains(u"N.I.F."_s));
        QVERIFY(motivoIdentificadorAcreedor(u"B15000003"_s).contains(u"forma"_s));
    }

    void textoSepa_data() {
        QTest::addColumn<QString>("entrada");
        QTest::addColumn<int>("maximo");
        QTest::addColumn<QString>("salida");
        QTest::newRow("eñes y acentos")
            << u"Peña Muñoz, José Ángel"_s << 70 << u"Pena Munoz, Jose Angel"_s;
        QTest::newRow("ampersand") << u"Pérez & Hijos, S.L."_s << 70 << u"Perez y Hijos, S.L."_s;
        QTest::newRow("fuera del juego")
            << u"Rúa do Vilar, 3º <1ª> \"B\" ç€@"_s << 70 << u"Rua do Vilar, 3o 1a B c"_s;
        QTest::newRow("cortado") << u"Alquileres Miño"_s << 10 << u"Alquileres"_s;
    }
    void textoSepa() {
        QFETCH(QString, entrada);
        QFETCH(int, maximo);
        QFETCH(QString, salida);
        QCOMPARE(::textoSepa(entrada, maximo), salida);
    }

    void importesYDiasDeCobro() {
        QCOMPARE(importeSepa(Importe::deCentimos(65000)), u"650.00"_s);
        QCOMPARE(importeSepa(Importe::deCentimos(123413)), u"1234.13"_s);
        QCOMPARE(importeSepa(Importe::deCentimos(1205)), u"12.05"_s);
        const QDate miercoles(2024, 5, 15);
        QCOMPARE(siguienteDiaHabil(QDate(2024, 5, 17)), QDate(2024, 5, 20));
        // Two business days for the debtor's bank: a Thursday's file asks Monday at the soonest,
        // over a weekend, and a Christmas Eve's the 27th, over two holidays.
        QVERIFY(!motivoFechaCobro(QDate(2024, 5, 16), miercoles).isEmpty());
        QCOMPARE(motivoFechaCobro(QDate(2024, 5, 17), miercoles), QString());
        QCOMPARE(primerDiaCobro(QDate(2024, 5, 16)), QDate(2024, 5, 20));
        QCOMPARE(primerDiaCobro(QDate(2024, 12, 24)), QDate(2024, 12, 30));
        for (const QDate& cerrado : {QDate(2024, 5, 18), QDate(2024, 12, 25), QDate(2025, 4, 18),
                                     QDate(2025, 4, 21), QDate(2025, 5, 1), QDate(2026, 1, 1)})
            QVERIFY2(motivoFechaCobro(cerrado, miercoles).contains(u"hábil"_s),
                     qPrintable(cerrado.toString()));
    }

    void direccionCorreo_data() {
        QTest::addColumn<QString>("direccion");
        QTest::addColumn<bool>("valida");
        for (const char* buena : {"ana@correo.es", "ana.garcia+recibos@mi-empresa.com.es",
                                  "o'neill@x.io", "ana@señorío.es", "a@b.cd"})
            QTest::newRow(buena) << QString::fromUtf8(buena) << true;
        for (const char* mala :
             {"", "ana", "ana@", "@correo.es", "ana@correo", "ana@@correo.es", "ana @correo.es",
              "ana@correo.es;luis@correo.es", "Ana <ana@correo.es>", ".ana@correo.es",
              "ana..g@correo.es", "ana@-correo.es", "ana@correo..es", "ana@1.2.3.4",
              "ana@correo.es\r\nBcc: x@y.es", "josé@correo.es"})
            QTest::newRow(mala) << QString::fromUtf8(mala).replace(u"\\r\\n"_s, u"\r\n"_s) << false;
    }
    void direccionCorreo() {
        QFETCH(QString, direccion);
        QFETCH(bool, valida);
        QCOMPARE(direccionValida(direccion), valida);
    }
};

QTEST_APPLESS_MAIN(PruebaIdentificadores)
#include "tst_identificadores.moc"
