#include "core/text/Plegado.h"

#include <QSqlDriver>
#include <QVariant>
#include <array>
#include <sqlite3.h>

namespace torvane {

namespace {

void anadirUtf8(std::string& salida, char32_t c) {
    if (c < 0x80) {
        salida += static_cast<char>(c);
    } else if (c < 0x800) {
        salida += static_cast<char>(0xC0 | (c >> 6));
        salida += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        salida += static_cast<char>(0xE0 | (c >> 12));
        salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        salida += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        salida += static_cast<char>(0xF0 | (c >> 18));
        salida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        salida += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The slow, general fold: canonical decomposition, marks dropped, case folded.
std::string plegarPuntoLento(char32_t c) {
    const QString descompuesto = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    QString limpio;
    for (QChar q : descompuesto)
        if (q.category() != QChar::Mark_NonSpacing) limpio += q;
    std::string salida;
    for (char32_t p : limpio.toCaseFolded().toUcs4())
        anadirUtf8(salida, p);
    return salida;
}

// Latin letters cover nearly every name and address; fold them through a table built once.
constexpr char32_t kFinTabla = 0x250;
const std::array<std::string, kFinTabla>& tablaLatina() {
    static const auto tabla = [] {
        std::array<std::string, kFinTabla> t;
        for (char32_t c = 0; c < kFinTabla; ++c)
            t[c] = c < 0x80 ? std::string(1, static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c))
                            : plegarPuntoLento(c);
        return t;
    }();
    return tabla;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is malformed.
int decodificar(std::string_view s, size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    int largo = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (largo == 0 || i + largo > s.size()) return 0;
    c = largo == 1 ? b : b & (0x7F >> largo);
    for (int k = 1; k < largo; ++k) {
        const auto sig = static_cast<unsigned char>(s[i + k]);
        if ((sig & 0xC0) != 0x80) return 0;
        c = (c << 6) | (sig & 0x3F);
    }
    return largo;
}

void plegarEn(std::string_view texto, std::string& salida) {
    salida.clear();
    const auto& tabla = tablaLatina();
    for (size_t i = 0; i < texto.size();) {
        const auto b = static_cast<unsigned char>(texto[i]);
        if (b < 0x80) {
            salida += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++i;
            continue;
        }
        char32_t c = 0;
        const int largo = decodificar(texto, i, c);
        if (largo == 0) {
            salida += static_cast<char>(b);
            ++i;
            continue;
        }
        salida += c < kFinTabla ? tabla[c] : plegarPuntoLento(c);
        i += largo;
    }
}

std::string_view textoDe(sqlite3_value* valor) {
    const auto* datos = reinterpret_cast<const char*>(sqlite3_value_text(valor));
    return datos ? std::string_view(datos, sqlite3_value_bytes(valor)) : std::string_view();
}

void sqlContiene(sqlite3_context* ctx, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    // The search text is the same for every row: fold it once per statement.
    auto* aguja = static_cast<std::string*>(sqlite3_get_auxdata(ctx, 1));
    std::string local;
    if (!aguja) {
        local = plegarUtf8(textoDe(args[1]));
        sqlite3_set_auxdata(ctx, 1, new std::string(local),
                            [](void* p) { delete static_cast<std::string*>(p); });
        aguja = &local;
    }
    thread_local std::string pajar;
    plegarEn(textoDe(args[0]), pajar);
    sqlite3_result_int(ctx, pajar.find(*aguja) != std::string::npos ? 1 : 0);
}

void sqlPliegue(sqlite3_context* ctx, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string plegado = plegarUtf8(textoDe(args[0]));
    sqlite3_result_text(ctx, plegado.data(), static_cast<int>(plegado.size()), SQLITE_TRANSIENT);
}

} // namespace

std::string plegarUtf8(std::string_view texto) {
    std::string salida;
    plegarEn(texto, salida);
    return salida;
}

QString plegar(const QString& texto) {
    return QString::fromStdString(plegarUtf8(texto.toStdString()));
}

bool contiene(const QString& pajar, const QString& aguja) {
    return plegarUtf8(pajar.toStdString()).find(plegarUtf8(aguja.toStdString())) !=
           std::string::npos;
}

sqlite3* manejadorSqlite(const QSqlDatabase& db) {
    return manejadorSqlite(db.driver());
}

sqlite3* manejadorSqlite(const QSqlDriver* driver) {
    const QVariant manejador = driver ? driver->handle() : QVariant();
    if (!manejador.isValid() || qstrcmp(manejador.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(manejador.data());
}

bool registrarFuncionesTexto(const QSqlDatabase& db) {
    // A server's year holds these functions in its own schema.
    if (db.driverName() == QStringLiteral("QPSQL")) return true;
    return registrarFuncionesTexto(manejadorSqlite(db));
}

bool registrarFuncionesTexto(sqlite3* sqlite) {
    if (!sqlite) return false;
    const int banderas = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(sqlite, "contiene", 2, banderas, nullptr, sqlContiene,
                                      nullptr, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(sqlite, "pliegue", 1, banderas, nullptr, sqlPliegue, nullptr,
                                      nullptr, nullptr) == SQLITE_OK;
}

} // namespace torvane
