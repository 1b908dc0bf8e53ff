#pragma once

#include "core/store/Resultado.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace torvane {

/*
 * A bank statement as the bank hands it: an AEB «Cuaderno 43» text file or an ISO 20022
 * camt.053 message, read into one list of movements. Which of the two a file is comes from its
 * content, never from its name. Statements come from outside: any byte is expected, and a file
 * that is neither, or is damaged, gives a Fallo saying where and why.
 */

/** One line of a statement. */
struct Movimiento {
    QString cuenta;          ///< the statement's account, as an IBAN
    QDate fecha;             ///< booking date: the day the money moved
    qint64 centimos = 0;     ///< positive: money in (abono); negative: money out (cargo)
    QString referencia;      ///< the bank's own reference of the movement; may be empty
    QString concepto;        ///< every text the bank gives of it, joined
    QString nombre;          ///< who paid (camt debtor); empty when not given
    QString iban;            ///< the payer's account (camt); empty when not given
    bool devolucion = false; ///< a returned direct debit
    QString motivo;          ///< the return's reason code ("AM04"); empty when not given
    int linea = 0;           ///< where it starts in the file (1 = first line)
};

/** A file's movements in the file's order. */
Resultado<QList<Movimiento>> leerExtracto(const QByteArray& contenido);

/** The two formats read alone, for the tests and the fuzzers. */
Resultado<QList<Movimiento>> leerNorma43(const QByteArray& contenido);
Resultado<QList<Movimiento>> leerCamt053(const QByteArray& contenido);

/** A statement no bank would send: more bytes than this is refused before reading. */
inline constexpr qsizetype kMaximoExtracto = 64 * 1024 * 1024;

} // namespace torvane
