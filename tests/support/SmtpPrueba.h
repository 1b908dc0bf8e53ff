#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

/**
 * A mail server of the test's own (aiosmtpd) on a free local port, keeping what it accepts in a
 * temporary folder. Recipients named "rechazado…" are refused with 550.
 */
class SmtpPrueba {
public:
    struct Opciones {
        QString usuario; ///< when set, mail is taken only after logging in with clave
        QString clave;
        bool tls = false; ///< STARTTLS required, with a self-signed certificate for 127.0.0.1
    };
    explicit SmtpPrueba(const Opciones& opciones);
    SmtpPrueba()
        : SmtpPrueba(Opciones{}) {}
    ~SmtpPrueba();
    SmtpPrueba(const SmtpPrueba&) = delete;
    SmtpPrueba& operator=(const SmtpPrueba&) = delete;

    /** Why the server could not start; empty when it runs. */
    QString error() const { return error_; }
    int puerto() const { return puerto_; }

    /**
     * The messages accepted so far, oldest first, waiting up to 10 s for esperados of them:
     * remitente, destinatarios, from, to, asunto, replyTo, cuerpo (decoded) and adjuntos (nombre,
     * tipo, archivo: the PDF as received).
     */
    QList<QJsonObject> recibidos(int esperados = 0) const;

    /** A local port nothing listens on. */
    static int puertoCerrado();

private:
    QTemporaryDir dir_;
    QProcess proceso_;
    QString error_;
    int puerto_ = 0;
};
