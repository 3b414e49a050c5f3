// Dial and listen: the trace header, the entry check, the session socket, the dial with its one retry on an
// unavailable port, the route script and what follows a dial with and without the session protocol.

#include "ConnectFixture.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

using jvz::BatchCode;
using jvz::ConnectionState;
using jvztest::ConnectFixture;

namespace {

QString str(const char* s)
{
    return QString::fromLatin1(s);
}

const QString kDashes = QString(33, QLatin1Char('-'));

class DialListenTest : public ::testing::Test {
protected:
    DialListenTest()
    {
        f.batch.gBatchMode = true; // USB off, no port option: the stored port is dialled
        f.batch.gShowProgress = true;
    }

    ConnectFixture f;
};

TEST_F(DialListenTest, TraceReadsFromTheTopConnectedPendingListeningThenTheHeader)
{
    f.sequence->TerminalConnect(false);
    ASSERT_EQ(f.batch.gErrorCode, 0) << f.batch.gErrorText.toStdString();
    const QStringList expected = {
        str("[PPPState][PPP_Connected]"),
        str("[PPP_Pending] (ttyJVZ0)"),
        str("[SocketState][TRC_ListeningSocket]"),
        kDashes,
        str("[TRC_ProtocolEFT]"),
        str("[TRC_SerialLink]"),
        kDashes,
    };
    EXPECT_EQ(f.host.traceLines, expected);
    EXPECT_EQ(f.host.status, str("[PPPState][PPP_Connected]"));
    EXPECT_EQ(f.host.progress, (QStringList{str("[PPP_Pending] (ttyJVZ0)"), str("[PPPState][PPP_Connected]")}));
    EXPECT_EQ(f.events.filter(QRegularExpression(str("^(reset|listen|dial|arm)"))),
              (QStringList{str("reset session"), str("listen 127.0.0.1:6000"), str("dial /dev/ttyJVZ0"),
                           str("arm answer timer")}));
    EXPECT_TRUE(f.host.socketInUse);
    EXPECT_EQ(f.host.lastSocketState, 0);
    EXPECT_TRUE(f.host.linkUp);
    EXPECT_TRUE(f.host.busy); // until the session or the FTP opening takes over
    EXPECT_EQ(f.host.states, QList<ConnectionState>{ConnectionState::Connecting});
    EXPECT_TRUE(f.eventsStartingWith(str("after connect")).isEmpty());
}

TEST_F(DialListenTest, TheDialGetsTheEntryAndTheSettingsCredentials)
{
    f.host.entry = str("JVZ Connection");
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.link.activeEntry(), str("JVZ Connection"));
}

TEST_F(DialListenTest, NetworkLinkOpensFtpWithoutEntrySocketOrDial)
{
    f.batch.gSerialLink = false;
    f.writePhonebook(str("")); // not even looked at
    f.sequence->DialAndOpenSession();
    EXPECT_EQ(f.host.traceLines, (QStringList{kDashes, str("[TRC_ProtocolEFT]"), str("[TRC_NetworkLink]"), kDashes}));
    EXPECT_EQ(f.eventsStartingWith(str("after connect")).size(), 1);
    EXPECT_TRUE(f.eventsStartingWith(str("listen")).isEmpty());
    EXPECT_TRUE(f.eventsStartingWith(str("dial")).isEmpty());
    EXPECT_EQ(f.batch.gErrorCode, 0);
}

TEST_F(DialListenTest, NetworkLinkNeedsNoPortNorUsbLibrary)
{
    ConnectFixture g(str("")); // no port anywhere
    g.batch.gBatchMode = true;
    g.batch.gSerialLink = false;
    g.usb.loadError = str("libYeldrin.so: not there");
    g.sequence->TerminalConnect(false);
    EXPECT_EQ(g.batch.gErrorCode, 0) << g.batch.gErrorText.toStdString();
    EXPECT_EQ(g.host.terminalFolder, str("\\SWAP\\"));
    EXPECT_EQ(g.eventsStartingWith(str("after connect")).size(), 1);
    EXPECT_TRUE(g.eventsStartingWith(str("enum")).isEmpty());
    EXPECT_TRUE(g.eventsStartingWith(str("dial")).isEmpty());
}

TEST_F(DialListenTest, UnknownEntryIsNamedInQuotesAndNothingIsOpened)
{
    const struct {
        bool batch;
        const char* phonebook; // nullptr: no phonebook file at all
    } cases[] = {{true, "[Other]\r\nPort=ttyS1\r\n"}, {false, "[Other]\r\nPort=ttyS1\r\n"}, {true, nullptr}};
    for (const auto& c : cases) {
        ConnectFixture g;
        g.batch.gBatchMode = c.batch;
        g.host.entry = str("Typed Entry");
        if (c.phonebook)
            g.writePhonebook(str(c.phonebook));
        else
            QFile::remove(g.folder + str("/ras/rasphone2000.pbk"));
        g.host.clearTrace();
        g.host.warningShown = true;
        g.sequence->DialAndOpenSession();
        SCOPED_TRACE(c.batch ? "batch" : "interactive");
        EXPECT_EQ(g.batch.code(), BatchCode::ConnectionSetup);
        EXPECT_TRUE(g.batch.gErrorText.contains(str("'Typed Entry'"))) << g.batch.gErrorText.toStdString();
        EXPECT_TRUE(g.batch.gErrorText.endsWith(str("\r\n[MSG_CheckConnection]")));
        EXPECT_TRUE(g.eventsStartingWith(str("listen")).isEmpty());
        EXPECT_TRUE(g.eventsStartingWith(str("dial")).isEmpty());
        EXPECT_FALSE(g.host.busy);
        // Abandoned, not failed: the disconnect button stays as the connect left it (disabled).
        EXPECT_EQ(g.host.states,
                  (QList<ConnectionState>{ConnectionState::Connecting, ConnectionState::ConnectAbandoned}));
        EXPECT_FALSE(g.host.warningShown);
        bool boxWithMessage = false;
        for (const auto& shown : g.notifier.shown)
            boxWithMessage = boxWithMessage || shown.text == g.batch.gErrorText;
        EXPECT_EQ(boxWithMessage, !c.batch);
    }
}

TEST_F(DialListenTest, SocketThatCannotListenEndsTheSequenceBeforeTheDial)
{
    const struct {
        const char* address;
        const char* port;
        const char* listenError;
        const char* reasonPart;
    } cases[] = {
        {"127.0.0.1", "6000", "address in use", "address in use"},
        {"no.such.host", "6000", "", "not an IP address"},
        {"127.0.0.1", "70000", "", "not a TCP port"},
        {"127.0.0.1", "", "", "not a TCP port"},
        {"127.0.0.1", "0", "", "not a TCP port"},
    };
    for (const auto& c : cases) {
        ConnectFixture g;
        g.batch.gBatchMode = true;
        g.host.address = str(c.address);
        g.host.port = str(c.port);
        g.host.listenError = str(c.listenError);
        g.sequence->TerminalConnect(false);
        SCOPED_TRACE(c.reasonPart);
        EXPECT_EQ(g.batch.code(), BatchCode::ConnectionSetup);
        EXPECT_TRUE(g.batch.gErrorText.contains(str(c.reasonPart))) << g.batch.gErrorText.toStdString();
        EXPECT_TRUE(g.eventsStartingWith(str("dial")).isEmpty());
        EXPECT_FALSE(g.host.socketInUse);
        EXPECT_FALSE(g.host.busy);
        EXPECT_EQ(g.host.states, (QList<ConnectionState>{ConnectionState::Connecting, ConnectionState::ConnectFailed}));
        EXPECT_EQ(g.notifier.shown.size(), 1u); // standard error in a batch run
    }
}

TEST_F(DialListenTest, UnavailablePortIsRetriedOnceWithTheWholeSequence)
{
    const struct {
        const char* what;
        std::deque<int32_t> dials;
        int dialCount;
        int16_t code;
        bool up;
    } cases[] = {
        {"port not lockable, then up", {6}, 2, 0, true},  {"port not openable, then up", {7}, 2, 0, true},
        {"port unavailable twice", {7, 6}, 2, -8, false}, {"other failure: no retry", {19}, 1, -8, false},
        {"timeout: no retry", {102}, 1, -8, false},
    };
    for (const auto& c : cases) {
        ConnectFixture g;
        g.batch.gBatchMode = true;
        g.link.results = c.dials;
        g.sequence->TerminalConnect(false);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(g.eventsStartingWith(str("dial")).size(), c.dialCount);
        EXPECT_EQ(g.batch.gErrorCode, c.code) << g.batch.gErrorText.toStdString();
        EXPECT_EQ(g.link.state() == jvz::kLinkStateUp, c.up);
        EXPECT_EQ(g.host.linkUp, c.up);
        // Each failed dial closes socket and link; the run itself is ended once, by its caller.
        EXPECT_GE(g.eventsStartingWith(str("close link")).size(), c.dialCount - (c.up ? 1 : 0));
        if (!c.up) {
            EXPECT_FALSE(g.batch.gErrorText.isEmpty());
            EXPECT_EQ(g.eventsStartingWith(str("find modem ports")).size(), c.dialCount - 1);
        }
    }
}

TEST_F(DialListenTest, OtherDialFailureShowsTheLinkDown)
{
    f.link.results = {19};
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.host.status, str("[PPPState][PPP_Disconnected]"));
    EXPECT_EQ(f.batch.code(), BatchCode::PppLinkFailed);
    EXPECT_TRUE(f.batch.gErrorText.contains(str("RAS error number 19"))) << f.batch.gErrorText.toStdString();
    EXPECT_FALSE(f.host.linkUp);
}

// A dial broken off by a stop signal is not a failure of the link: the signal ends the run (or quits the window)
// from the event loop with its own code and text, so the dial leaves no code, no text, no box and tries no port
// again; the link is closed as after any dial that did not come up. So is the retry's dial after a port that was
// in the way.
TEST_F(DialListenTest, DialStoppedBySignalLeavesNoFailureOfItsOwn)
{
    constexpr int32_t kStopped = static_cast<int32_t>(jvz::DialError::Stopped);
    const struct {
        const char* what;
        std::deque<int32_t> dials;
        int dialCount;
        const char* windowBox; // the one box the window shows: the failure before the stop's
    } cases[] = {
        {"stopped", {kStopped}, 1, nullptr},
        {"port not openable, then the retry stopped", {7, kStopped}, 2, "RAS error number 7"},
    };
    for (const bool batchMode : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (batchMode ? ", batch run" : ", window"));
            ConnectFixture g;
            g.batch.gBatchMode = batchMode;
            g.phonebook.modems = str("ttyJVZ0,"); // the window dials only a port usable for the link
            g.link.results = c.dials;
            g.sequence->TerminalConnect(false);
            EXPECT_EQ(g.eventsStartingWith(str("dial")).size(), c.dialCount);
            EXPECT_EQ(g.batch.gErrorCode, 0) << g.batch.gErrorText.toStdString();
            EXPECT_EQ(g.batch.gErrorText, QString());
            if (batchMode || !c.windowBox) {
                EXPECT_TRUE(g.notifier.shown.empty());
            } else {
                ASSERT_EQ(g.notifier.shown.size(), 1u);
                EXPECT_TRUE(g.notifier.shown[0].text.contains(QLatin1String(c.windowBox)));
            }
            EXPECT_EQ(g.eventsStartingWith(str("find modem ports")).size(), c.dialCount - 1);
            EXPECT_FALSE(g.eventsStartingWith(str("close link")).isEmpty());
            EXPECT_EQ(g.host.status, str("[PPPState][PPP_Disconnected]"));
            EXPECT_FALSE(g.host.linkUp);
        }
    }
}

TEST_F(DialListenTest, NestedRunKeepsItsMorePreciseCode)
{
    f.batch.gComPort = str("ttyJVZ0");
    f.phonebook.modems = str("ttyJVZ0,");
    f.phonebook.modemPortsAfterFind = str(""); // the port is gone when the ports are looked at again
    f.link.results = {6};
    f.sequence->TerminalConnect(false);
    EXPECT_EQ(f.eventsStartingWith(str("dial")).size(), 1);
    EXPECT_EQ(f.batch.code(), BatchCode::PortUnknown);
    EXPECT_EQ(f.batch.gErrorText, str("COM port unknown: ttyJVZ0"));
}

TEST_F(DialListenTest, WithoutTheSessionProtocolFtpOpensRightAfterTheDial)
{
    f.settings.gNTProtocol = false;
    f.sequence->TerminalConnect(false);
    EXPECT_TRUE(f.eventsStartingWith(str("listen")).isEmpty());
    EXPECT_TRUE(f.eventsStartingWith(str("arm")).isEmpty());
    EXPECT_EQ(f.events.last(), str("after connect"));
    EXPECT_EQ(f.host.traceLines.mid(0, 2),
              (QStringList{str("[PPPState][PPP_Connected]"), str("[PPP_Pending] (ttyJVZ0)")}));
    EXPECT_EQ(f.host.traceLines.at(3), str("[TRC_NotProtocolEFT]"));
}

TEST_F(DialListenTest, RouteScriptRunsUnderTheShellAndItsOutcomeIsTraced)
{
    const struct {
        const char* what;
        bool scriptPresent;
        std::optional<int64_t> id;
        const char* line;
        bool launched;
    } cases[] = {
        {"started", true, 4242, "[TRC_ShellSuccess], ID: 4242", true},
        {"missing", false, 4242, "[TRC_ShellNotSuccess]", false},
        {"cannot start", true, std::nullopt, "[TRC_ShellNotSuccess]", true},
    };
    for (const auto& c : cases) {
        ConnectFixture g;
        g.batch.gBatchMode = true;
        g.settings.gJVZroute = true;
        g.routeId = c.id;
        const QString script = g.folder + str("/JVZroute.bat");
        if (c.scriptPresent)
            jvztest::writeFileBytes(script.toStdString(), "exit 0\n");
        g.sequence->TerminalConnect(false);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(g.batch.gErrorCode, 0);
        ASSERT_GE(g.host.traceLines.size(), 2);
        EXPECT_EQ(g.host.traceLines.at(0), str("[PPPState][PPP_Connected]"));
        EXPECT_EQ(g.host.traceLines.at(1), str(c.line));
        EXPECT_EQ(g.eventsStartingWith(str("route")),
                  c.launched ? QStringList{str("route /bin/sh ") + script} : QStringList{});
        EXPECT_EQ(g.eventsStartingWith(str("arm")).size(), 1); // the sequence goes on
    }
}

TEST(RouteLauncher, RealLauncherStartsTheScriptAndGivesItsId)
{
    const QString folder = QString::fromStdString(jvztest::makeScratchDir("route"));
    const QString marker = folder + str("/ran");
    const QString script = folder + str("/JVZroute.bat");
    jvztest::writeFileBytes(script.toStdString(), "echo routed > ran\n");
    const std::optional<int64_t> id = jvz::detachedRouteLauncher()(str("/bin/sh"), {script}, folder);
    ASSERT_TRUE(id.has_value());
    EXPECT_GT(*id, 0);
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(marker) && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(jvztest::readFileBytes(marker.toStdString()), "routed\n");
    EXPECT_FALSE(jvz::detachedRouteLauncher()(str("/nonexistent/shell"), {script}, folder).has_value());
}

} // namespace
