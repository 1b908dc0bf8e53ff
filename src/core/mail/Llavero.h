#pragma once

#include <QString>
#include <optional>

namespace torvane {

/*
 * The mail server's password: given once per run of the program and kept in its memory, or
 * kept in the desktop's keyring when the program was built with it and the user asks. Never
 * written to a file by the program.
 */

/** Whether this build can reach the desktop keyring. */
bool hayLlavero();

/** The password for cuenta: this run's, else the keyring's; none when neither has it. */
std::optional<QString> claveGuardada(const QString& cuenta);

/**
 * Keeps clave for cuenta for the rest of this run and, with enLlavero, in the keyring. Returns
 * an empty text, or what to tell the user when the keyring did not take it (the run keeps it
 * all the same).
 */
QString recordarClave(const QString& cuenta, const QString& clave, bool enLlavero);

/** Forgets cuenta's password in this run and in the keyring (a server refused it). */
void olvidarClave(const QString& cuenta);

} // namespace torvane
