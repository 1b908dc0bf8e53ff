#pragma once

#include "ui/Rejilla.h"

class QLabel;

/**
 * Shows a list's rows in its grid with row 1 current, or an empty grid without headings when
 * there are none, and writes the count followed by nombre (" inquilinos") into info.
 */
void mostrarLista(Rejilla* rejilla, const QList<Columna>& columnas, QList<QStringList> filas,
                  QLabel* info, const QString& nombre);

class QPlainTextEdit;

/** Keeps a several-line box to at most maximo characters, as a line box's maxLength does. */
void limitarLongitud(QPlainTextEdit* caja, int maximo);

class QLineEdit;

/**
 * Refuses the text of caja when another row of tabla already has it in campo (ignoring case
 * and accents): shows mensaje, puts cargado back when editing, and leaves the focus in caja.
 * An edit that keeps the loaded text exactly passes without looking.
 */
bool comprobarUnico(QWidget* ventana, QLineEdit* caja, const QString& tabla, const QString& campo,
                    bool editando, const QString& cargado, const QString& mensaje);
