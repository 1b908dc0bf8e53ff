#include "reports/LetraInforme.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <mutex>

namespace torvane {

namespace {

const QString kFamilia = QStringLiteral("Torvane Sans");

/** The program's copy of the font, known to Qt from the first report on. */
void registrarLetra() {
    static std::once_flag una;
    std::call_once(una, [] {
        for (const char* archivo : {":/letras/TorvaneSans.ttf", ":/letras/TorvaneSans-Bold.ttf"})
            QFontDatabase::addApplicationFont(QLatin1StringView(archivo));
    });
}

} // namespace

QFont letraInforme(double puntos) {
    registrarLetra();
    QFont f(kFamilia);
    f.setPointSizeF(puntos);
    return f;
}

QString conLetraInforme(QString html) {
    registrarLetra();
    // Quoted or not, but not a longer family such as DejaVu Sans Mono.
    static const QRegularExpression familia(
        QStringLiteral(R"((font-family\s*:\s*)(['"]?)DejaVu Sans\2(?![\w-]| +\w))"));
    return html.replace(familia, QStringLiteral("\\1'%1'").arg(kFamilia));
}

} // namespace torvane
