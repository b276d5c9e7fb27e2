#!/usr/bin/env python3
"""Times `pedinfo check` against pedpeel's own whole run on the same population.

Cases:
  - random-12000: one pedigree of 12,000 rows (pedgen's deep shape) with its rows in
    random order;
  - loops-12000: one pedigree of about 12,000 rows in random order that pedpeel reports
    as a loop: two long lines of descent from one founder pair, joined every 250
    generations by a mating of the two lines and at the bottom by the mating of their last
    descendants (pedinfo searches it for a shortest loop; pedpeel stops there);
  - mating-12000: one pedigree of 12,000 rows in random order, generations of 600
    offspring of sires and dams drawn at random from the last generation's 300 and 300: a
    tangle of loops pedpeel reports;
  - families, deep, inbred, founders: pedgen's shapes at 32767 individuals and 11 races;
  - runs-1000000: the runs pedprep writes for pedgen's herd-book of --animals animals
    (default 1,000,000); pedpeel is run in every run directory one after the other, and
    `pedinfo check DIR` checks them all.

For each case: the median of --repeat whole runs of pedpeel, and of `pedinfo check`, each
in a fresh copy of the input files, and their ratio. Exits with status 1 when a ratio is
above --limit (default 5).

Usage: pedinfo_bench.py [--build DIR] [--repeat N] [--limit RATIO] [--animals N] [--keep]
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

SHAPES = ["families", "deep", "inbred", "founders"]
LARGE = 32767
RACES = 11
SEED = 1
INPUTS = ["input1.dat", "pedigree.dat", "blood.dat"]


def pedgen(tools, shape, individuals, directory):
    os.makedirs(directory, exist_ok=True)
    subprocess.run([tools["pedgen"], "--shape", shape, "--individuals", str(individuals),
                    "--races", str(RACES), "--seed", str(SEED), "--dir", directory],
                   check=True)


def read_records(path):
    """The records of a pedigree or BLOOD file, the count record first."""
    with open(path, "rb") as file:
        lines = file.read().split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return lines


def write_records(path, records):
    with open(path, "wb") as file:
        file.write(b"\n".join(records) + b"\n")


def shuffle_rows(directory):
    """Puts the individual records in random order, the BLOOD records in the same order."""
    pedigrees = read_records(os.path.join(directory, "pedigree.dat"))
    blood = read_records(os.path.join(directory, "blood.dat"))
    order = list(range(len(pedigrees) - 1))
    random.Random(SEED).shuffle(order)
    write_records(os.path.join(directory, "pedigree.dat"),
                  [pedigrees[0]] + [pedigrees[1 + k] for k in order])
    write_records(os.path.join(directory, "blood.dat"),
                  [blood[0]] + [blood[1 + k] for k in order])


def write_population(directory, rows):
    """rows: (ID, IPAR1, IPAR2, SEX) of one pedigree; written in random order."""
    rows = list(rows)
    random.Random(SEED).shuffle(rows)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "input1.dat"), "w") as file:
        file.write("pedigree.dat\nblood.dat\n")
    with open(os.path.join(directory, "pedigree.dat"), "w") as file:
        file.write("%5d\n" % len(rows))
        for (ident, first, second, sex) in rows:
            file.write("%5d%5d%5d%5d%5d%5d%-12s\n" % (1, ident, first, second, 3, sex,
                                                        "LP%010d" % ident))
    with open(os.path.join(directory, "blood.dat"), "w") as file:
        file.write("%5d%5d\n" % (len(rows), 2))
        file.write("      0.5000\n" * len(rows))


def loop_rows(generations, rung_every):
    """Two lines of descent from one founder pair, each generation a child of the line and
    an unrelated mate; every `rung_every` generations the two lines also mate, and their
    last descendants mate at the bottom."""
    rows = []
    next_id = [0]

    def new(first, second, sex):
        next_id[0] += 1
        rows.append((next_id[0], first, second, sex))
        return next_id[0]

    sire, dam = new(0, 0, 1), new(0, 0, 2)
    a, b = new(sire, dam, 1), new(sire, dam, 2)
    for generation in range(1, generations):
        if generation % rung_every == 0:
            new(a, b, 1)
        a = new(a, new(0, 0, 2), 1)
        b = new(new(0, 0, 1), b, 2)
    new(a, b, 1)
    return rows


def mating_rows(rows, sires, dams, offspring):
    """Generations of `offspring` children of a sire and a dam drawn at random from the
    `sires` males and `dams` females of the generation before, until `rows` rows."""
    draw = random.Random(SEED)
    result = []

    def new(first, second, sex):
        result.append((len(result) + 1, first, second, sex))
        return len(result)

    males = [new(0, 0, 1) for _ in range(sires)]
    females = [new(0, 0, 2) for _ in range(dams)]
    while len(result) < rows:
        sons, daughters = [], []
        for _ in range(min(offspring, rows - len(result))):
            sex = draw.choice((1, 2))
            child = new(draw.choice(males), draw.choice(females), sex)
            (sons if sex == 1 else daughters).append(child)
        males = draw.sample(sons, min(sires, len(sons))) or males
        females = draw.sample(daughters, min(dams, len(daughters))) or females
    return result


def median_seconds(argv, directory, repeat, statuses):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        result = subprocess.run(argv, cwd=directory, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
        if result.returncode not in statuses:
            sys.exit(f"{argv[0]} in {directory}: exit status {result.returncode}")
    return statistics.median(times)


def measure(tools, name, source, work, repeat):
    """Median seconds of pedpeel and of pedinfo check on the files in `source`, each run in
    a fresh copy (pedpeel writes its outputs beside them)."""
    runs = {}
    for program, argv, statuses in (("pedpeel", [tools["pedpeel"]], (0, 2)),
                                    ("pedinfo", [tools["pedinfo"], "check"], (0, 1))):
        directory = os.path.join(work, f"{name}-{program}")
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
        for input_name in INPUTS:
            shutil.copy(os.path.join(source, input_name), directory)
        runs[program] = median_seconds(argv, directory, repeat, statuses)
    return runs["pedpeel"], runs["pedinfo"]


def write_runs(tools, animals, work):
    """pedprep's runs of a herd-book of `animals` animals; returns the runs directory."""
    csv = os.path.join(work, "herdbook.csv")
    runs = os.path.join(work, f"runs-{animals}")
    subprocess.run([tools["pedgen"], "--herdbook", str(animals), "--seed", str(SEED),
                    "--columns", "pedprep", "--no-herd", "--out", csv], check=True)
    subprocess.run([tools["pedprep"], csv, "--out", runs], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    return runs


def measure_runs(tools, runs, repeat):
    """Median seconds of pedpeel in every run of `runs` one after the other, and of
    pedinfo check on the whole runs directory."""
    with open(os.path.join(runs, "runs.txt")) as listing:
        directories = [os.path.join(runs, line.strip()) for line in listing if line.strip()]
    pedpeel = []
    for _ in range(repeat):
        start = time.perf_counter()
        for directory in directories:
            result = subprocess.run([tools["pedpeel"]], cwd=directory,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            if result.returncode not in (0, 2):
                sys.exit(f"pedpeel in {directory}: exit status {result.returncode}")
        pedpeel.append(time.perf_counter() - start)
    pedinfo = median_seconds([tools["pedinfo"], "check", runs], runs, repeat, (0, 1))
    return statistics.median(pedpeel), pedinfo


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build", help="build folder (default: build)")
    parser.add_argument("--repeat", type=int, default=5, help="runs per program and case")
    parser.add_argument("--limit", type=float, default=5.0,
                        help="largest ratio pedinfo check / pedpeel (default: 5)")
    parser.add_argument("--animals", type=int, default=1_000_000,
                        help="animals of the herd-book whose runs are checked")
    parser.add_argument("--keep", action="store_true", help="keep the generated files")
    args = parser.parse_args()

    tools = {
        "pedpeel": os.path.join(args.build, "driver", "pedpeel"),
        "pedinfo": os.path.join(args.build, "tools", "pedinfo", "pedinfo"),
        "pedgen": os.path.join(args.build, "tools", "pedgen", "pedgen"),
        "pedprep": os.path.join(args.build, "tools", "pedprep", "pedprep"),
    }
    for name, path in tools.items():
        if not os.access(path, os.X_OK):
            sys.exit(f"pedinfo_bench: {path} not found: build {name} first")
        tools[name] = os.path.abspath(path)

    work = tempfile.mkdtemp(prefix="pedinfo-bench-")
    cases = []
    random_order = os.path.join(work, "random-12000")
    pedgen(tools, "deep", 12000, random_order)
    shuffle_rows(random_order)
    cases.append(("random-12000", random_order))
    loops = os.path.join(work, "loops-12000")
    write_population(loops, loop_rows(3000, 250))
    cases.append(("loops-12000", loops))
    mating = os.path.join(work, "mating-12000")
    write_population(mating, mating_rows(12000, 300, 300, 600))
    cases.append(("mating-12000", mating))
    for shape in SHAPES:
        directory = os.path.join(work, f"{shape}-{LARGE}")
        pedgen(tools, shape, LARGE, directory)
        cases.append((f"{shape}-{LARGE}", directory))

    runs = write_runs(tools, args.animals, work)
    runs_case = f"runs-{args.animals}"

    width = max(len(name) for name in [name for name, _ in cases] + [runs_case])
    print(f"{'case':<{width}} {'pedpeel ms':>11} {'pedinfo ms':>11} {'ratio':>7}")
    worst = 0.0

    def report(name, pedpeel, pedinfo):
        ratio = pedinfo / pedpeel
        flag = "" if ratio <= args.limit else f"  above {args.limit:g}"
        print(f"{name:<{width}} {pedpeel * 1000:>11.1f} {pedinfo * 1000:>11.1f} {ratio:>7.2f}{flag}")
        return ratio

    for name, source in cases:
        pedpeel, pedinfo = measure(tools, name, source, os.path.join(work, "runs"), args.repeat)
        worst = max(worst, report(name, pedpeel, pedinfo))
    worst = max(worst, report(runs_case, *measure_runs(tools, runs, args.repeat)))

    if args.keep:
        print(f"files kept in {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)
    if worst > args.limit:
        print(f"pedinfo_bench: pedinfo check takes {worst:.2f} times pedpeel's run, above "
              f"{args.limit:g}")
        return 1
    print(f"pedinfo check within {args.limit:g} times pedpeel's run in every case "
          f"(worst {worst:.2f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
