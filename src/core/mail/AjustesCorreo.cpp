#include "core/mail/AjustesCorreo.h"

#include "core/store/Ajustes.h"

#include <QRegularExpression>
#include <QUrl>

namespace torvane {

namespace {

const QString kPrefijo = QStringLiteral("correo/");

const QString kAsuntoPorDefecto = QStringLiteral("Documento {{documento.numero}} de "
                                                 "{{documento.periodo}}");
const QString kCuerpoPorDefecto =
    QStringLiteral("Estimado/a {{inquilino.nombre}}:\n\n"
                   "Le enviamos adjunto el documento {{documento.numero}} de "
                   "{{documento.periodo}}, por un total de {{documento.total}} euros.\n\n"
                   "Un saludo,\n{{empresa.nombre}}\n");

QString seguridadATexto(Seguridad s) {
    switch (s) {
    case Seguridad::Ssl:
        return QStringLiteral("ssl");
    case Seguridad::Ninguna:
        return QStringLiteral("ninguna");
    case Seguridad::StartTls:
        break;
    }
    return QStringLiteral("starttls");
}

Seguridad seguridadDeTexto(const QString& texto) {
    if (texto == QLatin1String("ssl")) return Seguridad::Ssl;
    if (texto == QLatin1String("ninguna")) return Seguridad::Ninguna;
    return Seguridad::StartTls;
}

} // namespace

QString AjustesCorreo::url() const {
    const QString esquema =
        seguridad == Seguridad::Ssl ? QStringLiteral("smtps://") : QStringLiteral("smtp://");
    // An IPv6 literal needs its brackets in a URL.
    const QString anfitrion = servidor.contains(QLatin1Char(':'))
                                  ? QLatin1Char('[') + servidor + QLatin1Char(']')
                                  : servidor;
    return esquema + anfitrion + QLatin1Char(':') + QString::number(puerto);
}

QString AjustesCorreo::cuenta() const {
    return usuario + QLatin1Char('@') + servidor + QLatin1Char(':') + QString::number(puerto);
}

int puertoHabitual(Seguridad seguridad) {
    switch (seguridad) {
    case Seguridad::Ssl:
        return 465;
    case Seguridad::Ninguna:
        return 25;
    case Seguridad::StartTls:
        break;
    }
    return 587;
}

AjustesCorreo leerAjustesCorreo() {
    const Ajustes a;
    const auto texto = [&a](const char* clave, const QString& porDefecto = {}) {
        return a.valor(kPrefijo + QLatin1String(clave), porDefecto).toString();
    };
    AjustesCorreo c;
    c.servidor = texto("servidor").trimmed();
    c.seguridad = seguridadDeTexto(texto("seguridad"));
    bool ok = false;
    const int puerto = texto("puerto").toInt(&ok);
    c.puerto = ok && puerto > 0 && puerto < 65536 ? puerto : puertoHabitual(c.seguridad);
    c.verificarCertificado = texto("verificar", QStringLiteral("1")) != QLatin1String("0");
    c.usuario = texto("usuario");
    c.nombreRemitente = texto("nombre");
    c.direccionRemitente = texto("direccion").trimmed();
    c.responderA = texto("responderA").trimmed();
    c.copiaOculta = texto("copiaOculta").trimmed();
    c.asunto = texto("asunto", kAsuntoPorDefecto);
    c.cuerpo = texto("cuerpo", kCuerpoPorDefecto);
    return c;
}

bool guardarAjustesCorreo(const AjustesCorreo& c) {
    Ajustes a;
    const std::pair<const char*, QString> valores[] = {
        {"servidor", c.servidor.trimmed()},
        {"puerto", QString::number(c.puerto)},
        {"seguridad", seguridadATexto(c.seguridad)},
        {"verificar", c.verificarCertificado ? QStringLiteral("1") : QStringLiteral("0")},
        {"usuario", c.usuario},
        {"nombre", c.nombreRemitente},
        {"direccion", c.direccionRemitente.trimmed()},
        {"responderA", c.responderA.trimmed()},
        {"copiaOculta", c.copiaOculta.trimmed()},
        {"asunto", c.asunto},
        {"cuerpo", c.cuerpo},
    };
    bool ok = true;
    for (const auto& [clave, valor] : valores)
        ok = a.fijar(kPrefijo + QLatin1String(clave), valor) && ok;
    return ok;
}

bool direccionValida(const QString& texto) {
    // RFC 5321's limits; quoted local parts and address literals are left out on purpose:
    // a tenant's address that needs them is a typing mistake far more often than real.
    static const QRegularExpression local(
        QStringLiteral(R"(^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*$)"));
    static const QRegularExpression etiqueta(
        QStringLiteral(R"(^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$)"));
    if (texto.size() > 254) return false;
    const qsizetype arroba = texto.lastIndexOf(QLatin1Char('@'));
    if (arroba <= 0 || arroba > 64) return false;
    if (!local.match(texto.left(arroba)).hasMatch()) return false;
    const QString dominio = QString::fromLatin1(QUrl::toAce(texto.mid(arroba + 1)));
    const QStringList etiquetas = dominio.split(QLatin1Char('.'));
    if (dominio.isEmpty() || etiquetas.size() < 2) return false;
    for (const QString& e : etiquetas)
        if (!etiqueta.match(e).hasMatch()) return false;
    // The last label is a name, never a number: "a@1.2.3.4" is a typo.
    return !etiquetas.last().front().isDigit();
}

QString motivoAjustesCorreo(const AjustesCorreo& c) {
    if (c.servidor.trimmed().isEmpty())
        return QStringLiteral("Falta el servidor de correo (SMTP) en «Configuración».");
    if (c.servidor.contains(QLatin1Char('/')) || c.servidor.contains(QLatin1Char(' ')))
        return QStringLiteral("El servidor de correo «%1» no es un nombre de servidor.")
            .arg(c.servidor);
    if (c.puerto <= 0 || c.puerto > 65535)
        return QStringLiteral("El puerto del servidor de correo debe estar entre 1 y 65535.");
    if (!direccionValida(c.direccionRemitente))
        return QStringLiteral("La dirección del remitente «%1» no es una dirección de correo.")
            .arg(c.direccionRemitente);
    if (!c.responderA.isEmpty() && !direccionValida(c.responderA))
        return QStringLiteral("La dirección de respuesta «%1» no es una dirección de correo.")
            .arg(c.responderA);
    if (!c.copiaOculta.isEmpty() && !direccionValida(c.copiaOculta))
        return QStringLiteral("La dirección de copia «%1» no es una dirección de correo.")
            .arg(c.copiaOculta);
    if (c.asunto.trimmed().isEmpty()) return QStringLiteral("Falta el asunto de los mensajes.");
    return {};
}

QString avisoSeguridad(const AjustesCorreo& c) {
    if (c.seguridad == Seguridad::Ninguna)
        return QStringLiteral("Sin cifrar, la contraseña y los documentos viajan legibles por la "
                              "red. Úselo solo con un servidor de su propia oficina.");
    if (!c.verificarCertificado)
        return QStringLiteral("Sin comprobar el certificado, otro equipo podría hacerse pasar "
                              "por su servidor y leer lo que envía.");
    return {};
}

} // namespace torvane
