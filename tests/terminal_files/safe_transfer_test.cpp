// Putting and getting one file at a time against a real FTP server on 127.0.0.1: upper-cased terminal
// names, the temporary name and rename of long names, the progress window and the reports.
#include "FakeTerminalFtp.h"
#include "FtpServerFixture.h"
#include "Paths.h"
#include "TransferWorld.h"
#include "WaitUntil.h"
#include "core/ui/frmAnimCopie.h"
#include "platform/FtpClient.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/ui/AnimCopieProgress.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::anyCommandStartsWith;
using jvztest::commandsAfterLogin;
using jvztest::patternBytes;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;

namespace {

TEST(TemporaryPutName, ClockDigitsWithTheirLeadingBlank)
{
    const std::pair<double, const char*> cases[] = {
        {3512.0, "TMP3512"}, {3512.4, "TMP3512"},  {3512.5, "TMP3512"}, // halves go to the even neighbour
        {3513.5, "TMP3514"}, {43512.0, "TMP3512"}, {999.0, "TMP 999"},  {999.6, "TMP1000"},   {99.0, "TMP 99"},
        {5.0, "TMP 5"},      {0.0, "TMP 0"},       {0.5, "TMP 0"},      {86399.7, "TMP6400"},
    };
    for (const auto& [seconds, expected] : cases)
        EXPECT_EQ(TemporaryPutName(seconds), QString::fromLatin1(expected)) << seconds;
}

TEST(TerminalNames, PlainFileNamesOnly)
{
    const std::pair<const char*, bool> cases[] = {
        {"APP.SGN", true}, {"app with blank.sgn", true},
        {"", false},       {".", false},
        {"..", false},     {"a/b", false},
        {"a\\b", false},   {"a\tb", false},
        {"...", true},
    };
    for (const auto& [name, plain] : cases)
        EXPECT_EQ(isPlainFileName(QString::fromLatin1(name)), plain) << name;
    // A name is exact in the terminal's code page or it has no terminal name: '?' would name another file.
    const std::pair<const char*, std::optional<QByteArray>> names[] = {
        {"app.sgn", QByteArray("APP.SGN")},
        {"été.sgn", QByteArray("\xc9T\xc9.SGN")},
        {"\u00b5\u0153.sgn", QByteArray("\xb5\x8c.SGN")}, // micro sign stays, oe takes its capital
        {"\u0416.SGN", std::nullopt},                     // Cyrillic
        {"cafe\u0301.sgn", std::nullopt},                 // a decomposed accent
        {"\u212A.SGN", std::nullopt},                     // the Kelvin sign
        {"\U0001F600.SGN", std::nullopt},                 // outside the basic plane
        {"\ufffd.SGN", std::nullopt},                     // a byte the local file system could not decode
    };
    for (const auto& [name, terminal] : names)
        EXPECT_EQ(terminalFileName(QString::fromUtf8(name)), terminal) << name;
}

class SafeTransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\.keep"), QByteArray()));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        m_local = scratchFolder("local");
    }

    bool put(const QString& name, bool first = true)
    {
        QString label = QStringLiteral("\\SWAP\\");
        return FtpPutFileSafe(m_ctx, name, m_local, label, first, m_cancelled, 2);
    }

    QStringList swapEntries() const
    {
        return QDir(m_server.localPath(QStringLiteral("\\SWAP")))
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    QString m_local;
    bool m_cancelled = false;
};

TEST_F(SafeTransferTest, NamesFromSixteenCharactersGoThroughTheTemporaryName)
{
    struct Case {
        const char* name;
        const char* terminalName;
        bool temporary;
    } const cases[] = {
        {"abcdefghijk.sgn", "ABCDEFGHIJK.SGN", false},  // 15 characters
        {"abcdefghijkl.sgn", "ABCDEFGHIJKL.SGN", true}, // 16 characters
        {"app.sgn", "APP.SGN", false},
        {"A_VERY_LONG_COMPONENT_NAME.AGN", "A_VERY_LONG_COMPONENT_NAME.AGN", true},
    };
    int seed = 0;
    for (const Case& c : cases) {
        const QByteArray bytes = patternBytes(70000 + seed, seed);
        ++seed;
        writeFile(m_local + QString::fromLatin1(c.name), bytes);
        const qsizetype before = m_server.commands().size();
        EXPECT_TRUE(put(QString::fromLatin1(c.name))) << c.name;
        const QByteArrayList sent = m_server.commands().mid(before);
        const QByteArray terminalName(c.terminalName);
        if (c.temporary) {
            const qsizetype stor = sent.indexOf("STOR TMP3512");
            ASSERT_GE(stor, 0) << c.name;
            EXPECT_EQ(sent.mid(stor + 1, 2), (QByteArrayList{"RNFR TMP3512", "RNTO " + terminalName})) << c.name;
        }
        EXPECT_EQ(sent.contains("STOR " + terminalName), !c.temporary) << c.name;
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\") + QString::fromLatin1(c.terminalName)), bytes)
            << c.name;
    }
    EXPECT_FALSE(swapEntries().contains(QStringLiteral("TMP3512")));
    EXPECT_TRUE(m_world.host.reports.empty());
    EXPECT_EQ(m_world.batch.gErrorCode, 0);
}

TEST_F(SafeTransferTest, FailedRenameReportsTheRenameAndRemovesTheTemporaryFile)
{
    writeFile(m_local + QStringLiteral("component_long.sgn"), "new");
    // A folder under the final name makes the rename fail; what stood there stays.
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\COMPONENT_LONG.SGN\\inside"), "old"));
    EXPECT_FALSE(put(QStringLiteral("component_long.sgn")));

    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpPutFile"));
    EXPECT_EQ(m_world.host.reports[0].error, FtpError::ExtendedError);
    EXPECT_TRUE(m_world.host.reports[0].response.startsWith("550")) << m_world.host.reports[0].response.toStdString();
    const QByteArrayList sent = commandsAfterLogin(m_server.commands());
    EXPECT_TRUE(sent.contains("DELE TMP3512"));
    EXPECT_FALSE(swapEntries().contains(QStringLiteral("TMP3512")));
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\COMPONENT_LONG.SGN\\inside")), "old");
    EXPECT_EQ(m_world.batch.gErrorCode, int16_t(BatchCode::FtpOperationFailed));
}

TEST_F(SafeTransferTest, FailedPutIsReportedAndTheCancelIsStillSeen)
{
    m_world.host.progress.cancelAfterFiles = 1;
    EXPECT_FALSE(put(QStringLiteral("missing.sgn")));
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpPutFile"));
    EXPECT_EQ(m_world.host.reports[0].error, FtpError::FileNotFound);
    EXPECT_TRUE(m_cancelled);
    EXPECT_FALSE(anyCommandStartsWith(commandsAfterLogin(m_server.commands()), "STOR"));
}

TEST_F(SafeTransferTest, ProgressWindowStatusAndTrace)
{
    writeFile(m_local + QStringLiteral("one.sgn"), "1");
    writeFile(m_local + QStringLiteral("two.sgn"), "2");
    QString label; // empty at the first file: shown as "."
    EXPECT_TRUE(FtpPutFileSafe(m_ctx, QStringLiteral("one.sgn"), m_local, label, true, m_cancelled, 2));
    EXPECT_EQ(label, QStringLiteral("."));
    EXPECT_TRUE(FtpPutFileSafe(m_ctx, QStringLiteral("two.sgn"), m_local, label, false, m_cancelled, 2));

    const jvztest::ScriptedProgress& progress = m_world.host.progress;
    EXPECT_EQ(progress.inits, 1);
    EXPECT_EQ(progress.files, (QStringList{"one.sgn", "two.sgn"}));
    EXPECT_EQ(progress.from, m_local);
    EXPECT_EQ(progress.to, QStringLiteral("."));
    EXPECT_EQ(progress.total, 2);
    EXPECT_EQ(progress.filesDone, 2);
    EXPECT_FALSE(m_cancelled);
    EXPECT_EQ(m_world.host.status, QStringLiteral("<FTPCmd><PutOK>"));
    EXPECT_EQ(m_world.host.traces, (QStringList{"<FTPCmd><PutOK>", "<FTPCmd><PutOK>"}));
}

TEST_F(SafeTransferTest, WithoutProgressNothingWaitsAndNothingCancels)
{
    m_world.batch.gShowProgress = false;
    m_world.host.progress.cancelAfterFiles = 0;
    writeFile(m_local + QStringLiteral("one.sgn"), "1");
    EXPECT_TRUE(put(QStringLiteral("one.sgn")));
    EXPECT_EQ(m_world.host.progress.inits, 0);
    EXPECT_EQ(m_world.host.progress.filesDone, 0);
    EXPECT_FALSE(m_cancelled);
}

TEST_F(SafeTransferTest, TwoLongFilesInTheSameSecondBothArrive)
{
    writeFile(m_local + QStringLiteral("first_long_name.sgn"), "first");
    writeFile(m_local + QStringLiteral("second_long_name.sgn"), "second");
    EXPECT_TRUE(put(QStringLiteral("first_long_name.sgn")));
    EXPECT_TRUE(put(QStringLiteral("second_long_name.sgn"), false));
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\FIRST_LONG_NAME.SGN")), "first");
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\SECOND_LONG_NAME.SGN")), "second");
    EXPECT_FALSE(swapEntries().contains(QStringLiteral("TMP3512")));
}

TEST_F(SafeTransferTest, GetAsksForTheUpperCasedNameAndKeepsTheBytes)
{
    const QByteArray bytes = patternBytes(100000, 7);
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), bytes));
    QString label = QStringLiteral("\\SWAP\\");
    EXPECT_TRUE(FtpGetFileTraced(m_ctx, QStringLiteral("app.sgn"), m_local, label, true, m_cancelled, 1));
    EXPECT_EQ(readFile(m_local + QStringLiteral("app.sgn")), bytes);
    EXPECT_TRUE(commandsAfterLogin(m_server.commands()).contains("RETR APP.SGN"));
    EXPECT_EQ(m_world.host.progress.from, QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(m_world.host.progress.to, m_local);
    EXPECT_EQ(m_world.host.status, QStringLiteral("<FTPCmd><GetOK>"));
}

TEST_F(SafeTransferTest, GetOfAnAbsentFileIsReportedWithTheServersReply)
{
    writeFile(m_local + QStringLiteral("kept.sgn"), "local");
    QString label = QStringLiteral("\\SWAP\\");
    EXPECT_FALSE(FtpGetFileTraced(m_ctx, QStringLiteral("kept.sgn"), m_local, label, true, m_cancelled, 1));
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpGetFile"));
    EXPECT_EQ(m_world.host.reports[0].error, FtpError::ExtendedError);
    EXPECT_EQ(readFile(m_local + QStringLiteral("kept.sgn")), "local");
}

// The commands that name files or listings, without the data-connection set-up (PORT, TYPE).
QByteArrayList fileCommands(const QByteArrayList& commands)
{
    QByteArrayList kept;
    for (const QByteArray& line : commands) {
        if (!line.startsWith("PORT") && !line.startsWith("TYPE") && !line.startsWith("EPRT") && !line.startsWith("PWD"))
            kept << line;
    }
    return kept;
}

// The Cancel, or a stop signal with or without the window, can cut a put short: a short name that stands on the
// terminal goes through the temporary name and a rename over the old file, as a long name does; a new name goes
// straight, as it always has.
TEST_F(SafeTransferTest, ShortNameOverAnOldFileGoesThroughTheTemporaryNameWhileACancelCanCutIt)
{
    struct Case {
        const char* what;
        bool progress;
        const char* oldFile; // the name it stands under on the terminal; null: none
        QByteArrayList wire;
    } const cases[] = {
        {"new name", true, nullptr, {"LIST", "STOR APP.SGN"}},
        {"old file", true, "APP.SGN", {"LIST", "STOR TMP3512", "RNFR TMP3512", "RNTO APP.SGN"}},
        // The terminal's names are upper case; another case is taken as the same file, to be safe.
        {"old file listed in lower case", true, "app.sgn", {"LIST", "STOR TMP3512", "RNFR TMP3512", "RNTO APP.SGN"}},
        // A stop signal can cut a put short without the window too.
        {"new name, no progress window", false, nullptr, {"LIST", "STOR APP.SGN"}},
        {"old file, no progress window", false, "APP.SGN", {"LIST", "STOR TMP3512", "RNFR TMP3512", "RNTO APP.SGN"}},
    };
    int seed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name : swapEntries())
            QFile::remove(m_server.localPath(QStringLiteral("\\SWAP\\") + name));
        if (c.oldFile) {
            ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\") + QLatin1String(c.oldFile), "old"));
        }
        m_world.batch.gShowProgress = c.progress;
        const QByteArray bytes = patternBytes(30000, ++seed);
        writeFile(m_local + QStringLiteral("app.sgn"), bytes);
        const qsizetype before = m_server.commands().size();
        EXPECT_TRUE(put(QStringLiteral("app.sgn")));
        EXPECT_EQ(fileCommands(m_server.commands().mid(before)), c.wire);
        EXPECT_EQ(m_server.readLocal(QStringLiteral("\\SWAP\\APP.SGN")), bytes);
        EXPECT_FALSE(swapEntries().contains(QStringLiteral("TMP3512")));
    }
    EXPECT_TRUE(m_world.host.reports.empty());
}

// Each directory is listed once per operation, at its first put; a name the operation put stands from then on.
TEST_F(SafeTransferTest, OneListingPerDirectoryAndOperation)
{
    ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\HOST\\.keep"), QByteArray()));
    for (const char* name : {"one.sgn", "two.sgn", "three.sgn"})
        writeFile(m_local + QLatin1String(name), name);
    const qsizetype before = m_server.commands().size();
    EXPECT_TRUE(put(QStringLiteral("one.sgn"), true));
    EXPECT_TRUE(put(QStringLiteral("two.sgn"), false));
    EXPECT_TRUE(put(QStringLiteral("one.sgn"), false));
    ASSERT_EQ(m_client.setCurrentDirectory("..\\HOST"), FtpError::None);
    EXPECT_TRUE(put(QStringLiteral("three.sgn"), false));
    ASSERT_EQ(m_client.setCurrentDirectory("..\\SWAP"), FtpError::None);
    EXPECT_TRUE(put(QStringLiteral("three.sgn"), true)); // a new operation lists again
    const QByteArrayList expected = {"LIST",           "STOR ONE.SGN", "STOR TWO.SGN", "STOR TMP3512",
                                     "RNFR TMP3512",   "RNTO ONE.SGN", "CWD ..\\HOST", "LIST",
                                     "STOR THREE.SGN", "CWD ..\\SWAP", "LIST",         "STOR THREE.SGN"};
    EXPECT_EQ(fileCommands(m_server.commands().mid(before)), expected);
    EXPECT_EQ(m_server.readLocal(QStringLiteral("\\HOST\\THREE.SGN")), "three.sgn");
    EXPECT_TRUE(m_world.host.reports.empty());
}

// A terminal that refuses a rename onto an existing name: the old file is deleted, then the rename; once the
// old file is gone the new one is never lost. The terminal's files are checked after each refusal.
TEST(SafeTransferOverOldFile, RefusedStepsNeverLoseBothFiles)
{
    struct Case {
        const char* what;
        bool failRename;
        QByteArrayList refused;
        bool done;
        QByteArrayList wire;
        QByteArray finalAfter;     // under APP.SGN ("" for nothing)
        QByteArray temporaryAfter; // under TMP3512
        QStringList traces;
    } const cases[] = {
        {"rename onto the old name refused",
         false,
         {},
         true,
         {"LIST", "STOR TMP3512", "RNFR TMP3512 RNTO APP.SGN", "DELE APP.SGN", "RNFR TMP3512 RNTO APP.SGN"},
         "new",
         "",
         {"<FTPCmd><PutOK>"}},
        {"old file not deleted",
         false,
         {"DELE APP.SGN"},
         false,
         {"LIST", "STOR TMP3512", "RNFR TMP3512 RNTO APP.SGN", "DELE APP.SGN", "RNFR TMP3512 RNTO APP.SGN",
          "DELE TMP3512"},
         "old",
         "",
         {}},
        {"every rename refused: stored again under the name",
         true,
         {},
         true,
         {"LIST", "STOR TMP3512", "RNFR TMP3512 RNTO APP.SGN", "DELE APP.SGN", "RNFR TMP3512 RNTO APP.SGN",
          "STOR APP.SGN", "DELE TMP3512"},
         "new",
         "",
         {"<FTPCmd><PutOK>", "RNFR TMP3512 RNTO APP.SGN : STOR APP.SGN"}},
        {"every rename and the second store refused: kept under the temporary name",
         true,
         {"STOR APP.SGN"},
         false,
         {"LIST", "STOR TMP3512", "RNFR TMP3512 RNTO APP.SGN", "DELE APP.SGN", "RNFR TMP3512 RNTO APP.SGN",
          "STOR APP.SGN"},
         "",
         "new",
         {"<TRC_LeftOnTerminal>TMP3512", "RNFR TMP3512 RNTO APP.SGN : STOR APP.SGN"}},
        {"temporary file not deleted either",
         false,
         {"DELE APP.SGN", "DELE TMP3512"},
         false,
         {"LIST", "STOR TMP3512", "RNFR TMP3512 RNTO APP.SGN", "DELE APP.SGN", "RNFR TMP3512 RNTO APP.SGN",
          "DELE TMP3512"},
         "old",
         "new",
         {"<TRC_LeftOnTerminal>TMP3512"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        jvztest::FakeTerminalFtp ftp(scratchFolder("terminal"));
        ftp.failRename = c.failRename;
        ftp.refused = c.refused;
        jvztest::TransferWorld world;
        TransferContext ctx = world.context(ftp);
        const QString local = scratchFolder("local");
        writeFile(local + QStringLiteral("APP.SGN"), "new");
        writeFile(ftp.local("APP.SGN"), "old");
        QString label = QStringLiteral("\\SWAP\\");
        bool cancelled = false;
        EXPECT_EQ(FtpPutFileSafe(ctx, QStringLiteral("APP.SGN"), local, label, true, cancelled, 1), c.done);
        EXPECT_EQ(ftp.commands, c.wire);
        EXPECT_EQ(readFile(ftp.local("APP.SGN")), c.finalAfter);
        EXPECT_EQ(readFile(ftp.local("TMP3512")), c.temporaryAfter);
        EXPECT_EQ(world.host.traces, c.traces);
        // A failure is reported once for the rename, once more for a temporary file the terminal kept.
        const size_t reports = c.done ? 0 : 1 + (c.refused.contains("DELE TMP3512") ? 1 : 0);
        EXPECT_EQ(world.host.reports.size(), reports);
        if (!c.done) {
            ASSERT_FALSE(world.host.reports.empty());
            EXPECT_EQ(world.host.reports[0].operation, QStringLiteral("FtpPutFile"));
        }
        EXPECT_FALSE(cancelled);
    }
}

// The real copy progress window behind the transfers.
class AnimCopieProgressTest : public ::testing::Test {
protected:
    jvztest::FakeNotifier m_notifier;
    frmAnimCopie m_window{m_notifier, QString()};
    MBLanguages m_language = jvztest::bracketedTransferTexts();
};

TEST_F(AnimCopieProgressTest, BatchCancelNeedsNoQuestion)
{
    AnimCopieProgress progress(m_window, AnimCopieProgress::CancelMode::Immediate);
    progress.init(QStringLiteral("APP.SGN"), m_language, QStringLiteral("/from/"), QStringLiteral("\\SWAP\\"), 2);
    EXPECT_TRUE(m_window.isVisible());
    m_notifier.answers.push_back(MessageAnswer::No);
    QTest::mouseClick(m_window.findChild<QPushButton*>(QStringLiteral("BTN_Cancel")), Qt::LeftButton);
    EXPECT_TRUE(progress.Canceled());
    EXPECT_TRUE(m_notifier.shown.empty());
    progress.unload();
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(AnimCopieProgressTest, InteractiveCancelAsksFirst)
{
    AnimCopieProgress progress(m_window, AnimCopieProgress::CancelMode::Confirm);
    progress.init(QStringLiteral("APP.SGN"), m_language, QStringLiteral("/from/"), QStringLiteral("\\SWAP\\"), 2);
    m_notifier.answers.push_back(MessageAnswer::No);
    QTest::mouseClick(m_window.findChild<QPushButton*>(QStringLiteral("BTN_Cancel")), Qt::LeftButton);
    EXPECT_FALSE(progress.Canceled());
    EXPECT_EQ(m_notifier.shown.size(), 1u);
}

TEST_F(AnimCopieProgressTest, AnimationEndsTheWait)
{
    AnimCopieProgress progress(m_window, AnimCopieProgress::CancelMode::Immediate);
    progress.init(QStringLiteral("APP.SGN"), m_language, QStringLiteral("/from/"), QStringLiteral("\\SWAP\\"), 1);
    progress.LaunchTimer();
    EXPECT_TRUE(progress.Running());
    ASSERT_TRUE(jvztest::waitUntil([&] { return !progress.Running(); }, 5000));
}

} // namespace

namespace {

// The shipped language file holds every text the transfers put in front of people, in both languages.
TEST(TransferTexts, EveryKeyIsInTheLanguageFile)
{
    for (int16_t language : {1, 2}) {
        MBLanguages texts;
        texts.init(jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng"), language);
        texts.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        for (const char* key : jvztest::transferTextKeys())
            EXPECT_FALSE(texts.GetFormLabel(QString::fromLatin1(key)).trimmed().isEmpty()) << key << " " << language;
    }
}

} // namespace
