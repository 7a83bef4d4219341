"""Whole runs of the real program: solve and replay, failure, Escape in a search."""

import os
import unittest

from common import DATA_DIR, main, near, start, text_pixels
from session import choose_size, place_pieces

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
YELLOW = (255, 255, 0)

# An 8 by 6 layout whose search takes seconds even on all cores (22 million
# positions), long enough to be watched and stopped: the search of
# large8x6-1.txt, once as long, now ends within a second. Its square stands at
# (3, 0), a bar of three up at (7, 2) under an empty cell; the first move of
# its solution takes that bar one cell up.
LONG_SEARCH = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")
# Seconds of search even on a fast machine, over many counts.
LONGER_SEARCH = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-4.txt")


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

    def start_long_search(self, puzzle=LONG_SEARCH):
        with open(puzzle) as f:
            p = self.program = start(args=["long.txt"], files={"long.txt": f.read()})
        p.key("Return")
        shot = p.screenshot("searching", settle=0.5)
        self.assertTrue(searching(shot))
        return p, shot

    def assertLayoutInEditor(self, shot):
        self.assertGreater(text_pixels(shot, -5, 8, 10, 9), 200)  # "Placez les autres pieces..."
        self.assertFalse(searching(shot))
        self.assertTrue(near(shot.cell(4, 1), WHITE))          # the square at (3, 0)
        self.assertTrue(near(shot.cell(7, 2), YELLOW))         # the bar at (7, 2)
        self.assertTrue(near(shot.cell(7, 5), BLACK))

    def test_the_search_screen_keeps_counting_while_it_searches(self):
        p, first = self.start_long_search(LONGER_SEARCH)
        self.assertGreater(text_pixels(first, -5, -2, 3, -1.4), 100)  # the count
        self.assertTrue(near(first.cell(4, 1), WHITE))          # the layout searched
        # The count stands still while a layer is sorted, up to a second or so
        # on a busy machine; the screen must still show a new one soon after.
        count = first.area(-5, -2, 3, -1.4)
        p.wait_for_screen(lambda shot: searching(shot) and shot.area(-5, -2, 3, -1.4) != count,
                          timeout=10, what="a new count on the search screen")

    def test_escape_stops_a_search_and_return_searches_again(self):
        p, _ = self.start_long_search()
        p.key("Escape")
        self.assertLayoutInEditor(p.screenshot("stopped", settle=0.5))
        # The layout is as it was: searched again, it is solved.
        p.key("Return")
        shot = p.wait_for_screen(lambda shot: not searching(shot), timeout=300,
                                 what="the end of the search")
        self.assertGreater(text_pixels(shot, -4, 6, 11.2, 7), 200)  # "Appuyez sur espace."
        self.assertEqual(text_pixels(shot, -5, 6, -4.1, 7), 0)
        self.assertTrue(near(shot.cell(4, 1), WHITE))
        self.assertTrue(near(shot.cell(7, 2), YELLOW))
        p.key("space")                  # the first move: the bar at (7, 2) one cell up
        shot = p.screenshot("first-move")
        self.assertTrue(near(shot.cell(7, 5), YELLOW))
        self.assertTrue(near(shot.cell(7, 2), BLACK))
        self.assertTrue(p.running())

    def test_escape_in_the_editor_after_a_stopped_search_quits(self):
        p, _ = self.start_long_search()
        p.short_presses("Escape")
        self.assertLayoutInEditor(p.screenshot("stopped-short-press", settle=0.5))
        self.assertTrue(p.running())
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)


def searching(shot):
    """Whether the shot shows "Calcul solution...", which starts at x = -5.

    The failure and replay lines start at x = -4; the editor writes nothing
    on that row unless a placement is refused.
    """
    return text_pixels(shot, -5, 6, -4.1, 7) > 20


if __name__ == "__main__":
    main()
