#include "ScopedPath.h"
#include "StandInPppd.h"
#include "noqt/TestEnv.h"
#include "noqt/TimeBound.h"
#include "platform/PppDialer.h"
#include "platform/posix/SignalCleanup.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace jvz;

namespace {

using jvztest::ScopedPath;

QByteArray procFile(long long pid, const char* name)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Start time of a process (field 22 of its stat line), as a pid file records it.
QByteArray startTime(long long pid)
{
    const QByteArray stat = procFile(pid, "stat");
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(19);
}

class PppDialerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dialer.reset();
        EXPECT_TRUE(m_pppd.nothingLeft()) << "a stand-in pppd or its helpers outlived the test";
    }

    PppDialer& dialer(PppDialerTimes times = {2000, 1000, 1000})
    {
        if (!m_dialer)
            m_dialer = std::make_unique<PppDialer>(m_runner, m_stateFolder, times);
        return *m_dialer;
    }

    static PppLinkRequest request(const QString& entry = QStringLiteral("JVZ Connection"))
    {
        PppLinkRequest r;
        r.entryName = entry;
        r.deviceNode = QStringLiteral("/dev/ttyJVZTEST7"); // invented: the stand-in never opens it
        r.speed = 57600;
        r.peerName = QStringLiteral("jvzterminal");
        r.extraOptions = QStringList{QStringLiteral("lcp-echo-interval"), QStringLiteral("0")};
        r.user = "pppuser";
        r.password = "s3cret-905173";
        return r;
    }

    jvztest::StandInPppd m_pppd;
    PosixProcessRunner m_runner;
    QString m_stateFolder = QString::fromStdString(jvztest::makeScratchDir("ppp-state"));
    std::unique_ptr<PppDialer> m_dialer;
};

TEST_F(PppDialerTest, DialComesUpWithBothAddressesAndHangsUp)
{
    const PppLinkResult r = dialer().dial(request());
    ASSERT_EQ(r.error, 0) << describe(static_cast<DialError>(r.error)) << r.lastLogLine.toStdString();
    EXPECT_EQ(r.localAddress, QStringLiteral("10.64.64.1"));
    EXPECT_EQ(r.remoteAddress, QStringLiteral("10.64.64.2"));
    EXPECT_EQ(dialer().state(), kLinkStateUp);
    EXPECT_EQ(dialer().activeEntry(), QStringLiteral("JVZ Connection"));
    EXPECT_EQ(dialer().pid(), m_pppd.pid());

    EXPECT_EQ(dialer().hangUp(), 0);
    EXPECT_EQ(dialer().state(), kLinkStateDown);
    EXPECT_TRUE(m_pppd.receivedTerm());
    EXPECT_TRUE(m_pppd.nothingLeft());
    EXPECT_EQ(dialer().hangUp(), 0) << "a second hang-up has nothing to do";
}

TEST_F(PppDialerTest, CredentialsTravelInAPrivateFileNeverOnTheCommandLine)
{
    ASSERT_EQ(dialer().dial(request()).error, 0);
    const QStringList args = m_pppd.arguments();
    EXPECT_EQ(args.mid(0, 5),
              (QStringList{QStringLiteral("/dev/ttyJVZTEST7"), QStringLiteral("57600"), QStringLiteral("nocrtscts"),
                           QStringLiteral("local"), QStringLiteral("nodetach")}));
    EXPECT_EQ(args.mid(5, 2), (QStringList{QStringLiteral("call"), QStringLiteral("jvzterminal")}));
    EXPECT_TRUE(args.contains(QStringLiteral("lcp-echo-interval")));
    for (const QString& a : args) {
        EXPECT_FALSE(a.contains(QStringLiteral("s3cret"))) << a.toStdString();
        EXPECT_NE(a, QStringLiteral("pppuser"));
        EXPECT_NE(a, QStringLiteral("defaultroute"));
        EXPECT_NE(a, QStringLiteral("noauth")) << "noauth belongs in the administrator's peers file";
    }
    const qsizetype file = args.indexOf(QStringLiteral("file"));
    ASSERT_GE(file, 0);
    EXPECT_TRUE(args.at(file + 1).startsWith(m_stateFolder));
    EXPECT_EQ(m_pppd.optionsMode(), QStringLiteral("600"));
    EXPECT_EQ(m_pppd.optionsFile(), QByteArray("user \"pppuser\"\npassword \"s3cret-905173\"\n"));
    // Once the link is up, pppd has long read it: it does not linger.
    EXPECT_FALSE(QFileInfo::exists(args.at(file + 1)));

    // Nor does the running process show it.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(m_pppd.pid()));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    EXPECT_FALSE(cmdline.readAll().contains("s3cret"));
}

TEST_F(PppDialerTest, ValuesCannotSmuggleOptionsIntoTheCredentialsFile)
{
    const struct {
        QByteArray user, password, expected;
    } cases[] = {
        {"u", "p", "user \"u\"\npassword \"p\"\n"},
        {"a\"b", "c\\d", "user \"a\\\"b\"\npassword \"c\\\\d\"\n"},
        {"x\nnoauth", "y\r\tz", "user \"x\\012noauth\"\npassword \"y\\015\\011z\"\n"},
        {"", "", "user \"\"\npassword \"\"\n"},
        {"caf\xc3\xa9", "\x7f", "user \"caf\xc3\xa9\"\npassword \"\\177\"\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PppDialer::credentialsFile(c.user, c.password), c.expected) << c.user.toStdString();
}

TEST_F(PppDialerTest, ExitStatusesBecomeErrorNumbersWithTexts)
{
    const struct {
        const char* mode;
        int32_t error;
        bool portUnavailable;
        const char* text;
    } cases[] = {
        {"fail:6", 6, true, "the serial port could not be locked"},
        {"fail:7", 7, true, "the serial port could not be opened"},
        {"fail:4", 4, false, "the kernel has no PPP support"},
        {"fail:19", 19, false, "the terminal refused the PPP user name or password"},
        {"fail:10", 10, false, "the PPP negotiation failed"},
        {"fail:0", static_cast<int32_t>(DialError::EndedBeforeLink), false, "pppd ended before the link came up"},
        {"fail:1", 1, false, "pppd met a fatal error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        m_pppd.setMode(QLatin1String(c.mode));
        const PppLinkResult r = dialer().dial(request());
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(isPortUnavailable(r.error), c.portUnavailable);
        ASSERT_TRUE(dialErrorFromNumber(r.error).has_value());
        EXPECT_STREQ(describe(*dialErrorFromNumber(r.error)), c.text);
        EXPECT_TRUE(r.lastLogLine.startsWith(QStringLiteral("Stand-in pppd failing")));
        EXPECT_EQ(dialer().state(), kLinkStateDown);
        EXPECT_TRUE(dialer().activeEntry().isEmpty());
        EXPECT_TRUE(m_pppd.nothingLeft());
        EXPECT_FALSE(QFileInfo::exists(dialer().optionsPath(QStringLiteral("JVZ Connection"))));
    }
}

TEST_F(PppDialerTest, DialThatNeverComesUpTimesOutWithinItsBound)
{
    m_pppd.setMode(QStringLiteral("hang"));
    QElapsedTimer t;
    t.start();
    const PppLinkResult r = dialer({300, 1000, 1000}).dial(request());
    EXPECT_EQ(r.error, static_cast<int32_t>(DialError::DialTimedOut));
    EXPECT_STREQ(describe(DialError::DialTimedOut), "the link did not come up in time");
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_LT(t.elapsed(), jvztest::timeBoundMs(1300 + 500));
    EXPECT_TRUE(m_pppd.nothingLeft());
    EXPECT_EQ(dialer().state(), kLinkStateDown);
}

// The dial serves no events: a stop signal (armed as the programs arm it) must still end it within a few seconds,
// not at its 30 s bound, pppd's group gone, and the signal left in the pipe for the program to read and answer.
// One that came before the dial starts no pppd at all.
TEST_F(PppDialerTest, StopSignalEndsTheDialAndStaysForTheProgramToRead)
{
    const struct {
        const char* what;
        int signalAfterMs; // -1: before the dial
        bool pppdStarted;
    } cases[] = {
        {"SIGTERM 300 ms into a dial that never comes up", 300, true},
        {"SIGTERM before the dial", -1, false},
    };
    m_pppd.setMode(QStringLiteral("hang"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_pppd.clearRecord();
        const int pipe = jvzio::armOrderlyStop();
        ASSERT_GE(pipe, 0) << "without the pipe the signal would end the test";
        if (c.signalAfterMs < 0) {
            ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
        }
        std::thread sender;
        if (c.signalAfterMs >= 0) {
            sender = std::thread([ms = c.signalAfterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                ::kill(::getpid(), SIGTERM);
            });
        }
        QElapsedTimer t;
        t.start();
        const PppLinkResult r = dialer({30000, 1000, 1000}).dial(request());
        const qint64 ms = t.elapsed();
        if (sender.joinable())
            sender.join();
        std::cout << c.what << ": dial ended after " << ms << " ms" << std::endl;
        EXPECT_EQ(r.error, static_cast<int32_t>(DialError::Stopped));
        EXPECT_STREQ(describe(DialError::Stopped), "the dial was stopped by a signal");
        EXPECT_GE(ms, std::max(c.signalAfterMs, 0));
        EXPECT_LT(ms, jvztest::timeBoundMs(std::max(c.signalAfterMs, 0) + 1000 + 1000 + 500));
        EXPECT_EQ(m_pppd.pid() > 0, c.pppdStarted);
        EXPECT_TRUE(m_pppd.nothingLeft());
        EXPECT_EQ(dialer().state(), kLinkStateDown);
        pollfd pending{pipe, POLLIN, 0};
        EXPECT_EQ(::poll(&pending, 1, 0), 1) << "the signal is still in the pipe";
        unsigned char byte = 0;
        EXPECT_EQ(::read(pipe, &byte, 1), 1);
        EXPECT_EQ(byte, SIGTERM);
        jvzio::disarmOrderlyStop();
    }
}

TEST_F(PppDialerTest, PppdIgnoringSigtermIsKilledWithinTheBound)
{
    m_pppd.setMode(QStringLiteral("up-ignore-term"));
    ASSERT_EQ(dialer({2000, 200, 1000}).dial(request()).error, 0);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(dialer().hangUp(), 0);
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_LT(t.elapsed(), jvztest::timeBoundMs(200 + 1000));
    EXPECT_TRUE(m_pppd.receivedTerm());
    EXPECT_TRUE(m_pppd.nothingLeft());
    EXPECT_EQ(dialer().state(), kLinkStateDown);
}

TEST_F(PppDialerTest, LinkDroppedByPppdItselfReadsDown)
{
    ASSERT_EQ(dialer().dial(request()).error, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(m_pppd.pid()), SIGTERM), 0);
    QElapsedTimer t;
    t.start();
    while (dialer().state() == kLinkStateUp && t.elapsed() < 10000)
        QThread::msleep(10);
    EXPECT_EQ(dialer().state(), kLinkStateDown);
    EXPECT_EQ(dialer().hangUp(), 0);
}

TEST_F(PppDialerTest, MissingPppdOrPortFailsBeforeAnythingStarts)
{
    ScopedPath none(QString::fromStdString(jvztest::makeScratchDir("empty-path")));
    EXPECT_EQ(dialer().dial(request()).error, static_cast<int32_t>(DialError::PppdNotFound));
    PppLinkRequest noPort = request();
    noPort.deviceNode.clear();
    EXPECT_EQ(dialer().dial(noPort).error, static_cast<int32_t>(DialError::NoPort));
    EXPECT_TRUE(m_pppd.arguments().isEmpty());
}

TEST_F(PppDialerTest, DroppingTheDialerHangsUp)
{
    ASSERT_EQ(dialer().dial(request()).error, 0);
    const long long pid = m_pppd.pid();
    m_dialer.reset();
    EXPECT_TRUE(m_pppd.nothingLeft()) << pid;
}

TEST_F(PppDialerTest, PppdLeftByAnEarlierRunOfTheEntryIsEndedFirst)
{
    PppDialer earlier(m_runner, m_stateFolder, {2000, 1000, 1000});
    ASSERT_EQ(earlier.dial(request()).error, 0);
    const long long first = m_pppd.pid();
    ASSERT_TRUE(QFileInfo::exists(earlier.pidPath(QStringLiteral("JVZ Connection"))));

    // Another entry's pppd is left alone.
    ASSERT_EQ(dialer().dial(request(QStringLiteral("Other"))).error, 0);
    EXPECT_EQ(earlier.state(), kLinkStateUp);
    EXPECT_EQ(dialer().hangUp(), 0);

    ASSERT_EQ(dialer().dial(request()).error, 0);
    EXPECT_NE(m_pppd.pid(), first);
    EXPECT_EQ(earlier.state(), kLinkStateDown) << "the earlier pppd was ended before the new dial";
    EXPECT_EQ(dialer().hangUp(), 0);
}

TEST_F(PppDialerTest, PidFileNamingAnotherProcessNeverSignalsIt)
{
    // A live process that is not the pppd the file was written for: the pid was reused.
    ProcessSpec spec;
    spec.program = QStringLiteral("sleep");
    spec.arguments = QStringList{QStringLiteral("30")};
    std::unique_ptr<ChildProcess> bystander = m_runner.start(spec);
    ASSERT_TRUE(bystander);
    const long long pid = bystander->pid();
    QFile bootFile(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    ASSERT_TRUE(bootFile.open(QIODevice::ReadOnly));
    const QByteArray boot = bootFile.readAll().trimmed();

    const struct {
        const char* what;
        QByteArray startTime;
        QByteArray boot;
    } cases[] = {
        {"other start time", "1", boot},
        {"same start time, but the command line is not pppd", startTime(pid), boot},
        {"same start time in another boot", startTime(pid), "00000000-0000-0000-0000-000000000000"},
        {"garbage", "x", "zz"},
    };
    const QString pidFile = dialer().pidPath(QStringLiteral("JVZ Connection"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(jvztest::writeFileBytes(
            pidFile.toStdString(),
            (QByteArray::number(pid) + '\n' + c.startTime + '\n' + c.boot + '\n').toStdString()));
        ASSERT_EQ(dialer().dial(request()).error, 0);
        EXPECT_TRUE(bystander->isRunning());
        EXPECT_EQ(dialer().hangUp(), 0);
    }
    bystander->sendSignal(SIGKILL, SignalTarget::Process);
    EXPECT_TRUE(bystander->waitForEnd(2000));
}

} // namespace
