#include "FailingFileWriter.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/BatchErrorCode.h"
#include "core/BatchResultFile.h"
#include "core/BatchRun.h"
#include "core/CommandLine.h"
#include "core/MBLanguages.h"
#include "platform/FileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace jvz;

// Scripts compare these numbers: a renumbered code breaks every caller of the batch mode.
TEST(BatchErrorCodeTable, NumbersAreFixed)
{
    const std::pair<BatchCode, int> table[] = {
        {BatchCode::Success, 0},
        {BatchCode::FileNotFound, -2},
        {BatchCode::TerminalFileOrSpace, -4},
        {BatchCode::StartupFileMissing, -6},
        {BatchCode::ConnectionSetup, -7},
        {BatchCode::PppLinkFailed, -8},
        {BatchCode::FtpOpenFailed, -9},
        {BatchCode::FtpOperationFailed, -10},
        {BatchCode::NoAnswer, -11},
        {BatchCode::IdentificationRefused, -13},
        {BatchCode::ActivityNotAuthorised, -14},
        {BatchCode::EndOfActivityProblem, -15},
        {BatchCode::DownloadForbidden, -17},
        {BatchCode::PhonebookNotFound, -18},
        {BatchCode::PortUnknown, -19},
        {BatchCode::CatalogueNotAdapted, -20},
        {BatchCode::TransferCancelled, -21},
    };
    for (const auto& [code, number] : table) {
        EXPECT_EQ(static_cast<int>(code), number);
        EXPECT_EQ(batchCodeFromNumber(number), code) << number;
        EXPECT_STRNE(describe(code), "") << number;
    }
}

TEST(BatchErrorCodeTable, UnusedNumbersAreNotCodes)
{
    for (int n : {-1, -3, -5, -12, -16, -22, 1, 32767})
        EXPECT_FALSE(batchCodeFromNumber(n).has_value()) << n;
}

TEST(BatchErrorCodeTable, MessagesAccumulateOnePerLine)
{
    BatchErrorCode r;
    EXPECT_FALSE(r.failed());
    r.set(BatchCode::FtpOperationFailed, "");
    r.appendLine("first");
    r.appendLine("second");
    EXPECT_EQ(r.gErrorCode, -10);
    EXPECT_EQ(r.gErrorText, "first\r\nsecond\r\n");
    r.appendOnNewLine("note");
    EXPECT_EQ(r.gErrorText, "first\r\nsecond\r\n\r\nnote");
    r.set(BatchCode::NoAnswer, "gone");
    EXPECT_EQ(r.code(), BatchCode::NoAnswer);
    EXPECT_EQ(r.gErrorText, "gone");
    r.reset();
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.gErrorText.isEmpty());
}

// ---- Command line ----

namespace {

struct Expected {
    bool batchMode = false;
    BatchAction action = BatchAction::Download;
    QString file{};
    QString resultFile{};
    int activity = 1;
    QString terminalDir{};
    QString comPort{};
    bool serialLink = true;
    bool showProgress = true;
    int errorCode = 0;
    QString ftpUser{};
    QString ftpPassword{};
};

struct CommandLineCase {
    const char* what;
    QStringList args; // "{dir}" stands for the fixture folder
    Expected expected;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = QString::fromStdString(jvztest::makeScratchDir("cmdline"));
        for (const char* f : {"/list.txt", "/soft-lists/A.M40", "/my lists/list.txt"})
            ASSERT_TRUE(jvztest::writeFileBytes((m_dir + f).toStdString(), "FILE.SGN\r\n"));
    }
    QString expand(const QString& s) const { return QString(s).replace("{dir}", m_dir); }

    QString m_dir;
};

} // namespace

TEST_F(CommandLineTest, TableOfCommandLines)
{
    const QString list = "{dir}/list.txt";
    const CommandLineCase cases[] = {
        {"no command line: interactive", {}, {}},
        {"-n alone is a dropped first token", {"-n"}, {}},
        {"download through a port, no progress window",
         {"-c" + list, "-x3", "-n"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .comPort = "3", .showProgress = false}},
        {"blank after the letter starts the path with a blank",
         {"-c", list},
         {.batchMode = true, .file = " " + list, .terminalDir = "SWAP", .errorCode = -2}},
        {"-sls followed by another option keeps the serial link",
         {"-c" + list, "-sls", "-n"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .showProgress = false}},
        {"-sls as the last option clears the serial link",
         {"-c" + list, "-n", "-sls"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .serialLink = false, .showProgress = false}},
        {"-sls-n in one argument is one option whose value is not ls",
         {"-c" + list, "-sls-n"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP"}},
        {"activity 2 with a download",
         {"-c" + list, "-a2"},
         {.batchMode = true, .file = list, .activity = 2, .terminalDir = "SWAP"}},
        {"upper-case C is not an action", {"-C" + list}, {}},
        {"user System is lowered",
         {"-c" + list, "-lSystem"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .ftpUser = "system"}},
        {"a dash inside an argument stays in the path",
         {"-c{dir}/soft-lists/A.M40"},
         {.batchMode = true, .file = "{dir}/soft-lists/A.M40", .terminalDir = "SWAP"}},
        {"blanks inside a path join its arguments",
         {"-c{dir}/my", "lists/list.txt"},
         {.batchMode = true, .file = "{dir}/my lists/list.txt", .terminalDir = "SWAP"}},
        {"every option of a delete",
         {"-d" + list, "-eHost", "-r{dir}/res.txt", "-lUser", "-pSecret", "-a3"},
         {.batchMode = true,
          .action = BatchAction::Delete,
          .file = list,
          .resultFile = "{dir}/res.txt",
          .activity = 3,
          .terminalDir = "HOST",
          .ftpUser = "user",
          .ftpPassword = "SECRET"}},
        {"upload through a port given with /dev/",
         {"-u" + list, "-x/dev/ttyACM0"},
         {.batchMode = true, .action = BatchAction::Upload, .file = list, .terminalDir = "SWAP", .comPort = "ttyACM0"}},
        {"port with a blank before its name",
         {"-c" + list, "-x", "ttyUSB0"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .comPort = "ttyUSB0"}},
        {"missing list: -2, options still read",
         {"-c{dir}/missing.txt", "-n"},
         {.batchMode = true,
          .file = "{dir}/missing.txt",
          .terminalDir = "SWAP",
          .showProgress = false,
          .errorCode = -2}},
        {"a folder is not a list",
         {"-c{dir}/soft-lists"},
         {.batchMode = true, .file = "{dir}/soft-lists", .terminalDir = "SWAP", .errorCode = -2}},
        {"options without values",
         {"-c" + list, "-r", "-e", "-a", "-x", "-l", "-p"},
         {.batchMode = true, .file = list}},
        {"unknown and upper-case options are ignored",
         {"-c" + list, "-z9", "-Xtty9", "-N", "-S", "-"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP"}},
        {"later options win; an unusable activity is ignored",
         {"-c" + list, "-a2", "-a9", "-rA", "-rB", "-a3x"},
         {.batchMode = true, .file = list, .resultFile = "B", .activity = 3, .terminalDir = "SWAP"}},
        {"a value keeps its inner blanks, loses its trailing ones",
         {"-c" + list, "-r{dir}/res", "file.txt", "-n"},
         {.batchMode = true,
          .file = list,
          .resultFile = "{dir}/res file.txt",
          .terminalDir = "SWAP",
          .showProgress = false}},
        {"a run of dashes opens one option",
         {"--c" + list, "---n"},
         {.batchMode = true, .file = list, .terminalDir = "SWAP", .showProgress = false}},
        {"options after a dropped first token are read", {"-n", "-x3", "-a2"}, {.activity = 2, .comPort = "3"}},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList args;
        for (const QString& a : c.args)
            args << expand(a);
        BatchRun batch;
        AppSettings settings;
        settings.gFtpUserName = "before";
        settings.gFtpPassword = "before";
        ParseCommandLine(args, batch, settings);
        const Expected& e = c.expected;
        EXPECT_EQ(batch.gBatchMode, e.batchMode);
        EXPECT_EQ(batch.gBatchAction, e.action);
        EXPECT_EQ(batch.gBatchFile, expand(e.file));
        EXPECT_EQ(batch.gResultFile, expand(e.resultFile));
        EXPECT_EQ(batch.gActivity, e.activity);
        EXPECT_EQ(batch.gTerminalDir, e.terminalDir);
        EXPECT_EQ(batch.gComPort, e.comPort);
        EXPECT_EQ(batch.gSerialLink, e.serialLink);
        EXPECT_EQ(batch.gShowProgress, e.showProgress);
        EXPECT_EQ(batch.gErrorCode, e.errorCode);
        EXPECT_EQ(batch.gErrorText, e.errorCode == -2 ? "catalogue file not found" : "");
        EXPECT_EQ(settings.gFtpUserName, e.ftpUser);
        EXPECT_EQ(settings.gFtpPassword, e.ftpPassword);
    }
}

TEST_F(CommandLineTest, RelativeListIsFoundFromTheCurrentFolder)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir));
    BatchRun batch;
    AppSettings settings;
    ParseCommandLine({"-clist.txt"}, batch, settings);
    QDir::setCurrent(saved);
    EXPECT_EQ(batch.gBatchFile, "list.txt");
    EXPECT_EQ(batch.gErrorCode, 0);
}

TEST(CommandLineTokens, CutOnlyWhereAnArgumentBeginsWithADash)
{
    const struct {
        QStringList args;
        QStringList tokens;
    } cases[] = {
        {{}, {}},
        {{"-cX", "-sls", "-n"}, {"cX ", "sls ", "n"}},
        {{"-c/srv/soft-lists/A.M40"}, {"c/srv/soft-lists/A.M40"}},
        {{"lead", "-cX"}, {"lead ", "cX"}},
        {{"-cX", "-", "-n"}, {"cX ", " ", "n"}},
        {{"-cX", "-"}, {"cX "}},
        {{"-cX", "", "-n"}, {"cX  ", "n"}},
    };
    for (const auto& c : cases) {
        CommandLineTokens tokens(c.args);
        QStringList got;
        for (QString t = tokens.next(); !t.isEmpty(); t = tokens.next())
            got << t;
        EXPECT_EQ(got, c.tokens) << c.args.join('|').toStdString();
    }
}

// ---- Result file ----

namespace {

class ResultFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_dir = QString::fromStdString(jvztest::makeScratchDir("result")); }
    QString m_dir;
};

} // namespace

TEST_F(ResultFileTest, BytesOfTheFile)
{
    const struct {
        const char* what;
        int16_t code;
        QString text;
        std::string bytes;
    } cases[] = {
        {"success", 0, "", "0\r\n\r\n"},
        {"a failure", -6, "file /opt/JVZ/JVZ.ini missing", "-6\r\nfile /opt/JVZ/JVZ.ini missing\r\n"},
        {"a text of several lines", -10, "first\r\nsecond\r\n", "-10\r\nfirst\r\nsecond\r\n\r\n"},
        {"8-bit code page", -2, QString::fromUtf8("fichier é"), "-2\r\nfichier \xe9\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BatchRun batch;
        batch.gErrorCode = c.code;
        batch.gErrorText = c.text;
        batch.gResultFile = m_dir + "/res.txt";
        EXPECT_TRUE(WriteBatchResult(batch, m_dir, nullptr, AtomicFileWriter::standard()));
        EXPECT_EQ(jvztest::readFileBytes((m_dir + "/res.txt").toStdString()), c.bytes);
        EXPECT_EQ(batch.gErrorText, c.text);
    }
}

TEST_F(ResultFileTest, DefaultPlaceIsTheProgramFolderAndAnOldFileIsReplaced)
{
    const std::string old = (m_dir + "/ResBatch.txt").toStdString();
    ASSERT_TRUE(jvztest::writeFileBytes(old, "-11\r\nan old run with a much longer text\r\n"));
    BatchRun batch;
    EXPECT_TRUE(WriteBatchResult(batch, m_dir, nullptr, AtomicFileWriter::standard()));
    EXPECT_EQ(batch.gResultFile, m_dir + "/ResBatch.txt");
    EXPECT_EQ(jvztest::readFileBytes(old), "0\r\n\r\n");
}

TEST_F(ResultFileTest, FailureRemovesTheOldResultAndExtendsTheText)
{
    const std::string target = (m_dir + "/res.txt").toStdString();
    const QString languageFile = m_dir + "/JVZ.lng";
    ASSERT_TRUE(jvztest::writeFileBytes(languageFile.toStdString(),
                                        "[General]\r\nMSG_ErrWriteResult=Ecriture impossible,Cannot write\r\n"));
    MBLanguages language;
    language.init(languageFile, 2);
    MBLanguages noText;
    noText.init(m_dir + "/none.lng", 2);
    const struct {
        const char* what;
        const MBLanguages* language;
        const char* message;
    } cases[] = {
        {"before the table is loaded", nullptr, kErrWriteResultFallback},
        {"with the table", &language, "Cannot write"},
        {"a table without the key", &noText, kErrWriteResultFallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(jvztest::writeFileBytes(target, "0\r\n\r\n"));
        jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Write, 3);
        BatchRun batch;
        batch.set(BatchCode::NoAnswer, "no answer");
        batch.gResultFile = m_dir + "/res.txt";
        EXPECT_FALSE(WriteBatchResult(batch, m_dir, c.language, writer));
        EXPECT_FALSE(jvztest::fileExists(target)); // no stale success left for a script to read
        EXPECT_EQ(batch.gErrorText, QString("no answer\r\n%1 '%2'").arg(c.message, batch.gResultFile));
        EXPECT_EQ(batch.gErrorCode, -11);
    }
}

TEST_F(ResultFileTest, AFolderInTheWayIsNeverRemoved)
{
    const QString folder = m_dir + "/res";
    ASSERT_TRUE(QDir().mkpath(folder + "/inside"));
    BatchRun batch;
    batch.gResultFile = folder;
    EXPECT_FALSE(WriteBatchResult(batch, m_dir, nullptr, AtomicFileWriter::standard()));
    EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
    EXPECT_TRUE(batch.gErrorText.startsWith("\r\n"));
}

TEST_F(ResultFileTest, MissingFolderIsAFailureNotACrash)
{
    BatchRun batch;
    batch.gResultFile = m_dir + "/no/such/folder/res.txt";
    EXPECT_FALSE(WriteBatchResult(batch, m_dir, nullptr, AtomicFileWriter::standard()));
    EXPECT_TRUE(batch.gErrorText.endsWith("res.txt'"));
}
