#include "data/Ajustes.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {

// Files written on other systems may be UTF-8 or the old 8-bit Windows code page.
QString decodificar(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : texto;
}

// The rest of a line (up to and including its LF), read in bounded pieces and dropped.
void saltarResto(QIODevice& archivo, QByteArray trozo) {
    while (!trozo.endsWith('\n') && !trozo.isEmpty())
        trozo = archivo.readLine(kMaximoLineaAjuste + 1);
}

} // namespace

QString lineaAjuste(QIODevice& archivo, int n) {
    for (int i = 0;; ++i) {
        QByteArray linea = archivo.readLine(kMaximoLineaAjuste + 1);
        if (linea.isEmpty()) return {};
        const bool entera = linea.endsWith('\n');
        if (!entera) saltarResto(archivo, archivo.readLine(kMaximoLineaAjuste + 1));
        if (i < n) continue;
        if (entera) linea.chop(1);
        if (linea.endsWith('\r')) linea.chop(1);
        return decodificar(linea.left(kMaximoLineaAjuste));
    }
}

QString acortarRuta(const QString& ruta, qsizetype maximo) {
    if (ruta.size() <= maximo) return ruta;
    const qsizetype cabeza = (maximo - 1) / 2;
    return ruta.left(cabeza) + QChar(0x2026) + ruta.right(maximo - 1 - cabeza);
}
