#include "core/banking/Extracto.h"

#include "core/text/Identificadores.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace torvane {

namespace {

Fallo enLinea(int linea, const QString& motivo) {
    return Fallo{
        QStringLiteral("El extracto está dañado en la línea %1: %2.").arg(linea).arg(motivo)};
}

// ---- Cuaderno 43: fixed records of 80 characters, positions counted from 1 as the AEB does.

/** A record's field at the AEB's 1-based position. */
QByteArray campo(const QByteArray& registro, int desde, int largo) {
    return registro.mid(desde - 1, largo);
}

bool soloCifras(const QByteArray& texto) {
    if (texto.isEmpty()) return false;
    for (char c : texto)
        if (c < '0' || c > '9') return false;
    return true;
}

/** AAMMDD; invalid when it is not a real day. The files carry this century only. */
QDate fechaAammdd(const QByteArray& texto) {
    if (!soloCifras(texto) || texto.size() != 6) return {};
    return QDate(2000 + texto.left(2).toInt(), texto.mid(2, 2).toInt(), texto.mid(4, 2).toInt());
}

/** Fourteen digits, the last two the cents; -1 when they are not digits. */
qint64 importeNorma43(const QByteArray& texto) {
    return soloCifras(texto) && texto.size() == 14 ? texto.toLongLong() : -1;
}

/** Text fields are Latin-1 padded with spaces. */
QString textoNorma43(const QByteArray& texto) {
    return QString::fromLatin1(texto).simplified();
}

/** Where an account's reading stands between its records 11 and 33. */
struct CuentaAbierta {
    QString iban;
    QByteArray clave; ///< bank, branch and account as the records 11 and 33 give them
    int cargos = 0, abonos = 0;
    qint64 totalCargos = 0, totalAbonos = 0;
};

class LectorNorma43 {
public:
    Resultado<QList<Movimiento>> leer(const QByteArray& contenido);

private:
    QString registro(const QByteArray& r);
    QString cabecera(const QByteArray& r);
    QString movimiento(const QByteArray& r);
    QString complemento(const QByteArray& r);
    QString finCuenta(const QByteArray& r);
    QString finFichero(const QByteArray& r);

    QList<Movimiento> movimientos_;
    std::optional<CuentaAbierta> cuenta_;
    int linea_ = 0;
    int registros_ = 0;
    bool terminado_ = false;
    bool huboCuenta_ = false;
};

Resultado<QList<Movimiento>> LectorNorma43::leer(const QByteArray& contenido) {
    const QList<QByteArray> lineas = contenido.split('\n');
    for (QByteArray r : lineas) {
        ++linea_;
        if (r.endsWith('\r')) r.chop(1);
        // Some banks cut the trailing spaces of a record; a blank line carries nothing.
        while (r.endsWith(' '))
            r.chop(1);
        if (r.isEmpty()) continue;
        // Positions count Latin-1 characters; a bank that writes UTF-8 would shift them.
        if (const QString utf8 = QString::fromUtf8(r);
            utf8.size() != r.size() && !utf8.contains(QChar::ReplacementCharacter))
            r = utf8.toLatin1();
        if (terminado_)
            return enLinea(linea_, QStringLiteral("hay datos después del registro final 88"));
        if (r.size() > 80)
            return enLinea(linea_, QStringLiteral("el registro pasa de 80 caracteres"));
        r = r.leftJustified(80, ' ');
        if (const QString motivo = registro(r); !motivo.isEmpty()) return enLinea(linea_, motivo);
        ++registros_;
    }
    if (cuenta_)
        return enLinea(linea_, QStringLiteral("la cuenta no se cierra con un registro 33"));
    if (!terminado_) return enLinea(linea_, QStringLiteral("falta el registro final 88"));
    return movimientos_;
}

QString LectorNorma43::registro(const QByteArray& r) {
    const QByteArray codigo = r.left(2);
    if (codigo == "11") return cabecera(r);
    if (codigo == "22") return movimiento(r);
    if (codigo == "23") return complemento(r);
    if (codigo == "24")
        return movimientos_.isEmpty() || !cuenta_
                   ? QStringLiteral("equivalencia de divisa sin movimiento")
                   : QString();
    if (codigo == "33") return finCuenta(r);
    if (codigo == "88") return finFichero(r);
    return QStringLiteral("registro de tipo «%1» desconocido").arg(textoNorma43(codigo));
}

QString LectorNorma43::cabecera(const QByteArray& r) {
    if (cuenta_) return QStringLiteral("empieza otra cuenta sin cerrar la anterior (falta el 33)");
    const QByteArray entidadOficina = campo(r, 3, 8), numero = campo(r, 11, 10);
    if (!soloCifras(entidadOficina) || !soloCifras(numero))
        return QStringLiteral("la cuenta no son cifras");
    if (!fechaAammdd(campo(r, 21, 6)).isValid() || !fechaAammdd(campo(r, 27, 6)).isValid())
        return QStringLiteral("las fechas inicial y final no son fechas AAMMDD");
    if (importeNorma43(campo(r, 34, 14)) < 0)
        return QStringLiteral("el saldo inicial no son cifras");
    if (campo(r, 48, 3) != "978") return QStringLiteral("la cuenta no es en euros");
    // The header gives no control digits: they follow from the number itself.
    const QString eo = QString::fromLatin1(entidadOficina), cta = QString::fromLatin1(numero);
    const QString iban =
        calcularIban(QStringLiteral("ES"), eo + digitosControlCuenta(eo, cta) + cta);
    cuenta_ = CuentaAbierta{iban, campo(r, 3, 18), 0, 0, 0, 0};
    huboCuenta_ = true;
    return {};
}

QString LectorNorma43::movimiento(const QByteArray& r) {
    if (!cuenta_) return QStringLiteral("movimiento fuera de una cuenta (falta el registro 11)");
    const QDate fecha = fechaAammdd(campo(r, 11, 6));
    if (!fecha.isValid()) return QStringLiteral("la fecha de la operación no es AAMMDD");
    const QByteArray clave = campo(r, 28, 1);
    if (clave != "1" && clave != "2")
        return QStringLiteral("la clave debe/haber es «%1» y no 1 ni 2").arg(textoNorma43(clave));
    const qint64 importe = importeNorma43(campo(r, 29, 14));
    if (importe < 0) return QStringLiteral("el importe no son cifras");
    const bool cargo = clave == "1";
    (cargo ? cuenta_->cargos : cuenta_->abonos) += 1;
    (cargo ? cuenta_->totalCargos : cuenta_->totalAbonos) += importe;
    Movimiento m;
    m.cuenta = cuenta_->iban;
    m.fecha = fecha;
    m.centimos = cargo ? -importe : importe;
    QStringList referencias;
    for (const auto& [desde, largo] : {std::pair{43, 10}, {53, 12}, {65, 16}}) {
        const QString ref = textoNorma43(campo(r, desde, largo));
        if (!ref.isEmpty() && ref.count(u'0') != ref.size()) referencias << ref;
    }
    m.referencia = referencias.join(u' ');
    // Common concept 14: returns and unpaid items; only a debit takes money back.
    m.devolucion = cargo && campo(r, 23, 2) == "14";
    m.linea = linea_;
    movimientos_ << m;
    return {};
}

QString LectorNorma43::complemento(const QByteArray& r) {
    if (!cuenta_ || movimientos_.isEmpty() || movimientos_.last().cuenta != cuenta_->iban)
        return QStringLiteral("concepto complementario sin movimiento");
    const QByteArray orden = campo(r, 3, 2);
    if (!soloCifras(orden) || orden.toInt() < 1 || orden.toInt() > 5)
        return QStringLiteral("el concepto complementario no va numerado del 01 al 05");
    Movimiento& m = movimientos_.last();
    for (const QString& parte : {textoNorma43(campo(r, 5, 38)), textoNorma43(campo(r, 43, 38))})
        if (!parte.isEmpty())
            m.concepto += (m.concepto.isEmpty() ? QString() : QStringLiteral(" ")) + parte;
    return {};
}

QString LectorNorma43::finCuenta(const QByteArray& r) {
    if (!cuenta_) return QStringLiteral("fin de cuenta sin su registro 11");
    if (campo(r, 3, 18) != cuenta_->clave)
        return QStringLiteral("el fin de cuenta es de otra cuenta que su cabecera");
    const QByteArray nCargos = campo(r, 21, 5), nAbonos = campo(r, 40, 5);
    if (!soloCifras(nCargos) || !soloCifras(nAbonos) || nCargos.toInt() != cuenta_->cargos ||
        nAbonos.toInt() != cuenta_->abonos)
        return QStringLiteral("el número de apuntes no es el de los movimientos leídos");
    if (importeNorma43(campo(r, 26, 14)) != cuenta_->totalCargos ||
        importeNorma43(campo(r, 45, 14)) != cuenta_->totalAbonos)
        return QStringLiteral("los totales del debe y del haber no suman los movimientos");
    cuenta_.reset();
    return {};
}

QString LectorNorma43::finFichero(const QByteArray& r) {
    if (cuenta_) return QStringLiteral("fin de fichero con una cuenta sin cerrar (falta el 33)");
    if (!huboCuenta_) return QStringLiteral("el fichero no tiene ninguna cuenta");
    if (campo(r, 3, 18) != QByteArray(18, '9'))
        return QStringLiteral("el registro final no lleva los nueves de rigor");
    // The count is of the records before the final one; some banks count it too.
    const QByteArray n = campo(r, 21, 6);
    if (!soloCifras(n) || (n.toInt() != registros_ && n.toInt() != registros_ + 1))
        return QStringLiteral("el número de registros no es el del fichero");
    terminado_ = true;
    return {};
}

// ---- camt.053 (and camt.054, which returns arrive in): the same entries in an XML message.

/** "1234.5" in cents; -1 when it is not a plain amount. */
qint64 importeXml(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^(\\d{1,15})(?:\\.(\\d{1,2}))?$"));
    const auto m = forma.match(texto.trimmed());
    if (!m.hasMatch()) return -1;
    return m.captured(1).toLongLong() * 100 + m.captured(2).leftJustified(2, u'0').toLongLong();
}

/** Everything an entry says, gathered while its elements go by. */
struct Apunte {
    Movimiento m;
    QString moneda, indicador, estado = QStringLiteral("BOOK"), subfamilia;
    QDate valor;
    qint64 importe = -1;
    bool anulacion = false;
    QStringList textos;
};

class LectorCamt {
public:
    Resultado<QList<Movimiento>> leer(const QByteArray& contenido);

private:
    void texto(const QString& nombre, const QString& valor);
    QString cerrar();

    QXmlStreamReader xml_;
    QStringList camino_;
    QString cuenta_;
    std::optional<Apunte> apunte_;
    QList<Movimiento> movimientos_;
};

Resultado<QList<Movimiento>> LectorCamt::leer(const QByteArray& contenido) {
    xml_.addData(contenido);
    bool raiz = true;
    while (!xml_.atEnd()) {
        xml_.readNext();
        const int linea = static_cast<int>(xml_.lineNumber());
        if (xml_.isStartElement()) {
            const QString nombre = xml_.name().toString();
            if (raiz) {
                const QString ns = xml_.namespaceUri().toString();
                if (nombre != QLatin1String("Document") ||
                    !(ns.contains(QLatin1String("camt.053")) ||
                      ns.contains(QLatin1String("camt.054"))))
                    return Fallo{QStringLiteral("El archivo es XML, pero no un extracto camt.053 "
                                                "ni un aviso camt.054 del banco.")};
                raiz = false;
            }
            camino_ << nombre;
            if (nombre == QLatin1String("Stmt") || nombre == QLatin1String("Ntfctn"))
                cuenta_.clear();
            if (nombre == QLatin1String("Ntry")) {
                if (apunte_) return enLinea(linea, QStringLiteral("un apunte dentro de otro"));
                apunte_ = Apunte{};
                apunte_->m.linea = linea;
                apunte_->m.cuenta = cuenta_;
            }
            if (nombre == QLatin1String("Amt") && apunte_ && camino_.size() >= 2 &&
                camino_.at(camino_.size() - 2) == QLatin1String("Ntry"))
                apunte_->moneda = xml_.attributes().value(QStringLiteral("Ccy")).toString();
            if (camino_.size() > 64) return enLinea(linea, QStringLiteral("anidado sin fin"));
        } else if (xml_.isCharacters() && !xml_.isWhitespace() && !camino_.isEmpty()) {
            texto(camino_.last(), xml_.text().toString().trimmed());
        } else if (xml_.isEndElement()) {
            if (camino_.isEmpty()) break;
            const QString nombre = camino_.takeLast();
            if (nombre == QLatin1String("Ntry")) {
                if (const QString motivo = cerrar(); !motivo.isEmpty())
                    return enLinea(linea, motivo);
            }
        }
    }
    if (xml_.hasError())
        return enLinea(static_cast<int>(xml_.lineNumber()),
                       QStringLiteral("el XML no está bien formado (%1)").arg(xml_.errorString()));
    if (raiz) return Fallo{QStringLiteral("El archivo está vacío.")};
    return movimientos_;
}

/** The element's text put where the entry keeps it; the path tells which of the like-named. */
void LectorCamt::texto(const QString& nombre, const QString& valor) {
    const auto dentroDe = [this](const char* padre) {
        return camino_.size() >= 2 && camino_.at(camino_.size() - 2) == QLatin1String(padre);
    };
    if (!apunte_) {
        if (nombre == QLatin1String("IBAN") && camino_.contains(QLatin1String("Acct")))
            cuenta_ = compactarIdentificador(valor);
        return;
    }
    Apunte& a = *apunte_;
    const bool deudor = camino_.contains(QLatin1String("Dbtr"));
    if (nombre == QLatin1String("Amt") && dentroDe("Ntry"))
        a.importe = importeXml(valor);
    else if (nombre == QLatin1String("CdtDbtInd") && dentroDe("Ntry"))
        a.indicador = valor;
    else if (nombre == QLatin1String("RvslInd"))
        a.anulacion = valor == QLatin1String("true") || valor == QLatin1String("1");
    else if (nombre == QLatin1String("Sts") && dentroDe("Ntry"))
        a.estado = valor;
    else if (camino_.contains(QLatin1String("BookgDt")) && !a.m.fecha.isValid())
        a.m.fecha = QDate::fromString(valor.left(10), Qt::ISODate);
    else if (camino_.contains(QLatin1String("ValDt")) && !a.valor.isValid())
        a.valor = QDate::fromString(valor.left(10), Qt::ISODate);
    else if (nombre == QLatin1String("AcctSvcrRef") && dentroDe("Ntry"))
        a.m.referencia = valor;
    else if (nombre == QLatin1String("SubFmlyCd"))
        a.subfamilia = valor;
    else if (nombre == QLatin1String("Nm") && deudor &&
             !camino_.contains(QLatin1String("DbtrAgt")) && a.m.nombre.isEmpty())
        a.m.nombre = valor;
    else if (nombre == QLatin1String("IBAN") && camino_.contains(QLatin1String("DbtrAcct")) &&
             a.m.iban.isEmpty())
        a.m.iban = compactarIdentificador(valor);
    else if (nombre == QLatin1String("Cd") && camino_.contains(QLatin1String("RtrInf"))) {
        a.m.devolucion = true;
        if (a.m.motivo.isEmpty()) a.m.motivo = valor;
    } else if (nombre == QLatin1String("Ustrd") || nombre == QLatin1String("EndToEndId") ||
               nombre == QLatin1String("AddtlNtryInf") || nombre == QLatin1String("AddtlTxInf") ||
               nombre == QLatin1String("MsgId") || nombre == QLatin1String("Ref")) {
        if (valor != QLatin1String("NOTPROVIDED")) a.textos << valor;
    }
    if (camino_.contains(QLatin1String("RtrInf"))) a.m.devolucion = true;
}

QString LectorCamt::cerrar() {
    Apunte a = *apunte_;
    apunte_.reset();
    if (a.estado != QLatin1String("BOOK")) return {}; // pending or informative: no money moved yet
    if (a.importe < 0) return QStringLiteral("el importe del apunte falta o no es una cantidad");
    if (!a.moneda.isEmpty() && a.moneda != QLatin1String("EUR"))
        return QStringLiteral("el apunte es en %1 y no en euros").arg(a.moneda);
    if (a.indicador != QLatin1String("CRDT") && a.indicador != QLatin1String("DBIT"))
        return QStringLiteral("el apunte no dice si es abono (CRDT) o cargo (DBIT)");
    if (!a.m.fecha.isValid()) a.m.fecha = a.valor;
    if (!a.m.fecha.isValid()) return QStringLiteral("el apunte no tiene fecha de anotación");
    if (a.m.cuenta.isEmpty()) return QStringLiteral("el extracto no da el IBAN de su cuenta");
    const bool cargo = a.indicador == QLatin1String("DBIT");
    a.m.centimos = cargo ? -a.importe : a.importe;
    // A debit taking back a collection: the return block, the reversal flag or the bank's
    // "unpaid direct debit" code.
    a.m.devolucion =
        cargo && (a.m.devolucion || a.anulacion || a.subfamilia == QLatin1String("UPDD"));
    if (!cargo) a.m.motivo.clear();
    a.m.concepto = a.textos.join(u' ');
    movimientos_ << a.m;
    return {};
}

} // namespace

Resultado<QList<Movimiento>> leerNorma43(const QByteArray& contenido) {
    return LectorNorma43().leer(contenido);
}

Resultado<QList<Movimiento>> leerCamt053(const QByteArray& contenido) {
    return LectorCamt().leer(contenido);
}

Resultado<QList<Movimiento>> leerExtracto(const QByteArray& contenido) {
    if (contenido.size() > kMaximoExtracto)
        return Fallo{QStringLiteral("El archivo es demasiado grande para ser un extracto.")};
    QByteArray inicio = contenido.left(512);
    if (inicio.startsWith("\xEF\xBB\xBF")) inicio.remove(0, 3);
    inicio = inicio.trimmed();
    if (inicio.startsWith('<')) return leerCamt053(contenido);
    if (inicio.startsWith("11")) return leerNorma43(contenido);
    return Fallo{QStringLiteral("El archivo no es un extracto del banco: ni Norma 43 (Cuaderno 43, "
                                "de texto) ni camt.053 (XML).")};
}

} // namespace torvane
