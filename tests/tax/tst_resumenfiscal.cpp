#include "core/banking/FicheroSepa.h"
#include "core/banking/Remesas.h"
#include "core/documents/Documentos.h"
#include "core/documents/Totales.h"
#include "core/reports/DatosInforme.h"
#include "core/reports/Estadisticas.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "reports/frmResumenFiscal.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QComboBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QXmlStreamReader>

using namespace torvane;

namespace {

/** A document with its totals worked out as the sheet does. */
void documento(Entorno& e, const QDate& fecha, int inq, int inm, double base, double porIva,
               double porRet, bool pagado = false) {
    static int numero = 0;
    const int id = e.documento(++numero, u"A"_s, fecha, inm, inq, 0, pagado);
    const Totales t = *calcularTotales(Importe::desdeEuros(base), Decimal::desdeReal(porRet),
                                       Decimal::desdeReal(porIva));
    ejecutar(u"UPDATE tblCobros SET SubTotal = ?, Base = ?, PorIva = ?, IVA = ?, PorRet = ?,"
             u" Ret = ?, Tot = ? WHERE Id = ?"_s,
             {guardar(t.subtotal), guardar(t.base), guardar(Decimal::desdeReal(porIva)),
              guardar(t.iva), guardar(Decimal::desdeReal(porRet)), guardar(t.retencion),
              guardar(t.total), id});
}

/**
 * A business tenant with 21 % VAT and 19 % withholding in the first two quarters, a 10 %
 * garage, and exempt flats whose yearly totals fall just below, exactly on and just above the
 * form 347 threshold (the last through two tenant records with the same N.I.F. typed apart).
 */
void anoDePrueba(Entorno& e) {
    const int local = e.inquilino(u"Local SL"_s, {}, {}, {}, u"B12345678"_s);
    const int bajo = e.inquilino(u"Bea"_s, {}, {}, {}, u"11111111H"_s);
    const int justo = e.inquilino(u"Juan"_s, {}, {}, {}, u"22222222J"_s);
    const int encima = e.inquilino(u"Xavi"_s, {}, {}, {}, u"x-1234567-l"_s);
    const int encima2 = e.inquilino(u"Xavier"_s, {}, {}, {}, u"X1234567L"_s);
    const int garaje = e.inquilino(u"Dora"_s);
    const int mLocal = e.inmueble(u"Local"_s), piso1 = e.inmueble(u"Piso 1"_s),
              piso2 = e.inmueble(u"Piso 2"_s), mGaraje = e.inmueble(u"Garaje"_s);
    documento(e, QDate(2024, 1, 15), local, mLocal, 1000, 21, 19, true);
    documento(e, QDate(2024, 2, 15), local, mLocal, 1000, 21, 19);
    documento(e, QDate(2024, 4, 15), local, mLocal, 1000, 21, 19);
    documento(e, QDate(2024, 3, 1), bajo, piso1, 1502.52, 0, 0);
    documento(e, QDate(2024, 6, 1), bajo, piso1, 1502.53, 0, 0);
    documento(e, QDate(2024, 5, 10), justo, piso1, 3005.06, 0, 0);
    documento(e, QDate(2024, 3, 31), encima, piso2, 3005, 0, 0);
    documento(e, QDate(2024, 12, 31), encima2, piso2, 0.07, 0, 0);
    documento(e, QDate(2024, 7, 1), garaje, mGaraje, 100, 10, 0, true);
    // Outside the year.
    documento(e, QDate(2023, 12, 31), local, mLocal, 5000, 21, 19);
    documento(e, QDate(2025, 1, 1), local, mLocal, 5000, 21, 19);
}

/** Cells of a section as the grid writes them, row after row. */
QStringList filas(const Seccion& s) {
    QStringList resultado;
    for (const QVariantList& fila : s.hoja.filas) {
        QStringList celdas;
        for (int c = 0; c < fila.size(); ++c)
            celdas << textoCelda(fila[c]);
        resultado << celdas;
    }
    return resultado;
}

Importe total(const Seccion& s, int columna) {
    return importeDeCelda(filaTotales(s.hoja).value(columna)).value_or(Importe());
}

/**
 * A year whose amounts never come out round, each document rounded on its own: thirds with
 * 21 % VAT and 19 % withholding, 2,2 % of a few cents, 10,5 % of two thirds; a shop over the
 * 347 threshold; everything unpaid debited by mandate, the garage paid.
 */
void anoIncomodo(Entorno& e) {
    ejecutar(u"INSERT INTO tblTitulos (Empresa, IdAcr, CtaRem) VALUES"
             u" ('Alquileres Miño', 'ES26000B15000003', 'ES9121000418450200051332')"_s);
    const auto conMandato = [&e](const QString& nombre, const QString& nif, const QString& iban) {
        const int inq = e.inquilino(nombre, {}, {}, {}, nif);
        ejecutar(u"INSERT INTO tblInquilinosCuentas (IBAN, IdInq, MndRef, MndFec, MndPri)"
                 u" VALUES (?, ?, ?, '2024-01-10', 1)"_s,
                 {iban, inq, u"M-%1"_s.arg(inq)});
        return inq;
    };
    const int tienda = conMandato(u"Tienda SL"_s, u"B12345678"_s, u"ES9121000418450200051332"_s);
    const int bea = conMandato(u"Bea"_s, u"11111111H"_s, u"DE89370400440532013000"_s);
    const int dora = e.inquilino(u"Dora"_s);
    const int local = e.inmueble(u"Local"_s), piso = e.inmueble(u"Piso"_s),
              garaje = e.inmueble(u"Garaje"_s);
    for (int mes = 1; mes <= 12; ++mes) {
        documento(e, QDate(2024, mes, 1), tienda, local, 333.33, 21, 19);
        documento(e, QDate(2024, mes, 5), bea, piso, mes % 3 ? 0.25 : 33.33, 2.2, 0);
        documento(e, QDate(2024, mes, 9), dora, garaje, mes % 2 ? 66.67 : 0.05, 10.5, 0, true);
    }
}

/** Each amount cell of column c of a sheet's rows, as shown. */
QStringList columnaDe(const Hoja& hoja, int c) {
    QStringList textos;
    for (const QVariantList& fila : hoja.filas)
        textos << textoCelda(fila.value(c));
    return textos;
}

/** An amount as a file writes it ("1234.50", "7") read exactly. */
Importe deTextoPunto(QString texto) {
    return Importe::leer(texto.replace(u'.', u',')).valorO({});
}

/**
 * Cells of an xlsx's first sheet by reference ("C2") with their cached values: binary numbers
 * by the format (885,06 is written 885.0599999999999), read here to the nearest cent.
 */
QHash<QString, Importe> celdasXlsx(const QString& ruta) {
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, ruta, u"xl/worksheets/sheet1.xml"_s});
    unzip.waitForFinished();
    QHash<QString, Importe> celdas;
    static const QRegularExpression celda(
        u"<c r=\"([A-Z]+[0-9]+)\"[^>]*>(?:<f>[^<]*</f>)?<v>([^<]*)</v>"_s);
    for (const auto& m : celda.globalMatch(QString::fromUtf8(unzip.readAllStandardOutput())))
        celdas.insert(m.captured(1), Importe::desdeEuros(m.captured(2).toDouble()));
    return celdas;
}

} // namespace

class TestResumenFiscal : public QObject {
    Q_OBJECT

private slots:
    void periodos() {
        QCOMPARE(Periodo({2024, 0}).desde(), QDate(2024, 1, 1));
        QCOMPARE(Periodo({2024, 0}).hasta(), QDate(2024, 12, 31));
        QCOMPARE(Periodo({2024, 1}).hasta(), QDate(2024, 3, 31));
        QCOMPARE(Periodo({2024, 4}).desde(), QDate(2024, 10, 1));
        QCOMPARE(Periodo({2024, 2}).texto(), u"2.º trimestre de 2024"_s);
    }

    void seccionesDelAnoYDeUnTrimestre() {
        Entorno e;
        anoDePrueba(e);
        const Periodo ano{2024, 0}, primero{2024, 1}, segundo{2024, 2};
        QCOMPARE(filas(ivaRepercutido(ano)),
                 lista("10 %|1|100,00|10,00|21 %|3|3.000,00|630,00|Exento|5|9.015,18|"));
        QCOMPARE(filas(ivaRepercutido(primero)),
                 lista("21 %|2|2.000,00|420,00|Exento|2|4.507,52|"));
        QCOMPARE(
            filas(retencionesSoportadas(ano)),
            lista("B12345678|Local SL|1T|2.000,00|380,00|B12345678|Local SL|2T|1.000,00|190,00"));
        QCOMPARE(filas(retencionesSoportadas(segundo)),
                 lista("B12345678|Local SL|2T|1.000,00|190,00"));
        // 3.005,05 and 3.005,06 stay out; 3.005,07 over two records of one N.I.F. goes in.
        QCOMPARE(filas(operacionesConTerceros(2024)),
                 lista("B12345678|Local SL|2.420,00|1.210,00|0,00|0,00|3.630,00|"
                       "X1234567L|Xavi|3.005,00|0,00|0,00|0,07|3.005,07"));
        QCOMPARE(filas(rendimientosInmuebles(ano)),
                 lista("Garaje|1|100,00|100,00|0,00|Local|3|3.000,00|1.000,00|570,00|"
                       "Piso 1|3|6.010,11|0,00|0,00|Piso 2|2|3.005,07|0,00|0,00"));

        // Each quarter agrees to the cent with the collections list of the same dates.
        for (int t = 1; t <= 4; ++t) {
            const Periodo p{2024, t};
            const Seccion iva = ivaRepercutido(p);
            const Importe retenido = total(rendimientosInmuebles(p), 4);
            FiltroCobros filtro;
            filtro.desde = p.desde();
            filtro.hasta = p.hasta();
            QCOMPARE((total(iva, 2) + total(iva, 3) - retenido).texto(),
                     resumenCobros(filtro).total.texto());
        }
    }

    // Every total printed under a list is the sum of the lines printed above it, to the cent,
    // though each line was rounded on its own: the summary's sections, the statistics, the
    // remittance's file and a sheet's formula row.
    void totalesSonLaSumaDeSusLineas() {
        Entorno e;
        anoIncomodo(e);
        struct Caso {
            QString listado;
            QStringList lineas;
            QString total;
        };
        QList<Caso> casos;
        const Periodo ano{2024, 0};
        for (const Seccion& s : {ivaRepercutido(ano), retencionesSoportadas(ano),
                                 operacionesConTerceros(2024), rendimientosInmuebles(ano)}) {
            const QVariantList totales = filaTotales(s.hoja);
            for (int c = 0; c < s.hoja.columnas.size(); ++c)
                if (s.hoja.columnas[c].tipo == TipoDato::Importe)
                    casos << Caso{s.titulo + u' ' + s.hoja.columnas[c].titulo, columnaDe(s.hoja, c),
                                  textoCelda(totales[c])};
        }
        QCOMPARE(filasDeSeccion(operacionesConTerceros(2024)).filas.size(), 1);

        for (const Cuenta cuenta : {Cuenta::Facturado, Cuenta::Cobrado}) {
            const QList<QStringList> rejilla = rejillaMensual(cobrosPorMes(2024, cuenta));
            QVERIFY(rejilla.size() > 1);
            for (int c = 3; c <= 15; ++c) {
                Caso columna{u"estadística, columna %1"_s.arg(c), {}, rejilla.last()[c]};
                for (qsizetype f = 0; f + 1 < rejilla.size(); ++f)
                    columna.lineas << rejilla[f][c];
                casos << columna;
            }
            for (qsizetype f = 0; f + 1 < rejilla.size(); ++f)
                casos << Caso{u"estadística, fila %1"_s.arg(f), rejilla[f].mid(3, 12),
                              rejilla[f][15]};
        }

        const QList<CobroRemesa> propuesta =
            proponerRemesa({QDate(2024, 1, 1), QDate(2024, 12, 31), {}, {}});
        Caso remesa{u"remesa"_s, {}, {}}, fichero{u"fichero de la remesa"_s, {}, {}};
        for (const CobroRemesa& c : propuesta)
            if (c.motivo.isEmpty()) remesa.lineas << c.importe.texto();
        const QString ruta = e.raiz() + u"/remesa.xml"_s;
        hecho(generarRemesa(propuesta, primerDiaCobro(Hoy()), ruta));
        QFile archivo(ruta);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&archivo);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == u"InstdAmt")
                fichero.lineas << deTextoPunto(xml.readElementText()).texto();
            else if (xml.name() == u"CtrlSum" && fichero.total.isEmpty())
                fichero.total = deTextoPunto(xml.readElementText()).texto();
        }
        remesa.total = fichero.total;
        casos << remesa << fichero;

        const Hoja iva = ivaRepercutido(ano).hoja;
        const QString xlsx = e.raiz() + u"/iva.xlsx"_s;
        QCOMPARE(exportarHoja(iva, xlsx), QString());
        const QHash<QString, Importe> celdas = celdasXlsx(xlsx);
        for (const QString& col : {u"C"_s, u"D"_s}) {
            Caso hoja{u"xlsx, columna "_s + col, {}, {}};
            for (int f = 2; f <= iva.filas.size() + 1; ++f)
                hoja.lineas << celdas.value(col + QString::number(f)).texto();
            hoja.total = celdas.value(col + QString::number(iva.filas.size() + 2)).texto();
            casos << hoja;
        }

        for (const Caso& c : casos) {
            Importe suma;
            for (const QString& linea : c.lineas)
                suma += Importe::leer(linea.isEmpty() ? u"0"_s : linea).valorO({});
            QVERIFY2(!c.lineas.isEmpty(), qPrintable(c.listado));
            QCOMPARE(Importe::leer(c.total.isEmpty() ? u"0"_s : c.total).valorO({}).texto() + u' ' +
                         c.listado,
                     suma.texto() + u' ' + c.listado);
        }
    }

    void ventanaExportaEImprime() {
        Entorno e;
        anoDePrueba(e);
        prepararImpresion(u"ResumenIva.rpt"_s);
        frmResumenFiscal ventana(sesion());
        ventana.show();
        hijo<QComboBox>(&ventana, "cmbPeriodo")->setCurrentIndex(1);
        pulsar(&ventana, "cmdCalcular");
        Rejilla* iva = hijo<Rejilla>(&ventana, "mshIva");
        QCOMPARE(columna(iva, 3), lista("2.000,00|4.507,52|6.507,52"));
        QCOMPARE(textoDe(&ventana, "lblInfo"), u"IVA repercutido - 1.er trimestre de 2024"_s);

        const QString csv = e.raiz() + u"/iva.csv"_s;
        DialogoArchivo::fijarSiguiente(csv);
        pulsar(&ventana, "cmdExportar");
        QCOMPARE(contenidoDe(csv),
                 QByteArray("\xEF\xBB\xBFTipo;Documentos;Base imponible;Cuota IVA\r\n"
                            "21 %;2;2000,00;420,00\r\nExento;2;4507,52;\r\n"));

        const QString salida = e.raiz() + u"/iva.pdf"_s;
        DialogoArchivo::fijarSiguiente(salida);
        pulsar(&ventana, "cmdPDF");
        const QString leido = paginasPdf(salida).join(u' ');
        QVERIFY2(leido.contains(u"IVA repercutido 1.er trimestre de 2024"_s), qPrintable(leido));
        QVERIFY2(leido.contains(u"Exento 2 4.507,52"_s), qPrintable(leido));
        QVERIFY2(leido.contains(u"6.507,52 420,00"_s), qPrintable(leido));

        // A section whose template is missing says so; a wrong year changes nothing.
        hijo<QTabWidget>(&ventana, "tabSecciones")->setCurrentIndex(2);
        Mensaje::limpiarHistorial();
        pulsar(&ventana, "cmdPDF");
        QCOMPARE(Mensaje::textos(), QStringList{kPlantillaNoEncontrada});
        caja(&ventana, "txtAno")->setText(u"24"_s);
        pulsar(&ventana, "cmdCalcular");
        QCOMPARE(Mensaje::textos().last(),
                 u"Escriba el año con sus cuatro cifras, por ejemplo 2024."_s);
        QCOMPARE(columna(iva, 3), lista("2.000,00|4.507,52|6.507,52"));
    }
};

TORVANE_TEST_MAIN(TestResumenFiscal)
#include "tst_resumenfiscal.moc"
