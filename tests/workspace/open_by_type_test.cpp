// Opening local list items by kind, and the viewer commands of the window as the program assembles it: the
// catalogue description (F9), the help list of compliant terminals and the terminal identity window, driven
// with keys and read in the viewer windows that come up.
#include "FakeNotifier.h"
#include "FakeVolumeSource.h"
#include "LocalExplorerFixture.h"
#include "MainWindowWorld.h"
#include "TestEnv.h"
#include "UserInput.h"
#include "ViewerDoubles.h"
#include "core/AppSettings.h"
#include "core/TerminalSession.h"
#include "platform/ProcessRunner.h"
#include "workspace/OpenByType.h"
#include "workspace/ui/FileOpenCommands.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
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
                    {.navigateToFolder = [&](const QString& folder) { navigated << folder; },
                     .takeConnectionBarCredentials = [&] { ++credentialsTaken; }});
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

// The window as the program assembles it, with its real viewer windows and companion programs that really
// run (the scripts of the fixture, beside the program), over a machine whose one drive is the fixture's folder.
class OpenOnTheWindow : public OpenByTypeTest {
protected:
    void SetUp() override
    {
        OpenByTypeTest::SetUp();
        for (const char* program : {"Orbeck", "Tulmane", "Vitrane", "Kelmdor", "Brosquin"})
            QFile::copy(m_programs + QLatin1String(program), world.folder + u'/' + QLatin1String(program));
        volumes.add(m_folder, DriveKind::Fixed, true, QStringLiteral("LOCAL"), QStringLiteral("1234-ABCD"));
        world.volumes = &volumes;
        world.realRunner = &m_processes;
        world.settings.gSelection = QStringLiteral("*.*");
        // The connection bar shown, so that its login and password can be typed.
        world.settings.gConnectBar = QStringLiteral("yes");
        world.settings.gX07 = true;
    }

    frmMainJVZ& start() { return world.buildShown(); }

    // The fixture's folder opened from the drives with the keys, then the named items chosen.
    void choose(frmMainJVZ& window, const QStringList& names)
    {
        QTreeView* list = window.controls().listView1;
        const LocalListModel& model = window.localExplorer()->listModel();
        if (window.localExplorer()->CurrentLocalFolder() != m_folder) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowOfPath(m_folder) >= 0; }, jvztest::kUserBoundMs));
            jvztest::moveToRow(list, model.rowOfPath(m_folder));
            jvztest::press(Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowOfPath(m_folder + QStringLiteral("notes.txt")) >= 0; },
                                        jvztest::kUserBoundMs));
        }
        QList<int> rows;
        for (const QString& name : names)
            rows << model.rowOfPath(m_folder + name);
        jvztest::chooseRows(list, rows);
    }

    jvztest::FakeVolumeSource volumes;
    jvztest::MainWindowWorld world;
};

QStringList listEntries(QWidget* viewer)
{
    QStringList entries;
    if (auto* list = viewer->findChild<QListWidget*>(QStringLiteral("List1")))
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
    return entries;
}

} // namespace

TEST_F(OpenOnTheWindow, F9ShowsTheFirstSelectedCatalogueListInTheDescriptorViewer)
{
    frmMainJVZ& window = start();
    QAction* f9 = window.controls().action(Command::CatalogDescription);
    EXPECT_EQ(f9->shortcut(), QKeySequence(Qt::Key_F9));
    // An item after it in the list chosen first: the viewer takes the first in the list's order.
    choose(window, {});
    const LocalListModel& model = window.localExplorer()->listModel();
    const int soft = model.rowOfPath(m_folder + QStringLiteral("SOFT.M40"));
    QString later;
    for (const char* name : {"APP.PDF", "X.SGN", "notes.txt", "vorbane.dia"})
        if (model.rowOfPath(m_folder + QLatin1String(name)) > soft)
            later = QLatin1String(name);
    ASSERT_FALSE(later.isEmpty());
    choose(window, {later, QStringLiteral("SOFT.M40")});
    ASSERT_TRUE(f9->isEnabled()) << "a catalogue list is chosen";
    QString title;
    QStringList entries;
    bool listShown = false;
    EXPECT_TRUE(jvztest::onModal([] { jvztest::press(Qt::Key_F9); },
                                 [&](QWidget* viewer) {
                                     title = viewer->windowTitle();
                                     entries = listEntries(viewer);
                                     listShown = viewer->findChild<QListWidget*>(QStringLiteral("List1"))->isVisible();
                                 }));
    EXPECT_EQ(title, QStringLiteral("SOFT.M40"));
    EXPECT_EQ(entries, QStringList{QStringLiteral("content of SOFT.M40")});
    EXPECT_TRUE(listShown);
    {
        // Nothing while a nested wait runs; the user back in the list.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        jvztest::focus(window.controls().listView1);
        BusyScope busy(window.commands());
        EXPECT_FALSE(jvztest::onModal([] { jvztest::press(Qt::Key_F9); }, [](QWidget*) {}, 500));
    }
}

TEST_F(OpenOnTheWindow, CompanionRunHoldsTheWindowBusy)
{
    frmMainJVZ& window = start();
    const MainWindowControls& ui = window.controls();
    jvztest::focus(ui.txtLogin);
    jvztest::typeText(QStringLiteral("tech"));
    jvztest::focus(ui.txtPassword);
    jvztest::typeText(QStringLiteral("secret"));
    choose(window, {QStringLiteral("vorbane.dia")});
    bool busyWhileShown = false;
    QString title;
    QString shown;
    EXPECT_TRUE(jvztest::onModal([] { jvztest::press(Qt::Key_Return); },
                                 [&](QWidget* viewer) {
                                     busyWhileShown = window.commands().isBusy();
                                     title = viewer->windowTitle();
                                     shown = viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
                                 }));
    EXPECT_TRUE(busyWhileShown);
    EXPECT_FALSE(window.commands().isBusy());
    EXPECT_EQ(title, QStringLiteral("vorbane.dia"));
    EXPECT_EQ(shown, QStringLiteral("content of vorbane.dia\n"));
    // The connection bar's texts became the FTP credentials.
    EXPECT_EQ(world.settings.gFtpUserName, QStringLiteral("tech"));
    EXPECT_EQ(world.settings.gFtpPassword, QStringLiteral("secret"));
}

TEST_F(OpenOnTheWindow, HelpListOfCompliantTerminalsOnlyWhenItsFileIsBesideTheProgram)
{
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "file present" : "no file");
        if (present)
            writeFile(world.folder + QStringLiteral("/Jungo USB - Compliant terminals.txt"), "TERMINAL A\r\n");
        frmMainJVZ& window = start();
        QAction* help = window.controls().action(Command::HelpJungoTerminals);
        EXPECT_EQ(help->isVisible(), present);
        QString title;
        QString shown;
        QSize size;
        bool readOnly = false;
        const bool opened = jvztest::onModal([&] { help->trigger(); },
                                             [&](QWidget* viewer) {
                                                 title = viewer->windowTitle();
                                                 auto* text =
                                                     viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
                                                 shown = text->toPlainText();
                                                 readOnly = text->isReadOnly();
                                                 size = viewer->size();
                                             },
                                             present ? jvztest::kUserBoundMs : 500);
        EXPECT_EQ(opened, present);
        if (present) {
            EXPECT_EQ(title, QStringLiteral("Jungo USB - Compliant terminals.txt"));
            EXPECT_EQ(shown, QStringLiteral("TERMINAL A\n"));
            EXPECT_EQ(size, QSize(7000 / 15, 6000 / 15)) << "7000 by 6000 twips";
            EXPECT_TRUE(readOnly);
        }
    }
}

TEST_F(OpenOnTheWindow, TerminalConfigOpensTheIdentityWindowModal)
{
    frmMainJVZ& window = start();
    // The session switches both commands on once the terminal has identified itself.
    window.commands().switchCommand(Command::TerminalConfig, true);
    window.commands().switchCommand(Command::ApplicationList, true);
    QString shownName;
    bool modal = false;
    EXPECT_TRUE(jvztest::onModal([&] { window.controls().action(Command::TerminalConfig)->trigger(); },
                                 [&](QWidget* shown) {
                                     shownName = shown->objectName();
                                     modal = shown->isModal();
                                 }));
    EXPECT_EQ(shownName, QStringLiteral("frmTerminalInfo"));
    EXPECT_TRUE(modal);
    // Without an FTP session the running-component list shows nothing.
    EXPECT_FALSE(
        jvztest::onModal([&] { window.controls().action(Command::ApplicationList)->trigger(); }, [](QWidget*) {}, 500));
}

// The local explorer's opening hands its file items to the dispatch, and a folder link the dispatch follows
// is opened in the explorer's tree.
TEST_F(OpenByTypeTest, LocalExplorerFilesOpenByType)
{
    jvztest::PaneFixture f;
    f.start();
    QWidget host;
    FileOpenCommands::Hooks sources;
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

// On the window the local explorer's file items come here: Enter on a descriptor shows it in the descriptor
// viewer, alone.
TEST_F(OpenOnTheWindow, MainWindowLocalExplorerHandsItsFilesToTheDispatch)
{
    frmMainJVZ& window = start();
    choose(window, {QStringLiteral("APP.PDF")});
    QString title;
    bool listShown = true;
    EXPECT_TRUE(jvztest::onModal([] { jvztest::press(Qt::Key_Return); },
                                 [&](QWidget* viewer) {
                                     title = viewer->windowTitle();
                                     listShown = viewer->findChild<QListWidget*>(QStringLiteral("List1"))->isVisible();
                                 }));
    EXPECT_EQ(title, QStringLiteral("APP.PDF"));
    EXPECT_FALSE(listShown);
}
