#pragma once

#include "core/store/Importe.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace torvane {

/*
 * The SEPA Core direct-debit file (ISO 20022 pain.008.001.02) the bank takes, and the rules
 * around it: the SEPA character set, amounts in cents, the banks' business days.
 */

/** Who collects: the company data of the year. */
struct Acreedor {
    QString nombre;
    QString identificador; ///< SEPA creditor identifier (ES12000B…)
    QString iban;          ///< the account the debits are paid into
};

/** One debit of the file. */
struct Adeudo {
    QString referencia; ///< EndToEndId: its documents' numbers and series ("57A-58A")
    Importe importe;
    QString mandato;
    QDate firma;
    QString secuencia; ///< "FRST" or "RCUR"
    QString deudor;
    QString iban;
    QString concepto; ///< "Recibo 57A diciembre 2026", or every document's number
};

struct DatosFichero {
    QString msgId;
    QDateTime creado;
    QDate fechaCobro;
    Acreedor acreedor;
    QList<Adeudo> adeudos;
};

/** The file's bytes (UTF-8): one PmtInf per sequence type, in FRST, RCUR order. */
QByteArray xmlRemesa(const DatosFichero& datos);

/**
 * The text within the SEPA Latin set (a-z A-Z 0-9 / - ? : ( ) . , ' + space): accents and ñ
 * lose their marks, "&" becomes "y", anything else a space; cut to maximo characters.
 */
QString textoSepa(const QString& texto, int maximo);
/** Whether a reference (mandate, message) keeps to the SEPA set without spaces. */
bool referenciaSepaValida(const QString& referencia);

/** "1234.50": what the file carries. */
QString importeSepa(Importe importe);

/** Whether banks settle on this day (no weekend, no TARGET holiday). */
bool diaHabilBancario(const QDate& fecha);
/** The first business day after desde. */
QDate siguienteDiaHabil(const QDate& desde);
/**
 * The earliest collection date a file made today (hoy) may ask: the second business day after
 * it, so the debtor's bank has its time.
 */
QDate primerDiaCobro(const QDate& hoy);
/** Why fecha cannot be asked as the collection date when today is hoy; empty when it can. */
QString motivoFechaCobro(const QDate& fecha, const QDate& hoy);

} // namespace torvane
