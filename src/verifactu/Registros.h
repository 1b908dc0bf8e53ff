#pragma once

#include "verifactu/Huella.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <optional>

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
 * code, throws ErrorBD with the reason and changes nothing. The rectifying series is created
 * when missing.
 */
void guardarConfigVerifactu(const ConfigVerifactu& c);

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
 * transaction. Throws ErrorBD (nothing stored) when the company has no N.I.F.
 */
void registrarAltas(const QList<int>& ids);
/** registrarAltas in a transaction of its own. */
void emitirFacturas(const QList<int>& ids);

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
 * lines added to it make the difference. Throws ErrorBD for a bad type, an empty reason or a
 * document that is not an issued invoice. Returns the new document's Id.
 */
int rectificarFactura(int idDoc, const QString& tipo, const QString& motivo);

/** The alta record of a document, if it has one. */
std::optional<RegistroFacturacion> registroAlta(int idDoc);

/** What the QR of a printed document holds: its checking address, or empty without an alta. */
QString textoQrDocumento(int idDoc);

/** Every record of the year, in chain order. */
QList<RegistroFacturacion> registrosDelAno();

struct VerificacionCadena {
    int registros = 0;
    QString error; ///< empty when every fingerprint and link is right
    bool correcta() const { return error.isEmpty(); }
    QString texto() const;
};

/** Recomputes every fingerprint and link, from the last one of the previous year on. */
VerificacionCadena verificarCadena();

/**
 * While a new year is filled from the one attached as "origen" (its tblVerifactu already
 * copied): the new year's chain starts from the last fingerprint of the old one.
 */
QString continuarCadena(QSqlQuery& q);
