#include "app/Aplicacion.h"

#include "app/Modulo.h"
#include "app/frmBienvenida.h"
#include "app/frmPrincipal.h"
#include "data/Consulta.h"
#include "ui/Mensajes.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLockFile>
#include <QTextStream>
#include <QTranslator>

Aplicacion::Aplicacion(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Torvane"));
    // Lets the desktop match the windows with the menu entry and its icon.
    setDesktopFileName(QStringLiteral("es.velmora.torvane"));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/logo.svg")));
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* traductor = new QTranslator(this);
    if (traductor->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(traductor);
}

bool Aplicacion::notify(QObject* receptor, QEvent* evento)
{
    try {
        return QApplication::notify(receptor, evento);
    } catch (const ErrorBD& error) {
        Mensaje::critico(activeWindow(), error.texto());
    } catch (const std::exception& error) {
        Mensaje::critico(activeWindow(), QString::fromUtf8(error.what()));
    }
    return false;
}

QString Arrancar(QLockFile& cerrojo)
{
    cerrojo.setStaleLockTime(0);
    // A folder we cannot write to only loses the single-instance guard, not the program.
    if (!cerrojo.tryLock(0) && cerrojo.error() == QLockFile::LockFailedError)
        return kYaEnMarcha;
    Modulo::ColorPrincipal = Modulo::LeerColor();
    Modulo::ColorFondo = Modulo::LeerColor2();
    return Modulo::AbrirBaseDatos();
}

int Main(int argc, char** argv)
{
    Aplicacion aplicacion(argc, argv);
    if (!Modulo::HayRuta() && frmBienvenida().exec() != QDialog::Accepted) return 0;
    QLockFile cerrojo(Modulo::CarpetaPrograma() + QStringLiteral("/torvane.lock"));
    if (const QString error = Arrancar(cerrojo); !error.isEmpty()) {
        // Also on the terminal, for whoever started it from one (and for scripts).
        QTextStream(stderr) << error << Qt::endl;
        if (error == kYaEnMarcha)
            Mensaje::informar(nullptr, error, Mensaje::Icono::Ninguno);
        else
            Mensaje::critico(nullptr, error);
        return 1;
    }
    frmPrincipal principal;
    principal.show();
    return aplicacion.exec();
}
