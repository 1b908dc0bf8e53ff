#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

namespace {

/** Replaces a box's text; typed through keys when it is plain ASCII (key clicks carry no accents).
 */
void rellenar(QLineEdit* c, const QString& texto) {
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
        if (filtro.isEmpty()) return QTest::keyClick(txtFiltro, Qt::Key_Escape);
        teclear(txtFiltro, filtro);
        pulsarEnter(txtFiltro);
        enfocar(rejillaDe(w));
        QTest::keyClick(rejillaDe(w), Qt::Key_Return);
    });
}

} // namespace

class TestFichas : public QObject {
    Q_OBJECT

private slots:
    void inquilinoNuevo_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QStringList>("mensajes");
        QTest::newRow("sin nombre") << "" << lista("Ponga un nombre al inquilino");
        QTest::newRow("duplicado sin acentos")
            << "garcia" << lista("Este Inquilino ya está registrado, ponga otro");
        QTest::newRow("correcto") << "O'Brien" << QStringList{};
    }

    void inquilinoNuevo() {
        QFETCH(QString, nombre);
        QFETCH(QStringList, mensajes);
        const bool guardado = mensajes.isEmpty();
        Entorno e;
        e.inquilino(u"GARCÍA"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (7, 'Siete')"_s);
        frmInquilinosFicha w;
        w.show();
        QCOMPARE(textoDe(&w, "txtId"), u"8"_s);
        enfocar(caja(&w, "txtNom"));
        teclear(caja(&w, "txtNom"), nombre);
        pulsarEnter(caja(&w, "txtNom"));
        QVERIFY(caja(&w, "txtDNI")->hasFocus());
        teclear(caja(&w, "txtMob"), u"600123456789"_s); // one digit too many
        pulsar(&w, "cmdAceptar");
        QCOMPARE(Mensaje::textos(), mensajes);
        QCOMPARE(w.isVisible(), !guardado);
        QCOMPARE(textoDe(&w, "txtNom"), nombre);
        QCOMPARE(contar("tblInquilinos", "Id = 8 AND Mob = '60012345678'"), guardado ? 1 : 0);
    }

    void inquilinoEditado_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("queda");
        filaDeTextos("mismo nombre", {"Ana Pérez", "Ana Pérez"});
        filaDeTextos("solo mayúsculas", {"ANA PÉREZ", "Ana Pérez"});
        filaDeTextos("nombre de otro", {"luis gomez", "Ana Pérez"});
        filaDeTextos("nombre nuevo", {"Ana Pérez Gil", "Ana Pérez Gil"});
    }

    void inquilinoEditado() {
        QFETCH(QString, nombre);
        QFETCH(QString, queda);
        const bool rechazado = nombre != queda;
        Entorno e;
        const int ana = e.inquilino(u"Ana Pérez"_s, u"981"_s);
        e.inquilino(u"Luis Gómez"_s);
        ejecutar(u"UPDATE tblInquilinos SET Dir = 'Rúa Nova, 3', Pob = 'Lugo' WHERE Id = ?"_s,
                 {ana});
        frmInquilinosFicha w;
        abrir(w, ana);
        QCOMPARE(textoDe(&w, "txtTfn") + textoDe(&w, "txtDir"), u"981Rúa Nova, 3"_s);
        rellenar(caja(&w, "txtNom"), nombre);
        rellenar(caja(&w, "txtTfn"), u"982"_s);
        enfocar(caja(&w, "txtDir"));
        pulsarEnter(caja(&w, "txtDir"));
        QVERIFY(caja(&w, "txtCp")->hasFocus());
        rellenar(caja(&w, "txtPob"), u"Ourense"_s);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(textoDe(&w, "txtNom"), queda);
        QCOMPARE(Mensaje::textos().size(), rechazado ? 1 : 0);
        QCOMPARE(contar("tblInquilinos",
                        "Id = ? AND Nom = ? AND Tfn = '982' AND Dir = 'Rúa Nova, 3' AND"
                        " Pob = 'Ourense'",
                        {ana, queda}),
                 rechazado ? 0 : 1);
        if (!rechazado) return;
        // Escape cancels without saving.
        QTest::keyClick(caja(&w, "txtNom"), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(contar("tblInquilinos", "Tfn = '981'"), 1);
    }

    void inmuebleNuevoYPrecio_data() {
        QTest::addColumn<QString>("precio");
        QTest::addColumn<QString>("guardado"); // empty when refused
        filaDeTextos("sin tocar", {"-", "0"});
        filaDeTextos("punto como coma", {"450.5", "450.5"});
        filaDeTextos("coma", {"1234,5", "1234.5"});
        filaDeTextos("vacío", {"", ""});
        filaDeTextos("letras", {"abc", ""});
    }

    void inmuebleNuevoYPrecio() {
        QFETCH(QString, precio);
        QFETCH(QString, guardado);
        Entorno e;
        frmInmueblesFicha w;
        w.show();
        QCOMPARE(textoDe(&w, "lblInquilino") + textoDe(&w, "txtPre"), u"INQUILINO0"_s);
        rellenar(caja(&w, "txtDes"), u"Ático"_s);
        if (precio != u"-"_s) rellenar(caja(&w, "txtPre"), precio);
        if (precio == u"450.5"_s) QCOMPARE(textoDe(&w, "txtPre"), u"450,5"_s);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(w.isVisible(), guardado.isEmpty());
        if (guardado.isEmpty()) {
            QCOMPARE(Mensaje::textos(), lista("Ponga un precio correcto"));
            QCOMPARE(textoDe(&w, "txtPre"), u"0"_s);
            return;
        }
        QCOMPARE(
            valorUnico(u"SELECT Pre FROM tblInmuebles WHERE Id = 1 AND IdInq = 0"_s).toDouble(),
            guardado.toDouble());
        frmInmueblesFicha otra;
        abrir(otra, 1);
        QCOMPARE(textoDe(&otra, "lblInquilino"), u"NO ENCONTRADO"_s);
    }

    void inmuebleAsignarYLiberar() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        const int luis = e.inquilino(u"Luis"_s);
        const int piso = e.inmueble(u"Piso"_s, ana);
        e.inmueble(u"Bajo"_s);
        const auto inquilinoGuardado = [piso] {
            return valorUnico(u"SELECT IdInq FROM tblInmuebles WHERE Id = ?"_s, {piso}).toInt();
        };
        {
            // Escape in the search window keeps the tenant; a choice is stored on Accept.
            frmInmueblesFicha w;
            abrir(w, piso);
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Ana"_s);
            elegirInquilino(QString());
            pulsar(&w, "cmdInquilino");
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Ana"_s);
            elegirInquilino(u"lu"_s);
            pulsar(&w, "cmdInquilino");
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Luis"_s);
            QVERIFY(Modulo::IdAtopado.isEmpty());
            QCOMPARE(inquilinoGuardado(), ana);
            pulsar(&w, "cmdAceptar");
            QCOMPARE(inquilinoGuardado(), luis);
        }
        // Escape asks to release: No changes nothing, Yes releases on Accept only.
        frmInmueblesFicha w;
        abrir(w, piso);
        Mensaje::responderSiguiente(false);
        QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(textoDe(&w, "lblInquilino"), u"Luis"_s);
        QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
        QCOMPARE(Mensaje::textos(), lista("¿Liberar Inquilino?|¿Liberar Inquilino?"));
        QCOMPARE(textoDe(&w, "lblInquilino"), u"NO ENCONTRADO"_s);
        QCOMPARE(inquilinoGuardado(), luis);
        // A duplicate description (another case) is refused and the loaded one restored.
        rellenar(caja(&w, "txtDes"), u"BAJO"_s);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last(), u"Esta descripción ya existe, ponga otra"_s);
        QCOMPARE(textoDe(&w, "txtDes"), u"Piso"_s);
        pulsar(&w, "cmdAceptar");
        QVERIFY(!w.isVisible());
        QCOMPARE(inquilinoGuardado(), 0);
    }
};

TORVANE_TEST_MAIN(TestFichas)
#include "tst_fichas.moc"
