#!/usr/bin/env python3
"""The window demo end to end, as a user plays it: scripts/demo --window in French under a virtual display,
driven by keys (xdotool). Connect, download the demo catalogue, open the .DIA report, open the terminal
configuration in the Maintenance activity, quit; what reached the terminal is read from the simulated terminal's
own lines. Every step waits for what it needs (a line of the terminal, a window taking the focus, the clipboard),
never a fixed time. Leaves no process and no port behind.

    demo_window_test.py <source folder> <build folder>
"""
import os
import queue
import re
import shutil
import socket
import subprocess
import sys
import threading
import time

BOUND = 30  # seconds for any one step
POLL = 0.05


def fail(why):
    print("FAIL: " + why, flush=True)
    sys.exit(1)


def wait_for(what, check, bound=BOUND):
    """Polls check() until it gives something true; fails naming what was awaited."""
    deadline = time.monotonic() + bound
    while time.monotonic() < deadline:
        found = check()
        if found:
            return found
        time.sleep(POLL)
    fail("waited %d s for %s" % (bound, what))


class Demo:
    def __init__(self, source, build):
        self.source = source
        self.build = build
        self.lines = []
        self.new_lines = queue.Queue()
        self.xvfb = None
        self.demo = None
        self.display = None
        self.window = None
        self.shots = os.path.join(build, "screenshots")
        os.makedirs(self.shots, exist_ok=True)

    def start_display(self):
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x860x24", "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        number = self.xvfb.stdout.readline().strip()
        if not number.isdigit():
            fail("no virtual display")
        self.display = ":" + number

    def xdo(self, *args):
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=BOUND)

    def start_demo(self):
        env = dict(os.environ, DISPLAY=self.display, JVZ_BUILD_DIR=self.build, JVZ_DEMO_LANGUAGE="2")
        env.pop("QT_QPA_PLATFORM", None)  # a real display: nobody connects but the user
        self.demo = subprocess.Popen([os.path.join(self.source, "scripts", "demo"), "--window"], env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                     start_new_session=True)

        def read():
            for line in self.demo.stdout:
                line = line.rstrip("\n")
                print("  | " + line, flush=True)
                self.lines.append(line)
                self.new_lines.put(line)

        threading.Thread(target=read, daemon=True).start()

    def mark(self):
        """Where the lines printed from now on start."""
        return len(self.lines)

    def wait_line(self, pattern, since=0, bound=BOUND):
        def seen():
            for line in self.lines[since:]:
                if re.search(pattern, line):
                    return line
            return None

        return wait_for("the demo to print /%s/" % pattern, seen, bound)

    def find_window(self):
        def shown():
            found = self.xdo("search", "--onlyvisible", "--name", "Pendraxa").stdout.split()
            return found[0] if found else None

        self.window = wait_for("the main window", shown)

    def focused(self):
        """The top-level window that has the keyboard (the main window, or a box or window it opened)."""
        out = self.xdo("getwindowfocus", "-f").stdout.strip()
        return out or None

    def wait_focus_leaves_main(self, what):
        return wait_for(what, lambda: (lambda f: f if f and f != self.window else None)(self.focused()))

    def take_keys(self):
        """The main window gets the keys back, as a user's click gives them: a window it opened for a while (the
        connect's, the copy window, a box) hands them to no one when it closes, without a window manager."""
        def back():
            if self.focused() != self.window:
                self.xdo("windowfocus", "--sync", self.window)
            return self.focused() == self.window

        wait_for("the main window to take the keys", back)

    def key(self, *keys):
        self.xdo("key", "--delay", "30", *keys)

    def type(self, text):
        self.xdo("type", "--delay", "20", text)

    def shot(self, name):
        env = dict(os.environ, DISPLAY=self.display)
        subprocess.run(["import", "-window", "root", os.path.join(self.shots, name)], env=env, timeout=BOUND)

    def clipboard(self):
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=env, capture_output=True, text=True,
                              timeout=BOUND).stdout

    def stop(self):
        if self.demo and self.demo.poll() is None:
            os.killpg(self.demo.pid, 15)
            try:
                self.demo.wait(20)
            except subprocess.TimeoutExpired:
                os.killpg(self.demo.pid, 9)
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            self.xvfb.wait(10)


def port_21_free():
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        s.bind(("127.0.0.2", 21))
        return True
    except OSError:
        return False
    finally:
        s.close()


def main():
    source, build = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "xdotool", "xclip", "import"):
        if not shutil.which(tool):
            fail(tool + " is missing: scripts/setup installs it")
    d = Demo(source, build)
    started = time.monotonic()
    try:
        d.start_display()
        d.start_demo()
        catalogue = d.wait_line(r"the demo catalogue list: ", bound=120).split(": ", 1)[1]
        work = catalogue.rsplit("/catalogue/", 1)[0]
        d.find_window()
        print("window shown after %.1f s" % (time.monotonic() - started), flush=True)

        # Connect (F4) once the window has the keys: the terminal calls, identifies itself, is asked for the
        # download and lists \SWAP\.
        d.take_keys()
        d.key("F4")
        d.wait_line(r"session 1: activity DOWNLOAD authorised")
        d.wait_line(r"listed \\SWAP\\")

        # The catalogue folder typed into the favourites box (Ctrl+K: from the terminal list to the local one,
        # then back along the tab chain), the list picked with Home, Download (F2). The local list fills on its
        # own: Home and F2 are pressed again until the download starts.
        d.take_keys()
        d.key("ctrl+k", *["shift+Tab"] * 5)
        d.key("ctrl+a")
        d.type(os.path.dirname(catalogue) + "/")
        d.key("Return", *["Tab"] * 5)
        since = d.mark()
        deadline = time.monotonic() + BOUND
        while not any("received " in line for line in d.lines[since:]):
            if time.monotonic() > deadline:
                fail("the download never started")
            d.key("Home", "F2")
            time.sleep(0.5)
        # DEMOAPP.SGN is already on the terminal: it arrives under a temporary name that replaces it.
        d.wait_line(r"renamed it DEMOAPP\.SGN", since)
        d.wait_line(r"renamed it DEMO_LIBRARY_COMPONENT\.SGN", since)
        d.wait_line(r"listed", d.mark() - 1)

        # The .DIA named for its converter: picked in the terminal list by typing its name, opened with Enter;
        # the report opens in the viewer, which takes the keys.
        # On the way the terminal filter, left, lists the terminal again: its activity ends and is asked anew.
        since = d.mark()
        d.take_keys()
        d.key("Tab", "Tab")
        d.wait_line(r"activity DOWNLOAD authorised", since)
        d.wait_line(r"listed", d.mark() - 1)
        since = d.mark()
        d.type("APPC")
        d.key("Return")
        d.wait_line(r"sent APPCOUNTER\.DIA", since)
        d.wait_focus_leaves_main("the report viewer")

        def report():
            d.key("ctrl+a", "ctrl+c")
            text = d.clipboard()
            return text if "Counters [number:value]" in text else None

        text = wait_for("the report in the clipboard", report)
        if "0001: 1234" not in text:
            fail("the report reads: %r" % text)
        d.shot("demo_dia_fr.png")
        d.key("Escape")
        d.take_keys()

        # Maintenance from the Activity menu (Alt+A, its third item), then the terminal configuration (Ctrl+J).
        since = d.mark()
        d.key("alt+a", "Down", "Down", "Return")
        d.wait_line(r"activity MAINTENANCE authorised", since)
        d.key("ctrl+j")
        d.wait_line(r"sent \\SWAP\\TERMINAL\.CNF", since)
        d.wait_focus_leaves_main("the configuration window")
        d.shot("demo_config_fr.png")
        d.key("Escape")
        d.take_keys()

        # Quit (Ctrl+Q), answered Oui: the session ends and so does the demo.
        d.key("ctrl+q")
        d.wait_focus_leaves_main("the quit question")
        d.key("Return")
        d.wait_line(r"JVZ ended \(status 0\)", bound=60)
        d.demo.wait(30)
        if d.demo.returncode != 0:
            fail("the demo ended with %d" % d.demo.returncode)
        # What reached the terminal, as it lists its \\SWAP\\ folder at its end: each file of the list whole.
        for name in ("DEMOAPP.SGN", "demo_library_component.sgn"):
            size = os.path.getsize(os.path.join(source, "scripts", "demo-data", "catalogue", name))
            d.wait_line(r"^  %s +%d bytes$" % (re.escape(name.upper()), size))
        left = subprocess.run(["pgrep", "-f", work], capture_output=True, text=True).stdout.split()
        if left:
            fail("processes left behind: " + " ".join(left))
        if not port_21_free():
            fail("port 21 of 127.0.0.2 is still taken")
        print("PASS in %.1f s" % (time.monotonic() - started), flush=True)
    finally:
        d.stop()


if __name__ == "__main__":
    main()
