#include "core/banking/Conciliacion.h"

#include "core/banking/FicheroSepa.h"
#include "core/banking/Remesas.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"
#include "core/text/Plegado.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace torvane {

namespace {

/** Folded, and every run of signs one space: "PEREZ E HIJOS, S.L." → "perez e hijos s l". */
QString palabras(const QString& t) {
    static const QRegularExpression signos(QStringLiteral("[^\\p{L}\\p{N}]+"));
    return plegar(t).replace(signos, QStringLiteral(" ")).trimmed();
}

/** The words of a text in upper case, as document numbers are compared. */
QSet<QString> fichas(const QString& t) {
    static const QRegularExpression separador(QStringLiteral("[^A-Za-z0-9]+"));
    const QStringList lista = t.toUpper().split(separador, Qt::SkipEmptyParts);
    return {lista.begin(), lista.end()};
}

/** The matching's view of the year, indexed the ways the rules look things up. */
class Casador {
public:
    Casador(const QList<Movimiento>& movimientos, const DatosConciliacion& datos);
    Conciliacion proponer();

private:
    void abono(int i, const Movimiento& m);
    void devolucion(int i, const Movimiento& m);
    bool porTexto(int i, const Movimiento& m, const QSet<QString>& fichasTexto);
    bool porInquilino(int i, const Movimiento& m, int inquilino, const QString& como);
    void porImporte(int i, const Movimiento& m);
    void pagar(int i, const QList<int>& indices, const QString& porque);
    void cobrarRemesa(int i, int r, const QString& porque);
    void dudoso(int i, const QString& porque) { c_.dudosos.append({i, porque}); }
    int inquilinoPorNombre(const QString& t) const;
    QList<int> libres(const QList<int>& indices) const;
    QString motivoEnPalabras(const Movimiento& m) const;

    const DatosConciliacion& d_;
    Conciliacion c_;
    QHash<QString, int> porNumero_;
    QHash<int, QList<int>> porInquilino_;
    QHash<qint64, QList<int>> porImporte_;
    QHash<QString, QList<int>> nombresPorPalabra_; ///< a tenant's first word → tenants
    QHash<int, QString> nombres_;                  ///< tenant → its words
    QSet<int> usados_;                             ///< pendientes already proposed
    QSet<int> remesasUsadas_, adeudosUsados_;
};

Casador::Casador(const QList<Movimiento>& movimientos, const DatosConciliacion& datos)
    : d_(datos) {
    c_.movimientos = movimientos;
    for (int i = 0; i < d_.pendientes.size(); ++i) {
        const Pendiente& p = d_.pendientes.at(i);
        porNumero_.insert(p.numero.toUpper(), i);
        porInquilino_[p.inquilino] << i;
        porImporte_[p.centimos] << i;
    }
    for (auto it = d_.inquilinos.begin(); it != d_.inquilinos.end(); ++it) {
        const QString nombre = palabras(it.value());
        // A one-word name ("Ana") would be found in too many texts to mean anything.
        if (nombre.count(u' ') < 1) continue;
        nombres_.insert(it.key(), nombre);
        nombresPorPalabra_[nombre.section(u' ', 0, 0)] << it.key();
    }
}

Conciliacion Casador::proponer() {
    const QStringList claves = clavesMovimientos(c_.movimientos);
    for (int i = 0; i < c_.movimientos.size(); ++i) {
        const Movimiento& m = c_.movimientos.at(i);
        if (const auto ya = d_.importados.constFind(claves.at(i)); ya != d_.importados.cend())
            c_.importados.append(
                {i, QStringLiteral("Ya se aplicó al importar el %1.").arg(formatoFecha(*ya))});
        else if (m.centimos > 0)
            abono(i, m);
        else if (m.devolucion)
            devolucion(i, m);
        else
            ++c_.cargos;
    }
    return c_;
}

QList<int> Casador::libres(const QList<int>& indices) const {
    QList<int> quedan;
    for (int i : indices)
        if (!usados_.contains(i)) quedan << i;
    return quedan;
}

void Casador::pagar(int i, const QList<int>& indices, const QString& porque) {
    Propuesta p;
    p.movimiento = i;
    p.operacion = Operacion::Pagar;
    for (int k : indices) {
        usados_.insert(k);
        p.documentos << d_.pendientes.at(k).id;
        p.numeros << d_.pendientes.at(k).numero;
    }
    p.porque = porque;
    c_.propuestas << p;
}

void Casador::abono(int i, const Movimiento& m) {
    const QString todo = m.concepto + u' ' + m.referencia + u' ' + m.nombre;
    if (porTexto(i, m, fichas(todo))) return;
    if (const int inq = d_.cuentas.value(m.iban); !m.iban.isEmpty() && inq != 0)
        if (porInquilino(i, m, inq, QStringLiteral("La cuenta que paga es de %1"))) return;
    if (const int inq = inquilinoPorNombre(m.nombre + u' ' + m.concepto); inq != 0)
        if (porInquilino(i, m, inq, QStringLiteral("El texto nombra a %1"))) return;
    porImporte(i, m);
}

/** A remittance's message reference, or document numbers, written in the movement. */
bool Casador::porTexto(int i, const Movimiento& m, const QSet<QString>& fichasTexto) {
    const QString mayusculas = (m.concepto + u' ' + m.referencia).toUpper();
    for (int r = 0; r < d_.remesas.size(); ++r) {
        const RemesaAbierta& remesa = d_.remesas.at(r);
        if (remesa.msgId.isEmpty() || !mayusculas.contains(remesa.msgId.toUpper())) continue;
        if (remesa.centimos != m.centimos || remesasUsadas_.contains(r)) {
            dudoso(i, QStringLiteral("Cita la remesa nº %1, pero su importe pendiente es %2.")
                          .arg(remesa.id)
                          .arg(textoEuros(Importe::deCentimos(remesa.centimos))));
            return true;
        }
        cobrarRemesa(i, r,
                     QStringLiteral("El texto cita la remesa %1 y el importe es el suyo.")
                         .arg(remesa.msgId));
        return true;
    }
    QList<int> citados;
    for (const QString& f : fichasTexto)
        if (const auto k = porNumero_.constFind(f); k != porNumero_.cend()) citados << *k;
    if (citados.isEmpty()) return false;
    std::sort(citados.begin(), citados.end());
    QStringList numeros;
    qint64 suma = 0;
    for (int k : citados) {
        numeros << d_.pendientes.at(k).numero;
        suma += d_.pendientes.at(k).centimos;
    }
    const QList<int> quedan = libres(citados);
    if (suma == m.centimos && quedan.size() == citados.size()) {
        pagar(i, citados,
              QStringLiteral("El texto cita %1 y el importe coincide.")
                  .arg(numeros.join(QStringLiteral(", "))));
        return true;
    }
    for (int k : quedan)
        if (d_.pendientes.at(k).centimos == m.centimos) {
            pagar(i, {k},
                  QStringLiteral("El texto cita %1 y el importe coincide.")
                      .arg(d_.pendientes.at(k).numero));
            return true;
        }
    dudoso(i, QStringLiteral("Cita %1, pero el importe no coincide (%2 pendiente).")
                  .arg(numeros.join(QStringLiteral(", ")), textoEuros(Importe::deCentimos(suma))));
    return true;
}

/**
 * The payer is known: one of their documents of that amount, the oldest ones summing exactly,
 * or the one set of them that does.
 */
bool Casador::porInquilino(int i, const Movimiento& m, int inquilino, const QString& como) {
    const QString quien = como.arg(d_.inquilinos.value(inquilino).trimmed());
    const QList<int> suyos = libres(porInquilino_.value(inquilino));
    if (suyos.isEmpty()) {
        dudoso(i, quien + QStringLiteral(": no tiene nada pendiente."));
        return true;
    }
    QList<int> iguales;
    for (int k : suyos)
        if (d_.pendientes.at(k).centimos == m.centimos) iguales << k;
    if (iguales.size() == 1) {
        pagar(i, iguales, quien + QStringLiteral(": el importe es el de uno suyo."));
        return true;
    }
    if (iguales.size() > 1) {
        QStringList numeros;
        for (int k : iguales)
            numeros << d_.pendientes.at(k).numero;
        dudoso(i, quien + QStringLiteral(": tiene %1 pendientes de ese importe (%2).")
                              .arg(iguales.size())
                              .arg(numeros.join(QStringLiteral(", "))));
        return true;
    }
    // Several documents: the oldest first, as a tenant catches up.
    qint64 suma = 0;
    for (int n = 0; n < suyos.size(); ++n) {
        suma += d_.pendientes.at(suyos.at(n)).centimos;
        if (suma == m.centimos) {
            pagar(i, suyos.mid(0, n + 1),
                  quien + QStringLiteral(": sus %1 más antiguos suman el importe.").arg(n + 1));
            return true;
        }
    }
    // Any other set of them, when exactly one sums the amount (a few documents only).
    const int n = static_cast<int>(std::min<qsizetype>(suyos.size(), 12));
    QList<int> unica;
    int cuantas = 0;
    for (quint32 mascara = 1; mascara < (1u << n) && cuantas < 2; ++mascara) {
        qint64 s = 0;
        for (int b = 0; b < n; ++b)
            if (mascara & (1u << b)) s += d_.pendientes.at(suyos.at(b)).centimos;
        if (s != m.centimos) continue;
        if (++cuantas == 1) {
            unica.clear();
            for (int b = 0; b < n; ++b)
                if (mascara & (1u << b)) unica << suyos.at(b);
        }
    }
    if (cuantas == 1) {
        pagar(i, unica, quien + QStringLiteral(": esos suyos suman el importe exacto."));
        return true;
    }
    dudoso(i,
           quien + (cuantas > 1 ? QStringLiteral(": varias combinaciones suyas suman el importe.")
                                : QStringLiteral(": ni uno suyo ni varios suman el importe.")));
    return true;
}

int Casador::inquilinoPorNombre(const QString& t) const {
    const QString dicho = u' ' + palabras(t) + u' ';
    QSet<int> hallados;
    for (const QString& palabra : dicho.split(u' ', Qt::SkipEmptyParts))
        for (int inq : nombresPorPalabra_.value(palabra))
            if (dicho.contains(u' ' + nombres_.value(inq) + u' ')) hallados.insert(inq);
    return hallados.size() == 1 ? *hallados.begin() : 0;
}

void Casador::porImporte(int i, const Movimiento& m) {
    const QList<int> docs = libres(porImporte_.value(m.centimos));
    QList<int> remesas;
    for (int r = 0; r < d_.remesas.size(); ++r)
        if (d_.remesas.at(r).centimos == m.centimos && !remesasUsadas_.contains(r)) remesas << r;
    if (docs.size() + remesas.size() == 0) {
        c_.sinPareja.append({i, QStringLiteral("Ningún documento pendiente ni remesa por cobrar "
                                               "es de ese importe.")});
        return;
    }
    if (docs.size() + remesas.size() > 1) {
        dudoso(i, QStringLiteral("Hay %1 documentos o remesas pendientes de ese importe y nada "
                                 "más dice cuál.")
                      .arg(docs.size() + remesas.size()));
        return;
    }
    if (docs.size() == 1) {
        pagar(i, docs,
              QStringLiteral("Solo por el importe: es el único pendiente de esa cantidad."));
        return;
    }
    cobrarRemesa(i, remesas.first(),
                 QStringLiteral("Solo por el importe: es el total de la remesa nº %1.")
                     .arg(d_.remesas.at(remesas.first()).id));
}

void Casador::cobrarRemesa(int i, int r, const QString& porque) {
    remesasUsadas_.insert(r);
    Propuesta p;
    p.movimiento = i;
    p.operacion = Operacion::CobrarRemesa;
    p.remesa = d_.remesas.at(r).id;
    p.numeros << QStringLiteral("Remesa nº %1").arg(p.remesa);
    p.porque = porque;
    c_.propuestas << p;
}

QString Casador::motivoEnPalabras(const Movimiento& m) const {
    QStringList codigos;
    if (!m.motivo.isEmpty()) codigos << m.motivo.toUpper();
    codigos << fichas(m.concepto).values();
    for (const QString& codigo : std::as_const(codigos))
        for (const QString& motivo : motivosDevolucion())
            if (motivo.section(u' ', 0, 0) == codigo) return motivo;
    return m.motivo.isEmpty() ? QStringLiteral("Devuelto por el banco")
                              : m.motivo + QStringLiteral(" (motivo que da el banco)");
}

void Casador::devolucion(int i, const Movimiento& m) {
    const qint64 importe = -m.centimos;
    const QSet<QString> dichas = fichas(m.concepto + u' ' + m.referencia);
    QList<int> porImporte, senalados;
    for (int a = 0; a < d_.adeudos.size(); ++a) {
        const AdeudoVivo& ad = d_.adeudos.at(a);
        if (ad.centimos != importe || adeudosUsados_.contains(a)) continue;
        porImporte << a;
        bool citado = (!m.iban.isEmpty() && m.iban == ad.iban) ||
                      (!ad.mandato.isEmpty() && dichas.contains(ad.mandato.toUpper()));
        for (const QString& numero : ad.documentos)
            citado = citado || dichas.contains(numero.toUpper());
        if (citado) senalados << a;
    }
    const QList<int>& candidatos = senalados.isEmpty() ? porImporte : senalados;
    if (candidatos.isEmpty()) {
        c_.sinPareja.append(
            {i, QStringLiteral("Devolución sin ningún adeudo de remesa de ese importe.")});
        return;
    }
    if (candidatos.size() > 1) {
        dudoso(i, QStringLiteral(
                      "Devolución: %1 adeudos de remesa de ese importe y nada más dice cuál.")
                      .arg(candidatos.size()));
        return;
    }
    const AdeudoVivo& ad = d_.adeudos.at(candidatos.first());
    adeudosUsados_.insert(candidatos.first());
    Propuesta p;
    p.movimiento = i;
    p.operacion = Operacion::Devolver;
    p.idCobro = ad.idCobro;
    p.remesa = ad.remesa;
    p.numeros = ad.documentos;
    p.motivo = motivoEnPalabras(m);
    p.porque = senalados.isEmpty()
                   ? QStringLiteral("Devolución del único adeudo de ese importe (remesa nº %1).")
                         .arg(ad.remesa)
                   : QStringLiteral("Devolución del adeudo de %1 de la remesa nº %2.")
                         .arg(ad.documentos.join(QStringLiteral(", ")))
                         .arg(ad.remesa);
    c_.propuestas << p;
}

// ---- Reading the year.

QList<Pendiente> leerPendientes() {
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT c.Id, c.Num, c.Ser, c.Fec, c.Tot, c.IdInq FROM tblCobros c WHERE ") +
        sqlCuenta(Cuenta::Pendiente, QStringLiteral("c")) +
        QStringLiteral(" AND c.Tot > 0 AND NOT EXISTS (SELECT 1 FROM tblRemesasCobros r"
                       " WHERE r.IdDoc = c.Id AND r.Dev = 0) ORDER BY c.IdInq, c.Fec, c.Id"));
    QList<Pendiente> lista;
    while (q.next())
        lista.append({q.value(0).toInt(), q.value(1).toString() + textoCampo(q.value(2)),
                      desdeIso(textoCampo(q.value(3))), importeGuardado(q.value(4)).centimos(),
                      q.value(5).toInt()});
    return lista;
}

QList<RemesaAbierta> leerRemesasAbiertas() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT r.Id, r.MsgId, (SELECT SUM(d.Imp) FROM tblRemesasCobros d WHERE d.IdRem = r.Id"
        " AND d.Dev = 0) FROM tblRemesas r WHERE r.Pag = 0"));
    QList<RemesaAbierta> lista;
    while (q.next())
        if (const qint64 total = importeGuardado(q.value(2)).centimos(); total > 0)
            lista.append({q.value(0).toInt(), textoCampo(q.value(1)), total});
    return lista;
}

QList<AdeudoVivo> leerAdeudos() {
    // A debit is every row of one remittance and account: the bank returns it whole.
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT d.Id, d.IdRem, d.IdCta, c.IdInq, d.IBAN, d.MndRef, d.Imp, c.Num, c.Ser"
        " FROM tblRemesasCobros d JOIN tblCobros c ON c.Id = d.IdDoc WHERE d.Dev = 0"
        " ORDER BY d.IdRem, d.IdCta, c.Fec, d.Id"));
    QList<AdeudoVivo> lista;
    QPair<int, int> anterior{-1, -1};
    while (q.next()) {
        const QPair<int, int> debito{q.value(1).toInt(), q.value(2).toInt()};
        if (debito != anterior)
            lista.append({q.value(0).toInt(),
                          debito.first,
                          q.value(3).toInt(),
                          compactarIdentificador(textoCampo(q.value(4))),
                          textoCampo(q.value(5)),
                          {},
                          0});
        anterior = debito;
        lista.last().documentos << q.value(7).toString() + textoCampo(q.value(8));
        lista.last().centimos += importeGuardado(q.value(6)).centimos();
    }
    return lista;
}

} // namespace

DatosConciliacion leerDatosConciliacion() {
    DatosConciliacion d;
    d.pendientes = leerPendientes();
    d.remesas = leerRemesasAbiertas();
    d.adeudos = leerAdeudos();
    QSqlQuery q = ejecutar(QStringLiteral("SELECT IBAN, IdInq FROM tblInquilinosCuentas"));
    while (q.next())
        d.cuentas.insert(compactarIdentificador(textoCampo(q.value(0))), q.value(1).toInt());
    q = ejecutar(QStringLiteral("SELECT Id, Nom FROM tblInquilinos"));
    while (q.next())
        d.inquilinos.insert(q.value(0).toInt(), textoCampo(q.value(1)));
    q = ejecutar(QStringLiteral("SELECT m.Cla, i.Fec FROM tblMovimientos m JOIN tblImportaciones i"
                                " ON i.Id = m.IdImp"));
    while (q.next())
        d.importados.insert(q.value(0).toString(), desdeIso(textoCampo(q.value(1))));
    return d;
}

QStringList clavesMovimientos(const QList<Movimiento>& movimientos) {
    QStringList claves;
    QHash<QString, int> vistas;
    for (const Movimiento& m : movimientos) {
        const QString ref = m.referencia.isEmpty() ? m.concepto : m.referencia;
        const QString base = QStringLiteral("%1|%2|%3|%4")
                                 .arg(m.cuenta, fechaIso(m.fecha))
                                 .arg(m.centimos)
                                 .arg(ref.simplified().left(200));
        // Two equal lines of one day are two movements; a second import repeats both.
        claves << base + u'|' + QString::number(++vistas[base]);
    }
    return claves;
}

Conciliacion proponerConciliacion(const QList<Movimiento>& movimientos,
                                  const DatosConciliacion& datos) {
    return Casador(movimientos, datos).proponer();
}

} // namespace torvane
