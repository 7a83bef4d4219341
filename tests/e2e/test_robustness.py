"""The real program against a close button, random keys and a leak checker."""

import os
import random
import subprocess
import sys
import time
import unittest

from common import BUILD_DIR, DATA_DIR, main, start, text_pixels
from session import SLOWDOWN, choose_size, place_pieces, send_close_request


class Robustness(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def test_a_close_request_ends_every_screen_within_a_second(self):
        with open(os.path.join(DATA_DIR, "puzzles", "large", "large8x6-4.txt")) as f:
            long_search = {"long.txt": f.read()}

        def editor(p):
            choose_size(p, 4, 3)
            place_pieces(p, [(0, 0, 0)])
            p.key("space")                       # refused: a message stands

        def search(p):
            p.key("Return")
            shot = p.screenshot("searching", settle=0.5)
            self.assertGreater(text_pixels(shot, -5, 6, -4.1, 7), 20)  # "Calcul solution..."

        def analysis(p):
            p.key("h")
            shot = p.screenshot("analysing", settle=0.5)
            self.assertGreater(text_pixels(shot, -5, 6, -4.1, 7), 20)  # "Analyse des..."
            self.assertEqual(text_pixels(shot, -5, 8, 10, 9), 0)       # no editor line

        def solved(p, width, height):
            choose_size(p, width, height)
            place_pieces(p, [(0, 0, 0)])
            p.key("Return")
            p.pause(0.3)

        def replay(p):
            solved(p, 4, 3)
            p.key("space")                       # one move played

        screens = [("size", {}, lambda p: None), ("editor", {}, editor),
                   ("search", {"args": ["long.txt"], "files": long_search}, search),
                   ("analysis", {"args": ["long.txt"], "files": long_search}, analysis),
                   ("replay", {}, replay), ("failure", {}, lambda p: solved(p, 6, 2))]
        for name, options, reach in screens:
            with self.subTest(screen=name):
                p = self.program = start(**options)
                reach(p)
                self.assertTrue(p.running())
                asked = time.monotonic()
                send_close_request(p, BUILD_DIR + "/tests/send-wm-delete")
                self.assertEqual(p.wait(10), 0)
                # A second on an idle machine (a frame, the search's stop
                # within 0.2 s, the exit); three where the tests and other
                # work share two cores and the program gets a third of one.
                self.assertLess(time.monotonic() - asked, 3.0 * SLOWDOWN)
                self.assertEqual(p.files("puzzle-*"), [])   # nothing saved
                p.kill()

    def test_thousands_of_random_keys_in_the_editor(self):
        p = self.program = start()
        choose_size(p, 10, 8)
        rng = random.Random(7)
        names = ["Left", "Right", "Up", "Down", "o", "p", "space", "a", "F1"]
        for _ in range(6):
            chain = []
            for _ in range(500):
                name = rng.choice(names)
                chain += ["keydown", name, "sleep", "0.003", "keyup", name, "sleep", "0.002"]
            subprocess.run(["xdotool"] + chain, check=True)
            self.assertTrue(p.running())
        p.screenshot("monkey")
        p.key("Escape")
        self.assertEqual(p.wait(20), 0)

    @unittest.skipIf(os.environ.get("CAVEL_SANITIZE"),
                     "a sanitized build has no leak-checked program: under AddressSanitizer "
                     "every run is checked as it ends")
    def test_a_whole_run_leaks_nothing_of_its_own(self):
        p = self.program = start(
            binary=BUILD_DIR + "/tests/cavel-leakcheck",
            extra_env={"LSAN_OPTIONS": "exitcode=0:log_path=leaks"})
        p.key("l")                          # the list of the collection, scrolled, and back
        p.key("Down", 12)
        p.key("Escape")
        choose_size(p, 4, 3)
        place_pieces(p, [(0, 0, 0), (1, 3, 0)])
        p.key("space")                      # refused: leaves a timed message behind
        p.key("Return")
        p.pause(0.5)
        p.key("space", 4)
        self.assertEqual(p.wait(60), 0)
        reports = [name for name in os.listdir(p.workdir) if name.startswith("leaks")]
        report = "".join(open(os.path.join(p.workdir, name)).read() for name in reports)
        self.assertEqual(own_leaks(report), [])


def own_leaks(report):
    """The direct leaks whose allocation stack passes through our code."""
    records = [block for block in report.split("\n\n") if block.startswith("Direct leak")]
    folders = ("/app/", "/model/", "/render/", "/search/", "/input/")
    return [block for block in records if any(folder in block for folder in folders)]


if __name__ == "__main__":
    main()
