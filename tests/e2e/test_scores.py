"""The best scores of the play screen in the real program: kept after a solve
without hints, shown next time, kept by two programs at once, and a bad file
or a read-only folder never stopping play nor losing anything."""

import os
import stat
import subprocess
import tempfile
import time
import unittest

from common import main
from playing import (CLASSIC, SQUARE_ONLY, best_shown, bravo, layout_code, open_layout,
                     play_solution, record_shown, settled)
from session import without_file_override

# Piece 0 alone on a 5 by 3 board: right three times, then up.
WIDER = "size 5 3\npiece 0 0 0\n"


def entries(path):
    with open(path) as f:
        return [line.strip() for line in f if line.strip() and not line.startswith("#")]


class Scores(unittest.TestCase):
    def setUp(self):
        self.programs = []
        self.data = tempfile.mkdtemp(prefix="cavel-scores-")
        self.folder = os.path.join(self.data, "cavel")
        self.path = os.path.join(self.folder, "scores")

    def tearDown(self):
        for program in self.programs:
            program.kill()
        os.chmod(self.data, 0o755)
        if os.path.isdir(self.folder):
            os.chmod(self.folder, 0o755)
        subprocess.run(["rm", "-rf", self.data], check=False)

    def open(self, text, **options):
        others = [program.window for program in self.programs if program.running()]
        program = open_layout(text, scores=self.data, other_windows=others, **options)
        self.programs.append(program)
        return program

    def finish(self, p, keys):
        p.keys(*keys)
        return p.wait_for_screen(bravo, 20, "Bravo")

    def test_a_solve_by_tab_and_arrows_keeps_its_score_and_shows_it_next_time(self):
        p = self.open(CLASSIC)
        self.assertFalse(best_shown(p.screenshot("no-best-yet")))
        self.assertEqual(len(play_solution(p, CLASSIC, "step")), 116)
        shot = p.wait_for_screen(bravo, 20, "Bravo")
        self.assertTrue(record_shown(shot), shot.path)
        self.assertEqual(entries(self.path), ["%s step 116" % layout_code(CLASSIC)])
        self.assertEqual(p.stderr(), b"")
        p.keys("space", "Escape")
        self.assertEqual(p.wait(10), 0)
        # The next play of the layout shows it; another metric has none yet.
        again = self.open(CLASSIC)
        self.assertTrue(best_shown(again.screenshot("best")))
        again.kill()
        other = self.open(CLASSIC, metric="path")
        self.assertFalse(best_shown(other.screenshot("no-best-in-path")))

    def test_two_programs_finishing_at_once_both_keep_their_scores(self):
        first = self.open(SQUARE_ONLY)
        first.keys("Right", "Right")
        second = self.open(WIDER)
        second.keys("Right", "Right", "Right")
        # Both last moves in one run of xdotool, a few milliseconds apart.
        subprocess.run(["xdotool", "windowfocus", "--sync", first.window, "keydown", "Up",
                        "sleep", "0.04", "keyup", "Up", "windowfocus", "--sync", second.window,
                        "keydown", "Up", "sleep", "0.04", "keyup", "Up"], check=True)
        # The windows overlap: the file tells, as soon as both have ended.
        wanted = sorted(["%s step 3" % layout_code(SQUARE_ONLY), "%s step 4" % layout_code(WIDER)])
        deadline = time.time() + 20
        while time.time() < deadline and not (os.path.exists(self.path)
                                              and sorted(entries(self.path)) == wanted):
            time.sleep(0.1)
        self.assertEqual(sorted(entries(self.path)), wanted)
        for p in (first, second):
            self.assertEqual(p.stderr(), b"")

    def test_a_bad_file_is_set_aside_and_play_goes_on(self):
        os.makedirs(self.folder)
        bad = [("garbage", b"\x89PNG\r\n\x1a\n\x00\x00 not a scores file\n", 0o644),
               ("truncated", b"cavel:Aa step 12\ncavel:Bb li", 0o644),
               ("unreadable", b"cavel:Aa step 12\n", 0o000)]
        for n, (name, content, mode) in enumerate(bad):
            with self.subTest(file=name):
                with open(self.path, "wb") as f:
                    f.write(content)
                os.chmod(self.path, mode)
                p = self.open(SQUARE_ONLY, wrapper=without_file_override())
                aside = self.path + ".bad" + ("" if n == 0 else "-%d" % (n + 1))
                self.assertIn(("set aside as %s" % aside).encode(), p.stderr())
                os.chmod(aside, 0o644)
                with open(aside, "rb") as f:
                    self.assertEqual(f.read(), content)
                shot = self.finish(p, ["Right", "Right", "Up"])
                self.assertTrue(record_shown(shot), shot.path)
                self.assertEqual(entries(self.path), ["%s step 3" % layout_code(SQUARE_ONLY)])
                os.remove(self.path)
                p.kill()

    def test_a_read_only_folder_leaves_the_score_unsaved_and_loses_nothing(self):
        os.makedirs(self.folder)
        kept = "# mine\ncavel:Aa path 7\n"
        with open(self.path, "w") as f:
            f.write(kept)
        os.chmod(self.folder, stat.S_IRUSR | stat.S_IXUSR)
        p = self.open(SQUARE_ONLY, wrapper=without_file_override())
        self.finish(p, ["Right", "Right", "Up"])
        shot = settled(p, "the end")
        self.assertTrue(bravo(shot))
        self.assertIn(b"cavel: score not saved in %s" % self.path.encode(), p.stderr())
        with open(self.path) as f:
            self.assertEqual(f.read(), kept)
        self.assertEqual(sorted(os.listdir(self.folder)), ["scores"])
        # Play goes on: space goes back to the editor, Escape ends.
        p.keys("space", "Escape")
        self.assertEqual(p.wait(10), 0)


if __name__ == "__main__":
    main()
