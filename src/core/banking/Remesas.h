#pragma once

#include "core/store/Resultado.h"

#include "core/banking/FicheroSepa.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace torvane {

/*
 * Direct debit of unpaid documents from the tenants' accounts: which documents can go and
 * why the others cannot, the remittance stored with its file, its payment, and returns.
 * A document is "remesado" while a remittance holds it not returned.
 */

/** Which unpaid documents a remittance proposes. */
struct FiltroRemesa {
    QDate desde;
    QDate hasta;
    QString serie;  ///< empty: every series
    QSet<int> solo; ///< not empty: only these documents
};

/** One document of a proposal, with the account and mandate it would be debited on. */
struct CobroRemesa {
    int idDoc = 0;
    QString numero; ///< "57A"
    QDate fecha;
    bool factura = false;
    Importe importe;
    QString inquilino;
    int idCta = 0;
    QString iban;
    QString mandato;
    QDate firma;
    QString secuencia; ///< "FRST" or "RCUR"
    QString motivo;    ///< why it cannot go; empty when it can
};

/** Unpaid, not remitted documents of the filter, by tenant and date. */
QList<CobroRemesa> proponerRemesa(const FiltroRemesa& filtro);
/**
 * The month a remittance starts from: today's in the working year ano; in another year's file
 * (one made ahead in December, or a past one) the month of its latest document, or January.
 */
FiltroRemesa mesRemesaPropuesto(const QDate& hoy, int ano);
/** "Recibo 57A diciembre 2026": the text the tenant reads on the bank statement. */
QString conceptoAdeudo(const CobroRemesa& cobro);
/**
 * The debits of the file: one per mandate, in the order of the proposal, carrying the sum of its
 * documents that can go, their numbers as its reference and in its text.
 */
QList<Adeudo> adeudosDeRemesa(const QList<CobroRemesa>& cobros);

/** The company data a remittance needs. */
Acreedor leerAcreedor();
/** What is missing or wrong in the company data to make a file; empty when nothing. */
QString motivoAcreedor(const Acreedor& acreedor);

/**
 * Stores the remittance of cobros (only those that can go) and writes its file at ruta, both
 * or neither: the documents become "remesado" and each mandate debited for the first time
 * has its first debit done. Fails with the reason; gives the remittance's Id.
 */
Resultado<int> generarRemesa(const QList<CobroRemesa>& cobros, const QDate& fechaCobro,
                             const QString& ruta);

/** Id, date, collection date, file, documents, total, returned, "SÍ"/"NO" paid; newest first. */
QList<QStringList> filasRemesas();
/** Id, document, tenant, IBAN, mandate, sequence, amount, return date and reason. */
QList<QStringList> filasCobrosRemesa(int idRem);
/**
 * The bank paid it: its documents not returned are marked paid, by direct debit, on its
 * collection date. Returns how many.
 */
Resultado<int> marcarRemesaCobrada(int idRem);

/** "AM04 Saldo insuficiente" and the other reasons a bank gives for a return. */
QStringList motivosDevolucion();
/**
 * The debit holding idCobro (a row of filasCobrosRemesa) came back: every document it carried
 * is unpaid and free for the next remittance. When no debit of its mandate stands and its first
 * one came back, the mandate's next debit is a first one (FRST) again.
 */
Resultado<> devolverCobro(int idCobro, const QDate& fecha, const QString& motivo);
/** The documents ("1A", "2A") of the debit holding idCobro. */
QStringList documentosDelAdeudo(int idCobro);

/** Why the account's mandate reference cannot be stored; empty when it can. */
QString motivoMandato(const QString& referencia, int idCta);
/** A reference no other account holds, for the account idCta of the tenant idInq. */
QString mandatoPropuesto(int idInq, int idCta);

} // namespace torvane
