#include "reports/VentanaInforme.h"

#include "core/store/Consulta.h"
#include "core/store/LecturaAparte.h"
#include "reports/Impresion.h"
#include "reports/MotorInforme.h"
#include "reports/VisorPaginas.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace torvane {

VentanaInforme::VentanaInforme(QWidget* padre)
    : Ventana(padre) {
    panel_ = new QWidget(this);
    visor_ = new VisorPaginas(panel_);
    visor_->setObjectName(QStringLiteral("CRViewer"));
    montarControles();
}

void VentanaInforme::montarControles() {
    auto* barra = new QHBoxLayout;
    const auto boton = [this, barra](const char* nombre, const QString& texto, const QString& ayuda,
                                     const QKeySequence& atajo, auto accion) {
        auto* b = new QToolButton(panel_);
        b->setObjectName(QLatin1StringView(nombre));
        b->setText(texto);
        b->setToolTip(ayuda + QStringLiteral(" (") + atajo.toString(QKeySequence::NativeText) +
                      u')');
        b->setShortcut(atajo);
        connect(b, &QToolButton::clicked, this, protegido(this, accion));
        barra->addWidget(b);
    };
    boton("cmdAlejar", QStringLiteral("−"), QStringLiteral("Alejar"), QKeySequence::ZoomOut,
          [this] { visor_->alejar(); });
    boton("cmdAcercar", QStringLiteral("+"), QStringLiteral("Acercar"), QKeySequence::ZoomIn,
          [this] { visor_->acercar(); });
    boton("cmdAjustar", QStringLiteral("Ajustar al ancho"), QStringLiteral("Ajustar al ancho"),
          QKeySequence(Qt::CTRL | Qt::Key_0), [this] { visor_->ajustarAlAncho(); });
    barra->addStretch();
    boton("cmdAnterior", QStringLiteral("◀"), QStringLiteral("Página anterior"),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp),
          [this] { visor_->irA(visor_->paginaActual() - 1); });
    lblPagina_ = new QLabel(panel_);
    lblPagina_->setObjectName(QStringLiteral("lblPagina"));
    barra->addWidget(lblPagina_);
    boton("cmdSiguiente", QStringLiteral("▶"), QStringLiteral("Página siguiente"),
          QKeySequence(Qt::CTRL | Qt::Key_PageDown),
          [this] { visor_->irA(visor_->paginaActual() + 1); });
    auto* capa = new QVBoxLayout(panel_);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addLayout(barra);
    capa->addWidget(visor_, 1);
    connect(visor_, &VisorPaginas::paginaCambiada, this,
            protegido(this, &VentanaInforme::mostrarPagina));
}

void VentanaInforme::mostrarPagina() {
    const int total = visor_->totalPaginas();
    const QString de =
        paginas_ && !paginas_->completo() ? QStringLiteral("…") : QString::number(total);
    lblPagina_->setText(total > 0
                            ? QStringLiteral("Página %1 de %2").arg(visor_->paginaActual()).arg(de)
                            : QString());
}

VentanaInforme::~VentanaInforme() {
    dejarDeLeer();
}

void VentanaInforme::dejarDeLeer() {
    if (leyendo_) *leyendo_ = true;
    leyendo_.reset();
}

bool VentanaInforme::mostrarLista(const QString& nombre, const ParametrosInforme& parametros) {
    if (!mostrar([&] { return abrirLista(nombre, parametros, kFilasAvance); })) return false;
    lista_ = nombre;
    parametros_ = parametros;
    if (!paginas_->completo()) leerResto();
    return true;
}

void VentanaInforme::leerResto() {
    auto parar = std::make_shared<std::atomic_bool>(false);
    leyendo_ = parar;
    leerAparte(this, [this, nombre = lista_, parar](const QSqlDatabase& db) -> Entrega {
        auto filas = std::make_shared<const FilasLista>(
            leerFilasLista(db, nombre, 0, [parar] { return parar->load(); }));
        if (!filas->completa) return {};
        return [this, filas, parar] {
            if (!*parar) completar(filas);
        };
    });
}

void VentanaInforme::completar(std::shared_ptr<const FilasLista> filas) {
    leyendo_.reset();
    InformeGenerado informe = abrirInforme(lista_, parametros_, std::move(filas));
    auto paginas = std::make_unique<PaginasInforme>(informe);
    const QString error = informe.valido() ? paginas->error() : informe.error;
    if (!error.isEmpty()) {
        Mensaje::critico(this, error);
        return;
    }
    const int pagina = visor_->paginaActual();
    informe_ = std::move(informe);
    paginas_ = std::move(paginas);
    visor_->mostrar(paginas_.get(), pagina);
}

bool VentanaInforme::mostrar(const std::function<InformeGenerado()>& generar) {
    dejarDeLeer();
    QString error;
    {
        CursorEspera espera(this);
        informe_ = generar();
        error = informe_.error;
        if (error.isEmpty()) {
            paginas_ = std::make_unique<PaginasInforme>(informe_);
            error = paginas_->error();
        }
        if (!error.isEmpty()) {
            informe_ = {};
            paginas_.reset();
        }
        visor_->mostrar(paginas_.get());
    }
    if (error.isEmpty()) return true;
    Mensaje::critico(this, error);
    return false;
}

void VentanaInforme::conectarBotones(QAbstractButton* impresora, QAbstractButton* pdf) {
    connect(impresora, &QAbstractButton::clicked, this,
            protegido(this, [this] { imprimir(false, QStringLiteral("Seleccione un informe")); }));
    connect(pdf, &QAbstractButton::clicked, this,
            protegido(this, [this] { imprimir(true, QStringLiteral("Selecciones un informe")); }));
}

void VentanaInforme::imprimir(bool pdf, const QString& avisoVacio) {
    if (!paginas_) {
        Mensaje::informar(this, avisoVacio);
        return;
    }
    if (!paginas_->completo()) {
        // Paper is never made of part of a list: the rest is read now, not awaited.
        CursorEspera espera(this);
        dejarDeLeer();
        completar(std::make_shared<const FilasLista>(leerFilasLista(Conexion(), lista_)));
        if (!paginas_->completo()) return;
    }
    imprimirInforme(this, informe_.nombre, *paginas_, pdf,
                    informe_.documento ? QList<int>{informe_.documento} : QList<int>{});
}

} // namespace torvane
