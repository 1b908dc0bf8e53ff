#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"
#include "ui/Rejilla.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void datosDePrueba(Entorno& e) {
    const int garcia = e.inquilino(QStringLiteral("GARCÍA LÓPEZ, ANA"));
    const int pena = e.inquilino(QStringLiteral("Peña Ruiz, Luis"));
    e.inquilino(QStringLiteral("O'Brien, Sean"));
    e.inquilino(QStringLiteral("álvaro"));
    e.inmueble(QStringLiteral("Piso Centro"), garcia);
    e.inmueble(QStringLiteral("Bajo comercial"), pena);
    e.inmueble(QStringLiteral("Garaje 100%"));
    e.concepto(QStringLiteral("Renta mensual"), 500);
    e.concepto(QStringLiteral("Agua 100% repercutida"), 20);
    e.concepto(QStringLiteral("Luz_general"), 10);
}

} // namespace

class TestAtopar : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        QTest::addColumn<QString>("info");
        const QStringList todos{QStringLiteral("álvaro"), QStringLiteral("GARCÍA LÓPEZ, ANA"),
                                QStringLiteral("O'Brien, Sean"), QStringLiteral("Peña Ruiz, Luis")};
        QTest::newRow("inquilinos sin filtro") << "Inquilinos"
                                               << "" << todos << "4 inquilinos";
        QTest::newRow("sin acentos") << "Inquilinos"
                                     << "garcia" << QStringList{todos[1]} << "1 inquilinos";
        QTest::newRow("eñe") << "Inquilinos"
                             << "pena" << QStringList{todos[3]} << "1 inquilinos";
        QTest::newRow("comilla") << "Inquilinos"
                                 << "o'brien" << QStringList{todos[2]} << "1 inquilinos";
        QTest::newRow("un blanco")
            << "Inquilinos"
            << " " << QStringList{todos[1], todos[2], todos[3]} << "3 inquilinos";
        QTest::newRow("nada") << "Inquilinos"
                              << "zz" << QStringList{} << "0 inquilinos";
        QTest::newRow("inmuebles por inquilino")
            << "Inmuebles"
            << "LUIS" << QStringList{QStringLiteral("Bajo comercial")} << "1 inmuebles";
        QTest::newRow("inmuebles sin filtro")
            << "Inmuebles"
            << ""
            << QStringList{QStringLiteral("Bajo comercial"), QStringLiteral("Garaje 100%"),
                           QStringLiteral("Piso Centro")}
            << "3 inmuebles";
        QTest::newRow("por ciento literal")
            << "Conceptos"
            << "100%" << QStringList{QStringLiteral("Agua 100% repercutida")} << "1 conceptos";
        QTest::newRow("subrayado literal")
            << "Conceptos"
            << "z_g" << QStringList{QStringLiteral("Luz_general")} << "1 conceptos";
    }

    void filtrar() {
        QFETCH(QString, estado);
        QFETCH(QString, filtro);
        QFETCH(QStringList, nombres);
        QFETCH(QString, info);
        Entorno e;
        datosDePrueba(e);
        frmAtopar w;
        w.Estado = estado;
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(QStringLiteral("mshDatos"));
        auto* txtFiltro = w.findChild<QLineEdit*>(QStringLiteral("txtFiltro"));
        teclear(txtFiltro, filtro);
        pulsarEnter(txtFiltro);
        QCOMPARE(columna(rejilla, 2), nombres);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblInfo"))->text(), info);
        if (nombres.isEmpty()) {
            QCOMPARE(rejilla->numFilas(), 0);
            QCOMPARE(rejilla->modelo()->columnCount(), 0);
            return;
        }
        QCOMPARE(rejilla->texto(0, 1), QStringLiteral("Código"));
        QCOMPARE(rejilla->filaActual(), 1);
        QCOMPARE(columna(rejilla, 0).first(), QStringLiteral("1"));
    }

    void inmuebleSinInquilinoYCodigo() {
        Entorno e;
        datosDePrueba(e);
        frmAtopar w;
        w.Estado = QStringLiteral("Inmuebles");
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(QStringLiteral("mshDatos"));
        QCOMPARE(rejilla->texto(0, 3), QStringLiteral("Inquilino"));
        QCOMPARE(columna(rejilla, 3), (QStringList{QStringLiteral("Peña Ruiz, Luis"), QString(),
                                                   QStringLiteral("GARCÍA LÓPEZ, ANA")}));
        QCOMPARE(columna(rejilla, 1),
                 (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("1")}));
    }

    void elegirOSalir_data() {
        QTest::addColumn<QString>("accion");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("doble clic") << "doble"
                                    << "17";
        QTest::newRow("enter") << "enter"
                               << "17";
        QTest::newRow("escape") << "escape"
                                << "";
        QTest::newRow("lista vacia") << "vacia"
                                     << "";
    }

    void elegirOSalir() {
        QFETCH(QString, accion);
        QFETCH(QString, esperado);
        Entorno e;
        ejecutar(
            QStringLiteral("INSERT INTO tblInquilinos (Id, Nom) VALUES (17, 'Zoe'), (3, 'Ana')"));
        Modulo::IdAtopado.clear();
        cuandoAparezca<frmAtopar>([accion](frmAtopar* w) {
            auto* rejilla = w->findChild<Rejilla*>(QStringLiteral("mshDatos"));
            auto* txtFiltro = w->findChild<QLineEdit*>(QStringLiteral("txtFiltro"));
            teclear(txtFiltro,
                    accion == QStringLiteral("vacia") ? QStringLiteral("xx") : QStringLiteral("o"));
            pulsarEnter(txtFiltro);
            if (accion == QStringLiteral("doble")) {
                const QRect celda = rejilla->visualRect(rejilla->modelo()->index(0, 2));
                QTest::mouseClick(rejilla->viewport(), Qt::LeftButton, {}, celda.center());
                QTest::mouseDClick(rejilla->viewport(), Qt::LeftButton, {}, celda.center());
            } else if (accion == QStringLiteral("escape")) {
                QTest::keyClick(txtFiltro, Qt::Key_Escape);
            } else {
                enfocar(rejilla);
                QTest::keyClick(rejilla, Qt::Key_Return);
                if (w->isVisible()) QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        frmAtopar buscar;
        buscar.Estado = QStringLiteral("Inquilinos");
        buscar.exec();
        QCOMPARE(Modulo::IdAtopado, esperado);
        Modulo::IdAtopado.clear();
    }

    void nuevo() {
        Entorno e;
        datosDePrueba(e);
        frmAtopar w;
        w.Estado = QStringLiteral("Inquilinos");
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(QStringLiteral("mshDatos"));
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), QStringLiteral("Inquilino nuevo"));
            QCOMPARE(ficha->findChild<QLineEdit*>(QStringLiteral("txtId"))->text(),
                     QStringLiteral("5"));
            teclear(ficha->findChild<QLineEdit*>(QStringLiteral("txtNom")),
                    QStringLiteral("Nuevo"));
            ficha->findChild<QPushButton*>(QStringLiteral("cmdAceptar"))->click();
        });
        w.findChild<QPushButton*>(QStringLiteral("cmdNuevo"))->click();
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("Nom = 'Nuevo'")),
                 1);
        QCOMPARE(rejilla->numFilas(), 5); // listed only after the next filter
        w.findChild<QPushButton*>(QStringLiteral("cmdFiltrar"))->click();
        QCOMPARE(rejilla->numFilas(), 6);
        QVERIFY(w.isVisible());
        QVERIFY(Modulo::IdAtopado.isEmpty());
    }
};

TORVANE_TEST_MAIN(TestAtopar)
#include "tst_atopar.moc"
