#include "core/verifactu/Mensajes.h"

#include "core/verifactu/Identidad.h"

#include <QCoreApplication>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace torvane {

namespace {

const QString kSoap = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kUrlEsquemas =
    QStringLiteral("https://www2.agenciatributaria.gob.es/static_files/common/"
                   "internet/dep/aplicaciones/es/aeat/tike/cont/ws/");
const QString kLR = kUrlEsquemas + QStringLiteral("SuministroLR.xsd");
const QString kInfo = kUrlEsquemas + QStringLiteral("SuministroInformacion.xsd");

class Escritor {
public:
    explicit Escritor(QByteArray* destino)
        : x_(destino) {}

    QXmlStreamWriter& x() { return x_; }
    void abrir(const QString& nombre, const QString& ns = kInfo) {
        x_.writeStartElement(ns, nombre);
    }
    void cerrar() { x_.writeEndElement(); }
    void campo(const QString& nombre, const QString& valor) {
        x_.writeTextElement(kInfo, nombre, valor.trimmed());
    }
    void idFactura(const QString& sufijo, const RegistroFacturacion& r) {
        campo(QStringLiteral("IDEmisorFactura") + sufijo, r.nif);
        campo(QStringLiteral("NumSerieFactura") + sufijo, r.numSerie);
        campo(QStringLiteral("FechaExpedicionFactura") + sufijo, r.fecha);
    }

private:
    QXmlStreamWriter x_;
};

void encadenamiento(Escritor& e, const RegistroAEnviar& a) {
    e.abrir(QStringLiteral("Encadenamiento"));
    if (a.registro.huellaAnt.isEmpty()) {
        e.campo(QStringLiteral("PrimerRegistro"), QStringLiteral("S"));
    } else {
        e.abrir(QStringLiteral("RegistroAnterior"));
        e.campo(QStringLiteral("IDEmisorFactura"), a.registro.nif);
        e.campo(QStringLiteral("NumSerieFactura"), a.numSerieAnt);
        e.campo(QStringLiteral("FechaExpedicionFactura"), a.fechaAnt);
        e.campo(QStringLiteral("Huella"), a.registro.huellaAnt);
        e.cerrar();
    }
    e.cerrar();
}

void sistemaYHuella(Escritor& e, const RegistroFacturacion& r) {
    // The software's producer, not the landlord; the version is the one that made the record.
    const IdentidadSistema& sistema = identidadSistema();
    e.abrir(QStringLiteral("SistemaInformatico"));
    e.campo(QStringLiteral("NombreRazon"), sistema.productor.left(120));
    e.campo(QStringLiteral("NIF"), sistema.nifProductor);
    e.campo(QStringLiteral("NombreSistemaInformatico"), sistema.nombreSistema.left(30));
    e.campo(QStringLiteral("IdSistemaInformatico"), sistema.idSistema.left(2));
    e.campo(QStringLiteral("Version"), r.sistema.section(QLatin1Char(' '), -1).left(50));
    e.campo(QStringLiteral("NumeroInstalacion"), numeroInstalacion().left(100));
    e.campo(QStringLiteral("TipoUsoPosibleSoloVerifactu"), QStringLiteral("S"));
    e.campo(QStringLiteral("TipoUsoPosibleMultiOT"), QStringLiteral("N"));
    e.campo(QStringLiteral("IndicadorMultiplesOT"), QStringLiteral("N"));
    e.cerrar();
    e.campo(QStringLiteral("FechaHoraHusoGenRegistro"), r.fechaHora);
    e.campo(QStringLiteral("TipoHuella"), QStringLiteral("01"));
    e.campo(QStringLiteral("Huella"), r.huella);
}

void desglose(Escritor& e, const RegistroFacturacion& r) {
    e.abrir(QStringLiteral("Desglose"));
    e.abrir(QStringLiteral("DetalleDesglose"));
    e.campo(QStringLiteral("Impuesto"), QStringLiteral("01"));
    e.campo(QStringLiteral("ClaveRegimen"), QStringLiteral("01"));
    if (r.exencion.isEmpty()) {
        e.campo(QStringLiteral("CalificacionOperacion"), QStringLiteral("S1"));
        e.campo(QStringLiteral("TipoImpositivo"), r.porIva);
        e.campo(QStringLiteral("BaseImponibleOimporteNoSujeto"), r.base);
        e.campo(QStringLiteral("CuotaRepercutida"), r.cuota);
    } else {
        e.campo(QStringLiteral("OperacionExenta"), r.exencion);
        e.campo(QStringLiteral("BaseImponibleOimporteNoSujeto"), r.base);
    }
    e.cerrar();
    e.cerrar();
}

void alta(Escritor& e, const RegistroAEnviar& a) {
    const RegistroFacturacion& r = a.registro;
    e.abrir(QStringLiteral("RegistroAlta"));
    e.campo(QStringLiteral("IDVersion"), QStringLiteral("1.0"));
    e.abrir(QStringLiteral("IDFactura"));
    e.idFactura({}, r);
    e.cerrar();
    e.campo(QStringLiteral("NombreRazonEmisor"), r.nombre);
    e.campo(QStringLiteral("TipoFactura"), r.tipoFactura);
    if (!r.rectNumSerie.isEmpty()) {
        // Older records knew only differences.
        const bool sustitucion = r.tipoRectificativa == QLatin1String("S");
        e.campo(QStringLiteral("TipoRectificativa"),
                sustitucion ? QStringLiteral("S") : QStringLiteral("I"));
        e.abrir(QStringLiteral("FacturasRectificadas"));
        e.abrir(QStringLiteral("IDFacturaRectificada"));
        e.campo(QStringLiteral("IDEmisorFactura"), r.nif);
        e.campo(QStringLiteral("NumSerieFactura"), r.rectNumSerie);
        e.campo(QStringLiteral("FechaExpedicionFactura"), r.rectFecha);
        e.cerrar();
        e.cerrar();
        if (sustitucion) {
            e.abrir(QStringLiteral("ImporteRectificacion"));
            e.campo(QStringLiteral("BaseRectificada"), r.baseRectificada);
            e.campo(QStringLiteral("CuotaRectificada"), r.cuotaRectificada);
            e.cerrar();
        }
    }
    e.campo(QStringLiteral("DescripcionOperacion"), r.descripcion);
    if (!r.destNif.isEmpty()) {
        e.abrir(QStringLiteral("Destinatarios"));
        e.abrir(QStringLiteral("IDDestinatario"));
        e.campo(QStringLiteral("NombreRazon"), r.destNombre.left(120));
        e.campo(QStringLiteral("NIF"), r.destNif);
        e.cerrar();
        e.cerrar();
    }
    desglose(e, r);
    e.campo(QStringLiteral("CuotaTotal"), r.cuota);
    e.campo(QStringLiteral("ImporteTotal"), r.importe);
    encadenamiento(e, a);
    sistemaYHuella(e, r);
    e.cerrar();
}

void anulacion(Escritor& e, const RegistroAEnviar& a) {
    e.abrir(QStringLiteral("RegistroAnulacion"));
    e.campo(QStringLiteral("IDVersion"), QStringLiteral("1.0"));
    e.abrir(QStringLiteral("IDFactura"));
    e.idFactura(QStringLiteral("Anulada"), a.registro);
    e.cerrar();
    encadenamiento(e, a);
    sistemaYHuella(e, a.registro);
    e.cerrar();
}

} // namespace

QByteArray mensajeRegistros(const QList<RegistroAEnviar>& registros) {
    QByteArray xml;
    Escritor e(&xml);
    QXmlStreamWriter& x = e.x();
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeNamespace(kSoap, QStringLiteral("soapenv"));
    x.writeNamespace(kLR, QStringLiteral("sum"));
    x.writeNamespace(kInfo, QStringLiteral("sum1"));
    e.abrir(QStringLiteral("Envelope"), kSoap);
    x.writeEmptyElement(kSoap, QStringLiteral("Header"));
    e.abrir(QStringLiteral("Body"), kSoap);
    e.abrir(QStringLiteral("RegFactuSistemaFacturacion"), kLR);
    e.abrir(QStringLiteral("Cabecera"), kLR);
    e.abrir(QStringLiteral("ObligadoEmision"));
    const RegistroFacturacion primero = registros.value(0).registro;
    e.campo(QStringLiteral("NombreRazon"), primero.nombre);
    e.campo(QStringLiteral("NIF"), primero.nif);
    e.cerrar();
    e.cerrar();
    for (const RegistroAEnviar& a : registros) {
        e.abrir(QStringLiteral("RegistroFactura"), kLR);
        a.registro.anulacion ? anulacion(e, a) : alta(e, a);
        e.cerrar();
    }
    x.writeEndDocument();
    return xml;
}

namespace {

/** Reads one RespuestaLinea; the reader stands on its start and ends on its end. */
RespuestaRegistro leerLinea(QXmlStreamReader& x) {
    RespuestaRegistro r;
    int abiertos = 1;
    while (abiertos > 0 && !x.atEnd()) {
        const QXmlStreamReader::TokenType token = x.readNext();
        if (token == QXmlStreamReader::EndElement) --abiertos;
        if (token != QXmlStreamReader::StartElement) continue;
        const QString nombre = x.name().toString();
        if (nombre == QLatin1String("IDFactura") || nombre == QLatin1String("Operacion")) {
            ++abiertos;
            continue;
        }
        const QString texto = x.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        if (nombre.startsWith(QLatin1String("NumSerieFactura")))
            r.numSerie = texto;
        else if (nombre.startsWith(QLatin1String("FechaExpedicionFactura")))
            r.fecha = texto;
        else if (nombre == QLatin1String("TipoOperacion"))
            r.anulacion = texto == QLatin1String("Anulacion");
        else if (nombre == QLatin1String("EstadoRegistro"))
            r.estado = texto;
        else if (nombre == QLatin1String("CodigoErrorRegistro"))
            r.codigo = texto;
        else if (nombre == QLatin1String("DescripcionErrorRegistro"))
            r.descripcion = texto;
    }
    return r;
}

} // namespace

RespuestaEnvio leerRespuesta(const QByteArray& xml) {
    RespuestaEnvio r;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement) continue;
        const auto nombre = x.name();
        if (nombre == QLatin1String("faultstring"))
            r.error = x.readElementText().trimmed();
        else if (nombre == QLatin1String("CSV"))
            r.csv = x.readElementText().trimmed();
        else if (nombre == QLatin1String("TiempoEsperaEnvio"))
            r.espera = x.readElementText().trimmed().toInt();
        else if (nombre == QLatin1String("EstadoEnvio"))
            r.estadoEnvio = x.readElementText().trimmed();
        else if (nombre == QLatin1String("RespuestaLinea"))
            r.registros << leerLinea(x);
    }
    if (x.hasError() && r.error.isEmpty())
        r.error =
            QStringLiteral("La respuesta de la AEAT no se puede leer: %1").arg(x.errorString());
    else if (r.error.isEmpty() && r.estadoEnvio.isEmpty())
        r.error = QStringLiteral("La respuesta de la AEAT no dice el estado del envío.");
    return r;
}

} // namespace torvane
