"""The board size screen of the real program: arrows, limits, Escape."""

import unittest

from common import horizontal_line_at, main, start, text_pixels, vertical_line_at


class BoardSizeScreen(unittest.TestCase):
    def setUp(self):
        self.program = start()

    def tearDown(self):
        self.program.kill()

    def assertGrid(self, shot, width, height):
        for x in range(width + 1):
            self.assertTrue(vertical_line_at(shot, x, 0.5, height), "column line %d" % x)
        # Every row line, the top one of a tall grid too: the texts rise above it.
        for y in range(height + 1):
            self.assertTrue(horizontal_line_at(shot, width / 2, y, height), "row line %d" % y)
        if width < 10:
            self.assertFalse(vertical_line_at(shot, width + 1, height / 2, height))
        if height < 8:
            self.assertFalse(horizontal_line_at(shot, width / 2, height + 1, height))

    def test_starts_at_six_by_five_with_its_two_lines_of_text(self):
        shot = self.program.screenshot("board-size")
        self.assertGrid(shot, 6, 5)
        self.assertGreater(text_pixels(shot, -5, 8, 10, 9), 200)
        self.assertGreater(text_pixels(shot, -5, 7, 10, 8), 200)

    def test_arrows_change_the_grid_within_its_limits(self):
        self.program.key("Left", 6)
        self.program.key("Down", 5)
        self.assertGrid(self.program.screenshot(), 2, 2)
        self.program.key("Right", 10)
        self.program.key("Up", 8)
        self.assertGrid(self.program.screenshot("board-size-10x8"), 10, 8)
        self.assertTrue(self.program.running())

    def test_escape_ends_the_program_without_the_editor(self):
        self.program.key("Right")
        self.program.key("Escape")
        self.assertEqual(self.program.wait(10), 0)


if __name__ == "__main__":
    main()
