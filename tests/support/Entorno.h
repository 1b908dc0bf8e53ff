#pragma once

#include "app/Aplicacion.h"
#include "core/demo/Demo.h"
#include "core/store/Importe.h"
#include "core/store/Resultado.h"
#include "support/CupsPrueba.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileDevice>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

using namespace torvane;

/** The value of a core operation the test counts on; its failure ends the test program, said. */
template <class T> T hecho(Resultado<T> r) {
    if (!r) qFatal("%s", qPrintable(r.motivo()));
    return std::move(*r);
}

/**
 * A program folder, a data folder and an open year's database of its own for one test:
 * Modulo points at them, message boxes are recorded, and "today" is fixed.
 */
class Entorno {
public:
    explicit Entorno(const QString& ano = QStringLiteral("2024"));

    /** Opens the year again as the shared connection, on its own engine. */
    QString reabrir() const;

    /** Whether the next years are made on the test process's server instead of in a file. */
    static bool enServidor;
    ~Entorno();

    QString carpetaPrograma() const { return dir_.path() + QStringLiteral("/programa"); }
    QString carpetaUsuario() const { return dir_.path() + QStringLiteral("/usuario"); }
    QString carpetaDatos() const { return dir_.path() + QStringLiteral("/datos"); }
    QString raiz() const { return dir_.path(); }

    int inquilino(const QString& nombre, const QString& tfn = {}, const QString& mob = {},
                  const QString& mail = {}, const QString& dni = {});
    int inmueble(const QString& des, int idInq = 0, const QString& dir = {}, const QString& cp = {},
                 const QString& pob = {}, const QString& pro = {}, double pre = 0);
    int concepto(const QString& des, double imp);
    void tipoIva(int tiv, double iva, double req = 0, bool activo = true);
    void serie(const QString& cod, const QString& des = {});
    int documento(int num, const QString& ser, const QDate& fecha, int idInm = 0, int idInq = 0,
                  double tot = 0, bool pagado = false);
    int linea(int idDoc, int lin, double und, double pre, int idCon = 0, const QString& des = {});

    /** Makes a demo year 2024 of the given size in raiz()/demo the working year; its folder. */
    QString abrirDemo(const TamanoDemo& tamano = {});

    /** Number of rows of a table matching an optional condition with bound values. */
    static int contar(const QString& tabla, const QString& condicion = {},
                      const QVariantList& valores = {});

private:
    QTemporaryDir dir_;
};

/**
 * Runs accion on the first visible window of type T that appears (a modal child opened by the
 * code under test), then lets the test go on. Fails the test when none shows within 5 s.
 */
template <typename T> void cuandoAparezca(std::function<void(T*)> accion) {
    auto* reloj = new QTimer;
    auto* espera = new QElapsedTimer;
    espera->start();
    QObject::connect(reloj, &QTimer::timeout, reloj, [reloj, espera, accion] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* ventana = qobject_cast<T*>(w);
            if (ventana && ventana->isVisible()) {
                reloj->stop();
                reloj->deleteLater();
                delete espera;
                accion(ventana);
                return;
            }
        }
        if (espera->elapsed() > 5000) {
            reloj->stop();
            reloj->deleteLater();
            delete espera;
            QFAIL("La ventana esperada no apareció");
        }
    });
    reloj->start(10);
}

/** What of a file's mode lets others than its owner read or write it. */
inline constexpr QFileDevice::Permissions kDeOtros =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
    QFileDevice::WriteOther;

/** Pages of a PDF as pdftotext reads them back, blanks folded; empty when it cannot. */
QStringList paginasPdf(const QString& ruta, bool juntarBlancos = true);

/** The whole of a file; empty when it cannot be read. */
QByteArray contenidoDe(const QString& ruta);
/** Writes a file whole, failing the test when it cannot. */
void guardarEn(const QString& ruta, const QByteArray& contenido);

/** Types text into a control through real key events. */
void teclear(QWidget* control, const QString& texto);
/** Presses Enter (Return) on a control. */
void pulsarEnter(QWidget* control);
/** Gives a control the keyboard focus inside its shown, active window. */
void enfocar(QWidget* control);

/**
 * From now on a dialog nobody answers fails the running test with its text and is closed, so
 * the test goes on instead of waiting for its time limit: a message box, a question or a file
 * chooser at once (tests answer those through their hooks, never on screen), any other modal
 * window after kEsperaDialogo unanswered.
 */
void vigilarDialogos();
inline constexpr int kEsperaDialogo = 20000;

#define TORVANE_TEST_MAIN(Clase)                                                                   \
    int main(int argc, char** argv) {                                                              \
        impresionSinServidor();                                                                    \
        Aplicacion aplicacion(argc, argv);                                                         \
        vigilarDialogos();                                                                         \
        Clase prueba;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&prueba, argc, argv);                                                  \
    }

/** An amount or a decimal as a test writes it: «1.234,56», «2,5». */
inline torvane::Importe eur(const QString& texto) {
    return *torvane::Importe::leer(texto);
}
inline torvane::Decimal dec(const QString& texto) {
    return *torvane::Decimal::leer(texto);
}
