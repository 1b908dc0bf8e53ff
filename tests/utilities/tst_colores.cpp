#include "app/Modulo.h"
#include "support/Entorno.h"
#include "ui/Colores.h"
#include "utilities/frmColor.h"

#include <QFile>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

QStringList marcas(frmColor& w, const QString& nombre) {
    QStringList textos;
    for (int i = 0; i < 10; ++i)
        textos << w.findChild<QLabel*>(nombre + u"_%1"_s.arg(i))->text();
    return textos;
}

QStringList marcaEn(int i) {
    QStringList textos(10);
    if (i >= 0) textos[i] = u">>>"_s;
    return textos;
}

void pulsar(frmColor& w, const QString& nombre) {
    QTest::mouseClick(w.findChild<QLabel*>(nombre), Qt::LeftButton);
}

// What start-up does with the colour files.
void reiniciar() {
    Modulo::ColorPrincipal = Modulo::LeerColor();
    Modulo::ColorFondo = Modulo::LeerColor2();
}

} // namespace

class TestColores : public QObject {
    Q_OBJECT

private slots:
    void elegirYReiniciar() {
        Entorno e;
        const QString p = e.carpetaPrograma();
        reiniciar();
        {
            frmColor w;
            w.show();
            // No colour files: the first colour of each palette, never black.
            QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(0));
            QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(0));
            QCOMPARE(colorFondo(), colorDesdeNumero(0xC8C0F2));
            for (int bgr : kPaletaPrincipal)
                QCOMPARE(colorTexto(colorDesdeNumero(bgr)), QColor(Qt::black));
            QCOMPARE(colorTexto(QColor(0x20, 0x20, 0x60)), QColor(Qt::white));
            QCOMPARE(fondoDe(w.findChild<QLabel*>(u"lblColor2_9"_s)), colorDesdeNumero(0xEAC97D));
            pulsar(w, u"lblColor_0"_s);
            QCOMPARE(contenidoDe(p + u"/color.ini"_s), QByteArray(" 15724025 \r\n"));
            QVERIFY(!QFile::exists(p + u"/color2.ini"_s));
            QCOMPARE(colorPrincipal(), colorDesdeNumero(0xEFEDF9));
            pulsar(w, u"lblColor2_4"_s);
            pulsar(w, u"lblColor_3"_s);
            QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(3));
            // Both palettes hold C0FFC0 at index 4; each follows its own colour only.
            QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(4));
        }
        QCOMPARE(contenidoDe(p + u"/color.ini"_s), QByteArray(" 16777215 \r\n"));
        QCOMPARE(contenidoDe(p + u"/color2.ini"_s), QByteArray(" 12648384 \r\n"));
        QCOMPARE(colorFondo(), colorDesdeNumero(0xC0FFC0));

        Modulo::ColorPrincipal.clear();
        Modulo::ColorFondo.clear();
        reiniciar();
        frmColor w;
        w.show();
        QCOMPARE(marcas(w, u"lblColor"_s), marcaEn(3));
        QCOMPARE(marcas(w, u"lblColor2"_s), marcaEn(4));
    }
};

TORVANE_TEST_MAIN(TestColores)
#include "tst_colores.moc"
