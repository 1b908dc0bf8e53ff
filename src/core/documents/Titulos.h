#pragma once

#include <QStringList>

namespace torvane {

/*
 * The one row of company data (tblTitulos) as the configuration window edits it: fourteen
 * texts in the order Empresa, CIF, NomCom, Enderezo, Poboacion, Telefonos, Internet, RexMer,
 * CtaBan, ProDat, PorRet (the withholding shown as a plain number, "15" or "7,5"), TxtExento
 * (the wording printed on documents without VAT), IdAcr (the SEPA creditor identifier) and
 * CtaRem (the IBAN remittances are collected into).
 */

QStringList camposTitulos();

/** The exemption wording of a dwelling's rent, printed when the company keeps none of its own. */
inline const QString kTextoExentoComun =
    QStringLiteral("Operación exenta de IVA (art. 20.Uno.23.º de la Ley 37/1992)");

/** The wording a document without VAT prints: the stored one, or the common one when blank. */
QString textoExento(const QString& guardado);

/** The first row's texts (the exemption wording always filled), or empty ones without a row. */
QStringList leerTitulos();

/**
 * Writes the texts into the row, creating it when the table has none. An empty withholding is
 * stored as no value; any other must be a number (the caller has checked it). The common
 * exemption wording is stored as no value, so a program that words it better prints the new one.
 */
void guardarTitulos(const QStringList& valores);

/** Who issues the documents: a natural person or a company (stored as 0 or 1 in TipEmi). */
enum class TipoEmisor { Persona = 0, Sociedad = 1 };

/** The issuer's kind; a person when the table has no row yet. */
TipoEmisor leerTipoEmisor();

/** Stores the issuer's kind, creating the row when the table has none. */
void guardarTipoEmisor(TipoEmisor tipo);

} // namespace torvane
