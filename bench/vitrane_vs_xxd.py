#!/usr/bin/python3
"""Vitrane against xxd on one 16 MiB application-default file (a benchmark, not a test).

Both read the same file and write their text to a file of the same scratch folder; each round runs both, the
side that goes first alternating from round to round. Wall time and CPU time (user + system) of each process,
and its peak memory, are printed as minimum, median and maximum over the rounds, with the ratio of the medians.

    bench/vitrane_vs_xxd.py [--build-dir build] [--rounds 7] [--profile]

--profile then records one Vitrane run with perf (call graphs) and prints where its time goes.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
TIME = "/usr/bin/time"  # GNU time (Debian package time)
SIZE = 16 * 1024 * 1024  # the converters' ceiling


def make_input(path):
    # A 5-byte header, then records of pseudo-random bytes (dates of 100 and more included), a fixed seed.
    data = bytes([0x17, 0x05, 0x11, 0x0E, 0x2A]) + random.Random(1).randbytes(SIZE - 5)
    with open(path, "wb") as f:
        f.write(data)


def timed(command, stdout_path, work):
    """Wall seconds, CPU seconds (user + system) and peak resident KiB of one process, as GNU time reads them."""
    report = os.path.join(work, "time.txt")
    with open(stdout_path, "wb") if stdout_path else open(os.devnull, "wb") as out:
        subprocess.run([TIME, "-f", "%e %U %S %M", "-o", report] + command, stdout=out, stderr=subprocess.DEVNULL,
                       check=True)
    with open(report) as f:
        wall, user, system, rss = f.read().split()[-4:]
    return float(wall), float(user) + float(system), int(rss)


def row(title, values, unit):
    return "%-22s %9.3f %9.3f %9.3f %s" % (title, min(values), statistics.median(values), max(values), unit)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--profile", action="store_true")
    args = parser.parse_args()
    vitrane = os.path.join(os.path.abspath(args.build_dir), "bin", "Vitrane")
    if not os.access(vitrane, os.X_OK):
        sys.exit("build Vitrane first (%s)" % vitrane)
    xxd = shutil.which("xxd")
    if not xxd or not os.access(TIME, os.X_OK):
        sys.exit("xxd and GNU time are needed (Debian packages xxd and time)")
    rounds = max(3, args.rounds)
    work = tempfile.mkdtemp(prefix="vitrane-bench-")
    try:
        source = os.path.join(work, "APPDEFAULT.DIA")
        make_input(source)
        sides = {
            "Vitrane": lambda: timed([vitrane, source, os.path.join(work, "vitrane.txt")], None, work),
            "xxd": lambda: timed([xxd, source], os.path.join(work, "xxd.txt"), work),
        }
        results = {name: {"wall": [], "cpu": [], "rss": []} for name in sides}
        print("load average at the start: %.2f %.2f %.2f" % os.getloadavg())
        for r in range(rounds):
            order = list(sides) if r % 2 == 0 else list(reversed(list(sides)))
            for name in order:
                wall, cpu, rss = sides[name]()
                results[name]["wall"].append(wall)
                results[name]["cpu"].append(cpu)
                results[name]["rss"].append(rss / 1024.0)
        with open(os.path.join(work, "vitrane.txt"), "rb") as f:
            lines = sum(1 for _ in f)
        if lines != 5 + (SIZE - 5) // 8:
            sys.exit("Vitrane's report has %d lines, not one a record" % lines)
        print("16 MiB input, %d rounds, each side first in every other round" % rounds)
        print("%-22s %9s %9s %9s" % ("", "min", "median", "max"))
        for name in sides:
            print(row(name + " wall", results[name]["wall"], "s"))
            print(row(name + " CPU", results[name]["cpu"], "s"))
            print(row(name + " peak memory", results[name]["rss"], "MiB"))
        for measure in ("wall", "cpu"):
            ratio = statistics.median(results["Vitrane"][measure]) / statistics.median(results["xxd"][measure])
            print("Vitrane / xxd, median %s: %.2fx" % (measure, ratio))
        print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())
        if args.profile:
            data = os.path.join(work, "perf.data")
            subprocess.run(["perf", "record", "-q", "-g", "-o", data, vitrane, source,
                            os.path.join(work, "vitrane.txt")], check=True, stderr=subprocess.DEVNULL)
            report = subprocess.run(["perf", "report", "-i", data, "--no-children", "--stdio", "--sort", "symbol",
                                     "-g", "none", "--percent-limit", "2"], capture_output=True, text=True).stdout
            print("\nwhere Vitrane's time goes (perf, symbols over 2 %):")
            for line in report.splitlines():
                if line.strip() and not line.startswith("#"):
                    print("  " + line.strip())
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
