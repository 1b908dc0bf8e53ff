#pragma once

#include "core/store/Servidor.h"

#include <QString>
#include <QTemporaryDir>

using namespace torvane;

/**
 * A throwaway PostgreSQL cluster of the test's own: initdb in a temporary folder (as the
 * postgres user when the tests run as root), listening on 127.0.0.1 on a free port, with one
 * database "torvane" its superuser may use without password. Stopped and removed at the end.
 */
class ServidorPrueba {
public:
    ServidorPrueba();
    ~ServidorPrueba();
    ServidorPrueba(const ServidorPrueba&) = delete;
    ServidorPrueba& operator=(const ServidorPrueba&) = delete;

    /** Why the cluster could not start; empty when it runs. */
    QString error() const { return error_; }
    DatosServidor datos() const;
    /** Writes servidor.ini for this cluster into carpeta. */
    void escribirIni(const QString& carpeta) const;
    /** Runs one statement on the database as its superuser; false when it fails. */
    bool sql(const QString& sentencia) const;

    /** The one cluster of this test process, started on first use. */
    static ServidorPrueba& compartido();

private:
    QString ejecutar(const QString& programa, const QStringList& argumentos);

    QTemporaryDir dir_;
    QString bin_;
    QString usuarioSistema_; ///< who runs the server when we are root; empty otherwise
    int puerto_ = 0;
    QString error_;
};
