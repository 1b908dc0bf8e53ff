#pragma once

#include <QSqlDatabase>
#include <functional>

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

} // namespace torvane
