"""The editor's H: a layout's whole set of positions analysed, and the editor
going on with its hardest start."""

import os
import subprocess
import tempfile
import unittest

from common import BUILD_DIR, DATA_DIR, main, start, text_pixels

CLASSIC = os.path.join(DATA_DIR, "puzzles", "classic.txt")
# An 8 by 6 layout whose set of positions takes many seconds to go through.
LONG_ANALYSIS = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")


def in_editor(shot):
    return text_pixels(shot, -5, 8, 10, 9) > 200          # "Placez les autres pieces..."


def analysing(shot):
    """"Analyse des positions..." from x = -5, where the editor has no line."""
    return not in_editor(shot) and text_pixels(shot, -5, 6, -4.1, 7) > 20


def in_replay(shot):
    """The replay's counter below the board, and no editor line above it."""
    return not in_editor(shot) and text_pixels(shot, -5, -2, 3, -1.4) > 100


def message(shot):
    """Bright pixels on the row of the editor's timed messages."""
    return text_pixels(shot, -5, 6, 11.2, 6.6)


def solver(*args):
    return subprocess.run([os.path.join(BUILD_DIR, "cavel-solve")] + list(args),
                          capture_output=True, text=True, check=True).stdout.splitlines()


class Analysis(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def open(self, path, args=()):
        with open(path) as f:
            self.program = start(args=list(args) + ["layout.txt"], files={"layout.txt": f.read()})
        return self.program

    def replay_of(self, p):
        """Return pressed in the editor: the replay's first screen."""
        p.key("Return")
        return p.wait_for_screen(in_replay, timeout=30, what="the replay")

    def test_h_on_the_classic_gives_the_start_that_takes_hardest_moves(self):
        # The hardest start as the command-line solver writes it, 126 moves
        # from the exit; its replay in the window reads "Coup 0 / 126".
        hard = os.path.join(tempfile.mkdtemp(prefix="cavel-e2e-"), "hard.txt")
        self.assertIn("hardest 126", solver("--analyze", "--hardest", hard, CLASSIC))
        self.assertEqual(solver(hard)[0], "moves 126")
        reference = self.replay_of(self.open(hard))
        self.program.kill()

        p = self.open(CLASSIC)
        before = p.screenshot("classic")
        p.key("h")
        after = p.wait_for_screen(
            lambda shot: in_editor(shot) and shot.area(0, 0, 5, 4) != before.area(0, 0, 5, 4),
            timeout=30, what="the editor on the hardest start")
        # "Départ le plus dur : 126 coups"
        self.assertGreater(message(after), message(before) + 100)
        shot = self.replay_of(p)
        # The same start on the board, and the same "Coup 0 / 126" below it.
        self.assertTrue(shot.area(0, 0, 5, 4) == reference.area(0, 0, 5, 4),
                        "%s against %s" % (shot.path, reference.path))
        self.assertTrue(shot.area(-5, -2, 11, -1.4) == reference.area(-5, -2, 11, -1.4),
                        "%s against %s" % (shot.path, reference.path))

    def test_escape_during_the_analysis_leaves_the_layout_as_it_was(self):
        p = self.open(LONG_ANALYSIS)
        before = p.screenshot("long")
        p.key("h")
        shot = p.screenshot("analysing", settle=0.5)
        self.assertTrue(analysing(shot))
        self.assertGreater(text_pixels(shot, -5, -2, 3, -1.4), 100)    # the count
        p.key("Escape")
        # The stop takes 0.2 s; the rest is room for a busy machine.
        shot = p.wait_for_screen(in_editor, timeout=10, what="the editor")
        self.assertTrue(shot.area(0, 0, 8, 6) == before.area(0, 0, 8, 6),
                        "%s against %s" % (shot.path, before.path))
        self.assertEqual(message(shot), message(before))            # nothing to say
        self.assertTrue(p.running())

    def test_a_set_without_goal_keeps_the_layout_and_says_so(self):
        p = self.program = start(args=["none.txt"],
                                 files={"none.txt": "size 6 2\npiece 0 0 0\npiece 1 3 0\n"})
        before = p.screenshot("no-goal")
        p.key("h")
        shot = p.wait_for_screen(lambda shot: in_editor(shot) and message(shot) > 100,
                                 timeout=30, what="the editor's message")
        self.assertTrue(shot.area(0, 0, 6, 2) == before.area(0, 0, 6, 2),
                        "%s against %s" % (shot.path, before.path))


if __name__ == "__main__":
    main()
