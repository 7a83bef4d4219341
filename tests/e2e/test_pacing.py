"""Paced screens: brief key presses still count, and an idle screen sleeps."""

import time
import unittest

from common import horizontal_line_at, main, near, start, text_pixels, vertical_line_at
from session import SLOWDOWN

WHITE, RED = (255, 255, 255), (255, 0, 0)


class Pacing(unittest.TestCase):
    def setUp(self):
        self.program = start()

    def tearDown(self):
        self.program.kill()

    def assertGridSize(self, shot, width, height):
        self.assertTrue(vertical_line_at(shot, width, 0.5))
        self.assertFalse(vertical_line_at(shot, width + 1, 0.5))
        self.assertTrue(horizontal_line_at(shot, 0.5, height))
        self.assertFalse(horizontal_line_at(shot, 0.5, height + 1))

    def test_presses_of_twenty_milliseconds_count_once_each_on_every_screen(self):
        p = self.program
        p.short_presses("Right", "Right", "Right", "Down", "Down")
        self.assertGridSize(p.screenshot("short-board-size"), 9, 3)
        p.short_presses("Left", "Left", "Left", "Up", "Up", "Return")
        # The editor on a 6 by 5 board: the square to (2, 1), a single cell to (5, 0).
        p.short_presses("Right", "Right", "Up", "space", "o", *["Right"] * 5, "space")
        shot = p.screenshot("short-editor")
        self.assertTrue(near(shot.cell(2, 1), WHITE))
        self.assertTrue(near(shot.cell(3, 2), WHITE))
        self.assertTrue(near(shot.cell(5, 0), RED))
        self.assertFalse(near(shot.cell(1, 1), WHITE))
        # Solved in two moves to the right: two presses, then "Fini !!".
        p.short_presses("Return")
        p.pause(0.5)
        p.short_presses("space", "space")
        shot = p.screenshot("short-replay-end")
        self.assertTrue(near(shot.cell(4, 1), WHITE))
        self.assertTrue(near(shot.cell(5, 2), WHITE))
        self.assertGreater(text_pixels(shot, -4, 6, 1.6, 7), 100)  # "Fini !!"
        self.assertTrue(p.running())
        p.short_presses("space")
        self.assertEqual(p.wait(10), 0)

    def test_an_idle_screen_leaves_the_processor_alone(self):
        p = self.program
        p.pause(1.0)
        used, began = p.cpu_seconds(), time.time()
        p.pause(4.0)
        share = (p.cpu_seconds() - used) / (time.time() - began)
        # About 2 % here; a loop that draws as fast as it can takes 50 % or
        # more. Processor time, which other work on the machine does not
        # stretch; a sanitizer does, up to the half that still tells them apart.
        self.assertLess(share, min(0.12 * SLOWDOWN, 0.5))
        # It still shows its screen.
        self.assertGreater(text_pixels(p.screenshot(), -5, 8, 10, 9), 200)


if __name__ == "__main__":
    main()
