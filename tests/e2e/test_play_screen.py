"""The play screen in the real program: hints to the end, keys and the mouse,
undo and redo, and a close request while the engine works."""

import os
import subprocess
import time
import unittest

from common import BUILD_DIR, DATA_DIR, main, near, text_pixels
from playing import (CLASSIC, PUBLISHED, SQUARE_ONLY, bravo, computing, distance_shown,
                     open_layout, pieces_of, save, settled, solve)
from session import cell_centre, send_close_request

WHITE, YELLOW = (255, 255, 255), (255, 255, 0)

# The square at (0, 0), a single cell at (2, 1) and a bar of three up at
# (4, 0), on a 5 by 4 board:   . . . . .
#                              . . . . B
#                              A A C . B
#                              A A . . B
LAYOUT = "size 5 4\npiece 0 0 0\npiece 1 2 1\npiece 4 4 0\n"


def pointer(p, cx, cy, rows=6):
    x, y = cell_centre(cx, cy, rows)
    subprocess.run(["xdotool", "mousemove", "--window", p.window, str(x), str(y)], check=True)


def drag(p, start, end, hold=0.8, rows=6):
    """Takes the piece under cell `start` and holds it over cell `end` of a
    board of `rows` rows."""
    pointer(p, *start, rows)
    p.pause(0.1)
    subprocess.run(["xdotool", "mousedown", "1"], check=True)
    p.pause(0.1)
    pointer(p, *end, rows)
    p.pause(hold)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)
    p.pause(0.2)


class PlayScreen(unittest.TestCase):
    def setUp(self):
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.kill()

    def open(self, *args, **options):
        program = open_layout(*args, **options)
        self.programs.append(program)
        return program

    def test_hints_alone_take_the_classic_out_in_the_published_counts(self):
        for metric, count in PUBLISHED.items():
            with self.subTest(metric=metric):
                p = self.open(metric=metric)
                k = count // 2
                # Brisk presses while the engine works: each plays one hint.
                p.short_presses(*["i"] * k)
                settled(p, "the first hints")
                self.assertEqual(solve(p, save(p), metric), count - k)
                p.short_presses(*["i"] * (count - k - 1))
                shot = settled(p, "all hints but one")
                self.assertTrue(distance_shown(shot), shot.path)
                self.assertEqual(solve(p, save(p), metric), 1)
                p.key("i")
                shot = p.wait_for_screen(bravo, 10, "Bravo")
                self.assertTrue(near(shot.cell(4, 2), WHITE))  # the square at the exit
                p.key("i")                                      # nothing after the end
                self.assertEqual(solve(p, save(p), metric), 0)
                # Hints were used: no score is kept.
                self.assertNotIn(b"scores", p.stderr())
                # Space: the editor, with the layout as it was opened.
                p.key("space")
                shot = settled(p, "the editor")
                self.assertGreater(text_pixels(shot, -5, 8, 10, 9), 200)
                self.assertTrue(near(shot.cell(0, 1), WHITE))
                p.key("Escape")
                self.assertEqual(p.wait(10), 0)

    def test_keys_move_pieces_undo_and_redo_and_the_saved_files_show_it(self):
        p = self.open(LAYOUT)
        # The square selected: off the board and into the cell, nothing moves.
        p.keys("Left", "Down", "Right")
        self.assertEqual(p.read(save(p)), LAYOUT)
        # Square up; the cell right, then into the bar (nothing); the bar up,
        # selected from the square with Tab, Tab, Shift-Tab, Shift-Tab.
        p.keys("Up", "Tab", "Right", "Right", "Tab", "Tab", "shift+Tab", "Up", "Up")
        self.assertEqual(pieces_of(p.read(save(p))), [(0, 0, 1), (1, 3, 1), (4, 4, 1)])
        # Two moves back, one again; then a new move loses the one left.
        p.keys("BackSpace", "BackSpace")
        self.assertEqual(pieces_of(p.read(save(p))), [(0, 0, 1), (1, 2, 1), (4, 4, 0)])
        p.key("r")
        self.assertEqual(pieces_of(p.read(save(p))), [(0, 0, 1), (1, 3, 1), (4, 4, 0)])
        p.keys("shift+Tab", "Down", "r")  # the square down, by Shift-Tab from the cell
        self.assertEqual(pieces_of(p.read(save(p))), [(0, 0, 0), (1, 3, 1), (4, 4, 0)])
        # Undone to the start: the layout, its pieces selected in turn.
        p.keys("BackSpace", "BackSpace", "BackSpace", "BackSpace")
        self.assertEqual(p.read(save(p)), LAYOUT)
        shot = p.screenshot("after-undo")
        self.assertTrue(near(shot.cell(0, 0), WHITE))  # the square, selected again
        p.keys("Escape", "Escape")  # the editor, then the end
        self.assertEqual(p.wait(10), 0)

    def test_a_drag_takes_a_piece_round_another_one_cell_at_a_time(self):
        for metric, undone in (("step", (0, 1, 2)), ("path", (0, 0, 0))):
            with self.subTest(metric=metric):
                p = self.open(LAYOUT, metric=metric)
                # The bar by its top cell, over (4, 3): one cell up.
                drag(p, (4, 2), (4, 3))
                shot = p.screenshot("bar-up")
                self.assertTrue(near(shot.cell(4, 3), YELLOW))  # selected, up
                # The square by its top-right cell, over (3, 3): its origin
                # goes to (2, 2) round the cell, up twice and right twice.
                drag(p, (1, 1), (3, 3))
                self.assertEqual(pieces_of(p.read(save(p))), [(0, 2, 2), (1, 2, 1), (4, 4, 1)])
                # Undo takes one cell back by the cell, the whole walk by the path.
                p.key("BackSpace")
                self.assertEqual(pieces_of(p.read(save(p)))[0], undone)
                # A click on no piece selects nothing and moves nothing.
                drag(p, (3, 0), (0, 3))
                self.assertEqual(pieces_of(p.read(save(p)))[0], undone)
                # Held far off the board, the cell goes as near as it can.
                drag(p, (2, 1), (-3, 1))
                nearest = (1, 0, 1) if metric == "step" else (1, 0, 2)
                self.assertEqual(pieces_of(p.read(save(p)))[1], nearest)
                p.keys("Escape", "Escape")
                self.assertEqual(p.wait(10), 0)

    def test_on_tall_boards_the_pointer_finds_its_cells_through_the_raised_view(self):
        for rows in (7, 8):
            with self.subTest(rows=rows):
                text = "size 6 %d\npiece 0 0 0\npiece 1 3 %d\n" % (rows, rows - 2)
                p = self.open(text)
                drag(p, (3, rows - 2), (5, rows - 1), rows=rows)
                self.assertEqual(pieces_of(p.read(save(p))), [(0, 0, 0), (1, 5, rows - 1)])
                p.keys("Escape", "Escape")
                self.assertEqual(p.wait(10), 0)

    def test_a_at_the_end_replays_the_shortest_solution_from_the_start(self):
        p = self.open(SQUARE_ONLY)
        p.keys("Up", "Right", "Left", "Right", "Right")
        p.wait_for_screen(bravo, 10, "Bravo")
        p.key("a")
        # "Appuyez sur espace." from x = -4, the square back at the start.
        shot = p.wait_for_screen(lambda shot: text_pixels(shot, -4, 6, -2, 7) > 100
                                 and text_pixels(shot, -5, 6, -4.2, 7) == 0, 10, "the replay")
        self.assertTrue(near(shot.cell(0, 0), WHITE), shot.path)
        p.keys("space", "space")
        shot = p.screenshot("replayed")
        self.assertTrue(near(shot.cell(2, 0), WHITE), shot.path)  # right, right, then up
        p.keys("e", "Escape")
        self.assertEqual(p.wait(10), 0)

    def test_a_close_request_ends_play_within_a_second_even_while_the_engine_works(self):
        large = open(os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")).read()
        for name, text, metric in (("classic", CLASSIC, "step"), ("large", large, "path")):
            with self.subTest(layout=name):
                if name == "classic":
                    p = self.open(text, metric=metric)
                    p.keys("Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Right")
                else:
                    p = self.start_long_distance(large)
                self.assertTrue(p.running())
                asked = time.monotonic()
                send_close_request(p, BUILD_DIR + "/tests/send-wm-delete")
                self.assertEqual(p.wait(10), 0)
                self.assertLess(time.monotonic() - asked, 1.0)
                p.kill()

    def start_long_distance(self, large):
        p = self.open(large, metric="path", wait=False)
        shot = p.screenshot("computing", settle=0.3)
        self.assertTrue(computing(shot), shot.path)
        # The window answers while the engine works: the bar of three at
        # (7, 2), piece 3, goes up into (7, 5).
        p.keys("Tab", "Tab", "Tab", "Up")
        shot = p.screenshot("moved-while-computing", settle=0.2)
        self.assertTrue(computing(shot), shot.path)
        self.assertTrue(near(shot.cell(7, 5), YELLOW))
        return p

    def test_escape_while_the_engine_works_goes_back_to_the_editor_at_once(self):
        large = open(os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")).read()
        p = self.start_long_distance(large)
        asked = time.monotonic()
        p.key("Escape")
        shot = p.wait_for_screen(lambda shot: text_pixels(shot, -5, 8, 10, 9) > 200, 5,
                                 "the editor")
        self.assertLess(time.monotonic() - asked, 1.5)
        self.assertTrue(near(shot.cell(7, 4), YELLOW))  # the layout as it was opened
        self.assertFalse(near(shot.cell(7, 5), YELLOW))
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
