#include "editors/EditorEnRejilla.h"

#include "core/registers/Editores.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace torvane {

EditorEnRejilla::EditorEnRejilla(QWidget* padre)
    : Ventana(padre) {}

void EditorEnRejilla::montar(Tabla tabla, const QList<Caja>& cajas) {
    tabla_ = std::move(tabla);
    cajas_ = cajas;
    mshDatos_ = findChild<Rejilla*>(QStringLiteral("mshDatos"));
    lblInfo_ = findChild<QLabel*>(QStringLiteral("lblInfo"));
    const auto boton = [this](const char* nombre) {
        return findChild<QPushButton*>(QLatin1StringView(nombre));
    };
    cmdNovo_ = boton("cmdNovo");
    cmdEditar_ = boton("cmdEditar");
    cmdBorrar_ = boton("cmdBorrar");
    cmdAceptar_ = boton("cmdAceptar");
    cmdCancelar_ = boton("cmdCancelar");
    cmdSalir_ = boton("cmdSalir");
    connect(cmdNovo_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::Novo));
    connect(cmdEditar_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::Editar));
    connect(cmdBorrar_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::Borrar));
    connect(cmdAceptar_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::Aceptar));
    connect(cmdCancelar_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::Cancelar));
    connect(cmdSalir_, &QPushButton::clicked, this, protegido(this, &EditorEnRejilla::reject));
    connect(mshDatos_, &Rejilla::elegida, this, protegido(this, &EditorEnRejilla::Editar));

    // The boxes follow their cells wherever the grid moves them.
    const auto seguir = [this] {
        if (Modo != 2) ColocarCajas();
    };
    connect(mshDatos_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            protegido(this, seguir));
    connect(mshDatos_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            protegido(this, seguir));
    connect(mshDatos_->horizontalHeader(), &QHeaderView::sectionResized, this,
            protegido(this, seguir));

    for (const Caja& caja : cajas_) {
        const bool linea = qobject_cast<QLineEdit*>(caja.control) != nullptr;
        configurarCampo(caja.control, caja.numero != Cifra::Ninguna ? Campos(Campo::Numero)
                                      : linea                       ? Campos(Campo::Normal)
                                                                    : Campos(Campo::EnterComoTab));
        if (caja.numero != Cifra::Ninguna) caja.control->installEventFilter(this);
        caja.control->hide();
        caja.control->raise();
    }
}

Decimal EditorEnRejilla::tasaDe(const QLineEdit* caja) {
    return Decimal::leer(caja->text()).valorO(Decimal());
}

namespace {

/** A number box's value as its column takes it (an empty box is 0), or why not. */
Resultado<QVariant> valorNumero(const QLineEdit* caja, Cifra cifra) {
    const QString texto = caja->text().trimmed().isEmpty() ? QStringLiteral("0") : caja->text();
    const QString mensaje = QStringLiteral("Ponga un nº correcto");
    if (cifra == Cifra::Importe) {
        const auto importe = importeDeCaja(texto, mensaje);
        if (!importe) return importe.fallo();
        return guardar(*importe);
    }
    const auto tasa = decimalDeCaja(texto, mensaje);
    if (!tasa) return tasa.fallo();
    return guardar(*tasa);
}

} // namespace

void EditorEnRejilla::alActivar() {
    Redimensionar();
    CargarDatos(1, false);
    EstablecerEstado(true);
    Modo = 2;
}

void EditorEnRejilla::resizeEvent(QResizeEvent* evento) {
    Ventana::resizeEvent(evento);
    if (!mshDatos_) return;
    Redimensionar();
    if (Modo != 2) ColocarCajas();
}

void EditorEnRejilla::keyPressEvent(QKeyEvent* evento) {
    sinExcepciones(this, [&] {
        // Escape leaves the row being typed first, and the window only from the list.
        if (evento->key() == Qt::Key_Escape && Modo != 2) {
            dejarFila();
            evento->accept();
            return;
        }
        Ventana::keyPressEvent(evento);
    });
}

void EditorEnRejilla::reject() {
    sinExcepciones(this, [&] {
        if (dejarFila()) Ventana::reject();
    });
}

QStringList EditorEnRejilla::valoresCajas() const {
    QStringList valores;
    for (const Caja& caja : cajas_) {
        if (auto* linea = qobject_cast<QLineEdit*>(caja.control))
            valores << linea->text();
        else if (auto* marca = qobject_cast<QCheckBox*>(caja.control))
            valores << QString::number(marca->isChecked());
    }
    return valores;
}

// A row untouched since Novo or Editar goes without a question.
bool EditorEnRejilla::dejarFila() {
    if (Modo == 2) return true;
    if (valoresCajas() != valoresAlEmpezar_ && !Mensaje::resolverCambios(this, [this] {
            Aceptar();
            return Modo == 2;
        }))
        return false;
    Cancelar();
    return true;
}

bool EditorEnRejilla::eventFilter(QObject* objeto, QEvent* evento) {
    return sinExcepciones(
        this,
        [&]() -> bool {
            if (evento->type() == QEvent::FocusOut) {
                // Losing the focus to another window (a message box) is no leaving of the box.
                const Qt::FocusReason razon = static_cast<QFocusEvent*>(evento)->reason();
                if (razon != Qt::ActiveWindowFocusReason && razon != Qt::PopupFocusReason)
                    comprobarNumero(qobject_cast<QLineEdit*>(objeto));
            }
            return Ventana::eventFilter(objeto, evento);
        },
        bool{});
}

void EditorEnRejilla::comprobarNumero(QLineEdit* caja) {
    // An empty box is left alone: it saves as 0.
    if (!caja || Modo == 2 || !caja->isVisible() || caja->text().trimmed().isEmpty()) return;
    const auto suya = std::find_if(cajas_.cbegin(), cajas_.cend(),
                                   [caja](const Caja& c) { return c.control == caja; });
    if (suya == cajas_.cend()) return;
    const auto valor = valorNumero(caja, suya->numero);
    if (valor) return;
    Mensaje::informar(this, valor.motivo());
    caja->setText(QStringLiteral("0"));
    caja->setFocus(Qt::OtherFocusReason);
}

void EditorEnRejilla::Redimensionar() {
    const int margen = twips(120);
    const int arriba = twips(800);
    mshDatos_->setGeometry(margen, arriba, qMax(0, width() - twips(400)),
                           qMax(0, height() - cmdBorrar_->height() - arriba));
    cmdSalir_->move(width() - cmdSalir_->width() - margen, cmdNovo_->y());
    lblInfo_->resize(qMax(0, cmdSalir_->x() - lblInfo_->x() - margen), lblInfo_->height());
}

void EditorEnRejilla::EstablecerEstado(bool Navegar) {
    for (QPushButton* boton : {cmdNovo_, cmdEditar_, cmdBorrar_})
        boton->setEnabled(Navegar);
    cmdAceptar_->setEnabled(!Navegar);
    cmdCancelar_->setEnabled(!Navegar);
    // Out of use while a row is typed, so neither focus nor clicks move the edited row.
    mshDatos_->setEnabled(Navegar);
    for (const Caja& caja : cajas_)
        caja.control->setVisible(!Navegar);
}

void EditorEnRejilla::CargarDatos(int fila, bool trasBorrar) {
    const QList<QStringList> filas = tabla_.leer();
    lblInfo_->setText(segunCuenta(filas.size(), QStringLiteral("Se encontró "),
                                  QStringLiteral("Se encontraron ")) +
                      cuenta(filas.size(), tabla_.queSeCuenta));
    if (filas.isEmpty()) {
        const bool otra = trasBorrar && !tabla_.vaciaTrasBorrar.isEmpty();
        mshDatos_->definirColumnas(otra ? tabla_.vaciaTrasBorrar : tabla_.vacia);
        return;
    }
    QList<QStringList> numeradas;
    numeradas.reserve(filas.size());
    for (const QStringList& datos : filas)
        numeradas << QStringList{tabla_.claveEnPrimera ? datos.value(tabla_.columnaClave - 1)
                                                       : QString::number(numeradas.size() + 1)} +
                         datos;
    mshDatos_->definirColumnas(tabla_.columnas);
    mshDatos_->modelo()->fijarFilas(numeradas);
    mshDatos_->fijarFilaActual(qBound(1, fila, int(numeradas.size())));
}

void EditorEnRejilla::ColocarCajas() {
    for (const Caja& caja : cajas_) {
        const QRect celda = mshDatos_->rectCelda(filaEditada_, caja.columna);
        if (qobject_cast<QCheckBox*>(caja.control)) {
            caja.control->setGeometry(celda.left(), celda.top(), celda.width(),
                                      caja.control->sizeHint().height());
            continue;
        }
        caja.control->setGeometry(celda);
        if (!caja.control->hasFocus()) pintarFondo(caja.control, colorFondo());
    }
}

void EditorEnRejilla::llenarCajas(int fila) {
    for (const Caja& caja : cajas_) {
        const QString texto = fila > 0 ? mshDatos_->texto(fila, caja.columna) : QString();
        if (auto* linea = qobject_cast<QLineEdit*>(caja.control))
            linea->setText(texto);
        else if (auto* marca = qobject_cast<QCheckBox*>(caja.control))
            marca->setChecked(fila == 0 || texto == QStringLiteral("SÍ"));
    }
}

void EditorEnRejilla::Novo() {
    if (Modo != 2) return;
    Modo = 0;
    columnasAntesDeNovo_ = mshDatos_->modelo()->columnas();
    filaAntesDeNovo_ = mshDatos_->filaActual();
    // A grid left without headings has no cells to lay the boxes over yet.
    if (columnasAntesDeNovo_.isEmpty()) mshDatos_->definirColumnas(tabla_.columnas);
    mshDatos_->modelo()->anadirFila(QStringList(tabla_.columnas.size(), QString()));
    filaEditada_ = mshDatos_->numFilas() - 1;
    mshDatos_->fijarFilaActual(filaEditada_);
    mshDatos_->scrollTo(mshDatos_->modelo()->index(filaEditada_ - 1, 1));
    EstablecerEstado(false);
    llenarCajas(0);
    valoresAlEmpezar_ = valoresCajas();
    ColocarCajas();
    cajas_.first().control->setFocus(Qt::OtherFocusReason);
}

void EditorEnRejilla::Editar() {
    const int fila = mshDatos_->filaActual();
    if (Modo != 2 || fila < 1) return;
    IdActual = mshDatos_->texto(fila, tabla_.columnaClave).toInt();
    Modo = 1;
    filaEditada_ = fila;
    EstablecerEstado(false);
    ColocarCajas();
    llenarCajas(fila);
    valoresAlEmpezar_ = valoresCajas();
    cajas_.first().control->setFocus(Qt::OtherFocusReason);
}

bool EditorEnRejilla::guardar() {
    QStringList campos;
    QVariantList valores;
    for (const Caja& caja : cajas_) {
        campos << caja.campo;
        if (auto* marca = qobject_cast<QCheckBox*>(caja.control))
            valores << (marca->isChecked() ? 1 : 0);
        else if (auto* linea = qobject_cast<QLineEdit*>(caja.control))
            valores << (caja.numero != Cifra::Ninguna
                            ? valorNumero(linea, caja.numero).valorO(torvane::guardar(Importe()))
                            : QVariant(linea->text()));
    }
    anadirFijos(campos, valores);
    escribirFila(tabla_.nombre, campos, valores);
    return true;
}

void EditorEnRejilla::escribirFila(const QString& tabla, const QStringList& campos,
                                   const QVariantList& valores) {
    // A refusal is told; the window goes back to the table as it is, usable.
    if (Modo == 0)
        Mensaje::falla(this, Editores::insertarConNuevoId(tabla, campos, valores));
    else
        Mensaje::falla(this, Editores::actualizarPorId(tabla, IdActual, campos, valores));
}

void EditorEnRejilla::Aceptar() {
    if (Modo == 2) return;
    const bool nuevo = Modo == 0;
    if (!guardar()) return;
    Modo = 2;
    EstablecerEstado(true);
    // An edited row stays current; a new one takes its place in the table's order.
    CargarDatos(nuevo ? 1 : filaEditada_, false);
    if (nuevo) cmdNovo_->setFocus(Qt::OtherFocusReason);
}

void EditorEnRejilla::Cancelar() {
    if (Modo == 2) return;
    const bool nuevo = Modo == 0;
    Modo = 2;
    // The grid was never changed but for the row Novo added.
    if (nuevo) {
        mshDatos_->modelo()->quitarUltimaFila();
        if (columnasAntesDeNovo_.isEmpty()) mshDatos_->vaciar();
        mshDatos_->fijarFilaActual(filaAntesDeNovo_);
    }
    EstablecerEstado(true);
}

void EditorEnRejilla::Borrar() {
    const int fila = mshDatos_->filaActual();
    if (Modo != 2 || fila < 1) return;
    const int clave = mshDatos_->texto(fila, tabla_.columnaClave).toInt();
    if (tabla_.motivoNoBorrar) {
        if (const QString motivo = tabla_.motivoNoBorrar(clave); !motivo.isEmpty())
            return Mensaje::informar(this, motivo, Mensaje::Icono::Exclamacion);
    }
    if (!Mensaje::preguntar(this,
                            tabla_.preguntaBorrar + mshDatos_->texto(fila, 1) + QStringLiteral("?"),
                            Mensaje::Icono::Informacion, Mensaje::kTitulo, true))
        return;
    Mensaje::falla(this, Editores::borrarFila(tabla_.nombre, tabla_.campoClave, clave));
    CargarDatos(fila > 1 ? fila - 1 : 1, true);
}

} // namespace torvane
