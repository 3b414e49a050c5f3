#!/usr/bin/env python3
"""Fails when a C++ source of the tree differs from what clang-format makes of it with the tree's .clang-format.

Usage: check_format.py CLANG_FORMAT SOURCE_DIR
"""
import concurrent.futures
import os
import subprocess
import sys

FOLDERS = ("app", "bench", "cmake", "core", "diagconv", "platform", "scripts", "session", "sigdump",
           "terminal_files", "tests", "usbenum", "workspace")
# The layering check's fixture is a deliberately broken tree whose findings name line numbers.
SKIP = (os.path.join("tests", "layers", "fixture"),)


def sources(top):
    for folder in FOLDERS:
        for d, dirs, files in os.walk(os.path.join(top, folder)):
            rel = os.path.relpath(d, top)
            dirs[:] = [x for x in dirs if not x.startswith(("build", ".")) and x != "corpus"]
            if rel.startswith(SKIP):
                dirs[:] = []
                continue
            for f in sorted(files):
                if f.endswith((".cpp", ".h")):
                    yield os.path.join(rel, f)


def main():
    clang_format, top = sys.argv[1], sys.argv[2]
    files = sorted(sources(top))
    wrong = []

    # --dry-run names each file that would change in a warning of its own: "<file>:<line>:<col>: warning".
    def check(batch):
        return subprocess.run([clang_format, "--style=file", "--dry-run"] + batch, cwd=top, capture_output=True,
                              text=True)

    # Batches side by side, so the check takes seconds.
    batches = [files[i:i + 60] for i in range(0, len(files), 60)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=min(4, os.cpu_count() or 1)) as pool:
        runs = list(pool.map(check, batches))
    for run in runs:
        if run.returncode != 0:
            print(run.stderr)
            return 2
        for line in run.stderr.splitlines():
            name = line.split(":", 1)[0]
            if ": warning:" in line and name not in wrong:
                wrong.append(name)
    for f in wrong:
        print("not formatted: " + f)
    print("format: %d of %d files differ from .clang-format (run scripts/format)" % (len(wrong), len(files)))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
