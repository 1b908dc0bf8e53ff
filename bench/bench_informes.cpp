// Times of the report engine on a 10,000-document year: one receipt and the "Recibos" list,
// each rendered and written to PDF, against a plain read of the same rows.
//
//   bench_informes [runs]     (default 5; prints the median of the runs in milliseconds)

#include "Demo.h"
#include "app/Modulo.h"
#include "data/BaseDatos.h"
#include "data/Consulta.h"
#include "reports/MotorInforme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

double mediana(int veces, const std::function<void()>& paso) {
    std::vector<double> tiempos;
    for (int i = 0; i < veces; ++i) {
        QElapsedTimer reloj;
        reloj.start();
        paso();
        tiempos.push_back(static_cast<double>(reloj.nsecsElapsed()) / 1e6);
    }
    std::sort(tiempos.begin(), tiempos.end());
    return tiempos[tiempos.size() / 2];
}

// The rows the list prints, read and touched without any formatting.
void lecturaDirecta() {
    QSqlQuery q = ejecutar(QStringLiteral(
        "SELECT c.Fec, c.Num, c.Ser, m.Des, q.Nom, c.Base, c.PorIva, c.IVA, c.PorRet, c.Ret,"
        " c.Tot, c.Pag FROM (tblCobros c LEFT JOIN tblInmuebles m ON c.IdInm = m.Id)"
        " LEFT JOIN tblInquilinos q ON c.IdInq = q.Id ORDER BY c.Fec, c.Ser, c.Num"));
    qsizetype suma = 0;
    while (q.next())
        for (int i = 0; i < 12; ++i)
            suma += q.value(i).toString().size();
    if (suma == 0) qFatal("No hay documentos");
}

void aPdf(const InformeGenerado& informe, const QString& archivo) {
    if (!informe.valido()) qFatal("%s", qPrintable(informe.error));
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(archivo);
    prepararImpresora(impresora);
    PaginasInforme paginas(informe.html);
    if (!paginas.pintar(&impresora)) qFatal("No se pudo escribir %s", qPrintable(archivo));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    const int veces = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    QTextStream salida(stdout);

    QTemporaryDir carpeta;
    TamanoDemo tamano;
    tamano.inmuebles = 200;
    tamano.inquilinos = 200;
    tamano.documentos = 10000;
    tamano.lineasPorDocumento = 3;
    QElapsedTimer reloj;
    reloj.start();
    if (const QString error = crearDemo(carpeta.path(), QStringLiteral("2024"), tamano);
        !error.isEmpty())
        qFatal("%s", qPrintable(error));
    salida << "Año de 10.000 documentos creado en " << reloj.elapsed() << " ms\n";
    Modulo::Ruta = carpeta.path();
    Modulo::RutaBD = carpeta.path() + QStringLiteral("/2024/Zudivoz.mdb");
    if (const QString error = abrirBaseDatos(Modulo::RutaBD); !error.isEmpty())
        qFatal("%s", qPrintable(error));

    const QString pdf = carpeta.path() + QStringLiteral("/salida.pdf");
    const ParametrosInforme lista = {{QStringLiteral("pEmpresa"), QStringLiteral("Torvane")},
                                     {QStringLiteral("pTitulo"), QStringLiteral("Recibos")}};
    const double directa = mediana(veces, lecturaDirecta);
    const double reciboDatos = mediana(veces, [] {
        abrirInforme(QStringLiteral("Recibo"), {{QStringLiteral("pTotal"), QStringLiteral("1,00")}},
                     QStringLiteral("{tblCobros.Id} =5000"));
    });
    const double recibo = mediana(veces, [&] {
        aPdf(abrirInforme(QStringLiteral("Recibo"),
                          {{QStringLiteral("pTotal"), QStringLiteral("1,00")}},
                          QStringLiteral("{tblCobros.Id} =5000")),
             pdf);
    });
    const double listaDatos =
        mediana(veces, [&] { abrirInforme(QStringLiteral("Recibos"), lista); });
    const double listaPdf =
        mediana(veces, [&] { aPdf(abrirInforme(QStringLiteral("Recibos"), lista), pdf); });

    salida << "Mediana de " << veces << " pasadas (ms; razón frente a la lectura directa)\n";
    const auto fila = [&](const char* nombre, double ms) {
        salida << QStringLiteral("  %1 %2 ms  x%3\n")
                      .arg(QString::fromUtf8(nombre), -40)
                      .arg(ms, 9, 'f', 1)
                      .arg(ms / directa, 0, 'f', 1);
    };
    fila("lectura directa de los documentos", directa);
    fila("recibo: datos y plantilla", reciboDatos);
    fila("recibo: hasta el PDF", recibo);
    fila("lista Recibos: datos y plantilla", listaDatos);
    fila("lista Recibos: hasta el PDF", listaPdf);
    cerrarBaseDatos();
    return 0;
}
