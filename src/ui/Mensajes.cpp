#include "ui/Mensajes.h"

#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

#include <utility>

namespace torvane {

namespace Mensaje {

namespace {

struct EstadoPrueba {
    bool activo = false;
    QQueue<Respuesta> respuestas;
    QList<Registro> historial;
};

bool perdidaDicha = false;

EstadoPrueba& prueba() {
    static EstadoPrueba estado;
    return estado;
}

QMessageBox::Icon iconoQt(Icono icono) {
    switch (icono) {
    case Icono::Informacion:
        return QMessageBox::Information;
    case Icono::Exclamacion:
        return QMessageBox::Warning;
    case Icono::Critico:
        return QMessageBox::Critical;
    case Icono::Pregunta:
        return QMessageBox::Question;
    case Icono::Ninguno:
        break;
    }
    return QMessageBox::NoIcon;
}

Respuesta grabar(const QString& texto, const QString& titulo, Icono icono, bool noPorDefecto) {
    auto& estado = prueba();
    estado.historial.append({texto, titulo, icono, noPorDefecto});
    return estado.respuestas.isEmpty() ? Respuesta::Si : estado.respuestas.dequeue();
}

// Shows one box with the given buttons (the first is Sí, the second No, a third Cancelar).
Respuesta mostrar(QWidget* padre, const QString& texto, Icono icono, const QString& titulo,
                  QMessageBox::StandardButton si, QMessageBox::StandardButton no, bool noPorDefecto,
                  QMessageBox::StandardButton cancelar = QMessageBox::NoButton) {
    if (prueba().activo)
        return grabar(texto, titulo, icono, noPorDefecto && no != QMessageBox::NoButton);
    QMessageBox caja(iconoQt(icono), titulo, texto, QMessageBox::NoButton, padre);
    static const QHash<QMessageBox::StandardButton, QString> nombres = {
        {QMessageBox::Ok, QStringLiteral("Aceptar")},
        {QMessageBox::Cancel, QStringLiteral("Cancelar")},
        {QMessageBox::Yes, QStringLiteral("&Sí")},
        {QMessageBox::No, QStringLiteral("&No")}};
    caja.addButton(si)->setText(nombres.value(si));
    if (no != QMessageBox::NoButton) caja.addButton(no)->setText(nombres.value(no));
    if (cancelar != QMessageBox::NoButton) {
        caja.addButton(cancelar)->setText(nombres.value(cancelar));
        caja.setEscapeButton(cancelar);
    }
    caja.setDefaultButton(noPorDefecto && no != QMessageBox::NoButton ? no : si);
    // A box raised under a wait cursor must still show the normal pointer.
    const bool cursorCambiado = QApplication::overrideCursor() != nullptr;
    if (cursorCambiado) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pulsado = caja.exec();
    if (cursorCambiado) QApplication::restoreOverrideCursor();
    if (pulsado == si) return Respuesta::Si;
    return cancelar != QMessageBox::NoButton && pulsado == cancelar ? Respuesta::Cancelar
                                                                    : Respuesta::No;
}

} // namespace

void informar(QWidget* padre, const QString& texto, Icono icono, const QString& titulo) {
    mostrar(padre, texto, icono, titulo, QMessageBox::Ok, QMessageBox::NoButton, false);
}

void fallo(QWidget* padre, const Fallo& fallo) {
    if (fallo.sinConexion && std::exchange(perdidaDicha, true)) return;
    critico(padre, fallo.texto);
}

void olvidarPerdida() {
    perdidaDicha = false;
}

void critico(QWidget* padre, const QString& texto, const QString& titulo) {
    informar(padre, texto, Icono::Critico, titulo);
}

bool preguntar(QWidget* padre, const QString& texto, Icono icono, const QString& titulo,
               bool noPorDefecto) {
    return mostrar(padre, texto, icono, titulo, QMessageBox::Yes, QMessageBox::No, noPorDefecto) ==
           Respuesta::Si;
}

Respuesta preguntarGuardar(QWidget* padre, const QString& texto) {
    return mostrar(padre, texto, Icono::Pregunta, kTitulo, QMessageBox::Yes, QMessageBox::No, false,
                   QMessageBox::Cancel);
}

bool resolverCambios(QWidget* padre, const std::function<bool()>& guardar) {
    switch (preguntarGuardar(padre)) {
    case Respuesta::Si:
        return guardar();
    case Respuesta::No:
        return true;
    case Respuesta::Cancelar:
        break;
    }
    return false;
}

bool aceptarCancelar(QWidget* padre, const QString& texto, Icono icono, const QString& titulo) {
    return mostrar(padre, texto, icono, titulo, QMessageBox::Ok, QMessageBox::Cancel, false) ==
           Respuesta::Si;
}

void modoPrueba(bool activo) {
    prueba().activo = activo;
}
void responderSiguiente(bool respuesta) {
    prueba().respuestas.enqueue(respuesta ? Respuesta::Si : Respuesta::No);
}
void responderSiguiente(Respuesta respuesta) {
    prueba().respuestas.enqueue(respuesta);
}
QList<Registro> historial() {
    return prueba().historial;
}

QStringList textos() {
    QStringList lista;
    for (const Registro& r : prueba().historial)
        lista << r.texto;
    return lista;
}

void limpiarHistorial() {
    prueba().historial.clear();
    prueba().respuestas.clear();
}

} // namespace Mensaje

} // namespace torvane
