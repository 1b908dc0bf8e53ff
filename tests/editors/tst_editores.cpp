// The small editors: concepts, VAT types, series, a tenant's family and bank accounts.
#include "core/store/Consulta.h"
#include "editors/frmCobrosConceptos.h"
#include "editors/frmInquilinosCuentas.h"
#include "editors/frmInquilinosFamiliares.h"
#include "editors/frmIvas.h"
#include "editors/frmSeriesF.h"
#include "registers/frmAtopar.h"
#include "registers/frmInquilinos.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "ui/Mensajes.h"
#include "utilities/frmConfiguracion.h"

#include <QCheckBox>
#include <QFrame>
#include <QToolButton>

using namespace torvane;

namespace {

/** Clicks a button with the mouse, as the user does (focus moves to it first). */
void clic(QWidget* w, const char* nombre) {
    QTest::mouseClick(hijo<QPushButton>(w, nombre), Qt::LeftButton);
}
QStringList titulos(Rejilla* r) {
    QStringList t;
    for (int c = 1; c < r->modelo()->numColumnas(); ++c)
        t << r->texto(0, c);
    return t;
}
void mostrar(QWidget* w) {
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
    clic(w, "cmdAceptar");
}
int conceptos(const char* condicion = "", const QVariantList& valores = {}) {
    return contar("tblCobrosConceptos", condicion, valores);
}

/** Family members and accounts: rows belong to the tenant the window was opened for. */
template <class Editor>
void deSuInquilino(const QString& tabla, const QStringList& cajas, const QString& titulo,
                   const QString& pregunta,
                   const QStringList& primeros = {u"DeLuis"_s, u"Zeta"_s, u"Beta"_s}) {
    Entorno e;
    const int ana = e.inquilino(u"Ana"_s);
    const int luis = e.inquilino(u"Luis"_s);
    Editor otro(luis);
    mostrar(&otro);
    clic(&otro, "cmdNovo");
    escribir(&otro, {caja(&otro, cajas[0])}, {primeros[0]});

    Editor w(ana);
    mostrar(&w);
    Rejilla* r = rejillaDe(&w);
    QVERIFY(r->numFilas() <= 1); // no rows, with or without headings
    clic(&w, "cmdNovo");
    QCOMPARE(caja(&w, cajas[1])->geometry(), r->rectCelda(1, 2));
    clic(&w, "cmdCancelar");
    QVERIFY(r->numFilas() <= 1);
    const QList<QLineEdit*> lineas{caja(&w, cajas[0]), caja(&w, cajas[1])};
    clic(&w, "cmdNovo");
    escribir(&w, lineas, {primeros[1], u"Z1"_s});
    clic(&w, "cmdNovo");
    escribir(&w, lineas, {primeros[2], u"B1"_s});
    QCOMPARE(r->texto(1, 2), u"B1"_s); // listed in order, not as typed
    QCOMPARE(r->texto(2, 1), primeros[1]);
    QCOMPARE(Entorno::contar(tabla, u"IdInq = ?"_s, {ana}), 2);
    QCOMPARE(titulos(r).value(0), titulo);
    // Z1 and B1 are no N.I.F.: the family editor warned and kept them.
    Mensaje::limpiarHistorial();
    clic(&w, "cmdBorrar");
    QCOMPARE(Mensaje::textos(), QStringList{pregunta});
    QCOMPARE(r->numFilas(), 2);

    Editor otraVez(luis);
    mostrar(&otraVez);
    QCOMPARE(rejillaDe(&otraVez)->numFilas(), 2);
    QCOMPARE(rejillaDe(&otraVez)->texto(1, 1), primeros[0]);
}

/** Opens an editor of the tenant from the list's button; the tenant and caption it got. */
template <class Editor> QString abrirDesde(QWidget* lista, const char* nombre) {
    QString recibido;
    cuandoAparezca<Editor>([&recibido](Editor* w) {
        recibido = u"%1 %2"_s.arg(w->idInquilino()).arg(w->windowTitle());
        w->close();
    });
    clic(lista, nombre);
    return recibido;
}

struct Serie {
    frmSeriesF w;
    Rejilla* rejilla;
    QFrame* marco;
    QLineEdit *id, *cod, *des;

    Serie()
        : rejilla(w.findChild<Rejilla*>(u"dtgDetalles"_s))
        , marco(w.findChild<QFrame*>(u"fraDetalles"_s))
        , id(w.findChild<QLineEdit*>(u"txtDetalle_0"_s))
        , cod(w.findChild<QLineEdit*>(u"txtDetalle_1"_s))
        , des(w.findChild<QLineEdit*>(u"txtDetalle_2"_s)) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    QToolButton* boton(const QString& nombre) { return w.findChild<QToolButton*>(nombre); }
    void pulsar(const QString& nombre) { QTest::mouseClick(boton(nombre), Qt::LeftButton); }
    bool enabled(const QString& nombre) { return boton(nombre)->isEnabled(); }
};

/** An editor window, how a row (or a field) is typed in it and how it shows once saved. */
struct Editor {
    std::function<std::unique_ptr<QDialog>(Entorno&)> crear;
    std::function<void(QDialog*)> escribirFila;
    const char* tabla;
    const char* guardada;
    const char* salir = "cmdSalir";
};

template <class T> std::unique_ptr<QDialog> deInquilino(Entorno& e) {
    return std::make_unique<T>(e.inquilino(u"Ana"_s));
}

void nuevaFila(QDialog* w, const char* boton, const QStringList& cajas, const QStringList& textos) {
    hijo<QAbstractButton>(w, boton)->click();
    for (int i = 0; i < cajas.size(); ++i)
        escribir(caja(w, cajas[i]), textos[i]);
}

const QHash<QByteArray, Editor>& editores() {
    static const QHash<QByteArray, Editor> lista{
        {"conceptos",
         {[](Entorno&) { return std::make_unique<frmCobrosConceptos>(); },
          [](QDialog* w) { nuevaFila(w, "cmdNovo", {u"txtDes"_s}, {u"Luz"_s}); },
          "tblCobrosConceptos", "Des = 'Luz'"}},
        {"tipos de IVA",
         {[](Entorno&) { return std::make_unique<frmIvas>(); },
          [](QDialog* w) {
              nuevaFila(w, "cmdNovo", {u"txtTipo"_s, u"txtPorIva"_s}, {u"9"_s, u"10"_s});
          },
          "tblIva", "TIV = 9"}},
        {"familiares",
         {&deInquilino<frmInquilinosFamiliares>,
          [](QDialog* w) {
              nuevaFila(w, "cmdNovo", {u"txtNom"_s, u"txtDNI"_s}, {u"Iria"_s, u"12345678Z"_s});
          },
          "tblInquilinosFamiliares", "Nom = 'Iria'"}},
        {"cuentas",
         {&deInquilino<frmInquilinosCuentas>,
          [](QDialog* w) {
              nuevaFila(w, "cmdNovo", {u"txtIBAN"_s}, {u"ES9121000418450200051332"_s});
          },
          "tblInquilinosCuentas", "IBAN = 'ES9121000418450200051332'"}},
        {"series",
         {[](Entorno&) { return std::make_unique<frmSeriesF>(); },
          [](QDialog* w) {
              nuevaFila(w, "cmdNovaP", {u"txtDetalle_1"_s, u"txtDetalle_2"_s}, {u"C"_s, u"Otra"_s});
          },
          "tblSeriesF", "Cod = 'C'"}},
        {"configuración",
         {[](Entorno&) { return std::make_unique<frmConfiguracion>(ventanas()); },
          [](QDialog* w) { escribir(caja(w, "txtDatos_0"), u"Nueva"_s); }, "tblTitulos",
          "Empresa = 'Nueva'", "cmdPechar"}},
    };
    return lista;
}

} // namespace

class TestEditores : public QObject {
    Q_OBJECT

private slots:
    void salirSinPerderLoEscrito_data() {
        QTest::addColumn<QByteArray>("editor");
        QTest::addColumn<QByteArray>("como");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<bool>("abierta");
        QTest::addColumn<int>("guardadas");
        const auto no = int(Mensaje::Respuesta::No);
        const auto si = int(Mensaje::Respuesta::Si);
        const auto cancelar = int(Mensaje::Respuesta::Cancelar);
        for (const QByteArray& editor : editores().keys()) {
            // Escape leaves a row being typed; the window stays (Configuración has no rows).
            const bool conFilas = editor != "configuración";
            fila(editor + " Esc, Cancelar", editor, QByteArray("Esc"), cancelar, true, 0);
            fila(editor + " Esc, Sí", editor, QByteArray("Esc"), si, conFilas, 1);
            fila(editor + " Alt+F4, No", editor, QByteArray("cerrar"), no, false, 0);
            fila(editor + " Alt+F4, Cancelar", editor, QByteArray("cerrar"), cancelar, true, 0);
            fila(editor + " Salir, Sí", editor, QByteArray("Salir"), si, false, 1);
        }
    }

    void salirSinPerderLoEscrito() {
        QFETCH(QByteArray, editor);
        QFETCH(QByteArray, como);
        QFETCH(int, respuesta);
        QFETCH(bool, abierta);
        QFETCH(int, guardadas);
        Entorno e;
        const Editor& ed = editores()[editor];
        // With nothing typed, Escape just closes, asking nothing.
        std::unique_ptr<QDialog> vacia = ed.crear(e);
        mostrar(vacia.get());
        QTest::keyClick(vacia.get(), Qt::Key_Escape);
        QVERIFY(!vacia->isVisible());

        std::unique_ptr<QDialog> w = ed.crear(e);
        mostrar(w.get());
        ed.escribirFila(w.get());
        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(static_cast<Mensaje::Respuesta>(respuesta));
        if (como == "Esc")
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w.get(), Qt::Key_Escape);
        else if (como == "cerrar")
            w->close(); // the close box and Alt+F4
        else
            hijo<QAbstractButton>(w.get(), ed.salir)->click();
        // «Salir» of Configuración saves without asking; everything else asks.
        const bool guarda = como == "Salir" && qstrcmp(ed.salir, "cmdPechar") == 0;
        QCOMPARE(Mensaje::textos(),
                 guarda ? QStringList() : QStringList{u"¿Guardar los cambios?"_s});
        QCOMPARE(w->isVisible(), abierta);
        QCOMPARE(contar(ed.tabla, ed.guardada), guardadas);
        // Cancelar goes back to the typing, which is still there.
        if (respuesta == int(Mensaje::Respuesta::Cancelar))
            QVERIFY(!w->findChildren<QLineEdit*>().isEmpty() && w->focusWidget() != nullptr);
    }

    void conceptosNuevoImporteYCancelar() {
        Entorno e;
        frmCobrosConceptos w;
        mostrar(&w);
        Rejilla* r = rejillaDe(&w);
        clic(&w, "cmdEditar");
        clic(&w, "cmdBorrar");
        QVERIFY(Mensaje::textos().isEmpty());

        clic(&w, "cmdNovo");
        QLineEdit* des = caja(&w, "txtDes");
        QLineEdit* imp = caja(&w, "txtImp");
        QVERIFY(des->isVisible() && des->hasFocus());
        QVERIFY(!r->isEnabled() && !hijo<QPushButton>(&w, "cmdNovo")->isEnabled());
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
        pulsarEnter(imp);
        pulsarEnter(caja(&w, "txtObs"));
        QVERIFY(hijo<QPushButton>(&w, "cmdAceptar")->hasFocus());
        clic(&w, "cmdAceptar");
        QCOMPARE(conceptos("Id = 1 AND Des = 'Luz' AND Imp = ?", {guardar(eur(u"1234,5"_s))}), 1);
        QCOMPARE(r->texto(1, 2), u"1.234,50"_s);
        QVERIFY(hijo<QPushButton>(&w, "cmdNovo")->hasFocus());
        QVERIFY(!des->isVisible() && r->isEnabled());

        // An amount never typed saves as 0.
        clic(&w, "cmdNovo");
        escribir(&w, {des}, {u"Agua"_s});
        QCOMPARE(conceptos("Id = 2 AND Imp = 0"), 1);
        QCOMPARE(textoDe(&w, "lblInfo"), u"Se encontraron 2 conceptos"_s);

        // Novo and then Escape leaves the grid as it was; Escape while browsing closes.
        r->fijarFilaActual(2);
        clic(&w, "cmdNovo");
        QCOMPARE(r->numFilas(), 4);
        QTest::keyClick(des, Qt::Key_Escape);
        QCOMPARE(r->numFilas(), 3);
        QCOMPARE(r->filaActual(), 2);
        QVERIFY(!des->isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void conceptosEditarCancelarYBorrar() {
        Entorno e;
        for (const QString& des : {u"Uno"_s, u"Dos"_s, u"Tres"_s, u"Cuatro"_s})
            e.concepto(des, 1234.5);
        frmCobrosConceptos w;
        mostrar(&w);
        Rejilla* r = rejillaDe(&w);
        QLineEdit* des = caja(&w, "txtDes");
        r->fijarFilaActual(2);
        clic(&w, "cmdEditar");
        QCOMPARE(des->text(), u"Dos"_s);
        QCOMPARE(caja(&w, "txtImp")->text(), u"1.234,50"_s);
        QCOMPARE(des->geometry(), r->rectCelda(2, 1));
        teclear(des, u"Otra"_s);
        // With the table out of reach, cancelling must still show the old row.
        QVERIFY(QSqlQuery(Conexion()).exec(u"ALTER TABLE tblCobrosConceptos RENAME TO apartada"_s));
        clic(&w, "cmdCancelar");
        QVERIFY(QSqlQuery(Conexion()).exec(u"ALTER TABLE apartada RENAME TO tblCobrosConceptos"_s));
        QCOMPARE(r->texto(2, 1), u"Dos"_s);
        QVERIFY(Mensaje::textos().isEmpty());

        r->fijarFilaActual(2);
        QTest::keyClick(r, Qt::Key_Return); // Enter or a double click edits too
        QVERIFY(des->isVisible());
        escribir(&w, {des, caja(&w, "txtImp")}, {u"Gastos"_s, u"80.25"_s});
        QCOMPARE(conceptos("Id = 2 AND Des = 'Gastos' AND Imp = ?", {guardar(eur(u"80,25"_s))}), 1);

        // Closing the window mid-edit drops the change when the user says so.
        clic(&w, "cmdEditar");
        teclear(des, u"Nada"_s);
        Mensaje::responderSiguiente(Mensaje::Respuesta::No);
        w.close();
        QCOMPARE(conceptos("Des = 'Nada'"), 0);

        // Deleting: asked first, then the row above is selected; the top row stays on top.
        mostrar(&w);
        r->fijarFilaActual(4);
        const QString ultimo = r->texto(4, 1);
        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(false);
        clic(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos(), QStringList{u"¿Eliminar "_s + ultimo + u"?"_s});
        QCOMPARE(conceptos(), 4);
        clic(&w, "cmdBorrar");
        QCOMPARE(conceptos("Des = ?", {ultimo}), 0);
        QCOMPARE(r->filaActual(), 3);
        r->fijarFilaActual(1);
        const QString segundo = r->texto(2, 1);
        clic(&w, "cmdBorrar");
        QCOMPARE(r->filaActual(), 1);
        QCOMPARE(r->texto(1, 1), segundo);
        while (conceptos() > 0)
            clic(&w, "cmdBorrar");
        QCOMPARE(titulos(r),
                 (QStringList{u"Descripción"_s, u"Precio"_s, u"Observaciones"_s, u""_s}));
        QCOMPARE(r->numFilas(), 1);
        // The largest Id is free again.
        clic(&w, "cmdNovo");
        escribir(&w, {des}, {u"Nuevo"_s});
        QCOMPARE(conceptos("Id = 1"), 1);
    }

    void fallosDeLaBaseDejanLaVentanaUsable() {
        Entorno e;
        e.concepto(u"Alquiler"_s, 500);
        for (const QString& orden : {u"INSERT"_s, u"DELETE"_s})
            QVERIFY(QSqlQuery(Conexion())
                        .exec((Entorno::enServidor
                                   ? u"CREATE TRIGGER sin%1 BEFORE %1 ON tblCobrosConceptos FOR"
                                     u" EACH ROW EXECUTE FUNCTION torvane_rechazar('bloqueada')"_s
                                   : u"CREATE TRIGGER sin%1 BEFORE %1 ON tblCobrosConceptos"
                                     u" BEGIN SELECT RAISE(ABORT, 'bloqueada'); END"_s)
                                  .arg(orden)));
        frmCobrosConceptos w;
        mostrar(&w);
        clic(&w, "cmdNovo");
        escribir(&w, {caja(&w, "txtDes")}, {u"Luz"_s});
        QCOMPARE(Mensaje::historial().size(), 1);
        QCOMPARE(Mensaje::historial().first().icono, Mensaje::Icono::Critico);
        QVERIFY(hijo<QPushButton>(&w, "cmdNovo")->isEnabled() && !caja(&w, "txtDes")->isVisible());
        QCOMPARE(rejillaDe(&w)->numFilas(), 2);
        clic(&w, "cmdBorrar");
        QCOMPARE(Mensaje::historial().last().icono, Mensaje::Icono::Critico);
        QCOMPARE(rejillaDe(&w)->texto(1, 1), u"Alquiler"_s);
    }

    void ivas() {
        Entorno e;
        e.tipoIva(1, 21);
        frmIvas w;
        mostrar(&w);
        Rejilla* r = rejillaDe(&w);
        QLineEdit* tipo = caja(&w, "txtTipo");
        auto* activo = w.findChild<QCheckBox*>(u"chkActivo"_s);
        clic(&w, "cmdNovo");
        QVERIFY(activo->isChecked() && activo->isVisible());
        QCOMPARE(activo->x(), r->rectCelda(2, 4).x());

        // A code that is not a new whole number is refused and nothing is written.
        for (const QString& malo : {u""_s, u"abc"_s, u"2,5"_s, u"1"_s}) {
            Mensaje::limpiarHistorial();
            escribir(&w, {tipo}, {malo});
            QCOMPARE(Mensaje::textos().size(), 1);
            QVERIFY(tipo->isVisible() && tipo->hasFocus());
        }
        QCOMPARE(contar("tblIva"), 1);
        enfocar(caja(&w, "txtPorIva"));
        teclear(caja(&w, "txtPorIva"), u"10.5"_s);
        activo->setChecked(false);
        escribir(&w, {tipo}, {u"2"_s});
        QCOMPARE(contar("tblIva", "TIV = 2 AND IVA = 10.5 AND Req = 0 AND Activo = 0"), 1);
        QCOMPARE(r->texto(2, 2), u"10,5"_s);
        QCOMPARE(r->texto(2, 4), u"NO"_s);

        // Editing may change the code itself, and keeping it is no duplicate.
        r->fijarFilaActual(2);
        clic(&w, "cmdEditar");
        QVERIFY(tipo->hasFocus() && !activo->isChecked());
        escribir(&w, {caja(&w, "txtPorRec")}, {u"1.4"_s});
        QCOMPARE(contar("tblIva", "TIV = 2 AND Req = 1.4"), 1);
        r->fijarFilaActual(2);
        clic(&w, "cmdEditar");
        escribir(&w, {tipo}, {u"4"_s});
        QCOMPARE(contar("tblIva", "TIV = 4 AND IVA = 10.5"), 1);
        QCOMPARE(contar("tblIva"), 2);

        Mensaje::limpiarHistorial();
        clic(&w, "cmdBorrar");
        clic(&w, "cmdBorrar");
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
        frmInquilinosCuentas w(e.inquilino(u"Ana"_s));
        mostrar(&w);
        const QList<QLineEdit*> cajas{caja(&w, "txtIBAN"), caja(&w, "txtMandato"),
                                      caja(&w, "mskFirma")};
        clic(&w, "cmdNovo");
        Mensaje::responderSiguiente(false);
        escribir(&w, cajas, {u"ES91 2100 0418 4502 0005 1333"_s, {}, u"10012024"_s});
        QVERIFY(Mensaje::textos().value(0).contains(u"dígito de control"_s));
        QCOMPARE(contar("tblInquilinosCuentas"), 0);
        QVERIFY(cajas[0]->hasFocus());
        clic(&w, "cmdAceptar");
        QCOMPARE(Entorno::contar(u"tblInquilinosCuentas"_s,
                                 u"IBAN = 'ES9121000418450200051333' AND MndRef = 'ALQ-00001-00001'"
                                 u" AND MndFec = '2024-01-10' AND MndPri = 0"_s),
                 1);
        clic(&w, "cmdNovo");
        Mensaje::limpiarHistorial();
        escribir(&w, cajas, {u"ES9121000418450200051332"_s, u"ALQ-00001-00001"_s, u"01022024"_s});
        QVERIFY(Mensaje::textos().value(0).contains(u"ya la tiene otra cuenta (Ana)"_s));
        escribir(&w, {cajas[1], cajas[2]}, {u"M 2"_s, {}});
        QVERIFY(Mensaje::textos().value(1).contains(u"sin espacios"_s));
        QCOMPARE(contar("tblInquilinosCuentas"), 1);
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
        frmAtopar buscar(ventanas(), u"Conceptos"_s);
        mostrar(&buscar);
        clic(&buscar, "cmdNuevo");
        QCOMPARE(titulo, u"COBROS. Conceptos"_s);

        frmInquilinos lista(ventanas());
        mostrar(&lista);
        Rejilla* r = rejillaDe(&lista);
        r->fijarFilaActual(2);
        QCOMPARE(abrirDesde<frmInquilinosCuentas>(&lista, "cmdCuentas"),
                 u"%1 Cuentas bancarias de LUIS PEÑA"_s.arg(luis));
        QCOMPARE(r->filaActual(), 2);
        r->fijarFilaActual(2, 3);
        QCOMPARE(abrirDesde<frmInquilinosFamiliares>(&lista, "cmdFamiliares"),
                 u"%1 Familiares de LUIS PEÑA"_s.arg(luis));
        QCOMPARE(r->filaActual(), 2);
        QCOMPARE(r->columnaActual(), 3);
        QCOMPARE(lista.focusWidget(), r);
    }

    void nuevaCodigoYCancelar() {
        Entorno e;
        Serie s;
        QVERIFY(s.enabled(u"cmdNovaP"_s) && !s.enabled(u"cmdEditarP"_s) &&
                !s.enabled(u"cmdBorrarP"_s) && !s.enabled(u"cmdAceptarP"_s));
        QVERIFY(!s.marco->isVisible());
        s.pulsar(u"cmdNovaP"_s);
        QVERIFY(s.marco->isVisible() && !s.rejilla->isEnabled());
        QCOMPARE(s.id->text(), QString()); // given when stored
        QVERIFY(s.cod->hasFocus());
        s.pulsar(u"cmdCancelarP"_s);
        QVERIFY(!s.marco->isVisible() && !s.enabled(u"cmdEditarP"_s));

        s.pulsar(u"cmdNovaP"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(Mensaje::textos(), QStringList{u"Ponga una serie"_s});
        QVERIFY(s.marco->isVisible() && s.cod->hasFocus());
        teclear(s.cod, u"abc"_s);
        QCOMPARE(s.cod->text(), u"AB"_s);
        pulsarEnter(s.cod);
        teclear(s.des, u"Alquileres"_s);
        pulsarEnter(s.des);
        QVERIFY(s.boton(u"cmdAceptarP"_s)->hasFocus());
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(contar("tblSeriesF", "Id = 1 AND Cod = 'AB' AND Des = 'Alquileres'"), 1);
        QVERIFY(!s.marco->isVisible() && s.enabled(u"cmdEditarP"_s));
        QCOMPARE(s.rejilla->texto(1, 1), u"AB"_s);

        // Two series may not share a code, and saving on Escape is refused the same way;
        // Cancelar goes back to browsing.
        Mensaje::limpiarHistorial();
        s.pulsar(u"cmdNovaP"_s);
        teclear(s.cod, u"ab"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(Mensaje::textos().size(), 1);
        QCOMPARE(contar("tblSeriesF"), 1);
        QTest::keyClick(s.cod, Qt::Key_Escape);
        QCOMPARE(Mensaje::textos().size(), 3);
        QVERIFY(s.w.isVisible() && s.marco->isVisible());
        s.pulsar(u"cmdCancelarP"_s);
        QVERIFY(s.enabled(u"cmdEditarP"_s) && s.rejilla->isEnabled());
    }

    void serieUsadaNiSeEditaNiSeBorra() {
        Entorno e;
        e.serie(u"A"_s, u"Usada"_s);
        e.serie(u"B"_s, u"Libre"_s);
        e.documento(1, u"A"_s, QDate(2024, 5, 1));
        Serie s;
        const QString usada = u"Hay una factura emitida con esta serie"_s;
        s.rejilla->fijarFilaActual(1);
        s.pulsar(u"cmdEditarP"_s);
        QTest::keyClick(s.rejilla, Qt::Key_Return);
        const QRect celda = s.rejilla->visualRect(s.rejilla->modelo()->index(0, 1));
        QTest::mouseClick(s.rejilla->viewport(), Qt::LeftButton, {}, celda.center());
        QTest::mouseDClick(s.rejilla->viewport(), Qt::LeftButton, {}, celda.center());
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(Mensaje::textos(), QStringList(4, usada));
        QVERIFY(!s.marco->isVisible());
        QCOMPARE(contar("tblSeriesF"), 2);

        Mensaje::limpiarHistorial();
        s.rejilla->fijarFilaActual(2);
        s.pulsar(u"cmdEditarP"_s);
        QCOMPARE(s.cod->text(), u"B"_s);
        s.des->selectAll();
        teclear(s.des, u"Facturas"_s);
        s.pulsar(u"cmdAceptarP"_s);
        QCOMPARE(contar("tblSeriesF", "Id = 2 AND Cod = 'B' AND Des = 'Facturas'"), 1);

        s.rejilla->fijarFilaActual(2);
        Mensaje::responderSiguiente(false);
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(contar("tblSeriesF"), 2);
        s.pulsar(u"cmdBorrarP"_s);
        const Mensaje::Registro pregunta = Mensaje::historial().last();
        QCOMPARE(pregunta.texto, u"¿Está seguro de eliminar la serie B?"_s);
        QCOMPARE(pregunta.titulo, u"Atención!!"_s);
        QCOMPARE(contar("tblSeriesF", "Cod = 'B'"), 0);
        QCOMPARE(s.rejilla->numFilas(), 2);

        // The last series gone, the list is empty again.
        ejecutar(u"DELETE FROM tblCobros"_s);
        s.pulsar(u"cmdBorrarP"_s);
        QCOMPARE(contar("tblSeriesF"), 0);
        QVERIFY(!s.enabled(u"cmdBorrarP"_s) && s.enabled(u"cmdNovaP"_s));
    }
};

TORVANE_TEST_MAIN(TestEditores)
#include "tst_editores.moc"
