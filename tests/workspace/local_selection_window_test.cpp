// The local list's selection on real widgets: selecting rows, the list's keys, the context menu, focus,
// the deletion through the Delete key, and the favourites box.
#include "FakeNotifier.h"
#include "LocalRowsFixture.h"
#include "Paths.h"
#include "WaitUntil.h"
#include "core/MBLanguages.h"
#include "workspace/FavouritePaths.h"
#include "workspace/LocalListModel.h"
#include "workspace/ui/FavouritesCombo.h"
#include "workspace/ui/LocalSelectionPane.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

// A window holding the controls the pane works with, under their names.
struct Host {
    Host()
    {
        window.setObjectName("frmMainJVZ");
        auto* central = new QWidget(&window);
        auto* layout = new QVBoxLayout(central);
        combo5 = new QComboBox(central);
        combo5->setObjectName("Combo5");
        list = new QTreeView(central);
        list->setObjectName("ListView1");
        list->setRootIsDecorated(false);
        terminalList = new QTreeView(central);
        terminalList->setObjectName("ListView2");
        text3 = new QLineEdit(central);
        text3->setObjectName("Text3");
        statusBar3 = new QWidget(central);
        statusBar3->setObjectName("StatusBar3");
        for (QWidget* w : {static_cast<QWidget*>(combo5), static_cast<QWidget*>(list),
                           static_cast<QWidget*>(terminalList), static_cast<QWidget*>(text3), statusBar3})
            layout->addWidget(w);
        window.setCentralWidget(central);
        catalog = addMenu("MNU_Catalog", {"MNU_Catalog_create", "MNU_Catalog_family", "MNU_Catalog_description"});
        pack = addMenu("MNU_CatalogPack", {"MNU_CatalogPack_Add", "MNU_CatalogPack_Create", "MNU_CatalogPack_Reset"});
        context = addMenu("MNU_Contextuel", {"MNU_ContextuelCopy", "MNU_ContextuelDelete"});
        list->setModel(&model);
        window.resize(500, 400);
    }

    QMenu* addMenu(const char* name, std::initializer_list<const char*> entries)
    {
        QMenu* menu = window.menuBar()->addMenu(name);
        menu->setObjectName(name);
        for (const char* entry : entries) {
            QAction* a = menu->addAction(entry);
            a->setObjectName(entry);
            QObject::connect(a, &QAction::triggered, [this, entry] { triggered << entry; });
        }
        return menu;
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(name); }

    QMainWindow window;
    LocalListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Warning};
    QComboBox* combo5;
    QTreeView* list;
    QTreeView* terminalList;
    QLineEdit* text3;
    QWidget* statusBar3;
    QMenu* catalog;
    QMenu* pack;
    QMenu* context;
    QStringList triggered;
};

class SelectionWindow : public ::testing::Test {
protected:
    SelectionWindow() : dir("selection-window")
    {
        language.init(jvztest::binDir() + "/JVZ.lng", 1);
        language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        QDir(dir.folder).mkpath("pack");
        dir.write("A.M40", "a.bin\r\n;Load for the counter terminal\r\n");
        dir.write("B.M40", "b.bin\r\n");
        dir.write("app.bin", "x");
        dir.write("z.txt", "z");
        relist();
        LocalSelectionPane::Controls controls;
        controls.catalog = host.catalog;
        controls.catalogPack = host.pack;
        controls.catalogCreate = host.action("MNU_Catalog_create");
        controls.catalogFamily = host.action("MNU_Catalog_family");
        controls.catalogDescription = host.action("MNU_Catalog_description");
        controls.packAdd = host.action("MNU_CatalogPack_Add");
        controls.packCreate = host.action("MNU_CatalogPack_Create");
        controls.packReset = host.action("MNU_CatalogPack_Reset");
        controls.terminalList = host.terminalList;
        controls.statusBar3 = host.statusBar3;
        controls.contextMenu = host.context;
        pane = std::make_unique<LocalSelectionPane>(host.list, host.model, host.text3, controls, notifier, language,
                                                    [this] { return inputs; });
        LocalSelectionPane* p = pane.get();
        QObject::connect(p, &LocalSelectionPane::selectionChanged, [this](const LocalSelectionFlags& f) {
            flags = f;
            ++applied;
        });
        QObject::connect(p, &LocalSelectionPane::listingStale, [this] {
            ++refreshed;
            relist();
        });
        QObject::connect(p, &LocalSelectionPane::filesDeleted, [this] {
            ++relisted;
            relist();
        });
        QObject::connect(p, &LocalSelectionPane::dragPaused, [this] { ++dragSuspended; });
        QObject::connect(p, &LocalSelectionPane::backFolderAsked, [this] { ++back; });
        QObject::connect(p, &LocalSelectionPane::beepAsked, [this] { ++beeps; });
        inputs.currentTerminalDir = "\\SWAP\\";
        inputs.typeFilter = "*.M40";
        host.window.show();
    }

    void relist()
    {
        const QByteArray native = nativeFromText(dir.folder);
        host.model.showFolder(native, listFolder(native, {"*.*", "", {"*.M40", "*.*"}, "", {}}).entries);
    }

    int rowOf(const QString& name) const
    {
        const int file = host.model.rowOfPath(dir.folder + name);
        return file >= 0 ? file : host.model.rowOfPath(dir.folder + name + "/"); // folders end in "/"
    }

    void selectNames(const QStringList& names)
    {
        QItemSelection selection;
        for (const QString& name : names)
            selection.select(host.model.index(rowOf(name), 0), host.model.index(rowOf(name), 2));
        host.list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }

    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(host.list, Qt::Key(k), m); }

    jvztest::LocalRowsFolder dir;
    Host host;
    MBLanguages language;
    jvztest::FakeNotifier notifier;
    std::unique_ptr<LocalSelectionPane> pane;
    LocalSelectionInputs inputs;
    LocalSelectionFlags flags;
    int applied = 0, refreshed = 0, relisted = 0, dragSuspended = 0, back = 0, beeps = 0;
};

TEST_F(SelectionWindow, SelectingACatalogueMarksItShowsItsCommentAndOffersItsCommands)
{
    selectNames({"A.M40"});
    EXPECT_EQ(host.model.imageKey(rowOf("A.M40")), "coche");
    EXPECT_EQ(host.model.index(rowOf("A.M40"), 0).data(LocalRole::SavedImageKey).toString(), "CatFile");
    EXPECT_EQ(host.text3->text(), "Load for the counter terminal");
    EXPECT_TRUE(flags.catalog && flags.catalogCreate && flags.delFile && flags.contextCopy);
    EXPECT_EQ(host.list->toolTip(), language.GetFormLabel("ToolTipTextListView1"));

    selectNames({"pack", "app.bin"});
    EXPECT_EQ(host.model.imageKey(rowOf("A.M40")), "CatFile") << "unmarked once deselected";
    EXPECT_EQ(host.text3->text(), "");
    EXPECT_FALSE(flags.delFile);
    EXPECT_FALSE(flags.catalog);

    host.list->clearSelection(); // a click on empty space
    EXPECT_FALSE(flags.delFile);
    EXPECT_FALSE(flags.contextCopy);
}

TEST_F(SelectionWindow, ACatalogueGoneSinceTheListingRelistsTheFolder)
{
    QFile::remove(dir.folder + "B.M40");
    flags.delFile = true;
    selectNames({"B.M40"});
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(dragSuspended, 1);
    EXPECT_FALSE(flags.delFile) << "only the new listing's state, nothing from the stale row";
    EXPECT_EQ(rowOf("B.M40"), -1);
    ASSERT_EQ(notifier.shown.size(), 1u);
}

TEST_F(SelectionWindow, ListKeys)
{
    host.list->setFocus();
    ASSERT_TRUE(jvztest::waitUntil([&] { return host.list->hasFocus(); }));

    // Ctrl+C: the names, in list order, each with CR LF.
    selectNames({"z.txt", "pack", "A.M40"});
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), QByteArray("pack\r\nA.M40\r\nz.txt\r\n"));
    host.list->clearSelection();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << "nothing chosen empties the clipboard";

    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(host.list->selectionModel()->selectedRows().size(), host.model.rowCount());

    key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(back, 1);

    // Catalogue and pack keys run their entry only when it and its menu are enabled.
    struct KeyCase {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* entry;
    };
    const KeyCase keys[] = {
        {Qt::Key_F6, Qt::ShiftModifier | Qt::ControlModifier, "MNU_CatalogPack_Reset"},
        {Qt::Key_F6, Qt::NoModifier, "MNU_CatalogPack_Add"},
        {Qt::Key_F6, Qt::ShiftModifier, "MNU_CatalogPack_Add"},
        {Qt::Key_F6, Qt::ControlModifier, "MNU_CatalogPack_Create"},
        {Qt::Key_F6, Qt::ControlModifier | Qt::AltModifier, "MNU_CatalogPack_Create"},
        {Qt::Key_F7, Qt::NoModifier, "MNU_Catalog_create"},
        {Qt::Key_F8, Qt::NoModifier, "MNU_Catalog_family"},
        {Qt::Key_F9, Qt::NoModifier, "MNU_Catalog_description"},
    };
    for (const KeyCase& k : keys) {
        SCOPED_TRACE(k.entry);
        QMenu* menu = QString(k.entry).startsWith("MNU_CatalogPack") ? host.pack : host.catalog;
        host.triggered.clear();
        host.action(k.entry)->setEnabled(false);
        key(k.key, k.modifiers);
        host.action(k.entry)->setEnabled(true);
        menu->menuAction()->setEnabled(false);
        key(k.key, k.modifiers);
        EXPECT_TRUE(host.triggered.isEmpty());
        menu->menuAction()->setEnabled(true);
        key(k.key, k.modifiers);
        EXPECT_EQ(host.triggered, QStringList({k.entry}));
    }

    key(Qt::Key_J, Qt::ControlModifier);
    ASSERT_TRUE(jvztest::waitUntil([&] { return host.terminalList->hasFocus(); }));
}

TEST_F(SelectionWindow, FocusShowsTheCatalogueMenusAndLeavingClearsTheComment)
{
    host.list->setFocus();
    ASSERT_TRUE(jvztest::waitUntil([&] { return host.list->hasFocus(); }));
    EXPECT_TRUE(host.catalog->menuAction()->isVisible());
    EXPECT_TRUE(host.statusBar3->font().bold());
    selectNames({"A.M40"});
    EXPECT_FALSE(host.text3->text().isEmpty());
    host.text3->setFocus();
    ASSERT_TRUE(jvztest::waitUntil([&] { return host.text3->hasFocus(); }));
    EXPECT_TRUE(host.text3->text().isEmpty());
    EXPECT_FALSE(host.catalog->menuAction()->isVisible());
    EXPECT_FALSE(host.pack->menuAction()->isVisible());
    EXPECT_FALSE(host.statusBar3->font().bold());
    EXPECT_EQ(host.model.imageKey(rowOf("A.M40")), "coche") << "marks stay until the next update";
}

TEST_F(SelectionWindow, DeleteKeyAsksDeletesAndRelists)
{
    host.list->setFocus();
    selectNames({"app.bin", "z.txt"});
    notifier.answers = {MessageAnswer::No};
    key(Qt::Key_Delete);
    EXPECT_TRUE(dir.exists("app.bin"));
    EXPECT_EQ(relisted, 1);

    selectNames({"app.bin", "z.txt"});
    notifier.answers = {MessageAnswer::Yes};
    key(Qt::Key_Delete);
    EXPECT_FALSE(dir.exists("app.bin"));
    EXPECT_FALSE(dir.exists("z.txt"));
    EXPECT_EQ(relisted, 2);
    EXPECT_EQ(rowOf("app.bin"), -1);

    selectNames({"pack"});
    key(Qt::Key_Delete);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(dir.exists("pack"));
}

TEST_F(SelectionWindow, ReadOnlyFileStopsTheDeletionAndTheListIsRefreshed)
{
    dir.write("c.bin", "c");
    dir.write("d.bin", "d");
    relist();
    dir.makeReadOnly("c.bin");
    selectNames({"app.bin", "c.bin", "d.bin"});
    notifier.answers = {MessageAnswer::Yes};
    pane->DeleteLocalSelection();
    EXPECT_FALSE(dir.exists("app.bin"));
    EXPECT_TRUE(dir.exists("c.bin"));
    EXPECT_TRUE(dir.exists("d.bin"));
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[1].icon, MessageIcon::Critical);
    EXPECT_EQ(relisted, 1);
    EXPECT_EQ(rowOf("app.bin"), -1) << "no deleted file stays shown";
}

TEST_F(SelectionWindow, FavouritesBoxRunsItsHandlersAndSurvivesARestart)
{
    const QString bookmark = dir.folder + "JVZ.bmk";
    dir.write("JVZ.bmk", "My Computer\r\n");
    QStringList opened;
    auto goTo = [&](const QString& path) { opened << path; };
    {
        FavouritePaths favourites({bookmark, false, false}, notifier, language);
        FavouritesCombo combo(host.combo5, favourites, goTo);
        favourites.LoadPathHistory();
        EXPECT_EQ(host.combo5->count(), 1);
        EXPECT_EQ(host.combo5->currentText(), "My Computer");

        host.combo5->setFocus();
        ASSERT_TRUE(jvztest::waitUntil([&] { return host.combo5->hasFocus(); }));
        host.combo5->lineEdit()->selectAll();
        QTest::keyClicks(host.combo5, dir.folder + "pack");
        QTest::keyClick(host.combo5, Qt::Key_Return);
        EXPECT_EQ(opened, QStringList({dir.folder + "pack/"}));
        EXPECT_EQ(host.combo5->count(), 2);
        EXPECT_EQ(host.combo5->toolTip(), dir.folder + "pack/");

        host.combo5->lineEdit()->selectAll();
        QTest::keyClicks(host.combo5, dir.folder + "nowhere");
        QTest::keyClick(host.combo5, Qt::Key_Return);
        EXPECT_EQ(opened.size(), 1);
        EXPECT_EQ(notifier.shown.size(), 1u);
        EXPECT_EQ(host.combo5->currentText(), dir.folder + "nowhere/");

        favourites.AddFolderToFavourites(dir.folder);
        EXPECT_EQ(host.combo5->count(), 3);
        EXPECT_EQ(host.combo5->currentText(), dir.folder);

        emit host.combo5->activated(0);
        EXPECT_EQ(opened.last(), "My Computer");

        // Delete on the entry shown: the question, then it goes.
        host.combo5->setCurrentIndex(1);
        favourites.choose(1);
        notifier.answers = {MessageAnswer::Yes};
        QTest::keyClick(host.combo5, Qt::Key_Delete);
        EXPECT_EQ(notifier.shown.back().text, language.GetFormLabel("MSG_DeletePath") + "\r\n" + dir.folder + "pack/");
        EXPECT_EQ(host.combo5->count(), 2);
        EXPECT_EQ(host.combo5->currentText(), dir.folder);
        favourites.SavePathHistory(); // on exit
    }
    host.combo5->clear();
    FavouritePaths again({bookmark, false, false}, notifier, language);
    FavouritesCombo combo(host.combo5, again, goTo);
    again.LoadPathHistory();
    QStringList items;
    for (int i = 0; i < host.combo5->count(); ++i)
        items << host.combo5->itemText(i);
    EXPECT_EQ(items, QStringList({"My Computer", dir.folder}));
}

} // namespace
