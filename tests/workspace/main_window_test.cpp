// The main window frame: its controls under their names and kinds, load and initialisation.
#include "FakeNotifier.h"
#include "MainWindowWorld.h"
#include "WaitUntil.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "platform/PppDialer.h"
#include "platform/StopSignals.h"
#include "workspace/ui/MainWindowLayout.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

using namespace jvz;

namespace {

class MainWindowFrame : public ::testing::Test {
protected:
    template <typename T> T* child(const char* name) { return window.findChild<T*>(QString::fromUtf8(name)); }

    jvztest::MainWindowWorld world;
    frmMainJVZ& window = world.assemble();
};

TEST_F(MainWindowFrame, EveryControlHasItsNameAndKind)
{
    for (const char* name : {"TreeView1", "ListView1", "ListView2"})
        EXPECT_NE(child<QTreeView>(name), nullptr) << name;
    for (const char* name : {"ImageCombo1", "Combo2", "Combo3", "Combo5", "Combo_DefaultConnection"})
        EXPECT_NE(child<QComboBox>(name), nullptr) << name;
    for (const char* name : {"Filter", "Text3", "TXT_login", "TXT_password", "TXT_Port", "TXT_IP"})
        EXPECT_NE(child<QLineEdit>(name), nullptr) << name;
    EXPECT_NE(child<QPlainTextEdit>("TXT_Trace"), nullptr);
    for (const char* name : {"TLB_Icon", "TLB_Connect", "Toolbar1", "Toolbar2", "Toolbar3"})
        EXPECT_NE(child<QToolBar>(name), nullptr) << name;
    for (const char* name : {"StatusBar1", "StatusBar2", "StatusBar3", "StatusBar4"})
        EXPECT_NE(child<QStatusBar>(name), nullptr) << name;
    for (const char* name : {"MNU_Terminal", "MNU_Activity", "MNU_View", "MNU_Connection", "MNU_Help", "MNU_Contextuel",
                             "MNU_Contextuel2", "MNU_Catalog", "MNU_CatalogPack"})
        EXPECT_NE(child<QMenu>(name), nullptr) << name;

    const struct {
        const char* bar;
        std::vector<const char*> buttons;
    } bars[] = {
        {"Toolbar1", {"Refresh", "BackFolder", "DelFile"}},
        {"Toolbar2", {"back"}},
        {"Toolbar3", {"BackFolder", "DelFile", "Refresh"}},
    };
    for (const auto& b : bars) {
        auto* bar = child<QToolBar>(b.bar);
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), qsizetype(b.buttons.size())) << b.bar;
        for (size_t i = 0; i < b.buttons.size(); ++i)
            EXPECT_EQ(bar->actions().at(qsizetype(i))->objectName(), QLatin1String(b.buttons[i])) << b.bar;
    }
    // Each icon button at its place on the bar, the separators between.
    const QList<QAction*> icons = window.controls().tlbIcon->actions();
    const std::pair<IconButton, int> places[] = {{IconButton::Connect, 0},
                                                 {IconButton::Disconnect, 1},
                                                 {IconButton::Download, 3},
                                                 {IconButton::Upload, 4},
                                                 {IconButton::TerminalInfo, 6}};
    for (const auto& [button, place] : places) {
        ASSERT_NE(window.controls().iconButton(button), nullptr) << place;
        EXPECT_EQ(window.controls().iconButton(button), icons.at(place)) << place;
        EXPECT_FALSE(window.controls().iconButton(button)->isSeparator()) << place;
    }
    EXPECT_TRUE(icons.at(2)->isSeparator());
    EXPECT_TRUE(icons.at(5)->isSeparator());
}

TEST_F(MainWindowFrame, EveryCommandHasItsNamedAction)
{
    for (int i = 0; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        const std::string_view name = commandName(command);
        SCOPED_TRACE(std::string(name));
        QAction* a = window.controls().action(command);
        ASSERT_NE(a, nullptr);
        const QString full = QString::fromUtf8(name.data(), qsizetype(name.size()));
        const QString own = full.section(QLatin1Char('/'), -1);
        if (full.startsWith(QLatin1String("MNU_Language"))) {
            EXPECT_EQ(a->objectName(), QStringLiteral("MNU_Language_Country"));
        } else if (!full.startsWith(QLatin1String("TLB_Icon"))) {
            EXPECT_EQ(a->objectName(), own);
        }
    }
}

} // namespace

// ------------------------------------------------------------------------------------ load, quit, state
#include "../session/RuntimeDoubles.h"
#include "MainWindowWorld.h"
#include "Paths.h"
#include "StandInPppd.h"
#include "UserInput.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "core/TerminalSession.h"
#include "core/ui/IconTable.h"
#include "platform/ProcessRunner.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/MainSessionWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <thread>

namespace {

using jvztest::MainWindowWorld;

// key -> value of every line of an INI text, "Section/Key".
QMap<QString, QString> iniValues(const QString& text)
{
    QMap<QString, QString> values;
    QString section;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
        else if (line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char(';')))
            values.insert(section + QLatin1Char('/') + line.section(QLatin1Char('='), 0, 0),
                          line.section(QLatin1Char('='), 1));
    }
    return values;
}

TEST(MainWindowQuit, AnsweredNoKeepsTheWindowAndSavesNothing)
{
    MainWindowWorld w;
    const int& quits = w.quits;
    frmMainJVZ& window = w.build();
    window.show();
    const QString before = w.iniText();
    w.notifier.answers = {MessageAnswer::No};
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(w.notifier.shown.size(), 1u);
    EXPECT_EQ(w.notifier.shown[0].text, QStringLiteral("Do you really want to quit?"));
    EXPECT_EQ(w.notifier.shown[0].title, QStringLiteral("Quit"));
    EXPECT_EQ(w.notifier.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(w.notifier.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(w.iniText(), before);
    EXPECT_EQ(w.store.value(QStringLiteral("JVZ"), QStringLiteral("Parameter"), QStringLiteral("WindowState"),
                            QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(quits, 0);
}

TEST(MainWindowQuit, AnsweredYesSavesExactlyTheWindowsKeysIntoTheFileStartUpRead)
{
    MainWindowWorld w;
    const int& quits = w.quits;
    const QString bookmarks = w.folder + QStringLiteral("/JVZ.bmk");
    frmMainJVZ& window = w.build();
    window.show();
    const QMap<QString, QString> before = iniValues(w.iniText());
    window.controls().combo2->setEditText(QStringLiteral("*.M40"));
    window.controls().filter->setText(QStringLiteral("APP*"));
    window.controls().comboDefaultConnection->setEditText(QStringLiteral("JVZ Connection"));
    w.action("MNU_View_IconBar")->trigger(); // unchecked: the icon bar goes
    EXPECT_FALSE(window.controls().tlbIcon->isVisible());

    QFile::remove(bookmarks);
    EXPECT_TRUE(window.close());
    const QMap<QString, QString> after = iniValues(w.iniText());
    QMap<QString, QString> changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    const QMap<QString, QString> expected = {
        {QStringLiteral("Environnement/Selection"), QStringLiteral("*.M40")},
        {QStringLiteral("Environnement/IconBar"), QStringLiteral("no")},
        {QStringLiteral("Environnement/FilterField"), QStringLiteral("APP*")},
        {QStringLiteral("Protocol/ConnectionName"), QStringLiteral("JVZ Connection")},
    };
    EXPECT_EQ(changed, expected);
    EXPECT_EQ(after.size(), before.size()) << "no key added or lost";
    EXPECT_EQ(w.store.value(QStringLiteral("JVZ"), QStringLiteral("Parameter"), QStringLiteral("WindowState"), {}),
              QStringLiteral("0"));
    EXPECT_TRUE(QFileInfo::exists(bookmarks)) << "the favourites' path history is written";
    EXPECT_EQ(quits, 1);
}

TEST(MainWindowQuit, BatchRunAsksAndSavesNothing)
{
    MainWindowWorld w;
    w.batch.gBatchMode = true;
    frmMainJVZ& window = w.build();
    const QString before = w.iniText();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(w.notifier.shown.empty());
    EXPECT_EQ(w.iniText(), before);
}

// SIGTERM to the window's program (a service manager, a logout): the quit as its Yes does, without the question:
// the window's keys and state saved, the link hung up, the run ended. A nested wait under way ends first (its FTP
// call is broken off meanwhile); the quit follows once the window is no longer busy.
TEST(MainWindowQuit, StopSignalQuitsAsYesDoesWithoutAsking)
{
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "while a nested wait runs" : "idle");
        MainWindowWorld w;
        StopSignals stop;
        w.stopSignals = &stop;
        w.dialUpLink = true;
        const int& quits = w.quits;
        frmMainJVZ& window = w.buildShown();
        jvztest::FakeDialUpLink& dialUp = w.attachSession().dialUp;
        dialUp.linkState = kLinkStateUp;
        dialUp.duringHangUp = [&dialUp] { dialUp.linkState = kLinkStateDown; };
        window.controls().filter->setText(QStringLiteral("APP*"));
        const QString shot = jvztest::binDir() + QStringLiteral("/../screenshots/main_window_before_sigterm.png");
        QDir().mkpath(QFileInfo(shot).absolutePath());
        EXPECT_TRUE(window.grab().save(shot));
        std::optional<BusyScope> wait;
        if (busy)
            wait.emplace(window.commands());

        ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
        if (busy) {
            QTest::qWait(200);
            EXPECT_EQ(quits, 0) << "the nested wait is not cut from under its caller";
            EXPECT_TRUE(window.isVisible());
            wait.reset();
        }
        ASSERT_TRUE(jvztest::waitUntil([&] { return quits == 1; }));
        EXPECT_TRUE(w.notifier.shown.empty()) << "nothing is asked";
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(iniValues(w.iniText()).value(QStringLiteral("Environnement/FilterField")), QStringLiteral("APP*"));
        EXPECT_EQ(w.store.value(QStringLiteral("JVZ"), QStringLiteral("Parameter"), QStringLiteral("WindowState"), {}),
                  QStringLiteral("0"));
        EXPECT_EQ(dialUp.hangUps, 1);
        EXPECT_EQ(w.batch.stopSignal, SIGTERM);
    }
}

// SIGTERM while the window dials a link that never comes up (the dial blocks the window, as it always has): the
// dial ends within seconds, not at its 30 s bound, with no dial-failure box, and the program quits as Quit's Yes
// does, without the question; pppd's stand-in is gone.
TEST(MainWindowQuit, StopSignalWhileDiallingQuitsWithoutADialFailureBox)
{
    jvztest::StandInPppd pppd;
    pppd.setMode(QStringLiteral("hang"));
    PosixProcessRunner processes;
    PppDialer dialer(processes, QString::fromStdString(jvztest::makeScratchDir("ppp-state")), {30000, 1000, 1000});
    MainWindowWorld w; // after the dialer its window uses
    StopSignals stop;
    w.stopSignals = &stop;
    w.realDialUp = &dialer;
    w.settings.gEnumUsb = false;
    w.settings.gWaitingDcxTime = 0;
    w.settings.gIpLocalAddress = QStringLiteral("127.0.0.9"); // the session socket is the tests' double
    w.settings.gIpPort = QStringLiteral("6000");
    // The phonebook names a port the stand-in never opens, listed as usable for the link.
    const std::string phonebook = (w.folder + QStringLiteral("/ras/rasphone2000.pbk")).toStdString();
    QByteArray entry = QByteArray::fromStdString(jvztest::readFileBytes(phonebook));
    entry.replace("\r\nPort=\r\n", "\r\nPort=ttyACM0\r\n");
    jvztest::writeFileBytes(phonebook, entry.toStdString());
    w.state.link.gModemPorts = QStringLiteral("ttyACM0,");
    frmMainJVZ& window = w.buildShown();
    EXPECT_TRUE(window.grab().save(jvztest::screenshotFolder() + QStringLiteral("/main_window_before_dial_stop.png")));

    // The window serves no events while it dials: the signal comes from a thread of its own.
    QElapsedTimer sinceStart;
    QElapsedTimer sinceSignal;
    sinceStart.start();
    std::thread sender([&] {
        while ((pppd.pid() <= 0 || sinceStart.elapsed() < 300) && sinceStart.elapsed() < 10000)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        sinceSignal.start();
        ::kill(::getpid(), SIGTERM);
    });
    jvztest::focus(window.controls().listView2);
    jvztest::press(Qt::Key_F4);
    EXPECT_TRUE(window.grab().save(jvztest::screenshotFolder() + QStringLiteral("/main_window_dial_stopped.png")));
    const bool quit = jvztest::waitUntil([&] { return w.quits == 1; });
    sender.join();
    const qint64 ms = sinceSignal.elapsed();
    std::cout << "SIGTERM while the window dials: signal to quit " << ms << " ms" << std::endl;
    ASSERT_TRUE(quit) << window.traceBox().text().toStdString();
    EXPECT_GT(pppd.pid(), 0) << "the window dialled";
    EXPECT_LT(ms, jvztest::timeBoundMs(5000));
    EXPECT_TRUE(w.notifier.shown.empty()) << "neither a question nor a dial-failure box";
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(w.batch.stopSignal, SIGTERM);
    EXPECT_FALSE(window.traceBox().text().contains(QStringLiteral("RAS error number")))
        << window.traceBox().text().toStdString();
    EXPECT_TRUE(pppd.nothingLeft());
}

// A wait nested in another (a transfer inside a command) ends without ending the busy state: the terminal pane
// closes the FTP session on the busy state's end, so it must be told once, when the outer wait ends.
TEST(MainWindowCommands, NestedBusyScopesReportOnlyTheOuterEdges)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    WindowCommands& commands = window.commands();
    int runs = 0;
    commands.wireCommand(Command::Upload, [&] { ++runs; });
    commands.switchCommand(Command::Upload, true);
    QSignalSpy changes(&commands, &WindowCommands::busyChanged);
    {
        BusyScope outer(commands);
        {
            BusyScope inner(commands);
        }
        EXPECT_TRUE(commands.isBusy()) << "the outer wait still runs";
        commands.run(Command::Upload);
        EXPECT_EQ(runs, 0);
        EXPECT_FALSE(window.controls().action(Command::Upload)->isEnabled());
    }
    ASSERT_EQ(changes.size(), 2);
    EXPECT_TRUE(changes.at(0).at(0).toBool());
    EXPECT_FALSE(changes.at(1).at(0).toBool());
    commands.run(Command::Upload);
    EXPECT_EQ(runs, 1);
}

TEST(MainWindowQuit, RefusedWhileANestedWaitRunsThenAllowed)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    window.show();
    {
        BusyScope busy(window.commands());
        EXPECT_TRUE(window.commands().isBusy());
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(w.notifier.shown.empty()) << "nothing is asked while busy";
        for (int i = 0; i < kCommandCount; ++i) {
            if (QAction* a = window.controls().actions[i]) {
                EXPECT_FALSE(a->isEnabled()) << commandName(static_cast<Command>(i));
            }
        }
    }
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_TRUE(w.action("MNU_Terminal_Quit")->isEnabled());
    w.notifier.answers = {MessageAnswer::No};
    EXPECT_FALSE(window.close());
    EXPECT_EQ(w.notifier.shown.size(), 1u);
}

TEST(MainWindowQuit, WaitForTheLinkIsBoundedAndSkippedWhenItIsDown)
{
    const struct {
        const char* name;
        int32_t state;
        bool stillUpTraced;
    } cases[] = {
        {"link down", kLinkStateDown, false},
        {"link that never goes down", kLinkStateUp, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowWorld w;
        w.timings.quitLinkDownWaitMs = 100;
        frmMainJVZ& window = w.build();
        w.attachSession().dialUp.linkState = c.state;
        const int& queries = w.attachSession().dialUp.stateQueries;
        w.attachSession().dialUp.stateQueries = 0;
        window.show();
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(window.close());
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(window.traceBox().text().contains(QStringLiteral("The link did not go down in time")),
                  c.stillUpTraced);
        if (!c.stillUpTraced) {
            EXPECT_EQ(queries, 1);
        }
    }
}

TEST(MainWindowState, RestoredAtFirstActivation)
{
    const struct {
        const char* stored;
        Qt::WindowState state;
    } cases[] = {
        {nullptr, Qt::WindowNoState}, {"0", Qt::WindowNoState}, {"-1", Qt::WindowNoState},
        {"2", Qt::WindowMaximized},   {"x", Qt::WindowNoState},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "absent");
        MainWindowWorld w;
        if (c.stored)
            w.store.setValue(QStringLiteral("JVZ"), QStringLiteral("Parameter"), QStringLiteral("WindowState"),
                             QLatin1String(c.stored));
        frmMainJVZ& window = w.build();
        window.show();
        EXPECT_FALSE(window.FirstActivation());
        if (c.state == Qt::WindowMaximized) {
            EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
            continue;
        }
        const QRect area = window.screen()->availableGeometry();
        EXPECT_EQ(window.width(), area.width() * 9 / 10);
        EXPECT_EQ(window.height(), area.height() * 9 / 10);
        EXPECT_EQ(window.geometry().x(), area.x() + (area.width() - window.width()) / 2);
    }
}

TEST(MainWindowLoad, FirstActivationWritesTheStatusTextsAndTheTraceHeader)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    int activations = 0;
    QObject::connect(&window, &frmMainJVZ::firstActivated, [&] { ++activations; });
    window.show();
    window.hide();
    window.show();
    EXPECT_EQ(activations, 1) << "later activations do nothing";
    EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState),
              QStringLiteral("Terminal: not connected"));
    EXPECT_EQ(window.statusBars().StatusBar3Text(jvz::FolderBarPanel::TreeCaption), QStringLiteral("All folders"));
    EXPECT_EQ(window.statusBars().StatusBar4Text(), QStringLiteral("Terminal: "));
    EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::Activity), QStringLiteral("Activity: Download"));
    EXPECT_EQ(window.traceBox().text(), QStringLiteral("Terminal: not connected\r\n"));
}

TEST(MainWindowLoad, SessionBoxesAreFilledFromTheSettingsInBatchRunsToo)
{
    for (bool batchRun : {false, true}) {
        SCOPED_TRACE(batchRun ? "batch" : "interactive");
        MainWindowWorld w;
        w.batch.gBatchMode = batchRun;
        LoadProtocolSettings(w.settings, w.batch, *w.settings.gIniFile);
        w.settings.gIpLocalAddress = QStringLiteral("127.0.0.5");
        frmMainJVZ& window = w.build();
        EXPECT_EQ(window.controls().txtLogin->text(), QStringLiteral("ftpuser"));
        EXPECT_EQ(window.controls().txtPassword->text(), QStringLiteral("905173"));
        EXPECT_EQ(window.controls().txtPort->text(), QStringLiteral("6000"));
        EXPECT_EQ(window.controls().txtIp->text(), QStringLiteral("127.0.0.5"));
        EXPECT_TRUE(window.controls().txtLogin->isEnabled());
        EXPECT_FALSE(window.controls().txtIp->isEnabled());
    }
}

TEST(MainWindowLoad, FtpSessionFromTheFullWindowLogsInWithTheSettingsUser)
{
    MainWindowWorld w;
    LoadProtocolSettings(w.settings, w.batch, *w.settings.gIniFile);
    w.settings.gIpLocalAddress = QStringLiteral("127.0.0.6");
    w.settings.gNTProtocol = false;
    frmMainJVZ& window = w.build();
    auto& d = w.attachSession();
    w.assembly->session().OpenFtpSession();
    EXPECT_EQ(d.ftp.calls.value(0), QStringLiteral("open 127.0.0.6:21 ftpuser"));
    EXPECT_TRUE(window.commands().FtpSessionOpen());
}

TEST(MainWindowLoad, BatchRunLooksUpNoIconAndFillsNothing)
{
    MainWindowWorld w;
    w.batch.gBatchMode = true;
    const int lookups = iconLookups();
    frmMainJVZ& window = w.build();
    EXPECT_EQ(iconLookups(), lookups);
    EXPECT_TRUE(window.FirstActivation());
    EXPECT_EQ(window.controls().combo2->count(), 0) << "the filters come with the first activation";
    EXPECT_TRUE(window.ListProduct().isEmpty());
}

TEST(MainWindowLoad, FolderThatCannotBeCreatedIsReportedOnce)
{
    MainWindowWorld w;
    QDir(w.folder + QStringLiteral("/ras")).removeRecursively(); // no phonebook folder beside the program
    QStringList asked;
    w.makeFolder = [&](const QString& path) {
        asked << path;
        return false;
    };
    w.assemble();
    w.notifier.answers = {MessageAnswer::No}; // no phonebook entry created now
    w.window->init(w.language(1));
    EXPECT_TRUE(asked.contains(w.folder + QStringLiteral("/ras")));
    ASSERT_EQ(w.notifier.shown.size(), 2u);
    EXPECT_EQ(w.notifier.shown[0].buttons, MessageButtons::YesNo) << "the phonebook entry offered first";
    EXPECT_TRUE(w.notifier.shown[1].text.startsWith(QStringLiteral("Cannot create the folder: ")));
    EXPECT_TRUE(w.notifier.shown[1].text.contains(QStringLiteral("/ras")));
}

TEST(MainWindowTrace, NewestOnTopBoundedTo5000Lines)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    for (int i = 1; i <= TraceBox::kLines + 3; ++i)
        window.traceBox().add(QStringLiteral("line %1").arg(i));
    window.traceBox().add(QStringLiteral("frame\r\ndecoded"));
    const QStringList lines = window.traceBox().text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), TraceBox::kLines);
    EXPECT_EQ(lines.first(), QStringLiteral("frame"));
    EXPECT_EQ(lines.at(1), QStringLiteral("decoded"));
    EXPECT_EQ(lines.at(2), QStringLiteral("line 5003"));
    EXPECT_EQ(lines.last(), QStringLiteral("line 6"));
    const QTextDocument* doc = window.controls().txtTrace->document();
    EXPECT_LE(doc->blockCount(), TraceBox::kLines + 1);
    EXPECT_EQ(doc->firstBlock().text(), QStringLiteral("frame"));
    EXPECT_EQ(doc->findBlockByNumber(TraceBox::kLines - 1).text(), QStringLiteral("line 6"));
}

TEST(MainWindowTexts, EveryCaptionlessControlIsNamedInBothLanguages)
{
    for (int16_t language : {1, 2}) {
        SCOPED_TRACE(language);
        MainWindowWorld w;
        frmMainJVZ& window = w.build(language);
        for (const QString& name : captionlessControlNames()) {
            auto* control = window.findChild<QWidget*>(name);
            ASSERT_NE(control, nullptr) << name.toStdString();
            EXPECT_FALSE(control->accessibleName().isEmpty()) << name.toStdString();
            EXPECT_EQ(control->toolTip(), control->accessibleName()) << name.toStdString();
        }
        for (const IconButtonRow& b : kIconButtons) {
            EXPECT_FALSE(window.controls().iconButton(b.button)->text().isEmpty()) << b.key;
            EXPECT_FALSE(window.controls().iconButton(b.button)->toolTip().isEmpty()) << b.key;
        }
    }
}

// The menu texts are the French column in French; the pictures are for people.
TEST(MainWindowTexts, ScreenshotsInBothLanguagesAndNoEnglishMenuInFrench)
{
    MainWindowWorld w;
    const jvz::MBLanguages english = w.language(1);
    const jvz::MBLanguages french = w.language(2);
    for (int16_t language : {1, 2}) {
        frmMainJVZ& window = w.build(language);
        window.show();
        window.setWindowState(Qt::WindowNoState);
        window.resize(1280, 800);
        window.windowLayout().ArrangeBars();
        QApplication::processEvents();
        for (QMenu* menu : window.findChildren<QMenu*>()) {
            if (menu->objectName().isEmpty())
                continue; // Qt's own (a toolbar's overflow)
            const QString en = english.GetFormLabel(menu->objectName(), QStringLiteral("frmMainJVZ"));
            const QString fr = french.GetFormLabel(menu->objectName(), QStringLiteral("frmMainJVZ"));
            ASSERT_FALSE(fr.isEmpty()) << "[" << menu->objectName().toStdString() << "]";
            EXPECT_EQ(menu->title(), language == 1 ? en : fr) << menu->objectName().toStdString();
            for (QAction* a : menu->actions()) {
                if (a->isSeparator() || a->menu())
                    continue;
                const QString key = a->property("index").isValid() ? a->objectName() + a->property("index").toString()
                                                                   : a->objectName();
                EXPECT_EQ(a->text(), (language == 1 ? english : french).GetFormLabel(key, QStringLiteral("frmMainJVZ")))
                    << key.toStdString();
            }
        }
        const QString path = jvztest::binDir() + QStringLiteral("/../screenshots/main_window_") +
                             (language == 1 ? QStringLiteral("en") : QStringLiteral("fr")) + QStringLiteral(".png");
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QPixmap shot = window.grab();
        EXPECT_EQ(shot.size(), QSize(1280, 800));
        EXPECT_TRUE(shot.save(path));
    }
}

} // namespace

namespace {

TEST(MainWindowCommands, SessionSwitchesGoThroughTheCommandState)
{
    MainWindowWorld w;
    w.settings.gNTProtocol = false;
    frmMainJVZ& window = w.build();
    w.attachSession();
    QAction* download = w.action("MNU_Terminal_Download");
    const auto& ui = window.controls();

    w.assembly->session().OpenFtpSession();
    ASSERT_TRUE(window.commands().FtpSessionOpen());
    EXPECT_TRUE(window.commands().state().switchedOn(Command::TerminalConfig))
        << "the open session's report switched it";
    window.commands().RefreshTransferCommands(true);
    window.commands().EnableTerminalInfoCommand();
    EXPECT_FALSE(download->isEnabled()) << "no selection allows it yet";
    EXPECT_FALSE(window.controls().iconButton(jvz::IconButton::Download)->isEnabled());
    EXPECT_TRUE(w.action("MNU_Terminal_Info")->isEnabled()) << "the assembled window has its handler";
    EXPECT_TRUE(ui.listView1->acceptDrops());

    window.commands().wireCommand(Command::Download, [] {});
    window.commands().wireCommand(Command::TerminalInfo, [] {});
    EXPECT_FALSE(download->isEnabled()) << "never without a selection that allows it";
    window.commands().state().setDownloadSelection(true);
    window.commands().RefreshTransferCommands(true);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Download)->isEnabled());
    EXPECT_TRUE(window.commands().DownloadEnabled());
    EXPECT_TRUE(w.action("MNU_Terminal_Info")->isEnabled());
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::TerminalInfo)->isEnabled());

    w.assembly->session().CloseFtpSession();
    EXPECT_FALSE(download->isEnabled());
    EXPECT_FALSE(window.controls().iconButton(jvz::IconButton::Download)->isEnabled());
    EXPECT_FALSE(w.action("MNU_Terminal_Info")->isEnabled());
    EXPECT_FALSE(ui.listView1->acceptDrops());
    EXPECT_FALSE(ui.listView2->acceptDrops());
    EXPECT_FALSE(ui.treeView1->acceptDrops());
}

TEST(MainWindowKeyboard, TabFollowsTheLayout)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    window.show();
    QApplication::setActiveWindow(&window);
    const auto& ui = window.controls();
    const QList<QWidget*> order = {ui.imageCombo1, ui.combo5,    ui.combo2, ui.filter,   ui.text3,
                                   ui.treeView1,   ui.listView1, ui.combo3, ui.listView2};
    order.first()->setFocus(Qt::TabFocusReason);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus == order.at(i) || focus->focusProxy() == order.at(i) || order.at(i)->isAncestorOf(focus))
            << "after " << order.at(i - 1)->objectName().toStdString() << " came " << focus->objectName().toStdString();
    }
}

} // namespace
