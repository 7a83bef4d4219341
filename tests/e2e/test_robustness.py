"""The real program against a close button, random keys and a leak checker."""

import os
import random
import subprocess
import sys
import unittest

from common import BUILD_DIR, main, start
from session import choose_size, place_pieces, send_close_request


class Robustness(unittest.TestCase):
    def tearDown(self):
        self.program.kill()

    def test_closing_the_window_changes_nothing(self):
        p = self.program = start()
        send_close_request(p, BUILD_DIR + "/tests/send-wm-delete")
        p.pause(0.5)
        self.assertTrue(p.running())
        choose_size(p, 4, 3)
        send_close_request(p, BUILD_DIR + "/tests/send-wm-delete")
        p.pause(0.5)
        self.assertTrue(p.running())
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)

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

    def test_a_whole_run_leaks_nothing_of_its_own(self):
        p = self.program = start(
            binary=BUILD_DIR + "/tests/cavel-leakcheck",
            extra_env={"LSAN_OPTIONS": "exitcode=0:log_path=leaks"})
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
