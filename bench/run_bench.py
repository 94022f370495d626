#!/usr/bin/env python3
"""Benchmark vellum against GNU diff, cmp, cat and a plain lockstep loop.

Generates the workloads in a temporary folder, runs every tool on each of
them alternately, several times, and prints the median wall time, the
throughput (both files' bytes per second), the peak resident memory and the
ratio of vellum's time to diff's and to the workload's floor: the lockstep
loop, or cat of both files (the read limit) on identical files. On files of
16 MiB or more, read_compare and map_compare show the least a comparer that
reads or maps its files must do (read or map, compare the blocks, count the
line ends), and the last column is vellum's time over the faster of the
two: which one wins depends on the host. The spread is the range of a
tool's times over its median. W3 and W5 run at least 11 times. W0 times many whole runs on the two example
files, start-up included. Every tool writes its output to a file.

    python3 bench/run_bench.py            # the whole set, 3 runs each
    python3 bench/run_bench.py --quick    # without the 1 GB workloads
    python3 bench/run_bench.py --baseline build/old   # another build beside it
    python3 bench/run_bench.py --quick --only W1,W5   # just these workloads

With --baseline, the vellum of that folder runs alternately with this one
on every workload, and its row shows this build's time over its own.
"""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MB = 1000 * 1000
# Files of this size or more are timed against both comparers' floors.
FLOORS_FROM = 16 << 20
WORDS = ["CALL", "DO", "CONTINUE", "RETURN", "X(I)", "Y(J)", "=", "+", "*", "0.5D0",
         "ALPHA", "BETA", "GAMMA", "DELTA", "IF", "THEN", "ENDIF", "WRITE(6,*)"]


def make_lines(count, seed, prefix=""):
    """Fortran-like lines, almost all distinct."""
    rnd = random.Random(seed)
    lines = []
    for i in range(count):
        words = " ".join(rnd.choice(WORDS) for _ in range(rnd.randint(3, 8)))
        lines.append(f"{prefix}      {words} {i}\n")
    return lines


def lines_for(size):
    # About 48 bytes a line.
    return max(1, size // 48)


def write(path, lines, copies=1):
    with open(path, "w") as out:
        chunk = "".join(lines)
        for _ in range(copies):
            out.write(chunk)


def changed(lines, every, seed):
    rnd = random.Random(seed)
    result = list(lines)
    for i in range(every // 2, len(result), every):
        result[i] = f"      CHANGED {rnd.random():.12f} {i}\n"
    return result


def generate(folder, quick):
    """Returns (name, file1, file2) for each workload."""
    base100 = make_lines(lines_for(100 * MB), 1)
    workloads = []

    def pair(name, lines1, lines2, copies=1):
        stem = "".join(c if c.isalnum() else "_" for c in name)
        a = os.path.join(folder, stem + ".1")
        b = os.path.join(folder, stem + ".2")
        write(a, lines1, copies)
        write(b, lines2, copies)
        workloads.append((name, a, b))

    pair("W1 identical 100 MB", base100, base100)
    pair("W2 1/10000 changed 100 MB", base100, changed(base100, 10000, 2))
    if not quick:
        pair("W1 identical 1 GB", base100, base100, copies=10)
        pair("W2 1/10000 changed 1 GB", base100, changed(base100, 10000, 2), copies=10)
    pair("W3 1/10 changed 100 MB", base100, changed(base100, 10, 3))
    middle = len(base100) // 2
    for block in (1000, 10000, 100000):
        inserted = make_lines(block, 4, prefix="INS")
        pair(f"W4 {block} inserted 100 MB", base100,
             base100[:middle] + inserted + base100[middle:])
    for size in (10, 25):
        pair(f"W5 nothing in common {size} MB", make_lines(lines_for(size * MB), 5, "A"),
             make_lines(lines_for(size * MB), 6, "B"))
    shuffled = list(base100)
    random.Random(7).shuffle(shuffled)
    pair("W6 shuffled 100 MB", base100, shuffled)
    return workloads


def measure(command, out_path, peak_path):
    """Wall seconds, peak resident kilobytes and exit status of one run.

    The peak comes from /usr/bin/time, whose child starts small: a child of
    this process would count the generator's memory as its own."""
    with open(out_path, "wb") as out:
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", peak_path] + command,
                                 stdout=out, stderr=subprocess.DEVNULL,
                                 stdin=subprocess.DEVNULL)
        wall = time.perf_counter() - start
    with open(peak_path) as peak:
        lines = [line for line in peak.read().split() if line.isdigit()]
    return wall, int(lines[-1]) if lines else 0, status


def spawn_median(command, out_path, runs, batches=5):
    """Median over batches of the wall seconds of one run of `command`,
    each spawned directly (no shell) with standard output to a file."""
    per_run = []
    with open(out_path, "wb") as out, open(os.devnull, "rb") as null:
        actions = [(os.POSIX_SPAWN_DUP2, null.fileno(), 0), (os.POSIX_SPAWN_DUP2, out.fileno(), 1)]
        for _ in range(batches):
            start = time.perf_counter()
            for _ in range(runs // batches):
                pid = os.posix_spawnp(command[0], command, os.environ, file_actions=actions)
                os.waitpid(pid, 0)
            per_run.append((time.perf_counter() - start) / (runs // batches))
    return statistics.median(per_run)


def small_runs(vellum, runs, baseline=None):
    """W0: whole runs of the example files, start-up included."""
    here = os.path.dirname(os.path.abspath(__file__))
    old = os.path.join(here, "..", "examples", "old.f")
    new = os.path.join(here, "..", "examples", "new.f")
    folder = tempfile.mkdtemp(prefix="vellum-w0-")
    try:
        out_path = os.path.join(folder, "output")
        tools = {"vellum": [vellum, old, new], "diff": ["diff", old, new],
                 "cat": ["cat", old, new]}
        if baseline:
            tools["baseline"] = [baseline, old, new]
        medians = {tool: [] for tool in tools}
        for _ in range(3):
            for tool, command in tools.items():
                medians[tool].append(spawn_median(command, out_path, runs))
        name = f"W0 example files x{runs}"
        diff_median = statistics.median(medians["diff"])
        floor_median = statistics.median(medians["cat"])
        for tool in tools:
            median = statistics.median(medians[tool])
            ratios = (f"{median / diff_median:8.3f} {median / floor_median:8.3f}"
                      if tool in ("vellum", "baseline") else "")
            versus = (f"{'':19}vellum/baseline "
                      f"{statistics.median(medians['vellum']) / median:.3f}"
                      if tool == "baseline" else "")
            print(f"{name:30} {tool:9} {median * 1000:8.3f}m {'':>8} {'':>8} {ratios}{versus}",
                  flush=True)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/release", help="folder holding vellum")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--quick", action="store_true", help="leave out the 1 GB workloads")
    parser.add_argument("--small-runs", type=int, default=300, help="whole runs timed for W0")
    parser.add_argument("--dir", default=None, help="where to generate the workloads")
    parser.add_argument("--baseline", default=None,
                        help="folder holding another vellum to time alongside, for a before/after")
    parser.add_argument("--only", default=None,
                        help="comma-separated workload names or prefixes to run (W0 included)")
    args = parser.parse_args()
    wanted = args.only.split(",") if args.only else None
    baseline = os.path.abspath(os.path.join(args.baseline, "vellum")) if args.baseline else None

    vellum = os.path.abspath(os.path.join(args.build, "vellum"))
    lockstep = os.path.abspath(os.path.join(args.build, "vellum_lockstep"))
    read_compare = os.path.abspath(os.path.join(args.build, "vellum_read_compare"))
    map_compare = os.path.abspath(os.path.join(args.build, "vellum_map_compare"))
    for program in (vellum, lockstep, read_compare, map_compare):
        if not os.access(program, os.X_OK):
            sys.exit(f"{program} not found: build with cmake --preset release && "
                     "cmake --build --preset release")

    folder = tempfile.mkdtemp(prefix="vellum-bench-", dir=args.dir)
    try:
        print(f"generating workloads in {folder} ...", flush=True)
        workloads = generate(folder, args.quick)
        # The files just written go to the disk now, not during the timed runs.
        os.sync()
        out_path = os.path.join(folder, "output")
        header = (f"{'workload':30} {'tool':9} {'median s':>9} {'MB/s':>8} {'peak MB':>8} "
                  f"{'vs diff':>8} {'vs floor':>8} {'spread':>8} {'vs r|m':>7}")
        print(header)
        print("-" * len(header))
        if wanted is None or "W0" in wanted:
            small_runs(vellum, args.small_runs, baseline)
        for name, a, b in workloads:
            if wanted is not None and not name.startswith(tuple(wanted)):
                continue
            size = os.path.getsize(a) + os.path.getsize(b)
            tools = {"vellum": [vellum, a, b], "diff": ["diff", a, b], "lockstep": [lockstep, a, b]}
            if baseline:
                tools["baseline"] = [baseline, a, b]
            if name.startswith(("W1", "W2")):
                tools["cmp"] = ["cmp", a, b]
            floor = "lockstep"
            if name.startswith("W1"):
                tools["cat"] = ["cat", a, b]
                floor = "cat"
            floors = min(os.path.getsize(a), os.path.getsize(b)) >= FLOORS_FROM
            if floors:
                tools["readcmp"] = [read_compare, a, b]
                tools["mapcmp"] = [map_compare, a, b]
            times = {tool: [] for tool in tools}
            memory = {tool: 0 for tool in tools}
            order = list(tools)
            runs = max(args.runs, 11) if name.startswith(("W3", "W5")) else args.runs
            for run in range(runs):
                for tool in order[run % len(order):] + order[:run % len(order)]:
                    # cat measures reading alone: its copy of both files goes nowhere.
                    target = os.devnull if tool == "cat" else out_path
                    wall, peak, status = measure(tools[tool], target, out_path + ".peak")
                    if tool in ("vellum", "baseline") and status != 0:
                        sys.exit(f"vellum failed on {name} with status {status}")
                    times[tool].append(wall)
                    memory[tool] = max(memory[tool], peak)
            diff_median = statistics.median(times["diff"])
            floor_median = statistics.median(times[floor])
            faster_floor = (min(statistics.median(times["readcmp"]),
                                statistics.median(times["mapcmp"])) if floors else None)
            for tool in tools:
                median = statistics.median(times[tool])
                ratio = (f"{median / diff_median:8.3f} {median / floor_median:8.3f}"
                         if tool in ("vellum", "readcmp", "mapcmp", "baseline") else f"{'':17}")
                spread = (max(times[tool]) - min(times[tool])) / median * 100
                versus = (f"  vellum/baseline {statistics.median(times['vellum']) / median:.3f}"
                          if tool == "baseline" else "")
                to_floors = (f" {median / faster_floor:7.3f}"
                             if faster_floor and tool in ("vellum", "baseline") else "")
                print(f"{name:30} {tool:9} {median:9.3f} {size / MB / median:8.0f} "
                      f"{memory[tool] / 1000:8.1f} {ratio} {spread:7.0f}%{to_floors}{versus}",
                      flush=True)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
