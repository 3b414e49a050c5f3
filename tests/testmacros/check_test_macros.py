#!/usr/bin/env python3
"""Fails when a test source under tests/ uses one of QtTest's check macros (QTRY_*, QVERIFY*, QCOMPARE*, QFAIL,
QSKIP). The tests are GoogleTest programs: those macros report to QtTest, which no gtest test hears, and on a
failure they only return from the test body, so the test passes having stopped at its first failing check.

check_test_macros.py SOURCE_DIR
"""

import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
QT_CHECK = re.compile(r"\b(QTRY_[A-Z_]+|QVERIFY\w*|QCOMPARE\w*|QFAIL|QSKIP)\s*\(")
# Comments, then string and character literals (raw strings first): what they hold is no use of a macro. A quote
# after a digit separates digits (1'000).
NOT_CODE = re.compile(r'//[^\n]*|/\*.*?\*/|R"([^(\s]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|(?<![0-9A-Fa-f])\'(?:\\.|[^\'\\\n])*\'',
                      re.S)
ADVICE = ("QtTest's check; a failure only returns from the gtest test, which then passes. Use "
          "ASSERT_TRUE(jvztest::waitUntil([&] { return ...; }, boundMs)) from tests/support/WaitUntil.h for a wait, "
          "ASSERT_*/EXPECT_* for a check, GTEST_SKIP() to skip")


def blank(match):
    """The literal or comment as spaces, its line breaks kept so that line numbers still hold."""
    return re.sub(r"[^\n]", " ", match.group(0))


def findings_in(path, shown):
    with open(path, encoding="utf-8", errors="replace") as f:
        code = NOT_CODE.sub(blank, f.read())
    for m in QT_CHECK.finditer(code):
        line = code.count("\n", 0, m.start()) + 1
        yield "%s:%d: %s is %s" % (shown, line, m.group(1), ADVICE)


def check(tests_dir, top):
    findings = []
    for d, dirs, files in os.walk(tests_dir):
        dirs[:] = sorted(x for x in dirs if not x.startswith(("build", ".")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.join(d, name)
                findings.extend(findings_in(path, os.path.relpath(path, top)))
    return findings


def main():
    top = sys.argv[1]
    findings = check(os.path.join(top, "tests"), top)
    for f in findings:
        print(f)
    print("test macros: %d use(s) of QtTest's checks in tests/" % len(findings))
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
