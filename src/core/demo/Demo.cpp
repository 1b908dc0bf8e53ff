#include "core/demo/Demo.h"

#include "core/documents/Totales.h"
#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Privado.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace torvane {

QString escribirPlantillas(const QString& carpeta) {
    const QString destino = carpeta + QStringLiteral("/Informes");
    if (!crearCarpetaPrivada(destino)) return QStringLiteral("No se pudo crear %1").arg(destino);
    QDirIterator it(QStringLiteral(":/informes"));
    while (it.hasNext()) {
        const QString origen = it.next();
        const QString archivo = destino + QLatin1Char('/') + it.fileName();
        if (QFile::exists(archivo)) continue;
        if (!QFile::copy(origen, archivo))
            return QStringLiteral("No se pudo escribir %1").arg(archivo);
        QFile::setPermissions(archivo, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                           QFile::ReadOther);
    }
    return {};
}

namespace {

Importe euros(qint64 enteros) {
    return Importe::deCentimos(enteros * 100);
}

/** A rate given in tenths of a percent: 52 is 5,2 %. */
Decimal decimas(int tasa) {
    return Decimal::deDiezmilesimas(tasa * (Decimal::kEscala / 10));
}

void insertarTiposIva() {
    const struct {
        int tipo;
        int iva, recargo; ///< tenths of a percent
    } tipos[] = {{1, 210, 52}, {2, 100, 14}, {3, 40, 5}, {4, 0, 0}};
    for (const auto& t : tipos)
        ejecutar(QStringLiteral("INSERT INTO tblIva (TIV, IVA, Req, Activo) VALUES (?, ?, ?, 1)"),
                 {t.tipo, guardar(decimas(t.iva)), guardar(decimas(t.recargo))});
}

const QStringList kNombres = {
    QStringLiteral("María"),  QStringLiteral("José"),   QStringLiteral("Antonio"),
    QStringLiteral("Carmen"), QStringLiteral("Manuel"), QStringLiteral("Lucía"),
    QStringLiteral("Xosé"),   QStringLiteral("Iria"),   QStringLiteral("Andrés"),
    QStringLiteral("Begoña"), QStringLiteral("Íñigo"),  QStringLiteral("Rocío")};
const QStringList kApellidos = {
    QStringLiteral("García"),    QStringLiteral("Fernández"), QStringLiteral("López"),
    QStringLiteral("Martínez"),  QStringLiteral("Castro"),    QStringLiteral("Núñez"),
    QStringLiteral("Rodríguez"), QStringLiteral("Peña"),      QStringLiteral("Otero"),
    QStringLiteral("Varela"),    QStringLiteral("Muñiz"),     QStringLiteral("Souto")};
const QStringList kCalles = {QStringLiteral("Rúa do Vilar"),  QStringLiteral("Rúa Nova"),
                             QStringLiteral("Calle Real"),    QStringLiteral("Praza de España"),
                             QStringLiteral("Rúa San Pedro"), QStringLiteral("Avenida de Lugo")};
const QStringList kNegocios = {
    QStringLiteral("Ferretería Souto"),  QStringLiteral("Asesoría Otero y Varela"),
    QStringLiteral("Panadería O Forno"), QStringLiteral("Clínica Dental Peña"),
    QStringLiteral("Librería Castro"),   QStringLiteral("Estudio de Arquitectura Núñez")};

/** A town with its province and the postcodes of its streets (primero .. primero+cuantos-1). */
struct Poblacion {
    const char* nombre;
    const char* provincia;
    int primerCp;
    int codigos;
};

const Poblacion kPoblaciones[] = {{"Santiago de Compostela", "A Coruña", 15701, 7},
                                  {"A Coruña", "A Coruña", 15001, 11},
                                  {"Lugo", "Lugo", 27001, 4},
                                  {"Ourense", "Ourense", 32001, 5},
                                  {"Pontevedra", "Pontevedra", 36001, 5},
                                  {"Vigo", "Pontevedra", 36201, 16},
                                  {"Ferrol", "A Coruña", 15401, 6}};

/** How a property is let: the document it gets and the tax on it. */
struct Uso {
    const char* nombre;
    const char* serie;
    int porIva;
    int porRet;
    int renta;    ///< monthly rent in euros before the property's own step
    bool empresa; ///< let to a business, which has its own registered address
};

// Homes are VAT-exempt and get receipts; premises and offices, let to businesses, are invoiced
// with VAT and the tenant withholds income tax.
const Uso kVivienda = {"Piso", "A", 0, 0, 500, false};
const Uso kLocal = {"Local", "B", 21, 19, 900, true};
const Uso kOficina = {"Oficina", "B", 21, 19, 750, true};

// Every twelve properties: nine flats, two premises and an office.
const Uso& usoDe(int idInmueble) {
    switch (idInmueble % 12) {
    case 4:
    case 11:
        return kLocal;
    case 8:
        return kOficina;
    default:
        return kVivienda;
    }
}

struct Direccion {
    QString dir, cp, pob, pro;
};

Direccion direccionEn(int n, int numero) {
    const Poblacion& p = kPoblaciones[n % std::size(kPoblaciones)];
    return {QStringLiteral("%1, %2").arg(kCalles[n % kCalles.size()]).arg(numero),
            QString::number(p.primerCp + n % p.codigos).rightJustified(5, QLatin1Char('0')),
            QString::fromUtf8(p.nombre), QString::fromUtf8(p.provincia)};
}

void insertarEmpresa() {
    const QString cif = QStringLiteral("B15000003");
    // No withholding by default: most tenants are people renting their home. An S.L. is a
    // company: its homes run seven years.
    ejecutar(QStringLiteral(
                 "INSERT INTO tblTitulos (Empresa, CIF, NomCom, Enderezo, Poboacion, Telefonos,"
                 " Internet, RexMer, CtaBan, ProDat, PorRet, IdAcr, CtaRem, TipEmi)"
                 " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,1)"),
             {QStringLiteral("Alquileres Miño, S.L."), cif, QStringLiteral("Alquileres Miño"),
              QStringLiteral("Rúa do Franco, 12, 1º"),
              QStringLiteral("15705 Santiago de Compostela (A Coruña)"),
              QStringLiteral("981 000 111"),
              QStringLiteral("www.alquileresmino.es\ninfo@alquileresmino.es"),
              QStringLiteral("Registro Mercantil de A Coruña, tomo 1234, folio 56, hoja C-7890"),
              QStringLiteral("ES91 2100 0418 4502 0005 1332"),
              QStringLiteral("Sus datos se tratan solo para la gestión del alquiler."), 0.0,
              identificadorAcreedor(cif), QStringLiteral("ES9121000418450200051332")});
}

/** A real-form IBAN; tenant 5's has a digit mistyped, so a remittance leaves it out. */
QString ibanDemo(int id) {
    const QString entidadOficina = QStringLiteral("2080%1").arg(1000 + id % 9000);
    const QString cuenta = QString::number(1000000000LL + id * 7919LL);
    QString iban =
        calcularIban(QStringLiteral("ES"),
                     entidadOficina + digitosControlCuenta(entidadOficina, cuenta) + cuenta);
    if (id == 5) {
        const int ultima = iban.back().digitValue();
        iban[iban.size() - 1] = QChar(u'0' + (ultima + 1) % 10);
    }
    return iban;
}

/** A company tax number with its control character right. */
QString nifEmpresa(int id) {
    const QString base = QStringLiteral("B%1").arg(1510000 + id * 7919 % 89999);
    for (int d = 0;; ++d)
        if (nifValido(base + QString::number(d))) return base + QString::number(d);
}

// Every account holds a signed mandate but tenant 9's; one in three was signed lately and has
// had no debit yet, so a remittance sends it as a first debit.
void insertarCuenta(int id, int ano) {
    const bool sinMandato = id == 9;
    const bool nuevo = id % 3 == 1;
    const QVariant mandato = QStringLiteral("ALQ-%1").arg(id, 5, 10, QLatin1Char('0'));
    const QVariant firma = fechaIso(nuevo ? QDate(ano, 11, 20) : QDate(ano - 1, 12, 1));
    ejecutar(QStringLiteral("INSERT INTO tblInquilinosCuentas (Id, IBAN, Banco, Obs, IdInq, MndRef,"
                            " MndFec, MndPri) VALUES (?,?,?,?,?,?,?,?)"),
             {id, ibanDemo(id),
              id % 2 ? QStringLiteral("Abanca") : QStringLiteral("Banco Sabadell"), QString(), id,
              sinMandato ? QVariant() : mandato, sinMandato ? QVariant() : firma,
              nuevo || sinMandato ? 0 : 1});
}

void insertarConceptos(int cuantos) {
    const struct {
        const char* des;
        qint64 centimos;
    } base[] = {{"Renta mensual", 65000}, {"Agua", 1850},  {"Comunidad", 4500},
                {"Garaje", 6000},         {"Basura", 975}, {"Reparaciones", 0}};
    for (int i = 0; i < cuantos; ++i) {
        const auto& c = base[i % 6];
        const QString des =
            QString::fromUtf8(c.des) + (i < 6 ? QString() : QStringLiteral(" %1").arg(i / 6 + 1));
        ejecutar(
            QStringLiteral("INSERT INTO tblCobrosConceptos (Id, Des, Imp, Obs) VALUES (?,?,?,?)"),
            {i + 1, des, guardar(Importe::deCentimos(c.centimos)), QString()});
    }
}

QString nombrePersona(int i) {
    QString nombre = kNombres[i % kNombres.size()] + QLatin1Char(' ') +
                     kApellidos[(i / kNombres.size() + i) % kApellidos.size()] + QLatin1Char(' ') +
                     kApellidos[(i * 7 + 3) % kApellidos.size()];
    return i < kNombres.size() * kApellidos.size() ? nombre : nombre + QStringLiteral(" %1").arg(i);
}

QString nombreNegocio(int i) {
    const QString nombre = kNegocios[i % kNegocios.size()];
    const QString forma = QStringLiteral(", S.L.");
    return i < kNegocios.size() ? nombre + forma : nombre + QStringLiteral(" %1").arg(i) + forma;
}

// Tenant id rents property id: a business gets a company tax number and its registered
// address; one person in four lives elsewhere and gets documents at home.
void insertarInquilino(int id, int negocio) {
    const bool empresa = usoDe(id).empresa;
    const int dni = 32000000 + id * 7919;
    const QString nif = empresa ? nifEmpresa(id) : QString::number(dni) + letraDni(dni);
    Direccion propia;
    if (empresa || id % 4 == 2) propia = direccionEn(id + 3, id % 60 + 2);
    ejecutar(QStringLiteral("INSERT INTO tblInquilinos (Id, Nom, DNI, Tfn, Mob, Mail, Obs, Dir, CP,"
                            " Pob, Pro) VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
             {id, empresa ? nombreNegocio(negocio) : nombrePersona(id - 1), nif,
              QStringLiteral("981 %1").arg(100000 + id * 37 % 900000),
              QStringLiteral("6%1").arg(10000000 + id * 7121 % 89999999),
              QStringLiteral("inquilino%1@correo.es").arg(id), QString(),
              propia.dir.isEmpty() ? QVariant() : propia.dir,
              propia.cp.isEmpty() ? QVariant() : propia.cp,
              propia.pob.isEmpty() ? QVariant() : propia.pob,
              propia.pro.isEmpty() ? QVariant() : propia.pro});
}

void insertarInquilinos(int cuantos, int ano) {
    for (int i = 0, negocios = 0; i < cuantos; ++i) {
        const int id = i + 1;
        insertarInquilino(id, usoDe(id).empresa ? negocios++ : negocios);
        if (id % 3 == 0 && !usoDe(id).empresa)
            ejecutar(QStringLiteral("INSERT INTO tblInquilinosFamiliares (Id, Nom, DNI, Obs, IdInq)"
                                    " VALUES (?,?,?,?,?)"),
                     {id, nombrePersona(i + 5), QString(), QStringLiteral("Cónyuge"), id});
        insertarCuenta(id, ano);
    }
}

qint64 eurosDeRenta(int idInmueble) {
    return usoDe(idInmueble).renta + (idInmueble % 10) * 25;
}

Importe rentaDe(int idInmueble) {
    return euros(eurosDeRenta(idInmueble));
}

/** The price of a line of another concept than the rent: 17,50 €, 25,00 €... */
Importe precioConcepto(int concepto) {
    return Importe::deCentimos(1000 + concepto * 750);
}

/** Whole euros times a ratio in hundredths, to the euro (half up). */
qint64 eurosPor(qint64 euros, qint64 centesimas) {
    return (euros * centesimas + 50) / 100;
}

void insertarInmuebles(int cuantos, int inquilinos) {
    for (int i = 0; i < cuantos; ++i) {
        const int id = i + 1;
        // Most properties are let; every seventh is free.
        const int inquilino = (id % 7 == 0 || id > inquilinos) ? 0 : id;
        const Direccion d = direccionEn(i, id % 40 + 1);
        ejecutar(
            QStringLiteral("INSERT INTO tblInmuebles (Id, Des, Dir, CP, Pob, Pro, Pre, IdInq, Obs)"
                           " VALUES (?,?,?,?,?,?,?,?,?)"),
            {id,
             QStringLiteral("%1 %2 %3")
                 .arg(QString::fromUtf8(usoDe(id).nombre), kCalles[i % kCalles.size()])
                 .arg(id),
             d.dir, d.cp, d.pob, d.pro, guardar(rentaDe(id)), inquilino, QString()});
    }
}

/**
 * Each let property bills its rent every month, on its use's terms; a benchmark year with
 * several lines a document bills that many (rent first, then the other concepts).
 */
void insertarCargos(int lineas) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Id FROM tblInmuebles WHERE IdInq <> 0"));
    QList<int> alquilados;
    while (q.next())
        alquilados << q.value(0).toInt();
    QStringList conceptos;
    QSqlQuery c = ejecutar(QStringLiteral("SELECT Des FROM tblCobrosConceptos ORDER BY Id"));
    while (c.next())
        conceptos << c.value(0).toString();
    for (const int id : alquilados) {
        const Uso& uso = usoDe(id);
        ejecutar(QStringLiteral("UPDATE tblInmuebles SET CarPorIva = ?, CarPorRet = ?, CarFac = ?,"
                                " CarSer = ? WHERE Id = ?"),
                 {guardar(Decimal::deEntero(uso.porIva)), guardar(Decimal::deEntero(uso.porRet)),
                  uso.empresa ? 1 : 0, QString::fromUtf8(uso.serie), id});
        for (int l = 1; l <= std::max(lineas, 1); ++l)
            ejecutar(QStringLiteral("INSERT INTO tblInmueblesCargos (IdInm, Lin, IdCon, DesCon,"
                                    " Und, Pre) VALUES (?, ?, ?, ?, 1, ?)"),
                     {id, l, l, conceptos.value(l - 1),
                      guardar(l == 1 ? rentaDe(id) : precioConcepto(l))});
    }
}

void insertarContrato(const QVariantList& valores) {
    ejecutar(QStringLiteral("INSERT INTO tblContratos (IdInm, IdInq, Tip, FecIni, Dur, FecFin, Ren,"
                            " Reg, PorFij, FecAct, FiaImp, FiaMes, FiaFec, FiaDep, FiaRef, Act)"
                            " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
             valores);
}

/**
 * A contract per let property, signed before and after the IRAV cap began. Those signed in
 * December are updated in the month the monthly run proposes; the others were already updated
 * this year. One home's contract ends next January, and a past one still holds its deposit.
 */
void insertarContratos(int ano) {
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Id, IdInq FROM tblInmuebles WHERE IdInq <> 0"));
    QList<QPair<int, int>> alquilados;
    while (q.next())
        alquilados << qMakePair(q.value(0).toInt(), q.value(1).toInt());
    for (const auto& [id, inq] : alquilados) {
        const Uso& uso = usoDe(id);
        const bool vivienda = !uso.empresa;
        const int tipo = vivienda ? 0 : (QByteArray(uso.nombre) == "Local" ? 1 : 2);
        const bool terminaPronto = id == 2;
        const int mes = terminaPronto ? 2 : (id % 3 == 0 ? 12 : 1 + id * 5 % 11);
        const QDate inicio(ano - (terminaPronto ? 4 : 1 + id % 4), mes, 1);
        const int duracion = vivienda ? 60 : 120;
        const int regla = id % 5 == 1 ? 2 : (uso.porIva > 0 && tipo == 2 ? 3 : 1);
        const QDate actualizada(ano - (mes == 12 ? 1 : 0), mes, 1);
        const Importe renta = rentaDe(id);
        const int meses = vivienda ? 1 : 2;
        insertarContrato(
            {id, inq, tipo, fechaIso(inicio), duracion,
             fechaIso(inicio.addMonths(duracion).addDays(-1)), guardar(renta), regla,
             guardar(Decimal::deEntero(regla == 3 ? 3 : 0)),
             actualizada >= inicio.addYears(1) ? QVariant(fechaIso(actualizada)) : QVariant(),
             guardar(Importe::deCentimos(renta.centimos() * meses)),
             guardar(Decimal::deEntero(meses)), fechaIso(inicio.addDays(20)),
             QStringLiteral("IGVS (Xunta de Galicia)"),
             QStringLiteral("F-%1-%2").arg(inicio.year()).arg(id, 4, 10, QLatin1Char('0')), 1});
    }
    // A flat let until mid-November: its tenant's deposit is still to be returned.
    const QDate inicio(ano - 3, 11, 16);
    if (valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblInmuebles WHERE Id = 7")).toInt() > 0 &&
        valorUnico(QStringLiteral("SELECT COUNT(*) FROM tblInquilinos WHERE Id = 7")).toInt() > 0)
        insertarContrato({7, 7, 0, fechaIso(inicio), 36, fechaIso(inicio.addMonths(36).addDays(-1)),
                          guardar(rentaDe(7)), 1, guardar(Decimal()), QVariant(),
                          guardar(rentaDe(7)), guardar(Decimal::deEntero(1)),
                          fechaIso(inicio.addDays(20)), QStringLiteral("IGVS (Xunta de Galicia)"),
                          QStringLiteral("F-%1-0007").arg(inicio.year()), 0});
}

/**
 * Each property's tax data and a year of its bills: local tax in June, community fees every
 * quarter, insurance, a repair here and there with VAT, interest on the loans of a few, an
 * improvement and the agency's fee shared among every property. One flat's works cost more than
 * its rents, so part of them is left for later years.
 */
void insertarGastos(int ano, int inmuebles) {
    for (int id = 1; id <= inmuebles; ++id) {
        const bool vivienda = !usoDe(id).empresa;
        const qint64 catastral = eurosDeRenta(id) * 110;
        ejecutar(QStringLiteral("UPDATE tblInmuebles SET VCat = ?, VCatCon = ?, VCatRev = ?,"
                                " CosAdq = ?, FecAdq = ?, VMob = ?, Viv = ? WHERE Id = ?"),
                 {guardar(euros(catastral)), guardar(euros(eurosPor(catastral, 55))), id % 2,
                  guardar(euros(eurosPor(catastral, 170))),
                  fechaIso(QDate(ano - 8 - id % 9, 1 + id % 12, 15)),
                  guardar(euros(vivienda ? 4000 : 0)), vivienda ? 1 : 0, id});
    }
    struct Fijo {
        int tipo, mes, dia;
        const char* proveedor;
        const char* descripcion;
        qint64 importe; ///< whole euros, as are the VAT and the amounts below
        qint64 iva;
        int cada; ///< only properties whose Id is a multiple (1: all)
    };
    const Fijo fijos[] = {
        {0, 6, 10, "Concello", "IBI", 0, 0, 1},
        {1, 1, 5, "Comunidad de propietarios", "Cuota 1.er trimestre", 120, 0, 1},
        {1, 4, 5, "Comunidad de propietarios", "Cuota 2.º trimestre", 120, 0, 1},
        {1, 7, 5, "Comunidad de propietarios", "Cuota 3.er trimestre", 120, 0, 1},
        {1, 10, 5, "Comunidad de propietarios", "Cuota 4.º trimestre", 120, 0, 1},
        {2, 2, 1, "Seguros Atlántico", "Seguro del hogar", 210, 0, 1},
        {3, 5, 20, "Fontanería Souto", "Reparación de tubería", 363, 63, 3},
        {4, 12, 31, "Banco Galego", "Intereses del préstamo", 1450, 0, 4},
    };
    const auto gasto = [ano](int inm, int rep, const Fijo& f, qint64 importe, qint64 iva) {
        ejecutar(QStringLiteral("INSERT INTO tblGastos (Fec, IdInm, IdRep, Tip, Pro, NIF, Des, Imp,"
                                " IvaDed) VALUES (?,?,?,?,?,?,?,?,?)"),
                 {fechaIso(QDate(ano, f.mes, f.dia)), inm == 0 ? QVariant() : QVariant(inm),
                  rep == 0 ? QVariant() : QVariant(rep), f.tipo, QString::fromUtf8(f.proveedor),
                  nifEmpresa(f.tipo * 31 + 7), QString::fromUtf8(f.descripcion),
                  guardar(euros(importe)), guardar(euros(iva))});
    };
    for (int id = 1; id <= inmuebles; ++id)
        for (const Fijo& f : fijos)
            if (id % f.cada == 0)
                gasto(id, 0, f, f.importe > 0 ? f.importe + id * 3 : eurosPor(eurosDeRenta(id), 66),
                      f.iva);
    if (inmuebles >= 5) {
        gasto(5, 0, {3, 9, 12, "Reformas Castro", "Baño y cocina nuevos", 0, 0, 1}, 9680, 1680);
        gasto(3, 0, {8, 10, 3, "Carpintería Varela", "Ventanas nuevas", 0, 0, 1}, 6050, 1050);
    }
    ejecutar(
        QStringLiteral("INSERT INTO tblRepartos (Id, Des) VALUES (1, 'Todos a partes iguales')"));
    for (int id = 1; id <= inmuebles; ++id)
        ejecutar(
            QStringLiteral("INSERT INTO tblRepartosInmuebles (IdRep, IdInm, Par) VALUES (1, ?, ?)"),
            {id, guardar(Decimal::deEntero(1))});
    gasto(0, 1, {6, 12, 20, "Asesoría Otero y Varela", "Honorarios del año", 0, 0, 1}, 1452, 252);
}

/** Inserts documents with statements prepared once: a benchmark year holds 100,000 of them. */
class Documentos {
public:
    explicit Documentos(const QStringList& conceptos)
        : conceptos_(conceptos)
        , cabecera_(Conexion())
        , linea_(Conexion()) {
        cabecera_.prepare(QStringLiteral(
            "INSERT INTO tblCobros (Id, Num, Ser, IdInq, IdInm, Fec, Tri, PorRet, PorIva, Pag,"
            " SubTotal, Ret, Base, IVA, Tot, Obs, FecPag, ForPag, Fac)"
            " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        linea_.prepare(
            QStringLiteral("INSERT INTO tblCobrosDetalles (Id, IdDoc, Lin, IdCon, DesCon,"
                           " Und, Pre, Imp) VALUES (?,?,?,?,?,?,?,?)"));
    }

    void insertar(int inmueble, int inquilino, const QDate& fecha, int lineas, bool pagado) {
        const int id = ++id_;
        const Uso& uso = usoDe(inmueble);
        const QString serie = QString::fromUtf8(uso.serie);
        const int numero = ++numeros_[serie];
        Importe subtotal;
        for (int l = 1; l <= lineas; ++l) {
            const int concepto = 1 + (l - 1) % conceptos_.size();
            const Importe precio = concepto == 1 ? rentaDe(inmueble) : precioConcepto(concepto);
            subtotal += precio;
            ejecutarPreparada(linea_,
                              {++idLinea_, id, l, concepto, conceptos_[concepto - 1],
                               guardar(Decimal::deEntero(1)), guardar(precio), guardar(precio)});
        }
        const Decimal porRet = Decimal::deEntero(uso.porRet),
                      porIva = Decimal::deEntero(uso.porIva);
        const Totales t = *calcularTotales(subtotal, porRet, porIva);
        // Paid by transfer a few days after the document, never after today.
        const QDate pago = std::min(fecha.addDays(3 + inmueble % 5), std::max(fecha, Hoy()));
        ejecutarPreparada(
            cabecera_,
            {id, numero, serie, inquilino, inmueble, fechaIso(fecha), (fecha.month() - 1) / 3 + 1,
             guardar(porRet), guardar(porIva), pagado ? 1 : 0, guardar(t.subtotal),
             guardar(t.retencion), guardar(t.base), guardar(t.iva), guardar(t.total), QString(),
             pagado ? QVariant(fechaIso(pago)) : QVariant(),
             pagado ? QVariant(QStringLiteral("Transferencia")) : QVariant(), uso.empresa ? 1 : 0});
    }

private:
    static void ejecutarPreparada(QSqlQuery& q, const QVariantList& valores) {
        for (int i = 0; i < valores.size(); ++i)
            q.bindValue(i, valores[i]);
        if (!q.exec()) throw ErrorBD(q.lastError().text());
    }

    QStringList conceptos_;
    QSqlQuery cabecera_;
    QSqlQuery linea_;
    int id_ = 0;
    int idLinea_ = 0;
    QHash<QString, int> numeros_; ///< last number given in each series
};

void insertarDocumentos(const TamanoDemo& tamano, int ano) {
    QStringList conceptos;
    QSqlQuery q = ejecutar(QStringLiteral("SELECT Des FROM tblCobrosConceptos ORDER BY Id"));
    while (q.next())
        conceptos << q.value(0).toString();
    Documentos documentos(conceptos);
    const QDate hoy = Hoy();
    if (tamano.documentos == 0) {
        // A rent document per let property and month; water and community every quarter.
        // December is left to be issued with "Emitir el mes". Whatever the day the demo is
        // made, October and November keep some documents unpaid: there is something to remit,
        // mark paid and chase.
        for (int mes = 1; mes <= 11; ++mes)
            for (int inm = 1; inm <= tamano.inmuebles; ++inm) {
                if (inm % 7 == 0 || inm > tamano.inquilinos) continue;
                const QDate fecha(ano, mes, 1 + inm % 5);
                const int lineas = mes % 3 == 0 ? 3 : 1;
                const bool pendiente = (mes == 11 && inm % 3 != 0) || (mes == 10 && inm % 3 == 1);
                documentos.insertar(inm, inm, fecha, lineas,
                                    fecha < hoy.addMonths(-1) && !pendiente);
            }
        return;
    }
    auto* azar = QRandomGenerator::global();
    for (int i = 0; i < tamano.documentos; ++i) {
        const int inm = 1 + i % tamano.inmuebles;
        const QDate fecha = QDate(ano, 1, 1).addDays(static_cast<int>(azar->bounded(365)));
        documentos.insertar(inm, 1 + i % tamano.inquilinos, fecha,
                            tamano.lineasPorDocumento > 0 ? tamano.lineasPorDocumento : 1,
                            azar->bounded(4) != 0);
    }
}

QString rellenar(const TamanoDemo& tamano, int ano) {
    try {
        Transaccion transaccion;
        insertarTiposIva();
        ejecutar(QStringLiteral(
            "INSERT INTO tblSeriesF (Id, Cod, Des) VALUES (1, 'A', 'Recibos de vivienda')"));
        ejecutar(QStringLiteral("INSERT INTO tblSeriesF (Id, Cod, Des) VALUES (2, 'B', 'Facturas "
                                "de locales y oficinas')"));
        insertarEmpresa();
        insertarConceptos(tamano.conceptos);
        insertarInquilinos(tamano.inquilinos, ano);
        insertarInmuebles(tamano.inmuebles, tamano.inquilinos);
        insertarCargos(tamano.lineasPorDocumento);
        if (tamano.documentos == 0) insertarContratos(ano);
        if (tamano.documentos == 0) insertarGastos(ano, tamano.inmuebles);
        insertarDocumentos(tamano, ano);
        transaccion.confirmar();
    } catch (const ErrorBD& error) {
        return error.texto();
    }
    return {};
}

QString crearBase(const QString& carpeta, const QString& ano) {
    const QString carpetaAno = carpeta + QLatin1Char('/') + ano;
    if (!crearCarpetaPrivada(carpetaAno))
        return QStringLiteral("No se pudo crear la carpeta %1").arg(carpetaAno);
    if (const QString error = crearBaseDatos(carpetaAno + QStringLiteral("/Zudivoz.mdb"));
        !error.isEmpty())
        return error;
    return escribirPlantillas(carpeta);
}

} // namespace

QString crearAno(const QString& carpeta, const QString& ano) {
    if (const QString error = crearBase(carpeta, ano); !error.isEmpty()) return error;
    if (const QString error =
            abrirBaseDatos(carpeta + QLatin1Char('/') + ano + QStringLiteral("/Zudivoz.mdb"));
        !error.isEmpty())
        return error;
    QString error;
    try {
        Transaccion transaccion;
        insertarTiposIva();
        QSqlQuery q(Conexion());
        error = prepararAnoNuevo(q);
        if (error.isEmpty()) transaccion.confirmar();
    } catch (const ErrorBD& e) {
        error = e.texto();
    }
    cerrarBaseDatos();
    return error;
}

QString crearDemo(const QString& carpeta, const QString& ano, const TamanoDemo& tamano) {
    if (const QString error = crearBase(carpeta, ano); !error.isEmpty()) return error;
    if (const QString error =
            abrirBaseDatos(carpeta + QLatin1Char('/') + ano + QStringLiteral("/Zudivoz.mdb"));
        !error.isEmpty())
        return error;
    const QString error = rellenar(tamano, ano.toInt() > 0 ? ano.toInt() : Hoy().year());
    cerrarBaseDatos();
    return error;
}

} // namespace torvane
