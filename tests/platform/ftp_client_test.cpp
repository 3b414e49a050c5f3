// The libcurl FTP client against a real FTP server on 127.0.0.1 (the fixture plays the terminal).
#include "FailingFileWriter.h"
#include "FtpServerFixture.h"
#include "RowName.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "core/RuntimeTimings.h"
#include "platform/FtpClient.h"
#include "platform/FtpClientListing.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using jvz::CurlFtpClient;
using jvz::FtpTimeouts;
namespace FtpError = jvz::FtpError;

namespace {

// Shrunk so a dead server ends a call within seconds; the bound the tests allow is generous on top.
constexpr FtpTimeouts ShortTimeouts{3000, 1};
constexpr qint64 DeadServerBoundMs = 15000;

QString scratch(const char* hint)
{
    return QString::fromStdString(jvztest::makeScratchDir(hint));
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(42);
    for (char& c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

int countOf(const QByteArrayList& lines, const QByteArray& line)
{
    return int(std::count(lines.begin(), lines.end(), line));
}

bool anyStartsWith(const QByteArrayList& lines, const QByteArray& prefix)
{
    return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.startsWith(prefix); });
}

// Waits (bounded, without fixed sleeps beyond a short poll) until the server logged the line.
bool waitForServerLine(const jvztest::FtpServerFixture& server, const QByteArray& line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!server.commands().contains(line)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

class FtpClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString(); }

    void openClient()
    {
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()), FtpError::None)
            << m_client.lastResponse().toStdString();
    }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{ShortTimeouts};
};

TEST_F(FtpClientTest, LogsInAndTransfersInActiveMode)
{
    openClient();
    EXPECT_TRUE(m_client.isOpen());
    QByteArrayList lines;
    ASSERT_EQ(m_client.listDirectory(&lines), FtpError::None);
    const QByteArrayList commands = m_server.commands();
    EXPECT_EQ(countOf(commands, "USER jvz"), 1);
    EXPECT_EQ(countOf(commands, "PASS terminal"), 1);
    EXPECT_TRUE(anyStartsWith(commands, "PORT 127,0,0,1,"));
    for (const char* passive : {"PASV", "EPSV", "EPRT"})
        EXPECT_FALSE(anyStartsWith(commands, passive)) << passive;
}

TEST_F(FtpClientTest, TerminalPathsAreSentVerbatim)
{
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\IN.BIN", "swap"));
    ASSERT_TRUE(m_server.putLocal("\\HOST\\IN.BIN", "host"));
    openClient();

    struct Step {
        QByteArray path;
        QByteArray held;
        QByteArray content; // what IN.BIN reads there
    };
    const Step steps[] = {
        {"\\SWAP\\", "\\SWAP\\", "swap"},
        {"..\\HOST", "\\HOST\\", "host"},
        {"..", "\\", ""},
        {"SWAP", "\\SWAP\\", "swap"},
    };
    const QString local = scratch("verbatim") + "/IN.BIN";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.path.toStdString());
        ASSERT_EQ(m_client.setCurrentDirectory(step.path), FtpError::None) << m_client.lastResponse().toStdString();
        EXPECT_EQ(m_server.commands().last(), "CWD " + step.path);
        EXPECT_EQ(m_client.currentDirectory(), step.held);
        if (!step.content.isEmpty()) {
            ASSERT_EQ(m_client.getFile("IN.BIN", local, jvz::FetchBound::unlisted()), FtpError::None);
            EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), step.content.toStdString());
        }
    }
    // The server only ever saw our own directory changes, and one login.
    const QByteArrayList commands = m_server.commands();
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const QByteArray& c) { return c.startsWith("CWD"); }),
              4);
    EXPECT_EQ(countOf(commands, "USER jvz"), 1);
}

TEST_F(FtpClientTest, FilesRoundTripByteForByte)
{
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"every byte value", allByteValues()},
        {"text with CR LF and bare LF", "line one\r\nline two\nline three\r\n\r\n"},
        {"larger than one buffer", randomBytes(700 * 1024 + 3)},
    };
    ASSERT_TRUE(QDir().mkpath(m_server.localPath("\\SWAP")));
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    const QString folder = scratch("roundtrip");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString source = folder + "/source.bin";
        const QString back = folder + "/back.bin";
        ASSERT_TRUE(jvztest::writeFileBytes(source.toStdString(), c.bytes.toStdString()));

        ASSERT_EQ(m_client.putFile(source, "PUT.BIN"), FtpError::None) << m_client.lastResponse().toStdString();
        EXPECT_EQ(m_server.readLocal("\\SWAP\\PUT.BIN"), c.bytes);

        ASSERT_EQ(m_client.renameFile("PUT.BIN", "APPLICATION_LONG.SGN"), FtpError::None);
        EXPECT_FALSE(QFile::exists(m_server.localPath("\\SWAP\\PUT.BIN")));

        QByteArrayList lines;
        ASSERT_EQ(m_client.listDirectory(&lines), FtpError::None);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].endsWith(" APPLICATION_LONG.SGN")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(" " + QByteArray::number(c.bytes.size()) + " ")) << lines[0].toStdString();

        ASSERT_EQ(m_client.getFile("APPLICATION_LONG.SGN", back, jvz::FetchBound::unlisted()), FtpError::None);
        EXPECT_EQ(jvztest::readFileBytes(back.toStdString()), c.bytes.toStdString());

        ASSERT_EQ(m_client.deleteFile("APPLICATION_LONG.SGN"), FtpError::None);
        EXPECT_FALSE(QFile::exists(m_server.localPath("\\SWAP\\APPLICATION_LONG.SGN")));
    }
    // Nothing but the finished files was left beside the gets.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(FtpClientTest, ServerListingIsParsedAndFiltered)
{
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\APP.SGN", "abc"));
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\LIST.CAT", "x"));
    ASSERT_TRUE(QDir().mkpath(m_server.localPath("\\SWAP\\HOST")));
    ASSERT_TRUE(QDir().mkpath(m_server.localPath("\\EMPTY")));
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);

    QList<jvz::FtpFileEntry> entries;
    ASSERT_EQ(jvz::findFtpFiles(m_client, "*.sgn", &entries), FtpError::None);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, "APP.SGN");
    EXPECT_EQ(entries[0].size, 3u);
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[0].lastWrite.date(),
              QFileInfo(m_server.localPath("\\SWAP\\APP.SGN")).lastModified().toUTC().date());

    ASSERT_EQ(jvz::findFtpFiles(m_client, "*.*", &entries), FtpError::None);
    EXPECT_EQ(entries.size(), 3);
    const auto host = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.name == "HOST"; });
    ASSERT_NE(host, entries.end());
    EXPECT_TRUE(host->isDirectory);

    ASSERT_EQ(m_client.setCurrentDirectory("..\\EMPTY"), FtpError::None);
    EXPECT_EQ(jvz::findFtpFiles(m_client, "*", &entries), FtpError::NoMoreFiles);
}

TEST_F(FtpClientTest, PutReplacesAnExistingRemoteFile)
{
    ASSERT_TRUE(m_server.putLocal("\\TMP 123", "an older and longer file"));
    const QString source = scratch("replace") + "/new.bin";
    ASSERT_TRUE(jvztest::writeFileBytes(source.toStdString(), "new"));
    openClient();
    ASSERT_EQ(m_client.putFile(source, "TMP 123"), FtpError::None);
    EXPECT_EQ(m_server.readLocal("\\TMP 123"), "new");
}

TEST_F(FtpClientTest, WrongPasswordIsReportedWithTheServersReply)
{
    const uint32_t error = m_client.open(m_server.host(), m_server.port(), m_server.user(), "wrong");
    EXPECT_EQ(error, FtpError::IncorrectPassword);
    EXPECT_EQ(m_client.lastError(), FtpError::IncorrectPassword);
    EXPECT_TRUE(m_client.lastResponse().startsWith("530 ")) << m_client.lastResponse().toStdString();
    EXPECT_FALSE(m_client.isOpen());
    QByteArrayList lines;
    EXPECT_EQ(m_client.listDirectory(&lines), FtpError::InvalidHandle);
}

TEST_F(FtpClientTest, ClosedPortCannotConnect)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    EXPECT_EQ(m_client.open("127.0.0.1", closedPort, "jvz", "terminal"), FtpError::CannotConnect);
    EXPECT_FALSE(m_client.isOpen());
}

TEST_F(FtpClientTest, UnspecifiedAddressIsRefusedWithoutDialling)
{
    // On this system 0.0.0.0 would reach the local server: it must never be tried.
    for (const char* host : {"0.0.0.0", "0", "::", "::ffff:0.0.0.0", "", "  "}) {
        SCOPED_TRACE(host);
        EXPECT_EQ(m_client.open(host, m_server.port(), m_server.user(), m_server.password()), FtpError::CannotConnect);
        EXPECT_FALSE(m_client.isOpen());
    }
    EXPECT_EQ(countOf(m_server.commands(), "USER jvz"), 0);
}

TEST_F(FtpClientTest, RefusedCommandsGiveTheServersReplyAndKeepTheSession)
{
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\KEEP.BIN", "keep"));
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    const QString local = scratch("refused") + "/x.bin";

    struct Case {
        const char* what;
        std::function<uint32_t()> call;
        QByteArray lastCommand;
    };
    const Case cases[] = {
        {"get of a missing file", [&] { return m_client.getFile("MISSING.BIN", local, jvz::FetchBound::unlisted()); },
         "RETR MISSING.BIN"},
        {"missing folder", [&] { return m_client.setCurrentDirectory("\\NOWHERE\\"); }, "CWD \\NOWHERE\\"},
        {"delete of a missing file", [&] { return m_client.deleteFile("MISSING.BIN"); }, "DELE MISSING.BIN"},
        {"rename of a missing file", [&] { return m_client.renameFile("MISSING.BIN", "OTHER.BIN"); },
         "RNFR MISSING.BIN"},
        {"size of a missing file",
         [&] {
             qint64 bytes = 0;
             const uint32_t error = m_client.fileSize("MISSING.BIN", &bytes);
             EXPECT_EQ(bytes, -1);
             return error;
         },
         "SIZE MISSING.BIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), FtpError::ExtendedError);
        EXPECT_EQ(m_client.lastError(), FtpError::ExtendedError);
        EXPECT_TRUE(m_client.lastResponse().startsWith("550 ")) << m_client.lastResponse().toStdString();
        EXPECT_EQ(m_server.commands().last(), c.lastCommand);
        // Still the same session, still in \SWAP\.
        ASSERT_EQ(m_client.getFile("KEEP.BIN", local, jvz::FetchBound::unlisted()), FtpError::None);
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "keep");
    }
    EXPECT_EQ(m_client.currentDirectory(), "\\SWAP\\");
    EXPECT_EQ(countOf(m_server.commands(), "USER jvz"), 1);
    EXPECT_FALSE(anyStartsWith(m_server.commands(), "RNTO"));
}

// The size asked in binary on a session still in the server's default ASCII, so it counts the bytes a get
// brings; the session goes on.
TEST_F(FtpClientTest, SizeOfAFileIsAskedInBinary)
{
    const QByteArray content("line\r\nline\n", 11);
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\APP.SGN", content));
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    qint64 bytes = -1;
    EXPECT_EQ(m_client.fileSize("APP.SGN", &bytes), FtpError::None) << m_client.lastResponse().toStdString();
    EXPECT_EQ(bytes, content.size());
    const QByteArrayList sent = m_server.commands();
    EXPECT_EQ(sent.mid(sent.indexOf("TYPE I")), (QByteArrayList{"TYPE I", "SIZE APP.SGN"}));
    const QString local = scratch("size") + "/APP.SGN";
    ASSERT_EQ(m_client.getFile("APP.SGN", local, jvz::FetchBound::listed(bytes)), FtpError::None);
    EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), content.toStdString());
    EXPECT_EQ(countOf(m_server.commands(), "USER jvz"), 1);
}

TEST_F(FtpClientTest, FailedGetLeavesTheLocalFileWhole)
{
    openClient();
    const QString folder = scratch("failedget");
    const QString local = folder + "/APP.SGN";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "the version already here"));
    EXPECT_EQ(m_client.getFile("APP.SGN", local, jvz::FetchBound::unlisted()), FtpError::ExtendedError);
    EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "the version already here");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"APP.SGN"});
}

// A local write that fails (full disk) part-way through a get: the old file stays, no temporary file is
// left, and the session goes on in the same directory.
TEST_F(FtpClientTest, LocalWriteFailureKeepsTheOldFileAndTheSession)
{
    using FailAt = jvztest::FailingFileWriter::FailAt;
    struct Case {
        const char* what;
        FailAt at;
        qsizetype afterBytes;
    };
    const Case cases[] = {
        {"cannot start", FailAt::Begin, 0},
        {"first bytes", FailAt::Write, 0},
        {"half-way", FailAt::Write, 300 * 1024},
        {"final rename", FailAt::Commit, 0},
    };
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\BIG.BIN", randomBytes(700 * 1024)));
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\NEXT.BIN", "next"));
    ASSERT_TRUE(m_server.putLocal("\\NEXT.BIN", "wrong folder"));
    jvztest::FailingFileWriter writer;
    CurlFtpClient client(ShortTimeouts, &writer);
    ASSERT_EQ(client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    const QString folder = scratch("writefail");
    const QString local = folder + "/BIG.BIN";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "old"));
        writer.setFailure(c.at, c.afterBytes);
        EXPECT_EQ(client.getFile("BIG.BIN", local, jvz::FetchBound::unlisted()), FtpError::DiskFull);
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "old");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"BIG.BIN"});

        writer.setFailure(FailAt::Never);
        ASSERT_EQ(client.getFile("NEXT.BIN", folder + "/NEXT.BIN", jvz::FetchBound::unlisted()), FtpError::None)
            << client.lastResponse().toStdString();
        EXPECT_EQ(jvztest::readFileBytes((folder + "/NEXT.BIN").toStdString()), "next");
        ASSERT_TRUE(QFile::remove(folder + "/NEXT.BIN"));
    }
}

TEST_F(FtpClientTest, LocalFileProblemsAreReportedBeforeAnyTransfer)
{
    openClient();
    const QString folder = scratch("local");
    EXPECT_EQ(m_client.putFile(folder + "/absent.bin", "ABSENT.BIN"), FtpError::FileNotFound);
    EXPECT_EQ(m_client.getFile("X.BIN", folder + "/no/such/folder/X.BIN", jvz::FetchBound::unlisted()),
              FtpError::PathNotFound);
    EXPECT_FALSE(anyStartsWith(m_server.commands(), "STOR"));
    EXPECT_FALSE(anyStartsWith(m_server.commands(), "RETR"));
}

TEST_F(FtpClientTest, NamesThatWouldSmuggleCommandsAreRefused)
{
    ASSERT_TRUE(m_server.putLocal("\\VICTIM.BIN", "v"));
    openClient();
    const QString local = scratch("smuggle") + "/a.bin";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "a"));
    EXPECT_EQ(m_client.deleteFile("A\r\nDELE VICTIM.BIN"), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.setCurrentDirectory("\\SWAP\\\nDELE VICTIM.BIN"), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.renameFile("A", "B\rDELE VICTIM.BIN"), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.putFile(local, "A\nB"), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.deleteFile(""), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.getFile("/VICTIM.BIN", local, jvz::FetchBound::unlisted()), FtpError::InvalidParameter);
    EXPECT_EQ(m_client.putFile(local, "/VICTIM.BIN"), FtpError::InvalidParameter);
    EXPECT_EQ(m_server.readLocal("\\VICTIM.BIN"), "v");
    EXPECT_FALSE(anyStartsWith(m_server.commands(), "DELE"));
}

TEST_F(FtpClientTest, CallsWithoutASessionFail)
{
    const QString local = scratch("nosession") + "/a.bin";
    EXPECT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::InvalidHandle);
    EXPECT_EQ(m_client.getFile("A", local, jvz::FetchBound::unlisted()), FtpError::InvalidHandle);
    EXPECT_EQ(m_client.deleteFile("A"), FtpError::InvalidHandle);
    openClient();
    m_client.close();
    m_client.close(); // twice is harmless
    EXPECT_FALSE(m_client.isOpen());
    EXPECT_EQ(m_client.renameFile("A", "B"), FtpError::InvalidHandle);
    EXPECT_TRUE(m_client.currentDirectory().isEmpty());
}

TEST_F(FtpClientTest, OpeningAgainEndsTheEarlierSessionFirst)
{
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\"), FtpError::None);
    openClient();
    const QByteArrayList commands = m_server.commands();
    const qsizetype quit = commands.indexOf("QUIT");
    ASSERT_GE(quit, 0);
    EXPECT_EQ(commands.lastIndexOf("USER jvz"), commands.indexOf("USER jvz", quit));
    EXPECT_EQ(countOf(commands, "USER jvz"), 2);
    EXPECT_TRUE(m_client.currentDirectory().isEmpty());
}

// The server hangs up between calls: the next call fails instead of quietly logging in again, which would
// put it in another directory.
TEST_F(FtpClientTest, ServerHangUpIsReportedNotReconnected)
{
    ASSERT_TRUE(m_server.putLocal("\\SWAP\\A.BIN", "a"));
    ASSERT_TRUE(m_server.putLocal("\\A.BIN", "root"));
    openClient();
    ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    ASSERT_TRUE(m_server.hangUp());
    ASSERT_TRUE(waitForServerLine(m_server, "#disconnect", 10000));

    const QString local = scratch("hangup") + "/A.BIN";
    const uint32_t error = m_client.getFile("A.BIN", local, jvz::FetchBound::unlisted());
    EXPECT_TRUE(error == FtpError::ConnectionAborted || error == FtpError::ConnectionReset) << error;
    EXPECT_FALSE(QFile::exists(local));
    EXPECT_EQ(countOf(m_server.commands(), "USER jvz"), 1);
    // The connection is gone, and so is the session.
    EXPECT_FALSE(m_client.isOpen());
    EXPECT_EQ(m_client.getFile("A.BIN", local, jvz::FetchBound::unlisted()), FtpError::InvalidHandle);
}

// A server that stops answering (dead link) ends every call with an error within the timeouts, and the session
// then closes within them too. One test a call, each on a fresh server: what a suspended server does with its
// old connections is not the point.
enum class DeadServerCall { Get, Put, List, ChangeDirectory, Open };
struct DeadServerCase {
    const char* what;
    DeadServerCall call;
};
const DeadServerCase kDeadServerCases[] = {
    {"get", DeadServerCall::Get},   {"put", DeadServerCall::Put},
    {"list", DeadServerCall::List}, {"change_directory", DeadServerCall::ChangeDirectory},
    {"open", DeadServerCall::Open},
};

class FtpClientDeadServer : public ::testing::TestWithParam<DeadServerCase> {};

TEST_P(FtpClientDeadServer, EndsTheCallWithinTheTimeouts)
{
    const QString folder = scratch("dead");
    const QString local = folder + "/A.BIN";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "old"));
    ASSERT_TRUE(jvztest::writeFileBytes((folder + "/up.bin").toStdString(), "up"));
    jvztest::FtpServerFixture server;
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", randomBytes(64 * 1024)));
    CurlFtpClient client(ShortTimeouts);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    ASSERT_TRUE(server.freeze());

    QElapsedTimer timer;
    timer.start();
    uint32_t error = FtpError::None;
    QByteArrayList lines;
    switch (GetParam().call) {
    case DeadServerCall::Get:
        error = client.getFile("A.BIN", local, jvz::FetchBound::unlisted());
        break;
    case DeadServerCall::Put:
        error = client.putFile(folder + "/up.bin", "UP.BIN");
        break;
    case DeadServerCall::List:
        error = client.listDirectory(&lines);
        break;
    case DeadServerCall::ChangeDirectory:
        error = client.setCurrentDirectory("\\SWAP\\");
        break;
    case DeadServerCall::Open:
        error = client.open(server.host(), server.port(), server.user(), server.password());
        break;
    }
    EXPECT_LT(timer.elapsed(), DeadServerBoundMs);
    EXPECT_NE(error, FtpError::None);
    EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "old");
    timer.restart();
    client.close();
    EXPECT_LT(timer.elapsed(), DeadServerBoundMs);
    ASSERT_TRUE(server.thaw());
}

INSTANTIATE_TEST_SUITE_P(Calls, FtpClientDeadServer, ::testing::ValuesIn(kDeadServerCases),
                         [](const ::testing::TestParamInfo<DeadServerCase>& row) {
                             return std::string(row.param.what);
                         });

} // namespace

namespace {

// A terminal that takes PORT but never opens the data connection: the first transfer ends at the timeout and
// ends the session with it, so the files after it fail at once instead of each waiting its own timeout.
TEST(FtpClientNoDataConnection, FirstTimeoutEndsTheSessionAndTheRestFailAtOnce)
{
    jvztest::FtpServerFixture::Options options;
    options.neverOpenDataConnections = true;
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    const QString folder = scratch("nodata");
    ASSERT_TRUE(jvztest::writeFileBytes((folder + "/up.bin").toStdString(), "up"));
    constexpr FtpTimeouts timeouts{1000, 1};
    CurlFtpClient client(timeouts);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);

    QElapsedTimer timer;
    timer.start();
    QList<uint32_t> errors;
    for (int i = 0; i < 10; ++i)
        errors << client.putFile(folder + "/up.bin", "UP" + QByteArray::number(i) + ".BIN");
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(errors.first(), FtpError::Timeout);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(errors[i], FtpError::InvalidHandle) << i;
    EXPECT_FALSE(client.isOpen());
    // About one timeout, far from ten.
    EXPECT_LT(elapsed, 3 * timeouts.connectMs) << elapsed;
    EXPECT_EQ(countOf(server.commands(), "STOR UP1.BIN"), 0);
}

// A listing on a connection already in ASCII whose 1xx reply is there before libcurl looks: libcurl would end
// it as done, empty, without waiting for the data connection. It ends with the timeout after the accept bound.
TEST(FtpClientNoDataConnection, ListingWhosePreliminaryReplyCameEarlyTimesOut)
{
    jvztest::FtpServerFixture::Options options;
    options.neverOpenDataConnections = true;
    options.earlyPreliminaryReply = true;
    options.armedLater = true;
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    constexpr FtpTimeouts timeouts{1000, 1};
    CurlFtpClient client(timeouts);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    QByteArrayList lines;
    ASSERT_EQ(client.listDirectory(&lines), FtpError::None); // TYPE A, once for the session
    ASSERT_TRUE(server.arm());

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(client.listDirectory(&lines), FtpError::Timeout);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, timeouts.connectMs - 100);
    EXPECT_LT(elapsed, timeouts.connectMs + 1500);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_FALSE(client.isOpen());
}

} // namespace

namespace {

// Bounds shrunk so every hostile case ends within seconds: 1 s of silence, 2 s for a whole listing, 200 B/s
// over every 2 s of a transfer.
constexpr FtpTimeouts HostileBounds{1000, 1, 2, 200, 2};
// What a bound may be overrun by: the worker's poll, a loaded machine.
constexpr qint64 BoundSlackMs = 1500;

// A terminal that floods, crawls or stalls: each call ends with its error within the bound that applies to it,
// the local file stays as it was, and no temporary file is left beside it. One test a row, so each runs alone.
enum class HostileCall { List, Get, Put };
struct HostileCase {
    const char* what;
    jvztest::SlowTerminal producer;
    HostileCall call;
    uint32_t error;
    qint64 boundMs; // when the call ends at the latest (and, for a timeout, at the earliest)
    FtpTimeouts bounds = HostileBounds;
    qsizetype fileBytes = 100000;
};
constexpr qint64 HostileStallMs = HostileBounds.stallSeconds * 1000;
constexpr qint64 HostileListingMs = HostileBounds.listingTotalSeconds * 1000;
constexpr qint64 HostileWindowMs = HostileBounds.floorWindowSeconds * 1000;
const HostileCase kHostileCases[] = {
    {"listing without end, fast", {1000000, -1, true, false}, HostileCall::List, FtpError::Timeout, HostileListingMs},
    {"listing trickling 45 B/s", {45, -1, true, false}, HostileCall::List, FtpError::Timeout, HostileListingMs},
    {"listing silent after 150 bytes", {0, 150, true, false}, HostileCall::List, FtpError::Timeout, HostileStallMs},
    {"listing whose data connection never opens",
     {0, -1, false, true},
     HostileCall::List,
     FtpError::Timeout,
     HostileBounds.connectMs},
    {"fetch trickling 45 B/s", {45, -1, false, false}, HostileCall::Get, FtpError::Timeout, HostileWindowMs},
    {"fetch silent midway", {0, 30000, false, false}, HostileCall::Get, FtpError::Timeout, HostileStallMs},
    {"fetch whose data connection never opens",
     {0, -1, false, true},
     HostileCall::Get,
     FtpError::Timeout,
     HostileBounds.connectMs},
    // The put's bytes vanish into the socket buffers at once; the reply that never comes ends it.
    {"put to a terminal taking 45 B/s", {45, -1, false, false}, HostileCall::Put, FtpError::Timeout, HostileWindowMs},
    // A real 9,600-baud link (about 960 B/s) keeps over the floor: 3,000 bytes take three windows of a second.
    {"fetch at 9,600 baud",
     {960, -1, false, false},
     HostileCall::Get,
     FtpError::None,
     3000 * 1000 / 960 + 2000,
     FtpTimeouts{1000, 1, 2, 200, 1},
     3000},
};

class FtpClientHostileTerminal : public ::testing::TestWithParam<HostileCase> {};

TEST_P(FtpClientHostileTerminal, EveryCallEndsWithinItsBound)
{
    const HostileCase& c = GetParam();
    SCOPED_TRACE(c.what);
    jvztest::FtpServerFixture server(c.producer.options());
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    const QByteArray content = randomBytes(c.fileBytes);
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", content));
    const QString folder = scratch("hostile");
    const QString local = folder + "/A.BIN";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(),
                                        c.call == HostileCall::Put ? content.toStdString() : std::string("old")));
    CurlFtpClient client(c.bounds);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);

    QElapsedTimer timer;
    timer.start();
    QByteArrayList lines;
    uint32_t error = FtpError::None;
    if (c.call == HostileCall::List)
        error = client.listDirectory(&lines);
    else if (c.call == HostileCall::Get)
        error = client.getFile("A.BIN", local, jvz::FetchBound::listed(c.fileBytes));
    else
        error = client.putFile(local, "UP.BIN");
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(error, c.error);
    EXPECT_LE(elapsed, c.boundMs + BoundSlackMs);
    if (c.error == FtpError::Timeout && c.call != HostileCall::Put) {
        EXPECT_GE(elapsed, c.boundMs - 100) << "ended by another bound than its own";
        EXPECT_FALSE(client.isOpen()) << "a timed-out terminal is gone for the session";
    }
    if (c.call == HostileCall::Put) {
        EXPECT_FALSE(client.isOpen());
    }
    if (c.call == HostileCall::Get) {
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()),
                  c.error == FtpError::None ? content.toStdString() : std::string("old"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"A.BIN"});
    }
}

INSTANTIATE_TEST_SUITE_P(Producers, FtpClientHostileTerminal, ::testing::ValuesIn(kHostileCases), jvztest::RowName());

// The calling thread's events run while a call waits on the terminal: a timer of this thread keeps ticking.
// A cancel asked meanwhile ends the call within a fraction of a second with OperationCancelled; the old local
// file stays whole, no temporary file is left, and the session goes on in its directory.
TEST(FtpClientCancel, SlowFetchServesEventsAndEndsPromptlyOnCancel)
{
    jvztest::FtpServerFixture server(jvztest::SlowTerminal{2000}.options());
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", randomBytes(40000))); // 20 s at 2,000 B/s
    ASSERT_TRUE(server.putLocal("\\SWAP\\B.BIN", "b"));
    const QString folder = scratch("cancel");
    const QString local = folder + "/A.BIN";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "old"));
    CurlFtpClient client(FtpTimeouts{3000, 5});
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    ticker.start(10);
    qint64 cancelledAt = -1;
    client.setCancelCheck([&] {
        if (cancelledAt < 0 && clock.elapsed() >= 1500)
            cancelledAt = clock.elapsed();
        return cancelledAt >= 0;
    });
    std::vector<uint32_t> nested;
    QTimer::singleShot(
        300, [&] { nested.push_back(client.getFile("B.BIN", folder + "/B.BIN", jvz::FetchBound::unlisted())); });
    const uint32_t error = client.getFile("A.BIN", local, jvz::FetchBound::unlisted());
    const qint64 endedAt = clock.elapsed();
    client.setCancelCheck({});
    ticker.stop();

    EXPECT_EQ(error, FtpError::OperationCancelled);
    ASSERT_GE(cancelledAt, 0);
    EXPECT_LT(endedAt - cancelledAt, 200) << "the cancel took effect late";
    EXPECT_LT(longestGap, 100) << "the calling thread's events waited";
    EXPECT_EQ(nested, std::vector<uint32_t>{FtpError::TransferInProgress}) << "a call from the nested loop";
    EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "old");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"A.BIN"});

    // The session goes on where it was.
    EXPECT_TRUE(client.isOpen());
    ASSERT_EQ(client.getFile("B.BIN", folder + "/B.BIN", jvz::FetchBound::unlisted()), FtpError::None)
        << client.lastResponse().toStdString();
    EXPECT_EQ(jvztest::readFileBytes((folder + "/B.BIN").toStdString()), "b");
}

// The session closed while a call runs (the terminal ended its activity): the call ends at once, and the
// session with it.
TEST(FtpClientCancel, CloseDuringACallEndsItAndTheSession)
{
    jvztest::FtpServerFixture server(jvztest::SlowTerminal{2000}.options());
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", randomBytes(40000)));
    const QString local = scratch("closing") + "/A.BIN";
    CurlFtpClient client(FtpTimeouts{3000, 5});
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(500, [&] { client.close(); });
    EXPECT_EQ(client.getFile("A.BIN", local, jvz::FetchBound::unlisted()), FtpError::ConnectionAborted);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_FALSE(client.isOpen());
    EXPECT_FALSE(QFile::exists(local));
    QByteArrayList lines;
    EXPECT_EQ(client.listDirectory(&lines), FtpError::InvalidHandle);
}

} // namespace

namespace {

// What a get may bring, by what it is for: each row ends within its bound with its error, the temporary file
// never passes the cap (sampled from another thread while the fetch runs), and a failed fetch leaves the old
// local file whole with no temporary file beside it. One test a row, each on its own server.
constexpr qint64 KiB = 1024;
FtpTimeouts fetchBounds(qint64 controlMaxBytes, int controlTotalSeconds)
{
    FtpTimeouts t = HostileBounds;
    t.stallSeconds = 2;
    t.floorWindowSeconds = 2;
    t.controlFileMaxBytes = controlMaxBytes;
    t.controlFileTotalSeconds = controlTotalSeconds;
    return t;
}

struct FetchBoundCase {
    const char* what;
    jvz::FetchBound bound;
    FtpTimeouts timeouts;
    qint64 fileBytes;  // what the terminal holds (-1: an endless fetch)
    qint64 extraBytes; // sent on top of the file (a file grown since its listing)
    int dataRate;      // bytes a second, 0: full speed
    uint32_t error;
    qint64 totalBoundMs; // the total bound the row ends by (0: none; the call must end well before the stall);
                         // a timeout ends at it, a whole file arrives within it
};
const FetchBoundCase kFetchBoundCases[] = {
    {"control file endless at full speed", jvz::FetchBound::controlFile(), fetchBounds(4096 * KiB, 30), -1, 0, 0,
     FtpError::InternalError, 0},
    {"control file one byte over the cap", jvz::FetchBound::controlFile(), FtpTimeouts{}, 64 * KiB + 1, 0, 0,
     FtpError::InternalError, 0},
    {"control file endless above the floor", jvz::FetchBound::controlFile(), fetchBounds(64 * KiB, 2), -1, 0, 600,
     FtpError::Timeout, 2000},
    {"listed file sending far more than listed", jvz::FetchBound::listed(100000), FtpTimeouts{}, 100000, 100000, 0,
     FtpError::LargerThanListed, 0},
    {"listed file endless", jvz::FetchBound::listed(100000), FtpTimeouts{}, -1, 0, 0, FtpError::LargerThanListed, 0},
    {"listed file grown within the margin", jvz::FetchBound::listed(100000), FtpTimeouts{}, 100000, 60 * KiB, 0,
     FtpError::None, 0},
    {"unlisted file larger than the control cap", jvz::FetchBound::unlisted(), FtpTimeouts{}, 3 * 64 * KiB, 0, 0,
     FtpError::None, 0},
    // Above the floor for ever: what 600 listed bytes take at the floor (3 s) and the listing's 2 s.
    {"listed file endless above the floor", jvz::FetchBound::listed(600), fetchBounds(64 * KiB, 2), -1, 0, 300,
     FtpError::Timeout, 5000},
    {"unlisted file endless above the floor", jvz::FetchBound::unlisted(), fetchBounds(64 * KiB, 2), -1, 0, 300,
     FtpError::Timeout, 2000},
    // Slow but steady: 1,500 bytes at 300 B/s take 5 s, well past the listing's 2 s, within their own 10 s.
    {"listed file slow but steady above the floor", jvz::FetchBound::listed(1500), fetchBounds(64 * KiB, 2), 1500, 0,
     300, FtpError::None, 10000},
};

class FtpClientFetchBound : public ::testing::TestWithParam<FetchBoundCase> {};

TEST_P(FtpClientFetchBound, EndsByItsBoundAndNeverPassesTheCap)
{
    const FetchBoundCase& c = GetParam();
    jvztest::FtpServerFixture::Options options;
    options.maxSeconds = 60;
    options.dataBytesPerSecond = c.dataRate;
    options.retrExtraBytes = c.extraBytes;
    if (c.fileBytes < 0)
        options.endlessRetrNames = {"ACTIVITY.INF"};
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    const QByteArray content = randomBytes(std::max<qint64>(0, c.fileBytes));
    if (c.fileBytes >= 0) {
        ASSERT_TRUE(server.putLocal("\\SWAP\\ACTIVITY.INF", content));
    }
    ASSERT_TRUE(server.putLocal("\\SWAP\\NEXT.BIN", "next"));
    const QString folder = scratch("fetchbound");
    const QString local = folder + "/ACTIVITY.INF";
    ASSERT_TRUE(jvztest::writeFileBytes(local.toStdString(), "old"));
    CurlFtpClient client(c.timeouts);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);

    std::atomic<bool> sampling{true};
    std::atomic<qint64> largest{0};
    std::thread sampler([&] {
        while (sampling.load()) {
            for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
                largest.store(std::max(largest.load(), info.size()));
        }
    });
    // Should the cap fail, the test ends the fetch before an endless one fills the disk.
    const qint64 cap = jvz::fetchMaxBytes(c.timeouts, c.bound);
    client.setCancelCheck([&] { return largest.load() > 2 * cap; });
    QElapsedTimer timer;
    timer.start();
    const uint32_t error = client.getFile("ACTIVITY.INF", local, c.bound);
    const qint64 elapsed = timer.elapsed();
    client.setCancelCheck({});
    sampling.store(false);
    sampler.join();
    std::printf("[ figures  ] %s: ended after %lld ms with %u, largest file sampled %lld bytes (cap %lld)\n", c.what,
                elapsed, error, largest.load(), cap);

    EXPECT_EQ(error, c.error);
    EXPECT_LE(largest.load(), cap);
    if (c.totalBoundMs > 0) {
        EXPECT_EQ(jvz::fetchTotalSeconds(c.timeouts, c.bound) * qint64(1000), c.totalBoundMs);
        if (c.error == FtpError::Timeout) {
            EXPECT_GE(elapsed, c.totalBoundMs - 100) << "ended by another bound than its own";
        }
        EXPECT_LE(elapsed, jvztest::timeBoundMs(c.totalBoundMs + BoundSlackMs));
    } else {
        EXPECT_LT(elapsed, jvztest::timeBoundMs(c.timeouts.stallSeconds * 1000)) << "not ended by the cap";
    }
    if (c.error == FtpError::None) {
        EXPECT_TRUE(jvztest::readFileBytes(local.toStdString()) ==
                    (content + QByteArray(c.extraBytes, '+')).toStdString())
            << "not the whole file";
    } else {
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "old");
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"ACTIVITY.INF"});

    // A cap is the program's own break-off: the session stays, the next call logs in again where it was.
    // The total bound ends the session as any timeout does.
    const bool sessionStays = c.error != FtpError::Timeout;
    EXPECT_EQ(client.isOpen(), sessionStays);
    const uint32_t next = client.getFile("NEXT.BIN", folder + "/NEXT.BIN", jvz::FetchBound::unlisted());
    EXPECT_EQ(next, sessionStays ? FtpError::None : FtpError::InvalidHandle) << client.lastResponse().toStdString();
    if (sessionStays) {
        EXPECT_TRUE(jvztest::readFileBytes((folder + "/NEXT.BIN").toStdString()) ==
                    ("next" + QByteArray(c.extraBytes, '+')).toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Bounds, FtpClientFetchBound, ::testing::ValuesIn(kFetchBoundCases), jvztest::RowName());

// A control connection the terminal drops, closes with a 421, or answers with a reply line libcurl gives up on,
// at each stage: the call fails, the session is closed and the next call says so at once, sending nothing. A
// 421 is the connection ended by the terminal, its reply kept for the message. A refused command keeps the
// session, and the next call works in the same login.
enum class ControlFault { Drop, ClosingReply, LongReply, Refuse };
struct ControlFaultCase {
    const char* what;
    ControlFault fault;
    QByteArray verb;
};
const ControlFaultCase kControlFaultCases[] = {
    {"drop at USER", ControlFault::Drop, "USER"},
    {"drop at PASS", ControlFault::Drop, "PASS"},
    {"drop at CWD", ControlFault::Drop, "CWD"},
    {"drop at LIST", ControlFault::Drop, "LIST"},
    {"drop at RETR", ControlFault::Drop, "RETR"},
    {"drop at STOR", ControlFault::Drop, "STOR"},
    {"421 at USER", ControlFault::ClosingReply, "USER"},
    {"421 at PASS", ControlFault::ClosingReply, "PASS"},
    {"421 at CWD", ControlFault::ClosingReply, "CWD"},
    {"421 at LIST", ControlFault::ClosingReply, "LIST"},
    {"421 at RETR", ControlFault::ClosingReply, "RETR"},
    {"421 at STOR", ControlFault::ClosingReply, "STOR"},
    {"long reply at USER", ControlFault::LongReply, "USER"},
    {"long reply at PASS", ControlFault::LongReply, "PASS"},
    {"long reply at CWD", ControlFault::LongReply, "CWD"},
    {"long reply at LIST", ControlFault::LongReply, "LIST"},
    {"long reply at RETR", ControlFault::LongReply, "RETR"},
    {"long reply at STOR", ControlFault::LongReply, "STOR"},
    {"refused LIST", ControlFault::Refuse, "LIST"},
    {"refused STOR", ControlFault::Refuse, "STOR"},
    {"drop at SIZE", ControlFault::Drop, "SIZE"},
    {"long reply at SIZE", ControlFault::LongReply, "SIZE"},
    {"refused SIZE", ControlFault::Refuse, "SIZE"},
};

class FtpClientControlFault : public ::testing::TestWithParam<ControlFaultCase> {};

TEST_P(FtpClientControlFault, LostConnectionClosesTheSessionRefusalKeepsIt)
{
    const ControlFaultCase& c = GetParam();
    jvztest::FtpServerFixture::Options options;
    options.maxSeconds = 60;
    options.armedLater = true;
    if (c.fault == ControlFault::Drop)
        options.dropAtVerbs = {c.verb};
    else if (c.fault == ControlFault::ClosingReply)
        options.closingReplyAtVerbs = {c.verb};
    else if (c.fault == ControlFault::LongReply)
        options.longReplyAtVerbs = {c.verb};
    else
        options.refusedCommands = {c.verb};
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", "a"));
    const QString folder = scratch("controlfault");
    ASSERT_TRUE(jvztest::writeFileBytes((folder + "/up.bin").toStdString(), "up"));
    CurlFtpClient client(HostileBounds);
    const bool atLogin = c.verb == "USER" || c.verb == "PASS";
    if (!atLogin) {
        ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
        ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    }
    ASSERT_TRUE(server.arm());

    QElapsedTimer timer;
    timer.start();
    QByteArrayList lines;
    uint32_t error = FtpError::None;
    if (atLogin)
        error = client.open(server.host(), server.port(), server.user(), server.password());
    else if (c.verb == "CWD")
        error = client.setCurrentDirectory("\\SWAP\\");
    else if (c.verb == "LIST")
        error = client.listDirectory(&lines);
    else if (c.verb == "RETR")
        error = client.getFile("A.BIN", folder + "/A.BIN", jvz::FetchBound::controlFile());
    else if (c.verb == "SIZE") {
        qint64 bytes = 0;
        error = client.fileSize("A.BIN", &bytes);
        EXPECT_EQ(bytes, -1);
    } else
        error = client.putFile(folder + "/up.bin", "UP.BIN");
    const qint64 elapsed = timer.elapsed();
    std::printf("[ figures  ] %s: failed after %lld ms with %u\n", c.what, elapsed, error);
    EXPECT_NE(error, FtpError::None);
    EXPECT_LT(elapsed, jvztest::timeBoundMs(HostileBounds.stallSeconds * 1000)) << "ended by a timeout instead";
    if (c.fault == ControlFault::ClosingReply) {
        EXPECT_EQ(error, FtpError::ConnectionAborted);
        EXPECT_EQ(client.lastResponse(), "421 Terminal busy: closing control connection.");
    }

    const bool lost = c.fault != ControlFault::Refuse;
    EXPECT_EQ(client.isOpen(), !lost);
    const qsizetype sent = server.commands().size();
    timer.restart();
    const uint32_t next = client.setCurrentDirectory("\\SWAP\\");
    if (lost) {
        EXPECT_EQ(next, FtpError::InvalidHandle);
        EXPECT_LT(timer.elapsed(), jvztest::timeBoundMs(500));
        EXPECT_FALSE(server.commands().mid(sent).contains("CWD \\SWAP\\")) << "the closed session sent a command";
    } else {
        EXPECT_EQ(next, FtpError::None) << client.lastResponse().toStdString();
        EXPECT_EQ(countOf(server.commands(), "USER jvz"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Stages, FtpClientControlFault, ::testing::ValuesIn(kControlFaultCases), jvztest::RowName());

// A sound terminal keeps its control connection between calls, however long the user pauses: the call after
// the pause goes on the same login, in the same folder. Only an idle bound of our own may end the session
// early, and then as a lost connection, never as a silent second login. libcurl's own idle age (118 s) cannot
// be shortened, so the row past it waits for real (a LongWait suite: run apart, labelled slow).
struct IdleCase {
    const char* what;
    int pauseMs;
    int idleKeepSeconds; // the client's bound (0: as long as the terminal keeps it)
    uint32_t afterPause;
};
const IdleCase kIdleCases[] = {
    {"3 s apart", 3000, 0, FtpError::None},
    // Our own bound is what ends it: the connection is dropped, the next call refuses to log in again.
    {"3 s apart past a 1 s idle bound", 3000, 1, FtpError::ConnectionAborted},
};
const IdleCase kLongIdleCases[] = {
    {"125 s apart under the program's bound", 125000, jvz::RuntimeTimings{}.ftp.idleKeepSeconds, FtpError::None},
};

class FtpClientIdleSession : public ::testing::TestWithParam<IdleCase> {};

TEST_P(FtpClientIdleSession, CallAfterThePauseGoesOnTheSameLogin)
{
    const IdleCase& c = GetParam();
    jvztest::FtpServerFixture::Options options;
    options.maxSeconds = c.pauseMs / 1000 + 60;
    jvztest::FtpServerFixture server(options);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", "before"));
    const QString local = scratch("idle") + "/A.BIN";
    FtpTimeouts bounds = ShortTimeouts;
    bounds.idleKeepSeconds = c.idleKeepSeconds;
    CurlFtpClient client(bounds);
    ASSERT_EQ(client.open(server.host(), server.port(), server.user(), server.password()), FtpError::None);
    ASSERT_EQ(client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
    ASSERT_EQ(client.getFile("A.BIN", local, jvz::FetchBound::listed(6)), FtpError::None);

    QThread::msleep(c.pauseMs);
    ASSERT_TRUE(server.putLocal("\\SWAP\\A.BIN", "after!"));
    QElapsedTimer timer;
    timer.start();
    const uint32_t error = client.getFile("A.BIN", local, jvz::FetchBound::listed(6));
    std::printf("[ figures  ] %s: the call after %d s idle ended in %lld ms with %u; the server saw %d USER, %d PASS\n",
                c.what, c.pauseMs / 1000, timer.elapsed(), error, countOf(server.commands(), "USER jvz"),
                countOf(server.commands(), "PASS terminal"));
    EXPECT_EQ(error, c.afterPause) << client.lastResponse().toStdString();
    EXPECT_EQ(countOf(server.commands(), "USER jvz"), 1);
    EXPECT_EQ(countOf(server.commands(), "PASS terminal"), 1);
    if (c.afterPause == FtpError::None) {
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "after!");
        QByteArrayList lines;
        EXPECT_EQ(client.listDirectory(&lines), FtpError::None);
        EXPECT_EQ(lines.size(), 1);
        EXPECT_TRUE(client.isOpen());
        EXPECT_FALSE(server.commands().contains("#disconnect")) << "the control connection was dropped";
    } else {
        EXPECT_EQ(jvztest::readFileBytes(local.toStdString()), "before");
        EXPECT_FALSE(client.isOpen());
    }
}

INSTANTIATE_TEST_SUITE_P(Pauses, FtpClientIdleSession, ::testing::ValuesIn(kIdleCases), jvztest::RowName());
INSTANTIATE_TEST_SUITE_P(LongWait, FtpClientIdleSession, ::testing::ValuesIn(kLongIdleCases), jvztest::RowName());

// A put's source that is no regular file is a file not found, at once: nothing is sent, and no read blocks the
// worker (a FIFO without a writer would block a plain open for good).
TEST_F(FtpClientTest, PutSourceThatIsNoRegularFileIsNotFound)
{
    const QString folder = scratch("putsource");
    const std::string fifo = (folder + "/FIFO.SGN").toStdString();
    const std::string fedFifo = (folder + "/FED.SGN").toStdString();
    ASSERT_TRUE(jvztest::makeFifo(fifo));
    ASSERT_TRUE(jvztest::makeFifo(fedFifo));
    // A writer holding the FIFO with bytes waiting in it (read-write, so opening it waits for no reader).
    const int feeder = ::open(fedFifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(feeder, 0);
    ASSERT_EQ(::write(feeder, "data", 4), 4);
    const std::string socketPath = (folder + "/SOCKET.SGN").toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    // A link to an endless zero source (a node of its own here, never the machine's /dev/zero).
    ASSERT_TRUE(jvztest::makeCharDevice((folder + "/zero").toStdString(), jvztest::CharDevice::Zero));
    ASSERT_TRUE(QFile::link(folder + "/zero", folder + "/ZERO.SGN"));
    ASSERT_TRUE(QDir().mkpath(folder + "/FOLDER.SGN"));
    ASSERT_TRUE(jvztest::writeFileBytes((folder + "/PLAIN.SGN").toStdString(), "plain"));
    openClient();

    for (const char* name : {"FIFO.SGN", "FED.SGN", "SOCKET.SGN", "ZERO.SGN", "FOLDER.SGN"}) {
        SCOPED_TRACE(name);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(m_client.putFile(folder + "/" + name, name), FtpError::FileNotFound);
        EXPECT_LT(timer.elapsed(), jvztest::timeBoundMs(1000));
        EXPECT_FALSE(anyStartsWith(m_server.commands(), "STOR")) << "something was sent";
        EXPECT_TRUE(m_client.isOpen());
    }
    ASSERT_EQ(m_client.putFile(folder + "/PLAIN.SGN", "PLAIN.SGN"), FtpError::None);
    EXPECT_EQ(m_server.readLocal("\\PLAIN.SGN"), "plain");
    EXPECT_EQ(countOf(m_server.commands(), "USER jvz"), 1);
    ::close(feeder);
    ::close(listener);
}

} // namespace
