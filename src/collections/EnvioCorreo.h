#pragma once

#include <QList>

class QWidget;

namespace torvane {

/**
 * «Enviar por correo»: mails documents ids, each as its PDF, to their tenants with the mail
 * settings of «Configuración». Asks before sending again what went before, asks for the
 * server's password once per run (or takes it from the keyring), shows progress with
 * «Cancelar», then tells what went, what failed (offering to try those again) and which
 * documents have no address. Returns how many went.
 */
int enviarPorCorreo(QWidget* padre, const QList<int>& ids);

} // namespace torvane
