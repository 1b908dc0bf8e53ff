#pragma once

#include "core/store/Sesion.h"
#include "core/text/Plegado.h"
#include "support/Entorno.h"
#include "ui/Rejilla.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace torvane;

using namespace Qt::Literals::StringLiterals;

/** A window's class as the program names it, without its namespace. */
inline QString claseDe(const QObject* objeto) {
    return QString::fromLatin1(objeto->metaObject()->className()).section(u"::"_s, -1);
}

template <typename T> T* hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QString::fromLatin1(nombre));
}

inline QLineEdit* caja(QWidget* ventana, const char* nombre) {
    return hijo<QLineEdit>(ventana, nombre);
}
inline QLineEdit* caja(QWidget* ventana, const QString& nombre) {
    return ventana->findChild<QLineEdit*>(nombre);
}

inline void pulsar(QWidget* ventana, const char* boton) {
    hijo<QPushButton>(ventana, boton)->click();
}

/** The text shown by a label or a box. */
inline QString textoDe(QWidget* ventana, const char* nombre) {
    return hijo<QWidget>(ventana, nombre)->property("text").toString();
}

/** "a|b||c" as a list; an empty string is an empty list. */
inline QStringList lista(const char* textos) {
    const QString t = QString::fromUtf8(textos);
    return t.isEmpty() ? QStringList{} : t.split(QLatin1Char('|'));
}

/** Rows of a table meeting a condition. */
inline int contar(const char* tabla, const char* condicion = "", const QVariantList& valores = {}) {
    return Entorno::contar(QString::fromUtf8(tabla), QString::fromUtf8(condicion), valores);
}

inline QString comoDato(const char* texto) {
    return QString::fromUtf8(texto);
}
template <typename T> const T& comoDato(const T& valor) {
    return valor;
}

/** Adds a test data row; C strings go in as QString. */
template <typename... T> void fila(const QByteArray& caso, const T&... valores) {
    QTestData& datos = QTest::newRow(caso.constData());
    ((datos << comoDato(valores)), ...);
}

/** Replaces a box's text through the keyboard, as the user would. */
inline void escribir(QLineEdit* control, const QString& texto) {
    enfocar(control);
    control->selectAll();
    QTest::keyClick(control, Qt::Key_Backspace);
    teclear(control, texto);
}

/** The texts a grid shows in one column, from the first data row down. */
inline QStringList columna(const Rejilla* rejilla, int c) {
    QStringList textos;
    for (int f = 1; f < rejilla->numFilas(); ++f)
        textos << rejilla->texto(f, c);
    return textos;
}

inline Rejilla* rejillaDe(QWidget* ventana) {
    return hijo<Rejilla>(ventana, "mshDatos");
}

/** Runs statements on a database file through a connection of its own; the last one's first
 * column. Empty statements are skipped. */
inline QStringList sobreArchivo(const QString& ruta, const QStringList& sentencias) {
    QStringList valores;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"prueba-archivo"_s);
        db.setDatabaseName(ruta);
        db.open();
        // As every connection of the program: writing a name keeps its text index.
        registrarFuncionesTexto(db);
        QSqlQuery q(db);
        for (const QString& sql : sentencias)
            if (!sql.isEmpty() && !q.exec(sql))
                QTest::qFail(qPrintable(sql + u": "_s + q.lastError().text()), __FILE__, __LINE__);
        while (q.next())
            valores << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(u"prueba-archivo"_s);
    return valores;
}

/** The settings of a program folder: the data folder and the working year. */
inline void apuntarA(const QString& carpeta, const QString& datos, const QString& ano) {
    guardarEn(carpeta + u"/ruta.ini"_s, datos.toUtf8() + "\r\n");
    guardarEn(carpeta + u"/ano.ini"_s, ano.toUtf8() + "\r\n");
}

/** Runs the administration tool to its end; its standard output. */
inline QString ejecutarAdmin(const QStringList& argumentos, int* salida = nullptr) {
    QProcess admin;
    admin.start(qEnvironmentVariable("TORVANE_ADMIN"), argumentos);
    admin.waitForFinished(60000);
    if (salida) *salida = admin.exitCode();
    return QString::fromUtf8(admin.readAllStandardOutput());
}

/** The default templates (those matching filtro) in the data folder. */
inline void prepararImpresion(const QString& filtro = u"*"_s) {
    QDir().mkpath(sesion().ruta + u"/Informes"_s);
    for (const QString& nombre : QDir(u":/informes"_s).entryList({filtro}))
        QFile::copy(u":/informes/"_s + nombre, sesion().ruta + u"/Informes/"_s + nombre);
}
