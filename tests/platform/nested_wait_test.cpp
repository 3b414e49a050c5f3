// The shared wait: each kind ends on what it is given (a signal, a condition, the application's events meanwhile)
// or at its bound, and the serving kind keeps what the caller released with deleteLater.
#include "platform/NestedWait.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class NestedWaitKinds : public testing::TestWithParam<WaitKind> {};

TEST_P(NestedWaitKinds, EndsOnItsSignalBeforeTheBoundAndServesTimersMeanwhile)
{
    QTimer end;
    end.setSingleShot(true);
    int served = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++served; });
    other.start(1);
    NestedWait wait(GetParam(), 10000);
    wait.endsOn(&end, &QTimer::timeout);
    end.start(50);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(wait.run());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GT(served, 0);
}

TEST_P(NestedWaitKinds, EndsOnceTheConditionHolds)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(NestedWait(GetParam(), 10000).until([&] { return clock.elapsed() >= 30; }, 5).run());
    EXPECT_GE(clock.elapsed(), 30);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_P(NestedWaitKinds, PreciseBoundIsWaitedInFullAndThenEnds)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(NestedWait(GetParam(), 100).precise().until([] { return false; }, 5).run());
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_P(NestedWaitKinds, EndedFromAHandlerItServesOrBeforeItRuns)
{
    NestedWait wait(GetParam(), 10000);
    QTimer::singleShot(10, [&] { wait.end(); });
    EXPECT_TRUE(wait.run());
    NestedWait early(GetParam(), 10000);
    early.end();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(early.run());
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_P(NestedWaitKinds, SpentBoundReturnsAtOnceUnlessAlreadyDone)
{
    EXPECT_FALSE(NestedWait(GetParam(), 0).until([] { return false; }, 5).run());
    EXPECT_TRUE(NestedWait(GetParam(), 0).until([] { return true; }, 5).run());
}

INSTANTIATE_TEST_SUITE_P(Kinds, NestedWaitKinds, testing::Values(WaitKind::Serving, WaitKind::NestedLoop),
                         [](const testing::TestParamInfo<WaitKind>& kind) {
                             return kind.param == WaitKind::Serving ? "Serving" : "NestedLoop";
                         });

// What an FTP call counts on: an object released before the wait is still there when the wait ends. Outside any
// loop, as here, a nested loop would delete it.
TEST(NestedWaitServing, KeepsWhatTheCallerReleasedBefore)
{
    QPointer<QObject> released = new QObject;
    released->deleteLater();
    NestedWait(WaitKind::Serving, 50).run();
    serveEvents();
    EXPECT_FALSE(released.isNull());
    delete released.data();
}

TEST(NestedWaitServing, SlicesRunUntilTheWorkIsDoneWithTheSliceStepBetween)
{
    int slices = 0;
    int steps = 0;
    waitServingSlices(
        std::chrono::milliseconds(1), true, [&](std::chrono::milliseconds) { return ++slices == 4; }, [&] { ++steps; });
    EXPECT_EQ(slices, 4);
    EXPECT_EQ(steps, 3);
}

} // namespace
