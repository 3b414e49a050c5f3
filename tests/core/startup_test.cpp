#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "FakeUserSettingsStore.h"
#include "TestEnv.h"
#include "WaitUntil.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"
#include "core/Startup.h"
#include "core/TerminalSession.h"
#include "platform/FileReader.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessRunner.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <set>

using jvz::Startup;

namespace {

const char* const kLanguage = "[General]\r\n"
                              "DefaultLanguage=1\r\n"
                              "msg_CataExtMissing=Product code file missing,Fichier des codes produit absent\r\n"
                              "msg_DefaultDirectoryFileMissing=Bookmark file missing,Fichier des favoris absent\r\n"
                              "msg_AlreadyRunning=is already running,est deja lance\r\n";

// Records what start-up asks of the main window; its connect step leaves the code it is told to.
class FakeMainWindow : public jvz::StartupMainWindow {
public:
    explicit FakeMainWindow(jvz::BatchRun& batch) : m_batch(batch) {}
    void init(const jvz::MBLanguages&) override { ++inits; }
    void showWindow() override { ++shows; }
    void TerminalConnect(bool modemSetupDone) override
    {
        ++connects;
        EXPECT_FALSE(modemSetupDone);
        if (connectFails)
            m_batch.set(jvz::BatchCode::ConnectionSetup, QStringLiteral("no link"));
    }
    void armTimer4(int intervalMs) override { timer4 = intervalMs; }

    int inits = 0;
    int shows = 0;
    int connects = 0;
    bool connectFails = false;
    std::optional<int> timer4;

private:
    jvz::BatchRun& m_batch;
};

class FakeHost : public jvz::StartupHost {
public:
    explicit FakeHost(jvz::BatchRun& batch) : m_batch(batch) {}
    jvz::StartupMainWindow& mainWindow() override
    {
        if (!window)
            window.emplace(m_batch); // created on first use, as the real one
        return *window;
    }
    void showProgressWindow(const QString& comment) override { progress.push_back(QStringLiteral("init:") + comment); }
    void progressComment(const QString& text) override { progress.push_back(text); }
    void FindModemPorts() override { ++modemSearches; }
    bool isAnotherInstanceRunning() override { return anotherInstance; }
    void endProgram() override { ++ends; }

    std::optional<FakeMainWindow> window;
    QStringList progress;
    int modemSearches = 0;
    bool anotherInstance = false;
    int ends = 0;

private:
    jvz::BatchRun& m_batch;
};

// A program folder holding the four start-up files; a row removes or changes some of them.
struct StartupFixture {
    explicit StartupFixture(const std::string& ini = "[Options]\r\n")
    {
        write("JVZ.ini", ini);
        write("JVZ.lng", kLanguage);
        write("JVZ.prm", "M40 terminal\r\n");
        write("JVZ.bmk", "");
        write("list/A.M40", "file.sgn\r\n");
    }
    void write(const std::string& name, const std::string& bytes) { jvztest::writeFileBytes(dir + "/" + name, bytes); }
    void remove(const std::string& name) { QFile::remove(QString::fromStdString(dir + "/" + name)); }
    QString path(const char* name) const { return QString::fromStdString(dir + "/") + QLatin1String(name); }
    std::string resultFile() const { return jvztest::readFileBytes(dir + "/ResBatch.txt"); }
    bool resultWritten() const { return jvztest::fileExists(dir + "/ResBatch.txt"); }

    Startup::Outcome run(const QStringList& args) { return startup.Main(args); }

    std::string dir = jvztest::makeScratchDir("prog");
    QString folder = QString::fromStdString(dir);
    jvz::AppSettings settings;
    jvz::BatchRun batch;
    jvz::TerminalSession session;
    jvz::MBLanguages language;
    jvztest::FakeUserSettingsStore store;
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    FakeHost host{batch};
    jvztest::FakeNotifier notifier;
    Startup startup{{.settings = settings,
                     .batch = batch,
                     .session = session,
                     .language = language,
                     .userStore = store,
                     .writer = writer},
                    host,
                    notifier,
                    folder + QStringLiteral("/JVZ")};
};

enum class RunKind { Interactive, Batch, BatchNoProgress, BatchMissingList };

QStringList argsFor(RunKind run, const StartupFixture& f)
{
    switch (run) {
    case RunKind::Interactive:
        return {};
    case RunKind::Batch:
        return {QStringLiteral("-c") + f.path("list/A.M40")};
    case RunKind::BatchNoProgress:
        return {QStringLiteral("-c") + f.path("list/A.M40"), QStringLiteral("-n")};
    case RunKind::BatchMissingList:
        return {QStringLiteral("-c/nonexistent/A.M40")};
    }
    return {};
}

} // namespace

// Each start-up path as one row: which file is missing, the kind of run, and what must follow.
TEST(Startup, PathsFromStartToQuit)
{
    const struct {
        const char* name;
        RunKind run;
        const char* missing; // file removed from the program folder, or null
        bool anotherInstance;
        bool connectFails;
        Startup::Outcome outcome;
        int code;
        const char* text; // "$" stands for the program folder
        bool mainInitialised;
        bool shown;
        bool connected;
        const char* progress; // progress window lines joined by "|"
        bool timer;           // Timer4 armed with 2000 ms
        int boxes;
        bool resultWritten;
    } rows[] = {
        {"interactive start", RunKind::Interactive, nullptr, false, false, Startup::Outcome::RunEventLoop, 0, "", true,
         true, false, "", false, 0, false},
        {"interactive, no ini", RunKind::Interactive, "JVZ.ini", false, false, Startup::Outcome::Ended, -6,
         "file $/JVZ.ini missing", false, false, false, "", false, 1, true},
        // The message goes to the progress window, which was never shown: the run stopped before that step.
        {"batch, no ini", RunKind::Batch, "JVZ.ini", false, false, Startup::Outcome::RunEventLoop, -6,
         "file $/JVZ.ini missing", false, false, false, "file $/JVZ.ini missing", true, 0, true},
        {"interactive, no language file", RunKind::Interactive, "JVZ.lng", false, false, Startup::Outcome::Ended, -6,
         "file $/JVZ.lng missing", false, false, false, "", false, 1, true},
        {"batch, no product-code file", RunKind::Batch, "JVZ.prm", false, false, Startup::Outcome::RunEventLoop, -6,
         "Product code file missing", true, false, false, "Product code file missing", true, 0, true},
        {"interactive, no bookmark file: box, then the window", RunKind::Interactive, "JVZ.bmk", false, false,
         Startup::Outcome::RunEventLoop, -6, "Bookmark file missing", true, true, false, "", false, 1, false},
        {"batch, no bookmark file: no connection", RunKind::Batch, "JVZ.bmk", false, false,
         Startup::Outcome::RunEventLoop, -6, "Bookmark file missing", true, false, false,
         "init:JVZ Running...|Bookmark file missing", true, 0, true},
        {"second interactive instance", RunKind::Interactive, nullptr, true, false, Startup::Outcome::Ended, 0, "",
         true, false, false, "", false, 1, true},
        {"second batch instance carries on", RunKind::Batch, nullptr, true, false, Startup::Outcome::RunEventLoop, 0,
         "", true, false, true, "init:JVZ Running...", false, 0, false},
        {"batch, catalogue list missing", RunKind::BatchMissingList, nullptr, false, false,
         Startup::Outcome::RunEventLoop, -2, "catalogue file not found", true, false, false,
         "init:JVZ Running...|catalogue file not found", true, 0, true},
        {"batch reaching the connection", RunKind::BatchNoProgress, nullptr, false, false,
         Startup::Outcome::RunEventLoop, 0, "", true, false, true, "", false, 0, false},
        {"batch whose connection fails", RunKind::Batch, nullptr, false, true, Startup::Outcome::RunEventLoop, -7,
         "no link", true, false, true, "init:JVZ Running...|no link", true, 0, true},
        {"batch without progress window fails", RunKind::BatchNoProgress, nullptr, false, true,
         Startup::Outcome::RunEventLoop, -7, "no link", true, false, true, "", true, 0, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        StartupFixture f;
        if (r.missing)
            f.remove(r.missing);
        f.host.anotherInstance = r.anotherInstance;
        f.session.swapTotalSize = 99;
        f.session.swapUnchecked = false;
        if (r.connectFails) {
            f.host.mainWindow(); // the fake is told before start-up reaches it
            f.host.window->connectFails = true;
        }
        EXPECT_EQ(f.run(argsFor(r.run, f)), r.outcome);

        const QString text = QString::fromLatin1(r.text).replace(QLatin1Char('$'), f.folder);
        EXPECT_EQ(f.batch.gErrorCode, r.code);
        EXPECT_EQ(f.batch.gErrorText, text);
        EXPECT_EQ(f.host.window.has_value() && f.host.window->inits == 1, r.mainInitialised);
        EXPECT_EQ(f.host.window.has_value() && f.host.window->shows == 1, r.shown);
        EXPECT_EQ(f.host.window.has_value() && f.host.window->connects == 1, r.connected);
        EXPECT_EQ(f.host.progress.join(QLatin1Char('|')),
                  QString::fromLatin1(r.progress).replace(QLatin1Char('$'), f.folder));
        EXPECT_EQ(f.host.window.has_value() ? f.host.window->timer4 : std::nullopt,
                  r.timer ? std::optional<int>(2000) : std::nullopt);
        EXPECT_EQ(static_cast<int>(f.notifier.shown.size()), r.boxes);
        EXPECT_EQ(f.host.ends, r.outcome == Startup::Outcome::Ended ? 1 : 0);
        EXPECT_EQ(f.resultWritten(), r.resultWritten);
        if (r.resultWritten) {
            EXPECT_EQ(f.resultFile(), std::to_string(r.code) + "\r\n" + text.toStdString() + "\r\n");
        }
        if (r.connected) {
            EXPECT_EQ(f.session.swapTotalSize, 0);
            EXPECT_TRUE(f.session.swapUnchecked);
        }
        EXPECT_EQ(f.host.modemSearches, r.mainInitialised ? 1 : 0);
    }
}

TEST(Startup, MessageBoxesOfAnInteractiveStart)
{
    {
        StartupFixture f;
        f.remove("JVZ.lng");
        f.run({});
        ASSERT_EQ(f.notifier.shown.size(), 1u);
        EXPECT_EQ(f.notifier.shown[0].icon, jvz::MessageIcon::Critical);
        EXPECT_EQ(f.notifier.shown[0].buttons, jvz::MessageButtons::Ok);
        EXPECT_EQ(f.notifier.shown[0].title, QStringLiteral("JVZ"));
        EXPECT_EQ(f.notifier.shown[0].text, QStringLiteral("file ") + f.folder + QStringLiteral("/JVZ.lng missing"));
    }
    {
        StartupFixture f;
        f.host.anotherInstance = true;
        f.run({});
        ASSERT_EQ(f.notifier.shown.size(), 1u);
        EXPECT_EQ(f.notifier.shown[0].icon, jvz::MessageIcon::Exclamation);
        EXPECT_EQ(f.notifier.shown[0].text, QStringLiteral("JVZ is already running"));
        EXPECT_EQ(f.batch.gErrorCode, 0); // no code for a second instance
    }
}

// The data files are named in [Files]; an empty value means the default name, any name is in the program folder.
TEST(Startup, DataFileNamesFromTheIniFile)
{
    const struct {
        const char* ini;
        const char* create; // extra file put in the program folder
        int code;
        const char* text;
        const char* languageFile;
    } rows[] = {
        {"[Files]\r\nLanguage=\r\n", nullptr, 0, "", "JVZ.lng"},
        {"[Files]\r\nLanguage=other.lng\r\n", nullptr, -6, "file $/other.lng missing", "other.lng"},
        {"[Files]\r\nLanguage=other.lng\r\n", "other.lng", 0, "", "other.lng"},
        {"[Files]\r\nLanguage=sub\r\n", "sub/x", -6, "file $/sub missing", "sub"}, // a folder is no file
        {"[files]\r\nbookmark=fav.bmk\r\n", nullptr, -6, "Bookmark file missing", "JVZ.lng"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ini);
        StartupFixture f(r.ini);
        if (r.create)
            f.write(r.create, kLanguage);
        f.run({});
        EXPECT_EQ(f.batch.gErrorCode, r.code);
        EXPECT_EQ(f.batch.gErrorText, QString::fromLatin1(r.text).replace(QLatin1Char('$'), f.folder));
        EXPECT_EQ(f.settings.gLanguageFile, QString::fromLatin1(r.languageFile));
    }
}

// A language file without the message's text still gives a failure a text, so a script learns which file.
TEST(Startup, MissingFileMessageNeverEmpty)
{
    StartupFixture f;
    f.write("JVZ.lng", "[General]\r\nDefaultLanguage=1\r\n");
    f.remove("JVZ.prm");
    f.run({QStringLiteral("-c") + f.path("list/A.M40"), QStringLiteral("-n")});
    EXPECT_EQ(f.batch.gErrorCode, -6);
    EXPECT_EQ(f.batch.gErrorText, QStringLiteral("file ") + f.folder + QStringLiteral("/JVZ.prm missing"));
    EXPECT_EQ(f.host.window->timer4, std::optional<int>(2000));
}

// Whatever ends the run, and however often, the result file is written once; -r puts it where it is asked.
TEST(Startup, ResultFileIsWrittenOnceWhereAsked)
{
    StartupFixture f;
    const std::string out = jvztest::makeScratchDir("out") + "/res.txt";
    f.host.mainWindow();
    f.host.window->connectFails = true;
    f.run({QStringLiteral("-c") + f.path("list/A.M40"), QStringLiteral("-r") + QString::fromStdString(out)});
    EXPECT_EQ(jvztest::readFileBytes(out), "-7\r\nno link\r\n");
    EXPECT_FALSE(f.resultWritten());

    jvztest::writeFileBytes(out, "changed");
    f.startup.QuitApplication(); // e.g. the disconnect ending the run as well
    EXPECT_EQ(jvztest::readFileBytes(out), "changed");
    EXPECT_EQ(f.host.ends, 0);
}

// A batch run that ends with no message ends at once; the main window's close of an interactive run ends
// through the same procedure and also leaves its result.
TEST(Startup, QuitWithoutMessageEndsAtOnce)
{
    for (const RunKind run : {RunKind::BatchNoProgress, RunKind::Interactive}) {
        StartupFixture f;
        EXPECT_EQ(f.run(argsFor(run, f)), Startup::Outcome::RunEventLoop);
        EXPECT_FALSE(f.resultWritten());
        f.startup.QuitApplication();
        EXPECT_EQ(f.resultFile(), "0\r\n\r\n");
        EXPECT_EQ(f.host.ends, 1);
        EXPECT_TRUE(f.startup.hasEnded());
        EXPECT_FALSE(f.host.window->timer4.has_value());
    }
}

// A result that cannot be written is told in the message, and the batch run still ends with it on screen.
TEST(Startup, FailedResultWriteExtendsTheMessage)
{
    const struct {
        jvztest::FailingFileWriter::FailAt at;
    } rows[] = {{jvztest::FailingFileWriter::FailAt::Begin},
                {jvztest::FailingFileWriter::FailAt::Write},
                {jvztest::FailingFileWriter::FailAt::Commit}};
    for (const auto& r : rows) {
        StartupFixture f;
        f.write("ResBatch.txt", "0\r\nold\r\n");
        f.writer.setFailure(r.at);
        f.run({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n")});
        EXPECT_EQ(f.batch.gErrorCode, -2);
        EXPECT_TRUE(f.batch.gErrorText.startsWith(QStringLiteral("catalogue file not found\r\n")));
        EXPECT_TRUE(f.batch.gErrorText.endsWith(f.path("ResBatch.txt") + QLatin1Char('\'')));
        EXPECT_NE(f.resultFile(), "0\r\nold\r\n"); // an old result never passes for this run's
        EXPECT_EQ(f.host.window->timer4, std::optional<int>(2000));
    }
}

TEST(InstanceLock, OneHolderAtATime)
{
    const QString path = QString::fromStdString(jvztest::makeScratchDir("lock") + "/JVZ.lock");
    jvz::InstanceLock first;
    jvz::InstanceLock second;
    EXPECT_EQ(first.acquire(path), jvz::InstanceLock::Result::Acquired);
    EXPECT_EQ(first.acquire(path), jvz::InstanceLock::Result::Acquired);
    EXPECT_EQ(second.acquire(path), jvz::InstanceLock::Result::HeldElsewhere);
    first.release();
    EXPECT_EQ(second.acquire(path), jvz::InstanceLock::Result::Acquired);
    EXPECT_EQ(jvz::InstanceLock().acquire(QStringLiteral("/nonexistent/dir/JVZ.lock")),
              jvz::InstanceLock::Result::Unavailable);
}

// The lock of an instance that dies is free again at once: no stale lock blocks the next start.
TEST(InstanceLock, FreedWhenItsHolderDies)
{
    const QString dir = QString::fromStdString(jvztest::makeScratchDir("lock"));
    const QString path = dir + QStringLiteral("/JVZ.lock");
    const QString ready = dir + QStringLiteral("/ready");
    jvz::PosixProcessRunner runner;
    jvz::ProcessSpec spec;
    spec.program = QStringLiteral("/bin/sh");
    // The holder is the process we kill: the lock sits on its own descriptor 9, nothing else holds it. The
    // ready mark is written by the shell itself: a child such as touch would inherit the descriptor and could
    // still hold the lock for a moment after the holder is gone.
    spec.arguments = {QStringLiteral("-c"),
                      QStringLiteral("exec 9>'%1' && flock 9 && : >'%2' && exec sleep 60").arg(path, ready)};
    auto holder = runner.start(spec);
    ASSERT_TRUE(holder);
    ASSERT_TRUE(jvztest::waitUntil([&] { return jvztest::fileExists(ready.toStdString()); }, 10000));
    jvz::InstanceLock lock;
    EXPECT_EQ(lock.acquire(path), jvz::InstanceLock::Result::HeldElsewhere);
    ASSERT_TRUE(holder->sendSignal(SIGKILL, jvz::SignalTarget::Process));
    ASSERT_TRUE(holder->waitForEnd(10000));
    EXPECT_EQ(lock.acquire(path), jvz::InstanceLock::Result::Acquired);
}

namespace {

// Reads like the real reader except for the files it is told to fail: chmod does not stop root.
class SelectiveFailingReader : public jvz::FileReader {
public:
    jvz::FileReadResult read(const QString& path, qint64 maxBytes) override
    {
        if (path.endsWith(failing))
            return {jvz::FileReadStatus::Failed, {}};
        return jvz::PlainFileReader::standard().read(path, maxBytes);
    }
    QString failing;
};

} // namespace

// Settings that cannot be read stop the run as missing ones do, rather than every setting taking its default.
TEST(Startup, UnreadableSettingsEndTheRunWithTheirName)
{
    for (const RunKind run : {RunKind::Interactive, RunKind::BatchNoProgress}) {
        SCOPED_TRACE(int(run));
        StartupFixture f("[Protocol]\r\nIP_LocalAddress=127.0.0.9\r\n");
        SelectiveFailingReader reader;
        reader.failing = QStringLiteral("/JVZ.ini");
        f.settings.gIniFile = std::make_shared<jvz::MbFileIni>(nullptr, &reader);
        f.run(argsFor(run, f));
        EXPECT_EQ(f.batch.gErrorCode, -6);
        EXPECT_EQ(f.batch.gErrorText, QStringLiteral("file ") + f.folder + QStringLiteral("/JVZ.ini cannot be read"));
        EXPECT_FALSE(f.host.window.has_value() && f.host.window->connects > 0);
        EXPECT_EQ(f.notifier.shown.size(), run == RunKind::Interactive ? 1u : 0u);
        EXPECT_EQ(f.resultFile(), "-6\r\nfile " + f.dir + "/JVZ.ini cannot be read\r\n");
    }
}

// The data files the settings name are found whatever the letter case the settings wrote them in.
TEST(Startup, DataFilesNamedInAnotherCaseAreFound)
{
    StartupFixture f("[Files]\r\nLanguage=jvz.LNG\r\nCataExt=jvz.prm\r\nBookmark=Jvz.Bmk\r\n");
    EXPECT_EQ(f.run(argsFor(RunKind::BatchNoProgress, f)), Startup::Outcome::RunEventLoop);
    EXPECT_EQ(f.batch.gErrorCode, 0) << f.batch.gErrorText.toStdString();
    EXPECT_EQ(f.settings.gLanguageFile, QStringLiteral("JVZ.lng"));
    EXPECT_EQ(f.settings.gCataExtFile, QStringLiteral("JVZ.prm"));
    EXPECT_EQ(f.settings.gBookmarkFile, QStringLiteral("JVZ.bmk"));
    EXPECT_EQ(f.language.GetGeneralLabel(QStringLiteral("msg_AlreadyRunning")), QStringLiteral("is already running"));
}
