"""Times two builds of cavel-solve on the same puzzles, taking turns, and
prints the median wall time and peak memory of each, whole process.

usage: python3 tools/bench/compare-solvers.py OLD-SOLVE NEW-SOLVE PUZZLE... [--rounds N]
         [--threads 1,2] [--steady TRIES]
OLD-SOLVE runs as it is; NEW-SOLVE runs once per thread count, with
--threads. The outputs must agree, or the script says so.

On a shared machine a core may run at a fraction of its speed for minutes,
and a run on several threads then gains less than it can. With --steady,
NEW-SOLVE's runs of a round count only when a plain loop ran at full speed
on every core just before and just after them; they are tried again, up to
TRIES times, and the runs of the last try count otherwise. The script says
how many rounds were steady, and gives for each the time on one thread
over the time on the others.
"""

import argparse
import os
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


class Cores:
    """How fast a plain loop runs on each core, against the fastest seen."""

    LOOP = "import time\ns = time.perf_counter()\nfor i in range(3000000): pass\n" \
           "print(time.perf_counter() - s)"

    def __init__(self):
        self.cores = sorted(os.sched_getaffinity(0))
        self.best = [float("inf")] * len(self.cores)
        for _ in range(3):
            self.steady()

    def steady(self):
        """Whether every core ran the loop within 10 % of its best time, the
        loops running on all cores at once."""
        loops = [subprocess.Popen(["python3", "-c", self.LOOP], stdout=subprocess.PIPE, text=True,
                                  preexec_fn=lambda core=core: os.sched_setaffinity(0, {core}))
                 for core in self.cores]
        seconds = [float(loop.communicate()[0]) for loop in loops]
        self.best = [min(b, s) for b, s in zip(self.best, seconds)]
        return all(s <= 1.1 * b for s, b in zip(seconds, self.best))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("puzzles", nargs="+")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--threads", default="1,2")
    parser.add_argument("--steady", type=int, default=0, metavar="TRIES")
    args = parser.parse_args()
    threads = [int(t) for t in args.threads.split(",")]
    cores = Cores() if args.steady > 0 else None
    for puzzle in args.puzzles:
        commands = {"old": [args.old, puzzle]}
        for t in threads:
            commands["new, %d thread%s" % (t, "s" if t > 1 else "")] = [
                args.new, "--threads", str(t), puzzle]
        news = [name for name in commands if name != "old"]
        times = {name: [] for name in commands}
        peaks = {name: [] for name in commands}
        positions = {}
        outputs = set()
        steadyRounds = 0

        def record(name, result):
            seconds, peak, count, output = result
            times[name].append(seconds)
            peaks[name].append(peak)
            positions[name] = count
            outputs.add(output)

        for _ in range(args.rounds):
            record("old", run(commands["old"]))
            for attempt in range(max(args.steady, 1)):
                last = attempt + 1 >= args.steady
                if cores and not cores.steady() and not last:
                    time.sleep(2)
                    continue
                results = {name: run(commands[name]) for name in news}
                if not cores or cores.steady():
                    steadyRounds += 1
                    break
                if last:
                    break
                time.sleep(2)
            for name in news:
                record(name, results[name])
        print(puzzle + ("" if len(outputs) == 1 else "   OUTPUTS DIFFER"))
        old = statistics.median(times["old"])
        for name in commands:
            median = statistics.median(times[name])
            print("  %-18s %7.2f s  %7.1f MB  %.3f of old  %11d positions  (runs: %s)" % (
                name, median, statistics.median(peaks[name]) / 1024.0, median / old,
                positions[name], " ".join("%.2f" % t for t in times[name])))
        if cores:
            print("  steady in %d of %d rounds" % (steadyRounds, args.rounds))
            for t, name in zip(threads[1:], news[1:]):
                ratios = [a / b for a, b in zip(times[news[0]], times[name])]
                print("  %d over %d threads, by round: median %.2f (%s)" % (
                    threads[0], t, statistics.median(ratios),
                    " ".join("%.2f" % r for r in ratios)))


if __name__ == "__main__":
    main()
