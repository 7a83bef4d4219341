"""Drives the real program under an X display: keys, screenshots, pixels.

Each test script runs under its own virtual display (see run-e2e.sh), so the
keyboard focus belongs to the program under test alone.
"""

import glob
import os
import re
import shutil
import subprocess
import tempfile
import time

# How many times slower the program runs under the build's sanitizer (set by
# the sanitized builds' tests), by which every wait and timing limit grows.
SLOWDOWN = {"thread": 10, "address": 4}.get(os.environ.get("CAVEL_SANITIZE", ""), 1)

# Where the camera puts the board plane in the 400 by 300 window, for boards
# of up to six rows.
LEFT_X, TOP_Y, PIXELS_PER_UNIT = -5.2843, 9.2132, 24.142


def view_of(rows):
    """(LEFT_X, TOP_Y, PIXELS_PER_UNIT) for a board of `rows` rows.

    Above six rows the lines over the board rise with its top edge, and the
    view reaches from the fixed view's margin below the counters at y = -2
    to as much above the raised top line, at y = 9 + rows - 6, pulling back
    only where the window's 300 pixels cannot hold that at the fixed scale.
    """
    if rows <= 6:
        return LEFT_X, TOP_Y, PIXELS_PER_UNIT
    margin = TOP_Y - 9
    top, bottom = 9 + (rows - 6) + margin, -2 - margin
    scale = min(PIXELS_PER_UNIT, 300 / (top - bottom))
    return 3 - 200 / scale, (top + bottom) / 2 + 150 / scale, scale


def world_to_pixel(x, y, rows=6):
    left, top, scale = view_of(rows)
    return int((x - left) * scale), int((top - y) * scale)


def cell_centre(cx, cy, rows=6):
    return world_to_pixel(cx + 0.5, cy + 0.5, rows)


class Screenshot:
    def __init__(self, path):
        data = subprocess.run(["convert", path, "ppm:-"], check=True,
                              capture_output=True).stdout
        # Binary PPM: "P6", width, height, maximum, one blank, then RGB bytes.
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]
        self.path = path

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def cell(self, cx, cy, rows=6):
        return self.pixel(*cell_centre(cx, cy, rows))

    def area(self, x0, y0, x1, y1, rows=6):
        """The raw pixels of the world box (x0, y0)-(x1, y1), for comparing shots."""
        left, bottom = world_to_pixel(x0, y0, rows)
        right, top = world_to_pixel(x1, y1, rows)
        rows = [self.pixels[3 * (y * self.width + left):3 * (y * self.width + right)]
                for y in range(max(0, top), min(self.height, bottom))]
        return b"".join(rows)

    def bright_pixels(self, x0, y0, x1, y1, threshold=128):
        count = 0
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                if max(self.pixel(x, y)) >= threshold:
                    count += 1
        return count


class Program:
    """The cavel binary started in a folder of its own with the font atlas.

    `args` go on its command line; `files` (name: text) are written into the
    folder first. With `read_only` the program runs in a folder inside it
    that it cannot write into, even when the tests run as root.
    `other_windows` are the windows of programs still running, which its own
    window is told apart from.
    """

    def __init__(self, binary, data_dir, extra_env=None, wrapper=None, args=(), files=None,
                 read_only=False, other_windows=()):
        self.workdir = tempfile.mkdtemp(prefix="cavel-e2e-")
        # Where the program runs; screenshots and its output stay in workdir.
        self.rundir = os.path.join(self.workdir, "run") if read_only else self.workdir
        os.makedirs(self.rundir, exist_ok=True)
        shutil.copy(os.path.join(data_dir, "font.bmp"), self.rundir)
        for name, text in (files or {}).items():
            with open(os.path.join(self.rundir, name), "w") as f:
                f.write(text)
        env = dict(os.environ)
        env.update(extra_env or {})
        self.stdout_path = os.path.join(self.workdir, "stdout.txt")
        self.stderr_path = os.path.join(self.workdir, "stderr.txt")
        command = (wrapper or []) + [binary] + list(args)
        if read_only:
            os.chmod(self.rundir, 0o555)
            command = without_file_override() + command
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.process = subprocess.Popen(command, cwd=self.rundir, env=env,
                                            stdout=out, stderr=err)
        self.window = self._find_window(other_windows)
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], check=False)
        self.pause(0.3)
        self.shots = 0
        self._wait_for_first_frame()

    def _wait_for_first_frame(self, timeout=30.0):
        """Returns once the window shows anything but black, or the program
        has ended. Before its first frame a busy program may not read keys
        yet: a key's press and release would come in one pump and go unseen,
        and a screenshot would show nothing."""
        path = os.path.join(self.workdir, "first-frame.png")
        deadline = time.time() + timeout
        while time.time() < deadline and self.running():
            taken = subprocess.run(["import", "-window", self.window, path],
                                   capture_output=True, timeout=30)
            if taken.returncode == 0 and any(Screenshot(path).pixels):
                return
            time.sleep(0.05)

    def _find_window(self, other_windows, timeout=30.0):
        deadline = time.time() + timeout * SLOWDOWN
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise AssertionError("program ended before its window appeared: "
                                     + open(self.stderr_path).read())
            found = subprocess.run(["xdotool", "search", "--name", "^Cavel"],
                                   capture_output=True, text=True).stdout.split()
            found = [window for window in found if window not in other_windows]
            if found:
                return found[0]
            time.sleep(0.1)
        stack = "(no gdb for a backtrace)"
        if shutil.which("gdb"):
            stack = subprocess.run(["gdb", "-p", str(self.process.pid), "-batch", "-ex", "bt 30"],
                                   capture_output=True, text=True).stdout
        windows = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True,
                                 text=True)
        raise AssertionError("no window appeared: %s\n%s\nwindows: %s %s" % (
            open(self.stderr_path).read(), stack, windows.stdout, windows.stderr))

    @staticmethod
    def pause(seconds=0.1):
        time.sleep(seconds)

    def key(self, name, times=1, hold=0.06):
        """Presses and releases a key, held across several frames."""
        for _ in range(times):
            subprocess.run(["xdotool", "keydown", name], check=True)
            time.sleep(hold)
            subprocess.run(["xdotool", "keyup", name], check=True)
            time.sleep(hold)

    def keys(self, *names):
        for name in names:
            self.key(name)

    def short_presses(self, *names, hold=0.02):
        """Presses each key for `hold` seconds, as briskly as a person types.

        One xdotool run times the holds itself, so each is `hold` and no more.
        """
        chain = []
        for name in names:
            chain += ["keydown", name, "sleep", str(hold), "keyup", name, "sleep", str(hold)]
        subprocess.run(["xdotool"] + chain, check=True)

    def cpu_seconds(self):
        """Processor time the program has used so far, all its threads."""
        fields = open("/proc/%d/stat" % self.process.pid).read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def wait_for_screen(self, shows, timeout=60.0, what="the screen"):
        """Takes screenshots until `shows(shot)` holds; returns that shot.

        Records in `slowest_round` the longest one round of screenshot and
        check took, the reference for limits on when the screen appeared.
        """
        deadline = time.time() + timeout * SLOWDOWN
        self.slowest_round = 0.0
        while True:
            began = time.time()
            shot = self.screenshot(settle=0.1)
            self.slowest_round = max(self.slowest_round, time.time() - began)
            if shows(shot):
                return shot
            if time.time() > deadline or not self.running():
                raise AssertionError("%s did not appear within %s s (last: %s)"
                                     % (what, timeout, shot.path))

    def screenshot(self, name=None, settle=0.25):
        time.sleep(settle)
        self.shots += 1
        path = os.path.join(self.workdir, (name or "shot%d" % self.shots) + ".png")
        # import waits for ever on a window that has gone: bound it.
        subprocess.run(["import", "-window", self.window, path], check=True,
                       capture_output=True, timeout=30)
        keep = os.environ.get("CAVEL_SHOTS")
        if keep:
            os.makedirs(keep, exist_ok=True)
            shutil.copy(path, keep)
        return Screenshot(path)

    def wait(self, timeout=30.0):
        timeout *= SLOWDOWN
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError("program did not end within %s s" % timeout)

    def running(self):
        return self.process.poll() is None

    def stdout(self):
        return open(self.stdout_path, "rb").read()

    def stderr(self):
        return open(self.stderr_path, "rb").read()

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()

    def files(self, pattern):
        """The names in the program's folder that match the glob `pattern`."""
        return sorted(os.path.basename(path)
                      for path in glob.glob(os.path.join(self.rundir, pattern)))

    def read(self, name):
        with open(os.path.join(self.rundir, name)) as f:
            return f.read()


def without_file_override():
    """A command prefix under which root, too, obeys file permissions.

    Root passes over them through two capabilities; dropped from the bounding
    set, the program started next does not get them back.
    """
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--bounding-set=-dac_override,-dac_read_search"]


def send_close_request(program, tool):
    """What a window manager's close button sends: WM_DELETE_WINDOW."""
    subprocess.run([tool, program.window], check=True)


def shape_keys(current, target):
    """The O or P presses that turn shape `current` into shape `target`."""
    forward = (target - current) % 19
    return ["o"] * forward if forward <= 19 - forward else ["p"] * (19 - forward)


def choose_size(program, width, height):
    """From the 6 by 5 of start-up to width by height, then Return."""
    horizontal = "Right" if width > 6 else "Left"
    vertical = "Up" if height > 5 else "Down"
    program.key(horizontal, abs(width - 6))
    program.key(vertical, abs(height - 5))
    program.key("Return")


def place_pieces(program, pieces):
    """Places (shape, x, y) pieces in order; the first must be the square."""
    current = 0
    for shape, x, y in pieces:
        if shape != current:
            program.keys(*shape_keys(current, shape))
            current = shape
        program.key("Right", x)
        program.key("Up", y)
        program.key("space")
