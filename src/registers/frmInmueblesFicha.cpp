#include "registers/frmInmueblesFicha.h"
#include "ui_frmInmueblesFicha.h"

#include "core/documents/Funciones.h"
#include "core/registers/ListasRegistros.h"
#include "core/text/Formato.h"
#include "registers/ComunRegistros.h"
#include "registers/frmAtopar.h"
#include "registers/frmInmueblesCargos.h"
#include "ui/Colores.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QKeyEvent>

namespace torvane {

frmInmueblesFicha::frmInmueblesFicha(AperturasRegistros& aperturas, int id, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmInmueblesFicha>())
    , aperturas_(aperturas)
    , Estado(id == 0 ? 0 : 1)
    , Id(id) {
    ui->setupUi(this);
    for (QWidget* caja : {ui->txtDes, ui->txtDir, ui->txtCp, ui->txtPob, ui->txtPro})
        configurarCampo(caja, Campo::Normal);
    configurarCampo(ui->txtPre, Campo::Numero);
    configurarCampo(ui->txtObs, Campo::ColorFoco);
    limitarLongitud(ui->txtObs, 255);
    ui->txtObs->installEventFilter(this);
    connect(ui->cmdInquilino, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::Asignar));
    connect(ui->cmdInquilinoQuitar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::Liberar));
    connect(ui->cmdAceptar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::Aceptar));
    connect(ui->cmdCargos, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::Cargos));
    connect(ui->cmdContratos, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::Contratos));
    connect(ui->cmdCancelar, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::reject));
    auto* gastos = crearBoton(this, "cmdGastos", QStringLiteral("&Gastos"));
    auto* fiscales = crearBoton(this, "cmdDatosFiscales", QStringLiteral("Datos &fiscales"));
    const int antes = ui->layBotones->indexOf(ui->cmdAceptar);
    ui->layBotones->insertWidget(antes, fiscales);
    ui->layBotones->insertWidget(antes, gastos);
    setTabOrder(ui->cmdContratos, gastos);
    setTabOrder(gastos, fiscales);
    setTabOrder(fiscales, ui->cmdAceptar);
    connect(gastos, &QPushButton::clicked, this, protegido(this, &frmInmueblesFicha::Gastos));
    connect(fiscales, &QPushButton::clicked, this,
            protegido(this, &frmInmueblesFicha::DatosFiscales));
}

frmInmueblesFicha::~frmInmueblesFicha() = default;

void frmInmueblesFicha::alActivar() {
    ConfiguraForm();
    if (Estado == 0) {
        // The engine gives the code when the record is stored, so two desks never share one.
        ui->txtId->clear();
        ui->txtId->setPlaceholderText(QStringLiteral("al guardar"));
        mostrarInquilino();
    } else {
        Cargar();
        desCargada_ = ui->txtDes->text();
    }
    ui->txtDes->setFocus();
}

void frmInmueblesFicha::keyPressEvent(QKeyEvent* evento) {
    // Escape is the release button here, not a way out (the close box still cancels).
    if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
        ui->cmdInquilinoQuitar->click();
        return;
    }
    Ventana::keyPressEvent(evento);
}

bool frmInmueblesFicha::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == ui->txtObs && evento->type() == QEvent::FocusIn)
        ui->txtObs->moveCursor(QTextCursor::End);
    return Ventana::eventFilter(objeto, evento);
}

void frmInmueblesFicha::ConfiguraForm() {
    pintarFondo(ui->lblInquilino, colorFondo());
}

void frmInmueblesFicha::Cargar() {
    FichaInmueble f = LeerInmueble(Id).value_or(FichaInmueble{});
    ui->txtId->setText(QString::number(Id));
    ui->txtDes->setText(f.Des);
    ui->txtDir->setText(f.Dir);
    ui->txtCp->setText(f.CP);
    ui->txtPob->setText(f.Pob);
    ui->txtPro->setText(f.Pro);
    ui->txtObs->setPlainText(f.Obs);
    ui->txtPre->setText(f.Pre.textoSimple());
    idInq_ = f.IdInq;
    mostrarInquilino();
}

void frmInmueblesFicha::mostrarInquilino() {
    // A free property is no lookup that failed: it says so in the user's words.
    ui->lblInquilino->setText(idInq_ == 0 ? QStringLiteral("(sin inquilino)")
                                          : DescripcionDeCodigo(QStringLiteral("tblInquilinos"),
                                                                QStringLiteral("Id"),
                                                                QStringLiteral("Nom"), idInq_));
}

void frmInmueblesFicha::Asignar() {
    CursorEspera espera(this);
    frmAtopar buscar(aperturas_, QStringLiteral("Inquilinos"), this);
    buscar.exec();
    if (!buscar.elegido()) return;
    idInq_ = *buscar.elegido();
    mostrarInquilino();
}

void frmInmueblesFicha::Liberar() {
    if (!Mensaje::preguntar(this, QStringLiteral("¿Liberar Inquilino?"))) return;
    idInq_ = 0;
    mostrarInquilino();
}

bool frmInmueblesFicha::ComprobaDatos() {
    if (ui->txtDes->text().isEmpty()) {
        Mensaje::informar(this, QStringLiteral("Ponga una descripción al inmueble"));
        ui->txtDes->setFocus();
        return false;
    }
    if (const auto precio =
            importeDeCaja(ui->txtPre->text(), QStringLiteral("Ponga un precio correcto"));
        !precio) {
        Mensaje::informar(this, precio.motivo());
        ui->txtPre->setText(QStringLiteral("0"));
        ui->txtPre->setFocus();
        return false;
    }
    return true;
}

bool frmInmueblesFicha::ComprobaDes() {
    return comprobarUnico(this, ui->txtDes, QStringLiteral("tblInmuebles"), QStringLiteral("Des"),
                          Estado == 1, desCargada_,
                          QStringLiteral("Esta descripción ya existe, ponga otra"));
}

void frmInmueblesFicha::Aceptar() {
    const bool datos = ComprobaDatos();
    const bool des = ComprobaDes();
    if (!datos || !des) return;
    const FichaInmueble f{ui->txtId->text().toInt(),
                          ui->txtDes->text(),
                          ui->txtDir->text(),
                          ui->txtCp->text(),
                          ui->txtPob->text(),
                          ui->txtPro->text(),
                          Importe::leer(ui->txtPre->text()).valorO(Importe()),
                          idInq_,
                          ui->txtObs->toPlainText()};
    const Resultado<int> guardado = GuardarInmueble(f, Estado == 0);
    if (Mensaje::falla(this, guardado)) return;
    Id = *guardado;
    ui->txtId->setText(QString::number(Id));
    accept();
}

void frmInmueblesFicha::Cargos() {
    // The lines belong to a stored property; a new one is stored first by Accept.
    if (Estado == 0) {
        Mensaje::informar(this,
                          QStringLiteral("Acepte primero el inmueble nuevo y vuelva a abrirlo "
                                         "para poner sus cargos mensuales"));
        return;
    }
    frmInmueblesCargos cargos(Id, this);
    cargos.exec();
}

void frmInmueblesFicha::Contratos() {
    if (Estado == 0) {
        Mensaje::informar(this,
                          QStringLiteral("Acepte primero el inmueble nuevo y vuelva a abrirlo "
                                         "para poner sus contratos"));
        return;
    }
    aperturas_.contratos(this, Id);
    // The current contract may have changed the tenant and the price: Accept must not undo it.
    if (const auto f = LeerInmueble(Id)) {
        ui->txtPre->setText(f->Pre.textoSimple());
        idInq_ = f->IdInq;
        mostrarInquilino();
    }
}

bool frmInmueblesFicha::Guardado(const QString& que) {
    if (Estado != 0) return true;
    Mensaje::informar(this, QStringLiteral("Acepte primero el inmueble nuevo y vuelva a abrirlo "
                                           "para poner sus %1")
                                .arg(que));
    return false;
}

void frmInmueblesFicha::Gastos() {
    if (!Guardado(QStringLiteral("gastos"))) return;
    aperturas_.gastos(this, Id);
}

void frmInmueblesFicha::DatosFiscales() {
    if (Guardado(QStringLiteral("datos fiscales"))) aperturas_.datosFiscales(this, Id);
}

} // namespace torvane
