#pragma once

#include <QString>

namespace torvane {

/*
 * Checks of the identifiers a direct debit depends on: IBAN (ISO 13616), Spanish N.I.F.
 * (D.N.I., N.I.E. and company) and the SEPA creditor identifier. Each motivo…() returns what
 * is wrong in Spanish, or an empty text when the value is right. Spaces, dots and dashes are
 * ignored, and lower case counts as upper case.
 */

/** The value as stored: upper case, without spaces, dots or dashes. */
QString compactarIdentificador(const QString& texto);

QString motivoIban(const QString& iban);
inline bool ibanValido(const QString& iban) {
    return motivoIban(iban).isEmpty();
}
/** "ES91 2100 0418 4502 0005 1332": the compact form in groups of four. */
QString ibanAgrupado(const QString& iban);
/** The IBAN of a country's domestic account number, its check digits computed. */
QString calcularIban(const QString& pais, const QString& bban);
/** The two national control digits (DC) of a Spanish account: bank and branch (eight
 * digits), then the ten of the account number. */
QString digitosControlCuenta(const QString& entidadOficina, const QString& cuenta);

QString motivoNif(const QString& nif);
inline bool nifValido(const QString& nif) {
    return motivoNif(nif).isEmpty();
}
/** The control letter of a D.N.I. number (0 to 99999999). */
QChar letraDni(int numero);

QString motivoIdentificadorAcreedor(const QString& identificador);
/** "ES" + check digits + sufijo + the N.I.F., as the bank assigns it. */
QString identificadorAcreedor(const QString& nif, const QString& sufijo = QStringLiteral("000"));

} // namespace torvane
