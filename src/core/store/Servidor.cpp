#include "core/store/Servidor.h"

#include "core/store/Anos.h"
#include "core/store/BaseDatos.h"
#include "core/store/Consulta.h"
#include "core/store/Copia.h"
#include "core/store/Migraciones.h"
#include "core/store/Privado.h"
#include "core/text/Plegado.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>

namespace torvane {

namespace {

const QString kPostgres = QStringLiteral("QPSQL");

/** A table as both engines hold it: its columns, and the order its rows are compared in. */
struct Tabla {
    QString nombre;
    QStringList columnas;
    QStringList tipos;  ///< SQLite declared types
    QStringList clave;  ///< primary key columns; empty: every column
    QString definicion; ///< CREATE TABLE for the server
};

/** The schema of the year file: tables in creation order, indexes as the migrations wrote them. */
struct Esquema {
    int version = 0;
    QList<Tabla> tablas;
    QStringList indices;
};

// SQLite's INTEGER is 64 bits and its REAL a double: PostgreSQL's REAL would lose cents.
QString tipoServidor(const QString& tipo) {
    if (tipo.contains(QLatin1String("INT"))) return QStringLiteral("BIGINT");
    if (tipo.contains(QLatin1String("REAL")) || tipo.contains(QLatin1String("DOUB")))
        return QStringLiteral("DOUBLE PRECISION");
    return QStringLiteral("TEXT");
}

// Texts compare byte by byte, as in the year file: lists come in the same order on both
// engines, and sorting skips the locale's rules.
QString columnaServidor(const QString& tipo) {
    const QString servidor = tipoServidor(tipo);
    return servidor == QLatin1String("TEXT") ? servidor + QStringLiteral(" COLLATE \"C\"")
                                             : servidor;
}

/** One column of PRAGMA table_info as the server declares it. */
QString definicionColumna(const QSqlQuery& c) {
    QString columna = c.value(1).toString() + u' ' + columnaServidor(c.value(2).toString());
    if (c.value(3).toBool()) columna += QStringLiteral(" NOT NULL");
    if (!c.value(4).isNull()) columna += QStringLiteral(" DEFAULT ") + c.value(4).toString();
    return columna;
}

Esquema esquemaReferencia(int version = versionEsquema()) {
    Esquema e;
    e.version = version;
    conEsquemaReferencia(version, [&e](QSqlDatabase& db) {
        QSqlQuery q(db);
        // The billing records go in last: the guards refuse a line of a registered invoice. A
        // text index is the file's own: the server indexes the same names its way.
        q.exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                           " AND name NOT LIKE 'sqlite%' AND name NOT IN (SELECT name FROM"
                           " pragma_table_list WHERE type IN ('virtual', 'shadow'))"
                           " ORDER BY name IN ('tblRegistros', 'tblRegistrosRespuestas'), rowid"));
        while (q.next())
            e.tablas.append({q.value(0).toString(), {}, {}, {}, {}});
        for (Tabla& t : e.tablas) {
            QSqlQuery c(db);
            c.exec(QStringLiteral("PRAGMA table_info(%1)").arg(t.nombre));
            QMap<int, QString> clave;
            QStringList definiciones;
            while (c.next()) {
                t.columnas << c.value(1).toString();
                t.tipos << c.value(2).toString().toUpper();
                if (c.value(5).toInt() > 0) clave.insert(c.value(5).toInt(), c.value(1).toString());
                definiciones << definicionColumna(c);
            }
            t.clave = clave.values();
            if (!t.clave.isEmpty())
                definiciones
                    << QStringLiteral("PRIMARY KEY (%1)").arg(t.clave.join(QStringLiteral(", ")));
            t.definicion = QStringLiteral("CREATE TABLE %1 (%2)")
                               .arg(t.nombre, definiciones.join(QStringLiteral(", ")));
        }
        q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index'"
                              " AND sql IS NOT NULL ORDER BY rowid"));
        while (q.next())
            e.indices << q.value(0).toString();
    });
    return e;
}

// The text functions every search uses, and the guards of the billing records, written for
// this engine: the same names and messages as the year file's own.
const char* const kFunciones[] = {
    // Immutable, since it names its dictionary: the names' trigram indexes are built on it.
    "CREATE FUNCTION pliegue(t TEXT) RETURNS TEXT LANGUAGE sql IMMUTABLE"
    " AS $$ SELECT lower(public.unaccent('public.unaccent'::regdictionary, t)) $$",
    "CREATE FUNCTION contiene(campo TEXT, texto TEXT) RETURNS BOOLEAN LANGUAGE sql STABLE"
    " AS $$ SELECT COALESCE(texto, '') = '' OR"
    " position(pliegue(texto) IN pliegue(COALESCE(campo, ''))) > 0 $$",
    // A line's units times its price in cents: a double to numeric keeps 15 significant digits
    // and round() goes half away from zero, which is the program's own rule.
    "CREATE FUNCTION importeLinea(und DOUBLE PRECISION, pre BIGINT) RETURNS BIGINT LANGUAGE sql"
    " IMMUTABLE AS $$ SELECT round(und::numeric * pre)::bigint $$",
    // SQLite gives a row inserted without Id one past the largest; so does the server. The
    // guards run with a fixed search path and name their tables by the trigger's own schema,
    // so no object of a caller's choosing stands in for them, and a renamed year keeps working.
    "CREATE OR REPLACE FUNCTION torvane_id() RETURNS trigger LANGUAGE plpgsql"
    " SET search_path = pg_catalog, pg_temp AS $$ BEGIN"
    " IF NEW.Id IS NULL THEN"
    " EXECUTE format('SELECT COALESCE(MAX(Id), 0) + 1 FROM %I.%I', TG_TABLE_SCHEMA,"
    " TG_TABLE_NAME) INTO NEW.Id;"
    " END IF; RETURN NEW; END $$",
    "CREATE OR REPLACE FUNCTION torvane_rechazar() RETURNS trigger LANGUAGE plpgsql"
    " SET search_path = pg_catalog, pg_temp"
    " AS $$ BEGIN RAISE EXCEPTION USING MESSAGE = TG_ARGV[0]; END $$",
    "CREATE OR REPLACE FUNCTION torvane_factura_fija() RETURNS trigger LANGUAGE plpgsql"
    " SET search_path = pg_catalog, pg_temp AS $$ DECLARE hay BOOLEAN; BEGIN"
    " EXECUTE format('SELECT EXISTS (SELECT 1 FROM %I.tblRegistros WHERE IdDoc = $1)',"
    " TG_TABLE_SCHEMA) INTO hay USING OLD.Id;"
    " IF hay THEN RAISE EXCEPTION USING MESSAGE = TG_ARGV[0]; END IF;"
    " IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$",
    "CREATE OR REPLACE FUNCTION torvane_lineas_fijas() RETURNS trigger LANGUAGE plpgsql"
    " SET search_path = pg_catalog, pg_temp AS $$ DECLARE hay BOOLEAN; BEGIN"
    " EXECUTE format('SELECT EXISTS (SELECT 1 FROM %I.tblRegistros WHERE IdDoc IN ($1, $2))',"
    " TG_TABLE_SCHEMA) INTO hay USING CASE WHEN TG_OP <> 'INSERT' THEN OLD.IdDoc END,"
    " CASE WHEN TG_OP <> 'DELETE' THEN NEW.IdDoc END;"
    " IF hay THEN RAISE EXCEPTION USING MESSAGE = TG_ARGV[0]; END IF;"
    " IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$",
};

const char* const kGuardas[] = {
    "CREATE TRIGGER trgRegistrosSinCambios BEFORE UPDATE ON tblRegistros FOR EACH ROW"
    " EXECUTE FUNCTION torvane_rechazar('Los registros de facturación no se pueden cambiar')",
    "CREATE TRIGGER trgRegistrosSinBorrar BEFORE DELETE ON tblRegistros FOR EACH ROW"
    " EXECUTE FUNCTION torvane_rechazar('Los registros de facturación no se pueden borrar')",
    "CREATE TRIGGER trgRespuestasSinCambios BEFORE UPDATE ON tblRegistrosRespuestas FOR EACH ROW"
    " EXECUTE FUNCTION torvane_rechazar('Las respuestas de la AEAT no se pueden cambiar')",
    "CREATE TRIGGER trgRespuestasSinBorrar BEFORE DELETE ON tblRegistrosRespuestas FOR EACH ROW"
    " EXECUTE FUNCTION torvane_rechazar('Las respuestas de la AEAT no se pueden borrar')",
    "CREATE TRIGGER trgFacturaSinCambios BEFORE UPDATE ON tblCobros FOR EACH ROW WHEN"
    " (OLD.Num IS DISTINCT FROM NEW.Num OR OLD.Ser IS DISTINCT FROM NEW.Ser OR OLD.Fec IS"
    " DISTINCT FROM NEW.Fec OR OLD.IdInq IS DISTINCT FROM NEW.IdInq OR OLD.IdInm IS DISTINCT"
    " FROM NEW.IdInm OR OLD.PorIva IS DISTINCT FROM NEW.PorIva OR OLD.PorRet IS DISTINCT FROM"
    " NEW.PorRet OR OLD.Base IS DISTINCT FROM NEW.Base OR OLD.IVA IS DISTINCT FROM NEW.IVA OR"
    " OLD.Tot IS DISTINCT FROM NEW.Tot)"
    " EXECUTE FUNCTION torvane_factura_fija('Esta factura está registrada: no se puede cambiar')",
    "CREATE TRIGGER trgFacturaSinBorrar BEFORE DELETE ON tblCobros FOR EACH ROW"
    " EXECUTE FUNCTION torvane_factura_fija('Esta factura está registrada: no se puede borrar')",
    "CREATE TRIGGER trgLineasNuevas BEFORE INSERT OR UPDATE OR DELETE ON tblCobrosDetalles"
    " FOR EACH ROW"
    " EXECUTE FUNCTION torvane_lineas_fijas('Esta factura está registrada: no se puede cambiar')",
};

// The names the collections' text filter searches, indexed by three-character pieces.
const char* const kIndicesTexto[] = {
    "CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA public",
    "CREATE INDEX ixInmueblesTexto ON tblInmuebles USING gin (pliegue(Des) public.gin_trgm_ops)",
    "CREATE INDEX ixInquilinosTexto ON tblInquilinos USING gin (pliegue(Nom) public.gin_trgm_ops)",
};

QString motivo(const QSqlError& error) {
    return textoMotor(error);
}

QString ejecutarTexto(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    return q.exec(sql)
               ? QString()
               : motivo(q.lastError()) + QStringLiteral(" [") + sql.left(60) + QStringLiteral("…]");
}

} // namespace

QString conectarServidor(const DatosServidor& d, const QString& esquema, const QString& nombre) {
    if (QSqlDatabase::contains(nombre)) {
        QSqlDatabase::database(nombre, false).close();
        QSqlDatabase::removeDatabase(nombre);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(kPostgres, nombre);
    if (!db.isValid())
        return QStringLiteral("Falta el controlador de PostgreSQL de Qt (paquete "
                              "libqt6sql6-psql).");
    db.setHostName(d.host);
    db.setPort(d.puerto);
    db.setDatabaseName(d.base);
    db.setUserName(d.usuario);
    db.setPassword(d.clave);
    // The schema rides in the connection itself, so every twin of it (the reader thread's)
    // sees the same year.
    QStringList opciones{
        QStringLiteral("sslmode=") + d.sslmode, QStringLiteral("connect_timeout=10"),
        QStringLiteral("application_name=torvane"), QStringLiteral("keepalives_idle=30")};
    if (!d.raiz.isEmpty()) {
        QString ruta = d.raiz;
        ruta.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        opciones << QStringLiteral("sslrootcert='%1'").arg(ruta);
    }
    // The server's notices (a skipped "already exists") are not the user's business.
    opciones << QStringLiteral("options='-cclient_min_messages=warning%1'")
                    .arg(esquema.isEmpty() ? QString()
                                           : QStringLiteral(" -csearch_path=") + esquema);
    db.setConnectOptions(opciones.join(u';'));
    if (db.open()) return {};
    const QString error = motivo(db.lastError());
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(nombre);
    return QStringLiteral("No se puede conectar con el servidor %1:%2 (base %3): %4")
        .arg(d.host)
        .arg(d.puerto)
        .arg(d.base, error);
}

void desconectarServidor(const QString& nombre) {
    QSqlDatabase::database(nombre, false).close();
    QSqlDatabase::removeDatabase(nombre);
}

QStringList funcionesDeGuardas() {
    QStringList funciones;
    for (const char* f : kFunciones)
        if (qstrncmp(f, "CREATE OR REPLACE", 17) == 0) funciones << QString::fromUtf8(f);
    return funciones;
}

namespace {

QString conectar(const DatosServidor& d, const QString& esquema, const QString& nombre) {
    return conectarServidor(d, esquema, nombre);
}

void desconectar(const QString& nombre) {
    desconectarServidor(nombre);
}

bool existeEsquema(QSqlDatabase& db, const QString& esquema) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = ?"));
    q.addBindValue(esquema);
    return q.exec() && q.next();
}

/** Every table, index, function and guard of the year in esquema, on an open transaction. */
QString crearObjetos(QSqlDatabase& db, const QString& esquema, const Esquema& e, bool guardas) {
    QString error = ejecutarTexto(db, QStringLiteral("CREATE SCHEMA %1").arg(esquema));
    if (error.isEmpty())
        error = ejecutarTexto(db, QStringLiteral("SET LOCAL search_path TO %1").arg(esquema));
    if (error.isEmpty())
        error = ejecutarTexto(db, QStringLiteral("CREATE EXTENSION IF NOT EXISTS unaccent"
                                                 " SCHEMA public"));
    for (const Tabla& t : e.tablas)
        if (error.isEmpty()) error = ejecutarTexto(db, t.definicion);
    for (const QString& indice : e.indices)
        if (error.isEmpty()) error = ejecutarTexto(db, indice);
    if (error.isEmpty())
        error = ejecutarTexto(db, QStringLiteral("CREATE TABLE tblVersion (Version INTEGER)"));
    if (error.isEmpty())
        error =
            ejecutarTexto(db, QStringLiteral("INSERT INTO tblVersion VALUES (%1)").arg(e.version));
    for (const char* f : kFunciones)
        if (error.isEmpty()) error = ejecutarTexto(db, QString::fromUtf8(f));
    for (const char* i : kIndicesTexto)
        if (error.isEmpty()) error = ejecutarTexto(db, QString::fromUtf8(i));
    for (const Tabla& t : e.tablas)
        if (error.isEmpty() && t.clave == QStringList{QStringLiteral("Id")})
            error = ejecutarTexto(db, QStringLiteral("CREATE TRIGGER trgId%1 BEFORE INSERT ON %1"
                                                     " FOR EACH ROW EXECUTE FUNCTION torvane_id()")
                                          .arg(t.nombre));
    if (guardas)
        for (const char* g : kGuardas)
            if (error.isEmpty()) error = ejecutarTexto(db, QString::fromUtf8(g));
    return error;
}

QString crearGuardas(QSqlDatabase& db) {
    for (const char* g : kGuardas)
        if (const QString error = ejecutarTexto(db, QString::fromUtf8(g)); !error.isEmpty())
            return error;
    return {};
}

QString orden(const Tabla& t, bool servidor) {
    QStringList partes;
    for (const QString& c : t.clave.isEmpty() ? t.columnas : t.clave) {
        const bool texto = tipoServidor(t.tipos.at(t.columnas.indexOf(c))) == QLatin1String("TEXT");
        // Byte order on both sides: the server's collation may sort text otherwise.
        partes << (servidor && texto ? c + QStringLiteral(" COLLATE \"C\"") : c);
    }
    return partes.join(QStringLiteral(", "));
}

QSqlQuery leerTabla(QSqlDatabase& db, const Tabla& t, bool servidor) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
               .arg(t.columnas.join(QStringLiteral(", ")), t.nombre, orden(t, servidor)));
    return q;
}

// Rows go in groups: one statement per row costs a round trip each on the server.
QString copiarTabla(QSqlDatabase& origen, bool origenServidor, QSqlDatabase& destino,
                    const Tabla& t) {
    constexpr int kGrupo = 200;
    QSqlQuery lectura = leerTabla(origen, t, origenServidor);
    if (lectura.lastError().isValid()) return motivo(lectura.lastError());
    const QString fila =
        QLatin1Char('(') +
        QStringList(t.columnas.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
        QLatin1Char(')');
    const auto insertar = [&](const QVariantList& valores, int filas) {
        QSqlQuery q(destino);
        q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                      .arg(t.nombre, t.columnas.join(QStringLiteral(", ")),
                           QStringList(filas, fila).join(QStringLiteral(", "))));
        for (const QVariant& v : valores)
            q.addBindValue(v);
        return q.exec() ? QString() : QStringLiteral("%1: %2").arg(t.nombre, motivo(q.lastError()));
    };
    QVariantList valores;
    int filas = 0;
    while (lectura.next()) {
        for (int i = 0; i < t.columnas.size(); ++i)
            valores << lectura.value(i);
        if (++filas == kGrupo) {
            if (const QString error = insertar(valores, filas); !error.isEmpty()) return error;
            valores.clear();
            filas = 0;
        }
    }
    if (lectura.lastError().isValid()) return motivo(lectura.lastError());
    return filas > 0 ? insertar(valores, filas) : QString();
}

bool mismoValor(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    const auto numerico = [](const QVariant& v) {
        const int tipo = v.metaType().id();
        return tipo == QMetaType::Double || tipo == QMetaType::LongLong || tipo == QMetaType::Int;
    };
    if (numerico(a) || numerico(b)) return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

/** Compares a table on both sides row by row; an empty text when they hold the same. */
QString compararTabla(QSqlDatabase& archivo, QSqlDatabase& servidor, const Tabla& t) {
    QSqlQuery a = leerTabla(archivo, t, false);
    QSqlQuery s = leerTabla(servidor, t, true);
    qint64 fila = 0;
    for (;;) {
        const bool hayA = a.next();
        const bool hayS = s.next();
        if (!hayA && !hayS) break;
        ++fila;
        if (hayA != hayS)
            return QStringLiteral("la tabla %1 no tiene las mismas filas en los dos lados")
                .arg(t.nombre);
        for (int i = 0; i < t.columnas.size(); ++i)
            if (!mismoValor(a.value(i), s.value(i)))
                return QStringLiteral("la fila %1 de %2 no coincide en %3 («%4» y «%5»)")
                    .arg(fila)
                    .arg(t.nombre, t.columnas[i], a.value(i).toString(), s.value(i).toString());
    }
    return {};
}

QString compararTodo(QSqlDatabase& archivo, QSqlDatabase& servidor, const Esquema& e) {
    for (const Tabla& t : e.tablas)
        if (const QString error = compararTabla(archivo, servidor, t); !error.isEmpty())
            return QStringLiteral("La comprobación fila a fila falló: %1.").arg(error);
    return {};
}

/** Opens a year file for copying; it must be of format version (this program's by default). */
QString abrirArchivo(const QString& ruta, const QString& nombre, bool soloLectura,
                     int formato = versionEsquema()) {
    if (!QFileInfo(ruta).isFile()) return QStringLiteral("No existe el archivo %1.").arg(ruta);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
    db.setConnectOptions(soloLectura ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                     : QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(
        QUrl::fromLocalFile(QFileInfo(ruta).absoluteFilePath()).toString(QUrl::FullyEncoded));
    if (!db.open()) return motivo(db.lastError());
    // Rows written here keep the file's text indexes, folded by the program.
    if (!registrarFuncionesTexto(db))
        return QStringLiteral("No se pudieron registrar las funciones de búsqueda.");
    if (const int version = versionArchivo(db); version != formato)
        return QStringLiteral("El archivo %1 está en el formato %2 y este programa escribe el %3: "
                              "ábralo antes con este programa para ponerlo al día.")
            .arg(ruta)
            .arg(version)
            .arg(versionEsquema());
    return {};
}

/** Refuses a year file holding two documents of one number, which the server would not take. */
QString sinNumerosRepetidos(QSqlDatabase& archivo) {
    QSqlQuery q(archivo);
    if (!q.exec(
            QStringLiteral("SELECT upper(Ser) || ' ' || Num FROM tblCobros"
                           " GROUP BY upper(Ser), Num HAVING COUNT(*) > 1 ORDER BY 1 LIMIT 10")))
        return motivo(q.lastError());
    QStringList repetidos;
    while (q.next())
        repetidos << q.value(0).toString();
    if (repetidos.isEmpty()) return {};
    return QStringLiteral("El año tiene documentos que comparten número (serie y número: %1) y "
                          "el servidor no lo admite. Abra ese año como archivo en el programa, "
                          "cambie el número de uno de cada pareja y vuelva a intentarlo.")
        .arg(repetidos.join(QStringLiteral(", ")));
}

/** Takes the year's write turn for the open transaction: the desks' saves wait meanwhile. */
QString tomarTurno(QSqlDatabase& db, const QString& esquema) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"));
    q.addBindValue(esquema);
    return q.exec() ? QString() : motivo(q.lastError());
}

/** How the year's current schema gives way to the one loaded from a file. */
struct Reemplazo {
    bool reemplazar = false;
    QString apartarComo; ///< kept under this name; dropped when empty
};

/**
 * Fills a new schema from the year file at ruta on the server connection nombre, in one
 * transaction, holding the year's write turn; with a reemplazo, the year's current schema gives
 * way to it at the end, kept under another name or dropped.
 */
QString cargarDesdeArchivo(const QString& nombre, const QString& ruta, const QString& esquema,
                           const Reemplazo& r) {
    const bool reemplazar = r.reemplazar;
    const QString archivo = QStringLiteral("torvane-subir");
    QString error = abrirArchivo(ruta, archivo, true);
    const Esquema e = esquemaReferencia();
    QSqlDatabase db = QSqlDatabase::database(nombre, false);
    QSqlDatabase origen = QSqlDatabase::database(archivo, false);
    const QString nuevo = reemplazar ? esquema + QStringLiteral("_entrante") : esquema;
    if (error.isEmpty()) error = sinNumerosRepetidos(origen);
    if (error.isEmpty() && !reemplazar && existeEsquema(db, esquema))
        error =
            QStringLiteral("El año ya existe en el servidor (%1); no se sobrescribe.").arg(esquema);
    const bool enCurso = error.isEmpty() && db.transaction();
    if (error.isEmpty() && !enCurso) error = motivo(db.lastError());
    // A save in flight ends first, in the schema it began in; later ones find the new year.
    if (error.isEmpty()) error = tomarTurno(db, esquema);
    if (error.isEmpty() && !r.apartarComo.isEmpty() && existeEsquema(db, r.apartarComo))
        error = QStringLiteral("Ya hay un año guardado como %1; vuelva a intentarlo.")
                    .arg(r.apartarComo);
    if (error.isEmpty() && reemplazar && existeEsquema(db, nuevo))
        error = ejecutarTexto(db, QStringLiteral("DROP SCHEMA %1 CASCADE").arg(nuevo));
    if (error.isEmpty()) error = crearObjetos(db, nuevo, e, false);
    for (const Tabla& t : e.tablas)
        if (error.isEmpty()) error = copiarTabla(origen, false, db, t);
    // The guards come last: a registered invoice's lines must be able to arrive.
    if (error.isEmpty()) error = crearGuardas(db);
    if (error.isEmpty()) error = compararTodo(origen, db, e);
    // The planner needs to know the rows that just arrived.
    for (const Tabla& t : e.tablas)
        if (error.isEmpty()) error = ejecutarTexto(db, QStringLiteral("ANALYZE ") + t.nombre);
    if (error.isEmpty() && reemplazar)
        error = ejecutarTexto(
            db, r.apartarComo.isEmpty()
                    ? QStringLiteral("DROP SCHEMA %1 CASCADE").arg(esquema)
                    : QStringLiteral("ALTER SCHEMA %1 RENAME TO %2").arg(esquema, r.apartarComo));
    if (error.isEmpty() && reemplazar)
        error =
            ejecutarTexto(db, QStringLiteral("ALTER SCHEMA %1 RENAME TO %2").arg(nuevo, esquema));
    if (error.isEmpty() && !db.commit()) error = motivo(db.lastError());
    if (!error.isEmpty() && enCurso) db.rollback();
    origen = QSqlDatabase();
    desconectar(archivo);
    return error;
}

/**
 * Writes the server year of connection nombre, whose tables are e's, into a new year file of
 * e's format at ruta, and compares.
 */
QString volcarEnArchivo(const QString& nombre, const QString& ruta,
                        const Esquema& e = esquemaReferencia()) {
    if (QFileInfo::exists(ruta))
        return QStringLiteral("Ya existe %1; no se sobrescribe.").arg(ruta);
    QString error = crearBaseDatos(ruta, e.version);
    if (!error.isEmpty()) return error;
    const QString archivo = QStringLiteral("torvane-bajar");
    error = abrirArchivo(ruta, archivo, false, e.version);
    QSqlDatabase servidor = QSqlDatabase::database(nombre, false);
    QSqlDatabase destino = QSqlDatabase::database(archivo, false);
    // One snapshot of the server for the copy and its comparison.
    const bool leyendo = error.isEmpty() && servidor.transaction();
    if (error.isEmpty() && !leyendo) error = motivo(servidor.lastError());
    if (error.isEmpty())
        error = ejecutarTexto(servidor,
                              QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
    if (error.isEmpty() && !destino.transaction()) error = motivo(destino.lastError());
    for (const Tabla& t : e.tablas)
        if (error.isEmpty()) error = copiarTabla(servidor, true, destino, t);
    if (error.isEmpty() && !destino.commit()) error = motivo(destino.lastError());
    if (error.isEmpty()) error = compararTodo(destino, servidor, e);
    if (leyendo) servidor.rollback();
    if (!error.isEmpty()) destino.rollback();
    destino = QSqlDatabase();
    desconectar(archivo);
    if (!error.isEmpty()) {
        QFile::remove(ruta);
        QFile::remove(ruta + QStringLiteral("-wal"));
        QFile::remove(ruta + QStringLiteral("-shm"));
    }
    return error;
}

/** Format version of the server year of db; -1 when it has none (not this program's). */
int versionServidor(QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT Version FROM tblVersion")) && q.next() ? q.value(0).toInt()
                                                                                : -1;
}

/** A year file brought to this program's format by the same migrations as any year file. */
QString migrarArchivo(const QString& ruta) {
    const QString nombre = QStringLiteral("torvane-migrar");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nombre);
        db.setDatabaseName(ruta);
        error = db.open() ? aplicarMigraciones(db) : motivo(db.lastError());
        db.close();
    }
    QSqlDatabase::removeDatabase(nombre);
    return error;
}

/**
 * The server year of connection nombre, of format version, brought to this program's: kept
 * first as it is in a year file beside the data (the pre-update copy), then a migrated copy
 * of that file replaces it in one transaction.
 */
QString actualizarEsquema(const QString& nombre, const QString& esquema, int version,
                          const QString& antes) {
    QString error = volcarEnArchivo(nombre, antes, esquemaReferencia(version));
    const QTemporaryDir temporal;
    const QString ruta = temporal.path() + QStringLiteral("/año.mdb");
    if (error.isEmpty() && !QFile::copy(antes, ruta))
        error = QStringLiteral("No se puede copiar %1.").arg(antes);
    if (error.isEmpty()) error = migrarArchivo(ruta);
    if (error.isEmpty()) error = cargarDesdeArchivo(nombre, ruta, esquema, {true, {}});
    return error;
}

} // namespace

QString& claveSesion() {
    static QString clave;
    return clave;
}

QStringList anosServidor() {
    QStringList anos;
    const QSqlDatabase db = Conexion();
    if (!esServidor(db)) return anos;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT substr(nspname, 5) FROM pg_namespace"
                          " WHERE nspname ~ '^ano_[0-9]{4}$' ORDER BY 1"));
    while (q.next())
        anos << q.value(0).toString();
    return anos;
}

QString abrirAnoDeCarpeta(const QString& carpeta, const QString& ano, Integridad integridad) {
    QString error;
    if (const auto servidor = leerServidor(carpeta, &error))
        return abrirAnoServidor(*servidor, ano);
    if (!error.isEmpty()) return error;
    const QString ruta = rutaBaseDatos(carpeta, ano);
    limpiarTemporales(ruta);
    return abrirBaseDatos(ruta, integridad);
}

std::optional<DatosServidor> leerServidor(const QString& carpeta, QString* error) {
    const QString ruta = carpeta + QLatin1Char('/') + kArchivoServidor;
    if (!QFileInfo::exists(ruta)) return std::nullopt;
    QSettings ini(ruta, QSettings::IniFormat);
    DatosServidor d;
    d.host = ini.value(QStringLiteral("servidor/host"), d.host).toString().trimmed();
    d.base = ini.value(QStringLiteral("servidor/base")).toString().trimmed();
    d.usuario = ini.value(QStringLiteral("servidor/usuario")).toString().trimmed();
    d.raiz = ini.value(QStringLiteral("servidor/sslrootcert")).toString().trimmed();
    // Encrypted unless the administrator says otherwise; checked against the CA when given.
    d.sslmode = ini.value(QStringLiteral("servidor/sslmode"),
                          d.raiz.isEmpty() ? d.sslmode : QStringLiteral("verify-full"))
                    .toString()
                    .trimmed();
    d.propietario = ini.value(QStringLiteral("servidor/propietario")).toString().trimmed();
    if (comoPropietario() && !d.propietario.isEmpty()) d.usuario = d.propietario;
    d.clave = claveSesion();
    bool numero = false;
    d.puerto = ini.value(QStringLiteral("servidor/puerto"), d.puerto).toInt(&numero);
    const QStringList modos{QStringLiteral("disable"),   QStringLiteral("allow"),
                            QStringLiteral("prefer"),    QStringLiteral("require"),
                            QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    QString falta;
    if (ini.status() != QSettings::NoError)
        falta = QStringLiteral("no se puede leer");
    else if (d.base.isEmpty())
        falta = QStringLiteral("falta «base»");
    else if (!numero || d.puerto < 1 || d.puerto > 65535)
        falta = QStringLiteral("«puerto» no es válido");
    else if (!modos.contains(d.sslmode))
        falta = QStringLiteral("«sslmode» debe ser uno de: ") + modos.join(QStringLiteral(", "));
    else if (!d.raiz.isEmpty() && !QFileInfo(QFileInfo(ruta).dir(), d.raiz).isFile())
        falta = QStringLiteral("no existe el certificado «sslrootcert» %1").arg(d.raiz);
    if (!falta.isEmpty()) {
        if (error)
            *error =
                QStringLiteral("El archivo %1 no sirve: %2 (sección [servidor]).").arg(ruta, falta);
        return std::nullopt;
    }
    if (!d.raiz.isEmpty()) d.raiz = QFileInfo(QFileInfo(ruta).dir(), d.raiz).absoluteFilePath();
    return d;
}

QString esquemaAno(const QString& ano) {
    // A year kept by a restore is named like its year with when it was replaced.
    static const QRegularExpression anoValido(
        QStringLiteral("^[0-9]{4}(_antes_[0-9]{8}_[0-9]{6})?$"));
    return anoValido.match(ano).hasMatch() ? QStringLiteral("ano_") + ano : QString();
}

bool esServidor(const QSqlDatabase& db) {
    return db.driverName() == kPostgres;
}

bool faltaClave(const QString& motivo) {
    return motivo.contains(QLatin1String("password"), Qt::CaseInsensitive) ||
           motivo.contains(QLatin1String("contraseña"), Qt::CaseInsensitive);
}

QString abrirAnoServidor(const DatosServidor& datos, const QString& ano, const QString& nombre) {
    const QString esquema = esquemaAno(ano);
    if (esquema.isEmpty()) return QStringLiteral("«%1» no es un año.").arg(ano);
    const QString conexion = nombre.isEmpty() ? QLatin1StringView(kNombreConexion) : nombre;
    if (conexion == QLatin1StringView(kNombreConexion)) cerrarBaseDatos();
    if (const QString error = conectar(datos, esquema, conexion); !error.isEmpty()) return error;
    QSqlDatabase db = QSqlDatabase::database(conexion, false);
    QString error;
    QSqlQuery q(db);
    if (!existeEsquema(db, esquema))
        error = QStringLiteral("El año %1 no está en el servidor; créelo con «torvane-admin "
                               "servidor crear %1» o súbalo con «torvane-admin servidor subir».")
                    .arg(ano);
    else if (!q.exec(QStringLiteral("SELECT Version FROM tblVersion")) || !q.next())
        error = QStringLiteral("El año %1 del servidor no es de este programa.").arg(ano);
    else if (q.value(0).toInt() > versionEsquema())
        error = QStringLiteral("El año %1 del servidor está en el formato %2, más nuevo que el %3 "
                               "de este programa: actualice el programa.")
                    .arg(ano)
                    .arg(q.value(0).toInt())
                    .arg(versionEsquema());
    else if (q.value(0).toInt() < versionEsquema())
        error = QStringLiteral("El año %1 del servidor está en el formato %2 y este programa usa "
                               "el %3: póngalo al día con «torvane-admin servidor actualizar %1» "
                               "(con los demás puestos cerrados).")
                    .arg(ano)
                    .arg(q.value(0).toInt())
                    .arg(versionEsquema());
    q.finish();
    if (error.isEmpty()) {
        recordarEsquemaAbierto(db);
        return {};
    }
    db = QSqlDatabase();
    desconectar(conexion);
    return error;
}

QString crearAnoServidor(const DatosServidor& datos, const QString& ano) {
    return crearAnoServidor(datos, ano, versionEsquema());
}

QString crearAnoServidor(const DatosServidor& datos, const QString& ano, int version) {
    const QString esquema = esquemaAno(ano);
    if (esquema.isEmpty()) return QStringLiteral("«%1» no es un año.").arg(ano);
    const QString nombre = QStringLiteral("torvane-servidor-crear");
    if (const QString error = conectar(datos, {}, nombre); !error.isEmpty()) return error;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::database(nombre, false);
        if (existeEsquema(db, esquema))
            error = QStringLiteral("El año %1 ya existe en el servidor; no se toca.").arg(ano);
        const bool enCurso = error.isEmpty() && db.transaction();
        if (error.isEmpty() && !enCurso) error = motivo(db.lastError());
        // The guards name the billing records' tables, which older formats lack.
        if (error.isEmpty())
            error =
                crearObjetos(db, esquema, esquemaReferencia(version), version == versionEsquema());
        if (error.isEmpty() && !db.commit()) error = motivo(db.lastError());
        if (!error.isEmpty() && enCurso) db.rollback();
    }
    desconectar(nombre);
    return error;
}

QString actualizarAnoServidor(const DatosServidor& datos, const QString& ano,
                              const QString& carpeta, int* formato) {
    const QString esquema = esquemaAno(ano);
    if (esquema.isEmpty()) return QStringLiteral("«%1» no es un año.").arg(ano);
    const QString nombre = QStringLiteral("torvane-servidor-actualizar");
    if (const QString error = conectar(datos, esquema, nombre); !error.isEmpty()) return error;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::database(nombre, false);
        const bool existe = existeEsquema(db, esquema);
        const int version = existe ? versionServidor(db) : -1;
        if (formato) *formato = version;
        if (!existe)
            error = QStringLiteral("El año %1 no está en el servidor.").arg(ano);
        else if (version < 0)
            error = QStringLiteral("El año %1 del servidor no es de este programa.").arg(ano);
        else if (version > versionEsquema())
            error = QStringLiteral("El año %1 del servidor está en el formato %2, más nuevo que "
                                   "el %3 de este programa: actualice el programa.")
                        .arg(ano)
                        .arg(version)
                        .arg(versionEsquema());
        // The other desks' writes wait (they take this same lock) until the year is back.
        else if (version < versionEsquema())
            error = ejecutarTexto(
                db, QStringLiteral("SELECT pg_advisory_lock(hashtext(current_schema()))"));
        if (error.isEmpty() && version < versionEsquema()) {
            // An earlier kept year is never overwritten.
            const QString base = rutaBaseDatos(carpeta, ano) +
                                 QStringLiteral(".antes-de-actualizar-v%1").arg(version);
            QString antes = base;
            for (int n = 2; QFileInfo::exists(antes); ++n)
                antes = base + QStringLiteral("-%1").arg(n);
            if (!crearCarpetaPrivada(QFileInfo(antes).absolutePath()))
                error = QStringLiteral("No se puede crear la carpeta de %1.").arg(antes);
            if (error.isEmpty()) error = actualizarEsquema(nombre, esquema, version, antes);
            if (error.isEmpty() && formato) *formato = versionEsquema();
        }
    }
    desconectar(nombre);
    return error;
}

QString subirAno(const QString& ruta, const DatosServidor& datos, const QString& ano) {
    const QString esquema = esquemaAno(ano);
    if (esquema.isEmpty()) return QStringLiteral("«%1» no es un año.").arg(ano);
    const QString nombre = QStringLiteral("torvane-servidor-subir");
    if (const QString error = conectar(datos, {}, nombre); !error.isEmpty()) return error;
    const QString error = cargarDesdeArchivo(nombre, ruta, esquema, {});
    desconectar(nombre);
    return error;
}

QString bajarAno(const DatosServidor& datos, const QString& ano, const QString& ruta) {
    const QString nombre = QStringLiteral("torvane-servidor-bajar");
    if (const QString error = abrirAnoServidor(datos, ano, nombre); !error.isEmpty()) return error;
    const QString error = volcarEnArchivo(nombre, ruta);
    desconectar(nombre);
    return error;
}

QString bajarAbierto(const QString& ruta) {
    return volcarEnArchivo(QLatin1StringView(kNombreConexion), ruta);
}

QString reemplazarDesdeArchivo(const QString& ruta, QString* guardado) {
    QSqlDatabase db = Conexion();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT current_schema()")) || !q.next())
        return motivo(q.lastError());
    const QString esquema = q.value(0).toString();
    q.finish();
    const QString apartado =
        esquema + kMarcaGuardado +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const QString error =
        cargarDesdeArchivo(QLatin1StringView(kNombreConexion), ruta, esquema, {true, apartado});
    if (!error.isEmpty()) return error;
    // This desk goes on in the year it restored.
    recordarEsquemaAbierto(db);
    if (guardado) *guardado = apartado.mid(4);
    return {};
}

} // namespace torvane
