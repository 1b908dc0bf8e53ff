#include "reports/ColaImpresion.h"

#include <cups/cups.h>
#include <memory>

namespace torvane {

namespace {

struct BorrarIpp {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, BorrarIpp>;

QString ultimoError() {
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace

bool servicioImpresionResponde() {
    http_t* conexion = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                    1, 5000, nullptr);
    if (!conexion) return false;
    httpClose(conexion);
    return true;
}

EstadoCola estadoCola(const QString& cola) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", cola.toUtf8().constData());
    ipp_t* peticion = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(peticion, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char* const atributos[] = {"printer-state", "printer-state-message",
                                            "printer-is-accepting-jobs"};
    ippAddStrings(peticion, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                  atributos);
    // cupsDoRequest takes the request over, whatever comes back.
    const Ipp respuesta(cupsDoRequest(CUPS_HTTP_DEFAULT, peticion, "/"));
    const ipp_status_t error = cupsLastError();
    if (!respuesta || error > IPP_STATUS_OK_CONFLICTING) {
        const QString motivo = ultimoError();
        if (error == IPP_STATUS_ERROR_NOT_FOUND) return {EstadoCola::NoExiste, motivo};
        if (!servicioImpresionResponde()) return {EstadoCola::SinServicio, motivo};
        return {EstadoCola::NoAdmite, motivo};
    }
    EstadoCola estado{EstadoCola::Lista, {}};
    if (ipp_attribute_t* a =
            ippFindAttribute(respuesta.get(), "printer-state-message", IPP_TAG_TEXT))
        estado.motivo = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    ipp_attribute_t* admite =
        ippFindAttribute(respuesta.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    ipp_attribute_t* situacion = ippFindAttribute(respuesta.get(), "printer-state", IPP_TAG_ENUM);
    if (admite && !ippGetBoolean(admite, 0))
        estado.estado = EstadoCola::NoAdmite;
    else if (situacion && ippGetInteger(situacion, 0) == IPP_PSTATE_STOPPED)
        estado.estado = EstadoCola::Detenida;
    return estado;
}

EnvioTrabajo enviarPdf(const QString& cola, const QString& archivo, const QString& titulo) {
    cups_option_t* opciones = nullptr;
    int cuantas = 0;
    // Both names of the paper: the IPP one and the one a PPD driver's option knows.
    cuantas = cupsAddOption("media", "A4", cuantas, &opciones);
    cuantas = cupsAddOption("PageSize", "A4", cuantas, &opciones);
    const int trabajo =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, cola.toUtf8().constData(), archivo.toUtf8().constData(),
                       titulo.toUtf8().constData(), cuantas, opciones);
    cupsFreeOptions(cuantas, opciones);
    return {trabajo, trabajo > 0 ? QString() : ultimoError()};
}

} // namespace torvane
