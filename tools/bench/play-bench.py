"""Times the play screen as a person uses it, on a virtual X display, with
every buffer swap waiting for the next 60 Hz tick (libswap60hz.so,
preloaded) as on a display with vertical sync. Each time runs from the key
(sent with XTest) to the first frame that shows the distance of the new
position, read from the window's pixels every millisecond or so:
  1. the classic in each metric: J; a move to a position never seen (the
     moves of cavel-solve's solution, typed with the arrows); Backspace and
     R (their answers are kept); I, to the end of the hint's move, and from
     that end to the first frame with the new distance (0 when it showed
     while the move ran);
  2. data/puzzles/large/large8x6-2.txt in path: J, then each of the first
     moves of cavel-solve's solution, against cavel-solve from the same
     position, the two alternating.

usage: python3 tools/bench/play-bench.py BUILD-DIR DATA-DIR [--rounds N]
       [--moves K] [--large-moves K] [--figures 1,2]
(after make, on a display of its own: sh tests/with-display.sh python3 ...)
"""

import argparse
import ctypes
import ctypes.util
import functools
import runpy
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
from session import Program  # noqa: E402

METRICS = ("step", "line", "path")
KEYS = {"right": "Right", "left": "Left", "up": "Up", "down": "Down"}
STEP = {0: (1, 0), 1: (-1, 0), 2: (0, 1), 3: (0, -1)}


@functools.lru_cache(maxsize=None)
def window_pixels_class():
    """WindowPixels of window-bench.py: the window's pixels in a millisecond."""
    # Its name is no module name: run as a file, its main left alone.
    found = runpy.run_path(os.path.join(HERE, "window-bench.py"))
    return found["WindowPixels"], found["world_to_pixel"]


class Screen:
    """The play screen's window: its lines and board read from its pixels,
    keys sent straight to the X server."""

    def __init__(self, program, width, height):
        self.width, self.height = width, height
        WindowPixels, self.world_to_pixel = window_pixels_class()
        self.pixels = WindowPixels(program.window)
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
        x11 = self.pixels.x11
        x11.XStringToKeysym.restype = ctypes.c_ulong
        x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]

    def close(self):
        self.pixels.close()

    def key(self, name, down):
        x11, display = self.pixels.x11, self.pixels.display
        code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
        self.xtst.XTestFakeKeyEvent(display, code, 1 if down else 0, 0)
        x11.XFlush(display)

    def press(self, name, shift=False):
        """Sends key `name` down and, a moment later, up; returns when it went down."""
        if shift:
            self.key("Shift_L", True)
        sent = time.perf_counter()
        self.key(name, True)
        time.sleep(0.03)
        self.key(name, False)
        if shift:
            self.key("Shift_L", False)
        return sent

    def counter(self):
        """The pixels of "Coups : K" below the board, which every move, undo,
        redo and hint changes: few, so that reading them often takes
        little from the X server the program draws through."""
        left, bottom = self.world_to_pixel(-5, -2)
        right, top = self.world_to_pixel(1, -1.4)
        return self.pixels.grab(left, top, right, bottom)

    def computing(self):
        # "Calcul..." ends by x = 2.2; every distance line reaches past x = 3.
        return self.pixels.bright(-5, 6, -3, 7) > 60 and self.pixels.bright(2.5, 6, 11.2, 7) == 0

    def editing(self):
        # "Placez les autres pieces..." on row 8.
        return self.pixels.bright(-5, 8, 0, 9) > 300

    def distance_shown(self):
        return self.pixels.bright(3, 6, 6, 7) > 60

    def wait(self, shows, timeout=120, poll=0.001):
        deadline = time.perf_counter() + timeout
        while not shows():
            if time.perf_counter() > deadline:
                raise SystemExit("the screen did not change within %s s (%s)"
                                 % (timeout, getattr(shows, "__name__", "a move")))
            time.sleep(poll)
        return time.perf_counter()

    def timed(self, key, poll=0.001):
        """Seconds from `key` to the first frame of a new board with its distance."""
        # The board, not the counter: a cell that goes on a move in line or
        # path leaves the counter as it was.
        before = self.board()
        sent = self.press(key)
        shown = self.wait(lambda: self.board() != before and not self.computing(), poll=poll)
        return shown - sent

    def board(self):
        """The pixels of the board and its exit mark."""
        left, bottom = self.world_to_pixel(-0.1, -0.1)
        right, top = self.world_to_pixel(self.width + 0.5, self.height + 0.1)
        return self.pixels.grab(left, top, right, bottom)

    def headline(self):
        left, bottom = self.world_to_pixel(-5, 6)
        right, top = self.world_to_pixel(11.2, 7)
        return self.pixels.grab(left, top, right, bottom)

    def timed_hint(self, still=0.3):
        """I: when it went down, when the hint's move ended
        (the last frame that changed the board before it stood still for
        `still` seconds) and when the line above the board first showed a
        new distance."""
        counter, line = self.counter(), self.headline()
        sent = self.press("i")
        self.wait(lambda: self.counter() != counter)
        board, ended, shown = self.board(), time.perf_counter(), None
        while time.perf_counter() - ended < still or shown is None:
            time.sleep(0.001)
            now = time.perf_counter()
            seen = self.board()
            if seen != board:
                board, ended = seen, now
            if shown is None and self.headline() != line and not self.computing():
                shown = now
            if now - sent > 120:
                raise SystemExit("the hint's distance did not show within 120 s")
        return sent, ended, shown

    def settle(self):
        last = None
        while True:
            time.sleep(0.05)
            now = self.counter()
            if now == last and not self.computing():
                return
            last = now


def add_grab(WindowPixels):
    def grab(self, left, top, right, bottom):
        image = self.x11.XGetImage(self.display, self.window, max(0, left), max(0, top),
                                   right - max(0, left), bottom - max(0, top), 0xFFFFFFFF,
                                   self.Z_PIXMAP)
        picture = image.contents
        data = ctypes.string_at(picture.data, picture.bytes_per_line * picture.height)
        self.x11.XDestroyImage(image)
        # Four bytes a pixel, the fourth unused (and not always zero).
        return data[0::4] + data[1::4] + data[2::4]
    WindowPixels.grab = grab


class Bench:
    def __init__(self, options):
        self.options = options
        self.build = os.path.abspath(options.build_dir)
        self.data = os.path.abspath(options.data_dir)
        self.solver = os.path.join(self.build, "cavel-solve")
        self.scores = tempfile.mkdtemp(prefix="cavel-bench-scores-")
        WindowPixels, _ = window_pixels_class()
        add_grab(WindowPixels)

    def start(self, text, metric):
        env = {"LD_PRELOAD": os.path.join(self.build, "libswap60hz.so"),
               "XDG_DATA_HOME": self.scores}
        program = Program(os.path.join(self.build, "cavel"), self.data, extra_env=env,
                          args=["--metric", metric, "layout.txt"], files={"layout.txt": text})
        width, height = next((int(line.split()[1]), int(line.split()[2]))
                             for line in text.splitlines() if line.startswith("size "))
        return program, Screen(program, width, height)

    @staticmethod
    def stop(program, screen):
        screen.close()
        program.kill()
        shutil.rmtree(program.workdir, ignore_errors=True)

    def solution(self, text, metric):
        """cavel-solve's moves: for each, its piece and the direction codes of its cells."""
        out = subprocess.run([self.solver, "--metric", metric, "--moves", "-"], input=text,
                             capture_output=True, text=True, check=True).stdout.splitlines()
        names = list(KEYS)
        return [(int(line.split()[1]), [names.index(word) for word in line.split()[2:]])
                for line in out[2:]]

    @staticmethod
    def select(screen, pieces, selected, piece):
        """Tab or Shift-Tab presses from piece `selected` to piece `piece`."""
        forward = (piece - selected) % pieces
        for _ in range(forward if forward <= pieces - forward else pieces - forward):
            screen.press("Tab", shift=forward > pieces - forward)
            time.sleep(0.03)

    def classic(self):
        text = open(os.path.join(self.data, "puzzles", "classic.txt")).read()
        for metric in METRICS:
            times = {"J": [], "move": [], "Backspace": [], "R": [], "I": [],
                     "I, distance after the move": []}
            for _ in range(self.options.rounds):
                program, screen = self.start(text, metric)
                try:
                    screen.wait(screen.editing, 10)
                    before = screen.counter()
                    sent = screen.press("j")
                    times["J"].append(screen.wait(lambda: screen.counter() != before
                                                  and screen.distance_shown()) - sent)
                    self.play_moves(screen, text, metric, times)
                finally:
                    self.stop(program, screen)
            print("1. classic, %s: " % metric + ", ".join(
                "%s median %.1f ms (slowest %.1f, %d)" % (key, 1000 * statistics.median(value),
                                                           1000 * max(value), len(value))
                for key, value in times.items()), flush=True)

    def play_moves(self, screen, text, metric, times):
        moves = self.solution(text, metric)[:self.options.moves]
        selected = 0
        for piece, cells in moves:
            self.select(screen, 10, selected, piece)
            selected = piece
            screen.settle()
            for direction in cells[:-1]:
                screen.press(KEYS[list(KEYS)[direction]])
                time.sleep(0.03)
            times["move"].append(screen.timed(KEYS[list(KEYS)[cells[-1]]]))
        # Backspace before the start and R past the last move change nothing.
        for _ in range(min(5, len(moves))):
            screen.settle()
            times["Backspace"].append(screen.timed("BackSpace"))
        for _ in range(min(5, len(moves))):
            screen.settle()
            times["R"].append(screen.timed("r"))
        for _ in range(5):
            screen.settle()
            sent, ended, shown = screen.timed_hint()
            times["I"].append(ended - sent)
            # The distance of the hint's end, shown before its move ended: 0.
            times["I, distance after the move"].append(max(0.0, shown - ended))

    def solver_seconds(self, text):
        began = time.perf_counter()
        subprocess.run([self.solver, "--metric", "path", "-"], input=text, capture_output=True,
                       text=True, check=True)
        return time.perf_counter() - began

    def large(self):
        path = os.path.join(self.data, "puzzles", "large", "large8x6-2.txt")
        text = open(path).read()
        moves = self.solution(text, "path")[:self.options.large_moves]
        positions = [text]
        for piece, cells in moves:
            positions.append(moved(positions[-1], piece, cells))
        window = [[] for _ in positions]
        solver = [[] for _ in positions]
        for round_ in range(self.options.rounds):
            if round_ % 2 == 0:
                for k, position in enumerate(positions):
                    solver[k].append(self.solver_seconds(position))
            program, screen = self.start(text, "path")
            try:
                screen.wait(screen.editing, 10)
                before = screen.counter()
                sent = screen.press("j")
                window[0].append(screen.wait(lambda: screen.counter() != before
                                             and screen.distance_shown(), poll=0.02) - sent)
                selected = 0
                pieces = text.count("\npiece")
                for k, (piece, cells) in enumerate(moves, 1):
                    self.select(screen, pieces, selected, piece)
                    selected = piece
                    time.sleep(0.3)
                    for direction in cells[:-1]:
                        screen.press(KEYS[list(KEYS)[direction]])
                        time.sleep(0.03)
                    window[k].append(screen.timed(KEYS[list(KEYS)[cells[-1]]], poll=0.02))
            finally:
                self.stop(program, screen)
            if round_ % 2 == 1:
                for k, position in enumerate(positions):
                    solver[k].append(self.solver_seconds(position))
            print("  round %d: window %s s, cavel-solve %s s" % (
                round_ + 1, " ".join("%.2f" % w[-1] for w in window),
                " ".join("%.2f" % s[-1] for s in solver)), flush=True)
        for k in range(len(positions)):
            w, s = statistics.median(window[k]), statistics.median(solver[k])
            print("2. large8x6-2 in path, %s: window %.2f s, cavel-solve %.2f s (medians of %d), "
                  "ratio %.2f (at most 1.5 wanted)" % ("J" if k == 0 else "after move %d" % k,
                                                      w, s, len(window[k]), w / s), flush=True)


def moved(text, piece, cells):
    """The puzzle file `text` with piece `piece` moved along `cells`."""
    lines, index = [], -1
    for line in text.splitlines():
        if line.startswith("piece"):
            index += 1
            if index == piece:
                shape, x, y = (int(word) for word in line.split()[1:4])
                for direction in cells:
                    x, y = x + STEP[direction][0], y + STEP[direction][1]
                line = "piece %d %d %d" % (shape, x, y)
        lines.append(line)
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir")
    parser.add_argument("data_dir")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--moves", type=int, default=20,
                        help="moves of the classic's solution to time in each round")
    parser.add_argument("--large-moves", type=int, default=3,
                        help="moves of large8x6-2's solution to time in each round")
    parser.add_argument("--figures", default="1,2", help="which figures to take")
    options = parser.parse_args()
    bench = Bench(options)
    wanted = options.figures.split(",")
    if not set(wanted) <= {"1", "2"} or options.rounds < 1 or options.moves < 1:
        parser.error("--figures takes 1, 2 or 1,2; --rounds and --moves at least 1")
    try:
        if "1" in wanted:
            bench.classic()
        if "2" in wanted:
            bench.large()
    finally:
        shutil.rmtree(bench.scores, ignore_errors=True)


if __name__ == "__main__":
    main()
