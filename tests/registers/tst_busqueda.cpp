// The global search: typed keys, results, and Enter on them.
#include "data/Consulta.h"
#include "registers/frmBusqueda.h"
#include "support/Entorno.h"
#include "ui/Rejilla.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

void llenar(Entorno& e) {
    const int jose =
        e.inquilino(u"José GARCÍA Núñez"_s, u"981 100 200"_s, u"600 111 222"_s, {}, u"32145678Z"_s);
    ejecutar(u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, ?, ?)"_s,
             {u"ES76 2080 0001 2345 6789"_s, jose});
    const int ana = e.inquilino(u"Ana Pena"_s);
    const int piso =
        e.inmueble(u"Piso Avenida de Lugo 12"_s, jose, u"Avenida de Lugo, 12"_s, {}, u"Santiago"_s);
    e.inmueble(u"Bajo Rúa Nova"_s, 0, u"Rúa Nova, 1"_s, {}, u"Lugo"_s);
    e.documento(57, u"A"_s, QDate(2024, 3, 1), piso, jose, 650);
    e.documento(57, u"B"_s, QDate(2024, 4, 1), piso, ana, 120.5);
    e.documento(157, u"A"_s, QDate(2024, 5, 1), piso, jose, 650);
}

/** "Clase|Nombre o número" of each result row. */
QStringList resultados(const Rejilla* rejilla) {
    QStringList filas;
    for (int f = 1; f < rejilla->numFilas(); ++f)
        filas << rejilla->texto(f, 1) + u"|"_s + rejilla->texto(f, 2);
    return filas;
}

} // namespace

class TestBusqueda : public QObject {
    Q_OBJECT

private slots:
    void resultadosAlEscribir_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QStringList>("esperados");
        const QString jose = u"Inquilino|José GARCÍA Núñez"_s;
        QTest::newRow("nombre sin acentos") << u"garcia nu"_s << QStringList{jose};
        QTest::newRow("teléfono sin blancos") << u"981100"_s << QStringList{jose};
        QTest::newRow("móvil con blancos") << u"111 222"_s << QStringList{jose};
        QTest::newRow("N.I.F.") << u"32145678z"_s << QStringList{jose};
        QTest::newRow("IBAN") << u"2080 0001 23"_s << QStringList{jose};
        QTest::newRow("inmueble y dirección")
            << u"LUGO"_s
            << QStringList{u"Inmueble|Bajo Rúa Nova"_s, u"Inmueble|Piso Avenida de Lugo 12"_s};
        QTest::newRow("número con serie") << u"57a"_s << QStringList{u"Recibo|57A"_s};
        QTest::newRow("número, recientes primero")
            << u"57"_s << QStringList{u"Recibo|57B"_s, u"Recibo|57A"_s};
        QTest::newRow("importe") << u"650"_s << QStringList{u"Recibo|157A"_s, u"Recibo|57A"_s};
        QTest::newRow("importe con decimales") << u"120,5"_s << QStringList{u"Recibo|57B"_s};
        QTest::newRow("comillas") << u"O'Brien \"x\""_s << QStringList{};
    }

    void resultadosAlEscribir() {
        QFETCH(QString, texto);
        QFETCH(QStringList, esperados);
        Entorno e;
        llenar(e);
        frmBusqueda w;
        w.show();
        auto* caja = w.findChild<QLineEdit*>(u"txtBuscar"_s);
        teclear(caja, texto);
        const auto* rejilla = w.findChild<Rejilla*>(u"mshDatos"_s);
        QCOMPARE(resultados(rejilla), esperados);
        QCOMPARE(w.findChild<QLabel*>(u"lblInfo"_s)->text(),
                 QString::number(esperados.size()) + u" resultados"_s);
    }

    void enterAbreLaFichaOLaHoja_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("bajar");
        QTest::addColumn<QString>("ventana");
        QTest::addColumn<QString>("caja");
        QTest::addColumn<QString>("valor");
        QTest::newRow("inquilino")
            << u"garcia"_s << 0 << u"frmInquilinosFicha"_s << u"txtNom"_s << u"José GARCÍA Núñez"_s;
        QTest::newRow("segundo inmueble") << u"lugo"_s << 1 << u"frmInmueblesFicha"_s << u"txtDes"_s
                                          << u"Piso Avenida de Lugo 12"_s;
        QTest::newRow("recibo") << u"157"_s << 0 << u"frmCobrosHoja"_s << u"txtNumero"_s
                                << u"157"_s;
    }

    void enterAbreLaFichaOLaHoja() {
        QFETCH(QString, texto);
        QFETCH(int, bajar);
        QFETCH(QString, ventana);
        QFETCH(QString, caja);
        QFETCH(QString, valor);
        Entorno e;
        llenar(e);
        frmBusqueda w;
        w.show();
        auto* buscar = w.findChild<QLineEdit*>(u"txtBuscar"_s);
        enfocar(buscar);
        teclear(buscar, texto);
        for (int i = 0; i < bajar; ++i)
            QTest::keyClick(buscar, Qt::Key_Down);
        QString abierta, leido;
        QTimer reloj;
        connect(&reloj, &QTimer::timeout, this, [&] {
            auto* ficha = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!ficha) return;
            reloj.stop();
            abierta = QString::fromLatin1(ficha->metaObject()->className());
            leido = ficha->findChild<QLineEdit*>(caja)->text();
            ficha->done(QDialog::Rejected);
        });
        reloj.start(10);
        pulsarEnter(buscar);
        QCOMPARE(abierta, ventana);
        QCOMPARE(leido, valor);
        QCOMPARE(w.findChild<Rejilla*>(u"mshDatos"_s)->filaActual(), bajar + 1);
        QCOMPARE(w.focusWidget(), buscar);
    }

    void muchosResultadosSeRecortan() {
        Entorno e;
        for (int i = 0; i < 60; ++i)
            e.inquilino(u"Pérez %1"_s.arg(i));
        frmBusqueda w;
        w.show();
        teclear(w.findChild<QLineEdit*>(u"txtBuscar"_s), u"perez"_s);
        QCOMPARE(w.findChild<Rejilla*>(u"mshDatos"_s)->numFilas(), 51);
        QVERIFY(w.findChild<QLabel*>(u"lblInfo"_s)->text().contains(u"50 primeros"_s));
    }
};

TORVANE_TEST_MAIN(TestBusqueda)
#include "tst_busqueda.moc"
