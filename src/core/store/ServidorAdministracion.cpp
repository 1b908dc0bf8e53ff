// The administrator's side of the office server: roles, the years restores kept, encryption.
#include "core/store/Consulta.h"
#include "core/store/Servidor.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace torvane {

namespace {

const QString kConexion = QStringLiteral("torvane-servidor-preparar");

/** Runs sentencia with valores bound; throws ErrorBD with the engine's reason. */
QSqlQuery correr(const QString& sentencia, const QVariantList& valores = {}) {
    return ejecutar(QSqlDatabase::database(kConexion, false), sentencia, valores);
}

QStringList columna(const QString& sentencia, const QVariantList& valores = {}) {
    QSqlQuery q = correr(sentencia, valores);
    QStringList filas;
    while (q.next())
        filas << q.value(0).toString();
    return filas;
}

QString nombreEscapado(const QString& nombre) {
    return QSqlDatabase::database(kConexion, false)
        .driver()
        ->escapeIdentifier(nombre, QSqlDriver::FieldName);
}

void crearRol(const QString& rol) {
    if (columna(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {rol}).isEmpty())
        correr(QStringLiteral("CREATE ROLE %1 LOGIN").arg(nombreEscapado(rol)));
}

/** The year (or kept year) esquema owned by propietario, its guards current, open to puesto. */
void prepararEsquema(const QString& esquema, const QString& propietario, const QString& puesto) {
    const QString s = nombreEscapado(esquema);
    correr(QStringLiteral("SET LOCAL search_path TO %1").arg(s));
    for (const QString& funcion : funcionesDeGuardas())
        correr(funcion);
    correr(QStringLiteral("ALTER SCHEMA %1 OWNER TO %2").arg(s, propietario));
    for (const QString& tabla :
         columna(QStringLiteral("SELECT quote_ident(c.relname) FROM pg_class c JOIN pg_namespace n"
                                " ON n.oid = c.relnamespace WHERE n.nspname = ?"
                                " AND c.relkind = 'r'"),
                 {esquema}))
        correr(QStringLiteral("ALTER TABLE %1.%2 OWNER TO %3").arg(s, tabla, propietario));
    for (const QString& funcion :
         columna(QStringLiteral("SELECT p.oid::regprocedure::text FROM pg_proc p JOIN"
                                " pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = ?"),
                 {esquema}))
        correr(QStringLiteral("ALTER FUNCTION %1 OWNER TO %2").arg(funcion, propietario));
    // The desks see only the working years, never the ones a restore kept.
    if (esquema != esquemaAno(esquema.mid(4).left(4))) return;
    correr(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(s, puesto));
    correr(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")
               .arg(s, puesto));
}

void preparar(const QString& base, const QString& propietario, const QString& puesto) {
    crearRol(propietario);
    crearRol(puesto);
    const QString dueno = nombreEscapado(propietario);
    const QString desk = nombreEscapado(puesto);
    correr(QStringLiteral("GRANT CONNECT, CREATE ON DATABASE %1 TO %2")
               .arg(nombreEscapado(base), dueno));
    correr(QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(nombreEscapado(base), desk));
    // Years are made, replaced and removed by their owner alone; a desk only writes rows.
    correr(QStringLiteral("REVOKE CREATE ON DATABASE %1 FROM %2, PUBLIC")
               .arg(nombreEscapado(base), desk));
    correr(QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"));
    correr(QStringLiteral("CREATE EXTENSION IF NOT EXISTS unaccent SCHEMA public"));
    for (const QString& esquema :
         columna(QStringLiteral("SELECT nspname FROM pg_namespace WHERE nspname ~ '^ano_[0-9]{4}'"
                                " ORDER BY 1")))
        prepararEsquema(esquema, dueno, desk);
    correr(QStringLiteral("ALTER DEFAULT PRIVILEGES FOR ROLE %1 GRANT USAGE ON SCHEMAS TO %2")
               .arg(dueno, desk));
    correr(QStringLiteral("ALTER DEFAULT PRIVILEGES FOR ROLE %1 GRANT SELECT, INSERT, UPDATE,"
                          " DELETE ON TABLES TO %2")
               .arg(dueno, desk));
}

} // namespace

QString prepararServidor(const DatosServidor& datos, const QString& propietario,
                         const QString& puesto) {
    static const QRegularExpression nombreValido(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    for (const QString& rol : {propietario, puesto})
        if (!nombreValido.match(rol).hasMatch())
            return QStringLiteral("«%1» no sirve como nombre de usuario del servidor: use "
                                  "minúsculas sin acentos, cifras y «_».")
                .arg(rol);
    if (propietario == puesto)
        return QStringLiteral("El propietario y el usuario de los puestos han de ser distintos.");
    if (const QString error = conectarServidor(datos, {}, kConexion); !error.isEmpty())
        return error;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::database(kConexion, false);
        if (!db.transaction()) error = textoMotor(db.lastError());
        try {
            if (error.isEmpty()) preparar(datos.base, propietario, puesto);
            if (error.isEmpty() && !db.commit()) error = textoMotor(db.lastError());
        } catch (const ErrorBD& fallo) {
            error = fallo.texto();
        }
        if (!error.isEmpty()) db.rollback();
    }
    desconectarServidor(kConexion);
    return error;
}

QString avisoCifrado(const DatosServidor& d) {
    static const QStringList sinCifrar{QStringLiteral("disable"), QStringLiteral("allow"),
                                       QStringLiteral("prefer")};
    if (!sinCifrar.contains(d.sslmode)) return {};
    return QStringLiteral("Atención: con sslmode=%1 en servidor.ini los datos (N.I.F., cuentas, "
                          "importes) y la contraseña pueden viajar sin cifrar por la red. Use "
                          "sslmode=require, o verify-full con el certificado de la autoridad en "
                          "sslrootcert.")
        .arg(d.sslmode);
}

bool& comoPropietario() {
    static bool propietario = false;
    return propietario;
}

QStringList anosGuardados(const QString& ano) {
    QStringList guardados;
    QSqlQuery q(Conexion());
    q.prepare(QStringLiteral("SELECT substr(nspname, 5) FROM pg_namespace"
                             " WHERE starts_with(nspname, ?) ORDER BY 1 DESC"));
    q.addBindValue(esquemaAno(ano) + kMarcaGuardado);
    if (q.exec())
        while (q.next())
            guardados << q.value(0).toString();
    return guardados;
}

QString quitarGuardado(const DatosServidor& datos, const QString& guardado) {
    const QString esquema = esquemaAno(guardado);
    if (!esquema.contains(kMarcaGuardado))
        return QStringLiteral("«%1» no es un año guardado por una recuperación (AAAA_antes_…).")
            .arg(guardado);
    const QString nombre = QStringLiteral("torvane-servidor-quitar");
    if (const QString error = conectarServidor(datos, {}, nombre); !error.isEmpty()) return error;
    QString error;
    try {
        const QSqlDatabase db = QSqlDatabase::database(nombre, false);
        if (ejecutar(db, QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = ?"), {esquema})
                .next())
            ejecutar(db, QStringLiteral("DROP SCHEMA %1 CASCADE").arg(esquema));
        else
            error = QStringLiteral("No hay ningún año guardado como %1.").arg(guardado);
    } catch (const ErrorBD& fallo) {
        error = fallo.texto();
    }
    desconectarServidor(nombre);
    return error;
}

} // namespace torvane
