#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInmueblesFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "ui/Rejilla.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class TestInmuebles : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("descripciones");
        const QString atico = QStringLiteral("Ático"), bajo = QStringLiteral("Bajo B"),
                      garaje = QStringLiteral("Garaje 100%"),
                      local = QStringLiteral("Local O'Donnell");
        QTest::newRow("sin filtro, por código")
            << QString() << QStringList{local, atico, bajo, garaje};
        QTest::newRow("descripción sin acentos") << QStringLiteral("atico") << QStringList{atico};
        QTest::newRow("código postal") << QStringLiteral("15001") << QStringList{local, atico};
        QTest::newRow("población y provincia juntas")
            << QStringLiteral("coruña a coruña") << QStringList{local, atico};
        QTest::newRow("calle y población sin código")
            << QStringLiteral("Real 1  Lugo") << QStringList{bajo};
        QTest::newRow("nombre del inquilino")
            << QStringLiteral("PENA") << QStringList{atico, garaje};
        QTest::newRow("comilla") << QStringLiteral("o'donnell") << QStringList{local};
        QTest::newRow("por ciento") << QStringLiteral("100%") << QStringList{garaje};
        QTest::newRow("nada") << QStringLiteral("nada") << QStringList{};
    }

    void filtrar() {
        QFETCH(QString, filtro);
        QFETCH(QStringList, descripciones);
        Entorno e;
        const int pena = e.inquilino(QStringLiteral("Peña"));
        ejecutar(QStringLiteral(
                     "INSERT INTO tblInmuebles (Id, Des, Dir, CP, Pob, Pro, IdInq) VALUES"
                     " (1, 'Local O''Donnell', 'Rúa Nova 2', '15001', 'A Coruña', 'A Coruña', 0),"
                     " (2, 'Ático', 'Real 5', '15001', 'A Coruña', 'A Coruña', ?),"
                     " (3, 'Bajo B', 'Real 1', NULL, 'Lugo', 'Lugo', 0),"
                     " (4, 'Garaje 100%', NULL, NULL, NULL, NULL, ?)"),
                 {pena, pena});
        frmInmuebles w;
        w.show();
        auto* txtFiltro = w.findChild<QLineEdit*>(QStringLiteral("txtFiltro"));
        txtFiltro->insert(filtro);
        w.findChild<QPushButton*>(QStringLiteral("cmdFiltrar"))->click();
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), descripciones);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblInfo"))->text(),
                 QString::number(descripciones.size()) + QStringLiteral(" inmuebles"));
        QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("cmdInformes"))->isVisible());
        if (!filtro.isEmpty()) return;
        QCOMPARE(columna(rejilla, 3), (QStringList{QString(), QStringLiteral("Peña"), QString(),
                                                   QStringLiteral("Peña")}));
        QCOMPARE(rejilla->texto(3, 2), QStringLiteral("Real 1  Lugo Lugo"));
        QCOMPARE(rejilla->texto(4, 2), QStringLiteral("   "));
        QCOMPARE(rejilla->texto(2, 5), QString::number(pena));
    }

    void editarYBorrar() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inmueble(QStringLiteral("Piso %1").arg(i));
        e.documento(1, QStringLiteral("A"), QDate(2024, 5, 1), 5);
        frmInmuebles w;
        w.resize(700, 400);
        w.show();
        auto* rejilla = rejillaDe(&w);
        cuandoAparezca<frmInmueblesFicha>([](frmInmueblesFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), QStringLiteral("Modificando PISO 5"));
            ficha->findChild<QLineEdit*>(QStringLiteral("txtDes"))
                ->setText(QStringLiteral("Piso quinto"));
            ficha->findChild<QPushButton*>(QStringLiteral("cmdAceptar"))->click();
        });
        const QPoint celda = rejilla->visualRect(rejilla->modelo()->index(4, 1)).center();
        QTest::mouseClick(rejilla->viewport(), Qt::LeftButton, {}, celda);
        QTest::mouseDClick(rejilla->viewport(), Qt::LeftButton, {}, celda);
        QCOMPARE(rejilla->texto(5, 1), QStringLiteral("Piso quinto"));
        QCOMPARE(rejilla->filaActual(), 5);
        QCOMPARE(rejilla->rowAt(0), 4);

        Mensaje::responderSiguiente(true);
        w.findChild<QPushButton*>(QStringLiteral("cmdBorrar"))->click();
        QCOMPARE(Mensaje::textos(), (QStringList{QStringLiteral("¿Borrar el inmueble Piso quinto?"),
                                                 QStringLiteral("PROCESO FINALIZADO")}));
        QCOMPARE(Entorno::contar(QStringLiteral("tblInmuebles")), 39);
        QCOMPARE(Entorno::contar(QStringLiteral("tblInmuebles"), QStringLiteral("Id = 5")), 0);
        QCOMPARE(Entorno::contar(QStringLiteral("tblCobros"), QStringLiteral("IdInm = 5")), 1);
        QCOMPARE(rejilla->numFilas(), 40);
    }
};

TORVANE_TEST_MAIN(TestInmuebles)
#include "tst_inmuebles.moc"
