// The local selection, favourites and deletion attached to the real main window and its local explorer,
// driven through the window's controls by their names.
#include "FakeNotifier.h"
#include "FakeVolumeSource.h"
#include "LocalExplorerFixture.h"
#include "MainWindowWorld.h"
#include "Paths.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/ui/IconTable.h"
#include "workspace/FavouritePaths.h"
#include "workspace/ui/LocalExplorerAttach.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/LocalSelectionPane.h"
#include "workspace/ui/LocalSelectionWiring.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

// One run of the program's window over the fake machine; a second one over the same folder is a restart.
struct WindowRun {
    WindowRun(const jvztest::FixtureTree& tree, jvztest::FakeVolumeSource& volumes, AppSettings& settings,
              jvztest::FakeNotifier& notifier, int16_t languageNumber = 1)
        : window({notifier, store, runner, {}, {}, {}}, settings, batch)
    {
        window.InitLanguage(jvztest::shippedLanguage(languageNumber));
        const MainWindowControls& ui = window.controls();
        explorer = localExplorerOf(window);
        wiring = localSelectionOf(window);
        EXPECT_NE(explorer, nullptr);
        EXPECT_NE(wiring, nullptr);
        explorer->setVolumeSource(volumes);
        wiring->setVolumeSource(volumes);
        window.resize(1100, 700);
        window.show(); // the explorer fills itself and the favourites are read
        EXPECT_TRUE(explorer->started());
        ui.combo2->setCurrentText("*.*");
        (void)tree;
    }

    int row(const QString& path) const { return explorer->listModel().rowOfPath(path); }

    void select(const QStringList& paths)
    {
        QTreeView* list = window.controls().listView1;
        QItemSelection selection;
        for (const QString& p : paths) {
            const QModelIndex i = explorer->listModel().index(row(p), 0);
            selection.select(i, i.siblingAtColumn(2));
        }
        list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }

    QAction* toolbarButton(QToolBar* bar, const char* name) const
    {
        for (QAction* a : bar->actions())
            if (a->objectName() == QLatin1String(name))
                return a;
        return nullptr;
    }

    BatchRun batch;
    jvztest::FakeUserSettingsStore store;
    jvztest::RefusingProcessRunner runner;
    frmMainJVZ window;
    LocalExplorerPane* explorer = nullptr;
    LocalSelectionWiring* wiring = nullptr;
};

class MainWindowSelection : public ::testing::Test {
protected:
    MainWindowSelection() : tree(jvztest::makeFixtureTree())
    {
        volumes.add(tree.vol1, DriveKind::Fixed, true, "SYSTEM", "1234-ABCD");
        volumes.add(tree.vol2, DriveKind::Removable, true, QString(), "5678-EF01");
        settings.gProgramFolder = tree.root + "program";
        QDir().mkpath(settings.gProgramFolder);
        settings.gBookmarkFile = "JVZ.bmk";
        // The window's first activation reads the catalogue filters from the product-code file.
        settings.gCataExtFile = "JVZ.prm";
        QFile codes(settings.gProgramFolder + "/JVZ.prm");
        EXPECT_TRUE(codes.open(QIODevice::WriteOnly));
        codes.write("M23 Terminal M23\r\nM40 Terminal M40\r\n");
        bookmark = settings.gProgramFolder + "/JVZ.bmk";
        QFile f(bookmark);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((tree.vol1 + "data/\r\n" + tree.vol2 + "gone/deeper/\r\n").toUtf8());
        settings.gSelection = "*.*";
    }

    QByteArray bookmarkBytes() const
    {
        QFile f(bookmark);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    jvztest::FixtureTree tree;
    jvztest::FakeVolumeSource volumes;
    AppSettings settings;
    jvztest::FakeNotifier notifier;
    QString bookmark;
};

TEST_F(MainWindowSelection, ChoosingDeletingAndTheFavouritesThroughTheWindow)
{
    auto run = std::make_unique<WindowRun>(tree, volumes, settings, notifier);
    frmMainJVZ& w = run->window;
    const MainWindowControls& ui = w.controls();
    QAction* delFile = run->toolbarButton(ui.toolbar1, "DelFile");
    ASSERT_NE(delFile, nullptr);

    // The favourites as the start-up repair left them, the file normalised.
    QStringList entries;
    for (int i = 0; i < ui.combo5->count(); ++i)
        entries << ui.combo5->itemText(i);
    EXPECT_EQ(entries, QStringList({tree.vol1 + "data/", tree.vol2, "My Computer"}));
    EXPECT_EQ(bookmarkBytes(), (tree.vol1 + "data/\r\n" + tree.vol2 + "\r\nMy Computer\r\n").toUtf8());

    // Picking the entry opens the folder.
    ui.combo5->setCurrentIndex(0);
    emit ui.combo5->activated(0);
    QTRY_COMPARE(run->explorer->CurrentLocalFolder(), tree.vol1 + "data/");
    ASSERT_GE(run->row(tree.vol1 + "data/C.M40"), 0);

    ui.listView1->setFocus();
    QTRY_VERIFY(ui.listView1->hasFocus());
    EXPECT_FALSE(delFile->isEnabled()) << "nothing chosen after a listing";
    run->select({tree.vol1 + "data/C.M40"});
    EXPECT_EQ(ui.text3->text(), " catalogue C");
    EXPECT_TRUE(delFile->isEnabled());
    EXPECT_TRUE(ui.mnuCatalog->isEnabled());
    EXPECT_TRUE(ui.action(Command::ContextCopy)->isEnabled());
    EXPECT_FALSE(ui.action(Command::Download)->isEnabled()) << "no session";
    EXPECT_EQ(run->explorer->listModel().imageKey(run->row(tree.vol1 + "data/C.M40")), "coche");

    QTest::keyClick(ui.listView1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), QByteArray("C.M40\r\n"));

    QWidget& shot = w;
    const QString screenshots = jvztest::binDir() + "/../screenshots";
    QDir().mkpath(screenshots);
    EXPECT_TRUE(shot.grab().save(screenshots + "/local_selection.png"));

    // A folder with the files: no deletion offered.
    run->select({tree.vol1 + "data/b/", tree.vol1 + "data/a.txt"});
    EXPECT_FALSE(delFile->isEnabled());

    // Toolbar1's DelFile: the question, Yes, the file gone and the list showing the folder as it is now.
    run->select({tree.vol1 + "data/C.M40"});
    notifier.answers = {MessageAnswer::Yes};
    delFile->trigger();
    EXPECT_FALSE(QFile::exists(tree.vol1 + "data/C.M40"));
    EXPECT_EQ(run->row(tree.vol1 + "data/C.M40"), -1);
    EXPECT_EQ(notifier.shown.back().title, w.language().GetFormLabel("TIT_DelFile"));

    // The tree's Shift+Ins adds the folder shown; the list of favourites is saved at once.
    run->explorer->GoToTypedPath(tree.vol1 + "data/pack/");
    QTRY_COMPARE(run->explorer->CurrentLocalFolder(), tree.vol1 + "data/pack/");
    ui.treeView1->setFocus();
    QTest::keyClick(ui.treeView1, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(ui.combo5->currentText(), tree.vol1 + "data/pack/");
    EXPECT_TRUE(bookmarkBytes().contains((tree.vol1 + "data/pack/\r\n").toUtf8()));

    // Toolbar2's "back" shows the parent folder.
    run->toolbarButton(ui.toolbar2, "back")->trigger();
    QTRY_COMPARE(run->explorer->CurrentLocalFolder(), tree.vol1 + "data/");

    // Typed in the box: Enter opens it.
    ui.combo5->setFocus();
    ui.combo5->lineEdit()->selectAll();
    QTest::keyClicks(ui.combo5, tree.vol2 + "photos");
    QTest::keyClick(ui.combo5, Qt::Key_Return);
    QTRY_COMPARE(run->explorer->CurrentLocalFolder(), tree.vol2 + "photos/");

    // Quitting (confirmed) saves through the window's hook; the next run finds the same list.
    QFile(bookmark).remove();
    notifier.answers = {MessageAnswer::Yes};
    run->window.close();
    const QStringList saved = run->wiring->favourites().entries();
    EXPECT_EQ(bookmarkBytes(), (saved.join("\r\n") + "\r\n").toUtf8());
    run.reset();
    auto again = std::make_unique<WindowRun>(tree, volumes, settings, notifier);
    EXPECT_EQ(again->wiring->favourites().entries(), saved);
    EXPECT_EQ(again->window.controls().combo5->count(), saved.size());
}

// The drive view is stored as "My Computer" in every language and shown as the language file's text; a list
// saved in one language is read back in the other.
TEST_F(MainWindowSelection, TheDriveViewEntryOfTheFavouritesReturnsToTheDriveViewInEitherLanguage)
{
    const struct {
        int16_t writtenIn;
        int16_t readIn;
        const char* shown;
    } cases[] = {{2, 1, "My Computer"}, {1, 2, "Poste de travail"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.readIn);
        {
            QFile f(bookmark);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write((tree.vol1 + "data/\r\n" + tree.vol2 + "\r\n").toUtf8());
        }
        {
            WindowRun writer(tree, volumes, settings, notifier, c.writtenIn);
            notifier.answers = {MessageAnswer::Yes};
            writer.window.close(); // the confirmed quit saves the list
        }
        ASSERT_EQ(bookmarkBytes(), (tree.vol1 + "data/\r\n" + tree.vol2 + "\r\nMy Computer\r\n").toUtf8());

        WindowRun run(tree, volumes, settings, notifier, c.readIn);
        const MainWindowControls& ui = run.window.controls();
        QStringList entries;
        for (int i = 0; i < ui.combo5->count(); ++i)
            entries << ui.combo5->itemText(i);
        EXPECT_EQ(entries, QStringList({tree.vol1 + "data/", tree.vol2, c.shown}));
        // One text wherever the drive view shows.
        EXPECT_EQ(ui.treeView1->model()->index(0, 0).data().toString(), c.shown);
        EXPECT_EQ(ui.imageCombo1->itemText(0), c.shown);

        run.explorer->GoToTypedPath(tree.vol1 + "data/");
        QTRY_COMPARE(run.explorer->CurrentLocalFolder(), tree.vol1 + "data/");
        ui.combo5->setCurrentIndex(2);
        emit ui.combo5->activated(2);
        QTRY_VERIFY(run.explorer->CurrentLocalFolder().isEmpty());
        EXPECT_EQ(ui.treeView1->currentIndex(), ui.treeView1->model()->index(0, 0));
        EXPECT_EQ(ui.combo5->currentText(), c.shown);

        // The stored name goes on being written, whatever the box shows.
        run.wiring->favourites().SavePathHistory();
        EXPECT_TRUE(bookmarkBytes().endsWith("\r\nMy Computer\r\n"));
        notifier.answers = {MessageAnswer::Yes};
    }
}

TEST_F(MainWindowSelection, EachKeyOfTheListRunsItsCommandOnce)
{
    WindowRun run(tree, volumes, settings, notifier);
    const MainWindowControls& ui = run.window.controls();
    int creates = 0;
    run.window.wireCommand(Command::CatalogCreate, [&] { ++creates; });
    ui.combo2->setCurrentText("*.M40");
    run.explorer->GoToTypedPath(tree.vol1 + "data/");
    QTRY_COMPARE(run.explorer->CurrentLocalFolder(), tree.vol1 + "data/");
    ui.listView1->setFocus();
    QTRY_VERIFY(ui.listView1->hasFocus());
    run.select({tree.vol1 + "data/C.M40"});
    ASSERT_TRUE(ui.action(Command::CatalogCreate)->isEnabled());
    QTest::keyClick(ui.listView1, Qt::Key_F7);
    EXPECT_EQ(creates, 1);

    ui.combo2->setCurrentText("*.*"); // relists with every file
    QTRY_VERIFY(run.row(tree.vol1 + "data/a.txt") >= 0);
    run.select({tree.vol1 + "data/a.txt"});
    notifier.answers = {MessageAnswer::No};
    const size_t before = notifier.shown.size();
    QTest::keyClick(ui.listView1, Qt::Key_Delete);
    EXPECT_EQ(notifier.shown.size(), before + 1) << "one question";
    EXPECT_TRUE(QFile::exists(tree.vol1 + "data/a.txt"));
}

TEST_F(MainWindowSelection, ABookmarkFileThatIsNotAListIsLeftAndTheStatusBarSaysWhy)
{
    QFile f(bookmark);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray content("/data/\r\n\0binary", 15);
    f.write(content);
    f.close();
    {
        WindowRun run(tree, volumes, settings, notifier);
        EXPECT_EQ(run.window.controls().combo5->count(), 1);
        EXPECT_TRUE(run.window.controls().statusBar2->currentMessage().contains(bookmark));
        run.wiring->favourites().AddFolderToFavourites(tree.vol1);
        run.wiring->favourites().SavePathHistory();
    }
    EXPECT_EQ(bookmarkBytes(), content);
}

TEST_F(MainWindowSelection, ANewListingTakesTheOldSelectionsCommandsAway)
{
    WindowRun run(tree, volumes, settings, notifier);
    const MainWindowControls& ui = run.window.controls();
    run.explorer->GoToTypedPath(tree.vol1 + "data/");
    QTRY_COMPARE(run.explorer->CurrentLocalFolder(), tree.vol1 + "data/");
    run.select({tree.vol1 + "data/a.txt"});
    ASSERT_TRUE(ui.action(Command::LocalDelFile)->isEnabled());
    run.explorer->GoToTypedPath(tree.vol1 + "data/pack/");
    QTRY_COMPARE(run.explorer->CurrentLocalFolder(), tree.vol1 + "data/pack/");
    EXPECT_FALSE(ui.action(Command::LocalDelFile)->isEnabled());
    EXPECT_FALSE(ui.action(Command::ContextCopy)->isEnabled());
}

TEST_F(MainWindowSelection, TheDragFlagsSayWhichListADragCameFrom)
{
    WindowRun run(tree, volumes, settings, notifier);
    const MainWindowControls& ui = run.window.controls();
    run.explorer->GoToTypedPath(tree.vol1 + "data/");
    QTRY_COMPARE(run.explorer->CurrentLocalFolder(), tree.vol1 + "data/");
    QSignalSpy started(&run.wiring->selection(), &LocalSelectionPane::dragStarted);
    ui.listView1->setDragEnabled(true);
    const QRect r = ui.listView1->visualRect(run.explorer->listModel().index(run.row(tree.vol1 + "data/a.txt"), 0));
    QWidget* viewport = ui.listView1->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, r.center());
    QMouseEvent move(QEvent::MouseMove, r.center() + QPoint(QApplication::startDragDistance() + 2, 0),
                     viewport->mapToGlobal(r.center()), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(started.count(), 1);
}

} // namespace
