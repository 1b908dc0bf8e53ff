#pragma once

#include "core/store/Importe.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace torvane {

/*
 * The fingerprint and the QR of a billing record, as the tax agency (AEAT) defines them for
 * verifiable invoicing: plain functions of the record's texts, with no database.
 */

/** One billing record: an alta (an invoice issued) or an anulación (an invoice cancelled). */
struct RegistroFacturacion {
    int id = 0;
    int idDoc = 0;
    bool anulacion = false;
    QString nif;          ///< issuer
    QString nombre;       ///< issuer's name
    QString numSerie;     ///< "57B"
    QString fecha;        ///< date of issue, dd-mm-yyyy
    QString tipoFactura;  ///< F1, R1…R5 (alta only)
    QString rectNumSerie; ///< the invoice a rectifying one corrects
    QString rectFecha;
    QString descripcion;
    QString destNif;
    QString destNombre;
    QString porIva;   ///< "21.00"
    QString exencion; ///< E1 for exempt rent, otherwise empty
    QString base;
    QString cuota;
    QString importe;
    QString huellaAnt; ///< the previous record's fingerprint, empty for the first
    QString fechaHora; ///< 2024-01-01T19:20:30+01:00
    QString huella;
    QString sistema;           ///< the software that made it
    QString tipoRectificativa; ///< I (by differences) or S (by substitution); rectifying only
    QString baseRectificada;   ///< by substitution: the rectified invoice's base and VAT
    QString cuotaRectificada;
};

/** The text hashed for a record, fields in the agency's order. */
QString textoHuella(const RegistroFacturacion& r);

/** SHA-256 of textoHuella in upper-case hexadecimal. */
QString calcularHuella(const RegistroFacturacion& r);

/** An amount as the agency's messages write it: two decimals and a point ("-12.50"). */
QString importeAeat(Importe importe);
/** A rate the same way ("21.00"). */
QString importeAeat(Decimal tasa);

/** A date as dd-mm-yyyy. */
QString fechaAeat(const QDate& fecha);

/** A moment with its time zone: 2024-01-01T19:20:30+01:00. */
QString fechaHoraAeat(const QDateTime& momento);

/** The agency's checking address of an invoice, what its QR holds: the test site unless
 * produccion. */
QString urlCotejo(const RegistroFacturacion& r, bool produccion = false);

} // namespace torvane
