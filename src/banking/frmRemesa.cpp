#include "banking/frmRemesa.h"

#include "ui_frmRemesa.h"

#include "banking/frmRemesas.h"
#include "core/documents/Documentos.h"
#include "core/store/Importe.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QFileInfo>
#include <algorithm>

namespace torvane {

namespace {

const QString kTodasLasSeries = QStringLiteral("TODAS");

QList<Columna> columnasVan() {
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Inquilino"), 0.22),
            Columna::texto(QStringLiteral("Recibo"), 0.07),
            Columna::fecha(QStringLiteral("Fecha"), 0.08),
            Columna::texto(QStringLiteral("Cuenta"), 0.25),
            Columna::texto(QStringLiteral("Mandato"), 0.15),
            Columna::texto(QStringLiteral("Secuencia"), 0.08, Qt::AlignHCenter),
            Columna::importe(QStringLiteral("Importe"), 0.10)};
}

QList<Columna> columnasApartados() {
    return {Columna::numero(), Columna::texto(QStringLiteral("Inquilino"), 0.22),
            Columna::texto(QStringLiteral("Recibo"), 0.07),
            Columna::importe(QStringLiteral("Importe"), 0.10),
            Columna::texto(QStringLiteral("Por qué no va"), 0.56)};
}

} // namespace

frmRemesa::frmRemesa(const Sesion& sesion, const QSet<int>& elegidos, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmRemesa>())
    , sesion_(sesion)
    , Elegidos(elegidos) {
    ui->setupUi(this);
    for (QWidget* caja : {static_cast<QWidget*>(ui->mskDesde), static_cast<QWidget*>(ui->mskHasta),
                          static_cast<QWidget*>(ui->cmbSerie), static_cast<QWidget*>(ui->mskCobro)})
        configurarCampo(caja, Campo::Normal);
    EnterPulsaBotones(this);
    connect(ui->cmdProponer, &QPushButton::clicked, this, protegido(this, &frmRemesa::Proponer));
    connect(ui->chkElegidos, &QCheckBox::clicked, this, protegido(this, &frmRemesa::Proponer));
    connect(ui->cmdGenerar, &QPushButton::clicked, this, protegido(this, &frmRemesa::Generar));
    connect(ui->cmdRemesas, &QPushButton::clicked, this, protegido(this, &frmRemesa::VerRemesas));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmRemesa::reject));
}

frmRemesa::~frmRemesa() = default;

void frmRemesa::alActivar() {
    ui->cmbSerie->addItem(kTodasLasSeries);
    ui->cmbSerie->addItems(codigosSeries());
    const QDate hoy = Hoy();
    const FiltroRemesa mes = mesRemesaPropuesto(hoy, sesion_.numeroAno());
    ui->mskDesde->setText(formatoFecha(mes.desde));
    ui->mskHasta->setText(formatoFecha(mes.hasta));
    // Receipts of a month still to come are not collected before it starts.
    ui->mskCobro->setText(formatoFecha(primerDiaCobro(std::max(hoy, mes.desde))));
    ui->chkElegidos->setEnabled(!Elegidos.isEmpty());
    ui->chkElegidos->setChecked(!Elegidos.isEmpty());
    const Acreedor acreedor = leerAcreedor();
    const QString motivo = motivoAcreedor(acreedor);
    ui->lblAcreedor->setText(motivo.isEmpty()
                                 ? QStringLiteral("Se cobra en %1 (acreedor %2)")
                                       .arg(ibanAgrupado(acreedor.iban), acreedor.identificador)
                                 : motivo);
    Proponer();
    ui->mskDesde->setFocus();
}

bool frmRemesa::LeerFiltro(FiltroRemesa& filtro) {
    filtro.desde = leerFecha(ui->mskDesde->text());
    filtro.hasta = leerFecha(ui->mskHasta->text());
    QLineEdit* mala = !filtro.desde.isValid()   ? ui->mskDesde
                      : !filtro.hasta.isValid() ? ui->mskHasta
                                                : nullptr;
    if (mala) {
        Mensaje::informar(this, QStringLiteral("Ponga una fecha correcta"));
        mala->setFocus();
        return false;
    }
    if (ui->cmbSerie->currentIndex() > 0) filtro.serie = ui->cmbSerie->currentText();
    if (ui->chkElegidos->isChecked()) filtro.solo = Elegidos;
    return true;
}

void frmRemesa::Proponer() {
    FiltroRemesa filtro;
    if (!LeerFiltro(filtro)) return;
    CursorEspera espera(this);
    propuesta_ = proponerRemesa(filtro);
    MostrarPropuesta();
}

void frmRemesa::MostrarPropuesta() {
    QList<QStringList> van, apartados;
    for (const CobroRemesa& c : propuesta_) {
        if (!c.motivo.isEmpty()) {
            apartados << QStringList{c.inquilino, c.numero, c.importe.texto(), c.motivo};
            continue;
        }
        van << QStringList{c.inquilino, c.numero,    formatoFecha(c.fecha), ibanAgrupado(c.iban),
                           c.mandato,   c.secuencia, c.importe.texto()};
    }
    // The file carries one debit per mandate: what the bank will see is counted so.
    qint64 total = 0;
    int primeros = 0;
    const QList<Adeudo> adeudos = adeudosDeRemesa(propuesta_);
    for (const Adeudo& a : adeudos) {
        total += a.importe.centimos();
        if (a.secuencia == QStringLiteral("FRST")) ++primeros;
    }
    ui->mshCobros->mostrarNumeradas(columnasVan(), van);
    ui->mshApartados->mostrarNumeradas(columnasApartados(), apartados);
    ui->lblInfo->setText(QStringLiteral("%1 en %2 | TOTAL: %3 € | primeros adeudos "
                                        "(FRST): %4, recurrentes (RCUR): %5")
                             .arg(cuenta(van.size(), QStringLiteral("recibo")),
                                  cuenta(adeudos.size(), QStringLiteral("adeudo")))
                             .arg(Importe::deCentimos(total).texto())
                             .arg(primeros)
                             .arg(adeudos.size() - primeros));
    ui->lblApartados->setText(QStringLiteral("Recibos que no pueden ir: %1").arg(apartados.size()));
}

void frmRemesa::Generar() {
    const QDate cobro = leerFecha(ui->mskCobro->text());
    if (const QString motivo = motivoFechaCobro(cobro, Hoy()); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo);
        ui->mskCobro->setFocus();
        return;
    }
    if (const QString motivo = motivoAcreedor(leerAcreedor()); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
        return;
    }
    if (ui->mshCobros->modelo()->filasDatos() == 0) {
        Mensaje::informar(this, QStringLiteral("No hay ningún recibo que pueda ir en la remesa."));
        return;
    }
    const QString propuesto = QFileInfo(sesion_.rutaBD).absolutePath() +
                              QStringLiteral("/remesa-%1.xml").arg(fechaIso(cobro));
    const QString ruta = DialogoArchivo::guardar(this, QStringLiteral("Guardar la remesa"),
                                                 propuesto, QStringLiteral("Remesa SEPA (*.xml)"));
    if (ruta.isEmpty()) return;
    const Resultado<int> id = [&] {
        CursorEspera espera(this);
        return generarRemesa(propuesta_, cobro, ruta);
    }();
    if (!id) {
        Mensaje::critico(this, id.motivo() + QStringLiteral("\nNo se ha hecho la remesa."));
        return;
    }
    Mensaje::informar(this, QStringLiteral("Remesa nº %1 guardada en %2.\nEnvíe el archivo a su "
                                           "banco; cuando le confirme el cobro, márquela como "
                                           "cobrada en «Remesas hechas».")
                                .arg(*id)
                                .arg(ruta));
    Proponer();
}

void frmRemesa::VerRemesas() {
    {
        frmRemesas remesas(this);
        remesas.exec();
    }
    Proponer();
}

} // namespace torvane
