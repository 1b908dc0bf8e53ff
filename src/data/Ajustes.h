#pragma once

#include <QString>

class QIODevice;

/*
 * Reading the one-line settings files (ruta.ini, ano.ini, ...): 8-bit text or UTF-8, lines
 * ended by LF or CR LF. A file is read line by line with a bound, so a damaged or hostile file
 * costs neither memory nor time.
 */

/** The longest line kept; anything beyond it on the same line is skipped. */
inline constexpr qsizetype kMaximoLineaAjuste = 4096;

/** Line n (from 0) of archivo, cut at kMaximoLineaAjuste bytes; empty when it has fewer lines. */
QString lineaAjuste(QIODevice& archivo, int n);

/** A path for a message: shortened in the middle with "…" when longer than maximo characters. */
QString acortarRuta(const QString& ruta, qsizetype maximo = 120);
