#include "contracts/frmActualizarRentas.h"

#include "ui_frmActualizarRentas.h"

#include "core/documents/EmitirMes.h"
#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/text/Formato.h"
#include "reports/ImprimirDocumentos.h"
#include "reports/MotorInforme.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

namespace torvane {

namespace {

QList<Columna> columnasRentas() {
    return {Columna::numero(),
            Columna::texto(QStringLiteral("Aplicar"), 0.06, Qt::AlignHCenter),
            Columna::texto(QStringLiteral("Inmueble"), 0.15),
            Columna::texto(QStringLiteral("Inquilino"), 0.15),
            Columna::texto(QStringLiteral("Regla"), 0.05),
            Columna::fecha(QStringLiteral("Vence"), 0.08),
            Columna::importe(QStringLiteral("Renta"), 0.08),
            Columna::importe(QStringLiteral("Nueva"), 0.08),
            Columna::texto(QStringLiteral("Cálculo"), 0.31)};
}

QString textoTasa(const std::optional<Decimal>& tasa) {
    return tasa ? tasa->texto() : QString();
}

} // namespace

frmActualizarRentas::frmActualizarRentas(const Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmActualizarRentas>())
    , sesion_(sesion) {
    ui->setupUi(this);
    configurarCampo(ui->mskMes, Campo::Normal);
    configurarCampo(ui->mskDesde, Campo::Normal);
    configurarCampo(ui->txtIpc, Campo::Numero);
    configurarCampo(ui->txtIrav, Campo::Numero);
    configurarCampo(ui->cmbDestino, Campo::ColorFoco);
    prepararDestino(ui->cmbDestino, QStringLiteral("Un PDF por carta"),
                    QStringLiteral("actualizarRentas/destino"));
    connect(ui->cmdBuscar, &QPushButton::clicked, this,
            protegido(this, &frmActualizarRentas::Buscar));
    connect(ui->cmdCalcular, &QPushButton::clicked, this,
            protegido(this, &frmActualizarRentas::Calcular));
    connect(ui->mshRentas, &Rejilla::elegida, this,
            protegido(this, &frmActualizarRentas::CambiarMarca));
    connect(ui->mshRentas, &Rejilla::celdaActualCambiada, this, protegido(this, [this](int fila) {
                const bool hay = fila >= 1 && fila <= rentas_.size();
                const Actualizacion* a = hay ? &rentas_[fila - 1].actualizacion : nullptr;
                ui->lblCalculo->setText(!a                   ? QString()
                                        : a->error.isEmpty() ? a->explicacion
                                                             : a->error);
            }));
    connect(ui->cmdAplicar, &QPushButton::clicked, this,
            protegido(this, &frmActualizarRentas::Aplicar));
    connect(ui->cmdImprimir, &QPushButton::clicked, this,
            protegido(this, &frmActualizarRentas::Imprimir));
    connect(ui->cmdSalir, &QPushButton::clicked, this,
            protegido(this, &frmActualizarRentas::reject));
    EnterPulsaBotones(this);
}

frmActualizarRentas::~frmActualizarRentas() = default;

void frmActualizarRentas::alActivar() {
    // The month the next monthly run bills, so that run already charges the new rents.
    const QDate mes = mesPropuesto(sesion_.numeroAno());
    ui->mskMes->setText(mes.toString(QStringLiteral("MM/yyyy")));
    ui->mskDesde->setText(formatoFecha(mes));
    Buscar();
    ui->txtIpc->setFocus();
}

void frmActualizarRentas::Buscar() {
    const QDate mes = leerFecha(QStringLiteral("01/") + ui->mskMes->text());
    if (!mes.isValid()) {
        Mensaje::informar(this, QStringLiteral("Mes incorrecto. Póngalo como 03/2024"));
        ui->mskMes->setFocus();
        return;
    }
    mes_ = mes;
    ui->txtIpc->setText(textoTasa(leerIndice(QStringLiteral("IPC"), mes.year(), mes.month())));
    ui->txtIrav->setText(textoTasa(leerIndice(QStringLiteral("IRAV"), mes.year(), mes.month())));
    rentas_.clear();
    for (const Contrato& c : contratosPorActualizar(mes))
        rentas_ << RentaNueva{c, {}};
    Calcular();
}

std::optional<Indices> frmActualizarRentas::leerIndices() {
    Indices indices;
    for (auto [caja, destino] :
         {std::pair{ui->txtIpc, &indices.ipc}, std::pair{ui->txtIrav, &indices.irav}}) {
        if (caja->text().trimmed().isEmpty()) continue;
        const auto tasa = Decimal::leer(caja->text());
        if (!tasa || *tasa <= Decimal::deEntero(-100) || *tasa > Decimal::deEntero(100)) {
            Mensaje::informar(this,
                              QStringLiteral("Ponga la variación anual en %, por ejemplo 2,3"));
            caja->setFocus();
            return std::nullopt;
        }
        *destino = *tasa;
    }
    return indices;
}

void frmActualizarRentas::Calcular() {
    const auto indices = leerIndices();
    if (!indices) return;
    marcas_.clear();
    aplicadas_.clear();
    for (RentaNueva& r : rentas_) {
        r.actualizacion = calcularActualizacion(r.contrato, *indices);
        marcas_ << r.actualizacion.error.isEmpty();
        aplicadas_ << false;
    }
    Mostrar();
}

void frmActualizarRentas::Mostrar() {
    QList<QStringList> filas;
    int marcadas = 0;
    for (qsizetype i = 0; i < rentas_.size(); ++i) {
        const Contrato& c = rentas_[i].contrato;
        const Actualizacion& a = rentas_[i].actualizacion;
        const bool bien = a.error.isEmpty();
        filas << QStringList{QString::number(i + 1),
                             marcas_[i] ? QStringLiteral("SÍ") : QStringLiteral("NO"),
                             nombreInmueble(c.idInm),
                             nombreInquilino(c.idInq),
                             nombresReglas().value(static_cast<int>(c.regla)),
                             formatoFecha(c.proximaActualizacion()),
                             a.rentaAnterior.texto(),
                             bien ? a.rentaNueva.texto() : QString(),
                             (aplicadas_[i] ? QStringLiteral("APLICADA. ") : QString()) +
                                 (bien ? a.explicacion : a.error)};
        marcadas += marcas_[i] ? 1 : 0;
    }
    ui->mshRentas->recargarEnLaFila([&] {
        ui->mshRentas->definirColumnas(columnasRentas());
        ui->mshRentas->modelo()->fijarFilas(filas);
    });
    ui->lblInfo->setText(
        filas.isEmpty() ? QStringLiteral("Ningún contrato se actualiza en %1")
                              .arg(mes_.toString(QStringLiteral("MM/yyyy")))
                        : cuenta(filas.size(), QStringLiteral("contrato")) +
                              segunCuenta(marcadas, QStringLiteral(" por actualizar, 1 marcado"),
                                          QStringLiteral(" por actualizar, %1 marcados")));
}

void frmActualizarRentas::CambiarMarca() {
    const int fila = ui->mshRentas->filaActual();
    if (fila < 1 || fila > rentas_.size()) return;
    const Actualizacion& a = rentas_[fila - 1].actualizacion;
    if (!marcas_[fila - 1] && !a.error.isEmpty()) {
        Mensaje::informar(this, a.error);
        return;
    }
    marcas_[fila - 1] = !marcas_[fila - 1];
    Mostrar();
}

QList<RentaNueva> frmActualizarRentas::marcadas() const {
    QList<RentaNueva> lista;
    for (qsizetype i = 0; i < rentas_.size(); ++i)
        if (marcas_[i] && rentas_[i].actualizacion.error.isEmpty()) lista << rentas_[i];
    return lista;
}

void frmActualizarRentas::Aplicar() {
    const QDate desde = leerFecha(ui->mskDesde->text());
    if (!desde.isValid()) {
        Mensaje::informar(this, QStringLiteral("Fecha incorrecta. Ponga otra"));
        ui->mskDesde->setFocus();
        return;
    }
    const auto indices = leerIndices();
    if (!indices) return;
    // Rates retyped without "Calcular" still count: what is stored is what is applied.
    for (qsizetype i = 0; i < rentas_.size(); ++i) {
        rentas_[i].actualizacion = calcularActualizacion(rentas_[i].contrato, *indices);
        if (!rentas_[i].actualizacion.error.isEmpty()) marcas_[i] = false;
    }
    Mostrar();
    QList<RentaNueva> lista;
    for (qsizetype i = 0; i < rentas_.size(); ++i)
        if (marcas_[i] && !aplicadas_[i] && rentas_[i].actualizacion.error.isEmpty())
            lista << rentas_[i];
    if (lista.isEmpty()) {
        Mensaje::informar(this, QStringLiteral("No hay ninguna renta marcada por aplicar"));
        return;
    }
    if (!Mensaje::preguntar(
            this, segunCuenta(lista.size(), QStringLiteral("¿Aplicar la renta nueva desde el %2?"),
                              QStringLiteral("¿Aplicar %1 rentas nuevas desde el %2?"))
                      .arg(formatoFecha(desde))))
        return;
    if (const auto aplicadas = aplicarActualizaciones(lista, desde, mes_, *indices); !aplicadas) {
        Mensaje::critico(this,
                         aplicadas.motivo() + QStringLiteral("\nNo se ha cambiado ninguna renta."));
        return;
    }
    for (qsizetype i = 0; i < rentas_.size(); ++i)
        if (marcas_[i] && rentas_[i].actualizacion.error.isEmpty()) aplicadas_[i] = true;
    Mostrar();
    if (Mensaje::preguntar(this,
                           segunCuenta(lista.size(),
                                       QStringLiteral("Se ha aplicado la renta nueva. ¿Imprimir "
                                                      "la carta al inquilino ahora?"),
                                       QStringLiteral("Se han aplicado %1 rentas nuevas. "
                                                      "¿Imprimir las cartas a los inquilinos "
                                                      "ahora?"))))
        Imprimir();
}

void frmActualizarRentas::Imprimir() {
    const QDate desde = leerFecha(ui->mskDesde->text());
    const QList<RentaNueva> lista = marcadas();
    if (lista.isEmpty() || !desde.isValid()) {
        Mensaje::informar(this, QStringLiteral("No hay ninguna carta que imprimir"));
        return;
    }
    const auto destino = static_cast<DestinoDocumentos>(ui->cmbDestino->currentIndex());
    imprimirPreparados(this, destino, QStringLiteral("Actualización de rentas"), [&] {
        std::vector<DocumentoImpreso> cartas;
        for (const auto& [c, a] : lista) {
            const InformeGenerado informe = abrirInforme(QStringLiteral("Actualizacion"),
                                                         datosCarta(c, a, desde), FilasInforme{});
            if (!informe.valido()) {
                Mensaje::critico(this, informe.error);
                return std::vector<DocumentoImpreso>{};
            }
            QString archivo = QStringLiteral("Actualización - ") + nombreInquilino(c.idInq);
            archivo.replace(QLatin1Char('/'), QLatin1Char('-'));
            cartas.push_back({std::make_unique<PaginasInforme>(informe), archivo});
        }
        return cartas;
    });
}

} // namespace torvane
