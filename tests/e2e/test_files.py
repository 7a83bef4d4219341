"""Puzzle files in the real program: opening one, correcting it, saving it."""

import unittest

from common import main, near, start, text_pixels

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
RED, HALF_RED, GREEN, BLUE = (255, 0, 0), (127, 0, 0), (0, 255, 0), (0, 0, 255)

# The square at (0, 1), a bar of two up at (5, 2), a bar of two across at
# (2, 4) and a single cell at (3, 0), placed in that order.
LAYOUT = "size 6 5\npiece 0 0 1\npiece 3 5 2\npiece 2 2 4\npiece 1 3 0\n"


def saved_message(shot):
    """Bright pixels on the overlay's row, where the editor's messages go."""
    return text_pixels(shot, -5, 6, 11.3, 6.6)


def failure_message(shot):
    """Pixels past the end of "Enregistré : puzzle-N.txt" (25 glyphs of 0.6,
    from x = -5 to 10): only "Echec de l'enregistrement !" (27) reaches there."""
    return text_pixels(shot, 10.1, 6, 11.3, 6.6)


class PuzzleFiles(unittest.TestCase):
    def tearDown(self):
        for program in self.programs:
            program.kill()

    def setUp(self):
        self.programs = []

    def open_layout(self, text=LAYOUT, **options):
        program = start(args=["layout.txt"], files={"layout.txt": text}, **options)
        self.programs.append(program)
        return program

    def assertCell(self, shot, cx, cy, colour):
        self.assertTrue(near(shot.cell(cx, cy), colour), "cell (%d, %d) of %s is %s, not %s"
                        % (cx, cy, shot.path, shot.cell(cx, cy), colour))

    def assertLayout(self, shot):
        self.assertCell(shot, 1, 2, WHITE)
        self.assertCell(shot, 5, 3, BLUE)
        self.assertCell(shot, 3, 4, GREEN)

    def test_a_file_opens_in_the_editor_and_backspace_takes_its_pieces_off(self):
        # The editor as it first opens on an empty 6 by 5 board, for later.
        # One program at a time: windows on one display would overlap.
        fresh = start()
        self.programs.append(fresh)
        fresh.key("Return")
        empty_editor = fresh.screenshot("fresh-editor")
        fresh.kill()

        p = self.open_layout()
        shot = p.screenshot("opened")
        self.assertLayout(shot)
        self.assertCell(shot, 3, 0, RED)
        # The cursor: a single cell, the last piece's shape, at (0, 0).
        self.assertCell(shot, 0, 0, HALF_RED)
        self.assertCell(shot, -4, 0, RED)

        p.key("BackSpace")
        shot = p.screenshot("one-piece-off")
        self.assertCell(shot, 3, 0, BLACK)
        self.assertLayout(shot)
        self.assertCell(shot, 0, 0, HALF_RED)  # the cursor stays as it was

        # Down to the square, then without it: the editor as it first opens,
        # its first-phase texts included.
        p.key("BackSpace", 3)
        emptied = p.screenshot("emptied")
        self.assertEqual(emptied.pixels, empty_editor.pixels)
        # With nothing placed, Backspace does nothing and S saves nothing.
        p.keys("BackSpace", "s")
        shot = p.screenshot("nothing-to-take-off")
        self.assertEqual(shot.pixels, emptied.pixels)
        self.assertEqual(p.files("puzzle-*"), [])
        self.assertTrue(p.running())
        # The first phase works as ever: the square goes first.
        p.keys("Up", "space")
        self.assertCell(p.screenshot(), 1, 2, WHITE)
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)

    def test_s_saves_the_layout_on_screen_and_never_overwrites(self):
        p = self.open_layout()
        p.key("BackSpace")         # the cell at (3, 0) comes off
        p.key("Right", 4)
        p.key("space")             # and a cell goes to (4, 0)
        p.key("s")
        shot = p.screenshot("saved")
        self.assertGreater(saved_message(shot), 200)
        self.assertEqual(failure_message(shot), 0)
        self.assertEqual(p.files("puzzle-*"), ["puzzle-1.txt"])
        expected = "size 6 5\npiece 0 0 1\npiece 3 5 2\npiece 2 2 4\npiece 1 4 0\n"
        self.assertEqual(p.read("puzzle-1.txt"), expected)

        p.key("s")
        self.assertEqual(p.files("puzzle-*"), ["puzzle-1.txt", "puzzle-2.txt"])
        self.assertEqual(p.read("puzzle-1.txt"), expected)
        self.assertEqual(p.read("puzzle-2.txt"), expected)
        # The message lasts three seconds: gone by 3.5 s, or a second later
        # on a busy machine.
        p.pause(3.5)
        editing = p.wait_for_screen(lambda shot: saved_message(shot) == 0, timeout=1.0,
                                    what="the editor without the message")

        # Opened again, the saved file shows what the editor showed.
        p.kill()
        again = start(args=["puzzle-1.txt"], files={"puzzle-1.txt": p.read("puzzle-1.txt")})
        self.programs.append(again)
        self.assertEqual(again.screenshot("reopened").pixels, editing.pixels)
        self.assertEqual(p.stderr() + again.stderr(), b"")

    def test_a_save_right_after_a_refusal_shows_alone(self):
        p = self.open_layout()
        p.key("Up")                       # the cursor cell onto the square
        p.short_presses("space", "s")     # refused, then saved at once
        shot = p.screenshot("refused-then-saved", settle=0.1)
        self.assertEqual(p.files("puzzle-*"), ["puzzle-1.txt"])
        self.assertGreater(saved_message(shot), 200)
        # The refusal, longer and still alive, reaches past the end of the
        # save's line (x = 10) when it is drawn: it must be gone.
        self.assertEqual(text_pixels(shot, 10.1, 6, 11.3, 6.6), 0)

    def test_a_read_only_folder_gives_the_failure_message_and_loses_nothing(self):
        p = self.open_layout(read_only=True)
        before = p.screenshot("before-failed-save")
        p.key("s")
        shot = p.screenshot("failed-save")
        self.assertGreater(failure_message(shot), 5)  # the "!"
        self.assertGreater(saved_message(shot), 200)
        self.assertEqual(p.files("puzzle-*"), [])
        self.assertIn(b"cavel: cannot create puzzle-1.txt: Permission denied", p.stderr())
        # The layout, the cursor and the editor's texts are all still there.
        self.assertEqual(shot.area(-5, -1, 11, 5.9), before.area(-5, -1, 11, 5.9))
        self.assertEqual(shot.area(-5, 7, 11, 9.2), before.area(-5, 7, 11, 9.2))
        # And it can still be solved: the replay starts on it.
        p.key("Return")
        shot = p.screenshot("solved-anyway", settle=1)
        self.assertLayout(shot)
        self.assertGreater(text_pixels(shot, -5, -2, 3, -1.4), 50)  # the move counter


if __name__ == "__main__":
    main()
