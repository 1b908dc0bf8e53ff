#include "ui/Exportar.h"

#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/Rejilla.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace torvane {

namespace {

bool visible(const Columna& c) {
    return c.twipsFijos == 0 && c.fraccion > 0;
}

QString rutaElegida(QWidget* ventana, const QString& nombre) {
    QString limpio = nombre;
    limpio.replace(QLatin1Char('/'), QLatin1Char('-'));
    const QString propuesta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                              QLatin1Char('/') + limpio + QStringLiteral(".xlsx");
    QString ruta = DialogoArchivo::guardar(
        ventana, QStringLiteral("Exportar"), propuesta,
        QStringLiteral("Hoja de cálculo (*.xlsx);;Texto separado por punto y coma (*.csv)"));
    const QString sufijo = QFileInfo(ruta).suffix().toLower();
    if (!ruta.isEmpty() && sufijo != QLatin1String("xlsx") && sufijo != QLatin1String("csv"))
        ruta += QStringLiteral(".xlsx");
    return ruta;
}

} // namespace

Hoja hojaDeRejilla(ModeloRejilla& modelo, const QString& nombre, FilaTotales totales,
                   const FueraDeTotales& fuera, const FilasDeNuevo& deNuevo) {
    if (!deNuevo) modelo.cargarHasta();
    Hoja hoja{nombre, {}, {}, true, {}, {}};
    QList<int> indices;
    for (int c = 0; c < modelo.numColumnas(); ++c) {
        const Columna& columna = modelo.columnas()[c];
        if (!visible(columna)) continue;
        if (c == fuera.columna) hoja.fuera = {static_cast<int>(indices.size()), fuera.marca};
        indices << c;
        hoja.columnas << ColumnaHoja{columna.titulo, columna.dato};
    }
    if (deNuevo) {
        hoja.siguiente = [fuente = std::make_shared<FilasAparte>(deNuevo), indices,
                          celdas = QVariantList()](QVariantList& fila) mutable {
            if (!fuente->siguiente(celdas)) return false;
            fila.clear();
            for (const int c : std::as_const(indices))
                fila << celdas.value(c - 1);
            return true;
        };
        return hoja;
    }
    const int ultima = modelo.filasDatos() - (totales == FilaTotales::Ultima ? 1 : 0);
    hoja.filas.reserve(ultima);
    for (int f = 1; f <= ultima; ++f) {
        QVariantList fila;
        fila.reserve(indices.size());
        for (int i = 0; i < indices.size(); ++i)
            fila << celdaDeTexto(modelo.texto(f, indices[i]), hoja.columnas[i].tipo);
        hoja.filas << fila;
    }
    return hoja;
}

void exportarRejilla(QWidget* ventana, Rejilla* rejilla, const QString& nombre, FilaTotales totales,
                     const FueraDeTotales& fuera, const FilasDeNuevo& deNuevo) {
    if (rejilla->numFilas() < 2) {
        Mensaje::informar(ventana, QStringLiteral("No hay filas que exportar."));
        return;
    }
    exportarHojaElegida(
        ventana, [&] { return hojaDeRejilla(*rejilla->modelo(), nombre, totales, fuera, deNuevo); },
        nombre);
}

void exportarHojaElegida(QWidget* ventana, const std::function<Hoja()>& hoja,
                         const QString& nombre) {
    const QString ruta = rutaElegida(ventana, nombre);
    if (ruta.isEmpty()) return;
    QString error;
    qsizetype filas = 0;
    {
        CursorEspera espera(ventana);
        error = exportarHoja(hoja(), ruta, &filas);
    }
    if (!error.isEmpty()) {
        Mensaje::critico(ventana, error);
        return;
    }
    const QString cuantas = segunCuenta(filas, QStringLiteral("1 fila exportada"),
                                        QStringLiteral("%1 filas exportadas"));
    Mensaje::informar(ventana, cuantas + QStringLiteral(" a ") + QDir::toNativeSeparators(ruta));
}

void mostrarHoja(Rejilla* rejilla, const Hoja& hoja, const QList<double>& fracciones) {
    QList<Columna> columnas{Columna::numero()};
    const double igual = 0.9 / std::max<qsizetype>(1, hoja.columnas.size());
    for (int c = 0; c < hoja.columnas.size(); ++c) {
        const ColumnaHoja& h = hoja.columnas[c];
        const double f = fracciones.value(c, igual);
        columnas << (h.tipo == TipoDato::Importe  ? Columna::importe(h.titulo, f)
                     : h.tipo == TipoDato::Numero ? Columna::cifra(h.titulo, f)
                     : h.tipo == TipoDato::Fecha  ? Columna::fecha(h.titulo, f)
                                                  : Columna::texto(h.titulo, f));
    }
    const auto textos = [&hoja](const QVariantList& fila, const QString& numero) {
        QStringList t{numero};
        for (int c = 0; c < hoja.columnas.size(); ++c)
            t << textoCelda(fila.value(c));
        return t;
    };
    QList<QStringList> filas;
    for (const QVariantList& fila : hoja.filas)
        filas << textos(fila, QString::number(filas.size() + 1));
    if (hoja.totales && !filas.isEmpty()) filas << textos(filaTotales(hoja), QString());
    rejilla->definirColumnas(columnas);
    rejilla->modelo()->fijarFilas(filas);
    if (!filas.isEmpty()) rejilla->fijarFilaActual(1, 1);
}

void conectarExportar(QAbstractButton* boton, Rejilla* rejilla, const QString& nombre,
                      FilaTotales totales, const FueraDeTotales& fuera,
                      const FilasDeNuevo& deNuevo) {
    QObject::connect(boton, &QAbstractButton::clicked, rejilla,
                     protegido(rejilla, [boton, rejilla, nombre, totales, fuera, deNuevo] {
                         exportarRejilla(boton->window(), rejilla, nombre, totales, fuera, deNuevo);
                     }));
}

} // namespace torvane
