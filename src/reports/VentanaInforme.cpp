#include "reports/VentanaInforme.h"

#include "reports/Impresoras.h"
#include "reports/MotorInforme.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"

#include <QAbstractButton>
#include <QPrintPreviewWidget>

VentanaInforme::VentanaInforme(QWidget* padre)
    : Ventana(padre)
    , impresoraVista_(QPrinter::HighResolution) {
    prepararImpresora(impresoraVista_);
    visor_ = new QPrintPreviewWidget(&impresoraVista_, this);
    visor_->setObjectName(QStringLiteral("CRViewer"));
    visor_->setZoomMode(QPrintPreviewWidget::FitToWidth);
    connect(visor_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* impresora) {
        if (paginas_) paginas_->pintar(impresora);
    });
}

VentanaInforme::~VentanaInforme() = default;

bool VentanaInforme::mostrar(const QString& nombre, const ParametrosInforme& parametros,
                             const QString& formula) {
    QString error;
    {
        CursorEspera espera(this);
        informe_ = abrirInforme(nombre, parametros, formula);
        error = informe_.error;
        if (error.isEmpty()) {
            paginas_ = std::make_unique<PaginasInforme>(informe_);
            error = paginas_->error();
        }
        if (!error.isEmpty()) {
            informe_ = {};
            paginas_.reset();
        }
        visor_->updatePreview();
    }
    if (error.isEmpty()) return true;
    Mensaje::critico(this, error);
    return false;
}

void VentanaInforme::conectarBotones(QAbstractButton* impresora, QAbstractButton* pdf) {
    connect(impresora, &QAbstractButton::clicked, this,
            [this] { imprimir(false, QStringLiteral("Seleccione un informe")); });
    connect(pdf, &QAbstractButton::clicked, this,
            [this] { imprimir(true, QStringLiteral("Selecciones un informe")); });
}

void VentanaInforme::imprimir(bool pdf, const QString& avisoVacio) {
    if (!paginas_) {
        Mensaje::informar(this, avisoVacio);
        return;
    }
    CursorEspera espera(this);
    imprimirInforme(this, informe_.nombre, *paginas_, posicionImpresora(pdf));
}
