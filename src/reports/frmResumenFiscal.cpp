#include "reports/frmResumenFiscal.h"
#include "ui_frmResumenFiscal.h"

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

namespace torvane {

frmResumenFiscal::frmResumenFiscal(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmResumenFiscal>())
    , sesion_(sesion) {
    ui->setupUi(this);
    configurarCampo(ui->txtAno, Campo::ColorFoco);
    connect(ui->txtAno, &QLineEdit::returnPressed, this,
            protegido(this, &frmResumenFiscal::Calcular));
    connect(ui->cmdCalcular, &QPushButton::clicked, this,
            protegido(this, &frmResumenFiscal::Calcular));
    connect(ui->cmdExportar, &QPushButton::clicked, this,
            protegido(this, &frmResumenFiscal::Exportar));
    connect(ui->cmdImpresora, &QPushButton::clicked, this,
            protegido(this, [this] { Imprimir(false); }));
    connect(ui->cmdPDF, &QPushButton::clicked, this, protegido(this, [this] { Imprimir(true); }));
    connect(ui->tabSecciones, &QTabWidget::currentChanged, this,
            protegido(this, [this] { ui->lblInfo->setText(NombreActual()); }));
}

frmResumenFiscal::~frmResumenFiscal() = default;

void frmResumenFiscal::alActivar() {
    // The working year's own documents, whichever year today is.
    ui->txtAno->setText(QString::number(sesion_.numeroAno()));
    Calcular();
    ui->txtAno->setFocus();
}

void frmResumenFiscal::Calcular() {
    const std::optional<int> ano = leerAnoEscrito(this, ui->txtAno);
    if (!ano) return;
    CursorEspera espera(this);
    const Periodo periodo{*ano, ui->cmbPeriodo->currentIndex()};
    const QString anual = Periodo{*ano, 0}.texto();
    secciones_ = {ivaRepercutido(periodo), retencionesSoportadas(periodo),
                  operacionesConTerceros(*ano), rendimientosInmuebles(periodo)};
    // Form 347 is yearly whatever the period chosen.
    periodos_ = {periodo.texto(), periodo.texto(), anual, periodo.texto()};
    const QList<Rejilla*> rejillas{ui->mshIva, ui->mshRetenciones, ui->msh347, ui->mshInmuebles};
    for (int i = 0; i < rejillas.size(); ++i)
        mostrarHoja(rejillas[i], secciones_[i].hoja);
    ui->lblInfo->setText(NombreActual());
}

QString frmResumenFiscal::NombreActual() const {
    const int i = ui->tabSecciones->currentIndex();
    if (i < 0 || i >= secciones_.size()) return {};
    return secciones_[i].titulo + QStringLiteral(" - ") + periodos_[i];
}

void frmResumenFiscal::Exportar() {
    auto* rejilla = ui->tabSecciones->currentWidget()->findChild<Rejilla*>();
    exportarRejilla(this, rejilla, NombreActual(), FilaTotales::Ultima);
}

void frmResumenFiscal::Imprimir(bool pdf) {
    const int i = ui->tabSecciones->currentIndex();
    if (i < 0 || i >= secciones_.size()) return;
    const Seccion& s = secciones_[i];
    const ParametrosInforme parametros{{QStringLiteral("pTitulo"), s.titulo},
                                       {QStringLiteral("pPeriodo"), periodos_[i]}};
    imprimirFilas(this, s.plantilla, parametros, filasDeSeccion(s), NombreActual(), pdf);
}

} // namespace torvane
