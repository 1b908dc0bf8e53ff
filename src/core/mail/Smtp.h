#pragma once

#include "core/mail/AjustesCorreo.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace torvane {

/*
 * One message through the landlord's SMTP server, by libcurl: a plain-text body in UTF-8 and
 * one PDF attached. Blocking, and free of the database and the interface, so a window may run
 * it on a thread of its own.
 */

struct MensajeCorreo {
    QString para;
    QString asunto;
    QString cuerpo;
    QByteArray pdf;
    QString nombrePdf; ///< "Recibo 57A - García Pérez.pdf"
};

/** How a message fared. */
struct EnvioSmtp {
    enum Estado {
        Enviado,
        Rechazado,      ///< the server answered no (its reply is in texto)
        SinConexion,    ///< not reached, or the conversation broke off before it accepted
        ClaveRechazada, ///< the user or the password is wrong
        Cancelado,
    };
    Estado estado = Rechazado;
    QString texto; ///< Spanish for the user, with the server's own reply when it gave one
    bool enviado() const { return estado == Enviado; }
};

/**
 * Sends mensaje with ajustes, logging in with clave when ajustes name a user. cancelar is asked
 * now and then; true stops the transfer.
 */
EnvioSmtp enviarCorreo(const AjustesCorreo& ajustes, const QString& clave,
                       const MensajeCorreo& mensaje, const std::function<bool()>& cancelar = {});

} // namespace torvane
