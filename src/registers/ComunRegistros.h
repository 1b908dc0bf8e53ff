#pragma once

#include "core/store/Resultado.h"
#include "ui/CursorEspera.h"
#include "ui/Rejilla.h"

#include <functional>

class QLabel;
class QPlainTextEdit;
class QLineEdit;

namespace torvane {

/** Keeps a several-line box to at most maximo characters, as a line box's maxLength does. */
void limitarLongitud(QPlainTextEdit* caja, int maximo);

/**
 * Refuses the text of caja when another row of tabla already has it in campo (ignoring case
 * and accents): shows mensaje, puts cargado back when editing, and leaves the focus in caja.
 * An edit that keeps the loaded text exactly passes without looking.
 */
bool comprobarUnico(QWidget* ventana, QLineEdit* caja, const QString& tabla, const QString& campo,
                    bool editando, const QString& cargado, const QString& mensaje);

/** "Modificando NOMBRE": the title of a record window opened on an existing record. */
QString tituloModificando(const QString& nombre);

/**
 * Opens a record window of type Ficha on the record id (0: a new one), modally, titled titulo.
 * The window is made from datos…, id and its parent, in that order.
 */
template <typename Ficha, typename... Datos>
void abrirFicha(QWidget* ventana, int id, const QString& titulo, Datos&... datos) {
    Ficha ficha(datos..., id, ventana);
    ficha.setWindowTitle(titulo);
    ficha.exec();
}

/**
 * Opens a record window of type Ficha for a new record, modally, under the hourglass, then
 * reloads the list in the same row so the new record shows without filtering again.
 */
template <typename Ficha, typename... Datos>
void abrirFichaNueva(QWidget* ventana, const QString& titulo, Rejilla* rejilla,
                     const std::function<void()>& recargar, Datos&... datos) {
    CursorEspera espera(ventana);
    abrirFicha<Ficha>(ventana, 0, titulo, datos...);
    rejilla->recargarEnLaFila(recargar);
}

/**
 * Edits the record of the grid's current row (its key in columnaId, its name in column 1),
 * reloads the list, brings the same row number back, current and at the top, and gives the
 * focus back to the filter box.
 */
template <typename Ficha, typename... Datos>
void editarFilaActual(QWidget* ventana, Rejilla* rejilla, int columnaId,
                      const std::function<void()>& recargar, QWidget* filtro, Datos&... datos) {
    const int fila = rejilla->filaActual();
    if (fila < 1) return;
    CursorEspera espera(ventana);
    abrirFicha<Ficha>(ventana, rejilla->texto(fila, columnaId).toInt(),
                      tituloModificando(rejilla->texto(fila, 1)), datos...);
    recargar();
    rejilla->subirArriba(fila);
    filtro->setFocus();
}

/**
 * Shows motivoNoBorrar when there is one and stops; otherwise asks pregunta (No by default)
 * and, on Yes, runs borrar, reloads the list in the same row and says "PROCESO FINALIZADO".
 */
void borrarTrasPreguntar(QWidget* ventana, Rejilla* rejilla, const QString& motivoNoBorrar,
                         const QString& pregunta, const std::function<Resultado<>()>& borrar,
                         const std::function<void()>& recargar);

} // namespace torvane
