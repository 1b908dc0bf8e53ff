// Renders an SVG icon to a square PNG of the given size, for the desktop's icon theme.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication aplicacion(argc, argv);
    const QStringList args = aplicacion.arguments().mid(1);
    bool ok = false;
    const int lado = args.value(1).toInt(&ok);
    QSvgRenderer svg(args.value(0));
    if (args.size() != 3 || !ok || lado <= 0 || !svg.isValid()) {
        QTextStream(stderr) << "Uso: torvane-iconos ICONO.svg LADO SALIDA.png\n";
        return 2;
    }
    QImage imagen(lado, lado, QImage::Format_ARGB32_Premultiplied);
    imagen.fill(Qt::transparent);
    QPainter pintor(&imagen);
    svg.render(&pintor);
    pintor.end();
    return imagen.save(args.value(2)) ? 0 : 1;
}
