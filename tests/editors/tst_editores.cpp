#include "app/Modulo.h"
#include "data/Consulta.h"
#include "editors/frmCobrosConceptos.h"
#include "editors/frmInquilinosCuentas.h"
#include "editors/frmInquilinosFamiliares.h"
#include "editors/frmIvas.h"
#include "registers/frmAtopar.h"
#include "registers/frmInquilinos.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

Rejilla* rejilla(QWidget* w) {
    return w->findChild<Rejilla*>(u"mshDatos"_s);
}
QLineEdit* caja(QWidget* w, const QString& nombre) {
    return w->findChild<QLineEdit*>(nombre);
}
QPushButton* boton(QWidget* w, const QString& nombre) {
    return w->findChild<QPushButton*>(nombre);
}
void pulsar(QWidget* w, const QString& nombre) {
    QTest::mouseClick(boton(w, nombre), Qt::LeftButton);
}
QString info(QWidget* w) {
    return w->findChild<QLabel*>(u"lblInfo"_s)->text();
}
QStringList titulos(Rejilla* r) {
    QStringList t;
    for (int c = 1; c < r->modelo()->numColumnas(); ++c)
        t << r->texto(0, c);
    return t;
}
void abrir(QWidget* w) {
    w->resize(720, 420);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}
/** Writes a row through the boxes: Enter walks them, the last Enter reaches Aceptar. */
void escribir(QWidget* w, const QList<QLineEdit*>& cajas, const QStringList& textos) {
    for (int i = 0; i < cajas.size(); ++i) {
        enfocar(cajas[i]);
        cajas[i]->selectAll();
        teclear(cajas[i], textos[i]);
    }
    pulsar(w, u"cmdAceptar"_s);
}
int conceptos(const QString& condicion = {}, const QVariantList& valores = {}) {
    return Entorno::contar(u"tblCobrosConceptos"_s, condicion, valores);
}

/** Family members and accounts: rows belong to the tenant the window was opened for. */
template <class Editor>
void deSuInquilino(const QString& tabla, const QStringList& cajas, const QString& titulo,
                   const QString& pregunta,
                   const QStringList& primeros = {u"DeLuis"_s, u"Zeta"_s, u"Beta"_s}) {
    Entorno e;
    const int ana = e.inquilino(u"Ana"_s);
    const int luis = e.inquilino(u"Luis"_s);
    Editor otro;
    otro.IdInq = luis;
    abrir(&otro);
    pulsar(&otro, u"cmdNovo"_s);
    escribir(&otro, {caja(&otro, cajas[0])}, {primeros[0]});

    Editor w;
    w.IdInq = ana;
    abrir(&w);
    Rejilla* r = rejilla(&w);
    QVERIFY(r->numFilas() <= 1); // no rows, with or without headings
    pulsar(&w, u"cmdNovo"_s);
    QCOMPARE(caja(&w, cajas[1])->geometry(), r->rectCelda(1, 2));
    pulsar(&w, u"cmdCancelar"_s);
    QVERIFY(r->numFilas() <= 1);
    const QList<QLineEdit*> lineas{caja(&w, cajas[0]), caja(&w, cajas[1])};
    pulsar(&w, u"cmdNovo"_s);
    escribir(&w, lineas, {primeros[1], u"Z1"_s});
    pulsar(&w, u"cmdNovo"_s);
    escribir(&w, lineas, {primeros[2], u"B1"_s});
    QCOMPARE(r->texto(1, 2), u"B1"_s); // listed in order, not as typed
    QCOMPARE(r->texto(2, 1), primeros[1]);
    QCOMPARE(Entorno::contar(tabla, u"IdInq = ?"_s, {ana}), 2);
    QCOMPARE(titulos(r).value(0), titulo);
    // Z1 and B1 are no N.I.F.: the family editor warned and kept them.
    Mensaje::limpiarHistorial();
    pulsar(&w, u"cmdBorrar"_s);
    QCOMPARE(Mensaje::textos(), QStringList{pregunta});
    QCOMPARE(r->numFilas(), 2);

    Editor otraVez;
    otraVez.IdInq = luis;
    abrir(&otraVez);
    QCOMPARE(rejilla(&otraVez)->numFilas(), 2);
    QCOMPARE(rejilla(&otraVez)->texto(1, 1), primeros[0]);
}

/** Opens an editor of the tenant from the list's button; the tenant and caption it got. */
template <class Editor> QString abrirDesde(QWidget* lista, const QString& nombre) {
    QString recibido;
    cuandoAparezca<Editor>([&recibido](Editor* w) {
        recibido = u"%1 %2"_s.arg(w->IdInq).arg(w->windowTitle());
        w->close();
    });
    pulsar(lista, nombre);
    return recibido;
}

} // namespace

class TestEditores : public QObject {
    Q_OBJECT

private slots:
    void conceptosNuevoImporteYCancelar() {
        Entorno e;
        frmCobrosConceptos w;
        abrir(&w);
        Rejilla* r = rejilla(&w);
        pulsar(&w, u"cmdEditar"_s);
        pulsar(&w, u"cmdBorrar"_s);
        QVERIFY(Mensaje::textos().isEmpty());

        pulsar(&w, u"cmdNovo"_s);
        QLineEdit* des = caja(&w, u"txtDes"_s);
        QLineEdit* imp = caja(&w, u"txtImp"_s);
        QVERIFY(des->isVisible() && des->hasFocus());
        QVERIFY(!r->isEnabled() && !boton(&w, u"cmdNovo"_s)->isEnabled());
        w.resize(900, 500);
        QApplication::processEvents();
        QCOMPARE(imp->geometry(), r->rectCelda(1, 2));

        // Enter walks description, amount, notes and lands on Aceptar.
        teclear(des, u"Luz"_s);
        pulsarEnter(des);
        teclear(imp, u"abc"_s);
        pulsarEnter(imp);
        QCOMPARE(Mensaje::textos(), QStringList{u"Ponga un nº correcto"_s});
        QCOMPARE(imp->text(), u"0"_s);
        QVERIFY(imp->hasFocus());
        imp->selectAll();
        teclear(imp, u"1234.5"_s);
        QCOMPARE(imp->text(), u"1234,5"_s);
        pulsarEnter(imp);
        pulsarEnter(caja(&w, u"txtObs"_s));
        QVERIFY(boton(&w, u"cmdAceptar"_s)->hasFocus());
        pulsar(&w, u"cmdAceptar"_s);
        QCOMPARE(conceptos(u"Id = 1 AND Des = 'Luz' AND Imp = 1234.5"_s), 1);
        QCOMPARE(r->texto(1, 2), u"1.234,50"_s);
        QVERIFY(boton(&w, u"cmdNovo"_s)->hasFocus());
        QVERIFY(!des->isVisible() && r->isEnabled());

        // An amount never typed saves as 0.
        pulsar(&w, u"cmdNovo"_s);
        escribir(&w, {des}, {u"Agua"_s});
        QCOMPARE(conceptos(u"Id = 2 AND Imp = 0"_s), 1);
        QCOMPARE(info(&w), u"Se encontraron 2 conceptos"_s);

        // Novo and then Escape leaves the grid as it was; Escape while browsing does nothing.
        r->fijarFilaActual(2);
        pulsar(&w, u"cmdNovo"_s);
        QCOMPARE(r->numFilas(), 4);
        QTest::keyClick(des, Qt::Key_Escape);
        QCOMPARE(r->numFilas(), 3);
        QCOMPARE(r->filaActual(), 2);
        QVERIFY(!des->isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void conceptosEditarCancelarYBorrar() {
        Entorno e;
        for (const QString& des : {u"Uno"_s, u"Dos"_s, u"Tres"_s, u"Cuatro"_s})
            e.concepto(des, 1234.5);
        frmCobrosConceptos w;
        abrir(&w);
        Rejilla* r = rejilla(&w);
        QLineEdit* des = caja(&w, u"txtDes"_s);
        r->fijarFilaActual(2);
        pulsar(&w, u"cmdEditar"_s);
        QCOMPARE(des->text(), u"Dos"_s);
        QCOMPARE(caja(&w, u"txtImp"_s)->text(), u"1.234,50"_s);
        QCOMPARE(des->geometry(), r->rectCelda(2, 1));
        teclear(des, u"Otra"_s);
        // With the table out of reach, cancelling must still show the old row.
        ejecutar(u"ALTER TABLE tblCobrosConceptos RENAME TO apartada"_s);
        pulsar(&w, u"cmdCancelar"_s);
        ejecutar(u"ALTER TABLE apartada RENAME TO tblCobrosConceptos"_s);
        QCOMPARE(r->texto(2, 1), u"Dos"_s);
        QVERIFY(Mensaje::textos().isEmpty());

        r->fijarFilaActual(2);
        QTest::keyClick(r, Qt::Key_Return); // Enter or a double click edits too
        QVERIFY(des->isVisible());
        escribir(&w, {des, caja(&w, u"txtImp"_s)}, {u"Gastos"_s, u"80.25"_s});
        QCOMPARE(conceptos(u"Id = 2 AND Des = 'Gastos' AND Imp = 80.25"_s), 1);

        // Closing the window mid-edit drops the change.
        pulsar(&w, u"cmdEditar"_s);
        teclear(des, u"Nada"_s);
        w.close();
        QCOMPARE(conceptos(u"Des = 'Nada'"_s), 0);

        // Deleting: asked first, then the row above is selected; the top row stays on top.
        abrir(&w);
        r->fijarFilaActual(4);
        const QString ultimo = r->texto(4, 1);
        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(false);
        pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(Mensaje::textos(), QStringList{u"¿Eliminar "_s + ultimo + u"?"_s});
        QCOMPARE(conceptos(), 4);
        pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(conceptos(u"Des = ?"_s, {ultimo}), 0);
        QCOMPARE(r->filaActual(), 3);
        r->fijarFilaActual(1);
        const QString segundo = r->texto(2, 1);
        pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(r->filaActual(), 1);
        QCOMPARE(r->texto(1, 1), segundo);
        while (conceptos() > 0)
            pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(titulos(r),
                 (QStringList{u"Descripción"_s, u"Precio"_s, u"Observaciones"_s, u""_s}));
        QCOMPARE(r->numFilas(), 1);
        // The largest Id is free again.
        pulsar(&w, u"cmdNovo"_s);
        escribir(&w, {des}, {u"Nuevo"_s});
        QCOMPARE(conceptos(u"Id = 1"_s), 1);
    }

    void fallosDeLaBaseDejanLaVentanaUsable() {
        Entorno e;
        e.concepto(u"Alquiler"_s, 500);
        for (const QString& orden : {u"INSERT"_s, u"DELETE"_s})
            ejecutar(u"CREATE TRIGGER sin%1 BEFORE %1 ON tblCobrosConceptos"
                     u" BEGIN SELECT RAISE(ABORT, 'bloqueada'); END"_s.arg(orden));
        frmCobrosConceptos w;
        abrir(&w);
        pulsar(&w, u"cmdNovo"_s);
        escribir(&w, {caja(&w, u"txtDes"_s)}, {u"Luz"_s});
        QCOMPARE(Mensaje::historial().size(), 1);
        QCOMPARE(Mensaje::historial().first().icono, Mensaje::Icono::Critico);
        QVERIFY(boton(&w, u"cmdNovo"_s)->isEnabled() && !caja(&w, u"txtDes"_s)->isVisible());
        QCOMPARE(rejilla(&w)->numFilas(), 2);
        pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(Mensaje::historial().last().icono, Mensaje::Icono::Critico);
        QCOMPARE(rejilla(&w)->texto(1, 1), u"Alquiler"_s);
    }

    void ivas() {
        Entorno e;
        e.tipoIva(1, 21);
        frmIvas w;
        abrir(&w);
        Rejilla* r = rejilla(&w);
        QLineEdit* tipo = caja(&w, u"txtTipo"_s);
        auto* activo = w.findChild<QCheckBox*>(u"chkActivo"_s);
        pulsar(&w, u"cmdNovo"_s);
        QVERIFY(activo->isChecked() && activo->isVisible());
        QCOMPARE(activo->x(), r->rectCelda(2, 4).x());

        // A code that is not a new whole number is refused and nothing is written.
        for (const QString& malo : {u""_s, u"abc"_s, u"2,5"_s, u"1"_s}) {
            Mensaje::limpiarHistorial();
            escribir(&w, {tipo}, {malo});
            QCOMPARE(Mensaje::textos().size(), 1);
            QVERIFY(tipo->isVisible() && tipo->hasFocus());
        }
        QCOMPARE(Entorno::contar(u"tblIva"_s), 1);
        enfocar(caja(&w, u"txtPorIva"_s));
        teclear(caja(&w, u"txtPorIva"_s), u"10.5"_s);
        QCOMPARE(caja(&w, u"txtPorIva"_s)->text(), u"10,5"_s);
        activo->setChecked(false);
        escribir(&w, {tipo}, {u"2"_s});
        QCOMPARE(
            Entorno::contar(u"tblIva"_s, u"TIV = 2 AND IVA = 10.5 AND Req = 0 AND Activo = 0"_s),
            1);
        QCOMPARE(r->texto(2, 2), u"10,5"_s);
        QCOMPARE(r->texto(2, 4), u"NO"_s);

        // Editing may change the code itself, and keeping it is no duplicate.
        r->fijarFilaActual(2);
        pulsar(&w, u"cmdEditar"_s);
        QVERIFY(tipo->hasFocus() && !activo->isChecked());
        escribir(&w, {caja(&w, u"txtPorRec"_s)}, {u"1.4"_s});
        QCOMPARE(Entorno::contar(u"tblIva"_s, u"TIV = 2 AND Req = 1.4"_s), 1);
        r->fijarFilaActual(2);
        pulsar(&w, u"cmdEditar"_s);
        escribir(&w, {tipo}, {u"4"_s});
        QCOMPARE(Entorno::contar(u"tblIva"_s, u"TIV = 4 AND IVA = 10.5"_s), 1);
        QCOMPARE(Entorno::contar(u"tblIva"_s), 2);

        Mensaje::limpiarHistorial();
        pulsar(&w, u"cmdBorrar"_s);
        pulsar(&w, u"cmdBorrar"_s);
        QCOMPARE(Mensaje::textos(),
                 (QStringList{u"¿Eliminar el tipo 4?"_s, u"¿Eliminar el tipo 1?"_s}));
        QCOMPARE(titulos(r), (QStringList{u"Tipo"_s, u"% IVA"_s, u"% Recargo"_s, u"Activo"_s}));
    }

    void familiaresYCuentasDeSuInquilino() {
        deSuInquilino<frmInquilinosFamiliares>(u"tblInquilinosFamiliares"_s,
                                               {u"txtNom"_s, u"txtDNI"_s}, u"Nombre"_s,
                                               u"¿Eliminar a Beta?"_s);
        if (QTest::currentTestFailed()) return;
        const QString beta = u"GB29 NWBK 6016 1331 9268 19"_s;
        deSuInquilino<frmInquilinosCuentas>(
            u"tblInquilinosCuentas"_s, {u"txtIBAN"_s, u"txtBanco"_s}, u"IBAN"_s,
            u"¿Eliminar la cuenta %1?"_s.arg(beta),
            {u"DE89 3704 0044 0532 0130 00"_s, u"ES91 2100 0418 4502 0005 1332"_s, beta});
    }

    // A wrong IBAN is told and kept only when the user says so, without spaces; signing a
    // mandate proposes its reference, and no two accounts share one.
    void cuentasConMandato() {
        Entorno e;
        frmInquilinosCuentas w;
        w.IdInq = e.inquilino(u"Ana"_s);
        abrir(&w);
        const QList<QLineEdit*> cajas{caja(&w, u"txtIBAN"_s), caja(&w, u"txtMandato"_s),
                                      caja(&w, u"mskFirma"_s)};
        pulsar(&w, u"cmdNovo"_s);
        Mensaje::responderSiguiente(false);
        escribir(&w, cajas, {u"ES91 2100 0418 4502 0005 1333"_s, {}, u"10012024"_s});
        QVERIFY(Mensaje::textos().value(0).contains(u"no cuadran"_s));
        QCOMPARE(Entorno::contar(u"tblInquilinosCuentas"_s), 0);
        QVERIFY(cajas[0]->hasFocus());
        pulsar(&w, u"cmdAceptar"_s);
        QCOMPARE(Entorno::contar(u"tblInquilinosCuentas"_s,
                                 u"IBAN = 'ES9121000418450200051333' AND MndRef = 'ALQ-00001-00001'"
                                 u" AND MndFec = '2024-01-10' AND MndPri = 0"_s),
                 1);
        pulsar(&w, u"cmdNovo"_s);
        Mensaje::limpiarHistorial();
        escribir(&w, cajas, {u"ES9121000418450200051332"_s, u"ALQ-00001-00001"_s, u"01022024"_s});
        QVERIFY(Mensaje::textos().value(0).contains(u"ya la tiene otra cuenta (Ana)"_s));
        escribir(&w, {cajas[1], cajas[2]}, {u"M 2"_s, {}});
        QVERIFY(Mensaje::textos().value(1).contains(u"sin espacios"_s));
        QCOMPARE(Entorno::contar(u"tblInquilinosCuentas"_s), 1);
    }

    void lasListasAbrenLosEditores() {
        Entorno e;
        e.inquilino(u"Ana"_s);
        const int luis = e.inquilino(u"Luis Peña"_s);
        QString titulo;
        cuandoAparezca<frmCobrosConceptos>([&](frmCobrosConceptos* w) {
            titulo = w->windowTitle();
            w->close();
        });
        frmAtopar buscar;
        buscar.Estado = u"Conceptos"_s;
        abrir(&buscar);
        pulsar(&buscar, u"cmdNuevo"_s);
        QCOMPARE(titulo, u"COBROS. Conceptos"_s);

        frmInquilinos lista;
        abrir(&lista);
        Rejilla* r = rejilla(&lista);
        r->fijarFilaActual(2);
        QCOMPARE(abrirDesde<frmInquilinosCuentas>(&lista, u"cmdCuentas"_s),
                 u"%1 Cuentas bancarias de LUIS PEÑA"_s.arg(luis));
        QCOMPARE(Modulo::FilaSeleccionada, 2);
        r->fijarFilaActual(2, 3);
        QCOMPARE(abrirDesde<frmInquilinosFamiliares>(&lista, u"cmdFamiliares"_s),
                 u"%1 Familiares de LUIS PEÑA"_s.arg(luis));
        QCOMPARE(r->filaActual(), 2);
        QCOMPARE(r->columnaActual(), 3);
        QCOMPARE(lista.focusWidget(), r);
    }
};

TORVANE_TEST_MAIN(TestEditores)
#include "tst_editores.moc"
