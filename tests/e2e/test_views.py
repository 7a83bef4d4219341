"""Every screen on boards of every height: on up to 6 rows the pictures of
before tall boards were seen whole (tests/e2e/reference/), apart from the
mark on piece 0; on 7 and 8 rows the whole board clear of the texts.

With CAVEL_WRITE_REFERENCES=DIR the small boards' screens are written to DIR
instead of compared.
"""

import os
import unittest

from common import DATA_DIR, main, near, start, text_pixels
from session import Screenshot, choose_size, place_pieces, world_to_pixel

REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
LONG_SEARCH = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")
LARGEST = os.path.join(DATA_DIR, "puzzles", "large", "large10x8-1.txt")
WHITE, RED, BAR = (255, 255, 255), (255, 0, 0), (77, 77, 230)  # BAR: shape 14

# A 10 by 6 layout solved in 9 moves (the square right 8 and up 1); bars of
# three along the top row, a red cell last so that the cursor is red.
WIDE = ("size 10 6\npiece 0 0 0\npiece 14 0 5\npiece 14 7 5\npiece 2 4 3\npiece 4 6 2\n"
        "piece 1 3 4\n")
# A 10 by 8 layout solved in 9 moves: bars of three (shape 14) in the top
# and the bottom row, a red cell last so that the cursor is red.
BARS = "size 10 8\npiece 0 0 2\npiece 14 0 7\npiece 14 3 0\npiece 4 6 4\npiece 1 4 5\n"
# A 10 by 8 board without a free cell: bars of three in every row, so no
# piece can move.
PACKED = "size 10 8\n" + "".join(
    ["piece 0 0 0\n"]
    + ["piece 14 %d %d\npiece 14 %d %d\npiece 2 8 %d\n" % (2, y, 5, y, y) for y in (0, 1)]
    + ["piece 14 0 %d\npiece 14 3 %d\npiece 14 6 %d\npiece 1 9 %d\n" % ((y,) * 4)
       for y in range(2, 8)])
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


def bar_pixels(shot, rows, upper):
    """Pixels of the bars' colour above (or below) the middle row of the board."""
    _, middle = world_to_pixel(0, rows / 2, rows)
    lines = range(0, middle) if upper else range(middle, shot.height)
    return sum(1 for y in lines for x in range(shot.width) if near(shot.pixel(x, y), BAR, 6))


class TallBoards(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def assertTopRowClear(self, shot, rows, colours):
        """The top row's cells whole: their colours up to the inner corner of each."""
        for x, colour in colours.items():
            for point in ((x + 0.5, rows - 0.5), (x + 0.2, rows - 0.2), (x + 0.8, rows - 0.2)):
                seen = shot.pixel(*world_to_pixel(point[0], point[1], rows))
                self.assertTrue(near(seen, colour, 6), "%s at %s in %s" % (seen, point, shot.path))

    def assertLinesAbove(self, shot, rows, *lines):
        """Text in each world box (x0, y0, x1, y1) laid out over a six-row board, raised."""
        for x0, y0, x1, y1 in lines:
            lifted = (x0, y0 + rows - 6, x1, y1 + rows - 6)
            self.assertGreater(text_pixels(shot, *lifted, rows=rows), 100, "%s" % (lifted,))

    def assertBarsAlike(self, shot, rows=8):
        upper, lower = bar_pixels(shot, rows, True), bar_pixels(shot, rows, False)
        self.assertGreater(lower, 500)
        self.assertLess(abs(upper - lower), 0.2 * lower, "%d against %d" % (upper, lower))

    def test_size_screen_shows_six_seven_and_eight_rows_apart(self):
        p = self.program = start()
        p.key("Up")
        shots = []
        for rows in (6, 7, 8):
            shots.append(p.screenshot("size-6x%d" % rows))
            self.assertLinesAbove(shots[-1], rows, (-5, 8, 4, 9), (-5, 7, 4, 8))
            p.key("Up")
        self.assertTrue(shots[0].pixels != shots[1].pixels, "6 and 7 rows look alike")
        self.assertTrue(shots[1].pixels != shots[2].pixels, "7 and 8 rows look alike")

    def test_top_and_bottom_rows_show_alike_in_the_editor_and_the_replay(self):
        p = self.program = start(args=["bars.txt"], files={"bars.txt": BARS})
        shot = p.screenshot("editor-10x8")
        self.assertBarsAlike(shot)
        self.assertTopRowClear(shot, 8, {0: BAR, 1: BAR, 2: BAR})
        self.assertLinesAbove(shot, 8, (-5, 8, 4, 9), (-5, 7, 4, 8))
        self.assertTrue(near(shot.pixel(*world_to_pixel(10.25, 2, 8)), WHITE))  # the exit mark
        self.assertTrue(near(shot.cell(-4, 0, 8), RED))                         # the cursor piece
        p.key("Return")
        shot = p.screenshot("replay-10x8", settle=0.5)
        self.assertBarsAlike(shot)
        self.assertLinesAbove(shot, 8, (-4, 6, 4, 7))
        self.assertGreater(text_pixels(shot, -5, -2, 0, -1.4, rows=8), 100)  # "Coup 0 / 9"

    def test_every_screen_shows_the_top_row_of_a_packed_board(self):
        p = self.program = start(args=["packed.txt"], files={"packed.txt": PACKED})
        top_row = {0: BAR, 3: BAR, 6: BAR, 9: RED}
        editor = p.screenshot("packed-editor")
        self.assertTopRowClear(editor, 8, top_row)
        p.key("Return")
        failure = p.screenshot("packed-failure", settle=0.5)
        self.assertTopRowClear(failure, 8, top_row)
        self.assertLinesAbove(failure, 8, (-4, 6, 4, 7))
        p.key("e")
        p.key("h")
        analysed = p.screenshot("packed-analysed", settle=0.5)
        self.assertTopRowClear(analysed, 8, top_row)
        self.assertLinesAbove(analysed, 8, (-5, 6, 4, 6.6))  # "Sortie impossible ..."

    def test_the_search_and_the_analysis_show_the_top_row(self):
        # The 6 by 7 layout, then the largest sample, searched for long.
        p = self.program = start(args=["t.txt"], files={
            "t.txt": "size 6 7\npiece 0 0 5\npiece 14 3 6\npiece 1 5 0\n"})
        p.key("Return")
        shot = p.screenshot("replay-6x7", settle=0.5)
        self.assertTopRowClear(shot, 7, {0: WHITE, 3: BAR, 4: BAR, 5: BAR})
        self.assertTrue(near(shot.cell(5, 0, 7), RED))
        self.assertLinesAbove(shot, 7, (-4, 6, 4, 7))
        p.kill()
        p = self.program = start(args=["big.txt"], files={"big.txt": read(LARGEST)})
        top_row = {0: BAR, 2: BAR, 5: BAR, 8: (0, 255, 0)}
        p.key("Return")
        shot = p.screenshot("search-10x8", settle=0.5)
        self.assertTopRowClear(shot, 8, top_row)
        self.assertLinesAbove(shot, 8, (-5, 6, 4, 7))
        p.key("Escape")
        p.key("h")
        shot = p.screenshot("analysis-10x8", settle=0.5)
        self.assertTopRowClear(shot, 8, top_row)
        self.assertLinesAbove(shot, 8, (-5, 6, 4, 7))


if __name__ == "__main__":
    main()
