#include "Paths.h"
#include "StandInPppd.h"
#include "TestPty.h"
#include "noqt/TestEnv.h"
#include "platform/ProcessRunner.h"
#include "session/PortCheck.h"
#include "session/ui/FrmConfigComModem.h"

#include <QFile>
#include <QLabel>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace jvz;

namespace {

// A machine whose answers each test sets.
class FakePortSystem : public PortCheckSystem {
public:
    bool present = true;
    bool access = true;
    QString pppd = QStringLiteral("/usr/sbin/pppd");
    bool executable = true;
    bool kernelPpp = true;
    std::optional<int64_t> holder;
    QStringList asked;

    bool isCharacterDevice(const QString& node) override
    {
        asked << node;
        return present;
    }
    bool canReadWrite(const QString&) override { return access; }
    QString findPppd() override { return pppd; }
    bool isExecutable(const QString&) override { return executable; }
    bool kernelPppPresent() override { return kernelPpp; }
    std::optional<int64_t> lockingProcess(const QString&) override { return holder; }
};

struct CheckCase {
    const char* what;
    std::function<void(FakePortSystem&)> setUp;
    int steps; // steps run
    std::optional<PortCheck> failing;
    const char* found; // what the last step found, as the user reads it in English
};

const CheckCase kCases[] = {
    {"everything in place", [](FakePortSystem&) {}, 5, std::nullopt, "ttyACM0 is not locked"},
    {"device missing", [](FakePortSystem& s) { s.present = false; }, 1, PortCheck::DevicePresent,
     "/dev/ttyACM0 is missing or is not a device"},
    {"no access", [](FakePortSystem& s) { s.access = false; }, 2, PortCheck::DeviceAccess,
     "/dev/ttyACM0 cannot be read and written by this user"},
    {"no pppd on PATH", [](FakePortSystem& s) { s.pppd.clear(); }, 3, PortCheck::PppdUsable,
     "pppd is not on the search path"},
    {"pppd not executable", [](FakePortSystem& s) { s.executable = false; }, 3, PortCheck::PppdUsable,
     "/usr/sbin/pppd is not executable"},
    {"no kernel PPP", [](FakePortSystem& s) { s.kernelPpp = false; }, 4, PortCheck::KernelPpp,
     "/dev/ppp is missing or is not a device"},
    {"locked by a live process", [](FakePortSystem& s) { s.holder = 4321; }, 5, PortCheck::PortNotLocked,
     "ttyACM0 is locked by process 4321"},
    {"first failure wins", [](FakePortSystem& s) { s.access = false, s.kernelPpp = false, s.holder = 1; }, 2,
     PortCheck::DeviceAccess, "/dev/ttyACM0 cannot be read and written by this user"},
};

TEST(PortChecks, RunInOrderAndStopAtTheFirstFailure)
{
    for (const CheckCase& c : kCases) {
        SCOPED_TRACE(c.what);
        FakePortSystem system;
        c.setUp(system);
        const std::vector<PortCheckStep> steps = runPortChecks(QStringLiteral("ttyACM0"), system);
        ASSERT_EQ(static_cast<int>(steps.size()), c.steps);
        for (int i = 0; i < c.steps; ++i) {
            EXPECT_EQ(static_cast<int>(steps[i].check), i);
            EXPECT_EQ(steps[i].passed, !(c.failing && i == c.steps - 1));
        }
        EXPECT_EQ(system.asked, QStringList{QStringLiteral("/dev/ttyACM0")});
    }
    FakePortSystem system;
    EXPECT_TRUE(runPortChecks(QStringLiteral("/dev/ttyUSB2"), system).back().passed);
    EXPECT_EQ(system.asked, QStringList{QStringLiteral("/dev/ttyUSB2")});
    EXPECT_TRUE(runPortChecks(QStringLiteral("../../etc/passwd"), system)
                    .front()
                    .detail.contains(QStringLiteral("names no serial port")));
    EXPECT_EQ(system.asked.size(), 1) << "a text that names no tty is never looked up";
    const std::optional<int64_t> holder = 4321;
    system.holder = holder;
    EXPECT_EQ(runPortChecks(QStringLiteral("ttyUSB2"), system).back().detail,
              QStringLiteral("ttyUSB2 is locked by process 4321"));
}

// What the technician reads: the finding of the last step, and for a failure the three lines of the box and of
// an unattended run's result, from the shipped texts.
TEST(PortChecks, FindingsAndFailureTextsComeFromTheShippedTexts)
{
    MBLanguages table;
    table.init(jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng"), 1);
    for (const CheckCase& c : kCases) {
        SCOPED_TRACE(c.what);
        FakePortSystem system;
        c.setUp(system);
        const std::vector<PortCheckStep> steps = runPortChecks(QStringLiteral("ttyACM0"), system);
        EXPECT_EQ(portCheckFinding(steps.back(), table), QLatin1String(c.found));
        if (!c.failing)
            continue;
        EXPECT_EQ(portCheckResult(steps.back(), table), QStringLiteral("Failed"));
        EXPECT_EQ(portCheckFailureText(steps.back(), table),
                  QStringLiteral("Failed check: ") + table.GetGeneralLabel(traceKey(*c.failing)) +
                      QStringLiteral("\r\nFound: ") + QLatin1String(c.found) + QStringLiteral("\r\nWhat to do: ") +
                      table.GetFormLabel(remedyKey(*c.failing), QStringLiteral("FrmConfigComModem")));
    }
    FakePortSystem system;
    const std::vector<PortCheckStep> notAPort = runPortChecks(QStringLiteral("../etc"), system);
    EXPECT_EQ(portCheckFinding(notAPort.front(), table), QStringLiteral("'../etc' names no serial port"));
}

TEST(PortChecks, InstallerWindowTracesEachStepAndTheRemedyOfTheFailure)
{
    for (const CheckCase& c : kCases) {
        SCOPED_TRACE(c.what);
        FakePortSystem system;
        c.setUp(system);
        FrmConfigComModem w(system);
        QStringList trace;
        w.setTrace([&](const QString& line) { trace << line; });
        const bool ready = w.InstallPort(QStringLiteral("ttyACM0"), nullptr);
        EXPECT_EQ(ready, !c.failing);
        EXPECT_FALSE(w.isVisible());
        for (int i = 0; i < c.steps - (c.failing ? 1 : 0); ++i)
            EXPECT_TRUE(trace.value(i).endsWith(QLatin1Char(')'))) << trace.value(i).toStdString();
        if (c.failing) {
            EXPECT_TRUE(trace.contains(QLatin1String(remedy(*c.failing))))
                << trace.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Message"))->text(), QStringLiteral("Closing..."));
            EXPECT_TRUE(trace.contains(QStringLiteral("The port could not be set up for the link.")));
        } else {
            EXPECT_FALSE(trace.contains(QStringLiteral("The port could not be set up for the link.")));
        }
    }
}

TEST(PortChecks, ClosingTheInstallerWindowEndsTheChecks)
{
    FakePortSystem system;
    FrmConfigComModem w(system);
    QStringList trace;
    w.setTrace([&](const QString& line) {
        trace << line;
        if (trace.size() == 1)
            w.close();
    });
    EXPECT_FALSE(w.InstallPort(QStringLiteral("ttyACM0"), nullptr));
    EXPECT_TRUE(w.closing());
    EXPECT_EQ(trace.size(), 2) << trace.join(QLatin1Char('|')).toStdString(); // first step, then the closing
}

TEST(PortChecks, InstallerTextsComeFromTheLanguageFile)
{
    const QString file = jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng");
    for (const int language : {1, 2}) {
        SCOPED_TRACE(language);
        MBLanguages table;
        table.init(file, static_cast<int16_t>(language));
        FakePortSystem system;
        system.kernelPpp = false;
        FrmConfigComModem w(system);
        w.InitLanguage(table);
        QStringList trace;
        w.setTrace([&](const QString& line) { trace << line; });
        EXPECT_FALSE(w.InstallPort(QStringLiteral("ttyACM0"), nullptr));
        // Every text the window uses is in the file: none falls back to the built-in English.
        for (const PortCheck check : {PortCheck::DevicePresent, PortCheck::DeviceAccess, PortCheck::PppdUsable,
                                      PortCheck::KernelPpp, PortCheck::PortNotLocked}) {
            EXPECT_FALSE(table.GetGeneralLabel(traceKey(check)).isEmpty()) << traceKey(check).toStdString();
            EXPECT_FALSE(table.GetFormLabel(remedyKey(check), QStringLiteral("FrmConfigComModem")).isEmpty())
                << remedyKey(check).toStdString();
        }
        EXPECT_TRUE(
            trace.contains(table.GetFormLabel(remedyKey(PortCheck::KernelPpp), QStringLiteral("FrmConfigComModem"))));
        EXPECT_TRUE(trace.contains(
            table.GetFormLabel(QStringLiteral("MSG_ERR_DuringModemComConfig"), QStringLiteral("FrmConfigComModem"))));
        EXPECT_TRUE(trace.first().startsWith(table.GetGeneralLabel(QStringLiteral("TRC_CheckDevicePresent"))));
        EXPECT_EQ(w.windowTitle(), table.GetFormLabel(QStringLiteral("Caption"), QStringLiteral("FrmConfigComModem")));
    }
}

class LinuxPortSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_pty.isEmpty()); }

    jvztest::TestPty m_port;
    QString m_pty = m_port.node();
    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("ports"));
};

TEST_F(LinuxPortSystemTest, DeviceAndKernelChecksLookAtTheNodesOnly)
{
    const QString plain = m_folder + QStringLiteral("/plain");
    jvztest::writeFileBytes(plain.toStdString(), "x");
    LinuxPortCheckSystem withPpp(m_folder, m_pty);
    LinuxPortCheckSystem withoutPpp(m_folder, m_folder + QStringLiteral("/ppp"));
    EXPECT_TRUE(withPpp.isCharacterDevice(m_pty));
    EXPECT_TRUE(withPpp.canReadWrite(m_pty));
    EXPECT_FALSE(withPpp.isCharacterDevice(plain));
    EXPECT_FALSE(withPpp.isCharacterDevice(m_folder + QStringLiteral("/missing")));
    EXPECT_FALSE(withPpp.canReadWrite(m_folder + QStringLiteral("/missing")));
    EXPECT_TRUE(withPpp.kernelPppPresent());
    EXPECT_FALSE(withoutPpp.kernelPppPresent());
}

TEST_F(LinuxPortSystemTest, PppdIsLookedUpOnThePath)
{
    jvztest::StandInPppd pppd;
    LinuxPortCheckSystem system(m_folder);
    const QString found = system.findPppd();
    EXPECT_TRUE(found.endsWith(QStringLiteral("/tests/support/standin/pppd"))) << found.toStdString();
    EXPECT_TRUE(system.isExecutable(found));
    const QString plain = m_folder + QStringLiteral("/notexec");
    jvztest::writeFileBytes(plain.toStdString(), "#!/bin/sh\n");
    EXPECT_FALSE(system.isExecutable(plain));
    EXPECT_FALSE(system.isExecutable(m_folder));
}

TEST_F(LinuxPortSystemTest, OnlyALiveProcessHoldsTheLock)
{
    // A pid that surely is gone: a child that ended and was reaped.
    PosixProcessRunner runner;
    ProcessSpec spec;
    spec.program = QStringLiteral("true");
    std::unique_ptr<ChildProcess> child = runner.start(spec);
    ASSERT_TRUE(child);
    ASSERT_TRUE(child->waitForEnd(5000));
    const int32_t dead = static_cast<int32_t>(child->pid());
    const int32_t live = static_cast<int32_t>(::getpid());

    auto binary = [](int32_t pid) { return QByteArray(reinterpret_cast<const char*>(&pid), 4); };
    const struct {
        const char* what;
        std::optional<QByteArray> content; // nullopt: no lock file
        std::optional<int64_t> holder;
    } cases[] = {
        {"no lock file", std::nullopt, std::nullopt},
        {"ASCII lock of a live process", QByteArray::number(live).rightJustified(10, ' ') + '\n', live},
        {"binary lock of a live process", binary(live), live},
        {"stale lock", QByteArray::number(dead).rightJustified(10, ' ') + '\n', std::nullopt},
        {"garbage", QByteArray("not a pid\n"), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"negative", QByteArray("-5\n"), std::nullopt},
    };
    LinuxPortCheckSystem system(m_folder);
    const QString lock = m_folder + QStringLiteral("/LCK..ttyJVZTEST3");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(lock);
        if (c.content) {
            ASSERT_TRUE(jvztest::writeFileBytes(lock.toStdString(), c.content->toStdString()));
        }
        EXPECT_EQ(system.lockingProcess(QStringLiteral("ttyJVZTEST3")), c.holder);
    }
    // pppd names a pseudo-terminal's lock after its last part: pts/7 is held through LCK..7.
    ASSERT_TRUE(jvztest::writeFileBytes((m_folder + QStringLiteral("/LCK..7")).toStdString(),
                                        QByteArray::number(live).rightJustified(10, ' ').toStdString() + "\n"));
    EXPECT_EQ(system.lockingProcess(QStringLiteral("pts/7")), live);
}

} // namespace
