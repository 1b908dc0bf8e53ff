#pragma once

#include <QList>
#include <QString>

class QWidget;

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
/** Yes/No box ("&Sí", "&No"); true for Yes. Questions that delete or discard put No first. */
bool preguntar(QWidget* padre, const QString& texto, Icono icono = Icono::Informacion,
               const QString& titulo = kTitulo, bool noPorDefecto = false);
/** OK/Cancel box; true for OK. */
bool aceptarCancelar(QWidget* padre, const QString& texto, Icono icono = Icono::Informacion,
                     const QString& titulo = kTitulo);

struct Registro {
    QString texto;
    QString titulo;
    Icono icono;
    bool noPorDefecto = false;
};

void modoPrueba(bool activo);
void responderSiguiente(bool respuesta);
QList<Registro> historial();
/** Texts of the recorded boxes, oldest first. */
QStringList textos();
void limpiarHistorial();

} // namespace Mensaje
