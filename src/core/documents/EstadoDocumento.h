#pragma once

#include "core/store/Importe.h"
#include "core/store/Resultado.h"

#include "core/documents/Registros.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <optional>

namespace torvane {

/*
 * A collection document's life, defined once: issued, printed (and how), remitted (in which
 * remittance), paid (when and how), returned, cancelled, rectified (by which); what each state
 * allows; what its paper says about payment; and which documents each total counts. Every
 * window, list, report, export and file asks here.
 */

/** Where a document stands, read from the database in one statement. */
struct EstadoDocumento {
    int id = 0;
    QString numero;       ///< "57A"
    bool factura = false; ///< issued to be printed as an invoice
    Importe total;
    bool impreso = false;
    QString comoImpreso;   ///< "Impresora HP", "PDF", "Emisión": what printed it first
    int remesa = 0;        ///< the remittance whose debit of it stands (not returned); 0: none
    QDate fechaCargo;      ///< that debit's collection date
    QString ibanCargo;     ///< the account it is debited to
    bool remesado = false; ///< it went in a remittance once, returned or not
    bool devuelto = false; ///< its last debit came back
    bool pagado = false;
    QDate fechaPago;
    QString formaPago;
    bool anulado = false;
    QDate fechaAnulacion;
    QString rectificadaPor; ///< number of a rectifying document of it not cancelled ("1R")
    int rectifica = 0;      ///< the invoice this one rectifies
    EstadoFactura verifactu = EstadoFactura::Libre;
    QString posterior; ///< a later number of its series ("58A"); empty when it is the last
    int emision = 0;   ///< its monthly run

    /** "recibo" or "factura", as the user knows it. */
    QString clase() const;
};

/** What a user may try on a document. */
enum class Accion {
    Editar,          ///< change its header or lines
    Borrar,          ///< remove it and free its number
    DeshacerEmision, ///< remove it with its monthly run
    Remesar,         ///< debit it in a remittance
    MarcarPagado,
    MarcarPendiente,
    PedirPago, ///< print it asking for a transfer to the company's account
    Anular,
    Rectificar,
};

std::optional<EstadoDocumento> leerEstado(int id);
/** The states of the documents ids that exist, in no given order. */
QList<EstadoDocumento> leerEstados(const QList<int>& ids);
/**
 * The columns a state is read from, for a statement over tblCobros aliased t that reads more
 * in the same trip; estadoDeFila takes them from column primera on.
 */
QString columnasEstado();
inline constexpr int kColumnasDeEstado = 20;
EstadoDocumento estadoDeFila(const QSqlQuery& q, int primera);

/**
 * The one table of what each state allows: why e does not allow accion, saying the way
 * forward; empty when it does.
 */
QString motivoNo(const EstadoDocumento& e, Accion accion);
/** The same for a stored document; a missing one is refused. */
QString motivoNo(int id, Accion accion);

/** How a document was paid: the day the money came and the way. */
struct Pago {
    QDate fecha;
    QString forma;
};
/** "Transferencia", "Efectivo", ... as a payment's way is chosen. */
QStringList formasDePago();
inline const QString kDomiciliacion = QStringLiteral("Domiciliación");

/**
 * Records that documents were printed, the first time with how (later prints keep it), and
 * issues the invoices of the verifiable mode among them. One transaction.
 */
Resultado<> marcarImpresos(const QList<int>& ids, const QString& como);
/** Marks documents paid; any the table refuses stops it all (ErrorBD naming it). */
Resultado<> marcarPagados(const QList<int>& ids, const Pago& pago);
/** Marks paid documents unpaid again; refused as marcarPagados is. */
Resultado<> marcarPendientes(const QList<int>& ids);
/**
 * Cancels a document: it keeps its number, marked cancelled, out of every total. An invoice of
 * the verifiable mode gets its cancellation record. Refused as the table says.
 */
Resultado<> anularDocumento(int id);

/** What a document's paper says about its payment. */
struct AvisoPago {
    enum Tipo {
        Transferencia, ///< pending: pay by transfer to the company's account
        Cargo,         ///< a remittance will debit it
        Pagado,
        Devolucion, ///< a negative total: the amount is refunded
        Anulado,
        SinImporte, ///< nothing to pay: the paper asks for nothing
    };
    Tipo tipo = Transferencia;
    QString texto;  ///< the sentence printed
    QString cuenta; ///< the tenant's account shortened ("ES… 1234"), for Cargo
    QDate fecha;    ///< collection, payment or cancellation date
};
AvisoPago avisoPago(const EstadoDocumento& e);

/** What the sheet tells of a document: "Impreso (…) · Pagado el 15/05/2024 (efectivo)". */
QString textoEstado(const EstadoDocumento& e);

/** "ES… 1234": an account as a document shows it to the tenant. */
QString ibanCorto(const QString& iban);

/** What a total adds up. */
enum class Cuenta {
    Facturado, ///< issued, not cancelled; rectifying documents count with their own sign
    Cobrado,   ///< paid, not cancelled, placed by the payment date
    Pendiente, ///< not paid, not cancelled
};
/** The SQL condition a document (table alias a) meets to count in cuenta. */
QString sqlCuenta(Cuenta cuenta, const QString& a);
/** The date column that places a document (alias a) in a period for cuenta. */
QString sqlFechaCuenta(Cuenta cuenta, const QString& a);
/** A document's amount as it counts in cuenta: "CASE WHEN … THEN a.Tot ELSE 0 END". */
QString sqlImporte(Cuenta cuenta, const QString& a, const QString& columna = QStringLiteral("Tot"));

} // namespace torvane
