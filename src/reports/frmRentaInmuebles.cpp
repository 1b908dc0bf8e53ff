#include "reports/frmRentaInmuebles.h"

#include "core/documents/Titulos.h"
#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "reports/Impresion.h"
#include "ui/CampoAno.h"
#include "ui/CursorEspera.h"
#include "ui/Exportar.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "ui/Rejilla.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace torvane {

frmRentaInmuebles::frmRentaInmuebles(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , sesion_(sesion) {
    setObjectName(QStringLiteral("frmRentaInmuebles"));
    setWindowTitle(QStringLiteral("Renta del año por inmueble"));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/informes.svg")));
    resize(1100, 650);
    auto* arriba = new QHBoxLayout;
    auto* etiqueta = new QLabel(QStringLiteral("&Año"), this);
    txtAno_ = new QLineEdit(this);
    txtAno_->setObjectName(QStringLiteral("txtAno"));
    txtAno_->setMaxLength(4);
    txtAno_->setMaximumWidth(60);
    etiqueta->setBuddy(txtAno_);
    auto* calcular = crearBoton(this, "cmdCalcular", QStringLiteral("&Calcular"), "filtrar.svg");
    lblVista_ = new QLabel(this);
    lblVista_->setObjectName(QStringLiteral("lblVista"));
    arriba->addWidget(etiqueta);
    arriba->addWidget(txtAno_);
    arriba->addWidget(calcular);
    arriba->addWidget(lblVista_, 1);

    mshResumen_ = new Rejilla(this);
    mshResumen_->setObjectName(QStringLiteral("mshResumen"));
    mshDetalle_ = new Rejilla(this);
    mshDetalle_->setObjectName(QStringLiteral("mshDetalle"));
    auto* division = new QSplitter(Qt::Vertical, this);
    division->addWidget(mshResumen_);
    division->addWidget(mshDetalle_);

    auto* resumen =
        crearBoton(this, "cmdExportar", QStringLiteral("&Exportar resumen"), "exportar.svg");
    auto* detalle =
        crearBoton(this, "cmdExportarDetalle", QStringLiteral("Exportar &detalle"), "exportar.svg");
    auto* impresora =
        crearBoton(this, "cmdImpresora", QStringLiteral("&Impresora"), "imprimir.svg");
    auto* pdf = crearBoton(this, "cmdPDF", QStringLiteral("&PDF"), "pdf.svg");
    auto* salir = crearBoton(this, "cmdSalir", QStringLiteral("&Salir"), "salir.svg");

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addWidget(division, 1);
    todo->addLayout(filaBotones({resumen, detalle, impresora, pdf, salir}));

    configurarCampo(txtAno_, Campo::ColorFoco);
    connect(txtAno_, &QLineEdit::returnPressed, this,
            protegido(this, &frmRentaInmuebles::Calcular));
    connect(calcular, &QPushButton::clicked, this, protegido(this, &frmRentaInmuebles::Calcular));
    connect(mshResumen_, &Rejilla::celdaActualCambiada, this,
            protegido(this, &frmRentaInmuebles::IrAlDetalle));
    connect(resumen, &QPushButton::clicked, this, protegido(this, [this] {
                exportarRejilla(this, mshResumen_, Titulo(), FilaTotales::Ultima);
            }));
    // The figures of the detail are of different kinds: no total under them.
    connect(detalle, &QPushButton::clicked, this, protegido(this, [this] {
                exportarHojaElegida(
                    this, [this] { return hojaDetalleRenta(rentas_); },
                    Titulo() + QStringLiteral(" - detalle"));
            }));
    connect(impresora, &QPushButton::clicked, this, protegido(this, [this] { Imprimir(false); }));
    connect(pdf, &QPushButton::clicked, this, protegido(this, [this] { Imprimir(true); }));
    connect(salir, &QPushButton::clicked, this, &QDialog::reject);
}

void frmRentaInmuebles::alActivar() {
    txtAno_->setText(QString::number(sesion_.numeroAno()));
    Calcular();
    txtAno_->setFocus();
}

QString frmRentaInmuebles::Titulo() const {
    return QStringLiteral("Renta del año por inmueble %1").arg(ano_);
}

void frmRentaInmuebles::Calcular() {
    const std::optional<int> ano = leerAnoEscrito(this, txtAno_);
    if (!ano) return;
    CursorEspera espera(this);
    const auto rentas = rentaDelAno(*ano);
    if (!rentas) {
        Mensaje::critico(this, rentas.motivo());
        return;
    }
    rentas_ = *rentas;
    ano_ = *ano;
    const bool sociedad = leerTipoEmisor() == TipoEmisor::Sociedad;
    lblVista_->setText(sociedad
                           ? QStringLiteral("Sociedad: vista contable, sin reducción ni "
                                            "imputación del IRPF. Prepara cifras, no presenta "
                                            "declaraciones.")
                           : QStringLiteral("Persona física: cifras para la declaración de la "
                                            "renta. Prepara cifras, no presenta declaraciones."));
    mostrarHoja(mshResumen_, hojaRenta(rentas_),
                {0.13, 0.05, 0.045, 0.08, 0.075, 0.08, 0.075, 0.08, 0.07, 0.08, 0.07, 0.07});
    mostrarHoja(mshDetalle_, hojaDetalleRenta(rentas_), {0.16, 0.2, 0.1, 0.5});
}

void frmRentaInmuebles::IrAlDetalle() {
    const int fila = mshResumen_->filaActual();
    if (fila < 1 || fila > rentas_.size()) return;
    int primera = 1;
    for (int i = 0; i < fila - 1; ++i)
        primera += int(rentas_[i].lineas.size());
    mshDetalle_->subirArriba(primera);
}

void frmRentaInmuebles::Imprimir(bool pdf) {
    if (rentas_.isEmpty()) {
        Mensaje::informar(this, QStringLiteral("No hay inmuebles con datos en %1.").arg(ano_));
        return;
    }
    const ParametrosInforme parametros{
        {QStringLiteral("pTitulo"), QStringLiteral("Renta del año por inmueble")},
        {QStringLiteral("pPeriodo"),
         QStringLiteral("Año %1 · %2").arg(ano_).arg(lblVista_->text())}};
    imprimirFilas(this, QStringLiteral("RentaInmuebles"), parametros, filasRenta(rentas_), Titulo(),
                  pdf);
}

} // namespace torvane
