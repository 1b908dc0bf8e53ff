// The keyring's headers come first: GLib names a member "signals", which Qt defines as a word.
#ifdef TORVANE_LLAVERO
#include <libsecret/secret.h>
#endif

#include "core/mail/Llavero.h"

#include "core/store/Sesion.h"

namespace torvane {

namespace {

#ifdef TORVANE_LLAVERO
const SecretSchema* esquema() {
    static const SecretSchema s = {
        "es.torvane.Correo",
        SECRET_SCHEMA_NONE,
        {{"cuenta", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    return &s;
}

QString textoError(GError* error) {
    const QString texto = error ? QString::fromUtf8(error->message) : QString();
    if (error) g_error_free(error);
    return texto;
}
#endif

QString noGuardada(const QString& motivo) {
    return QStringLiteral("No se pudo guardar la contraseña en el llavero (%1); se usará "
                          "mientras el programa siga abierto.")
        .arg(motivo);
}

} // namespace

bool hayLlavero() {
#ifdef TORVANE_LLAVERO
    return true;
#else
    return false;
#endif
}

std::optional<QString> claveGuardada(const QString& cuenta) {
    const auto& claves = sesion().clavesCorreo;
    if (const auto it = claves.find(cuenta); it != claves.end()) return *it;
#ifdef TORVANE_LLAVERO
    GError* error = nullptr;
    gchar* clave = secret_password_lookup_sync(esquema(), nullptr, &error, "cuenta",
                                               cuenta.toUtf8().constData(), nullptr);
    textoError(error);
    if (!clave) return std::nullopt;
    const QString texto = QString::fromUtf8(clave);
    secret_password_free(clave);
    sesion().clavesCorreo.insert(cuenta, texto);
    return texto;
#else
    return std::nullopt;
#endif
}

QString recordarClave(const QString& cuenta, const QString& clave, bool enLlavero) {
    sesion().clavesCorreo.insert(cuenta, clave);
    if (!enLlavero) return {};
#ifdef TORVANE_LLAVERO
    GError* error = nullptr;
    const QByteArray etiqueta = QStringLiteral("Torvane: correo %1").arg(cuenta).toUtf8();
    secret_password_store_sync(esquema(), SECRET_COLLECTION_DEFAULT, etiqueta.constData(),
                               clave.toUtf8().constData(), nullptr, &error, "cuenta",
                               cuenta.toUtf8().constData(), nullptr);
    const QString fallo = textoError(error);
    return fallo.isEmpty() ? QString() : noGuardada(fallo);
#else
    return noGuardada(QStringLiteral("este equipo no tiene llavero"));
#endif
}

void olvidarClave(const QString& cuenta) {
    sesion().clavesCorreo.remove(cuenta);
#ifdef TORVANE_LLAVERO
    GError* error = nullptr;
    secret_password_clear_sync(esquema(), nullptr, &error, "cuenta", cuenta.toUtf8().constData(),
                               nullptr);
    textoError(error);
#endif
}

} // namespace torvane
