#include "../workspace/MainWindowWorld.h"
#include "FakeNotifier.h"
#include "InProcessBatch.h"
#include "Paths.h"
#include "ProgramFolderCopy.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "WaitUntil.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "platform/InstanceLock.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A scratch copy of the program folder (the program, its data files and sub-folders) with a HOME of its own,
// so each run finds only what the test gave it.
struct ProgramCopy {
    ProgramCopy()
    {
        EXPECT_TRUE(jvztest::copyProgramFolder(folder));
        QDir().mkpath(home);
        jvztest::writeFileBytes((stubs + QStringLiteral("/pppd")).toStdString(), "#!/bin/sh\nexit 1\n");
        QFile::setPermissions(stubs + QStringLiteral("/pppd"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Runs JVZ with no display (or the display the test names) and waits for it to end by itself, at most the
    // given time. The bound is generous: a loaded machine may start the program slowly, and what the tests check
    // is that the run ends by itself, not how fast.
    struct Outcome {
        bool ended = false;
        int exitCode = -1;
        qint64 ms = 0;
        QByteArray err;
    };
    QProcessEnvironment environment(const char* display = nullptr) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(var));
        if (display)
            env.insert(QStringLiteral("DISPLAY"), QLatin1String(display));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        // A run that gets as far as dialling finds a pppd that fails at once, never the machine's.
        env.insert(QStringLiteral("PATH"), stubs + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        for (auto it = extraEnv.cbegin(); it != extraEnv.cend(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    Outcome run(const QStringList& args, int boundMs = 30000, const char* display = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(environment(display));
        p.setWorkingDirectory(folder);
        Outcome o;
        QElapsedTimer clock;
        clock.start();
        p.start(folder + QStringLiteral("/JVZ"), args);
        if (!p.waitForStarted(boundMs)) {
            o.err = "JVZ did not start: " + p.errorString().toLocal8Bit();
            return o;
        }
        o.ended = p.waitForFinished(boundMs);
        o.ms = clock.elapsed();
        if (!o.ended) {
            p.kill();
            p.waitForFinished(5000);
        }
        o.exitCode = p.exitCode();
        o.err = p.readAllStandardError();
        return o;
    }

    // The same unattended run (-n) in this process, through the program's batch host with its waits shortened:
    // what a run ends with, without waiting out the two seconds a closing message stands.
    Outcome runInProcess(const QStringList& args)
    {
        // The environment the real program gets: the test's HOME and the failing pppd first on PATH.
        const QProcessEnvironment env = environment();
        QHash<QByteArray, QByteArray> saved;
        for (const char* var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "PATH"}) {
            saved.insert(var, qgetenv(var));
            qputenv(var, env.value(QLatin1String(var)).toLocal8Bit());
        }
        const auto r = jvztest::runBatchInProcess(folder, args);
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            qputenv(it.key().constData(), it.value());
        Outcome o;
        o.ended = r.ended;
        o.exitCode = r.exitCode;
        o.ms = r.ms;
        o.err = r.log;
        return o;
    }

    std::string result(const QString& path = QString()) const
    {
        return jvztest::readFileBytes((path.isEmpty() ? folder + QStringLiteral("/ResBatch.txt") : path).toStdString());
    }
    void remove(const char* name) { QFile::remove(folder + QLatin1Char('/') + QLatin1String(name)); }
    QString lockPath() const { return home + QStringLiteral("/.local/share/JVZ/JVZ.lock"); }

    QString root = QString::fromStdString(jvztest::makeScratchDir("jvz"));
    QString folder = root + QStringLiteral("/prog");
    QString home = root + QStringLiteral("/home");
    QString stubs = root + QStringLiteral("/stubs");
    QHash<QString, QString> extraEnv; // set for the runs on top of the above
};

// The terminal's port for runs that reach the connection: a device no machine has, so no real port is used.
const QString kNoSuchPort = QStringLiteral("-xttyJVZTEST9");

// What a run that got past start-up ends with: a failure of the connection, not of the start.
void expectEndedAtTheConnection(const std::string& result)
{
    const std::string code = result.substr(0, result.find('\r'));
    EXPECT_NE(code, "0");
    EXPECT_NE(code, "-2");
    EXPECT_NE(code, "-6");
    EXPECT_FALSE(code.empty());
}

QString existingList(const ProgramCopy& copy)
{
    const QString list = copy.root + QStringLiteral("/lists/A.M40");
    jvztest::writeFileBytes(list.toStdString(), "file.sgn\r\n");
    return list;
}

} // namespace

// An interactive start, offscreen, in a HOME, XDG folders and runtime folder of its own: the window opens and
// runs, and nothing is written on standard error (no warning, no debug line) until the user ends it.
TEST(QuietRun, InteractiveStartPrintsNothingOnStandardError)
{
    ProgramCopy copy;
    const QString runtime = copy.root + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    copy.extraEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    copy.extraEnv.insert(QStringLiteral("XDG_CACHE_HOME"), copy.home + QStringLiteral("/.cache"));
    copy.extraEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(copy.environment());
    p.setWorkingDirectory(copy.folder);
    p.start(copy.folder + QStringLiteral("/JVZ"), QStringList());
    ASSERT_TRUE(p.waitForStarted(30000));
    // The lock is taken just before the window is shown; then the window lives a while.
    const bool locked = QTest::qWaitFor([&] { return QFileInfo::exists(copy.lockPath()); }, 30000);
    QTest::qWait(2000);
    const bool running = p.state() == QProcess::Running;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
    }
    QByteArray err = p.readAllStandardError();
    // The offscreen platform's own notes on what it cannot do with windows: not the program's (a display has
    // none of them).
    for (const char* note : {"propagateSizeHints()", "raise()"})
        err.replace("This plugin does not support " + QByteArray(note) + "\n", "");
    EXPECT_TRUE(locked);
    EXPECT_TRUE(running) << "the window's run ended by itself: " << err.toStdString();
    EXPECT_EQ(err.toStdString(), "");
}

// A batch run always ends by itself and leaves its result, whatever stops it. The runs with a progress window
// start the real program (and so wait out the two seconds its message stands); the others run in this process.
struct EndRow {
    const char* name;
    const char* missing; // start-up file removed from the program folder
    bool listExists;
    bool progress;
    const char* expected; // "$" stands for the program folder
};
const EndRow kEndRows[] = {
    {"catalogue list missing", nullptr, false, false, "-2\r\ncatalogue file not found\r\n"},
    {"catalogue list missing, progress window shown", nullptr, false, true, "-2\r\ncatalogue file not found\r\n"},
    {"no INI file", "JVZ.ini", false, false, "-6\r\nfile $/JVZ.ini missing\r\n"},
    {"no language file", "JVZ.lng", true, true, "-6\r\nfile $/JVZ.lng missing\r\n"},
};

class BatchRunEnd : public ::testing::TestWithParam<EndRow> {};

TEST_P(BatchRunEnd, EndsByItselfWithItsResult)
{
    const EndRow& r = GetParam();
    ProgramCopy copy;
    if (r.missing)
        copy.remove(r.missing);
    QStringList args{r.listExists ? QStringLiteral("-c") + existingList(copy) : QStringLiteral("-c/nonexistent/A.M40")};
    if (!r.progress)
        args << QStringLiteral("-n");
    const auto o = r.progress ? copy.run(args) : copy.runInProcess(args);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(copy.result(), QString::fromLatin1(r.expected).replace(QLatin1Char('$'), copy.folder).toStdString());
    // A message stays on screen for its time before the end: two seconds in the program.
    EXPECT_GE(o.ms, r.progress ? 1900 : jvztest::shortProgramTimings().quitMessageMs - 10);
}

INSTANTIATE_TEST_SUITE_P(BatchRun, BatchRunEnd, ::testing::ValuesIn(kEndRows),
                         [](const auto& row) { return std::to_string(row.index); });

// No display at all, or one that cannot be reached (a stale DISPLAY over ssh): a batch run still writes its result;
// an interactive start says why it cannot show its window and fails. ":99" names a display no test machine runs.
// The real program, one run a case: a batch run's message stands two seconds before it ends.
struct DisplayRow {
    const char* name;
    const char* display;
    bool batch;
    bool progress;
    bool emptyPlatform; // QT_QPA_PLATFORM set but empty, as a script may leave it
};
const DisplayRow kDisplayRows[] = {
    {"batch, stale display", ":99", true, false, false},
    {"batch, no display", nullptr, true, false, false},
    {"batch with progress window, stale display", ":99", true, true, false},
    {"batch with progress window, no display", nullptr, true, true, false},
    {"batch with progress window, empty platform", nullptr, true, true, true},
    {"interactive, stale display", ":99", false, false, false},
    {"interactive, no display", nullptr, false, false, false},
};

class DisplayRun : public ::testing::TestWithParam<DisplayRow> {};

TEST_P(DisplayRun, BatchWritesItsResultInteractiveFailsWithAMessage)
{
    const DisplayRow& r = GetParam();
    SCOPED_TRACE(r.name);
    ProgramCopy copy;
    if (r.emptyPlatform)
        copy.extraEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QString());
    QStringList args;
    if (r.batch)
        args << QStringLiteral("-c/nonexistent/A.M40");
    if (r.batch && !r.progress)
        args << QStringLiteral("-n");
    const auto o = copy.run(args, 30000, r.display);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    if (r.batch) {
        EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
        EXPECT_EQ(copy.result(), "-2\r\ncatalogue file not found\r\n");
    } else {
        EXPECT_NE(o.exitCode, 0);
        EXPECT_TRUE(o.err.contains("no usable display")) << o.err.toStdString();
        EXPECT_FALSE(QFile::exists(copy.folder + QStringLiteral("/ResBatch.txt")));
    }
}

INSTANTIATE_TEST_SUITE_P(Display, DisplayRun, ::testing::ValuesIn(kDisplayRows),
                         [](const auto& row) { return std::to_string(row.index); });

// The settings file decides where the run connects: one that cannot be read whole stops the run with -6, and
// the data files it names are found whatever their letter case.
TEST(BatchRun, SettingsFileOverItsCeilingOrNamingFilesInAnotherCase)
{
    const struct {
        const char* name;
        bool oversized;
        const char* iniFrom;
        const char* iniTo;
        const char* expected; // "$" stands for the program folder
    } rows[] = {
        {"JVZ.ini over the reader's ceiling", true, nullptr, nullptr, "-6\r\nfile $/JVZ.ini cannot be read\r\n"},
        {"jvz.lng found for JVZ.lng", false, "Language=JVZ.lng", "Language=jvz.lng",
         "-2\r\ncatalogue file not found\r\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ProgramCopy copy;
        const std::string iniPath = (copy.folder + QStringLiteral("/JVZ.ini")).toStdString();
        std::string ini = jvztest::readFileBytes(iniPath);
        if (r.iniFrom) {
            const std::size_t at = ini.find(r.iniFrom);
            ASSERT_NE(at, std::string::npos);
            ini.replace(at, std::strlen(r.iniFrom), r.iniTo);
        }
        if (r.oversized)
            ini.resize(16 * 1024 * 1024 + 1, ';');
        jvztest::writeFileBytes(iniPath, ini);
        const auto o = copy.runInProcess({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n")});
        ASSERT_TRUE(o.ended) << o.err.toStdString();
        EXPECT_EQ(copy.result(), QString::fromLatin1(r.expected).replace(QLatin1Char('$'), copy.folder).toStdString());
    }
}

// A result file the user names is written through what stands there: the link stays and its target gets the
// result, a FIFO or a device node gets it in place and stays what it was; a folder is left alone.
TEST(BatchRun, ResultThroughALinkAFifoOrADevice)
{
    ProgramCopy copy;
    const std::string dir = (copy.root + QStringLiteral("/out")).toStdString();
    QDir().mkpath(QString::fromStdString(dir));
    std::filesystem::create_symlink("target.txt", dir + "/link.txt");
    jvztest::writeFileBytes(dir + "/target.txt", "old\r\n");
    ASSERT_TRUE(jvztest::makeFifo(dir + "/pipe"));
    ASSERT_TRUE(jvztest::makeCharDevice(dir + "/null", jvztest::CharDevice::Null));
    QDir().mkpath(QString::fromStdString(dir + "/folder"));
    const std::string expected = "-2\r\ncatalogue file not found\r\n";
    const struct {
        const char* name;
        std::string path;
    } rows[] = {
        {"link", dir + "/link.txt"},
        {"FIFO", dir + "/pipe"},
        {"device node", dir + "/null"},
        {"folder", dir + "/folder"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        jvztest::FifoReader reader(dir + "/pipe");
        const auto o = copy.runInProcess({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n"),
                                          QStringLiteral("-r") + QString::fromStdString(r.path)});
        ASSERT_TRUE(o.ended) << o.err.toStdString();
        EXPECT_EQ(o.exitCode, 0);
        if (std::string(r.name) == "FIFO") {
            EXPECT_EQ(reader.readAll(), expected);
        }
    }
    EXPECT_TRUE(jvztest::isSymlinkTo(dir + "/link.txt", "target.txt"));
    EXPECT_EQ(jvztest::readFileBytes(dir + "/target.txt"), expected);
    EXPECT_TRUE(jvztest::isFifo(dir + "/pipe"));
    EXPECT_TRUE(jvztest::isCharDevice(dir + "/null"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(dir + "/folder")).isDir());
    EXPECT_EQ(QDir(QString::fromStdString(dir))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              (QStringList{"folder", "link.txt", "null", "pipe", "target.txt"}));
}

TEST(BatchRun, ResultFileWhereTheCommandLineSays)
{
    ProgramCopy copy;
    const QString out = copy.root + QStringLiteral("/out/res.txt");
    QDir().mkpath(QFileInfo(out).path());
    const auto o =
        copy.runInProcess({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n"), QStringLiteral("-r") + out});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_EQ(copy.result(out), "-2\r\ncatalogue file not found\r\n");
    EXPECT_FALSE(QFile::exists(copy.folder + QStringLiteral("/ResBatch.txt")));
}

// Another instance holding the lock does not stop a batch run; it goes on to the connection.
TEST(BatchRun, SecondInstanceCarriesOn)
{
    ProgramCopy copy;
    QDir().mkpath(QFileInfo(copy.lockPath()).path());
    jvz::InstanceLock other;
    ASSERT_EQ(other.acquire(copy.lockPath()), jvz::InstanceLock::Result::Acquired);
    const auto o = copy.runInProcess({QStringLiteral("-c") + existingList(copy), QStringLiteral("-n"), kNoSuchPort});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    expectEndedAtTheConnection(copy.result());
}

// A batch run that reaches the connection and cannot set up a link still ends by itself, with a reason.
class NoLink : public ::testing::TestWithParam<bool> {};

TEST_P(NoLink, EndsTheRunByItself)
{
    const bool progress = GetParam();
    ProgramCopy copy;
    QStringList args{QStringLiteral("-c") + existingList(copy), kNoSuchPort};
    if (!progress)
        args << QStringLiteral("-n");
    // A progress window needs the real program; the run without one goes in this process.
    const auto o = progress ? copy.run(args) : copy.runInProcess(args);
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_EQ(o.exitCode, 0);
    expectEndedAtTheConnection(copy.result());
    const std::string result = copy.result();
    EXPECT_GT(result.size(), result.find("\r\n") + 4) << "a failure carries its text";
}

INSTANTIATE_TEST_SUITE_P(BatchRun, NoLink, ::testing::Bool(), [](const auto& row) {
    return std::string(row.param ? "ProgressWindow" : "NoProgressWindow");
});

// A previous result is replaced, never appended to; an unwritable place leaves the run's end intact.
TEST(BatchRun, ResultReplacesTheOldOneAndAFailedWriteStillEnds)
{
    ProgramCopy copy;
    jvztest::writeFileBytes((copy.folder + QStringLiteral("/ResBatch.txt")).toStdString(), "0\r\nold\r\nlines\r\n");
    auto o = copy.runInProcess({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n")});
    ASSERT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_EQ(copy.result(), "-2\r\ncatalogue file not found\r\n");

    o = copy.runInProcess(
        {QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n"), QStringLiteral("-r/nonexistent/dir/res.txt")});
    EXPECT_TRUE(o.ended) << o.err.toStdString();
    EXPECT_EQ(o.exitCode, 0);
}

namespace {

struct MainWindowFixture {
    MainWindowFixture() { language.init(jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng"), 1); }
    jvz::frmMainJVZ& make()
    {
        world.hooks = {.window = {.quitApplication = [this] { calls << QStringLiteral("quit"); },
                                  .unloadProgressWindow = [this] { calls << QStringLiteral("unloadProgress"); },
                                  .endProgram = [this] { calls << QStringLiteral("end"); }},
                       .progressComment = {}};
        window = &world.assemble();
        return *window;
    }
    template <typename T> T* child(const char* name) { return window->findChild<T*>(QLatin1String(name)); }

    jvztest::MainWindowWorld world;
    jvz::AppSettings& settings = world.settings;
    jvz::BatchRun& batch = world.batch;
    jvztest::FakeNotifier& notifier = world.notifier;
    jvz::MBLanguages language;
    QStringList calls;
    jvz::frmMainJVZ* window = nullptr;
};

} // namespace

TEST(MainWindow, InitTranslatesAndKeepsItsTitle)
{
    MainWindowFixture f;
    jvz::frmMainJVZ& w = f.make();
    w.init(f.language);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Pendraxa"));
    EXPECT_FALSE(w.isVisible()); // init never shows it
    EXPECT_EQ(w.statusBars().StatusPanelText(jvz::StatusPanel::LinkState), QStringLiteral("Terminal: not connected"));
    for (const char* name : {"TXT_Trace", "StatusBar2", "TLB_Icon", "TLB_Connect", "Timer4", "Combo_DefaultConnection"})
        EXPECT_NE(w.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(f.child<QComboBox>("Combo_DefaultConnection")->count(), 1); // the shipped phonebook's one entry
    EXPECT_FALSE(f.child<QTimer>("Timer4")->isActive());
    // Not connected: button 2 (disconnect) pressed, button 1 released.
    EXPECT_FALSE(w.controls().iconButton(jvz::IconButton::Connect)->isChecked());
    EXPECT_TRUE(w.controls().iconButton(jvz::IconButton::Disconnect)->isChecked());
}

TEST(MainWindow, InitFollowsTheSettings)
{
    const struct {
        const char* connectBar;
        bool x07;
        const char* iconBar;
        uint8_t activity;
        bool connectBarShown;
        bool iconBarShown;
        uint8_t asked;
        const char* checked;
    } rows[] = {
        {"no", false, "yes", 1, false, true, 1, "MNU_Activity_Download"},
        {"yes", false, "yes", 2, false, true, 2, "MNU_Activity_Diagnostic"}, // the bar needs X07
        {"YES", true, "no", 3, true, false, 3, "MNU_Activity_Maintenance"},
        {"yes", true, "No", 7, true, false, 1, "MNU_Activity_Download"}, // unknown activity: download
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.connectBar << r.x07 << r.iconBar << int(r.activity));
        MainWindowFixture f;
        f.settings.gConnectBar = QLatin1String(r.connectBar);
        f.settings.gX07 = r.x07;
        f.settings.gIconBar = QLatin1String(r.iconBar);
        f.settings.gFilterField = QStringLiteral("*.M40");
        f.batch.gActivity = r.activity;
        jvz::frmMainJVZ& w = f.make();
        w.init(f.language);
        EXPECT_EQ(f.child<QToolBar>("TLB_Connect")->isVisibleTo(&w), r.connectBarShown);
        EXPECT_EQ(f.child<QAction>("MNU_View_ConnectBar")->isChecked(), r.connectBarShown);
        EXPECT_EQ(f.child<QToolBar>("TLB_Icon")->isVisibleTo(&w), r.iconBarShown);
        EXPECT_EQ(f.child<QAction>("MNU_View_IconBar")->isChecked(), r.iconBarShown);
        EXPECT_EQ(w.activityAsked(), r.asked);
        EXPECT_TRUE(f.child<QAction>(r.checked)->isChecked());
        EXPECT_EQ(f.child<QLineEdit>("Filter")->text(), QStringLiteral("*.M40"));
    }
}

TEST(MainWindow, TraceHasTheNewestLineOnTop)
{
    MainWindowFixture f;
    jvz::frmMainJVZ& w = f.make();
    w.traceBox().add(QStringLiteral("first"));
    w.traceBox().add(QStringLiteral("second"));
    EXPECT_EQ(w.traceBox().text(), QStringLiteral("second\r\nfirst\r\n"));
    EXPECT_EQ(f.child<QPlainTextEdit>("TXT_Trace")->toPlainText(), QStringLiteral("second\nfirst\n"));
    EXPECT_FALSE(f.child<QPlainTextEdit>("TXT_Trace")->isVisibleTo(&w)); // written even while hidden
    w.statusBars().SetStatusPanel(jvz::StatusPanel::LinkState, QStringLiteral("Socket: listening"));
    EXPECT_EQ(w.statusBars().StatusPanelText(jvz::StatusPanel::LinkState), QStringLiteral("Socket: listening"));
}

// Timer4 unloads the progress window and the main window, then ends the program; that close is no user quit.
TEST(MainWindow, Timer4EndsTheProgramOnce)
{
    MainWindowFixture f;
    jvz::frmMainJVZ& w = f.make();
    w.show();
    w.armTimer4(1);
    EXPECT_EQ(f.child<QTimer>("Timer4")->interval(), 1);
    ASSERT_TRUE(jvztest::waitUntil([&] { return !f.calls.isEmpty(); }, 5000));
    EXPECT_EQ(f.calls, QStringList({QStringLiteral("unloadProgress"), QStringLiteral("end")}));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(f.child<QTimer>("Timer4")->isActive());
}

TEST(MainWindow, UserCloseEndsAnInteractiveRunThroughTheQuitProcedure)
{
    for (const bool batch : {false, true}) {
        MainWindowFixture f;
        f.batch.gBatchMode = batch;
        jvz::frmMainJVZ& w = f.make();
        w.show();
        w.close();
        EXPECT_EQ(f.calls, batch ? QStringList() : QStringList({QStringLiteral("quit")}));
    }
}

// Until the connect sequence exists, connecting sets up no link: a batch run gets -7 and ends.
TEST(MainWindow, ConnectWithoutALinkLayer)
{
    for (const bool batch : {true, false}) {
        MainWindowFixture f;
        f.batch.gBatchMode = batch;
        // A window outside the assembly: the assembly always gives the program's connect sequence.
        jvz::frmMainJVZ w({.notifier = f.notifier,
                           .userStore = f.world.store,
                           .runner = f.world.runner,
                           .hooks = {},
                           .fillConnectionList = {},
                           .linkState = {}},
                          f.settings, f.batch);
        w.init(f.language);
        w.TerminalConnect(false);
        EXPECT_EQ(f.batch.gErrorCode, batch ? -7 : 0);
        EXPECT_EQ(f.notifier.shown.size(), batch ? 0u : 1u);
        EXPECT_TRUE(w.traceBox().text().startsWith(QStringLiteral("no link could be set up")));
    }
}

// The libraries a failed unattended run has mapped while its message stands (it writes its result, then waits
// two seconds before it ends).
QString librariesWhileEnding(const ProgramCopy& copy, const QStringList& args)
{
    QProcess p;
    p.setProcessEnvironment(copy.environment());
    p.setWorkingDirectory(copy.folder);
    p.start(copy.folder + QStringLiteral("/JVZ"), args);
    if (!p.waitForStarted(30000))
        return {};
    QString maps;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000 && p.state() == QProcess::Running) {
        if (QFileInfo::exists(copy.folder + QStringLiteral("/ResBatch.txt"))) {
            QFile file(QStringLiteral("/proc/%1/maps").arg(p.processId()));
            if (file.open(QIODevice::ReadOnly))
                maps = QString::fromLocal8Bit(file.readAll());
            break;
        }
        QTest::qWait(20);
    }
    p.waitForFinished(30000);
    return maps;
}

// An unattended run without progress window needs no window code, so it neither loads the windowed program
// nor the window libraries; a run that may show a window loads both. The real program, one run a case.
struct WindowCodeRow {
    const char* name;
    bool progress;
    bool windowCode;
};
const WindowCodeRow kWindowCodeRows[] = {
    {"unattended, no progress window", false, false},
    {"unattended, progress window", true, true},
};

class WindowCode : public ::testing::TestWithParam<WindowCodeRow> {};

TEST_P(WindowCode, OnlyRunsThatMayShowAWindowLoadTheWindowCode)
{
    const WindowCodeRow& r = GetParam();
    SCOPED_TRACE(r.name);
    ProgramCopy copy;
    QStringList args{QStringLiteral("-c/nonexistent/A.M40")};
    if (!r.progress)
        args << QStringLiteral("-n");
    const QString maps = librariesWhileEnding(copy, args);
    ASSERT_TRUE(maps.contains(QStringLiteral("libQt6Core"))) << "the run was not seen";
    EXPECT_EQ(maps.contains(QStringLiteral("libJVZWindows.so")), r.windowCode);
    EXPECT_EQ(maps.contains(QStringLiteral("libQt6Widgets")), r.windowCode);
    EXPECT_EQ(copy.result(), "-2\r\ncatalogue file not found\r\n");
}

INSTANTIATE_TEST_SUITE_P(ProgramFile, WindowCode, ::testing::ValuesIn(kWindowCodeRows),
                         [](const auto& row) { return std::string(row.param.progress ? "Windowed" : "Unattended"); });

// Without the windowed program beside it, a batch run still ends with its result (without progress window)
// and an interactive start says why it cannot show the window. The real program, one run a case.
class WithoutWindows : public ::testing::TestWithParam<bool> {};

TEST_P(WithoutWindows, BatchRunStillEndsWithItsResult)
{
    const bool progress = GetParam();
    SCOPED_TRACE(progress ? "progress window asked" : "no progress window");
    ProgramCopy copy;
    copy.remove("libJVZWindows.so");
    QStringList args{QStringLiteral("-c/nonexistent/A.M40")};
    if (!progress)
        args << QStringLiteral("-n");
    const auto o = copy.run(args);
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(copy.result(), "-2\r\ncatalogue file not found\r\n");
    EXPECT_EQ(o.err.contains("cannot load the windows"), progress) << o.err.constData();
}

INSTANTIATE_TEST_SUITE_P(ProgramFile, WithoutWindows, ::testing::Bool(), [](const auto& row) {
    return std::string(row.param ? "ProgressWindow" : "NoProgressWindow");
});

TEST(ProgramFile, WithoutTheWindowedProgramAnInteractiveStartSaysWhy)
{
    ProgramCopy copy;
    copy.remove("libJVZWindows.so");
    const auto o = copy.run({}, 30000, ":99");
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_TRUE(o.err.contains("cannot load the windows")) << o.err.constData();
}
