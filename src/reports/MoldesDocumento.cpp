#include "reports/MoldesDocumento.h"

#include "core/reports/Plantilla.h"
#include "reports/LetraInforme.h"
#include "reports/RejillasTabla.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace torvane {

namespace {

// Shapes kept at once: a month's run has a handful; a run of unlike documents reads each whole.
constexpr std::size_t kMaximoFormas = 16;

QTextCharFormat formatoEn(QTextDocument& texto, int posicion) {
    QTextCursor cursor(&texto);
    // The format of the character before the cursor.
    cursor.setPosition(posicion + 1);
    return cursor.charFormat();
}

} // namespace

struct MoldesDocumento::Forma {
    /** Where a value goes: its mark's place, as HTML read it, and what is written there now. */
    struct Sitio {
        int posicion = 0; ///< of its mark in the shape as read
        qsizetype valor = 0;
        QChar espacio; ///< what HTML made of a space there: a space, or a hard one where lines keep
        QTextCharFormat formato;
        QString escrito;
    };

    QString molde;
    QSizeF pagina;
    qsizetype valores = 0;
    std::unique_ptr<QTextDocument> texto; ///< null when its values cannot be written over
    RejillasTabla rejillas;
    std::vector<Sitio> sitios;

    /**
     * The places of the shape's marks in leido, in order; false unless each is there once,
     * as text: mark, space and mark in one format.
     */
    bool buscarSitios(QTextDocument& leido) {
        std::vector<bool> visto(static_cast<std::size_t>(valores));
        for (QTextBlock bloque = leido.begin(); bloque.isValid(); bloque = bloque.next()) {
            const QString linea = bloque.text();
            for (qsizetype i = 0; i < linea.size(); ++i) {
                const int valor = valorMarcado(linea[i]);
                if (valor < 0) continue;
                if (valor >= valores || visto[std::size_t(valor)] || i + 2 >= linea.size() ||
                    linea[i + 2] != linea[i])
                    return false;
                const QChar espacio = linea[i + 1];
                const int posicion = bloque.position() + int(i);
                const QTextCharFormat formato = formatoEn(leido, posicion);
                if ((espacio != u' ' && espacio != QChar::Nbsp) ||
                    formatoEn(leido, posicion + 2) != formato)
                    return false;
                sitios.push_back({posicion, valor, espacio, formato, linea.mid(i, 3)});
                visto[std::size_t(valor)] = true;
                i += 2;
            }
        }
        return std::all_of(visto.cbegin(), visto.cend(), [](bool v) { return v; });
    }

    /** valores over those written last: from the last place, so no place before it moves. */
    void escribir(const QStringList& nuevos) {
        std::vector<int> inicios;
        int crecido = 0;
        for (const Sitio& sitio : sitios) {
            inicios.push_back(sitio.posicion + crecido);
            crecido += int(sitio.escrito.size()) - 3;
        }
        QTextCursor cursor(texto.get());
        for (std::size_t i = sitios.size(); i-- > 0;) {
            Sitio& sitio = sitios[i];
            QString valor = nuevos[sitio.valor];
            if (sitio.espacio != u' ') valor.replace(u' ', sitio.espacio);
            if (valor == sitio.escrito) continue;
            // Written after the old text and then the old removed: the place is never empty.
            const int fin = inicios[i] + int(sitio.escrito.size());
            cursor.setPosition(fin);
            cursor.insertText(valor, sitio.formato);
            cursor.setPosition(inicios[i]);
            cursor.setPosition(fin, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            sitio.escrito = valor;
        }
    }
};

std::unique_ptr<QTextDocument> documentoSinMaquetar(MedidaImpresora& medida, const QSizeF& pagina) {
    auto texto = std::make_unique<QTextDocument>();
    texto->setLayoutEnabled(false);
    // Never edited by the user: nothing to undo.
    texto->setUndoRedoEnabled(false);
    texto->documentLayout()->setPaintDevice(&medida);
    texto->setDefaultFont(letraInforme(10));
    texto->setPageSize(pagina);
    return texto;
}

void encenderMaquetacion(QTextDocument& texto) {
    for (QTextBlock bloque = texto.begin(); bloque.isValid(); bloque = bloque.next())
        bloque.layout()->setCacheEnabled(true);
    texto.setLayoutEnabled(true);
}

MoldesDocumento::MoldesDocumento(const QPagedPaintDevice& dispositivo, int resolucion)
    : medida_(dispositivo, resolucion) {}

MoldesDocumento::~MoldesDocumento() = default;

MoldesDocumento::Forma& MoldesDocumento::forma(const QString& molde, qsizetype valores,
                                               const QSizeF& pagina) {
    auto hallada = std::find_if(formas_.begin(), formas_.end(), [&](const auto& f) {
        return f->pagina == pagina && f->molde == molde;
    });
    if (hallada == formas_.end()) {
        if (formas_.size() == kMaximoFormas) formas_.pop_back();
        auto nueva = std::make_unique<Forma>();
        nueva->molde = molde;
        nueva->pagina = pagina;
        nueva->valores = valores;
        auto texto = documentoSinMaquetar(medida_, pagina);
        texto->setHtml(conLetraInforme(molde));
        if (nueva->buscarSitios(*texto)) {
            nueva->rejillas.preparar(*texto, medida_);
            nueva->texto = std::move(texto);
        }
        formas_.push_back(std::move(nueva));
        hallada = formas_.end() - 1;
    }
    std::rotate(formas_.begin(), hallada, hallada + 1);
    return *formas_.front();
}

std::optional<MoldesDocumento::Maquetado>
MoldesDocumento::maquetar(const QString& molde, const QStringList& valores, const QSizeF& pagina) {
    Forma& f = forma(molde, valores.size(), pagina);
    if (!f.texto || f.valores != valores.size()) return std::nullopt;
    f.texto->setLayoutEnabled(false);
    f.escribir(valores);
    encenderMaquetacion(*f.texto);
    return Maquetado{f.texto.get(), f.rejillas.trazar(*f.texto) ? &f.rejillas : nullptr};
}

} // namespace torvane
