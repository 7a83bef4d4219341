#!/usr/bin/python3
"""Draws the program's icon: a 4 by 4 board seen as the window shows it,
black with grey grid lines, among a few coloured pieces the white square
leaving by the exit (the two right columns, rows 1 and 2, where the frame
opens).

usage: tools/make-icon.py
Writes dist/icons/48x48/cavel.png and dist/icons/128x128/cavel.png for the
desktop's icon theme, and data/icon.bmp (48 by 48) for the window's own
icon. Needs python3-pil; a rerun gives the same bytes.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
SCALE = 8        # drawn this much larger, then reduced
CELLS = 4
GREY = (77, 77, 77)
# (column, row from the bottom, width, height, colour), as the window's palette.
PIECES = [(2, 1, 2, 2, (255, 255, 255)), (0, 2, 1, 2, (255, 0, 0)),
          (0, 0, 2, 1, (0, 255, 0)), (1, 3, 1, 1, (255, 255, 0)),
          (3, 3, 1, 1, (128, 128, 255)), (1, 1, 1, 1, (255, 128, 0))]


def draw(size):
    big = size * SCALE
    image = Image.new("RGB", (big, big), (0, 0, 0))
    pen = ImageDraw.Draw(image)
    margin = big // 12
    cell = (big - 2 * margin) // CELLS
    left, bottom = margin, margin + CELLS * cell
    line = max(SCALE, big // 48)

    def box(column, row, width, height):
        return (left + column * cell, bottom - (row + height) * cell,
                left + (column + width) * cell, bottom - row * cell)

    for k in range(CELLS + 1):
        x = left + k * cell
        pen.rectangle((x - line // 2, bottom - CELLS * cell, x + line // 2, bottom), fill=GREY)
        y = bottom - k * cell
        pen.rectangle((left, y - line // 2, left + CELLS * cell, y + line // 2), fill=GREY)
    # The exit: the frame opens on the right beside rows 1 and 2.
    x0, y0, x1, y1 = box(CELLS - 1, 1, 1, 2)
    pen.rectangle((x1 - line, y0 + line, x1 + line, y1 - line), fill=(0, 0, 0))
    for column, row, width, height, colour in PIECES:
        x0, y0, x1, y1 = box(column, row, width, height)
        # The square is on its way out through the exit.
        shift = cell * 3 // 10 if colour == (255, 255, 255) else 0
        pen.rectangle((x0 + line + shift, y0 + line, x1 - line + shift, y1 - line), fill=colour)
    return image.resize((size, size), Image.LANCZOS)


def main():
    if sys.argv[1:] in (["--help"], ["-h"]):
        print(__doc__)
        return
    if len(sys.argv) > 1:
        print("usage: tools/make-icon.py", file=sys.stderr)
        sys.exit(2)
    global Image, ImageDraw
    from PIL import Image, ImageDraw
    for size in (48, 128):
        folder = os.path.join(ROOT, "dist", "icons", "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        draw(size).save(os.path.join(folder, "cavel.png"), format="PNG", optimize=True)
    draw(48).save(os.path.join(ROOT, "data", "icon.bmp"), format="BMP")


if __name__ == "__main__":
    main()
