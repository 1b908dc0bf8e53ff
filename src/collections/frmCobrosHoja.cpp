#include "collections/frmCobrosHoja.h"

#include "ui_frmCobrosHoja.h"

#include "collections/Buscar.h"
#include "collections/frmCobrosDetalle.h"
#include "data/Documentos.h"
#include "data/Formato.h"
#include "data/Funciones.h"
#include "reports/frmInformeHojaDoc.h"
#include "ui/Colores.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/PulsarTecla.h"

#include <QFocusEvent>

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

} // namespace

frmCobrosHoja::frmCobrosHoja(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCobrosHoja>()) {
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

    connect(ui->cmdImprimirRecibo, &QPushButton::clicked, this, &frmCobrosHoja::ImprimirRecibo);
    connect(ui->cmdImprimirFactura, &QPushButton::clicked, this, &frmCobrosHoja::ImprimirFactura);

    connect(ui->cmbSerie, &QComboBox::activated, this, &frmCobrosHoja::SerieElegida);
    connect(ui->txtRet, &QLineEdit::returnPressed, this, [this] {
        if (leerNumero(ui->txtRet->text())) {
            CalcularSubtotal();
            CalcularTotales();
        }
    });
    connect(ui->txtPorIva, &QLineEdit::returnPressed, this, &frmCobrosHoja::CalcularTotales);
    connect(ui->cmdNovo, &QPushButton::clicked, this, &frmCobrosHoja::NuevaLinea);
    connect(ui->cmdInsertar, &QPushButton::clicked, this, &frmCobrosHoja::InsertarLinea);
    connect(ui->cmdEditar, &QPushButton::clicked, this, &frmCobrosHoja::EditarLinea);
    connect(ui->mshDatos, &QAbstractItemView::doubleClicked, this, &frmCobrosHoja::EditarLinea);
    connect(ui->cmdBorrar, &QPushButton::clicked, this, &frmCobrosHoja::BorrarLinea);
    connect(ui->cmdBuscarInquilino, &QPushButton::clicked, this, &frmCobrosHoja::BuscarInquilino);
    connect(ui->cmdBuscarInmueble, &QPushButton::clicked, this, &frmCobrosHoja::BuscarInmueble);
}

frmCobrosHoja::~frmCobrosHoja() = default;

void frmCobrosHoja::alActivar() {
    ui->txtPorIva->setText(formatoSimple(PorcentajeIvaDeTipo(1)));
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
    ui->cmbSerie->addItems(codigosSeries());
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
    Id = SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Id"));
    ui->cmbSerie->setCurrentIndex(0);
    const QString serie = ui->cmbSerie->currentText();
    numRecordado_ = SiguienteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), serie);
    serieRecordada_ = serie;
    ui->txtNumero->setText(QString::number(numRecordado_));
    ui->mskFecha->setText(formatoFecha(Hoy()));
    FijarTrimestre();
    MostrarInquilino(IdInq);
    MostrarInmueble(IdInm);
    if (const auto retencion = retencionPorDefecto())
        ui->txtRet->setText(formatoSimple(*retencion));
    Cabecera c;
    c.id = Id;
    c.num = numRecordado_;
    c.ser = serie;
    c.idInq = IdInq;
    c.idInm = IdInm;
    c.fec = Hoy();
    c.tri = tri_;
    crearCabecera(c);
    CargarLineas();
}

void frmCobrosHoja::CargarCabecera() {
    const auto c = leerCabecera(Id);
    if (!c) return;
    numRecordado_ = c->num.value_or(0);
    serieRecordada_ = c->ser;
    ui->txtNumero->setText(QString::number(numRecordado_));
    // A code no longer among the series still belongs to this document.
    if (ui->cmbSerie->findText(c->ser) < 0) ui->cmbSerie->addItem(c->ser);
    ui->cmbSerie->setCurrentText(c->ser);
    ui->mskFecha->setText(formatoFecha(c->fec));
    ui->txtPorIva->setText(formatoSimple(c->porIva));
    tri_ = c->tri;
    ui->chkPag->setChecked(c->pag);
    ui->lblTrimestre->setText(kTrimestre + QString::number(tri_));
    ui->txtRet->setText(formatoSimple(c->porRet));
    ui->txtObs->setText(c->obs);
    IdInq = c->idInq;
    IdInm = c->idInm;
    MostrarInquilino(IdInq);
    MostrarInmueble(IdInm);
    CalcularSubtotal();
    CalcularTotales();
    CargarLineas();
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
    totales_ = calcularTotales(subtotal_, leerNumero(ui->txtRet->text()).value_or(0),
                               leerNumero(ui->txtPorIva->text()).value_or(0));
    const QStringList textos{formatoImporte(totales_.subtotal), formatoImporte(totales_.base),
                             formatoImporte(totales_.iva), formatoImporte(totales_.retencion),
                             formatoImporte(totales_.total)};
    for (int c = 0; c < textos.size(); ++c)
        ui->mshTotales->modelo()->fijarTexto(1, c, textos[c]);
}

// The receipt prints what the sheet holds, so it saves first; without any check, as asked.
void frmCobrosHoja::ImprimirRecibo() {
    CursorEspera espera(this);
    GuardarCabecera();
    frmInformeHojaDoc vista(this);
    vista.Tipo = QStringLiteral("Recibo");
    vista.Filtro = QStringLiteral("{tblCobros.Id} =") + QString::number(Id);
    vista.Total = textosTotales().value(4);
    vista.exec();
}

// The invoice takes the stored header of the last save and the amounts as shown.
void frmCobrosHoja::ImprimirFactura() {
    CursorEspera espera(this);
    const QStringList totales = textosTotales();
    frmInformeHojaDoc vista(this);
    vista.Tipo = QStringLiteral("Factura");
    vista.Filtro = QStringLiteral("{tblCobros.Id} =") + QString::number(Id);
    vista.SubTotal = totales.value(0);
    vista.Base = totales.value(1);
    vista.PorIva = ui->txtPorIva->text() + QLatin1Char('%');
    vista.IVA = totales.value(2);
    vista.PorRet = ui->txtRet->text() + QLatin1Char('%');
    vista.Ret = totales.value(3);
    vista.Total = totales.value(4);
    vista.Obs = ui->txtObs->text();
    vista.exec();
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
    const QString serie = ui->cmbSerie->currentText();
    if ((*numero != numRecordado_ || serie != serieRecordada_) &&
        ExisteNumero(QStringLiteral("tblCobros"), QStringLiteral("Num"), *numero, serie)) {
        Mensaje::informar(this, QStringLiteral("Este número de recibo ya existe. Ponga otro"));
        ui->txtNumero->setText(QString::number(numRecordado_));
        ui->cmbSerie->setCurrentText(serieRecordada_);
        ui->txtNumero->setFocus();
        return false;
    }
    if (!leerFecha(ui->mskFecha->text()).isValid()) {
        Mensaje::informar(this, QStringLiteral("Fecha incorrecta. Ponga otra"));
        ui->mskFecha->setFocus();
        return false;
    }
    if (!leerNumero(ui->txtRet->text())) {
        Mensaje::informar(this, QStringLiteral("Retención incorrecta. Ponga un número"));
        ui->txtRet->setText(QStringLiteral("0"));
        ui->txtRet->setFocus();
        return false;
    }
    const auto iva = leerNumero(ui->txtPorIva->text());
    if (!iva || TipoIvaDePorcentaje(*iva) == -1) {
        Mensaje::informar(this, QStringLiteral("Este IVA no es correcto. Cámbielo"));
        ui->txtPorIva->setFocus();
        return false;
    }
    return true;
}

void frmCobrosHoja::GuardarCabecera() {
    Cabecera c;
    c.id = Id;
    c.num = leerEntero(ui->txtNumero->text());
    c.ser = ui->cmbSerie->currentText();
    c.idInq = IdInq;
    c.idInm = IdInm;
    c.fec = leerFecha(ui->mskFecha->text());
    c.porRet = leerNumero(ui->txtRet->text()).value_or(0);
    c.porIva = leerNumero(ui->txtPorIva->text()).value_or(0);
    c.tri = tri_;
    c.pag = ui->chkPag->isChecked();
    c.totales = totales_;
    c.obs = ui->txtObs->text();
    guardarCabecera(c);
    if (c.num) numRecordado_ = *c.num;
    serieRecordada_ = c.ser;
}

void frmCobrosHoja::SerieElegida() {
    const QString serie = ui->cmbSerie->currentText();
    const int numero = serie == serieRecordada_ ? numRecordado_
                                                : SiguienteNumero(QStringLiteral("tblCobros"),
                                                                  QStringLiteral("Num"), serie);
    ui->txtNumero->setText(QString::number(numero));
}

void frmCobrosHoja::AbrirDetalle(int estado, int lin, int idLinea, const QString& titulo) {
    {
        CursorEspera espera(this);
        frmCobrosDetalle detalle(this);
        detalle.Estado = estado;
        detalle.Lin = lin;
        detalle.Id = idLinea;
        detalle.IdDoc = Id;
        detalle.setWindowTitle(titulo);
        detalle.exec();
    }
    CargarLineas();
    CalcularSubtotal();
    CalcularTotales();
}

void frmCobrosHoja::NuevaLinea() {
    AbrirDetalle(0,
                 SiguienteLinea(QStringLiteral("tblCobrosDetalles"), QStringLiteral("Lin"),
                                QStringLiteral("IdDoc"), Id),
                 0, QStringLiteral("Nuevo detalle"));
}

void frmCobrosHoja::InsertarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    AbrirDetalle(2, ui->mshDatos->texto(fila, 0).toInt(), 0, QStringLiteral("Nuevo detalle"));
}

void frmCobrosHoja::EditarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (fila < 1) return;
    AbrirDetalle(1, ui->mshDatos->texto(fila, 0).toInt(), ui->mshDatos->texto(fila, 6).toInt(),
                 QStringLiteral("Modificando detalle "));
    ui->mshDatos->fijarFilaActual(fila, 1);
}

void frmCobrosHoja::BorrarLinea() {
    const int fila = ui->mshDatos->filaActual();
    if (ui->mshDatos->numFilas() < 2 || fila < 1) return;
    if (!Mensaje::preguntar(this,
                            QStringLiteral("¿Borrar la línea ") + ui->mshDatos->texto(fila, 0) +
                                QStringLiteral("?"),
                            Mensaje::Icono::Informacion, Mensaje::kTitulo, true))
        return;
    borrarLinea(ui->mshDatos->texto(fila, 6).toInt());
    CargarLineas();
    CalcularSubtotal();
    CalcularTotales();
}

void frmCobrosHoja::BuscarInquilino() {
    const auto id = buscarId(this, QStringLiteral("Inquilinos"));
    if (!id) return;
    IdInq = *id;
    MostrarInquilino(IdInq);
    DespuesDeBuscar();
}

void frmCobrosHoja::BuscarInmueble() {
    const auto id = buscarId(this, QStringLiteral("Inmuebles"));
    if (!id) return;
    IdInm = *id;
    MostrarInmueble(IdInm);
    DespuesDeBuscar();
}

void frmCobrosHoja::DespuesDeBuscar() {
    if (!ComprobaDatos()) return;
    CalcularTotales();
    GuardarCabecera();
}

void frmCobrosHoja::reject() {
    if (!preparada_) {
        Ventana::reject();
        return;
    }
    if (Estado != 0 || numeroLineas(Id) > 0) {
        if (!ComprobaDatos()) return;
        CalcularTotales();
        GuardarCabecera();
    } else {
        borrarCabecera(Id);
    }
    Ventana::reject();
}

void frmCobrosHoja::SalirPorIva() {
    const auto iva = leerNumero(ui->txtPorIva->text());
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
    if (objeto == ui->txtPorIva && evento->type() == QEvent::FocusIn)
        pintarFondo(ui->txtPorIva, colorPrincipal());
    if (evento->type() != QEvent::FocusOut) return Ventana::eventFilter(objeto, evento);
    const auto razon = static_cast<QFocusEvent*>(evento)->reason();
    // Switching windows (a message box, a child window) is not leaving the box.
    if (razon == Qt::ActiveWindowFocusReason || razon == Qt::PopupFocusReason || avisando_ ||
        !isVisible())
        return Ventana::eventFilter(objeto, evento);
    if (objeto == ui->mskFecha) {
        FijarTrimestre();
    } else if (objeto == ui->txtRet) {
        if (!leerNumero(ui->txtRet->text())) ui->txtRet->setText(QStringLiteral("0"));
    } else if (objeto == ui->txtPorIva) {
        avisando_ = true;
        SalirPorIva();
        avisando_ = false;
    }
    return Ventana::eventFilter(objeto, evento);
}
