// Tenants and properties: their lists, record windows, the search window and the global search.
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmuebles.h"
#include "registers/frmInmueblesCargos.h"
#include "registers/frmInmueblesFicha.h"
#include "registers/frmInquilinos.h"
#include "registers/frmInquilinosFicha.h"
#include "search/frmBusqueda.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "ui/Mensajes.h"

using namespace torvane;

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

/** Replaces a box's text; typed through keys when it is plain ASCII (key clicks carry no accents).
 */
void rellenar(QLineEdit* c, const QString& texto) {
    c->clear();
    bool ascii = true;
    for (QChar ch : texto)
        ascii = ascii && ch.unicode() < 128;
    if (ascii)
        teclear(c, texto);
    else
        c->insert(texto);
}

/** Answers the search window by choosing the tenant whose name contains filtro, or Escape. */
void elegirInquilino(const QString& filtro) {
    cuandoAparezca<frmAtopar>([filtro](frmAtopar* w) {
        auto* txtFiltro = caja(w, "txtFiltro");
        if (filtro.isEmpty()) return QTest::keyClick(txtFiltro, Qt::Key_Escape);
        teclear(txtFiltro, filtro);
        pulsarEnter(txtFiltro);
        enfocar(rejillaDe(w));
        QTest::keyClick(rejillaDe(w), Qt::Key_Return);
    });
}

void aplicarFiltro(QWidget* w, const QString& texto) {
    caja(w, "txtFiltro")->clear();
    caja(w, "txtFiltro")->insert(texto);
    pulsarEnter(caja(w, "txtFiltro"));
}

} // namespace

class TestRegistros : public QObject {
    Q_OBJECT

private slots:
    void buscadorFiltra_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        const QStringList todos = lista("álvaro|GARCÍA LÓPEZ, ANA|O'Brien, Sean|Peña Ruiz, Luis");
        fila("inquilinos sin filtro", "Inquilinos", "", todos);
        fila("sin acentos", "Inquilinos", "garcia", QStringList{todos[1]});
        fila("eñe", "Inquilinos", "pena", QStringList{todos[3]});
        fila("comilla", "Inquilinos", "o'brien", QStringList{todos[2]});
        fila("un blanco", "Inquilinos", " ", todos.mid(1));
        fila("nada", "Inquilinos", "zz", QStringList());
        fila("inmuebles por inquilino", "Inmuebles", "LUIS", lista("Bajo comercial"));
        fila("inmuebles sin filtro", "Inmuebles", "",
             lista("Bajo comercial|Garaje 100%|Piso Centro"));
        fila("por ciento literal", "Conceptos", "100%", lista("Agua 100% repercutida"));
        fila("subrayado literal", "Conceptos", "z_g", lista("Luz_general"));
    }

    void buscadorFiltra() {
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
        frmAtopar w(ventanas(), estado);
        w.show();
        auto* rejilla = rejillaDe(&w);
        teclear(caja(&w, "txtFiltro"), filtro);
        pulsarEnter(caja(&w, "txtFiltro"));
        QCOMPARE(columna(rejilla, 2), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"), cuenta(nombres.size(), estado.toLower().chopped(1)));
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

    void buscadorEligeOSale_data() {
        QTest::addColumn<QString>("accion");
        fila("enter", u"enter"_s);
        fila("escape", u"escape"_s);
        fila("lista vacia", u"vacia"_s);
    }

    void buscadorEligeOSale() {
        QFETCH(QString, accion);
        const QString esperado = accion == u"enter"_s ? u"17"_s : QString();
        Entorno e;
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (17, 'Zoe'), (3, 'Ana')"_s);
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
        frmAtopar buscar(ventanas(), u"Inquilinos"_s);
        buscar.exec();
        QCOMPARE(buscar.elegido() ? QString::number(*buscar.elegido()) : QString(), esperado);
    }

    void buscadorAbreUnaFichaNueva() {
        Entorno e;
        e.inquilino(u"Ana"_s);
        e.inquilino(u"Luis"_s);
        frmAtopar w(ventanas(), u"Inquilinos"_s);
        w.show();
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), u"Inquilino nuevo"_s);
            QCOMPARE(textoDe(ficha, "txtId"), QString());
            teclear(caja(ficha, "txtNom"), u"Nuevo"_s);
            pulsar(ficha, "cmdAceptar");
        });
        pulsar(&w, "cmdNuevo");
        QCOMPARE(contar("tblInquilinos", "Nom = 'Nuevo'"), 1);
        QCOMPARE(rejillaDe(&w)->numFilas(), 4);
        QVERIFY(w.isVisible());
        QVERIFY(!w.elegido());
    }

    void resultadosAlEscribir_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QStringList>("esperados");
        const QString jose = u"Inquilino|José GARCÍA Núñez"_s;
        fila("nombre sin acentos", u"garcia nu"_s, QStringList{jose});
        fila("teléfono sin blancos", u"981100"_s, QStringList{jose});
        fila("móvil con blancos", u"111 222"_s, QStringList{jose});
        fila("N.I.F.", u"32145678z"_s, QStringList{jose});
        fila("IBAN", u"2080 0001 23"_s, QStringList{jose});
        fila("inmueble y dirección", u"LUGO"_s,
             QStringList{u"Inmueble|Bajo Rúa Nova"_s, u"Inmueble|Piso Avenida de Lugo 12"_s});
        fila("número con serie", u"57a"_s, QStringList{u"Recibo|57A"_s});
        fila("número, recientes primero", u"57"_s, QStringList{u"Recibo|57B"_s, u"Recibo|57A"_s});
        fila("importe", u"650"_s, QStringList{u"Recibo|157A"_s, u"Recibo|57A"_s});
        fila("importe con decimales", u"120,5"_s, QStringList{u"Recibo|57B"_s});
        QTest::newRow("comillas") << u"O'Brien \"x\""_s << QStringList{};
    }

    void resultadosAlEscribir() {
        QFETCH(QString, texto);
        QFETCH(QStringList, esperados);
        Entorno e;
        llenar(e);
        frmBusqueda w(ventanas());
        w.show();
        teclear(caja(&w, "txtBuscar"), texto);
        QCOMPARE(resultados(rejillaDe(&w)), esperados);
        QCOMPARE(textoDe(&w, "lblInfo"), cuenta(esperados.size(), u"resultado"_s));
    }

    void enterAbreLaFichaOLaHoja_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("bajar");
        QTest::addColumn<QString>("ventana");
        QTest::addColumn<QString>("caja");
        QTest::addColumn<QString>("valor");
        fila("inquilino", u"garcia"_s, 0, u"frmInquilinosFicha"_s, u"txtNom"_s,
             u"José GARCÍA Núñez"_s);
        fila("segundo inmueble", u"lugo"_s, 1, u"frmInmueblesFicha"_s, u"txtDes"_s,
             u"Piso Avenida de Lugo 12"_s);
        fila("recibo", u"157"_s, 0, u"frmCobrosHoja"_s, u"txtNumero"_s, u"157"_s);
    }

    void enterAbreLaFichaOLaHoja() {
        QFETCH(QString, texto);
        QFETCH(int, bajar);
        QFETCH(QString, ventana);
        QFETCH(QString, caja);
        QFETCH(QString, valor);
        Entorno e;
        llenar(e);
        frmBusqueda w(ventanas());
        w.show();
        auto* buscar = ::caja(&w, "txtBuscar");
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
            abierta = claseDe(ficha);
            leido = ficha->findChild<QLineEdit*>(caja)->text();
            ficha->done(QDialog::Rejected);
        });
        reloj.start(10);
        pulsarEnter(buscar);
        QCOMPARE(abierta, ventana);
        QCOMPARE(leido, valor);
        QCOMPARE(rejillaDe(&w)->filaActual(), bajar + 1);
        QCOMPARE(w.focusWidget(), buscar);
    }

    void muchosResultadosSeRecortan() {
        Entorno e;
        for (int i = 0; i < 60; ++i)
            e.inquilino(u"Pérez %1"_s.arg(i));
        frmBusqueda w(ventanas());
        w.show();
        teclear(caja(&w, "txtBuscar"), u"perez"_s);
        QCOMPARE(rejillaDe(&w)->numFilas(), 51);
        QVERIFY(textoDe(&w, "lblInfo").contains(u"50 primeros"_s));
    }

    void inquilinoNuevo_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QStringList>("mensajes");
        fila("sin nombre", "", lista("Ponga un nombre al inquilino"));
        fila("duplicado sin acentos", "garcia",
             lista("Este Inquilino ya está registrado, ponga otro"));
        QTest::newRow("correcto") << "O'Brien" << QStringList{};
    }

    void inquilinoNuevo() {
        QFETCH(QString, nombre);
        QFETCH(QStringList, mensajes);
        const bool guardado = mensajes.isEmpty();
        Entorno e;
        e.inquilino(u"GARCÍA"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (7, 'Siete')"_s);
        frmInquilinosFicha w(0);
        w.show();
        QCOMPARE(textoDe(&w, "txtId"), QString());
        // Another desk adds a tenant while this one types: each gets a code of its own.
        ejecutar(u"INSERT INTO tblInquilinos (Nom) VALUES ('Otro puesto')"_s);
        enfocar(caja(&w, "txtNom"));
        teclear(caja(&w, "txtNom"), nombre);
        pulsarEnter(caja(&w, "txtNom"));
        QVERIFY(caja(&w, "txtDNI")->hasFocus());
        teclear(caja(&w, "txtMob"), u"600123456789"_s); // one digit too many
        pulsar(&w, "cmdAceptar");
        QCOMPARE(Mensaje::textos(), mensajes);
        QCOMPARE(w.isVisible(), !guardado);
        QCOMPARE(textoDe(&w, "txtNom"), nombre);
        QCOMPARE(contar("tblInquilinos", "Id = 9 AND Mob = '60012345678'"), guardado ? 1 : 0);
        QCOMPARE(contar("tblInquilinos", "Id = 8 AND Nom = 'Otro puesto'"), 1);
    }

    void inquilinoEditado_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("queda");
        fila("mismo nombre", "Ana Pérez", "Ana Pérez");
        fila("solo mayúsculas", "ANA PÉREZ", "Ana Pérez");
        fila("nombre de otro", "luis gomez", "Ana Pérez");
        fila("nombre nuevo", "Ana Pérez Gil", "Ana Pérez Gil");
    }

    void inquilinoEditado() {
        QFETCH(QString, nombre);
        QFETCH(QString, queda);
        const bool rechazado = nombre != queda;
        Entorno e;
        const int ana = e.inquilino(u"Ana Pérez"_s, u"981"_s);
        e.inquilino(u"Luis Gómez"_s);
        ejecutar(u"UPDATE tblInquilinos SET Dir = 'Rúa Nova, 3', Pob = 'Lugo' WHERE Id = ?"_s,
                 {ana});
        frmInquilinosFicha w(ana);
        w.show();
        QCOMPARE(textoDe(&w, "txtTfn") + textoDe(&w, "txtDir"), u"981Rúa Nova, 3"_s);
        rellenar(caja(&w, "txtNom"), nombre);
        rellenar(caja(&w, "txtTfn"), u"982"_s);
        enfocar(caja(&w, "txtDir"));
        pulsarEnter(caja(&w, "txtDir"));
        QVERIFY(caja(&w, "txtCp")->hasFocus());
        rellenar(caja(&w, "txtPob"), u"Ourense"_s);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(textoDe(&w, "txtNom"), queda);
        QCOMPARE(Mensaje::textos().size(), rechazado ? 1 : 0);
        QCOMPARE(contar("tblInquilinos",
                        "Id = ? AND Nom = ? AND Tfn = '982' AND Dir = 'Rúa Nova, 3' AND"
                        " Pob = 'Ourense'",
                        {ana, queda}),
                 rechazado ? 0 : 1);
        if (!rechazado) return;
        // Escape cancels without saving.
        QTest::keyClick(caja(&w, "txtNom"), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(contar("tblInquilinos", "Tfn = '981'"), 1);
    }

    void inmuebleNuevoYPrecio_data() {
        QTest::addColumn<QString>("precio");
        QTest::addColumn<QString>("guardado"); // empty when refused
        fila("sin tocar", "-", "0");
        fila("punto como coma", "450.5", "450,5");
        fila("coma", "1234,5", "1234,5");
        fila("vacío", "", "");
        fila("letras", "abc", "");
    }

    void inmuebleNuevoYPrecio() {
        QFETCH(QString, precio);
        QFETCH(QString, guardado);
        Entorno e;
        frmInmueblesFicha w(ventanas(), 0);
        w.show();
        // A new property says it has no tenant, as it will once stored.
        QCOMPARE(textoDe(&w, "lblInquilino") + textoDe(&w, "txtPre"), u"(sin inquilino)0"_s);
        rellenar(caja(&w, "txtDes"), u"Ático"_s);
        if (precio != u"-"_s) rellenar(caja(&w, "txtPre"), precio);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(w.isVisible(), guardado.isEmpty());
        if (guardado.isEmpty()) {
            QCOMPARE(Mensaje::textos(), lista("Ponga un precio correcto"));
            QCOMPARE(textoDe(&w, "txtPre"), u"0"_s);
            return;
        }
        QCOMPARE(importeGuardado(
                     valorUnico(u"SELECT Pre FROM tblInmuebles WHERE Id = 1 AND IdInq = 0"_s)),
                 eur(guardado));
        frmInmueblesFicha otra(ventanas(), 1);
        otra.show();
        QCOMPARE(textoDe(&otra, "lblInquilino"), u"(sin inquilino)"_s);
    }

    void inmuebleAsignarYLiberar() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        const int luis = e.inquilino(u"Luis"_s);
        const int piso = e.inmueble(u"Piso"_s, ana);
        e.inmueble(u"Bajo"_s);
        const auto inquilinoGuardado = [piso] {
            return valorUnico(u"SELECT IdInq FROM tblInmuebles WHERE Id = ?"_s, {piso}).toInt();
        };
        {
            // Escape in the search window keeps the tenant; a choice is stored on Accept.
            frmInmueblesFicha w(ventanas(), piso);
            w.show();
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Ana"_s);
            elegirInquilino(QString());
            pulsar(&w, "cmdInquilino");
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Ana"_s);
            elegirInquilino(u"lu"_s);
            pulsar(&w, "cmdInquilino");
            QCOMPARE(textoDe(&w, "lblInquilino"), u"Luis"_s);
            QCOMPARE(inquilinoGuardado(), ana);
            pulsar(&w, "cmdAceptar");
            QCOMPARE(inquilinoGuardado(), luis);
        }
        // Escape asks to release: No changes nothing, Yes releases on Accept only.
        frmInmueblesFicha w(ventanas(), piso);
        w.show();
        Mensaje::responderSiguiente(false);
        QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(textoDe(&w, "lblInquilino"), u"Luis"_s);
        QTest::keyClick(caja(&w, "txtDes"), Qt::Key_Escape);
        QCOMPARE(Mensaje::textos(), lista("¿Liberar Inquilino?|¿Liberar Inquilino?"));
        QCOMPARE(textoDe(&w, "lblInquilino"), u"(sin inquilino)"_s);
        QCOMPARE(inquilinoGuardado(), luis);
        // A duplicate description (another case) is refused and the loaded one restored.
        rellenar(caja(&w, "txtDes"), u"BAJO"_s);
        pulsar(&w, "cmdAceptar");
        QCOMPARE(Mensaje::textos().last(), u"Esta descripción ya existe, ponga otra"_s);
        QCOMPARE(textoDe(&w, "txtDes"), u"Piso"_s);
        pulsar(&w, "cmdAceptar");
        QVERIFY(!w.isVisible());
        QCOMPARE(inquilinoGuardado(), 0);
    }

    void cargosMensualesYConceptos() {
        Entorno e;
        const int piso = e.inmueble(u"Piso"_s);
        // Lines shown, then what Enter on the code left: the concept's text and price, or what
        // was said at once.
        const auto probar = [piso](const QString& codigo) {
            frmInmueblesCargos w(piso);
            w.show();
            enfocar(caja(&w, "txtCon"));
            teclear(caja(&w, "txtCon"), codigo);
            pulsarEnter(caja(&w, "txtCon"));
            const bool cargado = w.focusWidget() == caja(&w, "txtUnd");
            return QString::number(hijo<Rejilla>(&w, "mshLineas")->numFilas() - 1) + u'|' +
                   (cargado ? textoDe(&w, "txtDesCon") + u'|' + textoDe(&w, "txtPre")
                            : Mensaje::textos().value(0));
        };
        // A year without concept 1 is proposed no rent line.
        QCOMPARE(probar(u"7"_s), u"0|Ese concepto no existe. Ponga otro"_s);
        e.concepto(u"Alquiler"_s, 0);
        e.concepto(u"Agua"_s, 12.5);
        QCOMPARE(probar(u"2"_s), u"1|Agua|12,50"_s);
        QCOMPARE(probar(u"agua"_s), u"1|Agua|12,50"_s);
    }

    void inmueblesFiltra_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("descripciones");
        fila("sin filtro, por código", "", lista("Local O'Donnell|Ático|Bajo B|Garaje 100%"));
        fila("descripción sin acentos", "atico", lista("Ático"));
        fila("código postal", "15001", lista("Local O'Donnell|Ático"));
        fila("población y provincia juntas", "coruña a coruña", lista("Local O'Donnell|Ático"));
        fila("calle y población sin código", "Real 1  Lugo", lista("Bajo B"));
        fila("nombre del inquilino", "PENA", lista("Ático|Garaje 100%"));
        fila("comilla", "o'donnell", lista("Local O'Donnell"));
        fila("por ciento", "100%", lista("Garaje 100%"));
        QTest::newRow("nada") << "nada" << QStringList{};
    }

    void inmueblesFiltra() {
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
        frmInmuebles w(ventanas());
        w.show();
        caja(&w, "txtFiltro")->insert(filtro);
        pulsar(&w, "cmdFiltrar");
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), descripciones);
        QCOMPARE(textoDe(&w, "lblInfo"), cuenta(descripciones.size(), u"inmueble"_s));
        if (!filtro.isEmpty()) return;
        QCOMPARE(columna(rejilla, 3), lista("|Peña||Peña"));
        QCOMPARE(rejilla->texto(3, 2), u"Real 1  Lugo Lugo"_s);
        QCOMPARE(rejilla->texto(4, 2), u"   "_s);
        QCOMPARE(rejilla->texto(2, 5), QString::number(pena));
    }

    void inmueblesEditarYBorrar() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inmueble(u"Piso %1"_s.arg(i));
        e.documento(1, u"A"_s, QDate(2024, 5, 1), 5);
        frmInmuebles w(ventanas());
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

        // A property with documents stays, so no document loses its property.
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos(),
                 lista("No se puede borrar: este inmueble tiene 1 documento en el año."));
        QCOMPARE(contar("tblInmuebles"), 40);
        ejecutar(u"DELETE FROM tblCobros"_s);
        Mensaje::limpiarHistorial();
        pulsar(&w, "cmdBorrar");
        QVERIFY(Mensaje::historial().first().noPorDefecto);
        QCOMPARE(Mensaje::textos(), lista("¿Borrar el inmueble Piso quinto?|PROCESO FINALIZADO"));
        QCOMPARE(contar("tblInmuebles", "Id = 5"), 0);
        QCOMPARE(contar("tblInmuebles"), 39);
        QCOMPARE(rejilla->numFilas(), 40);
        QCOMPARE(rejilla->filaActual(), 5);
    }

    void inquilinosFiltra_data() {
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QStringList>("nombres");
        fila("sin filtro, por nombre", "",
             lista("Ana GARCÍA|O'Brien|Peña, Luis|Sin datos|Zoe 100%"));
        fila("nombre sin acentos", "garcia", lista("Ana GARCÍA"));
        fila("eñe como ene", "PENA", lista("Peña, Luis"));
        QTest::newRow("solo el móvil") << "222 333" << QStringList{};
        fila("parte del móvil", "222333", lista("Peña, Luis"));
        fila("los dos teléfonos juntos", "111 6", lista("Ana GARCÍA"));
        fila("correo", "@correo.", lista("Ana GARCÍA|O'Brien"));
        fila("comilla", "o'b", lista("O'Brien"));
        fila("por ciento", "100%", lista("Zoe 100%"));
        fila("solo por ciento", "%", lista("Zoe 100%"));
    }

    void inquilinosFiltra() {
        QFETCH(QString, filtro);
        QFETCH(QStringList, nombres);
        Entorno e;
        e.inquilino(u"Ana GARCÍA"_s, u"981111111"_s, u"600"_s, u"ana@correo.es"_s);
        e.inquilino(u"Peña, Luis"_s, {}, u"600222333"_s, u"l@otro.com"_s);
        e.inquilino(u"O'Brien"_s, {}, {}, u"ob@correo.ie"_s);
        e.inquilino(u"Zoe 100%"_s);
        ejecutar(u"INSERT INTO tblInquilinos (Id, Nom) VALUES (9, 'Sin datos')"_s);
        frmInquilinos w(ventanas());
        w.show();
        aplicarFiltro(&w, filtro);
        auto* rejilla = rejillaDe(&w);
        QCOMPARE(columna(rejilla, 1), nombres);
        QCOMPARE(textoDe(&w, "lblInfo"), cuenta(nombres.size(), u"inquilino"_s));
        if (nombres.isEmpty()) QCOMPARE(rejilla->modelo()->columnCount(), 0);
        const int luis = nombres.indexOf(u"Peña, Luis"_s) + 1;
        if (luis > 0) QCOMPARE(rejilla->texto(luis, 2), u" 600222333"_s);
        if (filtro.isEmpty()) QCOMPARE(rejilla->texto(4, 2), u" "_s);
    }

    void inquilinosEditarVuelveALaFila() {
        Entorno e;
        for (int i = 1; i <= 40; ++i)
            e.inquilino(u"Inquilino %1"_s.arg(i, 2, 10, QLatin1Char('0')));
        frmInquilinos w(ventanas());
        w.resize(700, 400);
        w.show();
        auto* rejilla = rejillaDe(&w);
        rejilla->fijarFilaActual(7, 1);
        cuandoAparezca<frmInquilinosFicha>([](frmInquilinosFicha* ficha) {
            QCOMPARE(ficha->windowTitle(), u"Modificando INQUILINO 07"_s);
            caja(ficha, "txtNom")->setText(u"Alfa"_s);
            pulsar(ficha, "cmdAceptar");
        });
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Return);
        QCOMPARE(rejilla->texto(1, 1), u"Alfa"_s);
        QCOMPARE(rejilla->filaActual(), 7);
        QCOMPARE(rejilla->rowAt(0), 6);
    }

    void inquilinosBorrar() {
        Entorno e;
        const int ana = e.inquilino(u"Ana"_s);
        e.inquilino(u"Benito"_s);
        ejecutar(u"INSERT INTO tblInquilinosFamiliares (Id, Nom, IdInq) VALUES (1, "
                 "'Hijo', ?), (2, 'Hija', ?), (3, 'Otro', 99)"_s,
                 {ana, ana});
        ejecutar(u"INSERT INTO tblInquilinosCuentas (Id, IBAN, IdInq) VALUES (1, 'ES00', ?)"_s,
                 {ana});
        e.inmueble(u"Piso"_s, ana);
        frmInquilinos w(ventanas());
        w.show();
        Mensaje::responderSiguiente(false);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos(), lista("¿Borrar a Ana?"));
        QCOMPARE(contar("tblInquilinos"), 2);
        pulsar(&w, "cmdBorrar");
        QCOMPARE(Mensaje::textos().last(), u"PROCESO FINALIZADO"_s);
        QCOMPARE(columna(rejillaDe(&w), 1), lista("Benito"));
        QCOMPARE(contar("tblInquilinos", "Id = ?", {ana}), 0);
        QCOMPARE(contar("tblInquilinosFamiliares"), 1);
        QCOMPARE(contar("tblInquilinosCuentas"), 1);
        QCOMPARE(contar("tblInmuebles", "IdInq = ?", {ana}), 1);
        // An empty list has nothing to delete and asks nothing.
        aplicarFiltro(&w, u"zz"_s);
        Mensaje::limpiarHistorial();
        pulsar(&w, "cmdBorrar");
        QVERIFY(Mensaje::textos().isEmpty());
    }

    void inquilinosBotonFamiliares() {
        Entorno e;
        for (int i = 1; i <= 5; ++i)
            e.inquilino(u"Inquilino %1"_s.arg(i), {}, {}, u"i%1@correo.es"_s.arg(i));
        frmInquilinos w(ventanas());
        w.resize(700, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* rejilla = rejillaDe(&w);
        auto* familiares = hijo<QPushButton>(&w, "cmdFamiliares");
        // Shown beside the current cell only while the grid's fourth column is current.
        const auto alLado = [&] {
            const QRect celda = rejilla->rectCelda(rejilla->filaActual(), 3);
            return familiares->isVisible() && familiares->x() == celda.x() + celda.width() &&
                   familiares->y() == celda.y();
        };
        QVERIFY(!familiares->isVisible());
        rejilla->fijarFilaActual(2, 3);
        QVERIFY(alLado());
        enfocar(rejilla);
        QTest::keyClick(rejilla, Qt::Key_Down);
        QCOMPARE(rejilla->filaActual(), 3);
        QVERIFY(alLado());
        QTest::keyClick(rejilla, Qt::Key_Left);
        QVERIFY(!familiares->isVisible());
        QTest::keyClick(rejilla, Qt::Key_Right);
        QVERIFY(familiares->isVisible());
        w.resize(900, 500);
        QApplication::processEvents();
        QVERIFY(alLado());
        enfocar(caja(&w, "txtFiltro"));
        QVERIFY(!familiares->isVisible());
    }
};

TORVANE_TEST_MAIN(TestRegistros)
#include "tst_registros.moc"
