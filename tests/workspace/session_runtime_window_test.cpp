// The session runtime on the window as the program assembles it (offscreen): the connect and disconnect
// commands run as a user runs them, the window's state read where a user reads it as a connection opens and
// closes.
#include "MainWindowWorld.h"
#include "UserInput.h"
#include "core/AppSettings.h"
#include "core/ui/FrmWarningMsg.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>
#include <optional>

using namespace jvz;

namespace {

class SessionOnMainWindow : public ::testing::Test {
protected:
    SessionOnMainWindow()
    {
        AppSettings& settings = world.settings;
        settings.gIpLocalAddress = QStringLiteral("127.0.0.9");
        settings.gFtpUserName = QStringLiteral("jvz");
        settings.gWaitingDcxTime = 0;
        // The connection bar shown, so that the terminal's address can be typed.
        settings.gConnectBar = QStringLiteral("yes");
        settings.gX07 = true;
        world.timings.batchWaitMs = 10;
        world.dialUpLink = true;
        // The program's phonebook names the terminal's port.
        const QString phonebook = world.folder + QStringLiteral("/ras/rasphone2000.pbk");
        QByteArray entry = QByteArray::fromStdString(jvztest::readFileBytes(phonebook.toStdString()));
        entry.replace("\r\nPort=\r\n", "\r\nPort=ttyACM0\r\n");
        jvztest::writeFileBytes(phonebook.toStdString(), entry.toStdString());
    }

    frmMainJVZ& start() { return world.buildShown(); }

    QString text(const char* key) const { return world.window->language().GetFormLabel(QLatin1String(key)); }
    QAction* action(Command command) const { return world.window->controls().action(command); }

    // F4 in the terminal list: on a network link the program's own connect sequence opens the FTP session.
    void connect()
    {
        jvztest::focus(world.window->controls().listView2);
        jvztest::press(Qt::Key_F4);
        ASSERT_TRUE(QTest::qWaitFor([&] { return world.window->commands().FtpSessionOpen(); }, jvztest::kUserBoundMs))
            << world.window->traceBox().text().toStdString();
    }

    jvztest::MainWindowWorld world;
};

TEST_F(SessionOnMainWindow, DisconnectCommandsResetTheWindow)
{
    world.settings.gNTProtocol = false;
    frmMainJVZ& window = start();
    const struct {
        const char* name;
        std::function<void()> run;
    } commands[] = {
        {"menu", [&] { action(Command::Disconnect)->trigger(); }},
        {"icon bar button 2",
         [&] { jvztest::click(window.controls().tlbIcon, window.controls().iconButton(jvz::IconButton::Disconnect)); }},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        // As a connected link leaves them: Disconnect on, the panel naming the link.
        window.commands().switchCommand(Command::Disconnect, true);
        window.commands().SetIconButton(jvz::IconButton::Disconnect, true, false);
        window.statusBars().SetStatusPanel(jvz::StatusPanel::LinkState, QString());
        jvztest::FakeDialUpLink& dialUp = world.attachSession().dialUp;
        const int hangUps = dialUp.hangUps;
        // While the disconnect runs, both buttons are switched off (not only refused while the window is busy).
        std::optional<bool> connectWhileDown, disconnectWhileDown;
        dialUp.duringHangUp = [&] {
            connectWhileDown = window.commands().state().switchedOn(Command::IconConnect) ||
                               window.controls().iconButton(jvz::IconButton::Connect)->isEnabled();
            disconnectWhileDown = window.commands().state().switchedOn(Command::IconDisconnect) ||
                                  window.controls().iconButton(jvz::IconButton::Disconnect)->isEnabled();
        };
        c.run();
        dialUp.duringHangUp = nullptr;
        EXPECT_EQ(connectWhileDown, std::optional<bool>(false));
        EXPECT_EQ(disconnectWhileDown, std::optional<bool>(false));
        EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState),
                  text("TerminalState") + text("Disconnected"));
        EXPECT_EQ(world.attachSession().dialUp.hangUps, hangUps + 1);
        EXPECT_TRUE(action(Command::Connect)->isEnabled());
        EXPECT_FALSE(action(Command::Disconnect)->isEnabled());
        EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Disconnect)->isChecked());
        EXPECT_FALSE(window.controls().iconButton(jvz::IconButton::Connect)->isChecked());
        EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Connect)->isEnabled());
        EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Disconnect)->isEnabled());
    }
    EXPECT_EQ(world.quits, 0) << "an interactive run goes on";
}

TEST_F(SessionOnMainWindow, FtpSessionUsesTheWindowsBoxesFilledFromTheSettings)
{
    world.settings.gNTProtocol = false;
    world.batch.gSerialLink = false; // a network link
    frmMainJVZ& window = start();
    const MainWindowControls& ui = window.controls();
    jvztest::FakeFtpClient& ftp = world.attachSession().ftp;
    connect();
    EXPECT_EQ(ftp.calls.value(0), QStringLiteral("open 127.0.0.9:21 jvz"));
    // The terminal list shows the terminal's swap folder.
    EXPECT_EQ(window.statusBars().StatusBar4Text(), text("TerminalContent") + QStringLiteral("'\\SWAP\\'"));
    EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState),
              text("FTPState") + text("FTP_successful") + QStringLiteral(" (ttyACM0)"));
    // Connected straight to the FTP session: the menus switched, the connect shown pressed, the disconnect
    // button on again (and still shown pressed: nothing released it).
    EXPECT_FALSE(action(Command::Connect)->isEnabled());
    EXPECT_TRUE(action(Command::Disconnect)->isEnabled());
    EXPECT_TRUE(window.commands().state().switchedOn(Command::ApplicationList));
    EXPECT_TRUE(window.commands().state().switchedOn(Command::TerminalConfig));
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Connect)->isChecked());
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Disconnect)->isChecked());
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Disconnect)->isEnabled());

    // Disconnected, another address in the connection bar's box (filled from the settings; the user cannot
    // type in it), connected again: the box is what is used.
    jvztest::click(ui.tlbIcon, window.controls().iconButton(jvz::IconButton::Disconnect));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.commands().FtpSessionOpen(); }, jvztest::kUserBoundMs));
    EXPECT_EQ(ui.listView2->model() ? ui.listView2->model()->rowCount() : 0, 0) << "the terminal list is cleared";
    ui.txtIp->setText(QStringLiteral("127.0.0.7"));
    connect();
    EXPECT_EQ(ftp.calls.count(QStringLiteral("open 127.0.0.7:21 jvz")), 1);
}

TEST_F(SessionOnMainWindow, RestartWarningComesAndGoesWithTheDisconnect)
{
    world.settings.gNTProtocol = false;
    world.settings.gDisplayMsg = true;
    frmMainJVZ& window = start();
    world.assembly->session().vars.LinkUp = true;
    // The warning is up while the link goes down, and gone once the window is reset.
    window.commands().switchCommand(Command::Disconnect, true);
    action(Command::Disconnect)->trigger();
    FrmWarningMsg* warning = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmWarningMsg"))
            warning = qobject_cast<FrmWarningMsg*>(w);
    ASSERT_NE(warning, nullptr);
    auto* label = warning->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), text("MSG_WarningRestart"));
    EXPECT_FALSE(warning->isVisible());
}

} // namespace
