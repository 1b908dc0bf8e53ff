#include "core/reports/DatosInforme.h"

#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Registros.h"
#include "core/documents/Titulos.h"
#include "core/reports/Plantilla.h"
#include "core/store/Consulta.h"
#include "core/store/Dialecto.h"
#include "core/text/Formato.h"
#include "core/text/Plegado.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <functional>
#include <initializer_list>
#include <kainjow/mustache.hpp>

namespace torvane {

namespace {
// Big enough for thousands of rows, small enough to leave little unused in the last one.
constexpr qsizetype kBloqueFilas = 1 << 20;
} // namespace

void FilasTexto::append(QStringView fila) {
    const QByteArray texto = fila.toUtf8();
    if (bloques_.isEmpty() ||
        bloques_.last().size() + texto.size() > std::max(kBloqueFilas, texto.size())) {
        bloques_.append(QByteArray());
        bloques_.last().reserve(std::max(kBloqueFilas, texto.size()));
    }
    QByteArray& bloque = bloques_.last();
    sitios_.append({static_cast<quint32>(bloques_.size() - 1), static_cast<quint32>(bloque.size()),
                    static_cast<quint32>(texto.size())});
    bloque += texto;
}

void FilasTexto::squeeze() {
    if (!bloques_.isEmpty()) bloques_.last().squeeze();
    sitios_.squeeze();
}

namespace {

using Dato = kainjow::mustache::data;

std::string utf8(const QString& texto) {
    return texto.toStdString();
}

// Empty texts stay unset, so a template's {{#x}}...{{/x}} skips what has no value.
void poner(Dato& objeto, const std::string& clave, const QString& valor) {
    if (!valor.isEmpty()) objeto.set(clave, utf8(valor));
}

// A null field is empty text, never the word "null" or a crash in the template.
QString campo(const QSqlQuery& q, int i) {
    const QVariant valor = q.value(i);
    return valor.isNull() ? QString() : valor.toString();
}

QString importe(const QSqlQuery& q, int i) {
    return importeGuardado(q.value(i)).texto();
}
QString porcentaje(const QSqlQuery& q, int i) {
    return decimalGuardado(q.value(i)).texto();
}
QString fecha(const QSqlQuery& q, int i) {
    return formatoFecha(desdeIso(campo(q, i)));
}
QString siNo(const QSqlQuery& q, int i) {
    return q.value(i).toInt() != 0 ? QStringLiteral("SÍ") : QStringLiteral("NO");
}

// Columns first..first+claves.size()-1 of the current row as texts under the given keys.
Dato textos(const QSqlQuery& q, int primera, std::initializer_list<const char*> claves) {
    Dato objeto;
    int i = primera;
    for (const char* clave : claves)
        poner(objeto, clave, campo(q, i++));
    return objeto;
}

// The town alone, for "En Lugo, a …": a typed "27001 Lugo (Lugo)" keeps only "Lugo".
QString localidad(const QString& poblacion) {
    static const QRegularExpression sobrante(
        QStringLiteral("^\\s*\\d{5}\\s+|\\s*\\([^)]*\\)\\s*$"));
    return QString(poblacion).remove(sobrante).trimmed();
}

// "15701 Santiago de Compostela (A Coruña)", leaving out what is missing or repeated.
QString lineaLocalidad(const QString& cp, const QString& poblacion, const QString& provincia) {
    QString linea = QStringList{cp.trimmed(), poblacion.trimmed()}.join(u' ').trimmed();
    const bool repetida = plegar(provincia.trimmed()) == plegar(poblacion.trimmed());
    if (!provincia.trimmed().isEmpty() && !repetida)
        linea += (linea.isEmpty() ? QString() : QStringLiteral(" ")) +
                 QStringLiteral("(%1)").arg(provincia.trimmed());
    return linea;
}

// An address group: columns primera.. are Dir, CP, Pob, Pro.
Dato direccion(const QSqlQuery& q, int primera) {
    Dato grupo = textos(q, primera, {"direccion", "cp", "poblacion", "provincia"});
    poner(grupo, "localidad",
          lineaLocalidad(campo(q, primera + 1), campo(q, primera + 2), campo(q, primera + 3)));
    return grupo;
}

Dato empresa() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT Empresa, CIF, NomCom, Enderezo, Poboacion, Telefonos, Internet, RexMer, CtaBan,"
        " ProDat FROM tblTitulos"));
    if (!q.next()) return Dato();
    Dato datos = textos(q, 0,
                        {"nombre", "cif", "nombreComercial", "direccion", "poblacion", "telefonos",
                         "internet", "registro", "cuenta", "proteccionDatos"});
    poner(datos, "localidad", localidad(campo(q, 4)));
    return datos;
}

QString textoExentoGuardado() {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT TxtExento FROM tblTitulos"));
    return textoExento(q.next() ? campo(q, 0) : QString());
}

} // namespace

// What a document's data is read with. One document alone prepares each statement as it runs;
// a run of many keeps them prepared and reads once what every document shares.
struct Fuentes {
    Sentencia cabecera{QStringLiteral(
        "SELECT c.Num, c.Ser, c.Fec, c.PorIva, c.PorRet, c.Pag, c.SubTotal, c.Ret, c.Base,"
        " c.IVA, c.Tot, c.Obs, c.Tri, m.Des, m.Dir, m.CP, m.Pob, m.Pro, q.Nom, q.DNI, q.Tfn,"
        " q.Mob, q.Mail, (SELECT s.Des FROM tblSeriesF s WHERE s.Cod = c.Ser ORDER BY s.Id"
        " LIMIT 1), q.Dir, q.CP, q.Pob, q.Pro"
        " FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm = m.Id)"
        " LEFT JOIN tblInquilinos q ON c.IdInq = q.Id WHERE c.Id = ?")};
    Sentencia lineas{QStringLiteral("SELECT Lin, IdCon, DesCon, Und, Pre, Imp FROM"
                                    " tblCobrosDetalles WHERE IdDoc = ? ORDER BY Lin")};
    Sentencia rectificacion{QStringLiteral(
        "SELECT c.TipoRect, c.MotivoRect, c.ModoRect, o.Num, o.Ser, o.Fec, o.Base, o.IVA, o.Tot,"
        " c.Base, c.IVA, c.Tot FROM tblCobros c JOIN tblCobros o ON o.Id = c.IdRect"
        " WHERE c.Id = ?")};
    std::optional<Dato> empresa;
    std::optional<QString> exento;
    std::optional<TipoEmisor> emisor;
    std::optional<bool> produccion;
    /** The states read ahead for a run; without them each is read as its document comes. */
    std::optional<QHash<int, EstadoDocumento>> estados;

    const Dato& datosEmpresa();
    const QString& textoExento();
    TipoEmisor tipoEmisor() {
        if (!emisor) emisor = leerTipoEmisor();
        return *emisor;
    }
    std::optional<EstadoDocumento> estado(int id) {
        if (!estados) return leerEstado(id);
        const auto e = estados->constFind(id);
        return e != estados->cend() ? std::optional(*e) : std::nullopt;
    }
    QString qr(int id) {
        // A run's states say which documents have no billing record at all, hence no QR:
        // most of a month's, which need not be asked one by one.
        if (estados) {
            const auto e = estados->constFind(id);
            if (e != estados->cend() && e->verifactu == EstadoFactura::Libre) return {};
        }
        if (!produccion) produccion = !leerConfigVerifactu().pruebas;
        return textoQrDocumento(id, *produccion);
    }
};

const Dato& Fuentes::datosEmpresa() {
    if (!empresa) empresa = torvane::empresa();
    return *empresa;
}

const QString& Fuentes::textoExento() {
    if (!exento) exento = textoExentoGuardado();
    return *exento;
}

namespace {

Dato lineas(Fuentes& f, int idDoc) {
    QSqlQuery& q = f.lineas.ejecutar({idDoc});
    Dato lista(Dato::type::list);
    while (q.next()) {
        Dato linea = textos(q, 0, {"linea", "referencia", "descripcion"});
        // The stored amount, which the totals add: the paper says what the year holds.
        linea.set("unidades", utf8(decimalGuardado(q.value(3)).textoDosDecimales()));
        linea.set("precio", utf8(importeGuardado(q.value(4)).texto()));
        linea.set("importe", utf8(importeGuardado(q.value(5)).texto()));
        lista.push_back(linea);
    }
    return lista;
}

// What the paper says about paying: one of the flags, the sentence, the account and the date.
Dato avisoDePago(const EstadoDocumento& estado) {
    const AvisoPago aviso = avisoPago(estado);
    static const char* const tipos[] = {"transferencia", "cargo",   "pagado",
                                        "devolucion",    "anulado", "sinImporte"};
    Dato pago;
    poner(pago, tipos[aviso.tipo], QStringLiteral("SÍ"));
    poner(pago, "texto", aviso.texto);
    poner(pago, "cuenta", aviso.cuenta);
    if (aviso.fecha.isValid()) poner(pago, "fecha", formatoFecha(aviso.fecha));
    return pago;
}

// A rectifying invoice says so, with the invoice it corrects, why and how (RD 1619/2012,
// art. 15); by substitution, the rectified and the corrected amounts too.
void anadirRectificacion(Fuentes& f, Dato& doc, int id) {
    QSqlQuery& q = f.rectificacion.ejecutar({id});
    if (!q.next()) return;
    Dato r;
    poner(r, "tipo", campo(q, 0));
    for (const auto& [codigo, descripcion] : tiposRectificativa())
        if (codigo == campo(q, 0)) poner(r, "tipoTexto", descripcion);
    poner(r, "motivo", campo(q, 1));
    poner(r, "numero", campo(q, 3) + campo(q, 4));
    poner(r, "fecha", fecha(q, 5));
    if (campo(q, 2) == QLatin1String("S")) {
        poner(r, "modo", QStringLiteral("por sustitución"));
        Dato importes;
        for (const auto& [clave, columna] :
             {std::pair{"baseRectificada", 6}, {"ivaRectificado", 7}, {"totalRectificado", 8}})
            poner(importes, clave, importe(q, columna));
        for (const auto& [clave, columna] :
             {std::pair{"baseCorrecta", 6}, {"ivaCorrecto", 7}, {"totalCorrecto", 8}})
            poner(importes, clave,
                  (importeGuardado(q.value(columna)) + importeGuardado(q.value(columna + 3)))
                      .texto());
        r.set("sustitucion", importes);
    } else {
        poner(r, "modo", QStringLiteral("por diferencias"));
    }
    doc.set("rectificativa", r);
}

// The stored header's amounts (columns of the document's statement) as the sheet shows them,
// under the names templates have always used for them.
void anadirImportes(Dato& datos, const QSqlQuery& q) {
    const std::pair<const char*, QString> valores[] = {
        {"pSubTotal", importe(q, 6)},
        {"pBase", importe(q, 8)},
        {"pPorIva", porcentaje(q, 3) + QLatin1Char('%')},
        {"pIVA", importe(q, 9)},
        {"pPorRet", porcentaje(q, 4) + QLatin1Char('%')},
        {"pRet", importe(q, 7)},
        {"pTotal", importe(q, 10)},
        {"pObs", campo(q, 11)}};
    for (const auto& [clave, valor] : valores)
        poner(datos, clave, valor);
}

// Header, parties, lines and the amounts under their p… names of one document; false when
// there is no such document.
bool anadirDocumento(Fuentes& f, Dato& datos, int id, QString& numero) {
    QSqlQuery& q = f.cabecera.ejecutar({id});
    if (!q.next()) return false;
    numero = campo(q, 0) + campo(q, 1);
    const QDate dia = desdeIso(campo(q, 2));
    const QString mes = QLocale(QLocale::Spanish, QLocale::Spain).standaloneMonthName(dia.month());
    Dato doc = textos(q, 0, {"num", "serie"});
    const std::pair<const char*, QString> valores[] = {
        {"id", QString::number(id)},
        {"numero", numero},
        {"serieDescripcion", campo(q, 23)},
        {"fecha", fecha(q, 2)},
        {"mes", mes},
        {"ano", QString::number(dia.year())},
        {"periodo", mes + QStringLiteral(" de ") + QString::number(dia.year())},
        {"trimestre", campo(q, 12)},
        {"porIva", porcentaje(q, 3)},
        {"porRet", porcentaje(q, 4)},
        {"pagado", siNo(q, 5)},
        {"subtotal", importe(q, 6)},
        {"ret", importe(q, 7)},
        {"base", importe(q, 8)},
        {"iva", importe(q, 9)},
        {"total", importe(q, 10)},
        // What the total takes off, so a rectifying invoice's negative one reads "9,50".
        {"retDescontada", (-importeGuardado(q.value(7))).texto()},
        {"obs", campo(q, 11)},
    };
    for (const auto& [clave, valor] : valores)
        poner(doc, clave, valor);
    // Set only when they apply, so a template prints a row or a wording just then.
    if (decimalGuardado(q.value(3)).esCero()) poner(doc, "exento", f.textoExento());
    if (!decimalGuardado(q.value(4)).esCero()) poner(doc, "conRetencion", QStringLiteral("SÍ"));
    // A company's withholding is on account of its corporate tax, not of IRPF.
    poner(doc, "nombreRetencion",
          f.tipoEmisor() == TipoEmisor::Sociedad ? QStringLiteral("Retención")
                                                 : QStringLiteral("Retención IRPF"));
    if (q.value(5).toInt() != 0) poner(doc, "cobrado", QStringLiteral("SÍ"));
    if (const auto estado = f.estado(id)) {
        doc.set("pago", avisoDePago(*estado));
        if (estado->anulado)
            poner(doc, "anulado",
                  estado->factura ? QStringLiteral("ANULADA") : QStringLiteral("ANULADO"));
    }
    anadirImportes(datos, q);
    anadirRectificacion(f, doc, id);
    datos.set("documento", doc);
    Dato inmueble = direccion(q, 14);
    poner(inmueble, "descripcion", campo(q, 13));
    datos.set("inmueble", inmueble);
    Dato inquilino = direccion(q, 24);
    for (const auto& [clave, columna] :
         {std::pair{"nombre", 18}, {"dni", 19}, {"telefono", 20}, {"movil", 21}, {"correo", 22}})
        poner(inquilino, clave, campo(q, columna));
    datos.set("inquilino", inquilino);
    // Whom the document is addressed to: the tenant's own address, or the let property's.
    datos.set("destinatario", direccion(q, campo(q, 24).trimmed().isEmpty() ? 14 : 24));
    datos.set("lineas", lineas(f, id));
    return true;
}

// The current row's columns first..first+n-1 as one row of a list, empty for null.
void anadirFila(FilasLista& lista, const QSqlQuery& q, int primera, QStringList extra = {}) {
    QString fila;
    const qsizetype n = lista.claves.size() - extra.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0) fila += FilasLista::kSeparadorCampos;
        fila += campo(q, primera + i);
    }
    for (const QString& texto : extra)
        fila += FilasLista::kSeparadorCampos + texto;
    lista.filas.append(fila);
}

// Adds each row of q to lista with ponerFila; parar is asked every 1,024 rows whether to stop
// there, which leaves the list not complete.
void leerFilas(FilasLista& lista, QSqlQuery& q, const std::function<bool()>& parar,
               const std::function<void(FilasLista&, const QSqlQuery&)>& ponerFila) {
    while (q.next()) {
        if (parar && lista.filas.size() % 1024 == 1023 && parar()) {
            lista.completa = false;
            return;
        }
        ponerFila(lista, q);
    }
}

FilasLista filasInmuebles(const QSqlDatabase& db, const std::function<bool()>& parar) {
    QSqlQuery q =
        ejecutar(db, QStringLiteral("SELECT m.Id, m.Des, m.Dir, m.CP, m.Pob, m.Pro, q.Nom, m.Pre"
                                    " FROM tblInmuebles m LEFT JOIN tblInquilinos q ON m.IdInq ="
                                    " q.Id ORDER BY pliegue(m.Des)"));
    FilasLista lista{{QStringLiteral("id"), QStringLiteral("descripcion"),
                      QStringLiteral("direccion"), QStringLiteral("cp"),
                      QStringLiteral("poblacion"), QStringLiteral("provincia"),
                      QStringLiteral("inquilino"), QStringLiteral("precio")},
                     {},
                     {},
                     true};
    leerFilas(lista, q, parar,
              [](FilasLista& l, const QSqlQuery& q) { anadirFila(l, q, 0, {importe(q, 7)}); });
    return lista;
}

FilasLista filasInquilinos(const QSqlDatabase& db, const std::function<bool()>& parar) {
    QSqlQuery q = ejecutar(
        db, QStringLiteral(
                "SELECT q.Id, q.Nom, q.DNI, q.Tfn, q.Mob, q.Mail,"
                " (SELECT m.Des FROM tblInmuebles m WHERE m.IdInq = q.Id ORDER BY m.Id LIMIT 1)"
                " FROM tblInquilinos q ORDER BY pliegue(q.Nom)"));
    FilasLista lista{{QStringLiteral("id"), QStringLiteral("nombre"), QStringLiteral("dni"),
                      QStringLiteral("telefono"), QStringLiteral("movil"), QStringLiteral("correo"),
                      QStringLiteral("inmueble")},
                     {},
                     {},
                     true};
    leerFilas(lista, q, parar, [](FilasLista& l, const QSqlQuery& q) { anadirFila(l, q, 0); });
    return lista;
}

// The sums a document list prints at its foot: a cancelled document is listed as such and
// added to none.
struct SumasRecibos {
    qint64 cuenta = 0;
    Importe base, iva, ret, total, pendiente;

    // The summed expressions, each written as forma says ("%1" or "SUM(%1)").
    static QString columnas(const QString& forma) {
        const QString c = QStringLiteral("c");
        QStringList lista;
        for (const QString& columna : {QStringLiteral("Base"), QStringLiteral("IVA"),
                                       QStringLiteral("Ret"), QStringLiteral("Tot")})
            lista << forma.arg(sqlImporte(Cuenta::Facturado, c, columna));
        lista << forma.arg(sqlImporte(Cuenta::Pendiente, c));
        return lista.join(QStringLiteral(", "));
    }
    // Columns primera.. in the order of columnas().
    void sumar(const QSqlQuery& q, int primera) {
        base += importeGuardado(q.value(primera));
        iva += importeGuardado(q.value(primera + 1));
        ret += importeGuardado(q.value(primera + 2));
        total += importeGuardado(q.value(primera + 3));
        pendiente += importeGuardado(q.value(primera + 4));
    }
    ParametrosInforme textos() const {
        return {{QStringLiteral("cuenta"), QString::number(cuenta)},
                {QStringLiteral("base"), base.texto()},
                {QStringLiteral("iva"), iva.texto()},
                {QStringLiteral("ret"), ret.texto()},
                {QStringLiteral("total"), total.texto()},
                {QStringLiteral("pendiente"), pendiente.texto()}};
    }
};

SumasRecibos sumasRecibos(const QSqlDatabase& db) {
    QSqlQuery q = ejecutar(db, QStringLiteral("SELECT COUNT(*), %1 FROM tblCobros c")
                                   .arg(SumasRecibos::columnas(QStringLiteral("SUM(%1)"))));
    SumasRecibos sumas;
    if (q.next()) {
        sumas.cuenta = q.value(0).toLongLong();
        sumas.sumar(q, 1);
    }
    return sumas;
}

// The year's documents by date, series and number, the order ixCobrosOrden keeps: with
// primeras, only that many (the index reads them without sorting the year) and the sums apart.
FilasLista filasRecibos(const QSqlDatabase& db, int primeras, const std::function<bool()>& parar) {
    const QString sql =
        QStringLiteral("SELECT %1, m.Des, q.Nom, c.Fec, c.Base, c.PorIva, c.IVA, c.PorRet, c.Ret,"
                       " c.Tot, c.Pag, c.Anu, %2 FROM (tblCobros c LEFT JOIN"
                       " tblInmuebles m ON c.IdInm = m.Id) LEFT JOIN tblInquilinos q"
                       " ON c.IdInq = q.Id ORDER BY c.Fec, c.Ser, c.Num")
            .arg(sqlUnir({QStringLiteral("c.Num"), QStringLiteral("c.Ser")}),
                 SumasRecibos::columnas(QStringLiteral("%1")));
    // One row over, to know whether there are more.
    QSqlQuery q = primeras > 0 ? ejecutar(db, sql + QStringLiteral(" LIMIT ?"), {primeras + 1})
                               : ejecutar(db, sql);
    FilasLista lista{{QStringLiteral("numero"), QStringLiteral("inmueble"),
                      QStringLiteral("inquilino"), QStringLiteral("fecha"), QStringLiteral("base"),
                      QStringLiteral("porIva"), QStringLiteral("iva"), QStringLiteral("porRet"),
                      QStringLiteral("ret"), QStringLiteral("total"), QStringLiteral("pagado")},
                     {},
                     {},
                     true};
    SumasRecibos sumas;
    bool hayMas = false;
    leerFilas(lista, q, parar, [&](FilasLista& l, const QSqlQuery& q) {
        if (primeras > 0 && l.filas.size() == primeras) {
            hayMas = true;
            return;
        }
        anadirFila(l, q, 0,
                   {fecha(q, 3), importe(q, 4), porcentaje(q, 5), importe(q, 6), porcentaje(q, 7),
                    importe(q, 8), importe(q, 9),
                    q.value(11).toInt() != 0 ? kMarcaAnulado : siNo(q, 10)});
        sumas.sumar(q, 12);
    });
    if (hayMas) {
        lista.completa = false;
        sumas = sumasRecibos(db);
    } else {
        sumas.cuenta = lista.filas.size();
    }
    lista.totales = sumas.textos();
    return lista;
}

Dato objetoDe(const ParametrosInforme& textos) {
    Dato objeto;
    for (auto it = textos.cbegin(); it != textos.cend(); ++it)
        poner(objeto, utf8(it.key()), it.value());
    return objeto;
}

bool esLista(const QString& nombre) {
    return nombre == QLatin1String("Inmuebles") || nombre == QLatin1String("Inquilinos") ||
           nombre == QLatin1String("Recibos");
}

// The template gets one row of marks; the painter finds it and repeats it per row.
Dato filaDeMarcas(const FilasLista& lista) {
    Dato fila;
    for (qsizetype i = 0; i < lista.claves.size(); ++i)
        fila.set(utf8(lista.claves[i]), utf8(QString(marcaCampo(i))));
    Dato filas(Dato::type::list);
    filas.push_back(fila);
    return filas;
}

bool esDocumento(const QString& nombre) {
    return nombre == QLatin1String("Recibo") || nombre == QLatin1String("Factura");
}

// The data set of a template name, of document id for a receipt or an invoice; fills error
// when it cannot be made.
Dato datosDe(Fuentes& f, const QString& nombre, std::optional<int> id, QString& titulo,
             QString& error, std::shared_ptr<const FilasLista>& filas) {
    Dato datos;
    datos.set("empresa", f.datosEmpresa());
    datos.set("hoy", utf8(formatoFecha(Hoy())));
    titulo = nombre;
    if (esDocumento(nombre)) {
        QString numero;
        if (!id)
            error = QStringLiteral("Falta el documento que imprimir");
        else if (!anadirDocumento(f, datos, *id, numero))
            error = QStringLiteral("No existe el documento %1").arg(*id);
        titulo += QLatin1Char(' ') + numero;
    } else if (!filas && esLista(nombre)) {
        filas = std::make_shared<FilasLista>(leerFilasLista(Conexion(), nombre));
    }
    if (filas) {
        datos.set("filas", filaDeMarcas(*filas));
        if (!filas->totales.isEmpty()) datos.set("totales", objetoDe(filas->totales));
    }
    return datos;
}

Dato datosDe(const QString& nombre, std::optional<int> id, QString& titulo, QString& error,
             std::shared_ptr<const FilasLista>& filas) {
    Fuentes f;
    return datosDe(f, nombre, id, titulo, error, filas);
}

// The tenant's name a document's data holds, for its file's name.
QString nombreInquilino(const Dato& datos) {
    const Dato* inquilino = datos.get("inquilino");
    const Dato* nombre = inquilino ? inquilino->get("nombre") : nullptr;
    return nombre && nombre->is_string() ? QString::fromStdString(nombre->string_value())
                                         : QString();
}

QString errorPlantilla(const QString& archivo, const QString& motivo) {
    return QStringLiteral("La plantilla %1 tiene un error: %2").arg(archivo, motivo);
}

// carpeta/<nombre>.rpt read, checked and parsed; empty with error filled when it cannot be.
std::shared_ptr<PlantillaPreparada> leerPlantilla(const QString& carpeta, const QString& nombre,
                                                  QString& error) {
    const QString archivo = nombre + QStringLiteral(".rpt");
    const QString ruta = rutaPlantilla(carpeta, nombre);
    QFile fuente(ruta);
    if (ruta.isEmpty() || !fuente.exists()) {
        error = kPlantillaNoEncontrada;
        return {};
    }
    if (!fuente.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("No se puede leer la plantilla %1").arg(archivo);
        return {};
    }
    // One byte over the bound is enough to refuse; the rest is never read.
    auto plantilla =
        std::make_shared<PlantillaPreparada>(fuente.read(kMaximoPlantilla + 1).toStdString());
    if (!plantilla->motivo().isEmpty()) {
        error = errorPlantilla(archivo, plantilla->motivo());
        return {};
    }
    return plantilla;
}

// Fills plantilla (nombre's, or why it could not be read) with what datos() gives plus the
// parameters and renders it.
InformeGenerado renderizar(PlantillaPreparada* plantilla, const QString& error,
                           const QString& nombre, const ParametrosInforme& parametros,
                           const std::function<Dato(InformeGenerado&)>& datos,
                           bool moldeado = false) {
    InformeGenerado resultado;
    resultado.error = error;
    if (!plantilla) return resultado;
    try {
        Dato valores = datos(resultado);
        if (!resultado.valido()) return resultado;
        for (auto it = parametros.cbegin(); it != parametros.cend(); ++it)
            poner(valores, utf8(it.key()), it.value());
        const Renderizado hecho = plantilla->renderizar(valores, kMaximoResultado, moldeado);
        if (!hecho.motivo.isEmpty()) {
            resultado.error = errorPlantilla(nombre + QStringLiteral(".rpt"), hecho.motivo);
            return resultado;
        }
        resultado.html = QString::fromStdString(hecho.texto);
        resultado.molde = QString::fromStdString(hecho.molde);
        resultado.valores.reserve(qsizetype(hecho.valores.size()));
        for (const std::string& valor : hecho.valores)
            resultado.valores << QString::fromStdString(valor);
    } catch (const ErrorBD& e) {
        resultado.error = e.texto();
    }
    return resultado;
}

// molde as the same text of formas when there is one; else kept there, while they are few.
void compartirForma(QSet<QString>& formas, QString& molde) {
    constexpr qsizetype kMaximoFormas = 64;
    if (molde.isEmpty()) return;
    if (const auto igual = formas.constFind(molde); igual != formas.cend())
        molde = *igual;
    else if (formas.size() < kMaximoFormas)
        formas.insert(molde);
}

// Reads the template and renders it as above.
InformeGenerado renderizar(const QString& carpeta, const QString& nombre,
                           const ParametrosInforme& parametros,
                           const std::function<Dato(InformeGenerado&)>& datos) {
    QString error;
    const auto plantilla = leerPlantilla(carpeta, nombre, error);
    return renderizar(plantilla.get(), error, nombre, parametros, datos);
}

} // namespace

// Private-use characters: no data or template text holds them.
constexpr char16_t kPrimeraMarca = 0xE000;
constexpr char16_t kUltimaMarca = 0xE0FF;

QChar marcaCampo(qsizetype indice) {
    return QChar(static_cast<char16_t>(kPrimeraMarca + indice));
}

int campoMarcado(QChar c) {
    return c.unicode() >= kPrimeraMarca && c.unicode() <= kUltimaMarca ? c.unicode() - kPrimeraMarca
                                                                       : -1;
}

InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros) {
    return renderizar(carpeta, nombre, parametros, [&](InformeGenerado& r) {
        return datosDe(nombre, std::nullopt, r.nombre, r.error, r.filas);
    });
}

QString plantillaDocumento(int id) {
    return seImprimeComoFactura(id) ? QStringLiteral("Factura") : QStringLiteral("Recibo");
}

struct LoteDocumentos::Datos {
    QString carpeta;
    Fuentes fuentes;
    /** Each template as first read: prepared, or why it cannot be used. */
    QHash<QString, std::pair<std::shared_ptr<PlantillaPreparada>, QString>> plantillas;
    bool moldes = false;
    /** The shapes given so far: a run's documents share a few, each held once. */
    QSet<QString> formas;
};

LoteDocumentos::LoteDocumentos(const QString& carpeta, bool moldes)
    : d_(std::make_unique<Datos>()) {
    d_->carpeta = carpeta;
    d_->moldes = moldes;
}

LoteDocumentos::~LoteDocumentos() = default;

void LoteDocumentos::anticipar(const QList<int>& ids) {
    QHash<int, EstadoDocumento> estados;
    try {
        for (const EstadoDocumento& e : leerEstados(ids))
            estados.insert(e.id, e);
    } catch (const ErrorBD&) {
        // Each document reads its own then, and says what fails.
        return;
    }
    d_->fuentes.estados = std::move(estados);
}

bool LoteDocumentos::existe(int id) {
    const auto& estados = d_->fuentes.estados;
    if (estados && estados->contains(id)) return true;
    return intentar([id] { return leerCabecera(id).has_value(); }).valorO(false);
}

InformeGenerado LoteDocumentos::generar(int id) {
    const auto estado = d_->fuentes.estados ? d_->fuentes.estado(id) : std::nullopt;
    if (estado)
        return generar(estado->factura ? QStringLiteral("Factura") : QStringLiteral("Recibo"), id);
    InformeGenerado informe;
    try {
        return generar(plantillaDocumento(id), id);
    } catch (const ErrorBD& e) {
        informe.error = e.texto();
    }
    return informe;
}

InformeGenerado LoteDocumentos::generar(const QString& plantilla, int id) {
    InformeGenerado informe;
    if (!esDocumento(plantilla)) {
        informe.error = QStringLiteral("La plantilla %1 no es de un documento").arg(plantilla);
        return informe;
    }
    auto leida = d_->plantillas.constFind(plantilla);
    if (leida == d_->plantillas.cend()) {
        QString error;
        auto preparada = leerPlantilla(d_->carpeta, plantilla, error);
        leida = d_->plantillas.insert(plantilla, {std::move(preparada), error});
    }
    Fuentes& f = d_->fuentes;
    informe = renderizar(
        leida->first.get(), leida->second, plantilla, {},
        [&](InformeGenerado& r) {
            Dato datos = datosDe(f, plantilla, id, r.nombre, r.error, r.filas);
            if (r.valido()) r.inquilino = nombreInquilino(datos);
            return datos;
        },
        d_->moldes);
    if (!informe.valido()) return informe;
    compartirForma(d_->formas, informe.molde);
    informe.documento = id;
    try {
        informe.qr = f.qr(id);
    } catch (const ErrorBD& e) {
        informe.error = e.texto();
    }
    return informe;
}

InformeGenerado generarDocumento(const QString& carpeta, const QString& plantilla, int id) {
    return LoteDocumentos(carpeta).generar(plantilla, id);
}

InformeGenerado rellenarTextoDocumento(const QString& texto, int id) {
    InformeGenerado resultado;
    try {
        const Dato datos =
            datosDe(plantillaDocumento(id), id, resultado.nombre, resultado.error, resultado.filas);
        if (!resultado.valido()) return resultado;
        const Renderizado hecho =
            renderizarPlantilla(utf8(texto), datos, kMaximoPlantilla, /*enHtml=*/false);
        if (!hecho.motivo.isEmpty())
            resultado.error =
                QStringLiteral("La plantilla del mensaje tiene un error: %1").arg(hecho.motivo);
        else
            resultado.html = QString::fromStdString(hecho.texto);
    } catch (const ErrorBD& e) {
        resultado.error = e.texto();
    }
    resultado.documento = id;
    return resultado;
}

FilasLista leerFilasLista(const QSqlDatabase& db, const QString& nombre, int primeras,
                          const std::function<bool()>& parar) {
    FilasLista filas;
    if (nombre == QLatin1String("Inmuebles"))
        filas = filasInmuebles(db, parar);
    else if (nombre == QLatin1String("Inquilinos"))
        filas = filasInquilinos(db, parar);
    else if (nombre == QLatin1String("Recibos"))
        filas = filasRecibos(db, primeras, parar);
    // Held while the list is shown or printed.
    filas.filas.squeeze();
    return filas;
}

InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros,
                               std::shared_ptr<const FilasLista> filas) {
    return renderizar(carpeta, nombre, parametros, [&](InformeGenerado& r) {
        r.filas = filas;
        return datosDe(nombre, std::nullopt, r.nombre, r.error, r.filas);
    });
}

InformeGenerado generarInforme(const QString& carpeta, const QString& nombre,
                               const ParametrosInforme& parametros, const FilasInforme& filas) {
    return renderizar(carpeta, nombre, parametros, [&](InformeGenerado& resultado) {
        resultado.nombre = nombre;
        Dato datos;
        datos.set("empresa", empresa());
        datos.set("hoy", utf8(formatoFecha(Hoy())));
        datos.set("totales", objetoDe(filas.totales));
        if (filas.filas.isEmpty()) {
            datos.set("filas", Dato(Dato::type::list));
            return datos;
        }
        // Painted row by row like every other list.
        auto lista = std::make_shared<FilasLista>();
        lista->claves = filas.filas.first().keys();
        lista->claves.sort();
        for (const ParametrosInforme& fila : filas.filas) {
            QStringList campos;
            for (const QString& clave : std::as_const(lista->claves))
                campos << fila.value(clave);
            lista->filas << campos.join(FilasLista::kSeparadorCampos);
        }
        datos.set("filas", filaDeMarcas(*lista));
        resultado.filas = lista;
        return datos;
    });
}

QString rutaPlantilla(const QString& carpeta, const QString& nombre) {
    static const QRegularExpression nombreLimpio(QStringLiteral("^[^/\\\\.][^/\\\\]*$"));
    if (!nombreLimpio.match(nombre).hasMatch()) return {};
    const QString ruta = carpeta + QLatin1Char('/') + nombre + QStringLiteral(".rpt");
    // A link that leads out of the folder is refused like a name with "../".
    const QString real = QFileInfo(ruta).canonicalFilePath();
    const QString base = QFileInfo(carpeta).canonicalFilePath();
    if (!real.isEmpty() && !real.startsWith(base + QLatin1Char('/'))) return {};
    return ruta;
}

} // namespace torvane
