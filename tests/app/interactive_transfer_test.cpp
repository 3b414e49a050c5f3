// The terminal list (keys, Toolbar3, filter box, drops) and the interactive transfers on the real main window
// (offscreen) with the real session, FTP client and socket, also against a terminal whose FTP data crawls (the
// window stays live, Cancel ends the file under way):
// the terminal is played by the scripted session peer calling from 127.0.0.2 and the FTP server on 127.0.0.2
// port 21. The link itself is not dialled: the window's connect sequence only opens the session socket.

#include "../session/SessionFrames.h"
#include "../workspace/MainWindowWorld.h"
#include "FakeNotifier.h"
#include "FtpServerFixture.h"
#include "HostileBounds.h"
#include "Paths.h"
#include "RowName.h"
#include "ScriptedTerminalPeer.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "WaitUntil.h"
#include "WindowTicks.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/PerUserFolder.h"
#include "core/RuntimeTimings.h"
#include "core/TerminalSession.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "session/Wininet.h"
#include "workspace/CommandState.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/TerminalPane.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <vector>

using namespace jvz;
using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;

namespace {

const QHostAddress kProgramAddress(QStringLiteral("127.0.0.1"));
const QHostAddress kTerminalAddress(QStringLiteral("127.0.0.2"));
// The hostile terminals' own address, so that they never meet another test's server on 127.0.0.2 port 21.
const QHostAddress kHostileTerminalAddress(QStringLiteral("127.0.28.7"));
constexpr int kBoundMs = 20000;

QByteArray authorisation()
{
    return bytes({33, 27, 0}) + "DOWNLOAD   SWAP           ";
}

// The terminal identifies itself as an M40, asks for the download and authorises it.
QList<Step> downloadAuthorised()
{
    return {
        Step::send(jvztest::terminalIdentification("M40")),
        Step::expect(jvztest::ownIdentification()),
        Step::send(bytes({17, 1, 0})),
        Step::expect(bytes({32, 1, 1})),
        Step::send(authorisation()),
    };
}

QByteArray fileBytes(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + seed * 7) & 0xff);
    return b;
}

void writeLocal(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readLocal(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The Cancel button of the copy window on screen.
QPushButton* copyWindowCancel()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (auto* button = top->findChild<QPushButton*>(QStringLiteral("BTN_Cancel")))
            return button;
    }
    return nullptr;
}

class InteractiveTransfer : public ::testing::Test {
protected:
    // A terminal whose FTP data comes as the producer gives (from the start, or once armed) and a window
    // whose FTP bounds are those given, through the program's timing table.
    explicit InteractiveTransfer(const jvztest::SlowTerminal& terminal = {}, bool armedLater = false,
                                 FtpTimeouts bounds = FtpTimeouts{5000, 5},
                                 const QHostAddress& address = kTerminalAddress)
        : InteractiveTransfer(terminal.options(), armedLater, bounds, address)
    {
    }
    InteractiveTransfer(jvztest::FtpServerFixture::Options options, bool armedLater, FtpTimeouts bounds,
                        const QHostAddress& address)
        : terminalAddress(address), timings(timingsWith(bounds))
    {
        options.host = terminalAddress.toString();
        options.port = 21;
        options.user = "ftpuser";
        options.password = "905173";
        options.maxSeconds = 120;
        options.armedLater = armedLater;
        ftp = std::make_unique<jvztest::FtpServerFixture>(options);
    }

    static RuntimeTimings timingsWith(FtpTimeouts bounds)
    {
        RuntimeTimings t;
        t.ftp = bounds;
        return t;
    }

    void SetUp() override
    {
        ASSERT_TRUE(ftp->start()) << ftp->errorString().toStdString();
        ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[exchange]\r\nDisk free size=10000000\r\n"));
        ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), dia));
        ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\APPLI.ADF"), adf));
        ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\TERMINAL.CNF"), "cnf"));
        ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIRFREE.SIZ"), QByteArray(3000, 'f')));
        ASSERT_TRUE(QDir().mkpath(ftp->localPath(QStringLiteral("\\HOST"))));

        QTcpServer probe;
        ASSERT_TRUE(probe.listen(kProgramAddress, 0));
        sessionPort = probe.serverPort();
        probe.close();

        settings.gNTProtocol = true;
        settings.gFtpUserName = QStringLiteral("ftpuser");
        settings.gFtpPassword = QStringLiteral("905173");
        settings.gIpLocalAddress = kProgramAddress.toString();
        settings.gIpPort = QString::number(sessionPort);
        settings.gWaitingDcxTime = 0;
        batch.gSerialLink = true; // the FTP server is the calling terminal's address
        window.init(world.language(1));

        localFolder = QString::fromStdString(jvztest::makeScratchDir("local")) + u'/';
        treeFolder = QString::fromStdString(jvztest::makeScratchDir("tree")) + u'/';
        listView1 = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
        treeView1 = window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
        listView2 = window.findChild<QTreeView*>(QStringLiteral("ListView2"));
        ASSERT_TRUE(listView1 && treeView1 && listView2);
        local = window.localExplorer();
        ASSERT_NE(local, nullptr);
        window.resize(1100, 700);
        window.show();
    }

    // The window over the real FTP client and session socket. The connect sequence as far as a terminal
    // without a link needs it: the session socket listens.
    frmMainJVZ& assembleOnTheTerminal()
    {
        world.realFtp = &client;
        world.realTransport = &transport;
        world.realClock = &clock;
        world.timings = timings;
        world.connectSequence = [this](bool) {
            SessionRuntime* runtime = &world.assembly->session();
            ASSERT_TRUE(runtime->tcpclient().listen(kProgramAddress.toString(), QString::number(sessionPort)));
            runtime->vars.SocketActive = true;
            runtime->vars.LinkUp = true;
        };
        return world.assemble();
    }

    void TearDown() override
    {
        if (world.assembly)
            world.assembly->session().CloseFtpSession();
        transport.close();
    }

    // Opens a local folder in the tree and the list, as a typed path does.
    void openLocal(const QString& folder)
    {
        local->GoToTypedPath(folder);
        ASSERT_TRUE(QTest::qWaitFor([&] { return local->CurrentLocalFolder() == folder; }, kBoundMs))
            << local->CurrentLocalFolder().toStdString();
    }

    // Connects, the peer calling as the terminal; then a fresh local folder holding an older DIAG.DIA is opened
    // and the terminal's DIAG.DIA selected, ready to be fetched over it.
    void connectAndSelectDiagOverAnOlderCopy(jvztest::ScriptedTerminalPeer& peer, QString* folder)
    {
        action("MNU_Terminal_Connect")->trigger();
        peer.start(kProgramAddress, sessionPort, terminalAddress);
        ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
            << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();
        *folder = QString::fromStdString(jvztest::makeScratchDir("fetchedinto")) + u'/';
        ASSERT_TRUE(jvztest::writeFileBytes((*folder + QStringLiteral("DIAG.DIA")).toStdString(), "old local"));
        openLocal(*folder);
        listView2->setFocus();
        selectRows(listView2, {QStringLiteral("DIAG.DIA")});
        window.commands().RefreshUploadCommand();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.commands().isBusy(); }, kBoundMs));
        ASSERT_TRUE(action("MNU_Terminal_Upload")->isEnabled());
    }

    // Connects, the peer calling as the terminal, until the terminal's list stands.
    void connectAndList(jvztest::ScriptedTerminalPeer& peer)
    {
        action("MNU_Terminal_Connect")->trigger();
        peer.start(kProgramAddress, sessionPort, terminalAddress);
        ASSERT_TRUE(jvztest::waitUntil([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
            << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();
        ASSERT_TRUE(jvztest::waitUntil([&] { return !window.commands().isBusy(); }, kBoundMs));
    }

    // Every file in the local list, not only catalogues, as the user sets the type box.
    void showEveryLocalFile()
    {
        auto* combo2 = window.findChild<QComboBox*>(QStringLiteral("Combo2"));
        ASSERT_NE(combo2, nullptr);
        combo2->setCurrentText(QStringLiteral("*.*"));
        local->Combo2_LostFocus();
    }

    QStringList localRows() const
    {
        QStringList names;
        for (int r = 0; r < listView1->model()->rowCount(); ++r)
            names << listView1->model()->index(r, 0).data().toString();
        return names;
    }

    QStringList terminalRows() const
    {
        QStringList names;
        for (int r = 0; r < listView2->model()->rowCount(); ++r)
            names << listView2->model()->index(r, 0).data().toString();
        return names;
    }

    void selectRows(QTreeView* view, const QStringList& names)
    {
        view->clearSelection();
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            const QModelIndex i = view->model()->index(r, 0);
            if (names.contains(i.data().toString()))
                view->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(QLatin1String(name)); }

    QByteArrayList commandsFrom(qsizetype start) const
    {
        QByteArrayList list;
        for (const QByteArray& c : ftp->commands().mid(start)) {
            if (!c.startsWith("PORT") && !c.startsWith("TYPE") && !c.startsWith("PWD") && !c.startsWith("EPRT") &&
                !c.startsWith("SIZE") && !c.startsWith("MDTM"))
                list << c;
        }
        return list;
    }

    QHostAddress terminalAddress; // where the terminal calls from and serves FTP (port 21)
    std::unique_ptr<jvztest::FtpServerFixture> ftp;
    RuntimeTimings timings; // the program's table: the client and the window take their bounds from it
    CurlFtpClient client{timings.ftp};
    SteadyClock clock;
    TcpSessionTransport transport;
    jvztest::MainWindowWorld world; // after the client and the socket its session uses
    AppSettings& settings = world.settings;
    BatchRun& batch = world.batch;
    TerminalSession& session = world.state.session;
    jvztest::FakeNotifier& notifier = world.notifier;
    frmMainJVZ& window = assembleOnTheTerminal();
    quint16 sessionPort = 0;
    QByteArray dia = fileBytes(2500, 1);
    QByteArray adf = fileBytes(700, 2);
    QString localFolder;
    QString treeFolder;
    LocalExplorerPane* local = nullptr;
    QTreeView* listView1 = nullptr;
    QTreeView* treeView1 = nullptr;
    QTreeView* listView2 = nullptr;
};

TEST_F(InteractiveTransfer, ConnectListDownloadUploadAndRefresh)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << QList<Step>{
                                           // The refresh ends the activity and asks for it again.
                                           Step::expect(bytes({34, 1, 0})),
                                           Step::send(bytes({34, 1, 0})),
                                           Step::expect(bytes({32, 1, 1})),
                                           Step::send(authorisation()),
                                           Step::wait(300),
                                       });

    action("MNU_Terminal_Connect")->trigger();
    peer.start(kProgramAddress, sessionPort, terminalAddress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().size() == 4; }, kBoundMs))
        << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();
    EXPECT_FALSE(terminalRows().contains(QStringLiteral("TERMINAL.CNF")));
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\SWAP\\"));

    const QString screenshot = jvztest::binDir() + QStringLiteral("/../screenshots/terminal_explorer.png");
    QDir().mkpath(QFileInfo(screenshot).absolutePath());
    window.resize(1280, 720);
    QTest::qWait(50); // the new size laid out before the grab
    EXPECT_TRUE(window.grab().save(screenshot));

    // Download: a catalogue list selected in the local list.
    const QByteArray app = fileBytes(6000, 3);
    const QByteArray host = fileBytes(900, 4);
    writeLocal(localFolder + QStringLiteral("app.sgn"), app);
    writeLocal(localFolder + QStringLiteral("host.cfg"), host);
    writeLocal(localFolder + QStringLiteral("LOAD.M40"), "; demo\r\n-eSWAP\r\napp.sgn\r\n-eHOST\r\nhost.cfg\r\n");
    openLocal(localFolder);
    const auto listed = [&](const QString& name) {
        for (int r = 0; r < listView1->model()->rowCount(); ++r)
            if (listView1->model()->index(r, 0).data().toString() == name)
                return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed(QStringLiteral("LOAD.M40")); }, kBoundMs));
    selectRows(listView1, {QStringLiteral("LOAD.M40")});

    // What the local list does when it takes the focus with a catalogue list selected.
    window.commands().state().setDownloadSelection(true);
    window.commands().RefreshTransferCommands(true);
    ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
    const qsizetype before = ftp->commands().size();
    action("MNU_Terminal_Download")->trigger();
    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\HOST\\HOST.CFG")), host);
    const QByteArrayList wire = commandsFrom(before);
    // Each folder is listed before its first put, so that a put the Cancel may cut short never writes over an
    // older file; new names are stored straight under their names.
    const QByteArrayList expected = {"RETR \\SWAP\\ACTIVITY.INF",
                                     "CWD ..\\SWAP",
                                     "LIST",
                                     "STOR APP.SGN",
                                     "CWD ..\\HOST",
                                     "LIST",
                                     "STOR HOST.CFG",
                                     "LIST"};
    EXPECT_EQ(wire, expected) << wire.join(" | ").toStdString();
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\HOST\\"));
    EXPECT_EQ(window.statusBars().StatusBar4Text(), QStringLiteral("Terminal: '\\HOST\\'"))
        << "the caption names the last folder";
    EXPECT_EQ(terminalRows(), QStringList{QStringLiteral("HOST.CFG")});
    EXPECT_FALSE(window.commands().isBusy());

    // Upload: two terminal files into the folder selected in the tree.
    listView2->setFocus();
    world.assembly->terminalPane().view().TerminalBackFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("SWAP")); }, kBoundMs));
    openLocal(treeFolder);
    EXPECT_EQ(world.assembly->terminalPane().view().selectedNames(), QStringList{QStringLiteral("HOST")})
        << "the folder left";
    selectRows(listView2, {QStringLiteral("SWAP")});
    world.assembly->terminalPane().view().OpenTerminalItem();
    ASSERT_TRUE(terminalRows().contains(QStringLiteral("DIAG.DIA"))) << terminalRows().join(u',').toStdString();
    selectRows(listView2, {QStringLiteral("DIAG.DIA"), QStringLiteral("APPLI.ADF"), QStringLiteral("DIRFREE.SIZ")});
    window.commands().RefreshUploadCommand();
    ASSERT_TRUE(action("MNU_Terminal_Upload")->isEnabled());
    action("MNU_Terminal_Upload")->trigger();
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("DIAG.DIA")), dia);
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("APPLI.ADF")), adf);
    EXPECT_FALSE(QFile::exists(treeFolder + QStringLiteral("DIRFREE.SIZ")));

    // Refresh with the protocol on: the list empties, the terminal is asked again and the list comes back.
    window.commands().run(Command::TerminalRefresh);
    EXPECT_TRUE(terminalRows().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
        << peer.failure().toStdString();
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
}

// Local files whose names differ only in characters the terminal's code page lacks, selected in the local
// list and downloaded: neither goes (both would be "?.SGN", the second over the first), each has its own box
// and trace line, and the sound file after them arrives.
TEST_F(InteractiveTransfer, LocalNamesWithoutAnExactTerminalNameAreRefusedOneByOne)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    action("MNU_Terminal_Connect")->trigger();
    peer.start(kProgramAddress, sessionPort, terminalAddress);
    ASSERT_TRUE(jvztest::waitUntil([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
        << peer.failure().toStdString();

    const QString zhe = QString::fromUtf8("\u0416.SGN");
    const QString ya = QString::fromUtf8("\u042F.SGN");
    const QByteArray sound = fileBytes(800, 5);
    writeLocal(localFolder + zhe, fileBytes(100, 6));
    writeLocal(localFolder + ya, fileBytes(100, 7));
    writeLocal(localFolder + QStringLiteral("SOUND.SGN"), sound);
    // Every file listed, not only catalogues, as the user sets the type box.
    auto* combo2 = window.findChild<QComboBox*>(QStringLiteral("Combo2"));
    ASSERT_NE(combo2, nullptr);
    combo2->setCurrentText(QStringLiteral("*.*"));
    local->Combo2_LostFocus();
    openLocal(localFolder);
    const auto listedRows = [&] {
        QStringList names;
        for (int r = 0; r < listView1->model()->rowCount(); ++r)
            names << listView1->model()->index(r, 0).data().toString();
        return names;
    };
    ASSERT_TRUE(jvztest::waitUntil([&] { return listedRows().size() == 3; }, kBoundMs))
        << listedRows().join(u',').toStdString();
    ASSERT_TRUE(listedRows().contains(zhe) && listedRows().contains(ya)) << listedRows().join(u',').toStdString();
    selectRows(listView1, {zhe, ya, QStringLiteral("SOUND.SGN")});
    window.commands().state().setDownloadSelection(true);
    window.commands().RefreshTransferCommands(true);
    ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
    const QStringList swapBefore = QDir(ftp->localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files);
    const qsizetype before = ftp->commands().size();
    notifier.shown.clear();
    action("MNU_Terminal_Download")->trigger();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !window.commands().isBusy(); }, kBoundMs));

    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\SOUND.SGN")), sound);
    const QByteArrayList wire = commandsFrom(before);
    for (const QByteArray& command : wire)
        EXPECT_FALSE(command.contains('?') || command.startsWith("RNFR")) << wire.join(" | ").toStdString();
    QStringList swapAfter = swapBefore;
    swapAfter << QStringLiteral("SOUND.SGN");
    swapAfter.sort();
    EXPECT_EQ(QDir(ftp->localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files, QDir::Name), swapAfter);
    const QString text = world.language(1).GetFormLabel(QStringLiteral("MSG_LocalNameNotSendable"));
    ASSERT_FALSE(text.isEmpty());
    QStringList boxes;
    for (const auto& shown : notifier.shown)
        boxes << shown.text;
    QStringList refusals;
    for (const QString& name : {zhe, ya})
        refusals << localFolder + name + QStringLiteral(" : ") + text;
    EXPECT_EQ(boxes, refusals);
    const QString trace = world.language(1).GetFormLabel(QStringLiteral("TRC_LocalNameRefused"));
    EXPECT_TRUE(window.traceBox().text().contains(trace + localFolder + zhe)) << window.traceBox().text().toStdString();
    EXPECT_TRUE(window.traceBox().text().contains(trace + localFolder + ya));
    EXPECT_TRUE(terminalRows().contains(QStringLiteral("SOUND.SGN"))) << "the terminal list was refilled";
}

// The terminal list's keys and Toolbar3: into a folder and back, delete, select all, relist; B does nothing
// once the session is gone.
TEST_F(InteractiveTransfer, TerminalListKeysAndToolbarDriveTheList)
{
    ASSERT_TRUE(QDir().mkpath(ftp->localPath(QStringLiteral("\\SWAP\\SUB"))));
    // Each relist with the protocol on ends the activity and asks for it again: F5, then Toolbar3's Refresh.
    const QList<Step> relist = {Step::expect(bytes({34, 1, 0})), Step::send(bytes({34, 1, 0})),
                                Step::expect(bytes({32, 1, 1})), Step::send(authorisation())};
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << relist << relist << Step::wait(30000));
    connectAndList(peer);
    QAbstractItemModelTester tester(listView2->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(terminalRows().contains(QStringLiteral("SUB"))) << terminalRows().join(u',').toStdString();
    auto* combo3 = window.findChild<QComboBox*>(QStringLiteral("Combo3"));
    ASSERT_NE(combo3, nullptr);

    selectRows(listView2, {QStringLiteral("SUB")});
    listView2->setFocus();
    QTest::keyClick(listView2, Qt::Key_Return);
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\SWAP\\SUB\\"));
    EXPECT_TRUE(terminalRows().isEmpty());
    EXPECT_EQ(window.statusBars().StatusBar4Text(), QStringLiteral("Terminal: '\\SWAP\\SUB\\'"));

    QTest::keyClick(listView2, Qt::Key_B);
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(combo3->currentText(), QStringLiteral("*.*"));
    EXPECT_TRUE(world.assembly->terminalPane().view().selectedNames().isEmpty())
        << "only a first-level folder is selected again";

    selectRows(listView2, {QStringLiteral("APPLI.ADF")});
    notifier.answers = {MessageAnswer::Yes};
    QTest::keyClick(listView2, Qt::Key_Delete);
    EXPECT_FALSE(terminalRows().contains(QStringLiteral("APPLI.ADF")));
    EXPECT_FALSE(QFile::exists(ftp->localPath(QStringLiteral("\\SWAP\\APPLI.ADF"))));

    QTest::keyClick(listView2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(world.assembly->terminalPane().view().selectedRows().size(), terminalRows().size());
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\NEW.SGN"), "n"));
    QTest::keyClick(listView2, Qt::Key_F5);
    EXPECT_TRUE(jvztest::waitUntil([&] { return terminalRows().contains(QStringLiteral("NEW.SGN")); }, kBoundMs))
        << peer.failure().toStdString();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !window.commands().isBusy(); }, kBoundMs));
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\NEWER.SGN"), "n"));
    auto* toolbar3 = window.findChild<QToolBar*>(QStringLiteral("Toolbar3"));
    ASSERT_NE(toolbar3, nullptr);
    QAction* refresh = nullptr;
    for (QAction* a : toolbar3->actions())
        refresh = a->objectName() == QLatin1String("Refresh") ? a : refresh;
    ASSERT_NE(refresh, nullptr);
    ASSERT_TRUE(refresh->isEnabled());
    refresh->trigger();
    EXPECT_TRUE(jvztest::waitUntil([&] { return terminalRows().contains(QStringLiteral("NEWER.SGN")); }, kBoundMs))
        << peer.failure().toStdString();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !window.commands().isBusy(); }, kBoundMs));

    // The session gone: B asks the terminal nothing.
    world.assembly->session().CloseFtpSession();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !window.commands().FtpSessionOpen(); }, kBoundMs));
    const qsizetype before = ftp->commands().size();
    listView2->setFocus();
    QTest::keyClick(listView2, Qt::Key_B);
    EXPECT_EQ(ftp->commands().size(), before) << commandsFrom(before).join(" | ").toStdString();
}

TEST_F(InteractiveTransfer, TerminalFilterBoxPickRelistsAtOnce)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    connectAndList(peer);
    auto* combo3 = window.findChild<QComboBox*>(QStringLiteral("Combo3"));
    ASSERT_NE(combo3, nullptr);
    combo3->addItem(QStringLiteral("*.DIA"));
    combo3->setCurrentIndex(combo3->findText(QStringLiteral("*.DIA")));
    emit combo3->activated(combo3->currentIndex());
    EXPECT_EQ(terminalRows(), QStringList{QStringLiteral("DIAG.DIA")});
}

// A second click while the first download waits on the copy window is refused, never re-entered.
TEST_F(InteractiveTransfer, DownloadSendsTheLocalSelectionOnceAndRefusesAClickMeanwhile)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    connectAndList(peer);
    const QByteArray app = fileBytes(5000, 1);
    writeLocal(localFolder + QStringLiteral("app.sgn"), app);
    writeLocal(localFolder + QStringLiteral("LOAD.M40"), "-eSWAP\r\napp.sgn\r\n");
    openLocal(localFolder);
    ASSERT_TRUE(jvztest::waitUntil([&] { return localRows().contains(QStringLiteral("LOAD.M40")); }, kBoundMs));
    selectRows(listView1, {QStringLiteral("LOAD.M40")});
    window.commands().state().setDownloadSelection(true);
    window.commands().RefreshTransferCommands(true);
    ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
    TerminalExplorerView& view = world.assembly->terminalPane().view();
    int refused = 0;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(window.commands().isBusy());
        const qsizetype before = ftp->commands().size();
        view.MNU_Terminal_Download_Click();
        view.MNU_Terminal_Upload_Click();
        refused += ftp->commands().size() == before ? 1 : 0;
    });
    action("MNU_Terminal_Download")->trigger();
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_TRUE(terminalRows().contains(QStringLiteral("APP.SGN"))) << "relisted after the transfer";
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("Combo3"))->currentText(), QStringLiteral("*.*"));
}

// The terminal's selection comes into the folder of the tree, and the local list shows it.
TEST_F(InteractiveTransfer, UploadGetsTheTerminalSelectionIntoTheTreesFolder)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    connectAndList(peer);
    showEveryLocalFile();
    openLocal(treeFolder);
    listView2->setFocus();
    selectRows(listView2, {QStringLiteral("DIAG.DIA"), QStringLiteral("APPLI.ADF")});
    window.commands().RefreshUploadCommand();
    ASSERT_TRUE(action("MNU_Terminal_Upload")->isEnabled());
    action("MNU_Terminal_Upload")->trigger();
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("DIAG.DIA")), dia);
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("APPLI.ADF")), adf);
    EXPECT_TRUE(jvztest::waitUntil(
        [&] {
            return localRows().contains(QStringLiteral("DIAG.DIA")) &&
                   localRows().contains(QStringLiteral("APPLI.ADF"));
        },
        kBoundMs))
        << localRows().join(u',').toStdString();
}

TEST_F(InteractiveTransfer, DropsThatDoNotComeFromTheOtherListDoNothing)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    connectAndList(peer);
    openLocal(treeFolder);
    selectRows(listView2, {QStringLiteral("DIAG.DIA")});
    const qsizetype before = ftp->commands().size();
    std::unique_ptr<QMimeData> mime(listView2->model()->mimeData({listView2->model()->index(0, 0)}));
    QDropEvent onTerminal(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(listView2->viewport(), &onTerminal);
    QDropEvent onLocal(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(listView1->viewport(), &onLocal);
    EXPECT_TRUE(QDir(treeFolder).entryList(QDir::Files).isEmpty());
    const QByteArrayList commands = commandsFrom(before);
    EXPECT_FALSE(std::any_of(commands.begin(), commands.end(), [](const QByteArray& c) {
        return c.startsWith("STOR") || c.startsWith("RETR");
    })) << commands.join(" | ").toStdString();
}

// The terminal's data connections move 2,000 bytes a second: a DIAG.DIA of 20,000 bytes takes 10 s.
constexpr int kTerminalRate = 2000;
constexpr int kSlowFileBytes = 10 * kTerminalRate;

class SlowTerminalWindow : public InteractiveTransfer {
protected:
    SlowTerminalWindow() : InteractiveTransfer(jvztest::SlowTerminal{kTerminalRate}) {}
};

// During a 10-second fetch the window's timer ticks keep coming every 100 ms at the latest and the window
// repaints; Cancel, answered Yes, ends the fetch within 200 ms, the old local file whole, no temporary file.
TEST_F(SlowTerminalWindow, WindowStaysLiveAndCancelEndsTheFileUnderWay)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), QByteArray(kSlowFileBytes, 'n')));
    QString folder;
    ASSERT_NO_FATAL_FAILURE(connectAndSelectDiagOverAnOlderCopy(peer, &folder));

    std::optional<jvztest::WindowTicks> ticks; // from the click on
    PaintCounter painted;
    listView2->viewport()->installEventFilter(&painted);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, listView2->viewport(), [&] { listView2->viewport()->update(); });

    qint64 answeredAt = -1;
    bool busyDuringTransfer = false;
    bool closeRefused = false;
    // Most of the 10 s go by before the cancel; the copy window is photographed on the way.
    QTimer::singleShot(1000, [&] {
        const QString shot = jvztest::binDir() + QStringLiteral("/../screenshots/slow_transfer_copy_window.png");
        QDir().mkpath(QFileInfo(shot).absolutePath());
        if (QPushButton* cancel = copyWindowCancel()) {
            EXPECT_TRUE(cancel->window()->grab().save(shot));
        }
        ticks->forgetLastTick(); // the photograph's own time is not the window's wait
    });
    QTimer::singleShot(8000, [&] {
        busyDuringTransfer = window.commands().isBusy();
        closeRefused = !window.close();
        QPushButton* cancel = copyWindowCancel();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton); // asks, and the notifier answers Yes
        answeredAt = ticks->elapsed();
        ticks->forgetLastTick();
    });
    ticks.emplace();
    repaint.start(200);
    action("MNU_Terminal_Upload")->trigger();
    const qint64 endedAt = ticks->elapsed();
    ticks->stop();
    repaint.stop();
    listView2->viewport()->removeEventFilter(&painted);

    const qint64 longestGap = ticks->longestGap();
    std::printf("%zu ticks; longest gap %lld ms, %lld ms of it the window's; answer to end %lld ms; %d paints\n",
                ticks->ticks(), static_cast<long long>(ticks->longestRawGap()), static_cast<long long>(longestGap),
                static_cast<long long>(endedAt - answeredAt), painted.paints);
    ASSERT_GE(answeredAt, 0) << "the transfer ended before the cancel";
    EXPECT_LT(endedAt - answeredAt, 200) << "from the answer to the end of the transfer";
    EXPECT_LT(longestGap, jvztest::timeBoundMs(100)) << "the window's thread stopped serving its timers";
    EXPECT_GT(painted.paints, 0);
    EXPECT_TRUE(busyDuringTransfer);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(readLocal(folder + QStringLiteral("DIAG.DIA")), "old local");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("DIAG.DIA")});
    ASSERT_FALSE(notifier.shown.empty());
    bool asked = false; // the copy window's question
    for (const auto& box : notifier.shown) {
        asked = asked || box.buttons == MessageButtons::YesNo;
        EXPECT_NE(box.title, QStringLiteral("FTP Error")) << box.text.toStdString();
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(
        window.traceBox().text().contains(window.language().GetFormLabel(QStringLiteral("MSG_TransferCancelled"))));
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_TRUE(client.isOpen()) << "a cancel leaves the session";
}

// No clip beside the program: while the slow file is in flight the copy window's animation place moves on
// between two grabs 250 ms apart, and the window is photographed on the way; Cancel then ends the fetch.
TEST_F(SlowTerminalWindow, CopyWindowAnimatesWhileTheFileIsInFlight)
{
    ASSERT_FALSE(QFile::exists(settings.gProgramFolder + QStringLiteral("/Filecopy.avi")));
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), QByteArray(kSlowFileBytes, 'n')));
    QString folder;
    ASSERT_NO_FATAL_FAILURE(connectAndSelectDiagOverAnOlderCopy(peer, &folder));

    QImage first;
    QImage second;
    bool inFlight = true;
    const auto place = [] {
        QPushButton* cancel = copyWindowCancel();
        return cancel ? cancel->window()->findChild<QWidget*>(QStringLiteral("anmAVI")) : nullptr;
    };
    const auto stillFetching = [&] {
        return window.commands().isBusy() && readLocal(folder + QStringLiteral("DIAG.DIA")) == "old local";
    };
    QTimer::singleShot(1000, [&] {
        QWidget* anim = place();
        ASSERT_NE(anim, nullptr);
        first = anim->grab().toImage();
        inFlight = inFlight && stillFetching();
    });
    QTimer::singleShot(1250, [&] {
        QWidget* anim = place();
        ASSERT_NE(anim, nullptr);
        second = anim->grab().toImage();
        inFlight = inFlight && stillFetching();
        const QString shot = jvztest::binDir() + QStringLiteral("/../screenshots/copy_window_mid_transfer.png");
        QDir().mkpath(QFileInfo(shot).absolutePath());
        EXPECT_TRUE(anim->window()->grab().save(shot));
        QTest::mouseClick(copyWindowCancel(), Qt::LeftButton); // asks, and the notifier answers Yes
    });
    QElapsedTimer fetch;
    fetch.start();
    action("MNU_Terminal_Upload")->trigger();
    EXPECT_LT(fetch.elapsed(), jvztest::timeBoundMs(8000)) << "the cancel did not end the fetch";

    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(inFlight) << "the file was not in flight at both grabs";
    EXPECT_NE(first, second) << "the animation's place stood still for 250 ms";
    EXPECT_EQ(readLocal(folder + QStringLiteral("DIAG.DIA")), "old local");
}

// A put Cancel cuts short, answered Yes: over a file the terminal holds, the old file stays whole and the temporary
// file goes; a new file leaves nothing under its name. The transfer and its clean-up are over (the copy window
// gone) within 200 ms of the answer.
TEST_F(SlowTerminalWindow, CancelledPutLeavesTheTerminalsOldFileWhole)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    action("MNU_Terminal_Connect")->trigger();
    peer.start(kProgramAddress, sessionPort, kTerminalAddress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("APPLI.ADF")); }, kBoundMs))
        << peer.failure().toStdString() << " " << window.traceBox().text().toStdString();

    // Each file goes by a catalogue list into SWAP.
    struct Case {
        const char* what;
        const char* list;
        const char* name;
        bool onTerminal;
    } const cases[] = {
        {"over a file the terminal holds", "OLD.M40", "APPLI.ADF", true},
        {"a new file", "NEW.M40", "NEWAPP.SGN", false},
    };
    // The copy window is the main window's child: its button is found while it is hidden too.
    const auto copyWindowShown = [] {
        const QPushButton* cancel = copyWindowCancel();
        return cancel && cancel->isVisible();
    };
    const QString folder = QString::fromStdString(jvztest::makeScratchDir("slowput")) + u'/';
    for (const Case& c : cases) {
        writeLocal(folder + QLatin1String(c.name), QByteArray(kSlowFileBytes, 'p'));
        writeLocal(folder + QLatin1String(c.list), "-eSWAP\r\n" + QByteArray(c.name) + "\r\n");
    }
    openLocal(folder);
    const QStringList before = QDir(ftp->localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QLatin1String(c.list);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (int r = 0; r < listView1->model()->rowCount(); ++r)
                    if (listView1->model()->index(r, 0).data().toString() == name)
                        return true;
                return false;
            },
            kBoundMs));
        selectRows(listView1, {name});
        window.commands().state().setDownloadSelection(true);
        window.commands().RefreshTransferCommands(true);
        ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
        const qsizetype sentBefore = ftp->commands().size();
        const size_t boxesBefore = notifier.shown.size();

        QElapsedTimer sincePress;
        sincePress.start();
        qint64 answeredAt = -1;
        qint64 goneAt = -1;
        QTimer::singleShot(1500, [&] {
            QPushButton* cancel = copyWindowCancel();
            ASSERT_NE(cancel, nullptr);
            QTest::mouseClick(cancel, Qt::LeftButton); // asks, and the notifier answers Yes
            answeredAt = sincePress.elapsed();
        });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (answeredAt >= 0 && goneAt < 0 && !copyWindowShown())
                goneAt = sincePress.elapsed();
        });
        watch.start(5);
        action("MNU_Terminal_Download")->trigger();
        const qint64 endedAt = sincePress.elapsed();
        watch.stop();
        if (goneAt < 0 && !copyWindowShown())
            goneAt = endedAt; // gone with no event served in between: by the command's end at the latest
        std::printf("%s: answer to copy window gone %lld ms, to the command's end (the list read again) %lld ms\n",
                    c.what, static_cast<long long>(goneAt - answeredAt), static_cast<long long>(endedAt - answeredAt));
        ASSERT_GE(answeredAt, 0) << "the transfer ended before the cancel";
        ASSERT_GE(goneAt, 0);
        EXPECT_LT(goneAt - answeredAt, 200) << "from the answer to the end of the transfer";

        // The terminal's tree: as before, the old file whole.
        EXPECT_EQ(QDir(ftp->localPath(QStringLiteral("\\SWAP"))).entryList(QDir::Files), before);
        EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\APPLI.ADF")), adf);
        const QByteArrayList sent = commandsFrom(sentBefore);
        QByteArray stored;
        for (const QByteArray& line : sent)
            if (line.startsWith("STOR "))
                stored = line.mid(5);
        EXPECT_EQ(stored.startsWith("TMP"), c.onTerminal) << sent.join(" | ").toStdString();
        EXPECT_TRUE(sent.contains("DELE " + stored)) << sent.join(" | ").toStdString();
        EXPECT_FALSE(sent.join(' ').contains("RNFR"));
        for (size_t i = boxesBefore; i < notifier.shown.size(); ++i)
            EXPECT_NE(notifier.shown[i].title, QStringLiteral("FTP Error")) << notifier.shown[i].text.toStdString();
        EXPECT_TRUE(
            window.traceBox().text().contains(window.language().GetFormLabel(QStringLiteral("MSG_TransferCancelled"))));
        EXPECT_FALSE(window.commands().isBusy());
    }
    EXPECT_TRUE(client.isOpen()) << "a cancel leaves the session";
}

} // namespace

namespace {

// The window against terminals that flood, crawl or stall, its FTP bounds shortened through the timing table:
// 1 s of silence, 2 s for a whole listing, 200 B/s over every 2 s of a transfer. Each command ends with the
// timeout within its bound, told in the FTP error box; the window's timers kept ticking meanwhile, and it is
// left free for the next command.
using jvztest::kHostileBounds;
constexpr qint64 kBoundSlackMs = 1500; // the worker's poll, a loaded machine

enum class WindowCall { List, Fetch, Download };
struct HostileWindowRow {
    const char* what;
    jvztest::FtpServerFixture::Options terminal;
    WindowCall call;
    qint64 boundMs; // the bound that ends it (at the latest)
    uint32_t error; // told in the FTP error box; 0: none, the file arrives
    FtpTimeouts bounds = kHostileBounds;
    qint64 arrivesBytes = 0; // with no error: the size the fetched file arrives with
};
constexpr qint64 kStallMs = kHostileBounds.stallSeconds * 1000;
constexpr qint64 kListedDiagBytes = 100000; // the DIAG.DIA the list shows

// The control files' own bounds: a total bound of 3 s, or a cap of 32 MiB met long before a total of 30 s.
constexpr auto controlFileBounds = jvztest::hostileControlFileBounds;
constexpr FtpTimeouts kControlTotalBounds = controlFileBounds(3, kHostileBounds.controlFileMaxBytes);
constexpr FtpTimeouts kControlCapBounds = controlFileBounds(30, 32 * 1024 * 1024);

jvztest::FtpServerFixture::Options endlessActivity(int bytesPerSecond)
{
    jvztest::FtpServerFixture::Options o = jvztest::SlowTerminal{bytesPerSecond}.options();
    o.endlessRetrNames = {"\\SWAP\\ACTIVITY.INF"};
    return o;
}

// DIAG.DIA sent for ever at that rate.
jvztest::FtpServerFixture::Options endlessDiag(int bytesPerSecond)
{
    jvztest::FtpServerFixture::Options o = jvztest::SlowTerminal{bytesPerSecond}.options();
    o.endlessRetrNames = {"DIAG.DIA"};
    return o;
}

// A floor of 20,000 B/s puts the listed DIAG.DIA's time bound at 5 s, and a margin of 1 MiB its cap far
// beyond what 40,000 B/s bring in that time.
constexpr FtpTimeouts listedTimeBounds()
{
    FtpTimeouts bounds = kHostileBounds;
    bounds.floorBytesPerSecond = 20000;
    bounds.listedMarginBytes = 1024 * 1024;
    return bounds;
}
constexpr FtpTimeouts kListedTimeBounds = listedTimeBounds();

// Every fetch brings this many bytes more than the file held when it was listed.
jvztest::FtpServerFixture::Options grownBy(qint64 bytes)
{
    jvztest::FtpServerFixture::Options o;
    o.retrExtraBytes = bytes;
    return o;
}

// The terminal's control connection goes at that command: closed, or a reply line of 1 MiB libcurl gives up on.
jvztest::FtpServerFixture::Options controlLostAt(const QByteArray& verb, bool longReply)
{
    jvztest::FtpServerFixture::Options o;
    (longReply ? o.longReplyAtVerbs : o.dropAtVerbs) = {verb};
    return o;
}

// The terminal ends its session at that command with a 421 (the reply the fixture's server sends).
const QByteArray kClosingReply = "421 Terminal busy: closing control connection.";
jvztest::FtpServerFixture::Options closedWith421At(const QByteArray& verb)
{
    jvztest::FtpServerFixture::Options o;
    o.closingReplyAtVerbs = {verb};
    return o;
}

// "Fast" is 100,000 B/s, ten times what a 115,200-baud link carries: never slow enough for the rate floor.
const HostileWindowRow kHostileWindowRows[] = {
    {"listing without end, fast", jvztest::SlowTerminal{100000, -1, true, false}.options(), WindowCall::List,
     kHostileBounds.listingTotalSeconds * 1000, FtpError::Timeout},
    {"listing trickling 45 B/s", jvztest::SlowTerminal{45, -1, true, false}.options(), WindowCall::List,
     kHostileBounds.listingTotalSeconds * 1000, FtpError::Timeout},
    {"listing silent after 150 bytes", jvztest::SlowTerminal{0, 150, true, false}.options(), WindowCall::List, kStallMs,
     FtpError::Timeout},
    {"listing whose data connection never opens", jvztest::SlowTerminal{0, -1, false, true}.options(), WindowCall::List,
     kHostileBounds.connectMs, FtpError::Timeout},
    {"fetch trickling 45 B/s", jvztest::SlowTerminal{45, -1, false, false}.options(), WindowCall::Fetch,
     kHostileBounds.floorWindowSeconds * 1000, FtpError::Timeout},
    {"fetch silent midway", jvztest::SlowTerminal{0, 30000, false, false}.options(), WindowCall::Fetch, kStallMs,
     FtpError::Timeout},
    {"fetch whose data connection never opens", jvztest::SlowTerminal{0, -1, false, true}.options(), WindowCall::Fetch,
     kHostileBounds.connectMs, FtpError::Timeout},
    // 300 B/s passes the floor: the control files' total bound ends the free-space fetch, which is reported.
    {"free-space fetch without end above the floor", endlessActivity(300), WindowCall::Download,
     kControlTotalBounds.controlFileTotalSeconds * 1000, FtpError::Timeout, kControlTotalBounds},
    // At full speed the cap ends it; the session stays, the fetch is silent and the file goes.
    {"free-space fetch without end at full speed", endlessActivity(0), WindowCall::Download, 3000, 0,
     kControlCapBounds},
    // Past its listed size and the margin: broken off as the program's own, the session stays.
    {"fetch sending far more than listed", grownBy(200000), WindowCall::Fetch, 3000, FtpError::LargerThanListed},
    // Above the floor for ever: what the listed size takes at the floor (5 s), then the listing's 2 s.
    {"fetch without end above the floor", endlessDiag(40000), WindowCall::Fetch,
     (kListedDiagBytes / kListedTimeBounds.floorBytesPerSecond + kListedTimeBounds.listingTotalSeconds) * 1000,
     FtpError::Timeout, kListedTimeBounds},
    {"fetch of a file that grew a little since the listing", grownBy(1000), WindowCall::Fetch, 3000, 0, kHostileBounds,
     kListedDiagBytes + 1000},
    // A lost control connection is a closed session, as after a timeout.
    {"listing whose control connection is dropped", controlLostAt("LIST", false), WindowCall::List, 1000,
     FtpError::ConnectionAborted},
    {"fetch whose control connection is dropped", controlLostAt("RETR", false), WindowCall::Fetch, 1000,
     FtpError::ConnectionAborted},
    {"fetch answered by a reply line of 1 MiB", controlLostAt("RETR", true), WindowCall::Fetch, 1000,
     FtpError::ConnectionAborted},
    // libcurl's "timeout" on a 421: the terminal closed the session, which the box says with its reply.
    {"fetch answered 421", closedWith421At("RETR"), WindowCall::Fetch, 1000, FtpError::ConnectionAborted},
    {"listing answered 421", closedWith421At("LIST"), WindowCall::List, 1000, FtpError::ConnectionAborted},
};

// The row's own words where a test name shows its parameter.
void PrintTo(const HostileWindowRow& row, std::ostream* out)
{
    *out << row.what;
}

class HostileTerminalWindow : public InteractiveTransfer, public ::testing::WithParamInterface<HostileWindowRow> {
protected:
    HostileTerminalWindow() : InteractiveTransfer(GetParam().terminal, true, GetParam().bounds, kHostileTerminalAddress)
    {
    }
};

// B in the terminal list goes up to the root and lists it; Ctrl+F2 fetches the selected DIAG.DIA into the
// local folder, over an older copy; F2 sends that older copy to the terminal, reading the terminal's free space
// first. A command a bound ends says so in one FTP error box, within its bound, and nothing it fetched passes
// its cap. The timed-out terminal is gone for the session: the window says so in the trace box and the status
// bar and leaves the terminal commands; a fetch the cap broke off leaves the session. Ctrl+F4 then ends the
// session with the terminal, and Connect is offered again.
TEST_P(HostileTerminalWindow, CommandEndsWithItsErrorWithinTheBoundAndTheWindowStaysUsable)
{
    const HostileWindowRow& row = GetParam();
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << QList<Step>{
                                           Step::expect(bytes({34, 1, 0})),
                                           Step::send(bytes({34, 1, 0})),
                                           Step::expect(bytes({0, 1, 0})),
                                           Step::close(),
                                       });
    const QByteArray diag(kListedDiagBytes, 'n');
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), diag));
    QString folder;
    ASSERT_NO_FATAL_FAILURE(connectAndSelectDiagOverAnOlderCopy(peer, &folder));
    if (row.call == WindowCall::Download) {
        // The older local copy goes to the terminal by a catalogue list selected in the local list.
        writeLocal(folder + QStringLiteral("LOAD.M40"), "-eSWAP\r\nDIAG.DIA\r\n");
        local->GoToTypedPath(folder);
        ASSERT_TRUE(jvztest::waitUntil([&] {
            for (int r = 0; r < listView1->model()->rowCount(); ++r)
                if (listView1->model()->index(r, 0).data().toString() == QLatin1String("LOAD.M40"))
                    return true;
            return false;
        }));
        listView1->setFocus();
        selectRows(listView1, {QStringLiteral("LOAD.M40")});
        window.commands().state().setDownloadSelection(true);
        window.commands().RefreshTransferCommands(true);
        ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
    }
    ASSERT_TRUE(ftp->arm());
    const std::size_t boxesBefore = notifier.shown.size();
    const qsizetype sentBefore = ftp->commands().size();
    // The files of the fetch as they grow: beside the local file, or in the temp folder for the free space.
    const QString fetchedInto = row.call == WindowCall::Download ? GetAppTempDir() : folder;
    const QStringList filesBefore = QDir(fetchedInto).entryList(QDir::Files | QDir::Hidden);
    qint64 largestFetched = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        for (const QFileInfo& file : QDir(fetchedInto).entryInfoList(QDir::Files | QDir::Hidden))
            largestFetched = std::max(largestFetched, file.size());
    });
    sampler.start(1);

    jvztest::WindowTicks ticks;
    switch (row.call) {
    case WindowCall::List:
        QTest::keyClick(listView2, Qt::Key_B);
        break;
    case WindowCall::Fetch:
        QTest::keyClick(listView2, Qt::Key_F2, Qt::ControlModifier);
        break;
    case WindowCall::Download:
        QTest::keyClick(listView1, Qt::Key_F2);
        break;
    }
    const qint64 elapsed = ticks.elapsed();
    ticks.stop();
    sampler.stop();
    const qint64 longestGap = ticks.longestGap();
    std::printf("%s: ended after %lld ms (bound %lld ms); %zu ticks, longest gap %lld ms from %lld ms; largest "
                "temporary %lld bytes\n",
                row.what, static_cast<long long>(elapsed), static_cast<long long>(row.boundMs), ticks.ticks(),
                static_cast<long long>(longestGap), static_cast<long long>(ticks.longestGapFrom()),
                static_cast<long long>(largestFetched));
    EXPECT_LE(elapsed, row.boundMs + kBoundSlackMs);
    if (row.error == FtpError::Timeout) {
        EXPECT_GE(elapsed, row.boundMs - 100) << "ended by another bound than its own";
    }
    EXPECT_LT(longestGap, jvztest::timeBoundMs(100)) << "the window's thread stopped serving its timers";

    // The error as the window tells it, in the box of the call that ran: one box, no later call's.
    const QString operation =
        row.call == WindowCall::List ? QStringLiteral("FtpFindFirstFile") : QStringLiteral("FtpGetFile");
    const std::size_t boxes = boxesBefore + (row.error ? 1 : 0);
    ASSERT_EQ(notifier.shown.size(), boxes) << (notifier.shown.empty() ? "" : notifier.shown.back().text.toStdString());
    if (row.error) {
        const auto& box = notifier.shown.back();
        EXPECT_EQ(box.title, QStringLiteral("FTP Error"));
        const bool closedByTerminal = !row.terminal.closingReplyAtVerbs.isEmpty();
        EXPECT_EQ(box.text, ftpErrorMessage(row.error, operation, window.language(),
                                            closedByTerminal ? kClosingReply : QByteArray()))
            << box.text.toStdString();
        if (closedByTerminal) {
            EXPECT_EQ(box.text, QStringLiteral("Error in ") + operation +
                                    QStringLiteral(" function.\r\nThe terminal closed the FTP connection\r\n"
                                                   "Terminal's reply: ") +
                                    QString::fromLatin1(kClosingReply))
                << "the shipped texts";
        }
    }
    const QByteArrayList sent = commandsFrom(sentBefore);
    if (row.call == WindowCall::Fetch) {
        EXPECT_LE(largestFetched, fetchMaxBytes(row.bounds, FetchBound::listed(kListedDiagBytes)));
        if (row.error) {
            EXPECT_EQ(readLocal(folder + QStringLiteral("DIAG.DIA")), "old local");
        } else {
            EXPECT_EQ(readLocal(folder + QStringLiteral("DIAG.DIA")).size(), row.arrivesBytes) << "arrived whole";
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("DIAG.DIA")})
            << "no temporary file left";
    }
    if (row.call == WindowCall::Download) {
        EXPECT_LE(largestFetched, row.bounds.controlFileMaxBytes);
        EXPECT_EQ(QDir(fetchedInto).entryList(QDir::Files | QDir::Hidden), filesBefore) << "no temporary file left";
        const bool stored =
            std::any_of(sent.begin(), sent.end(), [](const QByteArray& c) { return c.startsWith("STOR "); });
        EXPECT_EQ(stored, row.error == 0) << sent.join(" | ").toStdString();
        EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\DIAG.DIA")), row.error ? diag : QByteArray("old local"));
    }

    const auto label = [&](const char* key) { return window.language().GetFormLabel(QLatin1String(key)); };
    if (row.error == FtpError::Timeout || row.error == FtpError::ConnectionAborted) {
        // The session the timeout or the lost connection ended is shown ended, and nothing is left busy.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState) ==
                       label("FTPState") + label("FTP_Disconnected");
            },
            kBoundMs))
            << window.statusBars().StatusPanelText(jvz::StatusPanel::LinkState).toStdString();
        EXPECT_TRUE(window.traceBox().text().contains(label("MSG_FtpSessionLost")))
            << window.traceBox().text().left(200).toStdString();
        EXPECT_TRUE(terminalRows().isEmpty());
        EXPECT_FALSE(action("MNU_Terminal_Upload")->isEnabled());
    } else {
        EXPECT_TRUE(client.isOpen()) << "the cap is the program's own break-off";
        EXPECT_FALSE(terminalRows().isEmpty());
    }
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_TRUE(window.isVisible());

    // The next command: Ctrl+F4 ends the session with the terminal (the window active again, as the user's
    // click on it makes it once the copy window has gone).
    ASSERT_TRUE(action("MNU_Terminal_Disconnect")->isEnabled());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(listView2, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return action("MNU_Terminal_Connect")->isEnabled(); }, kBoundMs));
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_EQ(notifier.shown.size(), boxes) << notifier.shown.back().text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Producers, HostileTerminalWindow, ::testing::ValuesIn(kHostileWindowRows), jvztest::RowName());

} // namespace
