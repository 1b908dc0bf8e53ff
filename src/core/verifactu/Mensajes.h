#pragma once

#include "core/verifactu/Huella.h"

#include <QByteArray>
#include <QList>

namespace torvane {

/*
 * The agency's web-service messages for verifiable invoicing: the SOAP request that carries
 * billing records (RegFactuSistemaFacturacion) and its answer, per record.
 */

/** A record with what its chain link names of the previous one. */
struct RegistroAEnviar {
    RegistroFacturacion registro;
    QString numSerieAnt; ///< empty with an empty huellaAnt: the first record of the chain
    QString fechaAnt;
};

/** The request with the records (the agency takes at most 1000 a message). */
QByteArray mensajeRegistros(const QList<RegistroAEnviar>& registros);

/** One record's answer. */
struct RespuestaRegistro {
    QString numSerie;
    QString fecha;
    bool anulacion = false;
    QString estado; ///< Correcto, AceptadoConErrores or Incorrecto
    QString codigo;
    QString descripcion;
};

struct RespuestaEnvio {
    QString error; ///< a fault or an unreadable answer: nothing was taken
    QString estadoEnvio;
    QString csv;
    int espera = 60; ///< seconds the agency asks to wait before the next send
    QList<RespuestaRegistro> registros;
};

RespuestaEnvio leerRespuesta(const QByteArray& xml);

} // namespace torvane
