// The main window as the program assembles it (WindowAssembly), driven with keys as a user drives it and read
// where a user reads: the header texts, the caption over the terminal list, the icon bar. Where a terminal is
// needed it is played on loopback by the scripted session peer calling from the terminal's own address and an
// FTP server on that address, port 21; each test has an address of its own so that they run side by side.

#include "../session/SessionFrames.h"
#include "../workspace/MainWindowWorld.h"
#include "../workspace/UserInput.h"
#include "FakeVolumeSource.h"
#include "FtpServerFixture.h"
#include "Paths.h"
#include "ScriptedTerminalPeer.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "WindowTicks.h"
#include "core/RuntimeTimings.h"
#include "core/ui/MessageBoxNotifier.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "terminal_files/ui/FrmReadTextFile.h"
#include "workspace/CommandState.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace jvz;
using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;
using jvztest::focus;
using jvztest::goToRow;
using jvztest::press;
using jvztest::rowsOf;

namespace {

const QHostAddress kProgramAddress(QStringLiteral("127.0.0.1"));
constexpr int kBoundMs = 20000;

QStringList headersOf(const QTreeView* view)
{
    QStringList titles;
    for (int c = 0; view->model() && c < view->model()->columnCount(); ++c)
        titles << view->model()->headerData(c, Qt::Horizontal).toString();
    return titles;
}

// The drives the local explorer shows: two scratch folders with long names, the first as the home folder.
struct ScratchDrives {
    ScratchDrives()
    {
        home = QString::fromStdString(jvztest::makeScratchDir("home-of-a-user-with-a-long-name")) + u'/';
        data = QString::fromStdString(jvztest::makeScratchDir("data-volume")) + u'/';
        volumes.add(home, DriveKind::Fixed, true, QStringLiteral("SYSTEM"), QStringLiteral("1234-ABCD"));
        volumes.add(data, DriveKind::Removable, true, QStringLiteral("DATA"), QStringLiteral("5678-EF01"));
    }
    QString home;
    QString data;
    jvztest::FakeVolumeSource volumes;
};

// The assembled window over the scratch drives, shown and active (keys reach their shortcuts).
struct ShownWindow {
    explicit ShownWindow(const QString& selection = QString())
    {
        world.volumes = &drives.volumes;
        if (!selection.isEmpty())
            world.settings.gSelection = selection;
        window = &world.buildShown();
        active = window->isActiveWindow();
    }
    ScratchDrives drives;
    jvztest::MainWindowWorld world;
    frmMainJVZ* window = nullptr;
    bool active = false;
};

// The program's window on a terminal at the given loopback address. With the session protocol, the link is
// not dialled: the connect sequence only opens the session socket, and the peer calls it. Without (a network
// link), the program's own connect sequence opens the FTP session at the address of TXT_IP.
class TerminalWorld {
public:
    TerminalWorld(const char* terminalAddress, bool sessionProtocol, int serverSeconds = 120)
        : m_terminal(QLatin1String(terminalAddress))
    {
        jvztest::FtpServerFixture::Options options;
        options.host = m_terminal.toString();
        options.port = 21;
        options.user = "ftpuser";
        options.password = "905173";
        options.maxSeconds = serverSeconds;
        ftp = std::make_unique<jvztest::FtpServerFixture>(options);

        QTcpServer probe;
        if (probe.listen(kProgramAddress, 0))
            sessionPort = probe.serverPort();
        probe.close();

        AppSettings& s = world.settings;
        s.gNTProtocol = sessionProtocol;
        s.gFtpUserName = QStringLiteral("ftpuser");
        s.gFtpPassword = QStringLiteral("905173");
        s.gIpLocalAddress = sessionProtocol ? kProgramAddress.toString() : m_terminal.toString();
        s.gIpPort = QString::number(sessionPort);
        s.gWaitingDcxTime = 0;
        world.batch.gSerialLink = sessionProtocol;
        world.realFtp = &client;
        world.realTransport = &transport;
        world.realClock = &clock;
        world.volumes = &drives.volumes;
        if (sessionProtocol) {
            world.connectSequence = [this](bool) {
                SessionRuntime* runtime = &world.assembly->session();
                if (!runtime->tcpclient().listen(kProgramAddress.toString(), QString::number(sessionPort)))
                    return;
                runtime->vars.SocketActive = true;
                runtime->vars.LinkUp = true;
            };
        }
    }

    ~TerminalWorld()
    {
        if (world.assembly)
            world.assembly->session().CloseFtpSession();
        transport.close();
    }

    // The terminal's files, then the window built as start-up builds it, shown and active.
    bool start(int16_t language = 1)
    {
        if (!ftp->start() || sessionPort == 0)
            return false;
        ftp->putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10000000\r\n");
        ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), QByteArray(2500, 'd'));
        ftp->putLocal(QStringLiteral("\\SWAP\\APPLI.ADF"), QByteArray(700, 'a'));
        ftp->putLocal(QStringLiteral("\\HOST\\HOST.CFG"), QByteArray(900, 'h'));
        ftp->putLocal(QStringLiteral("\\HOST\\PARAM.PAR"), QByteArray(120, 'p'));
        ftp->putLocal(QStringLiteral("\\APPS\\APP.SGN"), QByteArray(64, 's'));
        window = &world.build(language);
        window->resize(1280, 720);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    // F4 with the focus in the terminal list: the connect, then the terminal's call when it plays one.
    void connect(jvztest::ScriptedTerminalPeer* peer)
    {
        focus(window->controls().listView2);
        press(Qt::Key_F4);
        if (peer)
            peer->start(kProgramAddress, sessionPort, m_terminal);
    }

    // The program's FTP bounds, a dead call cut short.
    static FtpTimeouts windowBounds()
    {
        FtpTimeouts bounds = RuntimeTimings{}.ftp;
        bounds.connectMs = 5000;
        bounds.stallSeconds = 5;
        return bounds;
    }

    QString caption(const QString& folder) const
    {
        return window->language().GetFormLabel(QStringLiteral("TerminalContent")) + u'\'' + folder + u'\'';
    }

    bool waitForTerminalRows(const QString& name) const
    {
        return QTest::qWaitFor([&] { return rowsOf(window->controls().listView2).contains(name); }, kBoundMs);
    }

    std::unique_ptr<jvztest::FtpServerFixture> ftp;
    CurlFtpClient client{windowBounds()};
    SteadyClock clock;
    TcpSessionTransport transport;
    ScratchDrives drives;
    jvztest::MainWindowWorld world; // after what its session uses
    frmMainJVZ* window = nullptr;
    quint16 sessionPort = 0;

private:
    QHostAddress m_terminal;
};

QList<Step> identifiedTerminal(const QByteArray& productCode)
{
    return {
        Step::send(jvztest::terminalIdentification(productCode)),
        Step::expect(jvztest::ownIdentification()),
        Step::send(bytes({17, 1, 0})),
        Step::expect(bytes({32, 1, 1})),
        Step::send(bytes({33, 27, 0}) + "DOWNLOAD   SWAP           "),
        Step::wait(15000),
    };
}

// The terminal list names its columns as the program starts, in each language; a second InitLanguage with the
// other column labels every pane again.
TEST(AssembledWindowTexts, EveryPaneLabelledAtStartAndAgainByASecondInitLanguage)
{
    for (int16_t number : {1, 2}) {
        SCOPED_TRACE(number);
        jvztest::MainWindowWorld w;
        frmMainJVZ& window = w.build(number);
        const MBLanguages texts = w.language(number);
        const auto label = [&](const char* key) { return texts.GetFormLabel(QLatin1String(key)); };
        const QStringList terminalTitles = {label("TerminalListName"), label("TerminalListSize"),
                                            label("TerminalListDate")};
        for (const QString& t : terminalTitles)
            EXPECT_FALSE(t.isEmpty());
        EXPECT_EQ(headersOf(window.controls().listView2), terminalTitles);
    }

    ScratchDrives drives;
    jvztest::MainWindowWorld w;
    w.volumes = &drives.volumes;
    // The favourites hold the drive view, stored under its one name.
    jvztest::writeFileBytes((w.folder + QStringLiteral("/JVZ.bmk")).toStdString(),
                            (drives.data + QStringLiteral("\r\nMy Computer\r\n")).toStdString());
    frmMainJVZ& window = w.build(1);
    window.show();
    const MainWindowControls& ui = window.controls();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.combo5->count() == 2; }, kBoundMs));
    const auto shown = [&] {
        return QStringList{headersOf(ui.listView2).join(u'|'),
                           headersOf(ui.listView1).join(u'|'),
                           ui.mnuView->title(),
                           ui.action(Command::Connect)->text(),
                           ui.combo5->accessibleName(),
                           ui.listView2->accessibleName(),
                           window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState),
                           ui.combo5->itemText(1),
                           ui.treeView1->model()->index(0, 0).data().toString(),
                           ui.imageCombo1->itemText(0)};
    };
    const QStringList english = shown();
    window.InitLanguage(w.language(2));
    const QStringList french = shown();
    const MBLanguages fr = w.language(2);
    EXPECT_EQ(french.at(0), QStringList({fr.GetFormLabel(QStringLiteral("TerminalListName")),
                                         fr.GetFormLabel(QStringLiteral("TerminalListSize")),
                                         fr.GetFormLabel(QStringLiteral("TerminalListDate"))})
                                .join(u'|'));
    // The drive view's one text in the favourites, the tree and the path combo.
    EXPECT_EQ(french.mid(7),
              QStringList(3, fr.GetFormLabel(QStringLiteral("MyComputer"), QStringLiteral("frmMainJVZ"))));
    EXPECT_EQ(ui.combo5->itemText(0), drives.data);
    for (int i = 0; i < english.size(); ++i) {
        EXPECT_FALSE(french.at(i).isEmpty()) << i;
        EXPECT_NE(french.at(i), english.at(i)) << i << " " << english.at(i).toStdString();
    }
    window.InitLanguage(w.language(1));
    EXPECT_EQ(shown(), english) << "and back";
}

// The path combo only picks; a path is typed into Combo5, where Enter opens it. F5 in the local list lists the
// folder again.
TEST(AssembledWindowLocal, TypedPathOpensAndF5InTheListShowsAFileAddedMeanwhile)
{
    ShownWindow shown(QStringLiteral("*.*")); // every file listed, not only catalogues
    ASSERT_TRUE(shown.active);
    frmMainJVZ& window = *shown.window;
    const ScratchDrives& drives = shown.drives;
    const MainWindowControls& ui = window.controls();
    EXPECT_FALSE(ui.imageCombo1->isEditable());
    EXPECT_EQ(ui.imageCombo1->lineEdit(), nullptr);

    const QString folder = drives.data + QStringLiteral("work");
    ASSERT_TRUE(QDir().mkpath(folder));
    jvztest::writeFileBytes((folder + QStringLiteral("/first.txt")).toStdString(), "1");
    focus(ui.combo5);
    ui.combo5->lineEdit()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), folder);
    press(Qt::Key_Return);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.localExplorer()->CurrentLocalFolder() == folder + u'/'; }, kBoundMs))
        << window.localExplorer()->CurrentLocalFolder().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(ui.listView1).contains(QStringLiteral("first.txt")); }, kBoundMs));

    jvztest::writeFileBytes((folder + QStringLiteral("/added.txt")).toStdString(), "2");
    focus(ui.listView1);
    press(Qt::Key_F5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowsOf(ui.listView1).contains(QStringLiteral("added.txt")); }, kBoundMs))
        << rowsOf(ui.listView1).join(u',').toStdString();
    EXPECT_EQ(window.localExplorer()->CurrentLocalFolder(), folder + u'/');
}

// A folder of 20,000 files typed into Combo5: the window's timer keeps ticking every 10 ms while it is read
// (its longest gap well under 100 ms), and the whole list is shown, its count in the status bar.
TEST(AssembledWindowLocal, TwentyThousandFilesAreListedWhileTheWindowsTimerTicks)
{
    ShownWindow shown(QStringLiteral("*.*"));
    ASSERT_TRUE(shown.active);
    frmMainJVZ& window = *shown.window;
    const MainWindowControls& ui = window.controls();
    const QString folder = shown.drives.data + QStringLiteral("many");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < 20000; ++i) {
        const QByteArray path =
            QFile::encodeName(folder + QStringLiteral("/file%1.M40").arg(i, 5, 10, QLatin1Char('0')));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    focus(ui.combo5);
    ui.combo5->lineEdit()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), folder);

    const QString count = QStringLiteral("20,000 objects found");
    jvztest::WindowTicks ticks;
    press(Qt::Key_Return);
    const bool listed = QTest::qWaitFor(
        [&] {
            return ui.listView1->model()->rowCount() == 20000 &&
                   window.statusBars().StatusPanelText(jvz::StatusPanel::ObjectCount) == count;
        },
        kBoundMs);
    const qint64 shownAfter = ticks.elapsed();
    ticks.stop();
    const qint64 gap = ticks.longestGap();
    std::printf(
        "[ figure ] 20,000 files shown after %lld ms; %zu ticks, longest gap %lld ms (%lld ms raw) at %lld ms\n",
        static_cast<long long>(shownAfter), ticks.ticks(), static_cast<long long>(gap),
        static_cast<long long>(ticks.longestRawGap()), static_cast<long long>(ticks.longestGapFrom()));
    ASSERT_TRUE(listed) << window.statusBars().StatusPanelText(jvz::StatusPanel::ObjectCount).toStdString();
    EXPECT_EQ(window.localExplorer()->CurrentLocalFolder(), folder + u'/');
    EXPECT_EQ(rowsOf(ui.listView1).first(), QStringLiteral("file00000.M40"));
    EXPECT_EQ(rowsOf(ui.listView1).last(), QStringLiteral("file19999.M40"));
    EXPECT_LT(gap, jvztest::timeBoundMs(100)) << "the window's thread went unserved while the folder was read";
}

// At "My Computer" the drive rows are listed whole: the name column is as wide as the longest.
TEST(AssembledWindowLocal, DriveNamesAreNotCut)
{
    ShownWindow shown;
    const ScratchDrives& drives = shown.drives;
    QTreeView* list = shown.window->controls().listView1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 2; }, kBoundMs));
    for (const QString& name : rowsOf(list))
        EXPECT_TRUE(name.contains(drives.home.chopped(1)) || name.contains(drives.data.chopped(1)))
            << name.toStdString();
    EXPECT_GE(list->columnWidth(0), static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0));
}

// F6-F9 run their commands through the command table, refused while the window is busy; the tree's Shift+Ins
// and Shift+Del too, each once.
TEST(AssembledWindowKeys, CatalogueAndFavouriteKeysGoThroughTheCommandTable)
{
    ShownWindow shown;
    ASSERT_TRUE(shown.active);
    frmMainJVZ& window = *shown.window;
    const MainWindowControls& ui = window.controls();

    const struct {
        Command command;
        int key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {Command::PackAdd, Qt::Key_F6, Qt::NoModifier},
        {Command::CatalogCreate, Qt::Key_F7, Qt::NoModifier},
        {Command::CatalogFamily, Qt::Key_F8, Qt::NoModifier},
        {Command::CatalogDescription, Qt::Key_F9, Qt::NoModifier},
    };
    QMap<int, int> runs;
    focus(ui.listView1); // the list's focus sets the commands from its selection: switched on after it
    for (const auto& k : keys) {
        window.commands().wireCommand(k.command, [&runs, c = k.command] { ++runs[int(c)]; });
        window.commands().switchCommand(k.command, true);
    }
    // The selection offers the catalogue menu.
    LocalSelectionFlags offered;
    offered.packAdd = offered.catalog = true;
    offered.catalogDescription = offered.catalogCreate = offered.catalogFamily = true;
    window.commands().state().setLocalSelection(offered);
    window.commands().apply();
    for (const auto& k : keys) {
        SCOPED_TRACE(commandName(k.command));
        press(k.key, k.modifiers);
        EXPECT_EQ(runs.value(int(k.command)), 1);
        {
            BusyScope busy(window.commands());
            press(k.key, k.modifiers);
        }
        EXPECT_EQ(runs.value(int(k.command)), 1) << "refused while busy";
    }

    int adds = 0;
    int removes = 0;
    window.commands().wireCommand(Command::ContextAddPath, [&] { ++adds; });
    window.commands().wireCommand(Command::ContextDelPath, [&] { ++removes; });
    focus(ui.treeView1);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    press(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(adds, 1);
    EXPECT_EQ(removes, 1);
    {
        BusyScope busy(window.commands());
        press(Qt::Key_Insert, Qt::ShiftModifier);
        press(Qt::Key_Delete, Qt::ShiftModifier);
    }
    EXPECT_EQ(adds, 1);
    EXPECT_EQ(removes, 1);
}

// The caption over the terminal list names the folder shown: \SWAP\, then \HOST\ and back. With screenshots
// of the window inside \HOST\ in each language.
TEST(AssembledWindowTerminal, CaptionFollowsTheFolderShown)
{
    const struct {
        const char* address;
        int16_t language;
        const char* screenshot;
    } runs[] = {{"127.0.0.31", 1, "terminal_list_en.png"}, {"127.0.0.32", 2, "terminal_list_fr.png"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.screenshot);
        TerminalWorld t(run.address, true);
        ASSERT_TRUE(t.start(run.language)) << t.ftp->errorString().toStdString();
        frmMainJVZ& window = *t.window;
        QTreeView* list = window.controls().listView2;
        jvztest::ScriptedTerminalPeer peer(identifiedTerminal("M40"));
        t.connect(&peer);
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("DIAG.DIA")))
            << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();
        EXPECT_EQ(window.statusBars().StatusBar4Text(), t.caption(QStringLiteral("\\SWAP\\")));

        focus(list);
        press(Qt::Key_B);
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("HOST"))) << rowsOf(list).join(u',').toStdString();
        goToRow(list, QStringLiteral("HOST"));
        press(Qt::Key_Return);
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("HOST.CFG"))) << rowsOf(list).join(u',').toStdString();
        EXPECT_EQ(window.statusBars().StatusBar4Text(), t.caption(QStringLiteral("\\HOST\\")));
        EXPECT_TRUE(t.world.notifier.shown.empty()) << "HOST asks no product code";

        const QString shot = jvztest::binDir() + QStringLiteral("/../screenshots/") + QLatin1String(run.screenshot);
        QDir().mkpath(QFileInfo(shot).absolutePath());
        window.resize(1500, 760);
        QTest::qWait(100); // laid out before the grab
        EXPECT_TRUE(window.grab().save(shot));

        press(Qt::Key_B);
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("SWAP")));
        goToRow(list, QStringLiteral("SWAP"));
        press(Qt::Key_Return);
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("DIAG.DIA")));
        EXPECT_EQ(window.statusBars().StatusBar4Text(), t.caption(QStringLiteral("\\SWAP\\")));
    }
}

// Maintenance chosen from the Activity menu while the terminal is still being asked for Download is what the
// terminal ends up asked for and running, and what the menu and the status panel show. Either while a refresh
// (the terminal filter left) waits for the terminal's end report, or while the terminal is answering the request
// the connection sent.
TEST(AssembledWindowTerminal, ActivityChosenWhileTheTerminalIsAskedIsTheOneAsked)
{
    const QByteArray maintenanceAuthorised = bytes({33, 27, 0}) + "MAINTENANCESWAP           ";
    QList<Step> listed = identifiedTerminal("M40");
    listed.removeLast(); // the session goes on below
    const struct {
        const char* name;
        const char* address;
        QList<Step> script;
        bool leaveFilter;       // the choice comes during the refresh, else before the first authorisation
        QByteArray choiceAfter; // what the terminal has received when the user chooses
    } runs[] = {
        {"during the end report", "127.0.0.35",
         listed + QList<Step>{Step::expect(bytes({34, 1, 0})), Step::wait(1500), Step::send(bytes({34, 1, 0}))}, true,
         bytes({34, 1, 0})},
        {"during the authorisation", "127.0.0.36",
         listed.mid(0, 4) + QList<Step>{Step::wait(1500), listed.at(4), Step::expect(bytes({34, 1, 0})),
                                        Step::send(bytes({34, 1, 0}))},
         false, bytes({32, 1, 1})},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        TerminalWorld t(run.address, true);
        ASSERT_TRUE(t.start()) << t.ftp->errorString().toStdString();
        frmMainJVZ& window = *t.window;
        const MainWindowControls& ui = window.controls();
        jvztest::ScriptedTerminalPeer peer(run.script + QList<Step>{Step::expect(bytes({32, 1, 3})),
                                                                    Step::send(maintenanceAuthorised),
                                                                    Step::wait(15000)});
        t.connect(&peer);
        if (run.leaveFilter) {
            ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("DIAG.DIA")))
                << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();
            focus(ui.combo3);
            press(Qt::Key_Tab);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received().endsWith(run.choiceAfter); }, kBoundMs))
            << peer.failure().toStdString();

        const QString activity = ui.mnuActivity->title();
        const qsizetype mnemonic = activity.indexOf(u'&');
        ASSERT_GE(mnemonic, 0) << activity.toStdString();
        press(Qt::Key_A + (activity.at(mnemonic + 1).toUpper().unicode() - u'A'), Qt::AltModifier);
        ASSERT_EQ(QApplication::activePopupWidget(), ui.mnuActivity);
        QAction* maintenance = ui.action(Command::ActivityMaintenance);
        for (int i = 0; i < 5 && ui.mnuActivity->activeAction() != maintenance; ++i)
            press(Qt::Key_Down);
        ASSERT_EQ(ui.mnuActivity->activeAction(), maintenance);
        press(Qt::Key_Return);
        EXPECT_TRUE(maintenance->isChecked());
        EXPECT_FALSE(ui.action(Command::ActivityDownload)->isChecked());
        EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::Activity),
                  QStringLiteral("Activity: Maintenance"));

        // The terminal is asked for maintenance and the list comes back under it.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return peer.received().endsWith(bytes({32, 1, 3})) || !peer.failure().isEmpty();
            },
            kBoundMs))
            << window.traceBox().text().toStdString();
        EXPECT_TRUE(peer.failure().isEmpty()) << peer.failure().toStdString();
        ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("DIAG.DIA"))) << window.traceBox().text().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.action(Command::TerminalInfo)->isEnabled(); }, kBoundMs));
        EXPECT_TRUE(maintenance->isChecked());
        EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::Activity),
                  QStringLiteral("Activity: Maintenance"));
    }
}

// Every box that comes up while the test runs, read and closed with its default button, as a user reads and
// answers it; the boxes are the real ones.
class BoxWatcher {
public:
    BoxWatcher()
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                if (!box || !box->isVisible() || m_answered.contains(box))
                    continue;
                m_answered << box;
                texts << box->text();
                box->accept();
            }
        });
        m_poll.start();
    }
    QStringList texts;

private:
    QTimer m_poll;
    QList<QMessageBox*> m_answered;
};

// A terminal of a code the product table does not know, and not one of ours: it is refused, and the user sees
// one box, the code named after the text.
TEST(AssembledWindowTerminal, UnknownProductCodeShowsOneBoxNamingTheCodeAfterTheText)
{
    TerminalWorld t("127.0.0.33", true);
    MessageBoxNotifier boxes{[] { return false; }};
    t.world.realNotifier = &boxes;
    ASSERT_TRUE(t.start()) << t.ftp->errorString().toStdString();
    frmMainJVZ& window = *t.window;
    BoxWatcher watcher;
    jvztest::ScriptedTerminalPeer peer(
        {Step::send(jvztest::terminalIdentification("Q77")), Step::expect(bytes({17, 1, 1})), Step::expectClosed()});
    t.connect(&peer);
    const QString expected =
        window.language().GetFormLabel(QStringLiteral("MSG_UnknownProductCode")) + QStringLiteral(": Q77");
    EXPECT_EQ(expected, QStringLiteral("unknown product code: Q77")) << "the shipped text";
    EXPECT_TRUE(peer.waitFinished(kBoundMs));
    EXPECT_TRUE(peer.succeeded()) << peer.failure().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watcher.texts.isEmpty(); }, kBoundMs))
        << window.traceBox().text().toStdString();
    QTest::qWait(300); // time for a second box
    EXPECT_EQ(watcher.texts, QStringList{expected}) << watcher.texts.join(u'|').toStdString();
}

// A network link: the program's own connect sequence opens the FTP session. The icon bar's Disconnect can end
// it, and a terminal that never identified itself asks no product code when a folder is opened.
TEST(AssembledWindowTerminal, NetworkConnectLeavesDisconnectOnAndAsksNoCodeOfAnUnidentifiedTerminal)
{
    TerminalWorld t("127.0.0.34", false);
    ASSERT_TRUE(t.start()) << t.ftp->errorString().toStdString();
    frmMainJVZ& window = *t.window;
    QTreeView* list = window.controls().listView2;
    t.connect(nullptr);
    ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("DIAG.DIA"))) << window.traceBox().text().toStdString();
    ASSERT_TRUE(window.commands().FtpSessionOpen());
    EXPECT_TRUE(window.controls().iconButton(jvz::IconButton::Disconnect)->isEnabled());

    focus(list);
    press(Qt::Key_B);
    ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("APPS")));
    goToRow(list, QStringLiteral("APPS"));
    press(Qt::Key_Return);
    ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("APP.SGN")));
    EXPECT_TRUE(t.world.notifier.shown.empty()) << t.world.notifier.shown.front().text.toStdString();

    // The toolbar's Disconnect ends the session.
    window.controls().iconButton(jvz::IconButton::Disconnect)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.commands().FtpSessionOpen(); }, kBoundMs));
}

// Connected over a network link, the user leaves the window for longer than libcurl's own idle age (118 s),
// then opens a terminal file with Enter: it arrives in the text viewer on the same login, no box comes up, and
// the status bar still shows the FTP session open. The wait is real (a LongWait suite: run apart, labelled slow).
TEST(LongWaitAssembledWindow, TerminalFileOpensAfterTwoMinutesIdle)
{
    constexpr int kIdleMs = 125000;
    TerminalWorld t("127.0.0.47", false, kIdleMs / 1000 + 90);
    ASSERT_TRUE(t.start()) << t.ftp->errorString().toStdString();
    const QByteArray readme = "Kept by the terminal\r\nsecond line\r\n";
    ASSERT_TRUE(t.ftp->putLocal(QStringLiteral("\\SWAP\\README.TXT"), readme));
    frmMainJVZ& window = *t.window;
    QTreeView* list = window.controls().listView2;
    t.connect(nullptr);
    ASSERT_TRUE(t.waitForTerminalRows(QStringLiteral("README.TXT"))) << window.traceBox().text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.commands().isBusy(); }, kBoundMs));
    const QString linkState = window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState);
    ASSERT_TRUE(window.commands().FtpSessionOpen());

    QTest::qWait(kIdleMs); // the window idle, its event loop running

    // The viewer is modal: it is read and closed from the event loop while Enter's handling waits on it.
    QString shown;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = window.findChild<FrmReadTextFile*>(QStringLiteral("FrmReadTextFile"));
        if (!viewer || !viewer->isVisible() || !shown.isEmpty())
            return;
        shown = viewer->text();
        const QString shot = jvztest::binDir() + QStringLiteral("/../screenshots/terminal_file_after_idle.png");
        QDir().mkpath(QFileInfo(shot).absolutePath());
        viewer->grab().save(shot);
        viewer->reject();
    });
    poll.start();
    QElapsedTimer opened;
    opened.start();
    focus(list);
    goToRow(list, QStringLiteral("README.TXT"));
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, kBoundMs)) << window.traceBox().text().toStdString();
    poll.stop();
    std::printf("[ figures  ] after %d s idle README.TXT showed in %lld ms; status '%s'; the server saw %lld USER\n",
                kIdleMs / 1000, opened.elapsed(),
                qPrintable(window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState)),
                static_cast<long long>(t.ftp->commands().count("USER ftpuser")));

    EXPECT_EQ(shown, QString::fromLatin1(readme).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(t.world.notifier.shown.empty()) << t.world.notifier.shown.front().text.toStdString();
    EXPECT_TRUE(window.commands().FtpSessionOpen());
    EXPECT_EQ(window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState), linkState);
    EXPECT_TRUE(rowsOf(list).contains(QStringLiteral("DIAG.DIA"))) << "the terminal list stands";
    EXPECT_EQ(t.ftp->commands().count("USER ftpuser"), 1);
}

} // namespace

namespace {

QStringList g_modelWarnings;

void recordModelWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QString category = QLatin1String(context.category ? context.category : "");
    if (type == QtWarningMsg && (category.contains(QLatin1String("checkindex")) ||
                                 text.contains(QLatin1String("invalid index"), Qt::CaseInsensitive)))
        g_modelWarnings << category + QStringLiteral(": ") + text;
}

// An interactive start (shown, at "My Computer", the combos filled) asks no model for data it does not have.
TEST(AssembledWindowStart, NoModelIndexWarningAtAnInteractiveStart)
{
    ScratchDrives drives;
    g_modelWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordModelWarnings);
    {
        jvztest::MainWindowWorld w;
        w.volumes = &drives.volumes;
        frmMainJVZ& window = w.build();
        window.resize(1100, 700);
        window.show();
        QTest::qWait(200);
        window.InitLanguage(w.language(2));
        QTest::qWait(50);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_modelWarnings.isEmpty()) << g_modelWarnings.join(u'\n').toStdString();
}

} // namespace
