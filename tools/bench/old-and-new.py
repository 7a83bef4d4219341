"""Times an old and a new build of cavel-solve in turn on the large layouts in
every metric and on the analysis of a whole set, and prints the README's
benchmark table: medians, their ratio, peak memory and positions.

usage: python3 tools/bench/old-and-new.py OLD-SOLVE NEW-SOLVE [--rounds N] [--threads T]
         [--metrics step,line,path] [--puzzles FILE...] [--analyze FILE...]
By default the puzzles are data/puzzles/large/large8x6-*.txt and
data/puzzles/random6x5-14.txt, searched in each metric, and the analysis is
that of data/puzzles/random6x5-0.txt in step and path. Every round runs each
job once with each build, old and new first in turn, so that a load that
comes and goes falls on both. The outputs must be the same in every round,
or the table says so. Per metric, the sums of the medians of the runs that
took the old build over a second are given too.
"""

import argparse
import glob
import os
import statistics
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def run(solver, arguments):
    """Wall seconds, peak resident megabytes, positions and standard output."""
    start = time.monotonic()
    done = subprocess.run(["/usr/bin/time", "-f", "%M", solver, "--stats"] + arguments,
                          capture_output=True, text=True)
    seconds = time.monotonic() - start
    lines = done.stderr.strip().splitlines()
    positions = next((int(l.split()[1]) for l in lines if l.startswith("positions ")), 0)
    return seconds, int(lines[-1]) / 1024.0, positions, (done.returncode, done.stdout)


def jobs_of(args):
    """(label, metric, arguments) for every job, in the order of the table."""
    jobs = []
    for puzzle in args.puzzles:
        for metric in args.metrics:
            jobs.append((os.path.basename(puzzle), metric, ["--metric", metric, puzzle]))
    for puzzle in args.analyze:
        for metric in ("step", "path"):
            label = "--analyze " + os.path.basename(puzzle)
            jobs.append((label, metric, ["--analyze", "--metric", metric, puzzle]))
    return jobs


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--metrics", default="step,line,path")
    parser.add_argument("--puzzles", nargs="*", default=sorted(
        glob.glob(os.path.join(ROOT, "data/puzzles/large/large8x6-*.txt"))) +
        [os.path.join(ROOT, "data/puzzles/random6x5-14.txt")])
    parser.add_argument("--analyze", nargs="*",
                        default=[os.path.join(ROOT, "data/puzzles/random6x5-0.txt")])
    args = parser.parse_args()
    args.metrics = args.metrics.split(",")
    jobs = jobs_of(args)
    builds = {"old": args.old, "new": args.new}
    times = {(j, b): [] for j in range(len(jobs)) for b in builds}
    peaks = {(j, b): [] for j in range(len(jobs)) for b in builds}
    positions = {}
    outputs = {j: set() for j in range(len(jobs))}
    for r in range(args.rounds):
        for j, (label, metric, arguments) in enumerate(jobs):
            order = ["old", "new"] if (r + j) % 2 == 0 else ["new", "old"]
            for b in order:
                seconds, peak, count, output = run(
                    builds[b], ["--threads", str(args.threads)] + arguments)
                times[(j, b)].append(seconds)
                peaks[(j, b)].append(peak)
                positions[(j, b)] = count
                outputs[j].add(output)
    print("| puzzle | metric | old | new | new / old | memory old, new | positions | "
          "ratio by round |")
    print("|---|---|---|---|---|---|---|---|")
    sums = {}
    for j, (label, metric, _) in enumerate(jobs):
        old, new = (statistics.median(times[(j, b)]) for b in builds)
        rounds = " ".join("%.2f" % (n / o) for o, n in zip(times[(j, "old")], times[(j, "new")]))
        same = "" if len(outputs[j]) == 1 else " OUTPUTS DIFFER"
        print("| `%s` | %s | %.2f s | %.2f s | %.3f%s | %.1f, %.1f MB | %.2f M | %s |" % (
            label, metric, old, new, new / old, same, statistics.median(peaks[(j, "old")]),
            statistics.median(peaks[(j, "new")]), positions[(j, "new")] / 1e6, rounds))
        if old > 1.0 and not label.startswith("--analyze"):
            total = sums.setdefault(metric, [0.0, 0.0])
            total[0] += old
            total[1] += new
    for metric, (old, new) in sums.items():
        print("\nsum of the searches over 1 s in %s: old %.2f s, new %.2f s, new / old %.3f" % (
            metric, old, new, new / old))


if __name__ == "__main__":
    main()
