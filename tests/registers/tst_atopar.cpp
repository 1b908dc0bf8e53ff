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
        const auto fila = [](const char* caso, const char* estado, const char* filtro,
                             const QStringList& nombres) {
            QTest::newRow(caso) << QString::fromUtf8(estado) << QString::fromUtf8(filtro)
                                << nombres;
        };
        fila("inquilinos sin filtro", "Inquilinos", "", todos);
        fila("sin acentos", "Inquilinos", "garcia", {todos[1]});
        fila("eñe", "Inquilinos", "pena", {todos[3]});
        fila("comilla", "Inquilinos", "o'brien", {todos[2]});
        fila("un blanco", "Inquilinos", " ", todos.mid(1));
        fila("nada", "Inquilinos", "zz", {});
        fila("inmuebles por inquilino", "Inmuebles", "LUIS", lista("Bajo comercial"));
        fila("inmuebles sin filtro", "Inmuebles", "",
             lista("Bajo comercial|Garaje 100%|Piso Centro"));
        fila("por ciento literal", "Conceptos", "100%", lista("Agua 100% repercutida"));
        fila("subrayado literal", "Conceptos", "z_g", lista("Luz_general"));
    }

    void filtrar() {
        QFETCH(QString, estado);
        QFETCH(QString, filtro);
        QFETCH(QStringList, nombres);
        Entorno e;
        const int garcia = e.inquilino(u"GARCÍA LÓPEZ, ANA"_s);
        const int pena = e.inquilino(u"Peña Ruiz, Luis"_s);
        e.inquilino(u"O'Brien, Sean"_s);
        e.inquilino(u"álvaro"_s);
        e.inmueble(u"Piso Centro"_s, garcia);
        e.inmueble(u"Bajo comercial"_s, pena);
        e.inmueble(u"Garaje 100%"_s);
        e.concepto(u"Renta mensual"_s, 500);
        e.concepto(u"Agua 100% repercutida"_s, 20);
        e.concepto(u"Luz_general"_s, 10);
        frmAtopar w;
        w.Estado = estado;
        w.show();
        auto* rejilla = rejillaDe(&w);
        teclear(caja(&w, "txtFiltro"), filtro);
        pulsarEnter(caja(&w, "txtFiltro"));
        QCOMPARE(columna(rejilla, 2), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"), u"%1 %2"_s.arg(nombres.size()).arg(estado.toLower()));
        if (nombres.isEmpty()) {
            QCOMPARE(rejilla->modelo()->columnCount(), 0);
            return;
        }
        QCOMPARE(rejilla->filaActual(), 1);
        if (estado == u"Inmuebles"_s && filtro.isEmpty()) {
            QCOMPARE(columna(rejilla, 3), lista("Peña Ruiz, Luis||GARCÍA LÓPEZ, ANA"));
            QCOMPARE(columna(rejilla, 1), lista("2|3|1"));
        }
    }

    void elegirOSalir_data() {
        QTest::addColumn<QString>("accion");
        QTest::newRow("enter") << u"enter"_s;
        QTest::newRow("escape") << u"escape"_s;
        QTest::newRow("lista vacia") << u"vacia"_s;
    }

    void elegirOSalir() {
        QFETCH(QString, accion);
        const QString esperado = accion == u"enter"_s ? u"17"_s : QString();
        Entorno e;
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (17, 'Zoe'), (3, 'Ana')"_s);
        Modulo::IdAtopado.clear();
        cuandoAparezca<frmAtopar>([accion](frmAtopar* w) {
            auto* rejilla = rejillaDe(w);
            auto* txtFiltro = caja(w, "txtFiltro");
            teclear(txtFiltro, accion == u"vacia"_s ? u"xx"_s : u"o"_s);
            pulsarEnter(txtFiltro);
            if (accion == u"escape"_s) {
                QTest::keyClick(txtFiltro, Qt::Key_Escape);
            } else {
                enfocar(rejilla);
                QTest::keyClick(rejilla, Qt::Key_Return);
                if (w->isVisible()) QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        frmAtopar buscar;
        buscar.Estado = u"Inquilinos"_s;
        buscar.exec();
        QCOMPARE(Modulo::IdAtopado, esperado);
        Modulo::IdAtopado.clear();
    }

    void nuevo() {
        Entorno e;
        e.inquilino(u"Ana"_s);
        e.inquilino(u"Luis"_s);
        frmAtopar w;
        w.Estado = u"Inquilinos"_s;
        w.show();
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), u"Inquilino nuevo"_s);
            QCOMPARE(textoDe(ficha, "txtId"), u"3"_s);
            teclear(caja(ficha, "txtNom"), u"Nuevo"_s);
            pulsar(ficha, "cmdAceptar");
        });
        pulsar(&w, "cmdNuevo");
        QCOMPARE(contar("tblInquilinos", "Nom = 'Nuevo'"), 1);
        QCOMPARE(rejillaDe(&w)->numFilas(), 4);
        QVERIFY(w.isVisible());
        QVERIFY(Modulo::IdAtopado.isEmpty());
    }
};

TORVANE_TEST_MAIN(TestAtopar)
#include "tst_atopar.moc"
