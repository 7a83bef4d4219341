"""What the play screen's end-to-end scripts share: its lines read by their
pixels, saved positions checked with cavel-solve, and moves typed in."""

import os
import subprocess
import tempfile

from common import BUILD_DIR, DATA_DIR, start, text_pixels

SOLVER = os.path.join(BUILD_DIR, "cavel-solve")
CLASSIC = open(os.path.join(DATA_DIR, "puzzles", "classic.txt")).read()
PUBLISHED = {"step": 116, "line": 90, "path": 81}
# Piece 0 alone on a 4 by 3 board: right, right, up (two moves in line).
SQUARE_ONLY = "size 4 3\npiece 0 0 0\n"


# The line above the board: "Calcul..." ends by x = 2.2, "Sortie en N
# coups" reaches past x = 3 and stops before x = 10.3, "Bravo ! K coups (au
# mieux N)" runs on to the window's edge.
def computing(shot):
    return text_pixels(shot, -5, 6, -3, 7) > 50 and text_pixels(shot, 2.5, 6, 11.2, 7) == 0


def distance_shown(shot):
    return text_pixels(shot, 3, 6, 6, 7) > 50 and text_pixels(shot, 10.4, 6, 11.2, 7) == 0


def bravo(shot):
    return text_pixels(shot, -5, 6, -3, 7) > 50 and text_pixels(shot, 10.4, 6, 11.2, 7) > 10


# The line above it: "Record !" ends by x = 0.6, "Meilleur : N coups" runs
# on past x = 2.
def best_shown(shot):
    return text_pixels(shot, 2, 7, 6, 7.8) > 30


def record_shown(shot):
    return text_pixels(shot, -5, 7, 0, 7.8) > 30 and text_pixels(shot, 2, 7, 11.2, 7.8) == 0


def open_layout(text=CLASSIC, metric="step", scores=None, wait=True, **options):
    """The program on `text`, play started with J, by default once its
    distance shows; its scores in the folder `scores`, by default a new one
    of its own."""
    env = {"XDG_DATA_HOME": scores or tempfile.mkdtemp(prefix="cavel-scores-")}
    env.update(options.pop("extra_env", {}))
    p = start(args=["--metric", metric, "layout.txt"], files={"layout.txt": text},
              extra_env=env, **options)
    try:
        p.key("j")
        if wait:
            p.wait_for_screen(lambda shot: distance_shown(shot) or bravo(shot), 30,
                              "the play screen's distance")
    except BaseException:
        p.kill()
        raise
    return p


def settled(p, what="a settled screen"):
    """Waits until two screenshots a moment apart are the same."""
    last = [None]

    def same(shot):
        was, last[0] = last[0], shot.area(-5.2, -3.2, 11.2, 9.2)
        return was == last[0]
    return p.wait_for_screen(same, 60, what)


def solve(p, name, metric):
    """cavel-solve's move count for file `name` of the program's folder."""
    out = subprocess.run([SOLVER, "--metric", metric, os.path.join(p.rundir, name)],
                         capture_output=True, text=True).stdout
    return int(out.split()[1])


def save(p):
    """S, then the name of the file it wrote."""
    before = set(p.files("puzzle-*.txt"))
    p.key("s")
    p.pause(0.3)
    added = sorted(set(p.files("puzzle-*.txt")) - before)
    assert len(added) == 1, "S wrote %s" % added
    return added[0]


def pieces_of(text):
    """The (shape, x, y) of each piece line of a puzzle file."""
    return [tuple(int(w) for w in line.split()[1:4]) for line in text.splitlines()
            if line.startswith("piece")]


def layout_code(text):
    done = subprocess.run([SOLVER, "--code", "-"], input=text, capture_output=True, text=True)
    return done.stdout.strip()


DIRECTIONS = {"right": "Right", "left": "Left", "up": "Up", "down": "Down"}


def play_solution(p, text, metric, count=None):
    """Plays cavel-solve's solution with Tab, Shift-Tab and the arrows, the
    first `count` moves of it (all by default); returns the moves played."""
    out = subprocess.run([SOLVER, "--metric", metric, "--moves", "-"], input=text,
                         capture_output=True, text=True).stdout.splitlines()
    moves = [line.split()[1:] for line in out[2:]]
    pieces = len(pieces_of(text))
    selected = 0
    for piece, *cells in moves[:count]:
        piece = int(piece)
        forward = (piece - selected) % pieces
        if forward <= pieces - forward:
            p.key("Tab", forward)
        else:
            p.key("shift+Tab", pieces - forward)
        selected = piece
        for cell in cells:
            p.key(DIRECTIONS[cell])
    return moves[:count]
