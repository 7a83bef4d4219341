"""The moves counted as people count them: the classic searched and replayed
in the path metric, chosen on the command line and with the editor's M."""

import os
import subprocess
import time
import unittest

from common import BUILD_DIR, DATA_DIR, main, near, start, text_pixels
from session import LEFT_X, PIXELS_PER_UNIT, choose_size, place_pieces, world_to_pixel

CLASSIC = os.path.join(DATA_DIR, "puzzles", "classic.txt")
# The classic's pieces as (shape, x, y), in the file's order, on its 5 by 4 board.
CLASSIC_PIECES = [(0, 0, 1), (2, 0, 3), (2, 0, 0), (2, 2, 3), (2, 2, 0), (3, 2, 1), (1, 3, 2),
                  (1, 3, 1), (1, 4, 3), (1, 4, 0)]
CLASSIC_MOVES = 81
COLOURS = {0: (255, 255, 255), 1: (255, 0, 0), 2: (0, 255, 0), 3: (0, 0, 255)}
BLACK = (0, 0, 0)
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@$"


def solution_boards(metric):
    """The classic at the start and after each move, as the command-line
    solver lays them out: one string per row, top row first."""
    text = subprocess.run([os.path.join(BUILD_DIR, "cavel-solve"), "--metric", metric,
                           "--boards", CLASSIC], capture_output=True, text=True,
                          check=True).stdout
    boards, rows = [], None
    for line in text.splitlines():
        if line.startswith("move "):
            rows = []
        elif rows is not None and line:
            rows.append(line)
        elif rows:
            boards.append(rows)
            rows = None
    return boards


def shows_board(shot, rows):
    """Whether every cell shows the colour of the piece the rows put there."""
    for row, cells in enumerate(rows):
        for x, letter in enumerate(cells):
            shape = CLASSIC_PIECES[LETTERS.index(letter)][0] if letter != "." else None
            if not near(shot.cell(x, len(rows) - 1 - row), COLOURS.get(shape, BLACK)):
                return False
    return True


def finished(shot):
    """Whether the line above the board is "Fini !!" (5.6 units from x = -4)."""
    return (text_pixels(shot, -4, 6, 1.6, 7) > 100
            and text_pixels(shot, 1.7, 6, 11.2, 7) == 0)


def grey(shot, x, y):
    return sum(shot.pixel(x, y)) / 3.0


def glyph_difference(a, i, b, j):
    """How unlike glyph i of the line below the board in shot `a` is glyph j
    of that line in shot `b`: near 0 for the same, 0.13 and more for two
    digits. Glyphs are 0.6 units apart, not a whole number of pixels, so `b`
    is read between its pixels; the same digit five glyphs on still comes out
    below 0.1."""
    _, top = world_to_pixel(0, -1.4)
    _, bottom = world_to_pixel(0, -2)
    left = int((-5 + 0.6 * i - LEFT_X) * PIXELS_PER_UNIT)
    offset = 0.6 * (j - i) * PIXELS_PER_UNIT
    unlike = total = 0.0
    for y in range(top, bottom):
        for x in range(left + 1, left + 14):
            xb = x + offset
            part = xb - int(xb)
            vb = (1 - part) * grey(b, int(xb), y) + part * grey(b, int(xb) + 1, y)
            unlike += abs(grey(a, x, y) - vb)
            total += grey(a, x, y) + vb
    return unlike / max(total, 1.0)


class PathMetric(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.boards = solution_boards("path")

    def tearDown(self):
        if hasattr(self, "program"):
            self.program.kill()

    def test_the_solver_gives_one_piece_a_move(self):
        self.assertEqual(len(self.boards), CLASSIC_MOVES + 1)
        for before, after in zip(self.boards, self.boards[1:]):
            moved = {a for row_b, row_a in zip(before, after)
                     for b, a in zip(row_b, row_a) if a != b} - {"."}
            self.assertEqual(len(moved), 1, (before, after))

    def press_and_see(self, move, key="space"):
        """Presses `key` and waits until the board stands as after `move` moves."""
        self.program.key(key)
        return self.program.wait_for_screen(lambda shot: shows_board(shot, self.boards[move]),
                                            timeout=10, what="the board after move %d" % move)

    def digits_of_the_first_moves(self, p):
        """From the start, presses space until "Coup 9": the counter's digit
        after each press is the reference for that digit. Returns them."""
        digits = [p.wait_for_screen(lambda shot: shows_board(shot, self.boards[0]),
                                    what="the classic's layout in the replay")]
        for move in range(1, 10):
            digits.append(self.press_and_see(move))
        for d in range(10):
            for e in range(d):
                self.assertGreater(glyph_difference(digits[d], 5, digits[e], 5), 0.1)
        return digits

    def assertCounter(self, shot, played, digits):
        """The counter reads "Coup PLAYED / 81": its digits one by one."""
        text = "Coup %d / %d" % (played, CLASSIC_MOVES)
        for index, char in enumerate(text):
            if not char.isdigit():
                continue
            unlike = [glyph_difference(digits[d], 5, shot, index) for d in range(10)]
            self.assertLess(unlike[int(char)], 0.1,
                            "glyph %d of %s in %s" % (index, text, shot.path))
            self.assertEqual(unlike.index(min(unlike)), int(char), "%s in %s" % (text, shot.path))
        after = -5 + 0.6 * len(text)
        self.assertEqual(text_pixels(shot, after + 0.1, -2, after + 0.5, -1.4), 0, shot.path)

    def test_by_the_option_each_press_moves_one_piece_to_the_end(self):
        with open(CLASSIC) as f:
            p = self.program = start(args=["--metric", "path", "classic.txt"],
                                     files={"classic.txt": f.read()})
        p.key("Return")
        digits = self.digits_of_the_first_moves(p)
        self.assertCounter(digits[0], 0, digits)
        for move in range(1, CLASSIC_MOVES + 1):
            shot = digits[move] if move < 10 else self.press_and_see(move)
            self.assertCounter(shot, move, digits)
            self.assertEqual(finished(shot), move == CLASSIC_MOVES, shot.path)
        self.assertTrue(p.running())
        p.key("space")
        self.assertEqual(p.wait(10), 0)

    def test_m_cycles_the_metric_in_both_phases_and_backspace_and_a_follow_it(self):
        p = self.program = start()
        choose_size(p, 5, 4)

        def metric_line():
            return p.screenshot(settle=0.2).area(-5, -2, 11, -1.4)

        # Before the square stands: three lines, then the first again.
        lines = [metric_line()]
        for _ in range(3):
            p.key("m")
            lines.append(metric_line())
        self.assertEqual(len(set(lines[:3])), 3)
        self.assertEqual(lines[3], lines[0])
        p.key("m")
        place_pieces(p, CLASSIC_PIECES)
        self.assertEqual(metric_line(), lines[1])
        p.key("m")                               # after it: the third, path
        self.assertEqual(metric_line(), lines[2])
        p.key("Return")

        digits = self.digits_of_the_first_moves(p)
        self.assertCounter(digits[0], 0, digits)
        p.key("space", CLASSIC_MOVES - 10)
        shot = p.wait_for_screen(lambda shot: shows_board(shot, self.boards[-2]), timeout=10,
                                 what="the board before the last move")
        self.assertFalse(finished(shot))
        end = self.press_and_see(CLASSIC_MOVES)
        self.assertTrue(finished(end))
        self.assertCounter(end, CLASSIC_MOVES, digits)

        # Backspace takes whole moves back, and A plays them again.
        self.assertCounter(self.press_and_see(CLASSIC_MOVES - 1, "BackSpace"),
                           CLASSIC_MOVES - 1, digits)
        self.press_and_see(CLASSIC_MOVES - 2, "BackSpace")
        self.press_and_see(CLASSIC_MOVES - 3, "BackSpace")
        started = time.time()
        p.key("a")
        end = p.wait_for_screen(finished, timeout=10, what="the end of automatic play")
        self.assertGreater(time.time() - started, 0.5)   # three moves, 4 a second
        self.assertTrue(shows_board(end, self.boards[-1]))
        self.assertCounter(end, CLASSIC_MOVES, digits)
        p.key("space")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
