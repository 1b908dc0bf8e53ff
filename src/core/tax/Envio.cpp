#include "core/tax/Envio.h"

#include "core/documents/Funciones.h"
#include "core/documents/Registros.h"
#include "core/store/Consulta.h"
#include "core/verifactu/Identidad.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QSslKey>
#include <QTimer>

namespace torvane {

namespace {

constexpr int kPorMensaje = 1000;
constexpr int kSegundosRespuesta = 120;

const QString kCancelado = QStringLiteral("Envío cancelado.");

/** Posts the message and waits for the answer; empty with error filled when none came. */
QByteArray enviarMensaje(const QUrl& url, const QSslConfiguration& ssl, const QByteArray& xml,
                         const std::function<bool()>& cancelado, QString& error) {
    QNetworkAccessManager red;
    QNetworkRequest peticion(url);
    peticion.setSslConfiguration(ssl);
    peticion.setHeader(QNetworkRequest::ContentTypeHeader,
                       QStringLiteral("text/xml; charset=utf-8"));
    peticion.setRawHeader("SOAPAction", "\"\"");
    peticion.setTransferTimeout(kSegundosRespuesta * 1000);
    QNetworkReply* respuesta = red.post(peticion, xml);
    QEventLoop bucle;
    QObject::connect(respuesta, &QNetworkReply::finished, &bucle, &QEventLoop::quit);
    // The window's «Cancelar» is looked at while the answer is awaited.
    QTimer mirar;
    bool abortado = false;
    QObject::connect(&mirar, &QTimer::timeout, &bucle, [&] {
        if (!cancelado || !cancelado()) return;
        abortado = true;
        respuesta->abort();
    });
    mirar.start(100);
    bucle.exec();
    const QByteArray cuerpo = respuesta->readAll();
    if (abortado) {
        error = kCancelado;
        respuesta->deleteLater();
        return {};
    }
    // A SOAP fault comes with status 500 and still says why.
    if (respuesta->error() != QNetworkReply::NoError && cuerpo.isEmpty())
        error =
            QStringLiteral("No se pudo conectar con la AEAT (%1).").arg(respuesta->errorString());
    respuesta->deleteLater();
    return cuerpo;
}

void anotarEspera(int segundos) {
    ejecutar(QStringLiteral("UPDATE tblVerifactu SET EsperaHasta = ?"),
             {QDateTime::currentDateTimeUtc().addSecs(segundos).toString(Qt::ISODate)});
}

void guardarRespuestas(const QList<RegistroAEnviar>& lote, const RespuestaEnvio& r,
                       ResultadoEnvio& resultado) {
    Transaccion t;
    const QString ahora = fechaHoraAeat(QDateTime::currentDateTime());
    for (const RespuestaRegistro& linea : r.registros) {
        for (const RegistroAEnviar& a : lote) {
            const RegistroFacturacion& reg = a.registro;
            if (reg.numSerie != linea.numSerie || reg.fecha != linea.fecha ||
                reg.anulacion != linea.anulacion)
                continue;
            ejecutar(
                QStringLiteral("INSERT INTO tblRegistrosRespuestas (Id, IdReg, FechaHora,"
                               " Estado, Codigo, Descripcion, Csv) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {SiguienteNumero(QStringLiteral("tblRegistrosRespuestas"), QStringLiteral("Id")),
                 reg.id, ahora, linea.estado, linea.codigo, linea.descripcion, r.csv});
            if (linea.estado == QLatin1String("Correcto"))
                ++resultado.aceptados;
            else if (linea.estado == QLatin1String("AceptadoConErrores"))
                ++resultado.conErrores;
            else
                ++resultado.rechazados;
            break;
        }
    }
    anotarEspera(r.espera);
    t.confirmar();
}

} // namespace

QUrl direccionEnvio(bool pruebas) {
    return QUrl(pruebas ? QStringLiteral("https://prewww1.aeat.es/wlpl/TIKE-CONT/ws/"
                                         "SistemaFacturacion/VerifactuSOAP")
                        : QStringLiteral("https://www1.agenciatributaria.gob.es/wlpl/TIKE-CONT/"
                                         "ws/SistemaFacturacion/VerifactuSOAP"));
}

QString cargarCertificado(const QString& ruta, const QByteArray& clave, QSslConfiguration& ssl) {
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        return QStringLiteral("No se puede leer el certificado %1.").arg(ruta);
    QSslKey llave;
    QSslCertificate certificado;
    QList<QSslCertificate> cadena;
    if (!QSslCertificate::importPkcs12(&archivo, &llave, &certificado, &cadena, clave))
        return QStringLiteral("No se puede abrir el certificado: la contraseña no es correcta o "
                              "el archivo no es un certificado PKCS#12 (.p12, .pfx).");
    ssl.setLocalCertificate(certificado);
    ssl.setPrivateKey(llave);
    ssl.setLocalCertificateChain(QList<QSslCertificate>{certificado} + cadena);
    return {};
}

Resultado<QList<RegistroAEnviar>> registrosPendientes() {
    return intentar([&]() -> QList<RegistroAEnviar> {
        QSqlQuery q =
            ejecutar(QStringLiteral("SELECT HuellaAnt, NumSerieAnt, FechaAnt FROM tblVerifactu"));
        QString numSerieAnt, fechaAnt;
        if (q.next()) {
            numSerieAnt = q.value(1).toString();
            fechaAnt = q.value(2).toString();
        }
        QSqlQuery respondidos =
            ejecutar(QStringLiteral("SELECT DISTINCT IdReg FROM tblRegistrosRespuestas"));
        QSet<int> contestados;
        while (respondidos.next())
            contestados.insert(respondidos.value(0).toInt());
        QList<RegistroAEnviar> pendientes;
        for (const RegistroFacturacion& r : registrosDelAno()) {
            if (!contestados.contains(r.id))
                pendientes << RegistroAEnviar{r, numSerieAnt, fechaAnt};
            numSerieAnt = r.numSerie;
            fechaAnt = r.fecha;
        }
        return pendientes;
    });
}

int segundosDeEspera() {
    const QDateTime hasta = QDateTime::fromString(
        valorUnico(QStringLiteral("SELECT EsperaHasta FROM tblVerifactu")).toString(), Qt::ISODate);
    if (!hasta.isValid()) return 0;
    return static_cast<int>(qMax<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(hasta)));
}

QString ResultadoEnvio::texto() const {
    QString texto = QStringLiteral("Registros enviados: %1. Aceptados: %2. Aceptados con errores: "
                                   "%3. Rechazados: %4.")
                        .arg(enviados)
                        .arg(aceptados)
                        .arg(conErrores)
                        .arg(rechazados);
    if (!error.isEmpty())
        texto += QStringLiteral("\n\n") + error +
                 QStringLiteral("\nLos registros no enviados quedan pendientes para el próximo "
                                "envío.");
    return texto;
}

ResultadoEnvio enviarPendientes(const QUrl& url, const QSslConfiguration& ssl,
                                const std::function<void(int)>& esperar,
                                const SeguimientoEnvio& seguimiento) {
    ResultadoEnvio resultado;
    if (resultado.error = faltaIdentidad(); !resultado.error.isEmpty()) return resultado;
    try {
        const auto leidos = registrosPendientes();
        if (!leidos) {
            resultado.error = leidos.motivo();
            return resultado;
        }
        const QList<RegistroAEnviar>& pendientes = *leidos;
        const auto total = static_cast<int>(pendientes.size());
        for (qsizetype desde = 0; desde < pendientes.size(); desde += kPorMensaje) {
            if (seguimiento.avance) seguimiento.avance(resultado.enviados, total);
            if (const int segundos = segundosDeEspera(); segundos > 0) esperar(segundos);
            if (seguimiento.cancelado && seguimiento.cancelado()) {
                resultado.error = kCancelado;
                return resultado;
            }
            const QList<RegistroAEnviar> lote = pendientes.mid(desde, kPorMensaje);
            const QByteArray cuerpo = enviarMensaje(url, ssl, mensajeRegistros(lote),
                                                    seguimiento.cancelado, resultado.error);
            if (!resultado.error.isEmpty()) return resultado;
            const RespuestaEnvio respuesta = leerRespuesta(cuerpo);
            if (!respuesta.error.isEmpty()) {
                resultado.error =
                    QStringLiteral("La AEAT no ha admitido el envío: ") + respuesta.error;
                return resultado;
            }
            resultado.enviados += static_cast<int>(lote.size());
            guardarRespuestas(lote, respuesta, resultado);
        }
        if (seguimiento.avance) seguimiento.avance(resultado.enviados, total);
    } catch (const ErrorBD& error) {
        resultado.error = error.texto();
    }
    return resultado;
}

Resultado<QList<EstadoRegistro>> estadosRegistros() {
    return intentar([&]() -> QList<EstadoRegistro> {
        QList<EstadoRegistro> lista;
        for (const RegistroFacturacion& r : registrosDelAno()) {
            EstadoRegistro e{r, {}, {}};
            QSqlQuery q = ejecutar(QStringLiteral("SELECT Estado, Codigo, Descripcion FROM"
                                                  " tblRegistrosRespuestas WHERE IdReg = ? ORDER BY"
                                                  " Id DESC LIMIT 1"),
                                   {r.id});
            if (q.next()) {
                e.estado = q.value(0).toString();
                if (!q.value(1).toString().isEmpty())
                    e.error = q.value(1).toString() + QStringLiteral(": ") + q.value(2).toString();
            }
            lista << e;
        }
        return lista;
    });
}

} // namespace torvane
