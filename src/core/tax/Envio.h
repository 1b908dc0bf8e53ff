#pragma once

#include "core/store/Resultado.h"

#include "core/verifactu/Mensajes.h"

#include <QSslConfiguration>
#include <QUrl>
#include <functional>

namespace torvane {

/*
 * Sending the billing records to the agency over HTTPS with the company's certificate: what
 * is pending, the agency's wait between messages, and each record's answer, stored for good.
 */

/** The agency's address for billing records: its test site or production. */
QUrl direccionEnvio(bool pruebas);

/**
 * Puts the certificate, key and chain of a PKCS#12 file into ssl. Returns why it cannot (no
 * file, wrong password), or an empty text. The password is only used, never kept.
 */
QString cargarCertificado(const QString& ruta, const QByteArray& clave, QSslConfiguration& ssl);

/** Records never answered by the agency, in chain order, with what their links name. */
Resultado<QList<RegistroAEnviar>> registrosPendientes();

/** Seconds the agency asked to wait that have not passed yet (0: a message may go now). */
int segundosDeEspera();

struct ResultadoEnvio {
    int enviados = 0;
    int aceptados = 0;
    int conErrores = 0;
    int rechazados = 0;
    QString error; ///< why a message did not go or was refused whole; its records stay pending
    QString texto() const;
};

/** What a window follows of a send, and how it stops one. Both may be left empty. */
struct SeguimientoEnvio {
    std::function<void(int enviados, int total)> avance;
    std::function<bool()> cancelado; ///< asked while waiting; true stops the send
};

/**
 * Sends the pending records, at most 1000 a message, calling esperar(seconds) whenever the
 * agency's wait has not passed. Each answer is stored with its record; records of a message
 * that could not go (offline, a fault, cancelled, the program without its producer's N.I.F.)
 * stay pending for the next send. Never throws: a database failure comes back as the error.
 */
ResultadoEnvio enviarPendientes(const QUrl& url, const QSslConfiguration& ssl,
                                const std::function<void(int)>& esperar,
                                const SeguimientoEnvio& seguimiento = {});

/** A record with its latest answer, for the list of records. */
struct EstadoRegistro {
    RegistroFacturacion registro;
    QString estado; ///< empty: pending
    QString error;  ///< code and description of an error
};
Resultado<QList<EstadoRegistro>> estadosRegistros();

} // namespace torvane
