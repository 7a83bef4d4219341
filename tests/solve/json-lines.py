"""cavel-solve --json: every line parses as one JSON object, and says what the
text output says on the sample puzzles.

usage: python3 json-lines.py CAVEL-SOLVE PUZZLE-DIR
"""

import glob
import json
import os
import subprocess
import sys
import tempfile
import unittest

SOLVER, PUZZLES = sys.argv[1], sys.argv[2]
SAMPLES = sorted(glob.glob(os.path.join(PUZZLES, "*.txt")))


def run(*args, stdin=None):
    return subprocess.run([SOLVER, *args], capture_output=True, input=stdin, timeout=300)


def objects(stdout):
    """The JSON objects of the output, one a line."""
    lines = stdout.decode("utf-8").splitlines()
    return [json.loads(line) for line in lines]


def text_moves(objects_moves):
    """The --moves lines of the text output, rebuilt from JSON move objects."""
    return ["piece %d %s" % (m["piece"], " ".join(m["directions"])) for m in objects_moves]


class JsonLines(unittest.TestCase):
    def test_the_samples_say_what_the_text_says(self):
        self.assertGreater(len(SAMPLES), 5)
        # The largest sample takes seconds in the table search's metrics.
        quick = [s for s in SAMPLES if not s.endswith("random6x5-14.txt")]
        for metric, samples in (("step", SAMPLES), ("line", quick), ("path", quick)):
            text = run("--metric", metric, "--moves", *samples)
            found = objects(run("--metric=" + metric, "--json", "--moves", *samples).stdout)
            self.assertEqual([o["file"] for o in found], samples)
            # The text output, split at its "==> FILE <==" lines.
            parts = text.stdout.decode().split("==> ")[1:]
            for part, got in zip(parts, found):
                lines = part.splitlines()[1:]
                self.assertEqual(got["metric"], metric)
                if lines == ["no solution"]:
                    self.assertEqual(got["status"], "no_solution")
                    self.assertNotIn("move_count", got)
                    continue
                self.assertEqual(got["status"], "solved", got["file"])
                self.assertEqual("moves %d" % got["move_count"], lines[0])
                self.assertEqual(got["move_bytes"], lines[1])
                self.assertEqual(text_moves(got["moves"]), lines[2:])
                self.assertEqual(len(got["moves"]), got["move_count"])

    def test_the_default_metric_matches_the_expected_files(self):
        for sample in SAMPLES:
            with open(sample[:-4] + ".expected") as f:
                expected = f.read().splitlines()
            done = run("--json", sample)
            (got,) = objects(done.stdout)
            self.assertNotIn("moves", got)
            if expected == ["no solution"]:
                self.assertEqual((got["status"], done.returncode), ("no_solution", 1))
            else:
                self.assertEqual((got["status"], done.returncode), ("solved", 0))
                self.assertEqual(["moves %d" % got["move_count"], got["move_bytes"]], expected)

    def test_failures_are_objects_too(self):
        with tempfile.TemporaryDirectory() as work:
            # A name no text would dare: quotes, a backslash, a tab, a byte
            # that is no UTF-8.
            odd = os.path.join(work.encode(), b'odd "name"\\\t\xff.txt')
            with open(odd, "w") as f:
                f.write("size 6 5\npiece 0 0 0\npiece 1 1 1\n")
            missing = os.path.join(work, "missing.txt")
            square = os.path.join(PUZZLES, "square-only.txt")
            done = subprocess.run([SOLVER.encode(), b"--json", b"--stats", odd,
                                   missing.encode(), square.encode()], capture_output=True)
            self.assertEqual(done.returncode, 2)
            bad, absent, solved = objects(done.stdout)
            self.assertEqual(bad["file"], work + '/odd "name"\\\t\ufffd.txt')
            self.assertEqual((bad["status"], bad["line"]), ("bad_input", 3))
            self.assertIn(":3: piece overlaps piece 0 (line 2)", bad["message"])
            self.assertNotIn("stats", bad)
            self.assertEqual((absent["status"], absent["line"]), ("bad_input", 0))
            self.assertEqual(absent["message"], missing + ":0: cannot open: No such file or directory")
            # The messages still go to standard error, and nothing else does.
            errors = done.stderr.decode("utf-8", "replace").splitlines()
            self.assertEqual(len(errors), 2)
            self.assertEqual(errors[1], absent["message"])
            self.assertEqual(solved["status"], "solved")
            self.assertEqual(solved["stats"]["positions"], 6)
            self.assertEqual(set(solved["stats"]), {
                "positions", "expansions", "layers", "seconds", "search_peak_bytes",
                "peak_disk_bytes", "process_peak_resident_bytes", "stored_bytes_per_position", "key_bits",
                "key_words", "key_bits_used"})

    def test_the_stats_name_the_keys_that_ran(self):
        # 36 pieces on 10 by 8 with five cells free: positions of 134 bits.
        crowded = ("size 10 8\n" + "".join("piece %s\n" % p for p in (
            "0 5 4", "2 0 4", "14 2 5", "3 2 1", "10 5 2", "6 7 3", "3 9 4", "8 2 6", "14 6 7",
            "1 1 1", "2 3 0", "2 4 1", "3 0 0", "3 7 0", "1 2 4", "18 3 1", "9 0 5", "3 4 3",
            "10 4 6", "3 9 0", "1 9 6", "14 0 3", "10 7 5", "3 6 0", "2 0 2", "3 8 0", "1 9 7",
            "1 1 7", "2 7 2", "2 5 6", "1 7 4", "1 0 5", "1 5 0", "2 1 0", "1 0 7", "1 3 4"))).encode()
        square = os.path.join(PUZZLES, "square-only.txt")
        widths = {}
        for metric, puzzle in (("step", square), ("step", "-"), ("path", "-")):
            (got,) = objects(run("--json", "--stats", "--metric", metric, puzzle, stdin=crowded).stdout)
            stats = got["stats"]
            widths[metric, puzzle] = (stats["key_bits"], stats["key_words"], stats["key_bits_used"])
        self.assertEqual(widths["step", square][:2], (64, 1))
        self.assertEqual(widths["step", "-"], (192, 3, 134))
        self.assertEqual(widths["path", "-"], (192, 3, 134))  # the same keys in every metric
        text = run("--stats", "-", stdin=crowded).stderr.decode().splitlines()
        self.assertIn("key width 192 bits (3 words), 134 used", text)

    def test_a_search_out_of_memory_and_standard_input(self):
        done = run("--json", "--max-memory", "2", os.path.join(PUZZLES, "random6x5-14.txt"))
        (got,) = objects(done.stdout)
        self.assertEqual((got["status"], done.returncode), ("out_of_memory", 3))
        self.assertIn("memory budget", got["message"])
        done = run("--json", "-", stdin=b"size 4 3\npiece 0 0 0\n")
        (got,) = objects(done.stdout)
        self.assertEqual((got["file"], got["move_count"]), ("<stdin>", 3))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
