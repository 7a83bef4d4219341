"""Every screen on boards of every height: on up to 6 rows the pictures of
before tall boards were seen whole (tests/e2e/reference/), apart from the
mark on piece 0; on 7 and 8 rows the whole board clear of the texts.

With CAVEL_WRITE_REFERENCES=DIR the small boards' screens are written to DIR
instead of compared.
"""

import os
import unittest

from common import DATA_DIR, main, start
from session import Screenshot, choose_size, place_pieces, world_to_pixel

REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
LONG_SEARCH = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")

# A 10 by 6 layout solved in 9 moves (the square right 8 and up 1); bars of
# three along the top row, a red cell last so that the cursor is red.
WIDE = ("size 10 6\npiece 0 0 0\npiece 14 0 5\npiece 14 7 5\npiece 2 4 3\npiece 4 6 2\n"
        "piece 1 3 4\n")
# Where the counts of a search or an analysis go: they change with time.
COUNT_LINE = (-5, -2.05, 11.3, -1.35)


def square_at(x, y):
    """The box of piece 0 at origin (x, y), where its mark may differ."""
    return (x, y, x + 2, y + 2)


def read(path):
    with open(path) as f:
        return f.read()


def small_board_screens(started):
    """(name, shot, boxes that may differ) for every screen on boards of up to 6 rows.

    The programs go into `started`, for whoever ends the walk early."""

    def launch(**options):
        started.append(start(**options))
        return started[-1]

    p = launch()
    yield "size-6x5", p.screenshot("size-6x5"), []
    p.key("Left", 4)
    p.key("Down", 3)
    yield "size-2x2", p.screenshot("size-2x2"), []
    p.key("Right", 8)
    p.key("Up", 4)
    yield "size-10x6", p.screenshot("size-10x6"), []
    p.key("Left", 6)
    p.key("Down", 3)
    yield "size-4x3", p.screenshot("size-4x3"), []
    p.kill()

    p = launch()
    choose_size(p, 6, 5)
    yield "editor-6x5-empty", p.screenshot("editor-6x5-empty"), []
    place_pieces(p, [(0, 0, 1), (3, 5, 2), (3, 5, 0), (10, 3, 2), (2, 1, 4)])
    p.keys("o", "o", "o")
    p.key("Right", 2)
    yield "editor-6x5-pieces", p.screenshot("editor-6x5-pieces"), [square_at(0, 1)]
    p.key("Left", 2)
    p.keys("p", "p", "p")
    p.key("Right", 2)
    p.key("Up", 2)
    p.key("space")
    yield "editor-6x5-refused", p.screenshot("editor-6x5-refused", settle=0.1), [square_at(0, 1)]
    p.kill()

    p = launch(args=["wide.txt"], files={"wide.txt": WIDE})
    p.key("Up", 5)
    p.key("Right", 9)
    yield "editor-10x6", p.screenshot("editor-10x6"), [square_at(0, 0)]
    p.key("s")
    yield "editor-10x6-saved", p.screenshot("editor-10x6-saved", settle=0.1), [square_at(0, 0)]
    p.key("Return")
    yield "replay-10x6-start", p.screenshot("replay-10x6-start", settle=0.5), [square_at(0, 0)]
    p.key("space", 9)
    yield "replay-10x6-end", p.screenshot("replay-10x6-end", settle=0.5), [square_at(8, 1)]
    p.kill()

    p = launch()
    choose_size(p, 4, 3)
    place_pieces(p, [(0, 0, 0), (1, 3, 0)])
    p.key("Return")
    yield "replay-4x3-start", p.screenshot("replay-4x3-start", settle=0.5), [square_at(0, 0)]
    p.key("space", 3)
    yield "replay-4x3-end", p.screenshot("replay-4x3-end", settle=0.5), [square_at(2, 1)]
    p.kill()

    p = launch(args=["long.txt"], files={"long.txt": read(LONG_SEARCH)})
    p.key("Return")
    yield "search-8x6", p.screenshot("search-8x6", settle=0.5), [square_at(3, 0), COUNT_LINE]
    p.key("Escape")
    p.key("h")
    yield "analysis-8x6", p.screenshot("analysis-8x6", settle=0.5), [square_at(3, 0), COUNT_LINE]
    p.kill()

    p = launch()
    choose_size(p, 6, 2)
    place_pieces(p, [(0, 0, 0), (1, 3, 0)])
    p.key("Return")
    yield "failure-6x2", p.screenshot("failure-6x2", settle=0.5), [square_at(0, 0)]
    p.key("e")
    p.key("h")
    # "Sortie impossible : rien change" over the layout as it was.
    yield "editor-6x2-analysed", p.screenshot("editor-6x2-analysed", settle=0.5), [square_at(0, 0)]
    p.kill()


def differences(shot, reference, boxes):
    """The pixels (column, row) where the shots differ outside the world boxes."""
    if shot.pixels == reference.pixels:
        return []
    spared = []
    for x0, y0, x1, y1 in boxes:
        left, bottom = world_to_pixel(x0, y0)
        right, top = world_to_pixel(x1, y1)
        spared.append((left - 1, top - 1, right + 1, bottom + 1))
    found = []
    for y in range(shot.height):
        for x in range(shot.width):
            if shot.pixel(x, y) == reference.pixel(x, y):
                continue
            if not any(l <= x <= r and t <= y <= b for l, t, r, b in spared):
                found.append((x, y))
    return found


class SmallBoards(unittest.TestCase):
    def setUp(self):
        self.started = []

    def tearDown(self):
        for program in self.started:
            program.kill()

    def test_boards_of_up_to_six_rows_look_as_they_did(self):
        written = os.environ.get("CAVEL_WRITE_REFERENCES")
        for name, shot, boxes in small_board_screens(self.started):
            if written:
                os.makedirs(written, exist_ok=True)
                os.replace(shot.path, os.path.join(written, name + ".png"))
                continue
            reference = Screenshot(os.path.join(REFERENCE_DIR, name + ".png"))
            found = differences(shot, reference, boxes)
            self.assertEqual(found[:10], [], "%s differs from its reference in %d pixels (%s)"
                             % (name, len(found), shot.path))


if __name__ == "__main__":
    main()
