"""Whole runs of the real program: solve and replay, failure, Escape in a search."""

import unittest

from common import main, near, start, text_pixels
from session import choose_size, place_pieces

WHITE = (255, 255, 255)

# A 6 by 5 layout whose search takes a few seconds: long enough to be stopped.
LONG_SEARCH = [(0, 0, 1), (3, 5, 2), (3, 5, 0), (10, 3, 2), (2, 1, 4), (2, 0, 0), (1, 4, 2),
               (2, 0, 3), (9, 2, 0), (1, 5, 4), (1, 4, 1), (1, 4, 4), (3, 2, 2)]


class Play(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def test_small_puzzle_is_replayed_one_move_per_press(self):
        p = self.program = start()
        choose_size(p, 4, 3)
        place_pieces(p, [(0, 0, 0)])
        p.key("Return")
        shot = p.screenshot("replay-start")
        self.assertTrue(near(shot.cell(0, 0), WHITE))        # the layout as built
        self.assertGreater(text_pixels(shot, -4, 6, 11.2, 7), 200)
        # Three moves (right, right, up): three presses, then "Fini !!".
        p.key("space", 3)
        shot = p.screenshot("replay-end")
        self.assertTrue(near(shot.cell(2, 1), WHITE))
        self.assertTrue(near(shot.cell(3, 2), WHITE))
        self.assertFalse(near(shot.cell(0, 0), WHITE))
        self.assertGreater(text_pixels(shot, -4, 6, 1.6, 7), 100)  # 5.6 units long
        self.assertEqual(text_pixels(shot, 2, 6, 11.2, 7), 0)
        self.assertTrue(p.running())
        p.key("space")
        self.assertEqual(p.wait(10), 0)

    def test_board_two_rows_high_has_no_solution(self):
        p = self.program = start()
        choose_size(p, 6, 2)
        place_pieces(p, [(0, 0, 0)])
        p.key("Return")
        shot = p.screenshot("failure")
        self.assertGreater(text_pixels(shot, -4, 6, 11.2, 7), 200)
        p.key("Escape")                                       # ignored here
        self.assertTrue(p.running())
        p.key("space")
        self.assertEqual(p.wait(10), 0)

    def test_escape_stops_a_running_search(self):
        p = self.program = start()
        choose_size(p, 6, 5)
        place_pieces(p, LONG_SEARCH)
        p.key("Return")
        shot = p.screenshot("searching", settle=0.5)
        self.assertGreater(text_pixels(shot, -5, 6, 10, 7), 200)   # "Calcul solution..."
        p.key("Escape")
        shot = p.screenshot("stopped", settle=0.5)
        # The failure screen's line starts at x = -4 and is 15.2 units long.
        self.assertGreater(text_pixels(shot, -4, 6, 11.2, 7), 200)
        self.assertEqual(text_pixels(shot, -5, 6, -4.1, 7), 0)
        p.key("space")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
