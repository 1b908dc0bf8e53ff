// Collections: the documents list, the document sheet and its line editor, the monthly run.
#include "collections/frmCobros.h"
#include "collections/frmCobrosDetalle.h"
#include "collections/frmCobrosHoja.h"
#include "collections/frmEmitirMes.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/mail/AjustesCorreo.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/text/Formato.h"
#include "registers/frmAtopar.h"
#include "reports/frmInformeHojaDoc.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "support/ServidorPrueba.h"
#include "support/SmtpPrueba.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>

using namespace torvane;

namespace {

/** Fills the line editor the sheet is about to open and accepts it. */
void escribirLinea(const QString& und, const QString& pre, const QString& des = {}) {
    cuandoAparezca<frmCobrosDetalle>([=](frmCobrosDetalle* d) {
        escribir(caja(d, "txtCodigo"), u"0"_s);
        escribir(caja(d, "txtDes"), des);
        escribir(caja(d, "txtUni"), und);
        pulsarEnter(caja(d, "txtUni"));
        escribir(caja(d, "txtPre"), pre);
        pulsarEnter(caja(d, "txtPre"));
        pulsar(d, "cmdAceptar");
        if (d->isVisible()) {
            pulsar(d, "cmdCancelar");
            QFAIL("La línea no se aceptó");
        }
    });
}

QStringList lineasGuardadas(int idDoc) {
    QSqlQuery q = ejecutar(
        u"SELECT Lin || ':' || DesCon FROM tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin"_s,
        {idDoc});
    QStringList lineas;
    while (q.next())
        lineas << q.value(0).toString();
    return lineas;
}

/** Picks the first listed row in the search window about to open, or closes it without a choice. */
void elegirEnBuscador(bool elegir) {
    cuandoAparezca<frmAtopar>([elegir](frmAtopar* buscar) {
        if (!elegir) return QTest::keyClick(buscar, Qt::Key_Escape);
        rejillaDe(buscar)->fijarFilaActual(1);
        QTest::keyClick(rejillaDe(buscar), Qt::Key_Return);
    });
}

void escape(QWidget* ventana) {
    QTest::keyClick(ventana->focusWidget() ? ventana->focusWidget() : ventana, Qt::Key_Escape);
}

/** VAT 21 % and series "A" exist; returns a stored document of that series. */
int documentoA(Entorno& e, int num = 1, const QDate& fecha = QDate(2024, 3, 1)) {
    e.tipoIva(1, 21);
    if (contar("tblSeriesF") == 0) e.serie(u"A"_s);
    return e.documento(num, u"A"_s, fecha);
}

/** The number-and-series column, top to bottom. */
QStringList numeros(QWidget* lista) {
    rejillaDe(lista)->modelo()->cargarHasta();
    return columna(rejillaDe(lista), 2);
}

QString resumen(int cuantos, const QString& total) {
    return u"%1 recibo%2 de cobro | TOTAL IMPORTES: %3 €"_s.arg(cuantos).arg(
        cuantos == 1 ? u""_s : u"s"_s, total);
}

const QDate kMarzo(2024, 3, 1);

Linea cargo(const QString& des, const QString& und, const QString& pre) {
    Linea l;
    l.idCon = 1;
    l.desCon = des;
    l.und = dec(und);
    l.pre = eur(pre);
    return l;
}

/** A let property billing the rent (and water when agua) on the given terms. */
int alquilado(Entorno& e, const QString& des, const CondicionesCargo& c, bool agua = false) {
    const int inm = e.inmueble(des, e.inquilino(u"Inquilino de "_s + des), {}, {}, {}, {}, 500);
    QList<Linea> lineas{lineaAlquiler(inm)};
    if (agua) lineas << cargo(u"Agua"_s, u"1,5"_s, u"16,46"_s);
    hecho(guardarCargos(inm, c, lineas));
    return inm;
}

QString numeros(const QList<int>& ids) {
    QStringList textos;
    for (int id : ids) {
        const auto c = leerCabecera(id);
        textos << QString::number(c->num.value_or(0)) + c->ser;
    }
    return textos.join(u' ');
}

} // namespace

class TestCobros : public QObject {
    Q_OBJECT

private slots:
    void listaYOrden() {
        Entorno e;
        const int inq = e.inquilino(u"Ana"_s);
        const int inm = e.inmueble(u"Bajo"_s, inq);
        e.documento(10, u"A"_s, QDate(2024, 3, 1), inm, inq, 1000);
        e.documento(9, u"A"_s, QDate(2024, 3, 1), 0, 0, 234.56, true);
        e.documento(1, u"B"_s, QDate(2024, 4, 1), inm, 0, 100);
        e.documento(3, u"A"_s, QDate(1999, 12, 31), inm, inq, 5);
        frmCobros lista(sesion(), ventanas());
        lista.show();
        QCOMPARE(textoDe(&lista, "mskHasta"), u"31/12/2024"_s);
        QCOMPARE(numeros(&lista), ::lista("1B|9A|10A"));
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(3, u"1.334,56"_s));
        Rejilla* rejilla = rejillaDe(&lista);
        QCOMPARE(QStringList({rejilla->texto(1, 0), rejilla->texto(1, 1), rejilla->texto(1, 3),
                              rejilla->texto(1, 4), rejilla->texto(3, 4), rejilla->texto(3, 10)}),
                 ::lista("1|01/04/2024|Bajo||Ana|1.000,00"));
        QCOMPARE(columna(rejilla, 11), ::lista("NO|SÍ|NO"));
        QCOMPARE(rejilla->filaActual(), 1);
    }

    void filtros_data() {
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("pendientes");
        QTest::addColumn<int>("serie"); // entry of the series box: 0 TODAS, 1 A, 2 B
        QTest::addColumn<QStringList>("esperados");
        QTest::addColumn<QString>("total");
        fila("todo", "", "", false, 0, lista("2B|1B|2A|1A"), "1.111,00");
        fila("acentos", "", "jose", false, 0, lista("2B|1A"), "1.001,00");
        fila("comilla", "", "o'brien", false, 0, lista("1B"), "100,00");
        fila("porcentaje", "", "100%", false, 0, lista("2A"), "10,00");
        fila("fuera de fechas", "02022024", "jose", false, 0, lista("2B"), "1,00");
        fila("pendientes", "", "", true, 0, lista("2B|2A"), "11,00");
        fila("serie B", "", "", false, 2, lista("2B|1B"), "101,00");
        fila("serie A pendientes", "", "", true, 1, lista("2A"), "10,00");
    }

    void filtros() {
        QFETCH(QString, desde);
        QFETCH(QString, texto);
        QFETCH(bool, pendientes);
        QFETCH(int, serie);
        QFETCH(QStringList, esperados);
        QFETCH(QString, total);
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        const int jose = e.inquilino(u"JOSÉ Núñez"_s);
        const int obrien = e.inquilino(u"Mary O'Brien"_s);
        const int local = e.inmueble(u"Local 100% reformado"_s);
        const int piso = e.inmueble(u"Piso 1000"_s);
        e.documento(1, u"A"_s, QDate(2024, 2, 1), piso, jose, 1000, true);
        e.documento(2, u"A"_s, QDate(2024, 2, 2), local, 0, 10);
        e.documento(1, u"B"_s, QDate(2024, 2, 3), piso, obrien, 100, true);
        e.documento(2, u"B"_s, QDate(2024, 2, 4), 0, jose, 1);
        frmCobros lista(sesion(), ventanas());
        lista.show();
        if (!desde.isEmpty()) escribir(caja(&lista, "mskDesde"), desde);
        auto* combo = hijo<QComboBox>(&lista, "cmbSerie");
        enfocar(combo);
        for (int i = 0; i < serie; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        escribir(caja(&lista, "txtFiltro"), texto);
        pulsarEnter(caja(&lista, "txtFiltro"));
        if (pendientes)
            QTest::mouseClick(hijo<QCheckBox>(&lista, "chkPen"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(numeros(&lista), esperados);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(esperados.size(), total));
    }

    void borrarYEditar() {
        Entorno e;
        e.tipoIva(1, 0);
        QList<int> ids;
        // More documents than the grid reads at once: the list query is still open while
        // the deletion runs in its transaction.
        // The second listed is the last of its series; the others are followed by later numbers.
        for (int n = 1; n <= 300; ++n) {
            ids << e.documento(n == 2 ? 1 : n, n == 2 ? u"B"_s : u"A"_s,
                               QDate(2024, 1, 1).addDays(300 - n), 0, 0, 10);
            e.linea(ids.last(), 1, 1, 10);
        }
        frmCobros lista(sesion(), ventanas());
        lista.show();
        Rejilla* rejilla = rejillaDe(&lista);
        rejilla->fijarFilaActual(3);
        pulsar(&lista, "cmdBorrar");
        QVERIFY(Mensaje::textos().last().startsWith(
            u"No se puede borrar: el recibo 3A no es el último de su serie (va después el 300A)"_s));
        rejilla->fijarFilaActual(2);
        Mensaje::responderSiguiente(false);
        pulsar(&lista, "cmdBorrar");
        QCOMPARE(Mensaje::textos().last(), u"¿Borrar el recibo nº 1B?"_s);
        QVERIFY(Mensaje::historial().last().noPorDefecto);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(300, u"3.000,00"_s));
        pulsar(&lista, "cmdBorrar");
        QCOMPARE(contar("tblCobros", "Ser = 'B'"), 0);
        QCOMPARE(contar("tblCobrosDetalles"), 299);
        QCOMPARE(contar("tblCobrosDetalles", "IdDoc = ?", {ids[1]}), 0);
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(299, u"2.990,00"_s));
        QCOMPARE(rejilla->filaActual(), 2);

        // After editing the third row, it is current again and shown at the top.
        rejilla->fijarFilaActual(3);
        int abierto = 0;
        cuandoAparezca<frmCobrosHoja>([&](frmCobrosHoja* hoja) {
            abierto = hoja->id();
            QCOMPARE(hoja->windowTitle(), u"Modificando Recibo"_s);
            hoja->findChild<QCheckBox*>(u"chkPag"_s)->setChecked(true);
            QTest::keyClick(hoja, Qt::Key_Escape);
        });
        QTest::keyClick(rejilla, Qt::Key_Return);
        QCOMPARE(abierto, ids[3]);
        QCOMPARE(rejilla->filaActual(), 3);
        QCOMPARE(rejilla->rowAt(0), 2);
        QCOMPARE(rejilla->texto(3, 11), u"SÍ"_s);
    }

    void nuevoDocumento_data() {
        QTest::addColumn<bool>("elegir");
        fila("sin inmueble", false);
        fila("con inmueble", true);
    }

    void nuevoDocumento() {
        QFETCH(bool, elegir);
        Entorno e;
        e.tipoIva(1, 21);
        const int inq = e.inquilino(u"Ana"_s);
        const int inm = e.inmueble(u"Bajo"_s, inq);
        frmCobros lista(sesion(), ventanas());
        lista.show();
        int idInm = -1, idInq = -1;
        cuandoAparezca<frmAtopar>([&](frmAtopar* buscar) {
            QCOMPARE(buscar->lista(), u"Inmuebles"_s);
            cuandoAparezca<frmCobrosHoja>([&](frmCobrosHoja* hoja) {
                idInm = hoja->idInmueble();
                idInq = hoja->idInquilino();
                QCOMPARE(hoja->windowTitle(), u"Nuevo Recibo de Cobro"_s);
                // The document is stored with its first line, typed in the line editor.
                escribirLinea(u"1"_s, u"50"_s);
                hoja->findChild<QPushButton*>(u"cmdNovo"_s)->click();
                QTest::keyClick(hoja, Qt::Key_Escape);
            });
            if (!elegir) return QTest::keyClick(buscar, Qt::Key_Escape);
            rejillaDe(buscar)->fijarFilaActual(1);
            QTest::keyClick(rejillaDe(buscar), Qt::Key_Return);
        });
        pulsar(&lista, "cmdNovo");
        QCOMPARE(idInm, elegir ? inm : 0);
        QCOMPARE(idInq, elegir ? inq : 0);
        QCOMPARE(contar("tblCobros", "IdInm = ? AND IdInq = ?", {idInm, idInq}), 1);
        // The new document shows at once, without filtering again.
        QTRY_COMPARE(textoDe(&lista, "lblInfo"), resumen(1, u"60,50"_s));
    }

    void documentoNuevo() {
        Entorno e;
        e.tipoIva(1, 21);
        ejecutar(u"INSERT INTO tblTitulos (Empresa, PorRet) VALUES ('X', 19)"_s);
        const int inq = e.inquilino(u"JOSÉ PÉREZ"_s, u"981"_s, u"600"_s, {}, u"123Z"_s);
        frmCobrosHoja hoja(sesion(), ventanas(),
                           DocumentoNuevo{e.inmueble(u"Piso Centro"_s, inq), inq});
        hoja.show();
        QCOMPARE(valorUnico(u"SELECT Cod || '/' || Des FROM tblSeriesF"_s).toString(),
                 u"A/Serie por defecto"_s);
        const char* const vistos[]{"txtNumero", "lblTrimestre", "txtRet", "txtPorIva",
                                   "lblNom",    "lblInqInfo",   "lblInm"};
        QStringList textos;
        for (const char* nombre : vistos)
            textos << textoDe(&hoja, nombre);
        QCOMPARE(textos.join(QLatin1Char(';')),
                 u"1;TRIMESTRE: 2;19;21;JOSÉ PÉREZ;N.I.F.: 123Z\n981 | 600;Piso Centro"_s);
        // Nothing is stored before the first line, so an abandoned sheet leaves nothing.
        QCOMPARE(contar("tblCobros"), 0);
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(contar("tblCobros"), 0);
    }

    void totales_data() {
        QTest::addColumn<QStringList>("lineas"); // units, price, units, price...
        QTest::addColumn<QString>("ret");
        QTest::addColumn<QStringList>("esperado");
        fila("iva y retención", lista("2|100|1|50"), "15",
             lista("250,00|250,00|52,50|37,50|265,00"));
        // Ties at the cent go away from zero: 0,125 and the VAT's 0,105.
        fila("medio céntimo", lista("1|0.5"), "25", lista("0,50|0,50|0,11|0,13|0,48"));
    }

    void totales() {
        QFETCH(QStringList, lineas);
        QFETCH(QString, ret);
        QFETCH(QStringList, esperado);
        Entorno e;
        e.tipoIva(1, 21);
        frmCobrosHoja hoja(sesion(), ventanas(), DocumentoNuevo{});
        hoja.show();
        for (int i = 0; i < lineas.size(); i += 2) {
            escribirLinea(lineas[i], lineas[i + 1]);
            pulsar(&hoja, "cmdNovo");
        }
        escribir(caja(&hoja, "txtRet"), ret);
        pulsarEnter(caja(&hoja, "txtRet"));
        QCOMPARE(hoja.textosTotales(), esperado);

        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QSqlQuery q = ejecutar(u"SELECT SubTotal, Base, IVA, Ret, Tot, PorIva"
                               " FROM tblCobros WHERE Id = ?"_s,
                               {hoja.id()});
        QVERIFY(q.next());
        for (int c = 0; c < 5; ++c)
            QCOMPARE(importeGuardado(q.value(c)).texto(), esperado[c]);
        QCOMPARE(q.value(5).toDouble(), 21.0);
    }

    void numeroYSerie() {
        Entorno e;
        documentoA(e, 1, QDate(2024, 1, 1));
        e.serie(u"B"_s);
        e.documento(2, u"A"_s, QDate(2024, 1, 2));
        e.documento(7, u"B"_s, QDate(2024, 1, 3));
        frmCobrosHoja hoja(sesion(), ventanas(), DocumentoNuevo{});
        hoja.show();
        auto* numero = caja(&hoja, "txtNumero");
        auto* serie = hijo<QComboBox>(&hoja, "cmbSerie");
        QCOMPARE(numero->text(), u"3"_s);

        // Picking another series proposes its next number; back again, the remembered one.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        QCOMPARE(serie->currentText() + numero->text(), u"B8"_s);
        QTest::keyClick(serie, Qt::Key_Up);
        QCOMPARE(numero->text(), u"3"_s);

        escribirLinea(u"1"_s, u"10"_s);
        pulsar(&hoja, "cmdNovo");
        QCOMPARE(hoja.id(), 4);
        escribir(numero, u"2"_s);
        escape(&hoja);
        QVERIFY(hoja.isVisible());
        QCOMPARE(Mensaje::textos().last(), u"Este número de recibo ya existe. Ponga otro"_s);
        QCOMPARE(serie->currentText() + numero->text(), u"A3"_s);

        // Series B with number 2 is free; the number stays unique per series.
        enfocar(serie);
        QTest::keyClick(serie, Qt::Key_Down);
        escribir(numero, u"2"_s);
        escape(&hoja);
        QVERIFY(!hoja.isVisible());
        QCOMPARE(contar("tblCobros", "Id = 4 AND Num = 2 AND Ser = 'B'"), 1);
    }

    // Printing and closing store first, through the same checks; the paper shows what was stored.
    void guardarAntesDeImprimir_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QString>("queda"); // in the box, when refused
        for (const char* boton : {"cmdImprimirRecibo", "cmdImprimirFactura", "cerrar"}) {
            const auto caso = [boton](const char* c) { return QByteArray(boton) + ", " + c; };
            fila(caso("retención sin Intro"), boton, "txtRet", "19", "", "");
            fila(caso("número ocupado"), boton, "txtNumero", "1", kNumeroRepetido, "2");
            fila(caso("fecha imposible"), boton, "mskFecha", "31022024",
                 "Fecha incorrecta. Ponga otra", "31/02/2024");
        }
        // Closing checks every box, whether Enter left it or not.
        fila("cerrar, número que no lo es", "cerrar", "txtNumero", "x", "Ponga un número correcto",
             "2");
        fila("cerrar, IVA que no existe", "cerrar", "txtPorIva", "7",
             "Este IVA no es correcto. Cámbielo", "7");
        fila("cerrar, fecha de otro año", "cerrar", "mskFecha", "02012025",
             "La fecha debe ser del año de trabajo, 2024: cada documento va en el año de su fecha, "
             "que es donde lo suman el resumen fiscal y las estadísticas.",
             "02/01/2025");
    }

    // The close box while the server is gone: the sheet stays with what was typed, and the
    // loss is told once.
    void cerrarSinServidor() {
        if (!Entorno::enServidor) QSKIP("Solo en un servidor");
        Entorno e;
        const int id = documentoA(e, 1);
        frmCobrosHoja hoja(sesion(), ventanas(), id);
        hoja.show();
        hoja.findChild<QLineEdit*>(u"txtObs"_s)->setText(u"sin guardar"_s);
        QVERIFY(ServidorPrueba::compartido().sql(
            u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
            u" WHERE application_name = 'torvane'"_s));
        Mensaje::limpiarHistorial();
        hoja.close();
        QVERIFY(hoja.isVisible());
        QCOMPARE(hoja.findChild<QLineEdit*>(u"txtObs"_s)->text(), u"sin guardar"_s);
        QCOMPARE(Mensaje::textos().filter(u"Se ha perdido la conexión"_s).size(), 1);
        QCOMPARE(e.reabrir(), QString());
        hoja.close();
        QVERIFY(!hoja.isVisible());
    }

    void guardarAntesDeImprimir() {
        QFETCH(QString, boton);
        QFETCH(QString, control);
        QFETCH(QString, texto);
        QFETCH(QString, mensaje);
        QFETCH(QString, queda);
        Entorno e;
        prepararImpresion();
        documentoA(e, 1);
        Cabecera c;
        c.ser = u"A"_s;
        c.fec = QDate(2024, 3, 1);
        c.porIva = dec(u"21"_s);
        Linea alquiler;
        alquiler.und = dec(u"2"_s);
        alquiler.pre = eur(u"50"_s);
        Linea medio = alquiler;
        medio.und = dec(u"0,5"_s);
        medio.pre = eur(u"0,25"_s);
        const int id = crearDocumento(c, {alquiler, medio}).id;
        frmCobrosHoja hoja(sesion(), ventanas(), id);
        hoja.show();
        hoja.findChild<QLineEdit*>(control)->setText(texto);
        const QString pdf = e.raiz() + u"/salida.pdf"_s;
        DialogoArchivo::fijarSiguiente(pdf);
        if (mensaje.isEmpty() && boton != u"cerrar"_s)
            cuandoAparezca<frmInformeHojaDoc>([](frmInformeHojaDoc* v) {
                v->findChild<QAbstractButton*>(u"cmdPDF"_s)->click();
                v->accept();
            });
        if (boton == u"cerrar"_s)
            hoja.close();
        else
            pulsar(&hoja, boton.toLatin1().constData());
        const char* guardado = "Id = ? AND Num = 2 AND Ret = 1902 AND Tot = 10214";
        if (!mensaje.isEmpty()) {
            QCOMPARE(Mensaje::textos().last(), mensaje);
            QVERIFY(hoja.isVisible());
            QCOMPARE(hoja.findChild<QLineEdit*>(control)->text(), queda);
            QVERIFY(!QFile::exists(pdf));
            QCOMPARE(contar("tblCobros", "Id = ? AND Num = 2 AND Ret = 0 AND Tot = 12116", {id}),
                     1);
            return;
        }
        QCOMPARE(contar("tblCobros", guardado, {id}), 1);
        if (boton == u"cerrar"_s) return;
        // 100,13 (the half-cent line counted as the 0,13 it shows) + 21,03 of VAT - 19,02.
        QStringList importes{u"102,14"_s};
        if (boton == u"cmdImprimirFactura"_s) importes << u"100,13"_s << u"21,03"_s << u"19,02"_s;
        const QString papel = paginasPdf(pdf).join(u' ');
        for (const QString& importe : importes)
            QVERIFY2(papel.contains(importe), qPrintable(importe + u" no está en: "_s + papel));
    }

    void comandosDeLineas_data() {
        QTest::addColumn<QList<int>>("lineas");
        QTest::addColumn<QString>("boton");
        QTest::addColumn<int>("fila");
        QTest::addColumn<QStringList>("quedan");
        fila("insertar en 2 de 1,2,3", QList<int>{1, 2, 3}, "cmdInsertar", 2,
             lista("1:L1|2:nueva|3:L2|4:L3"));
        fila("insertar en 3 de 1,3", QList<int>{1, 3}, "cmdInsertar", 2,
             lista("1:L1|3:nueva|4:L3"));
        fila("nueva tras 1,2,5", QList<int>{1, 2, 5}, "cmdNovo", 1,
             lista("1:L1|2:L2|5:L5|6:nueva"));
        fila("editar la 2", QList<int>{1, 2, 3}, "cmdEditar", 2, lista("1:L1|2:nueva|3:L3"));
        fila("borrar la 2", QList<int>{1, 2, 3}, "cmdBorrar", 2, lista("1:L1|3:L3"));
    }

    void comandosDeLineas() {
        QFETCH(QList<int>, lineas);
        QFETCH(QString, boton);
        QFETCH(int, fila);
        QFETCH(QStringList, quedan);
        Entorno e;
        const int otro = documentoA(e, 1, QDate(2024, 2, 1));
        e.tipoIva(2, 0);
        e.linea(otro, 2, 1, 1, 0, u"ajena"_s);
        const int id = e.documento(2, u"A"_s, QDate(2024, 3, 1));
        for (int lin : lineas)
            e.linea(id, lin, 1, 10, 0, u"L%1"_s.arg(lin));
        frmCobrosHoja hoja(sesion(), ventanas(), id);
        hoja.show();
        auto* rejilla = rejillaDe(&hoja);
        rejilla->fijarFilaActual(fila);
        if (boton != u"cmdBorrar"_s) escribirLinea(u"3"_s, u"10"_s, u"nueva"_s);
        hoja.findChild<QPushButton*>(boton)->click();
        QCOMPARE(lineasGuardadas(id), quedan);
        QCOMPARE(lineasGuardadas(otro), lista("2:ajena"));
        QCOMPARE(rejilla->numFilas(), quedan.size() + 1);
        if (boton == u"cmdEditar"_s) QCOMPARE(rejilla->filaActual(), fila);
        // Every stored line is 1 x 10 and the typed one 3 x 10: the subtotal follows the lines.
        const int nuevas = quedan.filter(u":nueva"_s).size();
        QCOMPARE(hoja.textosTotales().first(),
                 Importe::deCentimos(1000 * quedan.size() + 2000 * nuevas).texto());
    }

    void editorDeLinea() {
        Entorno e;
        e.concepto(u"Alquiler"_s, 450);
        const int agua = e.concepto(u"Agua"_s, 12.5);
        frmCobrosDetalle nueva(ventanas(), {0, 0, 1, 0});
        nueva.show();
        // Units start at one; Enter on a concept's code loads it and moves on to the units.
        QVERIFY(nueva.focusWidget() == caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtUni"), u"1"_s);
        teclear(caja(&nueva, "txtCodigo"), u"1"_s);
        pulsarEnter(caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtDes") + textoDe(&nueva, "txtPre") +
                     textoDe(&nueva, "lblTotal"),
                 u"Alquiler450,00450,00"_s);
        QVERIFY(nueva.focusWidget() == caja(&nueva, "txtUni"));
        // A concept found by its description fills code, description and price.
        escribir(caja(&nueva, "txtCodigo"), u"agua"_s);
        pulsarEnter(caja(&nueva, "txtCodigo"));
        QCOMPARE(textoDe(&nueva, "txtCodigo") + QLatin1Char('|') + textoDe(&nueva, "txtDes") +
                     QLatin1Char('|') + textoDe(&nueva, "txtPre"),
                 QString::number(agua) + u"|Agua|12,50"_s);
        escribir(caja(&nueva, "txtUni"), u"2.5"_s);
        pulsarEnter(caja(&nueva, "txtUni"));
        pulsarEnter(caja(&nueva, "txtPre"));
        QCOMPARE(textoDe(&nueva, "lblTotal"), u"31,25"_s);
        // Escape does nothing; invalid units and prices are refused and reset.
        QTest::keyClick(caja(&nueva, "txtDes"), Qt::Key_Escape);
        QVERIFY(nueva.isVisible());
        escribir(caja(&nueva, "txtUni"), QString());
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last() + textoDe(&nueva, "txtUni"),
                 u"Ponga un número correcto1"_s);
        escribir(caja(&nueva, "txtPre"), u"doce"_s);
        pulsar(&nueva, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last() + textoDe(&nueva, "txtPre"),
                 u"Ponga un precio correcto0"_s);
        QCOMPARE(contar("tblCobrosDetalles"), 0);
        escribir(caja(&nueva, "txtPre"), u"1234,5"_s);
        escribir(caja(&nueva, "txtUni"), u"2"_s);
        pulsar(&nueva, "cmdAceptar");
        QVERIFY(!nueva.isVisible());
        // The editor stores nothing itself: the sheet saves the line with its document.
        const Linea& l = nueva.linea();
        QCOMPARE(QStringList(
                     {QString::number(l.lin), QString::number(l.idCon), l.desCon, l.imp.texto()}),
                 QStringList({u"1"_s, QString::number(agua), u"Agua"_s, u"2.469,00"_s}));
        QCOMPARE(contar("tblCobrosDetalles"), 0);
    }

    void conceptoDelBuscador_data() {
        QTest::addColumn<bool>("elegir");
        QTest::addColumn<QStringList>("cajas"); // code, description, price
        fila("elegido", true, lista("1|Alquiler|9"));
        fila("sin elegir", false, lista("0|vieja|9"));
    }

    void conceptoDelBuscador() {
        QFETCH(bool, elegir);
        QFETCH(QStringList, cajas);
        Entorno e;
        e.concepto(u"Alquiler"_s, 450);
        // A stored line keeps its price when its concept changes.
        frmCobrosDetalle d(ventanas(), {1, e.linea(documentoA(e), 1, 1, 9, 0, u"vieja"_s), 1, 0});
        d.show();
        elegirEnBuscador(elegir);
        pulsar(&d, "cmdBuscar");
        QCOMPARE(
            (QStringList{textoDe(&d, "txtCodigo"), textoDe(&d, "txtDes"), textoDe(&d, "txtPre")}),
            cajas);
    }

    void inquilinoDelBuscador() {
        Entorno e;
        const int nuevo = e.inquilino(u"Berta"_s);
        documentoA(e);
        const int id = e.documento(2, u"A"_s, QDate(2024, 3, 2));
        ejecutar(u"UPDATE tblCobros SET PorIva = 21"_s);
        frmCobrosHoja hoja(sesion(), ventanas(), id);
        hoja.show();
        // With a number already used, the tenant shows but is not stored yet.
        escribir(caja(&hoja, "txtNumero"), u"1"_s);
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(textoDe(&hoja, "lblNom"), u"Berta"_s);
        QCOMPARE(Mensaje::textos().last(), u"Este número de recibo ya existe. Ponga otro"_s);
        QCOMPARE(textoDe(&hoja, "txtNumero"), u"2"_s);
        const char* guardado = "Id = ? AND IdInq = ?";
        QCOMPARE(contar("tblCobros", guardado, {id, nuevo}), 0);
        elegirEnBuscador(true);
        pulsar(&hoja, "cmdBuscarInquilino");
        QCOMPARE(contar("tblCobros", guardado, {id, nuevo}), 1);
    }

    void propuesta_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<int>("filas");
        QTest::addColumn<QString>("totales");
        QTest::addColumn<QString>("aviso");
        fila("vivienda exenta", u"exenta"_s, 1, u"524,69|0,00|0,00|524,69"_s, QString());
        fila("local con IVA y retención", u"local"_s, 1, u"500,00|105,00|95,00|510,00"_s,
             QString());
        fila("ya emitido", u"emitido"_s, 1, u"500,00|0,00|0,00|500,00"_s, u"ya emitido: 7B"_s);
        fila("sin inquilino", u"libre"_s, 0, QString(), QString());
        fila("sin líneas", u"sinlineas"_s, 0, QString(), QString());
        fila("serie que no existe", u"serie"_s, 1, u"500,00|0,00|0,00|500,00"_s,
             u"no existe la serie Z"_s);
    }

    void propuesta() {
        QFETCH(QString, caso);
        QFETCH(int, filas);
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        if (caso == u"exenta"_s) alquilado(e, u"Piso"_s, {}, true);
        if (caso == u"local"_s)
            alquilado(e, u"Local"_s, {dec(u"21"_s), dec(u"19"_s), true, u"B"_s});
        if (caso == u"emitido"_s) {
            const int inm = alquilado(e, u"Piso"_s, {});
            e.documento(7, u"B"_s, kMarzo.addDays(30), inm);
            e.documento(8, u"B"_s, kMarzo.addDays(31), inm); // April: not this month
        }
        if (caso == u"libre"_s)
            hecho(
                guardarCargos(e.inmueble(u"Libre"_s), {}, {cargo(u"Alquiler"_s, u"1"_s, u"1"_s)}));
        if (caso == u"sinlineas"_s) e.inmueble(u"Piso"_s, e.inquilino(u"Ana"_s));
        if (caso == u"serie"_s) alquilado(e, u"Piso"_s, {{}, {}, false, u"Z"_s});

        const QList<PropuestaMes> propuesta = proponerMes(kMarzo);
        QCOMPARE(propuesta.size(), filas);
        if (filas == 0) return;
        const PropuestaMes& p = propuesta.first();
        const Totales& t = p.totales;
        QTEST(QStringList({t.base.texto(), t.iva.texto(), t.retencion.texto(), t.total.texto()})
                  .join(u'|'),
              "totales");
        QTEST(p.aviso, "aviso");
        QVERIFY(!p.inquilino.isEmpty());
    }

    // Numbers run on per series (its case aside), totals are the sheet's, and a cancelled run
    // leaves nothing.
    void emitirYDeshacer() {
        Entorno e;
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        e.documento(4, u"A"_s, QDate(2024, 2, 1));
        alquilado(e, u"Local 1"_s, {dec(u"21"_s), dec(u"19"_s), true, u"B"_s});
        alquilado(e, u"Piso 1"_s, {}, true);
        alquilado(e, u"Piso 2"_s, {{}, {}, false, u"a"_s});
        const QList<PropuestaMes> propuesta = proponerMes(kMarzo);
        QCOMPARE(propuesta.size(), 3);

        int vistos = 0;
        QCOMPARE(hecho(emitirMes(propuesta, QDate(2024, 3, 5), 2024,
                                 [&](int n) { return (vistos = n) < 2; })),
                 0);
        QCOMPARE(vistos, 2);
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 0);

        const int run = hecho(emitirMes(propuesta, QDate(2024, 3, 5), 2024));
        QCOMPARE(ultimaEmision(), run);
        const QList<int> docs = documentosEmision(run);
        QCOMPARE(numeros(docs), u"5A 6a 1B"_s);
        const auto local = leerCabecera(docs.last());
        QCOMPARE(local->totales.total, eur(u"510"_s));
        QCOMPARE(local->tri, 1);
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"Fac = 1"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 4);
        // Issued once, the month is proposed unchecked.
        QCOMPARE(proponerMes(kMarzo).first().aviso, u"ya emitido: 1B"_s);

        // Paid or printed documents keep the run; so does a later number in its series.
        hecho(marcarPagados({docs.first()}, {QDate(2024, 3, 6), {}}));
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: el documento 5A ya está cobrado."_s);
        hecho(marcarPendientes({docs.first()}));
        hecho(marcarImpresos({docs.last()}, {}));
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: el documento 1B ya está impreso."_s);
        ejecutar(u"UPDATE tblCobros SET Imp = 0"_s);
        const int despues = e.documento(7, u"a"_s, QDate(2024, 3, 9));
        QCOMPARE(motivoNoDeshacer(run),
                 u"No se puede deshacer: después se emitió el 7a en la misma serie."_s);
        QVERIFY(!deshacerEmision(run));
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 5);

        ejecutar(u"DELETE FROM tblCobros WHERE Id = ?"_s, {despues});
        QCOMPARE(motivoNoDeshacer(run), QString());
        hecho(deshacerEmision(run));
        QCOMPARE(Entorno::contar(u"tblCobros"_s), 1);
        QCOMPARE(Entorno::contar(u"tblCobrosDetalles"_s), 0);
        QCOMPARE(ultimaEmision(), 0);
        QCOMPARE(motivoNoDeshacer(run), u"No hay ninguna emisión que deshacer."_s);
    }

    // On the demo year without December: the window proposes December, issues it and prints the
    // run to one PDF (one page per document, each with its total). Printed, the run stays; the
    // next opening offers the same destination.
    void ventanaEmitirImprimirDeshacer() {
        Entorno e;
        e.abrirDemo();
        ejecutar(u"DELETE FROM tblCobrosDetalles WHERE IdDoc IN"
                 u" (SELECT Id FROM tblCobros WHERE Fec >= '2024-12-01')"_s);
        ejecutar(u"DELETE FROM tblCobros WHERE Fec >= '2024-12-01'"_s);
        const int antes = Entorno::contar(u"tblCobros"_s);
        const QString salida = e.raiz() + u"/emision.pdf"_s;

        frmEmitirMes ventana(sesion());
        ventana.show();
        QCOMPARE(ventana.findChild<QLineEdit*>(u"mskMes"_s)->text(), u"12/2024"_s);
        auto* rejilla = ventana.findChild<Rejilla*>(u"mshPropuesta"_s);
        const int filas = rejilla->modelo()->filasDatos();
        QVERIFY(filas > 5);
        Mensaje::limpiarHistorial();
        DialogoArchivo::fijarSiguiente(salida);
        ventana.findChild<QPushButton*>(u"cmdEmitir"_s)->click();
        QCOMPARE(Entorno::contar(u"tblCobros"_s), antes + filas);
        QCOMPARE(rejilla->texto(1, 10).left(12), u"ya emitido: "_s);

        const QStringList paginas = paginasPdf(salida);
        QCOMPARE(paginas.size(), filas);
        QSqlQuery q = ejecutar(u"SELECT Tot FROM tblCobros WHERE IdEmi IS NOT NULL"
                               u" ORDER BY upper(Ser), Num"_s);
        for (const QString& pagina : paginas) {
            QVERIFY(q.next());
            QVERIFY2(pagina.contains(importeGuardado(q.value(0)).texto()), qPrintable(pagina));
        }

        QVERIFY(Mensaje::textos().contains(u"PDF guardado en "_s + salida));
        QCOMPARE(Entorno::contar(u"tblCobros"_s, u"IdEmi IS NOT NULL AND Imp = 1 AND"
                                                 u" ImpCom = 'en PDF'"_s),
                 filas);

        // Printed, the run is handed out: undoing it would reuse numbers already on paper.
        Mensaje::limpiarHistorial();
        ventana.findChild<QPushButton*>(u"cmdDeshacer"_s)->click();
        QCOMPARE(Entorno::contar(u"tblCobros"_s), antes + filas);
        QVERIFY2(Mensaje::textos().value(0).endsWith(u"ya está impreso."_s),
                 qPrintable(Mensaje::textos().value(0)));

        auto* destino = ventana.findChild<QComboBox*>(u"cmbDestino"_s);
        QCOMPARE(destino->currentIndex(), 1);
        destino->setCurrentIndex(2);
        frmEmitirMes otra(sesion());
        QCOMPARE(otra.findChild<QComboBox*>(u"cmbDestino"_s)->currentIndex(), 2);
    }

    // The list mails the chosen rows: what goes, what has no address, what went before (asked
    // first), a server gone (the run stops and says what is left); the column tells each one.
    void correoDesdeLaLista() {
        SmtpPrueba servidor;
        QVERIFY2(servidor.error().isEmpty(), qPrintable(servidor.error()));
        Entorno e;
        e.serie(u"A"_s);
        prepararImpresion(u"Recibo.rpt"_s);
        for (const auto& [nombre, mail] :
             {std::pair{u"Ana"_s, u"ana@correo.example"_s}, std::pair{u"Bea"_s, QString()},
              std::pair{u"Eva"_s, u"eva@correo.example"_s}}) {
            const int inm = e.inmueble(u"Piso de "_s + nombre, e.inquilino(nombre, {}, {}, mail),
                                       {}, {}, {}, {}, 500);
            QVERIFY(guardarCargos(inm, {}, {lineaAlquiler(inm)}));
        }
        QVERIFY(emitirMes(proponerMes(kMarzo), QDate(2024, 3, 5), 2024));
        AjustesCorreo a = leerAjustesCorreo();
        a.servidor = u"127.0.0.1"_s;
        a.puerto = servidor.puerto();
        a.seguridad = Seguridad::Ninguna;
        a.direccionRemitente = u"oficina@fincas.example"_s;
        QVERIFY(guardarAjustesCorreo(a));

        frmCobros w(sesion(), ventanas());
        w.show();
        auto* rejilla = hijo<Rejilla>(&w, "mshDatos");
        auto* enviar = hijo<QPushButton>(&w, "cmdCorreo");
        const auto columna = [rejilla](int fila) { return rejilla->texto(fila, 13); };
        rejilla->fijarFilaActual(3, 1); // Ana's: the oldest number comes last
        Mensaje::limpiarHistorial();
        enviar->click();
        QCOMPARE(servidor.recibidos(1).size(), 1);
        QVERIFY2(Mensaje::textos().value(0).startsWith(u"Se ha enviado 1 documento."_s),
                 qPrintable(Mensaje::textos().join(u'|')));
        QCOMPARE(columna(3), u"Enviado"_s);

        rejilla->selectAll();
        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(Mensaje::Respuesta::No);
        enviar->click();
        const QStringList dichos = Mensaje::textos();
        QVERIFY2(dichos.value(0).contains(u"1A (Ana)"_s), qPrintable(dichos.join(u'|')));
        QVERIFY2(dichos.value(1).contains(u"2A (Bea): sin dirección de correo"_s),
                 qPrintable(dichos.join(u'|')));
        QCOMPARE(servidor.recibidos(2).size(), 2);
        QCOMPARE(columna(1), u"Enviado"_s);
        QCOMPARE(columna(2), QString());

        a.puerto = SmtpPrueba::puertoCerrado();
        QVERIFY(guardarAjustesCorreo(a));
        rejilla->selectAll();
        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(Mensaje::Respuesta::Si); // everything again
        Mensaje::responderSiguiente(false);                  // no second try
        enviar->click();
        QVERIFY2(Mensaje::textos().value(1).contains(u"Quedan 2 sin enviar."_s),
                 qPrintable(Mensaje::textos().join(u'|')));
        QCOMPARE(columna(1), u"Falló"_s);
        QCOMPARE(columna(3), u"Enviado"_s);
    }
};

TORVANE_TEST_MAIN(TestCobros)
#include "tst_cobros.moc"
