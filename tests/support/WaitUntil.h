#pragma once

// A wait whose outcome a GoogleTest test checks: ASSERT_TRUE(jvztest::waitUntil([&] { return ...; })).
// QtTest's QTRY_/QVERIFY/QCOMPARE macros report to QtTest, which a gtest test never hears: on a failure they
// only return from the test body, and the test passes having stopped at its first failing check.
#include "TimeBound.h"

#include <QTest>
#include <functional>

namespace jvztest {

// QtTest's own bound for a wait given none.
constexpr int kWaitBoundMs = 5000;

// Serves events until `done` holds; false once the bound, stretched by JVZ_TEST_TIME_SCALE, has passed.
inline bool waitUntil(const std::function<bool()>& done, int boundMs = kWaitBoundMs)
{
    return QTest::qWaitFor(done, static_cast<int>(timeBoundMs(boundMs)));
}

} // namespace jvztest
