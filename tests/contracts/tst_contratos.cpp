#include "support/Abrir.h"
#include "support/Ayudas.h"

#include "contracts/frmActualizarRentas.h"
#include "core/contracts/Contratos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLineEdit>
#include <QPushButton>

using namespace torvane;

using namespace Qt::StringLiterals;

namespace {

Contrato contrato(TipoContrato tipo, const QDate& inicio, Regla regla,
                  const QString& renta = u"750"_s) {
    Contrato c;
    c.tipo = tipo;
    c.inicio = inicio;
    c.duracion = 60;
    c.regla = regla;
    c.renta = eur(renta);
    return c;
}

std::optional<Decimal> tasa(const QString& texto) {
    return texto.isEmpty() ? std::nullopt : std::optional(*Decimal::leer(texto));
}

QString resumen(const QList<Vencimiento>& lista) {
    QStringList partes;
    for (const Vencimiento& v : lista)
        partes << v.clase + u' ' + formatoFecha(v.fecha);
    return partes.join(u", "_s);
}

} // namespace

class TestContratos : public QObject {
    Q_OBJECT

private slots:
    void actualizacion_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QDate>("inicio");
        QTest::addColumn<int>("regla");
        QTest::addColumn<QString>("renta");
        QTest::addColumn<QString>("ipc");
        QTest::addColumn<QString>("irav");
        QTest::addColumn<QString>("nueva"); // or the start of the error
        QTest::addColumn<bool>("limitada");
        const int viv = 0, local = 1, ipc = 1, irav = 2, fijo = 3;
        const QDate antes(2023, 5, 25), desde(2023, 5, 26);
        fila("IPC sube", viv, antes, ipc, "750", "3,1", "2,2", "773,25", false);
        fila("IPC baja", viv, antes, ipc, "750", "-1,5", "", "738,75", false);
        fila("IPC topado por el IRAV", viv, desde, ipc, "750", "3,1", "2,2", "766,50", true);
        fila("IPC bajo el IRAV", viv, desde, ipc, "750", "1,9", "2,2", "764,25", false);
        fila("local sin tope", local, desde, ipc, "750", "3,1", "2,2", "773,25", false);
        fila("IRAV", viv, desde, irav, "800", "", "2,2", "817,60", false);
        fila("fijo topado", viv, desde, fijo, "750", "", "2,2", "766,50", true);
        fila("fijo de local", local, desde, fijo, "750", "", "", "772,50", false);
        fila("redondeo", viv, antes, ipc, "633,33", "2,3", "", "647,90", false);
        fila("medio céntimo", viv, antes, ipc, "100,5", "1", "", "101,51", false);
        fila("sin IPC", viv, antes, ipc, "750", "", "2,2", "Falta el IPC", false);
        fila("sin el IRAV que topa", viv, desde, ipc, "750", "3,1", "", "Falta el IRAV", false);
    }

    void actualizacion() {
        QFETCH(int, tipo);
        QFETCH(QDate, inicio);
        QFETCH(int, regla);
        QFETCH(QString, renta);
        QFETCH(QString, ipc);
        QFETCH(QString, irav);
        QFETCH(QString, nueva);
        QFETCH(bool, limitada);
        Contrato c =
            contrato(static_cast<TipoContrato>(tipo), inicio, static_cast<Regla>(regla), renta);
        c.porFijo = Decimal::deEntero(3);
        const Actualizacion a = calcularActualizacion(c, {tasa(ipc), tasa(irav)});
        if (!a.error.isEmpty()) {
            QVERIFY2(a.error.startsWith(nueva), qPrintable(a.error));
            return;
        }
        QCOMPARE(a.rentaNueva.texto(), nueva);
        QCOMPARE(a.explicacion.contains(u"limitado al IRAV"_s), limitada);
        QVERIFY2(a.explicacion.endsWith(nueva), qPrintable(a.explicacion));
    }

    void vencimientos_data() {
        QTest::addColumn<QDate>("hoy");
        QTest::addColumn<QDate>("inicio");
        QTest::addColumn<int>("meses");
        QTest::addColumn<int>("mesActualizacion");
        QTest::addColumn<QDate>("actualizada");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<bool>("sociedad");
        QTest::addColumn<QString>("fin");
        QTest::addColumn<QString>("esperado");
        QTest::addColumn<QString>("detalle"); // a piece of the first one's wording
        const int viv = 0, local = 1;
        // A home of RDL 7/2019 at its five years: the notices are past, the end is next, and
        // the update after it is due should no notice have been given.
        fila("fin de año", QDate(2026, 12, 15), QDate(2022, 2, 1), 60, 2, QDate(2026, 2, 1), viv,
             false, "31/01/2027",
             "Fin de contrato 31/01/2027, Actualización 01/02/2027, Fianza 28/02/2027", "");
        fila("local bisiesto", QDate(2024, 1, 1), QDate(2023, 3, 1), 12, 0, QDate(), local, false,
             "29/02/2024", "Fin de contrato 30/01/2024, Fianza 29/03/2024", "(30 días)");
        fila("local desde un 29 de febrero", QDate(2025, 1, 20), QDate(2024, 2, 29), 12, 0, QDate(),
             local, false, "28/02/2025",
             "Fin de contrato 29/01/2025, Actualización 01/02/2025, Fianza 28/03/2025", "");
        fila("aviso de 4 meses", QDate(2024, 8, 1), QDate(2020, 1, 1), 60, 1, QDate(2024, 1, 1),
             viv, false, "31/12/2024", "Fin de contrato 31/08/2024",
             "RDL 7/2019: el inquilino puede quedarse hasta el 31/12/2024 (5 años). Para no "
             "renovar, el arrendador avisa antes del 31/08/2024 (4 meses) y el inquilino antes "
             "del 31/10/2024 (2 meses); sin aviso se prorroga por años hasta el 31/12/2027");
        fila("sociedad: siete años", QDate(2026, 8, 1), QDate(2020, 1, 1), 60, 1, QDate(2026, 1, 1),
             viv, true, "31/12/2024", "Fin de contrato 31/08/2026", "hasta el 31/12/2026 (7 años)");
        fila("Ley 4/2013: tres años", QDate(2017, 11, 15), QDate(2015, 1, 1), 12, 0,
             QDate(2017, 1, 1), viv, false, "31/12/2015",
             "Fin de contrato 01/12/2017, Actualización 01/01/2018, Fianza 31/01/2018",
             "se prorroga de año en año");
        fila("RDL 7/2019: prórroga tácita", QDate(2025, 4, 15), QDate(2019, 6, 1), 12, 0,
             QDate(2024, 6, 1), viv, false, "31/05/2020",
             "Prórroga 30/04/2025, Actualización 01/06/2025",
             "prórroga tácita hasta el 31/05/2027; el inquilino puede dejarlo el 31/05/2025 "
             "avisando antes del 30/04/2025 (1 mes); el arrendador, no");
        fila("Ley 4/2013: año a año", QDate(2026, 1, 20), QDate(2014, 3, 1), 12, 0,
             QDate(2025, 3, 1), viv, false, "28/02/2015",
             "Prórroga 29/01/2026, Actualización 01/03/2026",
             "el arrendador o el inquilino avisan");
        fila("LAU de 1994: prórrogas terminadas", QDate(2024, 5, 15), QDate(2005, 1, 1), 12, 0,
             QDate(2012, 1, 1), viv, false, "31/12/2005",
             "Fin de contrato 31/12/2012, Fianza 31/01/2013", "tácita reconducción");
        fila("actualización atrasada", QDate(2024, 5, 15), QDate(2022, 3, 10), 60, 0,
             QDate(2023, 3, 1), viv, false, "09/03/2027", "Actualización 01/03/2024", "");
        fila("nada", QDate(2024, 5, 15), QDate(2024, 1, 1), 60, 0, QDate(), viv, false,
             "31/12/2028", "", "");
    }

    void vencimientos() {
        QFETCH(QDate, hoy);
        QFETCH(QDate, inicio);
        QFETCH(int, meses);
        QFETCH(int, mesActualizacion);
        QFETCH(QDate, actualizada);
        QFETCH(int, tipo);
        QFETCH(bool, sociedad);
        QFETCH(QString, fin);
        QFETCH(QString, esperado);
        QFETCH(QString, detalle);
        Contrato c = contrato(static_cast<TipoContrato>(tipo), inicio, Regla::Ipc);
        c.duracion = meses;
        c.mesActualizacion = mesActualizacion;
        c.ultimaActualizacion = actualizada;
        c.fianza = eur(u"750"_s);
        QCOMPARE(formatoFecha(c.fin()), fin);
        const QList<Vencimiento> lista = vencimientosDe(c, hoy, 60, sociedad);
        QCOMPARE(resumen(lista), esperado);
        if (!detalle.isEmpty())
            QVERIFY2(lista.value(0).detalle.contains(detalle), qPrintable(lista.value(0).detalle));
    }

    // A current contract sets the property's tenant, price and rent line; bad input changes
    // nothing; a newer current contract makes the old one past.
    void contratoActualDelInmueble() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s), luis = e.inquilino(u"Luis"_s);
        const int inm = e.inmueble(u"Piso"_s, ana, {}, {}, {}, {}, 500);
        e.concepto(u"Renta"_s, 0);
        hecho(guardarCargos(inm, {}, {lineaAlquiler(inm)}));
        Contrato c = contrato(TipoContrato::Vivienda, QDate(2023, 6, 1), Regla::Ipc, u"640"_s);
        c.idInm = inm;
        c.idInq = luis;
        const int primero = hecho(guardarContrato(c));
        QCOMPARE(InquilinoDeInmueble(inm), luis);
        QCOMPARE(leerCargos(inm).first().pre, eur(u"640"_s));

        Contrato malo = c;
        malo.fianza = eur(u"100"_s);
        malo.fianzaDevuelta = eur(u"200"_s);
        QVERIFY(!guardarContrato(malo));
        malo = c;
        malo.idInq = 99;
        QCOMPARE(validarContrato(malo), u"Ese inquilino no existe. Elija otro"_s);
        QCOMPARE(Entorno::contar(u"tblContratos"_s), 1);

        c.idInq = ana;
        c.inicio = QDate(2024, 6, 1);
        c.renta = eur(u"700"_s);
        hecho(guardarContrato(c));
        QCOMPARE(Entorno::contar(u"tblContratos"_s, u"Act = 1"_s), 1);
        QVERIFY(!leerContrato(primero)->actual);
        QCOMPARE(InquilinoDeInmueble(inm), ana);
        QCOMPARE(importeGuardado(valorUnico(u"SELECT Pre FROM tblInmuebles WHERE Id = ?"_s, {inm})),
                 eur(u"700"_s));
    }

    // On the demo year: the December updates with typed rates, applied, their letters printed
    // and read back, and the December run billing the new rents.
    void actualizarImprimirYPasarDeAno() {
        Entorno e;
        e.abrirDemo();
        QVERIFY(!::vencimientos(QDate(2024, 11, 20)).isEmpty());

        frmActualizarRentas ventana(sesion());
        ventana.show();
        QCOMPARE(ventana.findChild<QLineEdit*>(u"mskMes"_s)->text(), u"12/2024"_s);
        ventana.findChild<QLineEdit*>(u"txtIpc"_s)->setText(u"3,1"_s);
        ventana.findChild<QLineEdit*>(u"txtIrav"_s)->setText(u"2,2"_s);
        ventana.findChild<QPushButton*>(u"cmdCalcular"_s)->click();
        auto* rejilla = ventana.findChild<Rejilla*>(u"mshRentas"_s);
        const int filas = rejilla->modelo()->filasDatos();
        QVERIFY(filas >= 3);
        int limitada = 0;
        for (int f = 1; f <= filas; ++f)
            if (rejilla->texto(f, 8).contains(u"limitado al IRAV"_s)) limitada = f;
        QVERIFY(limitada > 0);
        const QString inquilino = rejilla->texto(limitada, 3), nueva = rejilla->texto(limitada, 7);
        const int inm =
            CodigoDeDescripcion(u"tblInmuebles"_s, u"Des"_s, u"Id"_s, rejilla->texto(limitada, 2));

        const QString salida = e.raiz() + u"/cartas.pdf"_s;
        DialogoArchivo::fijarSiguiente(salida);
        ventana.findChild<QPushButton*>(u"cmdAplicar"_s)->click();
        QCOMPARE(Entorno::contar(u"tblContratosRentas"_s), filas);
        const QStringList paginas = paginasPdf(salida);
        QCOMPARE(paginas.size(), filas);
        const QString carta = paginas.filter(inquilino).value(0);
        for (const QString& texto :
             {nueva + u" €"_s, u"IRAV 2,2 %"_s, u"01/12/2024"_s, u"limitado al IRAV 2,2 %"_s})
            QVERIFY2(carta.contains(texto), qPrintable(carta));

        for (const PropuestaMes& p : proponerMes(QDate(2024, 12, 1)))
            if (p.idInm == inm) QCOMPARE(p.lineas.first().pre.texto(), nueva);
        QVERIFY(contratosPorActualizar(QDate(2024, 12, 1)).isEmpty());
        QCOMPARE(leerIndice(u"IRAV"_s, 2024, 12), Decimal::leer(u"2,2"_s).valorO({}));
    }
};

TORVANE_TEST_MAIN(TestContratos)
#include "tst_contratos.moc"
