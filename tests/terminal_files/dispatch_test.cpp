// Which tool a file name opens, in the terminal list and in the local list.
#include "FakeTerminalFtp.h"
#include "TestEnv.h"
#include "TransferWorld.h"
#include "ViewerDoubles.h"
#include "platform/ProcessRunner.h"
#include "terminal_files/CompanionRun.h"
#include "terminal_files/FileDispatch.h"
#include "terminal_files/TerminalFileOpener.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const QStringList kFilters = {QStringLiteral("*.M40"), QStringLiteral("*.M30"), QStringLiteral("*.*")};

struct DispatchCase {
    const char* name;
    bool certifSgn;
    const char* kelmdorExt;
    FileTool terminal;
    FileTool local;
};

} // namespace

TEST(FileDispatch, ByNameAndExtensionForBothLists)
{
    const DispatchCase cases[] = {
        {"VORBANE.DIA", false, "", FileTool::SecurityDiagnostic, FileTool::SecurityDiagnostic},
        {"vorbane.dia", false, "", FileTool::SecurityDiagnostic, FileTool::SecurityDiagnostic},
        {"VORBANE.DIA.BAK", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"LIFECOUNTER_01.DIA", false, "", FileTool::LifeCounterRecords, FileTool::LifeCounterRecords},
        {"LifeCounter_01.dia", false, "", FileTool::LifeCounterRecords, FileTool::LifeCounterRecords},
        {"LIFECOUNTER.TXT", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"APPCOUNTER1.DIA", false, "", FileTool::AppCounterRecords, FileTool::AppCounterRecords},
        {"APPCOUNTER.TXT", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"appdefault.dia", false, "", FileTool::AppDefaultRecords, FileTool::AppDefaultRecords},
        {"X.sgn", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"X.sgn", true, "", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"X.MOT", true, "", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"file.abc", true, "ABC", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"file.abc", true, "abc", FileTool::TextViewer, FileTool::TextViewer},
        {"file.abc", false, "ABC", FileTool::TextViewer, FileTool::TextViewer},
        // The terminal list tests the analyser first, the local list the signed extensions first.
        {"VORBANE.DIA", true, "DIA", FileTool::SecurityDiagnostic, FileTool::SignedFileDump},
        {"APPCOUNTER.DIA", true, "DIA", FileTool::SignedFileDump, FileTool::SignedFileDump},
        {"desc.pdf", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"APP.ADF", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"lib.LDF", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"drv.ddf", false, "", FileTool::DescriptorViewer, FileTool::DescriptorViewer},
        {"APP.DF", false, "", FileTool::TextViewer, FileTool::TextViewer},
        // Catalogue lists open their files in the descriptor viewer, locally only.
        {"SOFT.M40", false, "", FileTool::TextViewer, FileTool::CatalogueList},
        {"soft.m30", false, "", FileTool::TextViewer, FileTool::CatalogueList},
        {"SOFT.M50", false, "", FileTool::TextViewer, FileTool::TextViewer},
        // A shortcut name: locally a link to follow (when it leads to a folder), on the terminal text.
        {"data.lnk", false, "", FileTool::TextViewer, FileTool::FolderLink},
        {"a.lnk.txt", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"AB", false, "", FileTool::TextViewer, FileTool::TextViewer},
        {"", false, "", FileTool::TextViewer, FileTool::TextViewer},
    };
    for (const DispatchCase& c : cases) {
        const DispatchSettings settings{c.certifSgn, QString::fromLatin1(c.kelmdorExt)};
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(terminalFileTool(name, settings), c.terminal)
            << "terminal " << c.name << " certif " << c.certifSgn << " ext " << c.kelmdorExt << ": "
            << fileToolName(terminalFileTool(name, settings));
        EXPECT_EQ(localFileTool(name, settings, kFilters), c.local)
            << "local " << c.name << " certif " << c.certifSgn << " ext " << c.kelmdorExt << ": "
            << fileToolName(localFileTool(name, settings, kFilters));
    }
}

TEST(FileDispatch, LocalItemsByImageKey)
{
    struct ItemCase {
        const char* imageKey;
        const char* name;
        FileTool tool;
    };
    const ItemCase cases[] = {
        {"Drive", "DATA", FileTool::FolderNavigation},
        {"RemovableDrive", "USB", FileTool::FolderNavigation},
        {"CdDrive", "CD", FileTool::FolderNavigation},
        {"NetDrive", "share", FileTool::FolderNavigation},
        {"DiskDrive", "disk", FileTool::FolderNavigation},
        {"ClsFolder", "pack", FileTool::FolderNavigation},
        {"RacFolder", "pack link", FileTool::FolderLink},
        // An unmarked catalogue list opens nothing; a marked one ("coche") opens its files.
        {"CatFile", "SOFT.M40", FileTool::Nothing},
        {"coche", "SOFT.M40", FileTool::CatalogueList},
        {"Unknown", "notes.txt", FileTool::TextViewer},
        {"coche", "X.SGN", FileTool::TextViewer},
        {"OpenFolder", "x", FileTool::Nothing},
        {"", "x.txt", FileTool::Nothing},
    };
    for (const ItemCase& c : cases)
        EXPECT_EQ(localItemTool(QString::fromLatin1(c.imageKey), QString::fromLatin1(c.name), {}, kFilters), c.tool)
            << c.imageKey << " " << c.name;
}

// The terminal side: a file of the terminal list fetched into the temp folder, handed to its tool, an edited
// text put back, the temp copy removed.
namespace {

class TerminalOpenTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_world.language = jvztest::bracketedFileToolTexts();
        // Stand-in companions that copy their input into their report.
        writeProgram("Orbeck", "cat \"$1\" > \"$2\"");
        writeProgram("Tulmane", "cat \"$1\" > \"$2\"");
        writeProgram("Vitrane", "cat \"$1\" > \"$2\"");
        writeProgram("Kelmdor", "cat \"$2\" > \"$3\"");
        writeProgram("Brosquin", "cat \"$1\" > \"$3\"");
    }

    void writeProgram(const char* name, const std::string& body)
    {
        const QString path = m_programs + QLatin1String(name);
        ASSERT_TRUE(jvztest::writeFileBytes(path.toStdString(), "#!/bin/sh\n" + body + "\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void onTerminal(const QString& name, const QByteArray& bytes)
    {
        jvztest::writeFile(m_ftp.local(name.toLatin1()), bytes);
    }

    CompanionOptions companionOptions()
    {
        CompanionOptions options;
        options.programFolder = m_programs.chopped(1);
        options.tempFolder = m_world.tempFolder;
        return options;
    }

    QStringList tempFiles() const { return QDir(m_world.tempFolder).entryList(QDir::Files); }

    jvztest::TransferWorld m_world;
    jvztest::FakeTerminalFtp m_ftp{jvztest::scratchFolder("terminal")};
    QString m_programs = jvztest::scratchFolder("programs");
    PosixProcessRunner m_processes;
    jvztest::RecordingViewers m_viewers;
    CompanionRunner m_companions{m_processes, m_world.notifier, m_world.language, m_viewers, companionOptions()};
    TerminalFileOpener m_opener{m_viewers, m_companions};
};

} // namespace

TEST_F(TerminalOpenTest, EachFileGoesToItsToolOnTheTempCopy)
{
    struct OpenCase {
        const char* name;
        bool certifSgn;
        FileTool tool;
        const char* report; // the report the viewer shows, empty for the descriptor viewer
    };
    const OpenCase cases[] = {
        {"VORBANE.DIA", false, FileTool::SecurityDiagnostic, "vorbaneA.dia"},
        {"APP.SGN", true, FileTool::SignedFileDump, "signedfile_report.txt"},
        {"LIFECOUNTER_01.DIA", false, FileTool::LifeCounterRecords, "lifecounter_report.txt"},
        {"APPCOUNTER.DIA", false, FileTool::AppCounterRecords, "appcounter_report.txt"},
        {"APPDEFAULT.DIA", false, FileTool::AppDefaultRecords, "appdefault_report.txt"},
        {"APP.PDF", false, FileTool::DescriptorViewer, ""},
        {"APP.SGN", false, FileTool::TextViewer, "APP.SGN"},
    };
    auto ctx = m_world.context(m_ftp);
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QLatin1String(c.name);
        const QByteArray content = QByteArray("content of ") + c.name;
        onTerminal(name, content);
        m_viewers.texts.clear();
        m_viewers.descriptors.clear();
        TerminalOpenSettings settings;
        settings.dispatch.certifSgn = c.certifSgn;
        settings.updateTermFiles = true;
        m_ftp.bounds.clear();
        const auto result = m_opener.OpenTerminalFile(ctx, name, settings, content.size());
        EXPECT_TRUE(result.fetched);
        // The fetch may bring what the row listed, and the margin.
        ASSERT_EQ(m_ftp.bounds.size(), 1);
        EXPECT_EQ(m_ftp.bounds[0].kind, FetchBound::Kind::Listed);
        EXPECT_EQ(m_ftp.bounds[0].listedBytes, content.size());
        EXPECT_EQ(result.tool, c.tool) << fileToolName(result.tool);
        EXPECT_EQ(result.putBack, TerminalFileOpener::PutBack::NotNeeded);
        if (*c.report) {
            ASSERT_EQ(m_viewers.texts.size(), 1u);
            EXPECT_EQ(m_viewers.texts[0].request.fileName, QLatin1String(c.report));
            EXPECT_EQ(m_viewers.texts[0].content, content);
        } else {
            ASSERT_EQ(m_viewers.descriptors.size(), 1u);
            EXPECT_FALSE(m_viewers.descriptors[0].list);
            EXPECT_EQ(m_viewers.descriptors[0].content, content);
        }
        EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(' ').toStdString();
    }
    EXPECT_TRUE(m_world.notifier.shown.empty());
    EXPECT_FALSE(m_ftp.commands.join(' ').contains("STOR"));
}

TEST_F(TerminalOpenTest, EditedTextGoesBackUnderATemporaryNameThenTakesItsName)
{
    struct PutCase {
        const char* name;
        bool updateTermFiles;
        bool saved;
        QByteArrayList commands; // after the fetch
    };
    const PutCase cases[] = {
        // Back under the name as listed: an upper-cased namesake would be another file.
        {"config.txt", true, true, {"STOR TMP3512", "DELE config.txt", "RNFR TMP3512 RNTO config.txt"}},
        {"A_LONG_NAME_16CH.TXT",
         true,
         true,
         {"STOR TMP3512", "DELE A_LONG_NAME_16CH.TXT", "RNFR TMP3512 RNTO A_LONG_NAME_16CH.TXT"}},
        {"config.txt", true, false, {}},
        {"config.txt", false, false, {}},
    };
    auto ctx = m_world.context(m_ftp);
    for (const PutCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.updateTermFiles ? " editable" : " read-only"));
        const QString name = QLatin1String(c.name);
        QFile::remove(m_ftp.local(name.toLatin1()));
        onTerminal(name, "old\r\n");
        m_viewers.texts.clear();
        m_viewers.whileShown = [&](const TextViewRequest& request) {
            EXPECT_EQ(request.writable, c.updateTermFiles);
            if (c.saved)
                jvztest::writeFile(request.folder + request.fileName, "new\r\n");
            return c.saved;
        };
        m_ftp.commands.clear();
        TerminalOpenSettings settings;
        settings.updateTermFiles = c.updateTermFiles;
        const auto result = m_opener.OpenTerminalFile(ctx, name, settings);
        ASSERT_EQ(m_viewers.texts.size(), 1u);
        EXPECT_EQ(m_viewers.texts[0].content, QByteArray("old\r\n"));
        EXPECT_EQ(m_ftp.commands.mid(1), c.commands);
        EXPECT_EQ(result.putBack, c.saved ? TerminalFileOpener::PutBack::Done : TerminalFileOpener::PutBack::NotNeeded);
        if (c.saved) {
            EXPECT_EQ(jvztest::readFile(m_ftp.local(name.toLatin1())), QByteArray("new\r\n"));
        }
        EXPECT_TRUE(tempFiles().isEmpty());
    }
    EXPECT_TRUE(m_world.host.reports.empty());
}

TEST_F(TerminalOpenTest, PutBackWithEachStepRefusedLosesNoText)
{
    struct FailCase {
        const char* what;
        bool failPut;
        bool failRename;
        QByteArrayList refused;
        TerminalFileOpener::PutBack outcome;
        QByteArray finalAfter;     // what the terminal holds under CONFIG.TXT afterwards ("" for nothing)
        QByteArray temporaryAfter; // and under TMP3512
        const char* terminalCopy;  // the name the message gives for the terminal's copy
    };
    using PB = TerminalFileOpener::PutBack;
    const FailCase cases[] = {
        {"upload refused", true, false, {}, PB::Failed, "old\r\n", "", ""},
        {"delete refused", false, false, {"DELE CONFIG.TXT"}, PB::Failed, "old\r\n", "", ""},
        // The old file is gone: the new text is stored again under its name.
        {"rename refused", false, true, {}, PB::Done, "edited\r\n", "", ""},
        // Nor can it be stored again: it stays under the temporary name, which the message gives.
        {"rename and the second store refused",
         false,
         true,
         {"STOR CONFIG.TXT"},
         PB::Failed,
         "",
         "edited\r\n",
         "TMP3512"},
    };
    auto ctx = m_world.context(m_ftp);
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(m_ftp.local("TMP3512"));
        onTerminal(QStringLiteral("CONFIG.TXT"), "old\r\n");
        m_ftp.failPut = c.failPut;
        m_ftp.failRename = c.failRename;
        m_ftp.refused = c.refused;
        m_world.host.reports.clear();
        m_world.notifier.shown.clear();
        m_viewers.whileShown = [](const TextViewRequest& request) {
            jvztest::writeFile(request.folder + request.fileName, "edited\r\n");
            return true;
        };
        TerminalOpenSettings settings;
        settings.updateTermFiles = true;
        const auto result = m_opener.OpenTerminalFile(ctx, QStringLiteral("CONFIG.TXT"), settings);
        EXPECT_EQ(result.putBack, c.outcome);
        // The terminal's tree.
        const QString finalPath = m_ftp.local("CONFIG.TXT");
        EXPECT_EQ(QFile::exists(finalPath), !c.finalAfter.isEmpty());
        if (!c.finalAfter.isEmpty()) {
            EXPECT_EQ(jvztest::readFile(finalPath), c.finalAfter);
        }
        const QString temporaryPath = m_ftp.local("TMP3512");
        EXPECT_EQ(QFile::exists(temporaryPath), !c.temporaryAfter.isEmpty());
        if (!c.temporaryAfter.isEmpty()) {
            EXPECT_EQ(jvztest::readFile(temporaryPath), c.temporaryAfter);
        }
        EXPECT_EQ(result.terminalCopy, QLatin1String(c.terminalCopy));
        if (c.outcome == PB::Done) {
            EXPECT_TRUE(result.keptCopy.isEmpty());
            EXPECT_TRUE(m_world.host.reports.empty());
            EXPECT_TRUE(m_world.notifier.shown.empty());
            EXPECT_TRUE(tempFiles().isEmpty());
            continue;
        }
        ASSERT_EQ(m_world.host.reports.size(), 1u);
        EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpPutFile"));
        ASSERT_FALSE(result.keptCopy.isEmpty());
        EXPECT_EQ(jvztest::readFile(result.keptCopy), QByteArray("edited\r\n"));
        ASSERT_EQ(m_world.notifier.shown.size(), 1u);
        QString said = result.keptCopy + " : <General:MSG_EditedCopyKept>";
        if (*c.terminalCopy)
            said += QStringLiteral("\n") + QLatin1String(c.terminalCopy) + " : <General:MSG_TerminalCopyKept>";
        EXPECT_EQ(m_world.notifier.shown[0].text, said);
        // A later open of the same name does not overwrite the kept copy.
        m_ftp.failPut = m_ftp.failRename = false;
        m_ftp.refused.clear();
        m_viewers.whileShown = nullptr;
        onTerminal(QStringLiteral("CONFIG.TXT"), "other\r\n");
        m_opener.OpenTerminalFile(ctx, QStringLiteral("CONFIG.TXT"), settings);
        EXPECT_EQ(jvztest::readFile(result.keptCopy), QByteArray("edited\r\n"));
    }
}

TEST_F(TerminalOpenTest, FetchFailuresAndUnsafeNames)
{
    auto ctx = m_world.context(m_ftp);
    TerminalOpenSettings settings;
    auto result = m_opener.OpenTerminalFile(ctx, QStringLiteral("ABSENT.TXT"), settings);
    EXPECT_FALSE(result.fetched);
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpGetFile"));
    // A get that reports success but left no file.
    m_ftp.phantomGet = true;
    result = m_opener.OpenTerminalFile(ctx, QStringLiteral("GHOST.TXT"), settings);
    m_ftp.phantomGet = false;
    EXPECT_TRUE(result.fetched);
    ASSERT_EQ(m_world.notifier.shown.size(), 1u);
    EXPECT_EQ(m_world.notifier.shown[0].text, QStringLiteral("<General:MSG_FileNotFound>"));
    EXPECT_EQ(m_world.notifier.shown[0].icon, MessageIcon::Exclamation);
    for (const char* unsafe : {"..", "../x.txt", "a/b.txt", "a\\b.txt", ""}) {
        m_ftp.commands.clear();
        result = m_opener.OpenTerminalFile(ctx, QLatin1String(unsafe), settings);
        EXPECT_FALSE(result.fetched) << unsafe;
        EXPECT_TRUE(m_ftp.commands.isEmpty()) << unsafe;
    }
    EXPECT_TRUE(m_viewers.texts.empty());
}

TEST_F(TerminalOpenTest, ApplicationListFromTheActivityFile)
{
    auto ctx = m_world.context(m_ftp);
    EXPECT_FALSE(m_opener.MNU_Terminal_Application_List_Click(ctx)); // no activity file: silent
    EXPECT_TRUE(m_world.notifier.shown.empty());
    EXPECT_TRUE(m_world.host.reports.empty());
    onTerminal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[Running Component List]\r\nfilename=COMPLIST.TXT\r\n");
    EXPECT_FALSE(m_opener.MNU_Terminal_Application_List_Click(ctx)); // the named list is missing
    onTerminal(QStringLiteral("\\SWAP\\COMPLIST.TXT"), "APP1 0101\r\nAPP2 0202\r\n");
    m_ftp.bounds.clear();
    EXPECT_TRUE(m_opener.MNU_Terminal_Application_List_Click(ctx));
    ASSERT_EQ(m_ftp.bounds.size(), 2);
    for (const FetchBound& bound : m_ftp.bounds)
        EXPECT_EQ(bound.kind, FetchBound::Kind::ControlFile) << "files the program reads for itself";
    ASSERT_EQ(m_viewers.texts.size(), 1u);
    EXPECT_EQ(m_viewers.texts[0].content, QByteArray("APP1 0101\r\nAPP2 0202\r\n"));
    EXPECT_TRUE(m_viewers.texts[0].request.writable);
    EXPECT_EQ(m_viewers.texts[0].request.heightTwips, 4000);
    EXPECT_EQ(m_viewers.texts[0].request.widthTwips, 6000);
    EXPECT_FALSE(m_ftp.commands.join(' ').contains("STOR"));
    onTerminal(QStringLiteral("\\SWAP\\ACTIVITY.INF"), "[Running Component List]\r\nfilename=..\\x\r\n");
    EXPECT_FALSE(m_opener.MNU_Terminal_Application_List_Click(ctx)); // not a plain name: refused
}
