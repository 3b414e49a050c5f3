// The session runtime on the real main window (offscreen): commands found by their names, the window's
// state switched as a connection opens and closes.
#include "../session/RuntimeDoubles.h"
#include "FakeNotifier.h"
#include "MainWindowWorld.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/ui/FrmWarningMsg.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

MBLanguages windowTexts()
{
    const std::string path = jvztest::makeScratchDir("lng") + "/JVZ.lng";
    EXPECT_TRUE(jvztest::writeFileBytes(path, "[frmMainJVZ]\r\nTerminalState=T:\r\nDisconnected=off\r\n"
                                              "FTPState=F:\r\nFTP_successful=open\r\n"
                                              "MSG_WarningRestart=restart\r\n"));
    MBLanguages language;
    language.init(QString::fromStdString(path), 1);
    return language;
}

class SessionOnMainWindow : public ::testing::Test {
protected:
    SessionOnMainWindow() : dialUp(clock), window({notifier, store, runner, {}, {}, {}}, settings, batch)
    {
        settings.gIpLocalAddress = QStringLiteral("127.0.0.9");
        settings.gFtpUserName = QStringLiteral("jvz");
        window.init(windowTexts());
        MainSessionWindowParts parts;
        parts.phonebookPort = [] { return QStringLiteral("ttyACM0"); };
        parts.clearTerminalList = [this] { ++listClears; };
        RuntimeTimings timings;
        timings.batchWaitMs = 10;
        settings.gWaitingDcxTime = 0;
        window.createSession({settings, batch, session, identity, terminalInfo, link},
                             {notifier, ftp, clock, transport, &dialUp, nullptr, [this] { ++quits; }}, std::move(parts),
                             timings);
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(QLatin1String(name)); }

    AppSettings settings;
    BatchRun batch;
    TerminalSession session;
    TerminalIdentity identity;
    TerminalInfoFields terminalInfo;
    LinkState link;
    jvztest::FakeNotifier notifier;
    jvztest::FakeFtpClient ftp;
    jvztest::ShiftableClock clock;
    jvztest::FakeDialUpLink dialUp;
    jvztest::ScriptedTransport transport;
    jvztest::FakeUserSettingsStore store;
    jvztest::RefusingProcessRunner runner;
    frmMainJVZ window;
    int quits = 0;
    int listClears = 0;
};

TEST_F(SessionOnMainWindow, DisconnectCommandsResetTheWindow)
{
    settings.gNTProtocol = false;
    const struct {
        const char* name;
        std::function<QAction*()> command;
    } commands[] = {
        {"menu", [this] { return action("MNU_Terminal_Disconnect"); }},
        {"icon bar button 2", [this] { return window.IconButton(2); }},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        QAction* command = c.command();
        ASSERT_NE(command, nullptr);
        command->setEnabled(true);
        window.SetStatusPanel(4, QString());
        const int hangUps = dialUp.hangUps;
        command->trigger();
        EXPECT_EQ(window.StatusPanel(4), QStringLiteral("T:off"));
        EXPECT_EQ(dialUp.hangUps, hangUps + 1);
        EXPECT_TRUE(action("MNU_Terminal_Connect")->isEnabled());
        EXPECT_FALSE(action("MNU_Terminal_Disconnect")->isEnabled());
        EXPECT_TRUE(window.IconButton(2)->isChecked());
        EXPECT_FALSE(window.IconButton(1)->isChecked());
        EXPECT_TRUE(window.IconButton(1)->isEnabled());
    }
    EXPECT_EQ(quits, 0) << "an interactive run goes on";
}

TEST_F(SessionOnMainWindow, FtpSessionUsesTheWindowsFolderAndSettings)
{
    settings.gNTProtocol = false;
    window.session()->OpenFtpSession();
    EXPECT_TRUE(window.FtpSessionOpen());
    // Without its text boxes the window gives the settings they are filled from.
    EXPECT_EQ(ftp.calls.value(0), QStringLiteral("open 127.0.0.9:21 jvz"));
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\"));
    EXPECT_EQ(window.StatusPanel(4), QStringLiteral("F:open (ttyACM0)"));

    window.controls().txtIp->setText(QStringLiteral("127.0.0.7")); // the window's own box, not one by its name
    window.session()->OpenFtpSession();
    EXPECT_EQ(ftp.calls.count(QStringLiteral("open 127.0.0.7:21 jvz")), 1);

    window.session()->CloseFtpSession();
    EXPECT_FALSE(window.FtpSessionOpen());
    EXPECT_EQ(listClears, 1);
}

TEST_F(SessionOnMainWindow, RestartWarningComesAndGoesWithTheDisconnect)
{
    settings.gNTProtocol = false;
    settings.gDisplayMsg = true;
    window.session()->vars.LinkUp = true;
    // The warning is up while the link goes down, and gone once the window is reset.
    window.session()->DisconnectTerminal();
    FrmWarningMsg* warning = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmWarningMsg"))
            warning = qobject_cast<FrmWarningMsg*>(w);
    ASSERT_NE(warning, nullptr);
    auto* label = warning->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("restart"));
    EXPECT_FALSE(warning->isVisible());
}

} // namespace
