#pragma once

#include <QApplication>
#include <QLockFile>
#include <memory>

namespace torvane {

/**
 * The application object: Spanish (Spain) locale and Qt's own Spanish texts. What the core
 * refuses comes back to the windows as a Resultado; a read that fails under a window (a server
 * lost mid-list) is caught where the window's slot or event handler begins (ui/Protegido.h),
 * so nothing of ours is thrown through Qt.
 */
class Aplicacion : public QApplication {
    Q_OBJECT

public:
    Aplicacion(int& argc, char** argv);
};

/**
 * Start-up before the main window: the colours, the lock beside the year's database (one
 * writer per year, whatever folder the program runs from) and the database itself. Returns an
 * empty text when the program may go on, otherwise the message it ends with.
 */
QString Arrancar(std::unique_ptr<QLockFile>& cerrojo);

/**
 * What reads the whole year, once the main window is painted: the file read for damage and the
 * documents' sums off the interface thread (a damaged file is told and the program closes; sums
 * that disagree are told with the repair offered), then the billing records' chain.
 */
void revisarAlAbrir(QWidget* ventana);

/**
 * The program: the welcome window when no ruta.ini exists anywhere, start-up, then the main
 * window until the user leaves.
 */
int Main(int argc, char** argv);

} // namespace torvane
