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
        e.inquilino(QStringLiteral("Ana GARCÍA"), QStringLiteral("981111111"),
                    QStringLiteral("600"), QStringLiteral("ana@correo.es"));
        e.inquilino(QStringLiteral("Peña, Luis"), {}, QStringLiteral("600222333"),
                    QStringLiteral("l@otro.com"));
        e.inquilino(QStringLiteral("O'Brien"), {}, {}, QStringLiteral("ob@correo.ie"));
        e.inquilino(QStringLiteral("Zoe 100%"));
        ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom) VALUES (9, 'Sin datos')"));
        frmInquilinos w;
        w.show();
        aplicarFiltro(&w, filtro);
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"), QStringLiteral("%1 inquilinos").arg(nombres.size()));
        if (nombres.isEmpty()) QCOMPARE(rejilla->modelo()->columnCount(), 0);
        const int luis = nombres.indexOf(QStringLiteral("Peña, Luis")) + 1;
        if (luis > 0) QCOMPARE(rejilla->texto(luis, 2), QStringLiteral(" 600222333"));
        if (filtro.isEmpty()) QCOMPARE(rejilla->texto(4, 2), QStringLiteral(" "));
    }

    void editarVuelveALaFila() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inquilino(QStringLiteral("Inquilino %1").arg(i, 2, 10, QLatin1Char('0')));
        frmInquilinos w;
        w.resize(700, 400);
        w.show();
        auto* rejilla = rejillaDe(&w);
        rejilla->fijarFilaActual(7, 1);
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), QStringLiteral("Modificando INQUILINO 07"));
            caja(ficha, "txtNom")->setText(QStringLiteral("Alfa"));
            pulsar(ficha, "cmdAceptar");
        });
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Return);
        QCOMPARE(rejilla->texto(1, 1), QStringLiteral("Alfa"));
        QCOMPARE(rejilla->filaActual(), 7);
        QCOMPARE(rejilla->rowAt(0), 6);
        QCOMPARE(Modulo::FilaSeleccionada, 7);
    }

    void borrar() {
        Entorno e;
        const int ana = e.inquilino(QStringLiteral("Ana"));
        e.inquilino(QStringLiteral("Benito"));
        ejecutar(QStringLiteral("INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, "
                                "'Hijo', ?), (2, 'Hija', ?), (3, 'Otro', 99)"),
                 {ana, ana});
        ejecutar(QStringLiteral(
                     "INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES00', ?)"),
                 {ana});
        e.inmueble(QStringLiteral("Piso"), ana);
        frmInquilinos w;
        w.show();
        Mensaje::responderSiguiente(false);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos(), lista("¿Borrar a Ana?"));
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos")), 2);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos().last(), QStringLiteral("PROCESO FINALIZADO"));
        QCOMPARE(columna(rejillaDe(&w), 1), lista("Benito"));
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("Id = ?"), {ana}),
                 0);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinosFamiliares")), 1);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinosCuentas")), 1);
        QCOMPARE(
            Entorno::contar(QStringLiteral("tblInmuebles"), QStringLiteral("IdInq = ?"), {ana}), 1);
        // An empty list has nothing to delete and asks nothing.
        aplicarFiltro(&w, QStringLiteral("zz"));
        Mensaje::limpiarHistorial();
        pulsar(&w, "cmdBorrar");
        QVERIFY(Mensaje::textos().isEmpty());
    }

    void botonFamiliares() {
        Entorno e;
        for (int i = 1; i <= 5; ++i)
            e.inquilino(QStringLiteral("Inquilino %1").arg(i), {}, {},
                        QStringLiteral("i%1@correo.es").arg(i));
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
