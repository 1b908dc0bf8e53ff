#include "app/frmPrincipal.h"
#include "ui/Ventana.h"
#include "support/Entorno.h"

#include <QAction>
#include <QToolButton>

class TestPrincipal : public QObject {
    Q_OBJECT

private slots:
    void botonesYMenusAbrenSuVentana_data()
    {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("ventana");
        QTest::newRow("inmuebles") << "cmdInmuebles" << "mnuArquivosInm" << "frmInmuebles";
        QTest::newRow("inquilinos") << "cmdInquilinos" << "mnuArquivosInq" << "frmInquilinos";
        QTest::newRow("conceptos") << "cmdConceptosCobro" << "mnuArquivosCon" << "frmCobrosConceptos";
        QTest::newRow("cobros") << "cmdCobros" << "mnuTraballosCob" << "frmCobros";
        QTest::newRow("búsqueda") << "cmdBusqueda" << "mnuTraballosBus" << "frmBusqueda";
        QTest::newRow("informes") << "cmdInformes" << "mnuTraballosInf" << "frmInforme";
        QTest::newRow("contratos") << "cmdContratos"
                                   << "mnuTraballosContratos"
                                   << "frmContratos";
        QTest::newRow("configuracion") << "cmdConfiguracion" << "mnuArquivosConfig" << "frmConfiguracion";
        QTest::newRow("estadisticas") << "cmdGraficos" << "mnuTraballosGraf" << "frmEstadisticas";
        QTest::newRow("copia") << "cmdCopiaSeg" << "mnuUtiCopias" << "frmCopiaPen";
        QTest::newRow("colores") << "cmdCores" << "mnuUtiColor" << "frmColor";
        QTest::newRow("acerca de") << "cmdVelmora" << "mnuSairAcercaDe" << "frmAcercaDe";
    }

    void botonesYMenusAbrenSuVentana()
    {
        QFETCH(QString, boton);
        QFETCH(QString, menu);
        QFETCH(QString, ventana);
        Entorno e;
        frmPrincipal principal;
        principal.show();
        for (int via = 0; via < 2; ++via) {
            QString abierta;
            bool esperaVisible = false;
            cuandoAparezca<Ventana>([&](Ventana* w) {
                abierta = QString::fromLatin1(w->metaObject()->className());
                esperaVisible = principal.cursor().shape() == Qt::WaitCursor;
                w->done(QDialog::Rejected);
            });
            if (via == 0)
                principal.findChild<QToolButton*>(boton)->click();
            else
                principal.findChild<QAction*>(menu)->trigger();
            QCOMPARE(abierta, ventana);
            QVERIFY(esperaVisible);
            QCOMPARE(principal.cursor().shape(), Qt::ArrowCursor);
        }
    }
};

TORVANE_TEST_MAIN(TestPrincipal)
#include "tst_principal.moc"
