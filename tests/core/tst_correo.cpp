#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/mail/EnviosCorreo.h"
#include "core/text/Formato.h"
#include "reports/ImprimirDocumentos.h"
#include "support/Ayudas.h"
#include "support/SmtpPrueba.h"

#include <QJsonArray>

/*
 * Documents mailed through a real SMTP server of the test's own: what the tenant receives, what
 * the year records, and what the user is told when the server refuses or is not there.
 */
class PruebaCorreo : public QObject {
    Q_OBJECT

    AjustesCorreo ajustes(int puerto) const {
        AjustesCorreo a;
        a.servidor = u"127.0.0.1"_s;
        a.puerto = puerto;
        a.seguridad = Seguridad::Ninguna;
        a.usuario = u"casero"_s;
        a.nombreRemitente = u"Fincas Núñez, S.L."_s;
        a.direccionRemitente = u"oficina@fincas.example"_s;
        a.responderA = u"cobros@fincas.example"_s;
        a.asunto = u"Recibo {{documento.numero}} · {{documento.periodo}} — {{inquilino.nombre}}"_s;
        a.cuerpo = u"Hola {{inquilino.nombre}}:\nTotal: {{documento.total}} €\n"_s;
        return a;
    }

    /** Mails document id as a window does: its PDF, its message, its record. */
    EnvioSmtp mandar(int id, const AjustesCorreo& a, const QString& clave = u"secreta"_s) {
        const auto pdf = pdfDocumento(id);
        if (!pdf) return {EnvioSmtp::Rechazado, pdf.motivo()};
        auto mensaje = mensajeDocumento(id, a);
        if (!mensaje) return {EnvioSmtp::Rechazado, mensaje.motivo()};
        mensaje->pdf = pdf->datos;
        mensaje->nombrePdf = pdf->archivo;
        return enviarDocumento(id, *mensaje,
                               [&](const MensajeCorreo& m) { return enviarCorreo(a, clave, m); });
    }

    /** A let property of a tenant with address mail, billing its rent each month. */
    static void alquilado(Entorno& e, const QString& inquilino, const QString& mail) {
        prepararImpresion(u"Recibo.rpt"_s);
        const int inm = e.inmueble(u"Piso de "_s + inquilino, e.inquilino(inquilino, {}, {}, mail),
                                   {}, {}, {}, {}, 650);
        QVERIFY(guardarCargos(inm, {}, {lineaAlquiler(inm)}));
    }

private slots:
    void init() { fijarHoy(QDate(2024, 5, 15)); }
    void cleanup() { fijarHoy({}); }

    void mesPorCorreo() {
        SmtpPrueba servidor({u"casero"_s, u"secreta"_s});
        QVERIFY2(servidor.error().isEmpty(), qPrintable(servidor.error()));
        Entorno e;
        e.serie(u"A"_s);
        alquilado(e, u"Begoña Ibáñez"_s, u"bego@correo.example"_s);
        alquilado(e, u"Carlos Sinmail"_s, {});
        alquilado(e, u"Dora Errata"_s, u"dora@@correo"_s);
        alquilado(e, u"Rechazado Ruiz"_s, u"rechazado@correo.example"_s);
        const int run = *emitirMes(proponerMes(QDate(2024, 5, 1)), QDate(2024, 5, 1), 2024);
        const QList<int> ids = documentosEmision(run);

        const auto plan = planCorreo(ids);
        QVERIFY(plan);
        QCOMPARE(plan->enviar.size(), 2);
        QCOMPARE(plan->sinDireccion.size(), 2);
        QCOMPARE(plan->sinDireccion[0].motivo, u"sin dirección de correo"_s);
        QVERIFY(plan->sinDireccion[1].motivo.contains(u"«dora@@correo»"_s));

        const AjustesCorreo a = ajustes(servidor.puerto());
        const EnvioSmtp mala = mandar(plan->enviar[0].id, a, u"mala"_s);
        QVERIFY2(mala.estado == EnvioSmtp::ClaveRechazada, qPrintable(mala.texto));
        const EnvioSmtp bien = mandar(plan->enviar[0].id, a);
        QVERIFY2(bien.enviado(), qPrintable(bien.texto));
        const EnvioSmtp rechazado = mandar(plan->enviar[1].id, a);
        QVERIFY2(rechazado.estado == EnvioSmtp::Rechazado, qPrintable(rechazado.texto));
        QVERIFY2(rechazado.texto.contains(u"550 5.1.1"_s), qPrintable(rechazado.texto));

        const QList<QJsonObject> recibidos = servidor.recibidos(1);
        QCOMPARE(recibidos.size(), 1);
        const QJsonObject m = recibidos[0];
        QCOMPARE(m[u"destinatarios"_s].toArray(), QJsonArray{u"bego@correo.example"_s});
        QCOMPARE(m[u"from"_s].toString(), u"\"Fincas Núñez, S.L.\" <oficina@fincas.example>"_s);
        QCOMPARE(m[u"replyTo"_s].toString(), u"cobros@fincas.example"_s);
        QCOMPARE(m[u"asunto"_s].toString(), u"Recibo 1A · mayo de 2024 — Begoña Ibáñez"_s);
        QCOMPARE(m[u"cuerpo"_s].toString(), u"Hola Begoña Ibáñez:\nTotal: 650,00 €\n"_s);
        const QJsonArray adjuntos = m[u"adjuntos"_s].toArray();
        QCOMPARE(adjuntos.size(), 1);
        const QJsonObject pdf = adjuntos[0].toObject();
        QCOMPARE(pdf[u"tipo"_s].toString(), u"application/pdf"_s);
        QCOMPARE(pdf[u"nombre"_s].toString(), u"Recibo 1A - Begona Ibanez.pdf"_s);
        const QString papel = paginasPdf(pdf[u"archivo"_s].toString()).join(u' ');
        QVERIFY2(papel.contains(u"Begoña Ibáñez"_s) && papel.contains(u"650,00"_s),
                 qPrintable(papel));

        // What the year keeps: the one that went is printed "por correo", the refused is not.
        const auto ultimos = ultimosEnvios(ids);
        QVERIFY(ultimos);
        QCOMPARE(ultimos->size(), 2);
        QCOMPARE(ultimos->value(plan->enviar[0].id).estado, EnvioDocumento::Enviado);
        QCOMPARE(ultimos->value(plan->enviar[1].id).estado, EnvioDocumento::Fallido);
        QVERIFY(ultimos->value(plan->enviar[1].id).respuesta.contains(u"550 5.1.1"_s));
        QCOMPARE(leerEstado(plan->enviar[0].id)->comoImpreso, u"por correo"_s);
        QVERIFY(!leerEstado(plan->enviar[1].id)->impreso);
        QCOMPARE(planCorreo(ids)->yaEnviados(), 1);
    }

    // A server that is not there, then one whose certificate nobody vouches for: each is told,
    // the attempt stays in the year, and a retry later goes.
    void servidorCaido() {
        Entorno e;
        e.serie(u"A"_s);
        alquilado(e, u"Ana"_s, u"ana@correo.example"_s);
        const int id =
            documentosEmision(*emitirMes(proponerMes(QDate(2024, 5, 1)), QDate(2024, 5, 1), 2024))
                .first();
        AjustesCorreo a = ajustes(SmtpPrueba::puertoCerrado());
        const EnvioSmtp caido = mandar(id, a);
        QVERIFY2(caido.estado == EnvioSmtp::SinConexion, qPrintable(caido.texto));
        QVERIFY2(caido.texto.contains(u"127.0.0.1:%1"_s.arg(a.puerto)), qPrintable(caido.texto));

        SmtpPrueba seguro({{}, {}, true});
        QVERIFY2(seguro.error().isEmpty(), qPrintable(seguro.error()));
        a = ajustes(seguro.puerto());
        a.usuario.clear();
        a.seguridad = Seguridad::StartTls;
        const EnvioSmtp dudoso = mandar(id, a);
        QCOMPARE(dudoso.estado, EnvioSmtp::SinConexion);
        QVERIFY2(dudoso.texto.contains(u"conexión segura"_s), qPrintable(dudoso.texto));
        a.verificarCertificado = false;
        const EnvioSmtp enviado = mandar(id, a);
        QVERIFY2(enviado.enviado() && !enviado.texto.contains(u"anotar"_s),
                 qPrintable(enviado.texto));
        QCOMPARE(seguro.recibidos(1).size(), 1);

        const auto envios = enviosDe(id);
        QVERIFY(envios);
        QCOMPARE(envios->size(), 3);
        QCOMPARE(envios->at(0).estado, EnvioDocumento::Enviado);
        QCOMPARE(envios->at(2).estado, EnvioDocumento::Fallido);
        QCOMPARE(envios->at(2).respuesta, caido.texto);
        QVERIFY(textoEnvio(envios->at(2)).startsWith(u"Falló el envío a ana@correo.example el "_s));
    }
};

TORVANE_TEST_MAIN(PruebaCorreo)
#include "tst_correo.moc"
