#pragma once

#include <QFileDevice>
#include <QString>

namespace torvane {

/*
 * Files holding tenants' personal data (the year, its copies, the PDFs and exports made of it)
 * are the user's alone.
 */

inline constexpr QFileDevice::Permissions kSoloUsuario =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;

/**
 * Creates ruta empty when missing and makes it the user's alone, before anything is written in
 * it: a writer that truncates it, or saves a new file over it, keeps that. False when it cannot.
 */
bool archivoPrivado(const QString& ruta);

/** Creates carpeta and its missing parents, each new one 0700; true when it exists after. */
bool crearCarpetaPrivada(const QString& carpeta);

} // namespace torvane
