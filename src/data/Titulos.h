#pragma once

#include <QStringList>

/*
 * The one row of company data (tblTitulos) as the configuration window edits it: eleven texts
 * in the order Empresa, CIF, NomCom, Enderezo, Poboacion, Telefonos, Internet, RexMer, CtaBan,
 * ProDat, PorRet (the withholding shown as a plain number, "15" or "7,5").
 */

QStringList camposTitulos();

/** The first row's texts, or eleven empty texts when the table has no row. */
QStringList leerTitulos();

/**
 * Writes the texts into the row, creating it when the table has none. An empty withholding is
 * stored as no value; any other must be a number (the caller has checked it).
 */
void guardarTitulos(const QStringList& valores);
