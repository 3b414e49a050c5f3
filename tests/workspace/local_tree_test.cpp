// The drive and folder tree: drive texts and images, selecting, refreshing and leaving nodes, its keys.
#include "FakeNotifier.h"
#include "LocalExplorerFixture.h"
#include "MainWindowWorld.h"
#include "Paths.h"
#include "WaitUntil.h"
#include "core/BatchRun.h"
#include "workspace/DriveView.h"
#include "workspace/LocalTreeModel.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::FakeVolumeSource;
using jvztest::PaneFixture;

namespace {

const DriveLabels kLabels{QStringLiteral("Floppy"), QStringLiteral("CD drive"), QStringLiteral("USB key")};

} // namespace

TEST(LocalDriveTable, EveryKindRowByRow)
{
    const struct {
        const char* label;
        DriveKind kind;
        bool ready;
        const char* serial;
        const char* name;
        const char* share;
        const char* text; // nullptr: not shown
        const char* image;
    } rows[] = {
        {"removable, ready, serial, no label", DriveKind::Removable, true, "AB12", "", "", "USB key (/m/e/)",
         "RemovableDrive"},
        {"removable, ready, serial, label", DriveKind::Removable, true, "AB12", "STICK", "", "STICK (/m/e/)",
         "RemovableDrive"},
        {"removable, ready, no serial", DriveKind::Removable, true, "", "STICK", "", "Floppy (/m/e/)", "DiskDrive"},
        {"removable, not ready", DriveKind::Removable, false, "AB12", "STICK", "", "Floppy (/m/e/)", "DiskDrive"},
        {"fixed with label", DriveKind::Fixed, true, "", "SYSTEM", "", "SYSTEM (/m/e/)", "Drive"},
        {"fixed without label", DriveKind::Fixed, true, "", "", "", " (/m/e/)", "Drive"},
        {"network", DriveKind::Network, true, "", "", "//srv/data", "//srv/data (/m/e/)", "NetDrive"},
        {"optical with a disc", DriveKind::Optical, true, "", "DISC1", "", "DISC1 (/m/e/)", "CdDrive"},
        {"optical without a disc", DriveKind::Optical, false, "", "", "", "CD drive (/m/e/)", "CdDrive"},
        {"unknown", DriveKind::Unknown, true, "", "X", "", nullptr, ""},
        {"RAM disk", DriveKind::RamDisk, true, "", "X", "", nullptr, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        FakeVolumeSource v;
        v.add(QStringLiteral("/m/e"), r.kind, r.ready, QString::fromLatin1(r.name), QString::fromLatin1(r.serial),
              QString::fromLatin1(r.share));
        const QList<DriveEntry> shown = driveEntries(v.list, true, kLabels);
        if (!r.text) {
            EXPECT_TRUE(shown.isEmpty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, QString::fromLatin1(r.text));
        EXPECT_EQ(shown[0].imageKey, QString::fromLatin1(r.image));
        EXPECT_EQ(shown[0].path, QStringLiteral("/m/e/"));
    }
}

TEST(LocalDriveTable, MachineInCollectionOrderNetworkOnlyWhenAsked)
{
    FakeVolumeSource v;
    v.add(QStringLiteral("/a"), DriveKind::Removable, false, QString());
    v.add(QStringLiteral("/"), DriveKind::Fixed, true, QStringLiteral("SYSTEM"));
    v.add(QStringLiteral("/e"), DriveKind::Removable, true, QString(), QStringLiteral("77"));
    v.add(QStringLiteral("/z"), DriveKind::Network, true, QString(), QString(), QStringLiteral("//srv/data"));
    v.add(QStringLiteral("/r"), DriveKind::RamDisk, true, QStringLiteral("RAM"));
    auto texts = [&](bool remote) {
        QStringList t;
        for (const DriveEntry& e : driveEntries(v.list, remote, kLabels))
            t.append(e.text);
        return t;
    };
    EXPECT_EQ(texts(true), (QStringList{"Floppy (/a/)", "SYSTEM (/)", "USB key (/e/)", "//srv/data (/z/)"}));
    EXPECT_EQ(texts(false), (QStringList{"Floppy (/a/)", "SYSTEM (/)", "USB key (/e/)"}));
}

TEST(LocalDriveTable, TreeListAndPathComboShowTheSameDrives)
{
    PaneFixture f;
    f.volumes.add(f.tree.root + QStringLiteral("net"), DriveKind::Network, true, QString(), QString(),
                  QStringLiteral("//srv/data"));
    f.settings.gRemoteDirectory = false;
    f.start();
    const QString usb = f.language.GetGeneralLabel(QStringLiteral("MSG_UsbKey"));
    const QStringList drives{QStringLiteral("SYSTEM (") + f.tree.vol1 + QLatin1Char(')'),
                             usb + QStringLiteral(" (") + f.tree.vol2 + QLatin1Char(')')};
    EXPECT_EQ(f.listTexts(), drives);
    EXPECT_EQ(f.pathComboTexts(), (QStringList{QStringLiteral("My Computer"), QStringLiteral("   ") + drives[0],
                                               QStringLiteral("   ") + drives[1]}));
    const QModelIndex root = f.pane->treeModel().rootIndex();
    EXPECT_EQ(root.data().toString(), QStringLiteral("My Computer"));
    ASSERT_EQ(f.pane->treeModel().rowCount(root), 2);
    EXPECT_EQ(f.pane->treeModel().index(0, 0, root).data(LocalRole::FullPath).toString(), f.tree.vol1);
    EXPECT_EQ(f.pane->treeModel().index(1, 0, root).data(LocalRole::ImageKey).toString(),
              QStringLiteral("RemovableDrive"));
    EXPECT_EQ(f.status2(jvz::StatusPanel::ObjectCount), QStringLiteral("2 objects found"));
    EXPECT_EQ(f.status2(jvz::StatusPanel::SelectionSize), QString()) << "no drive at the root";
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
}

TEST(LocalTreeModel, FillsAndClearsUnderTheTester)
{
    const auto t = jvztest::makeFixtureTree();
    LocalTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDrives({{t.vol1, DriveKind::Fixed, QStringLiteral("SYSTEM"), QStringLiteral("Drive")}});
    const QModelIndex drive = model.index(0, 0, model.rootIndex());
    EXPECT_TRUE(model.hasChildren(drive)) << "a drive not read yet offers to expand";
    EXPECT_TRUE(model.fillChildren(drive));
    ASSERT_EQ(model.rowCount(drive), 1);
    const QModelIndex data = model.index(0, 0, drive);
    EXPECT_EQ(model.folderOf(data), t.vol1 + QStringLiteral("data/"));
    model.fetchMore(data);
    EXPECT_EQ(model.rowCount(data), 2);
    EXPECT_EQ(model.findFolder(t.vol1 + QStringLiteral("DATA/PACK/")), model.index(1, 0, data)) << "any case";
    EXPECT_FALSE(model.findFolder(QString()).isValid()) << "the root is never found by a path";
    model.clearChildren(drive);
    EXPECT_EQ(model.rowCount(drive), 0);
    EXPECT_FALSE(model.findFolder(t.vol1 + QStringLiteral("data/")).isValid());
    model.setDrives({});
    EXPECT_EQ(model.rowCount(model.rootIndex()), 0);
}

TEST(LocalTree, NodeClickReadsTheFolderAgainAndListsIt)
{
    PaneFixture f;
    f.start();
    LocalTreeModel& tm = f.pane->treeModel();
    const QModelIndex drive = tm.index(0, 0, tm.rootIndex());
    f.pane->TreeView1_NodeClick(drive);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1);
    EXPECT_EQ(f.folderPanel, f.tree.vol1);
    EXPECT_EQ(tm.rowCount(drive), 1);
    EXPECT_TRUE(f.treeView->isExpanded(drive));
    EXPECT_EQ(f.listTexts().first(), QStringLiteral("data"));
    EXPECT_EQ(f.status2(jvz::StatusPanel::ObjectCount), QStringLiteral("%1 objects found").arg(f.listTexts().size()));
    EXPECT_TRUE(f.status2(jvz::StatusPanel::SelectionSize).endsWith(QStringLiteral("(free space : 3.27 Gb)")))
        << f.status2(jvz::StatusPanel::SelectionSize).toStdString();
    EXPECT_TRUE(f.status2(jvz::StatusPanel::SelectionSize).startsWith(QStringLiteral("5120.0")))
        << "the 5 GiB file counts whole";

    // A folder made since is there after the next click on the node.
    QDir().mkpath(f.tree.vol1 + QStringLiteral("added"));
    f.pane->TreeView1_NodeClick(drive);
    EXPECT_EQ(tm.rowCount(drive), 2);

    // A mouse click on a node in the view does the same.
    const QModelIndex data = tm.index(0, 0, drive);
    ASSERT_EQ(data.data().toString(), QStringLiteral("added"));
    f.host.resize(600, 400);
    f.treeView->resize(300, 300);
    f.host.show();
    const QModelIndex dataNode = tm.index(1, 0, drive);
    const QRect rect = f.treeView->visualRect(dataNode);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(f.treeView->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + QStringLiteral("data/"));
    EXPECT_EQ(f.listTexts(), (QStringList{"b", "pack", "a.txt", "C.M40", "D.M23", "README"}));
}

TEST(LocalTree, RootClickRereadsTheDrives)
{
    PaneFixture f;
    f.start();
    LocalTreeModel& tm = f.pane->treeModel();
    f.pane->TreeView1_NodeClick(tm.index(0, 0, tm.rootIndex()));
    f.volumes.add(f.tree.root, DriveKind::Optical, false, QString());
    f.pane->TreeView1_NodeClick(tm.rootIndex());
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    EXPECT_EQ(f.folderPanel, QString());
    EXPECT_EQ(tm.rowCount(tm.rootIndex()), 3);
    EXPECT_EQ(f.listTexts().last(), f.language.GetGeneralLabel(QStringLiteral("MSG_CD_Drive")) + QStringLiteral(" (") +
                                        f.tree.root + QLatin1Char(')'));
    EXPECT_EQ(f.pathCombo->currentIndex(), 0);
}

TEST(LocalTree, RefreshOfAWithdrawnDriveGoesToTheRoot)
{
    PaneFixture f;
    f.start();
    LocalTreeModel& tm = f.pane->treeModel();
    f.pane->TreeView1_NodeClick(tm.index(1, 0, tm.rootIndex()));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol2);
    f.pane->RefreshLocalTree();
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol2) << "still there: listed again";

    f.volumes.list.removeLast();
    f.pane->RefreshLocalTree();
    EXPECT_TRUE(tm.isRoot(f.pane->selectedNode()));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    EXPECT_EQ(f.listTexts().size(), 1);
    EXPECT_EQ(tm.rowCount(tm.rootIndex()), 1);
}

TEST(LocalTree, FolderGoneBeforeItsListingShowsAnEmptyListAndAText)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    f.pane->OpenFolderInTree(f.tree.vol1 + QStringLiteral("data/"));
    const QModelIndex b = f.pane->treeModel().findFolder(f.tree.vol1 + QStringLiteral("data/b/"));
    ASSERT_TRUE(b.isValid());
    ASSERT_TRUE(QDir(f.tree.vol1 + QStringLiteral("data/b")).removeRecursively());
    f.pane->TreeView1_NodeClick(b);
    EXPECT_TRUE(f.listTexts().isEmpty());
    EXPECT_EQ(f.status2(jvz::StatusPanel::ObjectCount), QStringLiteral("0 objects found"));
    EXPECT_EQ(f.status2(jvz::StatusPanel::SelectionSize),
              f.language.GetFormLabel(QStringLiteral("MSG_FolderUnreadable")));
}

TEST(LocalTree, BackFolderClimbsToTheDrivesAndStops)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    f.pane->OpenFolderInTree(f.tree.vol1 + QStringLiteral("data/"));
    f.pane->OpenFolderInTree(f.tree.vol1 + QStringLiteral("data/pack/"));
    const struct {
        const char* label;
        QString folder;
        int rows;
    } steps[] = {
        {"pack -> data", f.tree.vol1 + QStringLiteral("data/"), 6},
        {"data -> drive", f.tree.vol1, 7},
        {"drive -> drives", QString(), 2},
        {"root: nothing more", QString(), 2},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.label);
        const int text3 = f.text3Clears;
        f.pane->LocalBackFolder();
        EXPECT_EQ(f.pane->CurrentLocalFolder(), s.folder);
        EXPECT_EQ(f.folderPanel, s.folder);
        EXPECT_EQ(f.listTexts().size(), s.rows);
        EXPECT_EQ(f.text3Clears, text3 + 1);
    }
    EXPECT_TRUE(f.pane->treeModel().isRoot(f.pane->selectedNode()));
    EXPECT_EQ(f.pathCombo->currentIndex(), 0);
}

TEST(LocalTree, KeysOfTheTree)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int adds, removals, focus;
    } keys[] = {
        {Qt::Key_Insert, Qt::ShiftModifier, 1, 0, 0}, {Qt::Key_Delete, Qt::ShiftModifier, 1, 1, 0},
        {Qt::Key_F, Qt::ShiftModifier, 1, 1, 1},      {Qt::Key_Insert, Qt::NoModifier, 1, 1, 1},
        {Qt::Key_Delete, Qt::NoModifier, 1, 1, 1},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(int(k.key));
        QTest::keyClick(f.treeView, k.key, k.mods);
        EXPECT_EQ(f.favouriteAdds, k.adds);
        EXPECT_EQ(f.favouriteRemovals, k.removals);
        EXPECT_EQ(f.favouriteFocus, k.focus);
    }
    QDir().mkpath(f.tree.vol1 + QStringLiteral("newer"));
    QTest::keyClick(f.treeView, Qt::Key_F5);
    EXPECT_TRUE(f.listTexts().contains(QStringLiteral("newer"))) << "F5 lists the node again";
    EXPECT_EQ(f.pane->treeModel().rowCount(f.pane->selectedNode()), 2);
}

TEST(LocalTree, HeaderClickTurnsTheOrderRound)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    f.pane->OpenFolderInTree(f.tree.vol1 + QStringLiteral("data/"));
    f.pane->ListView1_ColumnClick(2);
    EXPECT_EQ(f.listTexts(), (QStringList{"pack", "b", "README", "D.M23", "C.M40", "a.txt"}));
    f.pane->ListView1_ColumnClick(0);
    EXPECT_EQ(f.listTexts(), (QStringList{"b", "pack", "a.txt", "C.M40", "D.M23", "README"}));
}

// The explorer on the real main window, over the fake volume set.

namespace {

class ExplorerOnMainWindow : public ::testing::Test {
protected:
    ExplorerOnMainWindow() : tree(jvztest::makeFixtureTree())
    {
        volumes.add(tree.vol1, DriveKind::Fixed, true, QStringLiteral("SYSTEM"), QStringLiteral("1234-ABCD"));
        volumes.add(tree.vol2, DriveKind::Removable, true, QString(), QStringLiteral("5678-EF01"));
        volumes.space.insert(tree.vol1, {uint64_t(3348) * 1024 * 1024, uint64_t(10) * 1024 * 1024 * 1024});
        // The catalogue filters come from the shipped product-code file when the window is first shown.
        settings.gProgramFolder = tree.root + QStringLiteral("program");
        QDir().mkpath(settings.gProgramFolder);
        settings.gCataExtFile = QStringLiteral("JVZ.prm");
        QFile::copy(jvztest::binDir() + QStringLiteral("/JVZ.prm"),
                    settings.gProgramFolder + QStringLiteral("/JVZ.prm"));
        window.init(jvztest::shippedLanguage());
        pane = window.localExplorer();
        pane->setVolumeSource(volumes);
        combo2 = window.findChild<QComboBox*>(QStringLiteral("Combo2"));
    }

    QAction* toolbar1(const char* name)
    {
        auto* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        for (QAction* a : bar->actions())
            if (a->objectName() == QLatin1String(name))
                return a;
        return nullptr;
    }
    QString panel(const char* bar, int n)
    {
        auto* b = window.findChild<QStatusBar*>(QLatin1String(bar));
        return b->findChild<QLabel*>(QStringLiteral("Panel%1").arg(n))->text();
    }

    jvztest::FixtureTree tree;
    jvztest::FakeVolumeSource volumes;
    jvztest::MainWindowWorld world;
    AppSettings& settings = world.settings;
    BatchRun& batch = world.batch;
    jvztest::FakeNotifier& notifier = world.notifier;
    frmMainJVZ& window = world.assemble();
    LocalExplorerPane* pane = nullptr;
    QComboBox* combo2 = nullptr;
};

} // namespace

TEST_F(ExplorerOnMainWindow, NothingIsReadBeforeTheWindowIsShown)
{
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->started());
    EXPECT_EQ(volumes.reads, 0) << "a batch run never shows the window: no volume is read";
    window.show();
    EXPECT_TRUE(pane->started());
    EXPECT_EQ(pane->listModel().rowCount(), 2);
}

TEST_F(ExplorerOnMainWindow, ToolbarStatusBarsAndScreenshot)
{
    window.resize(1280, 800);
    window.show();
    ASSERT_TRUE(pane->started());
    ASSERT_GE(combo2->findText(QStringLiteral("*.M40")), 0) << "filters loaded from the product-code file";
    pane->GoToTypedPath(tree.vol1 + QStringLiteral("data"));
    combo2->setCurrentIndex(combo2->findText(QStringLiteral("*.M40")));
    emit combo2->activated(combo2->currentIndex());
    ASSERT_GE(pane->listModel().rowOfPath(tree.vol1 + QStringLiteral("data/C.M40")), 0);
    EXPECT_EQ(pane->listModel().imageKey(pane->listModel().rowOfPath(tree.vol1 + QStringLiteral("data/C.M40"))),
              QStringLiteral("CatFile"));
    EXPECT_EQ(window.currentLocalFolder(), tree.vol1 + QStringLiteral("data/"));
    EXPECT_EQ(panel("StatusBar3", 2), tree.vol1 + QStringLiteral("data/"));
    EXPECT_EQ(panel("StatusBar2", 1), QStringLiteral("3 objects found"));
    EXPECT_EQ(panel("StatusBar2", 2), QStringLiteral("1 Kb (free space : 3.27 Gb)"));
    const auto* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
    EXPECT_EQ(list->model(), &pane->listModel());
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(pane->listModel().data(pane->listModel().index(0, 0)).toString(), QStringLiteral("b"))
        << "names ascending until a header click turns them round";

    window.resize(1280, 800); // the first activation sized it to the (small) offscreen screen
    QCoreApplication::processEvents();
    const QString dir = jvztest::binDir() + QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(window.grab().save(dir + QStringLiteral("/local_explorer.png")));

    // Toolbar1: parent folder, then refresh.
    QAction* back = toolbar1("BackFolder");
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(back->isEnabled());
    back->trigger();
    EXPECT_EQ(window.currentLocalFolder(), tree.vol1);
    QDir().mkpath(tree.vol1 + QStringLiteral("fresh"));
    toolbar1("Refresh")->trigger();
    EXPECT_GE(pane->listModel().rowOfPath(tree.vol1 + QStringLiteral("fresh/")), 0);
}

// While a nested wait runs (a transfer), the local list's keys and the tree's menu wait for it: Delete asks
// nothing and removes nothing, and no menu opens. Afterwards the tree's menu opens once.
TEST_F(ExplorerOnMainWindow, ListKeysAndTreeMenuWaitWhileTheWindowIsBusy)
{
    window.show();
    combo2->setCurrentText(QStringLiteral("*.*"));
    pane->GoToTypedPath(tree.vol1 + QStringLiteral("data/"));
    const QString file = tree.vol1 + QStringLiteral("data/a.txt");
    const int row = pane->listModel().rowOfPath(file);
    ASSERT_GE(row, 0);
    QTreeView* list = window.controls().listView1;
    list->setFocus();
    list->selectionModel()->select(pane->listModel().index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QMenu* treeMenu = window.controls().mnuContextuel2;
    QSignalSpy menuShown(treeMenu, &QMenu::aboutToShow);
    QWidget* treeViewport = window.controls().treeView1->viewport();
    const auto rightClickTree = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), treeViewport->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(treeViewport, &event);
    };
    notifier.answers = {MessageAnswer::No};
    {
        BusyScope busy(window.commands());
        QTest::keyClick(list, Qt::Key_Delete);
        rightClickTree();
    }
    EXPECT_TRUE(notifier.shown.empty()) << notifier.shown.front().text.toStdString();
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(menuShown.count(), 0);
    rightClickTree();
    EXPECT_EQ(menuShown.count(), 1);
    treeMenu->hide();
}

TEST(LocalTree, ClickDuringAFillIsNotReentered)
{
    PaneFixture f;
    f.start();
    LocalTreeModel& tm = f.pane->treeModel();
    const QModelIndex vol1 = tm.index(0, 0, tm.rootIndex());
    const QModelIndex vol2 = tm.index(1, 0, tm.rootIndex());
    int inner = 0;
    // A click that arrives while the first node is being filled and listed.
    QObject::connect(f.pane.get(), &LocalExplorerPane::listingChanged, [&](LocalListingChange change) {
        if (change != LocalListingChange::Shown)
            return;
        ++inner;
        f.pane->TreeView1_NodeClick(vol2);
    });
    f.pane->TreeView1_NodeClick(vol1);
    EXPECT_GE(inner, 1);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1);
    EXPECT_EQ(f.treeView->currentIndex(), vol1);
    EXPECT_EQ(f.listTexts().first(), QStringLiteral("data"));
}

TEST(LocalTree, RightButtonOpensTheTreeMenu)
{
    PaneFixture f;
    QPoint shownAt;
    int popups = 0;
    QObject::connect(f.pane.get(), &LocalExplorerPane::treeMenuAsked, [&](const QPoint& at) {
        ++popups;
        shownAt = at;
    });
    f.host.show();
    f.start();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), f.treeView->viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(f.treeView->viewport(), &event);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(shownAt, f.treeView->viewport()->mapToGlobal(QPoint(5, 5)));
}

TEST(LocalList, DragComesBackAQuarterSecondAfterASelectionChange)
{
    PaneFixture f;
    ASSERT_TRUE(jvztest::waitUntil([&] { return f.listView->dragEnabled(); })); // once after creation
    f.pane->suspendDrag();
    EXPECT_FALSE(f.listView->dragEnabled());
    EXPECT_EQ(f.pane->dragTimer()->interval(), 250);
    ASSERT_TRUE(jvztest::waitUntil([&] { return f.listView->dragEnabled(); }, 2000));
    EXPECT_FALSE(f.pane->dragTimer()->isActive());
}

TEST(LocalFilters, FocusSelectsTheWholeText)
{
    PaneFixture f;
    f.host.show();
    f.filter->setText(QStringLiteral("abc"));
    f.typeCombo->setCurrentText(QStringLiteral("*.M40"));
    for (QLineEdit* edit : {f.filter, f.typeCombo->lineEdit()}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        f.listView->setFocus();
        edit->deselect();
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit == f.filter ? static_cast<QObject*>(f.filter) : f.typeCombo, &in);
        ASSERT_TRUE(jvztest::waitUntil([&] { return edit->selectedText() == edit->text(); }))
            << edit->selectedText().toStdString();
    }
}

TEST_F(ExplorerOnMainWindow, ClicksAndKeysWaitWhileTheWindowIsBusy)
{
    window.resize(900, 600);
    window.show();
    QCoreApplication::processEvents(); // the layout gives the tree its size
    auto* treeView = window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
    const QModelIndex vol1 = pane->treeModel().index(0, 0, pane->treeModel().rootIndex());
    EXPECT_TRUE(treeView->isExpanded(pane->treeModel().rootIndex())) << "the drives are in view from the start";
    const QPoint at = treeView->visualRect(vol1).center();
    {
        BusyScope busy(window.commands());
        QTest::mouseClick(treeView->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(treeView, Qt::Key_F5);
        EXPECT_EQ(window.currentLocalFolder(), QString());
        EXPECT_EQ(pane->listModel().rowCount(), 2);
    }
    const QModelIndex vol2 = pane->treeModel().index(1, 0, pane->treeModel().rootIndex());
    QTest::mouseClick(treeView->viewport(), Qt::LeftButton, {}, treeView->visualRect(vol2).center());
    EXPECT_EQ(window.currentLocalFolder(), tree.vol2);
}
