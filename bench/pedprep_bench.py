#!/usr/bin/env python3
"""Benchmark of pedprep against the pedpeel runs it produces.

Generates a population of herds as a CSV file (default 1,000,000 animals: string ids, sire
and dam columns, sex as M/F, breed names, a birth year, rows shuffled so that offspring often
come before their parents, some parents named only as parents, some rows with one known
parent, a few long ids and a few sib matings that pedpeel resolves). A herd keeps one of
three breeds, one founder in ten mated into it is of another and a few founders have no
breed, so pedprep numbers the breeds and computes every animal's fractions. Times `pedprep`
on it (the median of --repeat runs, after one untimed run), then times pedpeel in every run
directory listed in runs.txt, one after the other.
Prints the times and the ratio

    prep time / total pedpeel time

in processor time (user + system, what each run costs; wall-clock time on a shared
machine also counts the other programs running) and in wall-clock time. The first must be
at most 1.5; exits non-zero when it is not, or when a run of pedpeel does not end with
exit status 0.

With --herdbook the population is pedgen's herd-book instead (`pedgen --herdbook N`):
herds bred to AI bulls shared by all of them, one connected pedigree full of loops, which
pedprep cuts with copies of animals. It prints pedprep's animals per processor second
(at least 1,000,000 wanted) and peak memory per animal (at most 400 bytes wanted), runs
pedpeel in every run (each must exit 0 with an empty def.err and no "too many" stop) and
checks that every animal with a parent or an offspring is in a family record of some
run's VOLMA.DAT, itself or as a copy; exits non-zero when any of these fails.

Usage: pedprep_bench.py [--build DIR] [--animals N] [--seed S] [--repeat N] [--keep DIR]
                        [--herdbook]
       pedprep_bench.py --write FILE [--animals N] [--seed S]   (the CSV alone, to try)
"""

import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MAX_RATIO = 1.5


# The breeds of the population, as many as the race codes 1..3 it had before it had names.
BREEDS = ["Holstein", "Fleckvieh", "Brown Swiss"]
FIRST_YEAR = 1990


def generate(path, animals, seed):
    """Writes the population; returns the number of rows written."""
    rng = random.Random(seed)
    rows = []  # (id, sire, dam, sex, breed, born)
    serial = 0

    def founder_breed(herd_breed):
        if rng.random() < 0.02:
            return rng.choice(["", "NA", "unknown"])
        if rng.random() < 0.1:
            return rng.choice(BREEDS)
        return herd_breed

    def new_id(long=False):
        nonlocal serial
        serial += 1
        text = f"DE{serial:010d}"
        return text + "-XYZ" if long else text

    while len(rows) < animals:
        # One pedigree: a founder sire mated to founder dams; some daughters and sons mate
        # with new founders, so the pedigree is a tree, unless it gets a sib mating. Each
        # generation is born two to six years after its parents.
        breed = rng.choice(BREEDS)
        size = rng.randint(4, 60)
        start = FIRST_YEAR + rng.randint(0, 10)
        sire = new_id()
        born = {sire: start}
        founders = [(sire, "M", breed)]
        parents = []  # (sire, dam) that may have offspring
        for _ in range(rng.randint(1, 4)):
            dam = new_id()
            born[dam] = start + rng.randint(0, 2)
            founders.append((dam, "F", founder_breed(breed)))
            parents.append((sire, dam))
        pedigree_rows = []
        while parents and len(pedigree_rows) < size:
            father, mother = parents.pop(0)
            for _ in range(rng.randint(1, 3)):
                child = new_id(long=rng.random() < 0.01)
                sex = rng.choice("MF")
                born[child] = max(born[father], born[mother]) + rng.randint(2, 6)
                pedigree_rows.append([child, father, mother, sex, breed, born[child]])
                if rng.random() < 0.5:
                    mate = new_id()
                    born[mate] = born[child] + rng.randint(-2, 2)
                    founders.append((mate, "F" if sex == "M" else "M", founder_breed(breed)))
                    parents.append((child, mate) if sex == "M" else (mate, child))
        if rng.random() < 0.01:
            # A full-sib mating: pedpeel takes it as a loop head and a sib-mating record.
            father, mother = pedigree_rows[0][1], pedigree_rows[0][2]
            brother, sister = new_id(), new_id()
            year = max(born[father], born[mother]) + 2
            # Marked so that neither loses its dam below: a half-sib mating is a loop
            # pedpeel cannot take apart.
            pedigree_rows.append([brother, father, mother, "M", breed, year, True])
            pedigree_rows.append([sister, father, mother, "F", breed, year, True])
            pedigree_rows.append([new_id(), brother, sister, "M", breed, year + 2, True])
        for animal, sex, founder_race in founders:
            if rng.random() < 0.05:
                continue  # named only as a parent
            rows.append([animal, "0", "NA", sex, founder_race, born[animal]])
        for row in pedigree_rows:
            if len(row) == 7:
                row.pop()
            elif rng.random() < 0.02:
                row[2] = ""  # one known parent
            rows.append(row)
    rng.shuffle(rows)
    with open(path, "w") as out:
        out.write("id,sire,dam,sex,breed,born\n")
        out.writelines(f"{a},{s},{d},{x},{r},{y}\n" for a, s, d, x, r, y in rows)
    return len(rows)


def generate_herdbook(pedgen, path, animals, seed):
    """Writes pedgen's herd-book with pedprep's column names; returns its rows."""
    subprocess.run([pedgen, "--herdbook", str(animals), "--seed", str(seed), "--columns",
                    "pedprep", "--no-herd", "--out", path], check=True)
    return animals


MIN_RATE = 1.0e6  # herd-book animals per processor second of pedprep
MAX_BYTES = 400   # pedprep's peak resident memory per herd-book animal


def run_measured(argv, **options):
    """Runs argv; returns (exit status, user seconds, system seconds, peak resident bytes)."""
    process = subprocess.Popen(argv, **options)
    _, status, usage = os.wait4(process.pid, 0)
    return (os.waitstatus_to_exitcode(status), usage.ru_utime, usage.ru_stime,
            usage.ru_maxrss * 1024)


def warm_up(argv, out):
    """One untimed run before the timed ones. The first run after the population is written
    takes its memory fresh from the system (on a virtual machine, pages the host has taken
    back), which later runs do not; a warm-up keeps that out of the median."""
    shutil.rmtree(out, ignore_errors=True)
    subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def family_record_ids(run_dir):
    """The original ids of every member of every family record of the run's VOLMA.DAT."""
    ids = {}
    with open(os.path.join(run_dir, "ids.tsv")) as ids_file:
        header = ids_file.readline().rstrip("\n").split("\t")
        iped, id_, original = header.index("iped"), header.index("id"), header.index("original")
        for line in ids_file:
            fields = line.rstrip("\n").split("\t")
            ids[(int(fields[iped]), int(fields[id_]))] = fields[original]
    found = set()
    with open(os.path.join(run_dir, "VOLMA.DAT")) as volma:
        lines = volma.read().splitlines()
    for k, line in enumerate(lines[:-1]):
        if line.startswith("NPEDIGREE="):
            pedigree = int(line[10:14])
            members = lines[k + 1]
            for column in range(0, len(members) - 4, 5):  # five columns an ID
                found.add(ids.get((pedigree, int(members[column:column + 5]))))
    return found


def related_animals(population):
    """The ids of the CSV's animals with a parent or an offspring."""
    related = set()
    with open(population) as rows:
        rows.readline()
        for line in rows:
            animal, sire, dam = line.split(",", 3)[:3]
            for parent in (sire, dam):
                if parent:
                    related.add(animal)
                    related.add(parent)
    return related


def herdbook_bench(args, pedgen, pedprep, pedpeel, work):
    """The herd-book benchmark (--herdbook); returns the failures."""
    population = os.path.join(work, "herdbook.csv")
    generate_herdbook(pedgen, population, args.animals, args.seed)
    out = os.path.join(work, "runs")
    attempts, peak = [], 0  # (user, system) seconds of each
    warm_up([pedprep, population, "--out", out], out)
    for _ in range(args.repeat):
        shutil.rmtree(out, ignore_errors=True)
        with open(os.path.join(work, "prep.out"), "w") as stdout, \
                open(os.path.join(work, "prep.err"), "w") as stderr:
            status, user, system, resident = run_measured([pedprep, population, "--out", out],
                                                 stdout=stdout, stderr=stderr)
        if status != 0:
            with open(os.path.join(work, "prep.err")) as err:
                sys.stderr.write(err.read()[-2000:])
            return [f"pedprep exited with status {status}"]
        attempts.append((user, system))
        peak = max(peak, resident)
    cpu = statistics.median(user + system for user, system in attempts)
    with open(os.path.join(work, "prep.out")) as summary_file:
        summary = summary_file.read()
    failures = []
    with open(os.path.join(out, "runs.txt")) as runs_file:
        runs = [line.strip() for line in runs_file if line.strip()]
    peel_cpu = 0.0
    covered = set()
    for run in runs:
        run_dir = os.path.join(out, run)
        with open(os.path.join(run_dir, "pedpeel.out"), "w") as log:
            status, user, system, _ = run_measured([pedpeel], cwd=run_dir,
                                                   stdin=subprocess.DEVNULL, stdout=log,
                                                   stderr=subprocess.STDOUT)
        peel_cpu += user + system
        with open(os.path.join(run_dir, "pedpeel.out")) as log:
            stopped = "too many" in log.read()
        if status != 0 or os.path.getsize(os.path.join(run_dir, "def.err")) != 0 or stopped:
            failures.append(f"pedpeel in {run}: exit status {status}"
                            f"{', def.err not empty' if os.path.getsize(os.path.join(run_dir, 'def.err')) else ''}"
                            f"{', a too many stop' if stopped else ''}")
        covered |= family_record_ids(run_dir)
    missing = related_animals(population) - covered
    rate = args.animals / cpu
    per_animal = peak / args.animals
    print(f"pedprep herd-book benchmark: {args.animals} animals in "
          f"{os.path.getsize(population) / 1e6:.1f} MB of CSV")
    for line in summary.splitlines():
        print(f"  pedprep: {line}")
    print(f"  pedprep: {cpu:7.3f} s processor ({rate / 1e6:.2f} M animals per processor second; "
          f"at least {MIN_RATE / 1e6:.1f} wanted)")
    # The kernel's share varies with the machine's state more than with the run: each
    # attempt's split tells a slow median's cause.
    print("  pedprep: attempts, user + system s: " +
          ", ".join(f"{user:.2f} + {system:.2f}" for user, system in attempts))
    print(f"  pedprep: {peak / 1e6:7.1f} MB peak resident ({per_animal:.0f} bytes an animal; "
          f"at most {MAX_BYTES} wanted)")
    print(f"  pedpeel, {len(runs)} runs: {peel_cpu:7.3f} s processor")
    print(f"  animals with a parent or offspring in no family record: {len(missing)}")
    if missing:
        failures.append(f"{len(missing)} animals in no family record, e.g. {sorted(missing)[:3]}")
    if rate < MIN_RATE:
        failures.append(f"{rate / 1e6:.2f} M animals a second, below {MIN_RATE / 1e6:.1f}")
    if per_animal > MAX_BYTES:
        failures.append(f"{per_animal:.0f} bytes an animal, above {MAX_BYTES}")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench")
    parser.add_argument("--animals", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--keep", help="work in this directory and keep it")
    parser.add_argument("--write", help="only write the population to this CSV file")
    parser.add_argument("--herdbook", action="store_true",
                        help="time pedgen's herd-book instead of separate herds")
    args = parser.parse_args()
    if args.write:
        generate(args.write, args.animals, args.seed)
        return
    pedprep = os.path.abspath(os.path.join(args.build, "tools", "pedprep", "pedprep"))
    pedpeel = os.path.abspath(os.path.join(args.build, "driver", "pedpeel"))
    pedgen = os.path.abspath(os.path.join(args.build, "tools", "pedgen", "pedgen"))
    for program in (pedprep, pedpeel) + ((pedgen,) if args.herdbook else ()):
        if not os.access(program, os.X_OK):
            sys.exit(f"pedprep_bench: {program} is not built")

    work = args.keep or tempfile.mkdtemp(prefix="pedprep-bench-")
    os.makedirs(work, exist_ok=True)
    if args.herdbook:
        try:
            failures = herdbook_bench(args, pedgen, pedprep, pedpeel, work)
        finally:
            if not args.keep:
                shutil.rmtree(work, ignore_errors=True)
        if failures:
            sys.exit("pedprep_bench: " + "; ".join(failures))
        return
    try:
        population = os.path.join(work, "population.csv")
        rows = generate(population, args.animals, args.seed)
        def timed(argv, **options):
            """Runs argv; returns (completed process, wall seconds, processor seconds)."""
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            completed = subprocess.run(argv, **options)
            wall = time.perf_counter() - start
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
            return completed, wall, cpu

        out = os.path.join(work, "runs")
        prep_walls, prep_cpus = [], []
        warm_up([pedprep, population, "--out", out], out)
        for _ in range(args.repeat):
            shutil.rmtree(out, ignore_errors=True)
            prep, wall, cpu = timed([pedprep, population, "--out", out], capture_output=True, text=True)
            if prep.returncode != 0:
                sys.stderr.write(prep.stderr[-2000:])
                sys.exit(f"pedprep_bench: pedprep exited with status {prep.returncode}")
            prep_walls.append(wall)
            prep_cpus.append(cpu)
        prep_wall, prep_cpu = statistics.median(prep_walls), statistics.median(prep_cpus)

        with open(os.path.join(out, "runs.txt")) as runs_file:
            runs = [line.strip() for line in runs_file if line.strip()]
        peel_walls, peel_cpus = [], []
        failed = []
        for _ in range(args.repeat):
            peel_wall = peel_cpu = 0.0
            failed = []
            for run in runs:
                completed, wall, cpu = timed([pedpeel], cwd=os.path.join(out, run),
                                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL)
                peel_wall += wall
                peel_cpu += cpu
                if completed.returncode != 0:
                    failed.append(f"{run} (exit status {completed.returncode})")
            peel_walls.append(peel_wall)
            peel_cpus.append(peel_cpu)
        peel_wall, peel_cpu = statistics.median(peel_walls), statistics.median(peel_cpus)

        ratio = prep_cpu / peel_cpu
        print(f"pedprep benchmark: {rows} animals in {os.path.getsize(population) / 1e6:.1f} MB of CSV")
        for line in prep.stdout.splitlines():
            print(f"  pedprep: {line}")
        print("                      processor      wall")
        print(f"  pedprep:            {prep_cpu:7.3f} s  {prep_wall:7.3f} s"
              f"  ({rows / prep_cpu / 1e6:.2f} M animals per processor second)")
        print(f"  pedpeel, {len(runs):3d} runs:   {peel_cpu:7.3f} s  {peel_wall:7.3f} s")
        print(f"  prep / pedpeel:        {ratio:5.2f}      {prep_wall / peel_wall:5.2f}"
              f"   (processor time at most {MAX_RATIO})")
        if failed:
            sys.exit("pedprep_bench: pedpeel failed in " + ", ".join(failed))
        if ratio > MAX_RATIO:
            sys.exit(f"pedprep_bench: ratio {ratio:.2f} is above {MAX_RATIO}")
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
