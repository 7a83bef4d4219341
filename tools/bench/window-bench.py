"""Times the window program as a person uses it, on a virtual X display.

Prints three figures:
  1. the search of data/puzzles/random6x5-14.txt in the window, from Return
     to the first frame of the replay, against cavel-solve on the same file,
     the two alternating, with every buffer swap waiting for the next 60 Hz
     tick (libswap60hz.so, preloaded) as on a display with vertical sync;
  2. the processor share of the board size screen left idle (no emulation:
     a virtual display does not sync);
  3. the time from Escape during that search to the first frame of the
     editor, with the 60 Hz emulation.

The layout is typed in with keys; screens are told apart by the pixels of
the window, read straight from the X server every few milliseconds.

usage: python3 tools/bench/window-bench.py BUILD-DIR DATA-DIR [--rounds N]
       [--binary CAVEL] [--figures 1,2,3]
(tools/bench/window-bench.sh builds, then runs it on a display of its own.)
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
from session import Program, choose_size, place_pieces, world_to_pixel  # noqa: E402

PUZZLE = "random6x5-14"


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as they are read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class WindowPixels:
    """The window's pixels as the X server holds them, grabbed in a millisecond."""

    Z_PIXMAP = 2

    def __init__(self, window):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("cannot open the X display")
        self.window = int(window)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    # Maps each byte of a grab to 1 where it is a bright channel.
    BRIGHT = bytes(1 if value >= 128 else 0 for value in range(256))

    def bright(self, x0, y0, x1, y1):
        """Colour channels of 128 or more in the world box (x0, y0)-(x1, y1).

        White text counts three a pixel. Counted in C, so that the polling
        takes next to nothing from the program it watches.
        """
        left, bottom = world_to_pixel(x0, y0)
        right, top = world_to_pixel(x1, y1)
        left, top = max(0, left), max(0, top)
        image = self.x11.XGetImage(self.display, self.window, left, top, right - left,
                                   bottom - top, 0xFFFFFFFF, self.Z_PIXMAP)
        if not image:
            raise SystemExit("cannot read the window's pixels")
        picture = image.contents
        if picture.bits_per_pixel != 32:
            raise SystemExit("expected 32 bits per pixel, got %d" % picture.bits_per_pixel)
        data = ctypes.string_at(picture.data, picture.bytes_per_line * picture.height)
        self.x11.XDestroyImage(image)
        # Four bytes a pixel, the fourth unused (and not always zero); the
        # rows are whole pixels, so every fourth byte is one to leave out.
        bright = data.translate(self.BRIGHT)
        return bright.count(1) - bright[3::4].count(1)

    # The screens, told apart by their lines of text.
    def searching(self):
        # "Calcul solution..." is the only line that starts at x = -5 on row 6.
        return self.bright(-5, 6, -4.1, 7) > 60

    def replaying(self):
        # "Appuyez sur espace." starts at x = -4 on row 6.
        return self.bright(-4, 6, -2, 7) > 300 and not self.searching()

    def editing(self):
        # "Placez les autres pieces..." on row 8; the search writes nothing there.
        return self.bright(-5, 8, 0, 9) > 300 and not self.searching()

    def wait_until(self, shows, timeout, what, poll=0.002):
        """Polls until `shows()` holds; returns when it was seen."""
        deadline = time.perf_counter() + timeout
        while not shows():
            if time.perf_counter() > deadline:
                raise SystemExit("%s did not appear within %s s" % (what, timeout))
            time.sleep(poll)
        return time.perf_counter()


def read_layout(path):
    """The size and the (shape, x, y) pieces of a puzzle file."""
    size, pieces = None, []
    for line in open(path):
        words = line.split("#")[0].split()
        if words and words[0] == "size":
            size = (int(words[1]), int(words[2]))
        elif words and words[0] == "piece":
            pieces.append(tuple(int(word) for word in words[1:4]))
    return size, pieces


def press(name, up=True):
    subprocess.run(["xdotool", "keydown", name], check=True)
    pressed = time.perf_counter()
    if up:
        time.sleep(0.05)
        subprocess.run(["xdotool", "keyup", name], check=True)
    return pressed


class Bench:
    def __init__(self, options):
        self.options = options
        self.build = os.path.abspath(options.build_dir)
        self.data = os.path.abspath(options.data_dir)
        self.binary = os.path.abspath(options.binary or os.path.join(self.build, "cavel"))
        self.swap = os.path.join(self.build, "libswap60hz.so")
        self.puzzle = os.path.join(self.data, "puzzles", PUZZLE + ".txt")
        self.expected = open(os.path.join(self.data, "puzzles", PUZZLE + ".expected")).read()

    def start(self, synced):
        env = {"LD_PRELOAD": self.swap} if synced else {}
        program = Program(self.binary, self.data, extra_env=env)
        return program, WindowPixels(program.window)

    @staticmethod
    def stop(program, pixels):
        pixels.close()
        program.kill()
        shutil.rmtree(program.workdir, ignore_errors=True)

    def enter_layout(self, program, pixels):
        (width, height), pieces = read_layout(self.puzzle)
        choose_size(program, width, height)
        place_pieces(program, pieces)
        pixels.wait_until(pixels.editing, 10, "the editor")

    def solver_seconds(self):
        began = time.perf_counter()
        done = subprocess.run([os.path.join(self.build, "cavel-solve"), self.puzzle],
                              capture_output=True, text=True)
        seconds = time.perf_counter() - began
        if done.stdout != self.expected:
            raise SystemExit("cavel-solve gave a wrong answer:\n" + done.stdout)
        return seconds

    def window_seconds(self):
        program, pixels = self.start(synced=True)
        try:
            self.enter_layout(program, pixels)
            pressed = press("Return")
            # Every 20 ms: a fine enough grain for seconds, and a load light
            # enough not to slow the search it watches.
            shown = pixels.wait_until(pixels.replaying, 600, "the replay", poll=0.02)
            return shown - pressed
        finally:
            self.stop(program, pixels)

    def search_against_solver(self):
        window, solver = [], []
        for round_ in range(self.options.rounds):
            # Alternate which goes first, so that neither always meets the
            # machine in the same state.
            if round_ % 2 == 0:
                solver.append(self.solver_seconds())
                window.append(self.window_seconds())
            else:
                window.append(self.window_seconds())
                solver.append(self.solver_seconds())
            print("  round %d: window %.2f s, cavel-solve %.2f s" % (round_ + 1, window[-1],
                                                                      solver[-1]), flush=True)
        ratio = statistics.median(window) / statistics.median(solver)
        print("1. search of %s: window %.2f s, cavel-solve %.2f s (medians of %d), "
              "ratio %.2f (at most 1.1 wanted)" % (PUZZLE, statistics.median(window),
                                                   statistics.median(solver), len(window), ratio))

    def idle_share(self):
        program, pixels = self.start(synced=False)
        try:
            program.pause(1.0)
            used, began = program.cpu_seconds(), time.perf_counter()
            program.pause(self.options.idle_seconds)
            share = (program.cpu_seconds() - used) / (time.perf_counter() - began)
        finally:
            self.stop(program, pixels)
        print("2. idle board size screen: %.1f %% of a core over %.0f s (under 5 %% wanted)"
              % (100 * share, self.options.idle_seconds))

    def escape_to_editor(self):
        program, pixels = self.start(synced=True)
        times = []
        try:
            self.enter_layout(program, pixels)
            for _ in range(self.options.rounds):
                press("Return")
                pixels.wait_until(pixels.searching, 10, "the search screen")
                # Well inside the search, which takes about a second.
                program.pause(0.3)
                if not pixels.searching():
                    raise SystemExit("the search ended before Escape: time a longer one")
                pressed = press("Escape", up=False)
                times.append(pixels.wait_until(pixels.editing, 10, "the editor") - pressed)
                subprocess.run(["xdotool", "keyup", "Escape"], check=True)
                program.pause(0.2)
                if not program.running():
                    raise SystemExit("the program ended after Escape")
        finally:
            self.stop(program, pixels)
        print("3. Escape during the search to the editor: median %.3f s, slowest %.3f s "
              "(%d stops; at most 0.2 s wanted)" % (statistics.median(times), max(times),
                                                    len(times)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir")
    parser.add_argument("data_dir")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--idle-seconds", type=float, default=10.0)
    parser.add_argument("--binary", help="the window program to time (default BUILD-DIR/cavel)")
    parser.add_argument("--figures", default="1,2,3", help="which figures to take")
    options = parser.parse_args()
    bench = Bench(options)
    print("window program: %s" % bench.binary, flush=True)
    wanted = options.figures.split(",")
    if "1" in wanted:
        bench.search_against_solver()
    if "2" in wanted:
        bench.idle_share()
    if "3" in wanted:
        bench.escape_to_editor()


if __name__ == "__main__":
    main()
