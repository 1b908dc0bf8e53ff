#include "expenses/frmGastos.h"

#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "expenses/frmGastoFicha.h"
#include "expenses/frmRepartos.h"
#include "ui/CursorEspera.h"
#include "ui/Exportar.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "ui/Rejilla.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvane {

frmGastos::frmGastos(const Sesion& sesion, int idInm, QWidget* padre)
    : Ventana(padre)
    , sesion_(sesion)
    , idInm_(idInm) {
    setObjectName(QStringLiteral("frmGastos"));
    setWindowTitle(QStringLiteral("Gastos"));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/cuentas.svg")));
    resize(1000, 600);
    const auto caja = [this](const char* nombre, int ancho) {
        auto* c = new QLineEdit(this);
        c->setObjectName(QLatin1String(nombre));
        if (ancho > 0) c->setMaximumWidth(ancho);
        configurarCampo(c, Campo::ColorFoco);
        connect(c, &QLineEdit::returnPressed, this, protegido(this, &frmGastos::Buscar));
        return c;
    };
    txtDesde_ = caja("txtDesde", 100);
    txtHasta_ = caja("txtHasta", 100);
    txtTexto_ = caja("txtTexto", 0);
    cmbInmueble_ = new QComboBox(this);
    cmbInmueble_->setObjectName(QStringLiteral("cmbInmueble"));
    cmbInmueble_->setMinimumWidth(220);
    cmbTipo_ = new QComboBox(this);
    cmbTipo_->setObjectName(QStringLiteral("cmbTipo"));
    cmbTipo_->addItem(QStringLiteral("(todos)"));
    cmbTipo_->addItems(nombresTiposGasto());
    auto* buscar = crearBoton(this, "cmdBuscar", QStringLiteral("&Buscar"), "filtrar.svg");
    auto* filtro = new QGridLayout;
    const QList<std::pair<QString, QWidget*>> campos{{QStringLiteral("&Desde"), txtDesde_},
                                                     {QStringLiteral("&Hasta"), txtHasta_},
                                                     {QStringLiteral("&Inmueble"), cmbInmueble_},
                                                     {QStringLiteral("&Tipo"), cmbTipo_},
                                                     {QStringLiteral("Te&xto"), txtTexto_}};
    for (int i = 0; i < campos.size(); ++i) {
        auto* etiqueta = new QLabel(campos[i].first, this);
        etiqueta->setBuddy(campos[i].second);
        filtro->addWidget(etiqueta, 0, i);
        filtro->addWidget(campos[i].second, 1, i);
    }
    filtro->addWidget(buscar, 1, int(campos.size()));
    filtro->setColumnStretch(4, 1);

    mshGastos_ = new Rejilla(this);
    mshGastos_->setObjectName(QStringLiteral("mshGastos"));
    lblTotales_ = new QLabel(this);
    lblTotales_->setObjectName(QStringLiteral("lblTotales"));

    auto* nuevo = crearBoton(this, "cmdNuevo", QStringLiteral("&Nuevo"), "nuevo.svg");
    auto* editar = crearBoton(this, "cmdEditar", QStringLiteral("&Editar"), "editar.svg");
    auto* borrar = crearBoton(this, "cmdBorrar", QStringLiteral("B&orrar"), "borrar.svg");
    auto* repartos = crearBoton(this, "cmdRepartos", QStringLiteral("&Repartos"));
    auto* exportar = crearBoton(this, "cmdExportar", QStringLiteral("Ex&portar"), "exportar.svg");
    auto* salir = crearBoton(this, "cmdSalir", QStringLiteral("&Salir"), "salir.svg");
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(filtro);
    todo->addWidget(mshGastos_, 1);
    todo->addLayout(filaBotones({nuevo, editar, borrar, repartos, exportar, salir}, lblTotales_));

    connect(buscar, &QPushButton::clicked, this, protegido(this, &frmGastos::Buscar));
    connect(nuevo, &QPushButton::clicked, this, protegido(this, [this] { Editar(true); }));
    connect(editar, &QPushButton::clicked, this, protegido(this, [this] { Editar(false); }));
    connect(mshGastos_, &Rejilla::elegida, this, protegido(this, [this] { Editar(false); }));
    connect(borrar, &QPushButton::clicked, this, protegido(this, &frmGastos::Borrar));
    connect(repartos, &QPushButton::clicked, this, protegido(this, &frmGastos::Repartos));
    connect(exportar, &QPushButton::clicked, this, protegido(this, [this] {
                exportarRejilla(this, mshGastos_, QStringLiteral("Gastos"), FilaTotales::Ultima);
            }));
    connect(salir, &QPushButton::clicked, this, &QDialog::reject);
}

void frmGastos::alActivar() {
    const int ano = sesion_.numeroAno();
    txtDesde_->setText(formatoFecha(QDate(ano, 1, 1)));
    txtHasta_->setText(formatoFecha(QDate(ano, 12, 31)));
    llenarInmueblesYRepartos(cmbInmueble_, true);
    // Shared keys are not a filter: a property's list already holds its share of them.
    for (int i = cmbInmueble_->count() - 1; i > 0; --i)
        if (cmbInmueble_->itemData(i).toString().startsWith(u'r')) cmbInmueble_->removeItem(i);
    cmbInmueble_->setCurrentIndex(
        std::max(0, cmbInmueble_->findData(QStringLiteral("i%1").arg(idInm_))));
    Buscar();
    mshGastos_->setFocus();
}

void frmGastos::Buscar() {
    FiltroGastos f;
    f.desde = leerFecha(txtDesde_->text());
    f.hasta = leerFecha(txtHasta_->text());
    for (QLineEdit* fecha : {txtDesde_, txtHasta_})
        if (!fecha->text().trimmed().isEmpty() && !leerFecha(fecha->text()).isValid()) {
            Mensaje::informar(this, QStringLiteral("Escriba la fecha como dd/mm/aaaa."));
            fecha->setFocus();
            return;
        }
    int idRep = 0;
    elegidoEn(cmbInmueble_, f.idInm, idRep);
    f.tipo = cmbTipo_->currentIndex() - 1;
    f.texto = txtTexto_->text();
    CursorEspera espera(this);
    const auto leido = intentar([&f] {
        const QList<Gasto> gastos = leerGastos(f);
        return std::pair{gastos, hojaGastos(gastos, f.idInm)};
    });
    if (!leido) {
        Mensaje::critico(this, leido.motivo());
        return;
    }
    gastos_ = leido->first;
    const Hoja& hoja = leido->second;
    mostrarHoja(mshGastos_, hoja, {0.08, 0.16, 0.13, 0.14, 0.08, 0.2, 0.08, 0.07});
    const QVariantList totales = filaTotales(hoja);
    lblTotales_->setText(QStringLiteral("%1 · Importe %2 € · IVA deducible %3 €")
                             .arg(cuenta(gastos_.size(), QStringLiteral("gasto")),
                                  importeDeCelda(totales.value(6)).value_or(Importe()).texto(),
                                  importeDeCelda(totales.value(7)).value_or(Importe()).texto()));
}

const Gasto* frmGastos::Actual() const {
    const int fila = mshGastos_->filaActual();
    return fila >= 1 && fila <= gastos_.size() ? &gastos_[fila - 1] : nullptr;
}

void frmGastos::Editar(bool nuevo) {
    Gasto inicial;
    if (!nuevo) {
        if (!Actual()) return;
        inicial = *Actual();
    } else {
        int idRep = 0;
        elegidoEn(cmbInmueble_, inicial.idInm, idRep);
    }
    frmGastoFicha ficha(inicial, this);
    if (ficha.exec() != QDialog::Accepted) return;
    const auto guardado = guardarGasto(ficha.gasto());
    if (!guardado) {
        Mensaje::critico(this, guardado.motivo());
        return;
    }
    mshGastos_->recargarEnLaFila([this] { Buscar(); });
}

void frmGastos::Borrar() {
    const Gasto* g = Actual();
    if (!g) return;
    if (!Mensaje::preguntar(this, QStringLiteral("¿Borrar el gasto del %1 de %2 €?")
                                      .arg(formatoFecha(g->fecha), g->importe.texto())))
        return;
    if (const auto hecho = borrarGasto(g->id); !hecho) {
        Mensaje::critico(this, hecho.motivo());
        return;
    }
    mshGastos_->recargarEnLaFila([this] { Buscar(); });
}

void frmGastos::Repartos() {
    frmRepartos repartos(this);
    repartos.exec();
    Buscar();
}

} // namespace torvane
