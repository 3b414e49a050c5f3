// Opening an item of the local list: drives, folders and folder links navigate; files go to the dispatch.
#include "LocalExplorerFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace jvz;
using jvztest::PaneFixture;

namespace {

void open(PaneFixture& f, const QString& text)
{
    f.selectListRow(text);
    f.pane->OpenListItem();
}

} // namespace

TEST(LocalOpenItem, DriveThenFolderThenFolder)
{
    PaneFixture f;
    f.start();
    open(f, QStringLiteral("SYSTEM (") + f.tree.vol1 + QLatin1Char(')'));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1);
    EXPECT_EQ(f.beeps, 0) << "a drive is tested by its path, not its text";
    open(f, QStringLiteral("data"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/");
    open(f, QStringLiteral("pack"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/pack/");
    EXPECT_EQ(f.listTexts(), (QStringList{"inner", "P1.M40"}));
    EXPECT_EQ(f.pane->treeModel().folderOf(f.pane->selectedNode()), f.tree.vol1 + "data/pack/");
    EXPECT_TRUE(f.openedFiles.isEmpty());
}

TEST(LocalOpenItem, FolderLinkIsOpenedLevelByLevel)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    open(f, QStringLiteral("link_to_pack"));
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/pack/");
    EXPECT_EQ(f.listTexts(), (QStringList{"inner", "P1.M40"}));
    EXPECT_EQ(f.pane->treeModel().folderOf(f.pane->selectedNode()), f.tree.vol1 + "data/pack/");
    // Every level on the way has its node and its path combo entry.
    EXPECT_TRUE(f.pane->treeModel().findFolder(f.tree.vol1 + "data/").isValid());
    EXPECT_GE(f.pane->pathModel().rowOfKey(f.tree.vol1 + "data/pack/"), 0);
}

TEST(LocalOpenItem, FilesGoToTheDispatchWithTheirRealPath)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    const QString bad = QString::fromUtf8(f.tree.badName);
    const struct {
        const char* label;
        QString text;
        QByteArray native;
        const char* image;
    } files[] = {
        {"a file without an extension", QStringLiteral("NOEXT"), QFile::encodeName(f.tree.vol1) + "NOEXT", "Unknown"},
        {"a dangling link is a file", QStringLiteral("dangling"), QFile::encodeName(f.tree.vol1) + "dangling",
         "Unknown"},
        {"a name with invalid bytes", bad, QFile::encodeName(f.tree.vol1) + f.tree.badName, "Unknown"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.label);
        f.openedFiles.clear();
        open(f, file.text);
        ASSERT_EQ(f.openedFiles.size(), 1);
        EXPECT_EQ(f.openedFiles[0].native, file.native);
        EXPECT_EQ(f.openedFiles[0].name, file.text);
        EXPECT_EQ(f.openedFiles[0].folder, f.tree.vol1);
        EXPECT_EQ(f.openedFiles[0].imageKey, QString::fromLatin1(file.image));
        EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1) << "a file does not navigate";
    }
}

TEST(LocalOpenItem, UnmarkedCatalogueOpensNothing)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    f.pane->OpenFolderInTree(f.tree.vol1 + "data/");
    open(f, QStringLiteral("C.M40"));
    EXPECT_TRUE(f.openedFiles.isEmpty());
    // Marked by the selection, it goes to the dispatch.
    const int row = f.listRow(QStringLiteral("C.M40"));
    f.pane->listModel().setData(f.pane->listModel().index(row, 0), QStringLiteral("coche"), LocalRole::ImageKey);
    f.pane->OpenListItem();
    ASSERT_EQ(f.openedFiles.size(), 1);
    EXPECT_EQ(f.openedFiles[0].imageKey, QStringLiteral("coche"));
}

TEST(LocalOpenItem, VanishedEntryRefreshesAndBeeps)
{
    PaneFixture f;
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol1);
    f.pane->OpenFolderInTree(f.tree.vol1 + "data/");
    f.selectListRow(QStringLiteral("b"));
    ASSERT_TRUE(QDir(f.tree.vol1 + "data/b").removeRecursively());
    f.pane->OpenListItem();
    EXPECT_EQ(f.beeps, 1);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/") << "nothing is opened";
    EXPECT_EQ(f.listRow(QStringLiteral("b")), -1) << "the list was read again";
}

TEST(LocalOpenItem, NothingSelectedOpensNothing)
{
    PaneFixture f;
    f.start();
    f.pane->OpenListItem();
    EXPECT_EQ(f.pane->CurrentLocalFolder(), QString());
    EXPECT_EQ(f.beeps, 0);
}

TEST(LocalOpenItem, EnterAndDoubleClickOpen)
{
    PaneFixture f;
    f.host.resize(700, 500);
    f.listView->resize(600, 400);
    f.host.show();
    f.start();
    f.selectListRow(QStringLiteral("SYSTEM (") + f.tree.vol1 + QLatin1Char(')'));
    QTest::keyClick(f.listView, Qt::Key_Return);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1);

    const QModelIndex data = f.pane->listModel().index(f.listRow(QStringLiteral("data")), 0);
    f.listView->selectionModel()->select(data, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QPoint at = f.listView->visualRect(data).center();
    QTest::mouseClick(f.listView->viewport(), Qt::LeftButton, {}, at); // the press a double click follows
    QTest::mouseDClick(f.listView->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1 + "data/");

    QTest::keyClick(f.listView, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(f.pane->CurrentLocalFolder(), f.tree.vol1) << "Ctrl+B goes back";
}

TEST(LocalOpenItem, FolderWithInvalidBytesOpensAndLists)
{
    PaneFixture f;
    const QByteArray folder = QFile::encodeName(f.tree.vol2) + "d\xfe" + "r";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const int fd = ::open((folder + "/inside.M40").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    f.start();
    f.pane->OpenFolderInTree(f.tree.vol2);
    const QString shown = QString::fromUtf8("d\xfe"
                                            "r");
    open(f, shown);
    EXPECT_EQ(f.pane->currentNativeFolder(), folder + "/");
    EXPECT_EQ(f.listTexts(), QStringList{QStringLiteral("inside.M40")});
    EXPECT_EQ(f.pane->treeModel().nativeFolderOf(f.pane->selectedNode()), folder + "/");
}
