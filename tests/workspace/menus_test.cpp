// Menus and toolbars of the main window: each item runs its command, the Activity and View menus, Help,
// keys with one owner each.
#include "../session/RuntimeDoubles.h"
#include "MainWindowWorld.h"
#include "core/AppState.h"
#include "core/TerminalSession.h"
#include "session/SessionRuntime.h"
#include "workspace/ui/MainSessionWindow.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>
#include <vector>

using namespace jvz;

namespace {

// Commands as a plain vector: Qt 6.4 compares two empty QLists with a null memcmp argument.
std::vector<Command> commands(const QList<Command>& list)
{
    return {list.begin(), list.end()};
}

using jvztest::MainWindowWorld;

QString nameOf(Command c)
{
    const std::string_view n = commandName(c);
    return QString::fromUtf8(n.data(), qsizetype(n.size()));
}

TEST(Menus, EveryItemAndButtonRunsItsCommand)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    QList<Command> ran;
    for (int i = 0; i < kCommandCount; ++i) {
        const auto c = static_cast<Command>(i);
        window.commands().wireCommand(c, [&ran, c] { ran << c; });
        window.commands().switchCommand(c, true);
    }
    window.commands().state().setDownloadSelection(true);
    window.commands().apply();
    for (int i = 0; i < kCommandCount; ++i) {
        const auto c = static_cast<Command>(i);
        SCOPED_TRACE(nameOf(c).toStdString());
        QAction* a = window.controls().action(c);
        ASSERT_NE(a, nullptr);
        ran.clear();
        if (a->isVisible()) {
            ASSERT_TRUE(a->isEnabled());
            a->trigger();
        } else {
            window.commands().run(c); // what nothing shows runs only when called
        }
        EXPECT_EQ(commands(ran), std::vector<Command>{c});
    }
    // The icon bar: the buttons themselves and the dispatch; the separators run nothing.
    const std::pair<IconButton, Command> byButton[] = {{IconButton::Connect, Command::IconConnect},
                                                       {IconButton::Disconnect, Command::IconDisconnect},
                                                       {IconButton::Download, Command::Download},
                                                       {IconButton::Upload, Command::Upload},
                                                       {IconButton::TerminalInfo, Command::TerminalInfo}};
    for (const auto& [button, command] : byButton) {
        SCOPED_TRACE(int(button));
        ran.clear();
        window.commands().TLB_Icon_ButtonClick(button);
        EXPECT_EQ(commands(ran), std::vector<Command>{command});
        ran.clear();
        window.controls().iconButton(button)->trigger();
        EXPECT_EQ(commands(ran), std::vector<Command>{command});
    }
    for (QAction* a : window.controls().tlbIcon->actions())
        if (a->isSeparator()) {
            ran.clear();
            emit window.controls().tlbIcon->actionTriggered(a);
            EXPECT_TRUE(commands(ran).empty());
        }
}

TEST(Menus, NothingRunsWhileBusyOrDisabled)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    int runs = 0;
    window.commands().wireCommand(Command::Upload, [&] { ++runs; });
    window.commands().run(Command::Upload); // off as built
    window.commands().TLB_Icon_ButtonClick(jvz::IconButton::Upload);
    EXPECT_EQ(runs, 0);
    window.commands().switchCommand(Command::Upload, true);
    {
        BusyScope busy(window.commands());
        window.commands().run(Command::Upload);
        window.commands().TLB_Icon_ButtonClick(jvz::IconButton::Upload);
        EXPECT_EQ(runs, 0);
    }
    window.commands().run(Command::Upload);
    EXPECT_EQ(runs, 1);
}

TEST(Menus, ConnectButtonRunsTheSequenceThenResetsTheExchangeBookkeeping)
{
    MainWindowWorld w;
    int sequences = 0;
    w.connectSequence = [&](bool modemSetupDone) {
        EXPECT_FALSE(modemSetupDone);
        EXPECT_TRUE(w.window->commands().isBusy()) << "the sequence's waits run inside the busy bracket";
        w.state.session.swapTotalSize = 99;
        w.state.session.swapUnchecked = false;
        ++sequences;
    };
    frmMainJVZ& window = w.build();
    w.attachSession();
    window.commands().TLB_Icon_ButtonClick(jvz::IconButton::Connect);
    EXPECT_EQ(sequences, 1);
    EXPECT_EQ(w.state.session.swapTotalSize, 0);
    EXPECT_TRUE(w.state.session.swapUnchecked);
    w.state.session.swapTotalSize = 99;
    w.action("MNU_Terminal_Connect")->trigger(); // the menu item leaves the bookkeeping alone
    EXPECT_EQ(sequences, 2);
    EXPECT_EQ(w.state.session.swapTotalSize, 99);
}

TEST(Menus, HangUpRunsTheDisconnect)
{
    MainWindowWorld w;
    w.settings.gNTProtocol = false;
    w.settings.gWaitingDcxTime = 0;
    w.dialUpLink = true;
    frmMainJVZ& window = w.build();
    auto& d = w.attachSession();
    w.assembly->session().vars.LinkUp = true;
    QAction* hangUp = w.action("MNU_Connection_HangUp");
    EXPECT_FALSE(hangUp->isVisible());
    window.commands().run(Command::ConnectionHangUp);
    EXPECT_EQ(d.dialUp.hangUps, 1);
}

TEST(Menus, ActivityChoice)
{
    MainWindowWorld w;
    w.batch.gActivity = 3;
    w.settings.gNTProtocol = true;
    frmMainJVZ& window = w.build();
    // An activity chosen anew ends the FTP session and asks the terminal for it.
    w.attachSession();
    int refreshes = 0;
    EXPECT_EQ(window.activityAsked(), 3);
    EXPECT_TRUE(w.action("MNU_Activity_Maintenance")->isChecked());
    EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::Activity), QStringLiteral("Activity: Maintenance"));

    const struct {
        const char* item;
        int activity;
        const char* panel;
        int refreshes;
    } steps[] = {
        {"MNU_Activity_Diagnostic", 2, "Activity: Diagnostic", 1},
        {"MNU_Activity_Diagnostic", 2, "Activity: Diagnostic", 1}, // the checked one: only the panel
        {"MNU_Activity_Download", 1, "Activity: Download", 2},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.item);
        window.statusBars().SetStatusPanel(jvz::StatusPanel::Activity, QString());
        // The session as it reports an open FTP session.
        w.assembly->session().vars.FtpSessionOpen = true;
        emit w.assembly->session().ftpSessionOpenChanged(true);
        w.action(s.item)->trigger();
        refreshes += w.assembly->session().vars.FtpSessionOpen ? 0 : 1;
        EXPECT_EQ(window.activityAsked(), s.activity);
        EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::Activity), QLatin1String(s.panel));
        EXPECT_EQ(refreshes, s.refreshes);
        int checked = 0;
        for (const char* n : {"MNU_Activity_Download", "MNU_Activity_Diagnostic", "MNU_Activity_Maintenance"})
            checked += w.action(n)->isChecked() ? 1 : 0;
        EXPECT_EQ(checked, 1);
        EXPECT_TRUE(w.action(s.item)->isChecked());
    }
}

TEST(Menus, ActivityFromTheCommandLineOutOfRangeIsDownload)
{
    MainWindowWorld w;
    w.batch.gActivity = 9;
    frmMainJVZ& window = w.build();
    EXPECT_EQ(window.activityAsked(), 1);
    EXPECT_TRUE(w.action("MNU_Activity_Download")->isChecked());
}

TEST(Menus, BarTogglesFollowTheSettingsAndMoveTheBarsUp)
{
    const struct {
        const char* connectBar;
        bool x07;
        bool connectShown;
        bool itemShown;
    } cases[] = {
        {"yes", true, true, true},
        {"yes", false, false, false},
        {"no", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.connectBar) + (c.x07 ? " X07" : ""));
        MainWindowWorld w;
        w.settings.gConnectBar = QLatin1String(c.connectBar);
        w.settings.gX07 = c.x07;
        frmMainJVZ& window = w.build();
        window.show();
        EXPECT_EQ(window.controls().tlbConnect->isVisible(), c.connectShown);
        EXPECT_EQ(w.action("MNU_View_ConnectBar")->isVisible(), c.itemShown);
        EXPECT_EQ(w.action("MNU_View_ConnectBar")->isChecked(), c.connectShown);
        EXPECT_EQ(window.controls().toolbar3->findChild<QAction*>(QStringLiteral("BackFolder"))->isVisible(), c.x07);

        QApplication::processEvents();
        const int iconTop = window.controls().tlbIcon->y();
        const int explorerTop = window.controls().toolbar1->mapTo(&window, QPoint(0, 0)).y();
        w.action("MNU_View_IconBar")->trigger();
        QApplication::processEvents();
        EXPECT_FALSE(window.controls().tlbIcon->isVisible());
        EXPECT_FALSE(w.action("MNU_View_IconBar")->isChecked());
        if (c.connectShown) {
            EXPECT_EQ(window.controls().tlbConnect->y(), iconTop) << "the connection bar goes to the top";
        }
        EXPECT_LT(window.controls().toolbar1->mapTo(&window, QPoint(0, 0)).y(), explorerTop);
        w.action("MNU_View_IconBar")->trigger();
        EXPECT_TRUE(window.controls().tlbIcon->isVisible());
    }
}

TEST(Menus, IconBarOffFromTheSettings)
{
    MainWindowWorld w;
    w.settings.gIconBar = QStringLiteral("No");
    frmMainJVZ& window = w.build();
    window.show();
    EXPECT_FALSE(window.controls().tlbIcon->isVisible());
    EXPECT_FALSE(w.action("MNU_View_IconBar")->isChecked());
}

TEST(Menus, TraceItemOnlyWithDebug)
{
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug);
        MainWindowWorld w;
        w.settings.gDebug = debug;
        frmMainJVZ& window = w.build();
        window.show();
        QAction* item = w.action("MNU_View_Trace");
        EXPECT_EQ(item->isVisible(), debug);
        EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("MNU_V1"))->isVisible(), debug);
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(window.controls().txtTrace->isVisible());
        if (!debug)
            continue;
        const QPoint place = window.controls().txtTrace->pos();
        item->trigger();
        EXPECT_TRUE(window.controls().txtTrace->isVisible());
        EXPECT_EQ(window.controls().txtTrace->pos(), place) << "the box keeps its place";
        item->trigger();
        EXPECT_FALSE(window.controls().txtTrace->isVisible());
    }
}

TEST(Menus, LinkItemsShownAsDecided)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    window.show();
    EXPECT_TRUE(w.action("MNU_Connection_Config")->isVisible());
    EXPECT_TRUE(w.action("MNU_Connection_Modem")->isVisible());
    for (const char* hidden : {"MNU_Connection_Network", "MNU_Connection_Device", "MNU_Connection_HangUp"})
        EXPECT_FALSE(w.action(hidden)->isVisible()) << hidden;
    EXPECT_FALSE(w.action("MNU_Connection_Network")->isEnabled());
    // The assembly gives the entries the phonebook's handlers: they are on.
    EXPECT_TRUE(w.action("MNU_Connection_Config")->isEnabled());
}

TEST(Menus, UsersGuide)
{
    const struct {
        const char* name;
        bool present;
        bool opens;
        const char* box;
        MessageIcon icon;
    } cases[] = {
        {"missing", false, true, "The user's guide is not found", MessageIcon::Critical},
        {"no reader", true, false, "No program is set to open PDF files", MessageIcon::Exclamation},
        {"opened", true, true, nullptr, MessageIcon::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowWorld w;
        if (c.present)
            jvztest::writeFileBytes((w.folder + QStringLiteral("/JVZ User Guide.pdf")).toStdString(), "%PDF");
        QStringList opened;
        w.openDocument = [&](const QString& path) {
            opened << path;
            return c.opens;
        };
        w.build();
        w.action("MNU_Help_Guide")->trigger();
        EXPECT_EQ(opened.size(), c.present ? 1 : 0);
        if (!c.box) {
            EXPECT_TRUE(w.notifier.shown.empty());
            EXPECT_EQ(opened.value(0), w.folder + QStringLiteral("/JVZ User Guide.pdf"));
            continue;
        }
        ASSERT_EQ(w.notifier.shown.size(), 1u);
        EXPECT_EQ(w.notifier.shown[0].text, QLatin1String(c.box));
        EXPECT_EQ(w.notifier.shown[0].icon, c.icon);
    }
}

TEST(Menus, AboutOpensModalAndCloses)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    window.show();
    QString title;
    QString version;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        version = box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
        box->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    });
    w.action("MNU_Help_About")->trigger();
    EXPECT_TRUE(title.startsWith(QStringLiteral("JVZ V")));
    EXPECT_TRUE(version.startsWith(QStringLiteral("Version ")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Every key has one owner where the focus is: the window's menu keys plus the keys of the focused view.
TEST(Menus, NoTwoEnabledActionsShareAKeyInOneContext)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    // Everything on, as far as it can be: the worst case for collisions.
    for (int i = 0; i < kCommandCount; ++i) {
        window.commands().wireCommand(static_cast<Command>(i), [] {});
        window.commands().switchCommand(static_cast<Command>(i), true);
    }
    window.commands().state().setDownloadSelection(true);
    window.commands().apply();
    QList<QAction*> windowWide;
    for (QAction* a : window.findChildren<QAction*>())
        if (!a->shortcut().isEmpty() && a->shortcutContext() == Qt::WindowShortcut && a->isEnabled())
            windowWide << a;
    const auto focused = [&](QWidget* view) {
        QList<QAction*> keys = windowWide;
        if (view)
            for (QAction* a : view->actions())
                if (!a->shortcut().isEmpty() && a->isEnabled())
                    keys << a;
        return keys;
    };
    const auto& ui = window.controls();
    for (QWidget* context :
         {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(ui.treeView1), static_cast<QWidget*>(ui.listView1),
          static_cast<QWidget*>(ui.listView2), static_cast<QWidget*>(ui.filter)}) {
        SCOPED_TRACE(context ? context->objectName().toStdString() : "window");
        QMap<QKeySequence, QString> owners;
        for (QAction* a : focused(context)) {
            EXPECT_FALSE(owners.contains(a->shortcut()))
                << a->shortcut().toString().toStdString() << ": " << owners.value(a->shortcut()).toStdString()
                << " and " << a->objectName().toStdString();
            owners.insert(a->shortcut(), a->objectName());
        }
    }
    // The view-local keys never reach a text box.
    for (QAction* a : ui.listView1->actions())
        EXPECT_NE(a->shortcutContext(), Qt::WindowShortcut) << a->objectName().toStdString();
}

TEST(Menus, ShortcutsAsDesigned)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    const struct {
        const char* item;
        const char* key;
    } rows[] = {
        {"MNU_Terminal_Connect", "F4"},
        {"MNU_Terminal_Disconnect", "Ctrl+F4"},
        {"MNU_Terminal_Download", "F2"},
        {"MNU_Terminal_Upload", "Ctrl+F2"},
        {"MNU_Terminal_Application_List", "Ctrl+F"},
        {"MNU_Terminal_Config", "Ctrl+I"},
        {"MNU_Terminal_Info", "Ctrl+J"},
        {"MNU_Terminal_Quit", "Ctrl+Q"},
        {"MNU_Help_Guide", "F1"},
        {"MNU_ContextuelAddPath", "Shift+Ins"},
        {"MNU_ContextuelDelPath", "Shift+Del"},
        {"MNU_ContextuelCopy", "Ctrl+C"},
        {"MNU_ContextuelDelete", "Del"},
        {"MNU_Contextuelrafra\xC3\xAE"
         "chir",
         "F5"},
        {"MNU_Catalog_description", "F9"},
        {"MNU_Catalog_create", "F7"},
        {"MNU_Catalog_family", "F8"},
        {"MNU_CatalogPack_Add", "F6"},
        {"MNU_CatalogPack_Create", "Ctrl+F6"},
        {"MNU_CatalogPack_Reset", "Ctrl+Shift+F6"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(w.action(r.item)->shortcut(), QKeySequence(QLatin1String(r.key))) << r.item;
    (void)window;
}

TEST(Menus, CtrlJInTheLocalListMovesToTheTerminalListOnlyWhileTheCommandIsOff)
{
    MainWindowWorld w;
    frmMainJVZ& window = w.build();
    window.show();
    QApplication::setActiveWindow(&window);
    int infos = 0;
    window.commands().wireCommand(Command::TerminalInfo, [&] { ++infos; });
    window.controls().listView1->setFocus();
    QTest::keyClick(window.controls().listView1, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(infos, 0);
    EXPECT_TRUE(window.controls().listView2->hasFocus());

    window.commands().EnableTerminalInfoCommand();
    window.controls().listView1->setFocus();
    QTest::keyClick(window.controls().listView1, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(infos, 1);
    EXPECT_TRUE(window.controls().listView1->hasFocus());
}

} // namespace
