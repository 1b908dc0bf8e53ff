#pragma once

#include "core/store/Celda.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace torvane {

/*
 * Tables written as spreadsheets: .xlsx with real numbers and dates, or .csv as a Spanish
 * spreadsheet opens it without asking (UTF-8 with BOM, ";", decimal comma).
 */

struct ColumnaHoja {
    QString titulo;
    TipoDato tipo = TipoDato::Texto;
};

/** Rows listed but left out of the totals: those whose cell in columna reads marca. */
struct FueraDeTotales {
    int columna = -1;
    QString marca;
};

/**
 * One sheet: a cell is an invalid QVariant (empty), a QString, a QDate, an Importe (celda()) or
 * a number (an int, or a Decimal through celda()) as its column's type says. With totales the .xlsx
 * ends with a "TOTAL" row summing every Importe column by formula, leaving out the rows fuera
 * names.
 */
struct Hoja {
    QString nombre;
    QList<ColumnaHoja> columnas;
    QList<QVariantList> filas;
    bool totales = false;
    FueraDeTotales fuera;
    /**
     * Rows that come after filas, read one at a time as they are written (false once there
     * are no more): a whole year goes to the file without being held in memory.
     */
    std::function<bool(QVariantList&)> siguiente;
};

/** Writes the sheet; an empty text on success, the reason otherwise (nothing left behind). */
QString escribirXlsx(const Hoja& hoja, const QString& ruta, qsizetype* escritas = nullptr);
QString escribirCsv(const Hoja& hoja, const QString& ruta, qsizetype* escritas = nullptr);
/** As .csv when ruta ends so, as .xlsx otherwise. */
QString exportarHoja(const Hoja& hoja, const QString& ruta, qsizetype* escritas = nullptr);

/**
 * "TOTAL" under the first column and the exact sum of each Importe column over the rows the
 * sheet does not leave out.
 */
QVariantList filaTotales(const Hoja& hoja);

} // namespace torvane
