// The FTP session functions: the error report and its texts, opening and closing, the directory change,
// over the libcurl client against a real FTP server on 127.0.0.1 (the fixture plays the terminal).
#include "FtpServerFixture.h"
#include "QtPrint.h"
#include "RuntimeWorld.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::FakeFtpClient;
using jvztest::FtpServerFixture;
using jvztest::RuntimeWorld;

namespace {

const QString kCrLfText = QStringLiteral("\r\n");

// A few seconds at most for a dead call; the fixture's server answers at once.
constexpr FtpTimeouts kShortTimeouts{3000, 2};

template <typename Row>
requires requires(const Row& r)
{
    r.name;
}
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

struct ReportRow {
    const char* name;
    uint32_t error;
    const char* function;
    QByteArray response;
    const char* message;
    bool ownText; // what ReportFtpError answers
};

class FtpErrorReport : public ::testing::TestWithParam<ReportRow> {};

TEST_P(FtpErrorReport, MessageBoxResultAndText)
{
    const ReportRow& row = GetParam();
    for (bool batchMode : {false, true}) {
        SCOPED_TRACE(batchMode ? "batch" : "interactive");
        RuntimeWorld world;
        world.batch.gBatchMode = batchMode;
        world.batch.gErrorText = QStringLiteral("earlier\r\n");
        world.ftp.response = row.response;
        const QString message = QString::fromUtf8(row.message);

        EXPECT_EQ(world.runtime->wininet().ReportFtpError(row.error, QString::fromLatin1(row.function),
                                                          world.window.language()),
                  row.ownText);
        EXPECT_EQ(world.batch.gErrorCode, -10);
        EXPECT_EQ(world.batch.gErrorText, QStringLiteral("earlier\r\n") + message + kCrLfText);
        ASSERT_EQ(world.notifier.shown.size(), batchMode ? 0u : 1u);
        if (!batchMode) {
            EXPECT_EQ(world.notifier.shown[0].text, message);
            EXPECT_EQ(world.notifier.shown[0].title, QStringLiteral("FTP Error"));
            EXPECT_EQ(world.notifier.shown[0].icon, MessageIcon::Critical);
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, FtpErrorReport, ::testing::Values(
    ReportRow{"ServerRefused", FtpError::ExtendedError, "FtpGetFile", "550 No such file.",
              "<ErrorIn> FtpGetFile <Function>.\r\n<MSG_FileError>\r\n<ExtendedError> 550 No such file.", false},
    ReportRow{"UserName", FtpError::IncorrectUserName, "InternetConnect", "",
              "<ErrorIn> InternetConnect <Function>.\r\n<MSG_ERROR_INTERNET_INCORRECT_USER_NAME>", true},
    ReportRow{"Password", FtpError::IncorrectPassword, "InternetConnect", "530 Login incorrect.",
              "<ErrorIn> InternetConnect <Function>.\r\n<MSG_ERROR_INTERNET_INCORRECT_PASSWORD>", true},
    ReportRow{"CannotConnect", FtpError::CannotConnect, "InternetConnect", "",
              "<ErrorIn> InternetConnect <Function>.\r\n<MSG_ERROR_INTERNET_CANNOT_CONNECT>", true},
    ReportRow{"Aborted", FtpError::ConnectionAborted, "FtpPutFile", "",
              "<ErrorIn> FtpPutFile <Function>.\r\n<MSG_ERROR_INTERNET_CONNECTION_ABORTED>", true},
    // The terminal ended the session with its reply: the reply says why.
    ReportRow{"ClosedByTerminal", FtpError::ConnectionAborted, "FtpGetFile",
              "421 Terminal busy: closing control connection.",
              "<ErrorIn> FtpGetFile <Function>.\r\n<MSG_FtpClosedByTerminal>\r\n<ExtendedError> 421 Terminal busy: "
              "closing control connection.", true},
    // A reply that closed nothing is no cause of a lost connection.
    ReportRow{"AbortedAfterAPreliminaryReply", FtpError::ConnectionAborted, "FtpGetFile", "150 Opening data.",
              "<ErrorIn> FtpGetFile <Function>.\r\n<MSG_ERROR_INTERNET_CONNECTION_ABORTED>", true},
    ReportRow{"Reset", FtpError::ConnectionReset, "FtpPutFile", "",
              "<ErrorIn> FtpPutFile <Function>.\r\n<MSG_ERROR_INTERNET_CONNECTION_RESET>", true},
    // Its own text, but no connection error: the session stays.
    ReportRow{"LargerThanListed", FtpError::LargerThanListed, "FtpGetFile", "226 Transfer complete.",
              "<ErrorIn> FtpGetFile <Function>.\r\n<MSG_FtpLargerThanListed>", false},
    // Any other number: on the head's line, right after its full stop.
    ReportRow{"Timeout", FtpError::Timeout, "FtpGetFile", "226 ignored",
              "<ErrorIn> FtpGetFile <Function>.<ErrorNumber:>12002", false},
    ReportRow{"LocalWriteFault", FtpError::WriteFault, "FtpGetFile", "",
              "<ErrorIn> FtpGetFile <Function>.<ErrorNumber:>29", false}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(FtpErrorKeys, OneKeyPerNumberThatHasItsOwnText)
{
    const std::pair<uint32_t, const char*> keys[] = {
        {FtpError::ExtendedError, "MSG_FileError"},
        {FtpError::LargerThanListed, "MSG_FtpLargerThanListed"},
        {FtpError::IncorrectUserName, "MSG_ERROR_INTERNET_INCORRECT_USER_NAME"},
        {FtpError::IncorrectPassword, "MSG_ERROR_INTERNET_INCORRECT_PASSWORD"},
        {FtpError::CannotConnect, "MSG_ERROR_INTERNET_CANNOT_CONNECT"},
        {FtpError::ConnectionAborted, "MSG_ERROR_INTERNET_CONNECTION_ABORTED"},
        {FtpError::ConnectionReset, "MSG_ERROR_INTERNET_CONNECTION_RESET"},
    };
    for (const auto& [error, key] : keys)
        EXPECT_STREQ(ftpErrorMessageKey(error), key) << error;
    for (uint32_t other : {0u, 2u, 12002u, 12004u, 12007u, 12017u, 12032u})
        EXPECT_EQ(ftpErrorMessageKey(other), nullptr) << other;
}

TEST(FtpSessionHandles, OpeningAgainClosesTheEarlierSessionFirst)
{
    RuntimeWorld world;
    Wininet& wininet = world.runtime->wininet();
    ASSERT_EQ(wininet.FtpOpenConnection("127.0.0.1", "jvz", "x", world.window.language()), 0u);
    EXPECT_EQ(world.link.ghFtpSession, &world.ftp);
    EXPECT_EQ(world.link.ghInternet, &world.ftp);
    ASSERT_EQ(wininet.FtpOpenConnection("127.0.0.1", "jvz", "x", world.window.language()), 0u);
    EXPECT_EQ(world.ftp.calls, (QStringList{"open 127.0.0.1:21 jvz", "close", "open 127.0.0.1:21 jvz"}));

    world.ftp.openResult = FtpError::IncorrectPassword;
    EXPECT_EQ(wininet.FtpOpenConnection("127.0.0.1", "jvz", "x", world.window.language()), FtpError::IncorrectPassword);
    EXPECT_EQ(world.link.ghFtpSession, nullptr) << "a failed opening leaves no session";
    wininet.FtpCloseConnection();
    EXPECT_EQ(world.link.ghInternet, nullptr);
    EXPECT_EQ(world.ftp.calls.count("close"), 3);
}

// --- against the fixture's server

class FtpSessionOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_server.putLocal("\\SWAP\\ACTIVITY.INF", "[exchange]\r\n"));
        m_world = std::make_unique<RuntimeWorld>(jvztest::shrunkTimings(), nullptr, &m_client, m_server.port());
        m_world->window.ipText = m_server.host();
        m_world->window.login = QString::fromLatin1(m_server.user());
        m_world->window.password = QString::fromLatin1(m_server.password());
        m_world->identity.swapDisk = QStringLiteral("SWAP");
    }

    Wininet& wininet() { return m_world->runtime->wininet(); }
    const MBLanguages& language() { return m_world->window.language(); }
    QString head(const char* function)
    {
        return QStringLiteral("<ErrorIn> %1 <Function>.").arg(QLatin1String(function));
    }

    FtpServerFixture m_server;
    CurlFtpClient m_client{kShortTimeouts};
    std::unique_ptr<RuntimeWorld> m_world;
};

TEST_F(FtpSessionOnServer, OpensInTheTerminalsExchangeFolder)
{
    m_world->settings.gNTProtocol = true;
    m_world->batch.gSerialLink = false; // the address comes from TXT_IP
    m_world->runtime->OpenFtpSession();
    ASSERT_TRUE(m_world->runtime->vars.FtpSessionOpen) << m_world->batch.gErrorText.toStdString();
    EXPECT_EQ(m_world->batch.gErrorCode, 0);
    EXPECT_EQ(m_world->link.ghFtpSession, &m_client);
    const QByteArrayList commands = m_server.commands();
    EXPECT_TRUE(commands.contains("USER jvz"));
    EXPECT_TRUE(commands.contains("CWD \\SWAP\\")) << "the terminal's path goes as it is";
    EXPECT_EQ(m_client.currentDirectory(), "\\SWAP\\");

    m_world->runtime->CloseFtpSession();
    EXPECT_FALSE(m_client.isOpen());
    EXPECT_EQ(m_world->link.ghInternet, nullptr);
}

TEST_F(FtpSessionOnServer, EmptyPathChangesNothing)
{
    ASSERT_EQ(wininet().FtpOpenConnection(m_server.host(), "jvz", "terminal", language()), 0u);
    const qsizetype before = m_server.commands().size();
    EXPECT_EQ(wininet().FtpChangeDirectory(QString(), language()), 0u);
    EXPECT_EQ(m_server.commands().size(), before);
    EXPECT_EQ(m_world->batch.gErrorCode, 0);
}

TEST_F(FtpSessionOnServer, WrongPasswordEndsWithMinusNineAndItsText)
{
    m_world->settings.gNTProtocol = false;
    m_world->window.password = QStringLiteral("wrong");
    m_world->runtime->OpenFtpSession();
    EXPECT_FALSE(m_world->runtime->vars.FtpSessionOpen);
    EXPECT_EQ(m_world->batch.gErrorCode, -9);
    const QString message = head("InternetConnect") + "\r\n<MSG_ERROR_INTERNET_INCORRECT_PASSWORD>";
    EXPECT_EQ(m_world->batch.gErrorText, message + kCrLfText);
    ASSERT_EQ(m_world->notifier.shown.size(), 1u);
    EXPECT_EQ(m_world->notifier.shown[0].text, message);
    EXPECT_EQ(m_world->settings.gFtpPassword, QString()) << "only a successful login is kept";
}

TEST_F(FtpSessionOnServer, ClosedPortCannotConnect)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    RuntimeWorld world(jvztest::shrunkTimings(), nullptr, &m_client, closedPort);
    world.batch.gBatchMode = true;
    EXPECT_EQ(world.runtime->wininet().FtpOpenConnection("127.0.0.1", "jvz", "terminal", world.window.language()),
              FtpError::CannotConnect);
    EXPECT_EQ(world.batch.gErrorText, head("InternetConnect") + "\r\n<MSG_ERROR_INTERNET_CANNOT_CONNECT>\r\n");
    EXPECT_TRUE(world.notifier.shown.empty());
}

// The address box holds 0.0.0.0 by default: on a network link that must not reach this machine's server.
TEST_F(FtpSessionOnServer, UnspecifiedAddressIsRefused)
{
    m_world->settings.gNTProtocol = false;
    m_world->batch.gSerialLink = false;
    m_world->window.ipText = QStringLiteral("0.0.0.0");
    m_world->runtime->OpenFtpSession();
    EXPECT_FALSE(m_world->runtime->vars.FtpSessionOpen);
    EXPECT_EQ(m_world->batch.gErrorCode, -9);
    EXPECT_TRUE(m_world->batch.gErrorText.contains("<MSG_ERROR_INTERNET_CANNOT_CONNECT>"));
    EXPECT_FALSE(m_server.commands().contains("USER jvz"));
}

TEST_F(FtpSessionOnServer, MissingFolderGivesTheServersReply)
{
    m_world->batch.gBatchMode = true;
    ASSERT_EQ(wininet().FtpOpenConnection(m_server.host(), "jvz", "terminal", language()), 0u);
    EXPECT_EQ(wininet().FtpChangeDirectory("\\NOPE\\", language()), FtpError::ExtendedError);
    const QString prefix = head("FtpSetCurrentDirectory") + "\r\n<MSG_FileError>\r\n<ExtendedError> 550";
    EXPECT_TRUE(m_world->batch.gErrorText.startsWith(prefix)) << m_world->batch.gErrorText.toStdString();
    EXPECT_EQ(m_world->batch.gErrorCode, -10);
    EXPECT_EQ(wininet().FtpChangeDirectory("\\SWAP\\", language()), 0u) << "the session stays usable";
}

TEST_F(FtpSessionOnServer, TwoFailuresLeaveTwoLines)
{
    m_world->batch.gBatchMode = true;
    ASSERT_EQ(wininet().FtpOpenConnection(m_server.host(), "jvz", "terminal", language()), 0u);
    EXPECT_NE(wininet().FtpChangeDirectory("\\NOPE\\", language()), 0u);
    EXPECT_NE(wininet().FtpOpenConnection(m_server.host(), "jvz", "wrong", language()), 0u);
    const QStringList lines = m_world->batch.gErrorText.split(kCrLfText);
    // Each message ends with CR LF; the server's reply of the first stands on its third line.
    ASSERT_EQ(lines.size(), 6) << m_world->batch.gErrorText.toStdString();
    EXPECT_EQ(lines[0], head("FtpSetCurrentDirectory"));
    EXPECT_EQ(lines[3], head("InternetConnect"));
    EXPECT_EQ(lines[4], "<MSG_ERROR_INTERNET_INCORRECT_PASSWORD>");
    EXPECT_EQ(lines[5], QString());
}

} // namespace
