#pragma once

#include "core/store/Resultado.h"
#include "ui/CursorEspera.h"
#include "ui/Rejilla.h"

#include <functional>

class QLabel;
class QPlainTextEdit;
class QLineEdit;

namespace torvane {

/**
 * Shows a list's rows in its grid with row 1 current, or an empty grid without headings when
 * there are none, and writes the count and nombre agreeing with it ("1 inquilino", "3 inquilinos")
 * into info.
 */
void mostrarLista(Rejilla* rejilla, const QList<Columna>& columnas, QList<QStringList> filas,
                  QLabel* info, const QString& nombre);

/** Keeps a several-line box to at most maximo characters, as a line box's maxLength does. */
void limitarLongitud(QPlainTextEdit* caja, int maximo);

/**
 * Refuses the text of caja when another row of tabla already has it in campo (ignoring case
 * and accents): shows mensaje, puts cargado back when editing, and leaves the focus in caja.
 * An edit that keeps the loaded text exactly passes without looking.
 */
bool comprobarUnico(QWidget* ventana, QLineEdit* caja, const QString& tabla, const QString& campo,
                    bool editando, const QString& cargado, const QString& mensaje);

/**
 * Opens a record window of type Ficha for a new record, modally, under the hourglass, then
 * reloads the list in the same row so the new record shows without filtering again.
 */
template <typename Ficha>
void abrirFichaNueva(QWidget* ventana, const QString& titulo, Rejilla* rejilla,
                     const std::function<void()>& recargar) {
    CursorEspera espera(ventana);
    {
        Ficha ficha(ventana);
        ficha.Estado = 0;
        ficha.setWindowTitle(titulo);
        ficha.exec();
    }
    rejilla->recargarEnLaFila(recargar);
}

/** Opens the record window of type Ficha on the record id, modally, titled after its name. */
template <typename Ficha>
void abrirFichaExistente(QWidget* ventana, int id, const QString& nombre) {
    Ficha ficha(ventana);
    ficha.Estado = 1;
    ficha.Id = id;
    ficha.setWindowTitle(QStringLiteral("Modificando ") + nombre.toUpper());
    ficha.exec();
}

/**
 * Edits the record of the grid's current row (its key in columnaId, its name in column 1),
 * reloads the list, brings the same row number back, current and at the top, and gives the
 * focus back to the filter box.
 */
template <typename Ficha>
void editarFilaActual(QWidget* ventana, Rejilla* rejilla, int columnaId,
                      const std::function<void()>& recargar, QWidget* filtro) {
    const int fila = rejilla->filaActual();
    if (fila < 1) return;
    CursorEspera espera(ventana);
    abrirFichaExistente<Ficha>(ventana, rejilla->texto(fila, columnaId).toInt(),
                               rejilla->texto(fila, 1));
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
