#include "utilities/frmConfiguracion.h"
#include "ui_frmConfiguracion.h"

#include "core/documents/Documentos.h"
#include "core/documents/Registros.h"
#include "core/documents/Titulos.h"
#include "core/mail/Llavero.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"
#include "reports/Impresoras.h"
#include "ui/AvisoIdentificador.h"
#include "ui/Colores.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"
#include "utilities/frmCorreo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QTimer>

namespace torvane {

namespace {

constexpr int kRetencion = 10;

// Multi-line boxes have no maxLength of their own.
void limitar(QPlainTextEdit* caja, int maximo) {
    QObject::connect(caja, &QPlainTextEdit::textChanged, caja, protegido(caja, [caja, maximo] {
                         const QString texto = caja->toPlainText();
                         if (texto.size() <= maximo) return;
                         caja->setPlainText(texto.left(maximo));
                         caja->moveCursor(QTextCursor::End);
                     }));
}

} // namespace

frmConfiguracion::frmConfiguracion(AperturasUtilidades& aperturas, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmConfiguracion>())
    , aperturas_(aperturas) {
    ui->setupUi(this);
    txtDatos = {ui->txtDatos_0,  ui->txtDatos_1,  ui->txtDatos_2,  ui->txtDatos_3, ui->txtDatos_4,
                ui->txtDatos_5,  ui->txtDatos_6,  ui->txtDatos_7,  ui->txtDatos_8, ui->txtDatos_9,
                ui->txtDatos_10, ui->txtDatos_11, ui->txtDatos_12, ui->txtDatos_13};
    // Enter follows the boxes as they stand on screen: the exemption wording closes "Empresa".
    ordenEnter = {ui->txtDatos_0,  ui->txtDatos_1,  ui->txtDatos_2, ui->txtDatos_3, ui->txtDatos_4,
                  ui->txtDatos_5,  ui->txtDatos_6,  ui->txtDatos_7, ui->txtDatos_8, ui->txtDatos_11,
                  ui->txtDatos_12, ui->txtDatos_13, ui->txtDatos_9, ui->txtDatos_10};
    limitar(ui->txtDatos_6, 100);
    limitar(ui->txtDatos_7, 200);
    for (QWidget* caja : txtDatos) {
        caja->installEventFilter(this);
        if (caja != ui->txtDatos_10) configurarCampo(caja, Campo::SeleccionarTodo);
    }
    configurarCampo(ui->txtDatos_10, Campo::ComaDecimal | Campo::SeleccionarTodo);
    connect(ui->cmdPechar, &QPushButton::clicked, this,
            protegido(this, &frmConfiguracion::cmdPechar_Click));
    connect(ui->cmdIVA, &QToolButton::clicked, this, protegido(this, [this] {
                CursorEspera espera(this);
                aperturas_.ivas(this);
            }));
    connect(ui->cmdSeries, &QToolButton::clicked, this,
            protegido(this, &frmConfiguracion::abrirSeries));
    connect(ui->cmdCorreo, &QToolButton::clicked, this,
            protegido(this, &frmConfiguracion::abrirCorreo));
    connect(ui->cmdRegistros, &QPushButton::clicked, this, protegido(this, [this] {
                CursorEspera espera(this);
                aperturas_.registrosVerifactu(this);
            }));
}

frmConfiguracion::~frmConfiguracion() = default;

void frmConfiguracion::alActivar() {
    CargarDatos();
}

void frmConfiguracion::CargarDatos() {
    for (QWidget* caja : txtDatos)
        pintarFondo(caja, colorPrincipal());
    pintarFondo(ui->cmbImpresora_0, colorPrincipal());
    pintarFondo(ui->cmbImpresora_1, colorPrincipal());
    pintarFondo(ui->cmbTipEmi, colorPrincipal());
    const QStringList valores = leerTitulos();
    for (int i = 0; i < txtDatos.size(); ++i)
        fijarTexto(i, valores.value(i));
    if (!valores.value(13).isEmpty()) fijarTexto(13, ibanAgrupado(valores.value(13)));
    ui->cmbTipEmi->setCurrentIndex(static_cast<int>(leerTipoEmisor()));
    CargarImpresoras();
    CargarVerifactu();
    cargado_ = estado();
    ui->txtDatos_0->setFocus();
}

// Everything «Salir» would write, as shown.
QStringList frmConfiguracion::estado() const {
    QStringList valores;
    for (int i = 0; i < txtDatos.size(); ++i)
        valores << textoDe(i);
    valores << QString::number(ui->cmbTipEmi->currentIndex())
            << ui->cmbImpresora_0->currentData().toString()
            << QString::number(ui->chkVerifactu->isChecked()) << ui->txtSerieRect->text()
            << QString::number(ui->chkPruebas->isChecked()) << seriesMarcadas().join(u',');
    return valores;
}

void frmConfiguracion::reject() {
    sinExcepciones(this, [&] {
        if (estado() != cargado_ && !Mensaje::resolverCambios(this, [this] {
                cmdPechar_Click();
                return !isVisible();
            }))
            return;
        if (isVisible()) Ventana::reject();
    });
}

void frmConfiguracion::CargarImpresoras() {
    const QStringList impresoras = listaImpresoras();
    const QString predeterminada = QPrinterInfo::defaultPrinterName();
    ui->cmbImpresora_0->addItem(predeterminada.isEmpty()
                                    ? QStringLiteral("Predeterminada del sistema")
                                    : QStringLiteral("Predeterminada (%1)").arg(predeterminada),
                                QString());
    for (const QString& nombre : impresoras)
        ui->cmbImpresora_0->addItem(nombre, nombre);
    // A printer that is off or gone today stays chosen until the user picks another.
    const QString elegida = impresoraElegida();
    if (!elegida.isEmpty() && !impresoras.contains(elegida))
        ui->cmbImpresora_0->addItem(QStringLiteral("%1 (no disponible ahora)").arg(elegida),
                                    elegida);
    ui->cmbImpresora_0->setCurrentIndex(ui->cmbImpresora_0->findData(elegida));
    // «PDF» always writes a file and asks where: there is nothing to choose.
    ui->cmbImpresora_1->addItem(kArchivoPdf);
    ui->cmbImpresora_1->setEnabled(false);
    ui->cmbImpresora_1->setToolTip(QStringLiteral("«PDF» guarda siempre un archivo y pregunta "
                                                  "dónde."));
}

void frmConfiguracion::CargarVerifactu() {
    const ConfigVerifactu config = leerConfigVerifactu();
    ui->chkVerifactu->setChecked(config.activo);
    ui->chkVerifactu->setEnabled(!config.activo);
    ui->txtSerieRect->setText(config.serieRect);
    ui->chkPruebas->setChecked(config.pruebas);
    llenarSeries(config.series);
}

// The year's series as they are now, but the rectifying one, ticked as given.
void frmConfiguracion::llenarSeries(const QStringList& marcadas) {
    const QString serieRect = ui->txtSerieRect->text().trimmed();
    ui->lstSeriesFactura->clear();
    for (const QString& serie : codigosSeries()) {
        if (serie.compare(serieRect, Qt::CaseInsensitive) == 0) continue;
        auto* elemento = new QListWidgetItem(serie, ui->lstSeriesFactura);
        elemento->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        elemento->setCheckState(marcadas.contains(serie, Qt::CaseInsensitive) ? Qt::Checked
                                                                              : Qt::Unchecked);
    }
}

QStringList frmConfiguracion::seriesMarcadas() const {
    QStringList marcadas;
    for (int i = 0; i < ui->lstSeriesFactura->count(); ++i)
        if (ui->lstSeriesFactura->item(i)->checkState() == Qt::Checked)
            marcadas << ui->lstSeriesFactura->item(i)->text();
    return marcadas;
}

// A series made or renamed there can be ticked here at once; what was ticked stays ticked.
void frmConfiguracion::abrirSeries() {
    {
        CursorEspera espera(this);
        aperturas_.series(this);
    }
    llenarSeries(seriesMarcadas());
}

bool frmConfiguracion::GuardarVerifactu() {
    ConfigVerifactu config;
    config.activo = ui->chkVerifactu->isChecked();
    config.serieRect = ui->txtSerieRect->text().trimmed();
    config.pruebas = ui->chkPruebas->isChecked();
    config.series = seriesMarcadas();
    if (config.activo && config.series.isEmpty()) {
        Mensaje::informar(this, QStringLiteral("Marque al menos una serie de facturas."));
        ui->lstSeriesFactura->setFocus();
        return false;
    }
    if (const auto guardada = guardarConfigVerifactu(config); !guardada) {
        Mensaje::informar(this, guardada.motivo(), Mensaje::Icono::Exclamacion);
        ui->txtSerieRect->setFocus();
        return false;
    }
    return true;
}

QString frmConfiguracion::textoDe(int indice) const {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(txtDatos[indice]))
        return varias->toPlainText();
    return static_cast<QLineEdit*>(txtDatos[indice])->text();
}

void frmConfiguracion::fijarTexto(int indice, const QString& texto) {
    if (auto* varias = qobject_cast<QPlainTextEdit*>(txtDatos[indice])) {
        varias->setPlainText(texto);
        return;
    }
    auto* caja = static_cast<QLineEdit*>(txtDatos[indice]);
    caja->setText(texto);
    // A text longer than its box shows from its start, not its end.
    caja->setCursorPosition(0);
}

bool frmConfiguracion::eventFilter(QObject* objeto, QEvent* evento) {
    return sinExcepciones(
        this,
        [&]() -> bool {
            const int indice = txtDatos.indexOf(qobject_cast<QWidget*>(objeto));
            if (indice < 0) return Ventana::eventFilter(objeto, evento);
            if (evento->type() == QEvent::KeyPress) {
                const auto* tecla = static_cast<QKeyEvent*>(evento);
                if (tecla->key() != Qt::Key_Return && tecla->key() != Qt::Key_Enter) return false;
                if (indice == kRetencion) return true;
                // Shift+Enter still breaks a line in the boxes of several lines.
                if (qobject_cast<QPlainTextEdit*>(objeto) && tecla->modifiers() & Qt::ShiftModifier)
                    return false;
                ordenEnter[ordenEnter.indexOf(txtDatos[indice]) + 1]->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (evento->type() == QEvent::FocusOut && indice == kRetencion &&
                static_cast<QFocusEvent*>(evento)->reason() != Qt::PopupFocusReason) {
                // Decided once the focus has landed: "&Salir" checks the box itself, and a window
                // that is closing or has an editor open over it asks nothing.
                QTimer::singleShot(0, this, [this] {
                    if (isVisible() && isActiveWindow() && focusWidget() != ui->cmdPechar &&
                        !ui->txtDatos_10->hasFocus())
                        RetencionValida();
                });
            }
            return false;
        },
        bool{});
}

bool frmConfiguracion::RetencionValida() {
    const QString texto = textoDe(kRetencion).trimmed();
    if (texto.isEmpty() || Decimal::leer(texto)) return true;
    Mensaje::informar(this, QStringLiteral("Ponga un nº"));
    ui->txtDatos_10->setFocus();
    ui->txtDatos_10->selectAll();
    return false;
}

// The editors keep their own captions; what was typed here stays on screen meanwhile.
// Mail settings are the user's, kept at once: «Salir» writes only the company's data.
void frmConfiguracion::abrirCorreo() {
    frmCorreo dialogo(leerAjustesCorreo(), this);
    if (dialogo.exec() != QDialog::Accepted) return;
    const AjustesCorreo a = dialogo.ajustes();
    if (!guardarAjustesCorreo(a))
        Mensaje::critico(this, QStringLiteral("No se pudieron guardar los ajustes del correo."));
    if (const auto clave = dialogo.clave())
        if (const QString fallo = recordarClave(a.cuenta(), *clave, dialogo.enLlavero());
            !fallo.isEmpty())
            Mensaje::informar(this, fallo, Mensaje::Icono::Exclamacion);
}

bool frmConfiguracion::IdentificadoresAceptados() {
    return aceptarIdentificador(ui->txtDatos_1, motivoNif(ui->txtDatos_1->text())) &&
           aceptarIdentificador(ui->txtDatos_12,
                                motivoIdentificadorAcreedor(ui->txtDatos_12->text())) &&
           aceptarIdentificador(ui->txtDatos_13, motivoIban(ui->txtDatos_13->text()));
}

void frmConfiguracion::cmdPechar_Click() {
    if (!RetencionValida() || !IdentificadoresAceptados()) return;
    if (!GuardarVerifactu()) return;
    if (!guardarImpresoraElegida(ui->cmbImpresora_0->currentData().toString())) {
        Mensaje::critico(this, QStringLiteral("No se pudo guardar la elección de impresoras en %1.")
                                   .arg(Modulo::CarpetaAjuste(QStringLiteral("imp.ini"))));
        return;
    }
    QStringList valores;
    for (int i = 0; i < txtDatos.size(); ++i)
        valores << textoDe(i);
    // Kept as the bank reads them; the IBAN is shown again in groups of four.
    for (const int i : {12, 13})
        valores[i] = compactarIdentificador(valores[i]);
    guardarTitulos(valores);
    guardarTipoEmisor(static_cast<TipoEmisor>(ui->cmbTipEmi->currentIndex()));
    accept();
}

} // namespace torvane
