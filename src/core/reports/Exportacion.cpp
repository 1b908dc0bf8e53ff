#include "core/reports/Exportacion.h"

#include "core/reports/PaqueteXlsx.h"
#include "core/store/Privado.h"
#include "core/text/Formato.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

namespace torvane {

namespace {

const QString kTotal = QStringLiteral("TOTAL");
// "31/12/2024": every date is as wide, so none is printed to be measured.
constexpr qsizetype kAnchoFecha = 10;

QString motivoEscritura(const QString& ruta, const QString& motivo) {
    return QStringLiteral("No se pudo escribir el archivo %1 (%2).")
        .arg(QDir::toNativeSeparators(ruta), motivo);
}

// Sheet names: at most 31 characters, none of []:*?/\ and no apostrophe at either end.
QString nombreHoja(const QString& nombre) {
    QString limpio = nombre;
    for (QChar& c : limpio)
        if (QStringLiteral("[]:*?/\\").contains(c)) c = QLatin1Char('-');
    while (limpio.startsWith(QLatin1Char('\'')))
        limpio.remove(0, 1);
    while (limpio.endsWith(QLatin1Char('\'')))
        limpio.chop(1);
    limpio = limpio.left(31);
    return limpio.isEmpty() ? QStringLiteral("Hoja") : limpio;
}

QByteArray letraColumna(int columna) {
    QByteArray letras;
    for (int n = columna + 1; n > 0; n = (n - 1) / 26)
        letras.prepend(char('A' + (n - 1) % 26));
    return letras;
}

bool esEntero(const QVariant& valor) {
    return valor.typeId() == QMetaType::Int || valor.typeId() == QMetaType::LongLong;
}

/** Rows of the sheet in order: those it holds, then those it reads one by one, while cada wants. */
void recorrerFilas(const Hoja& hoja, const std::function<bool(const QVariantList&)>& cada) {
    for (const QVariantList& fila : hoja.filas)
        if (!cada(fila)) return;
    if (!hoja.siguiente) return;
    for (QVariantList fila; hoja.siguiente(fila);)
        if (!cada(fila)) return;
}

/** What the rows add up to as they pass: each column's widest cell and each Importe sum. */
class Recuento {
public:
    explicit Recuento(const Hoja& hoja)
        : hoja_(hoja)
        , anchos_(hoja.columnas.size(), 0)
        , mayores_(hoja.columnas.size(), 0)
        , sumas_(hoja.columnas.size()) {
        for (int c = 0; c < hoja.columnas.size(); ++c)
            anchos_[c] = hoja.columnas[c].titulo.size();
    }

    void anadir(const QVariantList& fila) {
        ++filas_;
        const bool fuera = hoja_.fuera.columna >= 0 &&
                           fila.value(hoja_.fuera.columna).toString() == hoja_.fuera.marca;
        for (int c = 0; c < hoja_.columnas.size(); ++c) {
            const QVariant& v = fila.value(c);
            if (const auto importe = importeDeCelda(v)) {
                mayores_[c] = std::max(mayores_[c], std::abs(importe->centimos()));
                if (!fuera) sumas_[c] += *importe;
            } else if (v.typeId() == QMetaType::QDate) {
                anchos_[c] = std::max<qsizetype>(anchos_[c], kAnchoFecha);
            } else {
                anchos_[c] = std::max(anchos_[c], textoCelda(v).size());
            }
        }
    }

    qsizetype filas() const { return filas_; }

    /** Characters the widest cell of each column shows, heading included. */
    QList<int> anchos() const {
        QList<int> resultado;
        for (int c = 0; c < hoja_.columnas.size(); ++c) {
            qsizetype ancho = anchos_[c];
            // The totals row can be up to a digit wider than any cell above it.
            if (mayores_[c] > 0)
                ancho = std::max(ancho, Importe::deCentimos(-mayores_[c] * 10).texto().size());
            resultado << static_cast<int>(std::min<qsizetype>(ancho + 2, 60));
        }
        return resultado;
    }

    /** "TOTAL" under the first column and each Importe column's exact sum. */
    QVariantList totales() const {
        QVariantList total(hoja_.columnas.size());
        for (int c = 0; c < hoja_.columnas.size(); ++c)
            if (hoja_.columnas[c].tipo == TipoDato::Importe) total[c] = celda(sumas_[c]);
        if (!total.isEmpty() && !total[0].isValid()) total[0] = kTotal;
        return total;
    }

private:
    const Hoja& hoja_;
    QList<qsizetype> anchos_;
    QList<qint64> mayores_;
    QList<Importe> sumas_;
    qsizetype filas_ = 0;
};

// Excel's limits: rows in a sheet, and characters in a cell.
constexpr qsizetype kFilasHoja = 1'048'576;
constexpr qsizetype kLetrasCelda = 32'767;
// Rows go to be deflated in blocks of about this size.
constexpr qsizetype kBloque = 1 << 18;

// Numbers and cell openings are put together in a buffer and appended once: appending byte by
// byte was a tenth of the export.
char* ponerEntero(char* p, quint64 n) {
    return std::to_chars(p, p + 20, n).ptr;
}

void anadirEntero(QByteArray& x, quint64 n) {
    char cifras[20];
    x.append(cifras, ponerEntero(cifras, n) - cifras);
}

/** unidades / escala written exactly, as the shortest decimal: "1234.5", "-0.1", "21". */
void anadirDecimal(QByteArray& x, qint64 unidades, qint64 escala) {
    char texto[48];
    char* p = texto;
    if (unidades < 0) *p++ = '-';
    const quint64 absoluto = unidades < 0 ? 0 - quint64(unidades) : quint64(unidades);
    p = ponerEntero(p, absoluto / quint64(escala));
    quint64 resto = absoluto % quint64(escala);
    if (resto != 0) *p++ = '.';
    for (quint64 cifra = quint64(escala) / 10; resto != 0; cifra /= 10) {
        *p++ = char('0' + resto / cifra);
        resto %= cifra;
    }
    x.append(texto, p - texto);
}

/** The cell's number as the sheet shows it, if it holds one. */
bool anadirNumero(QByteArray& x, const QVariant& valor) {
    if (const auto importe = importeDeCelda(valor))
        anadirDecimal(x, importe->centimos(), 100);
    else if (const auto numero = decimalDeCelda(valor))
        anadirDecimal(x, numero->diezmilesimas(), Decimal::kEscala);
    else if (esEntero(valor))
        anadirDecimal(x, valor.toLongLong(), 1);
    else
        return false;
    return true;
}

bool esHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

/** Text the sheet reads back literally: "_x0041_" would otherwise read as "A". */
bool pareceEscape(QByteArrayView resto) {
    return resto.size() >= 7 && resto[1] == 'x' && esHex(resto[2]) && esHex(resto[3]) &&
           esHex(resto[4]) && esHex(resto[5]) && resto[6] == '_';
}

/** utf8 as XML text; control characters, which XML cannot hold, as the sheet's _xHHHH_. */
void anadirEscapado(QByteArray& x, QByteArrayView utf8) {
    qsizetype desde = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const char* cambio = c == '&'   ? "&amp;"
                             : c == '<' ? "&lt;"
                             : c == '>' ? "&gt;"
                             : c == '"' ? "&quot;"
                                        : nullptr;
        const bool control = uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
        if (!cambio && !control && !(c == '_' && pareceEscape(utf8.sliced(i)))) continue;
        x.append(utf8.sliced(desde, i - desde));
        desde = i + 1;
        if (cambio)
            x += cambio;
        else
            x += "_x00" +
                 QByteArray::number(c == '_' ? 0x5F : uchar(c), 16)
                     .toUpper()
                     .rightJustified(2, '0') +
                 '_';
    }
    x.append(utf8.sliced(desde));
}

QByteArray escapado(const QString& texto) {
    QByteArray x;
    anadirEscapado(x, texto.toUtf8());
    return x;
}

/** Days since 1899-12-30, the sheet's day numbers (which count 29/02/1900, a day that never was).
 */
std::optional<qint64> numeroDeDia(const QDate& dia) {
    if (dia < QDate(1900, 1, 1)) return std::nullopt;
    return QDate(1899, 12, 30).daysTo(dia) - (dia < QDate(1900, 3, 1) ? 1 : 0);
}

/** The sheet's XML as its rows come, handed in blocks to be deflated. */
class XmlHoja {
public:
    XmlHoja(const Hoja& hoja, FilasComprimidas& destino)
        : hoja_(hoja)
        , destino_(destino) {
        for (int c = 0; c < hoja.columnas.size(); ++c)
            letras_ << letraColumna(c);
        x_.reserve(kBloque + 4096);
    }

    void titulos() {
        abrirFila(1);
        for (int c = 0; c < hoja_.columnas.size(); ++c)
            texto(c, 1, hoja_.columnas[c].titulo, estilo_xlsx::kNegrita);
        cerrarFila();
    }

    void fila(qsizetype r, const QVariantList& celdas) {
        abrirFila(r);
        for (int c = 0; c < hoja_.columnas.size() && c < celdas.size(); ++c)
            celda(c, r, celdas[c], hoja_.columnas[c].tipo);
        cerrarFila();
    }

    /**
     * The totals row after the rows already handed over (r is its number): "TOTAL" and a formula
     * under each Importe column, with the value it adds up to now. Empty without such columns.
     */
    QByteArray totales(qsizetype r, const QVariantList& suma) {
        const auto importe = [](const ColumnaHoja& c) { return c.tipo == TipoDato::Importe; };
        if (std::none_of(hoja_.columnas.cbegin(), hoja_.columnas.cend(), importe)) return {};
        const QByteArray hasta = QByteArray::number(qMax<qsizetype>(r - 1, 2));
        abrirFila(r);
        if (!importe(hoja_.columnas[0])) texto(0, r, kTotal, estilo_xlsx::kNegrita);
        for (int c = 0; c < hoja_.columnas.size(); ++c) {
            if (!importe(hoja_.columnas[c])) continue;
            const QByteArray rango = letras_[c] + "2:" + letras_[c] + hasta;
            // The rows left out stay out when the sheet adds up again.
            const QByteArray fuera = letraColumna(hoja_.fuera.columna);
            const QByteArray formula = hoja_.fuera.columna < 0
                                           ? "SUM(" + rango + ")"
                                           : "SUMIF(" + fuera + "2:" + fuera + hasta + ",\"<>" +
                                                 hoja_.fuera.marca.toUtf8() + "\"," + rango + ")";
            abrirCelda(c, r, estilo_xlsx::kTotal);
            x_ += "><f>";
            anadirEscapado(x_, formula);
            x_ += "</f><v>";
            anadirNumero(x_, suma[c]);
            x_ += "</v></c>";
        }
        x_ += "</row>";
        return std::exchange(x_, {});
    }

    void vaciar() {
        if (!x_.isEmpty()) destino_.anadir(std::exchange(x_, {}));
    }

private:
    void abrirFila(qsizetype r) {
        x_ += "<row r=\"";
        anadirEntero(x_, quint64(r));
        x_ += "\">";
    }

    void cerrarFila() {
        x_ += "</row>";
        if (x_.size() < kBloque) return;
        destino_.anadir(std::exchange(x_, {}));
        x_.reserve(kBloque + 4096);
    }

    void abrirCelda(int c, qsizetype r, int estilo) {
        char texto[64];
        char* p = std::copy_n("<c r=\"", 6, texto);
        p = std::copy(letras_[c].cbegin(), letras_[c].cend(), p);
        p = ponerEntero(p, quint64(r));
        *p++ = '"';
        if (estilo != 0) {
            p = std::copy_n(" s=\"", 4, p);
            p = ponerEntero(p, quint64(estilo));
            *p++ = '"';
        }
        x_.append(texto, p - texto);
    }

    void texto(int c, qsizetype r, const QString& texto, int estilo = 0) {
        const QString corto = texto.left(kLetrasCelda);
        abrirCelda(c, r, estilo);
        const bool espacios =
            !corto.isEmpty() && (corto.front().isSpace() || corto.back().isSpace());
        x_ += espacios ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                       : " t=\"inlineStr\"><is><t>";
        anadirEscapado(x_, corto.toUtf8());
        x_ += "</t></is></c>";
    }

    void celda(int c, qsizetype r, const QVariant& valor, TipoDato tipo) {
        const qsizetype antes = x_.size();
        abrirCelda(c, r, tipo == TipoDato::Importe ? estilo_xlsx::kImporte : 0);
        x_ += "><v>";
        if (anadirNumero(x_, valor)) {
            x_ += "</v></c>";
            return;
        }
        x_.truncate(antes);
        if (valor.typeId() == QMetaType::QDate) {
            if (const auto dia = numeroDeDia(valor.toDate())) {
                abrirCelda(c, r, estilo_xlsx::kFecha);
                x_ += "><v>";
                anadirEntero(x_, quint64(*dia));
                x_ += "</v></c>";
            } else {
                texto(c, r, formatoFecha(valor.toDate()));
            }
        } else if (valor.typeId() == QMetaType::QString && !valor.toString().isEmpty()) {
            texto(c, r, valor.toString());
        }
    }

    const Hoja& hoja_;
    FilasComprimidas& destino_;
    QList<QByteArray> letras_;
    QByteArray x_;
};

// Excel's own conversion of a width in characters to what the file stores.
QByteArray anchoColumna(int caracteres) {
    const double ancho = std::floor((caracteres * 7.0 + 5) / 7 * 256) / 256;
    return QByteArray::number(ancho, 'g', 12);
}

/** What comes before the rows: the sheet's extent, the frozen header and the widths. */
QByteArray cabeceraHoja(const Hoja& hoja, const QList<int>& anchos, qsizetype ultimaFila) {
    QByteArray x =
        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")"
        R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)";
    x += "<dimension ref=\"A1:" + letraColumna(std::max<int>(0, hoja.columnas.size() - 1)) +
         QByteArray::number(ultimaFila) + "\"/>";
    x += R"(<sheetViews><sheetView tabSelected="1" workbookViewId="0">)"
         R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"
         R"(<selection pane="bottomLeft"/></sheetView></sheetViews>)"
         R"(<sheetFormatPr defaultRowHeight="15"/>)";
    if (!anchos.isEmpty()) {
        x += "<cols>";
        for (int c = 0; c < anchos.size(); ++c) {
            const QByteArray n = QByteArray::number(c + 1);
            x += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + anchoColumna(anchos[c]) +
                 "\" customWidth=\"1\"/>";
        }
        x += "</cols>";
    }
    return x + "<sheetData>";
}

QString escribirLibro(const Hoja& hoja, const QString& ruta, qsizetype* escritas) {
    FilasComprimidas comprimidas;
    XmlHoja xml(hoja, comprimidas);
    xml.titulos();
    Recuento recuento(hoja);
    // The header above and the totals below take a row each.
    const qsizetype caben = kFilasHoja - 1 - (hoja.totales ? 1 : 0);
    bool demasiadas = false;
    recorrerFilas(hoja, [&](const QVariantList& fila) {
        demasiadas = recuento.filas() == caben;
        if (demasiadas) return false;
        xml.fila(recuento.filas() + 2, fila);
        recuento.anadir(fila);
        return true;
    });
    if (demasiadas)
        return QStringLiteral("una hoja de cálculo admite 1.048.576 filas; exporte menos con un "
                              "filtro o guárdelas en .csv");
    const qsizetype fila = recuento.filas() + 2;
    xml.vaciar();
    const QString fallo = comprimidas.terminar();
    if (!fallo.isEmpty()) return fallo;
    const QByteArray totales = hoja.totales ? xml.totales(fila, recuento.totales()) : QByteArray();
    const QByteArray cabecera =
        cabeceraHoja(hoja, recuento.anchos(), totales.isEmpty() ? fila - 1 : fila);
    const QByteArray pie = totales + "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" "
                                     "top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
                                     "</worksheet>";
    if (escritas) *escritas = recuento.filas();
    return escribirPaqueteXlsx(ruta, escapado(nombreHoja(hoja.nombre)), cabecera, comprimidas, pie);
}

QString textoCsv(QString texto) {
    // A text a spreadsheet would take for a formula is kept as text.
    if (!texto.isEmpty() && QStringLiteral("=+-@").contains(texto.front()))
        texto.prepend(QLatin1Char('\''));
    if (!texto.contains(QLatin1Char(';')) && !texto.contains(QLatin1Char('"')) &&
        !texto.contains(QLatin1Char('\n')) && !texto.contains(QLatin1Char('\r')))
        return texto;
    texto.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + texto + QLatin1Char('"');
}

QString celdaCsv(const QVariant& valor) {
    // Amounts without grouping, as a Spanish spreadsheet reads a number: "-1234,50".
    if (const auto importe = importeDeCelda(valor))
        return importe->textoPunto().replace(QLatin1Char('.'), QLatin1Char(','));
    if (decimalDeCelda(valor) || esEntero(valor)) return textoCelda(valor);
    switch (valor.typeId()) {
    case QMetaType::QDate:
        return formatoFecha(valor.toDate());
    case QMetaType::QString:
        return textoCsv(valor.toString());
    default:
        return {};
    }
}

} // namespace

QString escribirXlsx(const Hoja& hoja, const QString& ruta, qsizetype* escritas) {
    // Written beside the destination first, so a failure never leaves half a file in its place.
    const QString parcial = ruta + QStringLiteral(".parcial");
    // Private from its first byte: the rename keeps the mode.
    const QString motivo = archivoPrivado(parcial) ? escribirLibro(hoja, parcial, escritas)
                                                   : QStringLiteral("no se pudo crear");
    if (!motivo.isEmpty()) {
        QFile::remove(parcial);
        return motivoEscritura(ruta, motivo);
    }
    if (QFile::exists(ruta) && !QFile::remove(ruta)) {
        QFile::remove(parcial);
        return motivoEscritura(ruta, QStringLiteral("el archivo existente no se puede sustituir"));
    }
    if (!QFile::rename(parcial, ruta)) {
        QFile::remove(parcial);
        return motivoEscritura(ruta, QStringLiteral("no se pudo dar el nombre final"));
    }
    return {};
}

QString escribirCsv(const Hoja& hoja, const QString& ruta, qsizetype* escritas) {
    // The saved file takes the mode of the one it replaces.
    if (!archivoPrivado(ruta)) return motivoEscritura(ruta, QStringLiteral("no se pudo crear"));
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly)) return motivoEscritura(ruta, archivo.errorString());
    QString texto = QStringLiteral("\uFEFF");
    QStringList campos;
    for (const ColumnaHoja& c : hoja.columnas)
        campos << textoCsv(c.titulo);
    texto += campos.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    archivo.write(texto.toUtf8());
    qsizetype filas = 0;
    recorrerFilas(hoja, [&](const QVariantList& fila) {
        campos.clear();
        for (int c = 0; c < hoja.columnas.size(); ++c)
            campos << celdaCsv(fila.value(c));
        archivo.write((campos.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8());
        ++filas;
        return true;
    });
    if (escritas) *escritas = filas;
    if (!archivo.commit()) return motivoEscritura(ruta, archivo.errorString());
    return {};
}

QString exportarHoja(const Hoja& hoja, const QString& ruta, qsizetype* escritas) {
    if (ruta.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return escribirCsv(hoja, ruta, escritas);
    return escribirXlsx(hoja, ruta, escritas);
}

QVariantList filaTotales(const Hoja& hoja) {
    Recuento recuento(hoja);
    for (const QVariantList& fila : hoja.filas)
        recuento.anadir(fila);
    return recuento.totales();
}

} // namespace torvane
