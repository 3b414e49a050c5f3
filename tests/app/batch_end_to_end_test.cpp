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
#include "ScopedPath.h"
#include "ScriptedTerminalPeer.h"
#include "StandInPppd.h"
#include "TestEnv.h"
#include "TestPty.h"
#include "core/MbFileIni.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTest>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;

namespace {

const QHostAddress kProgramAddress(QStringLiteral("127.0.0.1"));
const QHostAddress kTerminalAddress(QStringLiteral("127.0.0.2"));
constexpr int kRunBoundMs = 75000;

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

    // A run in this process; the peer, when given, calls in once the program has dialled. whileRunning, when
    // given, is called on every turn of the run's event loop after that.
    ProgramFolder::Outcome runInProcess(const QStringList& args, jvztest::ScriptedTerminalPeer* peer = nullptr,
                                        const jvz::RuntimeTimings& timings = jvztest::shortProgramTimings(),
                                        const std::function<void()>& whileRunning = {})
    {
        bool called = false;
        return m_program.runInProcess(
            args,
            [&] {
                if (peer && !called && m_pppd.pid() > 0) {
                    called = true;
                    peer->start(kProgramAddress, m_program.sessionPort, kTerminalAddress);
                }
                if (whileRunning)
                    whileRunning();
            },
            timings);
    }

    jvztest::TestPty m_pty;
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

// An upload of a file the terminal sends slowly but above the rate floor: 1,500 bytes at 300 B/s take 5 s, past the
// listing's bound of 2 s; the size the terminal gives for the file buys it the time, and it arrives whole.
TEST_F(BatchEndToEnd, UploadOfASlowButSteadyFileArrivesWhole)
{
    jvztest::FtpServerFixture::Options options = terminalFtp();
    options.dataBytesPerSecond = 300;
    jvztest::FtpServerFixture ftp(options);
    ASSERT_TRUE(ftp.start()) << ftp.errorString().toStdString();
    QByteArray app(1500, 0);
    for (int i = 0; i < app.size(); ++i)
        app[i] = char(i * 7);
    ASSERT_TRUE(ftp.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), app));
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("APP.SGN"), "old local"}});

    jvztest::ScriptedTerminalPeer peer(downloadSession(0));
    jvz::RuntimeTimings timings = jvztest::shortProgramTimings();
    timings.ftp.listingTotalSeconds = 2;
    timings.ftp.floorWindowSeconds = 2;
    QElapsedTimer clock;
    clock.start();
    const auto o = runInProcess({QStringLiteral("-u") + list, QStringLiteral("-n")}, &peer, timings);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    std::cout << "run of the slow upload: " << clock.elapsed() << " ms" << std::endl;

    const std::string result = m_program.result();
    std::cout << "ResBatch.txt of the slow upload:\n" << result << std::endl;
    EXPECT_EQ(result.substr(0, result.find('\r')), "0") << result << o.err.toStdString();
    EXPECT_TRUE(jvztest::readFileBytes((m_catalogFolder + QStringLiteral("/APP.SGN")).toStdString()) ==
                app.toStdString())
        << "not the whole file";
    EXPECT_EQ(QDir(m_catalogFolder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("APP.SGN"), QStringLiteral("LOAD.M40")}));
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

// Stopped while it waits for the terminal's call, with nothing under way: the run ends at once, not when the wait
// for the call would have.
TEST_F(BatchEndToEnd, StopWhileWaitingForTheCallEndsTheRunAtOnce)
{
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});
    jvz::RuntimeTimings timings = jvztest::shortProgramTimings();
    timings.firstAnswerMs = 30000;
    QElapsedTimer sinceSignal;
    const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n")}, nullptr, timings, [&] {
        if (!sinceSignal.isValid() && m_pppd.pid() > 0) {
            sinceSignal.start();
            ::kill(::getpid(), SIGTERM);
        }
    });
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    ASSERT_TRUE(sinceSignal.isValid());
    std::cout << "SIGTERM while waiting for the call: signal to end " << sinceSignal.elapsed() << " ms" << std::endl;
    EXPECT_LT(sinceSignal.elapsed(), 5000);
    EXPECT_EQ(m_program.result(), "-21\r\nRun stopped by the signal SIGTERM\r\n") << o.err.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pppd.nothingLeft(); }, 5000)) << "pppd was hung up";
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

// A port that cannot carry the link ends the run with -19; its result file tells which check failed, what it
// found and what to do, in the shipped texts, and nothing is dialled.
TEST_F(BatchEndToEnd, PortThatFailsItsCheckEndsWithPortUnknownAndTheCause)
{
    const QString pty = m_pty.name();
    const struct {
        const char* what;
        QString port;   // the port option
        QString path;   // PATH for the run; empty: the stand-in pppd's
        QString result; // the whole result file
    } cases[] = {
        {"device missing", QStringLiteral("/dev/ttyJVZNOSUCH7"), QString(),
         QStringLiteral("-19\r\nCOM port unknown: ttyJVZNOSUCH7\r\n"
                        "Failed check: Port device present\r\n"
                        "Found: /dev/ttyJVZNOSUCH7 is missing or is not a device\r\n"
                        "What to do: Plug the terminal in and check its cable or choose its port again.\r\n")},
        {"pppd missing from PATH", QStringLiteral("/dev/") + pty, QStringLiteral("/usr/bin:/bin"),
         QStringLiteral("-19\r\nCOM port unknown: /dev/") + pty +
             QStringLiteral(
                 "\r\nFailed check: pppd found\r\n"
                 "Found: pppd is not on the search path\r\n"
                 "What to do: Install the ppp package: pppd must be on the search path and executable.\r\n")},
    };
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<jvztest::ScopedPath> path;
        if (!c.path.isEmpty())
            path.emplace(c.path);
        const auto o = runInProcess({QStringLiteral("-c") + list, QStringLiteral("-n"), QStringLiteral("-x") + c.port});
        ASSERT_TRUE(o.ended) << o.err.toStdString();
        const std::string result = m_program.result();
        std::cout << "ResBatch.txt, " << c.what << ":\n" << result << std::endl;
        EXPECT_EQ(result, c.result.toStdString()) << o.err.toStdString();
        EXPECT_EQ(m_pppd.pid(), 0) << "nothing was dialled";
    }
}

// A terminal whose FTP side fails a fetch: the activity file's of a download in a way that ends the session, or
// a file's of an upload (-u) sent for ever above the rate floor or past the size the terminal gave. The run ends
// with -10 within the fetch's bound, and its result names that fetch and its own error in the shipped texts,
// never the "invalid handle" of a call made after it. An upload leaves the old local file whole and no temporary
// file beside it.
enum class BatchRunKind { Download, Upload };
struct FetchFailureCase {
    const char* what;
    std::function<void(jvztest::FtpServerFixture::Options&)> hostile;
    const char* expectedText; // what the result says after its code line
    BatchRunKind kind = BatchRunKind::Download;
    qint64 fetchBoundMs = 0; // the time bound that ends the fetch, the run's end soon after (0: none)
};

// The upload's file on the terminal, and the timings of the rows: the listing's bound cut to 2 s, so the 600 bytes
// the terminal gives for it bound its fetch to 3 s at the 200 B/s floor plus those 2 s.
constexpr qint64 kTerminalAppBytes = 600;
constexpr int kListingSeconds = 2;
const QByteArray kOldLocalApp = "old local";

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
    const bool upload = GetParam().kind == BatchRunKind::Upload;
    const QByteArray terminalApp(kTerminalAppBytes, 't');
    if (upload) {
        ASSERT_TRUE(ftp.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), terminalApp));
    }
    const QString list = upload ? writeCatalogue(m_catalogFolder, {{QStringLiteral("APP.SGN"), kOldLocalApp}})
                                : writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), QByteArray(100, 'a')}});

    jvztest::ScriptedTerminalPeer peer(downloadSession(0));
    jvz::RuntimeTimings timings = jvztest::shortProgramTimings();
    timings.ftp.controlFileTotalSeconds = 2;
    timings.ftp.listingTotalSeconds = kListingSeconds;
    QElapsedTimer clock;
    clock.start();
    const auto o = runInProcess({(upload ? QStringLiteral("-u") : QStringLiteral("-c")) + list, QStringLiteral("-n")},
                                &peer, timings);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    const qint64 elapsed = clock.elapsed();
    std::cout << "run of " << GetParam().what << ": " << elapsed << " ms" << std::endl;

    const std::string result = m_program.result();
    std::cout << "ResBatch.txt:\n" << result << std::endl;
    EXPECT_EQ(result, std::string("-10\r\n") + GetParam().expectedText) << o.err.toStdString();
    if (GetParam().fetchBoundMs > 0) {
        EXPECT_GE(elapsed, GetParam().fetchBoundMs) << "ended by another bound than the fetch's";
        EXPECT_LE(elapsed, GetParam().fetchBoundMs + 6000) << "the run went on after the fetch's bound";
    }
    if (upload) {
        EXPECT_EQ(jvztest::readFileBytes((m_catalogFolder + QStringLiteral("/APP.SGN")).toStdString()),
                  kOldLocalApp.toStdString())
            << "the old local file stays whole";
        EXPECT_EQ(QDir(m_catalogFolder).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QStringLiteral("APP.SGN"), QStringLiteral("LOAD.M40")}))
            << "no temporary file left beside it";
        EXPECT_EQ(ftp.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), terminalApp);
    } else {
        EXPECT_TRUE(ftp.readLocal(QStringLiteral("\\SWAP\\APP.SGN")).isEmpty()) << "nothing is put after the failure";
    }
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
    {"upload of a listed name sent for ever above the rate floor",
     [](jvztest::FtpServerFixture::Options& o) {
         o.endlessRetrNames = {"APP.SGN"};
         o.dataBytesPerSecond = 300;
     },
     "Error in FtpGetFile function. Error number: 12002\r\n\r\nThe FTP session with the terminal closed during the "
     "transfer\r\n",
     BatchRunKind::Upload, (kTerminalAppBytes / 200 + kListingSeconds) * 1000},
    {"upload of a file sending more than the terminal gave for it",
     [](jvztest::FtpServerFixture::Options& o) { o.retrExtraBytes = 200000; },
     "Error in FtpGetFile function.\r\nThe terminal sent more than its listing gave for the file\r\n\r\n",
     BatchRunKind::Upload},
    // libcurl calls a 421 a timeout; the terminal ended the session, and its reply says why.
    {"421 at the activity file's RETR", [](jvztest::FtpServerFixture::Options& o) { o.closingReplyAtVerbs = {"RETR"}; },
     "Error in FtpGetFile function.\r\nThe terminal closed the FTP connection\r\nTerminal's reply: 421 Terminal busy: "
     "closing control connection.\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Terminals, BatchEndToEndFetchFailure, ::testing::ValuesIn(kFetchFailures), jvztest::RowName{});

// A run sent a signal while a file is under way ends as cancelled within a few seconds: the FTP call broken off, no
// temporary file left on either side (the fetch's hidden sibling in the list's folder, the put's temporary name on
// the terminal), an older copy of the file whole, pppd hung up, and the result file saying why. A second signal
// right behind the first ends the process at once: no result, but the fetch's temporary file still goes, and so
// does pppd. The terminal sends and takes 40,000 B/s, so the file of 400,000 bytes is still under way; the run's
// wait before its disconnect is long, so a stop that waited for it would show. A run stopped while it dials a link
// that never comes up ends as soon, not at the dial's 30 s bound, with the same result and no failed dial ahead.
struct StopCase {
    const char* what;
    const char* action; // "-u": the terminal's file fetched into the list's folder; "-c": the list's file put to it
    bool oldFile;       // the receiving side holds an older APP.SGN
    int signal;
    int second = 0; // another signal right behind the first (one of the same kind would merge with it); 0: none
    // The real program file with its own waits (a second signal always goes there: its end would take the test
    // along), which then ends by the signal itself; otherwise the batch host in this process, its waits shortened.
    bool programFile = false;
    // The stand-in pppd never brings the link up and the signal comes 300 ms after the start (once pppd runs):
    // the program is still dialling. Otherwise the signal comes mid-file.
    bool duringDial = false;
};

void PrintTo(const StopCase& row, std::ostream* out)
{
    *out << row.what;
}

class BatchEndToEndStop : public BatchEndToEnd, public ::testing::WithParamInterface<StopCase> {
protected:
    bool fetches() const { return QLatin1String(GetParam().action) == QLatin1String("-u"); }

    // What a cut-short transfer could leave: hidden files in the list's folder, TMP names on the terminal.
    QStringList leftovers(const jvztest::FtpServerFixture& ftp) const
    {
        QStringList found;
        for (const QString& name : QDir(m_catalogFolder).entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (name.startsWith(QLatin1Char('.')))
                found << QStringLiteral("local ") + name;
        for (const QString& name : QDir(ftp.localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files))
            if (name.startsWith(QStringLiteral("TMP")))
                found << QStringLiteral("terminal ") + name;
        return found;
    }

    // Some bytes of the file arrived, not all.
    bool midFile(const jvztest::FtpServerFixture& ftp, qint64 size) const
    {
        QStringList candidates;
        if (fetches()) {
            for (const QString& name : QDir(m_catalogFolder).entryList(QDir::Files | QDir::Hidden))
                if (name.startsWith(QLatin1Char('.')))
                    candidates << m_catalogFolder + QLatin1Char('/') + name;
        } else {
            const QString swap = ftp.localPath(QStringLiteral("\\SWAP"));
            for (const QString& name : QDir(swap).entryList(QDir::Files))
                if (name.startsWith(QStringLiteral("TMP")) || name == QLatin1String("APP.SGN"))
                    candidates << swap + QLatin1Char('/') + name;
        }
        for (const QString& path : candidates) {
            const qint64 got = QFileInfo(path).size();
            if (got > 1000 && got < size)
                return true;
        }
        return false;
    }
};

TEST_P(BatchEndToEndStop, RunEndsCancelledWithNothingLeftBehind)
{
    const StopCase& row = GetParam();
    jvztest::FtpServerFixture::Options options = terminalFtp();
    options.dataBytesPerSecond = 40000;
    jvztest::FtpServerFixture ftp(options);
    ASSERT_TRUE(ftp.start()) << ftp.errorString().toStdString();
    ASSERT_TRUE(ftp.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10000000\r\n"));
    QByteArray file;
    for (int i = 0; file.size() < 400000; ++i)
        file += QByteArray::number(i) + ' ';
    const QByteArray old("the older copy");
    const QString localFile = m_catalogFolder + QStringLiteral("/app.sgn");
    const QString terminalFile = QStringLiteral("\\SWAP\\APP.SGN");
    const QString list = writeCatalogue(m_catalogFolder, {{QStringLiteral("app.sgn"), fetches() ? old : file}});
    if (fetches()) {
        ASSERT_TRUE(ftp.putLocal(terminalFile, file));
        if (!row.oldFile)
            QFile::remove(localFile);
    } else if (row.oldFile) {
        ASSERT_TRUE(ftp.putLocal(terminalFile, old));
    }
    const QStringList args{QLatin1String(row.action) + list, QStringLiteral("-n")};
    jvztest::ScriptedTerminalPeer peer(downloadSession(0));
    QElapsedTimer sinceSignal;
    QElapsedTimer sinceStart;
    if (row.duringDial) {
        m_pppd.setMode(QStringLiteral("hang"));
        jvz::MbFileIni ini;
        ini.Create(m_program.folder + QStringLiteral("/JVZ.ini"));
        ini.StringSet(QStringLiteral("Protocol"), QStringLiteral("PPP_DialTimeout"), QStringLiteral("30"));
    }
    // Whether the signal is due now.
    const auto due = [&] {
        if (row.duringDial)
            return sinceStart.elapsed() >= 300 && m_pppd.pid() > 0;
        return midFile(ftp, file.size());
    };

    const std::string expectedResult = "-21\r\nRun stopped by the signal " +
                                       std::string(row.signal == SIGTERM  ? "SIGTERM"
                                                   : row.signal == SIGINT ? "SIGINT"
                                                                          : "SIGHUP") +
                                       "\r\n";
    if (!row.programFile) {
        jvz::RuntimeTimings timings = jvztest::shortProgramTimings();
        timings.batchWaitMs = 20000;
        // The dial serves no events: the signal comes from a thread of its own.
        std::thread sender;
        sinceStart.start();
        if (row.duringDial) {
            sender = std::thread([&] {
                while (!due() && sinceStart.elapsed() < 10000)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                sinceSignal.start();
                ::kill(::getpid(), row.signal);
            });
        }
        const auto o = runInProcess(args, row.duringDial ? nullptr : &peer, timings, [&] {
            if (!row.duringDial && !sinceSignal.isValid() && due()) {
                sinceSignal.start();
                ::kill(::getpid(), row.signal);
            }
        });
        const qint64 ms = sinceSignal.isValid() ? sinceSignal.elapsed() : -1;
        const qint64 run = sinceStart.elapsed();
        if (sender.joinable())
            sender.join();
        ASSERT_TRUE(o.ended) << o.err.toStdString();
        ASSERT_TRUE(sinceSignal.isValid()) << "the signal was never sent: " << o.err.toStdString();
        std::cout << row.what << ": signal to end " << ms << " ms, start to end " << run << " ms" << std::endl;
        if (row.duringDial) {
            EXPECT_EQ(o.err.count("dialling"), 1) << o.err.toStdString();
            EXPECT_FALSE(o.err.contains("RAS error number"))
                << "no failed dial ahead of the stop: " << o.err.toStdString();
        }
        EXPECT_LT(ms, 5000);
        const std::string result = m_program.result();
        std::cout << "ResBatch.txt:\n" << result << std::endl;
        EXPECT_EQ(result, expectedResult) << o.err.toStdString();
    } else {
        QProcess jvz;
        jvz.setWorkingDirectory(m_program.folder);
        jvz.start(m_program.folder + QStringLiteral("/JVZ"), args);
        ASSERT_TRUE(jvz.waitForStarted(30000));
        sinceStart.start();
        bool called = false;
        const bool sent = QTest::qWaitFor(
            [&] {
                if (!called && !row.duringDial && m_pppd.pid() > 0) {
                    called = true;
                    peer.start(kProgramAddress, m_program.sessionPort, kTerminalAddress);
                }
                if (jvz.state() != QProcess::Running || !due())
                    return false;
                ::kill(pid_t(jvz.processId()), row.signal);
                if (row.second)
                    ::kill(pid_t(jvz.processId()), row.second);
                sinceSignal.start();
                return true;
            },
            30000);
        ASSERT_TRUE(sent) << jvz.readAllStandardError().toStdString();
        ASSERT_TRUE(jvz.waitForFinished(10000));
        const qint64 ms = sinceSignal.elapsed();
        std::cout << row.what << ": signal to end " << ms << " ms" << std::endl;
        // Ended in order, the run's message stands its two seconds first; a second signal ends it at once.
        EXPECT_LT(ms, row.second ? 1000 : 5000);
        EXPECT_EQ(jvz.exitStatus(), QProcess::CrashExit) << "ended by the signal";
        // Two signals pending at once arrive lowest number first: either may be the one that ends it.
        EXPECT_TRUE(jvz.exitCode() == row.signal || (row.second && jvz.exitCode() == row.second)) << jvz.exitCode();
        if (row.second) {
            EXPECT_FALSE(QFileInfo::exists(m_program.folder + QStringLiteral("/ResBatch.txt")));
        } else {
            const std::string result = m_program.result();
            std::cout << "ResBatch.txt:\n" << result << std::endl;
            EXPECT_EQ(result, expectedResult);
        }
    }

    EXPECT_EQ(leftovers(ftp).join(QStringLiteral(", ")).toStdString(), "");
    if (fetches())
        EXPECT_EQ(jvztest::readFileBytes(localFile.toStdString()), row.oldFile ? old.toStdString() : std::string());
    else
        EXPECT_EQ(ftp.readLocal(terminalFile), row.oldFile ? old : QByteArray());
    EXPECT_GT(m_pppd.pid(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_pppd.nothingLeft(); }, 5000)) << "pppd was hung up";
}

const StopCase kStops[] = {
    {"SIGTERM mid-fetch of -u", "-u", false, SIGTERM},
    {"SIGTERM mid-fetch of -u over an old local file", "-u", true, SIGTERM},
    {"SIGTERM mid-put of -c", "-c", false, SIGTERM},
    {"SIGTERM mid-put of -c over an old terminal file", "-c", true, SIGTERM},
    {"SIGINT mid-put of -c", "-c", false, SIGINT},
    {"SIGHUP mid-fetch of -u", "-u", false, SIGHUP},
    {"SIGTERM to the program file mid-put of -c over an old terminal file", "-c", true, SIGTERM, 0, true},
    {"SIGTERM then SIGINT mid-fetch of -u over an old local file", "-u", true, SIGTERM, SIGINT, true},
    {"SIGTERM while -c dials a link that never comes up", "-c", false, SIGTERM, 0, false, true},
    {"SIGTERM to the program file while -c dials a link that never comes up", "-c", false, SIGTERM, 0, true, true},
};

INSTANTIATE_TEST_SUITE_P(Signals, BatchEndToEndStop, ::testing::ValuesIn(kStops), jvztest::RowName{});

} // namespace
