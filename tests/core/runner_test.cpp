#include "FakeNotifier.h"
#include "TestEnv.h"
#include "WaitUntil.h"
#include "core/MBApplications.h"
#include "core/ui/StartAppliAndBlockWindow.h"
#include "platform/ProcessRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>

using jvz::MBApplications;
using jvz::PosixProcessRunner;
using jvz::ShowMode;

namespace {

const QString kSh = QStringLiteral("/bin/sh");

QStringList shell(const QString& script)
{
    return {QStringLiteral("-c"), script};
}

QString scratch(const char* hint)
{
    return QString::fromStdString(jvztest::makeScratchDir(hint));
}

// True while a process of that id exists (running or not yet reaped).
bool pidExists(int64_t pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0;
}

// A zombie still shows in /proc with state Z; a reaped child is gone.
bool isZombieOrGone(int64_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray s = stat.readAll();
    const int close = s.lastIndexOf(')');
    return close > 0 && s.mid(close + 2, 1) == "Z";
}

class Runner : public testing::Test {
protected:
    PosixProcessRunner runner;
    jvztest::FakeNotifier notifier;
};

} // namespace

TEST_F(Runner, FreshInstanceHoldsNothing)
{
    MBApplications app(runner);
    int8_t code = 42;
    EXPECT_FALSE(app.AppIsRunning());
    EXPECT_EQ(app.status(), MBApplications::StatusNoProcess);
    EXPECT_FALSE(app.AppGetExitCode(code));
    EXPECT_EQ(app.status(), MBApplications::StatusNoProcess);
    EXPECT_EQ(code, 42);
    EXPECT_FALSE(app.AppWaitEnd(0));
    EXPECT_EQ(app.status(), MBApplications::StatusNoProcess);
    EXPECT_FALSE(app.AppTerminate(1));
    EXPECT_EQ(app.status(), MBApplications::StatusNoProcess);
    EXPECT_EQ(app.GetHProcess(), 0);
}

TEST_F(Runner, MissingProgramFailsQuietly)
{
    MBApplications app(runner, &notifier);
    EXPECT_FALSE(app.AppLaunch(QStringLiteral("/nonexistent/tool"), {}, ShowMode::Hidden));
    EXPECT_EQ(app.status(), MBApplications::StatusNoProcess);
    EXPECT_FALSE(app.lastError().isEmpty());
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(app.GetHProcess(), 0);
}

// Exit statuses are 8 bits; callers read them signed, so a child's -1 comes back as -1.
TEST_F(Runner, ExitCodesReadAsSignedBytes)
{
    const struct {
        const char* script;
        int8_t expected;
    } cases[] = {
        {"exit 0", 0},      {"exit 2", 2},    {"exit 127", 127},
        {"exit 128", -128}, {"exit 255", -1}, {"kill -TERM $$", static_cast<int8_t>(128 + SIGTERM)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        MBApplications app(runner);
        ASSERT_TRUE(app.AppLaunch(kSh, shell(QString::fromLatin1(c.script)), ShowMode::Hidden));
        EXPECT_GT(app.GetHProcess(), 0);
        ASSERT_TRUE(app.AppWaitEnd(10000));
        EXPECT_FALSE(app.AppIsRunning());
        EXPECT_EQ(app.status(), MBApplications::StatusOk);
        int8_t code = 99;
        ASSERT_TRUE(app.AppGetExitCode(code));
        EXPECT_EQ(code, c.expected);
    }
}

TEST_F(Runner, ArgumentsReachTheChildUnsplitAndUnexpanded)
{
    const QString dir = scratch("args");
    const QString out = dir + QStringLiteral("/out.txt");
    MBApplications app(runner);
    const QStringList args{QStringLiteral("-c"),
                           QStringLiteral("printf '%s|' \"$@\" > \"$0\""),
                           out,
                           QStringLiteral("a b"),
                           QStringLiteral("$HOME"),
                           QStringLiteral("-x;y")};
    ASSERT_TRUE(app.AppLaunch(kSh, args, ShowMode::Normal));
    ASSERT_TRUE(app.AppWaitEnd(10000));
    EXPECT_EQ(jvztest::readFileBytes(out.toStdString()), "a b|$HOME|-x;y|");
}

TEST_F(Runner, LongChildIsTerminatedWithTheCallersCode)
{
    MBApplications app(runner);
    ASSERT_TRUE(app.AppLaunch(kSh, shell(QStringLiteral("exec sleep 60")), ShowMode::Hidden));
    const int64_t pid = app.GetHProcess();
    EXPECT_TRUE(app.AppIsRunning());
    int8_t code = 0;
    EXPECT_FALSE(app.AppGetExitCode(code));
    EXPECT_EQ(app.status(), MBApplications::StatusOk);
    EXPECT_FALSE(app.AppWaitEnd(30)); // the bound ends the wait, the child runs on
    EXPECT_TRUE(app.AppIsRunning());

    ASSERT_TRUE(app.AppTerminate(5));
    EXPECT_FALSE(app.AppIsRunning());
    ASSERT_TRUE(app.AppGetExitCode(code));
    EXPECT_EQ(code, 5);
    EXPECT_FALSE(pidExists(pid));      // reaped, not a zombie
    EXPECT_FALSE(app.AppTerminate(6)); // nothing left to end
}

// The wait keeps handling events: the child only ends once a timer of ours has run.
TEST_F(Runner, WaitHandlesEventsWhileTheChildRuns)
{
    const QString dir = scratch("events");
    const QString go = dir + QStringLiteral("/go");
    MBApplications app(runner);
    ASSERT_TRUE(app.AppLaunch(kSh, shell(QStringLiteral("while [ ! -e '%1' ]; do sleep 0.01; done; exit 3").arg(go)),
                              ShowMode::Hidden));
    bool ticked = false;
    QObject context; // the timer never outlives the test
    QTimer::singleShot(20, &context, [&] {
        ticked = true;
        // A second operation from inside the wait is refused, not nested.
        EXPECT_FALSE(app.AppLaunch(kSh, shell(QStringLiteral("exit 0")), ShowMode::Hidden));
        jvztest::writeFileBytes(go.toStdString(), "");
    });
    EXPECT_TRUE(app.AppWaitEnd(10000));
    EXPECT_TRUE(ticked);
    int8_t code = 0;
    ASSERT_TRUE(app.AppGetExitCode(code));
    EXPECT_EQ(code, 3);
}

// Dropping the runner object neither kills its child nor leaves a zombie once the child ends.
TEST_F(Runner, ChildOutlivesItsRunnerAndIsReaped)
{
    const QString dir = scratch("orphan");
    const QString stop = dir + QStringLiteral("/stop");
    const QString out = dir + QStringLiteral("/out");
    int64_t pid = 0;
    const int before = PosixProcessRunner::pendingOrphans();
    {
        MBApplications app(runner);
        ASSERT_TRUE(app.AppLaunch(
            kSh, shell(QStringLiteral("while [ ! -e '%1' ]; do sleep 0.01; done; echo done > '%2'").arg(stop, out)),
            ShowMode::Hidden));
        pid = app.GetHProcess();
    }
    EXPECT_TRUE(pidExists(pid));
    EXPECT_FALSE(isZombieOrGone(pid));
    EXPECT_EQ(PosixProcessRunner::pendingOrphans(), before + 1);

    jvztest::writeFileBytes(stop.toStdString(), "");
    ASSERT_TRUE(jvztest::waitUntil([&] { return PosixProcessRunner::pendingOrphans() == before; }, 10000));
    EXPECT_EQ(jvztest::readFileBytes(out.toStdString()), "done\n");
    EXPECT_FALSE(pidExists(pid));
}

TEST_F(Runner, StartWaitsForTheProgramAndHoldsNothing)
{
    const QString dir = scratch("start");
    const QString out = dir + QStringLiteral("/out");
    MBApplications app(runner, &notifier);
    app.start(kSh, shell(QStringLiteral("echo ran > '%1'").arg(out)));
    EXPECT_EQ(jvztest::readFileBytes(out.toStdString()), "ran\n");
    EXPECT_EQ(app.GetHProcess(), 0);
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Runner, StartReportsAMissingProgramInABox)
{
    MBApplications app(runner, &notifier);
    app.start(QStringLiteral("/nonexistent/tool"), {});
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_TRUE(notifier.shown[0].text.startsWith(QStringLiteral("Cannot execute application \r\n")));
    EXPECT_GT(notifier.shown[0].text.size(), 30);
    EXPECT_TRUE(notifier.shown[0].title.isEmpty());
    EXPECT_EQ(notifier.shown[0].icon, jvz::MessageIcon::Exclamation);
}

TEST(ProcessRunner, RunsInTheGivenFolder)
{
    PosixProcessRunner runner;
    const QString dir = scratch("cwd");
    jvz::ProcessSpec spec;
    spec.program = kSh;
    spec.arguments = shell(QStringLiteral("pwd > here"));
    spec.workingDirectory = dir;
    auto child = runner.start(spec);
    ASSERT_TRUE(child);
    ASSERT_TRUE(child->waitForEnd(10000));
    EXPECT_EQ(child->exitStatus(), std::optional<uint8_t>(0));
    EXPECT_EQ(QString::fromStdString(jvztest::readFileBytes((dir + QStringLiteral("/here")).toStdString())).trimmed(),
              dir);
}

// A child leading its own group can be stopped with everything it started; one that does not lead a
// group is never signalled through ours.
TEST(ProcessRunner, GroupSignalReachesGrandchildrenOnlyForOwnGroups)
{
    PosixProcessRunner runner;
    const QString dir = scratch("group");
    const QString pidFile = dir + QStringLiteral("/grandchild");
    jvz::ProcessSpec spec;
    spec.program = kSh;
    spec.arguments = shell(QStringLiteral("sleep 60 & echo $! > '%1.tmp'; mv '%1.tmp' '%1'; wait").arg(pidFile));

    auto plain = runner.start(spec);
    ASSERT_TRUE(plain);
    ASSERT_TRUE(jvztest::waitUntil([&] { return jvztest::fileExists(pidFile.toStdString()); }, 10000));
    EXPECT_FALSE(plain->sendSignal(SIGTERM, jvz::SignalTarget::Group));
    EXPECT_TRUE(plain->sendSignal(SIGKILL, jvz::SignalTarget::Process));
    ASSERT_TRUE(plain->waitForEnd(10000));
    const int stray = QString::fromStdString(jvztest::readFileBytes(pidFile.toStdString())).trimmed().toInt();
    ASSERT_GT(stray, 1); // never kill(0) or kill(-1)
    ::kill(stray, SIGKILL);
    QFile::remove(pidFile);

    spec.ownProcessGroup = true;
    auto leader = runner.start(spec);
    ASSERT_TRUE(leader);
    ASSERT_TRUE(jvztest::waitUntil([&] { return jvztest::fileExists(pidFile.toStdString()); }, 10000));
    const int grandchild = QString::fromStdString(jvztest::readFileBytes(pidFile.toStdString())).trimmed().toInt();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(leader->sendSignal(SIGTERM, jvz::SignalTarget::Group));
    ASSERT_TRUE(leader->waitForEnd(10000));
    // The grandchild is not ours to reap; once init has it, it disappears.
    ASSERT_TRUE(jvztest::waitUntil([&] { return isZombieOrGone(grandchild); }, 10000));
    EXPECT_FALSE(leader->sendSignal(SIGTERM, jvz::SignalTarget::Group)); // ended: never signalled again
}

// The window is out of the user's way while the program runs, and back afterwards even when it cannot start.
TEST_F(Runner, BlockingStartDisablesTheWindowMeanwhile)
{
    const QString dir = scratch("block");
    const QString out = dir + QStringLiteral("/state");
    for (const bool exists : {true, false}) {
        SCOPED_TRACE(exists);
        QWidget window;
        window.show();
        MBApplications app(runner, &notifier);
        bool seenDisabled = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] { seenDisabled |= !window.isEnabled(); });
        probe.start(1);
        const QString go = dir + QStringLiteral("/go");
        QFile::remove(go);
        QTimer::singleShot(30, &window, [go] { jvztest::writeFileBytes(go.toStdString(), ""); });
        jvz::StartAppliAndBlockWindow(
            app, exists ? kSh : QStringLiteral("/nonexistent/tool"),
            shell(QStringLiteral("while [ ! -e '%1' ]; do sleep 0.01; done; echo ok > '%2'").arg(go, out)), window);
        probe.stop();
        EXPECT_TRUE(window.isEnabled());
        EXPECT_FALSE(window.isMinimized());
        EXPECT_EQ(seenDisabled, exists);
        EXPECT_EQ(notifier.shown.size(), exists ? 0u : 1u);
    }
    EXPECT_EQ(jvztest::readFileBytes(out.toStdString()), "ok\n");
}
