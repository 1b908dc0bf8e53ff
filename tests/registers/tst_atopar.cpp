#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInquilinosFicha.h"
#include "support/Entorno.h"

class TestAtopar : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        const QStringList todos = lista("álvaro|GARCÍA LÓPEZ, ANA|O'Brien, Sean|Peña Ruiz, Luis");
        QTest::newRow("inquilinos sin filtro") << "Inquilinos"
                                               << "" << todos;
        QTest::newRow("sin acentos") << "Inquilinos"
                                     << "garcia" << QStringList{todos[1]};
        QTest::newRow("eñe") << "Inquilinos"
                             << "pena" << QStringList{todos[3]};
        QTest::newRow("comilla") << "Inquilinos"
                                 << "o'brien" << QStringList{todos[2]};
        QTest::newRow("un blanco") << "Inquilinos"
                                   << " " << todos.mid(1);
        QTest::newRow("nada") << "Inquilinos"
                              << "zz" << QStringList{};
        QTest::newRow("inmuebles por inquilino") << "Inmuebles"
                                                 << "LUIS" << lista("Bajo comercial");
        QTest::newRow("inmuebles sin filtro")
            << "Inmuebles"
            << "" << lista("Bajo comercial|Garaje 100%|Piso Centro");
        QTest::newRow("por ciento literal") << "Conceptos"
                                            << "100%" << lista("Agua 100% repercutida");
        QTest::newRow("subrayado literal") << "Conceptos"
                                           << "z_g" << lista("Luz_general");
    }

    void filtrar() {
        QFETCH(QString, estado);
        QFETCH(QString, filtro);
        QFETCH(QStringList, nombres);
        Entorno e;
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
        frmAtopar w;
        w.Estado = estado;
        w.show();
        auto* rejilla = rejillaDe(&w);
        teclear(caja(&w, "txtFiltro"), filtro);
        pulsarEnter(caja(&w, "txtFiltro"));
        QCOMPARE(columna(rejilla, 2), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"),
                 QStringLiteral("%1 %2").arg(nombres.size()).arg(estado.toLower()));
        if (nombres.isEmpty()) {
            QCOMPARE(rejilla->modelo()->columnCount(), 0);
            return;
        }
        QCOMPARE(rejilla->filaActual(), 1);
        if (estado == QStringLiteral("Inmuebles") && filtro.isEmpty()) {
            QCOMPARE(columna(rejilla, 3), lista("Peña Ruiz, Luis||GARCÍA LÓPEZ, ANA"));
            QCOMPARE(columna(rejilla, 1), lista("2|3|1"));
        }
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
            auto* rejilla = rejillaDe(w);
            auto* txtFiltro = caja(w, "txtFiltro");
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
        e.inquilino(QStringLiteral("Ana"));
        e.inquilino(QStringLiteral("Luis"));
        frmAtopar w;
        w.Estado = QStringLiteral("Inquilinos");
        w.show();
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), QStringLiteral("Inquilino nuevo"));
            QCOMPARE(textoDe(ficha, "txtId"), QStringLiteral("3"));
            teclear(caja(ficha, "txtNom"), QStringLiteral("Nuevo"));
            pulsar(ficha, "cmdAceptar");
        });
        pulsar(&w, "cmdNuevo");
        QCOMPARE(Entorno::contar(QStringLiteral("tblInquilinos"), QStringLiteral("Nom = 'Nuevo'")),
                 1);
        QCOMPARE(rejillaDe(&w)->numFilas(), 3); // listed only after the next filter
        pulsar(&w, "cmdFiltrar");
        QCOMPARE(rejillaDe(&w)->numFilas(), 4);
        QVERIFY(w.isVisible());
        QVERIFY(Modulo::IdAtopado.isEmpty());
    }
};

TORVANE_TEST_MAIN(TestAtopar)
#include "tst_atopar.moc"
