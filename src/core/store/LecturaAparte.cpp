#include "core/store/LecturaAparte.h"

#include "core/store/Consulta.h"
#include "core/text/Plegado.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QThreadPool>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace torvane {

namespace {

// Opens a twin of the shared connection, runs lectura on it and closes it again, so a restored
// or reopened year is never read through a stale handle.
Entrega leerEnGemela(const QString& nombre,
                     const std::function<Entrega(const QSqlDatabase&)>& lectura) {
    Entrega entrega;
    {
        QSqlDatabase db = QSqlDatabase::cloneDatabase(QLatin1StringView(kNombreConexion), nombre);
        if (db.open() && registrarFuncionesTexto(db)) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = 3000"));
            try {
                entrega = lectura(db);
            } catch (const ErrorBD& error) {
                qWarning("%s", qPrintable(error.texto()));
            }
        } else {
            qWarning("%s", qPrintable(db.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return entrega;
}

// A server connection costs tens of milliseconds to open, more than most readings: each
// reading thread keeps one to the same server and year while it stays the same.
Entrega leerEnServidor(const QString& destino,
                       const std::function<Entrega(const QSqlDatabase&)>& lectura) {
    thread_local QString nombre;
    thread_local QString destinoAbierto;
    if (nombre.isEmpty() || destinoAbierto != destino) {
        if (!nombre.isEmpty()) QSqlDatabase::removeDatabase(nombre);
        static QAtomicInt contador;
        nombre = QStringLiteral("torvane-lector-%1").arg(contador.fetchAndAddRelaxed(1));
        QSqlDatabase::cloneDatabase(QLatin1StringView(kNombreConexion), nombre);
        destinoAbierto = destino;
    }
    QSqlDatabase db = QSqlDatabase::database(nombre, false);
    // A connection the server dropped (restarted, or this desk cut off and back) is opened
    // again and the reading, which changes nothing, made once more.
    for (int vez = 0; vez < 2; ++vez) {
        if (!db.isOpen() && !db.open()) {
            qWarning("%s", qPrintable(db.lastError().text()));
            return {};
        }
        try {
            return lectura(db);
        } catch (const ErrorBD& error) {
            const bool perdida = conexionPerdida(db);
            if (perdida) db.close();
            if (!perdida || vez > 0) qWarning("%s", qPrintable(error.texto()));
            if (!perdida) return {};
        }
    }
    return {};
}

/** The readers' own threads, kept alive so their server connections are too. */
QThreadPool& lectores() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setExpiryTimeout(-1);
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

/** A promise whose result runs on receptor's thread, unless receptor is gone by then. */
std::shared_ptr<QPromise<Entrega>> entregaA(QObject* receptor) {
    auto promesa = std::make_shared<QPromise<Entrega>>();
    // The watcher dies with the receiver, and with it any pending delivery.
    auto* vigia = new QFutureWatcher<Entrega>(receptor);
    QObject::connect(vigia, &QFutureWatcherBase::finished, receptor, [vigia] {
        if (vigia->future().resultCount() > 0)
            if (const Entrega entrega = vigia->result()) entrega();
        vigia->deleteLater();
    });
    vigia->setFuture(promesa->future());
    promesa->start();
    return promesa;
}

/**
 * One thread that Linux runs only on a processor nobody else wants (an idle thread), waited for
 * as the application ends, like the global pool.
 */
QThreadPool& sinPrisa() {
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setThreadPriority(QThread::IdlePriority);
        pool->setMaxThreadCount(1);
    }
    return *pool;
}

/** A connection name no other thread is using. */
QString nombreGemela(const char* uso = "aparte") {
    static QAtomicInt contador;
    return QStringLiteral("torvane-%1-%2")
        .arg(QLatin1StringView(uso))
        .arg(contador.fetchAndAddRelaxed(1));
}

/** Runs lectura on a twin connection in a thread of pool, delivering to receptor. */
void leerEnGemelaDe(QThreadPool& pool, QObject* receptor,
                    std::function<Entrega(const QSqlDatabase&)> lectura) {
    pool.start(
        [promesa = entregaA(receptor), nombre = nombreGemela(), lectura = std::move(lectura)] {
            promesa->addResult(leerEnGemela(nombre, lectura));
            promesa->finish();
        });
}

} // namespace

void leerAparteSinPrisa(QObject* receptor, std::function<Entrega(const QSqlDatabase&)> lectura) {
    if (Conexion().driverName() == QStringLiteral("QPSQL")) {
        leerAparte(receptor, std::move(lectura));
        return;
    }
    leerEnGemelaDe(sinPrisa(), receptor, std::move(lectura));
}

void leerAparte(QObject* receptor, std::function<Entrega(const QSqlDatabase&)> lectura) {
    const QSqlDatabase compartida = Conexion();
    if (compartida.driverName() == QStringLiteral("QPSQL")) {
        const QString destino = QStringLiteral("%1:%2/%3?%4")
                                    .arg(compartida.hostName())
                                    .arg(compartida.port())
                                    .arg(compartida.databaseName(), compartida.connectOptions());
        lectores().start([promesa = entregaA(receptor), destino, lectura = std::move(lectura)] {
            promesa->addResult(leerEnServidor(destino, lectura));
            promesa->finish();
        });
        return;
    }
    leerEnGemelaDe(*QThreadPool::globalInstance(), receptor, std::move(lectura));
}

namespace {

// Rows per block handed over, and blocks read ahead before the reader waits.
constexpr qsizetype kFilasBloque = 512;
constexpr size_t kBloquesDelante = 4;

} // namespace

struct FilasAparte::Estado {
    std::mutex candado;
    std::condition_variable cambio;
    std::deque<QList<QVariantList>> bloques;
    bool fin = false;
    bool parar = false;
    QString error;
    std::thread hilo;
    bool leido = false; ///< the connection opened and the reading began
    // The caller's side alone.
    QList<QVariantList> actual;
    qsizetype siguiente = 0;

    /** Hands bloque over, waiting while enough are ahead; false once the caller stopped. */
    bool entregar(QList<QVariantList>& bloque) {
        std::unique_lock bloqueo(candado);
        cambio.wait(bloqueo, [this] { return parar || bloques.size() < kBloquesDelante; });
        if (parar) return false;
        bloques.push_back(std::exchange(bloque, {}));
        cambio.notify_all();
        return true;
    }

    void leer(const FuenteFilas& fuente, const QSqlDatabase& db) {
        try {
            const auto filas = fuente(db);
            QList<QVariantList> bloque;
            for (QVariantList fila; filas(fila);) {
                bloque.append(std::move(fila));
                if (bloque.size() == kFilasBloque && !entregar(bloque)) return;
            }
            if (!bloque.isEmpty()) entregar(bloque);
        } catch (const ErrorBD& e) {
            const std::lock_guard bloqueo(candado);
            error = e.texto();
        }
    }

    void terminar() {
        const std::lock_guard bloqueo(candado);
        fin = true;
        if (error.isEmpty() && !leido)
            error = QStringLiteral("No se pudo abrir la base de datos para leer la lista.");
        cambio.notify_all();
    }
};

FilasAparte::FilasAparte(FuenteFilas fuente)
    : estado_(std::make_unique<Estado>()) {
    estado_->hilo = std::thread(
        [e = estado_.get(), nombre = nombreGemela("filas"), fuente = std::move(fuente)] {
            leerEnGemela(nombre, [e, &fuente](const QSqlDatabase& db) {
                e->leido = true;
                e->leer(fuente, db);
                return Entrega();
            });
            e->terminar();
        });
}

FilasAparte::~FilasAparte() {
    {
        const std::lock_guard bloqueo(estado_->candado);
        estado_->parar = true;
    }
    estado_->cambio.notify_all();
    estado_->hilo.join();
}

bool FilasAparte::siguiente(QVariantList& fila) {
    Estado& e = *estado_;
    if (e.siguiente == e.actual.size()) {
        std::unique_lock bloqueo(e.candado);
        e.cambio.wait(bloqueo, [&e] { return e.fin || !e.bloques.empty(); });
        if (e.bloques.empty()) {
            if (!e.error.isEmpty()) throw ErrorBD(e.error);
            return false;
        }
        e.actual = std::move(e.bloques.front());
        e.bloques.pop_front();
        e.siguiente = 0;
        e.cambio.notify_all();
    }
    fila = std::move(e.actual[e.siguiente++]);
    return true;
}

} // namespace torvane
