#include "core/banking/FicheroSepa.h"

#include "core/text/Identificadores.h"

#include <QXmlStreamWriter>
#include <cmath>

namespace torvane {

namespace {

const QString kNoDado = QStringLiteral("NOTPROVIDED");

bool caracterSepa(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           QStringLiteral("/-?:().,'+ ").contains(c);
}

QDate domingoDePascua(int ano) {
    // Anonymous Gregorian computus.
    const int a = ano % 19, b = ano / 100, c = ano % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int mes = (h + l - 7 * m + 114) / 31, dia = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(ano, mes, dia);
}

/** An element holding a bank identification, or NOTPROVIDED where the IBAN alone will do. */
void agenteSinBic(QXmlStreamWriter& x, const QString& nombre) {
    x.writeStartElement(nombre);
    x.writeStartElement(QStringLiteral("FinInstnId"));
    x.writeStartElement(QStringLiteral("Othr"));
    x.writeTextElement(QStringLiteral("Id"), kNoDado);
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
}

void cuenta(QXmlStreamWriter& x, const QString& nombre, const QString& iban) {
    x.writeStartElement(nombre);
    x.writeStartElement(QStringLiteral("Id"));
    x.writeTextElement(QStringLiteral("IBAN"), compactarIdentificador(iban));
    x.writeEndElement();
    x.writeEndElement();
}

void cabecera(QXmlStreamWriter& x, const DatosFichero& d, Importe total) {
    x.writeStartElement(QStringLiteral("GrpHdr"));
    x.writeTextElement(QStringLiteral("MsgId"), d.msgId);
    x.writeTextElement(QStringLiteral("CreDtTm"), d.creado.toString(Qt::ISODate).left(19));
    x.writeTextElement(QStringLiteral("NbOfTxs"), QString::number(d.adeudos.size()));
    x.writeTextElement(QStringLiteral("CtrlSum"), importeSepa(total));
    x.writeStartElement(QStringLiteral("InitgPty"));
    x.writeTextElement(QStringLiteral("Nm"), textoSepa(d.acreedor.nombre, 70));
    x.writeStartElement(QStringLiteral("Id"));
    x.writeStartElement(QStringLiteral("OrgId"));
    x.writeStartElement(QStringLiteral("Othr"));
    x.writeTextElement(QStringLiteral("Id"), compactarIdentificador(d.acreedor.identificador));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
}

void esquemaAcreedor(QXmlStreamWriter& x, const QString& identificador) {
    x.writeStartElement(QStringLiteral("CdtrSchmeId"));
    x.writeStartElement(QStringLiteral("Id"));
    x.writeStartElement(QStringLiteral("PrvtId"));
    x.writeStartElement(QStringLiteral("Othr"));
    x.writeTextElement(QStringLiteral("Id"), compactarIdentificador(identificador));
    x.writeStartElement(QStringLiteral("SchmeNm"));
    x.writeTextElement(QStringLiteral("Prtry"), QStringLiteral("SEPA"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
}

void adeudo(QXmlStreamWriter& x, const Adeudo& a) {
    x.writeStartElement(QStringLiteral("DrctDbtTxInf"));
    x.writeStartElement(QStringLiteral("PmtId"));
    x.writeTextElement(QStringLiteral("EndToEndId"), textoSepa(a.referencia, 35));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("InstdAmt"));
    x.writeAttribute(QStringLiteral("Ccy"), QStringLiteral("EUR"));
    x.writeCharacters(importeSepa(a.importe));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("DrctDbtTx"));
    x.writeStartElement(QStringLiteral("MndtRltdInf"));
    x.writeTextElement(QStringLiteral("MndtId"), textoSepa(a.mandato, 35));
    x.writeTextElement(QStringLiteral("DtOfSgntr"), a.firma.toString(Qt::ISODate));
    x.writeEndElement();
    x.writeEndElement();
    agenteSinBic(x, QStringLiteral("DbtrAgt"));
    x.writeStartElement(QStringLiteral("Dbtr"));
    x.writeTextElement(QStringLiteral("Nm"), textoSepa(a.deudor, 70));
    x.writeEndElement();
    cuenta(x, QStringLiteral("DbtrAcct"), a.iban);
    x.writeStartElement(QStringLiteral("RmtInf"));
    x.writeTextElement(QStringLiteral("Ustrd"), textoSepa(a.concepto, 140));
    x.writeEndElement();
    x.writeEndElement();
}

void bloque(QXmlStreamWriter& x, const DatosFichero& d, const QString& secuencia,
            const QList<Adeudo>& adeudos) {
    Importe suma;
    for (const Adeudo& a : adeudos)
        suma += a.importe;
    x.writeStartElement(QStringLiteral("PmtInf"));
    x.writeTextElement(QStringLiteral("PmtInfId"), d.msgId + QLatin1Char('-') + secuencia);
    x.writeTextElement(QStringLiteral("PmtMtd"), QStringLiteral("DD"));
    x.writeTextElement(QStringLiteral("NbOfTxs"), QString::number(adeudos.size()));
    x.writeTextElement(QStringLiteral("CtrlSum"), importeSepa(suma));
    x.writeStartElement(QStringLiteral("PmtTpInf"));
    x.writeStartElement(QStringLiteral("SvcLvl"));
    x.writeTextElement(QStringLiteral("Cd"), QStringLiteral("SEPA"));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("LclInstrm"));
    x.writeTextElement(QStringLiteral("Cd"), QStringLiteral("CORE"));
    x.writeEndElement();
    x.writeTextElement(QStringLiteral("SeqTp"), secuencia);
    x.writeEndElement();
    x.writeTextElement(QStringLiteral("ReqdColltnDt"), d.fechaCobro.toString(Qt::ISODate));
    x.writeStartElement(QStringLiteral("Cdtr"));
    x.writeTextElement(QStringLiteral("Nm"), textoSepa(d.acreedor.nombre, 70));
    x.writeEndElement();
    cuenta(x, QStringLiteral("CdtrAcct"), d.acreedor.iban);
    agenteSinBic(x, QStringLiteral("CdtrAgt"));
    x.writeTextElement(QStringLiteral("ChrgBr"), QStringLiteral("SLEV"));
    esquemaAcreedor(x, d.acreedor.identificador);
    for (const Adeudo& a : adeudos)
        adeudo(x, a);
    x.writeEndElement();
}

} // namespace

QByteArray xmlRemesa(const DatosFichero& datos) {
    QByteArray salida;
    QXmlStreamWriter x(&salida);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeDefaultNamespace(QStringLiteral("urn:iso:std:iso:20022:tech:xsd:pain.008.001.02"));
    x.writeStartElement(QStringLiteral("Document"));
    x.writeStartElement(QStringLiteral("CstmrDrctDbtInitn"));
    Importe total;
    for (const Adeudo& a : datos.adeudos)
        total += a.importe;
    cabecera(x, datos, total);
    for (const QString& secuencia : {QStringLiteral("FRST"), QStringLiteral("RCUR")}) {
        QList<Adeudo> grupo;
        for (const Adeudo& a : datos.adeudos)
            if (a.secuencia == secuencia) grupo << a;
        if (!grupo.isEmpty()) bloque(x, datos, secuencia, grupo);
    }
    x.writeEndDocument();
    return salida;
}

QString textoSepa(const QString& texto, int maximo) {
    QString salida;
    for (const QChar c : texto.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        if (c == u'&') {
            salida += QStringLiteral(" y ");
            continue;
        }
        const QChar limpio = caracterSepa(c) ? c : QChar(u' ');
        if (limpio == u' ' && (salida.isEmpty() || salida.endsWith(u' '))) continue;
        salida += limpio;
    }
    salida = salida.simplified();
    return salida.left(maximo).trimmed();
}

bool referenciaSepaValida(const QString& referencia) {
    if (referencia.isEmpty() || referencia.size() > 35 || referencia.startsWith(u'/') ||
        referencia.endsWith(u'/') || referencia.contains(QStringLiteral("//")))
        return false;
    for (const QChar c : referencia)
        if (c == u' ' || !caracterSepa(c)) return false;
    return true;
}

QString importeSepa(Importe importe) {
    return importe.textoPunto();
}

bool diaHabilBancario(const QDate& fecha) {
    if (!fecha.isValid() || fecha.dayOfWeek() >= 6) return false;
    const QDate pascua = domingoDePascua(fecha.year());
    if (fecha == pascua.addDays(-2) || fecha == pascua.addDays(1)) return false;
    const int md = fecha.month() * 100 + fecha.day();
    return md != 101 && md != 501 && md != 1225 && md != 1226;
}

QDate siguienteDiaHabil(const QDate& desde) {
    QDate dia = desde.addDays(1);
    while (!diaHabilBancario(dia))
        dia = dia.addDays(1);
    return dia;
}

QDate primerDiaCobro(const QDate& hoy) {
    return siguienteDiaHabil(siguienteDiaHabil(hoy));
}

QString motivoFechaCobro(const QDate& fecha, const QDate& hoy) {
    if (!fecha.isValid()) return QStringLiteral("Ponga una fecha de cobro correcta.");
    const QDate primera = primerDiaCobro(hoy);
    if (fecha < primera)
        return QStringLiteral("La fecha de cobro debe ser, como pronto, el %1: el banco del "
                              "inquilino necesita dos días hábiles.")
            .arg(primera.toString(QStringLiteral("dd/MM/yyyy")));
    if (!diaHabilBancario(fecha))
        return QStringLiteral("El %1 los bancos no cobran (fin de semana o festivo): elija un "
                              "día hábil.")
            .arg(fecha.toString(QStringLiteral("dd/MM/yyyy")));
    return {};
}

} // namespace torvane
