#include "expenses/frmDatosFiscales.h"

#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvane {

frmDatosFiscales::frmDatosFiscales(const DatosFiscales& d, QWidget* padre)
    : Ventana(padre)
    , datos_(d) {
    setObjectName(QStringLiteral("frmDatosFiscales"));
    setWindowTitle(QStringLiteral("Datos fiscales del inmueble"));
    const auto importe = [this](const char* nombre, Importe valor) {
        auto* c = new QLineEdit(valor.esCero() ? QString() : valor.textoSimple(), this);
        c->setObjectName(QLatin1String(nombre));
        c->setAlignment(Qt::AlignRight);
        configurarCampo(c, Campo::Numero);
        return c;
    };
    txtCatastral_ = importe("txtCatastral", d.valorCatastral);
    txtConstruccion_ = importe("txtConstruccion", d.valorConstruccion);
    chkRevisado_ = new QCheckBox(QStringLiteral("Re&visado en los últimos diez años"), this);
    chkRevisado_->setObjectName(QStringLiteral("chkRevisado"));
    chkRevisado_->setChecked(d.revisado);
    txtCoste_ = importe("txtCoste", d.costeAdquisicion);
    txtFecha_ = new QLineEdit(formatoFecha(d.fechaAdquisicion), this);
    txtFecha_->setObjectName(QStringLiteral("txtFecha"));
    configurarCampo(txtFecha_, Campo::Normal);
    txtMejoras_ = importe("txtMejoras", d.mejorasAnteriores);
    txtMobiliario_ = importe("txtMobiliario", d.mobiliario);
    chkVivienda_ = new QCheckBox(QStringLiteral("Es una &vivienda"), this);
    chkVivienda_->setObjectName(QStringLiteral("chkVivienda"));
    chkVivienda_->setChecked(d.vivienda);
    auto* datos = new QFormLayout;
    datos->addRow(QStringLiteral("Valor ca&tastral"), txtCatastral_);
    datos->addRow(QStringLiteral("Valor catastral de la co&nstrucción"), txtConstruccion_);
    datos->addRow(QString(), chkRevisado_);
    datos->addRow(QStringLiteral("Coste de ad&quisición (con gastos e impuestos)"), txtCoste_);
    datos->addRow(QStringLiteral("&Fecha de adquisición"), txtFecha_);
    datos->addRow(QStringLiteral("&Mejoras de años anteriores"), txtMejoras_);
    datos->addRow(QStringLiteral("Valor del m&obiliario"), txtMobiliario_);
    datos->addRow(QString(), chkVivienda_);
    montarFicha(this, datos, [this] { Aceptar(); });
}

void frmDatosFiscales::Aceptar() {
    DatosFiscales d;
    const std::pair<QLineEdit*, Importe*> importes[] = {{txtCatastral_, &d.valorCatastral},
                                                        {txtConstruccion_, &d.valorConstruccion},
                                                        {txtCoste_, &d.costeAdquisicion},
                                                        {txtMejoras_, &d.mejorasAnteriores},
                                                        {txtMobiliario_, &d.mobiliario}};
    for (const auto& [caja, valor] : importes) {
        if (caja->text().trimmed().isEmpty()) continue;
        const auto numero = importeDeCaja(
            caja->text(), QStringLiteral("Escriba los importes como números (1234,56)."));
        if (!numero) {
            Mensaje::informar(this, numero.motivo());
            caja->setFocus();
            return;
        }
        *valor = *numero;
    }
    d.revisado = chkRevisado_->isChecked();
    d.vivienda = chkVivienda_->isChecked();
    if (!txtFecha_->text().trimmed().isEmpty()) {
        d.fechaAdquisicion = leerFecha(txtFecha_->text());
        if (!d.fechaAdquisicion.isValid()) {
            Mensaje::informar(this, QStringLiteral("Escriba la fecha como dd/mm/aaaa."));
            txtFecha_->setFocus();
            return;
        }
    }
    if (const QString motivo = validarDatosFiscales(d); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo);
        return;
    }
    datos_ = d;
    accept();
}

} // namespace torvane
