// A year's life from its creation to the next year's first run, on both engines: after each
// step the program's totals are checked against sums made here from the stored rows.
#include "core/banking/Remesas.h"
#include "core/contracts/Contratos.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/expenses/Gastos.h"
#include "core/reports/DatosInforme.h"
#include "core/reports/Estadisticas.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/store/Servidor.h"
#include "core/tax/ResumenFiscal.h"
#include "core/text/Formato.h"
#include "support/Ayudas.h"
#include "support/ServidorPrueba.h"

#include <QDir>
#include <QMap>
#include <QXmlStreamReader>
#include <array>
#include <cmath>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

qint64 centimos(const QVariant& v) {
    return importeGuardado(v).centimos();
}

QString euros(qint64 c) {
    return Importe::deCentimos(c).texto();
}

/** A section's rows as "cell|cell|…", amounts in cents-exact text. */
QStringList filasDe(const Seccion& s) {
    QStringList filas;
    for (const QVariantList& fila : s.hoja.filas) {
        QStringList celdas;
        for (int c = 0; c < fila.size(); ++c)
            celdas << textoCelda(fila[c]);
        filas << celdas.join(u'|');
    }
    return filas;
}

/** One stored document, read here without the program's functions. */
struct Fila {
    QDate fec, fecPag;
    qint64 porIva = 0, base = 0, iva = 0, ret = 0, tot = 0;
    bool pag = false, anu = false;
    QString nif;
};

QList<Fila> filasGuardadas() {
    QSqlQuery q = ejecutar(u"SELECT c.Fec, c.FecPag, c.PorIva, c.Base, c.IVA, c.Ret, c.Tot, c.Pag,"
                           u" c.Anu, q.DNI FROM tblCobros c LEFT JOIN tblInquilinos q"
                           u" ON c.IdInq = q.Id"_s);
    QList<Fila> filas;
    while (q.next())
        filas << Fila{desdeIso(q.value(0).toString()),
                      desdeIso(q.value(1).toString()),
                      decimalGuardado(q.value(2)).diezmilesimas(),
                      centimos(q.value(3)),
                      centimos(q.value(4)),
                      centimos(q.value(5)),
                      centimos(q.value(6)),
                      q.value(7).toInt() != 0,
                      q.value(8).toInt() != 0,
                      q.value(9).toString()};
    return filas;
}

/** The VAT summary, withholdings, 347 and both statistics against sums made from the rows. */
void comprobarTotales(int ano) {
    QMap<qint64, std::array<qint64, 3>> iva; // rate (ten-thousandths): documents, base, VAT
    QMap<std::pair<QString, int>, std::pair<qint64, qint64>> retenido; // N.I.F., quarter
    QMap<QString, qint64> terceros;
    QList<qint64> facturado(12), cobrado(12);
    for (const Fila& f : filasGuardadas()) {
        if (f.pag && f.fecPag.year() == ano && !f.anu) cobrado[f.fecPag.month() - 1] += f.tot;
        if (f.anu || f.fec.year() != ano) continue;
        auto& i = iva[f.porIva];
        ++i[0], i[1] += f.base, i[2] += f.iva;
        if (f.ret != 0) {
            auto& r = retenido[{f.nif, (f.fec.month() + 2) / 3}];
            r.first += f.base, r.second += f.ret;
        }
        terceros[f.nif] += f.base + f.iva;
        facturado[f.fec.month() - 1] += f.tot;
    }
    QStringList filas;
    for (auto it = iva.cbegin(); it != iva.cend(); ++it)
        filas << (it.key() == 0 ? u"Exento|%1|%2|"_s.arg(it->at(0)).arg(euros(it->at(1)))
                                : u"%1 %|%2|%3|%4"_s.arg(Decimal::deDiezmilesimas(it.key()).texto())
                                      .arg(it->at(0))
                                      .arg(euros(it->at(1)), euros(it->at(2))));
    // Exempt goes last in the program's section.
    if (!filas.isEmpty() && filas.first().startsWith(u"Exento"_s)) filas.move(0, filas.size() - 1);
    QCOMPARE(filasDe(ivaRepercutido({ano, 0})), filas);
    filas.clear();
    for (auto it = retenido.cbegin(); it != retenido.cend(); ++it)
        filas << u"%1|%2T|%3|%4"_s.arg(it.key().first)
                     .arg(it.key().second)
                     .arg(euros(it->first), euros(it->second));
    QStringList obtenidas;
    for (const QString& f : filasDe(retencionesSoportadas({ano, 0})))
        obtenidas << f.section(u'|', 0, 0) + u'|' + f.section(u'|', 2);
    QCOMPARE(obtenidas, filas);
    filas.clear();
    for (auto it = terceros.cbegin(); it != terceros.cend(); ++it)
        if (it.value() > kUmbral347) filas << it.key() + u'|' + euros(it.value());
    obtenidas.clear();
    for (const QString& f : filasDe(operacionesConTerceros(ano)))
        obtenidas << f.section(u'|', 0, 0) + u'|' + f.section(u'|', -1);
    QCOMPARE(obtenidas, filas);
    for (const auto& [cuenta, esperado] :
         {std::pair{Cuenta::Facturado, facturado}, std::pair{Cuenta::Cobrado, cobrado}}) {
        QList<qint64> meses(12);
        for (const FilaMensual& fila : cobrosPorMes(ano, cuenta))
            for (int m = 0; m < 12; ++m)
                meses[m] += fila.meses[m].value_or(Importe()).centimos();
        QCOMPARE(meses, esperado);
    }
}

/** Each remittance's total, its debits' and its file's agree with its documents'. */
void comprobarRemesas() {
    QSqlQuery q = ejecutar(u"SELECT r.Id, r.Tot, r.Arc, (SELECT SUM(c.Tot) FROM tblRemesasCobros d"
                           u" JOIN tblCobros c ON c.Id = d.IdDoc WHERE d.IdRem = r.Id),"
                           u" (SELECT COUNT(DISTINCT d.MndRef) FROM tblRemesasCobros d"
                           u" WHERE d.IdRem = r.Id) FROM tblRemesas r"_s);
    while (q.next()) {
        QCOMPARE(centimos(q.value(1)), centimos(q.value(3)));
        QFile archivo(q.value(2).toString());
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&archivo);
        int adeudos = 0;
        qint64 suma = 0, control = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == u"DrctDbtTxInf") ++adeudos;
            if (xml.name() == u"InstdAmt") suma += qRound64(xml.readElementText().toDouble() * 100);
            if (xml.name() == u"CtrlSum" && control < 0) // the file's own, before any block's
                control = qRound64(xml.readElementText().toDouble() * 100);
        }
        // One debit per mandate, adding up to the remittance and to its documents.
        QCOMPARE(adeudos, q.value(4).toInt());
        QCOMPARE(suma, centimos(q.value(1)));
        QCOMPARE(control, suma);
    }
}

/** A new year as `torvane-admin crear` (or `servidor crear`) leaves it, open. */
void crearComoAdmin(Entorno& e, const QString& ano) {
    cerrarBaseDatos();
    QString error;
    if (Entorno::enServidor) {
        const ServidorPrueba& servidor = ServidorPrueba::compartido();
        QVERIFY(servidor.sql(u"DROP SCHEMA IF EXISTS %1 CASCADE"_s.arg(esquemaAno(ano))));
        QDir().mkpath(e.raiz() + u"/crear"_s);
        error = crearAno(e.raiz() + u"/crear"_s, ano);
        if (error.isEmpty())
            error = subirAno(rutaBaseDatos(e.raiz() + u"/crear"_s, ano), servidor.datos(), ano);
        if (error.isEmpty()) error = escribirPlantillas(e.carpetaDatos());
    } else {
        QDir(e.carpetaDatos() + u'/' + ano).removeRecursively();
        error = crearAno(e.carpetaDatos(), ano);
    }
    QCOMPARE(error, QString());
    QCOMPARE(abrirAnoDeCarpeta(e.carpetaDatos(), ano), QString());
}

int inquilino(Entorno& e, const QString& nombre, const QString& nif, const QString& iban) {
    const int id = e.inquilino(nombre, {}, {}, {}, nif);
    if (!iban.isEmpty())
        ejecutar(u"INSERT INTO tblInquilinosCuentas (IBAN, IdInq, MndRef, MndFec, MndPri)"
                 u" VALUES (?, ?, ?, '2023-06-01', 0)"_s,
                 {iban, id, u"M-%1"_s.arg(id)});
    return id;
}

QList<int> emitir(const QDate& mes, int ano) {
    return documentosEmision(hecho(emitirMes(proponerMes(mes), mes, ano)));
}

int porNumero(const QString& numero) {
    return valorUnico(u"SELECT Id FROM tblCobros WHERE %1 = ?"_s.arg(sqlUnir({u"Num"_s, u"Ser"_s})),
                      {numero})
        .toInt();
}

Linea linea(int idCon, const QString& des, const QString& euros) {
    return Linea{0, 0, idCon, des, Decimal::deEntero(1), eur(euros), eur(euros)};
}

/** A document's state from words: "impreso pagado remesa devuelto anulado posterior …". */
EstadoDocumento estadoDe(const QString& palabras) {
    const QStringList p = palabras.split(u' ', Qt::SkipEmptyParts);
    EstadoDocumento e;
    e.id = 1, e.numero = u"7A"_s,
    e.total = Importe::deCentimos(p.contains(u"negativo"_s) ? -1000 : 1000);
    e.impreso = p.contains(u"impreso"_s) || p.contains(u"registrada"_s);
    e.pagado = p.contains(u"pagado"_s);
    e.remesa = p.contains(u"remesa"_s) ? 3 : 0;
    e.remesado = e.remesa != 0 || p.contains(u"devuelto"_s);
    e.devuelto = p.contains(u"devuelto"_s);
    e.anulado = p.contains(u"anulado"_s);
    e.posterior = p.contains(u"posterior"_s) ? u"8A"_s : QString();
    e.rectificadaPor = p.contains(u"rectificada"_s) ? u"1R"_s : QString();
    if (p.contains(u"registrada"_s)) e.verifactu = EstadoFactura::Emitida, e.factura = true;
    return e;
}

} // namespace

class TestCiclo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() {
        QTest::addColumn<bool>("servidor");
        QTest::newRow("archivo") << false;
        QTest::newRow("servidor") << true;
    }

    void init() {
        QFETCH_GLOBAL(bool, servidor);
        Entorno::enServidor = servidor;
    }

    // What each state allows: Editar, Borrar, Deshacer su emisión, Remesar, marcar Pagado, marcar
    // peNdiente, pedir el pago (Cobro por transferencia), Anular, recTificar; and its paper.
    void queDejaCadaEstado_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<QString>("permite");
        QTest::addColumn<int>("aviso");
        fila("recién hecho", "", "EBDRPCA", int(AvisoPago::Transferencia));
        fila("impreso", "impreso", "ERPCA", int(AvisoPago::Transferencia));
        fila("pagado a mano", "impreso pagado", "EN", int(AvisoPago::Pagado));
        fila("en una remesa", "remesa", "", int(AvisoPago::Cargo));
        fila("cobrado por remesa", "remesa pagado", "", int(AvisoPago::Pagado));
        fila("devuelto", "devuelto", "ERPCA", int(AvisoPago::Transferencia));
        fila("anulado", "impreso anulado", "", int(AvisoPago::Anulado));
        fila("con otro detrás", "posterior", "EDRPCA", int(AvisoPago::Transferencia));
        fila("negativo", "negativo", "EBDPA", int(AvisoPago::Devolucion));
        fila("factura registrada", "registrada", "RPCAT", int(AvisoPago::Transferencia));
        fila("rectificada", "registrada rectificada", "RPCT", int(AvisoPago::Transferencia));
    }

    void queDejaCadaEstado() {
        QFETCH(QString, estado);
        const EstadoDocumento e = estadoDe(estado);
        const std::pair<QChar, Accion> acciones[] = {
            {u'E', Accion::Editar},          {u'B', Accion::Borrar},
            {u'D', Accion::DeshacerEmision}, {u'R', Accion::Remesar},
            {u'P', Accion::MarcarPagado},    {u'N', Accion::MarcarPendiente},
            {u'C', Accion::PedirPago},       {u'A', Accion::Anular},
            {u'T', Accion::Rectificar}};
        QString permite;
        for (const auto& [letra, accion] : acciones)
            if (motivoNo(e, accion).isEmpty()) permite += letra;
        QTEST(permite, "permite");
        QTEST(int(avisoPago(e).tipo), "aviso");
        // A refusal to delete always gives the way forward.
        if (!permite.contains(u'B') && !e.anulado)
            QVERIFY(motivoNo(e, Accion::Borrar).contains(u"«Anular»"_s) ||
                    motivoNo(e, Accion::Borrar).contains(u"pendiente"_s));
    }

    void unAnoEntero() {
        Entorno e;
        fijarHoy(QDate(2024, 1, 20));
        int piso = 0, local = 0, ana = 0;
        const QList<std::pair<const char*, std::function<void()>>> pasos = {
            {"crear",
             [&] {
                 crearComoAdmin(e, u"2024"_s);
                 // Receipts and invoices, never the rectifying series first.
                 QCOMPARE(codigosSeries(), (QStringList{u"A"_s, u"B"_s}));
                 QCOMPARE(Entorno::contar(u"tblCobrosConceptos"_s), 5);
                 ejecutar(u"INSERT INTO tblTitulos (Empresa, CIF, CtaBan, IdAcr, CtaRem, PorRet)"
                          u" VALUES ('Alquileres Miño SL', 'B15000003',"
                          u" 'ES91 2100 0418 4502 0005 1332', 'ES26000B15000003',"
                          u" 'ES9121000418450200051332', 0)"_s);
                 hecho(guardarConfigVerifactu({true, {}, 0, u"R"_s, true, {u"B"_s}}));
                 QCOMPARE(primeraSerie(), u"A"_s);
                 QCOMPARE(seriesParaDocumentos(), (QStringList{u"A"_s, u"B"_s}));
             }},
            {"dos inmuebles",
             [&] {
                 ana = inquilino(e, u"Ana Núñez"_s, u"11111111H"_s, u"ES9121000418450200051332"_s);
                 const int tienda = inquilino(e, u"Tienda SL"_s, u"B12345678"_s, {});
                 piso = e.inmueble(u"Piso"_s);
                 local = e.inmueble(u"Local"_s, tienda, {}, {}, {}, {}, 3000);
                 // The flat is let by a contract: its rent becomes its monthly charge.
                 Contrato c;
                 c.idInm = piso, c.idInq = ana, c.inicio = QDate(2023, 6, 1),
                 c.renta = eur(u"650"_s);
                 hecho(guardarContrato(c));
                 QCOMPARE(leerCargos(piso).size(), 1);
                 hecho(guardarCargos(local, {dec(u"21"_s), dec(u"19"_s), true, u"B"_s},
                                     {lineaAlquiler(local), linea(2, u"Comunidad"_s, u"100"_s)}));
                 // A property with a current contract is not deleted.
                 QVERIFY(motivoNoBorrarInmueble(piso).contains(u"contrato actual"_s));
                 QCOMPARE(mesPropuesto(2024), QDate(2024, 1, 1));
             }},
            {"enero",
             [&] {
                 const QList<int> ids = emitir(QDate(2024, 1, 1), 2024);
                 QCOMPARE(ids.size(), 2);
                 hecho(marcarImpresos(ids, u"Emisión"_s));
                 QCOMPARE(motivoNoDeshacer(ultimaEmision()),
                          u"No se puede deshacer: el documento 1A ya está impreso."_s);
             }},
            {"recibo a mano",
             [&] {
                 const AjustesDocumento a = ajustesNuevoDocumento(piso, ana);
                 QCOMPARE(a.origen, AjustesDocumento::Cargos);
                 Cabecera c;
                 c.ser = a.serie, c.porIva = a.porIva, c.porRet = a.porRet;
                 c.idInm = piso, c.idInq = ana, c.fec = QDate(2024, 1, 20), c.tri = 1;
                 QCOMPARE(crearDocumento(c, {linea(3, u"Agua"_s, u"30,25"_s)}).num.value_or(0), 2);
                 QCOMPARE(ajustesNuevoDocumento(0, 0).origen, AjustesDocumento::Empresa);
                 // A new flat with no charges and no history is exempt, not at 21 %.
                 const int nuevo = e.inmueble(u"Ático"_s);
                 const AjustesDocumento v = ajustesNuevoDocumento(nuevo, 0);
                 QCOMPARE(v.origen, AjustesDocumento::Vivienda);
                 QVERIFY(v.porIva.esCero() && v.porRet.esCero() && !v.factura);
                 QVERIFY(condicionesPropuestas(nuevo).porIva.esCero());
                 DatosFiscales fiscales = leerDatosFiscales(nuevo);
                 fiscales.vivienda = false;
                 hecho(guardarDatosFiscales(nuevo, fiscales));
                 // Premises are invoiced at the general rate, in the invoices' series.
                 const AjustesDocumento l = ajustesNuevoDocumento(nuevo, 0);
                 QCOMPARE(l.origen, AjustesDocumento::Local);
                 QCOMPARE(l.porIva, tasaIvaDeTipo(1));
                 QVERIFY(l.factura && l.serie == u"B"_s);
                 const CondicionesCargo cargos = condicionesPropuestas(nuevo);
                 QVERIFY(cargos.factura && cargos.serie == u"B"_s);
                 QCOMPARE(cargos.porIva, tasaIvaDeTipo(1));
             }},
            {"pagos",
             [&] {
                 hecho(
                     marcarPagados({porNumero(u"1B"_s)}, {QDate(2024, 2, 2), u"Transferencia"_s}));
             }},
            {"remesa",
             [&] {
                 // Both of Ana's receipts go as one first debit, two business days on.
                 const QList<CobroRemesa> cobros =
                     proponerRemesa({QDate(2024, 1, 1), QDate(2024, 1, 31), {}, {}});
                 QCOMPARE(cobros.size(), 2);
                 QCOMPARE(adeudosDeRemesa(cobros).size(), 1);
                 QCOMPARE(adeudosDeRemesa(cobros).first().secuencia, u"FRST"_s);
                 hecho(generarRemesa(cobros, primerDiaCobro(Hoy()), e.raiz() + u"/r1.xml"_s));
                 const InformeGenerado recibo = generarDocumento(e.carpetaDatos() + u"/Informes"_s,
                                                                 u"Recibo"_s, porNumero(u"1A"_s));
                 QVERIFY2(recibo.html.contains(u"Se cargará en su cuenta ES… 1332 el 23/01/2024"_s),
                          qPrintable(recibo.html));
                 QVERIFY(!recibo.html.contains(u"PENDIENTE DE PAGO"_s));
                 QVERIFY(!motivoNo(porNumero(u"2A"_s), Accion::Borrar).isEmpty());
                 QCOMPARE(hecho(marcarRemesaCobrada(1)), 2);
             }},
            {"devolución",
             [&] {
                 hecho(devolverCobro(filasCobrosRemesa(1).first().first().toInt(),
                                     QDate(2024, 1, 26), {}));
                 QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Ser = 'A' AND Pag = 0"_s), 2);
             }},
            {"febrero",
             [&] {
                 fijarHoy(QDate(2024, 2, 20));
                 QCOMPARE(mesPropuesto(2024), QDate(2024, 2, 1));
                 hecho(marcarImpresos(emitir(QDate(2024, 2, 1), 2024), u"Emisión"_s));
             }},
            {"anular una factura", [&] { hecho(anularDocumento(porNumero(u"2B"_s))); }},
            {"rectificar otra",
             [&] {
                 const int rect = hecho(rectificarFactura(porNumero(u"1B"_s), u"R1"_s, u"Renta"_s));
                 QCOMPARE(numeroLineas(rect), 2);
                 for (const Linea& l :
                      {linea(1, u"Renta"_s, u"2900"_s), linea(2, u"Comunidad"_s, u"100"_s)})
                     hecho(guardarDocumento(*leerCabecera(rect), {CambioLineas::Anadir, l, 0}));
                 hecho(marcarImpresos({rect}, u"Hoja"_s));
                 QCOMPARE(leerCabecera(rect)->totales.base, eur(u"-100"_s));
                 QVERIFY(!motivoNo(porNumero(u"1B"_s), Accion::Anular).isEmpty());
             }},
        };
        for (const auto& [nombre, paso] : pasos) {
            paso();
            if (QTest::currentTestFailed()) QFAIL(nombre);
            comprobarTotales(2024);
            comprobarRemesas();
            if (QTest::currentTestFailed()) QFAIL(nombre);
        }
        // What the steps leave, in numbers: 1B and its rectification net 3.000, 2B cancelled;
        // Ana's rents and water exempt; 1B paid, the returned debit not; the shop over 3.005,06.
        QCOMPARE(filasDe(ivaRepercutido({2024, 0})),
                 (QStringList{u"21 %|2|3.000,00|630,00"_s, u"Exento|3|1.330,25|"_s}));
        QCOMPARE(filasDe(rendimientosInmuebles({2024, 0})).first(),
                 u"Local|2|3.000,00|3.100,00|570,00"_s);
        QCOMPARE(filasDe(operacionesConTerceros(2024)).size(), 1);

        // The next year: its own series and first month; the old year keeps to its own.
        fijarHoy(QDate(2024, 12, 28));
        QVERIFY(!emitirMes(proponerMes(QDate(2025, 1, 1)), QDate(2025, 1, 1), 2024));
        if (Entorno::enServidor)
            QVERIFY(ServidorPrueba::compartido().sql(u"DROP SCHEMA IF EXISTS ano_2025 CASCADE"_s));
        QCOMPARE(crearAnoDesde(e.carpetaDatos(), u"2024"_s, u"2025"_s), QString());
        QCOMPARE(abrirAnoDeCarpeta(e.carpetaDatos(), u"2025"_s), QString());
        QCOMPARE(seriesParaDocumentos(), (QStringList{u"A"_s, u"B"_s}));
        QCOMPARE(mesPropuesto(2025), QDate(2025, 1, 1));
        QVERIFY(!emitirMes(proponerMes(QDate(2024, 12, 1)), QDate(2024, 12, 1), 2025));
        QCOMPARE(emitir(QDate(2025, 1, 1), 2025).size(), 2);
        comprobarTotales(2025);
        QCOMPARE(filasDe(ivaRepercutido({2025, 0})),
                 (QStringList{u"21 %|1|3.100,00|651,00"_s, u"Exento|1|650,00|"_s}));
    }
};

TORVANE_TEST_MAIN(TestCiclo)
#include "tst_ciclo.moc"
