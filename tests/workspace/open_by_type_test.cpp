// Opening local list items by kind, and the main window's viewer commands attached to its actions:
// the catalogue description (F9), the help list of compliant terminals and the terminal identity window.
#include "FakeNotifier.h"
#include "FakeUserSettingsStore.h"
#include "LocalExplorerFixture.h"
#include "TestEnv.h"
#include "ViewerDoubles.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "platform/ProcessRunner.h"
#include "workspace/OpenByType.h"
#include "workspace/ui/FileOpenCommands.h"
#include "workspace/ui/LocalExplorerAttach.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

QString scratch(const char* hint)
{
    return QString::fromStdString(jvztest::makeScratchDir(hint)) + QLatin1Char('/');
}

void writeFile(const QString& path, const std::string& bytes)
{
    ASSERT_TRUE(jvztest::writeFileBytes(path.toStdString(), bytes)) << path.toStdString();
}

const QStringList kFilters = {QStringLiteral("*.M40"), QStringLiteral("*.*")};

class OpenByTypeTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : {"Orbeck", "Tulmane", "Vitrane"})
            writeProgram(program, "cat \"$1\" > \"$2\"");
        writeProgram("Kelmdor", "cat \"$2\" > \"$3\"");
        writeProgram("Brosquin", "cat \"$1\" > \"$3\"");
        m_settings.gProgramFolder = m_programs.chopped(1);
        for (const char* name : {"notes.txt", "SOFT.M40", "APP.PDF", "X.SGN", "vorbane.dia", "file.lnk"})
            writeFile(m_folder + QLatin1String(name), std::string("content of ") + name);
        QDir().mkpath(m_folder + "sub");
        QDir().mkpath(m_target);
        QFile::link(m_target.chopped(1), m_folder + "pack");
        QFile::link(m_target.chopped(1), m_folder + "dir.lnk");
        QFile::link(m_folder + "notes.txt", m_folder + "tofile");
        QFile::link(m_folder + "gone", m_folder + "dangling");
    }

    void writeProgram(const char* name, const std::string& body)
    {
        const QString path = m_programs + QLatin1String(name);
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString m_folder = scratch("local");
    QString m_target = scratch("target");
    QString m_programs = scratch("programs");
    AppSettings m_settings;
    jvztest::FakeNotifier m_notifier;
    MBLanguages m_language = jvztest::bracketedFileToolTexts();
    jvztest::RecordingViewers m_viewers;
    PosixProcessRunner m_processes;
    TerminalInfoFields m_terminalInfo;
};

} // namespace

TEST_F(OpenByTypeTest, ItemsOpenByImageKeyAndName)
{
    struct ItemCase {
        const char* imageKey;
        const char* name;
        bool certifSgn;
        bool updateFile;
        FileTool tool;
        QString navigatedTo;   // folder the explorer was asked to open
        const char* textShown; // file name the text viewer was given
        bool writable;
        const char* descriptor; // file name the descriptor viewer was given
        bool descriptorList;
    };
    const QString target = QDir(m_target).canonicalPath() + QLatin1Char('/');
    const ItemCase cases[] = {
        {"ClsFolder", "sub", false, false, FileTool::FolderNavigation, m_folder + "sub/", "", false, "", false},
        {"RacFolder", "pack", false, false, FileTool::FolderLink, target, "", false, "", false},
        {"RacFolder", "tofile", false, false, FileTool::FolderLink, "", "", false, "", false},
        {"RacFolder", "dangling", false, false, FileTool::FolderLink, "", "", false, "", false},
        {"Unknown", "notes.txt", false, true, FileTool::TextViewer, "", "notes.txt", true, "", false},
        {"coche", "notes.txt", false, false, FileTool::TextViewer, "", "notes.txt", false, "", false},
        {"coche", "SOFT.M40", false, false, FileTool::CatalogueList, "", "", false, "SOFT.M40", true},
        {"CatFile", "SOFT.M40", false, false, FileTool::Nothing, "", "", false, "", false},
        {"Unknown", "APP.PDF", false, false, FileTool::DescriptorViewer, "", "", false, "APP.PDF", false},
        {"Unknown", "X.SGN", true, false, FileTool::SignedFileDump, "", "signedfile_report.txt", false, "", false},
        {"Unknown", "X.SGN", false, false, FileTool::TextViewer, "", "X.SGN", false, "", false},
        {"Unknown", "vorbane.dia", false, false, FileTool::SecurityDiagnostic, "", "vorbaneA.dia", false, "", false},
        {"Unknown", "dir.lnk", false, false, FileTool::FolderLink, target, "", false, "", false},
        {"Unknown", "file.lnk", false, false, FileTool::FolderLink, "", "", false, "", false},
    };
    CompanionOptions options;
    options.programFolder = m_programs.chopped(1);
    options.tempFolder = scratch("temp");
    CompanionRunner companions(m_processes, m_notifier, m_language, m_viewers, options);
    QStringList navigated;
    int credentialsTaken = 0;
    OpenByType open(m_viewers, companions,
                    {[&](const QString& folder) { navigated << folder; }, [&] { ++credentialsTaken; }});
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(std::string(c.imageKey) + " " + c.name);
        navigated.clear();
        m_viewers.texts.clear();
        m_viewers.descriptors.clear();
        LocalOpenSettings settings;
        settings.dispatch.certifSgn = c.certifSgn;
        settings.updateFile = c.updateFile;
        EXPECT_EQ(open.openItem(m_folder, QLatin1String(c.name), QLatin1String(c.imageKey), settings, kFilters),
                  c.tool);
        EXPECT_EQ(navigated, c.navigatedTo.isEmpty() ? QStringList() : QStringList{c.navigatedTo});
        if (*c.textShown) {
            ASSERT_EQ(m_viewers.texts.size(), 1u);
            EXPECT_EQ(m_viewers.texts[0].request.fileName, QLatin1String(c.textShown));
            EXPECT_EQ(m_viewers.texts[0].request.writable, c.writable);
            EXPECT_EQ(m_viewers.texts[0].content, QByteArray("content of ") + c.name);
        } else {
            EXPECT_TRUE(m_viewers.texts.empty());
        }
        if (*c.descriptor) {
            ASSERT_EQ(m_viewers.descriptors.size(), 1u);
            EXPECT_EQ(m_viewers.descriptors[0].folder, m_folder);
            EXPECT_EQ(m_viewers.descriptors[0].fileName, QLatin1String(c.descriptor));
            EXPECT_EQ(m_viewers.descriptors[0].list, c.descriptorList);
        } else {
            EXPECT_TRUE(m_viewers.descriptors.empty());
        }
    }
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_GT(credentialsTaken, 0);
}

namespace {

// The main window with the viewer commands attached, its local list holding the given names.
struct MainWindowWithCommands {
    MainWindowWithCommands(AppSettings& settings, jvztest::FakeNotifier& notifier, ProcessRunner& runner,
                           TerminalInfoFields& info, FileViewers& viewers, const QString& folder)
        : window({notifier, store, runner, {}, {}, {}}, settings, batch)
    {
        window.attachFileCommands(runner, info, {}, &viewers);
        emit localExplorerOf(window)->currentFolderChanged(folder);
        for (const char* name : {"notes.txt", "SOFT.M40", "APP.PDF"})
            model.appendRow(new QStandardItem(QLatin1String(name)));
        window.controls().listView1->setModel(&model);
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(QLatin1String(name)); }
    void select(int row)
    {
        window.controls().listView1->selectionModel()->select(model.index(row, 0), QItemSelectionModel::Select);
    }

    BatchRun batch;
    jvztest::FakeUserSettingsStore store;
    QStandardItemModel model;
    frmMainJVZ window;
};

} // namespace

TEST_F(OpenByTypeTest, F9ShowsTheFirstSelectedCatalogueListInTheDescriptorViewer)
{
    MainWindowWithCommands w(m_settings, m_notifier, m_processes, m_terminalInfo, m_viewers, m_folder);
    QAction* f9 = w.action("MNU_Catalog_description");
    EXPECT_EQ(f9->shortcut(), QKeySequence(Qt::Key_F9));
    // The local selection switches the command on (a catalogue list is selected).
    w.window.switchCommand(Command::CatalogDescription, true);
    w.select(2);
    w.select(1);
    f9->trigger();
    ASSERT_EQ(m_viewers.descriptors.size(), 1u);
    EXPECT_TRUE(m_viewers.descriptors[0].list);
    EXPECT_EQ(m_viewers.descriptors[0].folder, m_folder);
    EXPECT_EQ(m_viewers.descriptors[0].fileName, QStringLiteral("SOFT.M40"));
    EXPECT_EQ(m_viewers.descriptors[0].content, QByteArray("content of SOFT.M40"));
    {
        // Nothing while a nested wait runs.
        BusyScope busy(w.window);
        f9->trigger();
        w.window.runCommand(Command::CatalogDescription);
    }
    EXPECT_EQ(m_viewers.descriptors.size(), 1u);
}

TEST_F(OpenByTypeTest, CompanionRunHoldsTheWindowBusy)
{
    MainWindowWithCommands w(m_settings, m_notifier, m_processes, m_terminalInfo, m_viewers, m_folder);
    w.window.findChild<QLineEdit*>(QStringLiteral("TXT_login"))->setText(QStringLiteral("tech"));
    w.window.findChild<QLineEdit*>(QStringLiteral("TXT_password"))->setText(QStringLiteral("secret"));
    bool busyWhileShown = false;
    m_viewers.whileShown = [&](const TextViewRequest&) {
        busyWhileShown = w.window.isBusy();
        return false;
    };
    EXPECT_EQ(w.window.fileCommands()->openLocalFile(m_folder, QStringLiteral("vorbane.dia")),
              FileTool::SecurityDiagnostic);
    EXPECT_TRUE(busyWhileShown);
    EXPECT_FALSE(w.window.isBusy());
    // The connection bar's texts became the FTP credentials.
    EXPECT_EQ(m_settings.gFtpUserName, QStringLiteral("tech"));
    EXPECT_EQ(m_settings.gFtpPassword, QStringLiteral("secret"));
    ASSERT_EQ(m_viewers.texts.size(), 1u);
    EXPECT_EQ(m_viewers.texts[0].content, QByteArray("content of vorbane.dia"));
}

TEST_F(OpenByTypeTest, HelpListOfCompliantTerminalsOnlyWhenItsFileIsBesideTheProgram)
{
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "file present" : "no file");
        const QString file = m_programs + QStringLiteral("Jungo USB - Compliant terminals.txt");
        if (present)
            writeFile(file, "TERMINAL A\r\n");
        MainWindowWithCommands w(m_settings, m_notifier, m_processes, m_terminalInfo, m_viewers, m_folder);
        QAction* help = w.action("MNU_Help_JungoTerminals");
        EXPECT_EQ(help->isVisible(), present);
        m_viewers.texts.clear();
        help->trigger();
        ASSERT_EQ(m_viewers.texts.size(), present ? 1u : 0u);
        if (present) {
            EXPECT_EQ(m_viewers.texts[0].content, QByteArray("TERMINAL A\r\n"));
            EXPECT_EQ(m_viewers.texts[0].request.folder, m_programs);
            EXPECT_EQ(m_viewers.texts[0].request.heightTwips, 6000);
            EXPECT_EQ(m_viewers.texts[0].request.widthTwips, 7000);
            EXPECT_FALSE(m_viewers.texts[0].request.writable);
        }
    }
}

TEST_F(OpenByTypeTest, TerminalConfigOpensTheIdentityWindowModal)
{
    MainWindowWithCommands w(m_settings, m_notifier, m_processes, m_terminalInfo, m_viewers, m_folder);
    // The session switches both commands on once the terminal has identified itself.
    w.window.switchCommand(Command::TerminalConfig, true);
    w.window.switchCommand(Command::ApplicationList, true);
    QString shownName;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown)
            return;
        shownName = shown->objectName();
        modal = shown->isModal();
        shown->close();
    });
    w.action("MNU_Terminal_Config")->trigger();
    EXPECT_EQ(shownName, QStringLiteral("frmTerminalInfo"));
    EXPECT_TRUE(modal);
    // Without an FTP session the running-component list shows nothing.
    w.action("MNU_Terminal_Application_List")->trigger();
    EXPECT_TRUE(m_viewers.texts.empty());
}

// The local explorer's opening hands its file items to the dispatch, and a folder link the dispatch follows
// is opened in the explorer's tree.
TEST_F(OpenByTypeTest, LocalExplorerFilesOpenByType)
{
    jvztest::PaneFixture f;
    f.start();
    QWidget host;
    FileOpenCommands::Sources sources;
    sources.catalogueFilters = [&] { return f.pane->filterItems(); };
    sources.local.navigateToFolder = [&](const QString& folder) { f.pane->GoToTypedPath(folder); };
    FileOpenCommands commands(host, m_settings, m_language, m_notifier, m_processes, m_terminalInfo, sources,
                              &m_viewers);
    QObject::disconnect(f.pane.get(), &LocalExplorerPane::fileOpenAsked, nullptr, nullptr); // the fixture's own
    QObject::connect(f.pane.get(), &LocalExplorerPane::fileOpenAsked,
                     [&](const LocalFileRef& file) { commands.openLocalFile(file.folder, file.name); });
    f.pane->GoToTypedPath(f.tree.vol1 + QStringLiteral("data/"));
    ASSERT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + QStringLiteral("data/"));
    f.selectListRow(QStringLiteral("a.txt"));
    f.pane->OpenListItem();
    ASSERT_EQ(m_viewers.texts.size(), 1u);
    EXPECT_EQ(m_viewers.texts[0].request.folder, f.tree.vol1 + QStringLiteral("data/"));
    EXPECT_EQ(m_viewers.texts[0].request.fileName, QStringLiteral("a.txt"));
    EXPECT_TRUE(f.openedFiles.isEmpty()) << "the fixture's own hook is replaced";

    // A shortcut file that is a link to a folder is followed in the tree.
    ASSERT_TRUE(QFile::link(f.tree.vol1 + QStringLiteral("data/pack"), m_folder + QStringLiteral("pack.lnk")));
    EXPECT_EQ(commands.openLocalFile(m_folder, QStringLiteral("pack.lnk")), FileTool::FolderLink);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + QStringLiteral("data/pack/"));
}

// On the main window the local explorer's file items come here.
TEST_F(OpenByTypeTest, MainWindowLocalExplorerHandsItsFilesToTheDispatch)
{
    MainWindowWithCommands w(m_settings, m_notifier, m_processes, m_terminalInfo, m_viewers, m_folder);
    LocalExplorerPane* pane = localExplorerOf(w.window);
    ASSERT_NE(pane, nullptr);
    LocalFileRef file;
    file.folder = m_folder;
    file.name = QStringLiteral("APP.PDF");
    file.imageKey = QStringLiteral("Unknown");
    emit pane->fileOpenAsked(file);
    ASSERT_EQ(m_viewers.descriptors.size(), 1u);
    EXPECT_EQ(m_viewers.descriptors[0].fileName, QStringLiteral("APP.PDF"));
    EXPECT_FALSE(m_viewers.descriptors[0].list);
}
