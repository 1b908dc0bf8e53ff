#include "app/Modulo.h"
#include "data/Consulta.h"
#include "registers/AyudasRegistros.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInmueblesFicha.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

class TestInmuebles : public QObject {
    Q_OBJECT

private slots:
    void filtrar_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("descripciones");
        QTest::newRow("sin filtro, por código")
            << "" << lista("Local O'Donnell|Ático|Bajo B|Garaje 100%");
        QTest::newRow("descripción sin acentos") << "atico" << lista("Ático");
        QTest::newRow("código postal") << "15001" << lista("Local O'Donnell|Ático");
        QTest::newRow("población y provincia juntas")
            << "coruña a coruña" << lista("Local O'Donnell|Ático");
        QTest::newRow("calle y población sin código") << "Real 1  Lugo" << lista("Bajo B");
        QTest::newRow("nombre del inquilino") << "PENA" << lista("Ático|Garaje 100%");
        QTest::newRow("comilla") << "o'donnell" << lista("Local O'Donnell");
        QTest::newRow("por ciento") << "100%" << lista("Garaje 100%");
        QTest::newRow("nada") << "nada" << QStringList{};
    }

    void filtrar() {
        QFETCH(QString, filtro);
        QFETCH(QStringList, descripciones);
        Entorno e;
        const int pena = e.inquilino(u"Peña"_s);
        ejecutar(u"INSERT INTO tblInmuebles (Id, Des, Dir, CP, Pob, Pro, IdInq) VALUES"
                 " (1, 'Local O''Donnell', 'Rúa Nova 2', '15001', 'A Coruña', 'A Coruña', 0),"
                 " (2, 'Ático', 'Real 5', '15001', 'A Coruña', 'A Coruña', ?),"
                 " (3, 'Bajo B', 'Real 1', NULL, 'Lugo', 'Lugo', 0),"
                 " (4, 'Garaje 100%', NULL, NULL, NULL, NULL, ?)"_s,
                 {pena, pena});
        frmInmuebles w;
        w.show();
        caja(&w, "txtFiltro")->insert(filtro);
        pulsar(&w, "cmdFiltrar");
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), descripciones);
        QCOMPARE(textoDe(&w, "lblInfo"), u"%1 inmuebles"_s.arg(descripciones.size()));
        if (!filtro.isEmpty()) return;
        QCOMPARE(columna(rejilla, 3), lista("|Peña||Peña"));
        QCOMPARE(rejilla->texto(3, 2), u"Real 1  Lugo Lugo"_s);
        QCOMPARE(rejilla->texto(4, 2), u"   "_s);
        QCOMPARE(rejilla->texto(2, 5), QString::number(pena));
    }

    void editarYBorrar() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inmueble(u"Piso %1"_s.arg(i));
        e.documento(1, u"A"_s, QDate(2024, 5, 1), 5);
        frmInmuebles w;
        w.resize(700, 400);
        w.show();
        auto* rejilla = rejillaDe(&w);
        cuandoAparezca<frmInmueblesFicha>([](frmInmueblesFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), u"Modificando PISO 5"_s);
            caja(ficha, "txtDes")->setText(u"Piso quinto"_s);
            pulsar(ficha, "cmdAceptar");
        });
        const QPoint celda = rejilla->visualRect(rejilla->modelo()->index(4, 1)).center();
        QTest::mouseClick(rejilla->viewport(), Qt::LeftButton, {}, celda);
        QTest::mouseDClick(rejilla->viewport(), Qt::LeftButton, {}, celda);
        QCOMPARE(rejilla->texto(5, 1), u"Piso quinto"_s);
        QCOMPARE(rejilla->filaActual(), 5);
        QCOMPARE(rejilla->rowAt(0), 4);
        QVERIFY(w.focusWidget() == caja(&w, "txtFiltro"));

        pulsar(&w, "cmdBorrar");
        QVERIFY(Mensaje::historial().first().noPorDefecto);
        QCOMPARE(Mensaje::textos(), lista("¿Borrar el inmueble Piso quinto?|PROCESO FINALIZADO"));
        QCOMPARE(contar("tblInmuebles", "Id = 5"), 0);
        QCOMPARE(contar("tblInmuebles"), 39);
        QCOMPARE(contar("tblCobros", "IdInm = 5"), 1);
        QCOMPARE(rejilla->numFilas(), 40);
        QCOMPARE(rejilla->filaActual(), 5);
    }
};

TORVANE_TEST_MAIN(TestInmuebles)
#include "tst_inmuebles.moc"
