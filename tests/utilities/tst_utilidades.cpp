// The utilities: colours, settings, backups and the statistics.
#include "core/documents/Titulos.h"
#include "core/reports/Estadisticas.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Copia.h"
#include "core/store/Migraciones.h"
#include "core/store/Sesion.h"
#include "core/store/Unidades.h"
#include "core/text/Formato.h"
#include "editors/frmIvas.h"
#include "editors/frmSeriesF.h"
#include "reports/frmEstadisticas.h"
#include "support/Abrir.h"
#include "support/Ayudas.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "utilities/frmColor.h"
#include "utilities/frmConfiguracion.h"
#include "utilities/frmCopiaPen.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QLockFile>
#include <QPieSeries>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QThread>
#include <QToolButton>

using namespace torvane;

namespace {

QStringList marcas(frmColor& w, const QString& nombre) {
    QStringList textos;
    for (int i = 0; i < 10; ++i)
        textos << w.findChild<QLabel*>(nombre + u"_%1"_s.arg(i))->text();
    return textos;
}

QStringList marcaEn(int i) {
    QStringList textos(10);
    if (i >= 0) textos[i] = u">>>"_s;
    return textos;
}

void pulsar(frmColor& w, const QString& nombre) {
    QTest::mouseClick(w.findChild<QLabel*>(nombre), Qt::LeftButton);
}

// What start-up does with the colour files.
void reiniciar() {
    sesion().colorPrincipal = Modulo::LeerColor();
    sesion().colorFondo = Modulo::LeerColor2();
}

QWidget* caja(QWidget& w, int i) {
    return w.findChild<QWidget*>(u"txtDatos_%1"_s.arg(i));
}

void escribirEn(QWidget& w, int i, const QString& texto) {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(caja(w, i)))
        varias->setPlainText(texto);
    else
        static_cast<QLineEdit*>(caja(w, i))->setText(texto);
}

QString textoDe(QWidget& w, int i) {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(caja(w, i))) return varias->toPlainText();
    return static_cast<QLineEdit*>(caja(w, i))->text();
}

QComboBox* lista(QWidget& w, int i) {
    return w.findChild<QComboBox*>(u"cmbImpresora_%1"_s.arg(i));
}

void salir(QWidget& w) {
    w.findChild<QPushButton*>(u"cmdPechar"_s)->click();
}

// The program folder's settings point at the test's year, as they do at start-up.
void ajustes(const Entorno& e) {
    apuntarA(e.carpetaPrograma(), e.carpetaDatos(), u"2024"_s);
}

/** A copy window on folders standing in for removable drives. */
struct VentanaCopia {
    explicit VentanaCopia(const QStringList& unidades) {
        frmCopiaPen::fijarUnidades(QStringList{u"/"_s} + unidades);
        w.show();
    }
    ~VentanaCopia() { frmCopiaPen::fijarUnidades({}); }
    void pulsar(const char* boton) { w.findChild<QPushButton*>(QLatin1StringView(boton))->click(); }
    QLabel* aviso() { return w.findChild<QLabel*>(u"lblInforma"_s); }
    frmCopiaPen w{sesion()};
};

int documentos() {
    return Entorno::contar(u"tblCobros"_s);
}

// Runs one statement on the backup in carpeta, attached as "otra".
void modificarCopia(const QString& carpeta, const QString& sentencia) {
    QSqlQuery q(Conexion());
    q.prepare(u"ATTACH DATABASE ? AS otra"_s);
    q.addBindValue(carpeta + u"/Zudivoz.mdb"_s);
    QVERIFY(q.exec());
    QVERIFY2(q.exec(sentencia), qPrintable(q.lastError().text()));
    QVERIFY(q.exec(u"DETACH DATABASE otra"_s));
}

bool privado(const QString& archivo) {
    return QFileInfo::exists(archivo) && !(QFileInfo(archivo).permissions() & kDeOtros);
}

QStringList temporales(const QString& carpeta) {
    return QDir(carpeta).entryList({u"*.copiando*"_s, u"*.restaurando*"_s}, QDir::Files);
}

QStringList mesesDeFila(const Rejilla* rejilla, int fila) {
    QStringList textos;
    for (int c = 3; c <= 15; ++c)
        textos << rejilla->texto(fila, c);
    return textos;
}

QStringList soloEn(int columna, const QString& texto, const QString& total) {
    QStringList textos(12);
    textos[columna] = texto;
    return textos << total;
}

} // namespace

class TestUtilidades : public QObject {
    Q_OBJECT

private slots:
    void elegirYReiniciar() {
        Entorno e;
        const QString p = e.carpetaPrograma();
        reiniciar();
        {
            frmColor w(sesion());
            w.show();
            // No colour files: the first colour of each palette, never black.
            QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(0));
            QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(0));
            QCOMPARE(colorFondo(), colorDesdeNumero(0xC8C0F2));
            for (int bgr : kPaletaPrincipal)
                QCOMPARE(colorTexto(colorDesdeNumero(bgr)), QColor(Qt::black));
            QCOMPARE(fondoDe(w.findChild<QLabel*>(u"lblColor2_9"_s)), colorDesdeNumero(0xEAC97D));
            pulsar(w, u"lblColor_0"_s);
            QCOMPARE(contenidoDe(p + u"/color.ini"_s), QByteArray(" 15724025 \r\n"));
            QVERIFY(!QFile::exists(p + u"/color2.ini"_s));
            QCOMPARE(colorPrincipal(), colorDesdeNumero(0xEFEDF9));
            pulsar(w, u"lblColor2_4"_s);
            pulsar(w, u"lblColor_3"_s);
            QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(3));
            // Both palettes hold C0FFC0 at index 4; each follows its own colour only.
            QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(4));
        }
        QCOMPARE(contenidoDe(p + u"/color.ini"_s), QByteArray(" 16777215 \r\n"));
        QCOMPARE(contenidoDe(p + u"/color2.ini"_s), QByteArray(" 12648384 \r\n"));
        QCOMPARE(colorFondo(), colorDesdeNumero(0xC0FFC0));

        sesion().colorPrincipal.clear();
        sesion().colorFondo.clear();
        reiniciar();
        frmColor w(sesion());
        w.show();
        QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(3));
        QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(4));
    }

    void idaYVuelta() {
        Entorno e;
        const QString imp = e.carpetaPrograma() + u"/imp.ini"_s;
        QStringList valores;
        for (int i = 0; i < 10; ++i)
            valores << u"D%1 O'Brien"_s.arg(i);
        valores << u"7,5"_s << u"Exenta (art. 20.Uno.23.º LIVA)"_s;
        {
            frmConfiguracion w(ventanas());
            w.show();
            QCOMPARE(textoDe(w, 11), kTextoExentoComun);
            // No print service here: the system's default is all there is; «PDF» is a file.
            QCOMPARE(lista(w, 0)->count(), 1);
            QCOMPARE(lista(w, 0)->currentText(), u"Predeterminada del sistema"_s);
            QCOMPARE(lista(w, 1)->currentText(), u"Archivo PDF"_s);
            QVERIFY(!lista(w, 1)->isEnabled());
            for (int i = 0; i < 12; ++i)
                escribirEn(w, i, valores[i]);
            w.findChild<QComboBox*>(u"cmbTipEmi"_s)->setCurrentIndex(1);
            // The VAT editor opened from here leaves what was typed alone.
            bool abierto = false;
            cuandoAparezca<frmIvas>([&abierto](frmIvas* ivas) {
                abierto = true;
                ivas->done(QDialog::Rejected);
            });
            w.findChild<QToolButton*>(u"cmdIVA"_s)->click();
            QVERIFY(abierto);
            QCOMPARE(textoDe(w, 2), valores[2]);
            // A series made in the series editor can be ticked as soon as it closes.
            cuandoAparezca<frmSeriesF>([&e](frmSeriesF* series) {
                e.serie(u"L"_s, u"Locales"_s);
                series->done(QDialog::Rejected);
            });
            w.findChild<QToolButton*>(u"cmdSeries"_s)->click();
            auto* marcables = w.findChild<QListWidget*>(u"lstSeriesFactura"_s);
            QCOMPARE(marcables->findItems(u"L"_s, Qt::MatchExactly).size(), 1);
            QCOMPARE(textoDe(w, 2), valores[2]);
            salir(w);
            QVERIFY(!w.isVisible());
        }
        QCOMPARE(contenidoDe(imp), QByteArray("\r\nArchivo PDF\r\n"));
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 1);
        QCOMPARE(valorUnico(u"SELECT PorRet FROM tblTitulos"_s).toDouble(), 7.5);

        // A printer chosen before and not reachable today stays chosen until another is.
        guardarEn(imp, "Oficina_2.\xaa_planta\r\nArchivo PDF\r\n");
        frmConfiguracion w(ventanas());
        w.show();
        for (int i = 0; i < 12; ++i)
            QCOMPARE(textoDe(w, i), valores[i]);
        QCOMPARE(lista(w, 0)->currentText(), u"Oficina_2.ª_planta (no disponible ahora)"_s);
        QCOMPARE(w.findChild<QComboBox*>(u"cmbTipEmi"_s)->currentText(), u"Sociedad"_s);
        escribirEn(w, 0, u"Otra"_s);
        escribirEn(w, 11, QString()); // back to the common wording
        salir(w);
        QCOMPARE(contenidoDe(imp), u"Oficina_2.ª_planta\r\nArchivo PDF\r\n"_s.toUtf8());
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 1);
        QCOMPARE(valorUnico(u"SELECT Empresa || (TxtExento IS NULL) FROM tblTitulos"_s).toString(),
                 u"Otra1"_s);
    }

    void soloSalirGuardaYConUnNumero() {
        Entorno e;
        frmConfiguracion w(ventanas());
        w.show();
        // Enter moves on, from the multi-line box too, but stays in the last box.
        enfocar(caja(w, 6));
        pulsarEnter(caja(w, 6));
        QCOMPARE(QApplication::focusWidget(), caja(w, 7));
        // The exemption wording, last of "Empresa", sits between the account and data protection.
        enfocar(caja(w, 8));
        pulsarEnter(caja(w, 8));
        QCOMPARE(QApplication::focusWidget(), caja(w, 11));
        pulsarEnter(caja(w, 11));
        QCOMPARE(QApplication::focusWidget(), caja(w, 12));
        enfocar(caja(w, 13));
        pulsarEnter(caja(w, 13));
        QCOMPARE(QApplication::focusWidget(), caja(w, 9));
        enfocar(caja(w, 10));
        pulsarEnter(caja(w, 10));
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));

        // Leaving the withholding box with text that is no number keeps the focus there.
        escribirEn(w, 0, u"Sin guardar"_s);
        teclear(caja(w, 10), u"x"_s);
        enfocar(caja(w, 3));
        QTRY_COMPARE(Mensaje::textos(), QStringList{u"Ponga un nº"_s});
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));
        salir(w);
        QCOMPARE(Mensaje::textos(), QStringList(2, u"Ponga un nº"_s));
        QVERIFY(w.isVisible());
        Mensaje::responderSiguiente(Mensaje::Respuesta::No);
        w.reject();
        QVERIFY(!QFile::exists(e.carpetaPrograma() + u"/imp.ini"_s));
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 0);
        QCOMPARE(leerTipoEmisor(), TipoEmisor::Persona);
        guardarTipoEmisor(TipoEmisor::Sociedad);
        QCOMPARE(leerTipoEmisor(), TipoEmisor::Sociedad);
    }

    void copiarYRecuperar() {
        Entorno e;
        ajustes(e);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        QDir().mkpath(unidad);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        VentanaCopia v({unidad});

        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRealizar");
        QVERIFY(!QFile::exists(unidad + u"/CopiaTorvane"_s));
        QVERIFY(v.aviso()->isHidden());

        v.pulsar("cmdRealizar");
        const QString copia = unidad + u"/CopiaTorvane/2024/Zudivoz.mdb"_s;
        QVERIFY(verificarCopia(copia).isEmpty());
        QCOMPARE(v.aviso()->text(), u"La copia se ha completado"_s);

        // A second copy replaces the first; later changes are undone by the restore.
        e.documento(2, u"A"_s, QDate(2024, 2, 5), 0, 0, 20);
        v.pulsar("cmdRealizar");
        e.documento(3, u"A"_s, QDate(2024, 3, 5), 0, 0, 30);
        ejecutar(u"UPDATE tblCobros SET Tot = 9900 WHERE Id = 1"_s);
        QCOMPARE(documentos(), 3);

        Mensaje::limpiarHistorial();
        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 3);
        QVERIFY(Mensaje::textos().value(0).startsWith(u"¡ A T E N C I Ó N !\n"_s));

        v.pulsar("cmdRecuperar");
        QVERIFY(v.aviso()->text().startsWith(u"La recuperación se ha completado"_s));
        QVERIFY(Conexion().isOpen());
        QCOMPARE(documentos(), 2);
        QCOMPARE(valorUnico(u"SELECT Tot FROM tblCobros WHERE Id = 1"_s).toLongLong(), 1000);
        QVERIFY(v.w.isVisible());
        e.documento(4, u"A"_s, QDate(2024, 4, 5), 0, 0, 40);
        QCOMPARE(documentos(), 3);

        // A second restore keeps what it replaces too, beside the first kept file.
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 2);
        const QStringList guardadas = copiasAnteriores(sesion().rutaBD);
        QCOMPARE(guardadas.size(), 2);
        for (const QString& archivo : guardadas)
            QVERIFY2(verificarCopia(archivo).isEmpty(), qPrintable(archivo));
        for (const QString& archivo : guardadas + QStringList{sesion().rutaBD, copia})
            QVERIFY2(privado(archivo), qPrintable(archivo));
        QVERIFY(QFileInfo(guardadas.last())
                    .fileName()
                    .startsWith(u"Zudivoz.mdb.antes-de-restaurar-2"_s));

        // The oldest kept data (documents 1 to 3, the first at 99) comes back the same way.
        auto* anteriores = v.w.findChild<QComboBox*>(u"cboAnteriores"_s);
        QCOMPARE(anteriores->count(), 2);
        anteriores->setCurrentIndex(1);
        v.pulsar("cmdDevolver");
        QCOMPARE(documentos(), 3);
        QCOMPARE(valorUnico(u"SELECT Tot FROM tblCobros WHERE Id = 1"_s).toLongLong(), 9900);
        QCOMPARE(copiasAnteriores(sesion().rutaBD).size(), 3);
        QCOMPARE(anteriores->count(), 3);
    }

    void copiaDeOtroAno() {
        Entorno e;
        ajustes(e);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        const QString carpeta = unidad + u"/CopiaTorvane/2024"_s;
        QVERIFY(hacerCopia(carpeta).isEmpty());
        modificarCopia(carpeta, u"UPDATE otra.tblCobros SET Fec = '2019-01-05'"_s);
        e.documento(2, u"A"_s, QDate(2024, 2, 5), 0, 0, 20);
        VentanaCopia v({unidad});
        Mensaje::responderSiguiente(true);
        Mensaje::responderSiguiente(false);
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().last(),
                 u"La copia tiene documentos de 2019 y el año de trabajo es 2024.\n¿Desea "
                 "recuperarla de todos modos?"_s);
        QCOMPARE(documentos(), 2);
        QVERIFY(copiasAnteriores(sesion().rutaBD).isEmpty());
        v.pulsar("cmdRecuperar");
        QCOMPARE(documentos(), 1);

        // The admin tool refuses it unless told, and while the year is open, as the window asks.
        cerrarBaseDatos();
        const QStringList orden{u"recuperar"_s, e.carpetaDatos(), u"2024"_s, carpeta};
        const auto herramienta = [](const QStringList& argumentos) {
            QProcess p;
            p.start(qEnvironmentVariable("TORVANE_ADMIN"), argumentos);
            p.waitForFinished(60000);
            return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
        };
        QCOMPARE(herramienta(orden).first, 1);
        const QStringList aunque = orden + QStringList{u"--otro-año"_s};
        {
            QLockFile abierto(sesion().rutaBD + u".lock"_s);
            QVERIFY(abierto.tryLock(0));
            QCOMPARE(herramienta(aunque).first, 1);
        }
        QCOMPARE(copiasAnteriores(sesion().rutaBD).size(), 1);
        const auto [salida, texto] = herramienta(aunque);
        QCOMPARE(salida, 0);
        QVERIFY2(texto.contains(u"hay 2 copias así"_s), qPrintable(texto));
    }

    void copiaRechazada_data() {
        QTest::addColumn<bool>("sinUso");
        for (const char* caso : {"texto", "cortada", "ajena", "sin columnas", "más nueva",
                                 "sin archivo", "sin carpeta"})
            QTest::newRow(caso) << true;
    }

    void copiaRechazada() {
        const QString caso = QString::fromUtf8(QTest::currentDataTag());
        Entorno e;
        ajustes(e);
        e.documento(1, u"A"_s, QDate(2024, 1, 5), 0, 0, 10);
        const QString unidad = e.raiz() + u"/pendrive"_s;
        const QString carpeta = unidad + u"/CopiaTorvane/2024"_s;
        QDir().mkpath(caso == u"sin carpeta"_s ? unidad : carpeta);
        const QString copia = carpeta + u"/Zudivoz.mdb"_s;
        if (caso == u"texto"_s) guardarEn(copia, "esto no es una base de datos");
        if (caso == u"cortada"_s) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            const QByteArray entera = contenidoDe(copia);
            guardarEn(copia, entera.left(entera.size() / 2));
        }
        if (caso == u"ajena"_s) modificarCopia(carpeta, u"CREATE TABLE otra.fotos (Id INTEGER)"_s);
        if (caso == u"sin columnas"_s)
            for (const QString& tabla : tablasEsperadas())
                modificarCopia(carpeta, u"CREATE TABLE otra.%1 (x)"_s.arg(tabla));
        if (caso == u"más nueva"_s) {
            QVERIFY(hacerCopia(carpeta).isEmpty());
            modificarCopia(carpeta, u"PRAGMA otra.user_version = %1"_s.arg(versionEsquema() + 1));
        }
        const QByteArray antes = contenidoDe(sesion().rutaBD);
        VentanaCopia v({unidad});
        v.pulsar("cmdRecuperar");
        QCOMPARE(Mensaje::textos().size(), 2);
        QVERIFY(!Mensaje::textos().last().isEmpty());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(copiasAnteriores(sesion().rutaBD).isEmpty());
        QCOMPARE(contenidoDe(sesion().rutaBD), antes);
        QCOMPARE(documentos(), 1);
    }

    // Killed while copying or restoring: the next copy or start leaves no temporary file and
    // the data opens whole.
    void interrumpidas_data() {
        QTest::addColumn<QString>("orden");
        QTest::addColumn<bool>("parada"); // asked to stop (SIGTERM) rather than killed
        QTest::newRow("copia") << u"copiar"_s << false;
        QTest::newRow("recuperación") << u"recuperar"_s << false;
        QTest::newRow("copia parada") << u"copiar"_s << true;
    }

    void interrumpidas() {
        QFETCH(QString, orden);
        QFETCH(bool, parada);
        Entorno e;
        ajustes(e);
        ejecutar(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
                 " INSERT INTO tblCobros (Num, Ser, Fec, Obs) SELECT i, 'A', '2024-01-05',"
                 " hex(randomblob(100)) FROM n"_s);
        const QString carpeta = e.raiz() + u"/pendrive/CopiaTorvane/2024"_s;
        QVERIFY(hacerCopia(carpeta).isEmpty());
        cerrarBaseDatos();
        const QString temporal = orden == u"copiar"_s ? carpeta + u"/Zudivoz.mdb.copiando"_s
                                                      : sesion().rutaBD + u".restaurando"_s;
        // The tool says when its temporary file is whole and waits there to be killed.
        QProcess admin;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(u"TORVANE_PAUSA_TEMPORAL"_s, u"60"_s);
        admin.setProcessEnvironment(entorno);
        admin.start(qEnvironmentVariable("TORVANE_ADMIN"),
                    {orden, e.carpetaDatos(), u"2024"_s, carpeta});
        QVERIFY(admin.waitForStarted());
        QByteArray salida;
        while (!salida.contains("temporal escrito") && admin.waitForReadyRead(30000))
            salida += admin.readAllStandardOutput();
        if (parada)
            admin.terminate();
        else
            admin.kill();
        admin.waitForFinished();
        // Stopped, it removes its temporary file itself; killed, the next copy does.
        QVERIFY2(QFile::exists(temporal) != parada, admin.readAllStandardError().constData());

        QVERIFY(Modulo::AbrirBaseDatos().isEmpty());
        QCOMPARE(documentos(), 400);
        QCOMPARE(temporales(QFileInfo(sesion().rutaBD).path()), QStringList());
        QVERIFY(hacerCopia(carpeta).isEmpty());
        QCOMPARE(temporales(carpeta), QStringList());
    }

    void unidades_data() {
        QTest::addColumn<QString>("raiz");
        QTest::addColumn<QByteArray>("tipo");
        QTest::addColumn<bool>("soloLectura");
        QTest::addColumn<bool>("apta");
        QTest::newRow("raíz") << u"/"_s << QByteArray("ext4") << false << false;
        QTest::newRow("memoria USB") << u"/media/ana/USB"_s << QByteArray("vfat") << false << true;
        QTest::newRow("CD") << u"/media/ana/CD"_s << QByteArray("iso9660") << true << false;
        QTest::newRow("arranque") << u"/boot/efi"_s << QByteArray("vfat") << false << false;
        QTest::newRow("en memoria") << u"/run/user/1000"_s << QByteArray("tmpfs") << false << false;
        QTest::newRow("sistema") << u"/sys/fs/cgroup"_s << QByteArray("cgroup2") << false << false;
        QTest::newRow("otro disco") << u"/home"_s << QByteArray("ext4") << false << true;
    }

    void unidades() {
        QFETCH(QString, raiz);
        QFETCH(QByteArray, tipo);
        QFETCH(bool, soloLectura);
        QFETCH(bool, apta);
        QCOMPARE(aptaParaCopia(raiz, tipo, soloLectura, true), apta);
        QVERIFY(!aptaParaCopia(raiz, tipo, soloLectura, false));
    }

    void unidadesEnLaVentana() {
        Entorno e;
        const QString unidad = e.raiz() + u"/pendrive"_s;
        QVERIFY(hacerCopia(rutaCopia(unidad, u"2024"_s)).isEmpty());
        VentanaCopia v({unidad, e.raiz()});
        auto* lista = v.w.findChild<QComboBox*>(u"Drive1"_s);
        QCOMPARE(lista->count(), 2);
        QCOMPARE(lista->currentData().toString(), unidad);
        const QString hoy = QDate::currentDate().toString(u"dd/MM/yyyy"_s);
        QVERIFY2(lista->itemText(0).contains(u" libres — última copia "_s + hoy),
                 qPrintable(lista->itemText(0)));
        QVERIFY(lista->itemText(1).endsWith(u" — sin copias"_s));
        // The line says the copy just made at once, not at the next opening.
        lista->setCurrentIndex(1);
        v.pulsar("cmdRealizar");
        QVERIFY2(lista->itemText(1).contains(u" — última copia "_s + hoy),
                 qPrintable(lista->itemText(1)));
    }

    void unidadSinEscritura() {
        Entorno e;
        // A drive whose root is a file cannot take folders, like a write-protected medium.
        const QString unidad = e.raiz() + u"/protegido"_s;
        guardarEn(unidad, "x");
        VentanaCopia v({unidad});
        v.pulsar("cmdRealizar");
        QVERIFY(Mensaje::textos().last().contains(u"No se puede crear la carpeta"_s));
        QVERIFY(v.w.isVisible());
        QVERIFY(v.aviso()->isHidden());
        QVERIFY(Conexion().isOpen());
    }

    void pivoteMensual() {
        Entorno e;
        const int piso = e.inmueble(u"Piso Centro"_s);
        const int bajo = e.inmueble(u"Bajo"_s);
        const int otroPiso = e.inmueble(u"Piso Centro"_s);
        e.documento(1, u"A"_s, QDate(2024, 3, 2), piso, 0, 100);
        e.documento(2, u"A"_s, QDate(2024, 3, 31), piso, 0, 250.5, true);
        e.documento(3, u"A"_s, QDate(2023, 12, 31), piso, 0, 999);
        e.documento(4, u"A"_s, QDate(2025, 1, 1), piso, 0, 999);
        const int sinTotal = e.documento(5, u"A"_s, QDate(2024, 4, 9), piso, 0, 1);
        ejecutar(u"UPDATE tblCobros SET Tot = NULL WHERE Id = ?"_s, {sinTotal});
        for (int m = 1; m <= 12; ++m)
            e.documento(10 + m, u"B"_s, QDate(2024, m, 28), bajo, 0, 0);
        e.documento(30, u"A"_s, QDate(2024, 7, 1), otroPiso, 0, 1234.567);
        // Deleted properties share one row, so the TOTAL row is the year's collections.
        e.documento(31, u"A"_s, QDate(2024, 7, 1), 99, 0, 50);
        e.documento(32, u"A"_s, QDate(2024, 7, 9), 0, 0, 0.5);
        const int anulado = e.documento(33, u"A"_s, QDate(2024, 3, 9), piso, 0, 999, true);
        ejecutar(u"UPDATE tblCobros SET Anu = 1, Pag = 0, FecPag = NULL WHERE Id = ?"_s, {anulado});

        const QList<QStringList> filas = rejillaMensual(cobrosPorMes(2024, Cuenta::Facturado));
        QCOMPARE(filas.size(), 5);
        QCOMPARE(filas[0].mid(1, 2), (QStringList{u"1"_s, u"Bajo"_s}));
        QCOMPARE(filas[0].mid(3), QStringList(13, u"0,00"_s));
        QCOMPARE(filas[1][2], u"Piso Centro"_s);
        QCOMPARE(filas[1].mid(3), soloEn(2, u"350,50"_s, u"350,50"_s));
        QCOMPARE(filas[2].mid(3), soloEn(6, u"1.234,57"_s, u"1.234,57"_s));
        QCOMPARE(filas[3].mid(1).join(u'|'), u"|Inmuebles dados de baja|||||||50,50||||||50,50"_s);
        QCOMPARE(filas[4].mid(1).join(u'|'), u"|TOTAL|||350,50||||1.285,07||||||1.635,57"_s);

        QVERIFY(rejillaMensual(cobrosPorMes(2022, Cuenta::Facturado)).isEmpty());

        // What was collected goes by the day it was paid: the one paid document, in April.
        ejecutar(u"UPDATE tblCobros SET FecPag = '2024-04-02' WHERE Pag = 1"_s);
        QCOMPARE(rejillaMensual(cobrosPorMes(2024)).last().mid(1).join(u'|'),
                 u"|TOTAL||||250,50|||||||||250,50"_s);
    }

    // The engine's own grouping, joined to the properties, was the reference for years.
    void pivoteIgualAlDelMotor() {
        Entorno e;
        QList<int> inmuebles{0, 77};
        for (int i = 0; i < 40; ++i)
            inmuebles << e.inmueble(u"Piso %1"_s.arg(i % 25));
        auto* azar = QRandomGenerator::global();
        Transaccion t;
        for (int n = 1; n <= 2000; ++n)
            e.documento(n, u"A"_s, QDate(2024, 1, 1).addDays(azar->bounded(366)),
                        inmuebles[azar->bounded(inmuebles.size())], 0,
                        azar->bounded(-5000, 500000) / 100.0);
        t.confirmar();
        QSqlQuery q = ejecutar(u"SELECT i.Des, CAST(substr(c.Fec, 6, 2) AS INTEGER), SUM(c.Tot)"
                               " FROM tblCobros c LEFT JOIN tblInmuebles i ON c.IdInm = i.Id"
                               " GROUP BY i.Id IS NULL, i.Des, i.Id, 2"
                               " ORDER BY i.Id IS NULL, i.Des, i.Id, 2"_s);
        QStringList esperado;
        while (q.next())
            esperado << u"%1 %2 %3"_s.arg(q.value(0).toString(), q.value(1).toString(),
                                          importeGuardado(q.value(2)).texto());
        QStringList obtenido;
        for (const FilaMensual& fila : cobrosPorMes(2024, Cuenta::Facturado))
            for (int m = 0; m < 12; ++m)
                if (fila.meses[m])
                    obtenido << u"%1 %2 %3"_s.arg(fila.idInm ? fila.inmueble : QString())
                                    .arg(m + 1)
                                    .arg(fila.meses[m]->texto());
        QCOMPARE(obtenido, esperado);
    }

    void estadisticasEnLaVentana() {
        Entorno e;
        const int piso = e.inmueble(u"Piso Centro"_s);
        const int bajo = e.inmueble(u"Bajo"_s);
        e.documento(1, u"A"_s, QDate(2024, 3, 2), piso, 0, 350.5, true);
        e.documento(2, u"A"_s, QDate(2024, 5, 2), bajo, 0, 80, true);
        frmEstadisticas w(sesion());
        w.show();
        auto* rejilla = w.findChild<Rejilla*>(u"mshDatos"_s);
        auto* grafico = w.findChild<QChartView*>(u"mscGrafico"_s)->chart();
        QCOMPARE(rejilla->numFilas(), 4);
        QCOMPARE(mesesDeFila(rejilla, 2), soloEn(2, u"350,50"_s, u"350,50"_s));
        QCOMPARE(rejilla->filaActual(), 1);

        auto* barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QVERIFY(barras);
        QCOMPARE(barras->barSets()[0]->label(), u"Bajo"_s);
        QCOMPARE(barras->barSets()[0]->at(4), 80.0);
        QCOMPARE(barras->barSets()[0]->brush().color(), colorFondo());

        // The pie redraws the selected row, and follows a new selection.
        rejilla->fijarFilaActual(2, 5);
        w.findChild<QToolButton*>(u"optTipoGrafico_3"_s)->click();
        auto* tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QVERIFY(tarta);
        QCOMPARE(grafico->series().size(), 1);
        QCOMPARE(tarta->count(), 12);
        // Each slice says its month, amount and share.
        const QString marzo = tarta->slices()[2]->label();
        QVERIFY2(marzo.startsWith(u"Marzo: 350,50 ("_s) && marzo.endsWith(u" %)"_s),
                 qPrintable(marzo));
        QCOMPARE(tarta->slices()[2]->value(), 350.5);
        QCOMPARE(tarta->slices()[0]->brush().color(), colorFondo());
        rejilla->fijarFilaActual(1, 3);
        tarta = qobject_cast<QPieSeries*>(grafico->series().value(0));
        QCOMPARE(tarta->slices()[4]->value(), 80.0);
        QCOMPARE(tarta->slices()[2]->value(), 0.0);

        // A box that is not a year changes nothing.
        auto* ano = w.findChild<QLineEdit*>(u"txtAno"_s);
        for (const QString& malo : {u"20x4"_s, QString(), u"24"_s}) {
            ano->setText(malo);
            pulsar(&w, "cmdFiltrar");
            QCOMPARE(rejilla->numFilas(), 4);
        }
        QCOMPARE(Mensaje::textos().size(), 3);
        QVERIFY(Mensaje::textos()[0].contains(u"año"_s));

        // A year without documents: no grid, a flat chart of twelve points.
        ano->setText(u"2023"_s);
        w.findChild<QToolButton*>(u"optTipoGrafico_0"_s)->click();
        pulsar(&w, "cmdFiltrar");
        QCOMPARE(rejilla->numFilas(), 0);
        barras = qobject_cast<QBarSeries*>(grafico->series().value(0));
        QCOMPARE(barras->barSets()[0]->count(), 12);
        QCOMPARE(barras->barSets()[0]->sum(), 0.0);

        w.findChild<QListWidget*>(u"lstTipo"_s)->setCurrentRow(1);
        Mensaje::limpiarHistorial();
        pulsar(&w, "cmdFiltrar");
        QCOMPARE(Mensaje::textos(), QStringList{u"Opción no disponible"_s});
    }
};

TORVANE_TEST_MAIN(TestUtilidades)
#include "tst_utilidades.moc"
