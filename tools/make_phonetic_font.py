#!/usr/bin/env python3
"""Builds Lexora's phonetic font from DejaVu Sans.

Word lists store phonetic transcriptions in the codes of an old phonetic font: ASCII characters
stand for IPA symbols. This font draws each such code as its IPA glyph and every other character
as itself. The DejaVu licence asks that a modified font carry a new family name.

usage: make_phonetic_font.py SOURCE.ttf OUTPUT.ttf
"""
import sys

import fontforge
import psMat

FAMILY = "Lexora Phonetic"
PS_NAME = "LexoraPhonetic"

# code -> IPA text (one character, or a base with a combining mark)
CODES = {
    "5": "\u02c8", "7": "\u02cc", "9": "\u02cc", ":": "\u02d0",
    "A": "\u00e6", "B": "\u0251", "C": "\u0254", "D": "\u00e3", "E": "\u0259",
    "F": "\u0283", "G": "\u0263", "H": "\u0265", "I": "\u026a", "J": "\u028a",
    "K": "\u028f", "L": "\u025a", "M": "\u0272", "N": "\u014b", "O": "\u0153",
    "P": "\u0275", "Q": "\u028c", "R": "\u0254", "S": "\u0254\u0303", "T": "\u00f0",
    "U": "u", "V": "\u0292", "W": "\u03b8", "X": "\u00f8", "Y": "\u025b\u0303",
    "Z": "\u025b", "[": "\u025d", "\\": "\u025c", "]": "\u00e7", "^": "\u0261",
    "_": "\u02c7", "=": "\u00ea", "g": "\u0261",
}


def glyph_of(font, ch):
    cp = ord(ch)
    if cp not in font:
        raise SystemExit("source font has no glyph for U+%04X" % cp)
    return font[cp]


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    source, output = sys.argv[1], sys.argv[2]
    font = fontforge.open(source)

    # Kerning and substitutions were made for the original glyphs of these slots.
    for lookup in list(font.gsub_lookups) + list(font.gpos_lookups):
        font.removeLookup(lookup)

    for code, ipa in CODES.items():
        base = glyph_of(font, ipa[0])
        font.selection.select(("unicode",), ord(ipa[0]))
        font.copy()
        font.selection.select(("unicode",), ord(code))
        font.paste()
        target = font[ord(code)]
        target.unlinkRef()   # own outlines, so later changes to shared glyphs cannot leak in
        for mark_ch in ipa[1:]:
            mark = glyph_of(font, mark_ch)
            bx0, _, bx1, by1 = base.boundingBox()
            mx0, my0, mx1, _ = mark.boundingBox()
            dx = (bx0 + bx1) / 2.0 - (mx0 + mx1) / 2.0
            dy = (by1 + 120) - my0   # the mark just above the base
            target.addReference(mark.glyphname, psMat.translate(dx, dy))
            target.unlinkRef()
        target.width = base.width

    font.familyname = FAMILY
    font.fontname = PS_NAME
    font.fullname = FAMILY
    font.sfnt_names = tuple(
        n for n in font.sfnt_names
        if n[1] not in ("Family", "SubFamily", "Fullname", "PostScriptName", "UniqueID",
                        "Preferred Family", "Preferred Styles", "Compatible Full", "WWS Family"))
    font.appendSFNTName("English (US)", "Family", FAMILY)
    font.appendSFNTName("English (US)", "SubFamily", "Book")
    font.appendSFNTName("English (US)", "Fullname", FAMILY)
    font.appendSFNTName("English (US)", "PostScriptName", PS_NAME)
    font.appendSFNTName("English (US)", "UniqueID", FAMILY + " derived from DejaVu Sans")
    font.generate(output)


if __name__ == "__main__":
    main()
