#include "expenses/frmGastoFicha.h"

#include "core/registers/ListasRegistros.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvane {

void llenarInmueblesYRepartos(QComboBox* combo, bool conTodos) {
    combo->clear();
    if (conTodos) combo->addItem(QStringLiteral("(todos)"), QString());
    // Properties in code order, as the search window lists them.
    for (const QStringList& fila : ListaInmuebles(QString()))
        combo->addItem(fila.value(1), QStringLiteral("i%1").arg(fila.value(4)));
    for (const Reparto& r : leerRepartos())
        combo->addItem(QStringLiteral("Reparto: ") + r.nombre, QStringLiteral("r%1").arg(r.id));
}

void elegidoEn(const QComboBox* combo, int& idInm, int& idRep) {
    const QString dato = combo->currentData().toString();
    idInm = dato.startsWith(u'i') ? dato.mid(1).toInt() : 0;
    idRep = dato.startsWith(u'r') ? dato.mid(1).toInt() : 0;
}

frmGastoFicha::frmGastoFicha(const Gasto& gasto, QWidget* padre)
    : Ventana(padre)
    , gasto_(gasto) {
    setObjectName(QStringLiteral("frmGastoFicha"));
    setWindowTitle(gasto.id == 0 ? QStringLiteral("Gasto nuevo") : QStringLiteral("Gasto"));
    const auto caja = [this](const char* nombre, const QString& texto) {
        auto* c = new QLineEdit(texto, this);
        c->setObjectName(QLatin1String(nombre));
        configurarCampo(c, Campo::Normal);
        return c;
    };
    txtFecha_ = caja("txtFecha", formatoFecha(gasto.fecha.isValid() ? gasto.fecha : Hoy()));
    cmbInmueble_ = new QComboBox(this);
    cmbInmueble_->setObjectName(QStringLiteral("cmbInmueble"));
    llenarInmueblesYRepartos(cmbInmueble_, false);
    const QString elegido = gasto.idRep != 0 ? QStringLiteral("r%1").arg(gasto.idRep)
                                             : QStringLiteral("i%1").arg(gasto.idInm);
    cmbInmueble_->setCurrentIndex(std::max(0, cmbInmueble_->findData(elegido)));
    cmbTipo_ = new QComboBox(this);
    cmbTipo_->setObjectName(QStringLiteral("cmbTipo"));
    cmbTipo_->addItems(nombresTiposGasto());
    cmbTipo_->setCurrentIndex(static_cast<int>(gasto.tipo));
    txtProveedor_ = caja("txtProveedor", gasto.proveedor);
    txtNif_ = caja("txtNif", gasto.nif);
    txtDescripcion_ = caja("txtDescripcion", gasto.descripcion);
    txtImporte_ =
        caja("txtImporte", gasto.importe.esCero() ? QString() : gasto.importe.textoSimple());
    txtIva_ =
        caja("txtIva", gasto.ivaDeducible.esCero() ? QString() : gasto.ivaDeducible.textoSimple());
    for (QLineEdit* numero : {txtImporte_, txtIva_}) {
        configurarCampo(numero, Campo::Numero);
        numero->setAlignment(Qt::AlignRight);
    }
    auto* datos = new QFormLayout;
    datos->addRow(QStringLiteral("&Fecha"), txtFecha_);
    datos->addRow(QStringLiteral("&Inmueble o reparto"), cmbInmueble_);
    datos->addRow(QStringLiteral("&Tipo"), cmbTipo_);
    datos->addRow(QStringLiteral("&Proveedor"), txtProveedor_);
    datos->addRow(QStringLiteral("&N.I.F."), txtNif_);
    datos->addRow(QStringLiteral("&Descripción"), txtDescripcion_);
    datos->addRow(QStringLiteral("I&mporte pagado (IVA incluido)"), txtImporte_);
    datos->addRow(QStringLiteral("IVA &deducible (solo sociedades)"), txtIva_);
    montarFicha(this, datos, [this] { Aceptar(); });
}

void frmGastoFicha::Aceptar() {
    Gasto g = gasto_;
    g.fecha = leerFecha(txtFecha_->text());
    elegidoEn(cmbInmueble_, g.idInm, g.idRep);
    g.tipo = static_cast<TipoGasto>(cmbTipo_->currentIndex());
    g.proveedor = txtProveedor_->text();
    g.nif = txtNif_->text();
    g.descripcion = txtDescripcion_->text();
    const auto leer = [](QLineEdit* caja) -> Resultado<Importe> {
        if (caja->text().trimmed().isEmpty()) return Importe();
        return importeDeCaja(caja->text(),
                             QStringLiteral("Escriba los importes como números (1234,56)."));
    };
    const auto importe = leer(txtImporte_);
    const auto iva = leer(txtIva_);
    if (!importe || !iva) {
        Mensaje::informar(this, importe ? iva.motivo() : importe.motivo());
        (importe ? txtIva_ : txtImporte_)->setFocus();
        return;
    }
    g.importe = *importe;
    g.ivaDeducible = *iva;
    if (const QString motivo = validarGasto(g); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo);
        return;
    }
    gasto_ = g;
    accept();
}

} // namespace torvane
