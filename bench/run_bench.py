#!/usr/bin/env python3
"""End-to-end benchmark of pedpeel on pedgen's shapes.

For each shape and size: generates the input files (founders-decimal: pedgen's founders
with their fractions rewritten the way people write them, "0.5000" and "1.0", instead of
pedgen's E12.4 form), times whole runs of pedpeel and of the
I/O floor, taking turns (median of --repeat runs each; io_floor reads the same input files,
replaces as many files of the same sizes as the run wrote and writes as much console text,
with plain buffered I/O; timed_run keeps both on the CPU the script runs on), and runs
pedpeel_oracle (the same program with the test oracle) with a time limit, checking that it
writes the same files and console text (median of three runs when a run takes under 5 s).
Prints one table and checks the targets:

  - every shape at 32767 individuals (the most a run's export holds): at most 50 ms per
    run, and at most 2.5 times the I/O floor;
  - from 16384 to 32767 individuals: time grows at most 2.2 times;
  - peak resident memory at 32767 individuals: at most 32 MB;
  - deep at 24096 individuals: at least 100 times faster than the oracle, or the
    oracle takes more than the time limit.

Usage: run_bench.py [--build DIR] [--repeat N] [--limit SECONDS] [--quick | --largest]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

SHAPES = ["families", "deep", "inbred", "founders", "founders-decimal"]
SIZES = [8192, 16384, 32767]
DEEP_CHECK = 24096
FLOOR_RATIO = 2.5
RACES = 11
SEED = 1
OUTPUTS = ["VOLMA.DAT", "def.err", "iway.IWA", "iway.IVM"]
INPUTS = ["input1.dat", "pedigree.dat", "blood.dat"]


def decimal_fraction(field):
    """An E12.4 field ("   .5000E+00") as people write the value ("0.5000", "1.0", four
    decimals at least), right-justified in 12 columns; the field itself when that text does
    not fit. The decimal digits are those of the field, so the value read is the same."""
    text = field.strip()
    if len(text) < 9 or text[-4] != "E" or "." not in text:
        return field
    sign = "-" if text.startswith("-") else ""
    digits, exponent = text[len(sign) + 1:-4], int(text[-3:])  # value = 0.digits x 10^exponent
    if int(digits) == 0:
        return f"{'0.0':>12}"
    if exponent <= 0:
        whole, decimals = "0", "0" * -exponent + digits
    else:
        whole = digits[:exponent].ljust(exponent, "0").lstrip("0") or "0"
        decimals = digits[exponent:]
    decimals = "0" if int(decimals or "0") == 0 else decimals.ljust(4, "0")
    written = f"{sign}{whole}.{decimals}"
    return f"{written:>12}" if len(written) <= 12 else field


def write_decimal_fractions(path):
    """Rewrites the fraction records of a BLOOD file (every line after the first, ten
    12-column fields each) with decimal_fraction()."""
    with open(path, "rb") as file:
        lines = file.read().decode("ascii").split("\r\n")
    for n in range(1, len(lines)):
        line = lines[n]
        lines[n] = "".join(decimal_fraction(line[i:i + 12]) for i in range(0, len(line), 12))
    with open(path, "wb") as file:
        file.write("\r\n".join(lines).encode("ascii"))


def run_timed(tools, argv, cwd, limit=0):
    """Runs argv in cwd under timed_run; returns (seconds, CPU seconds, peak RSS in bytes,
    exit status, stdout bytes). Seconds is None when the run went past `limit` seconds."""
    report = os.path.join(cwd, ".timing")
    with open(os.path.join(cwd, ".stdout"), "wb") as out:
        subprocess.run([tools["timed_run"], report, str(limit)] + argv, cwd=cwd, stdout=out,
                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, check=True)
    with open(report) as file:
        elapsed, user, system, rss_kb, status = file.read().split()
    stdout_bytes = os.path.getsize(os.path.join(cwd, ".stdout"))
    if status == "timeout":
        return None, None, 0, None, stdout_bytes
    return float(elapsed), float(user) + float(system), int(rss_kb) * 1024, int(status), \
        stdout_bytes


def snapshot(directory):
    files = {}
    for name in OUTPUTS + [".stdout"]:
        path = os.path.join(directory, name)
        if os.path.exists(path):
            with open(path, "rb") as file:
                files[name] = file.read()
    return files


def measure(args, tools, shape, individuals, work, with_oracle):
    directory = os.path.join(work, f"{shape}-{individuals}")
    os.makedirs(directory, exist_ok=True)
    pedgen_shape, _, form = shape.partition("-")
    subprocess.run([tools["pedgen"], "--shape", pedgen_shape, "--individuals", str(individuals),
                    "--races", str(RACES), "--seed", str(SEED), "--dir", directory], check=True)
    if form == "decimal":
        write_decimal_fractions(os.path.join(directory, "blood.dat"))
    input_bytes = sum(os.path.getsize(os.path.join(directory, n)) for n in INPUTS)

    # A first run gives the sizes the floor writes; then runs of pedpeel and of the floor
    # take turns, so that both see the machine in the same state.
    _, _, peak, status, stdout_bytes = run_timed(tools, [tools["pedpeel"]], directory)
    # The run's output files and console text, each with its size: the floor writes the same.
    written = [(n, os.path.getsize(os.path.join(directory, n)))
               for n in OUTPUTS if os.path.exists(os.path.join(directory, n))]
    written.append(("-", stdout_bytes))
    output_bytes = sum(size for _, size in written)
    production = snapshot(directory)
    floor_argv = [tools["io_floor"]]
    for name, size in written:
        floor_argv += ["-w", name, str(size)]

    # Earlier cases leave megabytes of written pages for the kernel to write back; done
    # during the timed runs, that work would land on whichever run it meets.
    os.sync()
    times, cpu, floor = [], [], []
    for _ in range(args.repeat):
        seconds, cpu_seconds, rss, status, _ = run_timed(tools, [tools["pedpeel"]], directory)
        times.append(seconds)
        cpu.append(cpu_seconds)
        peak = max(peak, rss)
        floor.append(run_timed(tools, floor_argv + INPUTS, directory)[0])

    oracle, same = None, None
    if with_oracle:
        copy = directory + "-oracle"
        shutil.rmtree(copy, ignore_errors=True)
        os.makedirs(copy)
        for name in INPUTS:
            shutil.copy(os.path.join(directory, name), copy)
        oracle = run_timed(tools, [tools["oracle"]], copy, limit=args.limit)[0]
        if oracle is not None:
            same = snapshot(copy) == production
            if oracle < 5:  # cheap enough to take the median of three runs
                more = [run_timed(tools, [tools["oracle"]], copy)[0] for _ in range(2)]
                oracle = statistics.median([oracle] + more)
        shutil.rmtree(copy, ignore_errors=True)

    return {
        "shape": shape, "individuals": individuals, "status": status,
        "ms": statistics.median(times) * 1000, "cpu_ms": statistics.median(cpu) * 1000,
        "floor_ms": statistics.median(floor) * 1000,
        "bytes": input_bytes + output_bytes, "rss": peak,
        "oracle_ms": None if oracle is None else oracle * 1000, "same": same,
        # "ran", "beyond" (over the limit, or a smaller size already was) or "off"
        "oracle": ("ran" if oracle is not None else "beyond") if with_oracle else "off",
    }


def print_table(rows, limit):
    print(f"{'shape':<16} {'individuals':>11} {'ms':>8} {'MB/s':>7} {'x floor':>8} "
          f"{'x oracle':>12} {'peak RSS':>9} {'cpu ms':>7}")
    for row in rows:
        mbps = row["bytes"] / 1e6 / (row["ms"] / 1000)
        if row["oracle"] == "beyond":
            versus = f"> {limit:.0f} s"
        elif row["oracle"] == "off":
            versus = "-"
        else:
            versus = f"{row['oracle_ms'] / row['ms']:.1f}"
            if not row["same"]:
                versus += " DIFF"
        print(f"{row['shape']:<16} {row['individuals']:>11} {row['ms']:>8.1f} {mbps:>7.0f} "
              f"{row['ms'] / row['floor_ms']:>8.2f} {versus:>12} "
              f"{row['rss'] / 2**20:>6.1f} MB {row['cpu_ms']:>7.1f}")
    print("ms: median wall-clock time of a whole run; MB/s: bytes read and written (input")
    print("files, output files, console) per second; x floor: ms over the median time of")
    print("io_floor on the same bytes; x oracle: the oracle engine's time over ms;")
    print("cpu ms: median user + system time.")


def check_targets(rows, limit):
    by_key = {(row["shape"], row["individuals"]): row for row in rows}
    failures = []
    for shape in SHAPES:
        large = by_key.get((shape, 32767))
        medium = by_key.get((shape, 16384))
        if large is None:
            continue
        if large["ms"] > 50:
            failures.append(f"{shape} 32767: {large['ms']:.1f} ms > 50 ms")
        if large["ms"] / large["floor_ms"] > FLOOR_RATIO:
            failures.append(f"{shape} 32767: {large['ms'] / large['floor_ms']:.2f}x the I/O floor"
                            f" > {FLOOR_RATIO}x")
        if large["rss"] > 32 * 2**20:
            failures.append(f"{shape} 32767: peak RSS {large['rss'] / 2**20:.1f} MB > 32 MB")
        if medium is not None and large["ms"] / medium["ms"] > 2.2:
            failures.append(f"{shape}: 16384 -> 32767 grows {large['ms'] / medium['ms']:.2f}x")
    deep = by_key.get(("deep", DEEP_CHECK))
    if deep is not None and deep["oracle_ms"] is not None:
        if deep["oracle_ms"] / deep["ms"] < 100:
            failures.append(f"deep {DEEP_CHECK}: only {deep['oracle_ms'] / deep['ms']:.0f}x "
                            "faster than the oracle")
    for row in rows:
        if row["same"] is False:
            failures.append(f"{row['shape']} {row['individuals']}: the engines' outputs differ")
        if row["status"] != 0:
            failures.append(f"{row['shape']} {row['individuals']}: exit status {row['status']}")
    for line in failures:
        print("TARGET MISSED:", line)
    if not failures:
        print(f"All targets met (oracle limit {limit:.0f} s).")
    return not failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with the tools")
    parser.add_argument("--repeat", type=int, default=11, help="timed runs per case (>= 5)")
    parser.add_argument("--limit", type=float, default=60, help="seconds for an oracle run")
    parser.add_argument("--no-oracle", action="store_true", help="skip the oracle runs")
    parser.add_argument("--quick", action="store_true", help="8192 only, no oracle")
    parser.add_argument("--largest", action="store_true", help="32767 only, no oracle")
    parser.add_argument("--work", help="scratch folder (default: a temporary one)")
    args = parser.parse_args()
    args.repeat = max(args.repeat, 5)
    if args.quick or args.largest:
        args.no_oracle = True

    tools = {
        "pedpeel": os.path.join(args.build, "driver", "pedpeel"),
        "oracle": os.path.join(args.build, "bench", "pedpeel_oracle"),
        "io_floor": os.path.join(args.build, "bench", "io_floor"),
        "timed_run": os.path.join(args.build, "bench", "timed_run"),
        "pedgen": os.path.join(args.build, "tools", "pedgen", "pedgen"),
    }
    tools = {name: os.path.abspath(path) for name, path in tools.items()}
    for name, path in tools.items():
        if not os.access(path, os.X_OK):
            sys.exit(f"run_bench.py: {name} not built at {path}")

    work = args.work or tempfile.mkdtemp(prefix="pedpeel-bench-")
    os.makedirs(work, exist_ok=True)
    sizes = [8192] if args.quick else [32767] if args.largest else SIZES
    cases = [(shape, n) for shape in SHAPES for n in sizes]
    if not args.quick and not args.largest:
        cases.insert(cases.index(("deep", 32767)), ("deep", DEEP_CHECK))
    rows = []
    beyond = set()  # shapes whose oracle run went past the limit at a smaller size
    try:
        for shape, individuals in cases:
            # A larger input takes the oracle longer still; only the deep check always runs.
            with_oracle = not args.no_oracle and (
                shape not in beyond or individuals == DEEP_CHECK)
            row = measure(args, tools, shape, individuals, work, with_oracle)
            if with_oracle and row["oracle"] == "beyond":
                beyond.add(shape)
            elif shape in beyond and not args.no_oracle:
                row["oracle"] = "beyond"
            rows.append(row)
            print(f"  {shape} {individuals}: {row['ms']:.1f} ms", file=sys.stderr, flush=True)
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
    print()
    print_table(rows, args.limit)
    ok = check_targets(rows, args.limit)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
