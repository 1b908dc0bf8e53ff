#include "app/frmAcercaDe.h"
#include "app/frmPrincipal.h"
#include "banking/frmDevolucion.h"
#include "banking/frmRemesa.h"
#include "banking/frmRemesas.h"
#include "collections/frmCobros.h"
#include "collections/frmCobrosDetalle.h"
#include "collections/frmCobrosHoja.h"
#include "contracts/frmActualizarRentas.h"
#include "contracts/frmContratos.h"
#include "contracts/frmContratosFicha.h"
#include "contracts/frmVencimientos.h"
#include "data/Consulta.h"
#include "editors/frmCobrosConceptos.h"
#include "editors/frmInquilinosCuentas.h"
#include "editors/frmInquilinosFamiliares.h"
#include "editors/frmIvas.h"
#include "editors/frmSeriesF.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinos.h"
#include "registers/frmInquilinosFicha.h"
#include "reports/frmEstadisticas.h"
#include "reports/frmInforme.h"
#include "reports/frmInformeHojaDoc.h"
#include "support/Entorno.h"
#include "tax/frmRectificar.h"
#include "tax/frmRegistrosVerifactu.h"
#include "ui/Mensajes.h"
#include "utilities/frmColor.h"
#include "utilities/frmConfiguracion.h"
#include "utilities/frmCopiaPen.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QTabWidget>
#include <memory>

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
        const QString clase =
            delante ? QString::fromLatin1(delante->metaObject()->className()) : QString();
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
    ((QTest::newRow(T::staticMetaObject.className()) << Fabrica([] { return new T; })), ...);
}

} // namespace

class TestTeclado : public QObject {
    Q_OBJECT

private slots:
    void teclasDeAccesoUnicasPorVentana_data() {
        QTest::addColumn<Fabrica>("crear");
        filas<frmPrincipal, frmAcercaDe, frmCobros, frmCobrosHoja, frmCobrosDetalle,
              frmCobrosConceptos, frmInquilinosCuentas, frmInquilinosFamiliares, frmIvas,
              frmSeriesF, frmAtopar, frmInmuebles, frmInmueblesFicha, frmInquilinos,
              frmInquilinosFicha, frmEstadisticas, frmInforme, frmInformeHojaDoc, frmColor,
              frmConfiguracion, frmCopiaPen, frmRemesa, frmRemesas, frmDevolucion, frmContratos,
              frmContratosFicha, frmActualizarRentas, frmVencimientos, frmRectificar,
              frmRegistrosVerifactu>();
    }

    void teclasDeAccesoUnicasPorVentana() {
        QFETCH(Fabrica, crear);
        Entorno e;
        std::unique_ptr<QWidget> ventana(crear());
        QCOMPARE(choques(ventana.get()), QStringList());
    }

    void enterPulsaElBotonConFoco() {
        Entorno e;
        frmInmuebles lista;
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
        e.inmueble(u"Local Plaza Mayor 3"_s);
        const int ana = e.inquilino(u"Ana Souto"_s);
        const int piso = e.inmueble(u"Piso Avenida de Lugo 12"_s, ana);
        e.concepto(u"Alquiler"_s, 650);
        e.concepto(u"Comunidad"_s, 50);

        frmCobros lista;
        lista.show();
        enfocar(caja(&lista, "txtFiltro"));
        const auto linea = [](const QString& codigo) {
            return Teclista::Paso{u"frmCobrosDetalle"_s,
                                  teclas(codigo) + QList{sola(Qt::Key_Return), alt(Qt::Key_A)}};
        };
        Teclista teclista(
            &lista,
            {{QString(), {alt(Qt::Key_N)}},
             {u"frmAtopar"_s, teclas(u"lugo"_s) + QList{sola(Qt::Key_Return), sola(Qt::Key_Tab),
                                                        sola(Qt::Key_Return)}},
             {u"frmCobrosHoja"_s, {alt(Qt::Key_N)}},
             linea(u"1"_s),
             {u"frmCobrosHoja"_s, {alt(Qt::Key_N)}},
             linea(u"2"_s),
             {u"frmCobrosHoja"_s, {sola(Qt::Key_Escape)}}});
        QTRY_VERIFY_WITH_TIMEOUT(teclista.terminado() && !QApplication::activeModalWidget(), 15000);
        QCOMPARE(Mensaje::textos(), QStringList());
        QVERIFY2(teclista.cuenta() <= 20, qPrintable(QString::number(teclista.cuenta())));
        QSqlQuery q = ejecutar(u"SELECT IdInm, IdInq, Tot FROM tblCobros"_s);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), piso);
        QCOMPARE(q.value(1).toInt(), ana);
        QCOMPARE(q.value(2).toDouble(), 847.0);
        QCOMPARE(rejillaDe(&lista)->numFilas(), 2);
    }
};

TORVANE_TEST_MAIN(TestTeclado)
#include "tst_teclado.moc"
