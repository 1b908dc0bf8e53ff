#pragma once

#include <QString>

namespace torvane {

/*
 * How the landlord's own mail server is reached and what a document's message says. Kept in
 * the program's settings store; the password never is (see Llavero.h).
 */

/** How the connection to the server is protected. */
enum class Seguridad {
    StartTls, ///< plain connection switched to TLS before anything is said (port 587)
    Ssl,      ///< TLS from the first byte (port 465)
    Ninguna,  ///< nothing protected: the password and the documents travel in clear
};

struct AjustesCorreo {
    QString servidor;
    int puerto = 587;
    Seguridad seguridad = Seguridad::StartTls;
    /** The server's certificate must be valid for servidor; off only for a server of the office. */
    bool verificarCertificado = true;
    QString usuario; ///< empty: the server takes mail without logging in
    QString nombreRemitente;
    QString direccionRemitente;
    QString responderA;  ///< Reply-To; empty: answers go to the sender
    QString copiaOculta; ///< every message also goes here, for the landlord's own archive
    QString asunto;      ///< template with the documents' {{…}} fields
    QString cuerpo;      ///< the same, plain text

    /** smtp://servidor:puerto or smtps://… as the connection is protected. */
    QString url() const;
    /** What identifies the account in the keyring and in the run's memory: user@server:port. */
    QString cuenta() const;
};

/** The port a protection uses unless the server says otherwise. */
int puertoHabitual(Seguridad seguridad);

AjustesCorreo leerAjustesCorreo();
/** Writes every field but the password; false when the settings store cannot be written. */
bool guardarAjustesCorreo(const AjustesCorreo& ajustes);

/**
 * Whether texto is one mail address a server takes: local part of the usual characters, a
 * domain of at least two labels (accented domains allowed), no spaces, names or lists.
 */
bool direccionValida(const QString& texto);

/** What stops sending with these settings, in Spanish; empty when they are complete. */
QString motivoAjustesCorreo(const AjustesCorreo& ajustes);

/** The warning shown beside an unprotected choice; empty when the connection is protected. */
QString avisoSeguridad(const AjustesCorreo& ajustes);

} // namespace torvane
