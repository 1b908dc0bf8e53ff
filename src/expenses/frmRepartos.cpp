#include "expenses/frmRepartos.h"

#include "core/registers/ListasRegistros.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace torvane {

frmRepartos::frmRepartos(QWidget* padre)
    : Ventana(padre) {
    setObjectName(QStringLiteral("frmRepartos"));
    setWindowTitle(QStringLiteral("Repartos de gastos"));
    resize(560, 480);
    cmbReparto_ = new QComboBox(this);
    cmbReparto_->setObjectName(QStringLiteral("cmbReparto"));
    txtNombre_ = new QLineEdit(this);
    txtNombre_->setObjectName(QStringLiteral("txtNombre"));
    configurarCampo(txtNombre_, Campo::Normal);
    tblPartes_ = new QTableWidget(0, 2, this);
    tblPartes_->setObjectName(QStringLiteral("tblPartes"));
    tblPartes_->setHorizontalHeaderLabels({QStringLiteral("Inmueble"), QStringLiteral("Parte")});
    tblPartes_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* datos = new QFormLayout;
    datos->addRow(QStringLiteral("&Reparto"), cmbReparto_);
    datos->addRow(QStringLiteral("&Nombre"), txtNombre_);
    auto* guardar = crearBoton(this, "cmdGuardar", QStringLiteral("&Guardar"), "aceptar.svg");
    auto* salir = crearBoton(this, "cmdSalir", QStringLiteral("&Salir"), "salir.svg");
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(datos);
    todo->addWidget(tblPartes_, 1);
    todo->addLayout(filaBotones({guardar, salir}));
    connect(cmbReparto_, &QComboBox::currentIndexChanged, this,
            protegido(this, &frmRepartos::Mostrar));
    connect(guardar, &QPushButton::clicked, this, protegido(this, &frmRepartos::Guardar));
    connect(salir, &QPushButton::clicked, this, &QDialog::reject);
}

void frmRepartos::alActivar() {
    const auto leido = intentar([this] {
        inmuebles_.clear();
        for (const QStringList& fila : ListaInmuebles(QString()))
            inmuebles_ << std::pair{fila.value(4).toInt(), fila.value(1)};
        return leerRepartos();
    });
    if (!leido) {
        Mensaje::critico(this, leido.motivo());
        return;
    }
    repartos_ = *leido;
    const QSignalBlocker bloqueo(cmbReparto_);
    cmbReparto_->clear();
    cmbReparto_->addItem(QStringLiteral("(nuevo reparto)"));
    for (const Reparto& r : std::as_const(repartos_))
        cmbReparto_->addItem(r.nombre);
    Mostrar();
}

void frmRepartos::Mostrar() {
    const int i = cmbReparto_->currentIndex() - 1;
    const Reparto r = i >= 0 && i < repartos_.size() ? repartos_[i] : Reparto{};
    txtNombre_->setText(r.nombre);
    tblPartes_->setRowCount(int(inmuebles_.size()));
    for (int f = 0; f < inmuebles_.size(); ++f) {
        auto* nombre = new QTableWidgetItem(inmuebles_[f].second);
        nombre->setFlags(Qt::ItemIsEnabled);
        tblPartes_->setItem(f, 0, nombre);
        const Decimal parte = r.partes.value(inmuebles_[f].first);
        tblPartes_->setItem(f, 1, new QTableWidgetItem(parte.esCero() ? QString() : parte.texto()));
    }
}

void frmRepartos::Guardar() {
    Reparto r;
    const int i = cmbReparto_->currentIndex() - 1;
    if (i >= 0 && i < repartos_.size()) r.id = repartos_[i].id;
    r.nombre = txtNombre_->text();
    for (int f = 0; f < inmuebles_.size(); ++f) {
        const QString texto = tblPartes_->item(f, 1) ? tblPartes_->item(f, 1)->text() : QString();
        if (texto.trimmed().isEmpty()) continue;
        const auto parte = decimalDeCaja(
            texto, QStringLiteral("La parte de %1 no es un número.").arg(inmuebles_[f].second));
        if (!parte) {
            Mensaje::informar(this, parte.motivo());
            return;
        }
        r.partes.insert(inmuebles_[f].first, *parte);
    }
    const auto guardado = guardarReparto(r);
    if (!guardado) {
        Mensaje::informar(this, guardado.motivo());
        return;
    }
    alActivar();
    cmbReparto_->setCurrentText(r.nombre.trimmed());
}

} // namespace torvane
