#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace torvane {

/*
 * The .xlsx container of one sheet: a zip of a few fixed XML parts and the sheet's. The sheet's
 * rows are deflated on a second thread while the next ones are read, and the parts that can
 * only be written once every row has passed (its size and column widths) are joined in front
 * of them at the end, without deflating the rows again.
 */

/** The cell styles (s="n") the package's styles define. */
namespace estilo_xlsx {
constexpr int kNegrita = 1;
constexpr int kFecha = 2;   ///< dd/mm/yyyy
constexpr int kImporte = 3; ///< #,##0.00
constexpr int kTotal = 4;   ///< #,##0.00 in bold
} // namespace estilo_xlsx

/** The sheet's rows as XML, deflated apart as they come, held in a temporary file. */
class FilasComprimidas {
public:
    FilasComprimidas();
    ~FilasComprimidas();
    FilasComprimidas(const FilasComprimidas&) = delete;
    FilasComprimidas& operator=(const FilasComprimidas&) = delete;

    /** Hands xml over to be deflated; waits only while several blocks are still pending. */
    void anadir(QByteArray xml);
    /** Deflates what is pending; the reason when the temporary file failed, empty otherwise. */
    QString terminar();

    struct Estado;

private:
    friend QString escribirPaqueteXlsx(const QString&, const QByteArray&, const QByteArray&,
                                       FilasComprimidas&, const QByteArray&);
    std::unique_ptr<Estado> estado_;
};

/**
 * Writes ruta as an .xlsx of one sheet named nombreHoja (its XML already escaped) whose XML is
 * cabecera, the rows and pie, with the fixed workbook, styles and relations. filas must be
 * terminated. The reason on failure, empty otherwise.
 */
QString escribirPaqueteXlsx(const QString& ruta, const QByteArray& nombreHoja,
                            const QByteArray& cabecera, FilasComprimidas& filas,
                            const QByteArray& pie);

} // namespace torvane
