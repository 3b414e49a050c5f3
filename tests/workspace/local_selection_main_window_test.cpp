// The local selection, favourites and deletion on the window as the program assembles it, driven with keys
// and clicks as a user drives it and read where a user reads.
#include "FakeNotifier.h"
#include "FakeVolumeSource.h"
#include "LocalExplorerFixture.h"
#include "MainWindowWorld.h"
#include "Paths.h"
#include "UserInput.h"
#include "WaitUntil.h"
#include "core/AppSettings.h"
#include "workspace/FavouritePaths.h"
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
#include <functional>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::chooseRows;
using jvztest::focus;
using jvztest::press;

namespace {
// Waits as long as a user would wait on the window.
bool waitFor(const std::function<bool()>& done)
{
    return jvztest::waitUntil(done, jvztest::kUserBoundMs);
}
} // namespace

namespace {

// One run of the program's window over the fake machine, built by the program's assembly; building it again
// over the same program folder is a restart.
struct WindowRun {
    explicit WindowRun(jvztest::MainWindowWorld& world, int16_t languageNumber = 1)
        // Shown: the explorer fills itself and the favourites are read.
        : window(world.buildShown(languageNumber)), ui(window.controls()), explorer(window.localExplorer()),
          wiring(window.localSelection())
    {
        EXPECT_NE(explorer, nullptr);
        EXPECT_NE(wiring, nullptr);
        EXPECT_TRUE(explorer->started());
    }

    int row(const QString& path) const { return explorer->listModel().rowOfPath(path); }
    QString folder() const { return explorer->CurrentLocalFolder(); }

    // Chooses the items of the list with the keys, in this order.
    void select(const QStringList& paths)
    {
        QList<int> rows;
        for (const QString& p : paths)
            rows << row(p);
        chooseRows(ui.listView1, rows);
    }

    // Opens the folder from the list: back to the drives with Ctrl+B, then each folder of the path with the
    // arrows and Enter.
    void open(const QString& drive, const QStringList& folders = {})
    {
        focus(ui.listView1);
        for (int i = 0; i < 8 && !folder().isEmpty(); ++i) {
            const QString was = folder();
            press(Qt::Key_B, Qt::ControlModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return folder() != was; }, jvztest::kUserBoundMs));
        }
        ASSERT_TRUE(folder().isEmpty()) << "not back at the drives: " << folder().toStdString();
        QString path = drive;
        for (int i = 0; i <= folders.size(); ++i) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return row(path) >= 0; }, jvztest::kUserBoundMs)) << path.toStdString();
            jvztest::moveToRow(ui.listView1, row(path));
            press(Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([&] { return folder() == path; }, jvztest::kUserBoundMs))
                << folder().toStdString() << " instead of " << path.toStdString() << " row "
                << ui.listView1->currentIndex().row() << " of " << row(path) << " focus "
                << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "");
            if (i < folders.size())
                path += folders.at(i) + u'/';
        }
    }

    // Picks the favourite with the arrow keys in Combo5, each entry on the way opened as it is reached.
    void pickFavourite(int index)
    {
        QComboBox* combo = ui.combo5;
        focus(combo);
        // Already the entry shown: the arrows go off it and back.
        if (combo->currentIndex() == index)
            press(index + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
        for (int i = 0; i < combo->count() && combo->currentIndex() != index; ++i)
            press(combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(combo->currentIndex(), index);
    }

    QStringList favourites() const
    {
        QStringList entries;
        for (int i = 0; i < ui.combo5->count(); ++i)
            entries << ui.combo5->itemText(i);
        return entries;
    }

    QAction* toolbarButton(QToolBar* bar, const char* name) const
    {
        for (QAction* a : bar->actions())
            if (a->objectName() == QLatin1String(name))
                return a;
        return nullptr;
    }

    // Closes the window as a user does, the quit's question answered Yes: the favourites are saved.
    void quit(jvztest::FakeNotifier& notifier)
    {
        notifier.answers = {MessageAnswer::Yes};
        window.close();
    }

    frmMainJVZ& window;
    const MainWindowControls& ui;
    LocalExplorerPane* explorer = nullptr;
    LocalSelectionWiring* wiring = nullptr;
};

class MainWindowSelection : public ::testing::Test {
protected:
    MainWindowSelection() : tree(jvztest::makeFixtureTree())
    {
        volumes.add(tree.vol1, DriveKind::Fixed, true, "SYSTEM", "1234-ABCD");
        volumes.add(tree.vol2, DriveKind::Removable, true, QString(), "5678-EF01");
        world.volumes = &volumes;
        world.settings.gSelection = "*.*";
        bookmark = world.folder + "/JVZ.bmk";
        writeBookmark((tree.vol1 + "data/\r\n" + tree.vol2 + "gone/deeper/\r\n").toUtf8());
    }

    void writeBookmark(const QByteArray& content) const
    {
        QFile f(bookmark);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    QByteArray bookmarkBytes() const
    {
        QFile f(bookmark);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    jvztest::FixtureTree tree;
    jvztest::FakeVolumeSource volumes;
    // The window reads the catalogue filters from the product-code file on its first activation.
    jvztest::MainWindowWorld world{"M23 Terminal M23\r\nM40 Terminal M40\r\n"};
    jvztest::FakeNotifier& notifier = world.notifier;
    QString bookmark;
};

TEST_F(MainWindowSelection, ChoosingDeletingAndTheFavouritesThroughTheWindow)
{
    auto run = std::make_unique<WindowRun>(world);
    frmMainJVZ& w = run->window;
    const MainWindowControls& ui = run->ui;
    QAction* delFile = run->toolbarButton(ui.toolbar1, "DelFile");
    ASSERT_NE(delFile, nullptr);

    // The favourites as the start-up repair left them, the file normalised.
    EXPECT_EQ(run->favourites(), QStringList({tree.vol1 + "data/", tree.vol2, "My Computer"}));
    EXPECT_EQ(bookmarkBytes(), (tree.vol1 + "data/\r\n" + tree.vol2 + "\r\nMy Computer\r\n").toUtf8());

    // Picking the entry opens the folder.
    run->pickFavourite(0);
    ASSERT_TRUE(waitFor([&] { return run->folder() == tree.vol1 + "data/"; })) << (run->folder()).toStdString();
    ASSERT_TRUE(waitFor([&] { return run->row(tree.vol1 + "data/C.M40") >= 0; }));
    EXPECT_EQ(ui.combo5->currentText(), tree.vol1 + "data/");

    focus(ui.listView1);
    EXPECT_EQ(ui.combo5->currentText(), tree.vol1 + "data/") << "the focus gone from the box";
    EXPECT_FALSE(delFile->isEnabled()) << "nothing chosen after a listing";
    run->select({tree.vol1 + "data/C.M40"});
    EXPECT_EQ(ui.text3->text(), " catalogue C");
    EXPECT_TRUE(delFile->isEnabled());
    EXPECT_TRUE(ui.mnuCatalog->isEnabled());
    EXPECT_TRUE(ui.action(Command::ContextCopy)->isEnabled());
    EXPECT_FALSE(ui.action(Command::Download)->isEnabled()) << "no session";
    EXPECT_EQ(run->explorer->listModel().imageKey(run->row(tree.vol1 + "data/C.M40")), "coche");

    press(Qt::Key_C, Qt::ControlModifier);
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
    jvztest::click(ui.toolbar1, delFile);
    EXPECT_FALSE(QFile::exists(tree.vol1 + "data/C.M40"));
    ASSERT_TRUE(waitFor([&] { return run->row(tree.vol1 + "data/C.M40") == -1; }));
    EXPECT_EQ(notifier.shown.back().title, w.language().GetFormLabel("TIT_DelFile"));

    // The tree's Shift+Ins adds the folder shown; the list of favourites is saved at once.
    run->open(tree.vol1, {"data", "pack"});
    focus(ui.treeView1);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(ui.combo5->currentText(), tree.vol1 + "data/pack/");
    EXPECT_TRUE(bookmarkBytes().contains((tree.vol1 + "data/pack/\r\n").toUtf8()));

    // Toolbar2's "back" shows the parent folder.
    jvztest::click(ui.toolbar2, run->toolbarButton(ui.toolbar2, "back"));
    ASSERT_TRUE(waitFor([&] { return run->folder() == tree.vol1 + "data/"; })) << (run->folder()).toStdString();

    // Typed in the box: Enter opens it.
    focus(ui.combo5);
    press(Qt::Key_A, Qt::ControlModifier);
    jvztest::typeText(tree.vol2 + "photos");
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return run->folder() == tree.vol2 + "photos/"; })) << (run->folder()).toStdString();

    // Quitting (confirmed) saves through the window's hook; the next run finds the same list.
    QFile(bookmark).remove();
    const QStringList saved = run->favourites();
    run->quit(notifier);
    EXPECT_EQ(bookmarkBytes(), (saved.join("\r\n") + "\r\n").toUtf8());
    run.reset();
    WindowRun again(world);
    EXPECT_EQ(again.favourites(), saved);
}

// Enter on the favourite the box shows opens it, and the box goes on showing it once the focus leaves: as
// loaded, and after the entry was picked and another folder opened from the list.
TEST_F(MainWindowSelection, EnterOnTheShownFavouriteKeepsItShownWhenTheFocusLeaves)
{
    WindowRun run(world);
    const MainWindowControls& ui = run.ui;
    const struct {
        const char* name;
        int picked; // the entry picked with the arrows first; -1: the box as loaded
        QString entry;
    } cases[] = {{"as loaded", -1, tree.vol1 + "data/"}, {"picked, then left", 1, tree.vol2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.picked >= 0) {
            run.pickFavourite(c.picked);
            ASSERT_TRUE(waitFor([&] { return run.folder() == c.entry; })) << run.folder().toStdString();
            run.open(tree.vol1, {"data"});
        }
        focus(ui.combo5);
        ASSERT_EQ(ui.combo5->currentText(), c.entry);
        press(Qt::Key_Return);
        ASSERT_TRUE(waitFor([&] { return run.folder() == c.entry; })) << run.folder().toStdString();
        focus(ui.listView1);
        EXPECT_EQ(ui.combo5->currentText(), c.entry) << "the focus gone from the box";
        EXPECT_EQ(run.favourites(), QStringList({tree.vol1 + "data/", tree.vol2, "My Computer"})) << "nothing added";
        EXPECT_TRUE(notifier.shown.empty());
    }
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
        writeBookmark((tree.vol1 + "data/\r\n" + tree.vol2 + "\r\n").toUtf8());
        {
            WindowRun writer(world, c.writtenIn);
            writer.quit(notifier); // the confirmed quit saves the list
        }
        ASSERT_EQ(bookmarkBytes(), (tree.vol1 + "data/\r\n" + tree.vol2 + "\r\nMy Computer\r\n").toUtf8());

        WindowRun run(world, c.readIn);
        const MainWindowControls& ui = run.ui;
        EXPECT_EQ(run.favourites(), QStringList({tree.vol1 + "data/", tree.vol2, c.shown}));
        // One text wherever the drive view shows.
        EXPECT_EQ(ui.treeView1->model()->index(0, 0).data().toString(), c.shown);
        EXPECT_EQ(ui.imageCombo1->itemText(0), c.shown);

        run.open(tree.vol1, {"data"});
        run.pickFavourite(2);
        ASSERT_TRUE(waitFor([&] { return run.folder().isEmpty(); }));
        EXPECT_EQ(ui.treeView1->currentIndex(), ui.treeView1->model()->index(0, 0));
        EXPECT_EQ(ui.combo5->currentText(), c.shown);
        EXPECT_EQ(ui.imageCombo1->currentText(), c.shown);

        // The stored name goes on being written, whatever the box shows.
        run.quit(notifier);
        EXPECT_TRUE(bookmarkBytes().endsWith("\r\nMy Computer\r\n")) << bookmarkBytes().toStdString();
    }
}

TEST_F(MainWindowSelection, EachKeyOfTheListRunsItsCommandOnce)
{
    WindowRun run(world);
    const MainWindowControls& ui = run.ui;
    int creates = 0;
    run.window.commands().wireCommand(Command::CatalogCreate, [&] { ++creates; });
    focus(ui.combo2);
    press(Qt::Key_A, Qt::ControlModifier);
    jvztest::typeText("*.M40");
    run.open(tree.vol1, {"data"});
    run.select({tree.vol1 + "data/C.M40"});
    ASSERT_TRUE(ui.action(Command::CatalogCreate)->isEnabled());
    press(Qt::Key_F7);
    EXPECT_EQ(creates, 1);

    focus(ui.combo2); // relists with every file
    press(Qt::Key_A, Qt::ControlModifier);
    jvztest::typeText("*.*");
    ASSERT_TRUE(waitFor([&] { return run.row(tree.vol1 + "data/a.txt") >= 0; }));
    run.select({tree.vol1 + "data/a.txt"});
    notifier.answers = {MessageAnswer::No};
    const size_t before = notifier.shown.size();
    press(Qt::Key_Delete);
    EXPECT_EQ(notifier.shown.size(), before + 1) << "one question";
    EXPECT_TRUE(QFile::exists(tree.vol1 + "data/a.txt"));
}

TEST_F(MainWindowSelection, ABookmarkFileThatIsNotAListIsLeftAndTheStatusBarSaysWhy)
{
    const QByteArray content("/data/\r\n\0binary", 15);
    writeBookmark(content);
    {
        WindowRun run(world);
        EXPECT_EQ(run.ui.combo5->count(), 1);
        EXPECT_TRUE(run.ui.statusBar2->currentMessage().contains(bookmark));
        // A folder added to the favourites and the quit's saving leave the file as it is.
        run.open(tree.vol1);
        focus(run.ui.treeView1);
        press(Qt::Key_Insert, Qt::ShiftModifier);
        run.quit(notifier);
    }
    EXPECT_EQ(bookmarkBytes(), content);
}

TEST_F(MainWindowSelection, ANewListingTakesTheOldSelectionsCommandsAway)
{
    WindowRun run(world);
    const MainWindowControls& ui = run.ui;
    run.open(tree.vol1, {"data"});
    run.select({tree.vol1 + "data/a.txt"});
    ASSERT_TRUE(ui.action(Command::LocalDelFile)->isEnabled());
    run.open(tree.vol1, {"data", "pack"});
    EXPECT_FALSE(ui.action(Command::LocalDelFile)->isEnabled());
    EXPECT_FALSE(ui.action(Command::ContextCopy)->isEnabled());
}

TEST_F(MainWindowSelection, TheDragFlagsSayWhichListADragCameFrom)
{
    WindowRun run(world);
    const MainWindowControls& ui = run.ui;
    run.open(tree.vol1, {"data"});
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
