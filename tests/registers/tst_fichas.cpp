#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

template <typename T> T* hijo(QWidget* w, const char* nombre) {
    return w->findChild<T*>(QString::fromLatin1(nombre));
}

QLineEdit* caja(QWidget* w, const char* nombre) {
    return hijo<QLineEdit>(w, nombre);
}

void pulsar(QWidget* w, const char* nombre) {
    hijo<QPushButton>(w, nombre)->click();
}

/** Replaces a box's text; typed through keys when it is plain ASCII (key clicks carry no accents).
 */
void escribir(QLineEdit* c, const QString& texto) {
    c->clear();
    bool ascii = true;
    for (QChar ch : texto)
        ascii = ascii && ch.unicode() < 128;
    if (ascii)
        teclear(c, texto);
    else
        c->insert(texto);
}

/** Answers the search window by choosing the tenant whose name contains filtro, or Escape. */
void elegirInquilino(const QString& filtro) {
    cuandoAparezca<frmAtopar>([filtro](frmAtopar* w) {
        auto* txtFiltro = caja(w, "txtFiltro");
        if (filtro.isEmpty()) {
            QTest::keyClick(txtFiltro, Qt::Key_Escape);
            return;
        }
        teclear(txtFiltro, filtro);
        pulsarEnter(txtFiltro);
        auto* rejilla = hijo<Rejilla>(w, "mshDatos");
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Return);
    });
}

} // namespace

class TestFichas : public QObject {
    Q_OBJECT

private slots:
    void inquilinoNuevo_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QStringList>("mensajes");
        QTest::addColumn<bool>("guardado");
        QTest::newRow("sin nombre")
            << QString() << QStringList{QStringLiteral("Ponga un nombre al inquilino")} << false;
        QTest::newRow("duplicado sin acentos")
            << QStringLiteral("garcia")
            << QStringList{QStringLiteral("Este Inquilino ya está registrado, ponga otro")}
            << false;
        QTest::newRow("correcto") << QStringLiteral("O'Brien") << QStringList{} << true;
    }

    void inquilinoNuevo() {
        QFETCH(QString, nombre);
        QFETCH(QStringList, mensajes);
        QFETCH(bool, guardado);
        Entorno e;
        e.inquilino(QStringLiteral("GARCÍA"));
        e.inquilino(QStringLiteral("Otro"));
        ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom) VALUES (7, 'Siete')"));
        frmInquilinosFicha w;
        w.Estado = 0;
        w.show();
        QCOMPARE(caja(&w, "txtId")->text(), QStringLiteral("8"));
        enfocar(caja(&w, "txtNom"));
        teclear(caja(&w, "txtNom"), nombre);
        pulsarEnter(caja(&w, "txtNom"));
        QVERIFY(caja(&w, "txtDNI")->hasFocus());
        teclear(caja(&w, "txtMob"), QStringLiteral("600123456789")); // one digit too many
        pulsar(&w, "cmdAceptar");
        QCOMPARE(Mensaje::textos(), mensajes);
        QCOMPARE(w.isVisible(), !guardado);
        QCOMPARE(caja(&w, "txtNom")->text(), nombre);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"),
                                 QStringLiteral("Id = 8 AND Mob = '60012345678'")),
                 guardado ? 1 : 0);
    }

    void inquilinoEditado_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("queda");
        QTest::addColumn<bool>("rechazado");
        QTest::newRow("mismo nombre")
            << QStringLiteral("Ana Pérez") << QStringLiteral("Ana Pérez") << false;
        QTest::newRow("solo mayúsculas")
            << QStringLiteral("ANA PÉREZ") << QStringLiteral("Ana Pérez") << true;
        QTest::newRow("nombre de otro")
            << QStringLiteral("luis gomez") << QStringLiteral("Ana Pérez") << true;
        QTest::newRow("nombre nuevo")
            << QStringLiteral("Ana Pérez Gil") << QStringLiteral("Ana Pérez Gil") << false;
    }

    void inquilinoEditado() {
        QFETCH(QString, nombre);
        QFETCH(QString, queda);
        QFETCH(bool, rechazado);
        Entorno e;
        const int ana = e.inquilino(QStringLiteral("Ana Pérez"), QStringLiteral("981"));
        e.inquilino(QStringLiteral("Luis Gómez"));
        frmInquilinosFicha w;
        w.Estado = 1;
        w.Id = ana;
        w.show();
        QCOMPARE(caja(&w, "txtTfn")->text(), QStringLiteral("981"));
        escribir(caja(&w, "txtNom"), nombre);
        escribir(caja(&w, "txtTfn"), QStringLiteral("982"));
        pulsar(&w, "cmdAceptar");
        QCOMPARE(caja(&w, "txtNom")->text(), queda);
        QCOMPARE(Mensaje::textos().size(), rechazado ? 1 : 0);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"),
                                 QStringLiteral("Id = ? AND Nom = ? AND Tfn = '982'"),
                                 {ana, queda}),
                 rechazado ? 0 : 1);
        // Escape cancels without saving.
        if (rechazado) {
            QTest::keyClick(caja(&w, "txtNom"), Qt::Key_Escape);
            QVERIFY(!w.isVisible());
            QCOMPARE(
                Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("Tfn = '981'")), 1);
        }
    }

    void inmuebleNuevoYPrecio_data() {
        QTest::addColumn<QString>("precio");
        QTest::addColumn<bool>("aceptado");
        QTest::addColumn<double>("guardado");
        QTest::newRow("sin tocar") << QStringLiteral("-") << true << 0.0;
        QTest::newRow("punto como coma") << QStringLiteral("450.5") << true << 450.5;
        QTest::newRow("coma") << QStringLiteral("1234,5") << true << 1234.5;
        QTest::newRow("vacío") << QString() << false << 0.0;
        QTest::newRow("letras") << QStringLiteral("abc") << false << 0.0;
    }

    void inmuebleNuevoYPrecio() {
        QFETCH(QString, precio);
        QFETCH(bool, aceptado);
        QFETCH(double, guardado);
        Entorno e;
        frmInmueblesFicha w;
        w.Estado = 0;
        w.show();
        QCOMPARE(hijo<QLabel>(&w, "lblInquilino")->text(), QStringLiteral("INQUILINO"));
        QCOMPARE(caja(&w, "txtPre")->text(), QStringLiteral("0"));
        escribir(caja(&w, "txtDes"), QStringLiteral("Ático"));
        if (precio != QStringLiteral("-")) {
            escribir(caja(&w, "txtPre"), precio);
            if (precio == QStringLiteral("450.5"))
                QCOMPARE(caja(&w, "txtPre")->text(), QStringLiteral("450,5"));
        }
        pulsar(&w, "cmdAceptar");
        QCOMPARE(w.isVisible(), !aceptado);
        if (!aceptado) {
            QCOMPARE(Mensaje::textos(), QStringList{QStringLiteral("Ponga un precio correcto")});
            QCOMPARE(caja(&w, "txtPre")->text(), QStringLiteral("0"));
            return;
        }
        QCOMPARE(
            valorUnico(QStringLiteral("SELECT Pre FROM tblInmuebles WHERE Id = 1 AND IdInq = 0"))
                .toDouble(),
            guardado);
        frmInmueblesFicha otra;
        otra.Estado = 1;
        otra.Id = 1;
        otra.show();
        QCOMPARE(hijo<QLabel>(&otra, "lblInquilino")->text(), QStringLiteral("NO ENCONTRADO"));
    }

    void inmuebleAsignarYLiberar() {
        Entorno e;
        const int ana = e.inquilino(QStringLiteral("Ana"));
        const int luis = e.inquilino(QStringLiteral("Luis"));
        const int piso = e.inmueble(QStringLiteral("Piso"), ana);
        e.inmueble(QStringLiteral("Bajo"));
        const auto inquilinoGuardado = [piso] {
            return valorUnico(QStringLiteral("SELECT IdInq FROM tblInmuebles WHERE Id = ?"), {piso})
                .toInt();
        };
        auto abrir = [piso](frmInmueblesFicha& w) {
            w.Estado = 1;
            w.Id = piso;
            w.show();
        };
        {
            // Escape in the search window keeps the tenant; a choice then cancel writes nothing.
            frmInmueblesFicha w;
            abrir(w);
            auto* etiqueta = hijo<QLabel>(&w, "lblInquilino");
            QCOMPARE(etiqueta->text(), QStringLiteral("Ana"));
            elegirInquilino(QString());
            pulsar(&w, "cmdInquilino");
            QCOMPARE(etiqueta->text(), QStringLiteral("Ana"));
            elegirInquilino(QStringLiteral("lu"));
            pulsar(&w, "cmdInquilino");
            QCOMPARE(etiqueta->text(), QStringLiteral("Luis"));
            QVERIFY(Modulo::IdAtopado.isEmpty());
            pulsar(&w, "cmdCancelar");
            QCOMPARE(inquilinoGuardado(), ana);
        }
        {
            frmInmueblesFicha w;
            abrir(w);
            elegirInquilino(QStringLiteral("lu"));
            pulsar(&w, "cmdInquilino");
            pulsar(&w, "cmdAceptar");
            QCOMPARE(inquilinoGuardado(), luis);
        }
        {
            // Escape asks to release: No changes nothing, Yes releases on Accept only.
            frmInmueblesFicha w;
            abrir(w);
            Mensaje::responderSiguiente(false);
            QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
            QVERIFY(w.isVisible());
            QCOMPARE(hijo<QLabel>(&w, "lblInquilino")->text(), QStringLiteral("Luis"));
            QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
            QCOMPARE(Mensaje::textos(), (QStringList{QStringLiteral("¿Liberar Inquilino?"),
                                                     QStringLiteral("¿Liberar Inquilino?")}));
            QCOMPARE(hijo<QLabel>(&w, "lblInquilino")->text(), QStringLiteral("NO ENCONTRADO"));
            QCOMPARE(inquilinoGuardado(), luis);
            // A duplicate description (another case) is refused and the loaded one restored.
            escribir(caja(&w, "txtDes"), QStringLiteral("BAJO"));
            pulsar(&w, "cmdAceptar");
            QCOMPARE(Mensaje::textos().last(),
                     QStringLiteral("Esta descripción ya existe, ponga otra"));
            QCOMPARE(caja(&w, "txtDes")->text(), QStringLiteral("Piso"));
            pulsar(&w, "cmdAceptar");
            QVERIFY(!w.isVisible());
            QCOMPARE(inquilinoGuardado(), 0);
        }
    }
};

TORVANE_TEST_MAIN(TestFichas)
#include "tst_fichas.moc"
