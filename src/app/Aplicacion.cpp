#include "app/Aplicacion.h"

#include "app/frmBienvenida.h"
#include "app/frmPrincipal.h"
#include "collections/frmCobrosHoja.h"
#include "core/documents/Comprobacion.h"
#include "core/documents/Documentos.h"
#include "core/documents/Registros.h"
#include "core/store/Consulta.h"
#include "core/store/LecturaAparte.h"
#include "core/store/Sesion.h"
#include "reports/Impresoras.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QFileInfo>
#include <QIcon>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <malloc.h>
#include <utility>

namespace torvane {

Aplicacion::Aplicacion(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Torvane"));
    // A long list's PDF fills and frees a buffer of a few hundred KB per page; by default
    // glibc hands each back to the kernel and faults it in again on the next page, a fifth of
    // the time of a 2,500-page list. Freed memory stays in the process up to these sizes.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    // Lets the desktop match the windows with the menu entry and its icon.
    setDesktopFileName(QStringLiteral("es.velmora.torvane"));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/logo.svg")));
    AltSinEscribir(*this);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* traductor = new QTranslator(this);
    if (traductor->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(traductor);
}

namespace {

/** Says once what is wrong with the year's documents and offers the repair. */
void avisarComprobacion(QWidget* ventana, const Comprobacion& comprobacion) {
    if (comprobacion.correcta()) return;
    const QString texto =
        QStringLiteral("Se han encontrado documentos que no cuadran en este año:\n\n") +
        comprobacion.texto();
    if (!comprobacion.reparable()) {
        Mensaje::informar(ventana, texto, Mensaje::Icono::Exclamacion);
        return;
    }
    if (!Mensaje::preguntar(ventana,
                            texto + QStringLiteral("\n\n¿Repararlos ahora? Se recalculan los "
                                                   "totales y se quitan los documentos sin líneas, "
                                                   "después de guardar una copia del archivo."),
                            Mensaje::Icono::Exclamacion))
        return;
    const QString error = repararDocumentos(sesion().rutaBD);
    if (!error.isEmpty()) Mensaje::critico(ventana, error);
}

/** A damaged file is never written to: the message, and the program closes. */
void cerrarPorDano(QWidget* ventana, const QString& motivo) {
    Mensaje::critico(ventana, motivo + QStringLiteral("\n\nEl programa se cierra."));
    QCoreApplication::exit(1);
}

/** Billing records that do not add up are told before any work; only their series stop. */
void revisarCadena() {
    if (!leerConfigVerifactu().activo) return;
    const VerificacionRegistros v = verificarRegistros();
    if (v.correcta()) return;
    Mensaje::critico(nullptr,
                     QStringLiteral("Los registros de facturación (VERI*FACTU) no cuadran con las "
                                    "facturas:\n\n%1\n\nNo se emitirán facturas de la serie %2 "
                                    "hasta corregirlo; el resto del programa funciona con "
                                    "normalidad.")
                         .arg(v.texto(), v.series().join(QStringLiteral(", "))));
}

/** The server's password, asked once per session and kept only in memory. */
std::optional<QString> pedirClave(const QString& motivo) {
    bool aceptada = false;
    const QString clave =
        QInputDialog::getText(nullptr, QStringLiteral("Servidor de datos"),
                              motivo + QStringLiteral("\n\nContraseña del servidor:"),
                              QLineEdit::Password, {}, &aceptada);
    return aceptada ? std::optional<QString>(clave) : std::nullopt;
}

/** The open sheets hold their documents again; one another desk took meanwhile closes. */
void retomarHojas() {
    const Resultado<QList<int>> perdidos = intentar(retomarDocumentos);
    if (Mensaje::falla(QApplication::activeWindow(), perdidos)) return;
    for (QWidget* ventana : QApplication::topLevelWidgets())
        if (auto* hoja = qobject_cast<frmCobrosHoja*>(ventana);
            hoja && hoja->isVisible() && perdidos->contains(hoja->id()))
            hoja->DocumentoPerdido();
}

/** After the server dropped the connection: reconnect when the user wants, as often as needed. */
void ofrecerReconexion() {
    // Asked after the message of the operation that failed, which may still be on screen.
    if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QTimer::singleShot(200, qApp, ofrecerReconexion);
        return;
    }
    // Several failures may have asked before one reconnection answered them all.
    static bool preguntando = false;
    if (preguntando) return;
    Mensaje::olvidarPerdida(); // whatever the answer, the next failure is told again
    if (!conexionPerdida(Conexion())) return;
    preguntando = true;
    QString texto = QStringLiteral("Se ha perdido la conexión con el servidor de datos. Lo que "
                                   "ya estaba confirmado está guardado.\n\n¿Volver a conectar?");
    while (Mensaje::preguntar(QApplication::activeWindow(), texto, Mensaje::Icono::Exclamacion)) {
        const QString error = Modulo::AbrirBaseDatos();
        if (error.isEmpty()) {
            retomarHojas();
            break;
        }
        texto = error + QStringLiteral("\n\n¿Volver a intentarlo?");
    }
    preguntando = false;
}

} // namespace

QString Arrancar(std::unique_ptr<QLockFile>& cerrojo) {
    sesion().colorPrincipal = Modulo::LeerColor();
    sesion().colorFondo = Modulo::LeerColor2();
    // A printer kept by an earlier version as a position is named now, before a queue added or
    // removed in the office can shift the list it counted in.
    impresoraElegida();
    const QString rutaBD = Modulo::LeerRutaBD();
    // A missing year is explained by the opening itself, which never creates anything.
    if (Modulo::EnServidor() || QFileInfo(rutaBD).isFile())
        if (const QString error = Modulo::BloquearAno(cerrojo, Modulo::RutaCerrojo(sesion().ano));
            !error.isEmpty())
            return error;
    // Whatever reads the whole year runs once the main window shows: see revisarAlAbrir.
    return Modulo::AbrirBaseDatos(Integridad::Despues);
}

namespace {

/** Runs accion once, after ventana's first paint (or in two seconds, if it is never painted). */
class TrasPintar : public QObject {
public:
    TrasPintar(QWidget* ventana, std::function<void()> accion)
        : QObject(ventana)
        , accion_(std::move(accion)) {
        ventana->installEventFilter(this);
        QTimer::singleShot(2000, this, [this] { disparar(); });
    }

protected:
    bool eventFilter(QObject*, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) disparar();
        return false;
    }

private:
    void disparar() {
        if (!accion_) return;
        parent()->removeEventFilter(this);
        QTimer::singleShot(0, parent(), std::exchange(accion_, nullptr));
        deleteLater();
    }

    std::function<void()> accion_;
};

/** The file read for damage, then the documents' sums, off this thread; then the chain. */
void revisarAno(QWidget* ventana) {
    leerAparteSinPrisa(ventana, [ventana](const QSqlDatabase& db) -> Entrega {
        const QString danado = motivoIntegridadAno(db);
        if (!danado.isEmpty()) return [ventana, danado] { cerrarPorDano(ventana, danado); };
        const Comprobacion comprobacion = comprobarDocumentos(db);
        return [ventana, comprobacion] {
            avisarComprobacion(ventana, comprobacion);
            revisarCadena();
        };
    });
}

} // namespace

void revisarAlAbrir(QWidget* ventana) {
    // Started once the window is painted, so a big year never competes with its showing.
    new TrasPintar(ventana, [ventana] { revisarAno(ventana); });
}

int Main(int argc, char** argv) {
    Aplicacion aplicacion(argc, argv);
    if (const QString error = Modulo::LeerOpciones(aplicacion.arguments()); !error.isEmpty()) {
        QTextStream(stderr) << error << Qt::endl;
        return 2;
    }
    sesion().pedirClave = pedirClave;
    AlPerderConexion = ofrecerReconexion;
    if (!Modulo::HayRuta() && frmBienvenida().exec() != QDialog::Accepted) return 0;
    if (const QString error = Arrancar(sesion().cerrojo); !error.isEmpty()) {
        // Also on the terminal, for whoever started it from one (and for scripts).
        QTextStream(stderr) << error << Qt::endl;
        if (error == kYaEnMarcha)
            Mensaje::informar(nullptr, error, Mensaje::Icono::Ninguno);
        else
            Mensaje::critico(nullptr, error);
        return 1;
    }
    frmPrincipal principal(sesion());
    principal.show();
    revisarAlAbrir(&principal);
    QTimer::singleShot(0, &principal, protegido(&principal, &frmPrincipal::avisarVencimientos));
    return aplicacion.exec();
}

} // namespace torvane
