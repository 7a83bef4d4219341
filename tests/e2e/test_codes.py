"""Layout codes in the editor: C shows the code and puts it on the X
clipboard, V opens the layout whose code is there."""

import os
import subprocess
import unittest

from common import BUILD_DIR, DATA_DIR, main, start, text_pixels

SOLVER = os.path.join(BUILD_DIR, "cavel-solve")
CLASSIC = os.path.join(DATA_DIR, "puzzles", "classic.txt")
OTHER = os.path.join(DATA_DIR, "puzzles", "random6x5-0.txt")


def code_of(path):
    return subprocess.run([SOLVER, "--code", path], check=True, capture_output=True,
                          text=True).stdout.strip()


def clipboard(selection="clipboard"):
    return subprocess.run(["xclip", "-o", "-selection", selection], capture_output=True,
                          text=True, timeout=10).stdout


def offer(text):
    """Puts `text` on CLIPBOARD through xclip, which stays to serve it."""
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text, text=True,
                   check=True, timeout=10)


def message_row(shot, y=6):
    return text_pixels(shot, -5, y, 11.3, y + 0.6)


class LayoutCodes(unittest.TestCase):
    def setUp(self):
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.kill()

    def open(self, path):
        with open(path) as f:
            self.program = start(args=["layout.txt"], files={"layout.txt": f.read()})
        return self.program

    def test_c_shows_the_code_and_puts_exactly_the_solvers_code_on_both_selections(self):
        p = self.open(CLASSIC)
        before = p.screenshot("before-c")
        self.assertEqual(message_row(before), 0)
        p.key("c")
        shot = p.screenshot("code-shown")
        self.assertGreater(message_row(shot), 150)  # "Code : cavel:..."
        expected = code_of(CLASSIC)
        self.assertEqual(clipboard(), expected)
        self.assertEqual(clipboard("primary"), expected)
        # The code stays on offer while the program runs.
        p.pause(1.0)
        self.assertEqual(clipboard(), expected)

    def test_a_long_code_takes_two_lines_within_the_window(self):
        p = self.open(os.path.join(DATA_DIR, "puzzles", "large", "large10x8-1.txt"))
        p.key("c")
        shot = p.screenshot("long-code")
        self.assertGreater(message_row(shot, 6), 150)
        self.assertGreater(message_row(shot, 5.3), 150)
        self.assertEqual(clipboard(), code_of(os.path.join(DATA_DIR, "puzzles", "large",
                                                           "large10x8-1.txt")))

    def test_c_before_the_square_stands_does_nothing(self):
        p = self.program = start()
        offer("unchanged")
        p.key("Return")   # the size screen
        p.key("c")
        shot = p.screenshot("no-code")
        self.assertEqual(message_row(shot), 0)
        self.assertEqual(clipboard(), "unchanged")

    def test_v_opens_the_layout_on_the_clipboard_and_s_saves_it(self):
        p = self.open(CLASSIC)
        wanted = code_of(OTHER)
        offer("  " + wanted + "\n")   # white space around it is trimmed
        p.key("v")
        p.pause(0.3)
        p.key("s")
        p.pause(0.3)
        self.assertEqual(p.files("puzzle-*"), ["puzzle-1.txt"])
        saved = os.path.join(p.rundir, "puzzle-1.txt")
        self.assertEqual(code_of(saved), wanted)

    def test_v_with_garbage_says_so_and_keeps_the_layout(self):
        p = self.open(CLASSIC)
        # An empty clipboard, white space, text, and the classic's code with
        # its last character changed.
        for garbage in ["", " \n", "not a code at all", "cavel:rZMMsVjYwv"]:
            with self.subTest(garbage=garbage):
                offer(garbage)
                p.key("v")
                shot = p.screenshot("garbage")
                self.assertGreater(message_row(shot), 50)   # "Code invalide"
        p.key("s")
        p.pause(0.3)
        saved = os.path.join(p.rundir, "puzzle-1.txt")
        self.assertEqual(code_of(saved), code_of(CLASSIC))


if __name__ == "__main__":
    main()
