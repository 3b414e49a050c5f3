#!/usr/bin/python3
"""Batch download benchmark (not a test).

Puts the same files on the loopback test FTP server twice: once through the program's batch download
(as with "-n": no progress window), timed from the login to the end of the last transfer, and once with a
single curl process in active mode (curl -P - -T "{f1,f2,...}"). Two loads: 200 files of 64 KiB, and one
file of 64 MiB. Prints the median time of each and the ratio program/curl.

    bench/batch_download.py [--build-dir build] [--rounds 3]

Everything stays on 127.0.0.1; the server stops with this script (and after --max-seconds at the latest).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
USER, PASSWORD = "jvz", "terminal"
CALL_TIMEOUT = 300


def start_server(root, log):
    server = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(SOURCE, "tests", "support", "ftp_server.py"), "--root", root,
         "--user", USER, "--password", PASSWORD, "--log", log, "--max-seconds", "1200"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline().split()
    if len(line) != 2 or line[0] != "PORT":
        server.kill()
        sys.exit("the FTP server did not start")
    return server, int(line[1])


def make_load(folder, count, size):
    os.makedirs(folder)
    names = []
    for i in range(count):
        name = "f%03d.bin" % i
        with open(os.path.join(folder, name), "wb") as f:
            f.write(os.urandom(size))
        names.append(name)
    with open(os.path.join(folder, "LOAD.M40"), "w", newline="\r\n") as f:
        f.write(";benchmark load\n-eSWAP\n" + "".join(n + "\n" for n in names))
    return names


def clear_swap(swap):
    for name in os.listdir(swap):
        if name != "ACTIVITY.INF":
            os.remove(os.path.join(swap, name))


def check_arrived(swap, folder, names, upper):
    for name in names:
        remote = os.path.join(swap, name.upper() if upper else name)
        if os.path.getsize(remote) != os.path.getsize(os.path.join(folder, name)):
            sys.exit("%s did not arrive whole" % remote)


def run_program(bench, port, folder):
    out = subprocess.run([bench, "127.0.0.1", str(port), USER, PASSWORD, os.path.join(folder, "LOAD.M40")],
                         capture_output=True, text=True, timeout=CALL_TIMEOUT)
    fields = out.stdout.split()
    if out.returncode != 0 or len(fields) < 4 or fields[3] != "0":
        sys.exit("the batch download failed: %s %s" % (out.stdout, out.stderr))
    return int(fields[1]) / 1000.0


def run_curl(port, folder, names):
    files = "{" + ",".join(os.path.join(folder, n) for n in names) + "}"
    url = "ftp://%s:%s@127.0.0.1:%d/SWAP/" % (USER, PASSWORD, port)
    start = time.monotonic()
    subprocess.run(["curl", "-s", "-S", "-P", "-", "-T", files, url], check=True, timeout=CALL_TIMEOUT)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "jvz_batch_bench")
    if not os.access(bench, os.X_OK):
        sys.exit("build the target jvz_batch_bench first (%s)" % bench)
    rounds = max(1, min(args.rounds, 10))

    work = tempfile.mkdtemp(prefix="jvz-bench-")
    server = None
    try:
        root = os.path.join(work, "terminal")
        swap = os.path.join(root, "SWAP")
        os.makedirs(swap)
        with open(os.path.join(swap, "ACTIVITY.INF"), "w", newline="\r\n") as f:
            f.write("[exchange]\nDisk free size=100000000000\n")
        server, port = start_server(root, os.path.join(work, "ftp.log"))
        loads = [("200 files of 64 KiB", 200, 64 * 1024), ("1 file of 64 MiB", 1, 64 * 1024 * 1024)]
        for title, count, size in loads:
            folder = os.path.join(work, "load-%d" % count)
            names = make_load(folder, count, size)
            program, curl = [], []
            for _ in range(rounds):
                clear_swap(swap)
                program.append(run_program(bench, port, folder))
                check_arrived(swap, folder, names, upper=True)
                clear_swap(swap)
                curl.append(run_curl(port, folder, names))
                check_arrived(swap, folder, names, upper=False)
            p, c = statistics.median(program), statistics.median(curl)
            print("%-20s program %.3f s  curl %.3f s  ratio %.2fx" % (title, p, c, p / c))
    finally:
        if server:
            server.stdin.close()
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
