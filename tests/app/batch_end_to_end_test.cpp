// Batch runs of the real program end to end: JVZ in a scratch program folder, the stand-in pppd first on
// PATH, a pty the test opens as the terminal's port, and the terminal played on loopback by the scripted
// session peer (calling from 127.0.0.2) and the FTP server on 127.0.0.2 port 21, where the program's FTP
// client looks for it as on a real terminal. Every run waits on the terminal or on a closing message, so each runs
// the program's batch host in this process with the program's waits shortened; tests/app/startup_test.cpp starts
// the real program file.

#include "../session/SessionFrames.h"
#include "FtpServerFixture.h"
#include "InProcessBatch.h"
#include "ProgramFolderCopy.h"
#include "RowName.h"
#include "ScriptedTerminalPeer.h"
#include "StandInPppd.h"
#include "TestEnv.h"
#include "core/MbFileIni.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <stdlib.h>
#include <unistd.h>

using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;

namespace {

const QHostAddress kProgramAddress(QStringLiteral("127.0.0.1"));
const QHostAddress kTerminalAddress(QStringLiteral("127.0.0.2"));
constexpr int kRunBoundMs = 75000;

// A pty standing for the terminal's port: the stand-in pppd never opens it, and no device of the machine is used.
class Pty {
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_name = QString::fromLocal8Bit(::ptsname(m_master)).mid(5); // "pts/N"
    }
    ~Pty()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    const QString& name() const { return m_name; }

private:
    int m_master = -1;
    QString m_name;
};

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(kProgramAddress, 0) ? probe.serverPort() : 0;
}

// The program folder: the program, its library, data files and ras/, with the test's settings and phonebook.
class ProgramFolder {
public:
    explicit ProgramFolder(const QString& phonebookPort)
    {
        copied = jvztest::copyProgramFolder(folder);
        sessionPort = freeLoopbackPort();
        jvz::MbFileIni ini;
        ini.Create(folder + QStringLiteral("/JVZ.ini"));
        const struct {
            const char* section;
            const char* key;
            QString value;
        } keys[] = {
            {"Options", "EnumUSB", QStringLiteral("No")},
            {"Options", "NTProtocol", QStringLiteral("yes")},
            {"Protocol", "ConnectionName", QStringLiteral("JVZ Connection")},
            {"Protocol", "IP_LocalAddress", kProgramAddress.toString()},
            {"Protocol", "IP_Port", QString::number(sessionPort)},
            {"Protocol", "WaitingDcxTime", QStringLiteral("0")},
            {"Protocol", "PPP_DialTimeout", QStringLiteral("10")},
        };
        for (const auto& k : keys)
            ini.StringSet(QLatin1String(k.section), QLatin1String(k.key), k.value);
        jvztest::writeFileBytes((folder + QStringLiteral("/ras/rasphone2000.pbk")).toStdString(),
                                "[JVZ Connection]\r\nPort=" + phonebookPort.toStdString() +
                                    "\r\nConnectBPS=115200\r\nHwFlowControl=0\r\n");
    }

    struct Outcome {
        bool ended = false;
        QByteArray err;   // the run's log, diagnostics included
        QByteArray shown; // what an ordinary run prints on standard error
    };

    // The batch host in this process, the program's waits shortened. whileRunning: see runBatchInProcess.
    Outcome runInProcess(const QStringList& args, const std::function<void()>& whileRunning = {},
                         const jvz::RuntimeTimings& timings = jvztest::shortProgramTimings())
    {
        const auto r = jvztest::runBatchInProcess(folder, args, timings, kRunBoundMs, whileRunning);
        return {r.ended, r.log, r.shown};
    }

    std::string result() const
    {
        return jvztest::readFileBytes((folder + QStringLiteral("/ResBatch.txt")).toStdString());
    }

    QString folder = QString::fromStdString(jvztest::makeScratchDir("program"));
    quint16 sessionPort = 0;
    bool copied = false;
};

QString writeCatalogue(const QString& folder, const QMap<QString, QByteArray>& files)
{
    QStringList lines{QStringLiteral(";end-to-end load"), QStringLiteral("-eSWAP")};
    for (auto it = files.begin(); it != files.end(); ++it) {
        jvztest::writeFileBytes((folder + QLatin1Char('/') + it.key()).toStdString(), it.value().toStdString());
        lines << it.key();
    }
    const QString list = folder + QStringLiteral("/LOAD.M40");
    jvztest::writeFileBytes(list.toStdString(),
                            (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toStdString());
    return list;
}

// The terminal's FTP side where the program looks for it. A batch run logs in with the command line's FTP user, or
// the terminal's usual one.
jvztest::FtpServerFixture::Options terminalFtp()
{
    jvztest::FtpServerFixture::Options options;
    options.host = kTerminalAddress.toString();
    options.port = 21;
    options.maxSeconds = 120;
    options.user = "ftpuser";
    options.password = "905173";
    return options;
}

// A download session: the terminal identifies itself, asks for the download, and once the files went over FTP
// meanwhile ends the activity with its report (0: all went well).
QList<Step> downloadSession(int report)
{
    return {
        Step::send(jvztest::terminalIdentification("M40")),
        Step::expect(jvztest::ownIdentification()),
        Step::send(bytes({17, 1, 0})),
        Step::expect(bytes({32, 1, 1})),
        Step::send(bytes({33, 27, 0}) + "DOWNLOAD   SWAP           "),
        Step::expect(bytes({34, 1, 0})),
        Step::send(bytes({34, 1, report})),
        Step::expect(bytes({0, 1, 0})),
        Step::close(),
    };
}

class BatchEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_pty.name().isEmpty());
        ASSERT_NE(m_program.sessionPort, 0);
        ASSERT_TRUE(m_program.copied);
    }

    // A run in this process; the peer, when given, calls in once the program has dialled.
    ProgramFolder::Outcome runInProcess(const QStringList& args, jvztest::ScriptedTerminalPeer* peer = nullptr,
                                        const jvz::RuntimeTimings& timings = jvztest::shortProgramTimings())
    {
        bool called = false;
        return m_program.runInProcess(
            args,
            [&] {
                if (peer && !called && m_pppd.pid() > 0) {
                    called = true;
                    peer->start(kProgramAddress, m_program.sessionPort, kTerminalAddress);
                }
            },
            timings);
    }

    Pty m_pty;
    jvztest::StandInPppd m_pppd;
    ProgramFolder m_program{m_pty.name()};
    QString m_catalogFolder = QString::fromStdString(jvztest::makeScratchDir("catalog"));
};

TEST_F(BatchEndToEnd, DownloadReachesTheTerminalAndTheResultReadsZero)
{
    jvztest::FtpServerFixture ftp(terminalFtp());
    ASSERT_TRUE(ftp.start()) << ftp.errorString().toStdString();
    ASSERT_TRUE(
        ftp.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"),
                     "[Running Component List]\r\nfilename=LIST.TXT\r\n[exchange]\r\nDisk free size=10000000\r\n"));
    const QByteArray app(5000, 'a');
    const QByteArray lib = QByteArray("library\0bytes", 13).repeated(300);
    const QString list =
        writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), app}, {QStringLiteral("lib.sgn"), lib}});

    jvztest::ScriptedTerminalPeer peer(downloadSession(0));
    // In this process: the run waits eight seconds before its disconnect in the program.
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")}, &peer);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_TRUE(peer.waitFinished(5000)) << peer.failure().toStdString();

    const std::string result = m_program.result();
    std::cout << "ResBatch.txt of the download:\n" << result << std::endl;
    EXPECT_EQ(result.substr(0, result.find('\r')), "0") << result << o.err.toStdString();
    EXPECT_EQ(o.shown.toStdString(), "") << "a run that went well prints nothing on standard error";
    EXPECT_EQ(ftp.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_EQ(ftp.readLocal(QStringLiteral("\\SWAP\\LIB.SGN")), lib);
    EXPECT_EQ(m_pppd.arguments().value(0), QStringLiteral("/dev/") + m_pty.name());
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pppd.nothingLeft(); }, 10000)) << "pppd was hung up";
}

// The terminal's end-of-activity report names a problem: the run ends with -15 and the result file carries the
// shipped text of that report, never an empty message line.
TEST_F(BatchEndToEnd, ProblemReportedAtTheEndOfTheActivityEndsWithItsText)
{
    jvztest::FtpServerFixture ftp(terminalFtp());
    ASSERT_TRUE(ftp.start()) << ftp.errorString().toStdString();
    ASSERT_TRUE(
        ftp.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"),
                     "[Running Component List]\r\nfilename=LIST.TXT\r\n[exchange]\r\nDisk free size=10000000\r\n"));
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});

    jvztest::ScriptedTerminalPeer peer(downloadSession(4)); // a signature the terminal refused
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")}, &peer);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_TRUE(peer.waitFinished(5000)) << peer.failure().toStdString();

    const std::string result = m_program.result();
    std::cout << "ResBatch.txt of a refused signature:\n" << result << std::endl;
    EXPECT_EQ(result.rfind("-15\r\nThe terminal refused the signature of a file\r\n", 0), 0u)
        << result << o.err.toStdString();
}

TEST_F(BatchEndToEnd, TerminalThatNeverCallsEndsWithNoAnswer)
{
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_GT(m_pppd.pid(), 0) << "the program dialled";
    const std::string result = m_program.result();
    std::cout << "ResBatch.txt without a call:\n" << result << std::endl;
    EXPECT_EQ(result.substr(0, result.find('\r')), "-11") << result << o.err.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pppd.nothingLeft(); }, 10000)) << "pppd was hung up";
}

TEST_F(BatchEndToEnd, PortThatCannotBeOpenedIsTriedOnceMoreThenTheRunEnds)
{
    m_pppd.setMode(QStringLiteral("fail:7"));
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    const std::string result = m_program.result();
    EXPECT_EQ(result.substr(0, result.find('\r')), "-8") << result << o.err.toStdString();
    EXPECT_NE(result.find("RAS error number 7"), std::string::npos) << result;
    EXPECT_EQ(o.err.count("dialling"), 2) << o.err.toStdString();
}

TEST_F(BatchEndToEnd, PortOptionNamingNoDeviceEndsWithPortUnknown)
{
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});
    const auto o =
        runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n"), QStringLiteral("-x/dev/ttyJVZNOSUCH7")});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    const std::string result = m_program.result();
    std::cout << "ResBatch.txt with a port that does not exist:\n" << result << std::endl;
    EXPECT_EQ(result, "-19\r\nCOM port unknown: ttyJVZNOSUCH7\r\n") << o.err.toStdString();
    EXPECT_EQ(m_pppd.pid(), 0) << "nothing was dialled";
}

// A terminal whose FTP side fails the activity file's fetch in a way that ends the session: the run ends at
// once with -10, and its result names that fetch and its own error in the shipped texts, never the "invalid
// handle" of a call made after it.
struct FetchFailureCase {
    const char* what;
    std::function<void(jvztest::FtpServerFixture::Options&)> hostile;
    const char* expectedText; // what the result says after its code line
};

void PrintTo(const FetchFailureCase& row, std::ostream* out)
{
    *out << row.what;
}

class BatchEndToEndFetchFailure : public BatchEndToEnd, public ::testing::WithParamInterface<FetchFailureCase> {};

TEST_P(BatchEndToEndFetchFailure, ResultNamesTheFetchThatEndedTheSession)
{
    jvztest::FtpServerFixture::Options options = terminalFtp();
    GetParam().hostile(options);
    jvztest::FtpServerFixture ftp(options);
    ASSERT_TRUE(ftp.start()) << ftp.errorString().toStdString();
    ASSERT_TRUE(ftp.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10000000\r\n"));
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});

    jvztest::ScriptedTerminalPeer peer(downloadSession(0));
    jvz::RuntimeTimings timings = jvztest::shortProgramTimings();
    timings.ftp.controlFileTotalSeconds = 2;
    QElapsedTimer clock;
    clock.start();
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")}, &peer, timings);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    std::cout << "run of " << GetParam().what << ": " << clock.elapsed() << " ms" << std::endl;

    const std::string result = m_program.result();
    std::cout << "ResBatch.txt:\n" << result << std::endl;
    EXPECT_EQ(result, std::string("-10\r\n") + GetParam().expectedText) << o.err.toStdString();
    EXPECT_TRUE(ftp.readLocal(QStringLiteral("\\SWAP\\APP.SGN")).isEmpty()) << "nothing is put after the failure";
}

const FetchFailureCase kFetchFailures[] = {
    {"activity file sent for ever above the rate floor",
     [](jvztest::FtpServerFixture::Options& o) {
         o.endlessRetrNames = {"\\SWAP\\ACTIVITY.INF"};
         o.dataBytesPerSecond = 300;
     },
     "Error in FtpGetFile function. Error number: 12002\r\n\r\n"},
    {"control connection dropped at the activity file's RETR",
     [](jvztest::FtpServerFixture::Options& o) { o.dropAtVerbs = {"RETR"}; },
     "Error in FtpGetFile function.\r\nThe FTP connection was aborted\r\n\r\n"},
    // libcurl calls a 421 a timeout; the terminal ended the session, and its reply says why.
    {"421 at the activity file's RETR", [](jvztest::FtpServerFixture::Options& o) { o.closingReplyAtVerbs = {"RETR"}; },
     "Error in FtpGetFile function.\r\nThe terminal closed the FTP connection\r\nTerminal's reply: 421 Terminal busy: "
     "closing control connection.\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Terminals, BatchEndToEndFetchFailure, ::testing::ValuesIn(kFetchFailures), jvztest::RowName{});

} // namespace
