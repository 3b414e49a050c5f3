#!/usr/bin/env python3
"""The layering check against a small tree that breaks every rule once (fixture/), beside code it must let be."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402

FIXTURE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixture")


class LayerCheckOnBrokenTree(unittest.TestCase):
    def setUp(self):
        build = os.path.join(FIXTURE, "build")
        qt = os.path.join(FIXTURE, "qt")
        self.findings = check_layers.check(os.path.join(FIXTURE, "tree"), build,
                                           os.path.join(build, "jvz_targets.txt"),
                                           os.path.join(build, "build.ninja"),
                                           [os.path.join(qt, "QtWidgets"), os.path.join(qt, "QtPrintSupport")])

    def test_names_each_broken_rule_and_nothing_else(self):
        self.assertEqual(sorted(self.findings), sorted([
            # A widget in logic, by bare name, by module path, and from a header no target builds.
            "core/Prompt.cpp:2: includes the widget header <QMessageBox> outside ui/",
            "app/Common.cpp:2: includes the widget header <QtWidgets/QLabel> outside ui/",
            "app/Stray.h:3: includes the widget header <QPrinter> outside ui/",
            # A window header in logic.
            "core/Chooser.h:2: includes the window header \"core/ui/FolderChooser.h\" outside ui/",
            # A lower folder including a higher one, from its logic and from its windows.
            "core/LinkStatus.h:5: core includes \"session/Link.h\" of session, a folder it may not use",
            "session/ui/LinkWindow.h:4: session includes \"app/WindowMain.h\" of app, a folder it may not use",
            # Logic linking windows: directly, through a generator expression, and further down.
            "core: links the window library Qt6::Widgets (core -> Qt6::Widgets)",
            "session: links the window library session_ui (session -> session_ui)",
            "session: links the window library Qt6::Widgets (session -> core -> Qt6::Widgets)",
            "JVZ: links the window library session_ui (JVZ -> session -> session_ui)",
            "JVZ: links the window library Qt6::Widgets (JVZ -> session -> core -> Qt6::Widgets)",
            # The program's own link line.
            "JVZ: its link line names the window library core/libcore_ui.a",
            "JVZ: its link line names the window library /usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6.4.2",
        ]))


if __name__ == "__main__":
    unittest.main()
