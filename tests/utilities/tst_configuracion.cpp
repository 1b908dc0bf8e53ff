#include "app/Modulo.h"
#include "data/Consulta.h"
#include "data/Titulos.h"
#include "editors/frmIvas.h"
#include "reports/Impresoras.h"
#include "support/Entorno.h"
#include "ui/Mensajes.h"
#include "utilities/frmConfiguracion.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QWidget* caja(QWidget& w, int i) {
    return w.findChild<QWidget*>(u"txtDatos_%1"_s.arg(i));
}

void escribirEn(QWidget& w, int i, const QString& texto) {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(caja(w, i)))
        varias->setPlainText(texto);
    else
        static_cast<QLineEdit*>(caja(w, i))->setText(texto);
}

QString textoDe(QWidget& w, int i) {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(caja(w, i))) return varias->toPlainText();
    return static_cast<QLineEdit*>(caja(w, i))->text();
}

QComboBox* lista(QWidget& w, int i) {
    return w.findChild<QComboBox*>(u"cmbImpresora_%1"_s.arg(i));
}

void salir(QWidget& w) {
    w.findChild<QPushButton*>(u"cmdPechar"_s)->click();
}

} // namespace

class TestConfiguracion : public QObject {
    Q_OBJECT

private slots:
    void idaYVuelta() {
        Entorno e;
        const QString imp = e.carpetaPrograma() + u"/imp.ini"_s;
        const int ultima = int(listaImpresoras().size()) - 1;
        QStringList valores;
        for (int i = 0; i < 10; ++i)
            valores << u"D%1 O'Brien"_s.arg(i);
        valores << u"7,5"_s << u"Exenta (art. 20.Uno.23.º LIVA)"_s;
        {
            frmConfiguracion w;
            w.show();
            QCOMPARE(textoDe(w, 11), kTextoExentoComun);
            QCOMPARE(lista(w, 0)->currentIndex(), 0);
            QCOMPARE(lista(w, 0)->itemText(ultima), u"Archivo PDF"_s);
            for (int i = 0; i < 12; ++i)
                escribirEn(w, i, valores[i]);
            lista(w, 0)->setCurrentIndex(ultima);
            lista(w, 1)->setCurrentIndex(-1);
            // The VAT editor opened from here leaves what was typed alone.
            bool abierto = false;
            cuandoAparezca<frmIvas>([&abierto](frmIvas* ivas) {
                abierto = true;
                ivas->done(QDialog::Rejected);
            });
            w.findChild<QToolButton*>(u"cmdIVA"_s)->click();
            QVERIFY(abierto);
            QCOMPARE(textoDe(w, 2), valores[2]);
            salir(w);
            QVERIFY(!w.isVisible());
        }
        QCOMPARE(contenidoDe(imp), QByteArray::number(ultima) + "\r\n-1\r\n");
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 1);
        QCOMPARE(valorUnico(u"SELECT PorRet FROM tblTitulos"_s).toDouble(), 7.5);

        frmConfiguracion w;
        w.show();
        for (int i = 0; i < 12; ++i)
            QCOMPARE(textoDe(w, i), valores[i]);
        QCOMPARE(lista(w, 0)->currentIndex(), ultima);
        QCOMPARE(lista(w, 1)->currentIndex(), -1);
        escribirEn(w, 0, u"Otra"_s);
        escribirEn(w, 11, QString()); // back to the common wording
        lista(w, 1)->setCurrentIndex(0);
        salir(w);
        QCOMPARE(contenidoDe(imp), QByteArray::number(ultima) + "\r\n0\r\n");
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 1);
        QCOMPARE(valorUnico(u"SELECT Empresa || (TxtExento IS NULL) FROM tblTitulos"_s).toString(),
                 u"Otra1"_s);
    }

    void soloSalirGuardaYConUnNumero() {
        Entorno e;
        frmConfiguracion w;
        w.show();
        // Enter moves on, from the multi-line box too, but stays in the last box.
        enfocar(caja(w, 6));
        pulsarEnter(caja(w, 6));
        QCOMPARE(QApplication::focusWidget(), caja(w, 7));
        // The exemption wording, last of "Empresa", sits between the account and data protection.
        enfocar(caja(w, 8));
        pulsarEnter(caja(w, 8));
        QCOMPARE(QApplication::focusWidget(), caja(w, 11));
        pulsarEnter(caja(w, 11));
        QCOMPARE(QApplication::focusWidget(), caja(w, 12));
        enfocar(caja(w, 13));
        pulsarEnter(caja(w, 13));
        QCOMPARE(QApplication::focusWidget(), caja(w, 9));
        enfocar(caja(w, 10));
        pulsarEnter(caja(w, 10));
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));

        // Leaving the withholding box with text that is no number keeps the focus there.
        escribirEn(w, 0, u"Sin guardar"_s);
        teclear(caja(w, 10), u"x"_s);
        enfocar(caja(w, 3));
        QTRY_COMPARE(Mensaje::textos(), QStringList{u"Ponga un nº"_s});
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));
        salir(w);
        QCOMPARE(Mensaje::textos(), QStringList(2, u"Ponga un nº"_s));
        QVERIFY(w.isVisible());
        w.reject();
        QVERIFY(!QFile::exists(e.carpetaPrograma() + u"/imp.ini"_s));
        QCOMPARE(Entorno::contar(u"tblTitulos"_s), 0);
    }
};

TORVANE_TEST_MAIN(TestConfiguracion)
#include "tst_configuracion.moc"
