"""Every screen on boards of every height: on up to 6 rows the pictures of
before tall boards were seen whole (tests/e2e/reference/), apart from the
mark on piece 0; on 7 and 8 rows the whole board clear of the texts.

With CAVEL_WRITE_REFERENCES=DIR the small boards' screens are written to DIR
instead of compared.
"""

import os
import time
import unittest

from common import DATA_DIR, horizontal_line_at, main, near, start, text_pixels
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
# The screens that show a timed message.
TIMED_MESSAGES = {"editor-6x5-refused", "editor-10x6-saved", "editor-6x2-analysed"}
# Where the counts of a search or an analysis go, the memory over the
# positions: they change with time.
COUNT_LINE = (-5, -2.05, 11.3, -0.75)
# The size screen's line below the grid, "L : la collection de puzzles",
# added after the references were taken.
SHELF_LINE = COUNT_LINE


def square_at(x, y):
    """The box of piece 0 at origin (x, y), where its mark may differ."""
    return (x, y, x + 2, y + 2)


def read(path):
    with open(path) as f:
        return f.read()


def shown(program, rows=6):
    """The program once its first screen shows its top line: keys sent before
    it reads them could come down and up within one pump, and go unseen."""
    program.wait_for_screen(lambda shot: text_pixels(shot, -5, rows + 2, 3, rows + 3, rows=rows)
                            > 100, timeout=30, what="the first screen")
    return program


def small_board_screens(started):
    """(name, program, boxes that may differ) for every screen on boards of up
    to 6 rows, the program showing it or about to.

    The programs go into `started`, for whoever ends the walk early."""

    def launch(**options):
        started.append(shown(start(**options)))
        return started[-1]

    p = launch()
    yield "size-6x5", p, [SHELF_LINE]
    p.key("Left", 4)
    p.key("Down", 3)
    yield "size-2x2", p, [SHELF_LINE]
    p.key("Right", 8)
    p.key("Up", 4)
    yield "size-10x6", p, [SHELF_LINE]
    p.key("Left", 6)
    p.key("Down", 3)
    yield "size-4x3", p, [SHELF_LINE]
    p.kill()

    p = launch()
    choose_size(p, 6, 5)
    yield "editor-6x5-empty", p, []
    place_pieces(p, [(0, 0, 1), (3, 5, 2), (3, 5, 0), (10, 3, 2), (2, 1, 4)])
    p.keys("o", "o", "o")
    p.key("Right", 2)
    yield "editor-6x5-pieces", p, [square_at(0, 1)]
    p.key("Left", 2)
    p.keys("p", "p", "p")
    p.key("Right", 2)
    p.key("Up", 2)
    p.key("space")
    yield "editor-6x5-refused", p, [square_at(0, 1)]
    p.kill()

    p = launch(args=["wide.txt"], files={"wide.txt": WIDE})
    p.key("Up", 5)
    p.key("Right", 9)
    yield "editor-10x6", p, [square_at(0, 0)]
    p.key("s")
    yield "editor-10x6-saved", p, [square_at(0, 0)]
    p.key("Return")
    yield "replay-10x6-start", p, [square_at(0, 0)]
    p.key("space", 9)
    yield "replay-10x6-end", p, [square_at(8, 1)]
    p.kill()

    p = launch()
    choose_size(p, 4, 3)
    place_pieces(p, [(0, 0, 0), (1, 3, 0)])
    p.key("Return")
    yield "replay-4x3-start", p, [square_at(0, 0)]
    p.key("space", 3)
    yield "replay-4x3-end", p, [square_at(2, 1)]
    p.kill()

    p = launch(args=["long.txt"], files={"long.txt": read(LONG_SEARCH)})
    p.key("Return")
    yield "search-8x6", p, [square_at(3, 0), COUNT_LINE]
    p.key("Escape")
    p.key("h")
    yield "analysis-8x6", p, [square_at(3, 0), COUNT_LINE]
    p.kill()

    p = launch()
    choose_size(p, 6, 2)
    place_pieces(p, [(0, 0, 0), (1, 3, 0)])
    p.key("Return")
    yield "failure-6x2", p, [square_at(0, 0)]
    p.key("e")
    p.key("h")
    # "Sortie impossible : rien change" over the layout as it was.
    yield "editor-6x2-analysed", p, [square_at(0, 0)]
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
        for name, p, boxes in small_board_screens(self.started):
            if written:
                os.makedirs(written, exist_ok=True)
                shot = p.screenshot(name, settle=0.5)
                os.replace(shot.path, os.path.join(written, name + ".png"))
                continue
            reference = Screenshot(os.path.join(REFERENCE_DIR, name + ".png"))
            # Shots until one matches: a busy machine may show the screen
            # late, a timed message within the two seconds it lives.
            deadline = time.time() + (1.5 if name in TIMED_MESSAGES else 20)
            while True:
                shot = p.screenshot(name, settle=0.1)
                found = differences(shot, reference, boxes)
                if not found or time.time() > deadline:
                    break
            self.assertEqual(found[:10], [], "%s differs from its reference in %d pixels (%s)"
                             % (name, len(found), shot.path))


def bar_pixels(shot, rows, upper):
    """Pixels of the bars' colour above (or below) the middle row of the board."""
    _, middle = world_to_pixel(0, rows / 2, rows)
    lines = range(0, middle) if upper else range(middle, shot.height)
    return sum(1 for y in lines for x in range(shot.width) if near(shot.pixel(x, y), BAR, 6))


def top_row_clear(rows, colours):
    """A check that the top row's cells show whole: their colours up to the inner corners."""
    def check(shot):
        for x, colour in colours.items():
            for point in ((x + 0.5, rows - 0.5), (x + 0.2, rows - 0.2), (x + 0.8, rows - 0.2)):
                seen = shot.pixel(*world_to_pixel(point[0], point[1], rows))
                if not near(seen, colour, 6):
                    return "%s at %s" % (seen, point)
        return None
    return check


def lines_above(rows, *lines):
    """A check for text in each world box laid out over a six-row board, raised."""
    def check(shot):
        for x0, y0, x1, y1 in lines:
            lifted = (x0, y0 + rows - 6, x1, y1 + rows - 6)
            if text_pixels(shot, *lifted, rows=rows) <= 100:
                return "no text in %s" % (lifted,)
        return None
    return check


def colour_at(rows, x, y, colour):
    def check(shot):
        seen = shot.pixel(*world_to_pixel(x, y, rows))
        return None if near(seen, colour) else "%s at %s" % (seen, (x, y))
    return check


def bars_alike(shot, rows=8):
    upper, lower = bar_pixels(shot, rows, True), bar_pixels(shot, rows, False)
    if lower > 500 and abs(upper - lower) < 0.2 * lower:
        return None
    return "bar pixels: %d at the top, %d at the bottom" % (upper, lower)


class TallBoards(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def settled(self, name, *checks, timeout=20):
        """The first shot of the program that passes every check (shot -> complaint or None)."""
        deadline = time.time() + timeout
        while True:
            shot = self.program.screenshot(name, settle=0.2)
            complaints = [c for c in (check(shot) for check in checks) if c]
            if not complaints:
                return shot
            if time.time() > deadline or not self.program.running():
                self.fail("%s: %s" % (shot.path, "; ".join(complaints)))

    def test_size_screen_shows_six_seven_and_eight_rows_apart(self):
        p = self.program = shown(start())
        p.key("Up")
        shots = []
        for rows in (6, 7, 8):
            def top_line(shot):
                return None if horizontal_line_at(shot, 3, rows, rows) else "no top grid line"
            shots.append(self.settled("size-6x%d" % rows, top_line,
                                      lines_above(rows, (-5, 8, 4, 9), (-5, 7, 4, 8))))
            p.key("Up")
        self.assertTrue(shots[0].pixels != shots[1].pixels, "6 and 7 rows look alike")
        self.assertTrue(shots[1].pixels != shots[2].pixels, "7 and 8 rows look alike")

    def test_top_and_bottom_rows_show_alike_in_the_editor_and_the_replay(self):
        p = self.program = start(args=["bars.txt"], files={"bars.txt": BARS})
        self.settled("editor-10x8", bars_alike, top_row_clear(8, {0: BAR, 1: BAR, 2: BAR}),
                     lines_above(8, (-5, 8, 4, 9), (-5, 7, 4, 8)),
                     colour_at(8, 10.25, 2, WHITE),     # the exit mark
                     colour_at(8, -3.5, 0.5, RED))      # the cursor piece
        p.key("Return")
        self.settled("replay-10x8", bars_alike, lines_above(8, (-4, 6, 4, 7)),
                     lambda shot: None if text_pixels(shot, -5, -2, 0, -1.4, rows=8) > 100
                     else "no counter")                  # "Coup 0 / 9"

    def test_every_screen_shows_the_top_row_of_a_packed_board(self):
        p = self.program = start(args=["packed.txt"], files={"packed.txt": PACKED})
        top_row = top_row_clear(8, {0: BAR, 3: BAR, 6: BAR, 9: RED})
        self.settled("packed-editor", top_row, lines_above(8, (-5, 8, 4, 9), (-5, 7, 4, 8)))
        p.key("Return")
        self.settled("packed-failure", top_row, lines_above(8, (-4, 6, 4, 7)))
        p.key("e")
        p.key("h")
        # "Sortie impossible : rien change" where the editor's messages go.
        self.settled("packed-analysed", top_row, lines_above(8, (-5, 6, 4, 6.6)), timeout=3)

    def test_the_search_and_the_analysis_show_the_top_row(self):
        # The 6 by 7 layout, then the largest sample, searched for long.
        p = self.program = start(args=["t.txt"], files={
            "t.txt": "size 6 7\npiece 0 0 5\npiece 14 3 6\npiece 1 5 0\n"})
        shown(p, 7)
        p.key("Return")
        self.settled("replay-6x7", top_row_clear(7, {0: WHITE, 3: BAR, 4: BAR, 5: BAR}),
                     colour_at(7, 5.5, 0.5, RED), lines_above(7, (-4, 6, 4, 7)))
        p.kill()
        p = self.program = shown(start(args=["big.txt"], files={"big.txt": read(LARGEST)}), 8)
        top_row = top_row_clear(8, {0: BAR, 2: BAR, 5: BAR, 8: (0, 255, 0)})
        p.key("Return")
        self.settled("search-10x8", top_row, lines_above(8, (-5, 6, 4, 7)))
        p.key("Escape")
        p.key("h")
        self.settled("analysis-10x8", top_row, lines_above(8, (-5, 6, 4, 7)))


if __name__ == "__main__":
    main()
