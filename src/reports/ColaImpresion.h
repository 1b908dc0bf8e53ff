#pragma once

#include <QString>

namespace torvane {

/*
 * The machine's print service (CUPS), asked directly: Qt's printing hands a job over without
 * looking at the answer, so a refused job would be lost without a word. No widgets here.
 */

/** Whether the print service answers at all. */
bool servicioImpresionResponde();

/** What a queue says about itself just before a job is sent. */
struct EstadoCola {
    enum Estado { Lista, NoAdmite, Detenida, NoExiste, SinServicio };
    Estado estado = SinServicio;
    QString motivo; ///< the queue's own message (as cupsreject -r or cupsdisable -r left it)
};

EstadoCola estadoCola(const QString& cola);

/** The answer to one job: its number when the queue took it, otherwise why not. */
struct EnvioTrabajo {
    int trabajo = 0;
    QString error;
    bool aceptado() const { return trabajo > 0; }
};

/**
 * Sends the PDF file archivo to cola as one job named titulo, on A4 whatever paper the queue
 * defaults to. Accepted means the queue has the job; it says nothing of the paper yet.
 */
EnvioTrabajo enviarPdf(const QString& cola, const QString& archivo, const QString& titulo);

} // namespace torvane
