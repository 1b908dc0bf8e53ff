#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class QIODevice;
class QSettings;

namespace torvane {

/*
 * Reading the one-line settings files (ruta.ini, ano.ini, ...): 8-bit text or UTF-8, lines
 * ended by LF or CR LF. A file is read line by line with a bound, so a damaged or hostile file
 * costs neither memory nor time.
 */

/** The longest line kept; anything beyond it on the same line is skipped. */
inline constexpr qsizetype kMaximoLineaAjuste = 4096;

/** Line n (from 0) of archivo, cut at kMaximoLineaAjuste bytes; empty when it has fewer lines. */
QString lineaAjuste(QIODevice& archivo, int n);

/** A path for a message: shortened in the middle with "…" when longer than maximo characters. */
QString acortarRuta(const QString& ruta, qsizetype maximo = 120);

/**
 * Every setting of the program is read and written here. The user's choices (window places, a
 * run's destination, the certificate's folder, the installation number) are keys of one store,
 * the user's Torvane settings file. The one-line files that say where the data is and how it
 * looks (ruta.ini, ano.ini, color.ini, color2.ini, imp.ini) stay where they are found: in the
 * program's own folder for a portable copy, otherwise in the user's configuration folder.
 */
class Ajustes {
public:
    Ajustes();
    ~Ajustes();
    Ajustes(const Ajustes&) = delete;
    Ajustes& operator=(const Ajustes&) = delete;

    QVariant valor(const QString& clave, const QVariant& porDefecto = {}) const;
    /** Stores valor under clave and writes the store at once; false when it cannot be written. */
    bool fijar(const QString& clave, const QVariant& valor);

    /** The program's folder: the executable's, unless a test has set another. */
    static QString carpetaPrograma();
    static void fijarCarpetaPrograma(const QString& carpeta);
    /** The user's settings folder (~/.config/torvane), unless a test has set another. */
    static QString carpetaUsuario();
    static void fijarCarpetaUsuario(const QString& carpeta);

    /**
     * The folder a one-line file is read from and written to: the program's when the file is
     * there, else the user's when it is there; a new file goes beside ruta.ini, or, with no
     * ruta.ini anywhere, to the program's folder when it is writable and to the user's otherwise.
     */
    static QString carpetaDe(const QString& archivo);
    /** Whether archivo is in the program's or the user's folder. */
    static bool existe(const QString& archivo);
    /** Line n (from 0) of archivo; invalid when the file does not exist, empty when shorter. */
    static QVariant linea(const QString& archivo, int n);
    /** Replaces archivo, in carpetaDe() or in carpeta when given (created when missing). */
    static bool escribir(const QString& archivo, const QByteArray& contenido,
                         const QString& carpeta = {});

private:
    std::unique_ptr<QSettings> almacen_;
};

} // namespace torvane
