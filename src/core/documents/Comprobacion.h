#pragma once

#include "core/store/Consulta.h"

#include <QString>
#include <QStringList>

namespace torvane {

/*
 * The documents' own consistency, as an older file or a crash may have left it: totals that
 * disagree with the lines, headers without lines, numbers repeated in a series.
 */

struct Comprobacion {
    QStringList totalesMal; ///< "57A": a line amount or a header total differs from the lines
    QStringList sinLineas;  ///< "58A"
    QStringList repetidos;  ///< "108A (2 documentos)"

    bool correcta() const {
        return totalesMal.isEmpty() && sinLineas.isEmpty() && repetidos.isEmpty();
    }
    /** What --reparar can put right (totals and empty headers; never a repeated number). */
    bool reparable() const { return !totalesMal.isEmpty() || !sinLineas.isEmpty(); }
    /** The findings in Spanish, one group a paragraph; empty when all is right. */
    QString texto() const;
};

/** Checks every document of the open year. */
Comprobacion comprobarDocumentos(const QSqlDatabase& db = Conexion());

/**
 * Copies the open year's file to rutaBD + ".antes-de-reparar-FECHA" (checked sound), then in
 * one transaction rewrites each line's amount and each header's totals from units, prices and
 * percentages and removes the headers without lines. A document with lines is never removed.
 * Returns an empty text on success, otherwise the reason (and nothing is changed).
 */
QString repararDocumentos(const QString& rutaBD);

} // namespace torvane
