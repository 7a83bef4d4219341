"""The placement editor of the real program: placing, shapes, refusals."""

import unittest

from common import main, near, start, text_pixels
from session import choose_size

WHITE, HALF_WHITE = (255, 255, 255), (127, 127, 127)
RED, HALF_RED = (255, 0, 0), (127, 0, 0)
BLACK = (0, 0, 0)


class PlacementEditor(unittest.TestCase):
    def setUp(self):
        self.program = start()
        choose_size(self.program, 6, 5)

    def tearDown(self):
        self.program.kill()

    def assertCell(self, shot, cx, cy, colour):
        self.assertTrue(near(shot.cell(cx, cy), colour), "cell (%d, %d) is %s, not %s"
                        % (cx, cy, shot.cell(cx, cy), colour))

    def test_square_first_then_other_shapes(self):
        p = self.program
        shot = p.screenshot("editor-empty")
        self.assertCell(shot, 0, 0, HALF_WHITE)          # the dimmed cursor square
        self.assertCell(shot, -4, 0, WHITE)              # its preview left of the board
        # O and P do nothing before the square stands, and are not remembered.
        p.keys("o", "o", "p", "Right", "Right", "Up", "space")
        shot = p.screenshot()
        self.assertCell(shot, 2, 1, WHITE)
        self.assertCell(shot, 3, 2, WHITE)
        self.assertCell(shot, 0, 0, HALF_WHITE)          # the next cursor, back at (0, 0)
        self.assertCell(shot, 4, 1, BLACK)
        # O makes the cursor a single cell; placed at (5, 0) it is red.
        p.keys("o")
        p.key("Right", 5)
        p.key("space")
        p.key("Up", 4)
        shot = p.screenshot("editor-pieces")
        self.assertCell(shot, 5, 0, RED)
        self.assertCell(shot, 0, 4, HALF_RED)
        self.assertCell(shot, -4, 0, RED)
        # The arrows keep the cursor on the board.
        p.key("Up", 3)
        p.key("Right", 8)
        shot = p.screenshot()
        self.assertCell(shot, 5, 4, HALF_RED)
        self.assertCell(shot, 0, 0, BLACK)

    def test_refused_placement_shows_its_message_for_two_seconds(self):
        p = self.program
        p.key("space")
        p.keys("o")
        before = text_pixels(p.screenshot(settle=0.1), -5, 6, 12, 6.6)
        p.key("space")                                   # onto the square: refused
        shot = p.screenshot("editor-refused", settle=0.1)
        self.assertGreater(text_pixels(shot, -5, 6, 12, 6.6), before + 100)
        self.assertCell(shot, 0, 0, HALF_RED)            # nothing was placed
        # Gone by 2.5 s; a busy machine gets another second to draw it so.
        p.pause(2.5)
        p.wait_for_screen(lambda shot: text_pixels(shot, -5, 6, 12, 6.6) == before,
                          timeout=1.0, what="the editor without the message")

    def test_return_waits_for_the_first_piece(self):
        p = self.program
        p.key("Return")
        self.assertTrue(p.running())
        shot = p.screenshot()
        self.assertCell(shot, 0, 0, HALF_WHITE)
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
