#pragma once

#include <QFileDevice>
#include <QString>

/*
 * Files holding tenants' personal data (the year, its copies) are the user's alone.
 */

inline constexpr QFileDevice::Permissions kSoloUsuario =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;

/** Creates carpeta and its missing parents, each new one 0700; true when it exists after. */
bool crearCarpetaPrivada(const QString& carpeta);
