#!/usr/bin/python3
"""Writes the glyph atlas data/font.bmp.

The atlas is a 24-bit Windows bitmap of 16 columns by 14 rows of 32 by 32
pixel cells holding the Latin-1 codes 32 to 255 in order, 16 codes a row,
white glyphs on black. The program stretches each cell over a quad that is
often narrow and tall (a 40-character line over 15 world units), so every
glyph is drawn stretched to fill most of its cell's width; on screen the
quad squeezes it back to normal proportions.

usage: tools/make-font-atlas.py [FONT.ttf] [OUTPUT.bmp]
Defaults: DejaVu Sans Mono Bold from fonts-dejavu-core, data/font.bmp.
The output depends only on the font file and Pillow, so a rerun with the
same inputs gives the same bytes.
"""

import os
import sys

CELL = 32          # pixels a cell, both ways
COLUMNS, ROWS = 16, 14
SCALE = 8          # glyphs are drawn this much larger, then reduced
EM = 22            # font size in cell pixels: room for accents and descenders
GLYPH_WIDTH = 28   # how much of the cell's width a glyph fills
BASELINE = 23      # baseline, in cell pixels from the cell's top

DEFAULT_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUTPUT = os.path.join(HERE, "..", "data", "font.bmp")


def glyph_cell(font, code):
    """One cell, drawn large, then reduced to CELL by CELL pixels."""
    big = Image.new("L", (CELL * SCALE, CELL * SCALE), 0)
    character = bytes([code]).decode("latin-1")
    if not character.isprintable():
        return big.resize((CELL, CELL), Image.LANCZOS)
    advance = font.getlength("M")
    # Draw at the natural width, then stretch across the cell.
    natural = Image.new("L", (int(round(advance)), CELL * SCALE), 0)
    ImageDraw.Draw(natural).text((0, BASELINE * SCALE), character, font=font, fill=255,
                                 anchor="ls")
    stretched = natural.resize((GLYPH_WIDTH * SCALE, CELL * SCALE), Image.LANCZOS)
    big.paste(stretched, ((CELL - GLYPH_WIDTH) * SCALE // 2, 0))
    return big.resize((CELL, CELL), Image.LANCZOS)


def main():
    usage = "usage: tools/make-font-atlas.py [FONT.ttf] [OUTPUT.bmp]"
    if sys.argv[1:] in (["--help"], ["-h"]):
        print(__doc__)
        return
    if len(sys.argv) > 3 or any(a.startswith("-") for a in sys.argv[1:]):
        print(usage, file=sys.stderr)
        sys.exit(2)
    global Image, ImageDraw, ImageFont
    from PIL import Image, ImageDraw, ImageFont
    font_path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_FONT
    output = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_OUTPUT
    font = ImageFont.truetype(font_path, EM * SCALE)
    atlas = Image.new("L", (COLUMNS * CELL, ROWS * CELL), 0)
    for code in range(32, 256):
        index = code - 32
        column, row = index % COLUMNS, index // COLUMNS
        atlas.paste(glyph_cell(font, code), (column * CELL, row * CELL))
    atlas.convert("RGB").save(output, format="BMP")


if __name__ == "__main__":
    main()
