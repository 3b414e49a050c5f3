// The interactive transfers on the real main window (offscreen) with the real session, FTP client and socket,
// also against a terminal whose FTP data crawls (the window stays live, Cancel ends the file under way):
// the terminal is played by the scripted session peer calling from 127.0.0.2 and the FTP server on 127.0.0.2
// port 21. The link itself is not dialled: the window's connect sequence only opens the session socket.

#include "../session/SessionFrames.h"
#include "../workspace/MainWindowWorld.h"
#include "FakeNotifier.h"
#include "FtpServerFixture.h"
#include "Paths.h"
#include "ScriptedTerminalPeer.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "workspace/CommandState.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/ui/LocalExplorerAttach.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/TerminalPane.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <vector>

using namespace jvz;
using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;

namespace {

const QHostAddress kProgramAddress(QStringLiteral("127.0.0.1"));
const QHostAddress kTerminalAddress(QStringLiteral("127.0.0.2"));
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

// A thread that only wakes every 2 ms, on the processor the window's thread is held to meanwhile: when it too
// stayed silent, that processor did not run (a loaded host), and the silence is not the window's. Times in ms
// of the given clock.
class MachineWakeups {
public:
    explicit MachineWakeups(const QElapsedTimer& clock) : m_clock(clock)
    {
        const int cpu = sched_getcpu();
        CPU_ZERO(&m_one);
        CPU_SET(cpu < 0 ? 0 : cpu, &m_one);
        pthread_getaffinity_np(pthread_self(), sizeof(m_before), &m_before);
        pthread_setaffinity_np(pthread_self(), sizeof(m_one), &m_one);
        m_thread = std::thread([this] {
            pthread_setaffinity_np(pthread_self(), sizeof(m_one), &m_one);
            while (!m_stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                const std::lock_guard lock(m_mutex);
                m_times.push_back(m_clock.elapsed());
            }
        });
    }
    ~MachineWakeups()
    {
        m_stop.store(true);
        m_thread.join();
        pthread_setaffinity_np(pthread_self(), sizeof(m_before), &m_before);
    }

    // The longest stretch inside [from, to] without a wake-up of this thread.
    qint64 longestSilence(qint64 from, qint64 to)
    {
        const std::lock_guard lock(m_mutex);
        qint64 previous = from;
        qint64 longest = 0;
        for (const qint64 t : m_times) {
            if (t <= from)
                continue;
            longest = std::max(longest, std::min(t, to) - previous);
            previous = t;
            if (t >= to)
                return longest;
        }
        return std::max(longest, to - previous);
    }

private:
    const QElapsedTimer& m_clock;
    cpu_set_t m_one;
    cpu_set_t m_before;
    std::mutex m_mutex;
    std::vector<qint64> m_times;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

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
    explicit InteractiveTransfer(int terminalBytesPerSecond = 0)
    {
        jvztest::FtpServerFixture::Options options;
        options.host = kTerminalAddress.toString();
        options.port = 21;
        options.user = "ftpuser";
        options.password = "905173";
        options.maxSeconds = 120;
        options.dataBytesPerSecond = terminalBytesPerSecond;
        ftp = std::make_unique<jvztest::FtpServerFixture>(options);
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
        ASSERT_NE(window.terminalPane(), nullptr);

        localFolder = QString::fromStdString(jvztest::makeScratchDir("local")) + u'/';
        treeFolder = QString::fromStdString(jvztest::makeScratchDir("tree")) + u'/';
        listView1 = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
        treeView1 = window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
        listView2 = window.findChild<QTreeView*>(QStringLiteral("ListView2"));
        ASSERT_TRUE(listView1 && treeView1 && listView2);
        local = localExplorerOf(window);
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
        world.connectSequence = [this](bool) {
            SessionRuntime* runtime = world.window->session();
            ASSERT_TRUE(runtime->tcpclient().listen(kProgramAddress.toString(), QString::number(sessionPort)));
            runtime->vars.SocketActive = true;
            runtime->vars.LinkUp = true;
        };
        return world.assemble();
    }

    void TearDown() override
    {
        if (SessionRuntime* runtime = window.session())
            runtime->CloseFtpSession();
        transport.close();
    }

    // Opens a local folder in the tree and the list, as a typed path does.
    void openLocal(const QString& folder)
    {
        local->GoToTypedPath(folder);
        ASSERT_TRUE(QTest::qWaitFor([&] { return local->CurrentLocalFolder() == folder; }, kBoundMs))
            << local->CurrentLocalFolder().toStdString();
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

    std::unique_ptr<jvztest::FtpServerFixture> ftp;
    CurlFtpClient client{FtpTimeouts{5000, 5}};
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
    peer.start(kProgramAddress, sessionPort, kTerminalAddress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().size() == 4; }, kBoundMs))
        << peer.failure().toStdString() << " " << window.TraceText().toStdString();
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
    window.commandState().setDownloadSelection(true);
    window.RefreshTransferCommands(true);
    ASSERT_TRUE(action("MNU_Terminal_Download")->isEnabled());
    const qsizetype before = ftp->commands().size();
    action("MNU_Terminal_Download")->trigger();
    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\SWAP\\APP.SGN")), app);
    EXPECT_EQ(ftp->readLocal(QStringLiteral("\\HOST\\HOST.CFG")), host);
    const QByteArrayList wire = commandsFrom(before);
    const QByteArrayList expected = {
        "RETR \\SWAP\\ACTIVITY.INF", "CWD ..\\SWAP", "STOR APP.SGN", "CWD ..\\HOST", "STOR HOST.CFG", "LIST"};
    EXPECT_EQ(wire, expected) << wire.join(" | ").toStdString();
    EXPECT_EQ(window.currentTerminalDir(), QStringLiteral("\\HOST\\"));
    EXPECT_EQ(window.StatusBar4Text(), QStringLiteral("Terminal: '\\HOST\\'")) << "the caption names the last folder";
    EXPECT_EQ(terminalRows(), QStringList{QStringLiteral("HOST.CFG")});
    EXPECT_FALSE(window.isBusy());

    // Upload: two terminal files into the folder selected in the tree.
    listView2->setFocus();
    window.terminalPane()->view().TerminalBackFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("SWAP")); }, kBoundMs));
    openLocal(treeFolder);
    EXPECT_EQ(window.terminalPane()->view().selectedNames(), QStringList{QStringLiteral("HOST")}) << "the folder left";
    selectRows(listView2, {QStringLiteral("SWAP")});
    window.terminalPane()->view().OpenTerminalItem();
    ASSERT_TRUE(terminalRows().contains(QStringLiteral("DIAG.DIA"))) << terminalRows().join(u',').toStdString();
    selectRows(listView2, {QStringLiteral("DIAG.DIA"), QStringLiteral("APPLI.ADF"), QStringLiteral("DIRFREE.SIZ")});
    window.RefreshUploadCommand();
    ASSERT_TRUE(action("MNU_Terminal_Upload")->isEnabled());
    action("MNU_Terminal_Upload")->trigger();
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("DIAG.DIA")), dia);
    EXPECT_EQ(readLocal(treeFolder + QStringLiteral("APPLI.ADF")), adf);
    EXPECT_FALSE(QFile::exists(treeFolder + QStringLiteral("DIRFREE.SIZ")));

    // Refresh with the protocol on: the list empties, the terminal is asked again and the list comes back.
    window.runCommand(Command::TerminalRefresh);
    EXPECT_TRUE(terminalRows().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
        << peer.failure().toStdString();
    EXPECT_TRUE(peer.waitFinished(kBoundMs)) << peer.failure().toStdString();
}

// The terminal's data connections move 2,000 bytes a second: a DIAG.DIA of 20,000 bytes takes 10 s.
constexpr int kTerminalRate = 2000;
constexpr int kSlowFileBytes = 10 * kTerminalRate;

class SlowTerminalWindow : public InteractiveTransfer {
protected:
    SlowTerminalWindow() : InteractiveTransfer(kTerminalRate) {}
};

// During a 10-second fetch the window's timer ticks keep coming every 100 ms at the latest and the window
// repaints; Cancel, answered Yes, ends the fetch within 200 ms, the old local file whole, no temporary file.
TEST_F(SlowTerminalWindow, WindowStaysLiveAndCancelEndsTheFileUnderWay)
{
    jvztest::ScriptedTerminalPeer peer(downloadAuthorised() << Step::wait(30000));
    ASSERT_TRUE(ftp->putLocal(QStringLiteral("\\SWAP\\DIAG.DIA"), QByteArray(kSlowFileBytes, 'n')));
    action("MNU_Terminal_Connect")->trigger();
    peer.start(kProgramAddress, sessionPort, kTerminalAddress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminalRows().contains(QStringLiteral("DIAG.DIA")); }, kBoundMs))
        << peer.failure().toStdString() << " " << window.TraceText().toStdString();
    ASSERT_FALSE(window.isBusy());

    // The folder the upload fills holds an older DIAG.DIA.
    const QString folder = QString::fromStdString(jvztest::makeScratchDir("slowtree")) + u'/';
    ASSERT_TRUE(jvztest::writeFileBytes((folder + QStringLiteral("DIAG.DIA")).toStdString(), "old local"));
    openLocal(folder);
    listView2->setFocus();
    selectRows(listView2, {QStringLiteral("DIAG.DIA")});
    window.RefreshUploadCommand();
    ASSERT_TRUE(action("MNU_Terminal_Upload")->isEnabled());

    QElapsedTimer sinceStart;
    sinceStart.start();
    MachineWakeups machine(sinceStart);
    qint64 lastTick = -1;
    std::vector<std::pair<qint64, qint64>> gaps; // (from, to) between two ticks of the window's thread
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = sinceStart.elapsed();
        if (lastTick >= 0)
            gaps.emplace_back(lastTick, now);
        lastTick = now;
    });
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
        lastTick = -1; // the photograph's own time is not the window's wait
    });
    QTimer::singleShot(8000, [&] {
        busyDuringTransfer = window.isBusy();
        closeRefused = !window.close();
        QPushButton* cancel = copyWindowCancel();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton); // asks, and the notifier answers Yes
        answeredAt = sinceStart.elapsed();
        lastTick = -1;
    });
    ticker.start(10);
    repaint.start(200);
    action("MNU_Terminal_Upload")->trigger();
    const qint64 endedAt = sinceStart.elapsed();
    ticker.stop();
    repaint.stop();
    listView2->viewport()->removeEventFilter(&painted);

    qint64 longestGap = 0;
    qint64 longestRawGap = 0;
    for (const auto& [from, to] : gaps) {
        longestRawGap = std::max(longestRawGap, to - from);
        longestGap = std::max(longestGap, to - from - machine.longestSilence(from, to));
    }
    std::printf("%zu ticks; longest gap %lld ms, %lld ms of it the window's; answer to end %lld ms; %d paints\n",
                gaps.size(), static_cast<long long>(longestRawGap), static_cast<long long>(longestGap),
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
    EXPECT_TRUE(window.TraceText().contains(window.language().GetFormLabel(QStringLiteral("MSG_TransferCancelled"))));
    EXPECT_FALSE(window.isBusy());
    EXPECT_TRUE(client.isOpen()) << "a cancel leaves the session";
}

} // namespace
