#include "core/documents/Titulos.h"

#include "core/store/Consulta.h"
#include "core/store/Importe.h"
#include "core/text/Formato.h"

namespace torvane {

namespace {

constexpr int kPorRet = 10;
constexpr int kTxtExento = 11;

} // namespace

QStringList camposTitulos() {
    return {QStringLiteral("Empresa"),  QStringLiteral("CIF"),       QStringLiteral("NomCom"),
            QStringLiteral("Enderezo"), QStringLiteral("Poboacion"), QStringLiteral("Telefonos"),
            QStringLiteral("Internet"), QStringLiteral("RexMer"),    QStringLiteral("CtaBan"),
            QStringLiteral("ProDat"),   QStringLiteral("PorRet"),    QStringLiteral("TxtExento"),
            QStringLiteral("IdAcr"),    QStringLiteral("CtaRem")};
}

QStringList leerTitulos() {
    const QStringList campos = camposTitulos();
    QStringList valores(campos.size());
    valores[kTxtExento] = kTextoExentoComun;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT %1 FROM tblTitulos").arg(campos.join(u", ")));
    if (!q.next()) return valores;
    for (int i = 0; i < campos.size(); ++i)
        valores[i] = q.value(i).toString();
    if (!q.value(kPorRet).isNull()) valores[kPorRet] = decimalGuardado(q.value(kPorRet)).texto();
    valores[kTxtExento] = textoExento(valores[kTxtExento]);
    return valores;
}

QString textoExento(const QString& guardado) {
    return guardado.trimmed().isEmpty() ? kTextoExentoComun : guardado.trimmed();
}

void guardarTitulos(const QStringList& valores) {
    const QStringList campos = camposTitulos();
    QVariantList datos;
    for (int i = 0; i < campos.size(); ++i)
        datos << valores.value(i);
    const auto porRet = Decimal::leer(valores.value(kPorRet).trimmed());
    datos[kPorRet] = porRet ? guardar(*porRet) : QVariant(QMetaType(QMetaType::Double));
    if (textoExento(valores.value(kTxtExento)) == kTextoExentoComun)
        datos[kTxtExento] = QVariant(QMetaType(QMetaType::QString));
    Transaccion t;
    // The table holds one row and has no key: the row is updated whole, or created.
    if (valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblTitulos")).toInt() == 0) {
        ejecutar(QStringLiteral("INSERT INTO tblTitulos (%1) VALUES (%2)")
                     .arg(campos.join(u", "), QStringList(campos.size(), u"?"_qs).join(u", ")),
                 datos);
    } else {
        QStringList asignaciones;
        for (const QString& campo : campos)
            asignaciones << campo + QStringLiteral(" = ?");
        ejecutar(QStringLiteral("UPDATE tblTitulos SET %1").arg(asignaciones.join(u", ")), datos);
    }
    t.confirmar();
}

TipoEmisor leerTipoEmisor() {
    return valorUnico(QStringLiteral("SELECT TipEmi FROM tblTitulos")).toInt() == 1
               ? TipoEmisor::Sociedad
               : TipoEmisor::Persona;
}

void guardarTipoEmisor(TipoEmisor tipo) {
    const QVariantList valor{static_cast<int>(tipo)};
    Transaccion t;
    if (valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblTitulos")).toInt() == 0)
        ejecutar(QStringLiteral("INSERT INTO tblTitulos (TipEmi) VALUES (?)"), valor);
    else
        ejecutar(QStringLiteral("UPDATE tblTitulos SET TipEmi = ?"), valor);
    t.confirmar();
}

} // namespace torvane
