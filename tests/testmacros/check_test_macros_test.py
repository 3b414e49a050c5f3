#!/usr/bin/env python3
"""The QtTest-macro check on a small tree written for the test: each kind of use is found at its line, even after
digit separators; mentions in comments and strings, gtest's own checks and names that merely start alike are let
be."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_test_macros  # noqa: E402

BROKEN = """#include <QTest>
TEST(A, B)
{
    QTRY_VERIFY(ready());
    QTRY_COMPARE_WITH_TIMEOUT(count(), 2, 500);
    QCOMPARE (value(), 3);
    QVERIFY2(ok(), "why");
    if (none())
        QSKIP("nothing");
}
"""

MENTIONS = """// QTRY_VERIFY(x) returned silently; /* QCOMPARE(a, b) */ too.
#include "WaitUntil.h"
/* QVERIFY(ok());
   QFAIL("x"); */
TEST(A, C)
{
    ASSERT_TRUE(jvztest::waitUntil([&] { return ready(); }));
    const char* text = "QVERIFY(ok()) \\" QFAIL(";
    const char* raw = R"x(QCOMPARE(a, b) ")x";
    EXPECT_EQ(text[0], 'Q');
    myQVERIFY(ok()); QVERIFY_HELPER;
    EXPECT_EQ(ns(), 1'000'000); QVERIFY(late());
    GTEST_SKIP();
}
"""


class TestMacroCheck(unittest.TestCase):
    def test_names_each_use_and_nothing_else(self):
        with tempfile.TemporaryDirectory() as top:
            os.makedirs(os.path.join(top, "tests", "core"))
            os.makedirs(os.path.join(top, "tests", "build-x"))
            for rel, text in (("tests/core/broken_test.cpp", BROKEN), ("tests/core/mentions.h", MENTIONS),
                              ("tests/build-x/generated.cpp", BROKEN), ("tests/core/notes.txt", BROKEN)):
                with open(os.path.join(top, rel), "w", encoding="utf-8") as f:
                    f.write(text)
            found = check_test_macros.check(os.path.join(top, "tests"), top)
        self.assertEqual([f.split(" is ")[0] for f in found], [
            "tests/core/broken_test.cpp:4: QTRY_VERIFY",
            "tests/core/broken_test.cpp:5: QTRY_COMPARE_WITH_TIMEOUT",
            "tests/core/broken_test.cpp:6: QCOMPARE",
            "tests/core/broken_test.cpp:7: QVERIFY2",
            "tests/core/broken_test.cpp:9: QSKIP",
            "tests/core/mentions.h:12: QVERIFY",
        ])
        self.assertIn("jvztest::waitUntil", found[0])


if __name__ == "__main__":
    unittest.main()
