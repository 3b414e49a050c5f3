#!/usr/bin/python3
"""Batch download benchmark (not a test): the program against curl, both as whole processes.

The same files go to the same loopback FTP server (tests/support/ftp_server.py) in the same run:
- the real program, `JVZ -c<list> -n -sls`, started in a scratch copy of the program folder with its own HOME,
  timed from its start to the moment its last file is in place on the server (final name, full size); the
  program's fixed wait before it disconnects comes after that and is not counted;
- one `curl -P - -T "{f1,f2,...}"` process, timed from its start to its exit.
After every run the arrived files are compared with the sources by content (SHA-256).

    bench/batch_download.py [--build-dir build] [--rounds 3] [--address 127.0.0.24]

Loads: one small file, 200 files of 64 KiB, one file of 64 MiB, 1,000 small files (once more with the list naming
them in capitals, as a list written on Windows may); median of the rounds.
Then the start-up of one small-file run, split by stage, from the program's own timestamped diagnostics.

The program's FTP client calls port 21 on the terminal's address, so the server listens on port 21 of an
address of 127.0.0.0/8 of its own, under the lock the tests take for port 21. Everything stays on loopback;
the server and the program are bounded in time and stopped with this script.
"""
import argparse
import fcntl
import hashlib
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
USER, PASSWORD = "ftpuser", "905173"
RUN_BOUND = 300.0
POLL = 0.0005
FTP21_LOCK = "/tmp/jvz-ftp21.lock"


def start_server(root, log, address):
    server = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(SOURCE, "tests", "support", "ftp_server.py"), "--root", root, "--user",
         USER, "--password", PASSWORD, "--log", log, "--max-seconds", "1800", "--host", address, "--port", "21"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline().split()
    if len(line) != 2 or line[0] != "PORT":
        server.kill()
        sys.exit("the FTP server did not start on %s:21" % address)
    return server


def make_load(folder, count, size, capitals=False):
    os.makedirs(folder)
    names = []
    for i in range(count):
        name = "f%04d.bin" % i
        with open(os.path.join(folder, name), "wb") as f:
            f.write(os.urandom(size))
        names.append(name)
    # A list whose name ends in X suits any terminal: a network-link run has no terminal identification.
    with open(os.path.join(folder, "LOAD.M4X"), "w", newline="\r\n") as f:
        # A list written on Windows may name the files in another case than the disk has them.
        f.write(";benchmark load\n-eSWAP\n" + "".join((n.upper() if capitals else n) + "\n" for n in names))
    return names


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def clear_swap(swap):
    for name in os.listdir(swap):
        if name != "ACTIVITY.INF":
            os.remove(os.path.join(swap, name))


def check_arrived(swap, folder, names, upper, sources):
    for name in names:
        remote = os.path.join(swap, name.upper() if upper else name)
        if not os.path.exists(remote) or digest(remote) != sources[name]:
            sys.exit("%s did not arrive as sent" % remote)


def write_program_folder(build_dir, target, address):
    shutil.copytree(os.path.join(build_dir, "bin"), target, symlinks=True)
    # The program's own INI form: CRLF lines, as the program writes it.
    with open(os.path.join(target, "JVZ.ini"), "w", newline="\r\n") as f:
        f.write("[Options]\nEnumUSB=No\nNTProtocol=no\n"
                "[Protocol]\nConnectionName=JVZ Connection\nIP_LocalAddress=%s\nWaitingDcxTime=0\n" % address)


def program_env(home, trace):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                "XDG_CACHE_HOME": os.path.join(home, ".cache"), "XDG_RUNTIME_DIR": os.path.join(home, "run"),
                "TMPDIR": os.path.join(home, "tmp"), "QT_QPA_PLATFORM": "offscreen"})
    for d in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"):
        os.makedirs(env[d], mode=0o700, exist_ok=True)
    if trace:
        # Qt's own message pattern: a monotonic timestamp on every diagnostic, comparable with time.monotonic().
        env["QT_LOGGING_RULES"] = "jvz.*=true"
        env["QT_MESSAGE_PATTERN"] = "%{time boot} %{category} %{message}"
    return env


def wait_for_last(path, size, process, start):
    deadline = start + RUN_BOUND
    while time.monotonic() < deadline:
        try:
            if os.stat(path).st_size == size:
                return time.monotonic()
        except FileNotFoundError:
            pass
        if process.poll() is not None:
            return None
        time.sleep(POLL)
    return None


def run_program(program_dir, home, list_path, last_remote, last_size, trace=False):
    """Seconds from the program's start to its last file in place; the program is then left to end."""
    env = program_env(home, trace)
    err = open(os.path.join(home, "stderr.txt"), "w+")
    start = time.monotonic()
    process = subprocess.Popen([os.path.join(program_dir, "JVZ"), "-c" + list_path, "-n", "-sls"],
                               cwd=program_dir, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=err)
    arrived = wait_for_last(last_remote, last_size, process, start)
    try:
        process.wait(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    err.seek(0)
    log = err.read()
    err.close()
    if arrived is None:
        sys.exit("the program's batch download did not complete (exit %s):\n%s" % (process.returncode, log[-4000:]))
    with open(os.path.join(program_dir, "ResBatch.txt"), encoding="cp1252", errors="replace") as f:
        result = f.read()
    if not result.strip().startswith("0"):
        sys.exit("the program's result file does not read 0: %r" % result[:200])
    return arrived - start, start, log


def run_curl(address, folder, names):
    files = "{" + ",".join(os.path.join(folder, n) for n in names) + "}"
    url = "ftp://%s:%s@%s/SWAP/" % (USER, PASSWORD, address)
    start = time.monotonic()
    subprocess.run(["curl", "-s", "-S", "-P", "-", "-T", files, url], check=True, timeout=RUN_BOUND)
    return time.monotonic() - start


# Which diagnostic ends each stage of the start-up (first line of the run matching the pattern).
STAGES = [
    ("Qt start", r"^start-up, batch"),
    ("settings", r"^stage settings read"),
    ("window build", r"^stage window built"),
    ("start-up checks", r"^stage start-up checks done"),
    ("FTP login", r'^< "230'),
    ("list checks", r'^> "STOR'),
]


def stage_split(start, log, first_store):
    """Stage ends from the program's timestamped diagnostics, as seconds after the process start."""
    stamps = []
    for line in log.splitlines():
        m = re.match(r"\s*(\d+\.\d+) (\S+) (.*)", line)
        if m:
            stamps.append((float(m.group(1)), m.group(3)))
    rows, previous = [], 0.0
    for title, pattern in STAGES:
        hit = next((t for t, text in stamps if re.search(pattern, text, re.I)), None)
        if hit is None:
            rows.append((title, None))
            continue
        rows.append((title, hit - start - previous))
        previous = hit - start
    rows.append(("first transfer", first_store - start - previous if first_store else None))
    return rows, stamps


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--address", default="127.0.0.24")
    parser.add_argument("--show-log", action="store_true", help="print the start-up run's diagnostics")
    args = parser.parse_args()
    if not args.address.startswith("127."):
        sys.exit("loopback addresses only")
    build_dir = os.path.abspath(args.build_dir)
    if not os.access(os.path.join(build_dir, "bin", "JVZ"), os.X_OK):
        sys.exit("build the program first (%s/bin/JVZ)" % build_dir)
    rounds = max(1, min(args.rounds, 10))

    work = tempfile.mkdtemp(prefix="jvz-bench-")
    server = None
    lock = open(FTP21_LOCK, "a")
    try:
        root = os.path.join(work, "terminal")
        swap = os.path.join(root, "SWAP")
        os.makedirs(swap)
        with open(os.path.join(swap, "ACTIVITY.INF"), "w", newline="\r\n") as f:
            f.write("[Running Component List]\nfilename=LIST.TXT\n[exchange]\nDisk free size=100000000000\n")
        program_dir = os.path.join(work, "program")
        write_program_folder(build_dir, program_dir, args.address)
        loads = [("1 small file", 1, 5000, False), ("200 files of 64 KiB", 200, 64 * 1024, False),
                 ("1 file of 64 MiB", 1, 64 * 1024 * 1024, False), ("1,000 small files", 1000, 5000, False),
                 ("the same, list in capitals", 1000, 5000, True)]
        prepared = []
        for index, (title, count, size, capitals) in enumerate(loads):
            folder = os.path.join(work, "load-%d" % index)
            names = make_load(folder, count, size, capitals)
            prepared.append((title, folder, names, size, {n: digest(os.path.join(folder, n)) for n in names}))

        fcntl.flock(lock, fcntl.LOCK_EX)
        server_log = os.path.join(work, "ftp.log")
        server = start_server(root, server_log, args.address)
        print("%-28s %10s %10s %7s" % ("load", "JVZ s", "curl s", "ratio"))
        for index, (title, folder, names, size, sources) in enumerate(prepared):
            program, curl = [], []
            for r in range(rounds):
                home = os.path.join(work, "home-%d-%d" % (index, r))
                os.makedirs(home)
                clear_swap(swap)
                last = os.path.join(swap, names[-1].upper())
                seconds, _, _ = run_program(program_dir, home, os.path.join(folder, "LOAD.M4X"), last, size)
                program.append(seconds)
                check_arrived(swap, folder, names, True, sources)
                clear_swap(swap)
                curl.append(run_curl(args.address, folder, names))
                check_arrived(swap, folder, names, False, sources)
            p, c = statistics.median(program), statistics.median(curl)
            print("%-28s %10.3f %10.3f %6.2fx" % (title, p, c, p / c), flush=True)

        # Start-up split: one small file, with the program's diagnostics timestamped.
        title, folder, names, size, sources = prepared[0]
        home = os.path.join(work, "home-stages")
        os.makedirs(home)
        clear_swap(swap)
        last = os.path.join(swap, names[-1].upper())
        open(server_log, "w").close()
        seconds, start, log = run_program(program_dir, home, os.path.join(folder, "LOAD.M4X"), last, size,
                                          trace=True)
        check_arrived(swap, folder, names, True, sources)
        rows, stamps = stage_split(start, log, start + seconds)
        print("\nstart-up of one small file (%.3f s to the file in place):" % seconds)
        for name, value in rows:
            print("  %-18s %s" % (name, "%.3f s" % value if value is not None else "(no mark)"))
        if args.show_log:
            for t, text in stamps:
                print("  %+.4f %s" % (t - start, text))
    finally:
        if server:
            server.stdin.close()
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
        lock.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
