#pragma once

#include "core/mail/Smtp.h"
#include "core/store/Resultado.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

namespace torvane {

/*
 * Documents by mail: to whom each goes, the record of every attempt in the year (tblCorreos),
 * and mailing one document with that record written before a byte leaves and closed after.
 */

/** One attempt to mail a document. */
struct EnvioDocumento {
    enum Estado {
        EnCurso, ///< begun and never closed: the program stopped meanwhile; it may have gone
        Enviado,
        Fallido,
    };
    int id = 0;
    int documento = 0;
    QDateTime fecha;
    QString direccion;
    Estado estado = EnCurso;
    QString respuesta; ///< why it failed, in the server's words when it gave them
};

/** Every attempt for document id, the newest first. */
Resultado<QList<EnvioDocumento>> enviosDe(int id);
/** The newest attempt of each of ids that has one. */
Resultado<QHash<int, EnvioDocumento>> ultimosEnvios(const QList<int>& ids);
/** "Enviado a ana@x.es el 07/12/2026 16:02", or the failure with its reason. */
QString textoEnvio(const EnvioDocumento& envio);
/** The short text of a list's column: "Enviado 07/12/2026", "Falló", "Sin confirmar". */
QString textoEnvioCorto(const EnvioDocumento& envio);

/** A document to mail and where it goes. */
struct DocumentoCorreo {
    int id = 0;
    QString numero;    ///< "57A"
    QString inquilino; ///< the tenant's name
    QString direccion; ///< as stored; see motivo
    QString motivo; ///< why it cannot go ("sin dirección", "dirección no válida"); empty: it can
    bool yaEnviado = false; ///< an earlier attempt went out, or may have
};

/** What a choice of documents becomes: those that can go, in the order given, and the rest. */
struct PlanCorreo {
    QList<DocumentoCorreo> enviar;
    QList<DocumentoCorreo> sinDireccion;
    /** How many of enviar went out before (the user is asked before they go again). */
    qsizetype yaEnviados() const;
};
Resultado<PlanCorreo> planCorreo(const QList<int>& ids);

/** The message of document id: its tenant, subject and body from the templates of ajustes. */
Resultado<MensajeCorreo> mensajeDocumento(int id, const AjustesCorreo& ajustes);

/** How the network part runs: enviarCorreo itself, or a window's wrapper that keeps it alive. */
using Remitir = std::function<EnvioSmtp(const MensajeCorreo&)>;

/**
 * Mails mensaje for document id through remitir. The attempt is recorded before it starts and
 * closed with its outcome; a document that went out counts as printed ("por correo"), like a
 * PDF saved. Without the record nothing is sent.
 */
EnvioSmtp enviarDocumento(int id, const MensajeCorreo& mensaje, const Remitir& remitir);

} // namespace torvane
