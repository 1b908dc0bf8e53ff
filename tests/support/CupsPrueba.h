#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

/**
 * A print scheduler (cupsd) of the test's own: its configuration, socket, spool and logs in a
 * temporary folder, never the machine's. Its queues hand every job to a small backend that keeps
 * it as a file (N.pdf, with the job's options in N.opciones). While it lives, this process
 * prints through it; afterwards, through no scheduler at all.
 */
class CupsPrueba {
public:
    CupsPrueba();
    ~CupsPrueba();
    CupsPrueba(const CupsPrueba&) = delete;
    CupsPrueba& operator=(const CupsPrueba&) = delete;

    /** Why the scheduler could not start; empty when it runs. */
    QString error() const { return error_; }

    /** Runs a CUPS command (lpadmin, cupsreject, cupsdisable, ...) on this scheduler. */
    bool orden(const QString& programa, const QStringList& argumentos);
    /** Adds a queue keeping its jobs; ppd, when given, is the text of its driver description. */
    bool anadirCola(const QString& nombre, const QByteArray& ppd = {},
                    const QStringList& opciones = {});

    /** The jobs kept so far, oldest first: the paths of their PDFs. */
    QStringList trabajos() const;

private:
    QString ruta(const QString& nombre) const { return dir_.path() + u'/' + nombre; }
    bool escribirConfiguracion();
    bool arrancar();
    void parar();

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString error_;
};

/** Points this process's printing at servidor (a socket path), whatever the machine's is. */
void apuntarImpresionA(const QString& servidor);
/** The printing environment every test starts in: a server that is not there. */
void impresionSinServidor();
