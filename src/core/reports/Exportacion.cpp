#include "core/reports/Exportacion.h"

#include "core/store/Privado.h"
#include "core/text/Formato.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <functional>
#include <xlsxwriter.h>

namespace torvane {

namespace {

const QString kTotal = QStringLiteral("TOTAL");
// "31/12/2024": every date is as wide, so none is printed to be measured.
constexpr qsizetype kAnchoFecha = 10;

QString motivoEscritura(const QString& ruta, const QString& motivo) {
    return QStringLiteral("No se pudo escribir el archivo %1 (%2).")
        .arg(QDir::toNativeSeparators(ruta), motivo);
}

// Sheet names: at most 31 characters and none of []:*?/\.
QByteArray nombreHoja(const QString& nombre) {
    QString limpio = nombre.isEmpty() ? QStringLiteral("Hoja") : nombre;
    for (QChar& c : limpio)
        if (QStringLiteral("[]:*?/\\").contains(c)) c = QLatin1Char('-');
    return limpio.left(31).toUtf8();
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

// An .xlsx number cell is an IEEE double by the file format; nothing is summed from it here.
double numeroXlsx(qint64 unidades, qint64 escala) {
    return static_cast<double>(unidades) / static_cast<double>(escala);
}

/** The cell's number as the sheet file stores it, if it holds one. */
std::optional<double> numeroDeCelda(const QVariant& valor) {
    if (const auto importe = importeDeCelda(valor)) return numeroXlsx(importe->centimos(), 100);
    if (const auto numero = decimalDeCelda(valor))
        return numeroXlsx(numero->diezmilesimas(), Decimal::kEscala);
    if (esEntero(valor)) return numeroXlsx(valor.toLongLong(), 1);
    return std::nullopt;
}

/** Rows of the sheet in order: those it holds, then those it reads one by one. */
void recorrerFilas(const Hoja& hoja, const std::function<void(const QVariantList&)>& cada) {
    for (const QVariantList& fila : hoja.filas)
        cada(fila);
    if (!hoja.siguiente) return;
    for (QVariantList fila; hoja.siguiente(fila);)
        cada(fila);
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

struct Formatos {
    lxw_format* cabecera;
    lxw_format* importe;
    lxw_format* fecha;
    lxw_format* total;
    lxw_format* totalImporte;
};

Formatos crearFormatos(lxw_workbook* libro) {
    Formatos f{};
    f.cabecera = workbook_add_format(libro);
    format_set_bold(f.cabecera);
    f.importe = workbook_add_format(libro);
    format_set_num_format(f.importe, "#,##0.00");
    f.fecha = workbook_add_format(libro);
    format_set_num_format(f.fecha, "dd/mm/yyyy");
    f.total = workbook_add_format(libro);
    format_set_bold(f.total);
    f.totalImporte = workbook_add_format(libro);
    format_set_bold(f.totalImporte);
    format_set_num_format(f.totalImporte, "#,##0.00");
    return f;
}

void escribirCelda(lxw_worksheet* hoja, int fila, int columna, const QVariant& valor, TipoDato tipo,
                   const Formatos& f) {
    if (const auto numero = numeroDeCelda(valor)) {
        worksheet_write_number(hoja, fila, columna, *numero,
                               tipo == TipoDato::Importe ? f.importe : nullptr);
        return;
    }
    switch (valor.typeId()) {
    case QMetaType::QDate: {
        const QDate d = valor.toDate();
        lxw_datetime dia{d.year(), d.month(), d.day(), 0, 0, 0};
        worksheet_write_datetime(hoja, fila, columna, &dia, f.fecha);
        break;
    }
    case QMetaType::QString:
        worksheet_write_string(hoja, fila, columna, valor.toString().toUtf8().constData(), nullptr);
        break;
    default:
        break;
    }
}

void escribirTotales(lxw_worksheet* ws, const Hoja& hoja, const Recuento& recuento,
                     const Formatos& f) {
    const int fila = int(recuento.filas()) + 1;
    const QVariantList suma = recuento.totales();
    bool conImporte = false;
    for (int c = 0; c < hoja.columnas.size(); ++c) {
        if (hoja.columnas[c].tipo != TipoDato::Importe) continue;
        conImporte = true;
        const QByteArray hasta = QByteArray::number(qMax(fila, 2));
        const QByteArray rango = letraColumna(c) + "2:" + letraColumna(c) + hasta;
        // The rows left out stay out when the sheet adds up again.
        const QByteArray formula =
            hoja.fuera.columna < 0 ? "=SUM(" + rango + ")"
                                   : "=SUMIF(" + letraColumna(hoja.fuera.columna) +
                                         "2:" + letraColumna(hoja.fuera.columna) + hasta + ",\"<>" +
                                         hoja.fuera.marca.toUtf8() + "\"," + rango + ")";
        worksheet_write_formula_num(ws, fila, c, formula.constData(), f.totalImporte,
                                    numeroDeCelda(suma[c]).value_or(0));
    }
    if (conImporte && hoja.columnas.value(0).tipo != TipoDato::Importe)
        worksheet_write_string(ws, fila, 0, kTotal.toUtf8().constData(), f.total);
}

QString escribirLibro(const Hoja& hoja, const QString& ruta, qsizetype* escritas) {
    QByteArray temporal = QDir::tempPath().toUtf8();
    lxw_workbook_options opciones{};
    // Rows go to disk as they are written: a year of documents never sits twice in memory.
    opciones.constant_memory = LXW_TRUE;
    opciones.tmpdir = temporal.data();
    lxw_workbook* libro = workbook_new_opt(QFile::encodeName(ruta).constData(), &opciones);
    if (!libro) return QStringLiteral("no se pudo crear");
    lxw_worksheet* ws = workbook_add_worksheet(libro, nombreHoja(hoja.nombre).constData());
    const Formatos f = crearFormatos(libro);
    for (int c = 0; c < hoja.columnas.size(); ++c)
        worksheet_write_string(ws, 0, c, hoja.columnas[c].titulo.toUtf8().constData(), f.cabecera);
    worksheet_freeze_panes(ws, 1, 0);
    Recuento recuento(hoja);
    recorrerFilas(hoja, [&](const QVariantList& fila) {
        const int r = int(recuento.filas()) + 1;
        for (int c = 0; c < hoja.columnas.size() && c < fila.size(); ++c)
            escribirCelda(ws, r, c, fila[c], hoja.columnas[c].tipo, f);
        recuento.anadir(fila);
    });
    // The widths are known once every row has passed; the file keeps them apart from the rows.
    const QList<int> ancho = recuento.anchos();
    for (int c = 0; c < hoja.columnas.size(); ++c)
        worksheet_set_column(ws, c, c, ancho[c], nullptr);
    if (hoja.totales) escribirTotales(ws, hoja, recuento, f);
    if (escritas) *escritas = recuento.filas();
    const lxw_error error = workbook_close(libro);
    return error == LXW_NO_ERROR ? QString() : QString::fromUtf8(lxw_strerror(error));
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
