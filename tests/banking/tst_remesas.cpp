#include "support/Entorno.h"

#include "banking/frmDevolucion.h"
#include "banking/frmRemesa.h"
#include "banking/frmRemesas.h"
#include "core/banking/Remesas.h"
#include "core/documents/Documentos.h"
#include "core/store/Consulta.h"
#include "core/text/Identificadores.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

/** xmllint's answer to an XPath over the file, its default namespace taken off. */
QString xpath(const QString& ruta, const QString& expresion) {
    const QString sinEspacio = ruta + u".sin-espacio"_s;
    guardarEn(sinEspacio, contenidoDe(ruta).replace(
                              " xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.008.001.02\"", ""));
    QProcess p;
    p.start(u"xmllint"_s, {u"--xpath"_s, expresion, sinEspacio});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

/** Checks what every file must hold; n debits in all. */
void comprobarFichero(const QString& ruta, int n) {
    QCOMPARE(QProcess::execute(u"xmllint"_s, {u"--noout"_s, ruta}), 0);
    const QString tx = u"count(//PmtInf/DrctDbtTxInf/%1)"_s;
    for (const QString& camino :
         {u"PmtId/EndToEndId"_s, u"InstdAmt[@Ccy='EUR']"_s, u"DrctDbtTx/MndtRltdInf/MndtId"_s,
          u"DrctDbtTx/MndtRltdInf/DtOfSgntr"_s, u"DbtrAgt/FinInstnId/Othr/Id"_s, u"Dbtr/Nm"_s,
          u"DbtrAcct/Id/IBAN"_s, u"RmtInf/Ustrd"_s})
        QVERIFY2(xpath(ruta, tx.arg(camino)) == QString::number(n), qPrintable(camino));
    const int bloques = xpath(ruta, u"count(//PmtInf)"_s).toInt();
    const QString pi = u"count(//PmtInf[PmtMtd='DD' and PmtTpInf/SvcLvl/Cd='SEPA' and"
                       u" PmtTpInf/LclInstrm/Cd='CORE' and PmtTpInf/SeqTp and ReqdColltnDt and"
                       u" Cdtr/Nm and CdtrAcct/Id/IBAN and CdtrAgt/FinInstnId and ChrgBr='SLEV'"
                       u" and CdtrSchmeId/Id/PrvtId/Othr/Id and PmtInfId])"_s;
    QCOMPARE(xpath(ruta, pi).toInt(), bloques);
    for (const QString& h : {u"MsgId"_s, u"CreDtTm"_s, u"InitgPty/Nm"_s})
        QCOMPARE(xpath(ruta, u"count(/Document/CstmrDrctDbtInitn/GrpHdr/%1)"_s.arg(h)), u"1"_s);
    QCOMPARE(xpath(ruta, u"string(//GrpHdr/NbOfTxs)"_s), QString::number(n));
    // Sums in cents: the file's CtrlSum are texts with a point and two decimals.
    const auto centimos = [&](const QString& e) {
        return qRound64(xpath(ruta, e).toDouble() * 100);
    };
    QCOMPARE(centimos(u"string(//GrpHdr/CtrlSum)"_s), centimos(u"sum(//InstdAmt)"_s));
    for (int b = 1; b <= bloques; ++b) {
        const QString bloque = u"//PmtInf[%1]"_s.arg(b);
        QCOMPARE(xpath(ruta, u"string(%1/NbOfTxs)"_s.arg(bloque)),
                 xpath(ruta, u"count(%1/DrctDbtTxInf)"_s.arg(bloque)));
        QCOMPARE(centimos(u"string(%1/CtrlSum)"_s.arg(bloque)),
                 centimos(u"sum(%1/DrctDbtTxInf/InstdAmt)"_s.arg(bloque)));
    }
    QCOMPARE(xpath(ruta, u"count(//InstdAmt[not(contains(., '.')) or"
                         u" string-length(substring-after(., '.')) != 2])"_s),
             u"0"_s);
    for (int i = 1; i <= n + 1; ++i) {
        const QString iban = xpath(ruta, u"string((//IBAN)[%1])"_s.arg(i));
        QVERIFY2(ibanValido(iban), qPrintable(iban));
    }
}

int cuentaConMandato(Entorno& e, const QString& nombre, const QString& iban, bool hecho) {
    const int inq = e.inquilino(nombre);
    ejecutar(u"INSERT INTO tblInquilinosCuentas (IBAN, IdInq, MndRef, MndFec, MndPri)"
             u" VALUES (?, ?, ?, '2024-01-10', ?)"_s,
             {iban, inq, u"M-%1"_s.arg(inq), hecho ? 1 : 0});
    return inq;
}

} // namespace

class PruebaRemesas : public QObject {
    Q_OBJECT

private slots:
    void primeroFrstLuegoRcurYDevolucion() {
        Entorno e;
        e.serie(u"A"_s);
        const int perez =
            cuentaConMandato(e, u"Pérez & Hijos, S.L."_s, u"ES9121000418450200051332"_s, false);
        const int ana = cuentaConMandato(e, u"Ana Núñez"_s, u"DE89370400440532013000"_s, true);
        const int malo = cuentaConMandato(e, u"Malo"_s, u"ES9121000418450200051333"_s, true);
        const int sinCuenta = e.inquilino(u"Sin Cuenta"_s);
        e.documento(1, u"A"_s, QDate(2024, 5, 2), 0, perez, 0.1);
        e.documento(2, u"A"_s, QDate(2024, 5, 2), 0, perez, 0.2);
        e.documento(3, u"A"_s, QDate(2024, 5, 3), 0, ana, 1234.5);
        e.documento(4, u"A"_s, QDate(2024, 5, 3), 0, malo, 10);
        e.documento(5, u"A"_s, QDate(2024, 5, 3), 0, sinCuenta, 10);
        e.documento(6, u"A"_s, QDate(2024, 5, 3), 0, ana, 10, true);
        const FiltroRemesa mayo{QDate(2024, 5, 1), QDate(2024, 5, 31), {}, {}};
        const QString ruta = e.raiz() + u"/r1.xml"_s;
        // Today's month in its own year; in a year's file made ahead or left behind, its last
        // month with documents (January when it has none), never a month the file cannot hold.
        QCOMPARE(mesRemesaPropuesto(QDate(2024, 7, 9), 2024).desde, QDate(2024, 7, 1));
        QCOMPARE(mesRemesaPropuesto(QDate(2024, 12, 9), 2025).hasta, QDate(2025, 1, 31));
        QCOMPARE(mesRemesaPropuesto(QDate(2025, 1, 9), 2024).hasta, QDate(2024, 5, 31));

        // Without a creditor identifier nothing is written nor stored.
        QVERIFY(!generarRemesa(proponerRemesa(mayo), QDate(2024, 5, 16), ruta));
        QVERIFY(!QFile::exists(ruta));
        ejecutar(u"INSERT INTO tblTitulos (Empresa, IdAcr, CtaRem) VALUES"
                 u" ('Alquileres Miño', 'ES26000B15000003', 'ES9121000418450200051332')"_s);
        // The debtor's bank has two business days: Thursday the 16th is too soon.
        QVERIFY(!generarRemesa(proponerRemesa(mayo), QDate(2024, 5, 16), ruta));

        const QList<CobroRemesa> propuesta = proponerRemesa(mayo);
        QStringList motivos;
        for (const CobroRemesa& c : propuesta)
            motivos << c.numero + u": "_s + c.motivo.left(15);
        QCOMPARE(motivos, (QStringList{u"3A: "_s, u"4A: IBAN no válido:"_s, u"1A: "_s, u"2A: "_s,
                                       u"5A: sin cuenta banc"_s}));
        // One debit per mandate: Pérez's two receipts go together, as one first debit.
        QCOMPARE(hecho(generarRemesa(propuesta, QDate(2024, 5, 17), ruta)), 1);
        comprobarFichero(ruta, 2);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[1]/PmtTpInf/SeqTp)"_s), u"FRST"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[1]/CtrlSum)"_s), u"0.30"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[1]//EndToEndId)"_s), u"1A-2A"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[2]/PmtTpInf/SeqTp)"_s), u"RCUR"_s);
        QCOMPARE(xpath(ruta, u"string(//GrpHdr/CtrlSum)"_s), u"1234.80"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[1]/DrctDbtTxInf[1]/Dbtr/Nm)"_s),
                 u"Perez y Hijos, S.L."_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[1]/DrctDbtTxInf[1]/RmtInf/Ustrd)"_s),
                 u"Recibos 1A, 2A mayo 2024"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[2]//EndToEndId)"_s), u"3A"_s);
        QCOMPARE(xpath(ruta, u"string(//PmtInf[2]//Ustrd)"_s), u"Recibo 3A mayo 2024"_s);
        QCOMPARE(xpath(ruta, u"string(//ReqdColltnDt)"_s), u"2024-05-17"_s);

        // Remitted documents do not go again; the mandate's next debit is recurrent.
        e.documento(7, u"A"_s, QDate(2024, 5, 20), 0, perez, 50);
        QList<CobroRemesa> otra = proponerRemesa(mayo);
        QCOMPARE(otra.size(), 3);
        QCOMPARE(otra[1].numero + otra[1].secuencia, u"7ARCUR"_s);
        const QString ruta2 = e.raiz() + u"/r2.xml"_s;
        QCOMPARE(hecho(generarRemesa(otra, QDate(2024, 5, 20), ruta2)), 2);
        QCOMPARE(xpath(ruta2, u"string(//SeqTp)"_s), u"RCUR"_s);
        QVERIFY(xpath(ruta, u"string(//MsgId)"_s) != xpath(ruta2, u"string(//MsgId)"_s));

        // The bank pays the first. Pérez's debit comes back: both its receipts go again,
        // recurrent while another debit of its mandate stands; once none stands, the mandate's
        // next debit is a first one.
        QCOMPARE(hecho(marcarRemesaCobrada(1)), 3);
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Pag = 1 AND FecPag = '2024-05-17'"_s), 3);
        const QList<QStringList> filas = filasCobrosRemesa(1); // 3A, 1A, 2A
        QCOMPARE(documentosDelAdeudo(filas[1][0].toInt()), (QStringList{u"1A"_s, u"2A"_s}));
        hecho(devolverCobro(filas[1][0].toInt(), QDate(2024, 5, 20), motivosDevolucion()[4]));
        QVERIFY(!devolverCobro(filas[2][0].toInt(), QDate(2024, 5, 20), {}));
        for (int f : {1, 2})
            QCOMPARE(filasCobrosRemesa(1)[f].mid(7),
                     (QStringList{u"20/05/2024"_s, u"AM04 Saldo insuficiente"_s}));
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Pag = 1"_s), 2);
        otra = proponerRemesa(mayo);
        QCOMPARE(otra[1].numero + otra[1].secuencia, u"1ARCUR"_s);
        hecho(devolverCobro(filasCobrosRemesa(2)[0][0].toInt(), QDate(2024, 5, 21), {}));
        QCOMPARE(proponerRemesa(mayo)[1].numero + proponerRemesa(mayo)[1].secuencia, u"1AFRST"_s);
        QCOMPARE(filasRemesas()[1].mid(4), (QStringList{u"3"_s, u"1.234,80"_s, u"2"_s, u"SÍ"_s}));
    }

    // On the demo year: May's unpaid receipts go by debit but tenant 5's (a mistyped IBAN) and
    // tenant 9's (no mandate); the file is right, the bank pays it and one receipt comes back.
    void remesaDelMesEnElAnoDeDemostracion() {
        Entorno e;
        e.abrirDemo();
        const QString ruta = e.raiz() + u"/mayo.xml"_s;

        frmRemesa ventana(sesion(), {});
        ventana.show();
        auto* van = ventana.findChild<Rejilla*>(u"mshCobros"_s);
        auto* apartados = ventana.findChild<Rejilla*>(u"mshApartados"_s);
        QCOMPARE(ventana.findChild<QLineEdit*>(u"mskCobro"_s)->text(), u"17/05/2024"_s);
        QCOMPARE(apartados->modelo()->filasDatos(), 2);
        QVERIFY(apartados->texto(1, 4).startsWith(u"IBAN no válido"_s) ||
                apartados->texto(2, 4).startsWith(u"IBAN no válido"_s));
        const int cuantos = van->modelo()->filasDatos();
        QCOMPARE(cuantos, 9);
        DialogoArchivo::fijarSiguiente(ruta);
        ventana.findChild<QPushButton*>(u"cmdGenerar"_s)->click();
        comprobarFichero(ruta, cuantos);
        QCOMPARE(van->modelo()->filasDatos(), 0);
        FiltroCobros mayo;
        mayo.desde = QDate(2024, 5, 1);
        mayo.hasta = QDate(2024, 5, 31);
        const auto fuente = filasCobros(mayo);
        QStringList fila;
        int remesados = 0;
        while (fuente(fila))
            remesados += fila[10] == u"REM"_s;
        QCOMPARE(remesados, cuantos);

        frmRemesas remesas;
        remesas.show();
        remesas.findChild<QPushButton*>(u"cmdCobrada"_s)->click();
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Pag = 0 AND Fec LIKE '2024-05%'"_s), 2);
        cuandoAparezca<frmDevolucion>(
            [](frmDevolucion* d) { d->findChild<QPushButton*>(u"cmdAceptar"_s)->click(); });
        remesas.findChild<QPushButton*>(u"cmdDevolucion"_s)->click();
        auto* cobros = remesas.findChild<Rejilla*>(u"mshCobros"_s);
        QCOMPARE(cobros->texto(1, 8), u"15/05/2024"_s);
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Pag = 0 AND Fec LIKE '2024-05%'"_s), 3);
        QCOMPARE(proponerRemesa({QDate(2024, 5, 1), QDate(2024, 5, 31), {}, {}}).size(), 3);
    }
};

TORVANE_TEST_MAIN(PruebaRemesas)
#include "tst_remesas.moc"
