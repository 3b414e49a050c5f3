#!/usr/bin/env python3
"""The window demo end to end, as a user plays it: scripts/demo --window in French under a virtual display,
driven by keys and clicks (xdotool). Connect, download the demo catalogue, open the .DIA report, open the
terminal configuration in the Maintenance activity, quit; what reached the terminal is read from the simulated
terminal's own lines. Leaves no process and no port behind.

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

# Places in the window (relative to its top-left corner) on a 1280x860 screen; the window opens at its default
# size there.
FAVOURITES = (306, 90)
FIRST_LOCAL_ROW = (446, 159)
TERMINAL_ROW = {"ACTIVITY.INF": (836, 159), "APPCOUNTER.DIA": (836, 177)}
ACTIVITY_MENU = (96, 8)
MAINTENANCE_ITEM = (136, 73)
TERMINAL_MENU = (34, 8)
QUIT_ITEM = (46, 189)


def fail(why):
    print("FAIL: " + why, flush=True)
    sys.exit(1)


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

    def wait_line(self, pattern, bound=BOUND):
        deadline = time.monotonic() + bound
        for line in self.lines:
            if re.search(pattern, line):
                return line
        while time.monotonic() < deadline:
            try:
                line = self.new_lines.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                break
            if re.search(pattern, line):
                return line
        fail("the demo never printed /%s/" % pattern)

    def find_window(self):
        deadline = time.monotonic() + BOUND
        while time.monotonic() < deadline:
            found = self.xdo("search", "--onlyvisible", "--name", "Pendraxa").stdout.split()
            if found:
                self.window = found[0]
                return
            time.sleep(0.5)
        fail("the main window never showed")

    def click(self, at, double=False):
        self.xdo("mousemove", "--window", self.window, str(at[0]), str(at[1]))
        if double:
            self.xdo("click", "--repeat", "2", "--delay", "80", "1")
        else:
            self.xdo("click", "1")
        time.sleep(0.5)

    def key(self, *keys):
        self.xdo("key", *keys)
        time.sleep(0.5)

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
    try:
        d.start_display()
        d.start_demo()
        catalogue = d.wait_line(r"the demo catalogue list: ", 120).split(": ", 1)[1]
        work = catalogue.rsplit("/catalogue/", 1)[0]
        d.find_window()
        time.sleep(2)

        # Connect: the terminal calls, identifies itself and is asked for the download activity.
        d.click((640, 450))
        d.key("F4")
        d.wait_line(r"session 1: activity DOWNLOAD authorised")
        time.sleep(3)

        # The catalogue folder typed into the favourites, the list selected, Download.
        d.click(FAVOURITES)
        d.key("ctrl+a")
        d.xdo("type", "--delay", "20", os.path.dirname(catalogue) + "/")
        d.key("Return")
        time.sleep(2)
        d.click(FIRST_LOCAL_ROW)
        d.key("F2")
        d.wait_line(r"received DEMOAPP\.SGN in ..\\SWAP")
        d.wait_line(r"renamed it DEMO_LIBRARY_COMPONENT\.SGN")
        time.sleep(3)

        # The .DIA named for its converter opens in the converter's report.
        d.click(TERMINAL_ROW["APPCOUNTER.DIA"], double=True)
        d.wait_line(r"sent APPCOUNTER\.DIA")
        time.sleep(4)
        d.key("ctrl+a")
        d.key("ctrl+c")
        report = d.clipboard()
        d.shot("demo_dia_fr.png")
        if "Counters [number:value]" not in report or "0001: 1234" not in report:
            fail("the report reads: %r" % report)
        d.key("Escape")

        # Maintenance: the activity asked again, then the terminal configuration.
        d.click(ACTIVITY_MENU)
        d.click(MAINTENANCE_ITEM)
        d.wait_line(r"activity MAINTENANCE authorised")
        time.sleep(2)
        d.key("ctrl+j")
        d.wait_line(r"sent \\SWAP\\TERMINAL\.CNF")
        time.sleep(3)
        d.shot("demo_config_fr.png")
        d.key("Escape")

        # Quit, answered Oui: the session ends and so does the demo.
        d.click(TERMINAL_MENU)
        d.click(QUIT_ITEM)
        time.sleep(1)
        d.key("Return")
        d.wait_line(r"JVZ ended \(status 0\)", 60)
        d.demo.wait(30)
        if d.demo.returncode != 0:
            fail("the demo ended with %d" % d.demo.returncode)
        left = subprocess.run(["pgrep", "-f", work], capture_output=True, text=True).stdout.split()
        if left:
            fail("processes left behind: " + " ".join(left))
        if not port_21_free():
            fail("port 21 of 127.0.0.2 is still taken")
        print("PASS", flush=True)
    finally:
        d.stop()


if __name__ == "__main__":
    main()
