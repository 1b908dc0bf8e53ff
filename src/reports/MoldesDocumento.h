#pragma once

#include "reports/MedidaImpresora.h"

#include <QSizeF>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QTextDocument;

namespace torvane {

class RejillasTabla;

/** A document to be filled: nothing is laid out until encenderMaquetacion(). */
std::unique_ptr<QTextDocument> documentoSinMaquetar(MedidaImpresora& medida, const QSizeF& pagina);
/** Lays texto out at last, each line keeping its glyphs for its painting. */
void encenderMaquetacion(QTextDocument& texto);

/*
 * A run's documents come in a few shapes: one template filled with the same sections, told apart
 * by their plain values alone (InformeGenerado::molde). Reading a document's HTML is a quarter of
 * its time. Here each shape is read once, on the thread that paints it; a document of that shape
 * is its values written over the last one's, in the formats HTML gave their places, and then laid
 * out afresh: the same text in the same formats as reading it whole.
 */
class MoldesDocumento {
public:
    /** For documents laid out on dispositivo at resolucion (a run's printer or PDF). */
    MoldesDocumento(const QPagedPaintDevice& dispositivo, int resolucion);
    ~MoldesDocumento();
    MoldesDocumento(const MoldesDocumento&) = delete;
    MoldesDocumento& operator=(const MoldesDocumento&) = delete;

    /** A document laid out and its grids traced, until the next maquetar(). */
    struct Maquetado {
        QTextDocument* texto = nullptr;
        /** Null when the document runs over pages: its grids are then laid out as written. */
        const RejillasTabla* rejillas = nullptr;
    };
    /**
     * The document of shape molde with valores in it, laid out in pages of pagina. Nothing when it
     * cannot be made so (a value stands outside the text): it is then read whole.
     */
    std::optional<Maquetado> maquetar(const QString& molde, const QStringList& valores,
                                      const QSizeF& pagina);

private:
    struct Forma;
    Forma& forma(const QString& molde, qsizetype valores, const QSizeF& pagina);

    MedidaImpresora medida_;
    std::vector<std::unique_ptr<Forma>> formas_; ///< the last used first
};

} // namespace torvane
