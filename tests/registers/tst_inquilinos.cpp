#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmInquilinos.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

namespace {

void aplicarFiltro(QWidget* w, const QString& texto) {
    caja(w, "txtFiltro")->clear();
    caja(w, "txtFiltro")->insert(texto);
    pulsarEnter(caja(w, "txtFiltro"));
}

} // namespace

class TestInquilinos : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        QTest::newRow("sin filtro, por nombre")
            << "" << lista("Ana GARCÍA|O'Brien|Peña, Luis|Sin datos|Zoe 100%");
        QTest::newRow("nombre sin acentos") << "garcia" << lista("Ana GARCÍA");
        QTest::newRow("eñe como ene") << "PENA" << lista("Peña, Luis");
        QTest::newRow("solo el móvil") << "222 333" << QStringList{};
        QTest::newRow("parte del móvil") << "222333" << lista("Peña, Luis");
        QTest::newRow("los dos teléfonos juntos") << "111 6" << lista("Ana GARCÍA");
        QTest::newRow("correo") << "@correo." << lista("Ana GARCÍA|O'Brien");
        QTest::newRow("comilla") << "o'b" << lista("O'Brien");
        QTest::newRow("por ciento") << "100%" << lista("Zoe 100%");
        QTest::newRow("solo por ciento") << "%" << lista("Zoe 100%");
    }

    void filtrar() {
        QFETCH(QString, filtro);
        QFETCH(QStringList, nombres);
        Entorno e;
        e.inquilino(u"Ana GARCÍA"_s, u"981111111"_s, u"600"_s, u"ana@correo.es"_s);
        e.inquilino(u"Peña, Luis"_s, {}, u"600222333"_s, u"l@otro.com"_s);
        e.inquilino(u"O'Brien"_s, {}, {}, u"ob@correo.ie"_s);
        e.inquilino(u"Zoe 100%"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (9, 'Sin datos')"_s);
        frmInquilinos w;
        w.show();
        aplicarFiltro(&w, filtro);
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"), u"%1 inquilinos"_s.arg(nombres.size()));
        if (nombres.isEmpty()) QCOMPARE(rejilla->modelo()->columnCount(), 0);
        const int luis = nombres.indexOf(u"Peña, Luis"_s) + 1;
        if (luis > 0) QCOMPARE(rejilla->texto(luis, 2), u" 600222333"_s);
        if (filtro.isEmpty()) QCOMPARE(rejilla->texto(4, 2), u" "_s);
    }

    void editarVuelveALaFila() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inquilino(u"Inquilino %1"_s.arg(i, 2, 10, QLatin1Char('0')));
        frmInquilinos w;
        w.resize(700, 400);
        w.show();
        auto* rejilla = rejillaDe(&w);
        rejilla->fijarFilaActual(7, 1);
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), u"Modificando INQUILINO 07"_s);
            caja(ficha, "txtNom")->setText(u"Alfa"_s);
            pulsar(ficha, "cmdAceptar");
        });
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Return);
        QCOMPARE(rejilla->texto(1, 1), u"Alfa"_s);
        QCOMPARE(rejilla->filaActual(), 7);
        QCOMPARE(rejilla->rowAt(0), 6);
        QCOMPARE(Modulo::FilaSeleccionada, 7);
    }

    void borrar() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        e.inquilino(u"Benito"_s);
        ejecutar(u"INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, "
                 "'Hijo', ?), (2, 'Hija', ?), (3, 'Otro', 99)"_s,
                 {ana, ana});
        ejecutar(u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES00', ?)"_s,
                 {ana});
        e.inmueble(u"Piso"_s, ana);
        frmInquilinos w;
        w.show();
        Mensaje::responderSiguiente(false);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos(), lista("¿Borrar a Ana?"));
        QCOMPARE(contar("tblInquilinos"), 2);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos().last(), u"PROCESO FINALIZADO"_s);
        QCOMPARE(columna(rejillaDe(&w), 1), lista("Benito"));
        QCOMPARE(contar("tblInquilinos", "Id = ?", {ana}), 0);
        QCOMPARE(contar("tblInquilinosFamiliares"), 1);
        QCOMPARE(contar("tblInquilinosCuentas"), 1);
        QCOMPARE(contar("tblInmuebles", "IdInq = ?", {ana}), 1);
        // An empty list has nothing to delete and asks nothing.
        aplicarFiltro(&w, u"zz"_s);
        Mensaje::limpiarHistorial();
        pulsar(&w, "cmdBorrar");
        QVERIFY(Mensaje::textos().isEmpty());
    }

    void botonFamiliares() {
        Entorno e;
        for (int i = 1; i <= 5; ++i)
            e.inquilino(u"Inquilino %1"_s.arg(i), {}, {}, u"i%1@correo.es"_s.arg(i));
        frmInquilinos w;
        w.resize(700, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* rejilla = rejillaDe(&w);
        auto* familiares = hijo<QPushButton>(&w, "cmdFamiliares");
        // Shown beside the current cell only while the grid's fourth column is current.
        const auto alLado = [&] {
            const QRect celda = rejilla->rectCelda(rejilla->filaActual(), 3);
            return familiares->isVisible() && familiares->x() == celda.x() + celda.width() &&
                   familiares->y() == celda.y();
        };
        QVERIFY(!familiares->isVisible());
        rejilla->fijarFilaActual(2, 3);
        QVERIFY(alLado());
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Down);
        QCOMPARE(rejilla->filaActual(), 3);
        QVERIFY(alLado());
        QTest::keyClick(rejilla, Qt::Key_Left);
        QVERIFY(!familiares->isVisible());
        QTest::keyClick(rejilla, Qt::Key_Right);
        QVERIFY(familiares->isVisible());
        w.resize(900, 500);
        QApplication::processEvents();
        QVERIFY(alLado());
        enfocar(caja(&w, "txtFiltro"));
        QVERIFY(!familiares->isVisible());
    }
};

TORVANE_TEST_MAIN(TestInquilinos)
#include "tst_inquilinos.moc"
