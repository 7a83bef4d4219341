"""Times two builds of cavel-solve on the same puzzles, taking turns, and
prints the median wall time and peak memory of each, whole process.

usage: python3 tools/bench/compare-solvers.py OLD-SOLVE NEW-SOLVE PUZZLE... [--rounds N]
         [--threads 1,2] [--metric step|line|path]
OLD-SOLVE runs as it is; NEW-SOLVE runs once per thread count, with
--threads. Both count moves in --metric (step by default). The outputs must
agree, or the script says so.

NEW-SOLVE's runs of one round follow each other, so the time on the first
thread count over the time on each other one is also given round by round:
on a shared machine whose load comes and goes, a ratio far from the others
(or above the thread count) marks a round the load upset.
"""

import argparse
import statistics
import subprocess
import time


def run(command):
    """Wall seconds, peak resident kilobytes, positions and standard output of
    a run with --stats."""
    start = time.monotonic()
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command[:1] + ["--stats"] + command[1:],
                          capture_output=True, text=True)
    seconds = time.monotonic() - start
    lines = done.stderr.strip().splitlines()
    positions = next((int(l.split()[1]) for l in lines if l.startswith("positions ")), 0)
    return seconds, int(lines[-1]), positions, done.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("puzzles", nargs="+")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--threads", default="1,2")
    parser.add_argument("--metric", choices=["step", "line", "path"], default="step")
    args = parser.parse_args()
    threads = [int(t) for t in args.threads.split(",")]
    metric = ["--metric", args.metric]
    for puzzle in args.puzzles:
        commands = {"old": [args.old] + metric + [puzzle]}
        for t in threads:
            commands["new, %d thread%s" % (t, "s" if t > 1 else "")] = [
                args.new, "--threads", str(t)] + metric + [puzzle]
        news = [name for name in commands if name != "old"]
        times = {name: [] for name in commands}
        peaks = {name: [] for name in commands}
        positions = {}
        outputs = set()
        for _ in range(args.rounds):
            for name, command in commands.items():
                seconds, peak, count, output = run(command)
                times[name].append(seconds)
                peaks[name].append(peak)
                positions[name] = count
                outputs.add(output)
        print(puzzle + ("" if len(outputs) == 1 else "   OUTPUTS DIFFER"))
        old = statistics.median(times["old"])
        for name in commands:
            median = statistics.median(times[name])
            print("  %-18s %7.2f s  %7.1f MB  %.3f of old  %11d positions  (runs: %s)" % (
                name, median, statistics.median(peaks[name]) / 1024.0, median / old,
                positions[name], " ".join("%.2f" % t for t in times[name])))
        for t, name in zip(threads[1:], news[1:]):
            ratios = [a / b for a, b in zip(times[news[0]], times[name])]
            print("  %d over %d threads, by round: median %.2f (%s)" % (
                threads[0], t, statistics.median(ratios), " ".join("%.2f" % r for r in ratios)))


if __name__ == "__main__":
    main()
