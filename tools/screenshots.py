"""Takes the README's screenshots of every screen of the real program.

usage: xvfb-run -a -s "-screen 0 640x480x24 -noreset" python3 tools/screenshots.py BUILD-DIR DATA-DIR OUT-DIR
(tools/make-screenshots.sh runs it so.)
"""

import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from session import Program, choose_size, place_pieces  # noqa: E402

if sys.argv[1:] in (["--help"], ["-h"]):
    print(__doc__)
    sys.exit(0)
if len(sys.argv) != 4 or any(a.startswith("-") for a in sys.argv[1:]):
    print(__doc__.split("\n\n")[1].split("\n")[0], file=sys.stderr)
    sys.exit(2)
build_dir, data_dir, out_dir = sys.argv[1:4]
binary = os.path.abspath(os.path.join(build_dir, "cavel"))
os.makedirs(out_dir, exist_ok=True)

LONG_SEARCH = [(0, 0, 1), (3, 5, 2), (3, 5, 0), (10, 3, 2), (2, 1, 4), (2, 0, 0), (1, 4, 2),
               (2, 0, 3), (9, 2, 0), (1, 5, 4), (1, 4, 1), (1, 4, 4), (3, 2, 2)]


def save(program, name, settle=0.3):
    shot = program.screenshot(name, settle=settle)
    shutil.copy(shot.path, os.path.join(out_dir, name + ".png"))


def solving(width, height, pieces):
    """A new program with the pieces laid out on a width by height board and Return pressed."""
    program = Program(binary, data_dir)
    choose_size(program, width, height)
    place_pieces(program, pieces)
    program.key("Return")
    return program


# Board size, editor and a refusal.
p = Program(binary, data_dir)
save(p, "1-board-size")
choose_size(p, 6, 5)
save(p, "2-editor-first-piece")
place_pieces(p, [(0, 0, 1), (3, 5, 2), (3, 5, 0), (10, 3, 2), (2, 1, 4)])
p.keys("o", "o", "o")
p.key("Right", 2)
save(p, "3-editor-other-pieces")
p.key("Left", 2)
p.keys("p", "p", "p")
p.key("Right", 2)
p.key("Up", 2)
p.key("space")
save(p, "4-editor-refused", settle=0.1)
p.kill()

# The classic opened from its file and saved again, then solved and replayed
# a few moves in, its moves counted by the path: pieces of one colour side by
# side, and the exit.
with open(os.path.join(data_dir, "puzzles", "classic.txt")) as f:
    classic = f.read()
p = Program(binary, data_dir, args=["--metric", "path", "classic.txt"],
            files={"classic.txt": classic})
p.key("s")
save(p, "9-file-saved", settle=0.2)
p.key("Return")
p.pause(2)
p.key("space", 10)
save(p, "5-replay")
p.kill()

p = solving(4, 3, [(0, 0, 0), (1, 3, 0)])
p.key("space", 3)
save(p, "6-replay-end")
p.kill()

p = solving(6, 5, LONG_SEARCH)
save(p, "7-searching", settle=0.6)
p.kill()

p = solving(6, 2, [(0, 0, 0), (1, 3, 0)])
save(p, "8-failure")
p.kill()

# A 10 by 8 board, its top row clear of the lines above it, in the editor
# and in the replay.
TALL = ("size 10 8\npiece 0 0 2\npiece 14 0 7\npiece 14 3 0\npiece 4 6 4\npiece 2 7 7\n"
        "piece 3 9 5\npiece 1 4 5\n")
p = Program(binary, data_dir, args=["tall.txt"], files={"tall.txt": TALL})
p.key("Up", 7)
p.key("Right", 4)
save(p, "10-tall-editor")
p.key("Return")
p.pause(1)
p.key("space", 3)
save(p, "11-tall-replay")
p.kill()

# Piece 0's dot, beside two more squares of its white, on the failure screen.
p = solving(6, 3, [(0, 0, 1), (0, 2, 0), (0, 4, 1), (2, 2, 2)])
save(p, "12-square-mark")
p.kill()

# The list of the collection (L on the board size screen), scrolled and
# counted by the path; then the puzzle chosen, in the editor.
p = Program(binary, data_dir)
p.key("l")
save(p, "13-collection")
p.key("Down", 13)
p.key("m", 2)
save(p, "14-collection-scrolled")
p.key("Return")
save(p, "15-collection-opened")
p.kill()

# The play screen, its scores in a folder of its own: the classic with one
# piece moved, then two hints; a small layout played to its end, a record;
# a 10 by 8 board with a piece moved while the engine works.
scores = {"XDG_DATA_HOME": tempfile.mkdtemp(prefix="cavel-screenshot-scores-")}
p = Program(binary, data_dir, args=["classic.txt"], files={"classic.txt": classic},
            extra_env=scores)
p.key("j")
p.keys("Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Right")
save(p, "16-play", settle=0.6)
p.keys("i", "i")
save(p, "17-play-hint", settle=0.6)
p.kill()

p = Program(binary, data_dir, args=["small.txt"],
            files={"small.txt": "size 4 3\npiece 0 0 0\npiece 1 3 0\n"}, extra_env=scores)
p.key("j")
p.keys("Up", "Right", "Right")
save(p, "18-play-end", settle=0.6)
p.kill()

with open(os.path.join(data_dir, "puzzles", "large", "large10x8-1.txt")) as f:
    crowded = f.read()
p = Program(binary, data_dir, args=["--metric", "path", "crowded.txt"],
            files={"crowded.txt": crowded}, extra_env=scores)
p.key("j")
p.key("shift+Tab", 5)  # piece 30, a single cell at (6, 0), right into the free (7, 0)
p.key("Right")
save(p, "19-play-tall", settle=0.3)
p.kill()
shutil.rmtree(scores["XDG_DATA_HOME"], ignore_errors=True)
