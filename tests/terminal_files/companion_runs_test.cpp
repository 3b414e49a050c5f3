// The companion programs run as child processes: the real built ones on fixture files, and stand-ins
// for the exit codes, the missing outside converter, a second run and a stale report.
#include "DiaBuilders.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "SignedFileBuilder.h"
#include "TestEnv.h"
#include "ViewerDoubles.h"
#include "platform/ProcessRunner.h"
#include "terminal_files/CompanionRun.h"
#include "terminal_files/ui/FrmReadTextFile.h"
#include "terminal_files/ui/ViewerWindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::FakeNotifier;
using jvztest::RecordingViewers;

namespace {

QString scratch(const char* hint)
{
    return QString::fromStdString(jvztest::makeScratchDir(hint)) + QLatin1Char('/');
}

void writeBytes(const QString& path, const std::string& bytes)
{
    ASSERT_TRUE(jvztest::writeFileBytes(path.toStdString(), bytes)) << path.toStdString();
}

// A stand-in companion: a shell script in the program folder.
void writeStandIn(const QString& folder, const char* program, const std::string& body)
{
    const QString path = folder + QLatin1String(program);
    writeBytes(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class CompanionRunsTest : public testing::Test {
protected:
    CompanionRunner makeRunner(const QString& programFolder)
    {
        CompanionOptions options;
        options.programFolder = programFolder;
        options.tempFolder = m_temp;
        return CompanionRunner(m_processes, m_notifier, m_language, m_viewers, options);
    }

    QString m_temp = scratch("temp");
    QString m_input = scratch("input");
    PosixProcessRunner m_processes;
    FakeNotifier m_notifier;
    MBLanguages m_language = jvztest::bracketedFileToolTexts();
    RecordingViewers m_viewers;
};

} // namespace

TEST_F(CompanionRunsTest, RealCompanionsShowTheirReportThenItGoes)
{
    using namespace diagtest;
    const std::string diaStamp = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A);
    struct RealCase {
        CompanionKind kind;
        const char* inputName;
        std::string input;
        const char* expected; // a piece of the report
        int height, width;
        bool editable;
    };
    const RealCase cases[] = {
        {CompanionKind::AppDefault, "APPDEFAULT.DIA", diaStamp + appDefaultRecord(stamp(1, 2, 3, 4, 5), 1, 0x1234),
         "23/05/17", 5000, 7000, true},
        {CompanionKind::AppCounter, "APPCOUNTER.DIA", diaStamp + appCounterRecord(7, 4242), "4242", 5000, 7000, true},
        {CompanionKind::SecurityDiagnostic, "VORBANE.DIA", SecurityDiag().build(), "", 6000, 6000, false},
        {CompanionKind::SignedFile, "APP.AGN", sigtest::componentHeader({}) + sigtest::signatureTrailer({}), "01020304",
         7000, 10600, false},
    };
    CompanionRunner runner = makeRunner(jvztest::binDir());
    for (const RealCase& c : cases) {
        SCOPED_TRACE(c.inputName);
        const QString input = m_input + QLatin1String(c.inputName);
        writeBytes(input, c.input);
        m_viewers.texts.clear();
        EXPECT_EQ(runner.run(c.kind, input), CompanionOutcome::Shown);
        ASSERT_EQ(m_viewers.texts.size(), 1u);
        const auto& shown = m_viewers.texts.front();
        EXPECT_EQ(shown.request.folder, m_temp);
        EXPECT_EQ(shown.request.fileName, QLatin1String(companionTraits(c.kind).outputName));
        EXPECT_EQ(shown.request.displayPath, input); // the caption names the input file
        EXPECT_EQ(shown.request.heightTwips, c.height);
        EXPECT_EQ(shown.request.widthTwips, c.width);
        EXPECT_EQ(shown.request.writable, c.editable);
        EXPECT_FALSE(shown.content.isEmpty());
        EXPECT_TRUE(shown.content.contains(c.expected)) << shown.content.toStdString();
        EXPECT_FALSE(QFile::exists(m_temp + shown.request.fileName)) << "the report stays behind";
        EXPECT_TRUE(QFile::exists(input)) << "the input is the caller's";
    }
    EXPECT_TRUE(m_notifier.shown.empty());
}

TEST_F(CompanionRunsTest, DetailedSignedDumpWithTheExtraSetting)
{
    CompanionRunner runner = makeRunner(jvztest::binDir());
    const QString input = m_input + QStringLiteral("APP.AGN");
    writeBytes(input, sigtest::componentHeader({}) + sigtest::signatureTrailer({}));
    for (const bool detailed : {false, true}) {
        runner.options().certifSgnPlus = detailed;
        int16_t status = -1;
        runner.AnalyzeSgn(input, status);
        EXPECT_EQ(status, 0);
    }
    ASSERT_EQ(m_viewers.texts.size(), 2u);
    const QByteArray detail("-> List of repudiated keys");
    EXPECT_FALSE(m_viewers.texts[0].content.contains(detail)) << m_viewers.texts[0].content.toStdString();
    EXPECT_TRUE(m_viewers.texts[1].content.contains(detail)) << m_viewers.texts[1].content.toStdString();
}

TEST_F(CompanionRunsTest, ExitCodesGiveTheirMessages)
{
    struct CodeCase {
        CompanionKind kind;
        int exitCode; // as the shell exits (0-255)
        CompanionOutcome outcome;
        const char* text; // expected box text, empty for none
    };
    const CodeCase cases[] = {
        {CompanionKind::SecurityDiagnostic, 255, CompanionOutcome::ReportedError,
         "<Orbeck:MSG_ERR_NOT_ENOUGH_ARG>\r\n<Orbeck:MSG_SYNTAX>"},
        {CompanionKind::SecurityDiagnostic, 254, CompanionOutcome::ReportedError, "<Orbeck:MSG_ERR_FILE_NOT_FOUND>"},
        {CompanionKind::SecurityDiagnostic, 253, CompanionOutcome::ReportedError, "<Orbeck:ERR_FILE_NOT_WRITTEN>"},
        {CompanionKind::SecurityDiagnostic, 1, CompanionOutcome::SilentError, ""},
        {CompanionKind::AppCounter, 1, CompanionOutcome::ReportedError, "<Tulmane:MSG_ERR_FILE_NOT_FOUND>\r\n"},
        {CompanionKind::AppCounter, 2, CompanionOutcome::ReportedError, "<Tulmane:MSG_ERR_FILE_NOT_OPEN>"},
        {CompanionKind::AppCounter, 3, CompanionOutcome::SilentError, ""},
        {CompanionKind::AppCounter, 6, CompanionOutcome::ReportedError, "<Tulmane:MSG_ERR_ERROR_EXE>"},
        {CompanionKind::AppCounter, 255, CompanionOutcome::SilentError, ""},
        {CompanionKind::AppDefault, 2, CompanionOutcome::ReportedError, "<Vitrane:MSG_ERR_FILE_NOT_OPEN>"},
        {CompanionKind::AppDefault, 4, CompanionOutcome::SilentError, ""},
        {CompanionKind::LifeCounter, 3, CompanionOutcome::ReportedError, "<convDIA:MSG_ERR_UNKNOW_LANGUAGE>"},
        {CompanionKind::LifeCounter, 4, CompanionOutcome::ReportedError, "<convDIA:MSG_ERR_TOO_MANY_PARALETERS>"},
        {CompanionKind::LifeCounter, 5, CompanionOutcome::ReportedError, "<convDIA:MSG_ERR_FILE_NOT_WRITTEN>"},
        {CompanionKind::LifeCounter, 7, CompanionOutcome::SilentError, ""},
        {CompanionKind::SignedFile, 1, CompanionOutcome::ReportedError, "<Kelmdor:MSG_ERR_FILE_NOT_FOUND>\r\n"},
        {CompanionKind::SignedFile, 6, CompanionOutcome::ReportedError, "<Kelmdor:MSG_ERR_ERROR_EXE>"},
    };
    const QString programs = scratch("programs");
    CompanionRunner runner = makeRunner(programs.chopped(1));
    const QString input = m_input + QStringLiteral("in.dia");
    writeBytes(input, "x");
    for (const CodeCase& c : cases) {
        const CompanionTraits& traits = companionTraits(c.kind);
        SCOPED_TRACE(std::string(traits.program) + " exits " + std::to_string(c.exitCode));
        // The stand-in writes a partial report, which must be neither shown nor left behind.
        const QString output = m_temp + QLatin1String(traits.outputName);
        writeStandIn(programs, traits.program,
                     "printf partial > '" + output.toStdString() + "'\nexit " + std::to_string(c.exitCode));
        m_notifier.shown.clear();
        EXPECT_EQ(runner.run(c.kind, input), c.outcome);
        EXPECT_TRUE(m_viewers.texts.empty());
        EXPECT_FALSE(QFile::exists(output));
        if (*c.text) {
            ASSERT_EQ(m_notifier.shown.size(), 1u);
            EXPECT_EQ(m_notifier.shown[0].text, QString::fromLatin1(c.text));
            EXPECT_EQ(m_notifier.shown[0].title, QLatin1String(traits.section));
            EXPECT_EQ(m_notifier.shown[0].icon, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(m_notifier.shown.empty());
        }
    }
}

TEST_F(CompanionRunsTest, MissingOutsideConverterIsALaunchProblem)
{
    // The life-counter converter is not built here: the program folder has none.
    ASSERT_FALSE(QFileInfo::exists(jvztest::binDir() + QStringLiteral("/Brosquin")));
    CompanionRunner runner = makeRunner(jvztest::binDir());
    const QString input = m_input + QStringLiteral("LIFECOUNTER_01.DIA");
    writeBytes(input, "x");
    EXPECT_EQ(runner.ShowLifeCounterRecords(input), CompanionOutcome::LaunchProblem);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, QStringLiteral("<convDIA:MSG_LAUNCHING_PB>"));
    EXPECT_TRUE(m_notifier.shown[0].title.isEmpty());
    EXPECT_TRUE(m_viewers.texts.empty());
    EXPECT_FALSE(runner.isRunning());
}

TEST_F(CompanionRunsTest, StaleReportIsNeverShownAsAResult)
{
    const QString programs = scratch("programs");
    writeStandIn(programs, "Vitrane", "exit 0"); // ends well but writes nothing
    CompanionRunner runner = makeRunner(programs.chopped(1));
    const QString stale = m_temp + QLatin1String(companionTraits(CompanionKind::AppDefault).outputName);
    writeBytes(stale, "report of an earlier run");
    const QString input = m_input + QStringLiteral("APPDEFAULT.DIA");
    writeBytes(input, "x");
    EXPECT_EQ(runner.ShowAppDefaultRecords(input), CompanionOutcome::NoReport);
    EXPECT_TRUE(m_viewers.texts.empty());
    EXPECT_FALSE(QFile::exists(stale));
}

TEST_F(CompanionRunsTest, SecondRunIsRefusedWhileOneRunsAndTheWindowStaysLive)
{
    const QString programs = scratch("programs");
    const QString flag = m_temp + QStringLiteral("go");
    const QString output = m_temp + QLatin1String(companionTraits(CompanionKind::AppCounter).outputName);
    // Waits (bounded) until the test lets it go, then writes its report.
    writeStandIn(programs, "Tulmane",
                 "i=0; while [ ! -e '" + flag.toStdString() +
                     "' ] && [ $i -lt 1000 ]; do sleep 0.01; i=$((i+1)); done\n"
                     "printf 'counter report' > \"$2\"; exit 0");
    CompanionRunner runner = makeRunner(programs.chopped(1));
    std::vector<bool> runningSeen;
    runner.setRunningChanged([&](bool running) { runningSeen.push_back(running); });
    const QString input = m_input + QStringLiteral("APPCOUNTER.DIA");
    writeBytes(input, "x");
    CompanionOutcome second = CompanionOutcome::Shown;
    bool timerRan = false;
    QTimer::singleShot(0, [&] {
        timerRan = true; // window events are handled during the wait
        EXPECT_TRUE(runner.isRunning());
        second = runner.ShowAppDefaultRecords(input);
        writeBytes(flag, "");
    });
    EXPECT_EQ(runner.ShowAppCounterRecords(input), CompanionOutcome::Shown);
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(second, CompanionOutcome::Refused);
    ASSERT_EQ(m_viewers.texts.size(), 1u);
    EXPECT_EQ(m_viewers.texts[0].content, QByteArray("counter report"));
    EXPECT_EQ(runningSeen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(QFile::exists(output));
}

TEST(CompanionCommands, ArgumentListsOfTheFiveRuns)
{
    CompanionOptions base;
    base.programFolder = QStringLiteral("/opt/my tools");
    base.tempFolder = QStringLiteral("/home/u/.local/share/JVZ/temp/");
    const QString in = QStringLiteral("/data/in file.dia");
    const QString t = base.tempFolder;
    struct CommandCase {
        const char* what;
        CompanionKind kind;
        std::function<void(CompanionOptions&)> set;
        QString program;
        QStringList arguments;
    };
    const CommandCase cases[] = {
        {"life counter",
         CompanionKind::LifeCounter,
         [](CompanionOptions&) {},
         "/opt/my tools/Brosquin",
         {in, "/opt/my tools/Counter.ini", t + "lifecounter_report.txt"}},
        {"life counter in French",
         CompanionKind::LifeCounter,
         [](CompanionOptions& o) { o.languageNumber = 2; },
         "/opt/my tools/Brosquin",
         {in, "/opt/my tools/Counter.ini", t + "lifecounter_report.txt", "fr"}},
        {"application counter",
         CompanionKind::AppCounter,
         [](CompanionOptions&) {},
         "/opt/my tools/Tulmane",
         {in, t + "appcounter_report.txt"}},
        {"application default",
         CompanionKind::AppDefault,
         [](CompanionOptions&) {},
         "/opt/my tools/Vitrane",
         {in, t + "appdefault_report.txt"}},
        {"analyser",
         CompanionKind::SecurityDiagnostic,
         [](CompanionOptions&) {},
         "/opt/my tools/Orbeck",
         {in, t + "vorbaneA.dia"}},
        {"analyser with a code",
         CompanionKind::SecurityDiagnostic,
         [](CompanionOptions& o) { o.vorbaneCode = QStringLiteral("A1B2"); },
         "/opt/my tools/Orbeck",
         {in, t + "vorbaneA.dia", "A1B2"}},
        {"dumper",
         CompanionKind::SignedFile,
         [](CompanionOptions&) {},
         "/opt/my tools/Kelmdor",
         {"-m", in, t + "signedfile_report.txt"}},
        {"detailed dumper",
         CompanionKind::SignedFile,
         [](CompanionOptions& o) { o.certifSgnPlus = true; },
         "/opt/my tools/Kelmdor",
         {"-x", "-m", in, t + "signedfile_report.txt"}},
    };
    for (const CommandCase& c : cases) {
        CompanionOptions options = base;
        c.set(options);
        const CompanionCommand command = companionCommand(c.kind, in, options);
        EXPECT_EQ(command.program, c.program) << c.what;
        EXPECT_EQ(command.arguments, c.arguments) << c.what;
    }
}

// The real viewer window showing a converter's report, as the user sees it.
TEST_F(CompanionRunsTest, ReportInTheTextViewerScreenshot)
{
    using namespace diagtest;
    MBLanguages shipped;
    shipped.init(jvztest::binDir() + QStringLiteral("/JVZ.lng"), 1);
    ViewerWindows windows(nullptr, shipped, m_notifier);
    CompanionOptions options;
    options.programFolder = jvztest::binDir();
    options.tempFolder = m_temp;
    CompanionRunner runner(m_processes, m_notifier, shipped, windows, options);
    std::string records = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A);
    for (int i = 0; i < 12; ++i)
        records += appDefaultRecord(stamp(1 + i, 2, 3, 4 + i, 5 * i), i % 2, uint16_t(0x1200 + 17 * i));
    const QString input = m_input + QStringLiteral("APPDEFAULT_01.DIA");
    writeBytes(input, records);

    QString caption, shownText;
    bool writable = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<FrmReadTextFile*>(QApplication::activeModalWidget());
        if (!viewer)
            return;
        poll.stop();
        caption = viewer->windowTitle();
        shownText = viewer->text();
        writable = !viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->isReadOnly();
        const QString dir = jvztest::binDir() + QStringLiteral("/../screenshots");
        QDir().mkpath(dir);
        EXPECT_TRUE(viewer->grab().save(dir + QStringLiteral("/companion_output.png")));
        viewer->close();
    });
    poll.start();
    EXPECT_EQ(runner.ShowAppDefaultRecords(input), CompanionOutcome::Shown);
    EXPECT_EQ(caption, QStringLiteral("APPDEFAULT_01.DIA"));
    EXPECT_TRUE(shownText.contains(QStringLiteral("23/05/17"))) << shownText.toStdString();
    EXPECT_TRUE(writable);
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_FALSE(QFile::exists(m_temp + QLatin1String(companionTraits(CompanionKind::AppDefault).outputName)));
}
