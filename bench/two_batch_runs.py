#!/usr/bin/python3
"""Two unattended downloads at once against one loopback test FTP server (not a test).

Each try starts the test server (tests/support/ftp_server.py), then two jvz_batch_bench processes that each
put the same 20 files of 64 KiB into \\SWAP\\, and prints each run's wall time (login to QUIT) and result.
With --threaded the server serves each connection in its own thread instead of its single event loop.

    bench/two_batch_runs.py [--build-dir build] [--tries 10] [--threaded]

Everything stays on 127.0.0.1; each server stops when its try ends.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--tries", type=int, default=10)
    parser.add_argument("--files", type=int, default=20)
    parser.add_argument("--threaded", action="store_true")
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "jvz_batch_bench")
    work = tempfile.mkdtemp(prefix="two-batch-runs-")
    worst_gap = 0.0
    try:
        for attempt in range(args.tries):
            folder = os.path.join(work, "try%d" % attempt)
            root = os.path.join(folder, "root")
            os.makedirs(os.path.join(root, "SWAP"))
            with open(os.path.join(root, "SWAP", "ACTIVITY.INF"), "w", newline="") as f:
                f.write("[Running Component List]\r\nfilename=LIST.TXT\r\n[exchange]\r\n"
                        "Disk free size=1000000000\r\n")
            command = ["/usr/bin/python3", os.path.join(SOURCE, "tests", "support", "ftp_server.py"), "--root",
                       root, "--user", "jvz", "--password", "terminal", "--log", os.path.join(folder, "server.log"),
                       "--max-seconds", "600"]
            if args.threaded:
                command.append("--threaded")
            server = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
            port = server.stdout.readline().split()[1]
            runs = []
            for run in range(2):
                catalogue = os.path.join(folder, "catalogue%d" % run)
                os.makedirs(catalogue)
                names = ["f%03d.bin" % i for i in range(args.files)]
                for name in names:
                    with open(os.path.join(catalogue, name), "wb") as f:
                        f.write(os.urandom(65536))
                with open(os.path.join(catalogue, "LOAD.M40"), "w", newline="\r\n") as f:
                    f.write("-eSWAP\n" + "".join(n + "\n" for n in names))
                runs.append((time.monotonic(), subprocess.Popen(
                    [bench, "127.0.0.1", port, "jvz", "terminal", os.path.join(catalogue, "LOAD.M40")],
                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)))
            walls = []
            for started, process in runs:
                try:
                    out, _ = process.communicate(timeout=300)
                except subprocess.TimeoutExpired:
                    process.kill()
                    out = "did not end"
                walls.append((time.monotonic() - started, out.strip()))
            server.stdin.close()
            server.wait(timeout=10)
            gap = abs(walls[0][0] - walls[1][0])
            worst_gap = max(worst_gap, gap)
            print("try %d: %.2f s (%s), %.2f s (%s), gap %.2f s" % (attempt, walls[0][0], walls[0][1], walls[1][0],
                                                                    walls[1][1], gap), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("worst gap between the two runs: %.2f s" % worst_gap)


if __name__ == "__main__":
    sys.exit(main())
