#include "app/Modulo.h"
#include "data/Consulta.h"
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

namespace {

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QWidget* caja(QWidget& w, int i) {
    return w.findChild<QWidget*>(QStringLiteral("txtDatos_%1").arg(i));
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
    return w.findChild<QComboBox*>(QStringLiteral("cmbImpresora_%1").arg(i));
}

void salir(QWidget& w) {
    w.findChild<QPushButton*>(QStringLiteral("cmdPechar"))->click();
}

} // namespace

class TestConfiguracion : public QObject {
    Q_OBJECT

private slots:
    void idaYVuelta() {
        Entorno e;
        const QString imp = e.carpetaPrograma() + QStringLiteral("/imp.ini");
        const int ultima = int(listaImpresoras().size()) - 1;
        QStringList valores;
        for (int i = 0; i < 10; ++i)
            valores << QStringLiteral("D%1 O'Brien").arg(i);
        valores << QStringLiteral("7,5");
        {
            frmConfiguracion w;
            w.show();
            QCOMPARE(lista(w, 0)->currentIndex(), 0);
            QCOMPARE(lista(w, 0)->itemText(ultima), QStringLiteral("Archivo PDF"));
            for (int i = 0; i < 11; ++i)
                escribirEn(w, i, valores[i]);
            lista(w, 0)->setCurrentIndex(ultima);
            lista(w, 1)->setCurrentIndex(-1);
            salir(w);
            QVERIFY(!w.isVisible());
        }
        QCOMPARE(leer(imp), QByteArray::number(ultima) + "\r\n-1\r\n");
        QCOMPARE(Entorno::contar(QStringLiteral("tblTitulos")), 1);
        QCOMPARE(valorUnico(QStringLiteral("SELECT PorRet FROM tblTitulos")).toDouble(), 7.5);

        frmConfiguracion w;
        w.show();
        for (int i = 0; i < 11; ++i)
            QCOMPARE(textoDe(w, i), valores[i]);
        QCOMPARE(lista(w, 0)->currentIndex(), ultima);
        QCOMPARE(lista(w, 1)->currentIndex(), -1);
        escribirEn(w, 0, QStringLiteral("Otra"));
        lista(w, 1)->setCurrentIndex(0);
        salir(w);
        QCOMPARE(leer(imp), QByteArray::number(ultima) + "\r\n0\r\n");
        QCOMPARE(Entorno::contar(QStringLiteral("tblTitulos")), 1);
        QCOMPARE(valorUnico(QStringLiteral("SELECT Empresa FROM tblTitulos")).toString(),
                 QStringLiteral("Otra"));
    }

    void soloSalirGuarda() {
        Entorno e;
        frmConfiguracion w;
        w.show();
        escribirEn(w, 0, QStringLiteral("Sin guardar"));
        escribirEn(w, 10, QStringLiteral("diez"));
        salir(w);
        QCOMPARE(Mensaje::textos(), QStringList{QStringLiteral("Ponga un nº")});
        QVERIFY(w.isVisible());
        w.reject();
        QVERIFY(!QFile::exists(e.carpetaPrograma() + QStringLiteral("/imp.ini")));
        QCOMPARE(Entorno::contar(QStringLiteral("tblTitulos")), 0);
    }

    void teclas() {
        Entorno e;
        frmConfiguracion w;
        w.show();
        enfocar(caja(w, 0));
        pulsarEnter(caja(w, 0));
        QCOMPARE(QApplication::focusWidget(), caja(w, 1));
        enfocar(caja(w, 6));
        pulsarEnter(caja(w, 6));
        QCOMPARE(QApplication::focusWidget(), caja(w, 7));
        enfocar(caja(w, 10));
        pulsarEnter(caja(w, 10));
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));

        // Leaving the withholding box with text that is no number keeps the focus there.
        teclear(caja(w, 10), QStringLiteral("x"));
        enfocar(caja(w, 3));
        QTRY_COMPARE(Mensaje::textos(), QStringList{QStringLiteral("Ponga un nº")});
        QCOMPARE(QApplication::focusWidget(), caja(w, 10));
    }

    void editorNoBorraLoEscrito() {
        Entorno e;
        frmConfiguracion w;
        w.show();
        escribirEn(w, 2, QStringLiteral("Escrito antes"));
        bool abierto = false;
        cuandoAparezca<frmIvas>([&abierto](frmIvas* ivas) {
            abierto = true;
            ivas->done(QDialog::Rejected);
        });
        w.findChild<QToolButton*>(QStringLiteral("cmdIVA"))->click();
        QVERIFY(abierto);
        QCOMPARE(textoDe(w, 2), QStringLiteral("Escrito antes"));
        QVERIFY(w.isVisible());
    }
};

TORVANE_TEST_MAIN(TestConfiguracion)
#include "tst_configuracion.moc"
