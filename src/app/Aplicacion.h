#pragma once

#include <QApplication>

/**
 * The application object: Spanish (Spain) locale and Qt's own Spanish texts, and the one place
 * where a failed database operation ends the command that caused it with a message instead of
 * ending the program.
 */
class Aplicacion : public QApplication {
    Q_OBJECT

public:
    Aplicacion(int& argc, char** argv);
    bool notify(QObject* receptor, QEvent* evento) override;
};

class QLockFile;

/**
 * Start-up before the main window: the single-instance lock, the colours, the year's database.
 * Returns an empty text when the program may go on, otherwise the message it ends with.
 */
QString Arrancar(QLockFile& cerrojo);

inline const QString kYaEnMarcha = QStringLiteral("Ya se está ejecutando el programa");

/**
 * The program: the welcome window when no ruta.ini exists anywhere, start-up, then the main
 * window until the user leaves.
 */
int Main(int argc, char** argv);
