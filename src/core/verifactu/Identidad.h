#pragma once

#include <QString>

namespace torvane {

/*
 * Who makes this billing software and which one it is, as the agency's records and the
 * producer's responsible declaration name them. Set when the program is built (CMake cache
 * variables TORVANE_PRODUCTOR_*, TORVANE_SISTEMA_*, TORVANE_DECLARACION_*); the version is the
 * project's own.
 */
struct IdentidadSistema {
    QString productor; ///< name or company name of whoever distributes the program
    QString nifProductor;
    QString direccionProductor; ///< postal address
    QString nombreSistema;
    QString idSistema; ///< two characters, the agency's IdSistemaInformatico
    QString version;
    QString lugarDeclaracion; ///< "Localidad, País"
    QString fechaDeclaracion; ///< dd-mm-aaaa
};

const IdentidadSistema& identidadSistema();

/** What is missing for records to name their producer; empty when nothing is. */
QString faltaIdentidad();

/**
 * This installation's number: created the first time it is asked for, kept in the user's
 * settings from then on.
 */
QString numeroInstalacion();

/** The responsible declaration its producer makes of a billing system, with those values. */
QString declaracionResponsable();

} // namespace torvane
