#pragma once

#include "core/store/BaseDatos.h"

#include <QHash>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace torvane {

/*
 * The running program's session, and the settings files (ruta.ini, ano.ini, color.ini,
 * color2.ini, imp.ini: 8-bit text, lines ended by CR LF), kept in the program's own folder for a
 * portable copy and otherwise in the user's configuration folder.
 */
inline const QString kYaEnMarcha = QStringLiteral("Ya se está ejecutando el programa");

/**
 * What the running program has open: its data folder and working year, the year's database,
 * the colours chosen, the lock it holds on the year and how it asks for a server's password.
 * One per program (sesion()); the shared connection is opened on it by Modulo::AbrirBaseDatos
 * and Modulo::CambiarAno.
 */
struct Sesion {
    QString ruta;                       ///< data folder, first line of ruta.ini
    QString ano;                        ///< working year's folder, first line of ano.ini
    QString rutaBD;                     ///< ruta + "/" + ano + "/Zudivoz.mdb"
    QVariant colorPrincipal;            ///< text of a 0x00BBGGRR number, or empty
    QVariant colorFondo;                ///< second colour, same form
    std::unique_ptr<QLockFile> cerrojo; ///< the lock on the year; CambiarAno moves it
    /**
     * Asks for the server's password when it is missing or wrong (the motive is shown); none
     * when the user gives up. Set by the interface; without it a missing password is only
     * reported.
     */
    std::function<std::optional<QString>(const QString& motivo)> pedirClave;
    /** Mail server passwords given in this run, by account; never written anywhere. */
    QHash<QString, QString> clavesCorreo;

    /** The working year as a number: its folder's name, or the year its documents are of. */
    int numeroAno() const;
};

/** The program's session. */
Sesion& sesion();

namespace Modulo {

/** The program's folder: the executable's, unless a test or --ajustes has set another. */
QString CarpetaPrograma();
void fijarCarpetaPrograma(const QString& carpeta);

/** The user's settings folder (~/.config/torvane), unless a test or --ajustes has set another. */
QString CarpetaUsuario();
void fijarCarpetaUsuario(const QString& carpeta);

/**
 * Reads the command line. With --ajustes CARPETA every setting (the .ini files and the windows'
 * sizes) is read from and written to CARPETA alone, created when missing, so that a demo never
 * touches the user's own. Returns an empty text, or what is wrong with the line.
 */
QString LeerOpciones(const QStringList& argumentos);

/**
 * The folder a settings file is read from and written to: the program's when the file is there,
 * else the user's when it is there; a new file goes beside ruta.ini, or, with no ruta.ini
 * anywhere, to the program's folder when it is writable and to the user's otherwise.
 */
QString CarpetaAjuste(const QString& nombre);

/** Whether ruta.ini exists in either folder; without it the program starts with a welcome. */
bool HayRuta();

QString LeerRuta();
QString LeerAno();
QVariant LeerColor();
QVariant LeerColor2();
/** Line 1 of imp.ini (printer for reports), or line 2 when segunda is true. */
QVariant LeerImpresora(bool segunda);

/** Rewrites color.ini / color2.ini: a blank, the number, a blank, CR LF. */
bool EscribirColor(int color);
bool EscribirColor2(int color);
/** Rewrites imp.ini: both lines (UTF-8), each followed by CR LF. */
bool EscribirImpresoras(const QString& informes, const QString& pdf);
/** Writes ruta.ini and ano.ini (one line each, CR LF) in the user's folder, creating it. */
bool EscribirRutaUsuario(const QString& ruta, const QString& ano);
/** Rewrites ano.ini: the year's folder name and CR LF. */
bool EscribirAno(const QString& ano);

/** A colour setting as a 32-bit number; empty or non-numeric text gives 0. */
int ColorComoNumero(const QVariant& color);

/** Reads Ruta and Ano again and rebuilds RutaBD, which it returns. */
QString LeerRutaBD();

/** Whether the data folder keeps its years on a server (it holds servidor.ini). */
bool EnServidor();

/**
 * What the program's lock on year ano is named after (".lock" is added): the year file, or
 * on a server a name in the user's folder, so one program runs per user and desk.
 */
QString RutaCerrojo(const QString& ano);

/**
 * Reads Ruta and Ano again, rebuilds RutaBD and opens the shared connection on it (on the
 * server when the data folder names one).
 * Returns an empty text on success, otherwise the message for the user.
 */
QString AbrirBaseDatos(Integridad integridad = Integridad::AlAbrir);

/**
 * Makes ano (a folder of Ruta) the working year: opens its database as the shared connection
 * and then records it in ano.ini. When either fails the previous year stays open and ano.ini
 * as it was. Returns an empty text on success, otherwise the message for the user.
 */
QString CambiarAno(const QString& ano);

/**
 * Takes the lock beside the year's database into cerrojo (replacing what it held only on
 * success). Returns an empty text, kYaEnMarcha when another program holds the year, or why
 * the lock cannot be taken.
 */
QString BloquearAno(std::unique_ptr<QLockFile>& cerrojo, const QString& rutaBD);

} // namespace Modulo

} // namespace torvane
