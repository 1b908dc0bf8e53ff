// What every window shares: the grid, keys and access keys, and exporting lists.
#include "app/frmAcercaDe.h"
#include "app/frmBienvenida.h"
#include "app/frmPrincipal.h"
#include "banking/frmDevolucion.h"
#include "banking/frmExtracto.h"
#include "banking/frmRemesa.h"
#include "banking/frmRemesas.h"
#include "collections/frmCobros.h"
#include "collections/frmCobrosDetalle.h"
#include "collections/frmCobrosHoja.h"
#include "collections/frmEmitirMes.h"
#include "contracts/frmActualizarRentas.h"
#include "contracts/frmContratos.h"
#include "contracts/frmContratosFicha.h"
#include "contracts/frmVencimientos.h"
#include "core/documents/EmitirMes.h"
#include "core/reports/Exportacion.h"
#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/store/Sesion.h"
#include "editors/frmCobrosConceptos.h"
#include "editors/frmInquilinosCuentas.h"
#include "editors/frmInquilinosFamiliares.h"
#include "editors/frmIvas.h"
#include "editors/frmSeriesF.h"
#include "expenses/frmGastos.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInmueblesCargos.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinos.h"
#include "registers/frmInquilinosFicha.h"
#include "reports/frmEstadisticas.h"
#include "reports/frmInforme.h"
#include "reports/frmInformeHojaDoc.h"
#include "reports/frmRentaInmuebles.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "tax/frmRectificar.h"
#include "tax/frmRegistrosVerifactu.h"
#include "ui/Colores.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"
#include "utilities/frmColor.h"
#include "utilities/frmConfiguracion.h"
#include "utilities/frmCopiaPen.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

using namespace torvane;

namespace {

/** One part of an .xlsx (a zip) as its XML text. */
QString parteXlsx(const QString& ruta, const QString& parte) {
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, ruta, parte});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

/** Presses "Exportar" on a list window, saving to ruta; returns the message shown. */
QString exportar(QWidget* ventana, const QString& ruta) {
    Mensaje::limpiarHistorial();
    DialogoArchivo::fijarSiguiente(ruta);
    pulsar(ventana, "cmdExportar");
    return Mensaje::textos().value(0);
}

QList<Columna> columnasInquilinos() {
    return {Columna::numero(), Columna::texto(u"Nombre"_s, 0.3),
            Columna::texto(u"Teléfonos"_s, 0.3), Columna::texto(u"Mail"_s, 0.3), Columna::oculta()};
}

QStringList fila(int i) {
    return {QString::number(i), u"Nombre %1"_s.arg(i), {}, {}, QString::number(i * 10)};
}

} // namespace

namespace {

/** The letter after a single "&" of a caption, upper case; empty when it has none. */
QString letraDe(const QString& texto) {
    for (qsizetype i = 0; i + 1 < texto.size(); ++i) {
        if (texto[i] != u'&') continue;
        if (texto[i + 1] == u'&') {
            ++i;
            continue;
        }
        return texto.mid(i + 1, 1).toUpper();
    }
    return {};
}

/** Every caption of the window that Alt reaches: buttons, labels with a buddy, menus, tabs. */
QStringList rotulos(QWidget* ventana) {
    QStringList textos;
    for (QWidget* w : ventana->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(ventana)) continue;
        if (auto* boton = qobject_cast<QAbstractButton*>(w))
            textos << boton->text();
        else if (auto* etiqueta = qobject_cast<QLabel*>(w); etiqueta && etiqueta->buddy())
            textos << etiqueta->text();
        else if (auto* grupo = qobject_cast<QGroupBox*>(w))
            textos << grupo->title();
        else if (auto* menus = qobject_cast<QMenuBar*>(w))
            for (QAction* menu : menus->actions())
                textos << menu->text();
        else if (auto* pestanas = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < pestanas->count(); ++i)
                textos << pestanas->tabText(i);
    }
    return textos;
}

/** Captions sharing an access key, as "A: &Aceptar / &Asignar"; empty when all differ. */
QStringList choques(QWidget* ventana) {
    QMultiMap<QString, QString> porLetra;
    for (const QString& texto : rotulos(ventana))
        if (const QString letra = letraDe(texto); !letra.isEmpty()) porLetra.insert(letra, texto);
    QStringList lista;
    for (const QString& letra : porLetra.uniqueKeys())
        if (porLetra.count(letra) > 1)
            lista << letra + u": "_s + QStringList(porLetra.values(letra)).join(u" / "_s);
    return lista;
}

using Fabrica = std::function<QWidget*()>;

/**
 * Types keys as a person would: each step waits until its window is the one in front, then
 * sends its keys to the focused control of that window. Counts every key sent.
 */
class Teclista : public QObject {
public:
    struct Paso {
        QString ventana; ///< class of the window in front; empty for the list itself
        QList<QPair<Qt::Key, Qt::KeyboardModifiers>> teclas;
    };

    Teclista(QWidget* base, QList<Paso> pasos)
        : base_(base)
        , pasos_(std::move(pasos)) {
        // A timer, so the keys keep coming while each modal window runs its own loop.
        connect(&reloj_, &QTimer::timeout, this, &Teclista::intentar);
        reloj_.start(20);
    }

    bool terminado() const { return siguiente_ == pasos_.size(); }
    int cuenta() const { return cuenta_; }

private:
    void intentar() {
        QWidget* delante = QApplication::activeModalWidget();
        const QString clase = delante ? claseDe(delante) : QString();
        if (terminado() || clase != pasos_[siguiente_].ventana) return;
        // A window just closed may still be finishing its loop: act once the front has settled.
        if (delante != visto_) {
            visto_ = delante;
            return;
        }
        QWidget* ventana = delante ? delante : base_;
        QApplication::setActiveWindow(ventana);
        for (const auto& [clave, modificadores] : pasos_[siguiente_].teclas) {
            QWidget* destino = ventana->focusWidget() ? ventana->focusWidget() : ventana;
            QTest::keyClick(destino, clave, modificadores);
            ++cuenta_;
        }
        ++siguiente_;
    }

    QWidget* base_;
    QPointer<QWidget> visto_;
    QList<Paso> pasos_;
    QTimer reloj_;
    qsizetype siguiente_ = 0;
    int cuenta_ = 0;
};

QList<QPair<Qt::Key, Qt::KeyboardModifiers>> teclas(const QString& texto) {
    QList<QPair<Qt::Key, Qt::KeyboardModifiers>> lista;
    for (QChar c : texto)
        lista.append({static_cast<Qt::Key>(c.toUpper().unicode()), Qt::NoModifier});
    return lista;
}

constexpr QPair<Qt::Key, Qt::KeyboardModifiers> alt(Qt::Key clave) {
    return {clave, Qt::AltModifier};
}

constexpr QPair<Qt::Key, Qt::KeyboardModifiers> sola(Qt::Key clave) {
    return {clave, Qt::NoModifier};
}

} // namespace

Q_DECLARE_METATYPE(Fabrica)

namespace {

/** One data row per window class, named after it, that builds a fresh window. */
template <typename... T> void filas() {
    ((QTest::newRow(
          qPrintable(QString::fromLatin1(T::staticMetaObject.className()).section(u"::"_s, -1)))
      << Fabrica([] { return static_cast<QWidget*>(nuevaVentana<T>().release()); })),
     ...);
}

} // namespace

class TestInterfaz : public QObject {
    Q_OBJECT

private slots:
    void vaciaTitulosYBandas() {
        Entorno e;
        Rejilla rejilla;
        QAbstractItemModelTester tester(rejilla.modelo());
        QCOMPARE(rejilla.numFilas(), 0);
        QCOMPARE(rejilla.modelo()->columnCount(), 0);
        rejilla.definirColumnas(columnasInquilinos());
        QCOMPARE(rejilla.numFilas(), 1);
        QCOMPARE(rejilla.texto(0, 2), u"Teléfonos"_s);
        rejilla.modelo()->fijarFilas({fila(1), fila(2), fila(3)});
        QCOMPARE(rejilla.numFilas(), 4);
        QCOMPARE(rejilla.texto(2, 4), u"20"_s);
        const auto fondo = [&](int f, int c) {
            return rejilla.modelo()
                ->data(rejilla.modelo()->index(f - 1, c), Qt::BackgroundRole)
                .value<QColor>();
        };
        QCOMPARE(fondo(2, 1), colorPrincipal());
        QCOMPARE(fondo(2, 4), colorPrincipal());
        QCOMPARE(fondo(1, 3), kBlanco);
        QCOMPARE(fondo(3, 1), kBlanco);
        QVERIFY(fondo(2, 0) != colorPrincipal());
        // Text takes black or white, whichever reads on the band.
        const auto letra = [&](int f) {
            return rejilla.modelo()
                ->data(rejilla.modelo()->index(f - 1, 1), Qt::ForegroundRole)
                .value<QColor>();
        };
        QCOMPARE(letra(1), QColor(Qt::black));
        sesion().colorPrincipal = QString::number(0x402010);
        QCOMPARE(letra(2), QColor(Qt::white));
        rejilla.vaciar();
        QCOMPARE(rejilla.numFilas(), 0);
    }

    void repartoDeAnchos_data() {
        QTest::addColumn<QList<int>>("cuotas");
        QTest::addColumn<QList<int>>("necesarios");
        QTest::addColumn<int>("libre");
        QTest::addColumn<QList<int>>("anchos");
        using L = QList<int>;
        fila("nada se corta", L{100, 100}, L{50, 50}, 0, L{100, 100});
        fila("la vacía cede a la dirección", L{100, 100}, L{40, 150}, 0, L{50, 150});
        fila("primero lo libre", L{100, 100}, L{40, 150}, 30, L{80, 150});
        fila("nadie tiene sitio", L{100, 100}, L{120, 150}, 0, L{100, 100});
        fila("a cada uno según le falta", L{100, 100, 100}, L{20, 160, 220}, 0, L{20, 126, 153});
    }

    void repartoDeAnchos() {
        QFETCH(QList<int>, cuotas);
        QFETCH(QList<int>, necesarios);
        QFETCH(int, libre);
        QTEST(repartirAnchos(cuotas, necesarios, libre), "anchos");
    }

    void anchosOcultasYFilaActual() {
        Entorno e;
        QWidget ventana;
        auto* rejilla = new Rejilla(&ventana);
        (new QVBoxLayout(&ventana))->addWidget(rejilla);
        rejilla->definirColumnas(columnasInquilinos());
        QList<QStringList> filas;
        for (int i = 1; i <= 200; ++i)
            filas << fila(i);
        rejilla->modelo()->fijarFilas(filas);
        ventana.resize(800, 400);
        ventana.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ventana));
        QVERIFY(rejilla->isColumnHidden(4));
        QCOMPARE(rejilla->columnWidth(0), 33);
        const int ancho = rejilla->columnWidth(1);
        QCOMPARE(rejilla->columnWidth(2), ancho);
        ventana.resize(400, 400);
        QApplication::processEvents();
        QVERIFY(rejilla->columnWidth(1) < ancho * 0.6);
        rejilla->subirArriba(50);
        QCOMPARE(rejilla->filaActual(), 50);
        QCOMPARE(rejilla->rowAt(0), 49);
        // One row per wheel step, whatever the desktop says.
        const int antes = rejilla->verticalScrollBar()->value();
        QWheelEvent abajo(QPointF(50, 50), rejilla->mapToGlobal(QPointF(50, 50)), {},
                          QPoint(0, -360), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rejilla->viewport(), &abajo);
        QCOMPARE(rejilla->verticalScrollBar()->value(), antes + 3);
        // Shift+wheel moves sideways, not down.
        rejilla->setColumnWidth(1, 2000);
        QApplication::processEvents();
        QWheelEvent lado(QPointF(50, 50), rejilla->mapToGlobal(QPointF(50, 50)), {},
                         QPoint(0, -120), Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(rejilla->viewport(), &lado);
        QVERIFY(rejilla->horizontalScrollBar()->value() > 0);
        QCOMPARE(rejilla->verticalScrollBar()->value(), antes + 3);
        // A value too wide for its column shows whole in a tooltip; one that fits shows none.
        rejilla->horizontalScrollBar()->setValue(0);
        const QString largo = u"Piso Avenida de Castelao 125, 3º izquierda, Vigo"_s;
        rejilla->modelo()->fijarTexto(50, 2, largo);
        const auto ayuda = [&](int columna) {
            const QRect celda = rejilla->visualRect(rejilla->modelo()->index(49, columna));
            QHelpEvent evento(QEvent::ToolTip, celda.center(),
                              rejilla->viewport()->mapToGlobal(celda.center()));
            QApplication::sendEvent(rejilla->viewport(), &evento);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(ayuda(0), QString());
        QCOMPARE(ayuda(2), largo);
    }

    void cargaPorPartes() {
        Entorno e;
        Rejilla rejilla;
        QAbstractItemModelTester tester(rejilla.modelo());
        rejilla.definirColumnas(columnasInquilinos());
        int siguiente = 0;
        rejilla.modelo()->fijarFuente([&](QStringList& f) {
            if (siguiente >= 100000) return false;
            f = fila(++siguiente);
            return true;
        });
        QVERIFY(rejilla.modelo()->filasDatos() < 1000);
        QVERIFY(rejilla.modelo()->canFetchMore({}));
        rejilla.fijarFilaActual(5000);
        QCOMPARE(rejilla.filaActual(), 5000);
        QCOMPARE(rejilla.texto(5000, 1), u"Nombre 5000"_s);
        rejilla.modelo()->cargarHasta();
        QCOMPARE(rejilla.numFilas(), 100001);
        QVERIFY(!rejilla.modelo()->canFetchMore({}));
    }

    void enterComoTabYComaDecimal() {
        Entorno e;
        QWidget ventana;
        auto* disposicion = new QVBoxLayout(&ventana);
        auto* primero = new QLineEdit(&ventana);
        auto* importe = new QLineEdit(&ventana);
        auto* ultimo = new QLineEdit(&ventana);
        for (auto* c : {primero, importe, ultimo})
            disposicion->addWidget(c);
        configurarCampo(primero, Campo::Normal);
        configurarCampo(importe, Campo::Numero);
        configurarCampo(ultimo, Campo::Normal);
        ventana.show();
        enfocar(primero);
        QCOMPARE(fondoDe(primero), colorPrincipal());
        pulsarEnter(primero);
        QVERIFY(importe->hasFocus());
        QCOMPARE(fondoDe(primero), kBlanco);
        teclear(importe, u"12.5"_s);
        QCOMPARE(importe->text(), u"12,5"_s);
        // An Alt+letter nothing answers leaves the selected amount as it was.
        importe->selectAll();
        QTest::keyClick(importe, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(importe->text(), u"12,5"_s);
        pulsarEnter(importe);
        pulsarEnter(ultimo);
        QVERIFY(primero->hasFocus());
    }

    void teclasDeAccesoUnicasPorVentana_data() {
        QTest::addColumn<Fabrica>("crear");
        filas<frmPrincipal, frmBienvenida, frmEmitirMes, frmAcercaDe, frmCobros, frmCobrosHoja,
              frmCobrosDetalle, frmCobrosConceptos, frmInquilinosCuentas, frmInquilinosFamiliares,
              frmIvas, frmSeriesF, frmAtopar, frmInmuebles, frmInmueblesFicha, frmInmueblesCargos,
              frmInquilinos, frmInquilinosFicha, frmEstadisticas, frmInforme, frmColor,
              frmConfiguracion, frmCopiaPen, frmRemesa, frmRemesas, frmDevolucion, frmContratos,
              frmContratosFicha, frmActualizarRentas, frmVencimientos, frmRectificar,
              frmRegistrosVerifactu, frmExtracto, frmGastos, frmRentaInmuebles>();
        QTest::newRow("frmInformeHojaDoc")
            << Fabrica([] { return new frmInformeHojaDoc(nullptr, u"Recibo"_s, 1); });
    }

    void teclasDeAccesoUnicasPorVentana() {
        QFETCH(Fabrica, crear);
        Entorno e;
        std::unique_ptr<QWidget> ventana(crear());
        QCOMPARE(choques(ventana.get()), QStringList());
        // Every window fits the smallest screen the program is used on.
        const QSize minimo = ventana->minimumSizeHint();
        QVERIFY2(minimo.width() <= 1280 && minimo.height() <= 800,
                 qPrintable(u"%1x%2"_s.arg(minimo.width()).arg(minimo.height())));
    }

    // A read that fails under a window (its table gone) ends that command with the engine's
    // reason, caught where the slot begins; the window stays and the program goes on.
    void lecturaFallidaEnUnaVentana() {
        Entorno e;
        e.inmueble(u"Bajo"_s, 0);
        frmInmuebles lista(ventanas());
        lista.show();
        ejecutar(u"ALTER TABLE tblInmuebles RENAME TO tblApartados"_s);
        Mensaje::limpiarHistorial();
        pulsar(&lista, "cmdFiltrar");
        QCOMPARE(Mensaje::textos().size(), 1);
        QVERIFY(lista.isVisible());
        ejecutar(u"ALTER TABLE tblApartados RENAME TO tblInmuebles"_s);
    }

    void enterPulsaElBotonConFoco() {
        Entorno e;
        frmInmuebles lista(ventanas());
        lista.show();
        bool abierta = false;
        cuandoAparezca<frmInmueblesFicha>([&](frmInmueblesFicha* ficha) {
            abierta = true;
            pulsar(ficha, "cmdCancelar");
        });
        auto* nuevo = hijo<QPushButton>(&lista, "cmdNovo");
        enfocar(nuevo);
        pulsarEnter(nuevo);
        QVERIFY(abierta);
    }

    void reciboDeDosLineasConVeinteTeclas() {
        Entorno e;
        e.tipoIva(1, 21);
        e.serie(u"A"_s);
        e.serie(u"B"_s);
        e.inmueble(u"Local Plaza Mayor 3"_s);
        const int ana = e.inquilino(u"Ana Souto"_s);
        const int piso = e.inmueble(u"Piso Avenida de Lugo 12"_s, ana);
        e.concepto(u"Alquiler"_s, 650);
        e.concepto(u"Comunidad"_s, 50);
        // What the property bills decides series, VAT, withholding and its rent; nothing is
        // retyped.
        hecho(guardarCargos(piso, {dec(u"21"_s), dec(u"19"_s), false, u"B"_s},
                            {{piso, 1, 1, u"Renta"_s, dec(u"1"_s), eur(u"800"_s), eur(u"800"_s)}}));

        frmPrincipal principal(sesion());
        principal.show();
        const auto linea = [](const QString& codigo) {
            return Teclista::Paso{u"frmCobrosDetalle"_s,
                                  teclas(codigo) + QList{sola(Qt::Key_Return), alt(Qt::Key_A)}};
        };
        Teclista teclista(
            &principal,
            {{QString(), {alt(Qt::Key_O)}},
             {u"frmCobros"_s, {alt(Qt::Key_N)}},
             {u"frmAtopar"_s, teclas(u"lugo"_s) + QList{sola(Qt::Key_Return), sola(Qt::Key_Tab),
                                                        sola(Qt::Key_Return)}},
             {u"frmCobrosHoja"_s, {alt(Qt::Key_N)}},
             linea(u"1"_s),
             {u"frmCobrosHoja"_s, {alt(Qt::Key_N)}},
             linea(u"2"_s),
             {u"frmCobrosHoja"_s, {sola(Qt::Key_Escape)}},
             {u"frmCobros"_s, {sola(Qt::Key_Escape)}}});
        QTRY_VERIFY_WITH_TIMEOUT(teclista.terminado() && !QApplication::activeModalWidget(), 15000);
        QCOMPARE(Mensaje::textos(), QStringList());
        // The last Escape only closes the list again.
        QVERIFY2(teclista.cuenta() - 1 <= 20, qPrintable(QString::number(teclista.cuenta() - 1)));
        QSqlQuery q = ejecutar(u"SELECT IdInm, IdInq, Ser, PorIva, PorRet, Tot FROM tblCobros"_s);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), piso);
        QCOMPARE(q.value(1).toInt(), ana);
        QCOMPARE(q.value(2).toString(), u"B"_s);
        QCOMPARE(q.value(3).toDouble(), 21.0);
        QCOMPARE(q.value(4).toDouble(), 19.0);
        // 800 + 50, + 21 % − 19 %.
        QCOMPARE(importeGuardado(q.value(5)).texto(), u"867,00"_s);
    }

    void hojaEnXlsxYCsv() {
        Entorno e;
        const Hoja hoja{
            u"Cobros"_s,
            {{u"Fecha"_s, TipoDato::Fecha},
             {u"Inquilino"_s, TipoDato::Texto},
             {u"Base"_s, TipoDato::Importe},
             {u"%"_s, TipoDato::Numero}},
            {{QDate(2024, 3, 1), u"Pérez; \"Ana\""_s, celda(eur(u"1234,5"_s)), celda(dec(u"21"_s))},
             {QDate(2024, 12, 31), u"=HIPERVINCULO()"_s, celda(eur(u"-0,1"_s)), QVariant()},
             {QVariant(), QVariant(), QVariant(), celda(dec(u"10,5"_s))}},
            true,
            {},
            {}};
        const QString csv = e.raiz() + u"/c.csv"_s;
        QCOMPARE(exportarHoja(hoja, csv), QString());
        QCOMPARE(contenidoDe(csv), QByteArray("\xEF\xBB\xBF"
                                              "Fecha;Inquilino;Base;%\r\n"
                                              "01/03/2024;\"Pérez; \"\"Ana\"\"\";1234,50;21\r\n"
                                              "31/12/2024;'=HIPERVINCULO();-0,10;\r\n"
                                              ";;;10,5\r\n"));

        const QString xlsx = e.raiz() + u"/c.xlsx"_s;
        QCOMPARE(exportarHoja(hoja, xlsx), QString());
        const QString hojaXml = parteXlsx(xlsx, u"xl/worksheets/sheet1.xml"_s);
        // A real date serial, a real number, text kept as text, the header frozen.
        QVERIFY(hojaXml.contains(u"<c r=\"A2\" s=\"2\"><v>45352</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"C2\" s=\"3\"><v>1234.5</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"D2\"><v>21</v></c>"_s));
        QVERIFY(hojaXml.contains(u"<c r=\"B3\" t=\"inlineStr\"><is><t>=HIPERVINCULO()</t>"_s));
        QVERIFY(hojaXml.contains(u"ySplit=\"1\""_s));
        QVERIFY(hojaXml.contains(u"<c r=\"C5\" s=\"4\"><f>SUM(C2:C4)</f><v>1234.4</v></c>"_s));
        QVERIFY(!hojaXml.contains(u"r=\"D5\""_s));
        QVERIFY(hojaXml.contains(u"<col min=\"2\" max=\"2\" width=\"17."_s));
        const QString estilos = parteXlsx(xlsx, u"xl/styles.xml"_s);
        QVERIFY(estilos.contains(u"formatCode=\"dd/mm/yyyy\""_s));
        QVERIFY(estilos.contains(u"<b/>"_s));
        // Tenants' data: the user's alone, like the year's file.
        for (const QString& archivo : {csv, xlsx})
            QCOMPARE(QFile::permissions(archivo) & kDeOtros, QFile::Permissions());

        // Texts as typed, whatever XML or the sheet would make of them; exact decimals.
        Hoja textos{u"'Año' & 2024: *"_s,
                    {{u"Nombre"_s, TipoDato::Texto}, {u"Base"_s, TipoDato::Importe}},
                    {{u" <Ana> & \u0001_x0041_"_s, celda(eur(u"-0,1"_s))}},
                    false,
                    {},
                    {}};
        // Many rows, read one by one as a list streams them, pass through the writer in blocks.
        textos.siguiente = [n = 0](QVariantList& fila) mutable {
            fila = {u"Inquilino %1"_s.arg(++n), celda(Importe::deCentimos(n))};
            return n <= 20000;
        };
        QCOMPARE(exportarHoja(textos, xlsx), QString());
        QProcess prueba;
        prueba.start(u"unzip"_s, {u"-tq"_s, xlsx});
        QVERIFY(prueba.waitForFinished() && prueba.exitCode() == 0);
        const QString otraXml = parteXlsx(xlsx, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY(otraXml.contains(
            u"<t xml:space=\"preserve\"> &lt;Ana&gt; &amp; _x0001__x005F_x0041_</t>"_s));
        QVERIFY(otraXml.contains(u"<c r=\"B2\" s=\"3\"><v>-0.1</v></c>"_s));
        QVERIFY(otraXml.contains(
            u"<c r=\"A20002\" t=\"inlineStr\"><is><t>Inquilino 20000</t></is></c><c r=\"B20002\" s=\"3\"><v>200</v></c></row></sheetData>"_s));
        QVERIFY(parteXlsx(xlsx, u"xl/workbook.xml"_s)
                    .contains(u"<sheet name=\"Año' &amp; 2024- -\""_s));

        // More rows than a sheet holds: refused with the reason, and the file left as it was.
        textos.siguiente = [n = 0](QVariantList& fila) mutable {
            fila = {QVariant(), celda(Importe::deCentimos(1))};
            return ++n <= 1'048'575;
        };
        QVERIFY(exportarHoja(textos, xlsx).contains(u"admite 1.048.576 filas"_s));
        QVERIFY(parteXlsx(xlsx, u"xl/worksheets/sheet1.xml"_s).contains(u"Inquilino 20000"_s));

        // A folder that does not exist: a reason, and no file at all.
        const QString mala = e.raiz() + u"/no/existe.xlsx"_s;
        QVERIFY(exportarHoja(hoja, mala).startsWith(u"No se pudo escribir el archivo"_s));
        QVERIFY(!QFile::exists(mala) && !QFile::exists(mala + u".parcial"_s));
    }

    void listasDesdeSusVentanas() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        const int bajo = e.inmueble(u"Bajo"_s, ana);
        e.documento(1, u"A"_s, QDate(2024, 2, 1), bajo, ana, 1210, true);
        e.documento(2, u"A"_s, QDate(2024, 3, 1), bajo, ana, 605.5);
        ejecutar(u"UPDATE tblCobros SET PorIva = 21"_s);
        frmCobros cobros(sesion(), ventanas());
        cobros.show();
        // Only what the filter leaves is exported, in the order the list shows.
        hijo<QCheckBox>(&cobros, "chkPen")->click();
        const QString csv = e.raiz() + u"/pendientes.csv"_s;
        QCOMPARE(exportar(&cobros, csv), u"1 fila exportada a "_s + csv);
        QCOMPARE(contenidoDe(csv),
                 QByteArray("\xEF\xBB\xBF"
                            "Fecha;Número;Inmueble;Inquilino;Base;% IVA;IVA;% Ret.;RET;"
                            "TOTAL;Pag;Correo\r\n"
                            "01/03/2024;2A;Bajo;Ana;605,50;21;0,00;0;0,00;605,50;NO;\r\n"));

        // The statistics grid's own TOTAL row becomes the formulas' row, not a data row; what it
        // shows first is what was collected.
        frmEstadisticas estadisticas(sesion());
        estadisticas.show();
        const QString xlsx = e.raiz() + u"/estadisticas"_s;
        QCOMPARE(exportar(&estadisticas, xlsx), u"1 fila exportada a "_s + xlsx + u".xlsx"_s);
        const QString hojaXml = parteXlsx(xlsx + u".xlsx"_s, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY(hojaXml.contains(u"<f>SUM(N2:N2)</f><v>1210</v>"_s));
        QVERIFY(!hojaXml.contains(u"r=\"A4\""_s));

        ejecutar(u"DELETE FROM tblCobros"_s);
        cobros.findChild<QCheckBox*>(u"chkPen"_s)->click();
        QCOMPARE(exportar(&cobros, csv), u"No hay filas que exportar."_s);
    }
};

TORVANE_TEST_MAIN(TestInterfaz)
#include "tst_interfaz.moc"
