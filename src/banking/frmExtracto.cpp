#include "banking/frmExtracto.h"

#include "ui_frmExtracto.h"

#include "core/store/Importe.h"
#include "core/text/Formato.h"
#include "ui/CursorEspera.h"
#include "ui/DialogoArchivo.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QStandardPaths>

namespace torvane {

namespace {

QList<Columna> columnasPropuestas() {
    return {Columna::numero(),
            Columna::oculta(),
            Columna::fecha(QStringLiteral("Fecha"), 0.08),
            Columna::importe(QStringLiteral("Importe"), 0.09),
            Columna::texto(QStringLiteral("Texto del banco"), 0.27),
            Columna::texto(QStringLiteral("Qué se hace"), 0.20),
            Columna::texto(QStringLiteral("Por qué"), 0.34)};
}

QList<Columna> columnasApartes() {
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Queda"), 0.09),
            Columna::fecha(QStringLiteral("Fecha"), 0.08),
            Columna::importe(QStringLiteral("Importe"), 0.09),
            Columna::texto(QStringLiteral("Texto del banco"), 0.33),
            Columna::texto(QStringLiteral("Por qué"), 0.39)};
}

QStringList movimiento(const Movimiento& m) {
    return {formatoFecha(m.fecha), Importe::deCentimos(m.centimos).texto(),
            (m.nombre + u' ' + m.concepto + u' ' + m.referencia).simplified()};
}

QString queSeHace(const Propuesta& p) {
    const QString numeros = p.numeros.join(QStringLiteral(", "));
    switch (p.operacion) {
    case Operacion::Pagar:
        return QStringLiteral("Pagar %1").arg(numeros);
    case Operacion::CobrarRemesa:
        return numeros + QStringLiteral(" cobrada");
    case Operacion::Devolver:
        break;
    }
    return QStringLiteral("Devolver %1 (%2)").arg(numeros, p.motivo);
}

} // namespace

frmExtracto::frmExtracto(QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmExtracto>()) {
    ui->setupUi(this);
    EnterPulsaBotones(this);
    ui->mshPropuestas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui->mshPropuestas->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(ui->cmdArchivo, &QPushButton::clicked, this,
            protegido(this, &frmExtracto::ElegirArchivo));
    connect(ui->cmdAplicar, &QPushButton::clicked, this, protegido(this, &frmExtracto::Aplicar));
    connect(ui->cmdDeshacer, &QPushButton::clicked, this, protegido(this, &frmExtracto::Deshacer));
    connect(ui->cmdSalir, &QPushButton::clicked, this, protegido(this, &frmExtracto::reject));
}

frmExtracto::~frmExtracto() = default;

void frmExtracto::alActivar() {
    Mostrar();
    ui->cmdArchivo->setFocus();
}

void frmExtracto::ElegirArchivo() {
    // Banks' downloads land in the user's downloads folder.
    QString desde = ruta_;
    if (desde.isEmpty()) desde = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!QFileInfo::exists(desde)) desde = QDir::homePath();
    const QString ruta = DialogoArchivo::abrir(
        this, QStringLiteral("Extracto del banco"), desde,
        QStringLiteral("Extractos (*.txt *.n43 *.aeb *.csb *.q43 *.xml *.053);;Todos (*)"));
    if (!ruta.isEmpty()) Leer(ruta);
}

void frmExtracto::Leer(const QString& ruta) {
    CursorEspera espera(this);
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly)) {
        Mensaje::critico(
            this, QStringLiteral("No se puede abrir %1 (%2).").arg(ruta, archivo.errorString()));
        return;
    }
    const Resultado<QList<Movimiento>> leidos = leerExtracto(archivo.read(kMaximoExtracto + 1));
    if (!leidos) {
        Mensaje::critico(this, leidos.motivo());
        return;
    }
    const Resultado<DatosConciliacion> datos = intentar([] { return leerDatosConciliacion(); });
    if (!datos) {
        Mensaje::critico(this, datos.motivo());
        return;
    }
    ruta_ = ruta;
    conciliacion_ = proponerConciliacion(*leidos, *datos);
    Mostrar();
    ui->mshPropuestas->setFocus();
}

void frmExtracto::Mostrar() {
    const Conciliacion& c = conciliacion_;
    QList<QStringList> filas;
    for (int i = 0; i < c.propuestas.size(); ++i) {
        const Propuesta& p = c.propuestas.at(i);
        filas << QStringList{QString::number(i)} + movimiento(c.movimientos.at(p.movimiento)) +
                     QStringList{queSeHace(p), p.porque};
    }
    ui->mshPropuestas->mostrarNumeradas(columnasPropuestas(), filas);
    // Everything proposed goes unless the user takes it out of the selection.
    ui->mshPropuestas->selectAll();
    QList<QStringList> apartes;
    const auto apartar = [&](const QList<Aparte>& lista, const QString& clase) {
        for (const Aparte& a : lista)
            apartes << QStringList{clase} + movimiento(c.movimientos.at(a.movimiento)) +
                           QStringList{a.porque};
    };
    apartar(c.dudosos, QStringLiteral("Dudoso"));
    apartar(c.sinPareja, QStringLiteral("Sin pareja"));
    apartar(c.importados, QStringLiteral("Ya aplicado"));
    ui->mshApartes->mostrarNumeradas(columnasApartes(), apartes);
    ui->lblArchivo->setText(
        ruta_.isEmpty() ? QStringLiteral("Elija el archivo del extracto (Norma 43 o camt.053).")
                        : QFileInfo(ruta_).fileName());
    ui->lblInfo->setText(
        ruta_.isEmpty()
            ? QString()
            : QStringList{segunCuenta(c.movimientos.size(), QStringLiteral("%1 movimiento"),
                                      QStringLiteral("%1 movimientos")),
                          segunCuenta(c.propuestas.size(), QStringLiteral("%1 propuesto"),
                                      QStringLiteral("%1 propuestos")),
                          segunCuenta(c.dudosos.size(), QStringLiteral("%1 dudoso"),
                                      QStringLiteral("%1 dudosos")),
                          QStringLiteral("%1 sin pareja").arg(c.sinPareja.size()),
                          segunCuenta(c.importados.size(), QStringLiteral("%1 ya aplicado"),
                                      QStringLiteral("%1 ya aplicados")),
                          segunCuenta(c.cargos, QStringLiteral("%1 cargo que no es un cobro"),
                                      QStringLiteral("%1 cargos que no son cobros"))}
                      .join(QStringLiteral(", ")) +
                  u'.');
    ui->cmdAplicar->setEnabled(!c.propuestas.isEmpty());
}

void frmExtracto::Aplicar() {
    QList<Propuesta> elegidas;
    for (const QModelIndex& fila : ui->mshPropuestas->selectionModel()->selectedRows()) {
        const int i = ui->mshPropuestas->texto(fila.row() + 1, 1).toInt();
        if (i >= 0 && i < conciliacion_.propuestas.size())
            elegidas << conciliacion_.propuestas.at(i);
    }
    if (elegidas.isEmpty()) {
        Mensaje::informar(this,
                          QStringLiteral("Elija en la lista los movimientos que quiere aplicar."));
        return;
    }
    if (!Mensaje::preguntar(
            this, QStringLiteral("¿Aplicar %1 del extracto? Los documentos quedarán pagados en la "
                                 "fecha del banco y las devoluciones, pendientes de nuevo.")
                      .arg(segunCuenta(elegidas.size(), QStringLiteral("un movimiento"),
                                       QStringLiteral("%1 movimientos")))))
        return;
    const Resultado<int> hecha = aplicarConciliacion(conciliacion_, elegidas, ruta_);
    if (!hecha) {
        Mensaje::critico(this, hecha.motivo());
        return;
    }
    cambiado_ = true;
    Mensaje::informar(
        this, QStringLiteral("Importación nº %1 hecha: %2.")
                  .arg(*hecha)
                  .arg(segunCuenta(elegidas.size(), QStringLiteral("un movimiento aplicado"),
                                   QStringLiteral("%1 movimientos aplicados"))));
    Leer(ruta_);
}

void frmExtracto::Deshacer() {
    const Resultado<QList<Importacion>> lista = intentar([] { return importaciones(); });
    if (!lista) {
        Mensaje::critico(this, lista.motivo());
        return;
    }
    const auto ultima = std::find_if(lista->begin(), lista->end(),
                                     [](const Importacion& i) { return !i.deshecha; });
    if (ultima == lista->end()) {
        Mensaje::informar(this, QStringLiteral("No hay ninguna importación que deshacer."));
        return;
    }
    if (!Mensaje::preguntar(
            this,
            QStringLiteral("¿Deshacer la importación nº %1 del %2 (%3, %4)? "
                           "Todo lo que aplicó vuelve a como estaba.")
                .arg(ultima->id)
                .arg(formatoFecha(ultima->fecha), ultima->archivo,
                     segunCuenta(ultima->movimientos, QStringLiteral("un movimiento"),
                                 QStringLiteral("%1 movimientos"))),
            Mensaje::Icono::Pregunta))
        return;
    if (const Resultado<> r = deshacerImportacion(ultima->id); !r) {
        Mensaje::critico(this, r.motivo());
        return;
    }
    cambiado_ = true;
    if (!ruta_.isEmpty()) Leer(ruta_);
}

} // namespace torvane
