"""cavel-solve's progress line: on a terminal a long search shows one line,
redrawn in place at most ten times a second and erased before the answer;
never when standard error is no terminal, nor with --quiet; erased too when a
signal ends the search.

usage: python3 progress-line.py CAVEL-SOLVE PUZZLE-DIR
"""

import os
import pty
import re
import select
import shlex
import signal
import subprocess
import sys
import tempfile
import time
import unittest

SOLVER, PUZZLES = os.path.abspath(sys.argv[1]), sys.argv[2]
LONG = os.path.join(PUZZLES, "large", "large8x6-2.txt")      # seconds
MEDIUM = os.path.join(PUZZLES, "random6x5-14.txt")           # a second or two
SHORT = os.path.join(PUZZLES, "square-only.txt")             # at once
DRAWN = re.compile(rb"\r([^\r\x1b]*) positions, (?:layer [0-9]+, )?[^\r\x1b]*/s, peak [0-9]+ MB, "
                   rb"(?:disk [0-9.]+ [MGT]B, )?([0-9.]+) s\x1b\[K")
ERASE = b"\r\x1b[K"


def on_terminal(*args):
    """What a terminal receives from the solver run under `script`, and the seconds it took."""
    with tempfile.TemporaryDirectory() as work:
        typescript = os.path.join(work, "typescript")
        start = time.monotonic()
        subprocess.run(["script", "-qec", shlex.join([SOLVER, *args]), typescript],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True,
                       timeout=300)
        seconds = time.monotonic() - start
        with open(typescript, "rb") as f:
            data = f.read()
    # script writes a line of its own before and after.
    if data.startswith(b"Script started"):
        data = data[data.index(b"\n") + 1:]
    done = data.rfind(b"\nScript done")
    return (data if done < 0 else data[:done]), seconds


class ProgressLine(unittest.TestCase):
    def test_a_long_search_shows_the_line_and_erases_it_before_the_answer(self):
        data, seconds = on_terminal(LONG)
        draws = DRAWN.findall(data)
        self.assertGreater(len(draws), 0, data[:300])
        self.assertGreaterEqual(float(draws[0][1]), 0.5)
        # At most ten a second (the first after half a second).
        self.assertLessEqual(len(draws), 10 * seconds + 1)
        answer = data.index(b"moves ")
        self.assertLess(data.rindex(b" positions, "), answer)
        self.assertTrue(data[:answer].endswith(ERASE), data[answer - 80:answer])
        self.assertEqual(data.count(ERASE), 1)
        self.assertTrue(draws[0][0].startswith(b"large8x6-2.txt: "), draws[0])

    def test_the_last_screen_holds_the_answer_alone(self):
        # A narrow terminal: a line that wrapped would leave half of it behind.
        socket = "cavel-progress-%d" % os.getpid()
        tmux = ["tmux", "-L", socket, "-f", "/dev/null"]
        env = dict(os.environ, TERM="xterm")
        command = shlex.join([SOLVER, LONG]) + "; echo status $?; sleep 120"
        subprocess.run(tmux + ["new-session", "-d", "-x", "40", "-y", "12", command],
                       env=env, check=True)
        try:
            seen, screen = False, ""
            deadline = time.monotonic() + 300
            while time.monotonic() < deadline:
                screen = subprocess.run(tmux + ["capture-pane", "-p"], env=env,
                                        capture_output=True, text=True, check=True).stdout
                seen = seen or "positions," in screen
                if "status " in screen:
                    break
                time.sleep(0.05)
            self.assertTrue(seen, "the line never showed")
            lines = [line for line in screen.splitlines() if line.strip()]
            self.assertRegex(lines[0], r"^moves [0-9]+$")
            self.assertEqual(lines[-1], "status 0")
            self.assertNotIn("positions", screen)
        finally:
            subprocess.run(tmux + ["kill-server"], env=env)

    def test_a_signal_that_ends_the_search_erases_the_line(self):
        for ending in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            master, slave = pty.openpty()
            solver = subprocess.Popen([SOLVER, LONG], stdin=subprocess.DEVNULL, stdout=slave,
                                      stderr=slave)
            os.close(slave)
            data, signalled = b"", False
            deadline = time.monotonic() + 120
            while time.monotonic() < deadline:
                if not signalled and DRAWN.search(data):
                    solver.send_signal(ending)
                    signalled = True
                if not select.select([master], [], [], 1)[0]:
                    continue
                try:
                    chunk = os.read(master, 4096)
                except OSError:                     # the terminal's last writer is gone
                    break
                if not chunk:
                    break
                data += chunk
            os.close(master)
            self.assertEqual(solver.wait(30), -ending)
            self.assertTrue(signalled, data[:300])
            # Nothing after the last line drawn but its erasure.
            last = list(DRAWN.finditer(data))[-1]
            self.assertEqual(data[last.end():], ERASE, (ending, data[-200:]))

    def test_no_line_when_piped_quiet_or_quick(self):
        done = subprocess.run([SOLVER, MEDIUM], capture_output=True, timeout=300)
        self.assertEqual((done.returncode, done.stderr), (0, b""))
        data, _ = on_terminal("--quiet", MEDIUM)
        self.assertNotIn(b"positions", data)
        self.assertTrue(data.startswith(b"moves "), data[:100])
        data, _ = on_terminal(SHORT)
        self.assertEqual(data.replace(b"\r\n", b"\n"), b"moves 3\n00 00 80\n")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
