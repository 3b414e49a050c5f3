#!/usr/bin/python3
"""Batch download benchmark (not a test): the program against curl, both as whole processes.

The same files go to the same loopback FTP server in the same run:
- the real program, `JVZ -c<list> -n -l<user> -p<password> -sls`, started in a scratch copy of the program folder
  with its own HOME, timed from its start to the moment its last file is in place on the server (final name,
  full size); the program's fixed wait before it disconnects comes after that and is not counted;
- one `curl -P - -K <config>` process, timed from its start to its exit; the config file names the files
  relative to curl's working folder, so no list is too long for a command line.
After every run the arrived files are compared with the sources by content (SHA-256).

Two servers, one after the other:
- the test server (tests/support/ftp_server.py, pyftpdlib: one Python event loop, usually the bottleneck);
- vsftpd (Debian package vsftpd), a C server that is not: started here with a configuration of its own in the
  scratch folder (anonymous user on a scratch root, uploads, active mode only), touching no system file or
  account, and stopped at the end. The terminal's paths use backslashes (CWD \\SWAP\\, CWD ..\\SWAP), which
  the test server understands; for vsftpd the scratch root holds such names as links to itself and to SWAP.

    bench/batch_download.py [--build-dir build] [--rounds 5] [--servers test,vsftpd] [--loads 0,1,2,...]

Loads: one small file, 200 files of 64 KiB, one file of 64 MiB, 1,000 small files (once more with the list naming
them in capitals, as a list written on Windows may), 10,000 small files. Each round runs both sides, the side that
goes first alternating from round to round, and every run gets a fresh server on a fresh loopback address, so no
side meets connections the other left in TIME_WAIT; before a run the loopback TIME_WAIT count is also let fall
below a ceiling, so the port range never runs short. Minimum, median and maximum of each side and the ratio of
the medians are printed, with the machine's load average at the start and the end.
Then the start-up of one small-file run, split by stage, from the program's own timestamped diagnostics.

The program's FTP client calls port 21 on the terminal's address, so each server listens on port 21 of an address
of 127.32.0.0/16, under a lock that keeps two benchmarks apart. Everything stays on loopback; the servers and the
program are bounded in time and stopped with this script.
"""
import argparse
import fcntl
import hashlib
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
# The anonymous user of vsftpd; the test server is given the same name, so both sides log in alike everywhere.
USER, PASSWORD = "ftp", "905173"
RUN_BOUND = 300.0
POLL = 0.0005
FTP21_LOCK = "/tmp/jvz-ftp21.lock"
VSFTPD = "/usr/sbin/vsftpd"
# Loopback TIME_WAIT sockets allowed before a run starts: well inside the ephemeral port range (about 28,000).
TIME_WAIT_CEILING = 18000
DRAIN_BOUND = 90.0


class Addresses:
    """Fresh loopback addresses, one a server start: 127.32.0.1, 127.32.0.2, ..."""

    def __init__(self):
        self.next = 0

    def take(self):
        self.next += 1
        return "127.32.%d.%d" % (self.next // 250, self.next % 250 + 1)


def wait_for_listener(address, process, bound=10.0):
    deadline = time.monotonic() + bound
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        try:
            with socket.create_connection((address, 21), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.01)
    return False


class TestServer:
    """tests/support/ftp_server.py over root; ends when its standard input closes."""

    title = "test server (pyftpdlib)"

    def __init__(self, root, work):
        self.root, self.log = root, os.path.join(work, "ftp.log")
        self.process = None

    def start(self, address):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SOURCE, "tests", "support", "ftp_server.py"), "--root", self.root,
             "--user", USER, "--password", PASSWORD, "--log", self.log, "--max-seconds", "900", "--host", address,
             "--port", "21"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline().split()
        if len(line) != 2 or line[0] != "PORT":
            self.stop()
            sys.exit("the test FTP server did not start on %s:21" % address)

    def stop(self):
        if not self.process:
            return
        self.process.stdin.close()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process = None


class Vsftpd:
    """vsftpd with a configuration of its own in the scratch folder; stopped with its whole process group."""

    title = "vsftpd"

    def __init__(self, root, work):
        self.root, self.work = root, work
        self.empty = os.path.join(work, "vsftpd-empty")
        os.makedirs(self.empty, exist_ok=True)
        self.process = None

    def start(self, address):
        config = os.path.join(self.work, "vsftpd.conf")
        with open(config, "w") as f:
            f.write("\n".join([
                "listen=YES", "listen_ipv6=NO", "listen_address=" + address, "listen_port=21", "background=NO",
                # The anonymous user (the package's own "ftp" account) on the scratch root: no system account
                # is used or changed, and no PAM service is consulted.
                "anonymous_enable=YES", "local_enable=NO", "no_anon_password=YES", "anon_root=" + self.root,
                "write_enable=YES", "anon_upload_enable=YES", "anon_mkdir_write_enable=YES",
                "anon_other_write_enable=YES", "anon_world_readable_only=NO", "anon_umask=022",
                # Active mode only, as the terminal works.
                "port_enable=YES", "pasv_enable=NO", "connect_from_port_20=NO",
                "secure_chroot_dir=" + self.empty, "xferlog_enable=NO", "syslog_enable=NO",
                "vsftpd_log_file=" + os.path.join(self.work, "vsftpd.log"), "dirmessage_enable=NO",
                "seccomp_sandbox=NO", "isolate=NO", "isolate_network=NO", "max_clients=0", "max_per_ip=0",
                "idle_session_timeout=600", "data_connection_timeout=120", "ftpd_banner=terminal ready", ""]))
        self.process = subprocess.Popen([VSFTPD, config], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        if not wait_for_listener(address, self.process):
            self.stop()
            sys.exit("vsftpd did not start on %s:21" % address)

    def stop(self):
        if not self.process:
            return
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        self.process = None


def make_load(folder, count, size, capitals=False):
    os.makedirs(folder)
    names = []
    for i in range(count):
        name = "f%05d.bin" % i
        with open(os.path.join(folder, name), "wb") as f:
            f.write(os.urandom(size))
        names.append(name)
    # A list whose name ends in X suits any terminal: a network-link run has no terminal identification.
    with open(os.path.join(folder, "LOAD.M4X"), "w", newline="\r\n") as f:
        # A list written on Windows may name the files in another case than the disk has them.
        f.write(";benchmark load\n-eSWAP\n" + "".join((n.upper() if capitals else n) + "\n" for n in names))
    return names


# curl reads no config line longer than 100 KiB, so the names go in sets of this many, each with its URL.
CURL_NAMES_A_LINE = 1000


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def clear_swap(swap):
    for name in os.listdir(swap):
        path = os.path.join(swap, name)
        if name != "ACTIVITY.INF" and not os.path.islink(path):
            os.remove(path)


def check_arrived(swap, names, upper, sources):
    for name in names:
        remote = os.path.join(swap, name.upper() if upper else name)
        if not os.path.exists(remote) or digest(remote) != sources[name]:
            sys.exit("%s did not arrive as sent" % remote)


def loopback_time_wait():
    out = subprocess.run(["ss", "-tanH", "state", "time-wait"], capture_output=True, text=True).stdout
    return sum(1 for line in out.splitlines() if " 127." in line)


def drain_time_wait():
    """Waits, bounded, until the loopback TIME_WAIT sockets are under the ceiling; returns the seconds waited."""
    start = time.monotonic()
    while loopback_time_wait() > TIME_WAIT_CEILING and time.monotonic() - start < DRAIN_BOUND:
        time.sleep(0.5)
    return time.monotonic() - start


def write_program_folder(build_dir, target):
    shutil.copytree(os.path.join(build_dir, "bin"), target, symlinks=True)


def point_program_at(target, address):
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
    process = subprocess.Popen([os.path.join(program_dir, "JVZ"), "-c" + list_path, "-n", "-l" + USER, "-p" + PASSWORD,
                                # Last: the option's value must be "ls" exactly, with no blank after it.
                                "-sls"], cwd=program_dir, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=err)
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


def run_curl(address, folder, names, home):
    # Names relative to the load's folder (curl's working folder), in a config file instead of on the command
    # line, which would be too long for 10,000 files; one process, one connection for all the sets.
    url = "ftp://%s:%s@%s/SWAP/" % (USER, PASSWORD, address)
    config = os.path.join(home, "curl.config")
    with open(config, "w") as f:
        for i in range(0, len(names), CURL_NAMES_A_LINE):
            f.write('upload-file = "{%s}"\nurl = "%s"\n' % (",".join(names[i:i + CURL_NAMES_A_LINE]), url))
    env = dict(os.environ, HOME=home)
    start = time.monotonic()
    subprocess.run(["curl", "-q", "-s", "-S", "-P", "-", "-K", config], cwd=folder, env=env, check=True,
                   timeout=RUN_BOUND)
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


def spread(values):
    return "%7.3f %7.3f %7.3f" % (min(values), statistics.median(values), max(values))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--rounds", type=int, default=5, help="at least 5")
    parser.add_argument("--servers", default="test,vsftpd")
    parser.add_argument("--loads", default="", help="indexes of the loads to run, e.g. 0,4 (default: all)")
    parser.add_argument("--show-log", action="store_true", help="print the start-up run's diagnostics")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    if not os.access(os.path.join(build_dir, "bin", "JVZ"), os.X_OK):
        sys.exit("build the program first (%s/bin/JVZ)" % build_dir)
    kinds = {"test": TestServer, "vsftpd": Vsftpd}
    servers = [s for s in args.servers.split(",") if s]
    if any(s not in kinds for s in servers):
        sys.exit("servers: test, vsftpd")
    if "vsftpd" in servers and not os.access(VSFTPD, os.X_OK):
        sys.exit("vsftpd is needed for the second server: apt-get install vsftpd")
    rounds = max(5, min(args.rounds, 20))
    # Stopped from outside, it still stops its servers and removes its scratch folder.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))

    work = tempfile.mkdtemp(prefix="jvz-bench-")
    os.chmod(work, 0o755)  # vsftpd's anonymous user walks to its root below
    server = None
    lock = open(FTP21_LOCK, "a")
    addresses = Addresses()
    try:
        root = os.path.join(work, "terminal")
        swap = os.path.join(root, "SWAP")
        os.makedirs(swap)
        with open(os.path.join(swap, "ACTIVITY.INF"), "w", newline="\r\n") as f:
            f.write("[Running Component List]\nfilename=LIST.TXT\n[exchange]\nDisk free size=100000000000\n")
        # vsftpd: the root is not writable by the anonymous user (it refuses one that is), SWAP is.
        ftp_ids = None
        try:
            import pwd
            entry = pwd.getpwnam("ftp")
            ftp_ids = (entry.pw_uid, entry.pw_gid)
        except KeyError:
            pass
        if "vsftpd" in servers and ftp_ids is None:
            sys.exit("vsftpd's anonymous user 'ftp' is missing (it comes with the vsftpd package)")
        if ftp_ids:
            os.chown(swap, *ftp_ids)
        # The terminal's paths use backslashes: after the login the program changes to "\\SWAP\\" (or "\\"),
        # reads "\\SWAP\\ACTIVITY.INF", then changes to "..\\SWAP". The test server reads them as separators; for
        # vsftpd they are names, so the root and SWAP hold them as links.
        for folder, name, target in ((root, "\\", "."), (root, "\\SWAP\\", "SWAP"), (root, "..\\SWAP", "SWAP"),
                                     (swap, "..\\SWAP", "."), (swap, "\\SWAP\\ACTIVITY.INF", "ACTIVITY.INF")):
            os.symlink(target, os.path.join(folder, name))
        program_dir = os.path.join(work, "program")
        write_program_folder(build_dir, program_dir)
        loads = [("1 small file", 1, 5000, False), ("200 files of 64 KiB", 200, 64 * 1024, False),
                 ("1 file of 64 MiB", 1, 64 * 1024 * 1024, False), ("1,000 small files", 1000, 5000, False),
                 ("the same, list in capitals", 1000, 5000, True), ("10,000 small files", 10000, 5000, False)]
        chosen = [int(i) for i in args.loads.split(",") if i] or list(range(len(loads)))
        prepared = []
        for index in chosen:
            title, count, size, capitals = loads[index]
            folder = os.path.join(work, "load-%d" % index)
            names = make_load(folder, count, size, capitals)
            prepared.append((title, folder, names, size, {n: digest(os.path.join(folder, n)) for n in names}))

        fcntl.flock(lock, fcntl.LOCK_EX)
        print("load average at the start: %.2f %.2f %.2f (%d CPUs)" % (os.getloadavg() + (os.cpu_count(),)))
        print("%d rounds a load, the side going first alternating; a fresh server and address every run"
              % rounds, flush=True)
        waited = 0.0
        for kind in servers:
            server = kinds[kind](root, work)
            print("\n%s\n%-28s %23s %23s %7s" % (server.title, "load", "JVZ s (min med max)",
                                                 "curl s (min med max)", "ratio"), flush=True)
            for index, (title, folder, names, size, sources) in enumerate(prepared):
                times = {"JVZ": [], "curl": []}
                for r in range(rounds):
                    for side in (("JVZ", "curl") if r % 2 == 0 else ("curl", "JVZ")):
                        home = os.path.join(work, "home-%s-%d-%d-%s" % (kind, index, r, side))
                        os.makedirs(home)
                        clear_swap(swap)
                        waited += drain_time_wait()
                        address = addresses.take()
                        server.start(address)
                        try:
                            if side == "JVZ":
                                point_program_at(program_dir, address)
                                last = os.path.join(swap, names[-1].upper())
                                seconds, _, _ = run_program(program_dir, home, os.path.join(folder, "LOAD.M4X"),
                                                            last, size)
                            else:
                                seconds = run_curl(address, folder, names, home)
                        finally:
                            server.stop()
                        times[side].append(seconds)
                        check_arrived(swap, names, side == "JVZ", sources)
                        shutil.rmtree(home, ignore_errors=True)
                ratio = statistics.median(times["JVZ"]) / statistics.median(times["curl"])
                print("%-28s %23s %23s %6.2fx" % (title, spread(times["JVZ"]), spread(times["curl"]), ratio),
                      flush=True)
            server = None
        print("\nwaited %.0f s in all for loopback TIME_WAIT sockets to fall under %d" % (waited, TIME_WAIT_CEILING))
        print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())

        # Start-up split: one small file against the test server, with the program's diagnostics timestamped.
        title, folder, names, size, sources = prepared[0]
        home = os.path.join(work, "home-stages")
        os.makedirs(home)
        clear_swap(swap)
        server = TestServer(root, work)
        address = addresses.take()
        server.start(address)
        point_program_at(program_dir, address)
        last = os.path.join(swap, names[-1].upper())
        seconds, start, log = run_program(program_dir, home, os.path.join(folder, "LOAD.M4X"), last, size,
                                          trace=True)
        server.stop()
        server = None
        check_arrived(swap, names, True, sources)
        rows, stamps = stage_split(start, log, start + seconds)
        print("\nstart-up of one %s (%.3f s to the file in place):" % (title, seconds))
        for name, value in rows:
            print("  %-18s %s" % (name, "%.3f s" % value if value is not None else "(no mark)"))
        if args.show_log:
            for t, text in stamps:
                print("  %+.4f %s" % (t - start, text))
    finally:
        if server:
            server.stop()
        lock.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
