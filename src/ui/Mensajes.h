#pragma once

#include "core/store/Resultado.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace torvane {

/**
 * Every message box of the program: Spanish buttons, the title "Torvane" unless another is
 * given. Tests switch on modoPrueba(): boxes are then recorded instead of shown and answered
 * from a queue (Yes/OK when it is empty).
 */
namespace Mensaje {

enum class Icono { Ninguno, Informacion, Exclamacion, Critico, Pregunta };

inline const QString kTitulo = QStringLiteral("Torvane");

/** OK box; the information icon unless another is given. */
void informar(QWidget* padre, const QString& texto, Icono icono = Icono::Informacion,
              const QString& titulo = kTitulo);
void critico(QWidget* padre, const QString& texto, const QString& titulo = kTitulo);
/**
 * Tells why an operation failed. A lost server is told once, until olvidarPerdida(): a window
 * and its grid may both stumble on it in the same click.
 */
void fallo(QWidget* padre, const Fallo& fallo);
/** The next lost server is told again (the desk has been asked to reconnect). */
void olvidarPerdida();
/** True, having told why, when r holds no value. */
template <class T> bool falla(QWidget* padre, const Resultado<T>& r) {
    if (r) return false;
    fallo(padre, r.fallo());
    return true;
}

/** Yes/No box ("&Sí", "&No"); true for Yes. Questions that delete or discard put No first. */
bool preguntar(QWidget* padre, const QString& texto, Icono icono = Icono::Informacion,
               const QString& titulo = kTitulo, bool noPorDefecto = false);
/** OK/Cancel box; true for OK. */
bool aceptarCancelar(QWidget* padre, const QString& texto, Icono icono = Icono::Informacion,
                     const QString& titulo = kTitulo);

enum class Respuesta { Si, No, Cancelar };

/**
 * "¿Guardar los cambios?" with "&Sí", "&No" and "Cancelar" (Esc): save, throw away, or go back to
 * the window.
 */
Respuesta preguntarGuardar(QWidget* padre,
                           const QString& texto = QStringLiteral("¿Guardar los cambios?"));

/**
 * Leaving a window or a row with unsaved changes: asks preguntarGuardar(); Sí runs guardar.
 * True when the caller may go on and throw away what is left (saved, or the user said No); false
 * when the user chose Cancelar or guardar refused (it has told why).
 */
bool resolverCambios(QWidget* padre, const std::function<bool()>& guardar);

struct Registro {
    QString texto;
    QString titulo;
    Icono icono;
    bool noPorDefecto = false;
};

void modoPrueba(bool activo);
void responderSiguiente(bool respuesta);
void responderSiguiente(Respuesta respuesta);
QList<Registro> historial();
/** Texts of the recorded boxes, oldest first. */
QStringList textos();
void limpiarHistorial();

} // namespace Mensaje

} // namespace torvane
