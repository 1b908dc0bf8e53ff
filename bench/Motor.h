#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QVariantList>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

/**
 * The same reads the program makes, straight through the SQLite C API: no Qt in between, every
 * column fetched as text, with contiene() and pliegue() registered as the program does.
 */
class Motor {
public:
    explicit Motor(const QString& rutaBD);
    ~Motor();
    Motor(const Motor&) = delete;
    Motor& operator=(const Motor&) = delete;

    /** Runs sql with the values bound as text and reads up to maxFilas rows (0: all). */
    int leer(const QByteArray& sql, const QByteArrayList& valores = {}, int maxFilas = 0);
    /** Runs statements that return no rows (BEGIN, an INSERT ... SELECT, ROLLBACK). */
    void ejecutar(const char* sql);
    /** Runs sql with each value bound by its type (null, integer, real or text); every row. */
    int leerValores(const QString& sql, const QVariantList& valores);

private:
    sqlite3_stmt* preparar(const QByteArray& sql);
    int leerFilas(sqlite3_stmt* st, const QByteArray& sql, int maxFilas);

    sqlite3* db_ = nullptr;
};

/** The raw counterpart of one measurement, or an empty function when there is none. */
std::function<void(Motor&)> pasoMotor(const QString& clave);

/** Rows the grid reads before it is first painted. */
constexpr int kPrimeraPagina = 256;
/** The document the sheet and the receipt open. */
constexpr int kDocumento = 50000;
/** What is typed in each filter: accents and case differ from the stored names on purpose. */
constexpr const char* kTextoCobros = "garcia";
constexpr const char* kTextoInmuebles = "lugo";
constexpr const char* kTextoInquilinos = "pena";
/** The global search: the text already typed and the key measured after it. */
constexpr const char* kBusquedaTexto[2] = {"", "a"};
constexpr const char* kBusquedaNumero[2] = {"65", "0"};

/** SQL the sqlite3 command runs for the start-up comparisons: open only, and the first list. */
QByteArray sqlArranque(bool conLista);
