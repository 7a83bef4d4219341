"""The replay of the real program both ways, on its own, and back to the editor."""

import time
import unittest

from common import main, near, start, text_pixels

WHITE, HALF_WHITE, BLACK = (255, 255, 255), (127, 127, 127), (0, 0, 0)
RED, BLUE = (255, 0, 0), (0, 0, 255)

# A 6 by 4 layout solved in 11 moves: the bar at (2, 2) left, the bar at
# (4, 1) up, the piece at (2, 0) up twice, the square right four times, ...
LAYOUT = ("size 6 4\npiece 0 0 0\npiece 3 2 2\npiece 3 4 1\npiece 2 2 0\npiece 1 5 3\n")
MOVES = 11


def counter(shot):
    """Bright pixels of the counter line, "Coup K / N" at (-5, -2), 0.6 units high."""
    return text_pixels(shot, -5, -2, 3, -1.4)


def counter_glyph(shot, index):
    """The pixels of glyph `index` (from 0) of the counter line."""
    left = -5 + 0.6 * index
    return shot.area(left + 0.1, -2, left + 0.5, -1.4)


def finished(shot):
    """Whether the line above the board is "Fini !!" (5.6 units from x = -4)."""
    return (text_pixels(shot, -4, 6, 1.6, 7) > 100
            and text_pixels(shot, 1.7, 6, 11.2, 7) == 0)


class Replay(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def solve(self, text=LAYOUT):
        p = self.program = start(args=["layout.txt"], files={"layout.txt": text})
        p.key("Return")
        return p, p.screenshot("replay-start", settle=0.5)

    def assertCell(self, shot, cx, cy, colour):
        self.assertTrue(near(shot.cell(cx, cy), colour), "cell (%d, %d) of %s is %s, not %s"
                        % (cx, cy, shot.path, shot.cell(cx, cy), colour))

    def test_space_and_backspace_step_both_ways_and_the_counter_follows(self):
        p, begin = self.solve()
        self.assertGreater(text_pixels(begin, -4, 6, 11.2, 7), 200)  # "Appuyez sur espace."
        self.assertGreater(counter(begin), 100)                      # "Coup 0 / 11"
        self.assertCell(begin, 2, 3, BLUE)

        p.key("space", 2)
        shot = p.screenshot("two-moves")
        self.assertCell(shot, 1, 3, BLUE)    # the bar went left
        self.assertCell(shot, 2, 3, BLACK)
        self.assertCell(shot, 4, 3, BLUE)    # the other bar went up
        self.assertCell(shot, 4, 1, BLACK)
        # "Coup 2 / 11": only the glyph of the moves played changed.
        self.assertNotEqual(counter_glyph(shot, 5), counter_glyph(begin, 5))
        for glyph in (0, 3, 6, 7, 9, 10):
            self.assertEqual(counter_glyph(shot, glyph), counter_glyph(begin, glyph))

        p.key("BackSpace", 2)
        self.assertEqual(p.screenshot("two-back").pixels, begin.pixels)
        p.key("BackSpace")                   # nothing before the start
        self.assertEqual(p.screenshot("before-start").pixels, begin.pixels)

        p.key("space", MOVES)
        end = p.screenshot("end")
        self.assertTrue(finished(end))
        self.assertCell(end, 4, 1, WHITE)    # the square in the exit
        self.assertCell(end, 5, 2, WHITE)
        self.assertGreater(text_pixels(end, 1.7, -2, 2.2, -1.4), 10)  # "Coup 11 / 11"
        self.assertEqual(text_pixels(begin, 1.7, -2, 2.2, -1.4), 0)
        p.key("BackSpace")                   # from "Fini !!" back a move
        shot = p.screenshot("back-from-the-end")
        self.assertFalse(finished(shot))
        self.assertCell(shot, 4, 0, WHITE)
        self.assertCell(shot, 5, 2, BLACK)
        p.key("space")
        self.assertTrue(finished(p.screenshot()))
        self.assertTrue(p.running())
        p.key("space")                       # the press after "Fini !!" ends the program
        self.assertEqual(p.wait(10), 0)

    def test_a_plays_to_the_end_on_its_own(self):
        p, begin = self.solve()
        started = time.time()
        p.key("a")
        seen = []

        def at_end(shot):
            seen.append(shot)
            return finished(shot)

        end = p.wait_for_screen(at_end, timeout=20, what="the end of automatic play")
        elapsed = time.time() - started
        # 11 moves at 4 a second, one at a time. The end is seen at most two
        # rounds of screenshots after it came, and a busy machine makes those
        # slow: the rounds this run took are allowed on top.
        self.assertGreater(elapsed, 2.5)
        self.assertLess(elapsed, 6 + 2 * p.slowest_round)
        between = [shot for shot in seen[:-1] if shot.pixels != begin.pixels]
        self.assertGreater(len(between), 2)
        self.assertCell(end, 4, 1, WHITE)
        self.assertGreater(text_pixels(end, 1.7, -2, 2.2, -1.4), 10)  # "Coup 11 / 11"
        # It stops at the last move: A there changes nothing, space ends.
        p.key("a")
        p.pause(0.6)
        self.assertEqual(p.screenshot("still-the-end").pixels, end.pixels)
        self.assertTrue(p.running())

        # From four moves back, A starts and a second A stops it.
        p.key("BackSpace", 4)
        p.key("a")
        p.pause(0.5)
        p.key("a")
        stopped = p.screenshot("stopped", settle=0.4)
        self.assertFalse(finished(stopped))
        p.pause(0.8)
        self.assertEqual(p.screenshot("still-stopped", settle=0).pixels, stopped.pixels)
        p.key("space", 4)
        self.assertEqual(p.wait(10), 0)

    def test_e_goes_back_to_the_editor_with_the_layout_searched(self):
        p, begin = self.solve()
        self.assertGreater(text_pixels(begin, 1.1, -2, 1.6, -1.4), 10)  # "Coup 0 / 11"
        p.key("space", 3)
        p.key("e")
        shot = p.screenshot("editor-again")
        self.assertGreater(text_pixels(shot, -5, 8, 10, 9), 200)  # "Placez les autres pieces..."
        # Below the board the editor's metric line, reaching past where the
        # counter ended, in place of the counter.
        self.assertGreater(text_pixels(shot, 2, -2, 6, -1.4), 50)
        self.assertNotEqual(counter_glyph(shot, 0), counter_glyph(begin, 0))
        self.assertCell(shot, 2, 3, BLUE)     # the layout as searched, not as replayed
        self.assertCell(shot, 1, 3, BLACK)
        self.assertCell(shot, 4, 1, BLUE)
        self.assertCell(shot, 3, 0, (0, 255, 0))
        self.assertCell(shot, 5, 3, RED)
        self.assertCell(shot, 1, 1, WHITE)
        self.assertCell(shot, 0, 0, (127, 0, 0))  # the cursor: the last shape, at (0, 0)
        self.assertCell(shot, -4, 0, RED)

        # Changed and solved again: without the last two pieces, 7 moves.
        p.key("BackSpace", 2)
        p.key("Return")
        shot = p.screenshot("solved-again", settle=0.5)
        self.assertGreater(counter(shot), 100)
        self.assertEqual(text_pixels(shot, 1.1, -2, 1.6, -1.4), 0)  # "Coup 0 / 7"
        self.assertCell(shot, 5, 3, BLACK)
        self.assertCell(shot, 3, 0, BLACK)
        self.assertCell(shot, 1, 1, WHITE)
        p.key("e")
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)

    def test_e_on_the_failure_screen_goes_back_to_the_editor(self):
        p, failure = self.solve("size 6 2\npiece 0 0 0\n")
        self.assertGreater(text_pixels(failure, -4, 6, 11.2, 7), 200)  # "Echec : Impossible."
        self.assertEqual(counter(failure), 0)
        p.key("e")
        p.key("Right", 2)
        shot = p.screenshot("editor-after-failure")
        self.assertGreater(text_pixels(shot, -5, 8, 10, 9), 200)
        self.assertEqual(text_pixels(shot, -5, 6, 11.2, 7), 0)
        self.assertCell(shot, 0, 0, WHITE)          # the square
        self.assertCell(shot, 2, 0, HALF_WHITE)     # the cursor, a square too
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
