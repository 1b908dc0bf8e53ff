#include "core/verifactu/Huella.h"

#include <QCryptographicHash>
#include <QUrl>

namespace torvane {

namespace {

QString campos(std::initializer_list<std::pair<const char*, QString>> pares) {
    QStringList partes;
    // Blanks around a value are not part of it: the agency hashes the trimmed text.
    for (const auto& [nombre, valor] : pares)
        partes << QLatin1StringView(nombre) + QLatin1Char('=') + valor.trimmed();
    return partes.join(QLatin1Char('&'));
}

} // namespace

QString textoHuella(const RegistroFacturacion& r) {
    if (r.anulacion)
        return campos({{"IDEmisorFacturaAnulada", r.nif},
                       {"NumSerieFacturaAnulada", r.numSerie},
                       {"FechaExpedicionFacturaAnulada", r.fecha},
                       {"Huella", r.huellaAnt},
                       {"FechaHoraHusoGenRegistro", r.fechaHora}});
    return campos({{"IDEmisorFactura", r.nif},
                   {"NumSerieFactura", r.numSerie},
                   {"FechaExpedicionFactura", r.fecha},
                   {"TipoFactura", r.tipoFactura},
                   {"CuotaTotal", r.cuota},
                   {"ImporteTotal", r.importe},
                   {"Huella", r.huellaAnt},
                   {"FechaHoraHusoGenRegistro", r.fechaHora}});
}

QString calcularHuella(const RegistroFacturacion& r) {
    return QString::fromLatin1(
        QCryptographicHash::hash(textoHuella(r).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .toUpper());
}

QString importeAeat(Importe importe) {
    return importe.textoPunto();
}

QString importeAeat(Decimal tasa) {
    return tasa.textoPunto();
}

QString fechaAeat(const QDate& fecha) {
    return fecha.toString(QStringLiteral("dd-MM-yyyy"));
}

QString fechaHoraAeat(const QDateTime& momento) {
    const int desfase = momento.offsetFromUtc() / 60;
    const QChar signo = desfase < 0 ? QLatin1Char('-') : QLatin1Char('+');
    return momento.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + signo +
           QStringLiteral("%1:%2")
               .arg(qAbs(desfase) / 60, 2, 10, QLatin1Char('0'))
               .arg(qAbs(desfase) % 60, 2, 10, QLatin1Char('0'));
}

QString urlCotejo(const RegistroFacturacion& r, bool produccion) {
    const auto valor = [](const QString& texto) {
        return QString::fromLatin1(QUrl::toPercentEncoding(texto.trimmed()));
    };
    const QString host = produccion ? QStringLiteral("www2.agenciatributaria.gob.es")
                                    : QStringLiteral("prewww2.aeat.es");
    return QStringLiteral("https://%1/wlpl/TIKE-CONT/ValidarQR?nif=%2&numserie=%3&fecha=%4"
                          "&importe=%5")
        .arg(host, valor(r.nif), valor(r.numSerie), valor(r.fecha), valor(r.importe));
}

} // namespace torvane
