#include "core/reports/PaqueteXlsx.h"

#include <QFile>
#include <QTemporaryFile>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <zip.h>
#include <zlib.h>

namespace torvane {

// The fastest level: the rows' XML repeats so much that it still shrinks about ten times, and
// deflating at the usual level took longer than reading the rows.
constexpr int kNivel = Z_BEST_SPEED;
constexpr qsizetype kTrozoSalida = 1 << 16;
// Blocks waiting to be deflated before the reader waits: memory stays flat however long the list.
constexpr size_t kPendientes = 4;

/**
 * A raw deflate stream cut into pieces: each piece ends on a byte boundary without closing
 * the stream (a sync flush), so pieces deflated apart, the last one finished, join into one.
 * Outside the unnamed namespace: FilasComprimidas::Estado holds one.
 */
class DefladorCrudo {
public:
    DefladorCrudo() { deflateInit2(&z_, kNivel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY); }
    ~DefladorCrudo() { deflateEnd(&z_); }
    DefladorCrudo(const DefladorCrudo&) = delete;
    DefladorCrudo& operator=(const DefladorCrudo&) = delete;

    /** Deflates datos handing each piece of output to salida; false if salida refused one. */
    template <typename Salida> bool deflar(const QByteArray& datos, int vaciado, Salida&& salida) {
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(datos.constData()));
        z_.avail_in = static_cast<uInt>(datos.size());
        char trozo[kTrozoSalida];
        do {
            z_.next_out = reinterpret_cast<Bytef*>(trozo);
            z_.avail_out = sizeof trozo;
            deflate(&z_, vaciado);
            const qsizetype hecho = qsizetype(sizeof trozo) - z_.avail_out;
            if (hecho > 0 && !salida(trozo, hecho)) return false;
        } while (z_.avail_out == 0);
        return true;
    }

private:
    z_stream z_{};
};

namespace {

const char kDeclaracion[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                            "\n";

const char kTipos[] =
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(</Types>)";

const char kRelaciones[] =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

const char kRelacionesLibro[] =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

// Styles in the order estilo_xlsx numbers them.
const char kEstilos[] =
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="dd/mm/yyyy"/>)"
    R"(<numFmt numFmtId="165" formatCode="#,##0.00"/></numFmts>)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font>)"
    R"(<font><b/><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill>)"
    R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="5"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>)"
    R"(<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="165" fontId="1" fillId="0" borderId="0" xfId="0" applyNumberFormat="1" applyFont="1"/>)"
    R"(</cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

QByteArray libro(const QByteArray& nombreHoja) {
    return QByteArrayLiteral(
               R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")"
               R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
               R"(<bookViews><workbookView/></bookViews><sheets><sheet name=")") +
           nombreHoja +
           QByteArrayLiteral(R"(" sheetId="1" r:id="rId1"/></sheets>)"
                             R"(<calcPr fullCalcOnLoad="1"/></workbook>)");
}

/** datos as one piece of a raw deflate stream (finished with Z_FINISH, the last piece). */
QByteArray deflado(const QByteArray& datos, int vaciado) {
    QByteArray salida;
    DefladorCrudo d;
    d.deflar(datos, vaciado, [&salida](const char* p, qsizetype n) {
        salida.append(p, n);
        return true;
    });
    return salida;
}

} // namespace

struct FilasComprimidas::Estado {
    std::mutex candado;
    std::condition_variable hayBloque;
    std::condition_variable hayHueco;
    std::deque<QByteArray> cola;
    bool fin = false;
    std::thread hilo;
    // Only the thread touches these until it is joined.
    QTemporaryFile archivo;
    DefladorCrudo deflador;
    uLong crc = crc32(0, nullptr, 0);
    qint64 tamano = 0;
    bool escrito = true;

    bool guardar(const char* datos, qsizetype n) {
        escrito = escrito && archivo.write(datos, n) == n;
        return escrito;
    }

    void deflar(const QByteArray& bloque, int vaciado) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bloque.constData()),
                    static_cast<uInt>(bloque.size()));
        tamano += bloque.size();
        deflador.deflar(bloque, vaciado,
                        [this](const char* datos, qsizetype n) { return guardar(datos, n); });
    }

    void trabajar() {
        for (;;) {
            QByteArray bloque;
            {
                std::unique_lock bloqueo(candado);
                hayBloque.wait(bloqueo, [this] { return fin || !cola.empty(); });
                if (cola.empty()) break;
                bloque = std::move(cola.front());
                cola.pop_front();
            }
            hayHueco.notify_one();
            deflar(bloque, Z_NO_FLUSH);
        }
        deflar({}, Z_SYNC_FLUSH);
    }
};

FilasComprimidas::FilasComprimidas()
    : estado_(std::make_unique<Estado>()) {
    estado_->escrito = estado_->archivo.open();
    estado_->hilo = std::thread([e = estado_.get()] { e->trabajar(); });
}

FilasComprimidas::~FilasComprimidas() {
    terminar();
}

void FilasComprimidas::anadir(QByteArray xml) {
    {
        std::unique_lock bloqueo(estado_->candado);
        estado_->hayHueco.wait(bloqueo,
                               [e = estado_.get()] { return e->cola.size() < kPendientes; });
        estado_->cola.push_back(std::move(xml));
    }
    estado_->hayBloque.notify_one();
}

QString FilasComprimidas::terminar() {
    if (estado_->hilo.joinable()) {
        {
            const std::lock_guard bloqueo(estado_->candado);
            estado_->fin = true;
        }
        estado_->hayBloque.notify_one();
        estado_->hilo.join();
    }
    if (!estado_->escrito || !estado_->archivo.flush())
        return QStringLiteral("no se pudo escribir en la carpeta temporal: ") +
               estado_->archivo.errorString();
    return {};
}

namespace {

class Zip {
public:
    explicit Zip(const QString& ruta)
        : zip_(zipOpen64(QFile::encodeName(ruta).constData(), APPEND_STATUS_CREATE)) {
        // Like any file written by hand: 1980-01-01, the format's first day.
        info_.tmz_date.tm_mday = 1;
        info_.tmz_date.tm_year = 1980;
    }
    ~Zip() {
        if (zip_) zipClose(zip_, nullptr);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;

    bool abierto() const { return zip_ != nullptr; }

    bool parte(const char* nombre, const QByteArray& xml) {
        const QByteArray texto = kDeclaracion + xml;
        return zipOpenNewFileInZip64(zip_, nombre, &info_, nullptr, 0, nullptr, 0, nullptr,
                                     Z_DEFLATED, kNivel, 0) == ZIP_OK &&
               zipWriteInFileInZip(zip_, texto.constData(), unsigned(texto.size())) == ZIP_OK &&
               zipCloseFileInZip(zip_) == ZIP_OK;
    }

    /** A part whose data is already deflated: the zip only frames it. */
    bool abrirCrudo(const char* nombre, bool grande) {
        return zipOpenNewFileInZip2_64(zip_, nombre, &info_, nullptr, 0, nullptr, 0, nullptr,
                                       Z_DEFLATED, kNivel, 1, grande ? 1 : 0) == ZIP_OK;
    }
    bool escribir(const char* datos, qsizetype n) {
        return zipWriteInFileInZip(zip_, datos, unsigned(n)) == ZIP_OK;
    }
    bool cerrarCrudo(qint64 tamano, uLong crc) {
        return zipCloseFileInZipRaw64(zip_, ZPOS64_T(tamano), crc) == ZIP_OK;
    }

    bool cerrar() {
        const bool hecho = zipClose(zip_, nullptr) == ZIP_OK;
        zip_ = nullptr;
        return hecho;
    }

private:
    zipFile zip_;
    zip_fileinfo info_{};
};

} // namespace

QString escribirPaqueteXlsx(const QString& ruta, const QByteArray& nombreHoja,
                            const QByteArray& cabecera, FilasComprimidas& filas,
                            const QByteArray& pie) {
    FilasComprimidas::Estado& e = *filas.estado_;
    Zip zip(ruta);
    if (!zip.abierto()) return QStringLiteral("no se pudo crear");
    const bool partes = zip.parte("[Content_Types].xml", kTipos) &&
                        zip.parte("_rels/.rels", kRelaciones) &&
                        zip.parte("xl/workbook.xml", libro(nombreHoja)) &&
                        zip.parte("xl/_rels/workbook.xml.rels", kRelacionesLibro) &&
                        zip.parte("xl/styles.xml", kEstilos);
    const QByteArray delante = kDeclaracion + cabecera;
    const qint64 tamano = delante.size() + e.tamano + pie.size();
    bool hoja = partes && zip.abrirCrudo("xl/worksheets/sheet1.xml", tamano >= 0xFFFFFFFFLL);
    // Header, rows and footer deflated apart join into one stream; so do their checksums.
    const QByteArray primero = deflado(delante, Z_SYNC_FLUSH);
    hoja = hoja && zip.escribir(primero.constData(), primero.size()) && e.archivo.seek(0);
    while (hoja && !e.archivo.atEnd()) {
        const QByteArray trozo = e.archivo.read(kTrozoSalida);
        hoja = !trozo.isEmpty() && zip.escribir(trozo.constData(), trozo.size());
    }
    const QByteArray ultimo = deflado(pie, Z_FINISH);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(delante.constData()), uInt(delante.size()));
    crc = crc32_combine(crc, e.crc, e.tamano);
    crc = crc32_combine(crc,
                        crc32(0, reinterpret_cast<const Bytef*>(pie.constData()), uInt(pie.size())),
                        pie.size());
    hoja = hoja && zip.escribir(ultimo.constData(), ultimo.size()) && zip.cerrarCrudo(tamano, crc);
    if (!zip.cerrar() || !hoja) return QStringLiteral("no se pudo escribir");
    return {};
}

} // namespace torvane
