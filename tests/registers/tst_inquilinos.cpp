#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmInquilinos.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* filtroDe(QWidget* w) {
    return w->findChild<QLineEdit*>(QStringLiteral("txtFiltro"));
}
QPushButton* boton(QWidget* w, const QString& nombre) {
    return w->findChild<QPushButton*>(nombre);
}

void aplicarFiltro(QWidget* w, const QString& texto) {
    filtroDe(w)->clear();
    filtroDe(w)->insert(texto);
    pulsarEnter(filtroDe(w));
}

} // namespace

class TestInquilinos : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        const QString ana = QStringLiteral("Ana GARCÍA"), luis = QStringLiteral("Peña, Luis"),
                      obrien = QStringLiteral("O'Brien"), zoe = QStringLiteral("Zoe 100%"),
                      nulos = QStringLiteral("Sin datos");
        QTest::newRow("sin filtro, por nombre")
            << QString() << QStringList{ana, obrien, luis, nulos, zoe};
        QTest::newRow("nombre sin acentos") << QStringLiteral("garcia") << QStringList{ana};
        QTest::newRow("eñe como ene") << QStringLiteral("PENA") << QStringList{luis};
        QTest::newRow("solo el móvil") << QStringLiteral("222 333") << QStringList{};
        QTest::newRow("parte del móvil") << QStringLiteral("222333") << QStringList{luis};
        QTest::newRow("los dos teléfonos juntos") << QStringLiteral("111 6") << QStringList{ana};
        QTest::newRow("correo") << QStringLiteral("@correo.") << QStringList{ana, obrien};
        QTest::newRow("comilla") << QStringLiteral("o'b") << QStringList{obrien};
        QTest::newRow("por ciento") << QStringLiteral("100%") << QStringList{zoe};
        QTest::newRow("solo por ciento") << QStringLiteral("%") << QStringList{zoe};
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
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblInfo"))->text(),
                 QString::number(nombres.size()) + QStringLiteral(" inquilinos"));
        if (nombres.isEmpty()) {
            QCOMPARE(rejilla->modelo()->columnCount(), 0);
            return;
        }
        const int fila = columna(rejilla, 1).indexOf(QStringLiteral("Peña, Luis")) + 1;
        if (fila > 0) QCOMPARE(rejilla->texto(fila, 2), QStringLiteral(" 600222333"));
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
            auto* nom = ficha->findChild<QLineEdit*>(QStringLiteral("txtNom"));
            nom->setText(QStringLiteral("Alfa"));
            ficha->findChild<QPushButton*>(QStringLiteral("cmdAceptar"))->click();
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
        boton(&w, QStringLiteral("cmdBorrar"))->click();
        QCOMPARE(Mensaje::textos(), QStringList{QStringLiteral("¿Borrar a Ana?")});
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos")), 2);
        boton(&w, QStringLiteral("cmdBorrar"))->click();
        QCOMPARE(Mensaje::textos().last(), QStringLiteral("PROCESO FINALIZADO"));
        QCOMPARE(columna(rejillaDe(&w), 1), QStringList{QStringLiteral("Benito")});
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("Id = ?"), {ana}),
                 0);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinosFamiliares")), 1);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinosCuentas")), 1);
        QCOMPARE(
            Entorno::contar(QStringLiteral("tblInmuebles"), QStringLiteral("IdInq = ?"), {ana}), 1);
        // An empty list has nothing to delete and asks nothing.
        aplicarFiltro(&w, QStringLiteral("zz"));
        Mensaje::limpiarHistorial();
        boton(&w, QStringLiteral("cmdBorrar"))->click();
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
        auto* familiares = boton(&w, QStringLiteral("cmdFamiliares"));
        QVERIFY(!familiares->isVisible());
        const auto alLado = [&] {
            const QRect celda = rejilla->rectCelda(rejilla->filaActual(), 3);
            return familiares->x() == celda.x() + celda.width() && familiares->y() == celda.y();
        };
        rejilla->fijarFilaActual(2, 3);
        QVERIFY(familiares->isVisible());
        QVERIFY(alLado());
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Down);
        QCOMPARE(rejilla->filaActual(), 3);
        QVERIFY(familiares->isVisible());
        QVERIFY(alLado());
        QTest::keyClick(rejilla, Qt::Key_Left);
        QVERIFY(!familiares->isVisible());
        QTest::keyClick(rejilla, Qt::Key_Right);
        QVERIFY(familiares->isVisible());
        w.resize(900, 500);
        QApplication::processEvents();
        QVERIFY(alLado());
        enfocar(filtroDe(&w));
        QVERIFY(!familiares->isVisible());
    }
};

TORVANE_TEST_MAIN(TestInquilinos)
#include "tst_inquilinos.moc"
