#!/usr/bin/env python3
"""Holds the layers the code keeps: windows live in ui/ folders and in the targets marked as windows
(JVZ_LAYER=windows: the <name>_ui libraries, libJVZWindows.so); everything else is logic.

Fails when
- a file outside ui/ includes a widget (a header of Qt Widgets or Qt PrintSupport) or a ui/ header, unless only
  window targets or targets of tests/ and bench/ (which may show windows) build it;
- a logic target links a window library, directly or through the libraries it links (read from the target map
  the configure step writes), or its link line in build.ninja names one;
- a file of a folder (its ui/ included) includes a header of a folder that folder may not use: each uses only
  the folders below it in the order docs/ARCHITECTURE.md draws (FOLDER_USES).

check_layers.py SOURCE_DIR BUILD_DIR QT_MODULE_INCLUDE_DIR...
"""

import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
UI_HEADER = re.compile(r"(^|/)ui/")
# What the link line of a logic program must not name.
WINDOW_LINK_ITEM = re.compile(r"(lib[^/\s]*_ui\.a|libQt6Widgets|libQt6PrintSupport|libQt6OpenGLWidgets|libJVZWindows)")
WINDOW_QT_TARGETS = {"Qt6::Widgets", "Qt6::PrintSupport", "Qt6::OpenGLWidgets",
                     "Qt::Widgets", "Qt::PrintSupport", "Qt::OpenGLWidgets"}
LINK_ONLY = re.compile(r"^\$<LINK_ONLY:(.*)>$")
# Folders of tests and timing programs: they may build and link windows.
TEST_FOLDERS = ("tests", "bench")
# Each folder and the folders right below it, as docs/ARCHITECTURE.md draws them; a folder may use those and
# whatever they may use.
FOLDER_USES = {
    "app": {"workspace"},
    "workspace": {"terminal_files"},
    "terminal_files": {"session", "sigdump"},  # sigdump: the signed files' layout, read by both
    "session": {"core", "usbenum"},
    "core": {"platform"},
    "usbenum": {"platform"},
    "sigdump": {"platform"},
    "diagconv": {"platform"},
    "platform": set(),
}


def folders_below(folder):
    below, queue = set(), list(FOLDER_USES[folder])
    while queue:
        f = queue.pop()
        if f not in below:
            below.add(f)
            queue.extend(FOLDER_USES[f])
    return below


class Target:
    def __init__(self, name, kind, layer, folder, sources, links, output):
        self.name, self.kind, self.layer, self.folder = name, kind, layer, folder
        self.sources, self.links, self.output = sources, links, output


def read_targets(path, source_dir):
    targets = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            name, kind, layer, folder, sources, links, output = line.split("\t")
            folder = os.path.normpath(os.path.join(source_dir, folder))
            srcs = {os.path.normpath(os.path.join(folder, s)) for s in sources.split(";") if s}
            items = []
            for item in links.split(";"):
                m = LINK_ONLY.match(item)
                items.append(m.group(1) if m else item)
            targets[name] = Target(name, kind, layer, folder, srcs, [i for i in items if i], output)
    return targets


def window_headers(module_dirs):
    """Every header of the window modules, as a program would name it: <QWidget>, <QtWidgets/QWidget>, ..."""
    names = set()
    for d in module_dirs:
        module = os.path.basename(os.path.normpath(d))
        names.add(module)
        for n in os.listdir(d):
            names.add(n)
            names.add(module + "/" + n)
    return names


def is_under(path, folder):
    return os.path.commonpath([path, folder]) == folder


def is_test(target, test_dirs):
    return any(is_under(target.folder, d) for d in test_dirs)


def check_includes(source_dir, build_dir, targets, module_dirs, test_dirs):
    findings = []
    widgets = window_headers(module_dirs)
    owners = {}
    for t in targets.values():
        for s in t.sources:
            owners.setdefault(s, []).append(t)

    def window_or_test(t):
        return t.layer == "windows" or is_test(t, test_dirs)

    for root, dirs, files in os.walk(source_dir):
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and d != "ui"
                         and os.path.join(root, d) not in test_dirs + [build_dir]
                         and not os.path.exists(os.path.join(root, d, "CMakeCache.txt")))
        for n in sorted(files):
            if not n.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(root, n)
            built_by = owners.get(path, [])
            if built_by and all(window_or_test(t) for t in built_by):
                continue
            rel = os.path.relpath(path, source_dir)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    header = m.group(2)
                    if m.group(1) == "<" and header in widgets:
                        findings.append(f"{rel}:{number}: includes the widget header <{header}> outside ui/")
                    elif UI_HEADER.search(header):
                        findings.append(f"{rel}:{number}: includes the window header \"{header}\" outside ui/")
    return findings


def check_folder_order(source_dir):
    """A file of a drawn folder includes, by its path from the source folder, a header of a folder it may not use."""
    findings = []
    for folder in sorted(FOLDER_USES):
        top = os.path.join(source_dir, folder)
        allowed = folders_below(folder) | {folder}
        for root, dirs, files in os.walk(top):
            dirs[:] = sorted(d for d in dirs if not d.startswith(".")
                             and not os.path.exists(os.path.join(root, d, "CMakeCache.txt")))
            for n in sorted(files):
                if not n.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(root, n)
                rel = os.path.relpath(path, source_dir)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m or "/" not in m.group(2):
                            continue
                        used = m.group(2).split("/", 1)[0]
                        if used in FOLDER_USES and used not in allowed:
                            findings.append(f"{rel}:{number}: {folder} includes \"{m.group(2)}\" of {used}, "
                                            f"a folder it may not use")
    return findings


def check_link_map(targets, test_dirs):
    findings = []
    windows = {t.name for t in targets.values() if t.layer == "windows"} | WINDOW_QT_TARGETS
    for t in sorted(targets.values(), key=lambda t: t.name):
        if t.layer == "windows" or is_test(t, test_dirs):
            continue
        # Breadth first, so the path shown is a shortest one.
        seen = {t.name: None}
        queue = [t.name]
        while queue:
            current = queue.pop(0)
            node = targets.get(current)
            for item in node.links if node else []:
                if item in seen:
                    continue
                seen[item] = current
                if item in windows or WINDOW_LINK_ITEM.search(item):
                    path = [item]
                    while seen[path[-1]] is not None:
                        path.append(seen[path[-1]])
                    findings.append(f"{t.name}: links the window library {item} ({' -> '.join(reversed(path))})")
                    continue
                queue.append(item)
    return findings


def ninja_link_lines(build_ninja):
    """Output file (relative to the build folder) -> LINK_LIBRARIES of its link statement."""
    lines = {}
    current = None
    with open(build_ninja, encoding="utf-8") as f:
        for line in f:
            if line.startswith("build "):
                outputs = line[len("build "):].split(":", 1)[0].split(" | ")[0].split()
                current = outputs if "_LINKER__" in line else None
            elif current and line.startswith("  LINK_LIBRARIES = "):
                for o in current:
                    lines[os.path.normpath(o)] = line[len("  LINK_LIBRARIES = "):].split()
    return lines


def check_link_lines(targets, test_dirs, build_dir, build_ninja):
    findings = []
    lines = ninja_link_lines(build_ninja)
    for t in sorted(targets.values(), key=lambda t: t.name):
        if not t.output or t.layer == "windows" or is_test(t, test_dirs):
            continue
        out = os.path.normpath(os.path.relpath(os.path.join(build_dir, t.output), build_dir))
        for item in lines.get(out, []):
            if WINDOW_LINK_ITEM.search(item):
                findings.append(f"{t.name}: its link line names the window library {item}")
    return findings


def check(source_dir, build_dir, targets_file, build_ninja, module_dirs):
    source_dir = os.path.realpath(source_dir)
    build_dir = os.path.realpath(build_dir)
    targets = read_targets(targets_file, source_dir)
    test_dirs = [os.path.join(source_dir, d) for d in TEST_FOLDERS]
    return (check_includes(source_dir, build_dir, targets, module_dirs, test_dirs)
            + check_folder_order(source_dir)
            + check_link_map(targets, test_dirs)
            + check_link_lines(targets, test_dirs, build_dir, build_ninja))


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    source_dir, build_dir, module_dirs = argv[1], argv[2], argv[3:]
    findings = check(source_dir, build_dir, os.path.join(build_dir, "jvz_targets.txt"),
                     os.path.join(build_dir, "build.ninja"), module_dirs)
    for f in findings:
        print(f)
    if findings:
        print(f"layers: {len(findings)} finding(s); windows belong in ui/ and in the _ui libraries, and a folder "
              "uses only the folders below it")
        return 1
    print("layers: logic files include no widget or ui/ header; logic targets link no window library; each folder "
          "includes only the folders below it")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
