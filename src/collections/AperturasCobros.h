#pragma once

#include <QSet>
#include <QString>

#include <optional>

class QWidget;

namespace torvane {

/**
 * What the collections windows open in other subjects: the record picker, the remittance,
 * the bank statement, the rectification and the document's preview. They know only this;
 * the program implements it where every window is known. Each call shows a modal window and
 * returns when it closes.
 */
class AperturasCobros {
public:
    /** The Id chosen in the list («Inmuebles», «Inquilinos», «Conceptos»…), if any. */
    virtual std::optional<int> buscar(QWidget* padre, const QString& lista) = 0;
    /** A remittance, of the documents picked when there are any. */
    virtual void remesa(QWidget* padre, const QSet<int>& elegidos) = 0;
    /** A bank statement; whether it changed any document. */
    virtual bool extracto(QWidget* padre) = 0;
    /** Rectifies the issued invoice; the rectifying invoice made, if one was. */
    virtual std::optional<int> rectificar(QWidget* padre, int idFactura) = 0;
    /** Previews the stored document with the template plantilla, to print it. */
    virtual void vistaPrevia(QWidget* padre, const QString& plantilla, int idDocumento) = 0;

protected:
    ~AperturasCobros() = default;
};

} // namespace torvane
