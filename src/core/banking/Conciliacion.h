#pragma once

#include "core/banking/Extracto.h"
#include "core/store/Resultado.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace torvane {

/*
 * What a bank statement says was paid or returned, proposed against the year's pending
 * documents and remittances, and applied once the user agrees: documents paid on the day the
 * money came, returned debits reopened, each applied movement kept so that no statement is
 * applied twice and one import can be undone whole.
 */

/** A pending document as the matching sees it. */
struct Pendiente {
    int id = 0;
    QString numero; ///< "57A"
    QDate fecha;
    qint64 centimos = 0;
    int inquilino = 0;
};

/** A remittance whose payment has not been recorded: the bank pays its total in one credit. */
struct RemesaAbierta {
    int id = 0;
    QString msgId;
    qint64 centimos = 0; ///< its debits not returned
};

/** One debit of a remittance, standing (not returned): what a return takes back. */
struct AdeudoVivo {
    int idCobro = 0; ///< a row of the debit, as devolverCobro takes it
    int remesa = 0;
    int inquilino = 0;
    QString iban;
    QString mandato;
    QStringList documentos; ///< "1A", "2A"
    qint64 centimos = 0;
};

/** What the matching reads from the year, once per statement. */
struct DatosConciliacion {
    QList<Pendiente> pendientes; ///< not paid, not cancelled, not in a standing debit
    QList<RemesaAbierta> remesas;
    QList<AdeudoVivo> adeudos;
    QHash<QString, int> cuentas;      ///< tenant accounts: IBAN → tenant
    QHash<int, QString> inquilinos;   ///< tenant → name, folded
    QHash<QString, QDate> importados; ///< movements already applied: clave → import date
};

/** Reads the year: every pending document, open remittance, standing debit and account. */
DatosConciliacion leerDatosConciliacion();

/** What confirming a movement would do. */
enum class Operacion { Pagar, CobrarRemesa, Devolver };

struct Propuesta {
    int movimiento = 0; ///< index in the statement's list
    Operacion operacion = Operacion::Pagar;
    QList<int> documentos; ///< Pagar: the documents it pays
    QStringList numeros;   ///< their numbers, or the returned debit's
    int remesa = 0;        ///< CobrarRemesa: the remittance
    int idCobro = 0;       ///< Devolver: the debit
    QString motivo;        ///< Devolver: the reason in words ("AM04 Saldo insuficiente")
    QString porque;        ///< why it matched, for the user
};

/** A movement not proposed, and why. */
struct Aparte {
    int movimiento = 0;
    QString porque;
};

struct Conciliacion {
    QList<Movimiento> movimientos;
    QList<Propuesta> propuestas;
    QList<Aparte> dudosos;    ///< more than one way to read it: the user decides by hand
    QList<Aparte> sinPareja;  ///< nothing of the year fits
    QList<Aparte> importados; ///< applied by an earlier import
    int cargos = 0;           ///< money out that is no return: not the program's business
};

/**
 * The key a movement is recognised by in a later import: account, date, amount and reference
 * (its text when the bank gives none), and its rank among the statement's identical ones.
 */
QStringList clavesMovimientos(const QList<Movimiento>& movimientos);

/**
 * The proposal for a statement: each credit against, in order, a remittance's reference or
 * document numbers in its text, the payer's account, the tenant's name, and the amount alone
 * (one document, or several of one tenant summing exactly); each return against its standing
 * debit. No document is proposed twice.
 */
Conciliacion proponerConciliacion(const QList<Movimiento>& movimientos,
                                  const DatosConciliacion& datos);

/**
 * Applies the chosen proposals in one transaction, as one import of the file named archivo;
 * gives the import's Id. A proposal whose documents changed meanwhile stops it all.
 */
Resultado<int> aplicarConciliacion(const Conciliacion& c, const QList<Propuesta>& elegidas,
                                   const QString& archivo);

/** One import, as the list of imports shows it. */
struct Importacion {
    int id = 0;
    QDate fecha;
    QString archivo;
    int movimientos = 0;
    bool deshecha = false;
};
/** Every import, newest first. */
QList<Importacion> importaciones();

/**
 * Undoes everything import id applied: paid documents pending again, returned debits standing
 * again, a remittance unpaid again. Refused, with the document named, once anything it applied
 * was changed by a later payment, return or remittance.
 */
Resultado<> deshacerImportacion(int id);

} // namespace torvane
