#include "core/mail/Smtp.h"

#include <QDateTime>
#include <QUrl>
#include <QUuid>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace torvane {

namespace {

/** The last line the server said, its last refusal, and whether the caller gave up. */
struct Conversacion {
    QByteArray ultimaRespuesta;
    QByteArray ultimoRechazo; ///< 4xx or 5xx: kept, as the server may say "221 Bye" after it
    const std::function<bool()>* cancelar = nullptr;
};

int alDepurar(CURL*, curl_infotype tipo, char* datos, size_t largo, void* propio) {
    if (tipo != CURLINFO_HEADER_IN) return 0;
    const QByteArray linea = QByteArray(datos, static_cast<qsizetype>(largo)).trimmed();
    auto* conversacion = static_cast<Conversacion*>(propio);
    if (!linea.isEmpty()) conversacion->ultimaRespuesta = linea;
    if (linea.startsWith('4') || linea.startsWith('5')) conversacion->ultimoRechazo = linea;
    return 0;
}

int alAvanzar(void* propio, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelar = static_cast<Conversacion*>(propio)->cancelar;
    return *cancelar && (*cancelar)() ? 1 : 0;
}

bool esAsciiImprimible(const QString& texto) {
    for (QChar c : texto)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return true;
}

// A header value may not break its line: a template or a name with a newline would otherwise
// add headers of its own.
QString enUnaLinea(QString texto) {
    texto.replace(QLatin1String("\r\n"), QLatin1String(" "));
    texto.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return texto.simplified();
}

/** texto as RFC 2047 encoded words when it is not plain ASCII, each word under 76 characters. */
QByteArray codificado(const QString& texto) {
    if (esAsciiImprimible(texto)) return texto.toLatin1();
    QByteArrayList palabras;
    QByteArray trozo;
    // 45 bytes of UTF-8 make 60 of base64: the word stays short, and no character is split.
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const bool par = texto[i].isHighSurrogate() && i + 1 < texto.size();
        const QByteArray caracter = texto.mid(i, par ? 2 : 1).toUtf8();
        if (par) ++i;
        if (trozo.size() + caracter.size() > 45) {
            palabras << "=?UTF-8?B?" + trozo.toBase64() + "?=";
            trozo.clear();
        }
        trozo += caracter;
    }
    if (!trozo.isEmpty()) palabras << "=?UTF-8?B?" + trozo.toBase64() + "?=";
    return palabras.join(' ');
}

/** An address as servers take it: the domain in its ASCII form. */
QByteArray direccionAscii(const QString& direccion) {
    const qsizetype arroba = direccion.lastIndexOf(QLatin1Char('@'));
    return direccion.left(arroba).toLatin1() + '@' + QUrl::toAce(direccion.mid(arroba + 1));
}

QByteArray buzon(const QString& nombre, const QString& direccion) {
    const QByteArray dir = '<' + direccionAscii(direccion) + '>';
    const QString limpio = enUnaLinea(nombre);
    if (limpio.isEmpty()) return dir;
    if (!esAsciiImprimible(limpio)) return codificado(limpio) + ' ' + dir;
    QByteArray citado = limpio.toLatin1();
    citado.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + citado + "\" " + dir;
}

/** A file name every mail program shows: accents dropped, nothing that needs quoting. */
QByteArray nombreAscii(const QString& nombre) {
    QByteArray ascii;
    for (QChar c : nombre.normalized(QString::NormalizationForm_D)) {
        if (c.unicode() >= 0x80 || c.category() == QChar::Mark_NonSpacing) continue;
        ascii += c == QLatin1Char('"') || c == QLatin1Char('\\') || c.unicode() < 0x20
                     ? '_'
                     : static_cast<char>(c.unicode());
    }
    return ascii.isEmpty() ? QByteArray("documento.pdf") : ascii;
}

using Lista = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

Lista cabeceras(const AjustesCorreo& a, const MensajeCorreo& m) {
    const QByteArrayList lineas = {
        "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1(),
        "From: " + buzon(a.nombreRemitente, a.direccionRemitente),
        "To: " + buzon({}, m.para),
        "Subject: " + codificado(enUnaLinea(m.asunto)),
        "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' +
            QUrl::toAce(a.direccionRemitente.mid(a.direccionRemitente.lastIndexOf(u'@') + 1)) + '>',
    };
    curl_slist* lista = nullptr;
    for (const QByteArray& linea : lineas)
        lista = curl_slist_append(lista, linea.constData());
    if (!a.responderA.isEmpty())
        lista = curl_slist_append(lista, ("Reply-To: " + buzon({}, a.responderA)).constData());
    return {lista, &curl_slist_free_all};
}

Lista destinatarios(const AjustesCorreo& a, const MensajeCorreo& m) {
    curl_slist* lista =
        curl_slist_append(nullptr, ('<' + direccionAscii(m.para) + '>').constData());
    if (!a.copiaOculta.isEmpty())
        lista = curl_slist_append(lista, ('<' + direccionAscii(a.copiaOculta) + '>').constData());
    return {lista, &curl_slist_free_all};
}

/** The body as text and the PDF as a base64 attachment; the message's headers go on top. */
curl_mime* cuerpoMime(CURL* curl, const MensajeCorreo& m, const QByteArray& texto) {
    curl_mime* mime = curl_mime_init(curl);
    curl_mimepart* parte = curl_mime_addpart(mime);
    curl_mime_data(parte, texto.constData(), static_cast<size_t>(texto.size()));
    curl_mime_type(parte, "text/plain; charset=UTF-8");
    curl_mime_encoder(parte, "quoted-printable");
    parte = curl_mime_addpart(mime);
    curl_mime_data(parte, m.pdf.constData(), static_cast<size_t>(m.pdf.size()));
    curl_mime_type(parte, "application/pdf");
    curl_mime_filename(parte, nombreAscii(m.nombrePdf).constData());
    curl_mime_encoder(parte, "base64");
    return mime;
}

EnvioSmtp resultado(CURLcode codigo, const Conversacion& conversacion, const char* error,
                    const AjustesCorreo& a) {
    const QString servidor = a.servidor + QLatin1Char(':') + QString::number(a.puerto);
    const QByteArray& rechazo = conversacion.ultimoRechazo;
    const QString dijo = QString::fromUtf8(
        codigo == CURLE_OK || rechazo.isEmpty() ? conversacion.ultimaRespuesta : rechazo);
    const QString curl = QString::fromUtf8(*error ? error : curl_easy_strerror(codigo));
    switch (codigo) {
    case CURLE_OK:
        return {EnvioSmtp::Enviado, dijo};
    case CURLE_ABORTED_BY_CALLBACK:
        return {EnvioSmtp::Cancelado, QStringLiteral("Envío cancelado.")};
    case CURLE_LOGIN_DENIED:
        return {EnvioSmtp::ClaveRechazada,
                QStringLiteral("El servidor %1 no acepta el usuario o la contraseña: %2")
                    .arg(servidor, dijo.isEmpty() ? curl : dijo)};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
        return {EnvioSmtp::SinConexion,
                QStringLiteral("No se pudo establecer una conexión segura con %1 (%2). Compruebe "
                               "el servidor, el puerto y la seguridad en «Configuración».")
                    .arg(servidor, curl)};
    case CURLE_USE_SSL_FAILED:
        return {EnvioSmtp::SinConexion,
                QStringLiteral("El servidor %1 no ofrece cifrado (STARTTLS). Compruebe la "
                               "seguridad en «Configuración».")
                    .arg(servidor)};
    default:
        break;
    }
    // A reply of the 4xx or 5xx kind is the server's refusal; anything else broke the line.
    if (!rechazo.isEmpty() && codigo != CURLE_COULDNT_CONNECT &&
        codigo != CURLE_COULDNT_RESOLVE_HOST)
        return {EnvioSmtp::Rechazado,
                QStringLiteral("El servidor de correo lo rechazó: %1").arg(dijo)};
    return {EnvioSmtp::SinConexion,
            QStringLiteral("No se pudo enviar por el servidor %1: %2").arg(servidor, curl)};
}

} // namespace

EnvioSmtp enviarCorreo(const AjustesCorreo& ajustes, const QString& clave,
                       const MensajeCorreo& mensaje, const std::function<bool()>& cancelar) {
    static std::once_flag iniciado;
    std::call_once(iniciado, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    Conversacion conversacion;
    conversacion.cancelar = &cancelar;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray url = ajustes.url().toUtf8();
    const QByteArray remitente = '<' + direccionAscii(ajustes.direccionRemitente) + '>';
    const QByteArray usuario = ajustes.usuario.toUtf8();
    const QByteArray contrasena = clave.toUtf8();
    const QByteArray texto = mensaje.cuerpo.toUtf8();
    const Lista para = destinatarios(ajustes, mensaje);
    const Lista encabezado = cabeceras(ajustes, mensaje);
    // Everything the handle points to outlives it: closing it may still talk to the server.
    CURL* c = curl_easy_init();
    if (!c) return {EnvioSmtp::SinConexion, QStringLiteral("No se pudo preparar el envío.")};
    curl_mime* mime = cuerpoMime(c, mensaje, texto);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, remitente.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, para.get());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, encabezado.get());
    curl_easy_setopt(c, CURLOPT_MIMEPOST, mime);
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     static_cast<long>(ajustes.seguridad == Seguridad::Ninguna ? CURLUSESSL_NONE
                                                                               : CURLUSESSL_ALL));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, ajustes.verificarCertificado ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, ajustes.verificarCertificado ? 2L : 0L);
    if (!ajustes.usuario.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, usuario.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, contrasena.constData());
    }
    // A server that stops answering is given up after a minute, not waited on for ever.
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &alAvanzar);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &conversacion);
    // The server's replies reach us through the debug hook only; nothing is printed.
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &alDepurar);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &conversacion);
    const CURLcode codigo = curl_easy_perform(c);
    const EnvioSmtp envio = resultado(codigo, conversacion, error, ajustes);
    curl_easy_cleanup(c);
    curl_mime_free(mime);
    return envio;
}

} // namespace torvane
