#pragma once

#include <QSqlDatabase>
#include <QVariantList>
#include <functional>
#include <memory>

class QObject;

namespace torvane {

/**
 * What a reading off the interface thread hands back: run on the receiver's thread, it shows
 * the result.
 */
using Entrega = std::function<void()>;

/**
 * Runs lectura on a thread of the pool, on a connection of its own to the year's database with
 * the program's SQL functions, and then its Entrega on receptor's thread. Nothing is delivered
 * once receptor is gone, nor when the reading fails (a slow total is worth less than a frozen
 * window). Call it from the interface thread while the shared connection is open.
 */
void leerAparte(QObject* receptor, std::function<Entrega(const QSqlDatabase&)> lectura);

/**
 * As leerAparte, on a thread of its own that runs only when nothing else wants the processor:
 * for checks of the whole year, which must not slow what the user opens meanwhile.
 */
void leerAparteSinPrisa(QObject* receptor, std::function<Entrega(const QSqlDatabase&)> lectura);

/** A list's rows one at a time (false after the last), read through db. */
using FuenteFilas = std::function<std::function<bool(QVariantList&)>(const QSqlDatabase& db)>;

/**
 * The rows of fuente read on a thread of their own, on a connection of its own, while the caller
 * writes the ones already read: they come over in blocks, only a few ahead, so a whole year
 * passes in little memory. Create and read it on the interface thread while the shared connection
 * is open.
 */
class FilasAparte {
public:
    explicit FilasAparte(FuenteFilas fuente);
    /** Stops the reading, if it has not ended, and waits for its thread. */
    ~FilasAparte();
    FilasAparte(const FilasAparte&) = delete;
    FilasAparte& operator=(const FilasAparte&) = delete;

    /** The next row; false after the last. Throws ErrorBD when the reading failed. */
    bool siguiente(QVariantList& fila);

    struct Estado;

private:
    std::unique_ptr<Estado> estado_;
};

} // namespace torvane
