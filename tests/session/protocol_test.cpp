#include "FakeNotifier.h"
#include "QtPrint.h"
#include "RecordingSessionHost.h"
#include "SessionFrames.h"
#include "SessionLanguage.h"
#include "core/BatchErrorCode.h"
#include "core/ProgramInfo.h"
#include "core/TerminalSession.h"
#include "session/SockProcessing.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>

using namespace jvz;
using jvztest::bytes;
using jvztest::ownIdentification;
using jvztest::RecordingSessionHost;
using jvztest::terminalIdentification;
using Timer = RecordingSessionHost::TimerCall;

namespace {

QString crlf()
{
    return QStringLiteral("\r\n");
}

// Every language text is its key in brackets, so the expected texts show which key was read.
QString text(const char* key)
{
    return QStringLiteral("<%1>").arg(QLatin1String(key));
}

class SessionProtocol : public ::testing::Test {
protected:
    SessionProtocol() { sock.ResetSession(jvztest::bracketedSessionTexts()); }

    // Drives the session into a state through the same calls the socket events make.
    void reach(SessionState state, uint8_t endCode = 0)
    {
        if (state == SessionState::Idle)
            return;
        sock.BeginSession();
        if (state == SessionState::Identified || state == SessionState::ActivityRunning ||
            state == SessionState::WaitingEndReport)
            sock.BuildActivityRequest(host.activity);
        if (state == SessionState::ActivityRunning || state == SessionState::WaitingEndReport)
            sock.ProcessTerminalFrame({bytes({33, 1, 0})});
        if (state == SessionState::WaitingEndReport)
            sock.BuildEndOfActivityFrame(endCode);
        ASSERT_EQ(session.sessionState, state);
        host.timerCalls.clear();
        host.authorisations = 0;
    }

    RecordingSessionHost host;
    jvztest::FakeNotifier notifier;
    TerminalSession session;
    TerminalIdentity identity;
    BatchErrorCode result;
    SockProcessing sock{host, notifier, session, identity, result};
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

// One row per transition of the state machine, with the exact reply.
struct TransitionRow {
    const char* name;
    SessionState from;
    uint8_t endCode; // JVZ's end-of-activity code, for rows starting in state 4
    uint8_t activityAsked;
    QByteArray frame;
    QByteArray reply;
    bool close;
    bool authorised;
    bool replyEndsSession;
    SessionState to;
    std::optional<Timer> timer; // last answer-timer call, none when the timer is untouched
    int16_t code;
    QString resultText;
};

class SessionTransition : public SessionProtocol, public ::testing::WithParamInterface<TransitionRow> {};

TEST_P(SessionTransition, RepliesAndMoves)
{
    const TransitionRow& row = GetParam();
    host.activity = row.activityAsked;
    reach(row.from, row.endCode);

    const FrameOutcome out = sock.ProcessTerminalFrame({row.frame});

    EXPECT_EQ(out.reply.bytes.toHex(' '), row.reply.toHex(' '));
    EXPECT_EQ(out.closeRequested, row.close);
    EXPECT_EQ(out.authorised, row.authorised);
    EXPECT_EQ(out.replyEndsSession, row.replyEndsSession);
    EXPECT_EQ(session.sessionState, row.to);
    if (row.timer) {
        ASSERT_FALSE(host.timerCalls.empty());
        EXPECT_EQ(host.timerCalls.back(), *row.timer);
    } else {
        EXPECT_TRUE(host.timerCalls.empty());
    }
    EXPECT_EQ(result.gErrorCode, row.code);
    EXPECT_EQ(result.gErrorText, row.resultText);
}

const Timer kArm30{true, 30000};
const Timer kStop{false, 30000};
const auto S0 = SessionState::Idle;
const auto S1 = SessionState::WaitingIdentification;
const auto S2 = SessionState::Identified;
const auto S3 = SessionState::ActivityRunning;
const auto S4 = SessionState::WaitingEndReport;

// clang-format off
// Columns: name, from state, JVZ's end code, activity asked, frame in, reply out, close, authorised,
// reply ends the session, to state, last timer call, result code, result text.
INSTANTIATE_TEST_SUITE_P(Table, SessionTransition, ::testing::Values(
    // State 1: the terminal identifies itself.
    TransitionRow{"IdentMAnswersOwnIdent", S1, 0, 1, terminalIdentification(), ownIdentification(),
                  false, false, false, S1, kArm30, 0, ""},
    TransitionRow{"IdentLowerCaseMRefused", S1, 0, 1, terminalIdentification("m40"), bytes({17, 1, 1}),
                  true, false, false, S0, kStop, -13, text("MSG_WrongIdent")},
    TransitionRow{"IdentOtherProductRefused", S1, 0, 1, terminalIdentification("X40"), bytes({17, 1, 1}),
                  true, false, false, S0, kStop, -13, text("MSG_WrongIdent")},
    TransitionRow{"IdentWithoutProductRefused", S1, 0, 1, bytes({16, 0}), bytes({17, 1, 1}),
                  true, false, false, S0, kStop, -13, text("MSG_WrongIdent")},
    TransitionRow{"ShortestAcceptedIdent", S1, 0, 1, bytes({16, 1, 'M'}), ownIdentification(),
                  false, false, false, S1, kArm30, 0, ""},
    // State 1: the terminal acknowledges JVZ's identification.
    TransitionRow{"AckAsksDownload", S1, 0, 1, bytes({17, 1, 0}), bytes({32, 1, 1}),
                  false, false, false, S2, kArm30, 0, ""},
    TransitionRow{"AckAsksDiagnostic", S1, 0, 2, bytes({17, 1, 0}), bytes({32, 1, 2}),
                  false, false, false, S2, kArm30, 0, ""},
    TransitionRow{"AckAsksMaintenance", S1, 0, 3, bytes({17, 1, 0}), bytes({32, 1, 3}),
                  false, false, false, S2, kArm30, 0, ""},
    TransitionRow{"AckRefusal", S1, 0, 1, bytes({17, 1, 1}), {},
                  true, false, false, S0, kStop, -13, text("MSG_WrongIdent")},
    TransitionRow{"AckWithoutStatusIsRefusal", S1, 0, 1, bytes({17, 0}), {},
                  true, false, false, S0, kStop, -13, text("MSG_WrongIdent")},
    TransitionRow{"State1IgnoresActivityAnswer", S1, 0, 1, bytes({33, 1, 0}), {},
                  false, false, false, S1, std::nullopt, 0, ""},
    TransitionRow{"State1IgnoresEmptyChunk", S1, 0, 1, {}, {},
                  false, false, false, S1, std::nullopt, 0, ""},
    // State 2: the terminal answers the activity request.
    TransitionRow{"ActivityAuthorised", S2, 0, 1, bytes({33, 1, 0}) + "ACTIVITY   SWAP", {},
                  false, true, false, S3, kStop, 0, ""},
    TransitionRow{"ActivityUnauthorisedEndsSession", S2, 0, 1, bytes({33, 1, 1}), bytes({0, 1, 0}),
                  false, false, true, S2, kStop, -14, text("MSG_UnauthorizedActivity")},
    TransitionRow{"ActivityUnknownEndsSession", S2, 0, 1, bytes({33, 1, 2}), bytes({0, 1, 0}),
                  false, false, true, S2, kStop, -14, text("MSG_UnauthorizedActivity")},
    TransitionRow{"AnswerWithoutStatusIsRefusal", S2, 0, 1, bytes({33}), bytes({0, 1, 0}),
                  false, false, true, S2, kStop, -14, text("MSG_UnauthorizedActivity")},
    TransitionRow{"State2IgnoresSecondAck", S2, 0, 1, bytes({17, 1, 0}), {},
                  false, false, false, S2, std::nullopt, 0, ""},
    // States 0 and 3 ignore everything.
    TransitionRow{"IdleIgnoresIdent", S0, 0, 1, terminalIdentification(), {},
                  false, false, false, S0, std::nullopt, 0, ""},
    TransitionRow{"RunningIgnoresAnswer", S3, 0, 1, bytes({33, 1, 0}), {},
                  false, true, false, S3, std::nullopt, 0, ""},
    TransitionRow{"RunningIgnoresEndReport", S3, 0, 1, bytes({34, 1, 1}), {},
                  false, true, false, S3, std::nullopt, 0, ""},
    // State 4: the terminal's end-of-activity report.
    TransitionRow{"EndReportNormal", S4, 0, 1, bytes({34, 1, 0}), {},
                  false, false, false, S2, kStop, 0, ""},
    TransitionRow{"EndReportBadSignatureWithDetail", S4, 0, 1, bytes({34, 6, 4}) + "KEY  ", {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_BAD_SIGNATURE") + crlf() + "KEY"},
    TransitionRow{"EndReportDuringActivity", S4, 0, 1, bytes({34, 1, 1}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_PB_DURING_ACTIVITY") + crlf()},
    TransitionRow{"EndReportFtpConnect", S4, 0, 1, bytes({34, 1, 2}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_PB_FTP_CONNECT") + crlf()},
    TransitionRow{"EndReportMaxDuration", S4, 0, 1, bytes({34, 1, 3}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_DUREE_MAX_COM_ATTEINT") + crlf()},
    TransitionRow{"EndReportBadStorage", S4, 0, 1, bytes({34, 1, 5}) + "DISK", {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_BAD_STORAGE") + crlf() + "DISK"},
    TransitionRow{"EndReportUnknownCode", S4, 0, 1, bytes({34, 1, 9}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_ActivityProblem") + crlf()},
    TransitionRow{"EndReportWithoutCodeIsProblem", S4, 0, 1, bytes({34, 0}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_ActivityProblem") + crlf()},
    TransitionRow{"EndReportAfterOwnFtpFailure", S4, 2, 1, bytes({34, 1, 0}), {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_PB_FTP_CONNECT")},
    TransitionRow{"OwnFtpFailureIgnoresTerminalCode", S4, 2, 1, bytes({34, 1, 4}) + "KEY", {},
                  false, false, false, S2, kStop, -15, text("MSG_SOCKET_PB_FTP_CONNECT")},
    TransitionRow{"State4IgnoresOtherFrames", S4, 0, 1, bytes({33, 1, 0}), {},
                  false, false, false, S4, std::nullopt, 0, ""},
    TransitionRow{"State4IgnoresEmptyChunk", S4, 0, 1, {}, {},
                  false, false, false, S4, std::nullopt, 0, ""}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST_F(SessionProtocol, OwnFtpFailureKeepsTheFirstRecordedCause)
{
    reach(SessionState::WaitingEndReport, 2);
    result.set(BatchCode::FtpOpenFailed, "ftp refused");
    sock.ProcessTerminalFrame({bytes({34, 1, 0})});
    EXPECT_EQ(result.gErrorCode, -9);
    EXPECT_EQ(result.gErrorText, "ftp refused");
}

TEST_F(SessionProtocol, TerminalReportOverwritesAnEarlierCause)
{
    reach(SessionState::WaitingEndReport, 0);
    result.set(BatchCode::FtpOperationFailed, "put failed");
    sock.ProcessTerminalFrame({bytes({34, 1, 1})});
    EXPECT_EQ(result.gErrorCode, -15);
}

TEST_F(SessionProtocol, AuthorisedFlagFollowsEveryFrameUntilEndOfActivity)
{
    reach(SessionState::ActivityRunning);
    EXPECT_TRUE(sock.ProcessTerminalFrame({bytes({16, 1, 'M'})}).authorised);
    EXPECT_EQ(host.authorisations, 0);
    sock.BuildEndOfActivityFrame(0);
    EXPECT_FALSE(session.activityAuthorized);
    EXPECT_FALSE(sock.ProcessTerminalFrame({bytes({34, 1, 0})}).authorised);
}

TEST_F(SessionProtocol, AuthorisationEnablesDisconnectButton)
{
    reach(SessionState::Identified);
    sock.ProcessTerminalFrame({bytes({33, 1, 0})});
    EXPECT_EQ(host.authorisations, 1);
}

TEST_F(SessionProtocol, TextsComeFromTheCopiedWindowSectionFirst)
{
    MBLanguages language =
        jvztest::languageFromFile("[General]\r\nMSG_WrongIdent=general\r\nMSG_UnauthorizedActivity=refused\r\n"
                                  "[frmMainJVZ]\r\nMSG_WrongIdent=window\r\n",
                                  1);
    language.SetCurrentSection("frmMainJVZ");
    sock.ResetSession(language);
    reach(SessionState::WaitingIdentification);
    sock.ProcessTerminalFrame({bytes({17, 1, 1})});
    EXPECT_EQ(result.gErrorText, "window");
    reach(SessionState::Identified);
    sock.ProcessTerminalFrame({bytes({33, 1, 1})});
    EXPECT_EQ(result.gErrorText, "refused");
}

TEST_F(SessionProtocol, ResetSessionClearsAuthorisationAndActivity)
{
    reach(SessionState::ActivityRunning);
    sock.ResetSession(MBLanguages());
    EXPECT_EQ(session.sessionState, SessionState::Idle);
    EXPECT_FALSE(session.activityAuthorized);
    EXPECT_EQ(session.requestedActivity, 0);
}

TEST_F(SessionProtocol, BeginSessionWaitsForIdentificationWithAnswerTimer)
{
    reach(SessionState::ActivityRunning);
    sock.BeginSession();
    EXPECT_EQ(session.sessionState, SessionState::WaitingIdentification);
    EXPECT_EQ(host.timerCalls, (std::vector<Timer>{kArm30}));
}

TEST_F(SessionProtocol, FirstAnswerTimerOnlyBeforeTheCall)
{
    sock.ArmFirstAnswerTimer();
    EXPECT_EQ(host.timerCalls, (std::vector<Timer>{{true, 20000}}));
    host.timerCalls.clear();
    sock.BeginSession();
    host.timerCalls.clear();
    sock.ArmFirstAnswerTimer();
    EXPECT_TRUE(host.timerCalls.empty());
}

TEST_F(SessionProtocol, InjectedTimingsReachTheTimer)
{
    SockProcessing fast{host, notifier, session, identity, result, SessionTimings{15, 40}};
    fast.ArmFirstAnswerTimer();
    fast.BeginSession();
    fast.ProcessTerminalFrame({bytes({17, 1, 1})});
    EXPECT_EQ(host.timerCalls, (std::vector<Timer>{{true, 15}, {true, 40}, {false, 40}}));
}

// Builders: the frame, the state they leave and the timer, and nothing at all where the state forbids them.
TEST_F(SessionProtocol, EndOfActivityFrameOnlyWhileActivityRuns)
{
    for (SessionState s : {SessionState::Idle, SessionState::WaitingIdentification, SessionState::Identified}) {
        SCOPED_TRACE(static_cast<int>(s));
        sock.ResetSession(MBLanguages());
        reach(s);
        EXPECT_TRUE(sock.BuildEndOfActivityFrame(0).isEmpty());
        EXPECT_EQ(session.sessionState, s);
        EXPECT_TRUE(host.timerCalls.empty());
    }
    for (uint8_t code : {0, 2}) {
        SCOPED_TRACE(code);
        sock.ResetSession(MBLanguages());
        reach(SessionState::ActivityRunning);
        EXPECT_EQ(sock.BuildEndOfActivityFrame(code).bytes, bytes({34, 1, code}));
        EXPECT_EQ(session.sessionState, SessionState::WaitingEndReport);
        EXPECT_EQ(session.endOfActivityCode, code);
        EXPECT_FALSE(session.activityAuthorized);
        EXPECT_EQ(host.timerCalls, (std::vector<Timer>{kArm30}));
    }
}

TEST_F(SessionProtocol, NextActivityFrameOnlyInIdentifiedState)
{
    struct Row {
        uint8_t code;
        QByteArray frame;
        int16_t requested;
    };
    const Row rows[] = {
        {0, bytes({0, 1, 0}), 0},
        {1, bytes({32, 1, 1}), 1},
        {2, bytes({32, 1, 2}), 2},
        {3, bytes({32, 1, 3}), 4},
        {4, {}, 2},
    };
    reach(SessionState::Identified);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        session.requestedActivity = 2;
        EXPECT_EQ(sock.BuildNextActivityFrame(row.code).bytes, row.frame);
        EXPECT_EQ(session.requestedActivity, row.requested);
        EXPECT_EQ(session.sessionState, SessionState::Identified);
        EXPECT_TRUE(host.timerCalls.empty());
    }
    reach(SessionState::ActivityRunning);
    EXPECT_TRUE(sock.BuildNextActivityFrame(0).isEmpty());
    EXPECT_EQ(session.requestedActivity, 1);
}

TEST_F(SessionProtocol, ActivityRequestInAnyStateMovesToIdentified)
{
    struct Row {
        uint8_t code;
        int16_t requested;
    };
    for (const Row& row : {Row{1, 1}, Row{2, 2}, Row{3, 4}}) {
        SCOPED_TRACE(row.code);
        sock.ResetSession(MBLanguages());
        reach(SessionState::WaitingEndReport);
        EXPECT_EQ(sock.BuildActivityRequest(row.code).bytes, bytes({32, 1, row.code}));
        EXPECT_EQ(session.requestedActivity, row.requested);
        EXPECT_EQ(session.sessionState, SessionState::Identified);
        EXPECT_EQ(host.timerCalls, (std::vector<Timer>{kArm30}));
    }
}

TEST_F(SessionProtocol, IdentificationFrameOnlyWhileWaitingForIdentification)
{
    EXPECT_TRUE(sock.BuildIdentificationFrame().isEmpty());
    EXPECT_TRUE(host.timerCalls.empty());
    reach(SessionState::WaitingIdentification);
    EXPECT_EQ(sock.BuildIdentificationFrame().bytes, ownIdentification());
    EXPECT_EQ(session.sessionState, SessionState::WaitingIdentification);
}

TEST(SessionIdentificationFrame, VersionDigits)
{
    struct Row {
        int major;
        int minor;
        QByteArray digits;
    };
    for (const Row& row : {Row{4, 5, "0405"}, Row{1, 0, "0100"}, Row{12, 34, "1234"}}) {
        const QByteArray frame = SockProcessing::identificationFrame(row.major, row.minor).bytes;
        ASSERT_EQ(frame.size(), 21);
        EXPECT_EQ(frame.left(17), bytes({16, 19}) + "JVZ0101QUORB PA");
        EXPECT_EQ(frame.mid(17), row.digits);
    }
}

// Identity fields cut by position from whole and truncated identifications.
struct IdentityRow {
    const char* name;
    QByteArray frame;
    const char* product;
    const char* protocol;
    const char* constructor;
    const char* boot;
    const char* kind;
    const char* contract;
    const char* serial;
    QByteArray activities;
};

class SessionIdentity : public SessionProtocol, public ::testing::WithParamInterface<IdentityRow> {};

TEST_P(SessionIdentity, CutsFieldsByPosition)
{
    const IdentityRow& row = GetParam();
    sock.ParseTerminalFrame({row.frame});
    EXPECT_EQ(identity.productCode, row.product);
    EXPECT_EQ(identity.protocolVersion, row.protocol);
    EXPECT_EQ(identity.constructorCode, row.constructor);
    EXPECT_EQ(identity.bootVersion, row.boot);
    EXPECT_EQ(identity.contractKind, row.kind);
    EXPECT_EQ(identity.contractNumber, row.contract);
    EXPECT_EQ(identity.serialNumber, row.serial);
    EXPECT_EQ(identity.authorizedActivities.toHex(), row.activities.toHex());

    // The identity window's store gets the same values.
    EXPECT_EQ(host.info.ProductCodeTerminal(), row.product);
    EXPECT_EQ(host.info.protocolVersion(), row.protocol);
    EXPECT_EQ(host.info.constructorCode(), row.constructor);
    EXPECT_EQ(host.info.bootVersion(), row.boot);
    EXPECT_EQ(host.info.contractNumber(), row.contract);
    EXPECT_EQ(host.info.terminalNumber(), row.serial);
    EXPECT_EQ(host.info.ramSize(), "?");
    EXPECT_EQ(host.info.flashSize(), "?");
}

const QByteArray kFull = terminalIdentification();

INSTANTIATE_TEST_SUITE_P(
    Table, SessionIdentity,
    ::testing::Values(
        IdentityRow{"Full", kFull, "M40", "0102", "CONSTRUC", "B123", "8", "C12345678", "0A0B0C0D", bytes({3, 5})},
        IdentityRow{"ContractKindNot8", terminalIdentification("M40", '2'), "M40", "0102", "CONSTRUC", "B123", "2",
                    "undefined", "0A0B0C0D", bytes({3, 5})},
        IdentityRow{"TypeAndLengthOnly", kFull.left(2), "", "", "", "", "", "undefined", "", {}},
        IdentityRow{"TypeOnly", kFull.left(1), "", "", "", "", "", "undefined", "", {}},
        IdentityRow{"CutInProductCode", kFull.left(4), "M4", "", "", "", "", "undefined", "", {}},
        IdentityRow{"CutInBootVersion", kFull.left(19), "M40", "0102", "CONSTRUC", "B1", "", "undefined", "", {}},
        IdentityRow{"CutAfterContractKind", kFull.left(22), "M40", "0102", "CONSTRUC", "B123", "8", "", "", {}},
        IdentityRow{"CutInContractNumber", kFull.left(26), "M40", "0102", "CONSTRUC", "B123", "8", "C123", "", {}},
        IdentityRow{
            "SerialFirstThreeBytes", kFull.left(34), "M40", "0102", "CONSTRUC", "B123", "8", "C12345678", "010203", {}},
        IdentityRow{
            "SerialFiveBytes", kFull.left(36), "M40", "0102", "CONSTRUC", "B123", "8", "C12345678", "0203040A", {}},
        IdentityRow{"OneActivityByte", kFull.left(40), "M40", "0102", "CONSTRUC", "B123", "8", "C12345678", "0A0B0C0D",
                    bytes({3})},
        // Bytes past the last field are ignored.
        IdentityRow{"TrailingBytes", kFull + "EXTRA", "M40", "0102", "CONSTRUC", "B123", "8", "C12345678", "0A0B0C0D",
                    bytes({3, 5})}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SessionProtocol, RawBytesSurviveInTextFields)
{
    // High bytes are carried one byte per character through the program's code page.
    QByteArray frame = kFull;
    frame[10] = char(0x80);
    frame[11] = char(0xE9);
    sock.ParseTerminalFrame({frame});
    EXPECT_EQ(identity.constructorCode.at(1), QChar(0x20AC));
    EXPECT_EQ(identity.constructorCode.at(2), QChar(0xE9));
    EXPECT_EQ(identity.constructorCode.size(), 8);
}

TEST_F(SessionProtocol, IdentificationSelectsCatalogueFilterOutsideBatchRuns)
{
    sock.ParseTerminalFrame({kFull});
    EXPECT_EQ(host.productCodesSeen, QStringList{"M40"});
    host.batch = true;
    sock.ParseTerminalFrame({terminalIdentification("M50")});
    EXPECT_EQ(host.productCodesSeen, QStringList{"M40"});
    EXPECT_EQ(host.info.ProductCodeTerminal(), "M50");
}

TEST_F(SessionProtocol, RefusedIdentificationIsStillRecorded)
{
    reach(SessionState::WaitingIdentification);
    const SessionFrame frame{terminalIdentification("m40")};
    sock.ProcessTerminalFrame(frame);
    sock.ParseTerminalFrame(frame);
    EXPECT_EQ(identity.productCode, "m40");
    EXPECT_EQ(host.info.ProductCodeTerminal(), "m40");
}

TEST_F(SessionProtocol, OtherFramesLeaveIdentityAlone)
{
    sock.ParseTerminalFrame({kFull});
    for (const QByteArray& frame : {bytes({17, 1, 0}), bytes({33, 1, 1}) + "ACT        SWAP", bytes({34, 1, 0}),
                                    QByteArray(), bytes({99, 3, 'M', 'X', 'Y'})})
        sock.ParseTerminalFrame({frame});
    EXPECT_EQ(identity.productCode, "M40");
    EXPECT_EQ(identity.swapDisk, "");
}

TEST_F(SessionProtocol, ActivityAnswerGivesExchangeDirectory)
{
    struct Row {
        QByteArray frame;
        const char* info;
        const char* swap;
    };
    const Row rows[] = {
        {bytes({33, 27, 0}) + "DOWNLOAD   " + "SWAP           ", "DOWNLOAD", "SWAP"},
        {bytes({33, 27, 0}) + "DOWNLOAD   " + "SWAP           " + "TAIL", "DOWNLOAD", "SWAP"},
        {bytes({33, 5, 0}) + "DOWN", "DOWN", ""},
        {bytes({33, 14, 0}) + "DOWNLOAD   " + "SW", "DOWNLOAD", "SW"},
        {bytes({33, 1, 0}), "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame.toHex().toStdString());
        identity.activityInfo = "old";
        identity.swapDisk = "old";
        sock.ParseTerminalFrame({row.frame});
        EXPECT_EQ(identity.activityInfo, row.info);
        EXPECT_EQ(identity.swapDisk, row.swap);
    }
}

// Message boxes: which are shown, and how a batch run gets them without blocking.
// The terminal refusing our identification says so in a critical box. Refusing a terminal that is not one of
// ours shows none: the window names its product code in its own box, and a second box would stand in front of
// it. Both record the refusal for the run's result.
TEST_F(SessionProtocol, OnlyTheTerminalsRefusalShowsACriticalBoxOutsideBatchRuns)
{
    const struct {
        const char* name;
        QByteArray frame;
        bool box;
    } cases[] = {{"terminal refuses", bytes({17, 1, 1}), true},
                 {"terminal refused", terminalIdentification("X40"), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        notifier.shown.clear();
        result = {};
        reach(SessionState::WaitingIdentification);
        sock.ProcessTerminalFrame({c.frame});
        EXPECT_EQ(result.gErrorCode, -13);
        EXPECT_EQ(result.gErrorText, text("MSG_WrongIdent"));
        ASSERT_EQ(notifier.shown.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(notifier.shown[0].text, text("MSG_WrongIdent"));
            EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Critical);
            EXPECT_EQ(notifier.shown[0].title, "");
        }
    }
}

TEST_F(SessionProtocol, BatchRunShowsOnlyTheUnauthorisedActivityBoxAndTracesIt)
{
    host.batch = true;
    reach(SessionState::WaitingIdentification);
    sock.ProcessTerminalFrame({bytes({17, 1, 1})});
    reach(SessionState::WaitingEndReport);
    sock.ProcessTerminalFrame({bytes({34, 1, 1})});
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_TRUE(host.traces.isEmpty());

    reach(SessionState::Identified);
    const FrameOutcome out = sock.ProcessTerminalFrame({bytes({33, 1, 1})});
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(notifier.shown[0].text, text("MSG_UnauthorizedActivity"));
    EXPECT_EQ(host.traces, QStringList{text("MSG_UnauthorizedActivity")});
    // A batch run ends with the refusal's code, never success.
    EXPECT_EQ(result.gErrorCode, -14);
    EXPECT_TRUE(out.replyEndsSession);
}

TEST_F(SessionProtocol, EndReportProblemShowsWarningOutsideBatchRuns)
{
    reach(SessionState::WaitingEndReport);
    sock.ProcessTerminalFrame({bytes({34, 6, 4}) + "KEY  "});
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(notifier.shown[0].text, text("MSG_SOCKET_BAD_SIGNATURE") + crlf() + "KEY");
}

// Trace text of each frame type.
struct TraceRow {
    const char* name;
    int16_t requestedActivity;
    QByteArray frame;
    QString trace;
};

class SessionTrace : public SessionProtocol, public ::testing::WithParamInterface<TraceRow> {};

TEST_P(SessionTrace, FormatsFrame)
{
    const TraceRow& row = GetParam();
    sock.ParseTerminalFrame({kFull});
    identity.swapDisk = "SWAP";
    session.requestedActivity = row.requestedActivity;
    EXPECT_EQ(sock.FormatFrameTrace({row.frame}), row.trace);
}

const QString kIdentTrace = "<TRC_RemoteProductCode>M40\r\n<TRC_ProtocolVersionUsed>0102\r\n"
                            "<TRC_ConstructorCode>CONSTRUC\r\n<TRC_BootTerminalVersion>B123\r\n"
                            "<TRC_ContractNumber>C12345678\r\n<TRC_TerminalSerialNumber>0A0B0C0D\r\n"
                            "<TRC_AuthorizedActivities>0305";

INSTANTIATE_TEST_SUITE_P(
    Table, SessionTrace,
    ::testing::Values(TraceRow{"SessionEnd", 0, bytes({0, 1, 0}), "000100"},
                      TraceRow{"Ack", 0, bytes({17, 1, 1}), "110101"},
                      TraceRow{"ActivityRequest", 1, bytes({32, 1, 3}), "200103"},
                      TraceRow{"TerminalIdentification", 0, kFull, "10274D... \r\n" + kIdentTrace},
                      // JVZ's own identification shows the terminal's recorded values.
                      TraceRow{"OwnIdentification", 0, ownIdentification(), "10134A... \r\n" + kIdentTrace},
                      TraceRow{"AuthorisedDownload", 1, bytes({33, 27, 0}) + "X",
                               "211B00... \r\n<TRC_ActivityAuthorized><TRC_Downloading>\r\n<TRC_SwapDisk>SWAP"},
                      TraceRow{"AuthorisedDiagnostic", 2, bytes({33, 1, 0}),
                               "210100... \r\n<TRC_ActivityAuthorized><TRC_Diagnostic>\r\n<TRC_SwapDisk>SWAP"},
                      TraceRow{"AuthorisedMaintenance", 4, bytes({33, 1, 0}),
                               "210100... \r\n<TRC_ActivityAuthorized><TRC_Maintenance>\r\n<TRC_SwapDisk>SWAP"},
                      TraceRow{"AuthorisedNoActivity", 3, bytes({33, 1, 0}),
                               "210100... \r\n<TRC_ActivityAuthorized>\r\n<TRC_SwapDisk>SWAP"},
                      TraceRow{"Unauthorised", 1, bytes({33, 1, 1}), "210101 <TRC_ActivityUnauthorized>"},
                      TraceRow{"UnknownActivity", 1, bytes({33, 1, 2}), "210102 <TRC_ActivityUnknown>"},
                      TraceRow{"RefusedActivity", 1, bytes({33, 1, 7}), "210107 <TRC_ActivityRefused>"},
                      TraceRow{"AnswerWithoutStatus", 1, bytes({33, 0}), "2100 <TRC_ActivityRefused>"},
                      TraceRow{"EndNormal", 0, bytes({34, 1, 0}), "220100"},
                      TraceRow{"EndDuringActivity", 0, bytes({34, 1, 1}), "220101 <TRC_ProblemDuringActivity>"},
                      TraceRow{"EndFtp", 0, bytes({34, 1, 2}), "220102 <TRC_BadFTPConnection>"},
                      TraceRow{"EndTimeout", 0, bytes({34, 1, 3}), "220103 <TRC_ConnectionTimeout>"},
                      TraceRow{"EndSignature", 0, bytes({34, 1, 4}), "220104 <TRC_WrongSignature>"},
                      TraceRow{"EndStorage", 0, bytes({34, 1, 5}), "220105 <TRC_BadStorage>"},
                      TraceRow{"EndOther", 0, bytes({34, 1, 6}), "220106 <TRC_ProblemDuringActivity>"},
                      TraceRow{"EndWithoutCode", 0, bytes({34, 0}), "2200 <TRC_ProblemDuringActivity>"},
                      TraceRow{"EndWithTwoDetails", 0, bytes({34, 31, 4}) + "FILE1.SGN      " + "KEY12  ",
                               "221F04 <TRC_WrongSignature>\r\nFILE1.SGN\r\nKEY12"},
                      TraceRow{"EndWithBlankDetail", 0, bytes({34, 16, 1}) + "               ",
                               "221001 <TRC_ProblemDuringActivity>"},
                      TraceRow{"OnlySecondDetailIsNoDetail", 0, bytes({34, 17, 1}) + "               X",
                               "221101 <TRC_ProblemDuringActivity>"},
                      TraceRow{"EndNormalWithDetail", 0, bytes({34, 5, 0}) + "DONE", "220500\r\nDONE\r\n"},
                      // A frame of no known type is shown as it is.
                      TraceRow{"UnknownTypeAsIs", 0, bytes({'A', 'B', 'C'}), "ABC"}, TraceRow{"EmptyChunk", 0, {}, ""}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
