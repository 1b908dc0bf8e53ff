#include "core/documents/Registros.h"

#include "core/documents/Comprobacion.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/Funciones.h"
#include "core/documents/Titulos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "core/verifactu/Identidad.h"

#include <QRegularExpression>
#include <QSqlError>

namespace torvane {

namespace {

const QString kFaltaNifEmpresa = QStringLiteral(
    "Para emitir facturas verificables ponga el N.I.F. de la empresa en Configuración.");

constexpr qsizetype kMaxDescripcion = 500;
const QString kColumnas = QStringLiteral(
    "Id, IdDoc, Tipo, Nif, Nombre, NumSerie, Fecha, TipoFactura, RectNumSerie, RectFecha,"
    " Descripcion, DestNif, DestNombre, PorIva, Exencion, Base, Cuota, Importe, HuellaAnt,"
    " FechaHora, Huella, Sistema, TipoRect, BaseRect, CuotaRect");

QString texto(const QSqlQuery& q, int i) {
    return q.value(i).isNull() ? QString() : q.value(i).toString();
}

RegistroFacturacion leerRegistro(const QSqlQuery& q) {
    RegistroFacturacion r;
    r.id = q.value(0).toInt();
    r.idDoc = q.value(1).toInt();
    r.anulacion = texto(q, 2) == QLatin1String("N");
    QString* campos[] = {&r.nif,
                         &r.nombre,
                         &r.numSerie,
                         &r.fecha,
                         &r.tipoFactura,
                         &r.rectNumSerie,
                         &r.rectFecha,
                         &r.descripcion,
                         &r.destNif,
                         &r.destNombre,
                         &r.porIva,
                         &r.exencion,
                         &r.base,
                         &r.cuota,
                         &r.importe,
                         &r.huellaAnt,
                         &r.fechaHora,
                         &r.huella,
                         &r.sistema,
                         &r.tipoRectificativa,
                         &r.baseRectificada,
                         &r.cuotaRectificada};
    for (int i = 0; i < static_cast<int>(std::size(campos)); ++i)
        *campos[i] = texto(q, i + 3);
    return r;
}

/** The fingerprint the next record chains to: the year's last, or the previous year's. */
QString huellaAnterior() {
    const QVariant ultima =
        valorUnico(QStringLiteral("SELECT Huella FROM tblRegistros ORDER BY Id DESC LIMIT 1"));
    if (ultima.isValid()) return ultima.toString();
    return valorUnico(QStringLiteral("SELECT HuellaAnt FROM tblVerifactu")).toString();
}

void insertarRegistro(RegistroFacturacion r) {
    r.huellaAnt = huellaAnterior();
    r.fechaHora = fechaHoraAeat(QDateTime::currentDateTime());
    r.sistema = identidadSistema().nombreSistema + u' ' + identidadSistema().version;
    r.huella = calcularHuella(r);
    r.id = SiguienteNumero(QStringLiteral("tblRegistros"), QStringLiteral("Id"));
    ejecutar(QStringLiteral("INSERT INTO tblRegistros (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                            " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                 .arg(kColumnas),
             {r.id,
              r.idDoc,
              r.anulacion ? QStringLiteral("N") : QStringLiteral("A"),
              r.nif,
              r.nombre,
              r.numSerie,
              r.fecha,
              r.tipoFactura,
              r.rectNumSerie,
              r.rectFecha,
              r.descripcion,
              r.destNif,
              r.destNombre,
              r.porIva,
              r.exencion,
              r.base,
              r.cuota,
              r.importe,
              r.huellaAnt,
              r.fechaHora,
              r.huella,
              r.sistema,
              r.tipoRectificativa,
              r.baseRectificada,
              r.cuotaRectificada});
}

bool esSerieDeFactura(const ConfigVerifactu& c, const QString& serie) {
    return c.series.contains(serie, Qt::CaseInsensitive) ||
           serie.compare(c.serieRect, Qt::CaseInsensitive) == 0;
}

QString descripcionLineas(int idDoc) {
    QStringList partes;
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT DesCon FROM tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin"),
        {idDoc});
    while (q.next())
        if (!texto(q, 0).trimmed().isEmpty()) partes << texto(q, 0).trimmed();
    const QString descripcion = partes.join(QStringLiteral("; "));
    return descripcion.isEmpty() ? QStringLiteral("Arrendamiento")
                                 : descripcion.left(kMaxDescripcion);
}

/** The alta of one document, its own data and the rectified invoice's reference. */
RegistroFacturacion altaDe(const Cabecera& c, const QStringList& empresa) {
    RegistroFacturacion r;
    r.idDoc = c.id;
    r.nif = empresa.value(1).trimmed();
    r.nombre = empresa.value(0).trimmed();
    r.numSerie = QString::number(c.num.value_or(0)) + c.ser;
    r.fecha = fechaAeat(c.fec);
    r.tipoFactura = QStringLiteral("F1");
    r.porIva = importeAeat(c.porIva);
    // Renting a dwelling is exempt (art. 20.Uno.23 LIVA): cause E1 of the agency's list.
    r.exencion = c.porIva.esCero() ? QStringLiteral("E1") : QString();
    Totales t = c.totales;
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT IdRect, TipoRect, ModoRect FROM tblCobros WHERE Id = ?"), {c.id});
    if (q.next() && !q.value(0).isNull()) {
        r.tipoFactura = texto(q, 1);
        r.tipoRectificativa = QStringLiteral("I");
        if (const auto original = registroAlta(q.value(0).toInt())) {
            r.rectNumSerie = original->numSerie;
            r.rectFecha = original->fecha;
        }
        // By substitution the record carries the whole corrected invoice; the document keeps
        // the difference, which is what is owed.
        const auto rectificada = leerCabecera(q.value(0).toInt());
        if (texto(q, 2) == QLatin1String("S") && rectificada) {
            r.tipoRectificativa = QStringLiteral("S");
            r.baseRectificada = importeAeat(rectificada->totales.base);
            r.cuotaRectificada = importeAeat(rectificada->totales.iva);
            t.base += rectificada->totales.base;
            t.iva += rectificada->totales.iva;
        }
    }
    r.descripcion = descripcionLineas(c.id);
    QSqlQuery inq =
        ejecutar(QStringLiteral("SELECT DNI, Nom FROM tblInquilinos WHERE Id = ?"), {c.idInq});
    if (inq.next()) {
        r.destNif = texto(inq, 0).trimmed();
        r.destNombre = texto(inq, 1).trimmed();
    }
    r.base = importeAeat(t.base);
    r.cuota = importeAeat(t.iva);
    // The withholding is the payer's tax, not part of the invoice's total for the agency.
    r.importe = importeAeat(t.base + t.iva);
    return r;
}

/** The series the last verification of the open file blocked, so issuing need not check the
 * whole year again; none until one is made. */
// The series the last verification blocked, on the file then open.
struct UltimaVerificacion {
    quint64 cierres = 0; ///< cierresBaseDatos() when it was made
    std::optional<QStringList> series;
};

UltimaVerificacion& ultimaVerificacion() {
    static UltimaVerificacion ultima;
    return ultima;
}

/** "57B" → "B": the series of a record whose invoice is gone. */
QString serieDeNumero(const QString& numSerie) {
    qsizetype i = 0;
    while (i < numSerie.size() && numSerie[i].isDigit())
        ++i;
    return numSerie.mid(i);
}

void revisarEnlaces(const QList<RegistroFacturacion>& registros, VerificacionRegistros& v) {
    QString anterior = valorUnico(QStringLiteral("SELECT HuellaAnt FROM tblVerifactu")).toString();
    for (const RegistroFacturacion& r : registros) {
        const QString cual = QStringLiteral("Registro %1 (factura %2): ").arg(r.id).arg(r.numSerie);
        const QString serie = serieDeNumero(r.numSerie);
        if (r.huellaAnt != anterior)
            v.faltas << FaltaRegistro{serie, cual + QStringLiteral("no enlaza con el anterior; "
                                                                   "falta un registro o se ha "
                                                                   "cambiado.")};
        if (calcularHuella(r) != r.huella)
            v.faltas << FaltaRegistro{serie, cual + QStringLiteral("alterado; su huella no "
                                                                   "corresponde a sus datos.")};
        anterior = r.huella;
    }
}

/** The names of the fields in which a record and what its invoice gives now differ. */
QStringList camposDistintos(const RegistroFacturacion& a, const RegistroFacturacion& b) {
    using R = RegistroFacturacion;
    const std::pair<const char*, QString R::*> campos[] = {
        {"número", &R::numSerie},
        {"fecha", &R::fecha},
        {"tipo", &R::tipoFactura},
        {"factura rectificada", &R::rectNumSerie},
        {"fecha de la rectificada", &R::rectFecha},
        {"modo de rectificar", &R::tipoRectificativa},
        {"base rectificada", &R::baseRectificada},
        {"cuota rectificada", &R::cuotaRectificada},
        {"descripción", &R::descripcion},
        {"% de IVA", &R::porIva},
        {"exención", &R::exencion},
        {"base", &R::base},
        {"cuota", &R::cuota},
        {"importe", &R::importe}};
    QStringList distintos;
    for (const auto& [nombre, campo] : campos)
        if (a.*campo != b.*campo) distintos << QString::fromUtf8(nombre);
    return distintos;
}

void revisarContraFactura(const RegistroFacturacion& r, const QStringList& empresa,
                          const QStringList& totalesMal, VerificacionRegistros& v) {
    const auto c = leerCabecera(r.idDoc);
    const QString cual = QStringLiteral("Factura %1 (registro %2): ").arg(r.numSerie).arg(r.id);
    if (!c) {
        v.faltas << FaltaRegistro{serieDeNumero(r.numSerie),
                                  cual + QStringLiteral("la factura ya no existe.")};
        return;
    }
    const QString numSerie = QString::number(c->num.value_or(0)) + c->ser;
    QStringList distintos;
    if (r.anulacion) {
        if (numSerie != r.numSerie) distintos << QStringLiteral("número");
        if (fechaAeat(c->fec) != r.fecha) distintos << QStringLiteral("fecha");
        if (valorUnico(QStringLiteral("SELECT Anu FROM tblCobros WHERE Id = ?"), {r.idDoc})
                .toInt() == 0)
            v.faltas << FaltaRegistro{c->ser, cual + QStringLiteral("anulada en su registro, "
                                                                    "no en la factura.")};
    } else {
        RegistroFacturacion esperado = altaDe(*c, empresa);
        // Records made before the kind was kept name none: they were all by differences.
        if (r.tipoRectificativa.isEmpty() && esperado.tipoRectificativa == QLatin1String("I"))
            esperado.tipoRectificativa.clear();
        distintos = camposDistintos(r, esperado);
        if (totalesMal.contains(numSerie))
            v.faltas << FaltaRegistro{c->ser, cual + QStringLiteral("sus totales no "
                                                                    "corresponden a sus líneas.")};
    }
    if (!distintos.isEmpty())
        v.faltas << FaltaRegistro{c->ser, cual +
                                              QStringLiteral("la factura y su registro no "
                                                             "coinciden en ") +
                                              distintos.join(QStringLiteral(", ")) + u'.'};
}

/**
 * The invoices of the mode's series marked printed and without their alta, but for those issued
 * before the mode: dated earlier, or cancelled by then (after, a cancellation is a record).
 */
QSqlQuery impresasSinAlta(const ConfigVerifactu& config) {
    QStringList series = config.series;
    series << config.serieRect;
    QVariantList valores{config.desde.isValid() ? fechaIso(config.desde) : QString(),
                         config.idDesde, config.idDesde};
    for (const QString& serie : series)
        valores << serie.toUpper();
    return ejecutar(
        QStringLiteral("SELECT c.Id, c.Num, c.Ser FROM tblCobros c WHERE c.Imp <> 0 AND NOT"
                       " (c.Fec < ? AND c.Id <= ?) AND NOT (c.Anu <> 0 AND c.Id <= ?) AND"
                       " upper(c.Ser) IN (%1) AND EXISTS (SELECT 1 FROM tblCobrosDetalles d"
                       " WHERE d.IdDoc = c.Id) AND NOT EXISTS (SELECT 1 FROM tblRegistros r WHERE"
                       " r.IdDoc = c.Id AND r.Tipo = 'A') ORDER BY c.Fec, c.Id")
            .arg(QStringList(series.size(), QStringLiteral("?")).join(u", ")),
        valores);
}

/** An invoice of the mode marked printed went out: it must have its alta. */
void revisarFacturasSinRegistro(VerificacionRegistros& v) {
    const ConfigVerifactu config = leerConfigVerifactu();
    if (!config.activo) return;
    QSqlQuery q = impresasSinAlta(config);
    while (q.next())
        v.faltas << FaltaRegistro{texto(q, 2), QStringLiteral("Factura %1%2: emitida y sin su "
                                                              "registro de facturación.")
                                                   .arg(q.value(1).toInt())
                                                   .arg(texto(q, 2))};
}

/**
 * When the mode is turned on, the invoices already printed and dated from that day on (a month
 * run ahead, a year made in December) are issued in it: their altas are made now, or the check
 * would find them without one and stop their series for good.
 */
void registrarYaImpresas() {
    QList<int> ids;
    QSqlQuery q = impresasSinAlta(leerConfigVerifactu());
    while (q.next())
        ids << q.value(0).toInt();
    if (ids.isEmpty()) return;
    const QStringList empresa = leerTitulos();
    if (empresa.value(1).trimmed().isEmpty()) throw ErrorBD(kFaltaNifEmpresa);
    for (const int id : ids)
        if (const auto c = leerCabecera(id)) insertarRegistro(altaDe(*c, empresa));
}

const QString kSoloEmitidas =
    QStringLiteral("Solo se puede hacer con una factura emitida y no anulada.");

} // namespace

ConfigVerifactu leerConfigVerifactu() {
    ConfigVerifactu c;
    QSqlQuery q = ejecutar(
        QStringLiteral("SELECT Activo, Desde, SerieRect, Pruebas, IdDesde FROM tblVerifactu"));
    if (q.next()) {
        c.activo = q.value(0).toInt() != 0;
        c.desde = desdeIso(texto(q, 1));
        if (!texto(q, 2).isEmpty()) c.serieRect = texto(q, 2);
        c.pruebas = q.value(3).toInt() != 0;
        c.idDesde = q.value(4).toInt();
    }
    QSqlQuery s =
        ejecutar(QStringLiteral("SELECT Cod FROM tblSeriesF WHERE Factura <> 0 ORDER BY Id"));
    while (s.next())
        if (texto(s, 0).compare(c.serieRect, Qt::CaseInsensitive) != 0) c.series << texto(s, 0);
    return c;
}

Resultado<> guardarConfigVerifactu(const ConfigVerifactu& c) {
    return intentar([&]() -> void {
        const ConfigVerifactu antes = leerConfigVerifactu();
        if (antes.activo && !c.activo)
            throw ErrorBD(
                QStringLiteral("El sistema de facturación verificable no se puede desactivar "
                               "una vez activado en el año."));
        static const QRegularExpression codigo(QStringLiteral("^[A-Za-z0-9]{1,5}$"));
        if (!codigo.match(c.serieRect).hasMatch())
            throw ErrorBD(
                QStringLiteral("La serie de las facturas rectificativas debe ser un código "
                               "de 1 a 5 letras o cifras."));
        if (c.series.contains(c.serieRect, Qt::CaseInsensitive))
            throw ErrorBD(QStringLiteral("La serie de las rectificativas no puede ser también una "
                                         "serie de facturas ordinarias."));
        Transaccion t;
        const QDate desde = antes.activo ? antes.desde : c.activo ? Hoy() : QDate();
        ejecutar(QStringLiteral("INSERT INTO tblVerifactu (Id) SELECT 1 WHERE NOT EXISTS"
                                " (SELECT 1 FROM tblVerifactu WHERE Id = 1)"));
        ejecutar(QStringLiteral("UPDATE tblVerifactu SET Activo = ?, Desde = ?, SerieRect = ?,"
                                " Pruebas = ?"),
                 {c.activo ? 1 : 0, desde.isValid() ? QVariant(fechaIso(desde)) : QVariant(),
                  c.serieRect, c.pruebas ? 1 : 0});
        if (c.activo && !antes.activo)
            ejecutar(QStringLiteral("UPDATE tblVerifactu SET IdDesde ="
                                    " (SELECT COALESCE(MAX(Id), 0) FROM tblCobros)"));
        // The rectifying series exists only with the mode on: off, it would be one more series to
        // pick, and the first of a new year.
        if (c.activo &&
            !valorUnico(QStringLiteral("SELECT 1 FROM tblSeriesF WHERE upper(Cod) = upper(?)"),
                        {c.serieRect})
                 .isValid())
            ejecutar(QStringLiteral("INSERT INTO tblSeriesF (Id, Cod, Des) VALUES (?, ?, ?)"),
                     {SiguienteNumero(QStringLiteral("tblSeriesF"), QStringLiteral("Id")),
                      c.serieRect, QStringLiteral("Facturas rectificativas")});
        ejecutar(QStringLiteral("UPDATE tblSeriesF SET Factura = 0"));
        for (const QString& serie : c.series + QStringList{c.serieRect})
            ejecutar(
                QStringLiteral("UPDATE tblSeriesF SET Factura = 1 WHERE upper(Cod) = upper(?)"),
                {serie});
        if (c.activo && !antes.activo) registrarYaImpresas();
        t.confirmar();
    });
}

QString sqlUltimoRegistro(const QString& idDoc) {
    return QStringLiteral("(SELECT Tipo FROM tblRegistros WHERE IdDoc = %1 ORDER BY Id DESC"
                          " LIMIT 1)")
        .arg(idDoc);
}

EstadoFactura estadoDeRegistro(const QVariant& tipo) {
    if (tipo.isNull() || !tipo.isValid()) return EstadoFactura::Libre;
    return tipo.toString() == QLatin1String("N") ? EstadoFactura::Anulada : EstadoFactura::Emitida;
}

EstadoFactura estadoFactura(int idDoc) {
    return estadoDeRegistro(
        valorUnico(QStringLiteral("SELECT ") + sqlUltimoRegistro(QStringLiteral("?")), {idDoc}));
}

QString motivoFacturaFija(EstadoFactura estado) {
    switch (estado) {
    case EstadoFactura::Libre:
        return {};
    case EstadoFactura::Emitida:
        return QStringLiteral("Factura emitida con registro VERI*FACTU: no se puede cambiar ni "
                              "borrar. Para corregirla, use «Rectificar».");
    case EstadoFactura::Anulada:
        break;
    }
    return QStringLiteral("Factura anulada: no se puede cambiar ni borrar.");
}

QString motivoFacturaFija(int idDoc) {
    return motivoFacturaFija(estadoFactura(idDoc));
}

void registrarAltas(const QList<int>& ids) {
    const ConfigVerifactu config = leerConfigVerifactu();
    if (!config.activo) return;
    const QStringList empresa = leerTitulos();
    for (int id : ids) {
        const auto c = leerCabecera(id);
        // What existed, dated before the mode was on, was issued outside it; a document made
        // since is in, whatever its date (a monthly run dated the 1st, turned on the 6th).
        const bool anterior = c && c->fec < config.desde && id <= config.idDesde;
        if (!c || !esSerieDeFactura(config, c->ser) || anterior ||
            estadoFactura(id) != EstadoFactura::Libre || numeroLineas(id) == 0)
            continue;
        if (empresa.value(1).trimmed().isEmpty()) throw ErrorBD(kFaltaNifEmpresa);
        if (seriesBloqueadas().contains(c->ser, Qt::CaseInsensitive))
            throw ErrorBD(QStringLiteral("Los registros de facturación de la serie %1 no cuadran "
                                         "(vea «torvane-admin verifactu verificar»): no se emite "
                                         "ninguna factura de esa serie hasta corregirlo.")
                              .arg(c->ser));
        insertarRegistro(altaDe(*c, empresa));
        ejecutar(QStringLiteral("UPDATE tblCobros SET Imp = 1 WHERE Id = ?"), {id});
    }
}

Resultado<> emitirFacturas(const QList<int>& ids) {
    return intentar([&]() -> void {
        Transaccion t;
        registrarAltas(ids);
        t.confirmar();
    });
}

void registrarAnulacion(int idDoc) {
    const auto alta = registroAlta(idDoc);
    if (!alta || estadoFactura(idDoc) != EstadoFactura::Emitida) throw ErrorBD(kSoloEmitidas);
    RegistroFacturacion r;
    r.idDoc = idDoc;
    r.anulacion = true;
    r.nif = alta->nif;
    r.nombre = alta->nombre;
    r.numSerie = alta->numSerie;
    r.fecha = alta->fecha;
    insertarRegistro(r);
}

QList<std::pair<QString, QString>> tiposRectificativa() {
    return {{QStringLiteral("R1"), QStringLiteral("Error fundado en derecho (art. 80 Uno, Dos y "
                                                  "Seis LIVA)")},
            {QStringLiteral("R2"), QStringLiteral("Concurso de acreedores (art. 80 Tres LIVA)")},
            {QStringLiteral("R3"), QStringLiteral("Crédito incobrable (art. 80 Cuatro LIVA)")},
            {QStringLiteral("R4"), QStringLiteral("Otras causas")}};
}

Resultado<int> rectificarFactura(int idDoc, const QString& tipo, const QString& motivo,
                                 bool sustitucion) {
    return intentar([&]() -> int {
        bool tipoValido = false;
        for (const auto& [codigo, descripcion] : tiposRectificativa())
            tipoValido = tipoValido || codigo == tipo;
        if (!tipoValido) throw ErrorBD(QStringLiteral("Elija el tipo de rectificación."));
        if (motivo.trimmed().isEmpty())
            throw ErrorBD(QStringLiteral("Escriba el motivo de la rectificación."));
        Transaccion t;
        const auto alta = registroAlta(idDoc);
        const auto original = leerCabecera(idDoc);
        if (!alta || !original || estadoFactura(idDoc) != EstadoFactura::Emitida)
            throw ErrorBD(kSoloEmitidas);
        Cabecera c = *original;
        c.num.reset();
        c.ser = leerConfigVerifactu().serieRect;
        // Today, but within the invoice's year and never before it: a document of another year
        // counts in no summary, and a correction does not come before what it corrects.
        c.fec = std::max(original->fec, fechaEnAno(Hoy(), original->fec.year()));
        c.tri = Trimestre(c.fec.month()).toInt();
        c.pag = false;
        c.obs = QStringLiteral("Rectifica la factura %1 del %2. Motivo: %3")
                    .arg(alta->numSerie, formatoFecha(original->fec), motivo.trimmed());
        // The lines' Ids are read whole first: on a server another statement would drop the rest.
        QList<int> ids;
        QSqlQuery q = ejecutar(QStringLiteral("SELECT Id FROM tblCobrosDetalles WHERE IdDoc = ?"
                                              " ORDER BY Lin"),
                               {idDoc});
        while (q.next())
            ids << q.value(0).toInt();
        QList<Linea> lineas;
        for (int idLinea : ids)
            if (auto l = leerLinea(idLinea)) {
                l->und = -l->und;
                lineas << *l;
            }
        const int id = escribirDocumentoNuevo(c, lineas);
        ejecutar(QStringLiteral("UPDATE tblCobros SET IdRect = ?, TipoRect = ?, MotivoRect = ?,"
                                " ModoRect = ?, Fac = 1 WHERE Id = ?"),
                 {idDoc, tipo, motivo.trimmed(),
                  sustitucion ? QStringLiteral("S") : QStringLiteral("I"), id});
        t.confirmar();
        return id;
    });
}

std::optional<RegistroFacturacion> registroAlta(int idDoc) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT %1 FROM tblRegistros WHERE IdDoc = ? AND"
                                          " Tipo = 'A' ORDER BY Id LIMIT 1")
                               .arg(kColumnas),
                           {idDoc});
    if (!q.next()) return std::nullopt;
    return leerRegistro(q);
}

QString textoQrDocumento(int idDoc) {
    return textoQrDocumento(idDoc, !leerConfigVerifactu().pruebas);
}

QString textoQrDocumento(int idDoc, bool produccion) {
    const auto alta = registroAlta(idDoc);
    return alta ? urlCotejo(*alta, produccion) : QString();
}

QList<RegistroFacturacion> registrosDelAno() {
    QSqlQuery q =
        ejecutar(QStringLiteral("SELECT %1 FROM tblRegistros ORDER BY Id").arg(kColumnas));
    QList<RegistroFacturacion> lista;
    while (q.next())
        lista << leerRegistro(q);
    return lista;
}

QStringList VerificacionRegistros::series() const {
    QStringList lista;
    for (const FaltaRegistro& f : faltas)
        if (!lista.contains(f.serie, Qt::CaseInsensitive)) lista << f.serie;
    return lista;
}

QString VerificacionRegistros::texto() const {
    if (correcta())
        return QStringLiteral("Los registros de facturación son correctos (%1).")
            .arg(cuenta(registros, QStringLiteral("registro")));
    QStringList lineas;
    for (const FaltaRegistro& f : faltas)
        lineas << f.texto;
    return lineas.join(QLatin1Char('\n'));
}

VerificacionRegistros verificarRegistros() {
    VerificacionRegistros v;
    const QList<RegistroFacturacion> registros = registrosDelAno();
    v.registros = static_cast<int>(registros.size());
    revisarEnlaces(registros, v);
    const QStringList totalesMal = comprobarDocumentos().totalesMal;
    const QStringList empresa = leerTitulos();
    for (const RegistroFacturacion& r : registros)
        revisarContraFactura(r, empresa, totalesMal, v);
    revisarFacturasSinRegistro(v);
    ultimaVerificacion() = {cierresBaseDatos(), v.series()};
    return v;
}

QStringList seriesBloqueadas() {
    const UltimaVerificacion& ultima = ultimaVerificacion();
    if (!ultima.series || ultima.cierres != cierresBaseDatos()) verificarRegistros();
    return *ultimaVerificacion().series;
}

} // namespace torvane
