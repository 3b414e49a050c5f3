#include "FakeNotifier.h"
#include "QtPrint.h"
#include "RecordingSessionHost.h"
#include "ScriptedTerminalPeer.h"
#include "SessionFrames.h"
#include "SessionLanguage.h"
#include "core/BatchErrorCode.h"
#include "core/ProgramInfo.h"
#include "core/TerminalSession.h"
#include "session/SockProcessing.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

using namespace jvz;
using jvztest::bytes;
using jvztest::ownIdentification;
using jvztest::ScriptedTerminalPeer;
using jvztest::terminalIdentification;
using Step = ScriptedTerminalPeer::Step;

namespace {

constexpr int kBoundMs = 5000;

// The program's side over loopback, reduced to what the protocol needs: accept, hand each chunk to the
// state machine, send its reply, close when asked. Once the activity is authorised it ends it at once and
// sends the session end after the terminal's report, as a disconnect does.
class LoopbackProgram : public QObject {
public:
    LoopbackProgram() : sock(host, notifier, session, identity, result)
    {
        host.batch = true;
        sock.ResetSession(jvztest::bracketedSessionTexts());
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, &LoopbackProgram::onData);
            sock.BeginSession();
        });
    }

    quint16 port() const { return server.serverPort(); }

    void onData()
    {
        const SessionFrame frame{socket->readAll()};
        const FrameOutcome out = sock.ProcessTerminalFrame(frame);
        sock.ParseTerminalFrame(frame);
        if (!out.reply.isEmpty())
            socket->write(out.reply.bytes);
        if (out.closeRequested) {
            socket->disconnectFromHost();
        } else if (out.authorised) {
            socket->write(sock.BuildEndOfActivityFrame(0).bytes);
        } else if (out.reply.isEmpty() && session.sessionState == SessionState::Identified) {
            socket->write(sock.BuildNextActivityFrame(0).bytes);
        }
    }

    jvztest::RecordingSessionHost host;
    jvztest::FakeNotifier notifier;
    TerminalSession session;
    TerminalIdentity identity;
    BatchErrorCode result;
    SockProcessing sock;
    QTcpServer server;
    QPointer<QTcpSocket> socket;
};

// Table rows print as their name in test listings and failures.
template <typename Row>
requires requires(const Row& r)
{
    r.name;
}
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

// Whole conversations, one row each: the terminal's script and the code the run ends with.
struct ConversationRow {
    const char* name;
    uint8_t activity;
    QList<Step> script;
    int16_t code;
};

class SessionConversation : public ::testing::TestWithParam<ConversationRow> {};

TEST_P(SessionConversation, OverLoopback)
{
    const ConversationRow& row = GetParam();
    LoopbackProgram program;
    program.host.activity = row.activity;
    ScriptedTerminalPeer peer(row.script);
    peer.start(QHostAddress::LocalHost, program.port());
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    EXPECT_EQ(program.result.gErrorCode, row.code);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, SessionConversation, ::testing::Values(
    ConversationRow{"DownloadEndsNormally", 1,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 0})), Step::expect(bytes({32, 1, 1})),
                     Step::send(bytes({33, 27, 0}) + "DOWNLOAD   SWAP           "), Step::expect(bytes({34, 1, 0})),
                     Step::send(bytes({34, 1, 0})), Step::expect(bytes({0, 1, 0})), Step::close()},
                    0},
    ConversationRow{"MaintenanceRequested", 3,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 0})), Step::expect(bytes({32, 1, 3}))},
                    0},
    ConversationRow{"TerminalRefusesOurIdentification", 1,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 1})), Step::expectClosed()},
                    -13},
    ConversationRow{"WeRefuseTheTerminal", 1,
                    {Step::send(terminalIdentification("Q40")), Step::expect(bytes({17, 1, 1})), Step::expectClosed()},
                    -13},
    ConversationRow{"ActivityRefusedEndsSession", 1,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 0})), Step::expect(bytes({32, 1, 1})),
                     Step::send(bytes({33, 1, 1})), Step::expect(bytes({0, 1, 0})), Step::close()},
                    -14},
    ConversationRow{"EndReportWithProblem", 1,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 0})), Step::expect(bytes({32, 1, 1})),
                     Step::send(bytes({33, 1, 0})), Step::expect(bytes({34, 1, 0})),
                     Step::send(bytes({34, 4, 5}) + "DSK"), Step::expect(bytes({0, 1, 0})), Step::close()},
                    -15}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// The peer itself: it must report the first mismatch, an early close, a timeout and stray bytes.
class FixedReplyServer : public QObject {
public:
    // Sends the reply to the first chunk received, then closes when asked.
    FixedReplyServer(QByteArray reply, bool closeAfter) : m_reply(std::move(reply)), m_closeAfter(closeAfter)
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, this, [this, s] {
                s->readAll();
                s->write(m_reply);
                if (m_closeAfter)
                    s->disconnectFromHost();
            });
        });
    }
    QTcpServer server;

private:
    QByteArray m_reply;
    bool m_closeAfter;
};

struct PeerFailureRow {
    const char* name;
    QByteArray serverReply;
    bool serverCloses;
    QList<Step> script;
    int boundMs;
    const char* failureContains;
};

class ScriptedPeer : public ::testing::TestWithParam<PeerFailureRow> {};

TEST_P(ScriptedPeer, ReportsFirstMismatch)
{
    const PeerFailureRow& row = GetParam();
    FixedReplyServer server(row.serverReply, row.serverCloses);
    ScriptedTerminalPeer peer(row.script);
    peer.start(QHostAddress::LocalHost, server.server.serverPort());
    EXPECT_FALSE(peer.waitFinished(row.boundMs));
    EXPECT_TRUE(peer.isFinished());
    EXPECT_TRUE(peer.failure().contains(QLatin1String(row.failureContains))) << peer.failure().toStdString();
}

// clang-format off
// Columns: name, the server's reply to the first chunk, whether it then closes, the script, the bound, and
// the failure text expected.
INSTANTIATE_TEST_SUITE_P(Table, ScriptedPeer, ::testing::Values(
    PeerFailureRow{"WrongBytes", bytes({17, 1, 1}), false,
                   {Step::send(bytes({16, 1, 'M'})), Step::expect(bytes({17, 1, 0})), Step::close()},
                   kBoundMs, "step 2 expect [11 01 00]: got [11 01 01]"},
    PeerFailureRow{"ClosedBeforeReplyComplete", bytes({17}), true,
                   {Step::send(bytes({16, 1, 'M'})), Step::expect(bytes({17, 1, 0}))},
                   kBoundMs, "step 2 expect [11 01 00]: closed after [11]"},
    PeerFailureRow{"NoReplyWithinBound", {}, false,
                   {Step::send(bytes({16, 1, 'M'})), Step::expect(bytes({17, 1, 0}))},
                   100, "timed out after 100 ms at step 2"},
    PeerFailureRow{"BytesInsteadOfClose", bytes({0, 1, 0}), false,
                   {Step::send(bytes({33, 1, 1})), Step::expectClosed()},
                   kBoundMs, "step 2 expect the program to close: got [00 01 00] instead"},
    PeerFailureRow{"StrayBytesAfterScript", bytes({17, 1, 0, 9}), false,
                   {Step::send(bytes({16, 1, 'M'})), Step::expect(bytes({17, 1, 0})), Step::wait(50)},
                   kBoundMs, "unexpected bytes after the script: [09]"},
    PeerFailureRow{"SendAfterProgramClosed", bytes({17, 1, 1}), true,
                   {Step::send(bytes({16, 1, 'M'})), Step::expect(bytes({17, 1, 1})), Step::expectClosed(),
                    Step::send(bytes({17, 1, 0}))},
                   kBoundMs, "step 4 send [11 01 00]: the program already closed the connection"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(ScriptedPeerAddress, RefusesNonLoopback)
{
    ScriptedTerminalPeer peer({Step::send(bytes({16}))});
    peer.start(QHostAddress(QStringLiteral("192.0.2.1")), 4000);
    EXPECT_TRUE(peer.isFinished());
    EXPECT_TRUE(peer.failure().contains(QLatin1String("non-loopback"))) << peer.failure().toStdString();
}

TEST(ScriptedPeerAddress, ReportsRefusedConnection)
{
    // A port nobody listens on: bind one, note it, close it.
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    ScriptedTerminalPeer peer({Step::send(bytes({16}))});
    peer.start(QHostAddress::LocalHost, port);
    EXPECT_FALSE(peer.waitFinished(kBoundMs));
    EXPECT_TRUE(peer.failure().contains(QLatin1String("cannot connect"))) << peer.failure().toStdString();
}

} // namespace
