"""Draws random 8 by 6 layouts and keeps those whose search reaches a wanted
number of positions: benchmark puzzles for the solver.

usage: python3 tools/bench/make-big-puzzles.py CAVEL-SOLVE OUT-DIR COUNT [MIN-M MAX-M] [SEED]
Writes OUT-DIR/big8x6-N.txt with the position count in a comment. Each
candidate is searched with `cavel-solve --stats` under a memory budget that
stops layouts far beyond MAX-M million positions early: 600 MB, or 12 MB a
million positions of MAX-M when that is less.
"""

import os
import random
import subprocess
import sys

# Mostly small shapes, as in the wooden puzzles: cells, bars, corners.
WEIGHTS = {1: 8, 2: 4, 3: 4, 4: 2, 14: 2, 8: 1, 9: 1, 10: 1, 11: 1, 0: 1, 6: 1, 12: 1, 15: 1}
CELLS = {0: [(0, 0), (1, 0), (0, 1), (1, 1)], 1: [(0, 0)], 2: [(0, 0), (1, 0)],
         3: [(0, 0), (0, 1)], 4: [(0, 0), (0, 1), (0, 2)], 14: [(0, 0), (1, 0), (2, 0)],
         8: [(0, 0), (1, 0), (0, 1)], 9: [(1, 1), (1, 0), (0, 1)], 10: [(1, 1), (0, 0), (0, 1)],
         11: [(1, 1), (0, 0), (1, 0)], 6: [(0, 0), (1, 0), (2, 0), (1, 1)],
         12: [(0, 0), (1, 0), (1, 1), (2, 1)], 15: [(0, 0), (0, 1), (1, 1), (1, 2)]}
WIDTH, HEIGHT = 8, 6


def layout(rng, pieces):
    taken = set()
    placed = []

    def place(shape):
        for _ in range(200):
            x, y = rng.randrange(WIDTH), rng.randrange(HEIGHT)
            cells = [(x + dx, y + dy) for dx, dy in CELLS[shape]]
            if all(0 <= cx < WIDTH and 0 <= cy < HEIGHT and (cx, cy) not in taken
                   for cx, cy in cells):
                taken.update(cells)
                placed.append((shape, x, y))
                return True
        return False

    place(0)
    shapes = [s for s, w in WEIGHTS.items() for _ in range(w)]
    while len(placed) < pieces:
        if not place(rng.choice(shapes)):
            return None
    return placed


def positions(solver, text, budget):
    run = subprocess.run([solver, "--stats", "--threads", "2", "--max-memory", str(budget), "-"], input=text,
                         capture_output=True, text=True)
    for line in run.stderr.splitlines():
        if line.startswith("positions "):
            return int(line.split()[1]), run.returncode
    return 0, run.returncode


def main():
    usage = __doc__.split("\n\n")[1].split("\n")[0]
    arguments = sys.argv[1:]
    if arguments in (["--help"], ["-h"]):
        print(__doc__)
        return
    if len(arguments) not in (3, 5, 6) or any(a.startswith("-") for a in arguments):
        print(usage, file=sys.stderr)
        sys.exit(2)
    try:
        solver, out_dir, count = arguments[0], arguments[1], int(arguments[2])
        low = float(arguments[3]) * 1e6 if len(arguments) > 3 else 40e6
        high = float(arguments[4]) * 1e6 if len(arguments) > 4 else 65e6
        rng = random.Random(int(arguments[5]) if len(arguments) > 5 else 1)
    except ValueError:
        print(usage, file=sys.stderr)
        sys.exit(2)
    os.makedirs(out_dir, exist_ok=True)
    found = 0
    while found < count:
        pieces = layout(rng, rng.choice([17, 18, 19, 20]))
        if pieces is None:
            continue
        text = "size %d %d\n" % (WIDTH, HEIGHT) + "".join("piece %d %d %d\n" % p for p in pieces)
        n, status = positions(solver, text, min(600, max(100, int(12 * high / 1e6))))
        print("%d positions, status %d" % (n, status), flush=True)
        if low <= n <= high and status in (0, 1):
            path = os.path.join(out_dir, "big8x6-%d.txt" % found)
            with open(path, "w") as f:
                f.write("# %d positions\n" % n + text)
            print("kept", path, flush=True)
            found += 1


if __name__ == "__main__":
    main()
