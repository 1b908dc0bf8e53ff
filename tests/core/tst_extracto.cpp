#include "support/Entorno.h"

#include "core/banking/Conciliacion.h"
#include "core/banking/Extracto.h"
#include "core/documents/EstadoDocumento.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

using namespace torvane;
using namespace Qt::StringLiterals;

namespace {

/** A Cuaderno 43 file as a bank writes it: records of 80 characters, totals of its own. */
class Norma43 {
public:
    void cuenta(const QByteArray& entidadOficina, const QByteArray& numero) {
        clave_ = entidadOficina + numero;
        cargos_ = abonos_ = 0;
        totalCargos_ = totalAbonos_ = 0;
        linea("11" + clave_ + "240501240531" + "2" + cifras(0, 14) + "978" + "3" +
              QByteArray("ALQUILERES").leftJustified(26, ' '));
    }
    /** comun: the AEB common concept ("02" income, "14" return). */
    void movimiento(const QByteArray& aammdd, const QByteArray& comun, qint64 centimos,
                    const QByteArray& ref, const QByteArray& texto) {
        const bool cargo = centimos < 0;
        (cargo ? cargos_ : abonos_) += 1;
        (cargo ? totalCargos_ : totalAbonos_) += std::abs(centimos);
        linea("22" + QByteArray("    ") + "0418" + aammdd + aammdd + comun + "000" +
              (cargo ? "1" : "2") + cifras(std::abs(centimos), 14) + cifras(0, 10) +
              ref.leftJustified(12, ' ') + QByteArray(16, ' '));
        if (!texto.isEmpty()) linea("2301" + texto.leftJustified(76, ' '));
    }
    void cerrar() {
        linea("33" + clave_ + cifras(cargos_, 5) + cifras(totalCargos_, 14) + cifras(abonos_, 5) +
              cifras(totalAbonos_, 14) + "2" + cifras(totalAbonos_ - totalCargos_, 14) + "978");
    }
    QByteArray fichero() {
        const int n = static_cast<int>(lineas_.size());
        linea("88" + QByteArray(18, '9') + cifras(n, 6));
        return lineas_.join("\r\n") + "\r\n";
    }

private:
    static QByteArray cifras(qint64 n, int ancho) {
        return QByteArray::number(n).rightJustified(ancho, '0');
    }
    void linea(const QByteArray& r) { lineas_ << r.leftJustified(80, ' '); }

    QList<QByteArray> lineas_;
    QByteArray clave_;
    int cargos_ = 0, abonos_ = 0;
    qint64 totalCargos_ = 0, totalAbonos_ = 0;
};

/** One camt.053 entry. */
QByteArray entrada(const char* dia, qint64 centimos, const QByteArray& detalles) {
    return "<Ntry><Amt Ccy=\"EUR\">" + QByteArray::number(std::abs(centimos) / 100) + "." +
           QByteArray::number(std::abs(centimos) % 100).rightJustified(2, '0') +
           "</Amt><CdtDbtInd>" + (centimos < 0 ? "DBIT" : "CRDT") +
           "</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2024-05-" + dia +
           "</Dt></BookgDt><NtryDtls><TxDtls>" + detalles + "</TxDtls></NtryDtls></Ntry>";
}

QByteArray extractoCamt(const QList<QPair<QByteArray, QList<QByteArray>>>& cuentas) {
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document xmlns=\"urn:iso:std:"
                   "iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt><GrpHdr><MsgId>E1</MsgId>"
                   "</GrpHdr>";
    for (const auto& [iban, entradas] : cuentas) {
        x += "<Stmt><Id>S</Id><Acct><Id><IBAN>" + iban + "</IBAN></Id></Acct>";
        for (const QByteArray& e : entradas)
            x += "\n" + e;
        x += "</Stmt>";
    }
    return x + "</BkToCstmrStmt></Document>\n";
}

const QByteArray kCuentaUno = "ES9121000418450200051332";
const QByteArray kCuentaDos = "ES7921000813610123456789";

/**
 * The same month in both formats: a payment citing its receipt, one of a tenant with two
 * receipts of that amount, one naming a tenant whose two receipts sum it, one that fits nothing,
 * a remittance paid, a returned debit and a bank fee, over two accounts.
 */
QByteArray mesDeMayo(const QString& formato) {
    if (formato == u"norma43"_s) {
        Norma43 n;
        n.cuenta("21000418", "0200051332");
        n.movimiento("240505", "02", 72000, "", "TRANSFERENCIA RECIBO 6A MAYO");
        n.movimiento("240506", "02", 65000, "", "ANA NUNEZ GIL ALQUILER");
        n.movimiento("240507", "02", 50000, "", "TRANSF DE LUIS GOMEZ RUIZ");
        n.movimiento("240508", "02", 9999, "", "INGRESO EN EFECTIVO");
        n.movimiento("240510", "06", 41000, "", "ABONO REMESA TRV-2024-0002-X");
        n.cerrar();
        n.cuenta("21000813", "0123456789");
        n.movimiento("240512", "14", -50000, "1A", "DEVOLUCION ADEUDO AM04");
        n.movimiento("240512", "17", -3000, "", "COMISION MANTENIMIENTO");
        n.cerrar();
        return n.fichero();
    }
    return extractoCamt(
        {{kCuentaUno,
          {entrada("05", 72000, "<RmtInf><Ustrd>Recibo 6A mayo</Ustrd></RmtInf>"),
           entrada(
               "06", 65000,
               "<RltdPties><Dbtr><Nm>A N G</Nm></Dbtr><DbtrAcct><Id><IBAN>DE89370400440532013000"
               "</IBAN></Id></DbtrAcct></RltdPties>"),
           entrada("07", 50000, "<RltdPties><Dbtr><Nm>LUIS GOMEZ RUIZ</Nm></Dbtr></RltdPties>"),
           entrada("08", 9999, "<RmtInf><Ustrd>Ingreso</Ustrd></RmtInf>"),
           entrada("10", 41000, "<Refs><MsgId>TRV-2024-0002-X</MsgId></Refs>")}},
         {kCuentaDos,
          {entrada("12", -50000,
                   "<Refs><EndToEndId>1A</EndToEndId></Refs><RtrInf><Rsn><Cd>AM04</Cd></Rsn>"
                   "</RtrInf>"),
           entrada("12", -3000, "<AddtlTxInf>Comision</AddtlTxInf>")}}});
}

/** The year the statement is matched against. */
void anoDeMayo(Entorno& e) {
    e.serie(u"A"_s);
    const int perez = e.inquilino(u"Pérez & Hijos, S.L."_s);
    const int ana = e.inquilino(u"Ana Núñez Gil"_s);
    const int luis = e.inquilino(u"Luis Gómez Ruiz"_s);
    const int marta = e.inquilino(u"Marta Ros Vila"_s);
    ejecutar(u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq, MndRef, MndFec, MndPri) VALUES"
             " (1, 'ES7921000813610123456789', ?, 'M-1', '2024-01-10', 1),"
             " (2, 'DE89370400440532013000', ?, NULL, NULL, 0)"_s,
             {perez, ana});
    const int d1 = e.documento(1, u"A"_s, QDate(2024, 5, 1), 0, perez, 500, true);
    e.documento(2, u"A"_s, QDate(2024, 4, 1), 0, ana, 650);
    e.documento(3, u"A"_s, QDate(2024, 5, 1), 0, ana, 650);
    e.documento(4, u"A"_s, QDate(2024, 4, 1), 0, luis, 300);
    e.documento(5, u"A"_s, QDate(2024, 5, 1), 0, luis, 200);
    e.documento(6, u"A"_s, QDate(2024, 5, 1), 0, marta, 720);
    const int d7 = e.documento(7, u"A"_s, QDate(2024, 5, 1), 0, marta, 410);
    ejecutar(u"UPDATE tblCobros SET ForPag = 'Domiciliación', FecPag = '2024-05-03' WHERE Id = ?"_s,
             {d1});
    const QVariant quinientos = guardar(eur(u"500"_s)), cuatrocientosDiez = guardar(eur(u"410"_s));
    ejecutar(u"INSERT INTO tblRemesas (Id, Fec, FecCob, MsgId, Num, Tot, Pag) VALUES"
             " (1, '2024-05-01', '2024-05-03', 'TRV-2024-0001-X', 1, ?, 1),"
             " (2, '2024-05-01', '2024-05-09', 'TRV-2024-0002-X', 1, ?, 0)"_s,
             {quinientos, cuatrocientosDiez});
    ejecutar(u"INSERT INTO tblRemesasCobros (IdRem, IdDoc, IdCta, MndRef, IBAN, Sec, Imp) VALUES"
             " (1, ?, 1, 'M-1', 'ES7921000813610123456789', 'RCUR', ?),"
             " (2, ?, 3, 'M-3', 'ES1000000000000000000000', 'RCUR', ?)"_s,
             {d1, quinientos, d7, cuatrocientosDiez});
}

/** "6A" of the proposal or apart, one line each, in the statement's order. */
QStringList resumen(const Conciliacion& c) {
    QMap<int, QString> lineas;
    for (const Propuesta& p : c.propuestas)
        lineas.insert(p.movimiento,
                      p.numeros.join(u'+') + (p.motivo.isEmpty() ? u""_s : u" "_s + p.motivo));
    for (const Aparte& a : c.dudosos)
        lineas.insert(a.movimiento, u"dudoso"_s);
    for (const Aparte& a : c.sinPareja)
        lineas.insert(a.movimiento, u"nada"_s);
    for (const Aparte& a : c.importados)
        lineas.insert(a.movimiento, u"ya"_s);
    return lineas.values();
}

QString estado(const QString& numero) {
    const int id = valorUnico(u"SELECT Id FROM tblCobros WHERE Num || Ser = ?"_s, {numero}).toInt();
    return textoEstado(*leerEstado(id));
}

} // namespace

class PruebaExtracto : public QObject {
    Q_OBJECT

private slots:
    void leeCadaFormatoYSeNiegaAlDanado_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("esperado");
        const QByteArray n43 = mesDeMayo(u"norma43"_s);
        const QByteArray camt = mesDeMayo(u"camt053"_s);
        QTest::newRow("norma43") << n43 << u""_s;
        QTest::newRow("camt053") << camt << u""_s;
        // Lines are 80 characters and CR LF; the second is the first movement.
        QByteArray letra = n43;
        letra[82 + 28 + 5] = 'X';
        QTest::newRow("importe") << letra << u"línea 2: el importe no son cifras"_s;
        QByteArray suma = n43;
        suma[82 + 28 + 5] = '9';
        QTest::newRow("totales") << suma << u"los totales del debe y del haber"_s;
        QTest::newRow("sin 88") << n43.left(n43.lastIndexOf("88"))
                                << u"falta el registro final 88"_s;
        QTest::newRow("clave") << QByteArray(n43).replace(82 + 27, 1, "7")
                               << u"la clave debe/haber"_s;
        QTest::newRow("xml roto") << camt.left(camt.size() / 2) << u"el XML no está bien formado"_s;
        QTest::newRow("dólares") << QByteArray(camt).replace("Ccy=\"EUR\"", "Ccy=\"USD\"")
                                 << u"en USD"_s;
        QTest::newRow("otro xml") << QByteArray("<html><body/></html>") << u"no un extracto camt"_s;
        QTest::newRow("ni uno ni otro")
            << QByteArray("Fecha;Concepto;Importe\n") << u"ni Norma 43"_s;
        QTest::newRow("vacío") << QByteArray() << u"ni Norma 43"_s;
    }
    void leeCadaFormatoYSeNiegaAlDanado() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, esperado);
        const Resultado<QList<Movimiento>> r = leerExtracto(contenido);
        if (!esperado.isEmpty()) {
            QVERIFY(!r.ok());
            QVERIFY2(r.motivo().contains(esperado), qPrintable(r.motivo()));
            return;
        }
        QVERIFY2(r.ok(), qPrintable(r.motivo()));
        QCOMPARE(r->size(), 7);
        QStringList vistos;
        for (const Movimiento& m : *r)
            vistos << u"%1 %2 %3 %4"_s.arg(m.cuenta.right(4), formatoFecha(m.fecha))
                          .arg(m.centimos)
                          .arg(m.devolucion ? u"dev"_s : u""_s)
                          .trimmed();
        QCOMPARE(vistos, (QStringList{u"1332 05/05/2024 72000"_s, u"1332 06/05/2024 65000"_s,
                                      u"1332 07/05/2024 50000"_s, u"1332 08/05/2024 9999"_s,
                                      u"1332 10/05/2024 41000"_s, u"6789 12/05/2024 -50000 dev"_s,
                                      u"6789 12/05/2024 -3000"_s}));
    }

    void proponeAplicaNoRepiteYDeshace_data() {
        QTest::addColumn<QString>("formato");
        QTest::newRow("norma43") << u"norma43"_s;
        QTest::newRow("camt053") << u"camt053"_s;
    }
    void proponeAplicaNoRepiteYDeshace() {
        QFETCH(QString, formato);
        Entorno e;
        anoDeMayo(e);
        const QList<Movimiento> movimientos = *leerExtracto(mesDeMayo(formato));
        const Conciliacion c = proponerConciliacion(movimientos, leerDatosConciliacion());
        QCOMPARE(resumen(c), (QStringList{u"6A"_s, u"dudoso"_s, u"4A+5A"_s, u"nada"_s,
                                          u"Remesa nº 2"_s, u"1A AM04 Saldo insuficiente"_s}));
        QCOMPARE(c.cargos, 1);

        const Resultado<int> hecha = aplicarConciliacion(c, c.propuestas, u"/tmp/mayo.txt"_s);
        QVERIFY2(hecha.ok(), qPrintable(hecha.motivo()));
        QCOMPARE(estado(u"6A"_s), u"Pagado el 05/05/2024 (transferencia)"_s);
        QCOMPARE(estado(u"5A"_s), u"Pagado el 07/05/2024 (transferencia)"_s);
        QCOMPARE(estado(u"7A"_s), u"Pagado el 10/05/2024 (domiciliación) por la remesa nº 2"_s);
        QVERIFY(estado(u"1A"_s).contains(u"Devuelto"_s));
        QCOMPARE(valorUnico(u"SELECT DevMot FROM tblRemesasCobros WHERE IdRem = 1"_s).toString(),
                 u"AM04 Saldo insuficiente"_s);
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"IdMov IS NOT NULL"_s), 5);

        // The same file again: nothing to apply, and applying the old proposal is refused.
        const Conciliacion otra = proponerConciliacion(movimientos, leerDatosConciliacion());
        QCOMPARE(otra.importados.size(), 4);
        QVERIFY(otra.propuestas.isEmpty());
        QVERIFY(!aplicarConciliacion(c, c.propuestas, u"/tmp/mayo.txt"_s).ok());

        QVERIFY(deshacerImportacion(*hecha).ok());
        QCOMPARE(estado(u"6A"_s), u"Pendiente de pago"_s);
        QCOMPARE(estado(u"1A"_s), u"Pagado el 03/05/2024 (domiciliación) por la remesa nº 1"_s);
        QVERIFY(estado(u"7A"_s).startsWith(u"En la remesa nº 2"_s));
        QVERIFY(!deshacerImportacion(*hecha).ok());

        // Applied again, then a later change of one of its documents keeps it.
        const Conciliacion tercera = proponerConciliacion(movimientos, leerDatosConciliacion());
        QCOMPARE(resumen(tercera), resumen(c));
        const Resultado<int> otraVez = aplicarConciliacion(tercera, tercera.propuestas, u"m"_s);
        QVERIFY(otraVez.ok());
        hecho(marcarPendientes({valorUnico(u"SELECT Id FROM tblCobros WHERE Num = 6"_s).toInt()}));
        const Resultado<> no = deshacerImportacion(*otraVez);
        QVERIFY(!no.ok());
        QVERIFY2(no.motivo().contains(u"6A"_s), qPrintable(no.motivo()));
        QCOMPARE(estado(u"5A"_s), u"Pagado el 07/05/2024 (transferencia)"_s);
    }
};

QTEST_MAIN(PruebaExtracto)
#include "tst_extracto.moc"
