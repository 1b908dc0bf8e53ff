#include "contracts/frmContratosFicha.h"

#include "ui_frmContratosFicha.h"

#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QComboBox>
#include <QRegularExpression>

namespace torvane {

namespace {

void llenar(QComboBox* combo, const QString& sql) {
    QSqlQuery q = ejecutar(sql);
    while (q.next())
        combo->addItem(q.value(1).toString(), q.value(0).toInt());
}

void elegir(QComboBox* combo, int id) {
    combo->setCurrentIndex(std::max(0, combo->findData(id)));
}

QString textoFecha(const QDate& d) {
    return d.isValid() ? formatoFecha(d) : QString();
}

bool vacia(const QLineEdit* mascara) {
    return !mascara->text().contains(QRegularExpression(QStringLiteral("\\d")));
}

/** A box's value, or why not: the box's words, or the type's own reason (too large...). */
Resultado<Importe> deCaja(const QString& texto, const QString& mensaje, Importe) {
    return importeDeCaja(texto, mensaje);
}

Resultado<Decimal> deCaja(const QString& texto, const QString& mensaje, Decimal) {
    return decimalDeCaja(texto, mensaje);
}

Resultado<int> deCaja(const QString& texto, const QString& mensaje, int) {
    const auto n = leerEntero(texto);
    if (!n) return Fallo{mensaje};
    return *n;
}

// Zero shows as an empty box.
QString textoNumero(Importe valor) {
    return valor.esCero() ? QString() : valor.textoSimple();
}

QString textoNumero(Decimal valor) {
    return valor.esCero() ? QString() : valor.texto();
}

} // namespace

frmContratosFicha::frmContratosFicha(int id, int idInmueble, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmContratosFicha>())
    , Id(id)
    , IdInm(idInmueble) {
    ui->setupUi(this);
    for (QWidget* caja :
         {static_cast<QWidget*>(ui->cmbInmueble), static_cast<QWidget*>(ui->cmbInquilino),
          static_cast<QWidget*>(ui->cmbTipo), static_cast<QWidget*>(ui->cmbRegla),
          static_cast<QWidget*>(ui->cmbReduccion), static_cast<QWidget*>(ui->chkActual),
          static_cast<QWidget*>(ui->mskInicio), static_cast<QWidget*>(ui->mskFianzaFecha),
          static_cast<QWidget*>(ui->mskFianzaDevolucion), static_cast<QWidget*>(ui->mskUltimaAct),
          static_cast<QWidget*>(ui->txtFianzaDeposito), static_cast<QWidget*>(ui->txtFianzaRef),
          static_cast<QWidget*>(ui->txtGarantias), static_cast<QWidget*>(ui->txtObs)})
        configurarCampo(caja, Campo::Normal);
    for (QWidget* caja : {ui->txtDuracion, ui->txtProrroga, ui->txtRenta, ui->txtPorFijo,
                          ui->txtMesAct, ui->txtFianza, ui->txtFianzaMeses, ui->txtFianzaDevuelta})
        configurarCampo(caja, Campo::Numero);
    ui->cmbTipo->addItems(nombresTipos());
    ui->cmbRegla->addItems(nombresReglas());
    ui->cmbReduccion->addItems(nombresReducciones());
    for (QLineEdit* caja : {ui->mskInicio, ui->txtDuracion, ui->txtProrroga})
        connect(caja, &QLineEdit::textChanged, this,
                protegido(this, &frmContratosFicha::MostrarFin));
    connect(ui->cmdAceptar, &QPushButton::clicked, this,
            protegido(this, &frmContratosFicha::Aceptar));
    connect(ui->cmdCancelar, &QPushButton::clicked, this,
            protegido(this, &frmContratosFicha::reject));
    EnterPulsaBotones(this);
}

frmContratosFicha::~frmContratosFicha() = default;

void frmContratosFicha::alActivar() {
    llenar(ui->cmbInmueble, QStringLiteral("SELECT Id, Des FROM tblInmuebles ORDER BY Des, Id"));
    llenar(ui->cmbInquilino, QStringLiteral("SELECT Id, Nom FROM tblInquilinos ORDER BY Nom, Id"));
    if (const auto c = Id > 0 ? leerContrato(Id) : std::nullopt) {
        contrato_ = *c;
    } else {
        contrato_.idInm = IdInm;
        contrato_.idInq = IdInm > 0 ? InquilinoDeInmueble(IdInm) : 0;
        contrato_.renta = precioInmueble(IdInm);
        contrato_.inicio = Hoy();
        setWindowTitle(QStringLiteral("Contrato nuevo"));
    }
    Cargar(contrato_);
    // A new contract starts from the property's tenant and price.
    if (Id == 0)
        connect(ui->cmbInmueble, &QComboBox::currentIndexChanged, this, protegido(this, [this] {
                    const int inm = ui->cmbInmueble->currentData().toInt();
                    elegir(ui->cmbInquilino, InquilinoDeInmueble(inm));
                    ui->txtRenta->setText(precioInmueble(inm).textoSimple());
                }));
    ui->cmbInmueble->setFocus();
}

void frmContratosFicha::Cargar(const Contrato& c) {
    elegir(ui->cmbInmueble, c.idInm);
    elegir(ui->cmbInquilino, c.idInq);
    ui->cmbTipo->setCurrentIndex(static_cast<int>(c.tipo));
    ui->chkActual->setChecked(c.actual);
    ui->mskInicio->setText(textoFecha(c.inicio));
    ui->txtDuracion->setText(QString::number(c.duracion));
    ui->txtProrroga->setText(QString::number(c.prorroga));
    ui->txtRenta->setText(c.renta.textoSimple());
    ui->cmbRegla->setCurrentIndex(static_cast<int>(c.regla));
    ui->cmbReduccion->setCurrentIndex(static_cast<int>(c.reduccion));
    ui->txtPorFijo->setText(textoNumero(c.porFijo));
    ui->txtMesAct->setText(c.mesActualizacion > 0 ? QString::number(c.mesActualizacion)
                                                  : QString());
    ui->txtFianza->setText(textoNumero(c.fianza));
    ui->txtFianzaMeses->setText(textoNumero(c.fianzaMeses));
    ui->mskFianzaFecha->setText(textoFecha(c.fianzaFecha));
    ui->txtFianzaDeposito->setText(c.fianzaDeposito);
    ui->txtFianzaRef->setText(c.fianzaReferencia);
    ui->mskFianzaDevolucion->setText(textoFecha(c.fianzaDevolucion));
    ui->txtFianzaDevuelta->setText(textoNumero(c.fianzaDevuelta));
    ui->txtGarantias->setText(c.garantias);
    ui->mskUltimaAct->setText(textoFecha(c.ultimaActualizacion));
    ui->txtObs->setText(c.obs);
    QStringList historial;
    for (const RentaPasada& r : historialRentas(c.id))
        historial << QStringLiteral("Desde el %1: %2 € (%3)")
                         .arg(formatoFecha(r.desde), r.renta.texto(), r.explicacion);
    ui->lblHistorial->setText(historial.isEmpty() ? QStringLiteral("Ninguna")
                                                  : historial.join(QLatin1Char('\n')));
    MostrarFin();
}

void frmContratosFicha::MostrarFin() {
    Contrato c;
    c.inicio = leerFecha(ui->mskInicio->text());
    c.duracion = leerEntero(ui->txtDuracion->text()).value_or(0);
    c.prorroga = leerEntero(ui->txtProrroga->text()).value_or(0);
    ui->lblFin->setText(c.inicio.isValid() && c.duracion > 0 ? formatoFecha(c.fin()) : QString());
}

std::optional<Contrato> frmContratosFicha::Leer() {
    Contrato c = contrato_;
    c.idInm = ui->cmbInmueble->currentData().toInt();
    c.idInq = ui->cmbInquilino->currentData().toInt();
    c.tipo = static_cast<TipoContrato>(ui->cmbTipo->currentIndex());
    c.actual = ui->chkActual->isChecked();
    c.regla = static_cast<Regla>(ui->cmbRegla->currentIndex());
    c.reduccion = static_cast<ReduccionVivienda>(ui->cmbReduccion->currentIndex());
    c.garantias = ui->txtGarantias->text();
    c.obs = ui->txtObs->text();
    c.fianzaDeposito = ui->txtFianzaDeposito->text();
    c.fianzaReferencia = ui->txtFianzaRef->text();
    // Each box: its value, or the message and the focus on it.
    const auto numero = [this]<class T>(QLineEdit* caja, T& destino, const QString& mensaje) {
        if (caja->text().trimmed().isEmpty()) {
            destino = T();
            return true;
        }
        const auto n = deCaja(caja->text(), mensaje, destino);
        if (!n) {
            Mensaje::informar(this, n.motivo());
            caja->setFocus();
            return false;
        }
        destino = *n;
        return true;
    };
    const auto fecha = [this](QLineEdit* caja, QDate& destino, bool obligatoria) {
        destino = vacia(caja) && !obligatoria ? QDate() : leerFecha(caja->text());
        if (destino.isValid() || (vacia(caja) && !obligatoria)) return true;
        Mensaje::informar(this, QStringLiteral("Fecha incorrecta. Ponga otra"));
        caja->setFocus();
        return false;
    };
    if (!fecha(ui->mskInicio, c.inicio, true) ||
        !numero(ui->txtDuracion, c.duracion, QStringLiteral("Ponga una duración en meses")) ||
        !numero(ui->txtProrroga, c.prorroga, QStringLiteral("Ponga las prórrogas en meses")) ||
        !numero(ui->txtRenta, c.renta, QStringLiteral("Ponga una renta correcta")) ||
        !numero(ui->txtPorFijo, c.porFijo, QStringLiteral("Ponga un porcentaje correcto")) ||
        !numero(ui->txtMesAct, c.mesActualizacion,
                QStringLiteral("Ponga el mes de actualización (1 a 12)")) ||
        !numero(ui->txtFianza, c.fianza, QStringLiteral("Ponga una fianza correcta")) ||
        !numero(ui->txtFianzaMeses, c.fianzaMeses, QStringLiteral("Ponga los meses de fianza")) ||
        !fecha(ui->mskFianzaFecha, c.fianzaFecha, false) ||
        !fecha(ui->mskFianzaDevolucion, c.fianzaDevolucion, false) ||
        !fecha(ui->mskUltimaAct, c.ultimaActualizacion, false) ||
        !numero(ui->txtFianzaDevuelta, c.fianzaDevuelta,
                QStringLiteral("Ponga el importe devuelto de la fianza")))
        return std::nullopt;
    if (const QString motivo = validarContrato(c); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo);
        return std::nullopt;
    }
    return c;
}

void frmContratosFicha::Aceptar() {
    const auto c = Leer();
    if (!c) return;
    const Resultado<int> guardado = guardarContrato(*c);
    if (Mensaje::falla(this, guardado)) return;
    Id = *guardado;
    accept();
}

} // namespace torvane
