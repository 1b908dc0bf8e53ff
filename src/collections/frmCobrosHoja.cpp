#include "collections/frmCobrosHoja.h"

#include "ui_frmCobrosHoja.h"

#include "collections/EnvioCorreo.h"
#include "collections/frmCobrosDetalle.h"
#include "core/documents/Documentos.h"
#include "core/documents/EmitirMes.h"
#include "core/documents/EstadoDocumento.h"
#include "core/documents/Funciones.h"
#include "core/documents/Registros.h"
#include "core/mail/EnviosCorreo.h"
#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "ui/Colores.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QPointer>
#include <QTimer>

namespace torvane {

namespace {

const QString kTrimestre = QStringLiteral("TRIMESTRE: ");

QList<Columna> columnasLineas() {
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Ref."), 0.12),
            Columna::texto(QStringLiteral("Descripción"), 0.40),
            Columna::texto(QStringLiteral("Und."), 0.10, derecha),
            Columna::texto(QStringLiteral("Precio"), 0.12, derecha),
            Columna::texto(QStringLiteral("Importe"), 0.15, derecha),
            Columna::oculta(),
            Columna::oculta()};
}

/** An invoice gets its billing record before any copy of it can leave the program; nothing is
 * shown when that fails. It counts as printed only once the copy has gone out. */
bool registrarFactura(QWidget* ventana, int id) {
    return !Mensaje::falla(ventana, emitirFacturas({id}));
}

} // namespace

frmCobrosHoja::frmCobrosHoja(const Sesion& sesion, AperturasCobros& aperturas, int id,
                             QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCobrosHoja>())
    , sesion_(sesion)
    , aperturas_(aperturas)
    , Estado(id == 0 ? 0 : 1)
    , Id(id) {
    ui->setupUi(this);
    configurarCampo(ui->mskFecha, Campo::Normal);
    configurarCampo(ui->cmbSerie, Campo::EnterComoTab | Campo::ColorFoco);
    configurarCampo(ui->txtNumero, Campo::Normal);
    configurarCampo(ui->txtObs, Campo::ColorFoco | Campo::SeleccionarTodo);
    configurarCampo(ui->txtRet, Campo::ColorFoco | Campo::SeleccionarTodo | Campo::ComaDecimal);
    // The VAT box keeps its focus colour while it holds no number, so it paints itself.
    configurarCampo(ui->txtPorIva, Campo::SeleccionarTodo | Campo::ComaDecimal);
    for (QWidget* caja : {ui->mskFecha, ui->txtRet, ui->txtPorIva})
        caja->installEventFilter(this);

    connect(ui->cmdImprimirRecibo, &QPushButton::clicked, this,
            protegido(this, [this] { Imprimir(QStringLiteral("Recibo")); }));
    connect(ui->cmdImprimirFactura, &QPushButton::clicked, this,
            protegido(this, [this] { Imprimir(QStringLiteral("Factura")); }));

    connect(ui->cmdCorreo, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::EnviarPorCorreo));

    connect(ui->cmbSerie, &QComboBox::activated, this,
            protegido(this, &frmCobrosHoja::SerieElegida));
    connect(ui->txtRet, &QLineEdit::returnPressed, this, protegido(this, [this] {
                if (Decimal::leer(ui->txtRet->text())) {
                    CalcularSubtotal();
                    CalcularTotales();
                }
            }));
    connect(ui->txtPorIva, &QLineEdit::returnPressed, this,
            protegido(this, &frmCobrosHoja::CalcularTotales));
    connect(ui->cmdNovo, &QPushButton::clicked, this, protegido(this, &frmCobrosHoja::NuevaLinea));
    connect(ui->cmdInsertar, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::InsertarLinea));
    connect(ui->cmdEditar, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::EditarLinea));
    connect(ui->mshDatos, &QAbstractItemView::doubleClicked, this,
            protegido(this, &frmCobrosHoja::EditarLinea));
    connect(ui->cmdBorrar, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::BorrarLinea));
    connect(ui->cmdBuscarInquilino, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::BuscarInquilino));
    connect(ui->cmdBuscarInmueble, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::BuscarInmueble));
    connect(ui->cmdRectificar, &QPushButton::clicked, this,
            protegido(this, &frmCobrosHoja::Rectificar));
    connect(ui->cmdAnular, &QPushButton::clicked, this, protegido(this, &frmCobrosHoja::Anular));
}

frmCobrosHoja::frmCobrosHoja(const Sesion& sesion, AperturasCobros& aperturas,
                             const DocumentoNuevo& nuevo, QWidget* padre)
    : frmCobrosHoja(sesion, aperturas, 0, padre) {
    IdInm = nuevo.idInmueble;
    IdInq = nuevo.idInquilino;
}

frmCobrosHoja::~frmCobrosHoja() {
    // A lost connection has already let the document go: a failure needs no word.
    if (reservado_ != 0) (void)liberarDocumento(reservado_);
}

bool frmCobrosHoja::Reservar(int id) {
    if (reservado_ == id) return true;
    if (!reservarDocumento(id)) return false;
    reservado_ = id;
    return true;
}

void frmCobrosHoja::DocumentoPerdido() {
    reservado_ = 0;
    Mensaje::informar(this, kEditandoOtroPuesto);
    Ventana::reject();
}

void frmCobrosHoja::alActivar() {
    if (Estado != 0 && !Reservar(Id)) {
        Mensaje::informar(this, kEditandoOtroPuesto);
        QTimer::singleShot(0, this, [this] { Ventana::reject(); });
        return;
    }
    ConfiguraForm();
    CargarSeries();
    PrepararTotales();
    if (Estado == 0)
        NuevoDocumento();
    else
        CargarCabecera();
    preparada_ = true;
    ui->mskFecha->setFocus();
}

void frmCobrosHoja::ConfiguraForm() {
    for (QWidget* banda : {ui->shpCabeceira1, ui->shpCabeceira2, ui->shpRet, ui->shpPorIva})
        pintarFondo(banda, colorFondo());
}

void frmCobrosHoja::CargarSeries() {
    asegurarSerie();
    ui->cmbSerie->clear();
    // The rectifying series is only for rectifying: such a document brings its own.
    ui->cmbSerie->addItems(seriesParaDocumentos());
    ui->cmbSerie->setCurrentIndex(-1);
}

void frmCobrosHoja::PrepararTotales() {
    Rejilla* rejilla = ui->mshTotales;
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    rejilla->modelo()->fijarColumnasFijas(0);
    rejilla->modelo()->fijarBandas(false);
    rejilla->definirColumnas({Columna::texto(QStringLiteral("SUBTOTAL"), 0.15, derecha),
                              Columna::texto(QStringLiteral("BASE"), 0.15, derecha),
                              Columna::texto(QStringLiteral("IVA"), 0.15, derecha),
                              Columna::texto(QStringLiteral("RET"), 0.15, derecha),
                              Columna::texto(QStringLiteral("TOTAL"), 0.39, derecha)});
    rejilla->modelo()->fijarFilas({QStringList(5, QString())});
    rejilla->modelo()->fijarFondoFila(1, colorFondo());
    for (int c = 0; c < 4; ++c)
        rejilla->modelo()->fijarTamanoLetra(1, c, 10);
    rejilla->modelo()->fijarTamanoLetra(1, 4, 14);
    rejilla->verticalHeader()->setDefaultSectionSize(
        qMax(rejilla->verticalHeader()->defaultSectionSize(),
             static_cast<int>(rejilla->height() / 2.15)));
}

void frmCobrosHoja::NuevoDocumento() {
    Id = 0;
    ui->mskFecha->setText(formatoFecha(fechaEnAno(Hoy(), sesion_.numeroAno())));
    FijarTrimestre();
    MostrarInquilino(IdInq);
    MostrarInmueble(IdInm);
    AplicarAjustes();
    CargarLineas();
}

void frmCobrosHoja::AplicarAjustes() {
    const AjustesDocumento a = ajustesNuevoDocumento(IdInm, IdInq);
    ui->cmbSerie->setCurrentIndex(qMax(0, ui->cmbSerie->findText(a.serie)));
    const QString serie = ui->cmbSerie->currentText();
    numRecordado_ = SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), serie);
    serieRecordada_ = serie;
    ui->txtNumero->setText(QString::number(numRecordado_));
    ui->txtPorIva->setText(a.porIva.texto());
    ui->txtRet->setText(a.porRet.texto());
    factura_ = a.factura;
    CalcularTotales();
    MostrarAviso(a.texto(), false);
    // Nothing stored yet: nothing to cancel or rectify.
    ui->cmdRectificar->setEnabled(false);
    ui->cmdAnular->setEnabled(false);
}

void frmCobrosHoja::MostrarAviso(const QString& texto, bool grave) {
    ui->fraVerifactu->setVisible(!texto.isEmpty());
    ui->lblVerifactu->setText(texto);
    ui->lblVerifactu->setStyleSheet(grave ? QStringLiteral("font-weight: bold; color: #8a1c1c;")
                                          : QStringLiteral("font-style: italic;"));
}

void frmCobrosHoja::CargarCabecera() {
    const auto c = leerCabecera(Id);
    if (!c) return;
    guardada_ = *c;
    numRecordado_ = c->num.value_or(0);
    serieRecordada_ = c->ser;
    ui->txtNumero->setText(QString::number(numRecordado_));
    // A code no longer among the series still belongs to this document.
    if (ui->cmbSerie->findText(c->ser) < 0) ui->cmbSerie->addItem(c->ser);
    ui->cmbSerie->setCurrentText(c->ser);
    ui->mskFecha->setText(formatoFecha(c->fec));
    ui->txtPorIva->setText(c->porIva.texto());
    tri_ = c->tri;
    ui->chkPag->setChecked(c->pag);
    ui->lblTrimestre->setText(kTrimestre + QString::number(tri_));
    ui->txtRet->setText(c->porRet.texto());
    ui->txtObs->setText(c->obs);
    IdInq = c->idInq;
    IdInm = c->idInm;
    MostrarInquilino(IdInq);
    MostrarInmueble(IdInm);
    CalcularSubtotal();
    CalcularTotales();
    CargarLineas();
    MostrarEstadoFactura();
}

void frmCobrosHoja::MostrarEstadoFactura() {
    const auto estado = leerEstado(Id);
    if (!estado) return;
    const QString motivo = motivoNo(*estado, Accion::Editar);
    fija_ = !motivo.isEmpty();
    // Where it stands, the last time it was mailed, and when it cannot change, why.
    QString texto = textoEstado(*estado);
    if (const auto envios = enviosDe(Id); envios && !envios->isEmpty())
        texto += u'\n' + textoEnvio(envios->first());
    MostrarAviso(fija_ ? texto + u'\n' + motivo : texto, fija_);
    ui->cmdRectificar->setEnabled(motivoNo(*estado, Accion::Rectificar).isEmpty());
    ui->cmdAnular->setEnabled(motivoNo(*estado, Accion::Anular).isEmpty());
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui->mskFecha, ui->cmbSerie, ui->txtNumero, ui->cmdBuscarInmueble,
             ui->cmdBuscarInquilino, ui->cmdNovo, ui->cmdInsertar, ui->cmdEditar, ui->cmdBorrar,
             ui->txtObs, ui->txtRet, ui->txtPorIva})
        control->setEnabled(!fija_);
    // Paid or not as the table lets this document change.
    ui->chkPag->setEnabled(
        !fija_ && motivoNo(*estado, estado->pagado ? Accion::MarcarPendiente : Accion::MarcarPagado)
                      .isEmpty());
}

bool frmCobrosHoja::Emitir() {
    if (!registrarFactura(this, Id)) return false;
    MostrarEstadoFactura();
    return true;
}

void frmCobrosHoja::Rectificar() {
    const std::optional<int> nuevo = aperturas_.rectificar(this, Id);
    if (!nuevo) return;
    frmCobrosHoja hoja(sesion_, aperturas_, *nuevo, parentWidget());
    hoja.setWindowTitle(QStringLiteral("Factura rectificativa"));
    hoja.exec();
    MostrarEstadoFactura();
}

void frmCobrosHoja::Anular() {
    // What was typed is kept first, so the cancelled document is what the sheet shows.
    if (Id == 0 || !Guardar()) return;
    const auto estado = leerEstado(Id);
    if (!estado) return;
    if (const QString motivo = motivoNo(*estado, Accion::Anular); !motivo.isEmpty())
        return Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
    const QString pregunta =
        estado->verifactu == EstadoFactura::Emitida
            ? QStringLiteral("¿Anular la factura %1? Se añade un registro de anulación y la "
                             "factura queda como está, marcada ANULADA.")
        : estado->factura
            ? QStringLiteral("¿Anular la factura %1? Conserva su número, queda marcada ANULADA "
                             "y no cuenta en ningún total.")
            : QStringLiteral("¿Anular el recibo %1? Conserva su número, queda marcado ANULADO "
                             "y no cuenta en ningún total.");
    if (!Mensaje::preguntar(this, pregunta.arg(estado->numero), Mensaje::Icono::Exclamacion,
                            Mensaje::kTitulo, true))
        return;
    if (const auto anulado = anularDocumento(Id); !anulado)
        Mensaje::informar(this, anulado.motivo(), Mensaje::Icono::Exclamacion);
    CargarCabecera();
}

void frmCobrosHoja::MostrarInquilino(int id) {
    const auto inquilino = datosInquilino(id);
    ui->lblNom->setText(inquilino ? inquilino->nom : QString());
    ui->lblInqInfo->setText(inquilino ? inquilino->info : QString());
}

void frmCobrosHoja::MostrarInmueble(int id) {
    ui->lblInm->setText(descripcionInmueble(id));
}

void frmCobrosHoja::FijarTrimestre() {
    const QDate fecha = leerFecha(ui->mskFecha->text());
    if (!fecha.isValid()) return;
    tri_ = Trimestre(fecha.month()).toInt();
    ui->lblTrimestre->setText(kTrimestre + QString::number(tri_));
}

void frmCobrosHoja::CargarLineas() {
    const QList<QStringList> filas = filasLineas(Id);
    if (filas.isEmpty()) {
        ui->mshDatos->vaciar();
        return;
    }
    ui->mshDatos->definirColumnas(columnasLineas());
    ui->mshDatos->modelo()->fijarFilas(filas);
    ui->mshDatos->fijarFilaActual(1, 1);
}

void frmCobrosHoja::CalcularSubtotal() {
    subtotal_ = subtotalDocumento(Id);
}

void frmCobrosHoja::CalcularTotales() {
    // A box without a number counts as nothing; the checks tell the user before any save.
    const auto t = calcularTotales(subtotal_, Decimal::leer(ui->txtRet->text()).valorO({}),
                                   Decimal::leer(ui->txtPorIva->text()).valorO({}));
    MostrarTotales(t.valorO({}));
}

void frmCobrosHoja::MostrarTotales(const Totales& t) {
    const QStringList textos{t.subtotal.texto(), t.base.texto(), t.iva.texto(), t.retencion.texto(),
                             t.total.texto()};
    for (int c = 0; c < textos.size(); ++c)
        ui->mshTotales->modelo()->fijarTexto(1, c, textos[c]);
}

// Both documents print what was just stored, never what the boxes merely show.
// Before a copy leaves the program: saved, with lines, and an invoice issued.
bool frmCobrosHoja::ListoParaSalir() {
    if (!Guardar()) return false;
    if (Id == 0) {
        Mensaje::informar(this, QStringLiteral("El documento no tiene líneas"));
        return false;
    }
    return Emitir();
}

void frmCobrosHoja::Imprimir(const QString& plantilla) {
    CursorEspera espera(this);
    if (!ListoParaSalir()) return;
    aperturas_.vistaPrevia(this, plantilla, Id);
    // Printed or not, the sheet says so now.
    MostrarEstadoFactura();
}

void frmCobrosHoja::EnviarPorCorreo() {
    if (!ListoParaSalir()) return;
    enviarPorCorreo(this, {Id});
    // Sent or failed, the sheet says so now.
    MostrarEstadoFactura();
}

QStringList frmCobrosHoja::textosTotales() const {
    QStringList textos;
    for (int c = 0; c < 5; ++c)
        textos << ui->mshTotales->texto(1, c);
    return textos;
}

bool frmCobrosHoja::ComprobaDatos() {
    const auto numero = leerEntero(ui->txtNumero->text());
    if (!numero || *numero < 1) {
        Mensaje::informar(this, QStringLiteral("Ponga un número correcto"));
        ui->txtNumero->setText(QString::number(numRecordado_));
        ui->txtNumero->setFocus();
        return false;
    }
    if (!numeroLibre(Id, *numero, ui->cmbSerie->currentText())) return NumeroOcupado();
    const QDate fecha = leerFecha(ui->mskFecha->text());
    if (!fecha.isValid()) {
        Mensaje::informar(this, QStringLiteral("Fecha incorrecta. Ponga otra"));
        ui->mskFecha->setFocus();
        return false;
    }
    // A date changed to another year would leave the document out of both years' totals.
    if (fecha != guardada_.fec) {
        if (const QString motivo = motivoFechaFueraDeAno(fecha, sesion_.numeroAno());
            !motivo.isEmpty()) {
            Mensaje::informar(this, motivo);
            ui->mskFecha->setFocus();
            return false;
        }
    }
    if (!Decimal::leer(ui->txtRet->text())) {
        Mensaje::informar(this, QStringLiteral("Retención incorrecta. Ponga un número"));
        ui->txtRet->setText(QStringLiteral("0"));
        ui->txtRet->setFocus();
        return false;
    }
    const auto iva = Decimal::leer(ui->txtPorIva->text());
    if (!iva || TipoIvaDePorcentaje(*iva) == -1) {
        Mensaje::informar(this, QStringLiteral("Este IVA no es correcto. Cámbielo"));
        ui->txtPorIva->setFocus();
        return false;
    }
    return true;
}

bool frmCobrosHoja::NumeroOcupado() {
    Mensaje::informar(this, kNumeroRepetido);
    // A new document whose number was taken meanwhile (another desk) gets the next free one.
    if (Id == 0)
        numRecordado_ =
            SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), serieRecordada_);
    ui->txtNumero->setText(QString::number(numRecordado_));
    ui->cmbSerie->setCurrentText(serieRecordada_);
    ui->txtNumero->setFocus();
    return false;
}

Cabecera frmCobrosHoja::CabeceraDeCajas() const {
    Cabecera c;
    c.id = Id;
    c.num = leerEntero(ui->txtNumero->text());
    c.ser = ui->cmbSerie->currentText();
    c.idInq = IdInq;
    c.idInm = IdInm;
    c.fec = leerFecha(ui->mskFecha->text());
    c.porRet = Decimal::leer(ui->txtRet->text()).valorO({});
    c.porIva = Decimal::leer(ui->txtPorIva->text()).valorO({});
    c.tri = tri_;
    c.pag = ui->chkPag->isChecked();
    c.obs = ui->txtObs->text();
    c.factura = factura_;
    return c;
}

bool frmCobrosHoja::Guardar(const CambioLineas& cambio) {
    // What was issued is printed as stored; the boxes cannot have changed it.
    if (fija_) {
        if (const auto c = leerCabecera(Id)) guardada_ = *c;
        return true;
    }
    if (!ComprobaDatos()) return false;
    // A date or percentage typed without leaving its box counts all the same.
    FijarTrimestre();
    if (Id == 0 && cambio.tipo == CambioLineas::Ninguno) {
        CalcularTotales();
        return true;
    }
    const Cabecera antes = guardada_;
    const Resultado<Cabecera> guardado = guardarDocumento(CabeceraDeCajas(), cambio);
    if (!guardado) {
        if (guardado.motivo() == kNumeroRepetido) return NumeroOcupado();
        if (guardado.fallo().sinConexion) return !Mensaje::falla(this, guardado);
        // Refused by what the document has become (another desk remitted it, say): nothing
        // was stored, and the sheet shows it as it now stands.
        Mensaje::informar(this, guardado.motivo(), Mensaje::Icono::Exclamacion);
        if (Id != 0) MostrarEstadoFactura();
        return false;
    }
    guardada_ = *guardado;
    // Only a new document or a payment changes what the state band says.
    const bool otroEstado = Id == 0 || guardada_.pag != antes.pag;
    Id = guardada_.id;
    Reservar(Id);
    numRecordado_ = guardada_.num.value_or(0);
    serieRecordada_ = guardada_.ser;
    subtotal_ = guardada_.totales.subtotal;
    MostrarTotales(guardada_.totales);
    CargarLineas();
    if (otroEstado) MostrarEstadoFactura();
    return true;
}

void frmCobrosHoja::SerieElegida() {
    const QString serie = ui->cmbSerie->currentText();
    const int numero =
        serie.compare(serieRecordada_, Qt::CaseInsensitive) == 0
            ? numRecordado_
            : SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), serie);
    ui->txtNumero->setText(QString::number(numero));
}

std::optional<Linea> frmCobrosHoja::AbrirDetalle(int estado, int lin, int idLinea,
                                                 const QString& titulo) {
    if (fija_) {
        Mensaje::informar(this, ui->lblVerifactu->text());
        return std::nullopt;
    }
    // The checks come first, so a typed line is never lost to a header that cannot be saved.
    if (!ComprobaDatos()) return std::nullopt;
    CursorEspera espera(this);
    frmCobrosDetalle detalle(aperturas_, {estado, idLinea, lin, IdInm}, this);
    detalle.setWindowTitle(titulo);
    if (detalle.exec() != QDialog::Accepted) return std::nullopt;
    return detalle.linea();
}

void frmCobrosHoja::NuevaLinea() {
    const int lin = SiguienteLinea(QStringLiteral("tblCobrosDetalles"), QStringLiteral("Lin"),
                                   QStringLiteral("IdDoc"), Id);
    if (const auto linea = AbrirDetalle(0, lin, 0, QStringLiteral("Nuevo detalle")))
        Guardar({CambioLineas::Anadir, *linea, 0});
}

void frmCobrosHoja::InsertarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    const int lin = ui->mshDatos->texto(fila, 0).toInt();
    if (const auto linea = AbrirDetalle(2, lin, 0, QStringLiteral("Nuevo detalle")))
        Guardar({CambioLineas::Insertar, *linea, 0});
}

void frmCobrosHoja::EditarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (fila < 1) return;
    const int idLinea = ui->mshDatos->texto(fila, 6).toInt();
    const auto linea = AbrirDetalle(1, ui->mshDatos->texto(fila, 0).toInt(), idLinea,
                                    QStringLiteral("Modificando detalle "));
    if (linea && Guardar({CambioLineas::Editar, *linea, idLinea}))
        ui->mshDatos->fijarFilaActual(fila, 1);
}

void frmCobrosHoja::BorrarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    if (!ComprobaDatos()) return;
    if (!Mensaje::preguntar(this,
                            QStringLiteral("¿Borrar la línea ") + ui->mshDatos->texto(fila, 0) +
                                QStringLiteral("?"),
                            Mensaje::Icono::Informacion, Mensaje::kTitulo, true))
        return;
    Guardar({CambioLineas::Borrar, {}, ui->mshDatos->texto(fila, 6).toInt()});
}

void frmCobrosHoja::BuscarInquilino() {
    const auto id = aperturas_.buscar(this, QStringLiteral("Inquilinos"));
    if (!id) return;
    IdInq = *id;
    MostrarInquilino(IdInq);
    DespuesDeBuscar();
}

void frmCobrosHoja::BuscarInmueble() {
    const auto id = aperturas_.buscar(this, QStringLiteral("Inmuebles"));
    if (!id) return;
    IdInm = *id;
    MostrarInmueble(IdInm);
    DespuesDeBuscar();
}

void frmCobrosHoja::DespuesDeBuscar() {
    // Before its first line a new document follows the party chosen.
    if (Id == 0) AplicarAjustes();
    Guardar();
}

void frmCobrosHoja::reject() {
    sinExcepciones(this, [&] {
        if (!preparada_ || fija_) {
            Ventana::reject();
            return;
        }
        // A document left without lines holds no money: it goes, like an unused new sheet, unless
        // its number can no longer be freed.
        if (Id != 0 && numeroLineas(Id) == 0) {
            if (const QString motivo = motivoNo(Id, Accion::Borrar); !motivo.isEmpty()) {
                Mensaje::informar(
                    this,
                    QStringLiteral("El documento no tiene líneas y no se puede quitar. ") + motivo +
                        QStringLiteral(" O añádale una línea."),
                    Mensaje::Icono::Exclamacion);
                return;
            }
            if (Mensaje::falla(this, borrarDocumento(Id))) return;
        } else if (Id != 0 && !Guardar()) {
            return;
        }
        Ventana::reject();
    });
}

void frmCobrosHoja::closeEvent(QCloseEvent* evento) {
    sinExcepciones(this, [&] {
        // The close box closes only once reject() has let the sheet go: a save that fails (a lost
        // server throws) leaves it open with its edits.
        evento->ignore();
        if (!isVisible()) {
            evento->accept();
            return;
        }
        const QPointer<frmCobrosHoja> hoja(this);
        reject();
        if (hoja && !isVisible()) evento->accept();
    });
}

void frmCobrosHoja::SalirPorIva() {
    const auto iva = Decimal::leer(ui->txtPorIva->text());
    if (!iva) {
        Mensaje::informar(this, QStringLiteral("Ponga un número correcto"));
        ui->txtPorIva->setFocus();
        return;
    }
    pintarFondo(ui->txtPorIva, kBlanco);
    if (TipoIvaDePorcentaje(*iva) == -1) {
        Mensaje::informar(this, QStringLiteral("Este IVA no es correcto. Cámbielo"));
        ui->txtPorIva->setFocus();
    }
}

bool frmCobrosHoja::eventFilter(QObject* objeto, QEvent* evento) {
    return sinExcepciones(
        this,
        [&]() -> bool {
            if (objeto == ui->txtPorIva && evento->type() == QEvent::FocusIn)
                pintarFondo(ui->txtPorIva, colorPrincipal());
            if (evento->type() != QEvent::FocusOut) return Ventana::eventFilter(objeto, evento);
            const auto razon = static_cast<QFocusEvent*>(evento)->reason();
            // Switching windows (a message box, a child window) is not leaving the box.
            if (razon == Qt::ActiveWindowFocusReason || razon == Qt::PopupFocusReason ||
                avisando_ || !isVisible())
                return Ventana::eventFilter(objeto, evento);
            if (objeto == ui->mskFecha) {
                FijarTrimestre();
            } else if (objeto == ui->txtRet) {
                if (!Decimal::leer(ui->txtRet->text())) ui->txtRet->setText(QStringLiteral("0"));
            } else if (objeto == ui->txtPorIva) {
                avisando_ = true;
                SalirPorIva();
                avisando_ = false;
            }
            return Ventana::eventFilter(objeto, evento);
        },
        bool{});
}

} // namespace torvane
