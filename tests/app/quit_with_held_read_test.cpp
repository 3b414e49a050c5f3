// A user's quit ends the program while a folder read is held for good in the kernel (a hung network mount):
// the assembled window runs as a process of its own (this test program started again in its child role),
// one folder read is held through the folder reader's hook, and the process must end by itself, with its
// normal status, within the quit's own bound. The exit of the program waits for the global thread pool, so a
// read held there would keep the process alive for ever.

#include "../workspace/MainWindowWorld.h"
#include "../workspace/UserInput.h"
#include "FakeVolumeSource.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "workspace/ui/LocalExplorerPane.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* kHeldFolderVariable = "JVZTEST_HELD_READ_FOLDER";
constexpr int kQuitLinkDownWaitMs = 2000; // the child's quit bound; its link is down, so it waits for nothing

void say(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The child: the window over a scratch drive; the user types the held folder into Combo5, and once its read
// is held closes the window and answers Yes. The process then ends as the program's does.
void runChild(const QString& heldFolder)
{
    jvztest::FakeVolumeSource volumes;
    volumes.add(QFileInfo(heldFolder).absolutePath() + u'/', jvz::DriveKind::Fixed, true, QStringLiteral("DATA"),
                QStringLiteral("1234-ABCD"));
    jvztest::MainWindowWorld world;
    world.volumes = &volumes;
    world.timings.quitLinkDownWaitMs = kQuitLinkDownWaitMs;
    world.hooks.window.quitApplication = [] { QCoreApplication::exit(0); };
    const QByteArray held = QFile::encodeName(heldFolder) + '/';
    // Shared with the read's thread, which outlives everything here.
    const auto holding = std::make_shared<std::atomic<bool>>(false);
    world.folderReadHook = [held, holding](const QByteArray& folder) {
        if (folder != held)
            return;
        holding->store(true);
        for (;;)
            ::pause(); // held for good
    };
    jvz::frmMainJVZ& window = world.buildShown();
    QComboBox* combo5 = window.controls().combo5;
    QTimer::singleShot(0, [&] {
        jvztest::focus(combo5);
        combo5->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), heldFolder);
        jvztest::press(Qt::Key_Return); // returns once the window is closed
    });
    QTimer watch;
    bool asked = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (asked || !holding->load())
            return;
        asked = true;
        say("held; quitting");
        window.close(); // the quit's box is answered Yes
    });
    watch.start(20);
    const int code = QApplication::exec();
    say(code == 0 ? "event loop ended" : "event loop ended with an error");
    EXPECT_TRUE(asked) << "the read was never held";
}

} // namespace

TEST(QuitWithAHeldFolderRead, ProcessEndsWithinTheQuitBoundWithItsNormalStatus)
{
    if (qEnvironmentVariableIsSet(kHeldFolderVariable)) {
        runChild(qEnvironmentVariable(kHeldFolderVariable));
        return;
    }
    const QString held = QString::fromStdString(jvztest::makeScratchDir("drive")) + QStringLiteral("/held");
    ASSERT_TRUE(QDir().mkpath(held));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kHeldFolderVariable), held);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(info->test_suite_name()), QLatin1String(info->name()))});
    ASSERT_TRUE(child.waitForStarted(30000));
    QByteArray out;
    const bool quitting = QTest::qWaitFor(
        [&] {
            out += child.readAllStandardOutput();
            return out.contains("held; quitting") || child.state() == QProcess::NotRunning;
        },
        60000);
    QElapsedTimer clock;
    clock.start();
    const qint64 bound = jvztest::timeBoundMs(kQuitLinkDownWaitMs + 3000);
    const bool ended = child.state() == QProcess::NotRunning || child.waitForFinished(int(bound));
    const qint64 ms = clock.elapsed();
    if (!ended) {
        child.kill();
        child.waitForFinished(5000);
    }
    out += child.readAllStandardOutput();
    const QByteArray err = child.readAllStandardError();
    std::cout << "[ quit ] from the quit to the end of the process: " << ms << " ms" << std::endl;
    ASSERT_TRUE(quitting && out.contains("held; quitting")) << out.toStdString() << err.toStdString();
    EXPECT_TRUE(ended) << "still running " << ms << " ms after the quit; " << out.toStdString();
    EXPECT_LT(ms, bound);
    EXPECT_TRUE(out.contains("event loop ended\n")) << out.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString() << err.toStdString();
}
