#!/usr/bin/env python3
"""Makes the reports' letters from Debian's DejaVu Sans: the same outlines and widths, only the
characters Spanish and European documents use, and no hinting.

Embedding a font in a PDF, Qt reloads every glyph it printed through the font's hinting
program and asks the font for each of the 65,536 first characters: with the whole DejaVu Sans
that is two thirds of the time of one receipt. Hinting only shapes letters on a screen's pixels;
printed and in a PDF the outlines are the same. The family is renamed, as the font's licence asks
of a changed font, so it never stands in for the system's own DejaVu Sans. A character outside
the subset is drawn with the system's fonts, as any missing letter is.

Usage: letra_informe.py ORIGEN.ttf DESTINO.ttf
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILIA = "Torvane Sans"
CARACTERES = [
    (0x0020, 0x007E),  # ASCII
    (0x00A0, 0x024F),  # Latin-1, Latin Extended-A and -B
    (0x02B0, 0x036F),  # modifier letters and combining accents
    (0x0370, 0x03FF),  # Greek
    (0x0400, 0x04FF),  # Cyrillic
    (0x1E00, 0x1EFF),  # Latin Extended Additional
    (0x2000, 0x218F),  # punctuation, super- and subscripts, currencies, letterlike, fractions
    (0x2190, 0x22FF),  # arrows and mathematical operators (the minus sign)
    (0x25A0, 0x27BF),  # shapes, symbols and dingbats (ticks, crosses)
    (0xFB00, 0xFB06),  # the ligatures the text layout makes of "fi", "fl"...
    (0xFFFD, 0xFFFD),
]


def main(origen, destino):
    opciones = subset.Options()
    opciones.hinting = False
    opciones.layout_features = ["*"]
    opciones.name_IDs = ["*"]
    opciones.notdef_outline = True
    opciones.drop_tables += ["FFTM"]
    letra = subset.load_font(origen, opciones)
    recorte = subset.Subsetter(opciones)
    recorte.populate(unicodes=[c for a, b in CARACTERES for c in range(a, b + 1)])
    recorte.subset(letra)
    negrita = "Bold" in letra["name"].getDebugName(2)
    estilo = "Bold" if negrita else "Book"
    nombres = {
        1: FAMILIA,
        4: FAMILIA + (" Bold" if negrita else ""),
        6: FAMILIA.replace(" ", "") + ("-Bold" if negrita else ""),
        16: FAMILIA,
        17: estilo,
    }
    for registro in letra["name"].names:
        if registro.nameID in nombres:
            registro.string = nombres[registro.nameID]
    letra.save(destino)


if __name__ == "__main__":
    main(*sys.argv[1:3])
