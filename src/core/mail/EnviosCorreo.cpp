#include "core/mail/EnviosCorreo.h"

#include "core/documents/EstadoDocumento.h"
#include "core/reports/DatosInforme.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"

#include <QSqlQuery>
#include <QStringList>

namespace torvane {

namespace {

const QString kColumnasEnvio = QStringLiteral("Id, IdDoc, Fec, Dir, Est, Resp");

EnvioDocumento envioDeFila(const QSqlQuery& q) {
    EnvioDocumento e;
    e.id = q.value(0).toInt();
    e.documento = q.value(1).toInt();
    e.fecha = QDateTime::fromString(q.value(2).toString(), Qt::ISODate);
    e.direccion = q.value(3).toString();
    const QString estado = q.value(4).toString();
    e.estado = estado == QLatin1String("E")   ? EnvioDocumento::Enviado
               : estado == QLatin1String("F") ? EnvioDocumento::Fallido
                                              : EnvioDocumento::EnCurso;
    e.respuesta = q.value(5).toString();
    return e;
}

QString momento(const QDateTime& fecha) {
    return formatoFecha(fecha.date()) + QLatin1Char(' ') + fecha.toString(QStringLiteral("HH:mm"));
}

} // namespace

Resultado<QList<EnvioDocumento>> enviosDe(int id) {
    return intentar([id] {
        QList<EnvioDocumento> lista;
        QSqlQuery q =
            ejecutar(QStringLiteral("SELECT %1 FROM tblCorreos WHERE IdDoc = ? ORDER BY Id DESC")
                         .arg(kColumnasEnvio),
                     {id});
        while (q.next())
            lista << envioDeFila(q);
        return lista;
    });
}

Resultado<QHash<int, EnvioDocumento>> ultimosEnvios(const QList<int>& ids) {
    return intentar([&ids] {
        QHash<int, EnvioDocumento> ultimos;
        // In slices: a statement takes only so many bound values.
        for (qsizetype desde = 0; desde < ids.size(); desde += 500) {
            const QList<int> tramo = ids.mid(desde, 500);
            QSqlQuery q = ejecutar(
                QStringLiteral("SELECT %1 FROM tblCorreos WHERE Id IN (SELECT MAX(Id) FROM "
                               "tblCorreos WHERE IdDoc IN (%2) GROUP BY IdDoc)")
                    .arg(kColumnasEnvio, marcadores(tramo.size())),
                comoValores(tramo));
            while (q.next()) {
                const EnvioDocumento e = envioDeFila(q);
                ultimos.insert(e.documento, e);
            }
        }
        return ultimos;
    });
}

QString textoEnvio(const EnvioDocumento& e) {
    switch (e.estado) {
    case EnvioDocumento::Enviado:
        return QStringLiteral("Enviado por correo a %1 el %2").arg(e.direccion, momento(e.fecha));
    case EnvioDocumento::Fallido:
        return QStringLiteral("Falló el envío a %1 el %2: %3")
            .arg(e.direccion, momento(e.fecha), e.respuesta);
    case EnvioDocumento::EnCurso:
        break;
    }
    return QStringLiteral("Envío a %1 el %2 sin confirmar (el programa se cerró mientras se "
                          "enviaba)")
        .arg(e.direccion, momento(e.fecha));
}

QString textoEnvioCorto(const EnvioDocumento& e) {
    switch (e.estado) {
    case EnvioDocumento::Enviado:
        return QStringLiteral("Enviado ") + formatoFecha(e.fecha.date());
    case EnvioDocumento::Fallido:
        return QStringLiteral("Falló ") + formatoFecha(e.fecha.date());
    case EnvioDocumento::EnCurso:
        break;
    }
    return QStringLiteral("Sin confirmar");
}

qsizetype PlanCorreo::yaEnviados() const {
    return std::count_if(enviar.cbegin(), enviar.cend(),
                         [](const DocumentoCorreo& d) { return d.yaEnviado; });
}

Resultado<PlanCorreo> planCorreo(const QList<int>& ids) {
    const auto ultimos = ultimosEnvios(ids);
    if (!ultimos) return ultimos.fallo();
    return intentar([&] {
        QHash<int, DocumentoCorreo> leidos;
        for (qsizetype desde = 0; desde < ids.size(); desde += 500) {
            const QList<int> tramo = ids.mid(desde, 500);
            QSqlQuery q = ejecutar(QStringLiteral("SELECT c.Id, c.Num, c.Ser, q.Nom, q.Mail FROM"
                                                  " tblCobros c LEFT JOIN tblInquilinos q ON"
                                                  " q.Id = c.IdInq WHERE c.Id IN (%1)")
                                       .arg(marcadores(tramo.size())),
                                   comoValores(tramo));
            while (q.next()) {
                DocumentoCorreo d{q.value(0).toInt(),
                                  q.value(1).toString() + q.value(2).toString(),
                                  q.value(3).toString(),
                                  q.value(4).toString().trimmed(),
                                  {}};
                if (d.direccion.isEmpty())
                    d.motivo = QStringLiteral("sin dirección de correo");
                else if (!direccionValida(d.direccion))
                    d.motivo =
                        QStringLiteral("«%1» no es una dirección de correo").arg(d.direccion);
                const auto it = ultimos->find(d.id);
                d.yaEnviado = it != ultimos->end() && it->estado != EnvioDocumento::Fallido;
                leidos.insert(d.id, d);
            }
        }
        PlanCorreo plan;
        for (int id : ids)
            if (const auto it = leidos.find(id); it != leidos.end())
                (it->motivo.isEmpty() ? plan.enviar : plan.sinDireccion) << *it;
        return plan;
    });
}

Resultado<MensajeCorreo> mensajeDocumento(int id, const AjustesCorreo& ajustes) {
    const auto plan = planCorreo({id});
    if (!plan) return plan.fallo();
    if (!plan->sinDireccion.isEmpty())
        return Fallo{QStringLiteral("No se puede enviar el %1 a %2: %3.")
                         .arg(plan->sinDireccion[0].numero, plan->sinDireccion[0].inquilino,
                              plan->sinDireccion[0].motivo)};
    if (plan->enviar.isEmpty()) return Fallo{QStringLiteral("No existe el documento %1").arg(id)};
    MensajeCorreo m;
    m.para = plan->enviar[0].direccion;
    for (auto [plantilla, destino] :
         {std::pair{&ajustes.asunto, &m.asunto}, std::pair{&ajustes.cuerpo, &m.cuerpo}}) {
        const InformeGenerado texto = rellenarTextoDocumento(*plantilla, id);
        if (!texto.valido()) return Fallo{texto.error};
        *destino = texto.html;
    }
    return m;
}

EnvioSmtp enviarDocumento(int id, const MensajeCorreo& mensaje, const Remitir& remitir) {
    const auto anotado = intentar([&] {
        QSqlQuery q =
            ejecutar(QStringLiteral("INSERT INTO tblCorreos (IdDoc, Fec, Dir, Est)"
                                    " VALUES (?, ?, ?, 'P') RETURNING Id"),
                     {id, QDateTime::currentDateTime().toString(Qt::ISODate), mensaje.para});
        return q.next() ? q.value(0).toInt() : 0;
    });
    if (!anotado)
        return {EnvioSmtp::Rechazado,
                QStringLiteral("No se ha enviado: no se pudo anotar el envío (%1).")
                    .arg(anotado.motivo())};
    EnvioSmtp envio = remitir(mensaje);
    // A document that went out is printed, like a saved PDF; the record says so either way.
    const Resultado<> impreso =
        envio.enviado() ? marcarImpresos({id}, QStringLiteral("por correo")) : Resultado<>(Hecho{});
    const auto cerrado = intentar([&] {
        ejecutar(
            QStringLiteral("UPDATE tblCorreos SET Est = ?, Resp = ? WHERE Id = ?"),
            {envio.enviado() ? QStringLiteral("E") : QStringLiteral("F"), envio.texto, *anotado});
    });
    if (!impreso)
        envio.texto +=
            QStringLiteral(" (no se pudo anotar como impreso: %1)").arg(impreso.motivo());
    if (!cerrado)
        envio.texto +=
            QStringLiteral(" (no se pudo anotar el resultado: %1)").arg(cerrado.motivo());
    return envio;
}

} // namespace torvane
