// The session runtime: socket events, timers, batch action and disconnect, with the terminal played over
// loopback by the scripted peer and the FTP client, dial-up link and window replaced by doubles.
#include "QtPrint.h"
#include "RuntimeWorld.h"
#include "ScriptedTerminalPeer.h"
#include "SessionFrames.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::bytes;
using jvztest::ownIdentification;
using jvztest::RuntimeWorld;
using jvztest::ScriptedTerminalPeer;
using jvztest::ScriptedTransport;
using jvztest::terminalIdentification;
using Step = ScriptedTerminalPeer::Step;

namespace {

constexpr int kBoundMs = 10000;
const QString kNoAnswer = QStringLiteral("<SocketState><MSG_NoAnswer>");
const QString kDisconnected = QStringLiteral("<TerminalState><Disconnected>");

template <typename Row>
requires requires(const Row& r)
{
    r.name;
}
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

QByteArray authorised()
{
    return bytes({33, 27, 0}) + "DOWNLOAD   " + "SWAP           ";
}

// The opening every session shares: identifications both ways, the acknowledgement and the request.
QList<Step> opening(uint8_t activity)
{
    return {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()), Step::send(bytes({17, 1, 0})),
            Step::expect(bytes({32, 1, activity}))};
}

QList<Step> then(QList<Step> a, const QList<Step>& b)
{
    a.append(b);
    return a;
}

QByteArray expectedBytes(const QList<Step>& script)
{
    QByteArray all;
    for (const Step& s : script)
        if (s.kind == Step::Kind::Expect)
            all += s.bytes;
    return all;
}

bool anyTimerActive(const QObject& runtime)
{
    const QList<QTimer*> timers = runtime.findChildren<QTimer*>();
    return std::any_of(timers.begin(), timers.end(), [](const QTimer* t) { return t->isActive(); });
}

// Whole conversations, one row each: who sends what, and how the run ends.
struct ConversationRow {
    const char* name;
    bool batchMode;
    uint8_t activity;
    BatchAction action;
    uint32_t ftpOpenResult;
    int32_t waitEndReports; // [Options] rounds of the answer timer after the disconnect
    QList<Step> script;
    int16_t code;
    const char* text;    // the run's result text, when it matters
    const char* action_; // the unattended action run, empty for none
};

class SessionConversation : public ::testing::TestWithParam<ConversationRow> {};

TEST_P(SessionConversation, EndsAsScripted)
{
    const ConversationRow& row = GetParam();
    RuntimeWorld world;
    world.batch.gBatchMode = row.batchMode;
    world.batch.gActivity = row.activity;
    world.batch.gBatchAction = row.action;
    world.window.activity = row.activity;
    world.ftp.openResult = row.ftpOpenResult;
    world.settings.gCptWaitEndOfActivity = row.waitEndReports;
    const quint16 port = world.listen();
    ASSERT_NE(port, 0);

    ScriptedTerminalPeer peer(row.script);
    peer.start(QHostAddress::LocalHost, port);
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.window.trace.startsWith(kDisconnected); }, kBoundMs))
        << world.window.trace.toStdString();

    EXPECT_EQ(peer.received(), expectedBytes(row.script));
    EXPECT_EQ(world.batch.gErrorCode, row.code);
    if (row.text) {
        EXPECT_EQ(world.batch.gErrorText, QString::fromUtf8(row.text));
    }
    EXPECT_EQ(world.actions.calls, row.action_[0] ? QStringList{QString::fromLatin1(row.action_)} : QStringList{});
    EXPECT_EQ(world.quits, row.batchMode ? 1 : 0);
    EXPECT_FALSE(anyTimerActive(*world.runtime)) << "a timer would act on a closed connection";
    EXPECT_FALSE(world.runtime->vars.SocketActive);
    EXPECT_EQ(world.dialUp.hangUps, 1);
    if (row.batchMode) {
        // Only the refusal of the activity has a box meant for unattended runs too.
        for (const auto& shown : world.notifier.shown)
            EXPECT_EQ(shown.text, QStringLiteral("<MSG_UnauthorizedActivity>"));
    }
}

const char* const kDownload = "download /lists/LOAD.M40";
const QList<Step> kNormalEnd = {Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                Step::send(bytes({34, 1, 0})), Step::expect(bytes({0, 1, 0})), Step::close()};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, SessionConversation, ::testing::Values(
    ConversationRow{"BatchDownloadEndsNormally", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), kNormalEnd), 0, "", kDownload},
    ConversationRow{"BatchDeleteRunsItsAction", true, 1, BatchAction::Delete, 0, 2,
                    then(opening(1), kNormalEnd), 0, "", "delete /lists/LOAD.M40"},
    ConversationRow{"BatchUploadRunsItsAction", true, 3, BatchAction::Upload, 0, 2,
                    then(opening(3), kNormalEnd), 0, "", "upload /lists/LOAD.M40"},
    // The refusal stands, and the terminal's close ends the session: no answer timeout on top.
    ConversationRow{"TerminalRefusesTheActivity", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::send(bytes({33, 1, 1})), Step::expect(bytes({0, 1, 0})),
                                             Step::close()}),
                    -14, "<MSG_UnauthorizedActivity>", ""},
    ConversationRow{"ProgramRefusesTheProductCode", true, 1, BatchAction::Download, 0, 2,
                    {Step::send(terminalIdentification("Q40")), Step::expect(bytes({17, 1, 1})), Step::expectClosed()},
                    -13, "<MSG_WrongIdent>", ""},
    ConversationRow{"TerminalRefusesOurIdentification", true, 1, BatchAction::Download, 0, 2,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::send(bytes({17, 1, 1})), Step::expectClosed()},
                    -13, "<MSG_WrongIdent>", ""},
    ConversationRow{"DownloadAskedInDiagnostic", true, 2, BatchAction::Download, 0, 2,
                    then(opening(2), kNormalEnd), -17, "<MSG_DownloadingForbiden>", ""},
    // The terminal hears of the failure (34 01 02); its report changes nothing of the result.
    ConversationRow{"FtpOpenFailsAfterAuthorisation", true, 1, BatchAction::Download, FtpError::IncorrectPassword, 2,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 2})),
                                             Step::send(bytes({34, 1, 0})), Step::expect(bytes({0, 1, 0})),
                                             Step::close()}),
                    -9, "<ErrorIn> InternetConnect <Function>.\r\n<MSG_ERROR_INTERNET_INCORRECT_PASSWORD>\r\n", ""},
    // After the session end the wait for the terminal's close is bounded and keeps the result.
    ConversationRow{"TerminalNeverClosesAfterTheSessionEnd", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                             Step::send(bytes({34, 1, 0})), Step::expect(bytes({0, 1, 0})),
                                             Step::expectClosed()}),
                    0, "", kDownload},
    ConversationRow{"TerminalClosesDuringTheActivity", false, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::close()}),
                    -11, "<SocketState><MSG_NoAnswer>", ""},
    ConversationRow{"SilentAfterCalling", true, 1, BatchAction::Download, 0, 2,
                    {Step::expectClosed()}, -11, "<SocketState><MSG_NoAnswer>", ""},
    ConversationRow{"SilentAfterOurIdentification", true, 1, BatchAction::Download, 0, 2,
                    {Step::send(terminalIdentification("M40")), Step::expect(ownIdentification()),
                     Step::expectClosed()},
                    -11, "<SocketState><MSG_NoAnswer>", ""},
    ConversationRow{"SilentAfterTheRequest", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::expectClosed()}), -11, "<SocketState><MSG_NoAnswer>", ""},
    ConversationRow{"SilentAfterTheEndOfActivity", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                             Step::expectClosed()}),
                    -11, "<SocketState><MSG_NoAnswer>", kDownload},
    // Two rounds of the answer timer (500 ms each) after the disconnect: a report in the second one counts.
    ConversationRow{"EndReportInTheSecondRound", true, 1, BatchAction::Download, 0, 2,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                             Step::wait(750), Step::send(bytes({34, 1, 0})),
                                             Step::expect(bytes({0, 1, 0})), Step::close()}),
                    0, "", kDownload},
    ConversationRow{"OneRoundOnlyEndsBeforeTheLateReport", true, 1, BatchAction::Download, 0, 1,
                    then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                             Step::expectClosed()}),
                    -11, "<SocketState><MSG_NoAnswer>", kDownload}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(SessionRuntime, NoCallAfterTheDialEndsWithNoAnswer)
{
    RuntimeWorld world;
    world.batch.gBatchMode = true;
    ASSERT_NE(world.listen(), 0);
    ASSERT_TRUE(world.waitForQuit(kBoundMs));
    EXPECT_EQ(world.codeAtQuit, -11);
    EXPECT_EQ(world.batch.gErrorText, kNoAnswer);
    EXPECT_EQ(world.window.linkStatus, kDisconnected);
    EXPECT_TRUE(world.window.trace.contains(kNoAnswer + "\r\n"));
    EXPECT_TRUE(world.notifier.shown.empty());
}

TEST(SessionRuntime, NoAnswerShowsItsBoxOutsideBatchRuns)
{
    RuntimeWorld world;
    ASSERT_NE(world.listen(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.batch.gErrorCode == -11; }, kBoundMs));
    ASSERT_EQ(world.notifier.shown.size(), 1u);
    EXPECT_EQ(world.notifier.shown[0].text, QStringLiteral("<MSG_NoAnswer>"));
    EXPECT_EQ(world.notifier.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(world.quits, 0);
}

// The window may answer the product code with a box; the terminal has our identification before that box opens.
TEST(SessionRuntime, ProductCodeIsShownAfterTheReplyIsSent)
{
    RuntimeWorld world;
    const quint16 port = world.listen();
    ScriptedTerminalPeer peer({Step::send(terminalIdentification("M40")), Step::expect(ownIdentification())});
    bool replyArrivedWhileShown = false;
    world.window.onProductCode = [&](const QString&) {
        // A modal box runs the event loop until it is answered.
        replyArrivedWhileShown = QTest::qWaitFor([&] { return peer.received().startsWith(ownIdentification()); }, 2000);
    };
    peer.start(QHostAddress::LocalHost, port);
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !world.window.productCodes.isEmpty(); }, kBoundMs));
    EXPECT_EQ(world.window.productCodes, QStringList{"M40"});
    EXPECT_TRUE(replyArrivedWhileShown);
}

// The Activity menu's refresh: end the activity, and ask for the new one once the terminal has reported.
TEST(SessionRuntime, ActivityRequestWaitsForTheTerminalsReport)
{
    RuntimeWorld world;
    const quint16 port = world.listen();
    const QList<Step> script = then(opening(1), QList<Step>{Step::send(authorised()), Step::expect(bytes({34, 1, 0})),
                                                            Step::send(bytes({34, 1, 0})),
                                                            Step::expect(bytes({32, 1, 3})), Step::send(authorised())});
    ScriptedTerminalPeer peer(script);
    peer.start(QHostAddress::LocalHost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.runtime->vars.FtpSessionOpen; }, kBoundMs));

    world.runtime->CloseFtpSession();
    world.runtime->SendTerminalMessage(0, 3);
    EXPECT_TRUE(world.runtime->vars.PendingActivitySet);
    EXPECT_EQ(world.runtime->vars.PendingActivityCode, 3);

    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.runtime->vars.FtpSessionOpen; }, kBoundMs));
    EXPECT_FALSE(world.runtime->vars.PendingActivitySet);
    EXPECT_EQ(world.ftp.calls.count(QStringLiteral("open 127.0.0.1:21 jvz")), 2);
    // Reported without an activity: the window's commands follow its own menu's, not the requested one.
    EXPECT_EQ(world.window.connectionStates.count(ConnectionState::ActivityRunning), 2);
}

// --- the socket's events, raised by the test

struct ScriptedWorld {
    explicit ScriptedWorld(RuntimeTimings timings = jvztest::shrunkTimings()) : world(timings, &transport) {}
    SessionRuntime& rt() { return *world.runtime; }

    // Up to an authorised activity, as the data events deliver it.
    void authorise()
    {
        rt().protocol().ResetSession(world.window.language());
        rt().vars.SocketActive = true;
        transport.raiseCall();
        transport.raiseData(terminalIdentification("M40"));
        transport.raiseData(bytes({17, 1, 0}));
        transport.raiseData(authorised());
    }

    ScriptedTransport transport;
    RuntimeWorld world;
};

TEST(SessionRuntimeEvents, BatchActionRunsAfterTheDataEventAndThenDisconnects)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    bool handlerReturned = false;
    w.world.actions.during = [&] { EXPECT_TRUE(handlerReturned); };
    w.authorise();
    handlerReturned = true;
    EXPECT_TRUE(w.world.actions.calls.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.transport.sent.endsWith(bytes({34, 1, 0})); }, kBoundMs));
    EXPECT_EQ(w.world.actions.calls, QStringList{QStringLiteral("download /lists/LOAD.M40")});
    EXPECT_EQ(w.world.session.swapTotalSize, 0);
    EXPECT_TRUE(w.world.session.swapUnchecked);
}

TEST(SessionRuntimeEvents, ActionsSetAfterTheSessionAreTheOnesRun)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    jvztest::RecordingBatchActions later;
    w.rt().setBatchActions(&later);
    w.authorise();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !later.calls.isEmpty(); }, kBoundMs));
    EXPECT_TRUE(w.world.actions.calls.isEmpty());
}

TEST(SessionRuntimeEvents, FailingBatchActionClosesTheConnectionOnce)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    w.world.actions.fails = true;
    w.authorise();
    ASSERT_TRUE(w.world.waitForQuit(kBoundMs));
    EXPECT_FALSE(w.transport.sent.endsWith(bytes({34, 1, 0}))) << "no disconnect sequence after the failure";
    EXPECT_GE(w.transport.closes, 1);
    EXPECT_EQ(w.world.quits, 1);
    w.rt().CloseConnexion(true);
    EXPECT_EQ(w.world.quits, 1);
}

TEST(SessionRuntimeDisconnect, CloseCanLeaveTheEndOfTheRunToItsCaller)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    w.rt().vars.SocketActive = true;
    w.rt().CloseConnexion(true, SessionRuntime::RunEnd::LeaveToCaller);
    EXPECT_EQ(w.world.quits, 0);
    EXPECT_EQ(w.transport.closes, 1);
    EXPECT_EQ(w.world.dialUp.hangUps, 1);
    EXPECT_EQ(w.world.window.linkStatus, kDisconnected);
    w.rt().CloseConnexion(true);
    EXPECT_EQ(w.world.quits, 1);
}

TEST(SessionRuntimeEvents, WatchdogRunsFromTheAcceptedCall)
{
    RuntimeTimings timings = jvztest::shrunkTimings();
    timings.watchdogTickMs = 20;
    timings.watchdogTicks = 3;
    timings.answerMs = 60000;
    ScriptedWorld w(timings);
    w.world.batch.gBatchMode = true;
    w.world.settings.gNTProtocol = false;
    w.rt().vars.SocketActive = true;
    w.transport.raiseCall();
    EXPECT_TRUE(w.rt().findChild<QTimer*>(QStringLiteral("TIM_Connexion"))->isActive());
    EXPECT_EQ(w.rt().vars.WatchdogTicks, 1);
    EXPECT_EQ(w.rt().vars.TerminalAddress, QStringLiteral("127.0.0.2"));

    ASSERT_TRUE(w.world.waitForQuit(kBoundMs));
    EXPECT_EQ(w.rt().vars.WatchdogTicks, 3);
    EXPECT_TRUE(w.world.window.trace.contains(QStringLiteral("<SocketState><MSG_TimeoutConnection>\r\n")));
    // Unattended, the message is written out (the notifier never waits there) and nothing else is asked.
    ASSERT_EQ(w.world.notifier.shown.size(), 1u);
    EXPECT_EQ(w.world.notifier.shown[0].text, QStringLiteral("<MSG_TimeoutConnection>"));
    EXPECT_EQ(w.world.batch.gErrorCode, 0);
}

TEST(SessionRuntimeEvents, WatchdogEndsTheActivityWithTheProtocol)
{
    RuntimeTimings timings = jvztest::shrunkTimings();
    timings.watchdogTickMs = 20;
    timings.watchdogTicks = 2;
    timings.answerMs = 60000;
    ScriptedWorld w(timings);
    w.authorise();
    ASSERT_TRUE(w.rt().vars.FtpSessionOpen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.transport.sent.endsWith(bytes({34, 1, 0})); }, kBoundMs));
    EXPECT_FALSE(w.rt().vars.FtpSessionOpen);
    EXPECT_TRUE(w.rt().vars.PendingActivitySet) << "the session end waits for the terminal's report";
}

struct SocketErrorRow {
    const char* name;
    SocketStateNumber state;
    bool closes;
};

class SocketErrors : public ::testing::TestWithParam<SocketErrorRow> {};

TEST_P(SocketErrors, CloseOnlyADeadSocket)
{
    ScriptedWorld w;
    w.authorise();
    w.transport.raiseError(GetParam().state, QStringLiteral("broken pipe"));
    EXPECT_TRUE(w.world.window.trace.contains(QStringLiteral("<SocketError>broken pipe\r\n")));
    EXPECT_EQ(!w.rt().vars.FtpSessionOpen, GetParam().closes);
    EXPECT_EQ(w.world.window.linkStatus == kDisconnected, GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(Table, SocketErrors,
                         ::testing::Values(SocketErrorRow{"InError", SocketStateNumber::Error, true},
                                           SocketErrorRow{"ClosingByPeer", SocketStateNumber::ClosingByPeer, true},
                                           SocketErrorRow{"Closed", SocketStateNumber::Closed, true},
                                           SocketErrorRow{"StillConnected", SocketStateNumber::Connected, false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SessionRuntimeEvents, SocketStateTexts)
{
    const struct {
        SocketStateNumber state;
        const char* text;
    } rows[] = {
        {SocketStateNumber::Closed, "Socket Fermée"},
        {SocketStateNumber::Open, "Socket Ouverte"},
        {SocketStateNumber::Listening, "À l'écoute"},
        {SocketStateNumber::ConnectionPending, "Connexion en attente"},
        {SocketStateNumber::ResolvingHost, "Hôte en cours de résolution"},
        {SocketStateNumber::HostResolved, "Hôte résolu"},
        {SocketStateNumber::Connecting, "Connexion en cours ..."},
        {SocketStateNumber::Connected, "Socket Connectée"},
        {SocketStateNumber::ClosingByPeer, "Socket en cours de fermeture par le pair distant"},
        {SocketStateNumber::Error, "Erreur socket"},
        {static_cast<SocketStateNumber>(10), ""},
    };
    ScriptedWorld w;
    for (const auto& row : rows) {
        w.transport.setState(row.state);
        int16_t state = -1;
        EXPECT_EQ(w.rt().GetSockState(state), QString::fromUtf8(row.text));
        EXPECT_EQ(state, static_cast<int16_t>(row.state));
    }
}

TEST(SessionSocket, RefusesWhatCannotBeListenedOn)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const struct {
        const char* address;
        QString port;
    } rows[] = {
        {"127.0.0.1", "six"},
        {"127.0.0.1", "70000"},
        {"127.0.0.1", "-1"},
        {"terminal", "6000"},
        {"127.0.0.1", QString::number(taken.serverPort())},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.address) + " " + row.port.toStdString());
        TcpSessionTransport transport;
        EXPECT_FALSE(transport.listen(QString::fromLatin1(row.address), row.port));
        EXPECT_FALSE(transport.errorString().isEmpty());
        EXPECT_EQ(transport.state(), SocketStateNumber::Closed);
    }
}

TEST(SessionSocket, OneTerminalAtATime)
{
    RuntimeWorld world;
    const quint16 port = world.listen();
    ASSERT_NE(port, 0);
    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.runtime->vars.TerminalAddress == "127.0.0.1"; }, kBoundMs));
    EXPECT_EQ(world.runtime->tcpclient().state(), SocketStateNumber::Connected);

    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.state() == QAbstractSocket::UnconnectedState; }, kBoundMs));
    EXPECT_EQ(first.state(), QAbstractSocket::ConnectedState);
}

// --- disconnect and close

struct HangUpRow {
    const char* name;
    uint64_t hangUpTakesMs;
    int32_t minimumMs;
    int32_t result;
    bool batchMode;
    bool waits;
    bool box;
};

class HangUp : public ::testing::TestWithParam<HangUpRow> {};

TEST_P(HangUp, KeepsTheLineDownForTheMinimumTime)
{
    const HangUpRow& row = GetParam();
    ScriptedWorld w;
    w.world.dialUp.hangUpTakesMs = row.hangUpTakesMs;
    w.world.dialUp.hangUpResult = row.result;
    w.world.settings.gWaitingDcxTime = row.minimumMs;
    w.world.batch.gBatchMode = row.batchMode;
    QElapsedTimer timer;
    timer.start();
    w.rt().HangUpPpp(true);
    const qint64 spent = timer.elapsed();

    const QString trace = w.world.window.trace;
    // The clock runs on while the stand-in hangs up: a slow build can add a millisecond or two to its time.
    const auto isHangUpTime = [&](uint64_t ms) { return ms >= row.hangUpTakesMs && ms <= row.hangUpTakesMs + 20; };
    const QRegularExpressionMatch hangUp =
        QRegularExpression(QStringLiteral("<TRC_HangUpTime>(\\d+) ms\r\n")).match(trace);
    ASSERT_TRUE(hangUp.hasMatch()) << trace.toStdString();
    EXPECT_TRUE(isHangUpTime(hangUp.captured(1).toULongLong())) << trace.toStdString();
    const QRegularExpression dcx(QStringLiteral("<TRC_DcxTime>(\\d+) \\+ (\\d+) ms\r\n"));
    const QRegularExpressionMatch m = dcx.match(trace);
    EXPECT_EQ(m.hasMatch(), row.waits) << trace.toStdString();
    if (row.waits) {
        const qint64 rest = row.minimumMs - qint64(row.hangUpTakesMs);
        EXPECT_GE(spent, rest);
        EXPECT_GE(m.captured(1).toLongLong(), rest);
        EXPECT_TRUE(isHangUpTime(m.captured(2).toULongLong())) << trace.toStdString();
    }
    EXPECT_EQ(w.world.window.linkStatus == QStringLiteral("<PPPState><PPP_Disconnected>"), row.result == 0);
    ASSERT_EQ(w.world.notifier.shown.size(), row.box ? 1u : 0u);
    if (row.box) {
        EXPECT_EQ(w.world.notifier.shown[0].text, QStringLiteral("HangUp: RAS error number 6\r\n") +
                                                      QString::fromLatin1(describe(DialError::PortNotLocked)));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HangUp,
                         ::testing::Values(HangUpRow{"QuickHangUpWaitsTheRest", 50, 200, 0, false, true, false},
                                           HangUpRow{"SlowHangUpDoesNotWait", 500, 200, 0, false, false, false},
                                           HangUpRow{"FailedHangUpShowsTheError", 10, 200, 6, false, false, true},
                                           HangUpRow{"FailedHangUpUnattendedIsSilent", 10, 200, 6, true, false, false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SessionRuntimeDisconnect, NetworkLinkWithoutProtocolOnlyResetsTheWindow)
{
    ScriptedWorld w;
    w.world.settings.gNTProtocol = false;
    w.world.batch.gSerialLink = false;
    w.rt().vars.LinkUp = true;
    w.rt().MNU_Terminal_Disconnect_Click();
    EXPECT_EQ(w.world.dialUp.hangUps, 0);
    EXPECT_EQ(w.transport.closes, 0);
    EXPECT_FALSE(w.rt().vars.LinkUp);
    EXPECT_EQ(w.world.window.linkStatus, kDisconnected);
    EXPECT_EQ(w.world.window.connectionStates,
              (QList<ConnectionState>{ConnectionState::Disconnecting, ConnectionState::Closed}));
    EXPECT_EQ(w.rt().connectionState(), ConnectionState::Closed);
    EXPECT_EQ(w.world.window.statusBar4, QStringLiteral("<TerminalContent>"));
    EXPECT_TRUE(w.world.window.statusBar1Hidden);
}

// The reports come where the switches they replace came, among the window's own steps.
TEST(SessionRuntimeReports, ComeInTheirPlaceAmongTheWindowSteps)
{
    const auto connection = [](ConnectionState s) { return QStringLiteral("connection %1").arg(int(s)); };
    const auto ftp = [](FtpSessionState s) { return QStringLiteral("ftp %1").arg(int(s)); };
    ScriptedWorld w;
    w.world.settings.gNTProtocol = false;
    w.world.batch.gSerialLink = false;
    w.world.identity.swapDisk = QStringLiteral("SWAP");
    w.rt().AfterConnectCommands();
    ASSERT_TRUE(w.rt().vars.FtpSessionOpen);
    EXPECT_EQ(w.world.window.steps,
              (QStringList{ftp(FtpSessionState::Opening), QStringLiteral("status bar 4 <TerminalContent>'\\'"),
                           QStringLiteral("list \\"), ftp(FtpSessionState::Open), QStringLiteral("reset pointer"),
                           QStringLiteral("unload warning"), connection(ConnectionState::Connected)}));

    w.world.window.steps.clear();
    w.rt().MNU_Terminal_Disconnect_Click();
    EXPECT_EQ(w.world.window.steps,
              (QStringList{connection(ConnectionState::Disconnecting), ftp(FtpSessionState::Closed),
                           QStringLiteral("clear list"), connection(ConnectionState::Closed),
                           QStringLiteral("hide status bar 1"), QStringLiteral("status bar 4 <TerminalContent>"),
                           QStringLiteral("reset pointer"), QStringLiteral("unload warning")}));
}

TEST(SessionRuntimeDisconnect, BeforeAuthorisationTheSessionEndGoesAtOnceOrWaits)
{
    for (bool acknowledged : {true, false}) {
        SCOPED_TRACE(acknowledged ? "identified" : "waiting for identification");
        ScriptedWorld w;
        w.rt().protocol().ResetSession(w.world.window.language());
        w.rt().vars.SocketActive = true;
        w.transport.raiseCall();
        if (acknowledged) {
            w.transport.raiseData(terminalIdentification("M40"));
            w.transport.raiseData(bytes({17, 1, 0}));
        }
        w.transport.sent.clear();
        w.rt().DisconnectTerminal();
        EXPECT_EQ(w.transport.sent, acknowledged ? bytes({0, 1, 0}) : QByteArray());
        EXPECT_EQ(w.rt().vars.EndFrameSent, acknowledged);
        EXPECT_EQ(w.rt().vars.PendingActivitySet, !acknowledged);
        EXPECT_EQ(w.rt().vars.AnswerRetries, 1);
    }
}

TEST(SessionRuntimeDisconnect, UnattendedRunsWaitWithoutWarning)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    w.world.settings.gNTProtocol = false;
    w.rt().vars.LinkUp = true;
    QElapsedTimer timer;
    timer.start();
    w.rt().DisconnectTerminal();
    EXPECT_GE(timer.elapsed(), w.rt().timings().batchWaitMs);
    EXPECT_TRUE(w.world.window.warning.isEmpty());
    EXPECT_EQ(w.world.quits, 1);
}

TEST(SessionRuntimeDisconnect, InteractiveRunsShowTheRestartWarningWhileTheLinkIsUp)
{
    for (bool linkUp : {true, false}) {
        ScriptedWorld w;
        w.world.settings.gNTProtocol = false;
        w.rt().vars.LinkUp = linkUp;
        w.rt().DisconnectTerminal();
        EXPECT_EQ(w.world.window.warning, linkUp ? QStringLiteral("<MSG_WarningRestart>") : QString());
        EXPECT_FALSE(w.world.window.warningShown) << "the close takes it away";
    }
}

TEST(SessionRuntimeDisconnect, PeerCloseAfterTheSessionEndClosesAfterTheDelay)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    w.rt().vars.SocketActive = true;
    w.rt().vars.EndFrameSent = true;
    w.transport.raisePeerClose();
    EXPECT_TRUE(w.world.window.trace.startsWith(QStringLiteral("<TRC_EndCommunication>\r\n")));
    EXPECT_EQ(w.world.quits, 0) << "not inside the socket's own event";
    ASSERT_TRUE(w.world.waitForQuit(kBoundMs));
    EXPECT_EQ(w.transport.closes, 1);
}

// --- the FTP session as the window sees it

struct AddressRow {
    const char* name;
    bool protocol;
    bool serialLink;
    const char* host;
};

class FtpAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(FtpAddress, ComesFromTheCallOnlyWithProtocolAndDialUp)
{
    ScriptedWorld w;
    w.world.settings.gNTProtocol = GetParam().protocol;
    w.world.batch.gSerialLink = GetParam().serialLink;
    w.rt().vars.TerminalAddress = QStringLiteral("127.0.0.2");
    w.world.window.ipText = QStringLiteral("127.0.0.3");
    w.rt().OpenFtpSession();
    EXPECT_EQ(w.world.ftp.calls.value(0), QStringLiteral("open %1:21 jvz").arg(QLatin1String(GetParam().host)));
    EXPECT_TRUE(w.world.window.trace.contains(
        QStringLiteral("<TRC_RemoteAdd>%1\r\n<TRC_LocalAdd>127.0.0.1\r\n").arg(QLatin1String(GetParam().host))));
}

INSTANTIATE_TEST_SUITE_P(Table, FtpAddress,
                         ::testing::Values(AddressRow{"ProtocolOverDialUp", true, true, "127.0.0.2"},
                                           AddressRow{"ProtocolOverNetwork", true, false, "127.0.0.3"},
                                           AddressRow{"NoProtocol", false, true, "127.0.0.3"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SessionRuntimeFtp, OpenSessionRecordsTheLoginAndSwitchesTheCommands)
{
    ScriptedWorld w;
    w.world.identity.swapDisk = QStringLiteral("SWAP");
    w.rt().vars.TerminalAddress = QStringLiteral("127.0.0.1");
    w.world.window.login = QStringLiteral("tech");
    w.world.window.password = QStringLiteral("secret");
    w.world.batch.gShowProgress = true;
    w.rt().OpenFtpSession();
    EXPECT_TRUE(w.rt().vars.FtpSessionOpen);
    EXPECT_EQ(w.world.settings.gFtpUserName, QStringLiteral("tech"));
    EXPECT_EQ(w.world.settings.gFtpPassword, QStringLiteral("secret"));
    const QString text = QStringLiteral("<FTPState><FTP_successful> (ttyACM0)");
    EXPECT_EQ(w.world.window.linkStatus, text);
    EXPECT_TRUE(w.world.window.progress.contains(text));
    EXPECT_EQ(w.world.window.ftpStates, (QList<FtpSessionState>{FtpSessionState::Opening, FtpSessionState::Open}));
    EXPECT_EQ(w.world.window.terminalDir, QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(w.world.window.statusBar4, QStringLiteral("<TerminalContent>'\\SWAP\\'"));
    EXPECT_EQ(w.world.ftp.calls.last(), QStringLiteral("cd \\SWAP\\"));
    EXPECT_EQ(w.world.window.listed, QStringList{QStringLiteral("\\SWAP\\")});
    EXPECT_TRUE(
        w.world.window.trace.contains(QStringLiteral("<TRC_TemptingFTPConnexion>127.0.0.1\r\n<TRC_UserName>tech\r\n")));
}

TEST(SessionRuntimeFtp, EveryOpenedSessionReadsTheFreeSpaceAgain)
{
    ScriptedWorld w;
    w.world.identity.swapDisk = QStringLiteral("SWAP");
    w.rt().vars.TerminalAddress = QStringLiteral("127.0.0.1");
    w.world.session.swapTotalSize = 123456;
    w.world.session.swapUnchecked = false;
    w.rt().OpenFtpSession();
    EXPECT_EQ(w.world.session.swapTotalSize, 0);
    EXPECT_TRUE(w.world.session.swapUnchecked);
}

struct FolderRow {
    const char* name;
    bool protocol;
    bool batchMode;
    const char* start;
    const char* folder;
};

class StartFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(StartFolder, IsTheExchangeDirectoryWithTheProtocol)
{
    const FolderRow& row = GetParam();
    ScriptedWorld w;
    w.world.identity.swapDisk = QStringLiteral("SWAP");
    w.world.settings.gNTProtocol = row.protocol;
    w.world.batch.gBatchMode = row.batchMode;
    w.world.window.terminalDir = QString::fromLatin1(row.start);
    EXPECT_EQ(w.rt().ConnectFtpAndList(QStringLiteral("127.0.0.1"), QStringLiteral("jvz"), QStringLiteral("x"),
                                       w.world.window.language()),
              0u);
    EXPECT_EQ(w.world.window.terminalDir, QString::fromLatin1(row.folder));
    EXPECT_EQ(w.world.ftp.calls.last(), QStringLiteral("cd ") + QString::fromLatin1(row.folder));
    EXPECT_EQ(w.world.window.listed.size(), row.batchMode ? 0 : 1) << "unattended runs never fill the list";
}

INSTANTIATE_TEST_SUITE_P(Table, StartFolder,
                         ::testing::Values(FolderRow{"EmptyWithProtocol", true, false, "", "\\SWAP\\"},
                                           FolderRow{"RootWithProtocol", true, true, "\\", "\\SWAP\\"},
                                           FolderRow{"RootWithoutProtocol", false, false, "", "\\"},
                                           FolderRow{"KeptFolder", true, false, "\\HOST\\", "\\HOST\\"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SessionRuntimeFtp, FailedOpeningKeepsTheMessagesAndRecordsMinusNine)
{
    ScriptedWorld w;
    w.world.batch.gBatchMode = true;
    w.world.ftp.openResult = FtpError::CannotConnect;
    w.rt().OpenFtpSession();
    EXPECT_FALSE(w.rt().vars.FtpSessionOpen);
    EXPECT_EQ(w.world.batch.gErrorCode, -9);
    EXPECT_EQ(w.world.batch.gErrorText,
              QStringLiteral("<ErrorIn> InternetConnect <Function>.\r\n<MSG_ERROR_INTERNET_CANNOT_CONNECT>\r\n"));
    EXPECT_EQ(w.world.window.linkStatus, QStringLiteral("<FTPState><FTP_Failled> (ttyACM0)"));
    EXPECT_TRUE(w.world.window.listed.isEmpty());
    EXPECT_EQ(w.world.window.ftpStates, QList<FtpSessionState>{FtpSessionState::Opening});
    EXPECT_EQ(w.world.link.ghFtpSession, nullptr);
}

TEST(SessionRuntimeFtp, ClosingAClosedSessionChangesNothing)
{
    ScriptedWorld w;
    w.rt().CloseFtpSession();
    EXPECT_TRUE(w.world.window.trace.isEmpty());
    EXPECT_TRUE(w.world.window.linkStatus.isEmpty());
    EXPECT_TRUE(w.world.ftp.calls.isEmpty());
    EXPECT_TRUE(w.world.window.ftpStates.isEmpty());
}

TEST(SessionRuntimeFtp, ClosingAnOpenSessionSwitchesTheCommandsOff)
{
    ScriptedWorld w;
    w.rt().OpenFtpSession();
    ASSERT_TRUE(w.rt().vars.FtpSessionOpen);
    w.rt().CloseFtpSession();
    EXPECT_FALSE(w.rt().vars.FtpSessionOpen);
    EXPECT_EQ(w.world.ftp.calls.last(), QStringLiteral("close"));
    EXPECT_EQ(w.world.link.ghFtpSession, nullptr);
    EXPECT_EQ(w.world.link.ghInternet, nullptr);
    EXPECT_EQ(w.world.window.ftpStates,
              (QList<FtpSessionState>{FtpSessionState::Opening, FtpSessionState::Open, FtpSessionState::Closed}));
    EXPECT_EQ(w.world.window.terminalListCleared, 1);
    EXPECT_EQ(w.world.window.linkStatus, QStringLiteral("<FTPState><FTP_Disconnected>"));
}

// Without the protocol the action follows the dial: no activity check, a download for anything but d and u.
struct AfterDialRow {
    const char* name;
    BatchAction action;
    uint8_t activity;
    uint32_t ftpOpenResult;
    const char* call;
    int16_t code;
};

class AfterDial : public ::testing::TestWithParam<AfterDialRow> {};

TEST_P(AfterDial, RunsTheActionThenDisconnects)
{
    const AfterDialRow& row = GetParam();
    ScriptedWorld w;
    w.world.settings.gNTProtocol = false;
    w.world.batch.gBatchMode = true;
    w.world.batch.gBatchAction = row.action;
    w.world.batch.gActivity = row.activity;
    w.world.ftp.openResult = row.ftpOpenResult;
    w.rt().AfterConnectCommands();
    EXPECT_EQ(w.world.actions.calls, row.call[0] ? QStringList{QString::fromLatin1(row.call)} : QStringList{});
    EXPECT_EQ(w.world.batch.gErrorCode, row.code);
    EXPECT_EQ(w.world.quits, 1);
    EXPECT_EQ(w.world.window.linkStatus, kDisconnected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AfterDial,
    ::testing::Values(AfterDialRow{"DownloadEvenInDiagnostic", BatchAction::Download, 2, 0, kDownload, 0},
                      AfterDialRow{"Delete", BatchAction::Delete, 1, 0, "delete /lists/LOAD.M40", 0},
                      AfterDialRow{"Upload", BatchAction::Upload, 1, 0, "upload /lists/LOAD.M40", 0},
                      AfterDialRow{"FtpFailureClosesAtOnce", BatchAction::Download, 1, FtpError::CannotConnect, "",
                                   -9}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace

// A chunk longer than any frame never closes the connection silently: it is traced in a bounded form (its
// length and its first bytes) and the run ends with a code, before the identification or during the activity.
// Like any other failure it ends the run at once: the program's disconnect and end-close waits are kept, and
// the run must end far within them.
struct OversizedChunkCase {
    const char* name;
    QList<Step> before;
    int16_t code;
};

class SessionRuntimeOversizedChunk : public ::testing::TestWithParam<OversizedChunkCase> {};

TEST_P(SessionRuntimeOversizedChunk, IsTracedAndEndsTheRunWithACode)
{
    const OversizedChunkCase& r = GetParam();
    jvz::RuntimeTimings timings = jvztest::shrunkTimings();
    // The action's disconnect waits: the chunk arrives meanwhile.
    timings.batchWaitMs = jvz::RuntimeTimings{}.batchWaitMs;
    timings.endCloseWaitMs = jvz::RuntimeTimings{}.endCloseWaitMs;
    RuntimeWorld world(timings);
    world.batch.gBatchMode = true;
    world.batch.gActivity = 1;
    world.window.activity = 1;
    const quint16 port = world.listen();
    ASSERT_NE(port, 0);
    QByteArray huge(4 * 1024 * 1024, '\x5A');
    huge[0] = '\x10';
    huge[1] = '\x20';
    ScriptedTerminalPeer peer(then(r.before, QList<Step>{Step::send(huge), Step::expectClosed()}));
    QElapsedTimer run;
    run.start();
    peer.start(QHostAddress::LocalHost, port);
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    ASSERT_TRUE(world.waitForQuit(kBoundMs));
    EXPECT_LT(run.elapsed(), timings.batchWaitMs / 4) << "the run waited for nothing after the close";
    EXPECT_EQ(world.quits, 1);
    EXPECT_EQ(world.codeAtQuit, r.code);
    EXPECT_EQ(world.batch.gErrorCode, r.code);
    EXPECT_EQ(world.batch.gErrorText, QStringLiteral("<MSG_FrameTooLong>"));
    const QRegularExpression line(QStringLiteral(
        "<SocketReceived><TRC_FrameTooLong>(\\d+)<TRC_FrameBytes>10205A5A5A5A5A5A5A5A5A5A5A5A5A5A\\.\\.\\."));
    const QRegularExpressionMatch match = line.match(world.window.trace);
    ASSERT_TRUE(match.hasMatch()) << world.window.trace.toStdString();
    EXPECT_GT(match.captured(1).toInt(), jvz::kMaxFrameBytes);
    EXPECT_LE(match.captured(1).toLongLong(), jvz::TcpSessionTransport::kReadBufferBytes);
    EXPECT_LT(world.window.trace.size(), 20000) << "the chunk itself is never traced";
}

INSTANTIATE_TEST_SUITE_P(
    Moments, SessionRuntimeOversizedChunk,
    ::testing::Values(OversizedChunkCase{"before_the_identification", {}, -13},
                      OversizedChunkCase{"during_the_activity",
                                         then(opening(1), QList<Step>{Step::send(authorised()), Step::wait(100)}),
                                         -15}),
    [](const ::testing::TestParamInfo<OversizedChunkCase>& row) { return std::string(row.param.name); });

// A terminal that drops the connection during the activity ends the run within the answer time armed at the
// drop: nothing is sent into the closed socket and no answer round is added.
TEST(SessionRuntimeFrames, DropDuringTheActivityEndsWithinTheArmedAnswerTime)
{
    RuntimeWorld world;
    world.batch.gBatchMode = true;
    world.batch.gActivity = 1;
    world.window.activity = 1;
    world.settings.gCptWaitEndOfActivity = 3; // would add two rounds after a disconnect that sends
    const quint16 port = world.listen();
    ASSERT_NE(port, 0);
    ScriptedTerminalPeer peer(then(opening(1), QList<Step>{Step::send(authorised()), Step::close()}));
    peer.start(QHostAddress::LocalHost, port);
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    QElapsedTimer sinceDrop;
    sinceDrop.start();
    ASSERT_TRUE(world.waitForQuit(kBoundMs));
    const int answerMs = jvztest::shrunkTimings().answerMs;
    EXPECT_LT(sinceDrop.elapsed(), answerMs + answerMs / 2) << "one answer time, not " << 1 + 2 << " rounds";
    EXPECT_EQ(world.batch.gErrorCode, -11);
    EXPECT_EQ(world.batch.gErrorText, kNoAnswer);
    EXPECT_EQ(world.actions.calls, QStringList{QStringLiteral("download /lists/LOAD.M40")});
    EXPECT_FALSE(world.ftp.isOpen());
}
