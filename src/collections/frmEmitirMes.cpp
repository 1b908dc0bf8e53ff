#include "collections/frmEmitirMes.h"

#include "ui_frmEmitirMes.h"

#include "collections/EnvioCorreo.h"
#include "core/mail/AjustesCorreo.h"
#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "reports/ImprimirDocumentos.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QProgressDialog>

namespace torvane {

namespace {

const QString kSerieDeCadaUno = QStringLiteral("(la de cada inmueble)");

QList<Columna> columnasPropuesta() {
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Emitir"), 0.05, Qt::AlignHCenter),
            Columna::texto(QStringLiteral("Inmueble"), 0.18),
            Columna::texto(QStringLiteral("Inquilino"), 0.17),
            Columna::texto(QStringLiteral("Líneas"), 0.11),
            Columna::texto(QStringLiteral("Serie"), 0.04, Qt::AlignHCenter),
            Columna::texto(QStringLiteral("Base"), 0.08, derecha),
            Columna::texto(QStringLiteral("IVA"), 0.07, derecha),
            Columna::texto(QStringLiteral("RET"), 0.07, derecha),
            Columna::texto(QStringLiteral("TOTAL"), 0.08, derecha),
            Columna::texto(QStringLiteral("Estado"), 0.13)};
}

QString marca(bool marcada) {
    return marcada ? QStringLiteral("SÍ") : QStringLiteral("NO");
}

/** "03/2024" as the first day of that month; invalid otherwise. */
QDate leerMes(const QString& texto) {
    return leerFecha(QStringLiteral("01/") + texto);
}

} // namespace

frmEmitirMes::frmEmitirMes(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmEmitirMes>())
    , sesion_(sesion) {
    ui->setupUi(this);
    configurarCampo(ui->mskMes, Campo::Normal);
    configurarCampo(ui->mskFecha, Campo::Normal);
    configurarCampo(ui->cmbSerie, Campo::Normal);
    configurarCampo(ui->cmbDestino, Campo::ColorFoco);
    prepararDestino(ui->cmbDestino, QStringLiteral("Un PDF por documento"),
                    QStringLiteral("emitirMes/destino"));
    connect(ui->cmdProponer, &QPushButton::clicked, this, protegido(this, &frmEmitirMes::Proponer));
    connect(ui->mshPropuesta, &Rejilla::elegida, this,
            protegido(this, &frmEmitirMes::CambiarMarca));
    connect(ui->cmdEmitir, &QPushButton::clicked, this, protegido(this, &frmEmitirMes::Emitir));
    connect(ui->cmdImprimir, &QPushButton::clicked, this, protegido(this, &frmEmitirMes::Imprimir));
    connect(ui->cmdCorreo, &QPushButton::clicked, this,
            protegido(this, &frmEmitirMes::EnviarPorCorreo));
    connect(ui->cmdDeshacer, &QPushButton::clicked, this, protegido(this, &frmEmitirMes::Deshacer));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmEmitirMes::reject));
}

frmEmitirMes::~frmEmitirMes() = default;

void frmEmitirMes::alActivar() {
    ui->cmbSerie->addItem(kSerieDeCadaUno);
    ui->cmbSerie->addItems(seriesParaDocumentos());
    const QDate mes = mesPropuesto(sesion_.numeroAno());
    ui->mskMes->setText(mes.toString(QStringLiteral("MM/yyyy")));
    ui->mskFecha->setText(formatoFecha(mes));
    Proponer();
    ui->mskMes->setFocus();
}

void frmEmitirMes::Proponer() {
    const QDate mes = leerMes(ui->mskMes->text());
    if (!mes.isValid()) {
        Mensaje::informar(this, QStringLiteral("Mes incorrecto. Póngalo como 03/2024"));
        ui->mskMes->setFocus();
        return;
    }
    if (const QString motivo = motivoFueraDeAno(mes, mes, sesion_.numeroAno()); !motivo.isEmpty()) {
        Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
        ui->mskMes->setFocus();
        return;
    }
    // The documents' date goes with the month they bill.
    if (const QDate fecha = leerFecha(ui->mskFecha->text());
        !fecha.isValid() || fecha.year() != mes.year() || fecha.month() != mes.month())
        ui->mskFecha->setText(formatoFecha(mes));
    CursorEspera espera(this);
    const QString serie =
        ui->cmbSerie->currentIndex() > 0 ? ui->cmbSerie->currentText() : QString();
    propuesta_ = proponerMes(mes, serie);
    marcas_.clear();
    for (const PropuestaMes& p : propuesta_)
        marcas_ << p.aviso.isEmpty();
    MostrarPropuesta();
}

void frmEmitirMes::MostrarPropuesta() {
    QList<QStringList> filas;
    Importe total;
    int cuantas = 0;
    for (qsizetype i = 0; i < propuesta_.size(); ++i) {
        const PropuestaMes& p = propuesta_[i];
        const Totales& t = p.totales;
        filas << QStringList{QString::number(i + 1),
                             marca(marcas_[i]),
                             p.inmueble,
                             p.inquilino,
                             p.resumen(),
                             p.condiciones.serie,
                             t.base.texto(),
                             t.iva.texto(),
                             t.retencion.texto(),
                             t.total.texto(),
                             p.aviso};
        if (!marcas_[i]) continue;
        ++cuantas;
        total += t.total;
    }
    const int actual = ui->mshPropuesta->filaActual();
    ui->mshPropuesta->definirColumnas(columnasPropuesta());
    ui->mshPropuesta->modelo()->fijarFilas(filas);
    if (!filas.isEmpty()) ui->mshPropuesta->fijarFilaActual(qMax(actual, 1), 1);
    ui->lblInfo->setText(segunCuenta(cuantas,
                                     QStringLiteral("1 documento marcado de %2 | TOTAL: %3 €"),
                                     QStringLiteral("%1 documentos marcados de %2 | TOTAL: %3 €"))
                             .arg(filas.size())
                             .arg(total.texto()));
}

void frmEmitirMes::CambiarMarca() {
    const int fila = ui->mshPropuesta->filaActual();
    if (fila < 1 || fila > marcas_.size()) return;
    const PropuestaMes& p = propuesta_[fila - 1];
    if (!marcas_[fila - 1] && p.aviso.startsWith(QStringLiteral("no existe"))) {
        Mensaje::informar(this, QStringLiteral("No se puede emitir: ") + p.aviso);
        return;
    }
    marcas_[fila - 1] = !marcas_[fila - 1];
    MostrarPropuesta();
}

QList<PropuestaMes> frmEmitirMes::marcadas() const {
    QList<PropuestaMes> elegidas;
    for (qsizetype i = 0; i < propuesta_.size(); ++i)
        if (marcas_[i]) elegidas << propuesta_[i];
    return elegidas;
}

void frmEmitirMes::Emitir() {
    const QDate fecha = leerFecha(ui->mskFecha->text());
    if (!fecha.isValid()) {
        Mensaje::informar(this, QStringLiteral("Fecha incorrecta. Ponga otra"));
        ui->mskFecha->setFocus();
        return;
    }
    const QDate mes = leerMes(ui->mskMes->text());
    if (const QString motivo =
            motivoFueraDeAno(mes.isValid() ? mes : fecha, fecha, sesion_.numeroAno());
        !motivo.isEmpty()) {
        Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
        ui->mskFecha->setFocus();
        return;
    }
    const QList<PropuestaMes> elegidas = marcadas();
    if (elegidas.isEmpty()) {
        Mensaje::informar(this, QStringLiteral("No hay ningún documento marcado para emitir"));
        return;
    }
    if (!Mensaje::preguntar(this, segunCuenta(elegidas.size(),
                                              QStringLiteral("¿Emitir el documento con fecha %2?"),
                                              QStringLiteral("¿Emitir %1 documentos con fecha %2?"))
                                      .arg(formatoFecha(fecha))))
        return;
    QProgressDialog progreso(QStringLiteral("Emitiendo los documentos..."),
                             QStringLiteral("Cancelar"), 0, static_cast<int>(elegidas.size()),
                             this);
    progreso.setWindowModality(Qt::WindowModal);
    progreso.setMinimumDuration(500);
    const Resultado<int> emision = [&] {
        CursorEspera espera(this);
        return emitirMes(elegidas, fecha, sesion_.numeroAno(), [&progreso](int hechos) {
            progreso.setValue(hechos);
            return !progreso.wasCanceled();
        });
    }();
    if (!emision) {
        Mensaje::critico(this,
                         emision.motivo() + QStringLiteral("\nNo se ha emitido ningún documento."));
        return;
    }
    progreso.reset();
    if (*emision == 0) {
        Mensaje::informar(this,
                          QStringLiteral("Emisión cancelada: no se ha emitido ningún documento."));
        return;
    }
    Proponer();
    if (Mensaje::preguntar(this,
                           segunCuenta(elegidas.size(),
                                       QStringLiteral("Se ha emitido 1 documento. ¿Imprimirlo "
                                                      "ahora?"),
                                       QStringLiteral("Se han emitido %1 documentos. "
                                                      "¿Imprimirlos ahora?"))))
        Imprimir();
    // Offered only once the mail is set up: otherwise the question would lead nowhere.
    if (motivoAjustesCorreo(leerAjustesCorreo()).isEmpty() &&
        Mensaje::preguntar(this, QStringLiteral("¿Enviarlos ahora por correo a sus inquilinos?")))
        EnviarPorCorreo();
}

void frmEmitirMes::EnviarPorCorreo() {
    const int emision = ultimaEmision();
    if (emision == 0) {
        Mensaje::informar(this, QStringLiteral("No hay ninguna emisión que enviar."));
        return;
    }
    enviarPorCorreo(this, documentosEmision(emision));
}

void frmEmitirMes::Imprimir() {
    const int emision = ultimaEmision();
    if (emision == 0) {
        Mensaje::informar(this, QStringLiteral("No hay ninguna emisión que imprimir."));
        return;
    }
    const auto destino = static_cast<DestinoDocumentos>(ui->cmbDestino->currentIndex());
    const QList<int> ids = documentosEmision(emision);
    // Named after its month, so December's file does not overwrite November's.
    const auto primera = ids.isEmpty() ? std::nullopt : leerCabecera(ids.first());
    const QString nombre = primera && primera->fec.isValid()
                               ? QStringLiteral("Emisión ") + primera->fec.toString(u"yyyy-MM")
                               : QStringLiteral("Emisión");
    imprimirDocumentos(this, ids, destino, nombre);
}

void frmEmitirMes::Deshacer() {
    const int emision = ultimaEmision();
    const QString motivo = motivoNoDeshacer(emision);
    if (!motivo.isEmpty()) {
        Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
        return;
    }
    const int cuantos = static_cast<int>(documentosEmision(emision).size());
    if (!Mensaje::preguntar(
            this,
            segunCuenta(cuantos, QStringLiteral("¿Borrar el documento de la última emisión?"),
                        QStringLiteral("¿Borrar los %1 documentos de la última emisión?")),
            Mensaje::Icono::Pregunta, Mensaje::kTitulo, true))
        return;
    if (Mensaje::falla(this, deshacerEmision(emision))) return;
    Proponer();
}

} // namespace torvane
