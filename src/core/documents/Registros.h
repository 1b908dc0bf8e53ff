#pragma once

#include "core/store/Resultado.h"

#include "core/verifactu/Huella.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <optional>

namespace torvane {

/*
 * Verifiable invoicing in the year's database: the mode and its series, the billing records
 * (append-only: the engine refuses to change or remove them), issuing, cancelling and
 * rectifying invoices, and checking the chain of fingerprints.
 */

/** The year's choice: whether invoices are verifiable, and which series are invoices. */
struct ConfigVerifactu {
    bool activo = false;
    QDate desde;     ///< the day the mode was turned on
    int idDesde = 0; ///< the last document then: those dated earlier stay outside the mode
    QString serieRect = QStringLiteral("R");
    bool pruebas = true; ///< the agency's test site (QR address and sending)
    QStringList series;  ///< invoice series, besides the rectifying one
};

ConfigVerifactu leerConfigVerifactu();

/**
 * Stores the choice. Turning the mode off once on, or a rectifying series that is not a short
 * code, fails with the reason and changes nothing. The rectifying series is created
 * when missing.
 */
Resultado<> guardarConfigVerifactu(const ConfigVerifactu& c);

enum class EstadoFactura { Libre, Emitida, Anulada };

/** Whether a document has a billing record: Libre ones may still be edited and deleted. */
EstadoFactura estadoFactura(int idDoc);
/** SQL giving the type of the last billing record of the document whose Id is the SQL idDoc. */
QString sqlUltimoRegistro(const QString& idDoc);
/** The state that type (null: no record) gives. */
EstadoFactura estadoDeRegistro(const QVariant& tipo);

/** What the sheet says of a document that cannot change; empty for a free one. */
QString motivoFacturaFija(int idDoc);
QString motivoFacturaFija(EstadoFactura estado);

/**
 * Issues the documents ids that are invoices of the verifiable mode and have no record yet: one
 * alta record each, chained to the last, and the document marked printed. Inside the caller's
 * transaction. Fails (nothing stored) when the company has no N.I.F.
 */
void registrarAltas(const QList<int>& ids);
/** registrarAltas in a transaction of its own. */
Resultado<> emitirFacturas(const QList<int>& ids);

/**
 * Adds the anulación record of an issued invoice, inside the caller's transaction; throws
 * ErrorBD for any other document. (anularDocumento cancels a document, this among it.)
 */
void registrarAnulacion(int idDoc);

/** The rectifying types the agency knows for an ordinary invoice, code and meaning. */
QList<std::pair<QString, QString>> tiposRectificativa();

/**
 * A new document in the rectifying series correcting the issued invoice idDoc: same parties and
 * percentages, dated today, holding the original's lines with their units negated so that the
 * lines added to it make the difference. By substitution its record and its paper show the
 * whole corrected invoice too; the document itself always holds the difference owed. Fails
 * for a bad type, an empty reason or a document that is not an issued invoice. Gives the new
 * document's Id.
 */
Resultado<int> rectificarFactura(int idDoc, const QString& tipo, const QString& motivo,
                                 bool sustitucion = false);

/** The alta record of a document, if it has one. */
std::optional<RegistroFacturacion> registroAlta(int idDoc);

/** What the QR of a printed document holds: its checking address, or empty without an alta. */
QString textoQrDocumento(int idDoc);
/** The same for a run of documents, which reads once whether the records go to production. */
QString textoQrDocumento(int idDoc, bool produccion);

/** Every record of the year, in chain order. */
QList<RegistroFacturacion> registrosDelAno();

/** One fault the verification finds: the series it touches and what is wrong, in a line. */
struct FaltaRegistro {
    QString serie;
    QString texto;
};

struct VerificacionRegistros {
    int registros = 0;
    QList<FaltaRegistro> faltas;
    bool correcta() const { return faltas.isEmpty(); }
    /** The series with a fault, each once. */
    QStringList series() const;
    /** One line per fault, or the sentence saying all is right. */
    QString texto() const;
};

/**
 * Checks the year's billing records against themselves and their invoices: every fingerprint and
 * link from the last one of the previous year on; every issued invoice of the mode has its alta;
 * each record's fields, hashed or not, equal what its invoice says now; each invoice's totals
 * follow from its lines; a cancelled invoice is cancelled. Remembers the affected series.
 */
VerificacionRegistros verificarRegistros();

/**
 * The series of the open file no invoice may be issued in because their records do not add up:
 * those of its last verification in this session, made now when there was none.
 */
QStringList seriesBloqueadas();

} // namespace torvane
