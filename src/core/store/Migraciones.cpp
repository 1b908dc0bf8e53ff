#include "core/store/Migraciones.h"

#include "core/store/Centimos.h"
#include "core/store/Privado.h"
#include "core/store/Servidor.h"
#include "core/text/Plegado.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <functional>
#include <vector>

namespace torvane {

namespace {

/** One step of the format: the version it produces and what it runs. */
struct Paso {
    int version;
    std::function<QString(QSqlQuery&)> aplicar;
};

// Statements are UTF-8: trigger messages carry Spanish text.
QString ejecutarTodas(QSqlQuery& q, std::initializer_list<const char*> sentencias) {
    for (const char* sentencia : sentencias)
        if (!q.exec(QString::fromUtf8(sentencia))) return q.lastError().text();
    return {};
}

QString crearIndiceNumeros(QSqlQuery& q) {
    // Once the index is there the numbers are unique: no need to read the year again.
    if (q.driver()->dbmsType() == QSqlDriver::SQLite) {
        if (!q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index'"
                                   " AND name = 'ixCobrosNumeroUnico'")))
            return q.lastError().text();
        const bool hecho = q.next();
        q.finish();
        if (hecho) return {};
    }
    if (!q.exec(QStringLiteral("SELECT 1 FROM tblCobros GROUP BY upper(Ser), Num"
                               " HAVING COUNT(*) > 1 LIMIT 1")))
        return q.lastError().text();
    const bool repetidos = q.next();
    q.finish();
    if (repetidos) return {};
    // Built-in functions only, so any sqlite3 shell can still open and change the file.
    if (!q.exec(QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS ixCobrosNumeroUnico"
                               " ON tblCobros (upper(Ser), Num)")))
        return q.lastError().text();
    return {};
}

QString crearTablasVerifactu(QSqlQuery& q) {
    return ejecutarTodas(
        q, {"CREATE TABLE tblVerifactu (Id INTEGER PRIMARY KEY, Activo INTEGER NOT NULL DEFAULT 0,"
            " Desde TEXT, SerieRect TEXT, Pruebas INTEGER NOT NULL DEFAULT 1, HuellaAnt TEXT,"
            " NumSerieAnt TEXT, FechaAnt TEXT, EsperaHasta TEXT, IdDesde INTEGER DEFAULT 0)",
            "ALTER TABLE tblSeriesF ADD COLUMN Factura INTEGER NOT NULL DEFAULT 0",
            "ALTER TABLE tblCobros ADD COLUMN IdRect INTEGER",
            "ALTER TABLE tblCobros ADD COLUMN TipoRect TEXT",
            "ALTER TABLE tblCobros ADD COLUMN MotivoRect TEXT",
            "CREATE TABLE tblRegistros (Id INTEGER PRIMARY KEY, IdDoc INTEGER NOT NULL,"
            " Tipo TEXT NOT NULL, Nif TEXT, Nombre TEXT, NumSerie TEXT, Fecha TEXT,"
            " TipoFactura TEXT, RectNumSerie TEXT, RectFecha TEXT, Descripcion TEXT, DestNif TEXT,"
            " DestNombre TEXT, PorIva TEXT, Exencion TEXT, Base TEXT, Cuota TEXT, Importe TEXT,"
            " HuellaAnt TEXT, FechaHora TEXT NOT NULL, Huella TEXT NOT NULL, Sistema TEXT)",
            "CREATE INDEX ixRegistrosDoc ON tblRegistros (IdDoc)",
            "CREATE TABLE tblRegistrosRespuestas (Id INTEGER PRIMARY KEY, IdReg INTEGER NOT NULL,"
            " FechaHora TEXT, Estado TEXT NOT NULL, Codigo TEXT, Descripcion TEXT, Csv TEXT)",
            "CREATE INDEX ixRespuestasRegistro ON tblRegistrosRespuestas (IdReg)",
            "CREATE TRIGGER trgRegistrosSinCambios BEFORE UPDATE ON tblRegistros BEGIN"
            " SELECT RAISE(ABORT, 'Los registros de facturación no se pueden cambiar'); END",
            "CREATE TRIGGER trgRegistrosSinBorrar BEFORE DELETE ON tblRegistros BEGIN"
            " SELECT RAISE(ABORT, 'Los registros de facturación no se pueden borrar'); END",
            "CREATE TRIGGER trgRespuestasSinCambios BEFORE UPDATE ON tblRegistrosRespuestas BEGIN"
            " SELECT RAISE(ABORT, 'Las respuestas de la AEAT no se pueden cambiar'); END",
            "CREATE TRIGGER trgRespuestasSinBorrar BEFORE DELETE ON tblRegistrosRespuestas BEGIN"
            " SELECT RAISE(ABORT, 'Las respuestas de la AEAT no se pueden borrar'); END",
            "CREATE TRIGGER trgFacturaSinCambios BEFORE UPDATE ON tblCobros"
            " WHEN EXISTS (SELECT 1 FROM tblRegistros WHERE IdDoc = OLD.Id) AND (OLD.Num IS NOT"
            " NEW.Num OR OLD.Ser IS NOT NEW.Ser OR OLD.Fec IS NOT NEW.Fec OR OLD.IdInq IS NOT"
            " NEW.IdInq OR OLD.IdInm IS NOT NEW.IdInm OR OLD.PorIva IS NOT NEW.PorIva OR OLD.PorRet"
            " IS NOT NEW.PorRet OR OLD.Base IS NOT NEW.Base OR OLD.IVA IS NOT NEW.IVA OR OLD.Tot IS"
            " NOT NEW.Tot) BEGIN SELECT RAISE(ABORT, 'Esta factura está registrada: no se puede"
            " cambiar'); END",
            "CREATE TRIGGER trgFacturaSinBorrar BEFORE DELETE ON tblCobros"
            " WHEN EXISTS (SELECT 1 FROM tblRegistros WHERE IdDoc = OLD.Id) BEGIN"
            " SELECT RAISE(ABORT, 'Esta factura está registrada: no se puede borrar'); END",
            "CREATE TRIGGER trgLineasNuevas BEFORE INSERT ON tblCobrosDetalles"
            " WHEN EXISTS (SELECT 1 FROM tblRegistros WHERE IdDoc = NEW.IdDoc) BEGIN"
            " SELECT RAISE(ABORT, 'Esta factura está registrada: no se puede cambiar'); END",
            "CREATE TRIGGER trgLineasCambiadas BEFORE UPDATE ON tblCobrosDetalles"
            " WHEN EXISTS (SELECT 1 FROM tblRegistros WHERE IdDoc IN (OLD.IdDoc, NEW.IdDoc)) BEGIN"
            " SELECT RAISE(ABORT, 'Esta factura está registrada: no se puede cambiar'); END",
            "CREATE TRIGGER trgLineasBorradas BEFORE DELETE ON tblCobrosDetalles"
            " WHEN EXISTS (SELECT 1 FROM tblRegistros WHERE IdDoc = OLD.IdDoc) BEGIN"
            " SELECT RAISE(ABORT, 'Esta factura está registrada: no se puede cambiar'); END"});
}

// A text index of three-character pieces of each name, folded as the filters fold: a
// substring is found without reading every row. The engine keeps it in step with its table in
// the writer's own transaction (pliegue() is registered on every connection that writes).
QString crearIndiceTexto(QSqlQuery& q, const QString& tabla, const QString& columna) {
    const QString indice = QStringLiteral("fts") + tabla.mid(3);
    const QString nuevo =
        QStringLiteral("INSERT INTO %1 (rowid, Txt) VALUES (NEW.Id, pliegue(NEW.%2));")
            .arg(indice, columna);
    const QString viejo = QStringLiteral("DELETE FROM %1 WHERE rowid = OLD.Id;").arg(indice);
    for (const QString& sentencia :
         {QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(Txt,"
                         " tokenize = 'trigram case_sensitive 1')")
              .arg(indice),
          QStringLiteral("INSERT INTO %1 (rowid, Txt) SELECT Id, pliegue(%3) FROM %2")
              .arg(indice, tabla, columna),
          QStringLiteral("CREATE TRIGGER trg%1Alta AFTER INSERT ON %2 BEGIN %3 END")
              .arg(indice, tabla, nuevo),
          QStringLiteral("CREATE TRIGGER trg%1Cambio AFTER UPDATE OF Id, %3 ON %2 BEGIN %4 %5 END")
              .arg(indice, tabla, columna, viejo, nuevo),
          QStringLiteral("CREATE TRIGGER trg%1Baja AFTER DELETE ON %2 BEGIN %3 END")
              .arg(indice, tabla, viejo)})
        if (!q.exec(sentencia)) return q.lastError().text();
    return {};
}

// Steps in order; each appends, none is ever edited once released.
const std::vector<Paso>& pasos() {
    static const std::vector<Paso> lista = {
        // 2: the tenant's own address, and the exemption wording printed on exempt invoices.
        {2,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"ALTER TABLE tblInquilinos ADD COLUMN Dir TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN CP TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN Pob TEXT",
                                      "ALTER TABLE tblInquilinos ADD COLUMN Pro TEXT",
                                      "ALTER TABLE tblTitulos ADD COLUMN TxtExento TEXT"});
         }},
        // 3: no two documents share a (series, number), series compared without regard to case.
        // A file that already repeats one still opens; the index comes once the repeats are gone.
        {3, [](QSqlQuery& q) { return crearIndiceNumeros(q); }},
        // 4: the year's count, total and monthly statistics read from one index alone.
        {4,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"CREATE INDEX ixCobrosResumen ON tblCobros"
                                      " (Fec, Pag, Ser, Tot, IdInm)"});
         }},
        // 5: the monthly run. What each property bills every month (its terms on tblInmuebles,
        // its lines in tblInmueblesCargos), and the runs, so the last one can be undone while
        // none of its documents was paid or printed (Imp) and the kind each prints as (Fac).
        {5,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"ALTER TABLE tblInmuebles ADD COLUMN CarPorIva REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN CarPorRet REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN CarFac INTEGER NOT NULL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN CarSer TEXT",
                     "CREATE TABLE tblInmueblesCargos (Id INTEGER PRIMARY KEY, IdInm INTEGER NOT"
                     " NULL, Lin INTEGER, IdCon INTEGER, DesCon TEXT, Und REAL DEFAULT 0,"
                     " Pre REAL DEFAULT 0)",
                     "CREATE INDEX ixCargosInmueble ON tblInmueblesCargos (IdInm, Lin)",
                     "CREATE TABLE tblEmisiones (Id INTEGER PRIMARY KEY, Fec TEXT)",
                     "ALTER TABLE tblCobros ADD COLUMN IdEmi INTEGER",
                     "ALTER TABLE tblCobros ADD COLUMN Fac INTEGER NOT NULL DEFAULT 0",
                     "ALTER TABLE tblCobros ADD COLUMN Imp INTEGER NOT NULL DEFAULT 0",
                     "CREATE INDEX ixCobrosEmision ON tblCobros (IdEmi)"});
         }},
        // 6: the global search finds a document by its number or its amount with a lookup
        // each, not a scan of the year.
        {6,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"CREATE INDEX ixCobrosNumero ON tblCobros (Num)",
                                      "CREATE INDEX ixCobrosTotal ON tblCobros (Tot)"});
         }},
        // 7: contracts (one current per property), each rent update kept, and the index rates
        // typed for each month, proposed again the next time.
        {7,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"CREATE TABLE tblContratos (Id INTEGER PRIMARY KEY, IdInm INTEGER NOT NULL,"
                     " IdInq INTEGER, Tip INTEGER NOT NULL DEFAULT 0, FecIni TEXT, Dur INTEGER"
                     " DEFAULT 12, Pro INTEGER DEFAULT 0, FecFin TEXT, Ren REAL DEFAULT 0,"
                     " Reg INTEGER NOT NULL DEFAULT 0, PorFij REAL DEFAULT 0, MesAct INTEGER"
                     " DEFAULT 0, FecAct TEXT, FiaImp REAL DEFAULT 0, FiaMes REAL DEFAULT 0,"
                     " FiaFec TEXT, FiaDep TEXT, FiaRef TEXT, FiaFecDev TEXT, FiaImpDev REAL"
                     " DEFAULT 0, Gar TEXT, Obs TEXT, Act INTEGER NOT NULL DEFAULT 0)",
                     "CREATE INDEX ixContratosInmueble ON tblContratos (IdInm, FecIni)",
                     "CREATE UNIQUE INDEX ixContratosActual ON tblContratos (IdInm) WHERE Act = 1",
                     "CREATE TABLE tblContratosRentas (Id INTEGER PRIMARY KEY, IdCon INTEGER NOT"
                     " NULL, Fec TEXT, FecDeb TEXT, RenAnt REAL, Ren REAL, Ind TEXT, Tas REAL,"
                     " Exp TEXT)",
                     "CREATE INDEX ixContratosRentas ON tblContratosRentas (IdCon, Fec)",
                     "CREATE TABLE tblIndices (Ind TEXT NOT NULL, Ano INTEGER NOT NULL, Mes INTEGER"
                     " NOT NULL, Tas REAL NOT NULL, PRIMARY KEY (Ind, Ano, Mes))"});
         }},
        // 8: direct debit. Each account may hold a mandate (reference, signature date, first
        // debit done); the company its creditor identifier and the account that collects; the
        // remittances with their debits, each debit returned or not.
        {8,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"ALTER TABLE tblInquilinosCuentas ADD COLUMN MndRef TEXT",
                     "ALTER TABLE tblInquilinosCuentas ADD COLUMN MndFec TEXT",
                     "ALTER TABLE tblInquilinosCuentas ADD COLUMN MndPri INTEGER NOT NULL"
                     " DEFAULT 0",
                     "CREATE UNIQUE INDEX ixCuentasMandato ON tblInquilinosCuentas (MndRef)"
                     " WHERE MndRef IS NOT NULL AND MndRef <> ''",
                     "ALTER TABLE tblTitulos ADD COLUMN IdAcr TEXT",
                     "ALTER TABLE tblTitulos ADD COLUMN CtaRem TEXT",
                     "CREATE TABLE tblRemesas (Id INTEGER PRIMARY KEY, Fec TEXT, FecCob TEXT,"
                     " Arc TEXT, MsgId TEXT, Num INTEGER, Tot REAL DEFAULT 0,"
                     " Pag INTEGER NOT NULL DEFAULT 0)",
                     "CREATE TABLE tblRemesasCobros (Id INTEGER PRIMARY KEY, IdRem INTEGER NOT"
                     " NULL, IdDoc INTEGER NOT NULL, IdCta INTEGER, MndRef TEXT, IBAN TEXT,"
                     " Sec TEXT, Imp REAL DEFAULT 0, Dev INTEGER NOT NULL DEFAULT 0,"
                     " DevFec TEXT, DevMot TEXT)",
                     "CREATE INDEX ixRemesasCobrosRemesa ON tblRemesasCobros (IdRem)",
                     "CREATE INDEX ixRemesasCobrosDocumento ON tblRemesasCobros (IdDoc, Dev)"});
         }},
        // 9: verifiable invoicing. The mode and its series (tblVerifactu, tblSeriesF.Factura),
        // the rectifying invoice's reference on tblCobros, and the billing records with the
        // agency's answers: append-only, so the engine itself refuses to change or remove them,
        // and an invoice that has a record keeps what it says.
        {9, [](QSqlQuery& q) { return crearTablasVerifactu(q); }},
        // 10: a document's life. When and how it was paid (a paid document of an older file
        // takes its own date, the only one known), how it was printed, and whether it was
        // cancelled: a cancelled document keeps its number and counts in no total. An invoice
        // cancelled through its billing record is cancelled. The year's sums read one index
        // that knows what counts, and a document's rectifications are found by index. The
        // rectifying series an earlier version made with the mode
        // off, and never used, goes: it was taken for the first series of the year.
        {10,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"ALTER TABLE tblCobros ADD COLUMN FecPag TEXT",
                     "ALTER TABLE tblCobros ADD COLUMN ForPag TEXT",
                     "ALTER TABLE tblCobros ADD COLUMN ImpCom TEXT",
                     "ALTER TABLE tblCobros ADD COLUMN Anu INTEGER NOT NULL DEFAULT 0",
                     "ALTER TABLE tblCobros ADD COLUMN FecAnu TEXT",
                     "UPDATE tblCobros SET FecPag = Fec WHERE Pag <> 0",
                     "UPDATE tblCobros SET ForPag = 'Domiciliación' WHERE Pag <> 0 AND EXISTS"
                     " (SELECT 1 FROM tblRemesasCobros r WHERE r.IdDoc = tblCobros.Id AND"
                     " r.Dev = 0)",
                     "UPDATE tblCobros SET Anu = 1 WHERE (SELECT Tipo FROM tblRegistros r WHERE"
                     " r.IdDoc = tblCobros.Id ORDER BY r.Id DESC LIMIT 1) = 'N'",
                     "DELETE FROM tblSeriesF WHERE Des = 'Facturas rectificativas' AND"
                     " upper(Cod) = upper(COALESCE((SELECT SerieRect FROM tblVerifactu), 'R'))"
                     " AND NOT EXISTS (SELECT 1 FROM tblVerifactu WHERE Activo <> 0)"
                     " AND NOT EXISTS (SELECT 1 FROM tblCobros c WHERE upper(c.Ser) ="
                     " upper(tblSeriesF.Cod)) AND NOT EXISTS (SELECT 1 FROM tblInmuebles m"
                     " WHERE upper(m.CarSer) = upper(tblSeriesF.Cod))",
                     "DROP INDEX ixCobrosResumen",
                     "CREATE INDEX ixCobrosResumen ON tblCobros (Fec, Pag, Ser, Anu, Tot, IdInm)",
                     "CREATE INDEX ixCobrosPago ON tblCobros (FecPag, Anu, Pag, Tot, IdInm)",
                     "CREATE INDEX ixCobrosRectificada ON tblCobros (IdRect)"});
         }},
        // 11: whether the issuer is a person or a company (0 or 1): the withholding's name and
        // a housing contract's mandatory extension depend on it.
        {11,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"ALTER TABLE tblTitulos ADD COLUMN TipEmi INTEGER NOT NULL DEFAULT 0"});
         }},
        // 12: a rectifying invoice corrects by differences (I) or by substitution (S); its record
        // keeps the kind and, for a substitution, the rectified invoice's base and VAT.
        {12,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"ALTER TABLE tblCobros ADD COLUMN ModoRect TEXT",
                                      "ALTER TABLE tblRegistros ADD COLUMN TipoRect TEXT",
                                      "ALTER TABLE tblRegistros ADD COLUMN BaseRect TEXT",
                                      "ALTER TABLE tblRegistros ADD COLUMN CuotaRect TEXT"});
         }},
        // 13: bank statements. Each import, the movements it applied (recognised by their key, so
        // none is applied twice) and the documents each one paid or reopened; a document keeps
        // the movement that last changed it, cleared by any later payment or return.
        {13,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"CREATE TABLE tblImportaciones (Id INTEGER PRIMARY KEY, Fec TEXT, Arc TEXT,"
                     " Num INTEGER DEFAULT 0, Des INTEGER NOT NULL DEFAULT 0)",
                     "CREATE TABLE tblMovimientos (Id INTEGER PRIMARY KEY, IdImp INTEGER NOT NULL,"
                     " Cla TEXT NOT NULL, Cta TEXT, Fec TEXT, Imp INTEGER DEFAULT 0, Txt TEXT,"
                     " Tip TEXT, IdRem INTEGER, IdCobRem INTEGER)",
                     "CREATE UNIQUE INDEX ixMovimientosClave ON tblMovimientos (Cla)",
                     "CREATE INDEX ixMovimientosImportacion ON tblMovimientos (IdImp)",
                     "CREATE TABLE tblMovimientosCobros (Id INTEGER PRIMARY KEY, IdMov INTEGER NOT"
                     " NULL, IdDoc INTEGER NOT NULL)",
                     "CREATE INDEX ixMovimientosCobros ON tblMovimientosCobros (IdMov)",
                     "ALTER TABLE tblCobros ADD COLUMN IdMov INTEGER"});
         }},
        // 14: what each property costs and what the income-tax return asks of it. Expenses by
        // date, of one property or shared by a named key of weights; each property's cadastral
        // and acquisition data (housing unless its contracts are all of another kind); the
        // condition of a housing contract that sets its reduction; and, per property and year
        // of origin, the interest and repairs left to deduct in later years.
        {14,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"CREATE TABLE tblGastos (Id INTEGER PRIMARY KEY, Fec TEXT NOT NULL,"
                     " IdInm INTEGER, IdRep INTEGER, Tip INTEGER NOT NULL DEFAULT 0, Pro TEXT,"
                     " NIF TEXT, Des TEXT, Imp REAL NOT NULL DEFAULT 0, IvaDed REAL NOT NULL"
                     " DEFAULT 0)",
                     "CREATE INDEX ixGastosFecha ON tblGastos (Fec)",
                     "CREATE INDEX ixGastosInmueble ON tblGastos (IdInm, Fec)",
                     "CREATE TABLE tblRepartos (Id INTEGER PRIMARY KEY, Des TEXT NOT NULL)",
                     "CREATE TABLE tblRepartosInmuebles (IdRep INTEGER NOT NULL, IdInm INTEGER"
                     " NOT NULL, Par REAL NOT NULL DEFAULT 0, PRIMARY KEY (IdRep, IdInm))",
                     "ALTER TABLE tblInmuebles ADD COLUMN VCat REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN VCatCon REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN VCatRev INTEGER NOT NULL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN CosAdq REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN FecAdq TEXT",
                     "ALTER TABLE tblInmuebles ADD COLUMN MejAnt REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN VMob REAL DEFAULT 0",
                     "ALTER TABLE tblInmuebles ADD COLUMN Viv INTEGER NOT NULL DEFAULT 1",
                     "UPDATE tblInmuebles SET Viv = 0 WHERE EXISTS (SELECT 1 FROM tblContratos c"
                     " WHERE c.IdInm = tblInmuebles.Id) AND NOT EXISTS (SELECT 1 FROM"
                     " tblContratos c WHERE c.IdInm = tblInmuebles.Id AND c.Tip = 0)",
                     "ALTER TABLE tblContratos ADD COLUMN RedViv INTEGER NOT NULL DEFAULT 0",
                     "CREATE TABLE tblExcesos (IdInm INTEGER NOT NULL, AnoOri INTEGER NOT NULL,"
                     " Imp REAL NOT NULL DEFAULT 0, PRIMARY KEY (IdInm, AnoOri))"});
         }},
        // 15: what was mailed: each attempt to mail a document, to which address, when, and how
        // it ended (P: under way, E: sent, F: failed, with the server's reply).
        {15,
         [](QSqlQuery& q) {
             return ejecutarTodas(
                 q, {"CREATE TABLE tblCorreos (Id INTEGER PRIMARY KEY, IdDoc INTEGER NOT NULL,"
                     " Fec TEXT NOT NULL, Dir TEXT NOT NULL, Est TEXT NOT NULL DEFAULT 'P',"
                     " Resp TEXT)",
                     "CREATE INDEX ixCorreosDocumento ON tblCorreos (IdDoc, Id)"});
         }},
        // Money in whole cents: INTEGER columns, and every value that was not whole cents kept
        // in tblRedondeos with what it became.
        {16, pasarACentimos},
        // 17: the collections' text filter finds its properties and tenants through a text
        // index of their names (a server's year has its own, see Servidor.cpp), and their
        // documents by index.
        {17,
         [](QSqlQuery& q) {
             QString error =
                 crearIndiceTexto(q, QStringLiteral("tblInmuebles"), QStringLiteral("Des"));
             if (error.isEmpty())
                 error =
                     crearIndiceTexto(q, QStringLiteral("tblInquilinos"), QStringLiteral("Nom"));
             if (error.isEmpty())
                 error = ejecutarTodas(q, {"CREATE INDEX ixCobrosInquilino ON tblCobros (IdInq)"});
             return error;
         }},
        // 18: the documents list reads its first page in its order (date, series, number)
        // through an index, without sorting the year.
        {18,
         [](QSqlQuery& q) {
             return ejecutarTodas(q, {"CREATE INDEX ixCobrosOrden ON tblCobros (Fec, Ser, Num)"});
         }},
    };
    return lista;
}

} // namespace

QString asegurarNumerosUnicos(QSqlDatabase& db) {
    QSqlQuery q(db);
    return crearIndiceNumeros(q);
}

QString copiaVerificada(QSqlDatabase& db, const QString& base) {
    QString destino = base;
    // An earlier copy is never overwritten: it may be the only one of its kind.
    for (int n = 2; QFile::exists(destino); ++n)
        destino = base + QStringLiteral("-%1").arg(n);
    // A server's year is kept as a year file beside the data, so it opens anywhere.
    if (esServidor(db))
        return crearCarpetaPrivada(QFileInfo(destino).absolutePath())
                   ? bajarAbierto(destino)
                   : QStringLiteral("no se puede crear la carpeta");
    // Created empty and private first: VACUUM INTO fills an empty file, and personal data
    // must never sit readable by others, not even for a moment.
    QFile vacio(destino);
    if (!vacio.open(QIODevice::NewOnly) ||
        !vacio.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return vacio.errorString();
    vacio.close();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(destino);
    if (!q.exec()) return q.lastError().text();
    q.finish();
    const QString nombre = QStringLiteral("torvane-verificar-actualizacion");
    QString motivo;
    {
        QSqlDatabase copia = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        copia.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        copia.setDatabaseName(QUrl::fromLocalFile(destino).toString(QUrl::FullyEncoded));
        if (!copia.open()) {
            motivo = copia.lastError().text();
        } else {
            QSqlQuery c(copia);
            if (!c.exec(QStringLiteral("PRAGMA quick_check")) || !c.next() ||
                c.value(0).toString() != QStringLiteral("ok"))
                motivo = QStringLiteral("la copia no está sana");
        }
        copia.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return motivo;
}

int versionEsquema() {
    return pasos().back().version;
}

int versionArchivo(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return -1;
    return q.value(0).toInt();
}

QString aplicarMigraciones(QSqlDatabase& db, int hasta) {
    const int desde = versionArchivo(db);
    if (desde < 0) return db.lastError().text();
    // Steps fill and keep text indexes with the program's folding.
    if (!esServidor(db) && !registrarFuncionesTexto(db))
        return QStringLiteral("No se pudieron registrar las funciones de búsqueda.");
    if (!db.transaction()) return db.lastError().text();
    QSqlQuery q(db);
    QString motivo;
    for (const Paso& paso : pasos()) {
        if (paso.version <= desde || paso.version > hasta) continue;
        motivo = paso.aplicar(q);
        if (!motivo.isEmpty()) break;
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(paso.version))) {
            motivo = q.lastError().text();
            break;
        }
    }
    q.finish();
    if (motivo.isEmpty() && db.commit()) return {};
    if (motivo.isEmpty()) motivo = db.lastError().text();
    db.rollback();
    return motivo;
}

QString motivoVersion(QSqlDatabase& db) {
    const int version = versionArchivo(db);
    if (version < 0)
        return QStringLiteral("No se puede leer la versión del archivo (%1).")
            .arg(db.lastError().databaseText());
    if (version > versionEsquema())
        return QStringLiteral("El archivo fue creado con una versión más nueva de Torvane "
                              "(formato %1; este programa lee hasta el %2). Actualice el "
                              "programa para abrirlo.")
            .arg(version)
            .arg(versionEsquema());
    return {};
}

QString actualizarArchivo(QSqlDatabase& db, const QString& ruta) {
    if (const QString motivo = motivoVersion(db); !motivo.isEmpty()) return motivo;
    const int version = versionArchivo(db);
    if (version == versionEsquema()) return {};
    const QString copia = ruta + QStringLiteral(".antes-de-actualizar-v%1").arg(version);
    if (const QString error = copiaVerificada(db, copia); !error.isEmpty())
        return QStringLiteral("No se pudo guardar una copia antes de actualizar el archivo "
                              "(%1); no se ha cambiado nada.")
            .arg(error);
    if (const QString error = aplicarMigraciones(db); !error.isEmpty())
        return QStringLiteral("No se pudo actualizar el archivo al formato %1 (%2); no se ha "
                              "cambiado nada.")
            .arg(versionEsquema())
            .arg(error);
    return {};
}

} // namespace torvane
